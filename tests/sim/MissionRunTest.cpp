// The headless mission runner, run as a mission author runs it: real mission scripts in a game folder
// of their own, the exact lines it prints, its exit status, and that it saves nothing.

#include "tests/script/ScriptTestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace scripttest;

namespace {

using TLines = std::vector<std::string>;

class MissionRun : public ::testing::Test {
protected:
    MissionRun() : Dir("missionrun-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::create_directories(Game / "Data" / "Tables");
        fs::copy_file(StagedTable, Game / "Data" / "Tables" / "Script.ptb");
        WriteText(Game / "Config.cfg", "the player's own settings\n");
    }

    // Writes the mission beside the game folder and runs it there.
    TToolRun Run(const std::string &mission, const std::string &options = "")
    {
        WriteText(Dir.Path / "Mission.ses", mission);
        return Tool("Mission.ses --game game " + options);
    }
    TToolRun Tool(const std::string &arguments, const fs::path &in = {})
    {
        return RunTool(in.empty() ? Dir.Path : in, ToolsDir + "/missionrun " + arguments);
    }

    const TTempDir Dir;
    const fs::path Game = Dir.Path / "game";
};

TEST_F(MissionRun, AWonMissionNamesTheNextMapAndLeavesTheSettingsAlone)
{
    const TToolRun run = Run("int once 0\nfloat d 0\n{\n"
                             "if once = $0 then\n"
                             "CreateObject OBJECT_EMPTY AI_GROUP1 AI_SIDE_ENEMY $100 $10,0 $20,0 $0,0 $0,0 $0,0 A\n"
                             "CreateObject OBJECT_EMPTY AI_GROUP1 AI_SIDE_ENEMY $50 $10,0 $20,0 $0,0 $0,0 $0,0 B\n"
                             "SetTarget AI_GROUP1 AI_GROUP_PLAYER\n"
                             "AddTask Destroy TASK_0\n"
                             "CreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $130,0 $140,0 $100,0 $0,0 $0,0 Gate\n"
                             "DistancePlayerToCheckPoint d\n"
                             "Message Go\n"
                             "once = $1\n"
                             "endif\n"
                             // the player, not yet put on a carrier, waits where the mission's load parked
                             // it, at (100, 100, 100): 50 from the gate
                             "if d = $50,0 then\nCenterMessage Near\nd = $0,0\nendif\n"
                             "Sleep $1500\nTaskComplete TASK_0\nSleep $1000\nNextLevel Level2.ses\n}\n");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(SplitLines(run.Out), (TLines{"message: New target", "message: Go", "centre: Near",
                                           "t=1 g1=2/2:100% task0=new", "message: Target complete",
                                           "t=2 g1=2/2:100% task0=complete", "result: won next=Level2.ses"}));
    EXPECT_EQ(ReadAll(Game / "Config.cfg"), "the player's own settings\n");
}

TEST_F(MissionRun, TheLastMissionEndsWonWithFailedTasksAndCp1251TextComesOutAsUtf8)
{
    const TToolRun run = Run("int once 0\n{\nif once = $0 then\nAddTask Escort TASK_2\n"
                             "CenterMessage \xCF\xF0\xE8\xE2\xE5\xF2\nonce = $1\nendif\n"
                             "Sleep $1200\nTaskFail TASK_2\nEndGame\n}\n");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(SplitLines(run.Out),
              (TLines{"message: New target", "centre: \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                      "t=1 task0=new task1=new task2=new", "message: Target failed", "result: won end"}));
}

TEST_F(MissionRun, TheTimerRunningOutLosesTheMissionAtAnyStep)
{
    const std::string mission = "int G_TIMER_TIME 2500\nbool armed false\n{\n"
                                "if armed = $false then\nG_TIMER_ENABLE = $true\narmed = $true\nendif\n"
                                "if armed = $true and G_TIMER_TIME = $0 then\nGameOver\nendif\n}\n";
    const struct {
        const char *Dt;
        TLines      Lines;
    } cases[] = {
        {"25", {"t=1", "t=2", "result: lost"}},
        // 1000 ms steps: 1500 left after the first, 0 after the third, seen by the script in the fourth
        {"1000", {"t=1", "t=2", "t=3", "result: lost"}},
    };
    for (const auto &c : cases) {
        const TToolRun run = Run(mission, std::string("--dt ") + c.Dt);
        EXPECT_EQ(run.Status, 0) << c.Dt << run.Err;
        EXPECT_EQ(SplitLines(run.Out), c.Lines) << c.Dt;
    }
}

TEST_F(MissionRun, AMissionStillGoingWhenTimeRunsOutIsRunning)
{
    const std::string mission =
        "int once 0\n{\nif once = $0 then\n"
        "CreateObject OBJECT_EMPTY AI_GROUP0 AI_SIDE_FRIEND $10 $0,0 $0,0 $0,0 $0,0 $0,0 Post\nonce = $1\nendif\n}\n";
    const struct {
        const char *Options;
        TLines      Lines;
    } cases[] = {
        {"--seconds 2", {"t=1 g0=1/1:100%", "t=2 g0=1/1:100%", "result: running"}},
        {"--seconds 0", {"result: running"}},
        {"--seconds 1 --dt 300 --seed 7", {"t=1 g0=1/1:100%", "result: running"}},
    };
    for (const auto &c : cases) {
        const TToolRun run = Run(mission, c.Options);
        EXPECT_EQ(run.Status, 0) << c.Options << run.Err;
        EXPECT_EQ(SplitLines(run.Out), c.Lines) << c.Options;
    }
}

TEST_F(MissionRun, ThePlayerTakesOffOnAutopilotAndLosesTheMissionWhenItFalls)
{
    // Two seconds after the take-off starts the aircraft is far from where the reset put it; then
    // the script destroys it, and five seconds of wreck later the mission is lost. The autopilot's
    // own notice is not the mission's and is not printed.
    const TToolRun run = Run("int once 0\nfloat d 0\n{\nif once = $0 then\nCreatePlayer\n"
                             "CreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $100,0 $100,0 $100,0 $0,0 $0,0 Gate\n"
                             "once = $1\nendif\nSleep $2000\nDistancePlayerToCheckPoint d\n"
                             "if d > $500,0 then\nMessage Flying\nendif\n"
                             "G_PLAYER_HEALTH = $0,0\nSleep $100000\n}\n",
                             "--seconds 30");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(SplitLines(run.Out), (TLines{"t=1", "t=2", "message: Flying", "t=3", "t=4", "t=5", "t=6", "t=7",
                                           "result: lost"}));
}

TEST_F(MissionRun, ScriptAndDataErrorsAreReportedOnStandardError)
{
    const struct {
        const char *Mission;
        const char *Error;
    } cases[] = {
        {"int x 0\n{\nx = $1,5\n}\n", "incomp variables \"x\" and \"$1,5\""},
        {"{\nDeleteCheckPoint\n}\n", "Script Error: CheckPoint not found"},
    };
    for (const auto &c : cases) {
        const TToolRun run = Run(c.Mission);
        EXPECT_EQ(run.Status, 1) << c.Mission;
        ASSERT_FALSE(SplitLines(run.Err).empty()) << c.Mission;
        EXPECT_EQ(SplitLines(run.Err)[0], c.Error);
        EXPECT_EQ(run.Out.find("result:"), std::string::npos) << run.Out;
    }
    const TToolRun missing = Tool("Nowhere.ses --game game");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("File not found"), std::string::npos) << missing.Err;
}

TEST_F(MissionRun, BadCommandLinesShowTheUsage)
{
    for (const char *arguments : {"", "A.ses B.ses", "A.ses --dt 0", "A.ses --dt", "A.ses --seconds -1",
                                  "A.ses --seconds x", "A.ses --seed", "A.ses --fast"}) {
        const TToolRun run = Tool(arguments);
        EXPECT_EQ(run.Status, 2) << arguments;
        EXPECT_NE(run.Err.find("usage: missionrun"), std::string::npos) << arguments;
        EXPECT_TRUE(run.Out.empty()) << arguments;
    }
    const TToolRun help = Tool("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("usage: missionrun"), std::string::npos);
}

TEST_F(MissionRun, MissionsRunFromTheGamesDataLooseOrPacked)
{
    WriteText(Game / "Data" / "Maps" / "Short.ses", "{\nEndGame\n}\n");
    for (const char *name : {"Data/Maps/Short.ses", "'Data\\Maps\\Short.ses'"}) {
        const TToolRun run = Tool(std::string(name) + " --game game");
        EXPECT_EQ(run.Status, 0) << name << run.Err;
        EXPECT_EQ(SplitLines(run.Out), TLines{"result: won end"}) << name;
    }

    // Packed into an archive, found from the current folder that holds it.
    const fs::path packed = Dir.Path / "packed";
    fs::create_directories(packed);
    const TToolRun pack = RunTool(Dir.Path, ToolsDir + "/dpg pack game packed/Data.dpg");
    ASSERT_EQ(pack.Status, 0) << pack.Err;
    const TToolRun run = Tool("Data/Maps/Short.ses", packed);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(SplitLines(run.Out), TLines{"result: won end"});
}

} // namespace
