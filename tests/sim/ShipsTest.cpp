// The ships: sailing and broadside steering, escorts, the submarines' dive, surface and launch cycle,
// the torpedo's strike, the ballistic missile's climb and homing, the death sequence, turrets on
// their mounts, the wake and the state message of every class. Hulls are real ".otm" models built
// with the model builder where the behaviour depends on them; elsewhere the data folder is empty
// and the ships have no model.

#include "sim/Ships.h"

#include "assets/Model.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "data/Extractor.h"
#include "sim/Seams.h"
#include "sim/Statics.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float Pi = 3.14159265358979f;

using TPoints = std::vector<std::pair<std::string, TVector3>>;

// Every stir of the sea, as the renderer's sea would receive it.
class TWaterLog : public TWaterSeam {
public:
    struct TStir {
        TVector3 At;
        float    Strength, Size;
    };
    void Disturb(const TVector3 &at, float strength, float size) override { Stirs.push_back({at, strength, size}); }
    std::vector<TStir> Stirs;
};

// An empty marker made into something a gun or a submarine can pick: targetable, live, of a side.
TEmptyObject *Marker(TObjectsControl &objects, float x, float y, float z, int side = 1, std::uint8_t ground = 1)
{
    auto *m = new TEmptyObject(objects, VectorSet3(x, y, z), 0, 0);
    m->Side = side;
    m->IsGround = ground;
    m->Targetable = 1;
    m->Health = m->MaxHealth = 10000;
    objects.Add(m);
    return m;
}

class ShipsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        Billboards = &Tracers;
        WaterSeam = &Water;
        PlayerAircraft = nullptr;
        NetworkGame = NetworkHost = false;
        RandSeed = 20240601;
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        Billboards = nullptr;
        WaterSeam = nullptr;
        PlayerAircraft = nullptr;
        AppDir = SavedAppDir;
    }

    // A hull 20 wide, 100 long (the nose along +y) and 15 high from 5 below the water, with a
    // collision mesh of the same box and the named points. Path is relative to the game folder.
    void SaveHull(const std::string &path, const TPoints &points = {})
    {
        TModelBuilder builder;
        builder.AddMesh("Hull").Box(VectorSet3(-10, -50, -5), VectorSet3(10, 50, 10));
        builder.AddMesh("Collision").Box(VectorSet3(-10, -50, -5), VectorSet3(10, 50, 10));
        for (const auto &[name, at] : points)
            builder.AddPoint(name, at);
        std::string file = path;
        for (char &c : file)
            if (c == '\\')
                c = '/';
        WriteBytes(Dir.Path / file, builder.Bytes());
    }

    // Updates every listed object Frames times by Dt ms; stops early once Done says so.
    int Run(int frames, int dt = 25, const std::function<bool()> &done = {})
    {
        for (int i = 0; i < frames; ++i) {
            Objects.Update(dt);
            if (done && done())
                return i + 1;
        }
        return frames;
    }

    template <class T, class... A> T *Add(A &&...args)
    {
        T *object = new T(Objects, std::forward<A>(args)...);
        Objects.Add(object);
        return object;
    }

    TTempDir        Dir{"sim-ships"};
    TModelLib       Models;
    TBillboards     Tracers;
    TWaterLog       Water;
    TObjectsControl Objects;   // after the models: the ships go first
    std::string     SavedAppDir;
};

const TVector3 Level = VectorSet3(0, 0, 0);

class ShipsSteering : public ShipsTest {};
class ShipsSubmarine : public ShipsTest {};
class ShipsTorpedo : public ShipsTest {};
class ShipsBallisticMissile : public ShipsTest {};
class ShipsDeath : public ShipsTest {};
class ShipsTurrets : public ShipsTest {};
class ShipsWake : public ShipsTest {};
class ShipsState : public ShipsTest {};

} // namespace

// ---- Sailing ------------------------------------------------------------------------------------

