#include "sim/Weapons.h"

#include "assets/AssetDevice.h"
#include "assets/Model.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "script/Messanger.h"
#include "sim/AI.h"
#include "sim/Aircraft.h"
#include "sim/Cameras.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>


namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Degrees = Pi / 180.0f;

constexpr int SectionFlight = 3;   // the locale's in-flight words
constexpr int FriendlyFireTime = 5000;
const char *const FriendlyFireText = "Major, you shoot at friendly troops!";

// A gun that has not hit anything yet, or has turned to a new target, last hit "long ago".
constexpr std::int64_t NoHit = std::numeric_limits<std::int64_t>::min() / 4;

// The client's messages to its server.
constexpr std::uint8_t LaunchMessageType = 1;
constexpr std::uint16_t LaunchMessageSize = 50;
constexpr std::uint8_t DamageMessageType = 2;
constexpr std::uint16_t DamageMessageSize = 7;

// How long the dynamic camera follows what the weapons show it.
constexpr int CameraTime = 5000;
constexpr int CameraWatch = 2;          // an object from aside
constexpr int CameraRideMissile = 4;    // behind a missile

// Whether the weapon's pilot holds the fire action bound to Action (KP_PRIMARY or KP_SECONDARY).
bool FireHeld(const TWeapon &weapon, int action)
{
    if (!weapon.Pilot)
        return false;
    return weapon.Pilot->Holds(action == KP_PRIMARY ? CommandPrimary : CommandSecondary);
}

void Follow(TGameObject *object, int mode)
{
    if (DynamicCamera && object)
        DynamicCamera->Focus(object, mode, CameraTime);
}

// Where shots and projectiles aim: the middle of the target's box, or its position without a model.
TVector3 AimPoint(const TGameObject &target)
{
    if (!target.Model)
        return target.Position;
    return MatrixTransformPoint(target.Model->Center, ObjectMatrix(target));
}

TVector4 Point4(const TVector3 &p) { return VectorSet4(p.x, p.y, p.z, 0); }

// A texture of a weapon's tracer: the shared one when the templates hold it, else loaded here, but
// only where the templates loaded textures at all (a program with a window).
int WeaponTexture(const std::string &gamePath)
{
    if (const int shared = SharedTexture(gamePath))
        return shared;
    if (!TextureLib || !SharedTexture("Data\\Textures\\Trasser.png") || !DataFileExists(AppDir + gamePath))
        return 0;
    return TextureLib->Load(AppDir + gamePath, TextureLinearMipmapLinear, TextureLinear);
}

void Tracer(const TVector3 &start, const TVector3 &finish, int texture, float width, int life)
{
    static constexpr float white[4] = {1, 1, 1, 1};
    if (Billboards)
        Billboards->Add(start, finish, white, true, false, texture, width, life);
}

void Send(const TByteWriter &message)
{
    if (NetworkSeam)
        NetworkSeam->SendMessage(message.Out.data(), int(message.Size()));
}

// A client's damage reaches the server as messages of at most 65535 each (the amount is a 16-bit
// field): a larger blow goes as several, so the server takes all of it.
void SendDamage(std::uint16_t id, float amount)
{
    float left = std::round(amount);
    while (left > 0) {
        const float part = std::min(left, 65535.0f);
        TByteWriter w;
        w.Short(std::int16_t(DamageMessageSize));
        w.Byte(DamageMessageType);
        w.Short(std::int16_t(Round16(part)));
        w.Short(std::int16_t(id));
        Send(w);
        left -= part;
    }
}

void SendLaunch(const TVector3 &start, const TVector3 &direction, float damage, float launchSpeed, float topSpeed,
                float health, const TGameObject *target, int side, int lifetime)
{
    TByteWriter w;
    w.Short(std::int16_t(LaunchMessageSize));
    w.Byte(LaunchMessageType);
    for (const float f : {start.x, start.y, start.z, 0.0f, direction.x, direction.y, direction.z, 0.0f})
        w.Float(f);
    for (const float f : {damage, launchSpeed, topSpeed, health})
        w.Short(std::int16_t(Round16(f)));
    w.Short(std::int16_t(target ? target->Id : 0));
    w.Byte(std::uint8_t(std::int8_t(side)));
    w.Int(lifetime);
    Send(w);
}

