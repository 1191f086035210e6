// The player's weapons: rates of fire at real frame steps, the hit routine's damage, statistics and
// friendly-fire warning, the special weapons' reload, the missile lock, what a network client sends
// instead of acting, the mega bomb's blast and drawing, and the ion gun's homing plasma. The weapons
// are fired by a pilot that takes a command each frame, as the player aircraft hands them theirs;
// models are real ".otm" files built with the model builder and loaded through the model library
// from a private data folder.

#include "sim/Weapons.h"

#include "assets/AssetDevice.h"
#include "tests/sim/RecordingDevice.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "script/Messanger.h"
#include "sim/Aircraft.h"
#include "sim/Cameras.h"
#include "sim/Seams.h"
#include "sim/Tracers.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int Frame = 25;   // ms, the step of a network or fixed-step game

// A unit as the weapons see it: it stands still and takes damage.
class TDummy : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
    TTargetClass TargetClass() override { return Class; }
    TTargetClass Class = TTargetClass::Aircraft;
};

// A network layer that keeps what a client sends.
class TCapturingNetwork : public TNetworkSeam {
public:
    bool IsClient() const override { return true; }
    void SendMessage(const void *data, int size) override
    {
        const auto *bytes = static_cast<const std::uint8_t *>(data);
        Messages.emplace_back(bytes, bytes + size);
    }
    std::vector<std::vector<std::uint8_t>> Messages;
};

class TRecordingShaders : public TShaderSeam {
public:
    bool Use(int program) override
    {
        Calls.push_back("use " + std::to_string(program));
        return true;
    }
    void Stop() override { Calls.push_back("stop"); }
    std::vector<std::string> Calls;
};

class WeaponsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        SavedScreen = {ScreenWidth, ScreenHeight};
        SavedScale = UiScale;
        ScreenWidth = 1024;
        ScreenHeight = 768;
        UiScale = 1;
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        Billboards = &Tracers;
        Messanger = &Messages;
        NetworkSeam = nullptr;
        ShaderSeam = nullptr;
        DynamicCamera = &Camera;
        MissionStatistics = &Statistics;
        NetworkGame = NetworkHost = false;
        GameClock = 0;
        RandSeed = 20240611;

        // An aircraft: half extents 5 (x), 8 (y) and 1 (z).
        TModelBuilder jet;
        jet.AddMesh("Body").Box(VectorSet3(-5, -8, -1), VectorSet3(5, 8, 1));
        WriteBytes(Dir.Path / "Data" / "Models" / "Jet.otm", jet.Bytes());
        Jet = ModelLib->Load(AppDir + "Data\\Models\\Jet.otm");
        // A ship with a collision mesh of its box: half extents 10, 20 and 5.
        TModelBuilder ship;
        ship.AddMesh("Hull").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        ship.AddMesh("Collision").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        WriteBytes(Dir.Path / "Data" / "Models" / "Ship.otm", ship.Bytes());
        Ship = ModelLib->Load(AppDir + "Data\\Models\\Ship.otm");
        ASSERT_NE(Jet, nullptr);
        ASSERT_NE(Ship, nullptr);

        // The player: level flight (pitch -90) along +y at 1000, speed 300.
        Player.Side = 0;
        Player.Position = VectorSet4(0, 0, 1000, 0);
        Player.Rotation = VectorSet4(-90, 0, 0, 0);
        Player.OrderData = 300;
        Player.Health = Player.MaxHealth = 1000;
        PlayerAircraft = &Player;
    }
    void TearDown() override
    {
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
        ModelLib = nullptr;
        Billboards = nullptr;
        Messanger = nullptr;
        NetworkSeam = nullptr;
        ShaderSeam = nullptr;
        DynamicCamera = nullptr;
        PlayerAircraft = nullptr;
        MissionStatistics = &PlayerStatistics;
        NetworkGame = NetworkHost = false;
        GameClock = 0;
        SetAssetDevice(nullptr);
        ScreenWidth = SavedScreen[0];
        ScreenHeight = SavedScreen[1];
        UiScale = SavedScale;
        AppDir = SavedAppDir;
    }

    // A listed unit at X, Y, Z of Side with Health: an aircraft (the jet model) or a ship.
    TDummy *Add(float x, float y, float z, int side, float health, bool ground = false)
    {
        auto *unit = new TDummy;
        unit->Model = ground ? Ship : Jet;
        unit->Class = ground ? TTargetClass::Ship : TTargetClass::Aircraft;
        unit->IsGround = ground ? 1 : 0;
        unit->Position = VectorSet4(x, y, z, 0);
        unit->Side = side;
        unit->Targetable = 1;
        unit->Visible = 1;
        unit->Health = unit->MaxHealth = health;
        unit->Id = Objects.NewId();
        Objects.Add(unit);
        return unit;
    }

    void Press(TCommandAction action, bool down)
    {
        if (down)
            Command.Held |= action;
        else
            Command.Held &= ~std::uint32_t(action);
    }
    // The pilot takes this frame's command, and Weapon answers to it.
    void TakeCommand(TWeapon &weapon)
    {
        weapon.Pilot = &Pilot;
        Pilot.Take(Command);
    }

    // One frame: the clock moves on, the pilot takes the command, the world and then the weapon run.
    void Step(TWeapon &weapon, int dt = Frame, TGameObject *target = nullptr)
    {
        GameClock += dt;
        TakeCommand(weapon);
        Objects.Update(dt);
        weapon.Update(dt, ShootPoint(), target, VectorSet3(0, 500, 1000));
    }

    TVector3 ShootPoint() const { return VectorSet3(Player.Position.x, Player.Position.y + 10, Player.Position.z); }

    // Holds both fire actions until Weapon has fired Shots rounds at Target; the target's health lost to each.
    std::vector<float> FireAt(TWeapon &weapon, TGameObject *target, int shots)
    {
        std::vector<float> losses;
        Press(CommandPrimary, true);
        Press(CommandSecondary, true);
        for (int frame = 0; frame < 100000 && int(losses.size()) < shots; ++frame) {
            const int ammo = weapon.Ammo;
            const float health = target->Health;
            Step(weapon, Frame, target);
            if (weapon.Ammo < ammo)
                losses.push_back(health - target->Health);
        }
        Press(CommandPrimary, false);
        Press(CommandSecondary, false);
        return losses;
    }

    // Lets Ms pass without firing.
    void Wait(TWeapon &weapon, int ms)
    {
        for (int t = 0; t < ms; t += Frame)
            Step(weapon);
    }

    template <class T> std::vector<T *> Listed() const
    {
        std::vector<T *> found;
        for (int i = 0; i < Objects.Count; ++i)
            if (auto *t = dynamic_cast<T *>(Objects.Objects[std::size_t(i)]))
                found.push_back(t);
        return found;
    }

    TTempDir        Dir{"sim-weapons"};
    TModelLib       Models;
    TModel         *Jet = nullptr, *Ship = nullptr;
    TBillboards     Tracers;
    TMessanger      Messages{600};
    TDynamicCamera  Camera;
    TObjectsControl Objects;
    TDummy          Player;
    TPlayerStatistics Statistics;
    TPlayerCommand  Command;
    TPilot          Pilot;
    std::string     SavedAppDir;
    std::array<int, 2> SavedScreen{};
    float           SavedScale = 1;
};

