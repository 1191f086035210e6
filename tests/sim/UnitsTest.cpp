// What every unit shares: the death sequence read from the wreck model's names, the gun turrets'
// aim, bursts and hit rolls, and the head of the state message, with real models through the model
// library and the game's own random generator.

#include "sim/Units.h"

#include "assets/Model.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <array>

#include <string>
#include <vector>

namespace {

// A plain target: targetable, on the surface, of the enemy side.
class TDummy : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

TDummy *MakeDummy(float x, float y, float z, int side = 1, std::uint8_t ground = 1)
{
    auto *d = new TDummy;
    d->Position = VectorSet4(x, y, z, 0);
    d->ViewCentre = d->Position;
    d->Side = side;
    d->IsGround = ground;
    d->Targetable = 1;
    d->Health = d->MaxHealth = 10000;
    return d;
}

class UnitsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        Billboards = &Tracers;
        PlayerAircraft = nullptr;
        NetworkGame = NetworkHost = false;
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        Billboards = nullptr;
        NetworkGame = NetworkHost = false;
        AppDir = SavedAppDir;
    }

    void SaveModel(const TModelBuilder &builder, const std::string &path)
    {
        WriteBytes(Dir.Path / path, builder.Bytes());
    }

    TTempDir        Dir{"sim-units"};
    TModelLib       Models;
    TBillboards     Tracers;
    TObjectsControl Objects;
    std::string     SavedAppDir;
};

} // namespace

TEST(DeadAnimationNames, EffectScaleAndSoundByName)
{
    struct {
        const char *Name;
        bool        Item;
        bool        Entry;
        const char *Effect;
        float       Scale;
        const char *Sound;
    } cases[] = {
        {"Smoke", false, true, "Data\\Effects\\Simple Black Smoke.dps", 1.0f, ""},
        {"SmokeSmall_2", false, true, "Data\\Effects\\Simple Black Smoke.dps", 0.5f, ""},
        {"SmokeLarge", true, true, "Data\\Effects\\Smoke Fall.dps", 2.0f, ""},
        {"Smoke_VerySmall", false, true, "Data\\Effects\\Simple Black Smoke.dps", 0.25f, ""},
        {"Smoke_VeryLarge", false, true, "Data\\Effects\\Simple Black Smoke.dps", 4.0f, ""},
        {"FireSmall", false, true, "Data\\Effects\\Smoke Fire.dps", 0.5f, ""},
        {"Fire_VerySmall", true, true, "Data\\Effects\\Fire Fall.dps", 0.25f, ""},
        {"Fire_1", false, true, "Data\\Effects\\Smoke Fire.dps", 1.0f, ""},
        {"Explosion_VeryLarge", false, true, "Data\\Effects\\Explosion 2.dps", 4.0f, "Data\\Sounds\\Explosion_Large.WAV"},
        {"Explosion_VerySmall", false, true, "Data\\Effects\\Explosion 2.dps", 0.25f, "Data\\Sounds\\Explosion_Small.WAV"},
        {"ExplosionSmall", false, true, "Data\\Effects\\Explosion 2.dps", 0.5f, "Data\\Sounds\\Explosion_Middle.WAV"},
        {"ExplosionLarge", false, true, "Data\\Effects\\Explosion 2.dps", 2.0f, "Data\\Sounds\\Explosion_Middle.WAV"},
        {"Explosion", false, true, "Data\\Effects\\Explosion 2.dps", 1.0f, "Data\\Sounds\\Explosion_Middle.WAV"},
        {"Explosion", true, true, "Data\\Effects\\Explosion 2.dps", 1.5f, "Data\\Sounds\\Explosion_Middle.WAV"},
        {"Smok", false, false, "", 0, ""},
        {"Hit", false, false, "", 0, ""},
        {"smoke", false, false, "", 0, ""},
    };
    for (const auto &c : cases) {
        std::string effect, sound;
        float scale = -1;
        ASSERT_EQ(TDeadAnimation::EntryFor(c.Name, c.Item, effect, scale, sound), c.Entry) << c.Name;
        if (!c.Entry)
            continue;
        EXPECT_EQ(effect, c.Effect) << c.Name;
        EXPECT_EQ(scale, c.Scale) << c.Name;
        EXPECT_EQ(sound, c.Sound) << c.Name;
    }
}

