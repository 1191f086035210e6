// The player aircraft: its flight model, the pilot's command, the autopilot, ground avoidance,
// collision, contrails, the carrier's gates and re-arming, death, its state message, and the script
// commands that place it. Models are built with the model builder into a private game folder.

#include "tests/script/ScriptTestUtil.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "script/GameVars.h"
#include "script/Messanger.h"
#include "sim/Cameras.h"
#include "sim/DataExchange.h"
#include "sim/Ground.h"
#include "sim/Player.h"
#include "sim/ScreenFade.h"
#include "sim/Statics.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"
#include "sim/Weapons.h"
#include "sim/World.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace scripttest;

namespace {

// A unit standing still, for groups and targets.
class TPost : public TGameObject {
public:
    TPost(float x, float y, float health)
    {
        Position = VectorSet4(x, y, 0, 0);
        Health = MaxHealth = health;
        Targetable = 1;
    }
    void Update(int) override {}
    void Draw() override {}
};

constexpr int Frame60 = 16;   // a frame at 60 per second, in whole milliseconds

// A private game folder with the player's model and a carrier, and the pilot's command.
class PlayerBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        ResetScriptBindings();
        PlayerControlDisabled = PlayerWeaponDisabled = false;
        SaveAircraft();
    }
    void TearDown() override
    {
        Messanger = nullptr;
        DynamicCamera = nullptr;
        Billboards = nullptr;
        Config = nullptr;
        NetworkGame = NetworkHost = false;
        MenuActive = QuitRequested = false;
        PlayerControlDisabled = PlayerWeaponDisabled = false;
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        ResetScriptBindings();
        AppDir = SavedAppDir;
    }

    void Save(std::string gamePath, const TModelBuilder &builder)
    {
        std::replace(gamePath.begin(), gamePath.end(), '\\', '/');
        WriteBytes(Dir.Path / gamePath, builder.Bytes());
    }
    // The aircraft: a body 15 long with the points the game looks for, nose along +y.
    void SaveAircraft()
    {
        TModelBuilder air;
        air.AddMesh("Air").Box(VectorSet3(-6, -7, -1), VectorSet3(6, 8, 1));
        air.AddPoint("Fire", VectorSet3(0, 8, 0));
        air.AddPoint("Cam_1", VectorSet3(0, 3, 1));
        air.AddPoint("Engine_1", VectorSet3(-1, -7.5f, 0));
        air.AddPoint("Engine_2", VectorSet3(1, -7.5f, 0));
        air.AddPoint("Collision03", VectorSet3(0, 7.6f, 0));
        air.AddPoint("Collision08", VectorSet3(0, -7.4f, 0));
        air.AddPoint("Collision09", VectorSet3(0, 0.5f, -0.6f));
        air.AddPoint("Collision17", VectorSet3(-5.5f, -4.3f, 0));
        air.AddPoint("Collision18", VectorSet3(5.5f, -4.3f, 0));
        Save("Data\\Models\\Player\\Air.otm", air);
    }
    // The carrier with its five points; the deck has no collision mesh, so nothing pushes the
    // aircraft about on it.
    void SaveCarrier()
    {
        TModelBuilder carrier;
        carrier.AddMesh("Body").Box(VectorSet3(-20, -150, 0), VectorSet3(20, 150, 20));
        carrier.AddPoint("Start", VectorSet3(0, -100, 20));
        carrier.AddPoint("End", VectorSet3(0, 100, 20));
        carrier.AddPoint("Camera", VectorSet3(50, 0, 40));
        carrier.AddPoint("Land_end", VectorSet3(-10, -120, 20));
        carrier.AddPoint("Land_begin", VectorSet3(-10, 80, 20));
        Save("Data\\Models\\Ships\\Carrier\\Main.otm", carrier);
    }
    // An island whose shore is a block 40 high over (-100..100, -100..100) and a ramp beside it that
    // rises from 0 at x = 200 to 100 at x = 400.
    void SaveIsland()
    {
        TModelBuilder island;
        TMeshBuilder &shore = island.AddMesh("Collision");
        shore.Box(VectorSet3(-100, -100, 0), VectorSet3(100, 100, 40));
        shore.Quad(VectorSet3(200, -100, 0), VectorSet3(400, -100, 100), VectorSet3(400, 100, 100),
                   VectorSet3(200, 100, 0));
        Save("Data\\Maps\\Islands\\Hill.otm", island);
    }

    // A new aircraft flying in Objects, as the player aircraft.
    std::unique_ptr<TGamer> Flying()
    {
        auto gamer = std::make_unique<TGamer>();
        PlayerAircraft = gamer.get();
        gamer->Reset(Objects);
        return gamer;
    }
    // One frame: the pilot takes the command, then the aircraft moves.
    void Frame(TGamer &gamer, int dt = 25)
    {
        gamer.Pilot.Take(Command);
        gamer.Update(dt);
    }

    TTempDir         Dir{"sim-player"};
    TModelLib        Models;
    std::string      SavedAppDir;
    TObjectsControl  Objects;
    TPlayerCommand   Command;
};

// ---- The flight model and the controls ----------------------------------------------------------

using PlayerFlight = PlayerBase;

