// The script's side of the game: group figures, orders, tasks, checkpoint and mission ends, driven
// through small mission scripts compiled with the game's own compiler and tokenizer table.

#include "tests/script/ScriptTestUtil.h"

#include "core/App.h"
#include "data/Config.h"
#include "data/Locale.h"
#include "script/GameVars.h"
#include "script/Messanger.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Units.h"
#include "sound/SoundLib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace scripttest;

namespace {

// A unit that stands still: enough for the script's view of the world.
class TTestUnit : public TGameObject {
public:
    TTestUnit(float x, float y, float health, float maxHealth)
    {
        Position = VectorSet4(x, y, 0, 0);
        Health = health;
        MaxHealth = maxHealth;
        OnRadar = 1;
    }
    void Update(int) override {}
    void Draw() override {}
};

class DataExchange : public ::testing::Test {
protected:
    DataExchange() : Dir(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~DataExchange() override
    {
        PlayerAircraft = nullptr;
        Messanger = nullptr;
        MenuActive = false;
    }

    // A unit in the world, held by Group as the object-making commands hold it.
    TTestUnit *Unit(int group, float x, float y, float health = 100, float maxHealth = 100)
    {
        auto *unit = new TTestUnit(x, y, health, maxHealth);
        Objects.Add(unit);
        unit->RefCount = 1;
        EXPECT_TRUE(Exchange.AddToGroup(group, unit));
        return unit;
    }

    // Compiles one block (with the declarations before it) and runs it for Frames frames.
    void Run(const std::string &body, const std::string &declarations = "", int frames = 1)
    {
        Exchange.LoadScript(Dir.Write("Mission.ses", declarations + "\n{\n" + body + "\n}\n"));
        for (int i = 0; i < frames; ++i)
            Exchange.Update(25);
    }

    const TScriptVariable &Var(const std::string &name)
    {
        const TScriptVariable *v = Exchange.Script()->FindVariable(name);
        if (!v)
            throw std::runtime_error("no variable " + name);
        return *v;
    }
    int Int(const std::string &name) { return TScript::IntAt(Var(name).Storage); }
    float Float(const std::string &name) { return TScript::FloatAt(Var(name).Storage); }

    // The bindings start from their stand-ins; the exchange then points the group figures at its own.
    const bool          BindingsReset = (ResetScriptBindings(), true);
    const TScriptDir    Dir;
    TObjectsControl     Objects;
    TScriptDataExchange Exchange{&Objects, StagedTable};
    TMessanger          Messages{600};
};

TEST_F(DataExchange, GroupFiguresCountLiveUnitsAndDropTheDeadOnce)
{
    TTestUnit *full = Unit(0, 0, 0, 100, 100);
    TTestUnit *half = Unit(0, 0, 0, 50, 200);
    TTestUnit *dead = Unit(0, 0, 0, 80, 100);
    dead->Dead = 1;
    TTestUnit *wreck = Unit(0, 0, 0, 0, 100);   // zero health, not yet marked dead
    TTestUnit *gone = Unit(1, 0, 0, -5, 100);
    TTestUnit *sinking = Unit(1, 0, 0, 100, 100);
    sinking->Dead = 1;
    EXPECT_EQ(Exchange.Groups[0].AliveCount, 4);

    Run("count = G_AI_GROUP0_COUNT\nhealth = G_AI_GROUP0_HEALTH\n"
        "emptyCount = G_AI_GROUP1_COUNT\nemptyHealth = G_AI_GROUP1_HEALTH",
        "int count 0 int health 0 int emptyCount 9 int emptyHealth 9", 2);

    EXPECT_EQ(Int("count"), 2);
    EXPECT_EQ(Int("health"), 50) << "(100 + 50) / (100 + 200)";
    EXPECT_EQ(Int("emptyCount"), 0);
    EXPECT_EQ(Int("emptyHealth"), 0);

    const TAIGroup &g0 = Exchange.Groups[0], &g1 = Exchange.Groups[1];
    EXPECT_EQ(g0.UnitCount, 4);
    EXPECT_EQ(g1.UnitCount, 2);
    EXPECT_EQ(g0.Units, (std::vector<TGameObject *>{full, half, nullptr, nullptr}));
    EXPECT_EQ(g1.Units, (std::vector<TGameObject *>{nullptr, nullptr}));
    // Released exactly once, though two frames saw them.
    for (TTestUnit *unit : {dead, wreck, gone, sinking})
        EXPECT_EQ(unit->RefCount, 0);
    EXPECT_EQ(full->RefCount, 1);
    EXPECT_EQ(half->RefCount, 1);
}

TEST_F(DataExchange, OrdersTakeTheNearestLiveUnitAndKeepTheFirstOfEqualOnes)
{
    TTestUnit player(0, 0, 100, 100);
    PlayerAircraft = &player;
    TTestUnit *atOrigin = Unit(0, 0, 0);
    TTestUnit *nearB = Unit(0, 0, 9);
    TTestUnit *a = Unit(1, 10, 0);                // first of two at distance 10 from the origin
    TTestUnit *b = Unit(1, 0, 10);
    TTestUnit *defender = Unit(2, 0, 0);
    TTestUnit *far = Unit(3, 500000, 0);          // beyond every "nearest so far" figure
    TTestUnit *chaser = Unit(4, 0, 0);
    for (TTestUnit *unit : {atOrigin, nearB, defender, chaser})
        unit->Order = 7;

    Run("SetTarget AI_GROUP0 AI_GROUP1\nSetDefend AI_GROUP2 AI_GROUP3\nSetMovePoint AI_GROUP4 AI_GROUP_PLAYER");

    EXPECT_EQ(atOrigin->Target, a);
    EXPECT_EQ(nearB->Target, b);
    EXPECT_EQ(atOrigin->Order, 0);
    EXPECT_EQ(defender->Target, far);
    EXPECT_EQ(defender->Order, 2);
    EXPECT_EQ(chaser->Target, &player);
    EXPECT_EQ(chaser->Order, 1);

    Run("StopMove AI_GROUP0");
    EXPECT_EQ(atOrigin->Target, nullptr);
    EXPECT_EQ(nearB->Target, nullptr);
    EXPECT_EQ(atOrigin->Order, 0) << "StopMove keeps the order";
}

TEST_F(DataExchange, OrdersAgainstAGroupWithoutLiveUnitsOrAMissingPlayerChangeNothing)
{
    TTestUnit *attacker = Unit(0, 0, 0);
    TTestUnit *previous = Unit(5, 1, 1);
    attacker->Target = previous;
    attacker->Order = 2;
    Unit(1, 10, 0, 0, 100);   // live in the list, but at zero health
    Unit(1, 20, 0, 0, 100);

    for (const char *order : {"SetTarget AI_GROUP0 AI_GROUP1", "SetMovePoint AI_GROUP0 AI_GROUP1",
                              "SetDefend AI_GROUP0 AI_GROUP2", "SetTarget AI_GROUP0 AI_GROUP_PLAYER"}) {
        Run(order);
        EXPECT_EQ(attacker->Target, previous) << order;
        EXPECT_EQ(attacker->Order, 2) << order;
    }
}

TEST_F(DataExchange, RefusedGroupNumbersTouchNoGroup)
{
    TTestUnit *unit = Unit(0, 0, 0);
    TTestUnit *other = Unit(1, 30, 40);
    unit->Target = other;
    unit->Order = 2;
    EXPECT_FALSE(Exchange.AddToGroup(40, unit));
    EXPECT_FALSE(Exchange.AddToGroup(-1, unit));

    for (const char *command :
         {"SetTarget $40 AI_GROUP1", "SetTarget AI_GROUP_PLAYER AI_GROUP1", "SetTarget AI_GROUP0 $40",
          "SetDefend AI_GROUP0 $-2", "StopMove $-1", "StopMove $40", "ShowOnRadar $-1 $false",
          "SetBlinkOnRadar $40 $true", "SetTargeting $1000 $true", "EnableGroupWeapon $-1 $false"}) {
        Run(command);
        EXPECT_EQ(unit->Target, other) << command;
        EXPECT_EQ(unit->Order, 2) << command;
        EXPECT_EQ(unit->OnRadar, 1) << command;
        EXPECT_EQ(unit->BlinkOnRadar, 0) << command;
        EXPECT_EQ(unit->WeaponEnabled, 1) << command;
        EXPECT_EQ(unit->Targetable, 0) << command;
    }
    for (int g = 0; g < ScriptGroupCount; ++g)
        EXPECT_EQ(Exchange.Groups[g].UnitCount, g < 2 ? 1 : 0) << g;

    // The same commands on a real group do act.
    Run("ShowOnRadar AI_GROUP0 $false\nSetBlinkOnRadar AI_GROUP0 $true\nSetTargeting AI_GROUP0 $true\n"
        "EnableGroupWeapon AI_GROUP0 $false");
    EXPECT_EQ(unit->OnRadar, 0);
    EXPECT_EQ(unit->BlinkOnRadar, 1);
    EXPECT_EQ(unit->Targetable, 1);
    EXPECT_EQ(unit->WeaponEnabled, 0);
    EXPECT_EQ(other->OnRadar, 1);
}

TEST_F(DataExchange, DistancesAverageLiveUnitsAndAreFarWhenThereIsNone)
{
    TTestUnit player(0, 0, 100, 100);
    PlayerAircraft = &player;
    Unit(0, 30, 40);
    Unit(0, 0, 100);
    Unit(1, 0, 0);
    Unit(1, 0, 50);   // the last live unit of group 1: the reference point
    Unit(1, 9, 9)->Dead = 1;
    Unit(2, 5, 5, 0, 100);

    Run("DistancePlayerToGroup AI_GROUP0 toGroup\nDistanceGroupToGroup AI_GROUP1 AI_GROUP0 between\n"
        "DistancePlayerToGroup AI_GROUP2 toNone\nDistanceGroupToGroup AI_GROUP2 AI_GROUP0 fromNone\n"
        "DistanceGroupToGroup AI_GROUP0 AI_GROUP7 toEmpty\nDistancePlayerToGroup $40 refused",
        "float toGroup 0 float between 0 float toNone 0 float fromNone 0 float toEmpty 0 float refused 0");

    EXPECT_FLOAT_EQ(Float("toGroup"), 75);                       // (50 + 100) / 2
    EXPECT_FLOAT_EQ(Float("between"), (std::sqrt(30.f * 30 + 10 * 10) + 50) / 2);
    for (const char *name : {"toNone", "fromNone", "toEmpty", "refused"})
        EXPECT_EQ(Float(name), NoDistance) << name;
}

TEST_F(DataExchange, CheckPointCommandsWithoutACheckPointFail)
{
    for (const char *command : {"DistancePlayerToCheckPoint d", "DeleteCheckPoint"}) {
        try {
            Run(command, "float d 0");
            ADD_FAILURE() << command << " did not fail";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "Script Error: CheckPoint not found") << command;
        }
    }
}

TEST_F(DataExchange, ACheckPointInTheWorldIsMovedAndADeletedOneIsNeverTouchedAgain)
{
    TTestUnit player(0, 0, 100, 100);
    PlayerAircraft = &player;
    auto *marker = new TTestUnit(1, 1, 0, 0);
    Objects.Add(marker);
    marker->RefCount = 1;
    Exchange.CheckPoint = marker;

    Run("CreateStaticDead OBJECT_CHECKPOINT AI_SIDE_ENEMY $30,0 $40,0 $0,0 $0,0 $90,0 Gate\n"
        "DistancePlayerToCheckPoint d",
        "float d 0");
    EXPECT_FLOAT_EQ(Float("d"), 50);
    EXPECT_EQ(marker->Name, "Gate");
    EXPECT_EQ(marker->Side, 1);
    EXPECT_FLOAT_EQ(marker->Rotation.y, 90);
    EXPECT_EQ(marker->RefCount, 1);

    Run("DeleteCheckPoint\nDeleteCheckPoint\nDistancePlayerToCheckPoint d", "float d 0");
    EXPECT_EQ(marker->Dead, 1);
    EXPECT_EQ(marker->RefCount, 0) << "the hold is released once";
    EXPECT_FLOAT_EQ(Float("d"), 50);
    Objects.Update(25);   // frees the marker
    EXPECT_EQ(Objects.Count, 0);

    // The old marker has left the world: a new one is made (and deleted again), never the old one.
    Run("CreateStaticDead OBJECT_CHECKPOINT AI_SIDE_ENEMY $1,0 $2,0 $0,0 $0,0 $0,0 Again\nDeleteCheckPoint");
    ASSERT_EQ(Objects.Count, 1);
    const TGameObject *fresh = Objects.Objects[0];
    EXPECT_EQ(fresh, Exchange.CheckPoint);
    EXPECT_EQ(fresh->Name, "Again");
    EXPECT_EQ(fresh->Dead, 1);
    EXPECT_EQ(fresh->RefCount, 0);
    Objects.Update(25);
    EXPECT_EQ(Objects.Count, 0);
}

TEST_F(DataExchange, WrecksAreHeldForTheMissionAndOtherTypesMakeNothing)
{
    Run("CreateStaticDead OBJECT_SHIP_DESTROYER AI_SIDE_ENEMY $10,0 $20,0 $0,0 $0,0 $45,0 Hulk\n"
        "CreateStaticDead OBJECT_DEAD_SU25 AI_SIDE_FRIEND $1,0 $2,0 $3,0 $0,0 $0,0 Crash\n"
        "CreateStaticDead OBJECT_SHIP AI_SIDE_ENEMY $0,0 $0,0 $0,0 $0,0 $0,0 Nothing\n"
        "CreateStaticDead $99 AI_SIDE_ENEMY $0,0 $0,0 $0,0 $0,0 $0,0 Nothing");
    ASSERT_EQ(Objects.Count, 2);
    const TGameObject &hulk = *Objects.Objects[0], &crash = *Objects.Objects[1];
    EXPECT_EQ(hulk.Name, "Hulk");
    EXPECT_EQ(hulk.Side, 1);
    EXPECT_FLOAT_EQ(hulk.Position.x, 10);
    EXPECT_FLOAT_EQ(hulk.Rotation.y, 45);
    EXPECT_EQ(crash.Name, "Crash");
    EXPECT_EQ(crash.Side, 0);
    for (const TGameObject *wreck : {&hulk, &crash}) {
        EXPECT_EQ(wreck->RefCount, 1);
        EXPECT_EQ(wreck->OnRadar, 0);
        EXPECT_EQ(wreck->Targetable, 0);
        EXPECT_FLOAT_EQ(wreck->MaxHealth, 1.0f);
    }
    EXPECT_EQ(Exchange.CheckPoint, nullptr) << "a wreck is not a checkpoint";
}

TEST_F(DataExchange, TasksGrowToTheirNumberAndAnnounceEveryChange)
{
    Messanger = &Messages;
    Run("AddTask Escort $3");
    ASSERT_EQ(Exchange.TaskCount(), 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Exchange.Tasks[i].Text, "") << i;
        EXPECT_EQ(Exchange.Tasks[i].State, 0) << i;
    }
    EXPECT_EQ(Exchange.Tasks[3].Text, "Escort");

