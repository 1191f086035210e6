#include "sim/Aircraft.h"

#include "assets/AssetDevice.h"
#include "assets/Model.h"
#include "core/Random.h"
#include "sim/Cameras.h"
#include "sim/Misc.h"
#include "sim/Templates.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Degrees = Pi / 180.0f;

// Where missiles and guns aim: the centre of the target's bounding box in the world, worked out
// afresh rather than taken from the last drawn frame (a run without a window never projects).
TVector3 AimPoint(const TGameObject &target)
{
    if (!target.Model)
        return target.Position;
    return MatrixTransformPoint(target.Model->Center, ObjectMatrix(target));
}

float ModelRadius(const TGameObject &object) { return object.Model ? object.Model->Radius : 0.0f; }

TVector3 Angles(const TGameObject &object)
{
    return VectorSet3(object.Rotation.x, object.Rotation.y, object.Rotation.z);
}

// Fills a one-point collision query at the body's position.
void PlaceProbe(TCollisionData &data, const TVector4 &position, float radius)
{
    data.Centre = position;
    data.Radius = radius;
    data.Points.assign(1, TCollisionPoint{position});
    data.PointCount = 1;
    data.HitObject = nullptr;
}

} // namespace

// ---- What the aircraft share --------------------------------------------------------------------

TAircraft::TAircraft(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles,
                     const std::string &model, const std::string &deadModel)
    : TUnit(objects, {.Position = position, .Rotation = angles}), DeadAnimation(deadModel, &objects)
{
    Model = LoadUnitModel(model);
}

void TAircraft::AddEngine(const std::string &effect, const std::string &point)
{
    TEngine engine;
    engine.Point = Model ? Model->FindPoint(point) : -1;
    if (engine.Point < 0)
        return;
    engine.Emitter = MakeEmitter<TPointEmitter>(effect, 1.0f);
    if (engine.Emitter)
        Engines.push_back(std::move(engine));
}

bool TAircraft::DeathStep(int dt)
{
    if (Dead != 0 || Health > 0)
        return false;
    Dying = true;
    OnRadar = 0;
    Target = nullptr;
    Health = 0;
    DeadAnimation.Angles = Rotation;
    if (DeadAnimation.Update(dt, Position))
        Dead = 1;
    return true;
}

void TAircraft::Steer(TAI &ai, float turnRate, int dt, TAIControl &control)
{
    if (!Target)
        return;
    TAITurnLimits limits;
    limits[0] = limits[1] = turnRate * float(dt) / 1000.0f;
    TAIAngles angles;
    angles[0] = Rotation.y * Degrees;
    angles[1] = Rotation.x * Degrees;
    ai.Steer(Position, Target->Position, control, angles, limits);
    Rotation.y -= control.Turn() / Degrees;
}

void TAircraft::Fly(int dt)
{
    const float s = float(dt) / 1000.0f;
    const float heading = Rotation.y * Degrees;
    Position.x += std::sin(heading) * s * OrderData;
    Position.y += std::cos(heading) * s * OrderData;
}

void TAircraft::UpdateEngines(int dt, bool stop)
{
    for (TEngine &engine : Engines)
        engine.Emitter->Update(dt, PointWorld(engine.Point), stop);
}

void TAircraft::Draw()
{
    if (Dying) {
        DeadAnimation.Draw();
        return;
    }
    DrawModel(Fade());
}

// ---- The bomber ---------------------------------------------------------------------------------

TCraftSu25::TCraftSu25(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TAircraft(objects, position, angles, "Data\\Models\\Crafts\\Su25\\Main.otm",
                "Data\\Models\\Crafts\\Su25\\DeadInSky" + std::to_string(Random(3)) + ".otm")
{
    AddEngine("Data\\Effects\\Su25_Engine.dps", "Engine_1");
    AddEngine("Data\\Effects\\Su25_Engine.dps", "Engine_2");
}

void TCraftSu25::Update(int dt)
{
    if (Dead)
        return;
    if (DeathStep(dt)) {
        Fly(dt);
        UpdateEngines(dt, true);
        return;
    }
    KeepTarget();
    WrapHeading();
    TAIControl control;
    Steer(AI, Pi / 16, dt, control);

    // A bomb each time the bomber is over the target (within its model's radius, whatever the
    // altitude), then a pause before the next: whatever its order, but never on its own side (a
    // ship it escorts or is sent to) and not while the mission holds its fire.
    if (BombClock < 1 && Target && WeaponEnabled && Target->Side != Side && Target->Model) {
        const float dx = Target->Position.x - Position.x, dy = Target->Position.y - Position.y;
        if (std::sqrt(dx * dx + dy * dy) < Target->Model->Radius) {
            BombClock = 1500;
            Objects.LaunchBomb(Position, Angles(*this), OrderData / 2, 200, 100, Target, Side, false);
        }
    } else {
        BombClock = std::max(0, BombClock - dt);
    }

    OrderData = std::min(OrderData + 10 * float(dt) / 1000.0f, 200.0f);
    Fly(dt);
    UpdateEngines(dt, false);
}

void TCraftSu25::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassCraftSu25))
        return;
    io.UnitTail(*this, &Objects);
    io.Int(BombClock);
}

