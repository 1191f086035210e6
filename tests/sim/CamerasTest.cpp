// The cameras: the view a camera builds and publishes, its push out of a ship, the dynamic camera's
// focus rules, clock and placement, and the camera shake.

#include "sim/Cameras.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr float Deg = std::numbers::pi_v<float> / 180.0f;

class TThing : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

// A listed object at X, Y, Z with 100 health.
TThing *AddThing(TObjectsControl &objects, float x, float y, float z, TModel *model = nullptr, bool isStatic = false)
{
    auto *thing = new TThing;
    thing->Position = VectorSet4(x, y, z, 0);
    thing->Model = model;
    thing->Health = thing->MaxHealth = 100;
    thing->Targetable = 1;
    thing->IsStatic = isStatic ? 1 : 0;
    objects.Add(thing);
    return thing;
}

// Where an aircraft with these angles flies (pitch -90 is level).
TVector3 Ahead(float pitch, float heading)
{
    const float p = (pitch + 90) * Deg, h = heading * Deg;
    return VectorSet3(std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), -std::sin(p));
}

TVector3 Add(const TVector3 &a, const TVector3 &b, float s = 1)
{
    return VectorSet3(a.x + s * b.x, a.y + s * b.y, a.z + s * b.z);
}

void ExpectNear(const TVector3 &actual, const TVector3 &expected, float tolerance, const std::string &what)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// A 60 degree perspective of aspect 4:3, near 1 and far 20000, as the graphics library holds it.
TMatrix4 Perspective()
{
    const float f = 1 / std::tan(30 * Deg), n = 1, far = 20000;
    TMatrix4 p;
    p[0] = f / (4.0f / 3);
    p[5] = f;
    p[10] = (far + n) / (n - far);
    p[11] = -1;
    p[14] = 2 * far * n / (n - far);
    return p;
}

// Every test leaves the published view as it found it.
class CamerasView : public testing::Test {
protected:
    void TearDown() override
    {
        CurrentCamera = nullptr;
        ViewModelView = ViewProjection = MatrixIdentity();
        EyePosition = TVector4();
        CameraYaw = CameraPitch = 0;
        FarDrawDistance = 10000;
        FadeStartDistance = 9000;
    }
};
using CamerasShake = CamerasView;

// A private data folder with a model library holding a ship: a hull of half extents 20 (x), 50 (y)
// and 15 (z) with a collision mesh of the same box.
class CamerasWithShip : public CamerasView {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        SavedConfig = Config;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        Config = nullptr;
        TModelBuilder builder;
        builder.AddMesh("Hull").Box(VectorSet3(-20, -50, -15), VectorSet3(20, 50, 15));
        builder.AddMesh("Collision").Box(VectorSet3(-20, -50, -15), VectorSet3(20, 50, 15));
        WriteBytes(Dir.Path / "Data" / "Models" / "Ship.otm", builder.Bytes());
        Ship = ModelLib->Load(AppDir + "Data\\Models\\Ship.otm");
        ASSERT_NE(Ship, nullptr);
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        Config = SavedConfig;
        AppDir = SavedAppDir;
        CamerasView::TearDown();
    }

    TTempDir        Dir{"sim-cameras"};
    TModelLib       Models;
    TModel         *Ship = nullptr;
    std::string     SavedAppDir;
    TConfig        *SavedConfig = nullptr;
};
using CamerasCollision = CamerasWithShip;
using CamerasDynamic = CamerasWithShip;

} // namespace

// ---- The camera ---------------------------------------------------------------------------------

