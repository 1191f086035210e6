#include "sim/Player.h"

#include "assets/AssetDevice.h"
#include "assets/DPSEffect.h"
#include "assets/Model.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Locale.h"
#include "script/GameVars.h"
#include "script/Messanger.h"
#include "sim/ScreenFade.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/UnitState.h"
#include "sim/Weapons.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int MouseSensitivity = 7;

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// The flight model before the first reset and after it.
constexpr float CreateMaxSpeed = 20, CreateAcceleration = 5, CreateMinSpeed = 10;
constexpr float FlightMaxSpeed = 800, FlightAcceleration = 400, FlightMinSpeed = 90, ResetSpeed = 10;
constexpr float ParkSpeed = 10;
const TVector4 ParkPosition = VectorSet4(100, 100, 100, 0);

// Steering.
constexpr float BankLimit = 60;
constexpr float BankReturn = 0.05f;          // degrees a step back towards level
constexpr float PitchPixels = 100, BankPixels = 50;
constexpr float PadFullDeflection = 100;     // pixels of mouse offset a full stick deflection is worth
constexpr float CruiseSpeed = 400;           // the throttle holds the speed here by itself
constexpr float CruiseThrottle = 50, KeyThrottle = 200, TakeOffThrottle = 500;
constexpr float AutopilotBank = -10, AutopilotCeiling = 150;
constexpr float PhaseRate = 0.5f;            // animation phases move half their range a second
constexpr int   AutopilotNoticeTime = 100;   // ms: kept up each frame, gone soon after the autopilot

// Targets and aiming.
constexpr float TargetRange = 6000;
constexpr float AimDistance = 2000;          // without a crosshair the aim lies this far ahead

// Ground avoidance: below this height over the terrain the nose is lifted.
constexpr float AvoidHeight = 25;

// Contrails.
constexpr float ContrailSpeed = 100;
constexpr float ContrailWidth = 0.1f;
constexpr int   ContrailLife = 100;
const char *const ContrailTexture = "Data\\Textures\\Trasser_White.png";

// Engines: the flames run from this thrust level up.
constexpr float EngineThrust = 2;

// The carrier: how near a landing gate must be passed, and the refill rate of health.
constexpr float GateRadius = 25;
constexpr int   HealthRefillPerSecond = 1000;

// The camera: behind and above the aircraft in flight, on the carrier's camera point on deck.
constexpr float ChaseDistance = 20, ChaseHeight = 10;
constexpr float DeckCameraPitch = -75, DeckCameraHeading = 104;
constexpr float FlightFarDistance = 10000, FlightFadeStart = 9000;
constexpr float DeckViewRange[4] = {1e7f, 10000, 7500, 5000};
constexpr float FadeStartShare = 0.9f;

// The gun's barrels turn a whole turn in this many ms while it fires.
constexpr int GunSpinTime = 300;
constexpr int GunSpinAfterShot = 200;

const char *const ProbeNames[5] = {"Collision08", "Collision17", "Collision18", "Collision09", "Collision03"};

// The slots the carrier refills, with their place in Refill.
constexpr TWeaponSlot RefilledSlots[3] = {GunSlot, GroundMissileSlot, AirMissileSlot};

// The aircraft's own home list before it flies in a mission: it gives the first Id and is never
// used for anything else.
TObjectsControl &Hangar()
{
    static TObjectsControl hangar;
    return hangar;
}

TCarrierPoints NewestCarrier;
bool           CarrierKnown = false;

TGamer *TheGamer = nullptr;   // made by CreatePlayerAircraft

float MoveTowards(float value, float goal, float step)
{
    if (value < goal)
        return std::min(goal, value + step);
    return std::max(goal, value - step);
}

float WrapDegrees(float a)
{
    a = std::fmod(a + 180.0f, 360.0f);
    if (a < 0)
        a += 360.0f;
    return a - 180.0f;
}

float HorizontalDistance(const TVector3 &a, const TVector3 &b) { return std::hypot(a.x - b.x, a.y - b.y); }

TVector4 At(const TVector3 &p) { return VectorSet4(p.x, p.y, p.z, 0); }

bool ScriptFlag(bool *binding, bool fallback) { return binding ? *binding : fallback; }

int LoadSkin(const std::string &gamePath)
{
    if (!TextureLib)
        return -1;
    return TextureLib->Load(AppDir + gamePath, TextureLinearMipmapLinear, TextureLinear);
}