TEST_F(PlayerFlight, ThrottleBeyondTheAccelerationLimitOnlyGivesItsSign)
{
    // At 60 frames a second the speed moves by the acceleration of one frame, whether the aircraft
    // holds its cruise by itself (50) or the pilot pushes it (200).
    struct TCase {
        const char    *What;
        float          Speed;
        std::uint32_t  Held;
        float          Throttle;  // what the control asks for
        float          Sign;
    };
    const TCase cases[] = {
        {"below cruise", 200, 0, 50, 1},
        {"accelerating", 200, CommandForward, 200, 1},
        {"above cruise", 500, 0, -50, -1},
        {"braking", 500, CommandBackward, -200, -1},
    };
    for (const TCase &c : cases)
        for (int dt : {Frame60, Frame60 + 1}) {
            SCOPED_TRACE(std::string(c.What) + " at " + std::to_string(dt) + " ms");
            auto gamer = Flying();
            gamer->Craft.Speed = c.Speed;
            Command.Held = c.Held;
            Frame(*gamer, dt);
            EXPECT_FLOAT_EQ(gamer->Throttle, c.Throttle);
            EXPECT_NEAR(gamer->Craft.Speed - c.Speed, c.Sign * 400.0f * float(dt) / 1000, 1e-3f);
            EXPECT_EQ(gamer->AirBrake, c.Held == CommandBackward);
            EXPECT_FLOAT_EQ(gamer->OrderData, gamer->Craft.Speed) << "the weapons read the speed here";
        }

    // A request inside the limit is taken whole, and the speed stays within its bounds.
    TCraft craft(800, 400);
    craft.MinSpeed = 90;
    craft.Speed = 100;
    craft.Update(Frame60, 0, 0, 0, 3);
    EXPECT_FLOAT_EQ(craft.Speed, 103);
    craft.Update(1000, 0, 0, 0, -500);
    EXPECT_FLOAT_EQ(craft.Speed, 90);
}

TEST_F(PlayerFlight, PitchStopsAtItsLimitsAndTheCraftFliesAlongIt)
{
    const struct {
        float Change, Pitch;
    } cases[] = {{200, -30}, {60, -30}, {59, -31}, {-200, -150}, {-60, -150}, {0, -90}};
    for (const auto &c : cases) {
        TCraft craft(800, 400);
        craft.Angles.x = -90;
        craft.Position = VectorSet4(0, 0, 1000, 0);
        craft.Speed = 100;
        craft.MinSpeed = 100;
        craft.Update(1000, 0, c.Change, 0, 0);
        EXPECT_FLOAT_EQ(craft.Angles.x, c.Pitch) << c.Change;
        // Nose down (above -90) sinks, nose up climbs; level keeps the height.
        EXPECT_NEAR(craft.Position.z, 1000 - std::sin((c.Pitch + 90) * 3.14159265f / 180) * 100, 1e-2f) << c.Change;
    }

    // Heading 90 flies along +x; the altitude never passes 1500.
    TCraft craft(800, 400);
    craft.Angles = VectorSet4(-150, 90, 0, 0);
    craft.Position = VectorSet4(0, 0, 1490, 0);
    craft.Speed = craft.MinSpeed = 100;
    craft.Update(1000, 0, 0, 0, 0);
    EXPECT_NEAR(craft.Position.x, 100, 1e-3f);
    EXPECT_NEAR(craft.Position.y, 0, 1e-3f);
    EXPECT_FLOAT_EQ(craft.Position.z, 1500);
}

TEST_F(PlayerFlight, APositionBeyond50000IsPulledBackAlongTheSameLine)
{
    TCraft craft(800, 400);
    craft.Position = VectorSet4(36000, 48000, 0, 0);   // 60000 from the origin
    craft.Angles = VectorSet4(-90, std::atan2(36000.0f, 48000.0f) * 180 / 3.14159265f, 0, 0);
    craft.Speed = craft.MinSpeed = 100;
    craft.Update(Frame60, 0, 0, 0, 0);
    EXPECT_NEAR(VectorLength(craft.Position), 50000, 0.05f);
    EXPECT_NEAR(craft.Position.x / craft.Position.y, 0.75f, 1e-5f);
    EXPECT_FLOAT_EQ(craft.Position.z, 0);
}

TEST_F(PlayerFlight, TheSteeringOffsetPitchesAndBanksAndTheBankTurns)
{
    struct TCase {
        float Dx, Dy;
        float Pitch, Bank;
    };
    const TCase cases[] = {
        {0, 100, -83, 0},      // 100 pixels down: 7 degrees nose down a step
        {0, -100, -97, 0},
        {0, -50, -93.5f, 0},
        {50, 0, -90, 6.95f},   // 7 degrees of bank, less the return to level
        {-1000, 0, -90, -60},  // held at the bank limit
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.Dx) + "," + std::to_string(c.Dy));
        auto gamer = Flying();
        Command.SteerX = c.Dx;
        Command.SteerY = c.Dy;
        const float speed = 10;   // as the reset left it: the turn is worked out before the craft moves
        Frame(*gamer);
        EXPECT_NEAR(gamer->Craft.Angles.x, c.Pitch, 1e-4f);
        EXPECT_NEAR(gamer->Bank, c.Bank, 1e-4f);
        EXPECT_NEAR(gamer->Craft.Angles.y, speed * (c.Bank / 250) / 60, 1e-5f);
        EXPECT_FLOAT_EQ(gamer->Rotation.z, gamer->Bank);
    }
    Command = TPlayerCommand();

    // Left alone the bank drifts back to level 0.05 a step and snaps to 0 at the end.
    auto gamer = Flying();
    gamer->Bank = 0.12f;
    Frame(*gamer);
    EXPECT_NEAR(gamer->Bank, 0.07f, 1e-6f);
    Frame(*gamer);
    Frame(*gamer);
    EXPECT_EQ(gamer->Bank, 0);
}