TEST_F(UnitsTest, AWreckSplashesIntoTheSeaAndFinishesAfterTenSeconds)
{
    TModelBuilder wreck;
    wreck.AddMesh("Hull").Box(VectorSet3(-5, -5, -5), VectorSet3(5, 5, 5));
    wreck.AddPoint("Hit", VectorSet3(0, 0, 1));
    wreck.AddPoint("SmokeLarge", VectorSet3(0, 2, 3));
    wreck.AddPoint("Other", VectorSet3(0, 0, 0));
    SaveModel(wreck, "Data/Models/Wreck.otm");

    TDeadAnimation dead("Data\\Models\\Wreck.otm", &Objects);
    ASSERT_NE(dead.Model, nullptr);
    EXPECT_EQ(dead.HitIndex, 0);
    ASSERT_EQ(dead.Points.size(), 1u);   // "Hit" and "Other" ask for no effect
    dead.Start();
    EXPECT_FALSE(dead.Update(25, VectorSet4(100, 200, 0, 0)));
    // The "Hit" point is under 5: a fountain from the surface to 100 above, and the point is used up.
    ASSERT_EQ(Tracers.Count(), 1);
    EXPECT_EQ(Tracers.Items[0].Start.z, 0);
    EXPECT_EQ(Tracers.Items[0].Finish.z, 100);
    EXPECT_EQ(Tracers.Items[0].Start.x, 100);
    EXPECT_EQ(Tracers.Items[0].Width, 50);
    EXPECT_EQ(Tracers.Items[0].Life, 1000);
    EXPECT_EQ(dead.HitIndex, -1);
    EXPECT_TRUE(dead.Active);

    int clock = 25;
    bool finished = false;
    while (!finished && clock < 20000) {
        finished = dead.Update(25, VectorSet4(100, 200, 0, 0));
        clock += 25;
    }
    EXPECT_EQ(clock, 10025);   // finished once its clock passed 10000
    EXPECT_EQ(Tracers.Count(), 1);   // one splash only
}

TEST_F(UnitsTest, AWreckStillInTheAirBlowsUpAtFourAndAHalfSeconds)
{
    TModelBuilder wreck;
    wreck.AddMesh("Hull").Box(VectorSet3(-5, -5, -5), VectorSet3(5, 5, 5));
    wreck.AddPoint("Hit", VectorSet3(0, 0, 0));
    SaveModel(wreck, "Data/Models/Wreck.otm");
    TDeadAnimation dead("Data\\Models\\Wreck.otm", &Objects);
    dead.Start();
    int clock = 0;
    while (clock < 4475) {
        dead.Update(25, VectorSet4(0, 0, 500, 0));
        clock += 25;
        ASSERT_EQ(dead.HitIndex, 0) << clock;
    }
    dead.Update(25, VectorSet4(0, 0, 500, 0));
    EXPECT_EQ(dead.HitIndex, -1);
    EXPECT_TRUE(dead.BlastFired);
    EXPECT_EQ(dead.BlastPosition.z, 500);
    EXPECT_EQ(Tracers.Count(), 0);   // no splash up there
}

TEST_F(UnitsTest, AFallingWreckBlowsUpOnWhatItStrikes)
{
    TModelBuilder wreck;
    wreck.AddMesh("Hull").Box(VectorSet3(-5, -5, -5), VectorSet3(5, 5, 5));
    wreck.AddPoint("Hit", VectorSet3(0, 0, 0));
    SaveModel(wreck, "Data/Models/Wreck.otm");
    TModelBuilder block;
    block.AddMesh("Collision").Box(VectorSet3(-50, -50, 0), VectorSet3(50, 50, 100));
    SaveModel(block, "Data/Models/Block.otm");
    TDummy *building = MakeDummy(0, 0, 0);
    building->Model = ModelLib->Load(AppDir + "Data\\Models\\Block.otm");
    Objects.Add(building);

    TDeadAnimation dead("Data\\Models\\Wreck.otm", &Objects);
    dead.Start();
    dead.Update(25, VectorSet4(0, 0, 300, 0));
    EXPECT_FALSE(dead.Exploded);
    dead.Update(25, VectorSet4(0, 0, 105, 0));   // on the roof
    EXPECT_TRUE(dead.Exploded);
    EXPECT_FALSE(dead.Active);
    EXPECT_EQ(dead.HitIndex, -1);
}

// ---- Turrets ----------------------------------------------------------------------------------------