// Draws a moving part at its phase, with Skin in place of its own texture when there is one.
void DrawPart(TModel *part, float phase, int skin)
{
    if (!part)
        return;
    auto *otm = dynamic_cast<TOTMModel *>(part);
    if (skin < 0 || !otm) {
        part->DrawAt(phase);
        return;
    }
    const int own = otm->Texture;
    otm->Texture = skin;
    otm->DrawAt(phase);
    otm->Texture = own;
}

// Whether the point (X, Y) lies over the triangle, and the triangle's height there.
bool HeightOver(const TWorldTriangle &t, float x, float y, float &z)
{
    const TVector4 &a = t.Vertices[0], &b = t.Vertices[1], &c = t.Vertices[2];
    const double det = double(b.y - c.y) * (a.x - c.x) + double(c.x - b.x) * (a.y - c.y);
    if (std::fabs(det) < 1e-12)
        return false;   // a wall seen from above has no height of its own
    const double l1 = (double(b.y - c.y) * (x - c.x) + double(c.x - b.x) * (y - c.y)) / det;
    const double l2 = (double(c.y - a.y) * (x - c.x) + double(a.x - c.x) * (y - c.y)) / det;
    const double l3 = 1 - l1 - l2;
    constexpr double edge = -1e-6;   // a point on a shared edge belongs to both triangles
    if (l1 < edge || l2 < edge || l3 < edge)
        return false;
    z = float(l1 * a.z + l2 * b.z + l3 * c.z);
    return true;
}

} // namespace

// ---- Carrier points -----------------------------------------------------------------------------

void HandCarrierPoints(const TCarrierPoints &points)
{
    NewestCarrier = points;
    CarrierKnown = true;
    if (TGamer *gamer = PlayerGamer()) {
        gamer->Carrier = points;
        gamer->HasCarrier = true;
    }
}

void ForgetCarrierPoints()
{
    NewestCarrier = TCarrierPoints();
    CarrierKnown = false;
}

bool NewestCarrierPoints(TCarrierPoints &points)
{
    if (CarrierKnown)
        points = NewestCarrier;
    return CarrierKnown;
}

// ---- The flight model ---------------------------------------------------------------------------

TCraft::TCraft(float maxSpeed, float acceleration) : MaxSpeed(maxSpeed), Acceleration(acceleration) {}

void TCraft::Update(int ms, float headingChange, float pitchChange, float, float throttle)
{
    const float dt = float(ms) / 1000.0f;
    Angles.x = std::clamp(Angles.x + pitchChange, PitchLow, PitchHigh);
    Angles.y = WrapDegrees(Angles.y + headingChange);

    const float step = dt * Acceleration;
    Speed = std::clamp(Speed + std::clamp(throttle, -step, step), MinSpeed, MaxSpeed);

    const float heading = Angles.y * Degrees, climb = (Angles.x + 90) * Degrees;
    Position.x += std::sin(heading) * dt * Speed;
    Position.y += std::cos(heading) * dt * Speed;
    Position.z = std::min(Position.z - std::sin(climb) * dt * Speed, MaxAltitude);

    const float range = VectorLength(Position);
    if (range > MaxRange) {
        const float scale = MaxRange / range;
        Position.x *= scale;
        Position.y *= scale;
        Position.z *= scale;
    }
}

// ---- The aircraft -------------------------------------------------------------------------------