using TMakeWeapon = std::function<std::unique_ptr<TWeapon>(TObjectsControl *, TGameObject *)>;
template <class T> TMakeWeapon Maker()
{
    return [](TObjectsControl *objects, TGameObject *owner) { return std::make_unique<T>(objects, owner); };
}

// The fields of a message, read back.
struct TDamageMessage {
    int Size, Type, Amount, Id;
};
TDamageMessage ReadDamage(const std::vector<std::uint8_t> &bytes)
{
    TByteReader r(bytes);
    TDamageMessage m{};
    m.Size = std::uint16_t(r.Short());
    m.Type = r.Byte();
    m.Amount = std::uint16_t(r.Short());
    m.Id = std::uint16_t(r.Short());
    EXPECT_TRUE(r.AtEnd());
    return m;
}

} // namespace

// ---- Rates of fire ------------------------------------------------------------------------------

TEST_F(WeaponsTest, GunsFireAtTheirRateWhateverTheFrameStep)
{
    struct {
        const char *What;
        TMakeWeapon Make;
        int         Step, HoldMs, Ammo, Rounds;
    } const tests[] = {
        {"machine gun, 1 ms frames", Maker<TMachineGun>(), 1, 1000, 300, 10},
        {"machine gun, 25 ms frames", Maker<TMachineGun>(), 25, 1000, 300, 10},
        {"machine gun, 25 ms frames, ten seconds", Maker<TMachineGun>(), 25, 10000, 300, 100},
        {"gauss gun, 1 ms frames", Maker<TGaussGun>(), 1, 1000, 400, 17},
        {"gauss gun, 25 ms frames", Maker<TGaussGun>(), 25, 1000, 400, 17},
        {"machine gun with 3 rounds left", Maker<TMachineGun>(), 25, 1000, 3, 3},
        {"machine gun, nothing held", Maker<TMachineGun>(), 25, 0, 300, 0},
    };
    for (const auto &test : tests) {
        GameClock = 0;
        Tracers.Clear();
        auto weapon = test.Make(&Objects, &Player);
        weapon->Ammo = test.Ammo;
        Press(CommandPrimary, test.HoldMs > 0);
        Press(CommandSecondary, test.HoldMs > 0);
        for (int t = 0; t < std::max(test.HoldMs, 1000); t += test.Step)
            Step(*weapon, test.Step);
        EXPECT_EQ(test.Ammo - weapon->Ammo, test.Rounds) << test.What;
        EXPECT_EQ(Tracers.Count(), test.Rounds) << test.What << ": a tracer per round";
        Press(CommandPrimary, false);
        Press(CommandSecondary, false);
        Step(*weapon);
    }

    // A weapon without a pilot fires nothing, whatever the pilot of another holds.
    Press(CommandPrimary, true);
    Press(CommandSecondary, true);
    Pilot.Take(Command);
    for (const TMakeWeapon &make : {Maker<TMachineGun>(), Maker<TLaserGun>(), Maker<TMegaBombGun>()}) {
        auto weapon = make(&Objects, &Player);
        const int full = weapon->Ammo;
        for (int t = 0; t < 1000; t += Frame) {
            GameClock += Frame;
            weapon->Update(Frame, ShootPoint(), nullptr, VectorSet3(0, 500, 1000));
        }
        EXPECT_EQ(weapon->Ammo, full);
    }
}

TEST_F(WeaponsTest, MachineGunRoundsAtTheSeaThrowUpAFountain)
{
    TMachineGun gun(&Objects, &Player);
    Press(CommandPrimary, true);
    GameClock += Frame;
    TakeCommand(gun);
    gun.Update(Frame, ShootPoint(), nullptr, VectorSet3(0, 800, 1));
    ASSERT_EQ(Tracers.Count(), 2) << "the tracer and the fountain";
    const TTrasser &fountain = Tracers.Items[1];
    EXPECT_FLOAT_EQ(fountain.Start.z, 0);
    EXPECT_GE(fountain.Finish.z, 20);
    EXPECT_LT(fountain.Finish.z, 40);
    EXPECT_EQ(fountain.Life, 1000);

    gun.Update(Frame, ShootPoint(), nullptr, VectorSet3(0, 800, 1));   // too soon for a round
    GameClock += 200;
    gun.Update(Frame, ShootPoint(), nullptr, VectorSet3(0, 800, 2));
    EXPECT_EQ(Tracers.Count(), 3) << "at z = 2 the rounds stay above the water";
}