TEST_F(CamerasView, WhatLiesAheadProjectsToTheCentreAndParticlesFaceTheEye)
{
    struct TCase {
        float Pitch, Heading, Roll;
    };
    // Roll turns about the level line of the heading (it comes between heading and pitch), so only in
    // level flight does it keep what lies ahead at the centre.
    const TCase cases[] = {{-90, 0, 0}, {-90, 30, 0}, {-60, -120, 0}, {-125, 200, 0}, {-90, 75, 20}};
    ViewProjection = Perspective();
    for (const TCase &test : cases) {
        const std::string what = "pitch " + std::to_string(test.Pitch) + " heading " + std::to_string(test.Heading) +
                                 " roll " + std::to_string(test.Roll);
        TCamera camera;
        camera.Position = VectorSet4(100, -200, 300, 0);
        camera.Pitch = test.Pitch;
        camera.Heading = test.Heading;
        camera.Roll = test.Roll;
        camera.Apply(nullptr);

        EXPECT_EQ(CurrentCamera, &camera) << what;
        ExpectNear(EyePosition, camera.Position, 0, what);
        EXPECT_EQ(CameraYaw, test.Heading) << what;
        EXPECT_EQ(CameraPitch, test.Pitch) << what;
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(ViewModelView[i], camera.ModelView[i]) << what;

        const TVector3 forward = Ahead(test.Pitch, test.Heading);
        const TVector3 centre = ProjectToScreen(Add(camera.Position, forward, 500));
        EXPECT_NEAR(centre.x, 0, 1e-4f) << what;
        EXPECT_NEAR(centre.y, 0, 1e-4f) << what;
        EXPECT_GT(centre.z, -1) << what;   // in front of the eye, inside the depth range
        EXPECT_LT(centre.z, 1) << what;

        // A particle's quad (normal +z) turned by -yaw about z and -pitch about x faces the eye.
        TMatrix4 particle = MatrixIdentity();
        MatrixRotateZ(particle, -CameraYaw * Deg);
        MatrixRotateX(particle, -CameraPitch * Deg);
        EXPECT_NEAR(VectorDot(MatrixTransformPoint(VectorSet3(0, 0, 1), particle), forward), -1, 1e-5f) << what;

        if (test.Roll != 0)
            continue;
        // Unrolled, right is level and to the right of the flight path, and up is above it; the
        // billboard corners span them and the screen shows them that way round.
        const TVector3 right = VectorSet3(std::cos(test.Heading * Deg), -std::sin(test.Heading * Deg), 0);
        const TVector3 up = VectorCross(right, forward);
        ExpectNear(VectorScale(VectorSubtract(camera.Corners[1], camera.Corners[0]), 0.5f), right, 1e-5f, what + " R");
        ExpectNear(VectorScale(VectorSubtract(camera.Corners[3], camera.Corners[0]), 0.5f), up, 1e-5f, what + " U");
        ExpectNear(camera.Corners[2], Add(right, up), 1e-5f, what + " corner 2");
        const TVector3 toRight = ProjectToScreen(Add(Add(camera.Position, forward, 500), right, 50));
        EXPECT_GT(toRight.x, 0.05f) << what;
        EXPECT_NEAR(toRight.y, 0, 1e-4f) << what;
        const TVector3 above = ProjectToScreen(Add(Add(camera.Position, forward, 500), up, 50));
        EXPECT_NEAR(above.x, 0, 1e-4f) << what;
        EXPECT_GT(above.y, 0.05f) << what;
    }
}

TEST_F(CamerasView, RollTurnsTheHorizonAboutTheLineOfSight)
{
    // Rolled 90 degrees to the right (the right wing down, as a positive bank puts it) while flying
    // north, the level ground to the right rises to the top of the screen.
    ViewProjection = Perspective();
    TCamera camera;
    camera.Pitch = -90;
    camera.Roll = 90;
    camera.Apply(nullptr);
    const TVector3 p = ProjectToScreen(VectorSet3(50, 500, 0));
    EXPECT_NEAR(p.x, 0, 1e-4f);
    EXPECT_GT(p.y, 0.05f);
}