// The victim loses Amount; a client only tells its server, which sends the result back.
void DealDamage(TGameObject *victim, float amount)
{
    if (IsNetworkClient())
        SendDamage(victim->Id, amount);
    else
        victim->SetHealth(victim->Health - amount);
}

// A kill by the player's weapons: the statistics and the mission's score count it by its class.
void CountKill(TGameObject &victim) { CountPlayerKill(victim); }

// The closest distance from C to the segment A-B.
float SegmentDistance(const TVector3 &c, const TVector3 &a, const TVector3 &b)
{
    const TVector3 ab = VectorSubtract(b, a), ac = VectorSubtract(c, a);
    const float length2 = VectorDot(ab, ab);
    const float t = length2 > 0 ? std::clamp(VectorDot(ac, ab) / length2, 0.0f, 1.0f) : 0.0f;
    return VectorDistance(c, VectorSet3(a.x + ab.x * t, a.y + ab.y * t, a.z + ab.z * t));
}

// Whether Object is still in the mission (without a list, any object counts).
bool Listed(const TObjectsControl *objects, const TGameObject *object)
{
    return object && (!objects || objects->Contains(object));
}

} // namespace

bool Foe(const TGameObject *owner, const TGameObject &object)
{
    const int ownSide = owner ? owner->Side : 0;
    if (object.Side != ownSide)
        return true;
    // In a network game every other pilot's aircraft is fair game, whatever its side.
    return NetworkGame && &object != owner && dynamic_cast<const TGamer *>(&object) != nullptr;
}

TVector3 LaunchAngles(const TGameObject &aircraft)
{
    return VectorSet3(aircraft.Rotation.x + 90, aircraft.Rotation.y, aircraft.Rotation.z);
}

// ---- Reload and hits ----------------------------------------------------------------------------

void ReloadTick(TWeapon &weapon, int dt)
{
    if (weapon.Ammo >= 1 || weapon.ReloadTime < 0)
        return;
    if (weapon.ReloadClock >= 1)
        weapon.ReloadClock = std::max(0, weapon.ReloadClock - dt);
    if (weapon.ReloadClock == 0) {
        weapon.ReloadClock = weapon.ReloadTime;
        weapon.Ammo = weapon.Capacity;
    }
}

void Hit(TWeapon &weapon, TGameObject *target, bool afterPause)
{
    ++MissionStatistics->Shots;
    if (!Listed(weapon.Objects, target))
        return;
    if (!Foe(weapon.Owner, *target)) {
        if (Messanger)
            Messanger->Add(Translate(FriendlyFireText, SectionFlight), true, 1, 0, 0, FriendlyFireTime);
        return;
    }
    // The first hit of a burst on an aircraft counts as a whole second of fire.
    float damage = float(weapon.Power);
    if (afterPause && target->IsGround == 0 && weapon.Interval > 0)
        damage = std::round(float(weapon.Power) * 1000.0f / float(weapon.Interval));
    const bool wasAlive = target->Health > 0;
    DealDamage(target, damage);
    ++MissionStatistics->Hits;
    if (wasAlive && target->Health <= 0)
        CountKill(*target);
}

// ---- The guns -----------------------------------------------------------------------------------

TMachineGun::TMachineGun(TObjectsControl *objects, TGameObject *owner)
    : TMachineGun(objects, owner, KP_PRIMARY, 100, 150, 300, -1, "Gun", "Data\\Textures\\Trasser.png",
                  "Data\\Effects\\MachineGun_Shoot.dps", "Data\\Sounds\\MachineGun.wav")
{
}