    Run("TaskComplete $3\nTaskFail $0\nAddTask Land $1");
    EXPECT_EQ(Exchange.Tasks[3].State, 1);
    EXPECT_EQ(Exchange.Tasks[0].State, 2);
    EXPECT_EQ(Exchange.Tasks[1].Text, "Land");

    struct TShown {
        std::string Text;
        float R, G, B;
    };
    const std::vector<TShown> expected = {{"Target complete", 0, 1, 0}, {"Target failed", 1, 0, 0},
                                          {"New target", 0, 0, 1}};
    // Loading the second script emptied the list, so it holds that script's three messages.
    ASSERT_EQ(Messages.ItemCount, 3);
    for (int i = 0; i < 3; ++i) {
        const TMessageItem &item = Messages.Items[std::size_t(i)];
        const TShown &want = expected[std::size_t(i)];
        EXPECT_EQ(item.Text, want.Text) << i;
        EXPECT_EQ(item.TimeLeft, 5000) << i;
        EXPECT_EQ((std::vector<float>{item.Colour[0], item.Colour[1], item.Colour[2]}),
                  (std::vector<float>{want.R, want.G, want.B}))
            << i;
    }

    // Task numbers outside the list change nothing and announce nothing.
    Run("AddTask Bad $-1\nTaskComplete $4\nTaskFail $-1");
    EXPECT_EQ(Exchange.TaskCount(), 4);
    EXPECT_EQ(Exchange.Tasks[0].State, 2);
    EXPECT_EQ(Messages.ItemCount, 0);
}

