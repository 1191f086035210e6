// The steering controllers by geometry: where the target lies, how far, and how much the unit may
// turn this frame decide the command and the flags.

#include "sim/AI.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Deg = Pi / 180;

// A target at Bearing degrees off a unit heading along +y from the origin, at Distance, Dz above.
TVector3 TargetAt(float bearingDegrees, float distance, float dz = 0)
{
    return VectorSet3(distance * std::sin(bearingDegrees * Deg), distance * std::cos(bearingDegrees * Deg), dz);
}

TAITurnLimits Limits(float heading, float pitch = 0)
{
    TAITurnLimits l;
    l[0] = heading;
    l[1] = pitch;
    return l;
}

} // namespace

TEST(AIBearing, SignAndDegenerateCases)
{
    struct {
        float psi, dx, dy, expected;
    } cases[] = {
        {0, 1, 0, Pi / 2},            // +x side of a nose along +y: positive
        {0, -1, 0, -Pi / 2},
        {0, 1, -1, 3 * Pi / 4},       // behind and to the right
        {0, 0, 1, 0},                 // dead ahead
        {0, 0, -1, 0},                // exactly behind: no turn until the geometry changes
        {0, 0, 0, 0},                 // straight above or below
        {Pi / 2, 0, 1, -Pi / 2},      // heading +x, target along +y: to the left
    };
    for (const auto &c : cases)
        EXPECT_NEAR(AIBearing(c.psi, c.dx, c.dy), c.expected, 1e-4) << c.psi << " " << c.dx << " " << c.dy;
}

TEST(AIIntercept, BreakAwayHysteresis)
{
    TAIIntercept ai;
    TAIControl c;
    const TVector3 own = VectorSet3(0, 0, 1000);
    // Attacks until within 100 ...
    ai.Steer(own, VectorSet3(0, 100.0f, 1000), c, {}, Limits(0.1f));
    EXPECT_FALSE(ai.BreakAway);
    ai.Steer(own, VectorSet3(0, 99.9f, 1000), c, {}, Limits(0.1f));
    EXPECT_TRUE(ai.BreakAway);
    // ... breaks away until more than 600 away.
    for (float d : {550.0f, 600.0f}) {
        ai.Steer(own, VectorSet3(0, d, 1000), c, {}, Limits(0.1f));
        EXPECT_TRUE(ai.BreakAway) << d;
    }
    ai.Steer(own, VectorSet3(0, 600.1f, 1000), c, {}, Limits(0.1f));
    EXPECT_FALSE(ai.BreakAway);
    EXPECT_NEAR(ai.Distance, 600.1f, 1e-3);
}

TEST(AIIntercept, CommandsByGeometry)
{
    struct {
        bool breakAway;
        float bearing, distance, ownZ, targetZ;
        float turn, climb;
        bool onTarget;
    } cases[] = {
        // attacking: inside the 12-degree cone fly straight, outside turn at the full rate towards it
        {false, 11, 300, 1000, 1000, 0, 1, true},
        {false, 13, 300, 1000, 1000, -0.05f, 1, false},
        {false, -40, 300, 1000, 1000, 0.05f, 1, false},
        {false, 0, 300, 1000, 900, 0, -1, true},     // above the target: down
        {false, 0, 300, 5, 0, 0, 1, true},           // just above the sea: never down
        // breaking away: turn away while the target is within 90 degrees of the nose, else straight
        {true, 40, 300, 1000, 1000, 0.05f, -1, false},   // level with it: dive away
        {true, 120, 300, 1000, 1000, 0, -1, false},
        {true, 0, 300, 1010, 1000, 0, 1, true},      // close above: climb away
        {true, 0, 300, 990, 1000, 0, -1, true},      // close below: dive away
        {true, 0, 300, 20, 30, 0, 1, true},          // close below but near the sea: climb
        {true, 0, 300, 1040, 1000, 0, 0, true},      // separated by 25 or more: hold the altitude
    };
    for (const auto &c : cases) {
        TAIIntercept ai;
        ai.BreakAway = c.breakAway;
        TAIControl control;
        control[2] = 7;   // whatever the record held before
        const TVector3 t = TargetAt(c.bearing, c.distance);
        ai.Steer(VectorSet3(0, 0, c.ownZ), VectorSet3(t.x, t.y, c.targetZ), control, {}, Limits(0.05f));
        EXPECT_NEAR(control.Turn(), c.turn, 1e-6) << c.bearing << " break " << c.breakAway;
        EXPECT_EQ(control.Climb(), c.climb) << c.bearing << " z " << c.ownZ;
        EXPECT_EQ(ai.OnTarget, c.onTarget) << c.bearing;
        EXPECT_EQ(control.Pitch(), 0);
    }
}