TGamer::TGamer()
    : TUnit(Hangar(), {.Side = 0,
                       .Health = FullHealth,
                       .MaxHealth = FullHealth,
                       .Name = "Player",
                       .OnRadar = 1,
                       .Targetable = 1,
                       .IsGround = 0}),
      Craft(CreateMaxSpeed, CreateAcceleration), DeadAnimation("Data\\Models\\Player\\Dead.otm", nullptr)
{
    WeaponEnabled = 1;
    Piloted = true;
    LevelPitch = -90;   // Rotation carries the flight model's pitch, -90 level
    Craft.MinSpeed = CreateMinSpeed;

    Model = LoadUnitModel("Data\\Models\\Player\\Air.otm");
    if (Model) {
        FirePoint = Model->FindPoint("Fire");
        CameraPoint = Model->FindPoint("Cam_1");
        EnginePoints[0] = Model->FindPoint("Engine_1");
        EnginePoints[1] = Model->FindPoint("Engine_2");
        for (int i = 0; i < 5; ++i)
            CollisionPoints[std::size_t(i)] = Model->FindPoint(ProbeNames[i]);
    }
    for (auto &engine : EngineEmitters)
        engine = MakeEmitter<TPointEmitter>("Data\\Effects\\Player_Engine.dps", 1.0f);
    SmokeEmitter = MakeEmitter<TEmitter>("Data\\Effects\\Player_Smoke.dps", 1.0f);

    AirBrakeModel = LoadUnitModel("Data\\Models\\Player\\Break.otm");
    EngineModel = LoadUnitModel("Data\\Models\\Player\\Engine.otm");
    ElevatorModel = LoadUnitModel("Data\\Models\\Player\\Height.otm");
    AileronModel = LoadUnitModel("Data\\Models\\Player\\Eleron.otm");
    RudderModel = LoadUnitModel("Data\\Models\\Player\\Direction.otm");
    FrontModel = LoadUnitModel("Data\\Models\\Player\\Front.otm");
    GunModel = LoadUnitModel("Data\\Models\\Player\\Gun.otm");

    ControlSkin = LoadSkin("Data\\Models\\Player\\Elerons.png");
    ControlSkinDamaged = LoadSkin("Data\\Models\\Player\\Elerons_damaged.png");
    BodySkins[0] = LoadSkin("Data\\Models\\Player\\Air.png");
    for (int i = 1; i <= 4; ++i)
        BodySkins[std::size_t(i)] = LoadSkin("Data\\Models\\Player\\Damage" + std::to_string(i) + ".png");

    HasCarrier = NewestCarrierPoints(Carrier);
    CopyFromCraft();
}

TGamer::~TGamer()
{
    if (TheGamer == this)
        TheGamer = nullptr;
    if (PlayerAircraft == this)
        PlayerAircraft = nullptr;
    if (ScriptBindings.PlayerHealth == &Health)
        ScriptBindings.PlayerHealth = &ScriptStandIns.PlayerHealth;
}

void TGamer::Reset(TObjectsControl &objects)
{
    Flying = &objects;
    Id = objects.NewId();
    DeadAnimation.Objects = &objects;
    RearmDeadAnimation();
    Refill = {};
    LandingStage = 0;
    HoldClock = 0;

    Craft = TCraft(FlightMaxSpeed, FlightAcceleration);
    Craft.Position = ParkPosition;
    Craft.Angles = VectorSet4(-90, 0, 0, 0);
    Craft.MinSpeed = FlightMinSpeed;
    Craft.Speed = ResetSpeed;
    Bank = 0;
    Throttle = 0;
    AirBrake = false;

    // The weapons of this mission, the special one as chosen before it.
    Weapons[GunSlot] = std::make_unique<TMachineGun>(&objects, this);
    Weapons[GroundMissileSlot] = std::make_unique<TAirToGroundMissileWeapon>(&objects, this);
    switch (SpecialChoice) {
    case 1: Weapons[SpecialSlot] = std::make_unique<TLaserGun>(&objects, this); break;
    case 2: Weapons[SpecialSlot] = std::make_unique<TPlasmaGun>(&objects, this); break;
    case 3: Weapons[SpecialSlot] = std::make_unique<TMegaBombGun>(&objects, this); break;
    default: Weapons[SpecialSlot] = std::make_unique<TGaussGun>(&objects, this); break;
    }
    Weapons[AirMissileSlot] = std::make_unique<TAirToAirMissileWeapon>(&objects, this);
    for (auto &weapon : Weapons)
        weapon->Pilot = &Pilot;
    SelectedWeapon = 0;

    Health = MaxHealth;
    Dead = 0;
    DeathClock = DeathTime;
    MissionLost = false;
    Died = false;
    CurrentTarget = nullptr;
    Target = nullptr;
    CopyFromCraft();
    ContrailValid = false;
    LogWrite("Gamer Ready");
}

void TGamer::RearmDeadAnimation()
{
    DeadAnimation.Started = false;
    DeadAnimation.Active = false;
    DeadAnimation.Exploded = false;
    DeadAnimation.BlastFired = false;
    DeadAnimation.Clock = 0;
    // A blast uses up the wreck's "Hit" point; the next death has it again.
    DeadAnimation.HitIndex = DeadAnimation.Model ? DeadAnimation.Model->FindPoint("Hit") : -1;
}