// ---- The early-warning aircraft -----------------------------------------------------------------

TCraftAvax::TCraftAvax(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TAircraft(objects, position, angles, "Data\\Models\\Crafts\\Avax\\Main.otm",
                "Data\\Models\\Crafts\\Avax\\DeadInSky.otm")
{
}

void TCraftAvax::Update(int dt)
{
    if (Dead)
        return;
    if (DeathStep(dt)) {
        Fly(dt);
        return;
    }
    KeepTarget();
    WrapHeading();
    TAIControl control;
    Steer(AI, Pi / 32, dt, control);
    OrderData = std::min(OrderData + 10 * float(dt) / 1000.0f, 100.0f);
    Fly(dt);
}

void TCraftAvax::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassCraftAvax))
        return;
    // The unit tail without the weapon switch: the unarmed aircraft sends none.
    io.Target(Target, &Objects);
    io.Byte(OnRadar);
    io.Int(Order);
    io.Float(OrderData);
    io.Byte(Targetable);
    io.Byte(BlinkOnRadar);
}

// ---- The fighter --------------------------------------------------------------------------------

TCraftGAS1::TCraftGAS1(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TAircraft(objects, position, angles, "Data\\Models\\Crafts\\GAS1\\Main.otm",
                "Data\\Models\\Crafts\\GAS1\\DeadInSky" + std::to_string(Random(3)) + ".otm")
{
    if (Model) {
        GunPoint = Model->FindPoint("Gun_1");
        RocketPoints[0] = Model->FindPoint("Rocket_1");
        RocketPoints[1] = Model->FindPoint("Rocket_2");
    }
    AddEngine("Data\\Effects\\GAS1_Engine.dps", "Engine");
}

void TCraftGAS1::Update(int dt)
{
    if (Dead)
        return;
    if (Health <= 0 && !Dying)
        OrderData = 150 + float(Random(30));   // the wreck glides on, slower
    if (DeathStep(dt)) {
        Fly(dt);
        UpdateEngines(dt, true);
        return;
    }
    const float s = float(dt) / 1000.0f;
    KeepTarget();
    WrapHeading();
    // A fresh command every frame: a vertical command the controller leaves unwritten holds the
    // altitude.
    TAIControl control;
    Steer(AI, Pi / 8, dt, control);
    Position.z += control.Climb() * s * OrderData * 0.1f;

    if (MayAttack() && AI.OnTarget) {
        if (MissileClock < 1 && AI.Distance < 2000) {
            const int point = RocketPoints[Random(2)];
            Objects.LaunchMissile(PointWorld(point), Angles(*this), 200, OrderData, 500, 10, Target, Side, 25000, 0,
                                  false);
            MissileClock = 10000;
        }
        if (GunClock < 1 && AI.Distance < 400) {
            FlashClock = 100;
            GunClock = 200;
            // The tracer strays about the target by up to half its size.
            const TVector3 aim = AimPoint(*Target);
            const int r = int(ModelRadius(*Target));
            const float jx = float(Random(r)) - float(r) / 2;
            const float jy = float(Random(r)) - float(r) / 2;
            const float jz = float(Random(r)) - float(r) / 2;
            AddTracer(PointWorld(GunPoint), VectorSet3(aim.x + jx, aim.y + jy, aim.z + jz),
                      "Data\\Textures\\Trasser.png", 0.5f, 400);
            if (HitRollAgainst(Target, Random(2) == 0))
                Damage(Target, 25);
        }
    }
    GunClock = std::max(0, GunClock - dt);
    MissileClock = std::max(0, MissileClock - dt);
    FlashClock = std::max(0, FlashClock - dt);

    OrderData = std::min(OrderData + 50 * s, 400.0f);
    Fly(dt);

    // Out of whatever it flew into. Its own mesh is no obstacle.
    PlaceProbe(Collision, Position, ModelRadius(*this));
    const std::uint8_t targetable = Targetable;
    Targetable = 0;
    const bool hit = Objects.Collide(Collision, false);
    Targetable = targetable;
    if (hit) {
        Position.x += Collision.PushOut.x;
        Position.y += Collision.PushOut.y;
        Position.z += Collision.PushOut.z;
    }
    Position.z = std::clamp(Position.z, MinAltitude, MaxAltitude);
    UpdateEngines(dt, false);
}

void TCraftGAS1::Draw()
{
    TAircraft::Draw();
    if (Dying || FlashClock <= 0 || GunPoint < 0 || !Misc || !Model)
        return;
    const float alpha = Fade();
    if (alpha <= 0)
        return;
    TAssetDevice &device = AssetDevice();
    device.PushTransform(UnitMatrix(Position, Rotation));
    Misc->DrawFlame(Model->GetPoint(GunPoint));
    device.PopTransform();
}

void TCraftGAS1::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassCraftGAS1))
        return;
    io.UnitTail(*this, &Objects);
    io.Int(FlashClock);
}

