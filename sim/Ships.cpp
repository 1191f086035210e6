#include "sim/Ships.h"

#include "assets/Model.h"
#include "core/Random.h"
#include "sim/Templates.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// Ships, submarines and the torpedo all turn at pi/16 radians per second.
constexpr float ShipTurnRate = std::numbers::pi_v<float> / 16;
constexpr float Acceleration = 50;     // speed gained or lost per second
constexpr float MoveToDistance = 100;  // Order 1 turns broadside only this near
constexpr int   WakeInterval = 201;    // ms between two stirs of the sea
constexpr float WakeStrength = 2000;
constexpr float WakeDepth = -10;       // a hull deeper than this leaves no wake on the surface

// The wake sizes of the ships the table leaves open, scaled to their hulls.
constexpr float DestroyerWake = 50, BattleShipWake = 100, BoatWake = 25, TransportWake = 75, SubmarineWake = 50,
                SuperSubmarineWake = 75, TorpedoWake = 10;

// A side's paint: "Data\Models\Ships\Destroyer\Main_1.otm".
std::string SidePath(const std::string &folder, const char *kind, int side)
{
    return "Data\\Models\\Ships\\" + folder + "\\" + kind + std::to_string(side) + ".otm";
}

// Plays the effect from its start again, once.
void Restart(TEmitter *emitter)
{
    if (!emitter)
        return;
    emitter->Age = 0;
    emitter->TimeIndex = 0;
    std::fill(emitter->Accumulators.begin(), emitter->Accumulators.end(), 0.0f);
}

// The world corners of Target's bounding box, as the projection pass works them out.
void BoxCorners(const TGameObject &target, TVector3 corners[8])
{
    const TMatrix4 m = ObjectMatrix(target);
    for (int k = 0; k < 8; ++k)
        corners[k] = MatrixTransformPoint(target.Model->Bounds[std::size_t(k)], m);
}

// Where a missile aims: the middle of the target's box, or its position without a model.
TVector3 AimPoint(const TGameObject &target)
{
    if (!target.Model)
        return target.Position;
    return MatrixTransformPoint(target.Model->Center, ObjectMatrix(target));
}

} // namespace

bool TargetContains(const TGameObject &target, const TVector3 &point)
{
    if (target.Dead != 0 || !target.Model || target.Targetable != 1)
        return false;
    // The six faces by corner numbers; each face's normal points into the box.
    static constexpr int faces[6][3] = {{0, 1, 5}, {1, 2, 6}, {2, 3, 7}, {3, 0, 4}, {4, 5, 6}, {0, 3, 2}};
    TVector3 c[8];
    BoxCorners(target, c);
    for (const auto &face : faces) {
        const TVector3 n = TriangleNormal(c[face[0]], c[face[1]], c[face[2]]);
        if (!(PlaneSide(n, c[face[0]], point) < 0))
            return false;
    }
    return true;
}

// ---- TShip --------------------------------------------------------------------------------------

TShip::TShip(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles, const std::string &modelPath,
             const std::string &deadModelPath, float wakeScale)
    : TUnit(objects, {.Position = position,
                      .Rotation = angles,
                      // The script gives the real health, side and flags; until then a ship is a live
                      // target.
                      .Health = 1000,
                      .MaxHealth = 1000,
                      .OnRadar = 1,
                      .Targetable = 1,
                      .IsGround = 1}),
      WakeScale(wakeScale)
{
    Model = LoadUnitModel(modelPath);
    DeadAnimation = std::make_unique<TDeadAnimation>(deadModelPath, &Objects);
    if (Model)
        for (int i = 0; i < 5; ++i)
            WaterPoints[i] = Model->FindPoint("Water_" + std::to_string(i + 1));
}

TShip::~TShip() = default;