void TGamer::Park()
{
    Craft.Position = ParkPosition;
    Craft.Angles = VectorSet4(-90, 180, 0, 0);
    Craft.MinSpeed = ParkSpeed;
    Craft.Speed = ParkSpeed;
    Bank = 0;
    CopyFromCraft();
    ContrailValid = false;
    if (DynamicCamera)
        DynamicCamera->Reset();
}

void TGamer::PlaceAt(const TVector4 &point)
{
    Craft.Position = VectorSet4(point.x, point.y, point.z, 0);
    CopyFromCraft();
    ContrailValid = false;   // a jump, not a flight: no contrail across it, and the next sweep starts here
}

void TGamer::Land()
{
    Refill[0] = std::max(0, int(std::lround(MaxHealth - Health)));
    for (int i = 0; i < 3; ++i) {
        const TWeapon *weapon = Weapons[std::size_t(RefilledSlots[i])].get();
        Refill[std::size_t(i + 1)] = weapon ? std::max(0, weapon->Capacity - weapon->Ammo) : 0;
    }
    PlaySoundAt("Data\\Sounds\\Reloaded.wav", Position, 100, 400);
}

void TGamer::LeaveMission(const TObjectsControl *objects)
{
    if (!objects || objects != Flying)
        return;
    Flying = nullptr;
    CurrentTarget = nullptr;
    Target = nullptr;
    for (auto &weapon : Weapons)
        weapon.reset();
    DeadAnimation.Objects = nullptr;
}

void TGamer::CopyFromCraft()
{
    Position = Craft.Position;
    Rotation = VectorSet4(Craft.Angles.x, Craft.Angles.y, Bank, 0);
    OrderData = Craft.Speed;
}

TVector4 TGamer::BodyAngles() const { return VectorSet4(Craft.Angles.x + 90, Craft.Angles.y, Bank, 0); }

TVector4 TGamer::PointAt(int index) const
{
    if (!Model || index < 0)
        return Position;
    return At(MatrixTransformPoint(Model->GetPoint(index), UnitMatrix(Position, BodyAngles())));
}

TVector3 TGamer::NoseDirection() const
{
    // The model's nose (+y) turned by the pitch and then the heading.
    const float heading = Craft.Angles.y * Degrees, nose = (Craft.Angles.x + 90) * Degrees;
    const float level = std::cos(nose);
    return VectorSet3(std::sin(heading) * level, std::cos(heading) * level, -std::sin(nose));
}

TPlayerView TGamer::View() const
{
    TPlayerView view;
    view.Cockpit = PointAt(CameraPoint);
    view.Pitch = Craft.Angles.x;
    view.Heading = Craft.Angles.y;
    view.Bank = Bank;
    return view;
}

TWeaponSlot TGamer::SecondarySlot(int selected)
{
    switch (selected) {
    case 1: return GroundMissileSlot;
    case 2: return SpecialSlot;
    default: return AirMissileSlot;
    }
}

int TGamer::NextWeapon(int selected, bool networkGame)
{
    int next = selected + 1;
    if (next == 1 && networkGame)   // no air-to-ground missiles in a network game
        next = 2;
    return next >= 3 ? 0 : next;
}

int TGamer::BodySkin(float health, float maxHealth)
{
    const float f = maxHealth > 0 ? health / maxHealth : 0;
    if (f > 0.8f)
        return 0;
    if (f > 0.6f)
        return 1;
    if (f > 0.4f)
        return 2;
    if (f > 0.2f)
        return 3;
    return 4;
}

bool TGamer::ControlSurfacesDamaged(float health, float maxHealth) { return health <= maxHealth / 2; }

// ---- The frame step -----------------------------------------------------------------------------

void TGamer::Update(int dt)
{
    if (Remote) {
        RemoteStep(dt);
        return;
    }
    // A target the mission has freed (the list clears Target then) or that left it is dropped.
    if (CurrentTarget && (CurrentTarget != Target || !Flying || !Flying->Contains(CurrentTarget)))
        CurrentTarget = nullptr;
    RefillStep(dt);
    if (Health > 0 && Weapons[SpecialSlot])
        ReloadTick(*Weapons[SpecialSlot], dt);

    LogWrite("UPD CTRL");
    const TVector4 from = Position;
    ControlStep(dt);
    LogWrite("UPD READY");

    CopyFromCraft();
    Sweep(from);
    Contrails();
    if (Health <= 0)
        DeathStep(dt);
    else
        AliveStep(dt);
    LandingStep();
    OrderData = Craft.Speed;
}

