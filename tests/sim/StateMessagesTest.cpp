// The network state message of every object class, byte for byte: each class is dressed with values
// of its own, its message is compared with the layout built here field by field, read back into a
// fresh object of the class (which must then send the very same bytes), and offered to a fresh object
// mangled (another class's code, a size that lies, one byte short), which must leave it as it was.

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "data/Extractor.h"
#include "sim/Aircraft.h"
#include "sim/Ground.h"
#include "sim/Player.h"
#include "sim/Ships.h"
#include "sim/Statics.h"
#include "sim/UnitState.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The expected message, written out little-endian one field at a time.
struct TLayout {
    std::vector<std::uint8_t> Bytes;

    TLayout &U8(unsigned v)
    {
        Bytes.push_back(std::uint8_t(v));
        return *this;
    }
    TLayout &U16(unsigned v) { return U8(v & 0xFF).U8(v >> 8 & 0xFF); }
    TLayout &I32(std::int32_t v)
    {
        const auto u = std::uint32_t(v);
        return U16(u & 0xFFFF).U16(u >> 16);
    }
    TLayout &F32(float v) { return I32(std::bit_cast<std::int32_t>(v)); }
    TLayout &Vector(float x, float y, float z, float w) { return F32(x).F32(y).F32(z).F32(w); }
};

// The values every class is dressed in.
constexpr std::uint16_t TargetId = 0x0BEE;
const std::string       BaseName = "Sentinel ";
constexpr float         PosX = 1234.5f, PosY = -2.25f, PosZ = 300.125f, PosW = 7;
constexpr float         RotX = 10, RotY = -135.5f, RotZ = 3.25f, RotW = 0.5f;
constexpr std::int32_t  SideValue = 1;
constexpr float         HealthValue = 777.4f, MaxHealthValue = 1000.6f;   // sent as 777 and 1001
constexpr std::uint8_t  OnRadarValue = 0x11, TargetableValue = 0x22, WeaponValue = 0x33, BlinkValue = 0x44;
constexpr std::int32_t  OrderValue = 0x05060708;
constexpr float         OrderDataValue = 180.25f;

std::uint16_t IdFor(std::uint16_t code) { return std::uint16_t(0x4100 + code); }

// The head every message starts with.
void Head(TLayout &l, std::uint16_t code, bool withHealth = true)
{
    l.U16(StateSize(code)).U16(code).U16(IdFor(code));
    const std::string name = BaseName + std::to_string(code);
    l.U8(unsigned(name.size()));
    for (char c : name)
        l.U8(std::uint8_t(c));
    for (std::size_t i = name.size(); i < 255; ++i)
        l.U8(0);
    l.Vector(PosX, PosY, PosZ, PosW).Vector(RotX, RotY, RotZ, RotW).I32(SideValue);
    if (withHealth)
        l.U16(777).U16(1001);
}

void UnitTail(TLayout &l)
{
    l.U16(TargetId).U8(OnRadarValue).I32(OrderValue).F32(OrderDataValue);
    l.U8(TargetableValue).U8(WeaponValue).U8(BlinkValue);
}

// A turret's values, different for every mount.
void DressTurret(TGun &gun, int k)
{
    gun.Rotation.y = 10.5f + float(k);
    gun.Rotation.x = 3.25f + float(k);
    gun.ReloadClock = 120 + k;
    gun.FlashClock = 200 + k;
    gun.BurstLeft = k + 1;
    gun.PauseClock = 300 + k;
}

void Turret(TLayout &l, int k)
{
    l.F32(10.5f + float(k)).F32(3.25f + float(k)).I32(120 + k).I32(200 + k).I32(k + 1).I32(300 + k);
}

void NoTurret(TLayout &l)
{
    for (int i = 0; i < 24; ++i)
        l.U8(0);
}

// Dresses the ship's turrets in turn; a mount without a gun stays a record of zeros.
void DressShip(TGameObject &o)
{
    auto &ship = dynamic_cast<TShip &>(o);
    for (std::size_t i = 0; i < ship.Mounts.size(); ++i)
        if (ship.Mounts[i].Gun)
            DressTurret(*ship.Mounts[i].Gun, int(i));
}

void ShipTurrets(TLayout &l, const std::vector<bool> &present)
{
    for (std::size_t i = 0; i < present.size(); ++i)
        if (present[i])
            Turret(l, int(i));
        else
            NoTurret(l);
}