TEST_F(CamerasCollision, AnEyeInsideAShipIsMovedByTheCollisionBeforeTheTranslation)
{
    TObjectsControl objects;
    // The hull spans x 980..1020, y 1950..2050 and z 85..115.
    TThing *ship = AddThing(objects, 1000, 2000, 100, Ship);

    TCamera camera;
    camera.Pitch = -80;
    camera.Heading = 40;
    // 3 below the deck, more than 10 from every other face: only the deck is touched.
    camera.Position = VectorSet4(1000, 2010, 112, 0);
    camera.Apply(&objects);
    EXPECT_EQ(camera.Collision.HitObject, ship);
    // The deck's normal points out of the hull, (0, 0, 1), so the correction n x (10 - d) with
    // d = -3 lifts the eye 13, out of the ship and 10 clear of the deck.
    ExpectNear(camera.Position, VectorSet3(1000, 2010, 125), 1e-4f, "pushed");
    ExpectNear(EyePosition, camera.Position, 0, "published eye");
    // The translation is by the corrected position: it is the eye of the view.
    ExpectNear(MatrixTransformPoint(camera.Position, camera.ModelView), VectorSet3(0, 0, 0), 1e-3f, "eye at origin");

    // Clear of the ship, or without an object list, nothing moves it.
    camera.Position = VectorSet4(1000, 2010, 140, 0);
    camera.Apply(&objects);
    ExpectNear(camera.Position, VectorSet3(1000, 2010, 140), 0, "above the deck");
    camera.Position = VectorSet4(1000, 2010, 112, 0);
    camera.Apply(nullptr);
    ExpectNear(camera.Position, VectorSet3(1000, 2010, 112), 0, "no list");
    ExpectNear(MatrixTransformPoint(camera.Position, camera.ModelView), VectorSet3(0, 0, 0), 1e-3f, "unmoved eye");
}

// ---- The dynamic camera ---------------------------------------------------------------------------

TEST_F(CamerasDynamic, FocusRefusals)
{
    enum TSubject { NoSubject, Mobile, Building, FreedBuilding };
    struct TCase {
        const char *What;
        int         Mode;
        TSubject    Current;
        int         Request;
        bool        Accepted;
    };
    const TCase cases[] = {
        {"idle, nothing shown, object view", 0, NoSubject, 1, true},
        {"idle after a ship, softer view", 0, Mobile, 2, true},
        {"idle on a building, softer view", 0, Building, 2, false},
        {"idle on a building, object view", 0, Building, 1, false},
        {"idle on a building, missile launch", 0, Building, 4, true},
        {"idle on a building that is gone, softer view", 0, FreedBuilding, 2, true},
        {"softer view of a ship, another", 2, Mobile, 2, true},
        {"softer view of a ship, object view", 2, Mobile, 1, true},
        {"softer view of a building, object view", 2, Building, 1, false},
        {"object view, softer view", 1, Mobile, 2, false},
        {"object view, another object view", 1, Mobile, 1, false},
        {"object view, missile launch", 1, Mobile, 4, true},
        {"mode 3, object view", 3, NoSubject, 1, false},
        {"mode 3, missile launch", 3, NoSubject, 4, true},
        {"missile ride, object view", 4, Mobile, 1, false},
        {"missile ride, next missile", 4, Mobile, 4, true},
    };
    for (const TCase &test : cases) {
        TObjectsControl objects;
        TDynamicCamera camera;
        camera.Objects = &objects;
        TThing *wanted = AddThing(objects, 0, 0, 50);
        camera.Mode = test.Mode;
        camera.Clock = 700;
        if (test.Current == Mobile)
            camera.Subject = AddThing(objects, 100, 0, 0);
        if (test.Current == Building || test.Current == FreedBuilding)
            camera.Subject = AddThing(objects, 100, 0, 0, nullptr, true);
        if (test.Current == FreedBuilding)
            objects.Remove(camera.Subject);   // freed: the camera must not look at it
        TGameObject *before = camera.Subject;

        EXPECT_EQ(camera.Focus(wanted, test.Request, 5000), test.Accepted) << test.What;
        EXPECT_EQ(camera.Subject, test.Accepted ? wanted : before) << test.What;
        EXPECT_EQ(camera.Mode, test.Accepted ? test.Request : test.Mode) << test.What;
        EXPECT_EQ(camera.Clock, test.Accepted ? 5000 : 700) << test.What;
    }

    TDynamicCamera camera;
    EXPECT_FALSE(camera.Focus(nullptr, 1, 5000));
    EXPECT_EQ(camera.Mode, 0);
}