void TGamer::RemoteStep(int dt)
{
    // The owner flies it; here it only burns, smokes and falls as its state says.
    CopyFromCraft();
    if (Health <= 0) {
        Health = 0;
        DeathClock -= dt;
        DeadAnimation.Angles = BodyAngles();
        DeadAnimation.Update(dt, Position);
        if (DeathClock < 1 && !MissionLost) {
            MissionLost = true;
            Died = true;
        }
        return;
    }
    ViewCentre = Model ? At(MatrixTransformPoint(Model->Center, UnitMatrix(Position, BodyAngles()))) : Position;
    ThrustLevel = Craft.Speed / CruiseSpeed * 10;
    const bool running = ThrustLevel >= EngineThrust;
    const TVector3 nose = NoseDirection();
    for (int i = 0; i < 2; ++i) {
        if (EnginePoints[i] < 0 || !EngineEmitters[i])
            continue;
        TVector4 at = PointAt(EnginePoints[i]);
        at.x -= nose.x * ThrustLevel;
        at.y -= nose.y * ThrustLevel;
        at.z -= nose.z * ThrustLevel;
        EngineEmitters[i]->Update(dt, at, !running);
    }
}

void TGamer::RefillStep(int dt)
{
    if (Refill[0] > 0) {
        const int add = std::min(Refill[0], HealthRefillPerSecond * dt / 1000);
        Health = std::min(MaxHealth, Health + float(add));
        Refill[0] -= add;
    }
    for (int i = 0; i < 3; ++i) {
        int &left = Refill[std::size_t(i + 1)];
        TWeapon *weapon = Weapons[std::size_t(RefilledSlots[i])].get();
        if (left <= 0 || !weapon)
            continue;
        // A full load a second, but never less than a round a frame.
        const int add = std::min(left, std::max(1, int(float(dt) / 1000.0f * float(weapon->Capacity))));
        weapon->Ammo += add;
        left -= add;
    }
}

void TGamer::ControlStep(int dt)
{
    // A fade-in from black holds the aircraft still, except for the take-off it belongs to.
    const bool fading = Fade && Fade->In != 0;
    if (fading && TakeOffClock <= 0)
        return;
    OrderData = Craft.Speed;
    if (TakeOffClock < 1 && HoldClock < 1 && Health > 0) {
        Steer(dt);
        return;
    }
    // On deck: no control; a take-off runs at full power.
    if (TakeOffClock > 0) {
        Throttle = TakeOffThrottle;
        TakeOffClock = std::max(0, TakeOffClock - dt);
    }
    HoldClock = 0;
    ThrustLevel = 10;
    if (Health > 0)
        Craft.Update(dt, 0, 0, 0, Throttle);
}