// ---- The air-to-air missile ---------------------------------------------------------------------

TAirToAirRocket::TAirToAirRocket(TObjectsControl &objects, const TVector3 &position, const TVector3 &direction)
    : TUnit(objects, {.Position = position,
                      .Rotation = direction,
                      .Name = "missile",
                      .OnRadar = 1,
                      .Category = TObjectCategory::Missile})
{
    WrapHeading();
    Model = LoadUnitModel("Data\\Models\\Misc\\Rocket.otm");
    Smoke = MakeEmitter<TManualEmitter>("Data\\Effects\\Simple White Smoke.dps", 1.0f);
    Flame = MakeEmitter<TPointEmitter>("Data\\Effects\\Missile.dps", 1.0f);
    Explosion = MakeEmitter<TEmitter>("Data\\Effects\\Explosion 2.dps", 1.5f);
    if (Explosion)
        Explosion->PlayOnce = true;
}

void TAirToAirRocket::Explode()
{
    PlaySoundAt("Data\\Sounds\\Explosion_Small.WAV", Position, 500, 2000);
    ShakeNear(Position, 50);
    const bool alive = Target && Target->Health > 0;
    Damage(Target, DamageValue);
    if (OnKill && alive && Target->Health <= 0)
        OnKill(*Target);
    Ending = Exploded = true;
    EndClock = EndTime;
    OnRadar = 0;
    Target = nullptr;
}

void TAirToAirRocket::GiveUp()
{
    Ending = true;
    EndClock = EndTime;
    OnRadar = 0;
    Target = nullptr;
}