TEST_F(PlayerFlight, TheGamesInputBecomesThePilotsCommand)
{
    // W, the right mouse button and Q held: forward, the secondary weapon, the weapon change.
    TKeys keys((Dir.Path / "keys.cfg").string());
    const std::set<int> held = {87, 2, 81};
    keys.Poll = [&held](int vk) { return held.count(vk) != 0; };
    keys.PadPoll = [](int) { return false; };
    keys.Update();
    const TPadState noPad;
    const struct {
        const char *What;
        TPoint      Cursor;
        TPadState   Pad;
        bool        Invert;
        float       SteerX, SteerY;
    } cases[] = {
        {"the cursor's offset from the middle", {612, 334}, noPad, false, 100, -50},
        {"the mouse inverted", {612, 334}, noPad, true, 100, 50},
        {"the pad's stick added, a full deflection worth 100 pixels", {512, 384}, {true, 0.5f, -1, 0.25f, 0.75f},
         false, 50, -100},
        {"both, inverted", {522, 394}, {true, 0.5f, 0.5f, 0, 0}, true, 60, -60},
    };
    for (const auto &c : cases) {
        const TPlayerCommand command = CommandFromInput(&keys, c.Cursor, 1024, 768, c.Pad, c.Invert);
        EXPECT_FLOAT_EQ(command.SteerX, c.SteerX) << c.What;
        EXPECT_FLOAT_EQ(command.SteerY, c.SteerY) << c.What;
        EXPECT_EQ(command.Held, std::uint32_t(CommandForward | CommandSecondary | CommandChangeWeapon)) << c.What;
        EXPECT_FLOAT_EQ(command.StickX, c.Pad.StickX) << c.What;
        EXPECT_FLOAT_EQ(command.TriggerRight, c.Pad.TriggerRight) << c.What;
    }
    EXPECT_EQ(CommandFromInput(nullptr, {512, 384}, 1024, 768, noPad, false), TPlayerCommand()) << "no key state";
}

TEST_F(PlayerFlight, AFadeInHoldsTheAircraftStillExceptForItsTakeOff)
{
    const struct {
        const char *What;
        int         FadeIn, TakeOff;
        float       Pitch;       // after a frame steered 100 pixels down
        int         TakeOffLeft;
    } cases[] = {
        {"no fade", 0, 0, -83, 0},
        {"fading in", 1000, 0, -90, 0},
        {"black until a fade-in starts", -1, 0, -90, 0},
        {"the take-off the fade-in belongs to", 1000, 2500, -90, 2475},
    };
    TScreenFade fade;
    Command.SteerY = 100;
    for (const auto &c : cases) {
        auto gamer = Flying();
        gamer->Fade = &fade;
        fade.In = c.FadeIn;
        gamer->TakeOffClock = c.TakeOff;
        const TVector4 before = gamer->Position;
        Frame(*gamer);
        EXPECT_FLOAT_EQ(gamer->Craft.Angles.x, c.Pitch) << c.What;
        EXPECT_EQ(gamer->TakeOffClock, c.TakeOffLeft) << c.What;
        EXPECT_EQ(VectorDistance(gamer->Position, before) > 0, c.FadeIn == 0 || c.TakeOff > 0) << c.What;
    }
}

// ---- The ground ---------------------------------------------------------------------------------

using PlayerGround = PlayerBase;