TEST_F(CamerasDynamic, TheViewEndsWithItsClockOrWithTheMissile)
{
    TObjectsControl objects;
    TThing *subject = AddThing(objects, 0, 0, 100);
    // The view lasts its whole time at any frame step, and ends on the frame that uses it up, also
    // when that frame lands exactly on zero.
    for (const int step : {1, 16, 25, 7}) {
        TDynamicCamera camera;
        camera.Objects = &objects;
        ASSERT_TRUE(camera.Focus(subject, 1, 5000));
        int elapsed = 0;
        while (camera.Mode == 1 && elapsed < 10000) {
            camera.Tick(step);
            elapsed += step;
        }
        EXPECT_GE(elapsed, 5000) << step;
        EXPECT_LT(elapsed - step, 5000) << step;
        EXPECT_EQ(camera.Clock, 0) << step;
        // The clock has run out: the next request is taken.
        EXPECT_TRUE(camera.Focus(subject, 2, 5000)) << step;
    }

    // A missile ride ends when the missile is destroyed, or when it leaves the list, long before its
    // clock runs out.
    TDynamicCamera camera;
    camera.Objects = &objects;
    TThing *missile = AddThing(objects, 0, 0, 100);
    ASSERT_TRUE(camera.Focus(missile, 4, 5000));
    camera.Tick(25);
    EXPECT_EQ(camera.Mode, 4);
    missile->Health = 0;
    camera.Tick(25);
    EXPECT_EQ(camera.Mode, 0);

    missile = AddThing(objects, 0, 0, 100);
    ASSERT_TRUE(camera.Focus(missile, 4, 5000));
    camera.Tick(25);
    EXPECT_EQ(camera.Mode, 4);
    objects.Remove(missile);
    camera.Tick(25);
    EXPECT_EQ(camera.Mode, 0);

    // The other views keep a destroyed subject in sight (the player's wreck).
    subject->Health = 0;
    ASSERT_TRUE(camera.Focus(subject, 1, 5000));
    camera.Tick(25);
    EXPECT_EQ(camera.Mode, 1);

    camera.Reset();
    EXPECT_EQ(camera.Mode, 0);
    EXPECT_EQ(camera.Clock, 0);
    EXPECT_EQ(camera.Subject, nullptr);
}

TEST_F(CamerasDynamic, RenderPlacesTheViewAndKeepsItAboveTheSea)
{
    TObjectsControl objects;
    TPlayerView player;
    player.Cockpit = VectorSet4(10, 20, 300, 0);
    player.Pitch = -60;    // diving 30 degrees
    player.Heading = 30;
    player.Bank = 12;
    const float r = Ship->Radius;
    const float dive = std::sin(30 * Deg);

    struct TCase {
        const char *What;
        int         Mode;
        bool        Model;
        TVector3    Subject;
        TVector3    Angles;     // the subject's pitch, heading and roll
        TVector3    Eye;        // expected
        TVector3    View;       // expected pitch, heading, roll
    };
    const float s30 = std::sin(30 * Deg), c30 = std::cos(30 * Deg);
    const float s50 = std::sin(50 * Deg), c50 = std::cos(50 * Deg);
    const float R = DefaultSubjectRadius;
    const TCase cases[] = {
        {"rear view", 0, true, {500, 500, 0}, {}, {10, 20, 300}, {-120, 210, -12}},
        {"mode 3 as the rear view", 3, true, {500, 500, 0}, {}, {10, 20, 300}, {-120, 210, -12}},
        {"object view of a ship", 1, true, {500, 500, 200}, {},
         {500 - 2 * r * s30, 500 - 2 * r * c30, 200 + r * dive}, {-60, 30, 12}},
        {"softer view of a sunken hull", 2, true, {500, 500, -40}, {},
         {500 - 2 * r * s30, 500 - 2 * r * c30, 5}, {-60, 30, 12}},
        // A missile's pitch counts 0 as level and grows as it dives: 20 is a 20-degree dive.
        {"missile ride", 4, false, {100, 100, 400}, {20, 50, 3},
         {100 + 2 * R * s50, 100 + 2 * R * c50, 400 - R * std::sin(20 * Deg)}, {-70, 50, 3}},
        {"missile skimming the sea", 4, false, {100, 100, 6}, {40, 50, 0},
         {100 + 2 * R * s50, 100 + 2 * R * c50, 5}, {-50, 50, 0}},
    };
    for (const TCase &test : cases) {
        TThing *subject = AddThing(objects, test.Subject.x, test.Subject.y, test.Subject.z, test.Model ? Ship : nullptr);
        subject->Rotation = VectorSet4(test.Angles.x, test.Angles.y, test.Angles.z, 0);
        TDynamicCamera camera;
        camera.Objects = &objects;
        camera.Subject = subject;
        camera.Mode = test.Mode;
        camera.Clock = 5000;
        camera.Render(&objects, player);
        EXPECT_EQ(camera.Mode, test.Mode) << test.What;
        ExpectNear(camera.View.Position, test.Eye, 1e-3f, test.What);
        ExpectNear(VectorSet3(camera.View.Pitch, camera.View.Heading, camera.View.Roll), test.View, 1e-4f, test.What);
        EXPECT_EQ(CurrentCamera, &camera.View) << test.What;
        objects.Remove(subject);

        // Once the subject has left the list the view falls back to the cockpit.
        camera.Render(&objects, player);
        EXPECT_EQ(camera.Mode, test.Mode == 3 ? 3 : 0) << test.What;
        ExpectNear(camera.View.Position, VectorSet3(10, 20, 300), 0, test.What);
    }
}

