#pragma once
// The ships of a mission: destroyers, patrol boats, battleships, transports, the two submarines, the
// torpedo, and the ballistic missile the submarines fire.
//
// Every ship steers with the ship controller towards its Target: it runs at the target while it is
// far away and slows down once it is within its engagement distance, turning its side to the target
// there (broadside) so that every turret bears. Order 1 (move to) keeps heading for the target until
// it is within 100; Order 2 (defend) sails in company with the target, copying its heading and speed.
// The current speed is kept in OrderData. Turrets sit on named points of the ship's model ("Gun_1",
// "MachineGun_1", ...); a model without the point carries no turret there. A ship at zero health
// plays its wreck's death sequence and is Dead once it has finished.

#include "assets/DPSEffect.h"
#include "sim/Units.h"

#include <memory>
#include <string>
#include <vector>

// What every ship shares: the wake, the controller, the wreck and the turrets.
class TShip : public TUnit {
public:
    // Model paths are relative to the game folder; the wake points are looked up in the model.
    TShip(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles, const std::string &modelPath,
          const std::string &deadModelPath, float wakeScale);
    ~TShip() override;

    void Draw() override;
    TTargetClass TargetClass() override { return TTargetClass::Ship; }

    // A turret on a mount point of the model (Point -1: none, and no turret either).
    struct TMount {
        std::unique_ptr<TGun> Gun;
        int Point = -1;
    };

    float WakeScale = 0;           // the size of the wake's disturbances
    int   WaterPoints[5] = {-1, -1, -1, -1, -1};   // "Water_1".."Water_5"
    int   WakeClock = 0;           // ms since the last wake
    TAIShip AI;
    std::unique_ptr<TDeadAnimation> DeadAnimation;
    // The turrets sent in the state message, in their fixed order (a missing mount keeps its slot).
    std::vector<TMount> Mounts;

protected:
    // The death step of the frame: a ship at zero health loses its radar blip, weapons and target
    // and plays its wreck; Dead once the wreck has finished. True while the ship is dying.
    bool StepDeath(int dt);
    // The frame of a destroyer, boat, battleship or transport: death, sailing, turrets, wake.
    void RunShip(int dt, float engage, float maxSpeed);
    // The ship's sailing rule: speed up beyond Engage from the target and slow down within it (and
    // without a target), broadside within Engage, Order 1 and 2 as above; then at most MaxSpeed,
    // and the move.
    void Sail(float seconds, float engage, float maxSpeed);
    // Turns the heading with the controller; HeadingOffset (degrees) is what the controller takes
    // for the nose (-90 turns the side to the target).
    void Steer(float seconds, float headingOffset);
    // Speed into [0, MaxSpeed] and one step along the heading.
    void Move(float seconds, float maxSpeed);
    // Every 201 ms or more each wake point stirs the sea, while the hull is above -10.
    void Wake(int dt);
    // The turrets to their mounts; updated while the ship may fire.
    void RunTurrets(int dt);
    // A turret of Config on the model point Point, when the model has it; it joins Mounts unless
    // Sent is false (the battleship's missile launcher is not sent). Returns the turret or null.
    TGun *AddTurret(const char *point, const TTurretConfig &config, bool missile = false, bool sent = true);

    // The message every ship starts with: the head for Code, the unit tail and the sent turrets.
    // False when a read refuses the message.
    bool DescribeShip(TStateIO &io, std::uint16_t code);

    std::vector<TMount> Unsent;    // turrets not in the state message
};

class TDestroyer : public TShip {
public:
    // Angles are pitch, heading and roll in degrees.
    TDestroyer(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    static constexpr float Engage = 800, MaxSpeed = 80;
};

class TBoat : public TShip {
public:
    TBoat(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    static constexpr float Engage = 800, MaxSpeed = 80;
};

// Ten turrets are sent: the light turrets "MiniGun_1".."MiniGun_4", the heavy ones "Gun_1".."Gun_4"
// and the machine guns "MachineGun_1", "MachineGun_2"; the missile launcher on "Gun_5" is not.
class TBattleShip : public TShip {
public:
    TBattleShip(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    TGun *Launcher() const { return Unsent.empty() ? nullptr : Unsent.front().Gun.get(); }

    static constexpr float Engage = 2000, MaxSpeed = 60;
};

// An unarmed merchant; Type names its model folder below "Data\Models\Ships\".
class TTransport : public TShip {
public:
    TTransport(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles,
               const std::string &type);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    std::string Type;

    static constexpr float Engage = 100, MaxSpeed = 50;
};

// Dives out of sight while no enemy surface unit is near, surfaces when one comes within its search
// range and then fires a ballistic missile at it every launch interval. Aircraft do not disturb it.
// The script sets its side after construction.
class TSubmarine : public TShip {
public:
    TSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    int  LaunchClock = 0;          // ms since the last launch
    std::uint8_t Hidden = 0;       // below -10: off the radar and not targetable
    std::uint8_t LaunchPoint = 0;  // 0 "Missile_1", 1 "Missile_2": where the last missile left
    int  MissilePoints[2] = {-1, -1};
    std::unique_ptr<TEmitter> LaunchEmitter;

    float EngageDistance = 4000;   // the ship's sailing rule
    float SearchRange = 5000;      // how near an enemy surface unit wakes it
    int   LaunchInterval = 30000;  // ms between launches

    static constexpr float MaxSpeed = 80;
    static constexpr float DiveDepth = -50, HideDepth = -10, DiveRate = 10;

protected:
    TSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles, const std::string &folder,
               std::uint16_t code);
    // Dives, surfaces and launches; hides below -10.
    void Cycle(float seconds, int dt);
    void Launch(TGameObject *enemy);

    std::uint16_t Code;
};

// The larger submarine: engages from 24000, wakes for enemies within 25000, launches every 15 s.
class TSuperSubmarine : public TSubmarine {
public:
    TSuperSubmarine(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);
};

// Runs at its target and strikes it: once its nose is inside the target's bounding box, the target
// loses 1000 and the torpedo stops with zero health (and then sinks as a wreck).
class TTorpedo : public TShip {
public:
    TTorpedo(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);
    void Update(int dt) override;
    void DescribeState(TStateIO &io) override;

    static constexpr float MaxSpeed = 160, HitDamage = 1000;
};

// The submarines' missile: climbs straight up for 4000 ms, then homes on its target, turning harder
// the longer it flies, at a steady 125. Striking the target, being shot down or losing the target
// ends it in a 5000 ms explosion, after which it is Dead.
class TBallisticMissile : public TUnit {
public:
    TBallisticMissile(TObjectsControl &objects, const TVector3 &position, TGameObject *target = nullptr, int side = 0);
    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    TVector3 Velocity;
    int   Age = 0;                 // ms since launch
    int   EndClock = -1;           // ms into the end; -1 while flying
    float DamageValue = 1000;
    std::unique_ptr<TManualEmitter> Trail;
    std::unique_ptr<TEmitter> Explosion;

    static constexpr float Speed = 125;
    static constexpr int ClimbTime = 4000, EndTime = 5000;

private:
    void End();
    // Points the model along the velocity.
    void FaceVelocity();
};

// Whether Point lies inside the world bounding box of Target, which must be live, targetable and
// have a model: the same six-face test as TObjectsControl::FindContaining, but against this one
// object (a projectile strikes only what it was aimed at). The box is taken from the model at the
// target's current place, so it does not wait for the frame's projection pass.
bool TargetContains(const TGameObject &target, const TVector3 &point);