TEST(AIBomber, TurnsOntoTheTargetAndPassesOver)
{
    TAIBomber ai;
    TAIControl c;
    const TVector3 t = TargetAt(20, 2000);
    ai.Steer(VectorSet3(0, 0, 500), t, c, {}, Limits(0.003f));
    EXPECT_NEAR(c.Turn(), -0.003f, 1e-7);
    ai.Steer(VectorSet3(0, 0, 500), t, c, {}, Limits(1.0f));
    EXPECT_NEAR(c.Turn(), -20 * Deg, 1e-4);
    ai.Steer(VectorSet3(0, 0, 500), TargetAt(11, 2000), c, {}, Limits(1.0f));
    EXPECT_EQ(c.Turn(), 0);

    // Within 50 horizontally (whatever the height) it has passed over and flies straight on ...
    ai.Steer(VectorSet3(0, 0, 500), VectorSet3(30, -30, 0), c, {}, Limits(1.0f));
    EXPECT_TRUE(ai.PassedOver);
    EXPECT_EQ(c.Turn(), 0);
    ai.Steer(VectorSet3(0, 0, 500), TargetAt(170, 690), c, {}, Limits(1.0f));
    EXPECT_EQ(c.Turn(), 0);
    // ... until it is 700 past, then turns back.
    ai.Steer(VectorSet3(0, 0, 500), TargetAt(170, 701), c, {}, Limits(0.1f));
    EXPECT_FALSE(ai.PassedOver);
    EXPECT_NEAR(c.Turn(), -0.1f, 1e-7);
}

TEST(AIShip, HeadsForTheTarget)
{
    struct {
        float bearing, limit, turn;
    } cases[] = {{0, 0.1f, 0}, {11, 0.1f, 0}, {30, 0.1f, -0.1f}, {-30, 0.1f, 0.1f}, {30, 1, -30 * Deg}};
    for (const auto &c : cases) {
        TAIShip ai;
        TAIControl control;
        ai.Steer(VectorSet3(0, 0, 0), TargetAt(c.bearing, 1000), control, {}, Limits(c.limit));
        EXPECT_NEAR(control.Turn(), c.turn, 1e-5) << c.bearing;
    }
    // Exactly behind: every controller flies straight on.
    TAIShip ship;
    TAIBomber bomber;
    TAIIntercept fighter;
    TAIRocket rocket;
    TAI *controllers[] = {&ship, &bomber, &fighter, &rocket};
    for (TAI *ai : controllers) {
        TAIControl control;
        control[0] = 9;
        ai->Steer(VectorSet3(0, 0, 0), VectorSet3(0, -1000, 0), control, {}, Limits(0.1f, 0.1f));
        EXPECT_EQ(control.Turn(), 0);
    }
}

TEST(AIRocket, ConeAndHalfDegreeDeadBand)
{
    struct {
        float bearing, turn;
        bool inCone;
    } cases[] = {{0.4f, 0, true}, {10, -0.2f, true}, {31, -0.2f, false}, {-31, 0.2f, false}};
    for (const auto &c : cases) {
        TAIRocket ai;
        TAIControl control;
        TAIAngles angles;
        angles[1] = -Pi;   // level flight: a missile's pitch of -90 degrees, less a right angle
        ai.Steer(VectorSet3(0, 0, 0), TargetAt(c.bearing, 1000), control, angles, Limits(0.2f, 0.2f));
        EXPECT_NEAR(control.Turn(), c.turn, 1e-6) << c.bearing;
        EXPECT_EQ(ai.InCone, c.inCone) << c.bearing;
        EXPECT_EQ(control.Climb(), 0);
    }
    // The vertical bearing: a target above asks for a pitch change, one level ahead leaves the caller's value.
    TAIRocket ai;
    TAIControl control;
    control[1] = 0.123f;
    TAIAngles angles;
    angles[1] = -Pi;
    ai.Steer(VectorSet3(0, 0, 0), VectorSet3(0, 1000, 0), control, angles, Limits(0.2f, 0.2f));
    EXPECT_EQ(control.Pitch(), 0.123f);
    ai.Steer(VectorSet3(0, 0, 0), VectorSet3(0, 1000, 500), control, angles, Limits(0.2f, 0.2f));
    EXPECT_NEAR(std::fabs(control.Pitch()), 0.2f, 1e-6);
}

TEST(AIGun, SnapsWithinItsLimitAndReportsAimed)
{
    TAIGun ai;
    TAIControl control;
    ai.Steer(VectorSet3(0, 0, 0), TargetAt(3, 1000), control, {}, Limits(5 * Deg));
    EXPECT_NEAR(control.Turn(), 3 * Deg, 1e-5);   // positive: a turret adds its turn
    EXPECT_TRUE(ai.Aimed);
    ai.Steer(VectorSet3(0, 0, 0), TargetAt(-30, 1000), control, {}, Limits(5 * Deg));
    EXPECT_NEAR(control.Turn(), -5 * Deg, 1e-6);
    EXPECT_FALSE(ai.Aimed);
    ai.Steer(VectorSet3(0, 0, 0), VectorSet3(0, -1000, 0), control, {}, Limits(5 * Deg));
    EXPECT_EQ(control.Turn(), 0);   // exactly behind: bearing 0, which counts as aimed
    EXPECT_TRUE(ai.Aimed);
}