TGun *TShip::AddTurret(const char *point, const TTurretConfig &config, bool missile, bool sent)
{
    TMount mount;
    mount.Point = Model ? Model->FindPoint(point) : -1;
    if (mount.Point >= 0) {
        const TVector4 at = PointWorld(mount.Point);
        if (missile)
            mount.Gun = std::make_unique<TGunMissile>(Objects, at, this, Side, config);
        else
            mount.Gun = std::make_unique<TGun>(Objects, at, this, Side, config);
    }
    TGun *gun = mount.Gun.get();
    (sent ? Mounts : Unsent).push_back(std::move(mount));
    return gun;
}

bool TShip::StepDeath(int dt)
{
    if (Health > 0)
        return false;
    Health = 0;
    OnRadar = 0;
    WeaponEnabled = 0;
    Target = nullptr;
    // Started once, when the ship is first seen destroyed (a client may have been told the clock).
    if (!DeadAnimation->Started)
        DeadAnimation->Start();
    DeadAnimation->Angles = Rotation;
    if (DeadAnimation->Update(dt, Position))
        Dead = 1;
    return true;
}

void TShip::Steer(float seconds, float headingOffset)
{
    TAITurnLimits limits;
    limits[0] = ShipTurnRate * seconds;
    TAIAngles angles;
    angles[0] = (Rotation.y + headingOffset) * Degrees;
    TAIControl control;
    AI.Steer(Position, Target->Position, control, angles, limits);
    Rotation.y -= control.Turn() / Degrees;
}

void TShip::Move(float seconds, float maxSpeed)
{
    OrderData = std::clamp(OrderData, 0.0f, maxSpeed);
    const float heading = Rotation.y * Degrees;
    Position.x += std::sin(heading) * seconds * OrderData;
    Position.y += std::cos(heading) * seconds * OrderData;
}

void TShip::Sail(float seconds, float engage, float maxSpeed)
{
    KeepTarget();
    WrapHeading();
    float distance = 0;
    if (Target) {
        distance = VectorDistance(Position, Target->Position);
        OrderData += (distance > engage ? Acceleration : -Acceleration) * seconds;
    } else {
        OrderData -= Acceleration * seconds;
    }
    if (Target && Order == 2) {
        // Escorting: sail in company. Only the heading is taken, so a ship guarding an aircraft stays
        // level on the water.
        Rotation.y = Target->Rotation.y;
        OrderData = Target->OrderData;
    } else if (Target) {
        const bool broadside = Order == 1 ? distance <= MoveToDistance : distance <= engage;
        Steer(seconds, broadside ? -90.0f : 0.0f);
    }
    Move(seconds, maxSpeed);
}

void TShip::RunTurrets(int dt)
{
    for (std::vector<TMount> *list : {&Mounts, &Unsent})
        for (TMount &mount : *list) {
            if (!mount.Gun)
                continue;
            // The turrets fight for the ship's side, whatever the script made of it since.
            mount.Gun->Side = Side;
            mount.Gun->Place(PointWorld(mount.Point));
            if (WeaponEnabled)
                mount.Gun->Update(dt);
        }
}

void TShip::Wake(int dt)
{
    WakeClock += dt;
    if (WakeClock < WakeInterval)
        return;
    WakeClock = 0;
    if (Position.z <= WakeDepth)
        return;
    for (const int point : WaterPoints)
        if (point >= 0)
            DisturbWater(PointWorld(point), WakeStrength, WakeScale);
}

void TShip::RunShip(int dt, float engage, float maxSpeed)
{
    if (Dead)
        return;
    const bool dying = StepDeath(dt);
    Sail(float(dt) / 1000.0f, engage, maxSpeed);
    RunTurrets(dt);
    if (!dying)
        Wake(dt);
}

void TShip::Draw()
{
    if (Health <= 0) {
        DeadAnimation->Draw();
        return;
    }
    DrawModel();
    for (std::vector<TMount> *list : {&Mounts, &Unsent})
        for (TMount &mount : *list)
            if (mount.Gun)
                mount.Gun->Draw();
}

bool TShip::DescribeShip(TStateIO &io, std::uint16_t code)
{
    if (!io.Head(*this, code))
        return false;
    io.UnitTail(*this, &Objects);
    for (TMount &mount : Mounts)
        DescribeMount(io, mount.Gun.get());
    return true;
}

