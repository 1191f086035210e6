#pragma once
// The player's weapons: the machine gun on the primary fire key and three secondary weapons, of
// which one is selected at a time (air-to-air missiles, air-to-ground missiles and the special weapon
// chosen before the mission: gauss gun, laser, ion gun or mega bomb). Each reads its fire key, keeps
// its ammunition, rate of fire and reload, draws its tracers and effects, and deals damage through
// one hit routine that also keeps the mission's statistics and the friendly-fire warning.

#include "sim/Command.h"
#include "sim/GameObjects.h"
#include "sim/Units.h"

#include <cstdint>
#include <memory>
#include <string>


class TWeapon {
public:
    // Objects is the mission's object list (null: nothing is launched or searched); Owner the aircraft
    // that carries the weapon (its Position, Rotation with -90 as level pitch, Side, and its current
    // speed in OrderData).
    TWeapon(TObjectsControl *objects, TGameObject *owner) : Objects(objects), Owner(owner) {}
    virtual ~TWeapon() = default;
    TWeapon(const TWeapon &) = delete;
    TWeapon &operator=(const TWeapon &) = delete;

    // One frame: ShootPoint is the aircraft's "Fire" point in the world, Target what lies under the
    // crosshair (may be null), AimPoint where the crosshair ray meets the world.
    virtual void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) = 0;
    // The lock box of a missile weapon in screen space; nothing for the others.
    virtual void DrawLock() {}

    int         Ammo = 0;
    int         Capacity = 0;
    int         ReloadTime = -1;   // ms; -1 never reloads by itself
    int         ReloadClock = 0;
    bool        ShieldLook = false;
    std::string Caption;           // locale key
    int         Interval = 0;      // ms between shots
    std::int64_t LastShot = -1000000;   // game time of the last shot
    int         Power = 0;

    TObjectsControl *Objects;
    TGameObject     *Owner;
    // Who fires it: the owner's pilot, whose command is all the weapon reads of the controls; null
    // (nobody at the controls) fires nothing.
    TPilot          *Pilot = nullptr;
};

// The special weapon's own reload: one ReloadTime after running dry it is full again.
void ReloadTick(TWeapon &weapon, int dt);
// Whether the player's weapons may strike Object: another side's, or in a network game another
// pilot's aircraft. Shots at anything else are friendly fire.
bool Foe(const TGameObject *owner, const TGameObject &object);
// The shared damage routine (statistics, friendly fire, the first hit of a burst on an aircraft).
void Hit(TWeapon &weapon, TGameObject *target, bool afterPause);

// The weapon classes (constructors take (objects, owner)): TMachineGun, TGaussGun, TLaserGun,
// TPlasmaGun, TMegaBombGun, TBombGun, TAirToAirMissileWeapon, TAirToGroundMissileWeapon; the
// projectiles TPlasmaMissile and TNuclearBomb. Declared below by the weapons' implementation.

// The shader program number of the mega bomb's blast, as handed to the shader seam.
constexpr int MegaBombShaderProgram = 3;

// The angles (pitch, heading, roll) in degrees that a projectile launched by Aircraft starts with.
// The player's aircraft counts its pitch from -90 (level flight); the projectiles, like every other
// unit, fly level at pitch 0, so the pitch is moved by 90.
TVector3 LaunchAngles(const TGameObject &aircraft);

// The machine gun: 10 rounds a second on the primary fire key, each a tracer from the muzzle to the
// crosshair's aim point and a hit on whatever lies under the crosshair. The first hit on an aircraft
// after a second without hits counts as a full second of fire.
class TMachineGun : public TWeapon {
public:
    TMachineGun(TObjectsControl *objects, TGameObject *owner);

    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;

    int          FireKey;                   // the key action that fires
    std::string  TracerTexture, Sound;      // game paths
    int          TracerHandle = 0;          // the tracer's texture handle
    std::unique_ptr<TLinearEmitter> Muzzle; // null when the data lacks the effect
    TGameObject *LastTarget = nullptr;      // what the last round was fired at; only compared
    std::int64_t LastHit;                   // game time of the last round; "long ago" for a new target

protected:
    TMachineGun(TObjectsControl *objects, TGameObject *owner, int fireKey, int interval, int power, int capacity,
                int reloadTime, std::string caption, std::string tracer, const std::string &muzzle,
                std::string sound);
};

// The gauss gun: the machine gun's way of firing with its own rate, damage, tracer and key, and a
// reload of its own as the special weapon.
class TGaussGun : public TMachineGun {
public:
    TGaussGun(TObjectsControl *objects, TGameObject *owner);
};

// The laser: six shots, one at most every 5000 ms, each a beam from the muzzle to the aim point that
// hits whatever lies under the crosshair.
class TLaserGun : public TWeapon {
public:
    TLaserGun(TObjectsControl *objects, TGameObject *owner);

    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;

    static constexpr int FlashTime = 200;   // ms the muzzle effect spawns after a shot

    std::string BeamTexture, Sound;
    int         BeamHandle = 0;             // the beam's texture handle
    std::unique_ptr<TPointEmitter> Effect;
    int FlashClock = 0;                     // ms left of the muzzle effect
};

