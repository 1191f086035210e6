// The computer-controlled aircraft and the air weapons: the fighter's missiles, gun, altitude band
// and collision; the bomber's drops; the bomb's collisions and splash; the missile's homing, hit and
// giving up; the launchers; the death of an aircraft; the state messages; the gun's muzzle flame.
// Every fixture model is a real ".otm" file built with the model builder and loaded through the
// model library from a private data folder.

#include "sim/Aircraft.h"

#include "assets/AssetDevice.h"
#include "tests/sim/RecordingDevice.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "script/Messanger.h"
#include "sim/DataExchange.h"
#include "sim/Misc.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"
#include "sim/World.h"
#include "tests/script/ScriptTestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;
constexpr int Frame = 25;   // ms, the step of a network or fixed-step game

// A ship, a site or an island as the weapons see it: it stands still and takes damage.
class TTarget : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
    TTargetClass TargetClass() override { return Class; }
    std::span<const TWorldTriangle> WorldTriangles() const override { return Triangles; }

    TTargetClass Class = TTargetClass::Ship;
    std::vector<TWorldTriangle> Triangles;
};

class AircraftTest : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        Billboards = &Tracers;
        Messanger = nullptr;
        Misc = nullptr;
        MissionStatistics = &Statistics;
        NetworkGame = NetworkHost = false;
        GameClock = 0;
        EyePosition = TVector4();
        RandSeed = 20240611;

        // The fighter: a small box with its gun in the nose, a rocket under each wing and the engine.
        TModelBuilder fighter;
        fighter.AddMesh("Body").Box(VectorSet3(-5, -8, -1), VectorSet3(5, 8, 1));
        fighter.AddPoint("Gun_1", VectorSet3(0, 8, 0));
        fighter.AddPoint("Rocket_1", VectorSet3(-4, -2, -1));
        fighter.AddPoint("Rocket_2", VectorSet3(4, -2, -1));
        fighter.AddPoint("Engine", VectorSet3(0, -8, 0));
        WriteBytes(Dir.Path / "Data" / "Models" / "Crafts" / "GAS1" / "Main.otm", fighter.Bytes());

        // A ship: half extents 10 (x), 20 (y) and 5 (z) with a collision mesh of the same box.
        TModelBuilder ship;
        ship.AddMesh("Hull").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        ship.AddMesh("Collision").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        WriteBytes(Dir.Path / "Data" / "Models" / "Ship.otm", ship.Bytes());
        Ship = ModelLib->Load(AppDir + "Data\\Models\\Ship.otm");
        ASSERT_NE(Ship, nullptr);
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        Billboards = nullptr;
        Messanger = nullptr;
        Misc = nullptr;
        MissionStatistics = &PlayerStatistics;
        NetworkGame = NetworkHost = false;
        SetAssetDevice(nullptr);
        AppDir = SavedAppDir;
    }

    // A listed ship of side 0 with 1000 health at X, Y, Z.
    TTarget *AddShip(float x, float y, float z) { return AddShip(Objects, x, y, z); }
    TTarget *AddShip(TObjectsControl &objects, float x, float y, float z)
    {
        auto *ship = new TTarget;
        ship->Model = Ship;
        ship->Position = VectorSet4(x, y, z, 0);
        ship->Side = 0;
        ship->Targetable = 1;
        ship->IsGround = 1;
        ship->Health = ship->MaxHealth = 1000;
        ship->Id = objects.NewId();
        objects.Add(ship);
        return ship;
    }

    // A listed enemy fighter at (0, 0, Z) heading along +y at speed 300, attacking Target.
    TCraftGAS1 *AddFighter(float z, TGameObject *target)
    {
        auto *fighter = new TCraftGAS1(Objects, VectorSet3(0, 0, z), VectorSet3(0, 0, 0));
        fighter->Side = 1;
        fighter->Health = fighter->MaxHealth = 100;
        fighter->Targetable = 1;
        fighter->OrderData = 300;
        Objects.Add(fighter);
        fighter->Target = target;
        return fighter;
    }

    // Frees every listed object.
    void ClearObjects()
    {
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }

    template <class T> std::vector<T *> Listed() const
    {
        std::vector<T *> found;
        for (TGameObject *object : Objects.Objects)
            if (auto *t = dynamic_cast<T *>(object))
                found.push_back(t);
        return found;
    }

    TTempDir        Dir{"sim-aircraft"};
    TModelLib       Models;
    TModel         *Ship = nullptr;
    TBillboards     Tracers;
    TObjectsControl Objects;
    TPlayerStatistics Statistics;   // the kills counted for the player
    std::string     SavedAppDir;
};

TVector3 AtBearing(float distance, float bearingDegrees, float z)
{
    return VectorSet3(distance * std::sin(bearingDegrees * Degrees), distance * std::cos(bearingDegrees * Degrees), z);
}

} // namespace

// ---- The fighter --------------------------------------------------------------------------------