TEST_F(DataExchange, ScriptMessagesReachTheMessageList)
{
    Messanger = &Messages;
    Run("Message Welcome\nCenterMessage Break");
    ASSERT_EQ(Messages.ItemCount, 1);
    EXPECT_EQ(Messages.Items[0].Text, "Welcome");
    EXPECT_FLOAT_EQ(Messages.Items[0].Colour[1], 0.7f);
    EXPECT_EQ(Messages.CentreText, "Break");
    EXPECT_EQ(Messages.CentreTime, 5000);

    // In Russian a centred call-out that the mission texts translate is shown translated; one they
    // do not have is shown as written.
    const TTempDir dir("exchange-locale");
    WriteText(dir.Path / "Locale.txt", "[0]\r\n[1]\r\n[2]\r\n[3]\r\n[4]\r\nBREAK\r\n\xD1\xF2\xEE\xEF\r\n[5]\r\n");
    TLocale russian((dir.Path / "Locale.txt").string(), nullptr, 1);
    TLocale *const saved = Locale;
    Locale = &russian;
    Run("CenterMessage Break");
    EXPECT_EQ(Messages.CentreText, "\xD1\xF2\xEE\xEF");
    Run("CenterMessage Go");
    EXPECT_EQ(Messages.CentreText, "Go");
    Locale = saved;
}

