#pragma once
// The computer-controlled aircraft and the air weapons.
//
// Three aircraft: the Su-25 bomber, which runs over its target and drops bombs; the early-warning
// aircraft, which flies the same runs unarmed; and the GAS-1 fighter, which intercepts with missiles
// and its gun, climbing and diving between 676 and 2676. Two projectiles: the homing air-to-air
// missile that fighters, missile launchers and the player fire, and the free-falling bomb. Missiles
// and bombs are made only through TObjectsControl::LaunchMissile and LaunchBomb.
//
// Aircraft are built with (objects, position, angles), the angles (pitch, heading, roll) in degrees;
// the mission script sets side, health, Targetable, IsGround and the name afterwards. The moving
// classes keep their current speed in OrderData.
//
// An aircraft fires (the fighter) or drops (the bomber) only while it attacks (Order 0) and its
// weapons are enabled (WeaponEnabled, which "EnableGroupWeapon" switches): a bomber told to escort
// or move to a unit does not bomb it.
//
// A destroyed aircraft keeps its heading and speed (the fighter's wreck slows to 150 + Random(30))
// while its wreck model falls and burns; it is finished after the death sequence's 10000 ms.

#include "sim/Units.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the aircraft share: the death sequence, engine flames, flight along the heading and drawing
// that fades with distance.
class TAircraft : public TUnit {
public:
    TTargetClass TargetClass() override { return TTargetClass::Aircraft; }
    // The model faded by its distance from the eye; the wreck once the aircraft is dying.
    void Draw() override;

    // One engine flame at a model point.
    struct TEngine {
        std::unique_ptr<TPointEmitter> Emitter;
        int Point = -1;
    };

    TDeadAnimation    DeadAnimation;
    std::vector<TEngine> Engines;
    bool              Dying = false;   // the death sequence has begun

protected:
    TAircraft(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles, const std::string &model,
              const std::string &deadModel);

    // Adds an engine flame of Effect at the model point Point (nothing placed when either is missing).
    void AddEngine(const std::string &effect, const std::string &point);
    // The death step of every frame while the aircraft is unfinished and destroyed: off the radar,
    // no target, health not below 0, the wreck advanced (Dead once it is done). False while alive.
    bool DeathStep(int dt);
    // Steers with AI at the target (when there is one), turning at most TurnRate radians per second;
    // Control is left with the controller's command.
    void Steer(TAI &ai, float turnRate, int dt, TAIControl &control);
    // Moves along the heading at the speed kept in OrderData.
    void Fly(int dt);
    // Advances the engine flames at their points; Stop lets them die out.
    void UpdateEngines(int dt, bool stop);
    // Whether the aircraft may use its weapons on its target this frame.
    // A fighter fires at its target only under the order to attack it, and only while the mission
    // lets its weapons fire.
    bool MayAttack() const { return Target && Order == 0 && WeaponEnabled; }
};

// The bomber: drops a bomb each time it passes over its target, at most every 1500 ms.
class TCraftSu25 : public TAircraft {
public:
    TCraftSu25(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);

    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    TAIBomber AI;
    int       BombClock = 0;   // ms until the next drop may come
};

// The early-warning aircraft: slow runs over its target, no weapons.
class TCraftAvax : public TAircraft {
public:
    TCraftAvax(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);

    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    TAIBomber AI;
};

// The fighter: a missile from "Rocket_1" or "Rocket_2" every 10000 ms within 2000, gun bursts from
// "Gun_1" within 400, both only with the target within 12 degrees of the nose.
class TCraftGAS1 : public TAircraft {
public:
    TCraftGAS1(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);

    void Update(int dt) override;
    // The aircraft, with the gun's flame at "Gun_1" while it fires.
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    static constexpr float MinAltitude = 676, MaxAltitude = 2676;

    TAIIntercept   AI;
    TCollisionData Collision;   // one sample point at the fighter's position
    int GunPoint = -1, RocketPoints[2] = {-1, -1};
    int GunClock = 0, MissileClock = 0, FlashClock = 0;   // ms
};

// The homing air-to-air missile. Its direction at launch is (pitch, heading, roll) in degrees, as
// the launchers pass their rotation: the turrets (elevation, yaw + the carrier's heading, 0), the
// aircraft their own angles. It turns only in heading; vertically it follows the line of sight to
// its target. It gives up (off the radar, flying straight on, gone 5000 ms later) when its target
// leaves the 30-degree cone more than 100 away, when the target is gone, or when its lifetime runs
// out; it explodes within the target model's bounding radius.
class TAirToAirRocket : public TUnit {
public:
    TAirToAirRocket(TObjectsControl &objects, const TVector3 &position, const TVector3 &direction);

    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    static constexpr int EndTime = 5000;   // ms from giving up or exploding to the end

    // The launch values, in the order LaunchMissile passes them.
    float        DamageValue = 0, LaunchSpeed = 0, TopSpeed = 0;
    int          Lifetime = 0;   // ms left
    std::int32_t Extra = 0;      // the launcher's fifth value, kept for it
    float        Speed = 0;      // now
    TAIRocket    AI;
    std::unique_ptr<TManualEmitter> Smoke;
    std::unique_ptr<TPointEmitter>  Flame;
    std::unique_ptr<TEmitter>       Explosion;
    bool         Ending = false;     // given up or exploded
    bool         Exploded = false;
    // Told of the kill when this missile's blast destroys its target: the player's missiles count
    // their kills as the player's guns do; null for everyone else's.
    void (*OnKill)(TGameObject &victim) = nullptr;
    int          EndClock = 0;       // ms left of the end

private:
    void Explode();
    void GiveUp();
};

// The bomb: falls 100 a second and drifts along its heading. It explodes on its own target or on an
// island and passes through anything else; a bomb dropped without a target explodes on whatever it
// touches. In the sea it ends with a splash.
class TBomb : public TUnit {
public:
    TBomb(TObjectsControl &objects, const TVector3 &position, const TVector3 &direction);

    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    static constexpr int ExplosionTime = 4000;   // ms the blast plays before the bomb ends

    // The launch values, in the order LaunchBomb passes them.
    float ForwardSpeed = 0, DamageValue = 0;
    int   ExplosionClock = 0;   // ms left of the blast; above 0 once it has exploded
    std::unique_ptr<TEmitter> Explosion;
    TCollisionData Collision;   // one sample point at the bomb's position
    bool  Aimed = false;        // it was dropped at a target (losing it ends the bomb)
};
