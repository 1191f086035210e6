// The world's tick without a window: the game clock, the order of script and objects, the switch
// that stops every object, the ageing of tracers and particles, the mission timer and statistics the
// world owns, the marker objects scripts make, what every load starts afresh, and the player
// aircraft flown by their commands, seen through the views and aiming at the sight point the tick
// works out.

#include "tests/script/ScriptTestUtil.h"

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/View.h"
#include "script/GameVars.h"
#include "sim/Cameras.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Sight.h"
#include "sim/Statics.h"
#include "sim/Tracers.h"
#include "sim/Weapons.h"
#include "sim/World.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

using namespace scripttest;

namespace {

class TCountingUnit : public TGameObject {
public:
    explicit TCountingUnit(int &updates) : Updates(updates) {}
    void Update(int) override { ++Updates; }
    void Draw() override {}
    int &Updates;
};

// Fires one tracer of Life ms on its first update.
class TShootingUnit : public TGameObject {
public:
    explicit TShootingUnit(int life) : Life(life) {}
    void Update(int) override
    {
        const float white[4] = {1, 1, 1, 1};
        if (!Fired)
            Billboards->Add(VectorSet3(0, 0, 0), VectorSet3(0, 100, 0), white, true, false, 0, 1, Life);
        Fired = true;
    }
    void Draw() override {}
    int  Life;
    bool Fired = false;
};

// A unit that counts as Kind when it is killed, flying north at Speed a second.
class TVictim : public TGameObject {
public:
    explicit TVictim(TTargetClass kind, float speed = 0) : Kind(kind), Speed(speed) {}
    void Update(int dt) override { Position.y += Speed * float(dt) / 1000; }
    void Draw() override {}
    TTargetClass TargetClass() override { return Kind; }
    TTargetClass Kind;
    float        Speed;
};

class World : public ::testing::Test {
protected:
    World() : Dir(::testing::UnitTest::GetInstance()->current_test_info()->name()) { ResetScriptBindings(); }
    ~World() override
    {
        Billboards = nullptr;
        Sprites = nullptr;
        AllObjectsDisabled = false;
        GameClock = 0;
        PlayerAircraft = nullptr;
        DynamicCamera = nullptr;
        ModelLib = nullptr;
        MenuActive = false;
    }
    void Load(TWorld &world, const std::string &source) { world.LoadMission(Dir.Write("Mission.ses", source)); }