void TGamer::Steer(int dt)
{
    const float sensitivity = float(MouseSensitivity);

    // The pilot's steering offset: the mouse's, with the pad's stick added.
    const float dx = Pilot.Command.SteerX, dy = Pilot.Command.SteerY;
    float pitchChange = dy / PitchPixels * sensitivity;
    Bank += dx / BankPixels * sensitivity;

    if (Bank > BankReturn)
        Bank -= BankReturn;
    else if (Bank < -BankReturn)
        Bank += BankReturn;
    else
        Bank = 0;
    Bank = std::clamp(Bank, -BankLimit, BankLimit);

    const float headingChange = Craft.Speed * (Bank / 250) / 60;

    Throttle = Craft.Speed >= CruiseSpeed ? -CruiseThrottle : CruiseThrottle;
    AirBrake = false;
    if (Pilot.Holds(CommandForward))
        Throttle = KeyThrottle;
    if (Pilot.Holds(CommandBackward)) {
        Throttle = -KeyThrottle;
        AirBrake = true;
    }

    if (ScriptFlag(ScriptBindings.PlayerControlDisabled, PlayerControlDisabled)) {
        // The autopilot circles gently, sinking to its ceiling or climbing back to it.
        Throttle = 0;
        Bank = AutopilotBank;
        pitchChange = Craft.Position.z >= AutopilotCeiling ? 5.0f * float(dt) / 1000.0f : -float(dt) / 1000.0f;
        if (Messanger) {
            const std::string notice = AutopilotNotice();
            if (Messanger->CentreText == notice && Messanger->CentreTime > 0)
                Messanger->CentreTime = std::max(Messanger->CentreTime, AutopilotNoticeTime);
            else
                Messanger->Add(notice, true, 1, 0, 0, AutopilotNoticeTime);
        }
    }

    if (Pilot.ChangeWeapon.Ready(Pilot.Holds(CommandChangeWeapon))) {
        Pilot.ChangeWeapon.Spent = true;   // one step per press
        SelectedWeapon = NextWeapon(SelectedWeapon, NetworkGame);
    }

    const float phaseStep = PhaseRate * float(dt) / 1000.0f;
    AirBrakePhase = MoveTowards(AirBrakePhase, AirBrake ? 1.0f : 0.0f, phaseStep);
    const float nozzle = Throttle > CruiseThrottle ? 1.0f : Throttle < -CruiseThrottle ? 0.0f : 0.5f;
    NozzlePhase = MoveTowards(NozzlePhase, nozzle, phaseStep);

    UpdateTarget();
    const TVector3 shootPoint = PointAt(FirePoint);
    if (!ScriptFlag(ScriptBindings.PlayerWeaponDisabled, PlayerWeaponDisabled)) {
        if (Weapons[GunSlot])
            Weapons[GunSlot]->Update(dt, shootPoint, CurrentTarget, AimPoint);
        if (TWeapon *secondary = Weapons[std::size_t(SecondarySlot(SelectedWeapon))].get())
            secondary->Update(dt, shootPoint, CurrentTarget, AimPoint);
    }
    // The barrels spin while the gun fires.
    if (const TWeapon *gun = Weapons[GunSlot].get(); gun && GameClock - gun->LastShot < GunSpinAfterShot)
        GunPhase = std::fmod(GunPhase + float(dt) / GunSpinTime, 1.0f);

    ThrustLevel = Craft.Speed / CruiseSpeed * 10;
    Craft.Update(dt, headingChange, pitchChange, 0, Throttle);

    // Close over the ground the nose is lifted, the harder the lower.
    const float h = TerrainHeight(Flying, Craft.Position.x, Craft.Position.y);
    if (Craft.Position.z <= h + AvoidHeight && TakeOffClock < 1 && HoldClock < 1) {
        const float d = h + 10 - Craft.Position.z;
        const float limit = 0.1f * d * d - 8 * d - 90;
        if (Craft.Angles.x >= limit)
            Craft.Angles.x = limit;
    }
}

void TGamer::UpdateTarget()
{
    // Where the ray through the middle of the view met the world when the mission last worked out
    // the view; before any view, a point straight ahead.
    AimPoint = SightValid ? SightPoint : VectorSet3(Position.x, Position.y, Position.z);
    if (!SightValid) {
        const TVector3 nose = NoseDirection();
        AimPoint.x += nose.x * AimDistance;
        AimPoint.y += nose.y * AimDistance;
        AimPoint.z += nose.z * AimDistance;
    }
    CurrentTarget = Flying ? Flying->FindContaining(AimPoint) : nullptr;
    if (CurrentTarget && (!Flying->Contains(CurrentTarget) || CurrentTarget->Targetable != 1 ||
                          VectorDistance(CurrentTarget->Position, Position) >= TargetRange))
        CurrentTarget = nullptr;
    Target = CurrentTarget;
}

void TGamer::Sweep(const TVector4 &from)
{
    if (!Flying || !Model)
        return;
    int probes = 0;
    for (int index : CollisionPoints)
        if (index >= 0)
            ++probes;
    if (probes == 0)
        return;

    // Sub-steps no longer than the aircraft, so that nothing thinner is flown through.
    const TVector4 to = Position;
    const float distance = VectorDistance(from, to);
    const float radius = Model->Radius;
    int steps = radius > 0 ? int(distance / (2 * radius)) : 1;
    steps = std::clamp(steps, 1, 1000);
    const TVector4 angles = BodyAngles();
    Collision.Points.resize(std::size_t(probes));
    Collision.PointCount = probes;
    Collision.Radius = radius;
    for (int step = 1; step <= steps; ++step) {
        const float f = float(step) / float(steps);
        const TVector4 at = VectorSet4(from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f,
                                       from.z + (to.z - from.z) * f, 0);
        const TMatrix4 m = UnitMatrix(at, angles);
        int n = 0;
        for (int index : CollisionPoints)
            if (index >= 0)
                Collision.Points[std::size_t(n++)].Position = At(MatrixTransformPoint(Model->GetPoint(index), m));
        Collision.Centre = at;
        Collision.HitObject = nullptr;
        if (Flying->Collide(Collision, false)) {
            Craft.Position = VectorSet4(at.x + Collision.PushOut.x, at.y + Collision.PushOut.y,
                                        at.z + Collision.PushOut.z, 0);
            Position = Craft.Position;
            return;
        }
    }
}