TMachineGun::TMachineGun(TObjectsControl *objects, TGameObject *owner, int fireKey, int interval, int power,
                         int capacity, int reloadTime, std::string caption, std::string tracer,
                         const std::string &muzzle, std::string sound)
    : TWeapon(objects, owner), FireKey(fireKey), TracerTexture(std::move(tracer)), Sound(std::move(sound)),
      LastHit(NoHit)
{
    Caption = std::move(caption);
    Interval = interval;
    Power = power;
    Capacity = Ammo = capacity;
    ReloadTime = ReloadClock = reloadTime;
    TracerHandle = WeaponTexture(TracerTexture);
    Muzzle = MakeEmitter<TLinearEmitter>(muzzle, 1.0f);
}

void TMachineGun::Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint)
{
    const bool firing = FireHeld(*this, FireKey) && Ammo >= 1;
    const std::int64_t now = GameClock;
    if (firing && now - LastShot > Interval) {
        --Ammo;
        // The next round is due one interval after this one was, so frames of 25 ms still give the
        // full rate; a gun that has rested starts its schedule afresh.
        LastShot = now - LastShot > 2 * std::int64_t(Interval) ? now : LastShot + Interval;
        PlaySoundAt(Sound, shootPoint, 100, 400);
        Tracer(shootPoint, aimPoint, TracerHandle, 0.5f, 400);

        if (target != LastTarget)
            LastHit = NoHit;
        Hit(*this, target, now - LastHit > 1000);
        LastHit = now;
        LastTarget = target;

        // The rounds that reach the water throw up a fountain.
        if (aimPoint.z < 2)
            AddTracer(VectorSet3(aimPoint.x, aimPoint.y, 0),
                      VectorSet3(aimPoint.x, aimPoint.y, 20 + float(Random(20))), "Data\\Textures\\fountain.png", 4,
                      1000);
    }

    if (Muzzle) {
        // A line emitter carries its particles along the whole line in a tenth of the effect's
        // duration: a line that long makes them drift 20 a second towards the aim point.
        const float reach = 20.0f * float(Muzzle->Params->Duration) / 10000.0f;
        const TVector3 along = VectorNormalizeSafe(VectorSubtract(aimPoint, shootPoint));
        const TVector4 from = Point4(shootPoint);
        const TVector4 to = Point4(VectorSet3(shootPoint.x + along.x * reach, shootPoint.y + along.y * reach,
                                              shootPoint.z + along.z * reach));
        Muzzle->Update(dt, from, !firing, to);
    }
}

TGaussGun::TGaussGun(TObjectsControl *objects, TGameObject *owner)
    : TMachineGun(objects, owner, KP_SECONDARY, 60, 300, 400, 25000, "Gauss Gun", "Data\\Textures\\Trasser_Gauss.png",
                  "Data\\Effects\\Gauss_Shoot.dps", "Data\\Sounds\\Gauss.wav")
{
}

// ---- The laser ----------------------------------------------------------------------------------

TLaserGun::TLaserGun(TObjectsControl *objects, TGameObject *owner)
    : TWeapon(objects, owner), BeamTexture("Data\\Textures\\Trasser_Laser.png"), Sound("Data\\Sounds\\Laser.wav")
{
    Caption = "Laser";
    Interval = 5000;
    Power = 75000;
    Capacity = Ammo = 6;
    ReloadTime = ReloadClock = 15000;
    BeamHandle = WeaponTexture(BeamTexture);
    Effect = MakeEmitter<TPointEmitter>("Data\\Effects\\Laser_Shoot.dps", 1.0f);
}

void TLaserGun::Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint)
{
    const std::int64_t now = GameClock;
    if (FireHeld(*this, KP_SECONDARY) && Ammo >= 1 && now - LastShot >= Interval) {
        --Ammo;
        LastShot = now;
        PlaySoundAt(Sound, shootPoint, 100, 400);
        Tracer(shootPoint, aimPoint, BeamHandle, 0.5f, 400);
        FlashClock = FlashTime;
        // One shot is one blow: no whole-second bonus for the first.
        Hit(*this, target, false);
    }
    if (Effect)
        Effect->Update(dt, Point4(shootPoint), FlashClock <= 0);
    FlashClock = std::max(0, FlashClock - dt);
}