    const TScriptDir Dir;
};

TEST_F(World, TheClockAdvancesByEachStepAndTheScriptCanStopEveryObject)
{
    // The script runs before the objects in the same frame, so a script that disables them at once
    // leaves them untouched from the first frame on.
    const struct {
        const char *Script;
        int         Updates;
    } cases[] = {
        {"int x 0\n{\nx = $1\n}\n", 3},
        {"{\nG_ALL_OBJECTS_DISABLE = $true\n}\n", 0},
    };
    for (const auto &c : cases) {
        AllObjectsDisabled = false;
        TWorld world(StagedTable);
        Load(world, c.Script);
        int updates = 0;
        world.Objects->Add(new TCountingUnit(updates));
        const std::int64_t start = GameClock;
        world.Update(25);
        world.Update(40);
        world.Update(1);
        EXPECT_EQ(GameClock - start, 66) << c.Script;
        EXPECT_EQ(updates, c.Updates) << c.Script;
    }
}

TEST_F(World, TracersAndParticlesAgeAfterTheObjectsOfTheSameFrame)
{
    TBillboards tracers;
    TSprites particles;
    TSpriteBlock block;
    block.Particles.resize(1);
    block.Particles[0].Life = block.Particles[0].Remaining = 30;
    particles.Add(&block);
    Billboards = &tracers;
    Sprites = &particles;

    TWorld world(StagedTable);
    Load(world, "int x 0\n{\nx = $1\n}\n");
    world.Objects->Add(new TShootingUnit(25));
    world.Update(10);
    // The shot fired in this frame has already aged by this frame's step.
    ASSERT_EQ(tracers.Count(), 1);
    EXPECT_EQ(tracers.Items[0].Remaining, 15);
    EXPECT_FLOAT_EQ(tracers.Items[0].AlphaScale, 0.6f);
    ASSERT_EQ(block.Particles.size(), 1u);
    EXPECT_EQ(block.Particles[0].Remaining, 20);

    world.Unload();   // they age without a mission too
    world.Update(15);
    EXPECT_EQ(tracers.Count(), 0);
    EXPECT_EQ(block.Particles.size(), 1u);
    world.Update(5);
    EXPECT_TRUE(block.Particles.empty());

    // A run without either steps all the same.
    Billboards = nullptr;
    Sprites = nullptr;
    world.Update(25);
}

TEST_F(World, OwnsTheMissionTimerWhichEveryLoadSwitchesOff)
{
    {
        TWorld world(StagedTable);
        EXPECT_EQ(ScriptBindings.TimerTime, &world.Timer.Remaining);
        Load(world, "int G_TIMER_TIME 1000\n{\nG_TIMER_ENABLE = $true\n}\n");
        EXPECT_FALSE(world.Timer.Enabled);
        EXPECT_EQ(world.Timer.Remaining, 1000) << "the declaration sets the world's timer";
        world.Update(25);   // the script switches it on, then it counts down in the same frame
        world.Update(25);
        EXPECT_TRUE(world.Timer.Enabled);
        EXPECT_EQ(world.Timer.Remaining, 950);

        Load(world, "int x 0\n{\nx = $1\n}\n");
        EXPECT_FALSE(world.Timer.Enabled);
        world.Update(25);
        EXPECT_EQ(world.Timer.Remaining, 950) << "a timer switched off keeps its time";

        // A mission that fails to compile leaves none loaded, and the world still steps.
        EXPECT_THROW(Load(world, "int x 0\n{\nx = $1,5\n}\n"), std::exception);
        EXPECT_FALSE(world.Loaded());
        world.Update(25);
    }
    EXPECT_EQ(ScriptBindings.TimerEnable, &ScriptStandIns.Timer.Enabled);
    EXPECT_EQ(ScriptBindings.TimerTime, &ScriptStandIns.Timer.Remaining);
}

TEST_F(World, ScriptsMakeEmptyMarkersIntoGroupsAndTheCheckPoint)
{
    TWorld world(StagedTable);
    Load(world, "int once 0\n{\nif once = $0 then\n"
                "CreateObject OBJECT_EMPTY AI_GROUP3 AI_SIDE_ENEMY $70 $1,0 $2,0 $3,0 $10,0 $20,0 Rally\n"
                "CreateObject OBJECT_EMPTY $40 AI_SIDE_ENEMY $70 $1,0 $2,0 $3,0 $10,0 $20,0 Refused\n"
                "CreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $30,0 $40,0 $5,0 $0,0 $90,0 Gate\n"
                "once = $1\nendif\n}\n");
    world.Update(25);

    ASSERT_EQ(world.Objects->Count, 2) << "the marker of a group out of range is refused";
    auto *empty = dynamic_cast<TEmptyObject *>(world.Objects->Objects[0]);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(world.Exchange->Groups[3].UnitCount, 1);
    EXPECT_EQ(world.Exchange->Groups[3].Units[0], empty);
    EXPECT_EQ(empty->Side, 1);
    EXPECT_FLOAT_EQ(empty->Health, 70);
    EXPECT_FLOAT_EQ(empty->MaxHealth, 70);
    EXPECT_EQ(empty->RefCount, 1);
    EXPECT_EQ(empty->Name, "Rally");
    EXPECT_EQ(empty->OnRadar, 1);
    EXPECT_EQ(empty->Targetable, 0);
    EXPECT_EQ(empty->IsGround, 1);
    EXPECT_EQ(empty->IsStatic, 1);
    EXPECT_EQ(empty->Model, nullptr);
    EXPECT_FLOAT_EQ(empty->Position.z, 3);
    EXPECT_FLOAT_EQ(empty->Rotation.x, 10);
    EXPECT_FLOAT_EQ(empty->Rotation.y, 20);

    auto *gate = dynamic_cast<TDeadStaticObject *>(world.Objects->Objects[1]);
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(world.Exchange->CheckPoint, gate);
    EXPECT_NE(gate->Id, empty->Id);
    EXPECT_EQ(gate->Category, TObjectCategory::CheckPoint);
    EXPECT_EQ(gate->OnRadar, 1);
    EXPECT_EQ(gate->Marker, 1);
    EXPECT_EQ(gate->Side, 0);
    EXPECT_FLOAT_EQ(gate->MaxHealth, 1);
    EXPECT_EQ(gate->RefCount, 1);
    EXPECT_EQ(gate->Targetable, 0);
    EXPECT_EQ(gate->Name, "Gate");
    EXPECT_FLOAT_EQ(gate->Position.x, 30);
    EXPECT_FLOAT_EQ(gate->Rotation.y, 90);
}

TEST_F(World, ADeletedCheckPointIsFreedAndTheNextOneIsNew)
{
    TWorld world(StagedTable);
    Load(world, "int step 0\n{\n"
                "if step = $0 then\nCreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $1,0 $1,0 $0,0 $0,0 $0,0 A\nendif\n"
                "if step = $1 then\nCreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $2,0 $2,0 $0,0 $0,0 $0,0 B\nendif\n"
                "if step = $2 then\nDeleteCheckPoint\nendif\n"
                "if step = $4 then\nCreateStaticDead OBJECT_CHECKPOINT AI_SIDE_FRIEND $3,0 $3,0 $0,0 $0,0 $0,0 C\nendif\n"
                "step += $1\n}\n");
    world.Update(25);
    TGameObject *first = world.Exchange->CheckPoint;
    world.Update(25);
    EXPECT_EQ(world.Exchange->CheckPoint, first) << "a checkpoint in the world is moved";
    EXPECT_EQ(first->Name, "B");
    EXPECT_EQ(world.Objects->Count, 1);
    world.Update(25);   // deleted, and freed by the objects' pass of the same frame
    EXPECT_EQ(world.Objects->Count, 0);
    world.Update(25);
    world.Update(25);
    ASSERT_EQ(world.Objects->Count, 1);
    EXPECT_EQ(world.Exchange->CheckPoint, world.Objects->Objects[0]);
    EXPECT_EQ(world.Exchange->CheckPoint->Name, "C");
    EXPECT_EQ(world.Exchange->CheckPoint->RefCount, 1);
}

TEST_F(World, PlayerKillsCountInTheLivingWorldsStatistics)
{
    TVictim aircraft(TTargetClass::Aircraft), ship(TTargetClass::Ship), site(TTargetClass::Ground),
        other(TTargetClass::None);
    const auto killAll = [&] {
        for (TVictim *victim : {&aircraft, &ship, &ship, &site, &other})
            CountPlayerKill(*victim);
    };
    // Without a mission the program's own statistics count them.
    PlayerStatistics = {};
    killAll();
    EXPECT_EQ(PlayerStatistics.AircraftKills, 1);
    EXPECT_EQ(PlayerStatistics.ShipKills, 2);
    {
        TWorld world(StagedTable);
        killAll();
        EXPECT_EQ(world.Statistics.AircraftKills, 1);
        EXPECT_EQ(world.Statistics.ShipKills, 2);
        EXPECT_EQ(PlayerStatistics.ShipKills, 2);
    }
    killAll();
    EXPECT_EQ(PlayerStatistics.ShipKills, 4) << "the world gone, the program's count again";
    PlayerStatistics = {};
}

TEST_F(World, EveryLoadStartsTheMissionAfresh)
{
    TDynamicCamera camera;
    DynamicCamera = &camera;
    TGamer gamer;
    PlayerAircraft = &gamer;
    TWorld world(StagedTable);
    world.AddPlayer(&gamer);
    Load(world, "int x 0\n{\nx = $1\n}\n");
    EXPECT_EQ(gamer.Mission(), world.Objects.get());
    EXPECT_EQ(gamer.Fade, &world.Fade);
    EXPECT_EQ(world.Fade.In, -1) << "black until the script fades in";

    // What a mission leaves behind.
    world.Fade = {.In = 500, .Out = 300};
    world.Statistics = {.AircraftKills = 1, .ShipKills = 2, .Shots = 3, .Hits = 4};
    world.Timer.Enabled = true;
    world.Tick(25, {});
    world.Tick(25, {});
    ASSERT_TRUE(world.MainView.Valid);
    ASSERT_TRUE(gamer.SightValid);
    auto *watched = new TVictim(TTargetClass::Ship);
    world.Objects->Add(watched);
    ASSERT_TRUE(camera.Focus(watched, 2, 3000));
    HandCarrierPoints(TCarrierPoints{});
    ASSERT_TRUE(gamer.HasCarrier);
    // A mission lost while it held the player's weapons and controls and froze the world.
    *ScriptBindings.PlayerWeaponDisabled = *ScriptBindings.PlayerControlDisabled = true;
    *ScriptBindings.AllObjectsDisable = true;

    Load(world, "int x 0\n{\nx = $1\n}\n");
    EXPECT_FALSE(*ScriptBindings.PlayerWeaponDisabled);
    EXPECT_FALSE(*ScriptBindings.PlayerControlDisabled);
    EXPECT_FALSE(*ScriptBindings.AllObjectsDisable);
    EXPECT_EQ(world.Statistics.AircraftKills + world.Statistics.ShipKills + world.Statistics.Shots +
                  world.Statistics.Hits,
              0);
    EXPECT_EQ(MissionStatistics, &world.Statistics);
    EXPECT_EQ(world.Fade.Out, 0);
    EXPECT_EQ(world.Fade.In, -1);
    EXPECT_FALSE(world.Timer.Enabled);
    EXPECT_FALSE(world.MainView.Valid);
    EXPECT_FALSE(world.SmallView.Valid);
    EXPECT_EQ(camera.Subject, nullptr);
    EXPECT_EQ(camera.Mode, 0);
    EXPECT_EQ(camera.Objects, world.Objects.get());
    TCarrierPoints points;
    EXPECT_FALSE(NewestCarrierPoints(points));
    EXPECT_FALSE(gamer.HasCarrier);
    EXPECT_EQ(gamer.Mission(), world.Objects.get());
    EXPECT_FALSE(gamer.SightValid);
}

TEST_F(World, ATickFliesEachPlayerByItsCommandAndAimsAtTheSightPointOfTheView)
{
    // A target across the line of the chase camera, which stands 20 behind and 10 above the aircraft
    // parked at (100, 100, 100): a ship whose collision mesh (x -10..10, y -20..20, z 0..30) lies
    // inside its hull's box (50 either way, z -20..20), and an aircraft without a collision mesh,
    // which the line meets on its model's box (y -8..8), also flying away from the aircraft as fast
    // as an early-warning aircraft, 2.5 a frame. Each tick casts the line of the last tick's view
    // among the objects where they are now.
    const TTempDir dir("world-sight");
    TModelBuilder ship, aircraft;
    ship.AddMesh("Hull").Box(VectorSet3(-50, -50, -20), VectorSet3(50, 50, 20));
    ship.AddMesh("Collision").Box(VectorSet3(-10, -20, 0), VectorSet3(10, 20, 30));
    aircraft.AddMesh("Body").Box(VectorSet3(-5, -8, -2), VectorSet3(5, 8, 2));
    WriteBytes(dir.Path / "Ship.otm", ship.Bytes());
    WriteBytes(dir.Path / "Aircraft.otm", aircraft.Bytes());
    TModelLib models;
    const struct {
        const char  *What;
        const char  *Model;
        TTargetClass Kind;
        float        Speed, Y, Z;
        float        SightY;   // where the line meets it in the second tick
    } cases[] = {
        {"a ship's collision mesh", "Ship.otm", TTargetClass::Ship, 0, 600, 90, 580},
        {"an aircraft's box", "Aircraft.otm", TTargetClass::Aircraft, 0, 600, 110, 592},
        {"an aircraft flying away", "Aircraft.otm", TTargetClass::Aircraft, 100, 595, 110, 592},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        TModel *model = models.Load((dir.Path / c.Model).string());
        ASSERT_NE(model, nullptr);
        GameClock = 60000;   // well into the run: the gun has long been ready
        TDynamicCamera camera;
        DynamicCamera = &camera;
        TGamer gamer, wingman;
        PlayerAircraft = &gamer;
        TWorld world(StagedTable);
        world.AddPlayer(&gamer);
        world.AddPlayer(&wingman);
        // The first spawn point puts the player at its start at once, without a fade.
        Load(world, "int once 0\n{\nif once = $0 then\nmp_AddSpawnPoint $1,0 $2,0 $3,0\nonce = $1\nendif\n}\n");
        auto *target = new TVictim(c.Kind, c.Speed);
        target->Model = model;
        target->Position = VectorSet4(100, c.Y, c.Z, 0);
        target->Side = 1;
        target->Targetable = 1;
        target->Health = target->MaxHealth = 10000;
        target->Id = world.Objects->NewId();
        world.Objects->Add(target);

        TPlayerCommand forward, fire;
        forward.Held = CommandForward;
        fire.Held = CommandPrimary;
        // None for the wingman: nobody flies it.
        world.Tick(25, std::vector<TPlayerCommand>{forward});
        EXPECT_EQ(gamer.Pilot.Command, forward);
        EXPECT_EQ(gamer.Throttle, 200);
        EXPECT_EQ(wingman.Pilot.Command, TPlayerCommand());
        EXPECT_FALSE(gamer.SightValid) << "no sight before the first view";
        EXPECT_EQ(gamer.CurrentTarget, nullptr);

        // The views of the local player: the chase camera, published for the frame; the small view.
        ASSERT_TRUE(world.MainView.Valid);
        EXPECT_FLOAT_EQ(world.MainView.Eye.x, gamer.Camera.Position.x);
        EXPECT_FLOAT_EQ(world.MainView.Eye.y, gamer.Camera.Position.y);
        EXPECT_FLOAT_EQ(world.MainView.Eye.z, 110);
        EXPECT_EQ(std::memcmp(ViewModelView.m, world.MainView.ModelView.m, sizeof ViewModelView.m), 0);
        EXPECT_TRUE(world.SmallView.Valid);

        // The next tick aims along it: the target is the player's and the gun's round hits it.
        world.Tick(25, std::vector<TPlayerCommand>{fire});
        ASSERT_TRUE(gamer.SightValid);
        EXPECT_NEAR(gamer.SightPoint.x, 100, 1e-3f);
        EXPECT_NEAR(gamer.SightPoint.y, c.SightY + SightDepth, 0.01f) << "just inside what the line meets";
        EXPECT_NEAR(gamer.SightPoint.z, 110, 1e-3f);
        EXPECT_EQ(gamer.CurrentTarget, target);
        EXPECT_NEAR(gamer.AimPoint.y, gamer.SightPoint.y, 1e-3f);
        EXPECT_LT(target->Health, target->MaxHealth);
        EXPECT_EQ(world.Statistics.Hits, 1);
        EXPECT_EQ(wingman.Weapons[0]->Ammo, wingman.Weapons[0]->Capacity) << "the wingman holds nothing";
    }
}

} // namespace