// ---- Damage -------------------------------------------------------------------------------------

TEST_F(WeaponsTest, FirstHitOfABurstOnAnAircraftCountsAWholeSecond)
{
    struct {
        const char *What;
        TMakeWeapon Make;
        bool        Ground;
        float       First, Next;
    } const tests[] = {
        {"machine gun at an aircraft", Maker<TMachineGun>(), false, 1500, 150},
        {"machine gun at a ship", Maker<TMachineGun>(), true, 150, 150},
        {"gauss gun at an aircraft", Maker<TGaussGun>(), false, 5000, 300},
        {"laser at an aircraft", Maker<TLaserGun>(), false, 75000, 75000},
    };
    for (const auto &test : tests) {
        TDummy *target = Add(0, 500, 1000, 1, 1e6f, test.Ground);
        auto weapon = test.Make(&Objects, &Player);
        const std::vector<float> losses = FireAt(*weapon, target, 3);
        ASSERT_EQ(losses.size(), 3u) << test.What;
        EXPECT_FLOAT_EQ(losses[0], test.First) << test.What;
        EXPECT_FLOAT_EQ(losses[1], test.Next) << test.What;
        EXPECT_FLOAT_EQ(losses[2], test.Next) << test.What;
        Objects.Remove(target);
    }
}

TEST_F(WeaponsTest, MachineGunBurstBonusAfterAPauseOrOnANewTarget)
{
    struct {
        const char *What;
        int         PauseMs;
        bool        NewTarget;
        float       Loss;
    } const tests[] = {
        {"after 1100 ms without firing", 1100, false, 1500},
        {"after 900 ms without firing", 900, false, 150},
        {"a new target at once", 0, true, 1500},
    };
    for (const auto &test : tests) {
        TDummy *first = Add(0, 500, 1000, 1, 1e6f);
        TDummy *second = Add(10, 500, 1000, 1, 1e6f);
        TMachineGun gun(&Objects, &Player);
        FireAt(gun, first, 2);
        Wait(gun, test.PauseMs);
        const std::vector<float> losses = FireAt(gun, test.NewTarget ? second : first, 1);
        ASSERT_EQ(losses.size(), 1u) << test.What;
        EXPECT_FLOAT_EQ(losses[0], test.Loss) << test.What;
        Objects.Remove(first);
        Objects.Remove(second);
    }
}

TEST_F(WeaponsTest, HitKeepsTheStatisticsAndCountsKillsByClass)
{
    TDummy *fighter = Add(0, 500, 1000, 1, 1600);
    TDummy *ship = Add(0, 600, 0, 1, 100, true);
    TMachineGun gun(&Objects, &Player);

    FireAt(gun, fighter, 2);   // 1500 then 150: down
    EXPECT_LE(fighter->Health, 0);
    FireAt(gun, fighter, 1);   // a wreck takes hits but is not killed twice
    FireAt(gun, ship, 1);
    EXPECT_EQ(Statistics.Shots, 4);
    EXPECT_EQ(Statistics.Hits, 4);
    EXPECT_EQ(Statistics.AircraftKills, 1);
    EXPECT_EQ(Statistics.ShipKills, 1);

    // A target that has left the world is a shot, not a hit.
    TDummy gone;
    gone.Side = 1;
    gone.Health = 100;
    Hit(gun, &gone, false);
    Hit(gun, nullptr, false);
    EXPECT_EQ(Statistics.Shots, 6);
    EXPECT_EQ(Statistics.Hits, 4);
    EXPECT_FLOAT_EQ(gone.Health, 100);
}

TEST_F(WeaponsTest, FriendlyFireWarnsAndDoesNoDamage)
{
    struct {
        const char *What;
        TMakeWeapon Make;
        int         Side;
        bool        Warned;
    } const tests[] = {
        {"machine gun at a friend", Maker<TMachineGun>(), 0, true},
        {"laser at a friend", Maker<TLaserGun>(), 0, true},
        {"machine gun at an enemy", Maker<TMachineGun>(), 1, false},
        {"machine gun at a neutral", Maker<TMachineGun>(), -1, false},
    };
    for (const auto &test : tests) {
        Messages.CentreText.clear();
        Messages.CentreTime = 0;
        Statistics = {};
        TDummy *target = Add(0, 500, 0, test.Side, 1000, true);
        auto weapon = test.Make(&Objects, &Player);
        FireAt(*weapon, target, 1);
        if (test.Warned) {
            EXPECT_EQ(Messages.CentreText, "Major, you shoot at friendly troops!") << test.What;
            EXPECT_EQ(Messages.CentreTime, 5000) << test.What;
            EXPECT_FLOAT_EQ(target->Health, 1000) << test.What;
            EXPECT_EQ(Statistics.Hits, 0) << test.What;
        } else {
            EXPECT_TRUE(Messages.CentreText.empty()) << test.What;
            EXPECT_LT(target->Health, 1000) << test.What;
        }
        EXPECT_EQ(Statistics.Shots, 1) << test.What;
        Objects.Remove(target);
    }
}

// ---- Reload -------------------------------------------------------------------------------------