// ---- The surface ships --------------------------------------------------------------------------

TDestroyer::TDestroyer(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles)
    : TShip(objects, position, angles, SidePath("Destroyer", "Main_", side), SidePath("Destroyer", "Dead_", side),
            DestroyerWake)
{
    Side = side;
    AddTurret("Gun_1", Turrets::DestroyerGunFront);
    AddTurret("Gun_2", Turrets::DestroyerGunFront);
    AddTurret("Gun_3", Turrets::DestroyerGunRear);
    AddTurret("MachineGun_1", Turrets::MachineGunLeft);
    AddTurret("MachineGun_2", Turrets::MachineGunRight);
}

void TDestroyer::Update(int dt) { RunShip(dt, Engage, MaxSpeed); }
void TDestroyer::DescribeState(TStateIO &io) { DescribeShip(io, ClassDestroyer); }

TBoat::TBoat(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles)
    : TShip(objects, position, angles, SidePath("Boat", "Main_", side), SidePath("Boat", "Dead_", side), BoatWake)
{
    Side = side;
    AddTurret("MachineGun_1", Turrets::MachineGunLeft);
}

void TBoat::Update(int dt) { RunShip(dt, Engage, MaxSpeed); }
void TBoat::DescribeState(TStateIO &io) { DescribeShip(io, ClassBoat); }

TBattleShip::TBattleShip(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles)
    : TShip(objects, position, angles, SidePath("BattleShip", "Main_", side), SidePath("BattleShip", "Dead_", side),
            BattleShipWake)
{
    Side = side;
    AddTurret("MiniGun_1", Turrets::BattleShipLightLeft);
    AddTurret("MiniGun_2", Turrets::BattleShipLightRight);
    AddTurret("MiniGun_3", Turrets::BattleShipLightRight);
    AddTurret("MiniGun_4", Turrets::BattleShipLightLeft);
    static const char *const heavy[4] = {"Gun_1", "Gun_2", "Gun_3", "Gun_4"};
    for (int i = 0; i < 4; ++i)
        // Each heavy turret gets its own reload, so the broadsides do not fall together.
        if (TGun *gun = AddTurret(heavy[i], i < 2 ? Turrets::BattleShipHeavyFront : Turrets::BattleShipHeavyRear))
            gun->ReloadTime = 4000 + Random(2000);
    AddTurret("MachineGun_1", Turrets::BattleShipMachineGunFront);
    AddTurret("MachineGun_2", Turrets::BattleShipMachineGunRear);
    AddTurret("Gun_5", Turrets::BattleShipLauncher, true, false);
}

void TBattleShip::Update(int dt) { RunShip(dt, Engage, MaxSpeed); }
void TBattleShip::DescribeState(TStateIO &io) { DescribeShip(io, ClassBattleShip); }

TTransport::TTransport(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles,
                       const std::string &type)
    : TShip(objects, position, angles, SidePath(type, "Main_", side), SidePath(type, "Dead_", side), TransportWake),
      Type(type)
{
    Side = side;
}

void TTransport::Update(int dt) { RunShip(dt, Engage, MaxSpeed); }
void TTransport::DescribeState(TStateIO &io) { DescribeShip(io, ClassTransport); }

// ---- Submarines ---------------------------------------------------------------------------------

TSubmarine::TSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TSubmarine(objects, position, angles, "Submarine", ClassSubmarine)
{
}

TSubmarine::TSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles,
                       const std::string &folder, std::uint16_t code)
    : TShip(objects, position, angles, "Data\\Models\\Ships\\" + folder + "\\Main.otm",
            "Data\\Models\\Ships\\" + folder + "\\Dead.otm", SubmarineWake),
      Code(code)
{
    if (Model) {
        MissilePoints[0] = Model->FindPoint("Missile_1");
        MissilePoints[1] = Model->FindPoint("Missile_2");
    }
    LaunchEmitter = MakeEmitter<TEmitter>("Data\\Effects\\Missile_Start.dps", 1.0f);
    if (LaunchEmitter) {
        // Quiet until the first launch restarts it.
        LaunchEmitter->PlayOnce = true;
        LaunchEmitter->Age = LaunchEmitter->Params->Duration;
        LaunchEmitter->TimeIndex = SampleCount - 1;
    }
}