TEST(WorldShake, AHitOnThePlayerAndABlastCloseByShakeTheDrawnViewOnly)
{
    ResetScriptBindings();
    const TScriptDir dir("world-shake");
    TCameraShaking shake;
    CameraShaking = &shake;
    TGamer gamer;
    PlayerAircraft = &gamer;
    TWorld world(StagedTable);
    world.AddPlayer(&gamer);
    world.LoadMission(dir.Write("Mission.ses", "int x 0\n{\nx = $1\n}\n"));
    world.Tick(25, {});
    EXPECT_EQ(VectorLength(shake.Offset), 0) << "nothing has happened yet";
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(world.ShakenView.ModelView[i], world.MainView.ModelView[i]);

    // A hit: the drawn view jolts, the one the simulation aims through does not.
    gamer.Health -= 200;
    world.Tick(25, {});
    EXPECT_GT(VectorLength(shake.Offset), 1.0f);
    bool moved = false;
    for (int i = 0; i < 16; ++i)
        moved = moved || world.ShakenView.ModelView[i] != world.MainView.ModelView[i];
    EXPECT_TRUE(moved);

    // Blasts: one beside the aircraft shakes the view, one far off does not; healing does not either.
    struct TCase {
        const char *What;
        float       Distance, Amount;
        bool        Shakes;
    } cases[] = {{"a missile beside the aircraft", 10, 50, true},
                 {"a missile 1000 away", 1000, 50, true},
                 {"a missile 2000 away", 2000, 50, false},
                 {"the mega bomb 4000 away", 4000, 150, true}};
    for (const TCase &test : cases) {
        shake.Offset = TVector4();
        ShakeNear(VectorSet3(gamer.Position.x + test.Distance, gamer.Position.y, gamer.Position.z), test.Amount);
        EXPECT_EQ(VectorLength(shake.Offset) > 0, test.Shakes) << test.What;
    }
    shake.Offset = TVector4();
    gamer.Health += 100;
    world.Tick(25, {});
    EXPECT_EQ(VectorLength(shake.Offset), 0) << "a repair is no hit";

    CameraShaking = nullptr;
    PlayerAircraft = nullptr;
}