TEST_F(DataExchange, MissionEndsAreRecordedOnceAndScoreAWin)
{
    const TTempDir appDir("exchange-app");
    const std::string savedAppDir = AppDir;
    AppDir = appDir.Path.string() + "/";
    TConfig config;
    config.PlayerCount = 1;
    config.CurrentPlayer = 0;
    Config = &config;

    struct TCase {
        const char    *Script;
        TMissionResult Result;
        const char    *NextMap;
        int            Score;
        const char    *Level;
        bool           Saved;
    };
    const TCase cases[] = {
        {"GameOver\nNextLevel Level3.ses", TMissionResult::Lost, "", 1000, "Level2.ses", false},
        {"NextLevel Level3.ses\nGameOver", TMissionResult::Won, "Level3.ses", 1000 + 2 * 300 + 500, "Level3.ses", true},
        {"EndGame", TMissionResult::Won, "", 1000 + 2 * 300 + 500, "", false},
    };
    for (const TCase &c : cases) {
        std::filesystem::remove(appDir.Path / "Config.cfg");
        config.Players[0].Score = 1000;
        config.Players[0].Level = "Level2.ses";
        MenuActive = false;
        TScriptDataExchange exchange(&Objects, StagedTable);
        *MissionStatistics = {.AircraftKills = 2, .ShipKills = 1};
        exchange.LoadScript(Dir.Write("End.ses", std::string("{\n") + c.Script + "\n}\n"));
        exchange.Update(25);
        exchange.Update(25);   // the block runs again: nothing is scored twice

        EXPECT_TRUE(MenuActive) << c.Script;
        EXPECT_EQ(exchange.Result, c.Result) << c.Script;
        EXPECT_EQ(exchange.NextMap, c.NextMap) << c.Script;
        EXPECT_EQ(config.Players[0].Score, c.Score) << c.Script;
        EXPECT_EQ(config.Players[0].Level, c.Level) << c.Script;
        EXPECT_EQ(std::filesystem::exists(appDir.Path / "Config.cfg"), c.Saved) << c.Script;
        if (c.Saved) {
            TConfig saved;
            saved.Load((appDir.Path / "Config.cfg").string());
            EXPECT_EQ(saved.Players[0].Level, c.Level);
            EXPECT_EQ(saved.Players[0].Score, c.Score);
        }
    }
    *MissionStatistics = {};
    Config = nullptr;
    AppDir = savedAppDir;
}

TEST_F(DataExchange, LoadingFailuresLeaveNoScriptToRun)
{
    TSoundLib sound;
    SoundLib = &sound;
    Exchange.SpawnPoints.push_back(TVector4{});
    EXPECT_THROW(Run("SetMusic NoSuchTune.ogg"), std::runtime_error) << "a missing music file fails the load";
    EXPECT_EQ(Exchange.Script(), nullptr);
    EXPECT_TRUE(Exchange.SpawnPoints.empty());
    EXPECT_THROW(Run("NoSuchCommand"), TScriptError);
    EXPECT_EQ(Exchange.Script(), nullptr);
    Exchange.Update(25);   // a mission whose script failed to load runs nothing
    SoundLib = nullptr;

    Run("SetMusic NULL\nmp_AddSpawnPoint $1,0 $2,0 $3,0\nmp_AddSpawnPoint $4,0 $5,0 $6,0");
    ASSERT_EQ(Exchange.SpawnPoints.size(), 2u);
    EXPECT_FLOAT_EQ(Exchange.SpawnPoints[1].z, 6);
}

} // namespace