void TGamer::Contrails()
{
    const int tips[2] = {CollisionPoints[1], CollisionPoints[2]};
    TVector4 now[2];
    for (int i = 0; i < 2; ++i)
        now[i] = PointAt(tips[i]);
    if (ContrailValid && Craft.Speed > ContrailSpeed && Health > 0) {
        const float color[4] = {1, 1, 1, std::min(Craft.Speed - ContrailSpeed, 100.0f) / 100};
        for (int i = 0; i < 2; ++i)
            if (tips[i] >= 0)
                AddTracer(ContrailFrom[i], now[i], ContrailTexture, ContrailWidth, ContrailLife, color);
    }
    ContrailFrom[0] = now[0];
    ContrailFrom[1] = now[1];
    ContrailValid = true;
}

void TGamer::DeathStep(int dt)
{
    Health = 0;
    DeathClock -= dt;
    DeadAnimation.Angles = BodyAngles();
    DeadAnimation.Update(dt, Position);
    // The small view watches the wreck; it takes the request as soon as it is free to.
    if (DynamicCamera)
        DynamicCamera->Focus(this, 1, DeathTime);
    for (auto &engine : EngineEmitters)
        if (engine)
            engine->Update(dt, Position, true);
    if (SmokeEmitter)
        SmokeEmitter->Update(dt, Position, true);
    // The wreck has fallen: the mission reads this and ends as lost (or, in a network game, the
    // aircraft comes back at a spawn point).
    if (DeathClock < 1 && !MissionLost) {
        MissionLost = true;
        Died = true;
    }
}

void TGamer::AliveStep(int dt)
{
    PlaceCamera();
    ViewCentre = Model ? At(MatrixTransformPoint(Model->Center, UnitMatrix(Position, BodyAngles()))) : Position;

    const bool running = ThrustLevel >= EngineThrust;
    const bool smoking = Health <= MaxHealth / 4;
    const TVector3 nose = NoseDirection();
    for (int i = 0; i < 2; ++i) {
        if (EnginePoints[i] < 0)
            continue;
        // The flame sits behind the nozzle, the further the harder the engine works.
        TVector4 at = PointAt(EnginePoints[i]);
        at.x -= nose.x * ThrustLevel;
        at.y -= nose.y * ThrustLevel;
        at.z -= nose.z * ThrustLevel;
        const bool smokeHere = i == 1 && smoking;
        if (EngineEmitters[i])
            EngineEmitters[i]->Update(dt, at, !running || smokeHere);
        if (i == 1 && SmokeEmitter)
            SmokeEmitter->Update(dt, at, !running || !smokeHere);
    }
}

void TGamer::PlaceCamera()
{
    if (TakeOffClock > 0 || HoldClock > 0) {
        // On deck the camera stands on the carrier and watches the aircraft go.
        Camera.Position = Carrier.Camera;
        Camera.Pitch = DeckCameraPitch;
        Camera.Heading = DeckCameraHeading;
        Camera.Roll = 0;
        const int option = Config ? std::clamp(Config->ViewDistance, 0, 3) : 1;
        ViewFar = DeckViewRange[option];
        ViewFade = ViewFar * FadeStartShare;
        return;
    }
    const float heading = Craft.Angles.y * Degrees, nose = (Craft.Angles.x + 90) * Degrees;
    Camera.Position = VectorSet4(Position.x - ChaseDistance * std::sin(heading),
                                 Position.y - ChaseDistance * std::cos(heading),
                                 Position.z + ChaseDistance * std::sin(nose) + ChaseHeight, 0);
    Camera.Pitch = Craft.Angles.x;
    Camera.Heading = Craft.Angles.y;
    Camera.Roll = Config && Config->CameraMode == 1 ? 0 : Bank / 2;
    ViewFar = FlightFarDistance;
    ViewFade = FlightFadeStart;
}