TEST_F(UnitsTest, ACannonHitsWhenItFiresAtAnAimedTarget)
{
    TDummy *ship = MakeDummy(0, 500, 0);
    Objects.Add(ship);
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::DestroyerGunFront);
    for (int seed : {1, 2, 3, 99, 12345}) {
        RandSeed = std::uint32_t(seed);
        gun.ReloadClock = 0;
        const float before = ship->Health;
        gun.Update(25);
        EXPECT_TRUE(gun.AI.Aimed);
        EXPECT_EQ(ship->Health, before - 100) << seed;   // both rolls are Random(1) and Random(0): always 0
    }
    EXPECT_EQ(Tracers.Count(), 5);
    EXPECT_EQ(Tracers.Items[0].Finish.y, 500);   // to the target's centre
    EXPECT_EQ(Tracers.Items[0].Width, 0.5f);
    EXPECT_EQ(Tracers.Items[0].Life, 400);
}

TEST_F(UnitsTest, AMachineGunRollsTwiceAndItsSecondRollShrinksWithRange)
{
    // 1000 away: the second roll is Random(2000 / 1000 x 10) = Random(20).
    TDummy *boat = MakeDummy(0, 1000, 0);
    Objects.Add(boat);
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::MachineGunRight);
    gun.Rotation.y = 0;
    gun.Target = boat;
    int hits = 0;
    for (std::uint32_t i = 1; i <= 2000; ++i) {
        const std::uint32_t seed = i * 2654435761u;
        RandSeed = seed;
        const bool expected = Random(8) == 0 && Random(20) == 0;
        RandSeed = seed;
        const float before = boat->Health;
        gun.Fire();
        EXPECT_EQ(boat->Health < before, expected) << seed;
        hits += expected;
        boat->Health = 10000;
    }
    EXPECT_GT(hits, 0);
    EXPECT_LT(hits, 50);   // about one in 160

    // A network client rolls and draws the shot but leaves the damage to its server.
    NetworkGame = true;
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        RandSeed = seed;
        gun.Fire();
    }
    EXPECT_EQ(boat->Health, 10000);
}

TEST_F(UnitsTest, TheDifficultyScalesTheEnemiesHitsAndDamageOnThePlayersAircraftOnly)
{
    // A machine gun at a player's aircraft 1000 away, and at a ship beside it, for the same seeds on
    // each difficulty. Normal is the game as it always was, roll for roll; easy lets a third of the
    // hits on the player miss and takes 0.6 of their damage; hard strikes with one missed roll in ten
    // more and deals 1.25 times the damage. The ship takes what it always took.
    TDummy *player = MakeDummy(0, 1000, 0);
    player->Piloted = true;
    TDummy *ship = MakeDummy(0, 1000, 0);
    Objects.Add(player);
    Objects.Add(ship);
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::MachineGunRight);
    gun.Rotation.y = 0;
    const float damage = gun.DamageValue;
    TConfig config;
    TConfig *const saved = Config;
    Config = &config;
    struct TCase {
        const char *What;
        int         Difficulty;
        float       Factor;
        int         Low, High;   // hits on the player out of 4000 shots
    } cases[] = {{"easy", 0, EasyDamage, 8, 22}, {"normal", 1, 1, 15, 40}, {"hard", 2, HardDamage, 350, 500}};
    std::array<int, 3> hits{};
    for (const TCase &test : cases) {
        SCOPED_TRACE(test.What);
        config.Difficulty = test.Difficulty;
        int onPlayer = 0, onShip = 0, normalHits = 0;
        for (std::uint32_t i = 1; i <= 4000; ++i) {
            const std::uint32_t seed = i * 2654435761u;
            RandSeed = seed;
            const bool normal = Random(8) == 0 && Random(20) == 0;
            normalHits += normal;
            for (TDummy *target : {player, ship}) {
                RandSeed = seed;
                target->Health = 10000;
                gun.Target = target;
                gun.Fire();
                if (target->Health >= 10000)
                    continue;
                EXPECT_FLOAT_EQ(10000 - target->Health, target == player ? damage * test.Factor : damage);
                (target == player ? onPlayer : onShip) += 1;
            }
        }
        EXPECT_EQ(onShip, normalHits) << "the ship is no player";
        if (test.Difficulty == 1)
            EXPECT_EQ(onPlayer, normalHits) << "normal changes nothing";
        EXPECT_GE(onPlayer, test.Low);
        EXPECT_LE(onPlayer, test.High);
        hits[std::size_t(test.Difficulty)] = onPlayer;
    }
    EXPECT_LT(hits[0], hits[1]);
    EXPECT_LT(hits[1], hits[2]);
    Config = saved;
}

