#include "sim/Units.h"

#include "assets/AssetDevice.h"
#include "assets/Model.h"
#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "sim/Cameras.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"
#include "sound/SoundLib.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

constexpr int DeadModelTime = 5000;     // ms the wreck model is shown and falls or sinks
constexpr int DeadFinishTime = 10000;   // ms until the smoke and fire are done
constexpr int LateBlastTime = 4500;     // ms: a wreck still in the air blows up here
constexpr float SplashHeight = 5;       // below this the "Hit" point is in the water

bool At(const std::string &name, std::size_t position, const char *word)
{
    // Position is 1-based, as the names are read by character position.
    const std::string_view w(word);
    return name.size() >= position - 1 + w.size() && name.compare(position - 1, w.size(), w) == 0;
}

} // namespace

// ---- Services -----------------------------------------------------------------------------------

TPlayerStatistics  PlayerStatistics;
TPlayerStatistics *MissionStatistics = &PlayerStatistics;

void CountPlayerKill(const TGameObject &victim)
{
    const TTargetClass kind = const_cast<TGameObject &>(victim).TargetClass();
    if (kind == TTargetClass::Aircraft)
        ++MissionStatistics->AircraftKills;
    else if (kind == TTargetClass::Ship)
        ++MissionStatistics->ShipKills;
}

bool IsNetworkClient() { return NetworkGame && !NetworkHost; }

void PlaySoundAt(const std::string &gamePath, const TVector3 &position, float minDistance, float maxDistance)
{
    if (!SoundLib || gamePath.empty() || !DataFileExists(AppDir + gamePath))
        return;
    SoundLib->Play3D(SoundLib->LoadSample(AppDir + gamePath, false), position, minDistance, maxDistance,
                     Config ? Config->SoundVolume : 100);
}

void AddTracer(const TVector3 &start, const TVector3 &finish, const std::string &texture, float width, int life,
               const float color[4])
{
    static constexpr float white[4] = {1, 1, 1, 1};
    if (Billboards)
        Billboards->Add(start, finish, color ? color : white, true, false, SharedTexture(texture), width, life);
}

void DisturbWater(const TVector3 &at, float strength, float size)
{
    if (WaterSeam)
        WaterSeam->Disturb(at, strength, size);
}

TModel *LoadUnitModel(const std::string &gamePath)
{
    if (!ModelLib)
        return nullptr;
    if (!DataFileExists(AppDir + gamePath)) {
        // A modder's data may lack a model: the unit goes without it, and the log says which.
        LogWrite("File not found: \"" + AppDir + gamePath + "\"");
        return nullptr;
    }
    return ModelLib->Load(AppDir + gamePath);
}

TMatrix4 UnitMatrix(const TVector4 &position, const TVector4 &angles)
{
    // The same placement as the bounding boxes and collision use, with the roll added.
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, position);
    MatrixRotateZ(m, -angles.y * Degrees);
    MatrixRotateX(m, -angles.x * Degrees);
    MatrixRotateY(m, angles.z * Degrees);
    return m;
}

// ---- TUnit --------------------------------------------------------------------------------------

TUnit::TUnit(TObjectsControl &objects, TObjectStamp stamp) : Objects(objects)
{
    stamp.IdFrom = &objects;
    StampObject(*this, stamp);
}

bool TUnit::KeepTarget()
{
    if (Target && !Objects.Contains(Target))
        Target = nullptr;
    return Target != nullptr;
}

void TUnit::WrapHeading()
{
    if (Rotation.y < -180)
        Rotation.y += 360;
    if (Rotation.y >= 180)
        Rotation.y -= 360;
}

void TUnit::Damage(TGameObject *victim, float amount)
{
    // A client leaves damage to its server, which sends the result back.
    if (victim && !IsNetworkClient())
        victim->SetHealth(victim->Health - (victim->Piloted ? DamageToPlayer(amount) : amount));
}

namespace {

int Difficulty() { return Config ? std::clamp(Config->Difficulty, 0, 2) : 1; }

} // namespace

