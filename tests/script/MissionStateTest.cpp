// A mission's state lives exactly as long as the mission: scripts compiled in it read its group
// figures, and once it is gone no binding points into it.

#include "ScriptTestUtil.h"

#include "script/GameVars.h"
#include "script/MissionState.h"

#include <gtest/gtest.h>

#include <memory>

using namespace scripttest;

TEST(MissionState, ScriptsReadTheMissionsGroupsAndNothingOutlivesIt)
{
    ResetScriptBindings();
    const TScriptDir dir("mission");
    const std::string file = dir.Write("Groups.ses", "int seen 0 int health 0\n{\n"
                                                     "seen = G_AI_GROUP7_COUNT\nhealth = G_AI_GROUP39_HEALTH\n}\n");
    auto mission = std::make_unique<TMissionState>();
    EXPECT_EQ(ScriptBindings.GroupAliveCount[7], &mission->GroupAliveCount[7]);
    mission->GroupAliveCount[7] = 5;
    mission->GroupHealth[39] = 60;
    ScriptStandIns.GroupAliveCount[7] = -1;   // a stand-in the script must not read

    mission->Script = std::make_unique<TScript>(StagedTable);
    mission->Script->Load(file);
    mission->Script->Update(25);
    EXPECT_EQ(TScript::IntAt(mission->Script->FindVariable("seen")->Storage), 5);
    EXPECT_EQ(TScript::IntAt(mission->Script->FindVariable("health")->Storage), 60);

    // The process-wide bindings stay where their owners put them; the group bindings go back.
    int remaining = 0;
    ScriptBindings.TimerTime = &remaining;
    mission.reset();
    for (int i = 0; i < ScriptGroupCount; ++i) {
        EXPECT_EQ(ScriptBindings.GroupAliveCount[i], &ScriptStandIns.GroupAliveCount[i]) << i;
        EXPECT_EQ(ScriptBindings.GroupHealth[i], &ScriptStandIns.GroupHealth[i]) << i;
    }
    EXPECT_EQ(ScriptBindings.TimerTime, &remaining);
    ResetScriptBindings();
    ScriptStandIns = TScriptStandIns();
}

TEST(MissionState, TheNextMissionStartsFromItsOwnFigures)
{
    ResetScriptBindings();
    {
        TMissionState first;
        first.GroupAliveCount[0] = 9;
    }
    TMissionState second;
    EXPECT_EQ(*ScriptBindings.GroupAliveCount[0], 0);
    EXPECT_EQ(ScriptBindings.GroupAliveCount[0], &second.GroupAliveCount[0]);
}