TEST_F(CamerasDynamic, AMissileRideTurnsToTheTargetOnArrival)
{
    TObjectsControl objects;
    TPlayerView player;
    player.Heading = 90;
    // A missile without a model flying north, level, at 100; the view rides 2 x 5 ahead of it.
    TThing *missile = AddThing(objects, 0, 0, 100);
    missile->Rotation = VectorSet4(-90, 0, 0, 0);
    TThing *ship = AddThing(objects, 0, 0, 100, Ship);
    missile->Target = ship;
    const float r = Ship->Radius;

    TDynamicCamera camera;
    camera.Objects = &objects;
    ASSERT_TRUE(camera.Focus(missile, 4, 5000));
    ship->Position.y = 10 + r + 1;   // just beyond the ship's radius from the view
    camera.Render(&objects, player);
    EXPECT_EQ(camera.Mode, 4);
    EXPECT_EQ(camera.Subject, missile);

    ship->Position.y = 10 + r - 1;
    camera.Render(&objects, player);
    EXPECT_EQ(camera.Mode, 1);
    EXPECT_EQ(camera.Subject, ship);
    EXPECT_EQ(camera.Clock, 1000);
    // Already this frame the ship is shown from the player's side (the player flies east).
    ExpectNear(camera.View.Position, VectorSet3(-2 * r, ship->Position.y, 100), 1e-3f, "on the ship");
    EXPECT_EQ(camera.View.Heading, 90);

    // A target freed before the missile noticed is not looked at.
    ASSERT_TRUE(camera.Focus(missile, 4, 5000));
    objects.Remove(ship);
    camera.Render(&objects, player);
    EXPECT_EQ(camera.Mode, 4);
    EXPECT_EQ(camera.Subject, missile);
}

TEST_F(CamerasDynamic, TheSmallViewsDrawDistancesFollowTheViewRange)
{
    TObjectsControl objects;
    TConfig config;
    struct TCase {
        int   Option;
        float Far;
    };
    const TCase cases[] = {{0, 1e7f}, {1, 4500}, {2, 3000}, {3, 1500}};
    for (const TCase &test : cases) {
        config.ViewDistance = test.Option;
        Config = &config;
        TDynamicCamera camera;
        camera.Render(&objects, TPlayerView());
        EXPECT_EQ(FarDrawDistance, test.Far) << test.Option;
        EXPECT_FLOAT_EQ(FadeStartDistance, test.Far * 0.9f) << test.Option;
        // Something 91 hundredths of the way out is fading, nothing beyond the far distance is drawn.
        EXPECT_GT(DistanceFade(test.Far * 0.91f), 0) << test.Option;
        EXPECT_LT(DistanceFade(test.Far * 0.91f), 1) << test.Option;
        EXPECT_EQ(DistanceFade(test.Far * 1.01f), 0) << test.Option;
    }
    Config = nullptr;
    TDynamicCamera camera;
    camera.Render(&objects, TPlayerView());
    EXPECT_EQ(FarDrawDistance, 4500);
}