TSuperSubmarine::TSuperSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TSubmarine(objects, position, angles, "SuperSubmarine", ClassSuperSubmarine)
{
    EngageDistance = 24000;
    SearchRange = 25000;
    LaunchInterval = 15000;
    WakeScale = SuperSubmarineWake;
}

void TSubmarine::Update(int dt)
{
    if (Dead)
        return;
    const bool dying = StepDeath(dt);
    const float seconds = float(dt) / 1000.0f;
    Sail(seconds, EngageDistance, MaxSpeed);
    // Held at the interval once reached, so a long wait under water cannot overflow it.
    LaunchClock = std::min(LaunchClock + dt, LaunchInterval);
    if (!dying) {
        Cycle(seconds, dt);
        Wake(dt);
    }
    if (LaunchEmitter)
        LaunchEmitter->Update(dt, PointWorld(MissilePoints[LaunchPoint & 1]), false);
}

void TSubmarine::Cycle(float seconds, int)
{
    // Only ships wake it: aircraft, the player's included, pass over unnoticed.
    TGameObject *enemy = Objects.FindNearestTarget(false, true, Side, Position, SearchRange);
    if (!enemy)
        Position.z = std::max(Position.z - DiveRate * seconds, DiveDepth);
    else if (Position.z < 0)
        Position.z = std::min(Position.z + DiveRate * seconds, 0.0f);
    if (enemy && Position.z >= 0 && WeaponEnabled && LaunchClock >= LaunchInterval)
        Launch(enemy);

    if (Position.z < HideDepth) {
        Hidden = 1;
        OnRadar = 0;
        Targetable = 0;
    } else if (Hidden && Position.z > HideDepth) {
        Hidden = 0;
        OnRadar = 1;
        Targetable = 1;
        // The player hears it come up wherever it is.
        if (PlayerAircraft)
            PlaySoundAt("Data\\Sounds\\submarine.wav", PlayerAircraft->Position, 100, 400);
    }
}

void TSubmarine::Launch(TGameObject *enemy)
{
    LaunchClock = 0;
    // A client's missiles come from its server's messages.
    if (IsNetworkClient())
        return;
    LaunchPoint = std::uint8_t(Random(2));
    // A hull without the launch point fires from its middle.
    const TVector4 at = PointWorld(MissilePoints[LaunchPoint]);
    Objects.Add(new TBallisticMissile(Objects, at, enemy, Side));
    Restart(LaunchEmitter.get());
}

void TSubmarine::DescribeState(TStateIO &io)
{
    if (!DescribeShip(io, Code))
        return;
    io.Int(LaunchClock);
    io.Byte(Hidden);
    io.Flag(LaunchPoint);
}

// ---- Torpedo ------------------------------------------------------------------------------------