TEST_F(UnitsTest, TurretTargetsRangeBurstsAndRestingYaw)
{
    TDummy *far = MakeDummy(0, 2500, 0);   // beyond the machine gun's 2000
    Objects.Add(far);
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::MachineGunRight);   // rests at 90
    gun.Rotation.y = 0;
    gun.Update(25);
    EXPECT_EQ(gun.Target, nullptr);
    EXPECT_NEAR(gun.Rotation.y, 4.5f, 1e-4);   // back towards 90 at 180 degrees a second
    for (int i = 0; i < 40; ++i)
        gun.Update(25);
    EXPECT_EQ(gun.Rotation.y, 90);   // and no further

    // A target ahead of the resting yaw: three shots 200 ms apart, then a 2000 ms pause.
    TDummy *near = MakeDummy(500, 0, 0);
    near->Health = 1e9f;
    Objects.Add(near);
    std::vector<int> shots;
    for (int t = 25; t <= 5000; t += 25) {
        const int before = Tracers.Count();
        gun.Update(25);
        if (Tracers.Count() > before)
            shots.push_back(t);
    }
    ASSERT_GE(shots.size(), 4u);
    EXPECT_EQ(shots[1] - shots[0], 200);
    EXPECT_EQ(shots[2] - shots[1], 200);
    EXPECT_GE(shots[3] - shots[2], 2000);
}

TEST_F(UnitsTest, AnAllRoundLauncherTurnsThroughItsZero)
{
    // A target 10 degrees left of the launcher's zero: the turret swings the short way and aims,
    // instead of stopping at the edge of its 0..360 sector.
    TDummy *aircraft = MakeDummy(-174, 985, 500, 1, 0);
    Objects.Add(aircraft);
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::SamLauncher);
    bool aimed = false;
    for (int i = 0; i < 40 && !aimed; ++i) {
        gun.Update(25);
        aimed = gun.AI.Aimed;
    }
    EXPECT_TRUE(aimed);
    EXPECT_NEAR(gun.Rotation.y, 350, 1.0f);
    EXPECT_GT(gun.Rotation.x, 0);   // the barrel rises towards the aircraft
}

TEST_F(UnitsTest, TurretMuzzlesAreFoundUpToTheFirstMissingPair)
{
    TModelBuilder model;
    model.AddMesh("Barrel").Box(VectorSet3(-1, -1, -1), VectorSet3(1, 1, 1));
    model.AddPoint("Fire_begin_1", VectorSet3(0, 1, 0));
    model.AddPoint("Fire_end_1", VectorSet3(0, 2, 0));
    model.AddPoint("Fire_begin_2", VectorSet3(1, 1, 0));
    model.AddPoint("Fire_end_2", VectorSet3(1, 2, 0));
    model.AddPoint("Fire_begin_4", VectorSet3(2, 1, 0));
    SaveModel(model, "Data/Models/Guns/Gun.otm");
    TGun gun(Objects, VectorSet3(0, 0, 0), nullptr, 0, Turrets::DestroyerGunFront);
    ASSERT_NE(gun.Model, nullptr);
    ASSERT_EQ(gun.Muzzles.size(), 2u);
    EXPECT_EQ(gun.Muzzles[1].Begin, 2);
    EXPECT_EQ(gun.Muzzles[1].End, 3);
    EXPECT_EQ(gun.Health, 1000);
    EXPECT_EQ(gun.Category, TObjectCategory::Turret);
}

// ---- The state message head -------------------------------------------------------------------------

namespace {

// A unit whose message is the carrier's record: the head and the unit tail.
class TTailed : public TDummy {
public:
    explicit TTailed(const TObjectsControl *objects = nullptr) : Objects(objects) {}
    void DescribeState(TStateIO &io) override
    {
        if (!io.Head(*this, ClassCarrier))
            return;
        io.UnitTail(*this, Objects);
    }
    const TObjectsControl *Objects;
};

} // namespace