TEST_F(WeaponsTest, LaserEmptiesAfterSixPressesAndIsFullAgain15000MsAfterTheLast)
{
    TLaserGun laser(&Objects, &Player);
    TDummy *ship = Add(0, 500, 0, 1, 1e7f, true);
    std::vector<std::int64_t> shots;
    std::int64_t refilled = -1;
    // A press every 5000 ms, held 100 ms, for 40 seconds; the reload runs each frame before the weapon.
    for (int t = 0; t < 45000; t += Frame) {
        Press(CommandSecondary, t % 5000 < 100);
        GameClock += Frame;
        TakeCommand(laser);
        ReloadTick(laser, Frame);
        if (refilled < 0 && !shots.empty() && laser.Ammo == 6)
            refilled = GameClock;
        const int ammo = laser.Ammo;
        laser.Update(Frame, ShootPoint(), ship, VectorSet3(0, 500, 0));
        if (laser.Ammo < ammo)
            shots.push_back(GameClock);
    }
    ASSERT_GE(shots.size(), 6u);
    for (std::size_t i = 1; i < 6; ++i)
        EXPECT_EQ(shots[i] - shots[i - 1], 5000) << "shot " << i;
    EXPECT_EQ(refilled - shots[5], 15000) << "full again 15000 ms after the sixth shot";
    ASSERT_EQ(shots.size(), 7u) << "the press after the refill fires once more";
    EXPECT_EQ(shots[6], shots[5] + 15000);
}

TEST_F(WeaponsTest, SpecialWeaponsRefillOneReloadTimeAfterRunningDry)
{
    struct {
        const char *What;
        TMakeWeapon Make;
        int         Capacity, ReloadMs;   // ReloadMs -1: never
    } const tests[] = {
        {"gauss gun", Maker<TGaussGun>(), 400, 25000},
        {"laser", Maker<TLaserGun>(), 6, 15000},
        {"ion gun", Maker<TPlasmaGun>(), 4, 30000},
        {"mega bomb", Maker<TMegaBombGun>(), 2, 25000},
        {"machine gun", Maker<TMachineGun>(), 300, -1},
        {"air-to-air missiles", Maker<TAirToAirMissileWeapon>(), 10, -1},
    };
    for (const auto &test : tests) {
        auto weapon = test.Make(&Objects, &Player);
        EXPECT_EQ(weapon->Ammo, test.Capacity) << test.What;
        weapon->Ammo = 0;
        int refilledAt = -1;
        for (int t = Frame; t <= 100000 && refilledAt < 0; t += Frame) {
            ReloadTick(*weapon, Frame);
            if (weapon->Ammo > 0)
                refilledAt = t;
        }
        EXPECT_EQ(refilledAt, test.ReloadMs) << test.What;
        if (refilledAt > 0) {
            EXPECT_EQ(weapon->Ammo, test.Capacity) << test.What;
            ReloadTick(*weapon, Frame);
            EXPECT_EQ(weapon->ReloadClock, test.ReloadMs) << test.What << ": the clock waits for the next time";
        }
    }
}

// ---- Missile lock -------------------------------------------------------------------------------

TEST_F(WeaponsTest, MissileLockNeeds1500MsInsideTheCircleThenOneMissilePerPress)
{
    TDummy *enemy = Add(0, 1000, 1000, 1, 10000);
    enemy->ScreenX = 100.0f / 512;   // 100 pixels right of the centre
    TAirToAirMissileWeapon missiles(&Objects, &Player);
    Press(CommandSecondary, true);

    Step(missiles);
    EXPECT_EQ(missiles.LockTarget, enemy);
    float x = 0, y = 0, half = 0;
    bool locked = true;
    ASSERT_TRUE(missiles.LockBox(x, y, half, locked));
    EXPECT_FLOAT_EQ(x, 612);
    EXPECT_FLOAT_EQ(y, 384);
    EXPECT_FLOAT_EQ(half, 128);
    EXPECT_FALSE(locked);

    int launchedAfter = -1;
    for (int t = Frame; t <= 3000 && launchedAfter < 0; t += Frame) {
        Step(missiles);
        if (!Listed<TAirToAirRocket>().empty())
            launchedAfter = t;
    }
    EXPECT_EQ(launchedAfter, 1500) << "launched once the lock has run 1500 ms";
    ASSERT_EQ(Listed<TAirToAirRocket>().size(), 1u);
    TAirToAirRocket *rocket = Listed<TAirToAirRocket>()[0];
    EXPECT_EQ(rocket->Target, enemy);
    EXPECT_FLOAT_EQ(rocket->DamageValue, 4500);
    EXPECT_FLOAT_EQ(rocket->TopSpeed, 800);
    EXPECT_FLOAT_EQ(rocket->LaunchSpeed, 300) << "the aircraft's speed";
    EXPECT_EQ(rocket->Side, 0);
    EXPECT_FLOAT_EQ(rocket->Position.z, 990) << "10 below the aircraft";
    EXPECT_FLOAT_EQ(rocket->Rotation.x, 0) << "level flight launches a level missile";
    EXPECT_EQ(missiles.Ammo, 9);
    EXPECT_EQ(missiles.LockTime, 0);
    EXPECT_EQ(Camera.Mode, 4);
    EXPECT_EQ(Camera.Subject, rocket);

    // Holding on launches nothing more, though the lock completes again.
    for (int t = 0; t < 3000; t += Frame)
        Step(missiles);
    EXPECT_EQ(Listed<TAirToAirRocket>().size(), 1u);
    EXPECT_EQ(missiles.LockTime, 1500);
    ASSERT_TRUE(missiles.LockBox(x, y, half, locked));
    EXPECT_FLOAT_EQ(half, 16);
    EXPECT_TRUE(locked);

    // A new press fires at once on the complete lock; a press right after a launch waits for a new lock.
    Press(CommandSecondary, false);
    Step(missiles);
    Press(CommandSecondary, true);
    Step(missiles);
    EXPECT_EQ(Listed<TAirToAirRocket>().size(), 2u);
    Press(CommandSecondary, false);
    Step(missiles);
    Press(CommandSecondary, true);
    int second = -1;
    for (int t = 2 * Frame; t <= 3000 && second < 0; t += Frame) {
        Step(missiles);
        if (Listed<TAirToAirRocket>().size() == 3)
            second = t;
    }
    EXPECT_EQ(second, 1500) << "1500 ms after the previous launch";
}