float DamageToPlayer(float amount)
{
    switch (Difficulty()) {
    case 0: return amount * EasyDamage;
    case 2: return amount * HardDamage;
    default: return amount;
    }
}

bool HitRollAgainst(const TGameObject *target, bool hit)
{
    if (!target || !target->Piloted)
        return hit;
    switch (Difficulty()) {
    case 0: return hit && Random(3) != 0;
    case 2: return hit || Random(10) == 0;
    default: return hit;
    }
}

TVector4 TUnit::PointWorld(int index) const
{
    if (!Model || index < 0)
        return Position;
    const TVector3 p = MatrixTransformPoint(Model->GetPoint(index), UnitMatrix(Position, Rotation));
    return VectorSet4(p.x, p.y, p.z, 0);
}

void TUnit::DrawModel(float alpha) const
{
    if (!Model || alpha <= 0)
        return;
    TAssetDevice &device = AssetDevice();
    device.SetColor(1, 1, 1, alpha);
    device.PushTransform(UnitMatrix(Position, Rotation));
    Model->DrawLOD(Position, true);
    device.PopTransform();
    device.SetColor(1, 1, 1, 1);
}

float TUnit::Fade() const { return DistanceFade(VectorDistance(Position, EyePosition)); }

// ---- The death sequence -------------------------------------------------------------------------

bool TDeadAnimation::EntryFor(const std::string &name, bool item, std::string &effect, float &scale, std::string &sound)
{
    sound.clear();
    if (At(name, 1, "Smoke") || At(name, 1, "Fire")) {
        // Fire reads the same as smoke one character earlier.
        const bool smoke = At(name, 1, "Smoke");
        const std::size_t shift = smoke ? 0 : 1;
        if (At(name, 7 - shift, "Very"))
            scale = At(name, 11 - shift, "Small") ? 0.25f : 4.0f;
        else if (At(name, 6 - shift, "Small"))
            scale = 0.5f;
        else if (At(name, 6 - shift, "Large"))
            scale = 2.0f;
        else
            scale = 1.0f;
        effect = smoke ? (item ? "Data\\Effects\\Smoke Fall.dps" : "Data\\Effects\\Simple Black Smoke.dps")
                       : (item ? "Data\\Effects\\Fire Fall.dps" : "Data\\Effects\\Smoke Fire.dps");
        return true;
    }
    if (At(name, 1, "Explosion")) {
        if (At(name, 11, "Very")) {
            const bool small = At(name, 15, "Small");
            scale = small ? 0.25f : 4.0f;
            sound = small ? "Data\\Sounds\\Explosion_Small.WAV" : "Data\\Sounds\\Explosion_Large.WAV";
        } else {
            scale = At(name, 10, "Small") ? 0.5f : At(name, 10, "Large") ? 2.0f : (item ? 1.5f : 1.0f);
            sound = "Data\\Sounds\\Explosion_Middle.WAV";
        }
        effect = "Data\\Effects\\Explosion 2.dps";
        return true;
    }
    return false;
}

TDeadAnimation::TDeadAnimation(const std::string &deadModelPath, TObjectsControl *objects) : Objects(objects)
{
    Model = LoadUnitModel(deadModelPath);
    if (Model) {
        HitIndex = Model->FindPoint("Hit");
        std::string effect, sound;
        float scale = 1;
        for (int i = 0; i < Model->GetPointCount(); ++i)
            if (EntryFor(Model->GetPointName(i), false, effect, scale, sound)) {
                TEntry entry;
                entry.Emitter = MakeEmitter<TEmitter>(effect, scale);
                entry.Index = i;
                entry.Scale = scale;
                entry.Sound = sound;
                entry.Shake = sound.empty() ? 0 : 20 * scale;   // the bigger the blast, the harder
                Points.push_back(std::move(entry));
            }
        for (int i = 0; i < Model->GetMeshCount(); ++i)
            if (EntryFor(Model->GetMeshName(i), true, effect, scale, sound)) {
                TEntry entry;
                entry.Emitter = MakeEmitter<TEmitter>(effect, scale);
                entry.Index = i;
                entry.Scale = scale;
                Items.push_back(std::move(entry));
            }
    }
    Explosion = MakeEmitter<TEmitter>("Data\\Effects\\Explosion 2.dps", 6.0f);
    if (Explosion)
        Explosion->PlayOnce = true;
}

