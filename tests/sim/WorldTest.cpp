// The world update without a window: the game clock, the order of script and objects, the switch
// that stops every object, the ageing of tracers and particles, the mission timer the world owns,
// and the marker objects scripts make.

#include "tests/script/ScriptTestUtil.h"

#include "assets/DPSEffect.h"
#include "core/View.h"
#include "script/GameVars.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Statics.h"
#include "sim/Tracers.h"
#include "sim/World.h"

#include <gtest/gtest.h>

#include <string>

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

class World : public ::testing::Test {
protected:
    World() : Dir(::testing::UnitTest::GetInstance()->current_test_info()->name()) { ResetScriptBindings(); }
    ~World() override
    {
        Billboards = nullptr;
        Sprites = nullptr;
        AllObjectsDisabled = false;
        GameClock = 0;
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

} // namespace