TEST_F(WeaponsTest, ThePlayersMissileCountsItsKillAndOnlyIts)
{
    // A weak aircraft just ahead: the player's missile brings it down and the kill is the player's.
    TDummy *enemy = Add(0, 400, 1000, 1, 100);
    TAirToAirMissileWeapon missiles(&Objects, &Player);
    Press(CommandSecondary, true);
    for (int t = 0; t <= 1500; t += Frame)
        Step(missiles);
    ASSERT_EQ(Listed<TAirToAirRocket>().size(), 1u);
    Press(CommandSecondary, false);
    for (int t = 0; t < 3000 && !Listed<TAirToAirRocket>()[0]->Exploded; t += Frame)
        Step(missiles);
    ASSERT_TRUE(Listed<TAirToAirRocket>()[0]->Exploded);
    EXPECT_LE(enemy->Health, 0);
    EXPECT_EQ(Statistics.AircraftKills, 1);

    // Anyone else's missile kills without counting for the player.
    TDummy *other = Add(0, 400, 1000, 1, 100);
    Objects.LaunchMissile(VectorSet3(0, 0, 1000), VectorSet3(0, 0, 0), 4500, 300, 800, 10, other, 0, 100000, 0, false);
    for (int t = 0; t < 3000 && other->Health > 0; t += Frame)
        Objects.Update(Frame);
    EXPECT_LE(other->Health, 0);
    EXPECT_EQ(Statistics.AircraftKills, 1);
}

TEST_F(WeaponsTest, TheSmallViewRidesThePlayersMissileLookingWhereItFlies)
{
    // Launched through the weapon in level flight, and in a climb and a dive of 20 degrees (the
    // flight model's pitch: -90 level, more diving): the small view rides the missile and looks along
    // its flight, not down at the sea.
    struct TCase {
        const char *What;
        float       Pitch;
    } cases[] = {{"level", -90}, {"climbing", -110}, {"diving", -70}};
    for (const TCase &test : cases) {
        SCOPED_TRACE(test.What);
        while (Objects.Count > 0)
            Objects.Remove(Objects.Objects.back());
        Camera.Reset();
        Pilot = TPilot();   // a fresh press for each launch
        // The lock is held in level flight; the aircraft pulls up or noses down just before it fires.
        Player.Rotation = VectorSet4(-90, 0, 0, 0);
        const float climb = -(test.Pitch + 90) * std::numbers::pi_v<float> / 180;
        Add(0, 1200, 1000, 1, 100);
        TAirToAirMissileWeapon missiles(&Objects, &Player);
        Press(CommandSecondary, true);
        for (int t = 0; t <= 1500 && Listed<TAirToAirRocket>().empty(); t += Frame) {
            if (t >= 1400)
                Player.Rotation.x = test.Pitch;
            Step(missiles);
        }
        Press(CommandSecondary, false);
        ASSERT_EQ(Listed<TAirToAirRocket>().size(), 1u);
        ASSERT_EQ(Camera.Mode, 4);
        TAirToAirRocket *missile = Listed<TAirToAirRocket>()[0];

        Camera.Place(&Objects, TPlayerView{Player.Position, test.Pitch, 0, 0});
        // The view looks along the third row of its model-view matrix, negated.
        const TMatrix4 &m = Camera.View.ModelView;
        const TVector4 looks = VectorNormalize(VectorSet4(-m[2], -m[6], -m[10], 0));
        EXPECT_NEAR(looks.x, 0, 0.02f);
        EXPECT_NEAR(looks.y, std::cos(climb), 0.02f);
        EXPECT_NEAR(looks.z, std::sin(climb), 0.02f);
        // Placed just ahead of the missile, and no lower than its path takes it.
        EXPECT_GT(Camera.View.Position.y, missile->Position.y);
        const float rises = Camera.View.Position.z - missile->Position.z;
        if (test.Pitch == -90)
            EXPECT_NEAR(rises, 0, 0.01f);
        else
            EXPECT_GT(rises * climb, 0) << "the view sits up the missile's path when it climbs, down it when it dives";
    }
}

TEST_F(WeaponsTest, TargetLeavingTheCircleResetsTheLock)
{
    TDummy *enemy = Add(0, 1000, 1000, 1, 10000);
    TAirToAirMissileWeapon missiles(&Objects, &Player);
    Step(missiles);
    for (int t = 0; t < 1000; t += Frame)
        Step(missiles);
    EXPECT_EQ(missiles.LockTime, 1000);

    enemy->ScreenX = 129.0f / 512;
    Step(missiles);
    EXPECT_EQ(missiles.LockTarget, nullptr);
    EXPECT_EQ(missiles.LockTime, 0);
    float x, y, half;
    bool locked;
    EXPECT_FALSE(missiles.LockBox(x, y, half, locked));

    enemy->ScreenX = 127.0f / 512;
    Step(missiles);
    EXPECT_EQ(missiles.LockTarget, enemy);
    EXPECT_EQ(missiles.LockTime, 0) << "the lock starts over";

    enemy->Health = 0;
    Step(missiles);
    EXPECT_EQ(missiles.LockTarget, nullptr) << "a destroyed target loses the lock";
}