TEST_F(AircraftTest, FighterWeaponsByDistanceBearingAndOrder)
{
    struct {
        const char *What;
        float Distance, Bearing;
        int Order;
        bool Missile, Gun;
        bool Weapons = true;
    } cases[] = {
        {"1500 on the nose: a missile, out of gun range", 1500, 0, 0, true, false},
        {"300 on the nose: both", 300, 0, 0, true, true},
        {"2500 on the nose: out of missile range", 2500, 0, 0, false, false},
        {"1500, 30 degrees off the nose", 1500, 30, 0, false, false},
        {"300 on the nose, moving to it", 300, 0, 1, false, false},
        {"300 on the nose, escorting it", 300, 0, 2, false, false},
        // A mission holds an escort's fire until it is spotted ("EnableGroupWeapon").
        {"300 on the nose, weapons held", 300, 0, 0, false, false, false},
    };
    for (const auto &test : cases) {
        TTarget *ship = AddShip(0, 0, 0);
        const TVector3 at = AtBearing(test.Distance, test.Bearing, 1000);
        ship->Position = VectorSet4(at.x, at.y, at.z, 0);
        ship->Health = 1000;
        TCraftGAS1 *fighter = AddFighter(1000, ship);
        fighter->Order = test.Order;
        fighter->WeaponEnabled = test.Weapons ? 1 : 0;
        Tracers.Clear();

        fighter->Update(Frame);

        const auto missiles = Listed<TAirToAirRocket>();
        ASSERT_EQ(missiles.size(), test.Missile ? 1u : 0u) << test.What;
        EXPECT_EQ(fighter->FlashClock > 0, test.Gun) << test.What;
        EXPECT_EQ(Tracers.Count(), test.Gun ? 1 : 0) << test.What;
        if (test.Missile) {
            const TAirToAirRocket &m = *missiles[0];
            // From one of the wing points, which the fighter carried 0.75 up this frame (climbing at
            // a tenth of its speed towards a target level with it).
            const bool left = std::fabs(m.Position.x + 4) < 1e-3f, right = std::fabs(m.Position.x - 4) < 1e-3f;
            EXPECT_TRUE(left || right) << test.What << ": x " << m.Position.x;
            EXPECT_NEAR(m.Position.y, -2, 1e-3f) << test.What;
            EXPECT_NEAR(m.Position.z, 1000 + 0.75f - 1, 1e-3f) << test.What;
            EXPECT_EQ(m.Target, ship);
            EXPECT_EQ(m.Side, 1);
            EXPECT_FLOAT_EQ(m.DamageValue, 200);
            EXPECT_FLOAT_EQ(m.LaunchSpeed, 300);
            EXPECT_FLOAT_EQ(m.TopSpeed, 500);
            EXPECT_FLOAT_EQ(m.Health, 10);
            EXPECT_EQ(m.Lifetime, 25000);
        }
        ClearObjects();
    }
}

TEST_F(AircraftTest, FighterLaunchesAgainTenSecondsLater)
{
    TTarget *ship = AddShip(0, 1500, 1000);
    TCraftGAS1 *fighter = AddFighter(1000, ship);
    auto frame = [&] {
        // Held in place, so that only the clock changes.
        fighter->Position = VectorSet4(0, 0, 1000, 0);
        fighter->Update(Frame);
    };
    frame();
    ASSERT_EQ(Listed<TAirToAirRocket>().size(), 1u);
    for (int elapsed = Frame; elapsed < 10000; elapsed += Frame)
        frame();
    EXPECT_EQ(Listed<TAirToAirRocket>().size(), 1u) << "9975 ms after the launch";
    frame();
    EXPECT_EQ(Listed<TAirToAirRocket>().size(), 2u) << "10000 ms after the launch";
    EXPECT_FLOAT_EQ(ship->Health, 1000) << "no gun at 1500";
}

TEST_F(AircraftTest, FighterGunFiresEvery200MsAndHitsAboutHalfTheTime)
{
    TTarget *ship = AddShip(0, 300, 1000);
    TCraftGAS1 *fighter = AddFighter(1000, ship);
    for (int elapsed = 0; elapsed < 4000; elapsed += Frame) {
        fighter->Position = VectorSet4(0, 0, 1000, 0);
        fighter->Update(Frame);
    }
    ASSERT_EQ(Tracers.Count(), 20);
    // Each tracer runs from the gun to within half the ship's size of its centre.
    const float half = float(int(Ship->Radius)) / 2;
    for (const TTrasser &tracer : Tracers.Items) {
        EXPECT_NEAR(tracer.Start.y, 8, 1.0f);
        EXPECT_LE(std::fabs(tracer.Finish.x - 0), half);
        EXPECT_LE(std::fabs(tracer.Finish.y - 300), half);
        EXPECT_LE(std::fabs(tracer.Finish.z - 1000), half);
    }
    const float damage = 1000 - ship->Health;
    EXPECT_EQ(std::fmod(damage, 25.0f), 0) << damage;
    EXPECT_GE(damage, 25 * 4) << "hits come about every other shot";
    EXPECT_LE(damage, 25 * 16);
}