TEST_F(ShipsSteering, DestroyerTable)
{
    // The destroyer sails north (heading 0) from the origin; its target lies ahead and to the west
    // (x < 0), at distances of a 3-4-5 triangle so that they come out exact. Heading for the target
    // turns the heading down; turning the side to it (the controller is given heading - 90) turns
    // it up. One frame of 100 ms: speed changes by 5, the heading by pi/16 x 0.1 rad = 1.125 deg.
    struct TCase {
        const char *What;
        float       Distance;   // 0: no target
        int         Order;
        float       Speed, WantSpeed, WantTurn;
    };
    const TCase cases[] = {
        {"900, attack: speeds up, heads for it", 900, 0, 40, 45, -1.125f},
        {"900 at top speed stays at 80", 900, 0, 80, 80, -1.125f},
        {"800 exactly, attack: slows, broadside", 800, 0, 40, 35, 1.125f},
        {"700, attack: slows, broadside", 700, 0, 40, 35, 1.125f},
        {"700 at rest stays at 0 and still turns", 700, 0, 0, 0, 1.125f},
        {"700, move to: slows, keeps heading for it", 700, 1, 40, 35, -1.125f},
        {"100 exactly, move to: broadside", 100, 1, 40, 35, 1.125f},
        {"90, move to: broadside", 90, 1, 40, 35, 1.125f},
        {"no target: slows, keeps its heading", 0, 0, 40, 35, 0},
    };
    for (const TCase &c : cases) {
        auto *ship = Add<TDestroyer>(Level, 1, Level);
        if (c.Distance > 0)
            ship->Target = Marker(Objects, -c.Distance * 0.6f, c.Distance * 0.8f, 0, 0);
        ship->Order = c.Order;
        ship->OrderData = c.Speed;
        ship->Update(100);
        EXPECT_NEAR(ship->OrderData, c.WantSpeed, 1e-4f) << c.What;
        EXPECT_NEAR(ship->Rotation.y, c.WantTurn, 1e-4f) << c.What;
        // It moves after turning, at the new speed.
        const float h = ship->Rotation.y * Pi / 180;
        EXPECT_NEAR(ship->Position.x, std::sin(h) * 0.1f * c.WantSpeed, 1e-4f) << c.What;
        EXPECT_NEAR(ship->Position.y, std::cos(h) * 0.1f * c.WantSpeed, 1e-4f) << c.What;
        Objects.Remove(ship);
        if (c.Distance > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

TEST_F(ShipsSteering, EachClassEngagesAtItsOwnDistanceAndSpeed)
{
    struct TCase {
        const char *What;
        std::function<TShip *()> Make;
        float Engage, MaxSpeed;
    };
    const TCase cases[] = {
        {"destroyer", [&] { return Add<TDestroyer>(Level, 1, Level); }, 800, 80},
        {"boat", [&] { return Add<TBoat>(Level, 1, Level); }, 800, 80},
        {"battleship", [&] { return Add<TBattleShip>(Level, 1, Level); }, 2000, 60},
        {"transport", [&] { return Add<TTransport>(Level, 1, Level, std::string("Tanker")); }, 100, 50},
        {"submarine", [&] { return Add<TSubmarine>(Level, Level); }, 4000, 80},
        {"super submarine", [&] { return Add<TSuperSubmarine>(Level, Level); }, 24000, 80},
    };
    for (const TCase &c : cases)
        for (const float factor : {1.05f, 0.95f}) {
            TShip *ship = c.Make();
            ship->Target = Marker(Objects, 0, c.Engage * factor, 0, 0, 0);
            ship->OrderData = c.MaxSpeed - 2;
            ship->Update(100);
            const float want = factor > 1 ? c.MaxSpeed : c.MaxSpeed - 7;
            EXPECT_NEAR(ship->OrderData, want, 1e-4f) << c.What << " at " << factor << " of its distance";
            Objects.Remove(ship->Target);
            Objects.Remove(ship);
        }
}

TEST_F(ShipsSteering, EscortSailsInCompany)
{
    // The leader is given pitch and roll: the escort takes only its heading and stays level on the
    // water, and its speed up to the escort's own top speed.
    struct TCase {
        float Speed, WantSpeed;
    };
    for (const TCase c : {TCase{55, 55}, TCase{120, 80}}) {
        auto *leader = Add<TDestroyer>(VectorSet3(0, 300, 0), 1, VectorSet3(5, 33, 7));
        leader->OrderData = c.Speed;
        auto *escort = Add<TDestroyer>(Level, 1, Level);
        escort->Target = leader;
        escort->Order = 2;
        escort->OrderData = 10;
        escort->Update(100);
        EXPECT_FLOAT_EQ(escort->Rotation.y, 33);
        EXPECT_EQ(escort->Rotation.x, 0);
        EXPECT_EQ(escort->Rotation.z, 0);
        EXPECT_FLOAT_EQ(escort->OrderData, c.WantSpeed);
        EXPECT_NEAR(escort->Position.x, std::sin(33 * Pi / 180) * 0.1f * c.WantSpeed, 1e-4f);
        EXPECT_NEAR(escort->Position.y, std::cos(33 * Pi / 180) * 0.1f * c.WantSpeed, 1e-4f);
        Objects.Remove(escort);
        Objects.Remove(leader);
    }
}

// ---- Submarines ---------------------------------------------------------------------------------

TEST_F(ShipsSubmarine, DivesAndHidesWhileNoEnemyShipIsNear)
{
    // Company that must not bring it up: none, aircraft overhead (the player's too), a ship of its
    // own side, an enemy ship just beyond 5000.
    TEmptyObject player(Objects, VectorSet3(0, 0, 300), 0, 0);
    player.Side = 0;
    player.Targetable = 1;
    player.Health = 100;
    struct TCase {
        const char *What;
        std::function<void()> Company;
    };
    const TCase cases[] = {
        {"alone", [] {}},
        {"enemy aircraft overhead", [&] { Marker(Objects, 0, 0, 200, 0, 0); }},
        {"the player overhead", [&] { PlayerAircraft = &player; }},
        {"a ship of its own side", [&] { Marker(Objects, 0, 100, 0, 1); }},
        {"an enemy ship 5100 away", [&] { Marker(Objects, 0, 5100, 0, 0); }},
    };
    for (const TCase &c : cases) {
        auto *sub = Add<TSubmarine>(Level, Level);
        sub->Side = 1;
        sub->LaunchClock = sub->LaunchInterval;   // it would fire at once if it surfaced
        c.Company();
        const int count = Objects.Count;

        Run(20);   // 500 ms: 5 down, still in sight
        EXPECT_NEAR(sub->Position.z, -5, 1e-3f) << c.What;
        EXPECT_EQ(sub->OnRadar, 1) << c.What;
        EXPECT_EQ(sub->Targetable, 1) << c.What;
        Run(41);   // 1525 ms: below -10
        EXPECT_LT(sub->Position.z, -10) << c.What;
        EXPECT_EQ(sub->OnRadar, 0) << c.What;
        EXPECT_EQ(sub->Targetable, 0) << c.What;
        EXPECT_EQ(sub->Hidden, 1) << c.What;
        Run(400);   // 10 s in all: down to -50 and no further
        EXPECT_EQ(sub->Position.z, -50) << c.What;
        EXPECT_EQ(Objects.Count, count) << c.What << ": nothing launched";

        PlayerAircraft = nullptr;
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

TEST_F(ShipsSubmarine, SurfacesAndLaunchesAtEnemyShips)
{
    struct TCase {
        const char *What;
        bool        Super;
        float       EnemyDistance;
        int         Interval;
    };
    const TCase cases[] = {
        {"submarine, enemy at 4900", false, 4900, 30000},
        {"super submarine, enemy at 24000", true, 24000, 15000},
    };
    for (const TCase &c : cases) {
        TSubmarine *sub = c.Super ? Add<TSuperSubmarine>(VectorSet3(0, 0, -50), Level)
                                  : Add<TSubmarine>(VectorSet3(0, 0, -50), Level);
        sub->Side = 1;
        EXPECT_EQ(sub->LaunchInterval, c.Interval) << c.What;
        TEmptyObject *enemy = Marker(Objects, c.EnemyDistance, 0, 0, 0);
        sub->LaunchClock = c.Interval;   // the last launch is long past
        const int count = Objects.Count;

        Run(1);
        EXPECT_EQ(sub->Hidden, 1) << c.What;
        // Rising at 10 per second: in sight again above -10, after 4 s.
        Run(159);
        EXPECT_NEAR(sub->Position.z, -10, 1e-3f) << c.What;
        EXPECT_EQ(sub->OnRadar, 0) << c.What;
        Run(1);
        EXPECT_EQ(sub->Hidden, 0) << c.What;
        EXPECT_EQ(sub->OnRadar, 1) << c.What;
        EXPECT_EQ(sub->Targetable, 1) << c.What;
        // At the surface after 5 s, and the missile leaves on that frame.
        Run(38);
        EXPECT_LT(sub->Position.z, 0) << c.What;
        EXPECT_EQ(Objects.Count, count) << c.What;
        Run(1);
        ASSERT_EQ(sub->Position.z, 0) << c.What;
        ASSERT_EQ(Objects.Count, count + 1) << c.What;
        auto *missile = dynamic_cast<TBallisticMissile *>(Objects.Objects.back());
        ASSERT_NE(missile, nullptr) << c.What;
        EXPECT_EQ(missile->Target, enemy) << c.What;
        EXPECT_EQ(missile->Side, 1) << c.What;
        EXPECT_EQ(missile->Category, TObjectCategory::Missile) << c.What;
        EXPECT_EQ(missile->OnRadar, 1) << c.What;
        EXPECT_EQ(missile->Targetable, 1) << c.What;
        EXPECT_EQ(missile->Health, 150) << c.What;
        EXPECT_EQ(missile->DamageValue, 1000) << c.What;
        EXPECT_EQ(missile->WeaponEnabled, 1) << c.What;
        // No model: it leaves from the hull's middle.
        EXPECT_EQ(missile->Position.z, 0) << c.What;

        // The next one a whole interval later, not before.
        const int frames = c.Interval / 25;
        Run(frames - 1);
        EXPECT_EQ(Objects.Count, count + 1) << c.What;
        Run(1);
        EXPECT_EQ(Objects.Count, count + 2) << c.What;

        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

TEST_F(ShipsSubmarine, LaunchesFromItsMissilePoints)
{
    SaveHull("Data\\Models\\Ships\\Submarine\\Main.otm", {{"Missile_1", {0, 10, 6}}, {"Missile_2", {0, -10, 6}}});
    auto *sub = Add<TSubmarine>(VectorSet3(500, 0, 0), VectorSet3(0, 90, 0));
    sub->Side = 1;
    Marker(Objects, 500, 1000, 0, 0);
    sub->LaunchClock = sub->LaunchInterval;
    RandSeed = 7;
    const int expected = Random(2);
    RandSeed = 7;
    Run(1);
    ASSERT_EQ(Objects.Count, 3);
    // Heading 90: the model's nose (+y) points along +x.
    const float wantX = expected == 0 ? 510 : 490;
    EXPECT_NEAR(Objects.Objects.back()->Position.x, wantX, 1e-3f);
    EXPECT_NEAR(Objects.Objects.back()->Position.z, 6, 1e-3f);
    EXPECT_EQ(sub->LaunchPoint, expected);
}

// ---- Torpedo and ballistic missile --------------------------------------------------------------

TEST_F(ShipsTorpedo, StrikesItsTargetAndNothingElse)
{
    SaveHull("Data\\Models\\Ships\\Destroyer\\Main_0.otm");
    // A ship of the same side lies across the torpedo's run, before the one it is aimed at.
    auto *bystander = Add<TDestroyer>(VectorSet3(0, 200, 0), 0, VectorSet3(0, 90, 0));
    auto *target = Add<TDestroyer>(VectorSet3(0, 500, 0), 0, VectorSet3(0, 90, 0));
    bystander->Health = target->Health = 5000;
    auto *torpedo = Add<TTorpedo>(Level, Level);
    torpedo->Side = 1;
    torpedo->Target = target;
    torpedo->RefCount = 1;   // held, as a script's group holds it, so that it stays to be looked at

    const int frames = Run(1200, 25, [&] { return torpedo->Health <= 0; });
    ASSERT_LT(frames, 1200) << "the torpedo never struck";
    EXPECT_EQ(target->Health, 4000);
    EXPECT_EQ(bystander->Health, 5000);
    EXPECT_EQ(torpedo->OrderData, 0);
    EXPECT_GE(torpedo->Position.y, 490);   // inside the target's beam (20 wide, across the run)
    EXPECT_LE(torpedo->Position.y, 510);
    EXPECT_EQ(torpedo->Dead, 0);

    // It does not strike twice; it sinks and is finished 10 s later.
    const TVector4 at = torpedo->Position;
    Run(400);
    EXPECT_EQ(torpedo->Dead, 0);
    Run(1);
    EXPECT_EQ(target->Health, 4000);
    EXPECT_EQ(torpedo->Position.y, at.y);
    EXPECT_EQ(torpedo->Dead, 1);
}

TEST_F(ShipsTorpedo, WithoutOrdersSlowsDown)
{
    struct TCase {
        const char *What;
        bool        Target;
        int         Order;
        float       Want;
    };
    const TCase cases[] = {{"target, attack: up to 160", true, 0, 160},
                           {"target, move to", true, 1, 153},
                           {"no target", false, 0, 153}};
    for (const TCase &c : cases) {
        auto *torpedo = Add<TTorpedo>(Level, Level);
        if (c.Target)
            torpedo->Target = Marker(Objects, 0, 5000, 0, 0);
        torpedo->Order = c.Order;
        torpedo->OrderData = 158;
        torpedo->Update(100);
        EXPECT_NEAR(torpedo->OrderData, c.Want, 1e-4f) << c.What;
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

TEST_F(ShipsBallisticMissile, ClimbsThenHomesAndStrikes)
{
    SaveHull("Data\\Models\\Ships\\Destroyer\\Main_0.otm");
    auto *target = Add<TDestroyer>(VectorSet3(1000, 300, 0), 0, Level);
    target->Health = 5000;
    auto *missile = Add<TBallisticMissile>(VectorSet3(0, 0, 2), target, 1);
    missile->RefCount = 1;   // kept listed once finished, to be looked at

    // 4000 ms straight up at 125.
    Run(160);
    EXPECT_EQ(missile->Position.x, 0);
    EXPECT_EQ(missile->Position.y, 0);
    EXPECT_FLOAT_EQ(missile->Position.z, 502);
    ASSERT_EQ(Tracers.Count(), 160);
    const TTrasser &smoke = Tracers.Items.back();
    EXPECT_FLOAT_EQ(smoke.Start.z, 498.875f);
    EXPECT_FLOAT_EQ(smoke.Finish.z, 502);
    EXPECT_FLOAT_EQ(smoke.Color[0], 0.4f);
    EXPECT_EQ(smoke.Color[1], 1);
    EXPECT_EQ(smoke.Width, 4);
    EXPECT_EQ(smoke.Life, 800);

    // Then it bends over towards the target at a steady 125 and strikes it.
    Run(1);
    EXPECT_GT(missile->Velocity.x, 0);
    EXPECT_GT(missile->Velocity.y, 0);
    EXPECT_NEAR(VectorLength(missile->Velocity), 125, 1e-3f);
    const int frames = Run(2400, 25, [&] { return missile->EndClock >= 0; });
    ASSERT_LT(frames, 2400) << "the missile never struck";
    EXPECT_EQ(target->Health, 4000);
    EXPECT_TRUE(TargetContains(*target, missile->Position));
    EXPECT_EQ(missile->OnRadar, 0);

    // The explosion: it stays where it struck for 5000 ms, then it is finished.
    const TVector4 at = missile->Position;
    Run(199);
    EXPECT_EQ(missile->Dead, 0);
    EXPECT_EQ(missile->Position.x, at.x);
    EXPECT_EQ(target->Health, 4000);
    Run(1);
    EXPECT_EQ(missile->Dead, 1);
}

TEST_F(ShipsBallisticMissile, EndsWithoutItsTargetOrWhenShotDown)
{
    struct TCase {
        const char *What;
        bool        Remove;   // the target leaves the world, else the missile is shot down
    };
    for (const TCase c : {TCase{"target gone", true}, TCase{"shot down", false}}) {
        TEmptyObject *target = Marker(Objects, 1000, 0, 0, 0);
        auto *missile = Add<TBallisticMissile>(Level, target, 1);
        missile->RefCount = 1;
        Run(10);
        if (c.Remove)
            Objects.Remove(target);
        else
            missile->SetHealth(0);
        Run(1);
        EXPECT_EQ(missile->EndClock, 0) << c.What;
        EXPECT_EQ(missile->OnRadar, 0) << c.What;
        const float z = missile->Position.z;
        Run(199);
        EXPECT_EQ(missile->Position.z, z) << c.What;
        EXPECT_EQ(missile->Dead, 0) << c.What;
        Run(1);
        EXPECT_EQ(missile->Dead, 1) << c.What;
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

// ---- Death --------------------------------------------------------------------------------------

TEST_F(ShipsDeath, EndsDeadAfterTenSeconds)
{
    const std::vector<std::pair<const char *, std::function<TShip *()>>> ships = {
        {"destroyer", [&] { return Add<TDestroyer>(Level, 1, Level); }},
        {"boat", [&] { return Add<TBoat>(Level, 1, Level); }},
        {"battleship", [&] { return Add<TBattleShip>(Level, 1, Level); }},
        {"transport", [&] { return Add<TTransport>(Level, 1, Level, std::string("Tanker")); }},
        {"submarine", [&] { return Add<TSubmarine>(Level, Level); }},
        {"super submarine", [&] { return Add<TSuperSubmarine>(Level, Level); }},
        {"torpedo", [&] { return Add<TTorpedo>(Level, Level); }},
    };
    for (const auto &[what, make] : ships) {
        TShip *ship = make();
        ship->RefCount = 1;
        ship->Target = Marker(Objects, 0, 3000, 0, 0);
        ship->SetHealth(-5);
        Run(1);
        EXPECT_EQ(ship->Health, 0) << what;
        EXPECT_EQ(ship->OnRadar, 0) << what;
        EXPECT_EQ(ship->WeaponEnabled, 0) << what;
        EXPECT_EQ(ship->Target, nullptr) << what;
        EXPECT_TRUE(ship->DeadAnimation->Started) << what;
        Run(399);   // 10000 ms
        EXPECT_EQ(ship->Dead, 0) << what;
        Run(1);
        EXPECT_EQ(ship->Dead, 1) << what;
        EXPECT_EQ(ship->TargetClass(), TTargetClass::Ship) << what;
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

// ---- Turrets and wake ---------------------------------------------------------------------------

TEST_F(ShipsTurrets, SitOnTheirMountsAndFireOnlyWhileArmed)
{
    // Only two of the destroyer's five mounts exist on this hull.
    SaveHull("Data\\Models\\Ships\\Destroyer\\Main_0.otm", {{"Gun_1", {0, 20, 5}}, {"MachineGun_1", {-5, 0, 5}}});
    for (const bool armed : {true, false}) {
        auto *ship = Add<TDestroyer>(VectorSet3(100, 200, 0), 0, VectorSet3(0, 90, 0));
        ASSERT_EQ(ship->Mounts.size(), 5u);
        EXPECT_NE(ship->Mounts[0].Gun, nullptr);
        EXPECT_EQ(ship->Mounts[1].Gun, nullptr);
        EXPECT_EQ(ship->Mounts[2].Gun, nullptr);
        EXPECT_NE(ship->Mounts[3].Gun, nullptr);
        EXPECT_EQ(ship->Mounts[4].Gun, nullptr);
        TEmptyObject *enemy = Marker(Objects, 600, 200, 0, 1);
        enemy->Health = 100000;
        ship->WeaponEnabled = armed ? 1 : 0;

        Run(1);
        // Heading 90: the bow (+y) points east, the port side (-x) north.
        const TVector4 gun = ship->Mounts[0].Gun->Position, mg = ship->Mounts[3].Gun->Position;
        EXPECT_NEAR(gun.x, 120, 1e-3f);
        EXPECT_NEAR(gun.y, 200, 1e-3f);
        EXPECT_NEAR(gun.z, 5, 1e-3f);
        EXPECT_NEAR(mg.x, 100, 1e-3f);
        EXPECT_NEAR(mg.y, 205, 1e-3f);
        Run(80);   // 2 s: the cannon, aimed dead ahead, hits whenever it fires
        if (armed) {
            EXPECT_LE(enemy->Health, 100000 - 200);
        } else {
            EXPECT_EQ(enemy->Health, 100000);
        }
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

TEST_F(ShipsTurrets, BattleShipHeavyReloadsDrawnPerTurret)
{
    SaveHull("Data\\Models\\Ships\\BattleShip\\Main_1.otm",
             {{"MiniGun_1", {-8, 30, 8}}, {"MiniGun_2", {8, 30, 8}}, {"MiniGun_3", {8, -30, 8}},
              {"MiniGun_4", {-8, -30, 8}},
              {"Gun_1", {0, 40, 8}}, {"Gun_2", {0, 25, 9}}, {"Gun_3", {0, -25, 9}}, {"Gun_4", {0, -40, 8}},
              {"MachineGun_1", {0, 10, 12}}, {"MachineGun_2", {0, -10, 12}}, {"Gun_5", {0, 0, 12}}});
    RandSeed = 99;
    std::vector<int> expected;
    for (int i = 0; i < 4; ++i)
        expected.push_back(4000 + Random(2000));
    RandSeed = 99;
    auto *ship = Add<TBattleShip>(Level, 1, Level);
    ASSERT_EQ(ship->Mounts.size(), 10u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(ship->Mounts[std::size_t(4 + i)].Gun, nullptr);
        EXPECT_EQ(ship->Mounts[std::size_t(4 + i)].Gun->ReloadTime, expected[std::size_t(i)]) << "Gun_" << i + 1;
    }
    EXPECT_EQ(ship->Mounts[0].Gun->ReloadTime, 1000);
    EXPECT_NE(dynamic_cast<TGunMissile *>(ship->Launcher()), nullptr);
}

TEST_F(ShipsWake, StirsTheSeaAtEachWakePoint)
{
    const TPoints water = {{"Water_1", {0, 50, 0}}, {"Water_2", {5, 0, 0}}, {"Water_3", {-5, 0, 0}},
                           {"Water_4", {3, -50, 0}}, {"Water_5", {-3, -50, 0}}};
    SaveHull("Data\\Models\\Ships\\Destroyer\\Main_1.otm", water);
    SaveHull("Data\\Models\\Ships\\Submarine\\Main.otm", water);
    struct TCase {
        const char *What;
        std::function<TShip *()> Make;
        float Size;
        std::size_t Stirs;   // after 300 ms
    };
    const TCase cases[] = {
        {"destroyer", [&] { return Add<TDestroyer>(VectorSet3(0, 1000, 0), 1, Level); }, 50, 5},
        {"dying destroyer", [&] {
             TShip *ship = Add<TDestroyer>(VectorSet3(0, 1000, 0), 1, Level);
             ship->Health = 0;
             return ship;
         }, 50, 0},
        {"submarine at -20", [&] { return Add<TSubmarine>(VectorSet3(0, 1000, -20), Level); }, 50, 0},
    };
    for (const TCase &c : cases) {
        Water.Stirs.clear();
        TShip *ship = c.Make();
        Run(2, 100);
        EXPECT_TRUE(Water.Stirs.empty()) << c.What << ": not before 201 ms";
        Run(1, 100);
        ASSERT_EQ(Water.Stirs.size(), c.Stirs) << c.What;
        for (const auto &stir : Water.Stirs) {
            EXPECT_EQ(stir.Strength, 2000) << c.What;
            EXPECT_EQ(stir.Size, c.Size) << c.What;
        }
        if (c.Stirs == 5) {
            EXPECT_NEAR(Water.Stirs[0].At.y, ship->Position.y + 50, 1e-3f) << c.What;
        }
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
    }
}

// ---- State messages -----------------------------------------------------------------------------

TEST_F(ShipsState, RoundTripOfEveryClass)
{
    const TPoints destroyer = {{"Gun_1", {0, 20, 5}}, {"Gun_2", {0, 10, 6}}, {"Gun_3", {0, -20, 5}},
                               {"MachineGun_1", {-5, 0, 5}}, {"MachineGun_2", {5, 0, 5}}};
    SaveHull("Data\\Models\\Ships\\Destroyer\\Main_1.otm", destroyer);
    SaveHull("Data\\Models\\Ships\\Boat\\Main_1.otm", {{"MachineGun_1", {-2, 0, 3}}});
    SaveHull("Data\\Models\\Ships\\BattleShip\\Main_1.otm",
             {{"MiniGun_1", {-8, 30, 8}}, {"MiniGun_3", {8, -30, 8}}, {"Gun_2", {0, 25, 9}},
              {"MachineGun_2", {0, -10, 12}}});
    TEmptyObject *target = Marker(Objects, 3000, 0, 0, 0);

    struct TCase {
        const char   *What;
        std::uint16_t Code;
        std::function<TGameObject *()> Make;
        std::function<void(TGameObject &)> Fill;
    };
    auto ship = [](TGameObject &o) {
        auto &s = dynamic_cast<TShip &>(o);
        for (std::size_t i = 0; i < s.Mounts.size(); ++i)
            if (s.Mounts[i].Gun) {
                s.Mounts[i].Gun->Rotation.y = 10.5f + float(i);
                s.Mounts[i].Gun->Rotation.x = 3;
                s.Mounts[i].Gun->ReloadClock = 120 + int(i);
                s.Mounts[i].Gun->BurstLeft = 2;
            }
    };
    const TCase cases[] = {
        {"destroyer", ClassDestroyer, [&] { return Add<TDestroyer>(Level, 1, Level); }, ship},
        {"boat", ClassBoat, [&] { return Add<TBoat>(Level, 1, Level); }, ship},
        {"battleship", ClassBattleShip, [&] { return Add<TBattleShip>(Level, 1, Level); }, ship},
        {"transport", ClassTransport, [&] { return Add<TTransport>(Level, 1, Level, std::string("Tanker")); }, ship},
        {"submarine", ClassSubmarine, [&] { return Add<TSubmarine>(Level, Level); },
         [](TGameObject &o) {
             auto &s = dynamic_cast<TSubmarine &>(o);
             s.LaunchClock = 12345;
             s.Hidden = 1;
             s.LaunchPoint = 1;
         }},
        {"super submarine", ClassSuperSubmarine, [&] { return Add<TSuperSubmarine>(Level, Level); },
         [](TGameObject &o) { dynamic_cast<TSubmarine &>(o).LaunchClock = 777; }},
        {"torpedo", ClassTorpedo, [&] { return Add<TTorpedo>(Level, Level); },
         [](TGameObject &o) {
             auto &t = dynamic_cast<TTorpedo &>(o);
             t.Health = 0;
             t.DeadAnimation->Start();
             t.DeadAnimation->Clock = 2500;
         }},
        {"ballistic missile", ClassBallisticMissile, [&] { return Add<TBallisticMissile>(Level); },
         [](TGameObject &o) {
             auto &m = dynamic_cast<TBallisticMissile &>(o);
             m.Velocity = VectorSet3(30, -40, 115);
             m.Age = 4321;
             m.EndClock = 250;
             m.DamageValue = 900;
         }},
    };
    for (const TCase &c : cases) {
        TGameObject *original = c.Make();
        original->Name = "Ship " + std::string(c.What);
        original->Position = VectorSet4(10.5f, -20.25f, 3, 0);
        original->Rotation = VectorSet4(1, 45, 2, 0);
        original->Side = 1;
        original->Health = original->Health > 0 ? 750 : 0;
        original->MaxHealth = 2000;
        original->Target = target;
        original->Order = 1;
        original->OrderData = 42.5f;
        original->BlinkOnRadar = 1;
        c.Fill(*original);

        TByteWriter first;
        original->WriteState(first);
        ASSERT_EQ(first.Size(), StateSize(c.Code)) << c.What;
        TGameObject *copy = c.Make();
        TByteReader in(first.Out);
        copy->ReadState(in);
        EXPECT_EQ(copy->Target, target) << c.What;
        EXPECT_EQ(copy->Name, original->Name) << c.What;
        TByteWriter second;
        copy->WriteState(second);
        EXPECT_EQ(second.Out, first.Out) << c.What;
    }
}

TEST_F(ShipsState, IgnoresOtherClassesAndShortMessages)
{
    auto *destroyer = Add<TDestroyer>(VectorSet3(1, 2, 3), 1, Level);
    auto *sub = Add<TSubmarine>(VectorSet3(4, 5, 6), Level);
    TByteWriter full;
    destroyer->WriteState(full);
    std::vector<std::uint8_t> cut(full.Out.begin(), full.Out.end() - 1);
    TByteWriter subMessage;
    sub->WriteState(subMessage);

    struct TCase {
        const char *What;
        std::function<TGameObject *()> Make;
        const std::vector<std::uint8_t> *Message;
    };
    const TCase cases[] = {
        {"destroyer message to a boat", [&] { return Add<TBoat>(VectorSet3(9, 9, 9), 1, Level); }, &full.Out},
        {"short destroyer message", [&] { return Add<TDestroyer>(VectorSet3(9, 9, 9), 1, Level); }, &cut},
        {"submarine message to a super submarine", [&] { return Add<TSuperSubmarine>(VectorSet3(9, 9, 9), Level); },
         &subMessage.Out},
        {"submarine message to a missile", [&] { return Add<TBallisticMissile>(VectorSet3(9, 9, 9)); },
         &subMessage.Out},
    };
    for (const TCase &c : cases) {
        TGameObject *object = c.Make();
        const std::uint16_t id = object->Id;
        TByteReader in(*c.Message);
        object->ReadState(in);
        EXPECT_EQ(object->Id, id) << c.What;
        EXPECT_EQ(object->Position.x, 9) << c.What;
    }
}