TEST_F(WeaponsTest, WhatTheMissileWeaponsLockOn)
{
    struct {
        const char *What;
        bool        GroundWeapon;
        float       X, Y;         // the candidate's place (the player is at (0, 0, 1000) heading +y)
        bool        Ground, Visible;
        int         Side;
        float       PixelsOff, Scale;
        bool        Locks;
    } const tests[] = {
        {"an enemy aircraft ahead in the circle", false, 0, 1000, false, true, 1, 100, 1, true},
        {"outside the circle", false, 0, 1000, false, true, 1, 130, 1, false},
        {"in the circle of a wider screen", false, 0, 1000, false, true, 1, 200, 2, true},
        {"behind the aircraft", false, 10, -1000, false, true, 1, 0, 1, false},
        {"89 degrees off the nose", false, 2000 * 0.99985f, 2000 * 0.01745f, false, true, 1, 0, 1, true},
        {"2500 away", false, 0, 2500, false, true, 1, 0, 1, false},
        {"a friend", false, 0, 1000, false, true, 0, 0, 1, false},
        {"a ship for the air-to-air missiles", false, 0, 1000, true, true, 1, 0, 1, false},
        {"a ship in sight for the air-to-ground missiles", true, 0, 5900, true, true, 1, 0, 1, true},
        {"a ship hidden behind scenery", true, 0, 1000, true, false, 1, 0, 1, false},
        {"a ship 6000 away", true, 0, 6000, true, true, 1, 0, 1, false},
        {"an aircraft for the air-to-ground missiles", true, 0, 1000, false, true, 1, 0, 1, false},
    };
    for (const auto &test : tests) {
        UiScale = test.Scale;
        ScreenWidth = int(1024 * test.Scale);
        TDummy *unit = Add(test.X, test.Y, test.Ground ? 0 : 1000, test.Side, 1000, test.Ground);
        unit->Visible = test.Visible ? 1 : 0;
        unit->ScreenX = test.PixelsOff / (float(ScreenWidth) / 2);
        std::unique_ptr<TMissileWeapon> weapon;
        if (test.GroundWeapon)
            weapon = std::make_unique<TAirToGroundMissileWeapon>(&Objects, &Player);
        else
            weapon = std::make_unique<TAirToAirMissileWeapon>(&Objects, &Player);
        Step(*weapon);
        EXPECT_EQ(weapon->LockTarget == unit, test.Locks) << test.What;
        Objects.Remove(unit);
    }
}

TEST_F(WeaponsTest, MissileGoesForTheCandidateNearestTheScreenCentre)
{
    TDummy *far = Add(0, 1000, 1000, 1, 1000);
    far->ScreenX = 0.15f;
    TDummy *near = Add(0, 2000, 1000, 1, 1000);
    near->ScreenY = 0.1f;
    TAirToAirMissileWeapon missiles(&Objects, &Player);
    Step(missiles);
    EXPECT_EQ(missiles.LockTarget, near);
}

// ---- A network client ---------------------------------------------------------------------------

TEST_F(WeaponsTest, ClientSendsDamageAndLaunchesToItsServer)
{
    TCapturingNetwork network;
    NetworkSeam = &network;
    NetworkGame = true;
    NetworkHost = false;

    // Damage: the first machine-gun round at an aircraft, and a laser shot beyond 16 bits.
    TDummy *fighter = Add(0, 1000, 1000, 1, 100000);
    TDummy *ship = Add(0, 700, 0, 1, 100000, true);
    TMachineGun gun(&Objects, &Player);
    FireAt(gun, fighter, 1);
    TLaserGun laser(&Objects, &Player);
    FireAt(laser, ship, 1);
    EXPECT_FLOAT_EQ(fighter->Health, 100000) << "the server deals the damage";
    EXPECT_FLOAT_EQ(ship->Health, 100000);
    EXPECT_EQ(Statistics.Hits, 2);
    ASSERT_EQ(network.Messages.size(), 3u);
    const TDamageMessage round = ReadDamage(network.Messages[0]);
    EXPECT_EQ(round.Size, 7);
    EXPECT_EQ(round.Type, 2);
    EXPECT_EQ(round.Amount, 1500);
    EXPECT_EQ(round.Id, fighter->Id);
    const TDamageMessage first = ReadDamage(network.Messages[1]), second = ReadDamage(network.Messages[2]);
    EXPECT_EQ(first.Amount + second.Amount, 75000) << "the whole blow, in two messages";
    EXPECT_EQ(first.Id, ship->Id);
    EXPECT_EQ(second.Id, ship->Id);

    // Launches: no missile here, a message with the missile's values instead.
    struct {
        const char *What;
        bool        Ground;
        int         Damage, TopSpeed;
    } const tests[] = {
        {"air-to-air", false, 4500, 800},
        {"air-to-ground", true, 45000, 600},
    };
    for (const auto &test : tests) {
        network.Messages.clear();
        TDummy *target = test.Ground ? ship : fighter;
        std::unique_ptr<TMissileWeapon> weapon;
        if (test.Ground)
            weapon = std::make_unique<TAirToGroundMissileWeapon>(&Objects, &Player);
        else
            weapon = std::make_unique<TAirToAirMissileWeapon>(&Objects, &Player);
        Press(CommandSecondary, true);
        for (int t = 0; t <= 1500; t += Frame)
            Step(*weapon);
        Press(CommandSecondary, false);
        TakeCommand(*weapon);
        EXPECT_TRUE(Listed<TAirToAirRocket>().empty()) << test.What;
        EXPECT_EQ(weapon->Ammo, 9) << test.What;
        ASSERT_EQ(network.Messages.size(), 1u) << test.What;
        const std::vector<std::uint8_t> &bytes = network.Messages[0];
        TByteReader r(bytes);
        EXPECT_EQ(std::uint16_t(r.Short()), 50) << test.What;
        EXPECT_EQ(r.Byte(), 1) << test.What;
        const float start[4] = {r.Float(), r.Float(), r.Float(), r.Float()};
        const float direction[4] = {r.Float(), r.Float(), r.Float(), r.Float()};
        EXPECT_FLOAT_EQ(start[1], 0) << test.What;
        EXPECT_FLOAT_EQ(start[2], 990) << test.What;
        EXPECT_FLOAT_EQ(direction[0], 0) << test.What << ": level pitch";
        EXPECT_EQ(std::uint16_t(r.Short()), test.Damage) << test.What;
        EXPECT_EQ(std::uint16_t(r.Short()), 300) << test.What << ": launch speed";
        EXPECT_EQ(std::uint16_t(r.Short()), test.TopSpeed) << test.What;
        EXPECT_EQ(std::uint16_t(r.Short()), 10) << test.What << ": health";
        EXPECT_EQ(std::uint16_t(r.Short()), target->Id) << test.What;
        EXPECT_EQ(std::int8_t(r.Byte()), 0) << test.What << ": side";
        EXPECT_EQ(r.Int(), 100000) << test.What << ": lifetime";
        EXPECT_TRUE(r.AtEnd()) << test.What;
        EXPECT_FALSE(r.Overflow()) << test.What;
    }
}