// ---- The shake --------------------------------------------------------------------------------

TEST_F(CamerasShake, TheOffsetShrinksOneUnitASecondAtAnyFrameRate)
{
    for (const int step : {1, 16, 25}) {
        TCameraShaking shake;
        shake.Offset = VectorSet4(3, 4, 0, 0);
        for (int elapsed = 0; elapsed < 1000; elapsed += step)
            shake.Tick(std::min(step, 1000 - elapsed));
        EXPECT_NEAR(VectorLength(shake.Offset), 4, 1e-3f) << step;
        // Straight back towards zero.
        EXPECT_NEAR(shake.Offset.x / shake.Offset.y, 0.75f, 1e-5f) << step;
    }

    // The last step takes what is left and no more; a frame of no time changes nothing.
    TCameraShaking shake;
    shake.Offset = VectorSet4(0.3f, 0, -0.4f, 0);
    shake.Tick(0);
    shake.Tick(-40);
    EXPECT_NEAR(VectorLength(shake.Offset), 0.5f, 1e-7f);
    shake.Tick(600);
    EXPECT_EQ(VectorLength(shake.Offset), 0);
    shake.Tick(25);
    EXPECT_EQ(VectorLength(shake.Offset), 0);
}

TEST_F(CamerasShake, ShakeAddsTheScaledAmountInARandomDirection)
{
    RandSeed = 4711;
    TCameraShaking shake;   // the game's strength, 5
    shake.Shake(50);
    EXPECT_NEAR(VectorLength(shake.Offset), 5, 1e-4f);

    // Added to what is there, with a length of amount x strength / 50.
    shake.Offset = VectorSet4(3, 4, 0, 0);
    shake.Shake(25);
    EXPECT_NEAR(VectorLength(VectorSubtract(shake.Offset, VectorSet4(3, 4, 0, 0))), 2.5f, 1e-4f);

    TCameraShaking strong(10);
    strong.Shake(50);
    EXPECT_NEAR(VectorLength(strong.Offset), 10, 1e-4f);

    // Nothing for amounts that are not positive.
    const TVector4 before = strong.Offset;
    strong.Shake(0);
    strong.Shake(-50);
    strong.Shake(std::nanf(""));
    ExpectNear(strong.Offset, before, 0, "not positive");

    // The directions spread over the whole sphere.
    int up = 0, down = 0, east = 0, west = 0;
    TCameraShaking one;
    const std::uint32_t seed = RandSeed;
    for (int i = 0; i < 40; ++i) {
        one.Offset = TVector4();
        one.Shake(50);
        up += one.Offset.z > 0.5f;
        down += one.Offset.z < -0.5f;
        east += one.Offset.x > 0.5f;
        west += one.Offset.x < -0.5f;
    }
    EXPECT_GT(up, 0);
    EXPECT_GT(down, 0);
    EXPECT_GT(east, 0);
    EXPECT_GT(west, 0);

    // The jolt of one exploding missile is gone in five seconds.
    TCameraShaking jolt;
    jolt.Shake(50);
    for (int t = 0; t < 5000; t += 25)
        jolt.Tick(25);
    EXPECT_LT(VectorLength(jolt.Offset), 1e-3f);
    // The shake draws its own random numbers: the game's stay as they were.
    EXPECT_EQ(RandSeed, seed);
}

TEST_F(CamerasShake, ApplyShiftsTheSceneByTheOffset)
{
    TCamera camera;
    camera.Position = VectorSet4(5, -7, 40, 0);
    camera.Pitch = -75;
    camera.Heading = 120;
    camera.Apply(nullptr);
    TCameraShaking shake;
    shake.Offset = VectorSet4(1, -2, 3, 0);
    const TMatrix4 shaken = shake.Apply(camera.ModelView);
    const TVector3 p = VectorSet3(100, 50, -20);
    ExpectNear(MatrixTransformPoint(p, shaken), MatrixTransformPoint(Add(p, shake.Offset), camera.ModelView), 1e-4f,
               "shifted");
}