TEST_F(AircraftTest, FighterAltitudeStaysBetween676And2676)
{
    struct {
        float Start;
        bool WithTarget;
        float TargetZ, Expected;
    } cases[] = {
        {1000, true, 2000, 1000.75f},   // climbs at a tenth of its speed: 300 x 0.1 x 0.025
        {1000, true, 0, 999.25f},
        {2676, true, 4000, 2676},
        {676.5f, true, 0, 676},
        {3000, false, 0, 2676},
        {100, false, 0, 676},
    };
    for (const auto &test : cases) {
        TTarget *ship = test.WithTarget ? AddShip(0, 3000, test.TargetZ) : nullptr;
        TCraftGAS1 *fighter = AddFighter(test.Start, ship);
        fighter->Order = 1;
        fighter->Update(Frame);
        EXPECT_NEAR(fighter->Position.z, test.Expected, 1e-3f) << test.Start << " towards " << test.TargetZ;
        ClearObjects();
    }
}

TEST_F(AircraftTest, FighterIsPushedOutOfWhatItFliesInto)
{
    // The ship's deck is at 1005; at top speed the fighter comes 10 forward to stand 7 above it
    // (clear of the deck's diagonal, where its two triangles meet).
    AddShip(0, 0, 1000);
    TCraftGAS1 *fighter = AddFighter(1012, nullptr);
    fighter->Position.x = 3;
    fighter->Position.y = -10;
    fighter->OrderData = 400;

    TCollisionData probe;
    probe.Centre = VectorSet4(3, 0, 1012, 0);
    probe.Radius = fighter->Model->Radius;
    probe.Points.assign(1, TCollisionPoint{probe.Centre});
    probe.PointCount = 1;
    fighter->Targetable = 0;
    ASSERT_TRUE(Objects.Collide(probe, false));
    fighter->Targetable = 1;
    ASSERT_GT(VectorLength(probe.PushOut), 0);

    fighter->Update(Frame);
    EXPECT_NEAR(fighter->Position.x, 3 + probe.PushOut.x, 1e-3f);
    EXPECT_NEAR(fighter->Position.y, probe.PushOut.y, 1e-3f);
    EXPECT_NEAR(fighter->Position.z, 1012 + probe.PushOut.z, 1e-3f);
}

// ---- The bomber ---------------------------------------------------------------------------------

TEST_F(AircraftTest, BomberDropsWithinTheTargetsRadiusWhateverItsAltitude)
{
    const float radius = Ship->Radius;
    struct {
        const char *What;
        float Offset, Altitude;
        int Order;
        bool Drops;
        bool Weapons = true;
        int  TargetSide = 0;
    } cases[] = {
        {"just inside, high up", radius - 1, 3000, 0, true},
        {"just inside, low", radius - 1, 60, 0, true},
        {"straight over it", 0, 1000, 0, true},
        {"just outside", radius + 1, 1000, 0, false},
        // Whatever its order, a bomber over an enemy bombs it; never a ship of its own side (one it
        // escorts or is sent to), and nothing while a mission holds its fire.
        {"over an enemy it is sent to", 0, 1000, 1, true},
        {"over a friend it escorts", 0, 1000, 2, false, true, 1},
        {"over a friend it is sent to", 0, 1000, 1, false, true, 1},
        {"over an enemy, weapons held", 0, 1000, 0, false, false},
    };
    for (const auto &test : cases) {
        TTarget *ship = AddShip(5000, 0, 0);
        auto *bomber = new TCraftSu25(Objects, VectorSet3(5000 + test.Offset, 0, test.Altitude), VectorSet3(0, 0, 0));
        bomber->Side = 1;
        bomber->Health = 100;
        bomber->OrderData = 200;
        bomber->Order = test.Order;
        ship->Side = test.TargetSide;
        Objects.Add(bomber);
        bomber->WeaponEnabled = test.Weapons ? 1 : 0;
        bomber->Target = ship;
        const std::size_t before = Listed<TBomb>().size();

        bomber->Update(Frame);

        const auto bombs = Listed<TBomb>();
        ASSERT_EQ(bombs.size(), before + (test.Drops ? 1 : 0)) << test.What;
        if (test.Drops) {
            const TBomb &bomb = *bombs.back();
            EXPECT_FLOAT_EQ(bomb.Position.x, 5000 + test.Offset) << test.What;
            EXPECT_FLOAT_EQ(bomb.Position.z, test.Altitude) << test.What;
            EXPECT_FLOAT_EQ(bomb.ForwardSpeed, 100) << "half the bomber's speed";
            EXPECT_FLOAT_EQ(bomb.DamageValue, 200);
            EXPECT_FLOAT_EQ(bomb.Health, 100);
            EXPECT_EQ(bomb.Target, ship);
            EXPECT_EQ(bomb.Side, 1);
            EXPECT_EQ(bomber->BombClock, 1500);
        }
        Objects.Remove(bomber);
        Objects.Remove(ship);
    }
}