// ---- The ion gun --------------------------------------------------------------------------------

TPlasmaGun::TPlasmaGun(TObjectsControl *objects, TGameObject *owner)
    : TWeapon(objects, owner), Sound("Data\\Sounds\\Plasma.wav")
{
    Caption = "Ion Gun";
    Interval = 2000;
    Power = 4500;   // handed to the plasma ball
    Capacity = Ammo = 4;
    ReloadTime = ReloadClock = 30000;
    ShieldLook = true;
}

void TPlasmaGun::Update(int, const TVector3 &shootPoint, TGameObject *, const TVector3 &)
{
    const std::int64_t now = GameClock;
    if (!Objects || !Owner || !FireHeld(*this, KP_SECONDARY) || Ammo < 1 || now - LastShot < Interval)
        return;
    --Ammo;
    LastShot = now;
    const TVector3 velocity = TPlasmaMissile::LaunchVelocity(Owner->Rotation.y, Owner->Rotation.x, Owner->OrderData);
    auto *ball = new TPlasmaMissile(*Objects, shootPoint, LaunchAngles(*Owner), velocity);
    ball->Side = Owner->Side;
    ball->DamageValue = float(Power);
    Objects->Add(ball);
    PlaySoundAt(Sound, shootPoint, 100, 400);
    Follow(ball, CameraWatch);
}

TVector3 TPlasmaMissile::LaunchVelocity(float heading, float pitch, float speed)
{
    const float h = heading * Degrees;
    const float p = (pitch + 90) * Degrees;
    const TVector3 along = VectorNormalizeSafe(VectorSet3(std::sin(h), std::cos(h), -std::sin(p)));
    return VectorScale(along, speed + 50);
}

TPlasmaMissile::TPlasmaMissile(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles,
                               const TVector3 &velocity)
    : TUnit(objects, {.Position = position,
                      .Rotation = angles,
                      .Health = 10,
                      .MaxHealth = 10,
                      .Name = "plasma",
                      .OnRadar = 1,
                      .Targetable = 0,
                      .Category = TObjectCategory::Missile}),
      Velocity(velocity)
{
    WrapHeading();
    Trail = MakeEmitter<TPointEmitter>("Data\\Effects\\Plasma.dps", 1.0f);
    Explosion = MakeEmitter<TEmitter>("Data\\Effects\\Plasma_Explosion.dps", 1.0f);
    if (Explosion)
        Explosion->PlayOnce = true;
}

void TPlasmaMissile::Update(int dt)
{
    if (Dead)
        return;
    if (Ending) {
        if (Explosion)
            Explosion->Update(dt, Position, false);
        if (Trail)
            Trail->Update(dt, Position, true);
        EndClock -= dt;
        if (EndClock <= 0)
            Dead = 1;
        return;
    }

    Age += dt;
    if (Age > Lifetime) {
        End();
        return;
    }
    const float s = float(dt) / 1000.0f;
    Target = Objects.FindNearestTarget(true, false, Side, Position, SearchRange);
    const TVector3 from = Position;
    Position.x += Velocity.x * s;
    Position.y += Velocity.y * s;
    Position.z += Velocity.z * s;
    if (Trail)
        Trail->Update(dt, Position, false);
    if (!Target)
        return;

    // It strikes when this frame's path passes close enough to the target's centre (a fast ball
    // could jump over a small target between two frames).
    const TVector3 aim = AimPoint(*Target);
    const float reach = std::max(Target->Model ? Target->Model->Radius : 0.0f, CollisionSphereRadius);
    if (SegmentDistance(aim, from, Position) < reach) {
        TGameObject *victim = Target;
        const bool wasAlive = victim->Health > 0;
        DealDamage(victim, DamageValue);
        if (wasAlive && victim->Health <= 0)
            CountKill(*victim);
        Struck = victim;
        Follow(victim, CameraWatch);
        End();
        return;
    }

    // The pull towards the target grows with the time in flight; the speed stays.
    const float speed = VectorLength(Velocity);
    const TVector3 towards = VectorNormalizeSafe(VectorSubtract(aim, TVector3(Position)));
    const float pull = 10 * speed * s * float(Age) / 1000.0f;
    const TVector3 bent = VectorSet3(Velocity.x + towards.x * pull, Velocity.y + towards.y * pull,
                                     Velocity.z + towards.z * pull);
    Velocity = VectorScale(VectorNormalizeSafe(bent), speed);
}

