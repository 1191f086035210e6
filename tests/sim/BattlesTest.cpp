// Battles between computer-controlled groups, written as small mission scripts and played headless
// by the mission runner over the game's own data: the fleets, aircraft and sites of the game fight
// with their real models, mount points and weapons, and each battle ends the way it should.

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string GameDir = ZEPHRONA_GAME_DIR;
const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;

// The script of a battle: Setup runs once; Orders at once and then every second, as missions do,
// so a unit whose target is gone takes the next one. The mission is won when group 2 (the attackers
// or the prey) is gone and lost when group 1 (the side that should win) is.
std::string Battle(const std::string &setup, const std::string &orders)
{
    return "int once 0\n"
           "{\n"
           "if once = $0 then\n" +
           setup + orders +
           "once = $1\n"
           "endif\n"
           "}\n"
           "{\n"
           "Sleep $1000\n" +
           orders +
           "if G_AI_GROUP2_COUNT = $0 then\nNextLevel Won.ses\nendif\n"
           "if G_AI_GROUP1_COUNT = $0 then\nGameOver\nendif\n"
           "}\n";
}

struct TBattle {
    const char *Name;
    std::string Script;
    int         Seconds;
};

// The last line missionrun printed, and the line of the last full second.
struct TOutcome {
    std::string Result, LastStatus;
    int         Status = -1;
    std::string Err;
};

TOutcome Play(const TTempDir &dir, const TBattle &battle, int seed)
{
    WriteText(dir.Path / "Battle.ses", battle.Script);
    const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun Battle.ses --game " + GameDir + " --seconds " +
                                               std::to_string(battle.Seconds) + " --seed " + std::to_string(seed));
    TOutcome outcome;
    outcome.Status = run.Status;
    outcome.Err = run.Err;
    for (const std::string &line : SplitLines(run.Out)) {
        if (line.rfind("result: ", 0) == 0)
            outcome.Result = line;
        if (line.rfind("t=", 0) == 0)
            outcome.LastStatus = line;
    }
    return outcome;
}

// Units sail and fly far from the parked player at the origin, so it takes no part.
const TBattle Battles[] = {
    {"destroyers sink a boat group",
     Battle("CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_FRIEND $4000 $20000,0 $20000,0 $0,0 $0,0 $0,0 D1\n"
            "CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_FRIEND $4000 $20300,0 $20000,0 $0,0 $0,0 $0,0 D2\n"
            "CreateObject OBJECT_SHIP_BOAT AI_GROUP2 AI_SIDE_ENEMY $400 $20000,0 $23000,0 $0,0 $0,0 $180,0 B1\n"
            "CreateObject OBJECT_SHIP_BOAT AI_GROUP2 AI_SIDE_ENEMY $400 $20400,0 $23000,0 $0,0 $0,0 $180,0 B2\n"
            "CreateObject OBJECT_SHIP_BOAT AI_GROUP2 AI_SIDE_ENEMY $400 $19600,0 $23000,0 $0,0 $0,0 $180,0 B3\n",
            "SetTarget AI_GROUP1 AI_GROUP2\n"
            "SetTarget AI_GROUP2 AI_GROUP1\n"),
     240},
    {"fighters shoot down bombers",
     Battle("CreateObject OBJECT_CRAFTINTERCEPTOR AI_GROUP1 AI_SIDE_FRIEND $300 $20000,0 $20000,0 $1500,0 $0,0 $0,0 F1\n"
            "CreateObject OBJECT_CRAFTINTERCEPTOR AI_GROUP1 AI_SIDE_FRIEND $300 $20200,0 $20000,0 $1500,0 $0,0 $0,0 F2\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $200 $20000,0 $28000,0 $1000,0 $0,0 $180,0 S1\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $200 $20300,0 $28300,0 $1000,0 $0,0 $180,0 S2\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $200 $19700,0 $28300,0 $1000,0 $0,0 $180,0 S3\n"
            "CreateObject OBJECT_EMPTY AI_GROUP3 AI_SIDE_FRIEND $100 $20000,0 $15000,0 $0,0 $0,0 $0,0 Port\n",
            "SetTarget AI_GROUP1 AI_GROUP2\n"
            "SetTarget AI_GROUP2 AI_GROUP3\n"),
     240},
    {"air defence and a battleship beat a bomber raid",
     Battle("CreateObject OBJECT_BATTLE_SHIP AI_GROUP1 AI_SIDE_FRIEND $6000 $20000,0 $20000,0 $0,0 $0,0 $0,0 Fortress\n"
            "CreateObject OBJECT_COOL_SAM AI_GROUP4 AI_SIDE_FRIEND $1000 $20500,0 $19500,0 $0,0 $0,0 $0,0 Sam1\n"
            "CreateObject OBJECT_SHILKA AI_GROUP4 AI_SIDE_FRIEND $1000 $19500,0 $19500,0 $0,0 $0,0 $0,0 Shilka1\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $150 $20000,0 $30000,0 $800,0 $0,0 $180,0 S1\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $150 $20400,0 $30400,0 $800,0 $0,0 $180,0 S2\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $150 $19600,0 $30400,0 $800,0 $0,0 $180,0 S3\n"
            "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $150 $20000,0 $30800,0 $800,0 $0,0 $180,0 S4\n",
            "SetTarget AI_GROUP2 AI_GROUP1\n"),
     240},
};

} // namespace

TEST(Battles, EachEndsAsExpectedForSeveralSeeds)
{
    const TTempDir dir("battles");
    for (const TBattle &battle : Battles)
        for (int seed : {1, 2, 3}) {
            const TOutcome outcome = Play(dir, battle, seed);
            ASSERT_EQ(outcome.Status, 0) << battle.Name << ": " << outcome.Err;
            EXPECT_EQ(outcome.Result, "result: won next=Won.ses")
                << battle.Name << ", seed " << seed << ", last: " << outcome.LastStatus;
        }
}

TEST(Battles, TheSameSeedPlaysTheSameBattle)
{
    const TTempDir dir("battles-again");
    WriteText(dir.Path / "Battle.ses", Battles[0].Script);
    const std::string command = ToolsDir + "/missionrun Battle.ses --game " + GameDir + " --seconds 60 --seed 7";
    const TToolRun first = RunTool(dir.Path, command), second = RunTool(dir.Path, command);
    ASSERT_EQ(first.Status, 0) << first.Err;
    EXPECT_EQ(first.Out, second.Out);
}