TEST_F(AircraftTest, BomberWaits1500MsBetweenDrops)
{
    TTarget *ship = AddShip(0, 0, 0);
    auto *bomber = new TCraftSu25(Objects, VectorSet3(0, 0, 1000), VectorSet3(0, 0, 0));
    bomber->Side = 1;
    bomber->Health = 100;
    Objects.Add(bomber);
    bomber->Target = ship;
    auto frame = [&] {
        bomber->Position = VectorSet4(0, 0, 1000, 0);
        bomber->Update(Frame);
    };
    frame();
    ASSERT_EQ(Listed<TBomb>().size(), 1u);
    for (int elapsed = 0; elapsed < 1500; elapsed += Frame)
        frame();
    EXPECT_EQ(Listed<TBomb>().size(), 1u) << "1500 ms after the drop";
    frame();
    EXPECT_EQ(Listed<TBomb>().size(), 2u) << "the frame after";
}

// ---- Aircraft death -----------------------------------------------------------------------------

TEST_F(AircraftTest, DestroyedAircraftFliesOnAsAWreckFor10000Ms)
{
    struct {
        const char *What;
        std::function<TAircraft *()> Make;
    } cases[] = {
        {"bomber", [&] { return new TCraftSu25(Objects, VectorSet3(0, 0, 1000), VectorSet3(0, 90, 0)); }},
        {"early warning", [&] { return new TCraftAvax(Objects, VectorSet3(0, 0, 1000), VectorSet3(0, 90, 0)); }},
        {"fighter", [&] { return new TCraftGAS1(Objects, VectorSet3(0, 0, 1000), VectorSet3(0, 90, 0)); }},
    };
    for (const auto &test : cases) {
        TTarget *ship = AddShip(0, 0, 0);
        TAircraft *craft = test.Make();
        craft->Side = 1;
        craft->OrderData = 200;
        craft->OnRadar = 1;
        Objects.Add(craft);
        craft->Target = ship;
        craft->Health = -30;

        craft->Update(Frame);
        EXPECT_EQ(craft->OnRadar, 0) << test.What;
        EXPECT_EQ(craft->Target, nullptr) << test.What;
        EXPECT_FLOAT_EQ(craft->Health, 0) << test.What;
        EXPECT_TRUE(craft->Dying) << test.What;
        if (dynamic_cast<TCraftGAS1 *>(craft)) {
            EXPECT_GE(craft->OrderData, 150) << test.What;
            EXPECT_LT(craft->OrderData, 180) << test.What;
        } else {
            EXPECT_FLOAT_EQ(craft->OrderData, 200) << test.What;
        }
        // Straight on along its heading (+x) at its speed.
        EXPECT_NEAR(craft->Position.x, craft->OrderData * 0.025f, 1e-3f) << test.What;
        EXPECT_FLOAT_EQ(craft->Position.z, 1000) << test.What;

        for (int elapsed = Frame; elapsed < 10000; elapsed += Frame)
            craft->Update(Frame);
        EXPECT_EQ(craft->Dead, 0) << test.What << " at 10000 ms";
        craft->Update(Frame);
        EXPECT_EQ(craft->Dead, 1) << test.What << " after 10000 ms";
        EXPECT_TRUE(Listed<TBomb>().empty()) << test.What;
        EXPECT_TRUE(Listed<TAirToAirRocket>().empty()) << test.What;
        Objects.Remove(craft);
        Objects.Remove(ship);
    }
}

// ---- The bomb -----------------------------------------------------------------------------------