TDeadAnimation::~TDeadAnimation() = default;

namespace {

void Restart(TEmitter *emitter)
{
    if (!emitter)
        return;
    emitter->Age = 0;
    emitter->TimeIndex = 0;
    std::fill(emitter->Accumulators.begin(), emitter->Accumulators.end(), 0.0f);
}

} // namespace

void TDeadAnimation::Start()
{
    Clock = 0;
    Active = true;
    Exploded = false;
    Started = true;
    BlastFired = false;
    for (TEntry &entry : Points) {
        Restart(entry.Emitter.get());
        entry.Played = false;
    }
    for (TEntry &entry : Items)
        Restart(entry.Emitter.get());
    Restart(Explosion.get());
}

void TDeadAnimation::Blast(const TVector4 &at)
{
    BlastFired = true;
    BlastPosition = at;
    Restart(Explosion.get());
    HitIndex = -1;
}

bool TDeadAnimation::Update(int dt, const TVector4 &position)
{
    if (!Started)
        Start();
    Clock += dt;
    const float phase = std::min(float(Clock) / DeadModelTime, 1.0f);
    if (Clock < DeadModelTime)
        Position = position;
    const TMatrix4 m = UnitMatrix(Position, Angles);

    for (TEntry &entry : Points) {
        const TVector3 p = Model ? MatrixTransformPoint(Model->GetPoint(entry.Index), m) : TVector3(Position);
        entry.Position = VectorSet4(p.x, p.y, p.z, 0);
        if (!entry.Played && !entry.Sound.empty()) {
            entry.Played = true;
            PlaySoundAt(entry.Sound, entry.Position, 500, 2000);
            ShakeNear(entry.Position, entry.Shake);
        }
        if (entry.Emitter)
            entry.Emitter->Update(dt, entry.Position, false);
    }
    for (TEntry &entry : Items) {
        TVector3 p = Position;
        if (Model) {
            Model->GetMeshPosition(entry.Index, p, phase);
            p = MatrixTransformPoint(p, m);
        }
        entry.Position = VectorSet4(p.x, p.y, p.z, 0);
        if (entry.Emitter)
            entry.Emitter->Update(dt, entry.Position, false);
    }

    if (Model && HitIndex >= 0 && Clock < DeadModelTime) {
        const TVector3 hit = MatrixTransformPoint(Model->GetPoint(HitIndex), m);
        const TVector4 hit4 = VectorSet4(hit.x, hit.y, hit.z, 0);
        if (hit.z >= SplashHeight) {
            // The falling wreck blows up on whatever it strikes.
            TCollisionData data;
            data.Centre = hit4;
            data.Radius = Model->Radius;
            data.Points.push_back({hit4});
            data.PointCount = 1;
            if (Objects && Objects->Collide(data, false)) {
                Blast(hit4);
                Exploded = true;
                Active = false;
            }
        } else {
            // Into the sea: a fountain and rings on the water instead of a blast.
            AddTracer(VectorSet3(hit.x, hit.y, 0), VectorSet3(hit.x, hit.y, 100), "Data\\Textures\\fountain.png", 50,
                      1000);
            DisturbWater(hit, 1000, 200);
            HitIndex = -1;
        }
    }
    if (Model && HitIndex >= 0 && Clock >= LateBlastTime) {
        const TVector3 hit = MatrixTransformPoint(Model->GetPoint(HitIndex), m);
        Blast(VectorSet4(hit.x, hit.y, hit.z, 0));
    }
    if (BlastFired && Explosion)
        Explosion->Update(dt, BlastPosition, false);
    return Clock > DeadFinishTime;
}