void TGamer::LandingStep()
{
    // On deck the take-off runs over the gates; only a flight that comes back in is a landing.
    if (!HasCarrier || Health <= 0 || TakeOffClock > 0 || HoldClock > 0)
        return;
    if (HorizontalDistance(Position, Carrier.LandEnd) < GateRadius)
        LandingStage = 1;
    if (LandingStage == 1 && HorizontalDistance(Position, Carrier.LandBegin) < GateRadius) {
        LandingStage = 2;
        Land();
        LandingStage = 0;
    }
}

// ---- Drawing ------------------------------------------------------------------------------------

void TGamer::Draw()
{
    if (Health <= 0) {
        DeadAnimation.Draw();
        return;
    }
    if (!Model)
        return;
    TAssetDevice &device = AssetDevice();
    device.SetColor(1, 1, 1, 1);
    device.PushTransform(UnitMatrix(Position, BodyAngles()));

    const TWeapon *selected = SelectedWeapon >= 0 && SelectedWeapon < WeaponSlots
                                  ? Weapons[std::size_t(SelectedWeapon)].get()
                                  : nullptr;
    const bool shield = selected && selected->ShieldLook;
    const bool shader = ShaderSeam && ShaderSeam->Use(shield ? ShieldShaderProgram : PlayerShaderProgram);

    const int body = BodySkins[std::size_t(BodySkin(Health, MaxHealth))];
    if (body >= 0 && TextureLib) {
        TextureLib->Bind(body);
        Model->Draw(false);
    } else {
        Model->Draw(true);
    }

    const int controls = ControlSurfacesDamaged(Health, MaxHealth) ? ControlSkinDamaged : ControlSkin;
    const float pitch = Craft.Angles.x + 90;
    DrawPart(AirBrakeModel, AirBrakePhase, controls);
    DrawPart(EngineModel, NozzlePhase, -1);
    DrawPart(ElevatorModel, std::fabs(Bank) / 120 / 5 * 4 + 0.5f - pitch / 120 / 5, controls);
    DrawPart(AileronModel, 0.5f - Bank / 120, controls);
    DrawPart(RudderModel, 0.5f, controls);
    DrawPart(FrontModel, 0, controls);
    DrawPart(GunModel, GunPhase, -1);

    if (shader)
        ShaderSeam->Stop();
    device.PopTransform();
}

// ---- State messages -----------------------------------------------------------------------------

void TGamer::DescribeState(TStateIO &io)
{
    // The head carries the pitch and heading in Rotation and the bank as its roll.
    if (!io.Head(*this, ClassGamer))
        return;
    io.Target(CurrentTarget, Flying);
    io.Float(Craft.Speed);
    io.SmallInt(SelectedWeapon, 0, 2);
    io.Byte(OnRadar);
    io.Byte(Targetable);
    io.SmallInt(LandingStage, 0, 2);
    if (!io.Reading())
        return;
    Target = CurrentTarget;
    Craft.Position = Position;
    Craft.Angles.x = Rotation.x;
    Craft.Angles.y = Rotation.y;
    Bank = Rotation.z;
    OrderData = Craft.Speed;
    ContrailValid = false;
}

// ---- The one aircraft ---------------------------------------------------------------------------

TGamer *CreatePlayerAircraft()
{
    if (TheGamer)
        return TheGamer;
    LogWrite("Create gamer");
    TheGamer = new TGamer();
    PlayerAircraft = TheGamer;
    ScriptBindings.PlayerHealth = &TheGamer->Health;
    return TheGamer;
}

TGamer *PlayerGamer() { return dynamic_cast<TGamer *>(PlayerAircraft); }

float TerrainHeight(const TObjectsControl *objects, float x, float y)
{
    float height = 0;   // the sea
    if (!objects)
        return height;
    std::vector<std::uint32_t> near;
    for (const TGameObject *object : objects->Objects) {
        if (!object || object->Category != TObjectCategory::Island || !(object->Health > 0))
            continue;
        const std::span<const TWorldTriangle> triangles = object->WorldTriangles();
        near.clear();
        const bool indexed = object->TrianglesNear(VectorSet3(x, y, 0), near);
        auto consider = [&](const TWorldTriangle &t) {
            float z = 0;
            if (HeightOver(t, x, y, z))
                height = std::max(height, z);
        };
        if (indexed) {
            for (std::uint32_t i : near)
                if (i < triangles.size())
                    consider(triangles[i]);
        } else {
            for (const TWorldTriangle &t : triangles)
                consider(t);
        }
    }
    return height;
}

std::string AutopilotNotice() { return Translate("AUTOPILOT", 3); }