TEST_F(AircraftTest, WhatABombExplodesOn)
{
    enum TWhat { OwnTarget, OtherShip, Island, NoTarget };
    struct {
        const char *Name;
        TWhat What;
        int Side;
        float ShipHealth;
        bool Explodes;
        float HealthAfter;
        int Kills;
    } cases[] = {
        {"its own target", OwnTarget, 1, 1000, true, 800, 0},
        {"another ship than its target", OtherShip, 1, 1000, false, 1000, 0},
        {"an island", Island, 1, 1000, true, 800, 0},
        {"a ship, dropped without a target", NoTarget, 1, 1000, true, 800, 0},
        {"its own target, killed by a friendly bomb", OwnTarget, 0, 150, true, -50, 1},
        {"its own target, killed by an enemy bomb", OwnTarget, 1, 150, true, -50, 0},
    };
    for (const auto &test : cases) {
        Statistics = {};
        Tracers.Clear();
        // Below the bomb: a ship whose deck is at 105, or an island whose shore lies flat at 100.
        TTarget *below = AddShip(0, 0, 100);
        below->Health = test.ShipHealth;
        if (test.What == Island) {
            below->Category = TObjectCategory::Island;
            below->Targetable = 0;
            below->Side = -1;
            TWorldTriangle a, b;
            a.Normal = b.Normal = VectorSet4(0, 0, 1, 0);
            a.Vertices[0] = VectorSet4(-100, -100, 100, 0);
            a.Vertices[1] = VectorSet4(100, -100, 100, 0);
            a.Vertices[2] = VectorSet4(100, 100, 100, 0);
            b.Vertices[0] = a.Vertices[0];
            b.Vertices[1] = a.Vertices[2];
            b.Vertices[2] = VectorSet4(-100, 100, 100, 0);
            below->Triangles = {a, b};
        }
        TTarget *elsewhere = AddShip(5000, 0, 0);
        TGameObject *target = test.What == OwnTarget ? below : test.What == NoTarget ? nullptr : elsewhere;

        auto *bomb = dynamic_cast<TBomb *>(
            Objects.LaunchBomb(VectorSet3(3, 1, 200), VectorSet3(0, 0, 0), 0, 200, 100, target, test.Side, false));
        ASSERT_NE(bomb, nullptr);
        bomb->RefCount = 1;   // held, as a script group would, so that it stays listed once finished
        int frame = 0, explodedFrame = -1;
        float explodedAt = 0;
        for (; frame < 400 && !bomb->Dead; ++frame) {
            Objects.Update(Frame);
            if (bomb->ExplosionClock > 0 && explodedFrame < 0) {
                explodedFrame = frame;
                explodedAt = bomb->Position.z;
                EXPECT_EQ(bomb->ExplosionClock, TBomb::ExplosionTime) << test.Name;
            }
        }
        ASSERT_TRUE(bomb->Dead) << test.Name;
        EXPECT_EQ(explodedFrame >= 0, test.Explodes) << test.Name;
        EXPECT_FLOAT_EQ(below->Health, test.HealthAfter) << test.Name;
        EXPECT_EQ(Statistics.ShipKills, test.Kills) << test.Name;
        EXPECT_EQ(Statistics.AircraftKills, 0) << test.Name;
        if (explodedFrame >= 0) {
            EXPECT_GT(explodedAt, 100) << test.Name;
            EXPECT_LT(explodedAt, 120) << test.Name;
            // The blast plays for 4000 ms, then the bomb ends.
            EXPECT_EQ((frame - 1 - explodedFrame) * Frame, TBomb::ExplosionTime) << test.Name;
            EXPECT_EQ(Tracers.Count(), 0) << test.Name;
        } else {
            // Through the ship into the sea: a fountain from the surface 20 up.
            ASSERT_EQ(Tracers.Count(), 1) << test.Name;
            EXPECT_FLOAT_EQ(Tracers.Items[0].Start.z, 0);
            EXPECT_FLOAT_EQ(Tracers.Items[0].Finish.z, 20);
            EXPECT_FLOAT_EQ(Tracers.Items[0].Width, 5);
            EXPECT_EQ(Tracers.Items[0].Life, 1000);
        }
        bomb->RefCount = 0;
        Objects.Update(Frame);   // released, the finished bomb leaves the list
        EXPECT_TRUE(Listed<TBomb>().empty()) << test.Name;
        Objects.Remove(below);
        Objects.Remove(elsewhere);
    }
}

TEST_F(AircraftTest, BombWhoseTargetIsGoneEnds)
{
    TTarget *ship = AddShip(5000, 0, 0);
    auto *bomb = dynamic_cast<TBomb *>(
        Objects.LaunchBomb(VectorSet3(0, 0, 1000), VectorSet3(0, 0, 0), 50, 200, 100, ship, 1, false));
    ASSERT_NE(bomb, nullptr);
    Objects.Update(Frame);
    EXPECT_FLOAT_EQ(bomb->Position.z, 997.5f);
    EXPECT_FLOAT_EQ(bomb->Position.y, 1.25f) << "forward along its heading";
    Objects.Remove(ship);
    Objects.Update(Frame);
    EXPECT_TRUE(Listed<TBomb>().empty());
}

TEST_F(AircraftTest, AFriendlyBombsKillScoresAsTheMissionCountsIt)
{
    // A ship sunk by a friendly bomb counts in the mission's statistics, which the stage-complete
    // page shows, and a won mission scores those same kills.
    TConfig config;
    config.PlayerCount = 1;
    config.CurrentPlayer = 0;
    config.Players[0].Score = 100;
    Config = &config;
    WriteText(Dir.Path / "Mission.ses", "int frame 0\n{\nframe += $1\nif frame = $400 then\nNextLevel Level2.ses\nendif\n}\n");
    {
        TWorld world(scripttest::StagedTable);
        world.LoadMission((Dir.Path / "Mission.ses").string());
        ASSERT_EQ(MissionStatistics, &world.Statistics);
        TTarget *ship = AddShip(*world.Objects, 0, 0, 100);
        ship->Side = 1;
        ship->Health = 150;
        ASSERT_NE(world.Objects->LaunchBomb(VectorSet3(3, 1, 200), VectorSet3(0, 0, 0), 0, 200, 100, ship, 0, false),
                  nullptr);
        bool sunk = false;
        for (int frame = 0; frame < 500 && world.Exchange->Result == TMissionResult::Running; ++frame) {
            world.Tick(Frame, {});
            sunk = sunk || ship->Health <= 0;
        }
        EXPECT_TRUE(sunk) << "before the mission ends";
        ASSERT_EQ(world.Exchange->Result, TMissionResult::Won);
        EXPECT_EQ(world.Statistics.ShipKills, 1);
        EXPECT_EQ(world.Statistics.AircraftKills, 0);
        EXPECT_EQ(config.Players[0].Score, 100 + world.Statistics.ShipKills * TScriptDataExchange::ShipKillScore);
        EXPECT_EQ(Statistics.ShipKills, 0) << "nothing counts outside the mission";
    }
    EXPECT_EQ(MissionStatistics, &PlayerStatistics) << "with the mission gone";
    MissionStatistics = &Statistics;
    Config = nullptr;
    MenuActive = false;
}