// A target that resolves by its Id.
class TPost : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

std::vector<std::uint8_t> State(TGameObject &object)
{
    TByteWriter w;
    object.WriteState(w);
    return w.Out;
}

class StateMessages : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        NetworkGame = NetworkHost = false;
        // Hulls and sites with the mount points the messages carry; the battleship lacks two of its
        // ten, whose records are sent empty.
        SaveModel("Data\\Models\\Ships\\Destroyer\\Main_1.otm",
                  {"Gun_1", "Gun_2", "Gun_3", "MachineGun_1", "MachineGun_2"});
        SaveModel("Data\\Models\\Ships\\Boat\\Main_1.otm", {"MachineGun_1"});
        SaveModel("Data\\Models\\Ships\\BattleShip\\Main_1.otm",
                  {"MiniGun_1", "MiniGun_3", "MiniGun_4", "Gun_1", "Gun_2", "Gun_3", "Gun_4", "MachineGun_1",
                   "Gun_5"});
        SaveModel("Data\\Models\\Buildings\\Shilka\\Main.otm", {"Gun"});
        SaveModel("Data\\Models\\Buildings\\SAM\\Main.otm", {"Gun"});
        auto *target = new TPost;
        Objects.Add(target);
        target->Id = TargetId;
        Target = target;
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        AppDir = SavedAppDir;
    }

    void SaveModel(std::string path, const std::vector<std::string> &points)
    {
        TModelBuilder builder;
        builder.AddMesh("Body").Box(VectorSet3(-10, -50, -5), VectorSet3(10, 50, 10));
        float y = -40;
        for (const std::string &point : points)
            builder.AddPoint(point, VectorSet3(0, y += 8, 5));
        std::replace(path.begin(), path.end(), '\\', '/');
        WriteBytes(Dir.Path / path, builder.Bytes());
    }

    TTempDir        Dir{"sim-state"};
    TModelLib       Models;
    TObjectsControl Objects;
    TGameObject    *Target = nullptr;
    std::string     SavedAppDir;
};

struct TCase {
    const char   *What;
    std::uint16_t Code;
    std::function<std::unique_ptr<TGameObject>()> Make;
    std::function<void(TGameObject &)>            Dress;   // the class's own fields
    std::function<void(TLayout &)>               Tail;    // what follows the head
    bool WithHealth = true;
};

} // namespace