void TDeadAnimation::Draw() const
{
    if (!Active || Clock >= DeadModelTime || !Model)
        return;
    TAssetDevice &device = AssetDevice();
    device.PushTransform(UnitMatrix(Position, Angles));
    Model->DrawAt(float(Clock) / DeadModelTime);
    device.PopTransform();
}

// ---- Turrets ------------------------------------------------------------------------------------

namespace Turrets {
// Model, sound, air, surface, turn rate, damage, reload, hit divisor, range factor, range, burst,
// burst pause, yaw min, yaw max, yaw start, pitch max, health.
const TTurretConfig DestroyerGunFront{"Data\\Models\\Guns\\Gun.otm", "Data\\Sounds\\Gun.wav", false, true, 10, 100,
                                      1000, 1, 0, 1000, 0, 0, -90, 90, 0, 45};
const TTurretConfig DestroyerGunRear{"Data\\Models\\Guns\\Gun.otm", "Data\\Sounds\\Gun.wav", false, true, 10, 100,
                                     1000, 1, 0, 1000, 0, 0, 90, 270, 180, 45};
const TTurretConfig MachineGunLeft{"Data\\Models\\Guns\\MachineGun.otm", "Data\\Sounds\\MachineGun.wav", true, true,
                                   180, 20, 200, 8, 10, 2000, 3, 2000, -180, 0, -90, 85};
const TTurretConfig MachineGunRight{"Data\\Models\\Guns\\MachineGun.otm", "Data\\Sounds\\MachineGun.wav", true, true,
                                    180, 20, 200, 8, 10, 2000, 3, 2000, 0, 180, 90, 85};
const TTurretConfig BattleShipHeavyFront{"Data\\Models\\Guns\\BSBigGun.otm", "Data\\Sounds\\Gun.wav", false, true, 10,
                                         200, 4000, 1, 0, 2500, 0, 0, -90, 90, 0, 45};
const TTurretConfig BattleShipHeavyRear{"Data\\Models\\Guns\\BSBigGun.otm", "Data\\Sounds\\Gun.wav", false, true, 10,
                                        200, 4000, 1, 0, 2500, 0, 0, 90, 270, 180, 45};
const TTurretConfig BattleShipLightLeft{"Data\\Models\\Guns\\BSGun.otm", "Data\\Sounds\\Gun.wav", false, true, 10, 100,
                                        1000, 1, 0, 2500, 0, 0, -180, 0, -90, 45};
const TTurretConfig BattleShipLightRight{"Data\\Models\\Guns\\BSGun.otm", "Data\\Sounds\\Gun.wav", false, true, 10,
                                         100, 1000, 1, 0, 2500, 0, 0, 0, 180, 90, 45};
const TTurretConfig BattleShipMachineGunFront{"Data\\Models\\Guns\\BSMachineGun.otm", "Data\\Sounds\\MachineGun.wav",
                                              true, true, 180, 20, 200, 10, 10, 2000, 0, 0, -90, 90, 0, 85};
const TTurretConfig BattleShipMachineGunRear{"Data\\Models\\Guns\\BSMachineGun.otm", "Data\\Sounds\\MachineGun.wav",
                                             true, true, 180, 20, 200, 10, 10, 2000, 0, 0, 90, 270, 180, 85};
const TTurretConfig BattleShipLauncher{"Data\\Models\\Guns\\BSMissile.otm", "", true, false, 90, 100, 15000, 1, 0,
                                       2500, 0, 0, 0, 360, 0, 90};
const TTurretConfig SamLauncher{"Data\\Models\\Guns\\SamGun.otm", "", true, false, 90, 100, 5000, 1, 0, 4000, 0, 0, 0,
                                360, 0, 90, 100000};
const TTurretConfig ShilkaGun{"Data\\Models\\Guns\\ShilkaGun.otm", "Data\\Sounds\\shilka.wav", true, false, 180, 50,
                              100, 15, 0, 2500, 5, 4000, 0, 360, 0, 90, 100000};
// The carrier's guns fire like the ships' machine guns, all round.
const TTurretConfig CarrierMachineGun{"Data\\Models\\Guns\\MachineGun.otm", "Data\\Sounds\\MachineGun.wav", true, true,
                                      180, 20, 200, 8, 10, 2000, 0, 0, 0, 360, 0, 85};
} // namespace Turrets