void TPlasmaMissile::End()
{
    Ending = true;
    EndClock = EndTime;
    OnRadar = 0;
    Target = nullptr;
}

// ---- The mega bomb ------------------------------------------------------------------------------

TMegaBombGun::TMegaBombGun(TObjectsControl *objects, TGameObject *owner) : TWeapon(objects, owner)
{
    Caption = "Mega Bomb";
    Interval = 5000;
    Power = 200000;   // handed to the bomb
    Capacity = Ammo = 2;
    ReloadTime = ReloadClock = 25000;
}

void TMegaBombGun::Update(int, const TVector3 &, TGameObject *, const TVector3 &)
{
    const std::int64_t now = GameClock;
    if (!Objects || !Owner || !FireHeld(*this, KP_SECONDARY) || Ammo < 1 || now - LastShot < Interval)
        return;
    --Ammo;
    LastShot = now;
    auto *bomb = new TNuclearBomb(*Objects, Owner->Position);
    bomb->Side = Owner->Side;
    bomb->Power = float(Power);
    Objects->Add(bomb);
    Follow(bomb, CameraWatch);
}

TNuclearBomb::TNuclearBomb(TObjectsControl &objects, const TVector3 &position)
    : TUnit(objects, {.Position = position,
                      .Health = 100,
                      .MaxHealth = 100,
                      .Name = "bomb",
                      .OnRadar = 0,
                      .Targetable = 0,
                      .Category = TObjectCategory::Missile})
{
    Model = LoadUnitModel("Data\\Models\\Misc\\Bomb.otm");
    Fireball = LoadUnitModel("Data\\Models\\Misc\\MegaBomb_Explosion.otm");
    Effect = MakeEmitter<TEmitter>("Data\\Effects\\MegaBomb_Explosion.dps", 1.0f);
}

float TNuclearBomb::BlastDamage(float distance, float power)
{
    if (distance > BlastRange)
        return 0;
    return BaseDamage + (1 - distance / BlastRange) * power;
}

float TNuclearBomb::FireballScale(int clock)
{
    // Grows from nothing to 25 in the first second, then shrinks to 17 over the next two.
    if (clock > 23000)
        return 25 * std::sqrt(std::max(0.0f, 1 - float(clock - 23000) / 1000.0f));
    return 25 - (1 - float(clock - 21000) / 2000.0f) * 8;
}

float TNuclearBomb::FireballAlpha(int clock)
{
    if (clock > 22000)
        return 1;
    return float(clock - 21000) / 1000.0f;
}

void TNuclearBomb::Update(int dt)
{
    if (Dead)
        return;
    if (Blasted) {
        // The particles rise while the fireball shows, then live out their time.
        if (Effect)
            Effect->Update(dt, Position, FireballAlpha(BlastClock) <= 0);
        BlastClock -= dt;
        if (BlastClock <= 0)
            Dead = 1;
        return;
    }

    if (Position.z >= 0) {
        Collision.Centre = Position;
        Collision.Radius = Model ? Model->Radius : 0.0f;
        Collision.Points.assign(1, TCollisionPoint{Position});
        Collision.PointCount = 1;
        Collision.HitObject = nullptr;
        if (Objects.Collide(Collision, false)) {
            Blast();
            return;
        }
    }
    Position.z -= 100 * float(dt) / 1000.0f;
    if (Position.z < 0)
        Blast();
}