// ---- The mega bomb ------------------------------------------------------------------------------

TEST_F(WeaponsTest, MegaBombBlastDamageFallsWithDistance)
{
    struct {
        float Distance;
        int   Side;
        bool  Targetable;
        float Loss;
    } const tests[] = {
        {0, 1, true, 230000},   {250, 1, true, 180000}, {500, 1, true, 130000}, {1000, 1, true, 30000},
        {1001, 1, true, 0},     {100, 0, true, 0},      {100, 1, false, 0},     {100, -1, true, 210000},
    };
    // The bomb falls from 50 above the sea: 2.5 per frame, off at z = -2.5 beside the victims.
    Player.Position = VectorSet4(0, 0, 50, 0);
    std::vector<TDummy *> victims;
    for (const auto &test : tests) {
        TDummy *victim = Add(0, 0, -2.5f, test.Side, 1e6f);
        victim->Model = nullptr;   // nothing to collide with on the way down
        victim->Position.x = test.Distance;
        victim->Targetable = test.Targetable ? 1 : 0;
        victims.push_back(victim);
    }
    TDummy *fighter = Add(0, 300, -2.5f, 1, 100000);   // 300 away: 170000 is more than it has
    fighter->Model = nullptr;

    TMegaBombGun gun(&Objects, &Player);
    Press(CommandSecondary, true);
    Step(gun);
    Press(CommandSecondary, false);
    ASSERT_EQ(Listed<TNuclearBomb>().size(), 1u);
    TNuclearBomb *bomb = Listed<TNuclearBomb>()[0];
    EXPECT_EQ(Camera.Subject, bomb) << "the camera follows the bomb";
    for (int t = 0; t < 1000 && !bomb->Blasted; t += Frame)
        Step(gun);
    ASSERT_TRUE(bomb->Blasted);
    EXPECT_FLOAT_EQ(bomb->Position.z, -2.5f);
    for (std::size_t i = 0; i < victims.size(); ++i)
        EXPECT_NEAR(1e6f - victims[i]->Health, tests[i].Loss, 1) << "distance " << tests[i].Distance << ", side "
                                                                  << tests[i].Side;
    EXPECT_LE(fighter->Health, 0);
    EXPECT_EQ(Statistics.AircraftKills, 1);

    // The blast runs 24000 ms, then the bomb is gone.
    for (int t = 0; t < 24000 - Frame; t += Frame)
        Step(gun);
    EXPECT_FALSE(bomb->Dead);
    Step(gun);
    EXPECT_TRUE(Listed<TNuclearBomb>().empty());
}

TEST_F(WeaponsTest, MegaBombGoesOffOnWhatItHits)
{
    TDummy *ship = Add(0, 0, 0, 1, 1e6f, true);   // its deck at z = 5
    Player.Position = VectorSet4(0, 0, 100, 0);
    TMegaBombGun gun(&Objects, &Player);
    Press(CommandSecondary, true);
    Step(gun);
    TNuclearBomb *bomb = Listed<TNuclearBomb>()[0];
    for (int t = 0; t < 2000 && !bomb->Blasted; t += Frame)
        Step(gun);
    ASSERT_TRUE(bomb->Blasted);
    EXPECT_GT(bomb->Position.z, 5) << "on the deck, not in the sea";
    EXPECT_LT(bomb->Position.z, 5 + CollisionSphereRadius + 2.5f);
    EXPECT_LT(ship->Health, 1e6f - 200000);
    EXPECT_EQ(gun.Ammo, 1);

    // The second bomb waits 5000 ms after the first.
    int second = -1;
    for (int t = 0; t < 6000 && second < 0; t += Frame) {
        Step(gun);
        if (gun.Ammo == 0)
            second = int(GameClock);
    }
    EXPECT_EQ(second, Frame + 5000);
}