TGun::TGun(TObjectsControl &objects, const TVector3 &position, TGameObject *owner, int side,
           const TTurretConfig &config)
    : TUnit(objects, {.Position = position,
                      .Rotation = VectorSet3(0, config.YawStart, 0),
                      .Side = side,
                      .Health = config.Health,
                      .MaxHealth = config.Health,
                      .IsGround = 1,
                      .Category = TObjectCategory::Turret})
{
    Owner = owner;
    OwnerHeading = owner ? &owner->Rotation.y : nullptr;
    Model = LoadUnitModel(config.Model);
    FireSoundPath = config.Sound;
    AttacksAir = config.AttacksAir;
    AttacksSurface = config.AttacksSurface;
    TurnRate[0] = TurnRate[1] = config.TurnRate;
    DamageValue = config.Damage;
    ReloadTime = config.ReloadTime;
    HitDivisor = config.HitDivisor;
    RangeFactor = config.RangeFactor;
    Range = config.Range;
    BurstLength = config.BurstLength;
    BurstLeft = config.BurstLength;
    BurstPause = config.BurstPause;
    YawMin = config.YawMin;
    YawMax = config.YawMax;
    YawStart = config.YawStart;
    PitchMin = 0;
    PitchMax = config.PitchMax;
    if (Model)
        for (int n = 1;; ++n) {
            const int begin = Model->FindPoint("Fire_begin_" + std::to_string(n));
            if (begin < 0)
                break;
            TMuzzle muzzle;
            muzzle.Begin = begin;
            muzzle.End = Model->FindPoint("Fire_end_" + std::to_string(n));
            muzzle.Emitter = MakeEmitter<TPointEmitter>("Data\\Effects\\MachineGun_Shoot.dps", 1.0f);
            Muzzles.push_back(std::move(muzzle));
        }
}

TGun::~TGun() = default;

float TGun::WorldYaw() const { return Rotation.y + (OwnerHeading ? *OwnerHeading : 0.0f); }

TMatrix4 TGun::TurretMatrix() const
{
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, Position);
    MatrixRotateZ(m, -(WorldYaw() + 180) * Degrees);
    MatrixRotateX(m, -Rotation.x * Degrees);
    return m;
}

void TGun::KeepInSector()
{
    float &yaw = Rotation.y;
    if (yaw > 360)
        yaw -= 360;
    if (yaw < -360)
        yaw += 360;
    // Bring the yaw into the turn that starts at the sector's low edge, so a turret that swings
    // through its zero stays on the same side; then out of the sector it stops at the nearer edge.
    if (YawMax - YawMin >= 360) {
        yaw = YawMin + std::fmod(std::fmod(yaw - YawMin, 360.0f) + 360.0f, 360.0f);
    } else {
        float y = YawMin + std::fmod(std::fmod(yaw - YawMin, 360.0f) + 360.0f, 360.0f);
        if (y > YawMax)
            y = (y - YawMax) <= (YawMin + 360 - y) ? YawMax : YawMin;
        yaw = y;
    }
    Rotation.x = std::clamp(Rotation.x, PitchMin, PitchMax);
}