void TNuclearBomb::Blast()
{
    Blasted = true;
    BlastClock = BlastTime;
    PlaySoundAt("Data\\Sounds\\Explosion_Large.WAV", Position, 1000, 10000);
    ShakeNear(Position, 150);
    // A copy of the list: a victim's reaction to its damage must not disturb the walk.
    const std::vector<TGameObject *> listed(Objects.Objects.begin(), Objects.Objects.begin() + Objects.Count);
    for (TGameObject *object : listed) {
        if (object == this || object->Dead || object->Targetable != 1 || object->Side == Side || object->Health <= 0)
            continue;
        const float damage = BlastDamage(VectorDistance(object->Position, Position), Power);
        if (damage <= 0)
            continue;
        DealDamage(object, damage);
        if (object->Health <= 0)
            CountKill(*object);
    }
}

void TNuclearBomb::Draw()
{
    if (Dead)
        return;
    if (!Blasted) {
        DrawModel();
        return;
    }
    const float alpha = std::min(1.0f, FireballAlpha(BlastClock));
    if (!Fireball || alpha <= 0)
        return;
    const float scale = FireballScale(BlastClock);
    TAssetDevice &device = AssetDevice();
    device.SetAdditive(true);
    device.SetDepthWrites(false);
    SwitchLighting(false);
    device.SetColor(1, 1, 1, alpha);
    const bool shader = ShaderSeam && ShaderSeam->Use(MegaBombShaderProgram);
    TMatrix4 m = MatrixIdentity();
    m[0] = m[5] = m[10] = scale;
    MatrixSetTranslation(m, Position);
    device.PushTransform(m);
    Fireball->Draw(true);
    device.PopTransform();
    // Back to the objects' program for the rest of the pass.
    if (shader && !ShaderSeam->Use(ObjectsShaderProgram))
        ShaderSeam->Stop();
    device.SetColor(1, 1, 1, 1);
    SwitchLighting(true);
    device.SetDepthWrites(true);
    device.SetAdditive(false);
}

// ---- The bomb rack ------------------------------------------------------------------------------

TBombGun::TBombGun(TObjectsControl *objects, TGameObject *owner) : TWeapon(objects, owner)
{
    Caption = "Bomb";
    Interval = 500;
    Power = 200;   // the damage of each bomb, as the bomber's
    Capacity = Ammo = 25;
    ReloadTime = ReloadClock = -1;
}

void TBombGun::Update(int, const TVector3 &, TGameObject *, const TVector3 &)
{
    const std::int64_t now = GameClock;
    if (!Objects || !Owner || !FireHeld(*this, KP_SECONDARY) || Ammo < 1 || now - LastShot < Interval)
        return;
    --Ammo;
    LastShot = now;
    // Without a target the bomb goes off on whatever it meets; it keeps half the aircraft's speed.
    Objects->LaunchBomb(Owner->Position, LaunchAngles(*Owner), Owner->OrderData / 2, float(Power), 100, nullptr,
                        Owner->Side, false);
}

// ---- The missiles -------------------------------------------------------------------------------

TMissileWeapon::TMissileWeapon(TObjectsControl *objects, TGameObject *owner, std::string caption, int power,
                               bool ground, float range, float sentTopSpeed)
    : TWeapon(objects, owner), Ground(ground), Range(range), SentTopSpeed(sentTopSpeed)
{
    Caption = std::move(caption);
    Power = power;
    Capacity = Ammo = 10;
    ReloadTime = ReloadClock = -1;
}

bool TMissileWeapon::Exists(const TGameObject *object) const
{
    return object && Objects && Objects->Contains(object) && object->Health > 0;
}

float TMissileWeapon::CentreDistance(const TGameObject &object)
{
    const float dx = object.ScreenX * float(ScreenWidth) / 2;
    const float dy = object.ScreenY * float(ScreenHeight) / 2;
    return std::sqrt(dx * dx + dy * dy);
}