// ---- The missile --------------------------------------------------------------------------------

TEST_F(AircraftTest, MissileGivesUpOutsideItsConeOnlyMoreThan100Away)
{
    struct {
        const char *What;
        float Distance, Bearing;
        int Lifetime;
        bool RemoveTarget, GivesUp;
    } cases[] = {
        {"40 degrees off, 150 away", 150, 40, 25000, false, true},
        {"40 degrees off, 90 away", 90, 40, 25000, false, false},
        {"20 degrees off, 150 away", 150, 20, 25000, false, false},
        {"on the nose, lifetime run out", 150, 0, 20, false, true},
        {"on the nose, target gone", 150, 0, 25000, true, true},
    };
    for (const auto &test : cases) {
        TTarget *ship = AddShip(0, 0, 0);
        const TVector3 at = AtBearing(test.Distance, test.Bearing, 500);
        ship->Position = VectorSet4(at.x, at.y, at.z, 0);
        auto *missile = dynamic_cast<TAirToAirRocket *>(Objects.LaunchMissile(
            VectorSet3(0, 0, 500), VectorSet3(0, 0, 0), 100, 0, 1000, 10, ship, 1, test.Lifetime, 0, false));
        ASSERT_NE(missile, nullptr);
        if (test.RemoveTarget)
            Objects.Remove(ship);

        missile->Update(Frame);
        EXPECT_EQ(missile->Ending, test.GivesUp) << test.What;
        EXPECT_EQ(missile->OnRadar, test.GivesUp ? 0 : 1) << test.What;
        EXPECT_FALSE(missile->Exploded) << test.What;
        if (test.GivesUp) {
            // It flies on for 5000 ms, then ends.
            for (int elapsed = Frame; elapsed < TAirToAirRocket::EndTime; elapsed += Frame)
                missile->Update(Frame);
            EXPECT_EQ(missile->Dead, 0) << test.What;
            missile->Update(Frame);
            EXPECT_EQ(missile->Dead, 1) << test.What;
        }
        if (!test.RemoveTarget) {
            EXPECT_FLOAT_EQ(ship->Health, 1000) << test.What;
            Objects.Remove(ship);
        }
        Objects.Remove(missile);
    }
}

TEST_F(AircraftTest, MissileClimbsToItsTargetAndHitsIt)
{
    struct {
        const char *What;
        bool Client;
        float HealthAfter;
    } cases[] = {
        {"single player", false, 700},
        {"on a multiplayer client the server deals the damage", true, 1000},
    };
    for (const auto &test : cases) {
        NetworkGame = test.Client;
        NetworkHost = false;
        // The ship 200 ahead and 50 above: without climbing along the line of sight the missile
        // would pass under it.
        TTarget *ship = AddShip(0, 200, 550);
        auto *missile = dynamic_cast<TAirToAirRocket *>(Objects.LaunchMissile(
            VectorSet3(0, 0, 500), VectorSet3(0, 0, 0), 300, 500, 500, 10, ship, 1, 25000, 0, test.Client));
        ASSERT_NE(missile, nullptr);
        for (int frames = 0; frames < 100 && !missile->Ending; ++frames) {
            const float before = missile->Position.z;
            missile->Update(Frame);
            EXPECT_GE(missile->Position.z, before) << test.What;
        }
        EXPECT_TRUE(missile->Exploded) << test.What;
        EXPECT_EQ(missile->OnRadar, 0) << test.What;
        EXPECT_LT(VectorDistance(missile->Position, ship->Position), Ship->Radius) << test.What;
        EXPECT_FLOAT_EQ(ship->Health, test.HealthAfter) << test.What;
        Objects.Remove(missile);
        Objects.Remove(ship);
    }
}

// ---- Launching ----------------------------------------------------------------------------------