TTorpedo::TTorpedo(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TShip(objects, position, angles, "Data\\Models\\Ships\\Torpedo\\Main.otm",
            "Data\\Models\\Ships\\Torpedo\\Dead.otm", TorpedoWake)
{
}

void TTorpedo::Update(int dt)
{
    if (Dead)
        return;
    const bool dying = StepDeath(dt);
    const float seconds = float(dt) / 1000.0f;
    KeepTarget();
    WrapHeading();
    OrderData += (Target && Order == 0 ? Acceleration : -Acceleration) * seconds;
    if (Target)
        Steer(seconds, 0);
    Move(seconds, MaxSpeed);
    if (dying)
        return;
    // It strikes only the ship it runs at; whatever else it passes through is left alone.
    if (Target && TargetContains(*Target, Position)) {
        SetHealth(0);
        OrderData = 0;
        Damage(Target, HitDamage);
    }
    Wake(dt);
}

void TTorpedo::DescribeState(TStateIO &io)
{
    if (!DescribeShip(io, ClassTorpedo))
        return;
    int clock = DeadAnimation->Clock;
    io.Int(clock);
    if (io.Reading()) {
        // A torpedo the client sees sinking picks up the server's clock.
        if (clock > 0 && !DeadAnimation->Started)
            DeadAnimation->Start();
        DeadAnimation->Clock = clock;
    }
}

// ---- Ballistic missile --------------------------------------------------------------------------

TBallisticMissile::TBallisticMissile(TObjectsControl &objects, const TVector3 &position, TGameObject *target, int side)
    : TUnit(objects, {.Position = position,
                      .Side = side,
                      .Health = 150,
                      .MaxHealth = 150,
                      .OnRadar = 1,
                      .Targetable = 1,
                      .IsGround = 0,   // in the air: guns that fire at aircraft can shoot it down
                      .Category = TObjectCategory::Missile})
{
    Target = target;
    Model = LoadUnitModel("Data\\Models\\Misc\\Sub_Missile.otm");
    Velocity = VectorSet3(0, 0, Speed);
    FaceVelocity();
    Trail = MakeEmitter<TManualEmitter>("Data\\Effects\\Missile_Smoke.dps", 1.0f);
    Explosion = MakeEmitter<TEmitter>("Data\\Effects\\Explosion 2.dps", 2.0f);
    if (Explosion)
        Explosion->PlayOnce = true;
}

void TBallisticMissile::FaceVelocity()
{
    const float ground = std::sqrt(Velocity.x * Velocity.x + Velocity.y * Velocity.y);
    if (ground > 0)
        Rotation.y = std::atan2(Velocity.x, Velocity.y) / Degrees;
    // The unit transform lowers the nose for a positive pitch.
    Rotation.x = -std::atan2(Velocity.z, ground) / Degrees;
}

void TBallisticMissile::End()
{
    EndClock = 0;
    OnRadar = 0;
    Targetable = 0;   // nothing left to shoot at
}

void TBallisticMissile::Update(int dt)
{
    if (Dead)
        return;
    if (EndClock >= 0) {
        EndClock += dt;
        if (Explosion)
            Explosion->Update(dt, Position, false);
        if (Trail)
            Trail->Update(dt, Position, true, 1.0f, Position);
        if (EndClock >= EndTime)
            Dead = 1;
        return;
    }

    Age += dt;
    if (Health <= 0 || !KeepTarget()) {
        End();
        return;
    }
    const float seconds = float(dt) / 1000.0f;
    const TVector3 from = Position;
    Position.x += Velocity.x * seconds;
    Position.y += Velocity.y * seconds;
    Position.z += Velocity.z * seconds;
    static constexpr float smoke[4] = {0.4f, 1, 1, 1};
    AddTracer(from, Position, "Data\\Textures\\Trasser_White.png", 4, 800, smoke);
    if (Trail)
        Trail->Update(dt, VectorSet4(from.x, from.y, from.z, 0), false, 1.0f, Position);

    if (Age > ClimbTime) {
        // The pull towards the target grows with the time in flight; the speed stays.
        const TVector3 towards = VectorNormalizeSafe(VectorSubtract(AimPoint(*Target), TVector3(Position)));
        const float pull = VectorLength(Velocity) / 4 * seconds * float(Age) / 1000.0f;
        const TVector3 v = VectorSet3(Velocity.x + towards.x * pull, Velocity.y + towards.y * pull,
                                      Velocity.z + towards.z * pull);
        Velocity = VectorScale(VectorNormalizeSafe(v), Speed);
        FaceVelocity();
    }

    if (TargetContains(*Target, Position)) {
        Damage(Target, DamageValue);
        End();
    }
}

void TBallisticMissile::Draw()
{
    if (EndClock < 0)
        DrawModel();
}

void TBallisticMissile::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassBallisticMissile))
        return;
    io.UnitTail(*this, &Objects);
    io.Vector3(Velocity);
    io.Int(Age);
    io.Int(EndClock);
    io.Float(DamageValue);
}