TEST(UnitStateHead, RoundTripAndRefusals)
{
    TObjectsControl objects;
    TDummy *target = MakeDummy(0, 0, 0);
    target->Id = objects.NewId();
    objects.Add(target);

    TTailed source;
    source.Id = 77;
    source.Name = std::string(300, 'n');   // longer than the field: cut to 255
    source.Position = VectorSet4(1.5f, -2, 3, 4);
    source.Rotation = VectorSet4(10, 20, 30, 40);
    source.Side = -1;
    source.Health = 70000;   // beyond 16 bits: clamped
    source.MaxHealth = 99.6f;
    source.Target = target;
    source.Order = 2;
    source.OrderData = 55.5f;
    source.OnRadar = source.Targetable = source.WeaponEnabled = source.BlinkOnRadar = 1;

    TByteWriter w;
    source.WriteState(w);
    ASSERT_EQ(w.Size(), StateSize(ClassCarrier));   // the carrier is head and tail only: 316

    TTailed copy(&objects);
    TByteReader r(w.Out.data(), w.Out.size());
    copy.ReadState(r);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(copy.Id, 77);
    EXPECT_EQ(copy.Name, std::string(255, 'n'));
    EXPECT_EQ(copy.Health, 65535);
    EXPECT_EQ(copy.MaxHealth, 100);
    EXPECT_EQ(copy.Target, target);
    EXPECT_EQ(copy.OrderData, 55.5f);
    TByteWriter again;
    copy.WriteState(again);
    EXPECT_EQ(again.Out, w.Out);

    // Without a list to look in, a target's Id resolves to none.
    TTailed listless;
    TByteReader unresolved(w.Out.data(), w.Out.size());
    listless.ReadState(unresolved);
    EXPECT_EQ(listless.Target, nullptr);

    // Another class's message, a size that lies, and a message cut short are refused: the head
    // leaves the object alone and so does every call after it.
    std::vector<std::uint8_t> lying = w.Out;
    lying[0] = 0x10;
    struct {
        const char   *What;
        std::size_t   Size;
        std::uint16_t Code;
        const std::vector<std::uint8_t> *Bytes;
    } refusals[] = {
        {"another class", w.Out.size(), ClassBoat, &w.Out},
        {"a size that lies", lying.size(), ClassCarrier, &lying},
        {"cut short", 200, ClassCarrier, &w.Out},
    };
    for (const auto &refusal : refusals) {
        TTailed other(&objects);
        other.Name = "untouched";
        TByteReader in(refusal.Bytes->data(), refusal.Size);
        TStateIO io(in);
        EXPECT_FALSE(io.Head(other, refusal.Code)) << refusal.What;
        EXPECT_FALSE(io.Reading()) << refusal.What;
        io.UnitTail(other, &objects);
        io.Name(other.Name);
        EXPECT_EQ(other.Name, "untouched") << refusal.What;
        EXPECT_EQ(other.Target, nullptr) << refusal.What;
        EXPECT_EQ(other.Id, 0) << refusal.What;
    }
}

TEST(UnitStateHead, FieldsThatAreHeldOrRoundedOnTheWay)
{
    // A byte count held within its range, a flag, and a float sent as 16 bits.
    TByteWriter w;
    w.Byte(7);
    w.Byte(5);
    w.Short(std::int16_t(40000));
    TByteReader r(w.Out);
    TStateIO io(r);
    int weapon = 0;
    std::uint8_t flag = 0;
    float speed = 0;
    io.SmallInt(weapon, 0, 2);
    io.Flag(flag);
    io.Round16(speed);
    EXPECT_EQ(weapon, 2);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(speed, 40000);

    struct {
        float         Value;
        std::uint16_t Sent;
    } rounded[] = {{-3, 0}, {0.49f, 0}, {0.5f, 1}, {321.6f, 322}, {65535.4f, 65535}, {1e9f, 65535}};
    for (const auto &c : rounded) {
        TByteWriter out;
        TStateIO writing(out);
        float v = c.Value;
        writing.Round16(v);
        ASSERT_EQ(out.Size(), 2u);
        EXPECT_EQ(out.Out[0] | out.Out[1] << 8, c.Sent) << c.Value;
        EXPECT_EQ(v, c.Value) << "writing leaves the field as it is";
    }
}

TEST(UnitStateHead, EveryClassHasItsSize)
{
    const std::uint16_t sizes[] = {320, 315, 320, 304, 312, 316, 305, 305, 436, 340, 556,
                                   322, 322, 340, 316, 320, 340, 312, 324, 306, 322};
    for (std::uint16_t code = 1; code <= 21; ++code)
        EXPECT_EQ(StateSize(code), sizes[code - 1]) << code;
    EXPECT_EQ(StateSize(0), 0);
    EXPECT_EQ(StateSize(22), 0);
}