void TGun::Update(int dt)
{
    const float seconds = float(dt) / 1000.0f;
    Target = Objects.FindNearestTarget(AttacksAir, AttacksSurface, Side, Position, Range);

    if (Target) {
        TAITurnLimits limits;
        limits[0] = TurnRate[0] * seconds * Degrees;
        limits[1] = TurnRate[1] * seconds * Degrees;
        TAIAngles angles;
        angles[0] = WorldYaw() * Degrees;
        angles[1] = Rotation.x * Degrees;
        TAIControl control;
        AI.Steer(Position, Target->Position, control, angles, limits);
        Rotation.y += control.Turn() / Degrees;
        // The barrel follows the angle up to the target at the turret's own rate.
        const float dx = Target->Position.x - Position.x, dy = Target->Position.y - Position.y;
        const float wanted = std::atan2(Target->Position.z - Position.z, std::sqrt(dx * dx + dy * dy)) / Degrees;
        const float step = TurnRate[1] * seconds;
        Rotation.x += std::clamp(wanted - Rotation.x, -step, step);
    } else {
        // No target: back to the resting yaw without overshooting it.
        const float step = TurnRate[0] * seconds;
        Rotation.y += std::clamp(YawStart - Rotation.y, -step, step);
    }

    PauseClock = std::max(0, PauseClock - dt);
    if (Target && AI.Aimed && ReloadClock <= 0 && PauseClock == 0) {
        ReloadClock = ReloadTime;
        BurstLeft -= 1;
        if (BurstLeft <= 0) {
            BurstLeft = BurstLength;
            PauseClock = BurstPause;
        }
        Fire();
        PlaySoundAt(FireSoundPath, Position, 100, 400);
    }
    ReloadClock -= dt;
    FlashClock -= dt;

    KeepInSector();

    const bool flash = FlashClock > 0;
    const TMatrix4 m = TurretMatrix();
    for (TMuzzle &muzzle : Muzzles) {
        if (!muzzle.Emitter)
            continue;
        const TVector3 p = Model ? MatrixTransformPoint(Model->GetPoint(muzzle.Begin), m) : TVector3(Position);
        muzzle.Emitter->Update(dt, VectorSet4(p.x, p.y, p.z, 0), !flash);
    }
}

void TGun::Fire()
{
    FlashClock = ReloadTime;
    if (!Target)
        return;
    const TVector3 aim = Target->ViewCentre;
    const float distance = VectorDistance(Position, aim);
    bool hit = Random(HitDivisor) == 0;
    if (hit) {
        const int n = distance > 0 ? int(std::lround(double(Range) / distance * RangeFactor)) : 0;
        hit = Random(n) == 0;
    }
    hit = HitRollAgainst(Target, hit);
    if (hit) {
        Damage(Target, DamageValue);
        AddTracer(Position, aim, "Data\\Textures\\Trasser.png", 0.5f, 400);
        return;
    }
    // A miss: somewhere about the target, and on past it to the end of the range.
    const int r = Target->Model ? int(Target->Model->Radius) : 0;
    const TVector3 jittered = VectorSet3(aim.x + float(Random(r)) - float(r) / 2,
                                         aim.y + float(Random(r)) - float(r) / 2,
                                         aim.z + float(Random(r)) - float(r) / 2);
    const TVector3 direction = VectorNormalizeSafe(VectorSubtract(jittered, TVector3(Position)));
    AddTracer(Position, VectorSubtract(TVector3(Position), VectorScale(direction, -Range)), "Data\\Textures\\Trasser.png",
              0.5f, 400);
}

void TGunMissile::Fire()
{
    FlashClock = ReloadTime;
    if (!Target)
        return;
    Objects.LaunchMissile(Position, VectorSet3(Rotation.x, WorldYaw(), 0), DamageValue, 0, 1000, 10, Target, Side,
                          25000, 0, false);
}

void TGun::Draw()
{
    if (!Model)
        return;
    TAssetDevice &device = AssetDevice();
    device.PushTransform(TurretMatrix());
    // The model's key frames carry the barrel from level to straight up.
    Model->DrawAt(0.5f - Rotation.x / 180.0f);
    device.PopTransform();
}

void TGun::DescribeTurret(TStateIO &io)
{
    io.Float(Rotation.y);
    io.Float(Rotation.x);
    io.Int(ReloadClock);
    io.Int(FlashClock);
    io.Int(BurstLeft);
    io.Int(PauseClock);
}

void DescribeMount(TStateIO &io, TGun *gun)
{
    if (gun)
        gun->DescribeTurret(io);
    else
        io.Blank(StateTurretSize);
}
