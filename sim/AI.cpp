#include "sim/AI.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float Pi = 3.14159265358979f;
constexpr float TwelveDegrees = 0.20943951f;
constexpr float ThirtyDegrees = 0.52359878f;
constexpr float HalfDegree = 0.0087266463f;

float Sign(float v) { return v > 0 ? 1.0f : v < 0 ? -1.0f : 0.0f; }

// The signed angle from the reference (hx, hy) to the direction (dx, dy); 0 when either is
// degenerate or the direction lies exactly behind.
float SignedAngle(float hx, float hy, float dx, float dy)
{
    const float hl = std::sqrt(hx * hx + hy * hy), dl = std::sqrt(dx * dx + dy * dy);
    // A zero vector normalises to zero: its dot product then falls outside the test below only by
    // being NaN-free 0, so treat it the way the rule intends: no bearing at all.
    if (hl == 0 || dl == 0)
        return 0;
    hx /= hl;
    hy /= hl;
    dx /= dl;
    dy /= dl;
    const float dot = hx * dx + hy * dy;
    if (!(dot >= -1 && dot <= 1))
        return 0;
    const float cross = std::clamp(hy * dx - hx * dy, -1.0f, 1.0f);
    if (std::asin(dot) >= 0)
        return std::asin(cross);
    return Sign(cross) * Pi - std::asin(cross);
}

// The shared steering of ships and bombers: a full-rate turn towards the target, or exactly onto it
// when that is less, and nothing inside 12 degrees.
float TurnTowards(float a, float limit)
{
    if (std::fabs(a) < TwelveDegrees)
        return 0;
    if (std::fabs(a) > std::fabs(limit))
        return -Sign(a) * limit;
    return -a;
}

} // namespace

float AIBearing(float psi, float dx, float dy)
{
    // The heading vector is (-1, 0) turned by psi - pi, which is (sin psi, cos psi).
    return SignedAngle(std::sin(psi), std::cos(psi), dx, dy);
}

void TAIIntercept::Steer(const TVector3 &own, const TVector3 &target, TAIControl &control, const TAIAngles &angles,
                         const TAITurnLimits &limits)
{
    const float a = AIBearing(angles[0], target.x - own.x, target.y - own.y);
    Distance = VectorDistance(own, target);
    if (Distance > 600)
        BreakAway = false;
    if (Distance < 100)
        BreakAway = true;
    OnTarget = std::fabs(a) < TwelveDegrees;
    control[0] = 0;
    if (BreakAway) {
        // Away from the target while it is still ahead; straight out once it is behind.
        if (std::fabs(a) < Pi / 2)
            control[0] = Sign(a) * limits[0];
        if (std::fabs(own.z - target.z) < 25)
            control[2] = own.z > target.z ? 1.0f : (own.z >= 25 ? -1.0f : 1.0f);
        else
            control[2] = 0;   // the separation is made: hold the altitude
    } else {
        if (!OnTarget)
            control[0] = -Sign(a) * limits[0];
        control[2] = own.z > target.z && own.z > 10 ? -1.0f : 1.0f;
    }
    control[1] = 0;
}

void TAIGun::Steer(const TVector3 &own, const TVector3 &target, TAIControl &control, const TAIAngles &angles,
                   const TAITurnLimits &limits)
{
    const float a = AIBearing(angles[0], target.x - own.x, target.y - own.y);
    control[0] = 0;
    if (std::fabs(a) < limits[0]) {
        control[0] = a;
        Aimed = true;
    } else {
        control[0] = Sign(a) * limits[0];
        Aimed = false;
    }
    control[2] = 0;
}

void TAIBomber::Steer(const TVector3 &own, const TVector3 &target, TAIControl &control, const TAIAngles &angles,
                      const TAITurnLimits &limits)
{
    const float a = AIBearing(angles[0], target.x - own.x, target.y - own.y);
    const float dx = target.x - own.x, dy = target.y - own.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d > 700)
        PassedOver = false;
    if (d < 50)
        PassedOver = true;
    control[0] = PassedOver ? 0.0f : TurnTowards(a, limits[0]);
    control[1] = 0;
    control[2] = 0;
}

void TAIShip::Steer(const TVector3 &own, const TVector3 &target, TAIControl &control, const TAIAngles &angles,
                    const TAITurnLimits &limits)
{
    const float a = AIBearing(angles[0], target.x - own.x, target.y - own.y);
    control[0] = TurnTowards(a, limits[0]);
    control[1] = 0;
    control[2] = 0;
}

void TAIRocket::Steer(const TVector3 &own, const TVector3 &target, TAIControl &control, const TAIAngles &angles,
                      const TAITurnLimits &limits)
{
    const float a = AIBearing(angles[0], target.x - own.x, target.y - own.y);
    InCone = std::fabs(a) < ThirtyDegrees;
    control[0] = 0;
    if (std::fabs(a) >= HalfDegree)
        control[0] = -Sign(a) * limits[0];
    // The vertical bearing in the fixed y-z plane, from the pitch's reference vector.
    const float theta = angles[1];
    const float b = SignedAngle(-std::cos(theta), -std::sin(theta), target.y - own.y, target.z - own.z);
    if (std::fabs(b) >= HalfDegree)
        control[1] = -Sign(b) * limits[1];
    control[2] = 0;
}