// The ion gun: a homing plasma ball every 2000 ms; the aircraft wears its shield while it is chosen.
class TPlasmaGun : public TWeapon {
public:
    TPlasmaGun(TObjectsControl *objects, TGameObject *owner);

    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;

    std::string Sound;
};

// The ion gun's plasma ball. It flies along its velocity and each frame bends towards the nearest
// enemy aircraft within 1000, the harder the longer it flies, keeping its speed. It strikes when its
// path passes within the target model's radius of the target's centre; after its lifetime, or
// after the strike, it leaves the radar and only its explosion plays for EndTime ms.
class TPlasmaMissile : public TUnit {
public:
    // Speed is the aircraft's current speed; Heading and Pitch are its angles (pitch -90 level).
    static TVector3 LaunchVelocity(float heading, float pitch, float speed);

    TPlasmaMissile(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles, const TVector3 &velocity);

    void Update(int dt) override;
    void Draw() override {}   // the plasma is all particles

    static constexpr int   EndTime = 5000;      // ms
    static constexpr float SearchRange = 1000;

    TVector3 Velocity;
    float    DamageValue = 4500;
    int      Age = 0;                // ms
    int      Lifetime = 5000;        // ms
    bool     Ending = false;
    int      EndClock = 0;           // ms left of the end
    TGameObject *Struck = nullptr;   // the victim, once it has struck; only compared
    std::unique_ptr<TPointEmitter> Trail;
    std::unique_ptr<TEmitter>      Explosion;

private:
    // Off the radar; only the explosion plays until EndTime has passed.
    void End();
};

// The mega bomb: drops a nuclear bomb from the aircraft every 5000 ms, two per load.
class TMegaBombGun : public TWeapon {
public:
    TMegaBombGun(TObjectsControl *objects, TGameObject *owner);

    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;
};

// The nuclear bomb: falls 100 a second until it touches something or the sea, then blasts every
// targetable object of another side within BlastRange and shows its mushroom for BlastTime ms.
class TNuclearBomb : public TUnit {
public:
    TNuclearBomb(TObjectsControl &objects, const TVector3 &position);

    void Update(int dt) override;
    // The bomb while it falls; the blast's growing, shrinking and fading fireball after.
    void Draw() override;

    static constexpr int   BlastTime = 24000;   // ms
    static constexpr float BlastRange = 1000;
    static constexpr float BaseDamage = 30000;  // dealt even at the edge of the blast

    // The damage at Distance from the blast of a bomb of Power; 0 beyond the range.
    static float BlastDamage(float distance, float power);
    // The fireball's scale and alpha at the blast clock Clock; alpha 0 or less draws nothing.
    static float FireballScale(int clock);
    static float FireballAlpha(int clock);

    float Power = 200000;
    int   BlastClock = 0;          // ms left of the blast; above 0 once it has gone off
    bool  Blasted = false;
    TModel *Fireball = nullptr;    // the explosion model, null when the data lacks it
    std::unique_ptr<TEmitter> Effect;
    TCollisionData Collision;      // one sample point at the bomb

private:
    void Blast();
};

// The plain bomb rack of the aircraft before its first reset: a bomb every 500 ms.
class TBombGun : public TWeapon {
public:
    TBombGun(TObjectsControl *objects, TGameObject *owner);

    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;
};

// What the two missile weapons share: a lock on the enemy nearest the screen centre inside the lock
// circle, held for LockDuration ms before a missile may go, one missile per press.
class TMissileWeapon : public TWeapon {
public:
    void Update(int dt, const TVector3 &shootPoint, TGameObject *target, const TVector3 &aimPoint) override;

    // The lock box for the HUD: its centre in window pixels (origin at the lower left, as ScreenX and
    // ScreenY map to them), its half-size in pixels, and whether the lock is complete (red) or still
    // running (green). False without a target.
    bool LockBox(float &x, float &y, float &halfSize, bool &locked) const;

    static constexpr int   LockDuration = 1500;   // ms
    static constexpr float LockRadius = 128;      // pixels of a 1024-wide screen

    TGameObject *LockTarget = nullptr;
    int          LockTime = 0;                    // ms, 0..LockDuration

protected:
    TMissileWeapon(TObjectsControl *objects, TGameObject *owner, std::string caption, int power, bool ground,
                   float range, float sentTopSpeed);

    // Whether Object is live and still listed.
    bool Exists(const TGameObject *object) const;
    // The distance in pixels of Object's screen position from the screen centre.
    static float CentreDistance(const TGameObject &object);
    TGameObject *FindCandidate() const;

    bool  Ground;          // locks on ground units (visible ones) instead of aircraft
    float Range;           // the farthest a candidate may be
    float SentTopSpeed;    // the top speed a client's launch message gives
};

// Air-to-air missiles: locks on aircraft within 2500.
class TAirToAirMissileWeapon : public TMissileWeapon {
public:
    TAirToAirMissileWeapon(TObjectsControl *objects, TGameObject *owner);
};

// Air-to-ground missiles: locks on ground units in sight within 6000.
class TAirToGroundMissileWeapon : public TMissileWeapon {
public:
    TAirToGroundMissileWeapon(TObjectsControl *objects, TGameObject *owner);
};
