#pragma once
// The steering controllers of the computer-driven units. Once per frame, while its unit has a live
// target, the unit hands its controller its own position, the target's, its angles and the largest
// turn it may make this frame; the controller answers with a steering command and keeps the flags the
// unit reads to decide whether to fire. Controllers never move or fire anything themselves.
//
// Angles are radians here. Heading psi looks along (sin psi, cos psi): 0 along +y, growing towards +x.
// A mover applies Turn by subtracting it from its heading; a turret adds it.

#include "core/Maths.h"

// [0] the largest heading change of this update, [1] the largest pitch change (radians).
struct TAITurnLimits {
    float v[2] = {0, 0};
    float &operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }
};

// [0] the current heading, [1] the current pitch (radians).
struct TAIAngles {
    float v[2] = {0, 0};
    float &operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }
};

// [0] Turn (radians for this update), [1] Pitch, [2] Climb (-1, 0 or +1).
struct TAIControl {
    float v[3] = {0, 0, 0};
    float &operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }
    float Turn() const { return v[0]; }
    float Pitch() const { return v[1]; }
    float Climb() const { return v[2]; }
};

// The signed horizontal angle from the heading Psi to the direction (Dx, Dy), in -pi..pi; positive
// when the direction lies to the +x side of the nose. Degenerate directions (zero, or exactly
// behind) give 0.
float AIBearing(float psi, float dx, float dy);

class TAI {
public:
    virtual ~TAI() = default;
    virtual void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
                       const TAITurnLimits &limits) = 0;
};

// Fighters: attack until within 100, break away until more than 600 away, attack again.
class TAIIntercept : public TAI {
public:
    void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
               const TAITurnLimits &limits) override;
    bool  BreakAway = false;
    bool  OnTarget = false;   // the target within 12 degrees of the nose
    float Distance = 0;       // 3-D distance to the target
};

// Turrets: snap onto the target when the turn allows it.
class TAIGun : public TAI {
public:
    void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
               const TAITurnLimits &limits) override;
    bool Aimed = false;
};

// Bombers and the early-warning aircraft: runs over the target, turning back 700 beyond it.
class TAIBomber : public TAI {
public:
    void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
               const TAITurnLimits &limits) override;
    bool PassedOver = false;
};

// Air-to-air missiles: full-rate turns towards the target, in heading and pitch.
class TAIRocket : public TAI {
public:
    void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
               const TAITurnLimits &limits) override;
    bool InCone = false;      // the target within 30 degrees of the nose
};

// Ships, submarines and torpedoes: head for the target.
class TAIShip : public TAI {
public:
    void Steer(const TVector3 &ownPos, const TVector3 &targetPos, TAIControl &control, const TAIAngles &angles,
               const TAITurnLimits &limits) override;
};