TGameObject *TMissileWeapon::FindCandidate() const
{
    const float circle = LockRadius * UiScale;
    const float heading = Owner->Rotation.y * Degrees;
    TGameObject *best = nullptr;
    float bestDistance = circle;
    for (int i = 0; i < Objects->Count; ++i) {
        TGameObject *object = Objects->Objects[std::size_t(i)];
        if (object->Dead || object->Health <= 0 || object->Targetable != 1 || !Foe(Owner, *object))
            continue;
        if (object->IsGround != (Ground ? 1 : 0) || (Ground && object->Visible != 1))
            continue;
        const float onScreen = CentreDistance(*object);
        if (!(onScreen < bestDistance))
            continue;
        const float bearing =
            AIBearing(heading, object->Position.x - Owner->Position.x, object->Position.y - Owner->Position.y);
        if (std::fabs(bearing) >= Pi / 2 || VectorDistance(object->Position, Owner->Position) >= Range)
            continue;
        best = object;
        bestDistance = onScreen;
    }
    return best;
}

void TMissileWeapon::Update(int dt, const TVector3 &, TGameObject *, const TVector3 &)
{
    if (!Objects || !Owner)
        return;
    if (LockTarget && (!Exists(LockTarget) || CentreDistance(*LockTarget) > LockRadius * UiScale)) {
        LockTarget = nullptr;
        LockTime = 0;
    }
    if (LockTarget) {
        LockTime = std::min(LockTime + dt, LockDuration);
    } else {
        LockTarget = FindCandidate();
        LockTime = 0;
    }

    const bool pressed = Pilot && Pilot->Secondary.Ready(FireHeld(*this, KP_SECONDARY));
    if (!LockTarget || LockTime != LockDuration || !pressed || Ammo < 1)
        return;
    --Ammo;
    const TVector3 start = VectorSet3(Owner->Position.x, Owner->Position.y, Owner->Position.z - 10);
    const TVector3 direction = LaunchAngles(*Owner);
    constexpr float health = 10, topSpeed = 800;
    constexpr int lifetime = 100000;
    // A client's missile is made by its server, told here; the launch below makes nothing there.
    if (IsNetworkClient())
        SendLaunch(start, direction, float(Power), Owner->OrderData, SentTopSpeed, health, LockTarget, Owner->Side,
                   lifetime);
    TGameObject *missile = Objects->LaunchMissile(start, direction, float(Power), Owner->OrderData, topSpeed, health,
                                                  LockTarget, Owner->Side, lifetime, 0, false);
    // The player's missile counts its kill, as the gun counts its own.
    if (auto *rocket = dynamic_cast<TAirToAirRocket *>(missile))
        rocket->OnKill = &CountKill;
    Follow(missile, CameraRideMissile);
    LockTime = 0;
    // One missile per press.
    Pilot->Secondary.Spent = true;
}

bool TMissileWeapon::LockBox(float &x, float &y, float &halfSize, bool &locked) const
{
    if (!Exists(LockTarget))
        return false;
    x = (LockTarget->ScreenX + 1) / 2 * float(ScreenWidth);
    y = (LockTarget->ScreenY + 1) / 2 * float(ScreenHeight);
    // Shrinks from the lock circle's 128 to 16 as the lock completes.
    halfSize = ((1 - float(LockTime) / float(LockDuration)) * 112 + 16) * UiScale;
    locked = LockTime >= LockDuration;
    return true;
}

TAirToAirMissileWeapon::TAirToAirMissileWeapon(TObjectsControl *objects, TGameObject *owner)
    : TMissileWeapon(objects, owner, "Missiles", 4500, false, 2500, 800)
{
}

TAirToGroundMissileWeapon::TAirToGroundMissileWeapon(TObjectsControl *objects, TGameObject *owner)
    : TMissileWeapon(objects, owner, "Maverick", 45000, true, 6000, 600)
{
}