TEST_F(AircraftTest, LaunchersOnAClientMakeNothingUnlessForced)
{
    struct {
        bool Network, Host, Forced, Made;
    } cases[] = {
        {false, false, false, true},
        {true, true, false, true},
        {true, false, false, false},
        {true, false, true, true},
    };
    TTarget *ship = AddShip(0, 1000, 0);
    for (const auto &test : cases) {
        NetworkGame = test.Network;
        NetworkHost = test.Host;
        const int before = Objects.Count;
        TGameObject *missile = Objects.LaunchMissile(VectorSet3(1, 2, 3), VectorSet3(30, 200, 5), 150, 120, 800, 10,
                                                     ship, 1, 100000, 7, test.Forced);
        TGameObject *bomb =
            Objects.LaunchBomb(VectorSet3(4, 5, 6), VectorSet3(0, 45, 0), 90, 250, 100, ship, 0, test.Forced);
        EXPECT_EQ(missile != nullptr, test.Made);
        EXPECT_EQ(bomb != nullptr, test.Made);
        EXPECT_EQ(Objects.Count, before + (test.Made ? 2 : 0));
        if (!test.Made)
            continue;

        auto *m = dynamic_cast<TAirToAirRocket *>(missile);
        ASSERT_NE(m, nullptr);
        EXPECT_FLOAT_EQ(m->Position.x, 1);
        EXPECT_FLOAT_EQ(m->Position.z, 3);
        // The direction is (pitch, heading, roll) in degrees; the heading wraps into -180..180.
        EXPECT_FLOAT_EQ(m->Rotation.x, 30);
        EXPECT_FLOAT_EQ(m->Rotation.y, -160);
        EXPECT_FLOAT_EQ(m->Rotation.z, 5);
        EXPECT_FLOAT_EQ(m->DamageValue, 150);
        EXPECT_FLOAT_EQ(m->LaunchSpeed, 120);
        EXPECT_FLOAT_EQ(m->Speed, 120);
        EXPECT_FLOAT_EQ(m->TopSpeed, 800);
        EXPECT_EQ(m->Lifetime, 100000);
        EXPECT_EQ(m->Extra, 7);
        EXPECT_FLOAT_EQ(m->Health, 10);
        EXPECT_FLOAT_EQ(m->MaxHealth, 10);
        EXPECT_EQ(m->Target, ship);
        EXPECT_EQ(m->Side, 1);
        EXPECT_EQ(m->Category, TObjectCategory::Missile);
        EXPECT_EQ(m->OnRadar, 1);
        EXPECT_EQ(m->Targetable, 0);
        EXPECT_EQ(m->WeaponEnabled, 1);
        EXPECT_EQ(m->Name, "missile");

        auto *b = dynamic_cast<TBomb *>(bomb);
        ASSERT_NE(b, nullptr);
        EXPECT_FLOAT_EQ(b->Position.y, 5);
        EXPECT_FLOAT_EQ(b->Rotation.y, 45);
        EXPECT_FLOAT_EQ(b->ForwardSpeed, 90);
        EXPECT_FLOAT_EQ(b->DamageValue, 250);
        EXPECT_FLOAT_EQ(b->Health, 100);
        EXPECT_FLOAT_EQ(b->MaxHealth, 100);
        EXPECT_EQ(b->Target, ship);
        EXPECT_EQ(b->Side, 0);
        EXPECT_EQ(b->Category, TObjectCategory::Bomb);
        EXPECT_EQ(b->OnRadar, 0);
        EXPECT_EQ(b->Targetable, 0);
        EXPECT_EQ(b->Name, "bomb");
        Objects.Remove(missile);
        Objects.Remove(bomb);
    }
}

TEST_F(AircraftTest, MissileAtThePlayerShowsTheWarningOnce)
{
    TMessanger messages(600);
    Messanger = &messages;
    TTarget player;
    player.Side = 0;
    PlayerAircraft = &player;
    TTarget *ship = AddShip(0, 1000, 0);

    Objects.LaunchMissile(VectorSet3(0, 0, 0), VectorSet3(0, 0, 0), 100, 0, 1000, 10, ship, 1, 25000, 0, false);
    EXPECT_TRUE(messages.CentreText.empty()) << "a missile at a ship";

    auto *missile = Objects.LaunchMissile(VectorSet3(0, 0, 0), VectorSet3(0, 0, 0), 100, 0, 1000, 10, &player, 1,
                                          25000, 0, false);
    EXPECT_EQ(messages.CentreText, "MISSILE");
    EXPECT_GT(messages.CentreTime, 0);

    messages.CentreText.clear();
    missile->Update(Frame);
    EXPECT_TRUE(messages.CentreText.empty()) << "only at launch";
    PlayerAircraft = nullptr;
}

// ---- State messages -----------------------------------------------------------------------------