TEST_F(StateMessages, EveryClassSendsItsLayoutAndReadsItBack)
{
    const TVector3 o{};
    auto none = [](TGameObject &) {};
    const TCase cases[] = {
        {"bomber", ClassCraftSu25, [&] { return std::make_unique<TCraftSu25>(Objects, o, o); },
         [](TGameObject &u) { dynamic_cast<TCraftSu25 &>(u).BombClock = 1234; },
         [](TLayout &l) { UnitTail(l); l.I32(1234); }},
        {"early warning", ClassCraftAvax, [&] { return std::make_unique<TCraftAvax>(Objects, o, o); }, none,
         [](TLayout &l) {
             // No weapon switch: the unarmed aircraft leaves WeaponEnabled out of its tail.
             l.U16(TargetId).U8(OnRadarValue).I32(OrderValue).F32(OrderDataValue).U8(TargetableValue).U8(BlinkValue);
         }},
        {"fighter", ClassCraftGAS1, [&] { return std::make_unique<TCraftGAS1>(Objects, o, o); },
         [](TGameObject &u) { dynamic_cast<TCraftGAS1 &>(u).FlashClock = 75; },
         [](TLayout &l) { UnitTail(l); l.I32(75); }},
        {"island", ClassIsland, [&] { return std::make_unique<TIsland>(Objects, o, "Rock.otm"); },
         [](TGameObject &u) { u.Category = TObjectCategory::Island; },
         [](TLayout &l) { l.I32(5).U8(OnRadarValue).U8(TargetableValue); }, false},
        {"building", ClassBuildingStatic,
         [&] { return std::make_unique<TBuildingStatic>(Objects, "Data\\Models\\Buildings\\Hut\\Main.otm", o, o); },
         [](TGameObject &u) {
             u.Category = TObjectCategory::Building;
             dynamic_cast<TBuildingStatic &>(u).WreckClock = 4321;
         },
         [](TLayout &l) { l.U8(OnRadarValue).U8(TargetableValue).I32(6).I32(4321); }},
        {"carrier", ClassCarrier, [&] { return std::make_unique<TCarrier>(Objects, o, o); }, none,
         [](TLayout &l) { UnitTail(l); }},
        {"empty marker", ClassEmptyObject, [&] { return std::make_unique<TEmptyObject>(Objects, o, 0, 0); }, none,
         [](TLayout &l) { l.U8(OnRadarValue).U8(TargetableValue).U8(BlinkValue); }},
        {"wreck", ClassDeadStaticObject,
         [&] { return std::make_unique<TDeadStaticObject>(Objects, AppDir + "Data\\Models\\None.otm", o, 0, 0); },
         none, [](TLayout &l) { l.U8(OnRadarValue).U8(TargetableValue).U8(BlinkValue); }},
        {"destroyer", ClassDestroyer, [&] { return std::make_unique<TDestroyer>(Objects, o, 1, o); }, DressShip,
         [](TLayout &l) {
             UnitTail(l);
             ShipTurrets(l, {true, true, true, true, true});
         }},
        {"boat", ClassBoat, [&] { return std::make_unique<TBoat>(Objects, o, 1, o); }, DressShip,
         [](TLayout &l) {
             UnitTail(l);
             ShipTurrets(l, {true});
         }},
        {"battleship", ClassBattleShip, [&] { return std::make_unique<TBattleShip>(Objects, o, 1, o); },
         [](TGameObject &u) {
             DressShip(u);
             // The launcher on "Gun_5" is not sent, whatever its state.
             ASSERT_NE(dynamic_cast<TBattleShip &>(u).Launcher(), nullptr);
             DressTurret(*dynamic_cast<TBattleShip &>(u).Launcher(), 50);
         },
         [](TLayout &l) {
             UnitTail(l);
             ShipTurrets(l, {true, false, true, true, true, true, true, true, true, false});
         }},
        {"submarine", ClassSubmarine, [&] { return std::make_unique<TSubmarine>(Objects, o, o); },
         [](TGameObject &u) {
             auto &s = dynamic_cast<TSubmarine &>(u);
             s.LaunchClock = 12345;
             s.Hidden = 1;
             s.LaunchPoint = 1;
         },
         [](TLayout &l) { UnitTail(l); l.I32(12345).U8(1).U8(1); }},
        {"super submarine", ClassSuperSubmarine, [&] { return std::make_unique<TSuperSubmarine>(Objects, o, o); },
         [](TGameObject &u) { dynamic_cast<TSubmarine &>(u).LaunchClock = 777; },
         [](TLayout &l) { UnitTail(l); l.I32(777).U8(0).U8(0); }},
        {"anti-aircraft gun", ClassShilka, [&] { return std::make_unique<TShilka>(Objects, o, 1, o); },
         [](TGameObject &u) {
             auto &site = dynamic_cast<TShilka &>(u);
             ASSERT_NE(site.Turret, nullptr);
             DressTurret(*site.Turret, 7);
         },
         [](TLayout &l) {
             UnitTail(l);
             Turret(l, 7);
         }},
        {"transport", ClassTransport,
         [&] { return std::make_unique<TTransport>(Objects, o, 1, o, std::string("Tanker")); }, none,
         [](TLayout &l) { UnitTail(l); }},
        {"torpedo", ClassTorpedo, [&] { return std::make_unique<TTorpedo>(Objects, o, o); },
         [](TGameObject &u) {
             auto &t = dynamic_cast<TTorpedo &>(u);
             t.DeadAnimation->Start();
             t.DeadAnimation->Clock = 2500;
         },
         [](TLayout &l) { UnitTail(l); l.I32(2500); }},
        {"ballistic missile", ClassBallisticMissile, [&] { return std::make_unique<TBallisticMissile>(Objects, o); },
         [](TGameObject &u) {
             auto &m = dynamic_cast<TBallisticMissile &>(u);
             m.Velocity = VectorSet3(30, -40, 115);
             m.Age = 4321;
             m.EndClock = 250;
             m.DamageValue = 900.5f;
         },
         [](TLayout &l) { UnitTail(l); l.F32(30).F32(-40).F32(115).I32(4321).I32(250).F32(900.5f); }},
        {"player aircraft", ClassGamer,
         [&] {
             auto gamer = std::make_unique<TGamer>();
             gamer->Reset(Objects);
             return gamer;
         },
         [&](TGameObject &u) {
             auto &g = dynamic_cast<TGamer &>(u);
             g.CurrentTarget = Target;
             g.Craft.Speed = 432.25f;
             g.SelectedWeapon = 2;
             g.LandingStage = 1;
         },
         [](TLayout &l) { l.U16(TargetId).F32(432.25f).U8(2).U8(OnRadarValue).U8(TargetableValue).U8(1); }},
        {"bomb", ClassBomb, [&] { return std::make_unique<TBomb>(Objects, o, o); },
         [](TGameObject &u) {
             auto &b = dynamic_cast<TBomb &>(u);
             b.ExplosionClock = 3100;
             b.ForwardSpeed = 87.5f;
         },
         [](TLayout &l) { UnitTail(l); l.I32(3100).F32(87.5f); }},
        {"SAM site", ClassCoolSam, [&] { return std::make_unique<TCoolSam>(Objects, o, 1, o); }, none,
         [](TLayout &l) { l.U8(OnRadarValue).U8(TargetableValue).U8(WeaponValue).U8(BlinkValue); }},
        {"air-to-air missile", ClassAirToAirRocket, [&] { return std::make_unique<TAirToAirRocket>(Objects, o, o); },
         [](TGameObject &u) {
             auto &m = dynamic_cast<TAirToAirRocket &>(u);
             m.Lifetime = 17250;
             m.Speed = 321.4f;   // sent rounded to 16 bits
         },
         [](TLayout &l) { UnitTail(l); l.I32(17250).U16(321); }},
    };
    ASSERT_EQ(std::size(cases), 21u);

    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        std::unique_ptr<TGameObject> sent = c.Make();
        sent->Id = IdFor(c.Code);
        sent->Name = BaseName + std::to_string(c.Code);
        sent->Position = VectorSet4(PosX, PosY, PosZ, PosW);
        sent->Rotation = VectorSet4(RotX, RotY, RotZ, RotW);
        sent->Side = SideValue;
        sent->Health = HealthValue;
        sent->MaxHealth = MaxHealthValue;
        sent->Target = Target;
        sent->OnRadar = OnRadarValue;
        sent->Order = OrderValue;
        sent->OrderData = OrderDataValue;
        sent->Targetable = TargetableValue;
        sent->WeaponEnabled = WeaponValue;
        sent->BlinkOnRadar = BlinkValue;
        c.Dress(*sent);
        if (HasFatalFailure())
            return;

        TLayout expected;
        Head(expected, c.Code, c.WithHealth);
        c.Tail(expected);
        ASSERT_EQ(expected.Bytes.size(), StateSize(c.Code));
        const std::vector<std::uint8_t> bytes = State(*sent);
        ASSERT_EQ(bytes.size(), expected.Bytes.size());
        const auto differ = std::mismatch(bytes.begin(), bytes.end(), expected.Bytes.begin()).first;
        EXPECT_EQ(differ, bytes.end()) << "first difference at offset " << differ - bytes.begin();

        // A fresh object of the class takes every field and sends the same message again.
        std::unique_ptr<TGameObject> received = c.Make();
        TByteReader r(bytes);
        received->ReadState(r);
        EXPECT_EQ(r.Left(), 0u);
        EXPECT_EQ(State(*received), bytes);
        EXPECT_EQ(received->Name, sent->Name);
        EXPECT_EQ(received->Position.w, PosW);

        // Another class's code, a size that lies, or a message cut short leave a fresh object as
        // it was.
        std::unique_ptr<TGameObject> untouched = c.Make();
        const std::vector<std::uint8_t> before = State(*untouched);
        std::vector<std::vector<std::uint8_t>> mangled(3, bytes);
        mangled[0][2] = std::uint8_t(c.Code == ClassCarrier ? ClassTransport : ClassCarrier);
        mangled[1][0] = std::uint8_t(mangled[1][0] + 1);
        mangled[2].pop_back();
        for (const std::vector<std::uint8_t> &message : mangled) {
            TByteReader m(message);
            untouched->ReadState(m);
        }
        EXPECT_EQ(State(*untouched), before);
    }
}