TEST_F(WeaponsTest, MegaBombFireballGrowsShrinksAndFades)
{
    TModelBuilder ball;
    ball.AddMesh("Ball").Box(VectorSet3(-1, -1, -1), VectorSet3(1, 1, 1));
    WriteBytes(Dir.Path / "Data" / "Models" / "Misc" / "MegaBomb_Explosion.otm", ball.Bytes());
    TRecordingDevice device;
    SetAssetDevice(&device);
    TRecordingShaders shaders;
    ShaderSeam = &shaders;

    TNuclearBomb bomb(Objects, VectorSet3(0, 0, 5));
    bomb.Side = 0;
    for (int i = 0; i < 10 && !bomb.Blasted; ++i)
        bomb.Update(Frame);   // nothing below: into the sea
    ASSERT_TRUE(bomb.Blasted);
    ASSERT_NE(bomb.Fireball, nullptr);

    struct {
        int   Clock;
        bool  Drawn;
        float Scale, Alpha;
    } const tests[] = {
        {23750, true, 12.5f, 1}, {23000, true, 25, 1},   {22000, true, 21, 1},
        {21500, true, 19, 0.5f}, {21000, false, 0, 0},   {5000, false, 0, 0},
    };
    for (const auto &test : tests) {
        device.Calls.clear();
        device.Pushed.clear();
        shaders.Calls.clear();
        bomb.BlastClock = test.Clock;
        bomb.Draw();
        if (!test.Drawn) {
            EXPECT_TRUE(device.Calls.empty()) << test.Clock;
            continue;
        }
        ASSERT_EQ(device.Pushed.size(), 1u) << test.Clock;
        EXPECT_NEAR(device.Pushed[0][0], test.Scale, 1e-4f) << test.Clock;
        EXPECT_NEAR(device.Pushed[0][10], test.Scale, 1e-4f) << test.Clock;
        EXPECT_FLOAT_EQ(device.Pushed[0][14], bomb.Position.z) << test.Clock;
        EXPECT_FLOAT_EQ(device.AlphaAtMesh, test.Alpha) << test.Clock;
        const std::vector<std::string> calls = {"additive on", "depth off", "lighting off", "push",  "mesh",
                                                "pop",         "lighting on", "depth on",  "additive off"};
        EXPECT_EQ(device.Calls, calls) << test.Clock;
        EXPECT_EQ(shaders.Calls, (std::vector<std::string>{"use 3", "use 0"})) << "back to the objects' program";
    }
}

// ---- The ion gun --------------------------------------------------------------------------------

TEST_F(WeaponsTest, IonGunPlasmaHomesOnTheNearestEnemyAircraft)
{
    struct {
        const char *What;
        float       X, Y;
        int         Side;
        float       Health;
        bool        Struck;
        float       HealthAfter;
        int         Kills;
    } const tests[] = {
        {"an enemy off the nose, killed", 300, 600, 1, 4000, true, -500, 1},
        {"an enemy off the nose, survives", 300, 600, 1, 10000, true, 5500, 0},
        {"a friend", 300, 600, 0, 4000, false, 4000, 0},
        {"an enemy far behind", 0, -3000, 1, 4000, false, 4000, 0},
    };
    for (const auto &test : tests) {
        Statistics = {};
        Camera.Reset();
        TDummy *unit = Add(test.X, test.Y, 1000, test.Side, test.Health);
        TPlasmaGun gun(&Objects, &Player);
        EXPECT_TRUE(gun.ShieldLook);
        Press(CommandSecondary, true);
        Step(gun);
        Press(CommandSecondary, false);
        ASSERT_EQ(Listed<TPlasmaMissile>().size(), 1u) << test.What;
        TPlasmaMissile *plasma = Listed<TPlasmaMissile>()[0];
        EXPECT_FLOAT_EQ(plasma->Velocity.y, 350) << test.What << ": level, at the aircraft's speed + 50";
        EXPECT_FLOAT_EQ(plasma->Velocity.z, 0) << test.What;
        EXPECT_EQ(Camera.Subject, plasma) << test.What;

        for (int t = 0; t < 5100 && !plasma->Ending; t += Frame)
            Step(gun);
        EXPECT_EQ(plasma->Struck == unit, test.Struck) << test.What;
        EXPECT_FLOAT_EQ(unit->Health, test.HealthAfter) << test.What;
        EXPECT_EQ(Statistics.AircraftKills, test.Kills) << test.What;
        if (test.Struck) {
            EXPECT_EQ(Camera.Subject, unit) << test.What << ": the camera turns to the victim";
        }

        // It ends 5000 ms after striking or expiring, off the radar meanwhile.
        ASSERT_TRUE(plasma->Ending) << test.What;
        EXPECT_EQ(plasma->OnRadar, 0) << test.What;
        for (int t = 0; t < 5000; t += Frame)
            Step(gun);
        EXPECT_TRUE(Listed<TPlasmaMissile>().empty()) << test.What;
        Objects.Remove(unit);
    }
}

TEST_F(WeaponsTest, IonGunPlasmaAimedDownAndItsRate)
{
    // Nose down (pitch -60 in the player's reckoning), heading along +x: the plasma dives, at the
    // aircraft's speed + 50.
    const TVector3 v = TPlasmaMissile::LaunchVelocity(90, -60, 150);
    EXPECT_GT(v.x, 0);
    EXPECT_NEAR(v.y, 0, 1e-3f);
    EXPECT_LT(v.z, 0);
    EXPECT_NEAR(VectorLength(v), 200, 1e-3f);

    TPlasmaGun gun(&Objects, &Player);
    Press(CommandSecondary, true);
    for (int t = 0; t < 5000; t += Frame)
        Step(gun);
    EXPECT_EQ(gun.Ammo, 1) << "a ball every 2000 ms: at 0, 2000 and 4000";
}