void TAirToAirRocket::Update(int dt)
{
    if (Dead)
        return;
    const float s = float(dt) / 1000.0f;
    const TVector4 previous = Position;

    if (Ending) {
        if (Exploded) {
            if (Explosion)
                Explosion->Update(dt, Position, false);
        } else {
            // Given up: straight on until the end.
            const float heading = Rotation.y * Degrees;
            Position.x += std::sin(heading) * s * Speed;
            Position.y += std::cos(heading) * s * Speed;
        }
        if (Smoke)
            Smoke->Update(dt, previous, Exploded, 1, Position);
        if (Flame)
            Flame->Update(dt, Position, true);
        EndClock -= dt;
        if (EndClock <= 0)
            Dead = 1;
        return;
    }

    if (Health <= 0) {
        // Shot down: it bursts where it is, harming nobody.
        Target = nullptr;
        Ending = Exploded = true;
        EndClock = EndTime;
        OnRadar = 0;
        return;
    }
    Lifetime -= dt;
    if (!KeepTarget()) {
        GiveUp();
        return;
    }

    const TVector3 aim = AimPoint(*Target);
    TAITurnLimits limits;
    limits[0] = limits[1] = Pi / 2 * s;
    TAIAngles angles;
    angles[0] = Rotation.y * Degrees;
    angles[1] = Rotation.x * Degrees - Pi / 2;
    TAIControl control;
    AI.Steer(Position, aim, control, angles, limits);
    Rotation.y -= control.Turn() / Degrees;
    WrapHeading();

    // A missile launched faster than its top speed keeps its speed.
    if (Speed < TopSpeed)
        Speed = std::min(Speed + 100 * s, TopSpeed);

    const float distance = VectorDistance(Position, aim);
    const float heading = Rotation.y * Degrees;
    Position.x += std::sin(heading) * s * Speed;
    Position.y += std::cos(heading) * s * Speed;
    // Up or down along the line of sight; near the target's height it takes that height.
    const float dz = aim.z - Position.z;
    if (std::fabs(dz) >= 0.2f * s * Speed && distance > 0)
        Position.z += s * Speed * dz / distance;
    else
        Position.z = aim.z;

    static constexpr float smokeColour[4] = {0.4f, 1, 1, 1};
    AddTracer(previous, Position, "Data\\Textures\\Trasser_White.png", 4, 800, smokeColour);
    if (Smoke)
        Smoke->Update(dt, previous, false, 1, Position);
    if (Flame)
        Flame->Update(dt, Position, false);

    const float now = VectorDistance(Position, aim);
    if (now < ModelRadius(*Target))
        Explode();
    else if ((!AI.InCone && now > 100) || Lifetime <= 0)
        GiveUp();
}

void TAirToAirRocket::Draw()
{
    if (!Exploded && !Dead)
        DrawModel();
}

void TAirToAirRocket::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassAirToAirRocket))
        return;
    io.UnitTail(*this, &Objects);
    io.Int(Lifetime);
    io.Round16(Speed);
}

// ---- The bomb -----------------------------------------------------------------------------------

TBomb::TBomb(TObjectsControl &objects, const TVector3 &position, const TVector3 &direction)
    : TUnit(objects, {.Position = position, .Rotation = direction, .Name = "bomb", .Category = TObjectCategory::Bomb})
{
    WrapHeading();
    Model = LoadUnitModel("Data\\Models\\Misc\\Bomb2.otm");
    Explosion = MakeEmitter<TEmitter>("Data\\Effects\\bomb_Explosion.dps", 1.0f);
    if (Explosion)
        Explosion->PlayOnce = true;
}

void TBomb::Update(int dt)
{
    if (Dead)
        return;
    if (ExplosionClock > 0) {
        if (Explosion)
            Explosion->Update(dt, Position, false);
        ExplosionClock -= dt;
        if (ExplosionClock <= 0)
            Dead = 1;
        return;
    }

    if (Target)
        Aimed = true;
    KeepTarget();
    if (Health <= 0 || (Aimed && !Target)) {
        Dead = 1;
        return;
    }

    PlaceProbe(Collision, Position, ModelRadius(*this));
    if (Objects.Collide(Collision, false)) {
        TGameObject *hit = Collision.HitObject;
        // Only its own target and the islands stop a bomb; it passes by the ships around.
        if (!Aimed || hit == Target || hit->Category == TObjectCategory::Island) {
            ExplosionClock = ExplosionTime;
            PlaySoundAt("Data\\Sounds\\Shoot_bomb_Explosion.wav", Position, 100, 400);
            ShakeNear(Position, 40);
            const bool wasAlive = hit->Health > 0;
            Damage(hit, DamageValue);
            if (Side == 0 && wasAlive && hit->Health <= 0)
                CountPlayerKill(*hit);
            return;
        }
    }

    const float s = float(dt) / 1000.0f;
    const float heading = Rotation.y * Degrees;
    Position.z -= 100 * s;
    Position.x += std::sin(heading) * s * ForwardSpeed;
    Position.y += std::cos(heading) * s * ForwardSpeed;
    if (Position.z < 0) {
        const TVector3 surface = VectorSet3(Position.x, Position.y, 0);
        AddTracer(surface, VectorSet3(Position.x, Position.y, 20), "Data\\Textures\\fountain.png", 5, 1000);
        DisturbWater(surface, 1000, 20);
        Dead = 1;
    }
}

void TBomb::Draw()
{
    if (ExplosionClock <= 0 && !Dead)
        DrawModel();
}

void TBomb::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassBomb))
        return;
    io.UnitTail(*this, &Objects);
    io.Int(ExplosionClock);
    io.Float(ForwardSpeed);
}