TEST_F(AircraftTest, StateMessagesRoundTripAtTheirExactSizes)
{
    TTarget *ship = AddShip(0, 0, 0);
    struct {
        const char *What;
        std::uint16_t Code;
        std::function<TUnit *()> Make;
        std::function<void(TUnit &)> SetClassFields;
    } cases[] = {
        {"bomber", ClassCraftSu25, [&] { return new TCraftSu25(Objects, {}, {}); },
         [](TUnit &u) { static_cast<TCraftSu25 &>(u).BombClock = 1234; }},
        {"early warning", ClassCraftAvax, [&] { return new TCraftAvax(Objects, {}, {}); }, [](TUnit &) {}},
        {"fighter", ClassCraftGAS1, [&] { return new TCraftGAS1(Objects, {}, {}); },
         [](TUnit &u) { static_cast<TCraftGAS1 &>(u).FlashClock = 75; }},
        {"bomb", ClassBomb, [&] { return new TBomb(Objects, {}, {}); },
         [](TUnit &u) {
             static_cast<TBomb &>(u).ExplosionClock = 3100;
             static_cast<TBomb &>(u).ForwardSpeed = 87.5f;
         }},
        {"missile", ClassAirToAirRocket, [&] { return new TAirToAirRocket(Objects, {}, {}); },
         [](TUnit &u) {
             static_cast<TAirToAirRocket &>(u).Lifetime = 17250;
             static_cast<TAirToAirRocket &>(u).Speed = 321;
         }},
    };
    for (const auto &test : cases) {
        TUnit *unit = test.Make();
        Objects.Add(unit);
        unit->Name = "Hawk 7";
        unit->Position = VectorSet4(10.5f, -20, 1500, 0);
        unit->Rotation = VectorSet4(5, -135, 2, 0);
        unit->Side = 1;
        unit->Health = 77;
        unit->MaxHealth = 300;
        unit->Target = ship;
        unit->OnRadar = 1;
        unit->Order = 2;
        unit->OrderData = 180.25f;
        unit->Targetable = 1;
        unit->BlinkOnRadar = 1;
        test.SetClassFields(*unit);

        TByteWriter first;
        unit->WriteState(first);
        ASSERT_EQ(first.Size(), StateSize(test.Code)) << test.What;
        EXPECT_EQ(first.Out[2] | first.Out[3] << 8, int(test.Code)) << test.What;

        TUnit *copy = test.Make();
        Objects.Add(copy);
        TByteReader reader(first.Out);
        copy->ReadState(reader);
        EXPECT_EQ(copy->Target, ship) << test.What;
        EXPECT_EQ(copy->Name, "Hawk 7") << test.What;
        TByteWriter second;
        copy->WriteState(second);
        EXPECT_EQ(second.Out, first.Out) << test.What;

        // A message of another class, or one cut short, leaves an object as it was.
        TUnit *other = test.Make();
        Objects.Add(other);
        const std::string name = other->Name;
        TByteWriter foreign;
        TCraftSu25 stranger(Objects, {}, {});
        TCraftGAS1 fighter(Objects, {}, {});
        stranger.Name = fighter.Name = "foreign";
        (test.Code == ClassCraftSu25 ? static_cast<TUnit &>(fighter) : stranger).WriteState(foreign);
        TByteReader foreignReader(foreign.Out);
        other->ReadState(foreignReader);
        TByteReader shortReader(first.Out.data(), first.Out.size() - 1);
        other->ReadState(shortReader);
        EXPECT_EQ(other->Name, name) << test.What;
        EXPECT_EQ(other->Target, nullptr) << test.What;
    }
}

// ---- The gun's muzzle flame ---------------------------------------------------------------------

TEST_F(AircraftTest, MuzzleFlameSpinsWithTheClockWithoutDepthWrites)
{
    TModelBuilder flame;
    flame.AddMesh("Flame").Box(VectorSet3(-1, 0, -1), VectorSet3(1, 3, 1));
    WriteBytes(Dir.Path / "Data" / "Models" / "Misc" / "Minigun_Flame.otm", flame.Bytes());
    TMisc misc;
    ASSERT_NE(misc.Flame, nullptr);
    TRecordingDevice device;
    SetAssetDevice(&device);

    // One degree of spin about y per millisecond of game time, round every 360 ms.
    struct {
        std::int64_t Clock;
        float X, Z;   // where the point one along x goes, relative to the flame's place
    } cases[] = {{360, 1, 0}, {450, 0, 1}, {1080 + 180, -1, 0}};
    for (const auto &test : cases) {
        GameClock = test.Clock;
        device.Calls.clear();
        device.Pushed.clear();
        misc.DrawFlame(VectorSet3(1, 2, 3));
        ASSERT_EQ(device.Calls, (std::vector<std::string>{"push", "depth off", "mesh", "depth on", "pop"}));
        const TVector3 origin = MatrixTransformPoint(VectorSet3(0, 0, 0), device.Pushed[0]);
        const TVector3 x = MatrixTransformPoint(VectorSet3(1, 0, 0), device.Pushed[0]);
        EXPECT_NEAR(origin.x, 1, 1e-5f);
        EXPECT_NEAR(origin.y, 2, 1e-5f);
        EXPECT_NEAR(origin.z, 3, 1e-5f);
        EXPECT_NEAR(x.x - 1, test.X, 1e-5f) << test.Clock;
        EXPECT_NEAR(x.y - 2, 0, 1e-5f) << test.Clock;
        EXPECT_NEAR(x.z - 3, test.Z, 1e-5f) << test.Clock;
    }

    // The fighter shows it at its gun only while the gun fires; no flame model draws nothing.
    TCraftGAS1 fighter(Objects, VectorSet3(0, 0, 1000), VectorSet3(0, 0, 0));
    EyePosition = fighter.Position;
    Misc = &misc;
    for (int flash : {0, 50}) {
        fighter.FlashClock = flash;
        device.Calls.clear();
        fighter.Draw();
        const bool flameDrawn = std::find(device.Calls.begin(), device.Calls.end(), "depth off") != device.Calls.end();
        EXPECT_EQ(flameDrawn, flash > 0) << flash;
    }
    TMisc empty(nullptr);
    device.Calls.clear();
    empty.DrawFlame(VectorSet3(0, 0, 0));
    EXPECT_TRUE(device.Calls.empty());
}