TEST_F(PlayerGround, TerrainIsTheHighestIslandTriangleUnderThePointAndTheSeaElsewhere)
{
    SaveIsland();
    auto *island = new TIsland(Objects, VectorSet3(1000, 2000, 0), "Hill.otm");
    island->Health = 1000000;
    Objects.Add(island);
    const struct {
        float X, Y, Height;
    } cases[] = {
        {1000, 2000, 40},   // the block's top, not its floor
        {1099, 1901, 40},
        {1150, 2000, 0},    // between the block and the ramp: the sea
        {1300, 2000, 50},   // half way up the ramp
        {1390, 2050, 95},
        {5000, 5000, 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(TerrainHeight(&Objects, c.X, c.Y), c.Height, 1e-3f) << c.X << "," << c.Y;

    // A second island standing higher over part of the first: the higher one counts there.
    auto *raised = new TIsland(Objects, VectorSet3(1150, 2000, 20), "Hill.otm");
    raised->Health = 1000000;
    Objects.Add(raised);
    EXPECT_NEAR(TerrainHeight(&Objects, 1080, 2000), 60, 1e-3f);
    EXPECT_NEAR(TerrainHeight(&Objects, 1000, 2000), 40, 1e-3f);
    EXPECT_EQ(TerrainHeight(nullptr, 1000, 2000), 0);
}

TEST_F(PlayerGround, CloseOverTheGroundTheNoseIsLifted)
{
    SaveIsland();
    auto *island = new TIsland(Objects, VectorSet3(5000, 5000, 0), "Hill.otm");
    island->Health = 1000000;
    Objects.Add(island);
    struct TCase {
        const char *What;
        float X, Y, Z, Pitch, Expected;
    };
    const TCase cases[] = {
        // d = 5: 0.1 x 25 - 40 - 90
        {"5 over the sea, level", 0, 0, 5, -90, -127.5f},
        {"5 over the island, level", 5000, 5000, 45, -90, -127.5f},
        {"5 over the sea, already climbing harder", 0, 0, 5, -140, -140},
        {"25 over the sea: the limit lies above the pitch range", 0, 0, 25, -90, -90},
        {"26 over the sea", 0, 0, 26, -40, -40},
    };
    for (const TCase &c : cases) {
        auto gamer = Flying();
        gamer->PlaceAt(VectorSet4(c.X, c.Y, c.Z, 0));
        gamer->Craft.Angles.x = c.Pitch;
        gamer->Craft.Speed = 0;   // the minimum speed: 90
        Frame(*gamer, 1);
        EXPECT_NEAR(gamer->Craft.Angles.x, c.Expected, 1e-4f) << c.What;
    }
}

// ---- Collision and contrails --------------------------------------------------------------------

using PlayerCollision = PlayerBase;

TEST_F(PlayerCollision, AFastAircraftIsStoppedInFrontOfAWallItWouldPassInOneFrame)
{
    TModelBuilder wall;
    wall.AddMesh("Collision").Box(VectorSet3(-100, -50, -100), VectorSet3(100, 50, 100));
    Save("Data\\Models\\Wall.otm", wall);
    auto *building = new TBuilding(Objects, "Data\\Models\\Wall.otm", VectorSet3(0, 150, 500), {});
    building->Targetable = 1;
    building->Health = 1000;
    Objects.Add(building);

    auto gamer = Flying();
    gamer->PlaceAt(VectorSet4(0, 50, 500, 0));
    gamer->Craft.Speed = 800;
    Frame(*gamer, 100);   // 76 forward: the last place lies inside the wall, clear of its faces
    EXPECT_EQ(gamer->Collision.HitObject, building);
    EXPECT_LT(gamer->Position.y, 100) << "stopped in front of the wall";
    EXPECT_GT(gamer->Position.y, 60);
    EXPECT_EQ(gamer->Craft.Position.y, gamer->Position.y) << "the craft flies on from there";

    // Nothing in the way: the aircraft flies the whole step.
    auto free = Flying();
    free->PlaceAt(VectorSet4(1000, 50, 500, 0));
    free->Craft.Speed = 800;
    Frame(*free, 100);
    EXPECT_NEAR(free->Position.y, 126, 1e-3f);
}

TEST_F(PlayerCollision, WingTipsDrawContrailsAboveSpeed100)
{
    TBillboards tracers;
    Billboards = &tracers;
    auto gamer = Flying();
    gamer->PlaceAt(VectorSet4(0, 0, 800, 0));
    gamer->Craft.Speed = 150;
    Frame(*gamer, Frame60);
    EXPECT_EQ(tracers.Count(), 0) << "a place just taken leaves no trail";
    Frame(*gamer, Frame60);
    ASSERT_EQ(tracers.Count(), 2);
    const float alpha = (gamer->Craft.Speed - 100) / 100;
    for (const TTrasser &t : tracers.Items) {
        EXPECT_NEAR(t.Color[3], alpha, 1e-5f);
        EXPECT_FLOAT_EQ(t.Width, 0.1f);
        EXPECT_EQ(t.Life, 100);
    }
    // The left tip's trail ends where the tip is now, 5.5 left of the centre line.
    EXPECT_NEAR(tracers.Items[0].Finish.x, -5.5f, 1e-3f);
    EXPECT_NEAR(tracers.Items[0].Finish.y - tracers.Items[0].Start.y, gamer->Craft.Speed * Frame60 / 1000, 1e-2f);

    tracers.Clear();
    gamer->Craft.Speed = 90;
    gamer->Craft.MaxSpeed = 90;
    Frame(*gamer, Frame60);
    EXPECT_EQ(tracers.Count(), 0);
}

// ---- Looks --------------------------------------------------------------------------------------

TEST(PlayerLook, DamageSkinsChangeAtTheirBoundaries)
{
    const struct {
        float Health;
        int   Body;
        bool  Controls;
    } cases[] = {
        {1000, 0, false}, {801, 0, false}, {800, 1, false}, {601, 1, false}, {600, 2, false},
        {501, 2, false},  {500, 2, true},  {401, 2, true},  {400, 3, true},  {201, 3, true},
        {200, 4, true},   {0, 4, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TGamer::BodySkin(c.Health, 1000), c.Body) << c.Health;
        EXPECT_EQ(TGamer::ControlSurfacesDamaged(c.Health, 1000), c.Controls) << c.Health;
    }
}

// ---- Weapons ------------------------------------------------------------------------------------

using PlayerWeapons = PlayerBase;

TEST_F(PlayerWeapons, ChangeWeaponStepsOncePerPressAndSkipsGroundMissilesInANetworkGame)
{
    for (const bool network : {false, true}) {
        NetworkGame = NetworkHost = network;
        auto gamer = Flying();
        std::vector<int> seen;
        for (int press = 0; press < 3; ++press) {
            Command.Held = CommandChangeWeapon;   // held over two frames
            Frame(*gamer);
            Frame(*gamer);
            seen.push_back(gamer->SelectedWeapon);
            Command.Held = 0;
            Frame(*gamer);
        }
        EXPECT_EQ(seen, network ? std::vector<int>({2, 0, 2}) : std::vector<int>({1, 2, 0})) << network;
    }
}

TEST_F(PlayerWeapons, ResetArmsTheChosenSpecialWeaponAndTheScriptCanHoldFire)
{
    const struct {
        int Choice;
        const std::type_info &Class;
    } specials[] = {{0, typeid(TGaussGun)}, {1, typeid(TLaserGun)}, {2, typeid(TPlasmaGun)}, {3, typeid(TMegaBombGun)}};
    for (const auto &s : specials) {
        TGamer gamer;
        gamer.SpecialChoice = s.Choice;
        gamer.Reset(Objects);
        ASSERT_NE(gamer.Weapons[2], nullptr);
        const TWeapon &gun = *gamer.Weapons[0], &ground = *gamer.Weapons[1], &special = *gamer.Weapons[2],
                      &air = *gamer.Weapons[3];
        EXPECT_EQ(typeid(special), s.Class) << s.Choice;
        EXPECT_EQ(typeid(gun), typeid(TMachineGun));
        EXPECT_EQ(typeid(ground), typeid(TAirToGroundMissileWeapon));
        EXPECT_EQ(typeid(air), typeid(TAirToAirMissileWeapon));
    }
    EXPECT_EQ(TGamer::SecondarySlot(0), 3);
    EXPECT_EQ(TGamer::SecondarySlot(1), 1);
    EXPECT_EQ(TGamer::SecondarySlot(2), 2);

    // The gun fires while the pilot holds it, unless the script holds the player's fire.
    auto gamer = Flying();
    const int full = gamer->Weapons[0]->Ammo;
    Command.Held = CommandPrimary;
    PlayerWeaponDisabled = true;
    Frame(*gamer);
    EXPECT_EQ(gamer->Weapons[0]->Ammo, full);
    PlayerWeaponDisabled = false;
    Frame(*gamer);
    EXPECT_EQ(gamer->Weapons[0]->Ammo, full - 1);
}

// ---- The carrier --------------------------------------------------------------------------------

using PlayerCarrier = PlayerBase;

TEST_F(PlayerCarrier, TheNewestCarrierHandsItsPointsToTheAircraftMadeBeforeOrAfterIt)
{
    SaveCarrier();
    TGamer before;
    PlayerAircraft = &before;
    Objects.Add(new TCarrier(Objects, VectorSet3(1000, 2000, 1), {}));
    TGamer after;
    for (const TGamer *gamer : {&before, &after}) {
        ASSERT_TRUE(gamer->HasCarrier);
        EXPECT_FLOAT_EQ(gamer->Carrier.Start.y, 1900);
        EXPECT_FLOAT_EQ(gamer->Carrier.End.y, 2100);
        EXPECT_FLOAT_EQ(gamer->Carrier.Camera.x, 1050);
        EXPECT_FLOAT_EQ(gamer->Carrier.LandEnd.y, 1880);
        EXPECT_FLOAT_EQ(gamer->Carrier.LandBegin.z, 21);
    }
}

TEST_F(PlayerCarrier, PassingLandEndThenLandBeginRefillsAtItsRates)
{
    SaveCarrier();
    auto gamer = Flying();
    Objects.Add(new TCarrier(Objects, VectorSet3(0, 0, 0), {}));
    const TCarrierPoints &gates = gamer->Carrier;
    gamer->Health = 400;
    for (int slot : {0, 1, 3})
        gamer->Weapons[std::size_t(slot)]->Ammo = 0;

    // Over the second gate first: nothing.
    gamer->PlaceAt(VectorSet4(gates.LandBegin.x, gates.LandBegin.y, 60, 0));
    Frame(*gamer);
    EXPECT_EQ(gamer->LandingStage, 0);
    EXPECT_EQ(gamer->Refill, (std::array<int, 4>{}));
    gamer->PlaceAt(VectorSet4(gates.LandEnd.x, gates.LandEnd.y, 60, 0));
    Frame(*gamer);
    EXPECT_EQ(gamer->LandingStage, 1);
    gamer->PlaceAt(VectorSet4(gates.LandBegin.x + 20, gates.LandBegin.y, 60, 0));
    Frame(*gamer);
    EXPECT_EQ(gamer->LandingStage, 0);
    EXPECT_EQ(gamer->Refill, (std::array<int, 4>{600, 300, 10, 10}));

    // 1000 health a second and a full load a second, at least a round a frame.
    Frame(*gamer);
    EXPECT_FLOAT_EQ(gamer->Health, 425);
    EXPECT_EQ(gamer->Weapons[0]->Ammo, 7);   // 300 x 0.025, whole rounds
    EXPECT_EQ(gamer->Weapons[1]->Ammo, 1);
    EXPECT_EQ(gamer->Weapons[3]->Ammo, 1);
    for (int i = 0; i < 80; ++i)
        Frame(*gamer);
    EXPECT_FLOAT_EQ(gamer->Health, 1000);
    for (int slot : {0, 1, 3})
        EXPECT_EQ(gamer->Weapons[std::size_t(slot)]->Ammo, gamer->Weapons[std::size_t(slot)]->Capacity) << slot;
    EXPECT_EQ(gamer->Refill, (std::array<int, 4>{}));
}

// ---- Death --------------------------------------------------------------------------------------

class PlayerDeath : public PlayerBase {
protected:
    TDynamicCamera Camera;
};

TEST_F(PlayerDeath, TheFallenWreckLosesTheMissionOrIsLeftToTheNetworkGame)
{
    DynamicCamera = &Camera;
    WriteText(Dir.Path / "Mission.ses", "int x 0\n{\nx = $1\n}\n");
    for (const bool network : {false, true}) {
        SCOPED_TRACE(network ? "a network game" : "alone");
        MenuActive = false;   // in flight
        TGamer gamer;
        PlayerAircraft = &gamer;
        TWorld world(StagedTable);
        world.AddPlayer(&gamer);
        std::vector<TGamer *> fallen;
        if (network)
            world.OnPlayerDied = [&fallen](TGamer &player) { fallen.push_back(&player); };
        world.LoadMission((Dir.Path / "Mission.ses").string());

        gamer.Health = -50;
        const TVector4 wreck = gamer.Position;
        world.Tick(25, {});
        EXPECT_EQ(gamer.Health, 0) << "below 0 counts as 0";
        EXPECT_TRUE(gamer.DeadAnimation.Started);
        EXPECT_EQ(Camera.Subject, &gamer);
        EXPECT_EQ(Camera.Mode, 1);
        for (int i = 1; i < 199; ++i)
            world.Tick(25, {});
        EXPECT_EQ(gamer.DeathClock, 25);
        EXPECT_EQ(world.Exchange->Result, TMissionResult::Running);
        EXPECT_FALSE(MenuActive);

        world.Tick(25, {});
        world.Tick(25, {});   // it falls once
        EXPECT_EQ(world.Exchange->Result, network ? TMissionResult::Running : TMissionResult::Lost);
        EXPECT_EQ(MenuActive, !network);
        EXPECT_EQ(fallen, network ? std::vector<TGamer *>{&gamer} : std::vector<TGamer *>{});
        EXPECT_FALSE(QuitRequested);
        EXPECT_EQ(gamer.Position.y, wreck.y) << "a wreck flies no more";
    }
}

// ---- State message ------------------------------------------------------------------------------

using PlayerState = PlayerBase;

TEST_F(PlayerState, TheMessageRoundTripsAt312BytesAndMovesTheCraft)
{
    auto *target = new TPost(10, 10, 100);
    target->Id = Objects.NewId();
    Objects.Add(target);
    auto gamer = Flying();
    gamer->PlaceAt(VectorSet4(123.5f, -456.25f, 789, 0));
    gamer->Craft.Angles = VectorSet4(-75, 33, 0, 0);
    gamer->Bank = -12.5f;
    gamer->Craft.Speed = 432.25f;
    gamer->Health = 640;
    gamer->SelectedWeapon = 2;
    gamer->LandingStage = 1;
    gamer->CurrentTarget = gamer->Target = target;
    gamer->Rotation = VectorSet4(-75, 33, -12.5f, 0);

    TByteWriter first;
    gamer->WriteState(first);
    ASSERT_EQ(first.Size(), 312u);
    ASSERT_EQ(first.Size(), StateSize(ClassGamer));

    TGamer copy;
    copy.Reset(Objects);
    TByteReader r(first.Out);
    copy.ReadState(r);
    EXPECT_EQ(r.Left(), 0u);
    TByteWriter second;
    copy.WriteState(second);
    EXPECT_EQ(second.Out, first.Out);
    EXPECT_EQ(copy.CurrentTarget, target);
    EXPECT_FLOAT_EQ(copy.Craft.Position.x, 123.5f);
    EXPECT_FLOAT_EQ(copy.Craft.Angles.y, 33);
    EXPECT_FLOAT_EQ(copy.Bank, -12.5f);
    EXPECT_FLOAT_EQ(copy.Craft.Speed, 432.25f);
    EXPECT_EQ(copy.SelectedWeapon, 2);

    // A message of another class, or one cut short, changes nothing.
    TByteWriter carrier;
    SaveCarrier();
    TCarrier(Objects, VectorSet3(1, 2, 3), {}).WriteState(carrier);
    std::vector<std::uint8_t> cut = first.Out;
    cut.resize(200);
    for (const std::vector<std::uint8_t> *bytes : {&carrier.Out, &cut}) {
        TGamer untouched;
        untouched.Reset(Objects);
        TByteWriter before;
        untouched.WriteState(before);
        TByteReader reader(*bytes);
        untouched.ReadState(reader);
        TByteWriter after;
        untouched.WriteState(after);
        EXPECT_EQ(after.Out, before.Out);
    }
}

// ---- Script commands ----------------------------------------------------------------------------

class PlayerScript : public PlayerBase {
protected:
    void SetUp() override
    {
        PlayerBase::SetUp();
        SaveCarrier();
        Gamer.reset(CreatePlayerAircraft());
        Messanger = &Messages;
        DynamicCamera = &Camera;
    }
    void TearDown() override
    {
        Exchange.reset();
        Gamer.reset();
        PlayerBase::TearDown();
    }
    // Compiles a mission whose first frame runs Once; then Frames frames of the exchange (and, with
    // Fly, of the aircraft after it).
    void Load(const std::string &once, const std::string &declarations = "")
    {
        LoadText("int once 0\n" + declarations + "\n{\nif once = $0 then\n" + once + "\nonce = $1\nendif\n}\n");
    }
    // A mission whose frame N (from 1) runs the commands given for it.
    void LoadFrames(const std::vector<std::pair<int, std::string>> &frames)
    {
        std::string text = "int frame 0\n{\nframe += $1\n";
        for (const auto &[n, commands] : frames)
            text += "if frame = $" + std::to_string(n) + " then\n" + commands + "\nendif\n";
        LoadText(text + "}\n");
    }
    void LoadText(const std::string &text)
    {
        Exchange = std::make_unique<TScriptDataExchange>(&Objects, StagedTable);
        Exchange->LoadScript(Script.Write("Mission.ses", text));
    }
    void Step(bool fly = true)
    {
        Exchange->Update(25);
        if (fly)
            Frame(*Gamer);
    }
    float Float(const std::string &name) { return TScript::FloatAt(Exchange->Script()->FindVariable(name)->Storage); }

    const TScriptDir                     Script{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    std::unique_ptr<TScriptDataExchange> Exchange;
    std::unique_ptr<TGamer>              Gamer;
    TMessanger                           Messages{600};
    TDynamicCamera                       Camera;
};

const std::string MakeCarrier =
    "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $1000,0 $2000,0 $0,0 $0,0 $0,0 Base\n";

TEST_F(PlayerScript, CreatePlayerTakesOffFromTheCarrierWithoutControl)
{
    EXPECT_EQ(CreatePlayerAircraft(), Gamer.get()) << "one aircraft for the run";
    EXPECT_EQ(PlayerAircraft, Gamer.get());
    Load(MakeCarrier + "CreatePlayer");
    *MissionStatistics = {.AircraftKills = 3, .ShipKills = 2, .Shots = 9, .Hits = 4};
    Gamer->Health = 10;
    Step(false);
    EXPECT_EQ(Gamer->Mission(), &Objects);
    EXPECT_EQ(MissionStatistics->AircraftKills + MissionStatistics->ShipKills + MissionStatistics->Shots +
                  MissionStatistics->Hits,
              0)
        << "a new start clears the mission's statistics";
    EXPECT_EQ(Gamer->Health, 1000);
    EXPECT_NE(Gamer->Weapons[3], nullptr);
    EXPECT_EQ(Gamer->TakeOffClock, 2500);
    EXPECT_FLOAT_EQ(Gamer->Position.x, 1000);
    EXPECT_FLOAT_EQ(Gamer->Position.y, 1900);
    EXPECT_FLOAT_EQ(Gamer->Position.z, 20);
    EXPECT_EQ(Gamer->Id, Objects.NextId - 1) << "its own id from the mission";

    // For 2500 ms the engines run at full power, the steering does nothing and the camera watches
    // from the carrier.
    Command.SteerX = 200;
    Command.SteerY = 100;
    float speed = 0;
    for (int t = 25; t <= 2500; t += 25) {
        Step();
        ASSERT_EQ(Gamer->TakeOffClock, 2500 - t);
        if (t < 2500) {
            EXPECT_FLOAT_EQ(Gamer->Camera.Position.x, 1050);
            EXPECT_FLOAT_EQ(Gamer->Camera.Pitch, -75);
            EXPECT_FLOAT_EQ(Gamer->Camera.Heading, 104);
        }
        EXPECT_FLOAT_EQ(Gamer->Throttle, 500);
        EXPECT_GE(Gamer->Craft.Speed, speed);
        speed = Gamer->Craft.Speed;
    }
    EXPECT_FLOAT_EQ(Gamer->Craft.Angles.x, -90);
    EXPECT_FLOAT_EQ(Gamer->Craft.Angles.y, 0);
    EXPECT_FLOAT_EQ(Gamer->Craft.Speed, 800);
    EXPECT_FLOAT_EQ(Gamer->Position.x, 1000);
    // Then the player flies it.
    Step();
    EXPECT_GT(Gamer->Craft.Angles.x, -90);
    EXPECT_NE(Gamer->Bank, 0);
    EXPECT_NEAR(Gamer->Camera.Position.y, Gamer->Position.y - 20, 0.05f);
}

TEST_F(PlayerScript, ReloadPlayerParksTheAircraftAtTheDecksEnd)
{
    LoadFrames({{1, MakeCarrier + "CreatePlayer"}, {3, "ReloadPlayer"}});
    Step();
    Step();
    Camera.Mode = 1;
    Step(false);
    EXPECT_EQ(Gamer->HoldClock, 5000);
    EXPECT_EQ(Camera.Mode, 0) << "the small view is reset";
    EXPECT_FLOAT_EQ(Gamer->Position.x, 1000);
    EXPECT_FLOAT_EQ(Gamer->Position.y, 2100);
    EXPECT_FLOAT_EQ(Gamer->Craft.Angles.y, 180);
    EXPECT_FLOAT_EQ(Gamer->Rotation.y, 180);
    EXPECT_FLOAT_EQ(Gamer->Craft.Speed, 10);
    EXPECT_FLOAT_EQ(Gamer->Craft.MinSpeed, 10);
    EXPECT_EQ(Gamer->Bank, 0);
    // The hold ends at the next control step.
    Frame(*Gamer);
    EXPECT_EQ(Gamer->HoldClock, 0);
}

TEST_F(PlayerScript, TheFirstSpawnPointPutsThePlayerAtTheStartWithoutATakeOff)
{
    LoadFrames({{1, MakeCarrier + "mp_AddSpawnPoint $1,0 $2,0 $3,0"}, {2, "mp_AddSpawnPoint $4,0 $5,0 $6,0"}});
    Gamer->TakeOffClock = 999;
    Gamer->Health = 5;
    Step(false);
    EXPECT_EQ(Gamer->TakeOffClock, 0);
    EXPECT_EQ(Gamer->Health, 1000);
    EXPECT_FLOAT_EQ(Gamer->Position.y, 1900);
    Gamer->Health = 5;
    Step(false);
    EXPECT_EQ(Exchange->SpawnPoints.size(), 2u);
    EXPECT_EQ(Gamer->Health, 5) << "only the first spawn point places the player";
}

TEST_F(PlayerScript, ScriptVariablesReachThePlayersHealthAndControls)
{
    Load(MakeCarrier + "CreatePlayer\nh = G_PLAYER_HEALTH\nG_PLAYER_HEALTH = $250,0\nG_PLAYER_CONTROL_DISABLED = $true",
         "float h 0");
    Gamer->TakeOffClock = 0;
    Step(false);
    EXPECT_FLOAT_EQ(Float("h"), 1000);
    EXPECT_FLOAT_EQ(Gamer->Health, 250);
    Gamer->TakeOffClock = 0;                // straight into the air
    Command.Held = CommandForward;          // the throttle is overruled
    Frame(*Gamer);
    EXPECT_EQ(Gamer->Bank, -10);
    EXPECT_EQ(Gamer->Throttle, 0);
    EXPECT_FLOAT_EQ(Gamer->Craft.Angles.x, -90.025f) << "below 150 the autopilot climbs";
    EXPECT_EQ(Messages.CentreText, "AUTOPILOT");
    EXPECT_GT(Messages.CentreTime, 0);

    Gamer->PlaceAt(VectorSet4(0, 0, 400, 0));
    Frame(*Gamer);
    EXPECT_FLOAT_EQ(Gamer->Craft.Angles.x, -90.025f + 0.125f) << "above it, it sinks";
    PlayerControlDisabled = false;
}

TEST_F(PlayerScript, SetCameraShowsTheGroupsFirstLiveUnit)
{
    Load("SetCamera AI_GROUP1 CS_LOOKATTARGET $3000\nSetCamera AI_GROUP2 CS_LOOKINTIME $4000");
    auto *dead = new TPost(0, 0, 0);
    auto *live = new TPost(0, 0, 100);
    auto *gone = new TPost(0, 0, 100);
    gone->Dead = 1;
    for (auto [group, unit] : {std::pair{1, dead}, std::pair{1, live}, std::pair{2, gone}}) {
        Objects.Add(unit);
        unit->RefCount = 1;
        Exchange->AddToGroup(group, unit);
    }
    Step(false);
    EXPECT_EQ(Camera.Subject, live);
    EXPECT_EQ(Camera.Mode, 2);
    EXPECT_EQ(Camera.Clock, 3000);
}

TEST_F(PlayerScript, AMissionThatEndsLetsThePlayerGoFirst)
{
    Load(MakeCarrier + "CreatePlayer");
    Step();
    ASSERT_EQ(Gamer->Mission(), &Objects);
    Exchange.reset();
    EXPECT_EQ(Gamer->Mission(), nullptr);
    EXPECT_EQ(Gamer->Weapons[0], nullptr);
    Frame(*Gamer);   // flies on alone, touching nothing of the old mission

    // Freed, the aircraft lets the player pointer and the health binding go.
    const float *health = &Gamer->Health;
    EXPECT_EQ(ScriptBindings.PlayerHealth, health);
    Gamer.reset();
    EXPECT_EQ(PlayerAircraft, nullptr);
    EXPECT_EQ(ScriptBindings.PlayerHealth, &ScriptStandIns.PlayerHealth);
}

} // namespace
