// Lines of sight worked out without drawing: where a ray meets the sea, an object's collision mesh
// (or its model's box without one) and an island's shore; the ray through the middle of a view, as
// the camera builds it, shaken or not; and which objects the scenery hides from a view. The models
// are real ".otm" files built with the model builder into a private game folder.

#include "sim/Sight.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "sim/Cameras.h"
#include "sim/GameObjects.h"
#include "sim/Ground.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr float Deg = std::numbers::pi_v<float> / 180.0f;

class TThing : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

// Where an aircraft (and the camera) with these angles looks; pitch -90 is level.
TVector3 Ahead(float pitch, float heading)
{
    const float p = (pitch + 90) * Deg, h = heading * Deg;
    return VectorSet3(std::sin(h) * std::cos(p), std::cos(h) * std::cos(p), -std::sin(p));
}

void ExpectNear(const TVector3 &actual, const TVector3 &expected, float tolerance, const std::string &what)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// A private game folder with three models: a ship whose collision mesh (half extents 10 across, 20
// along, 0..30 high) is much smaller than its hull (50, 50, -20..20); a crate without a collision
// mesh (half extents 5); and an island whose shore is a block 40 high over (-100..100, -100..100)
// with a ramp beside it rising from 0 at x = 200 to 100 at x = 400.
class Sight : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;

        TModelBuilder ship;
        ship.AddMesh("Hull").Box(VectorSet3(-50, -50, -20), VectorSet3(50, 50, 20));
        ship.AddMesh("Collision").Box(VectorSet3(-10, -20, 0), VectorSet3(10, 20, 30));
        WriteBytes(Dir.Path / "Data" / "Models" / "Ship.otm", ship.Bytes());
        TModelBuilder crate;
        crate.AddMesh("Body").Box(VectorSet3(-5, -5, -5), VectorSet3(5, 5, 5));
        WriteBytes(Dir.Path / "Data" / "Models" / "Crate.otm", crate.Bytes());
        TModelBuilder island;
        TMeshBuilder &shore = island.AddMesh("Collision");
        shore.Box(VectorSet3(-100, -100, 0), VectorSet3(100, 100, 40));
        shore.Quad(VectorSet3(200, -100, 0), VectorSet3(400, -100, 100), VectorSet3(400, 100, 100),
                   VectorSet3(200, 100, 0));
        WriteBytes(Dir.Path / "Data" / "Maps" / "Islands" / "Hill.otm", island.Bytes());

        Ship = Models.Load(AppDir + "Data\\Models\\Ship.otm");
        Crate = Models.Load(AppDir + "Data\\Models\\Crate.otm");
        ASSERT_NE(Ship, nullptr);
        ASSERT_NE(Crate, nullptr);
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        AppDir = SavedAppDir;
        CurrentCamera = nullptr;
        ViewModelView = ViewProjection = MatrixIdentity();
        EyePosition = TVector4();
        CameraYaw = CameraPitch = 0;
        FarDrawDistance = 10000;
        FadeStartDistance = 9000;
    }

    TThing *Add(TModel *model, float x, float y, float z, float heading = 0)
    {
        auto *thing = new TThing;
        thing->Model = model;
        thing->Position = VectorSet4(x, y, z, 0);
        thing->Rotation.y = heading;
        thing->Health = thing->MaxHealth = 100;
        thing->Id = Objects.NewId();
        Objects.Add(thing);
        return thing;
    }
    TIsland *AddIsland(float x, float y, float heading = 0)
    {
        auto *island = new TIsland(Objects, VectorSet3(x, y, 0), "Hill.otm", VectorSet3(0, heading, 0));
        Objects.Add(island);
        return island;
    }

    // The view of a camera at Eye with these angles, its picture 4:3, seen through the shake's Offset.
    static TView View(const TVector3 &eye, float pitch, float heading, float roll = 0, const TVector4 &offset = {})
    {
        TCamera camera;
        camera.Position = VectorSet4(eye.x, eye.y, eye.z, 0);
        camera.Pitch = pitch;
        camera.Heading = heading;
        camera.Roll = roll;
        camera.Place(nullptr);
        TCameraShaking shake;
        shake.Offset = offset;
        return camera.MakeView(shake.Apply(camera.ModelView), 4.0f / 3.0f, 10000, 9000);
    }

    TTempDir        Dir{"sim-sight"};
    TModelLib       Models;
    TModel         *Ship = nullptr, *Crate = nullptr;
    TObjectsControl Objects;
    std::string     SavedAppDir;
};

} // namespace

TEST_F(Sight, ARayStopsAtTheSeaACollisionMeshAModelsBoxOrAShore)
{
    TThing *ship = Add(Ship, 0, 500, 0);
    Add(Ship, -300, 500, 0, 90);   // turned a quarter: its long side across the ray
    Add(Crate, 300, 500, 100);
    AddIsland(1000, 2000);
    AddIsland(3000, 2000, 45);    // its shore lies as it would unturned: islands do not turn
    const struct {
        const char        *What;
        TVector3           From, Direction;
        float              Max;
        const TGameObject *Skip;
        float              Distance;
    } cases[] = {
        {"straight down onto the sea", VectorSet3(0, 0, 100), VectorSet3(0, 0, -1), SightRange, nullptr, 100},
        {"slanting down onto the sea", VectorSet3(0, 0, 100), VectorSet3(0, 0.6f, -0.8f), SightRange, nullptr, 125},
        {"up into the sky", VectorSet3(0, 0, 100), VectorSet3(0, 0, 1), SightRange, nullptr, SightRange},
        {"level, to the end of its reach", VectorSet3(0, 0, 10), VectorSet3(1, 0, 0), 5000, nullptr, 5000},
        {"at the ship's collision mesh, not its wider hull", VectorSet3(0, 0, 10), VectorSet3(0, 1, 0), SightRange,
         nullptr, 480},
        {"over the collision mesh, through the hull", VectorSet3(0, 0, 35), VectorSet3(0, 1, 0), 3000, nullptr, 3000},
        {"through the ship it looks past", VectorSet3(0, 0, 10), VectorSet3(0, 1, 0), 3000, ship, 3000},
        {"at the turned ship's side", VectorSet3(-300, 0, 10), VectorSet3(0, 1, 0), SightRange, nullptr, 490},
        {"at a crate's box", VectorSet3(300, 0, 100), VectorSet3(0, 1, 0), SightRange, nullptr, 495},
        {"down onto the island's block", VectorSet3(1000, 2000, 500), VectorSet3(0, 0, -1), SightRange, nullptr, 460},
        {"down onto its ramp", VectorSet3(1300, 2000, 500), VectorSet3(0, 0, -1), SightRange, nullptr, 450},
        {"between the block and the ramp: the sea", VectorSet3(1150, 2000, 500), VectorSet3(0, 0, -1), SightRange,
         nullptr, 500},
        {"the turned island's block, where it stands", VectorSet3(3090, 2090, 500), VectorSet3(0, 0, -1), SightRange,
         nullptr, 460},
        {"beside it, where it would stand turned", VectorSet3(3000, 2130, 500), VectorSet3(0, 0, -1), SightRange,
         nullptr, 500},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(CastRay(&Objects, c.From, c.Direction, c.Max, c.Skip), c.Distance, 0.01f) << c.What;

    // A wreck is looked through; without a list only the sea stops a ray.
    ship->Dead = 1;
    EXPECT_FLOAT_EQ(CastRay(&Objects, VectorSet3(0, 0, 10), VectorSet3(0, 1, 0), 3000), 3000);
    EXPECT_FLOAT_EQ(CastRay(nullptr, VectorSet3(0, 0, 100), VectorSet3(0, 0, -1), SightRange), 100);
}

TEST_F(Sight, TheSightPointIsWhereTheMiddleOfThePictureMeetsTheWorld)
{
    Add(Ship, 0, 500, 0);
    const float down30 = 100 / std::tan(30 * Deg);   // 30 degrees down from 100 up: 173.2 ahead
    const struct {
        const char *What;
        TVector3    Eye;
        float       Pitch, Heading, Roll;
        TVector4    Offset;
        TVector3    Point;
    } cases[] = {
        {"30 degrees down at the sea", VectorSet3(0, 0, 100), -60, 0, 0, {}, VectorSet3(0, down30, 0)},
        {"level and rolled: the same line", VectorSet3(0, 0, 10), -90, 0, 40, {}, VectorSet3(0, 480, 10)},
        {"heading east", VectorSet3(0, 0, 100), -60, 90, 0, {}, VectorSet3(down30, 0, 0)},
        {"level at the ship", VectorSet3(0, 0, 10), -90, 0, 0, {}, VectorSet3(0, 480, 10)},
        {"shaken: the eye moves, the line keeps its direction", VectorSet3(0, 0, 100), -60, 0, 0,
         VectorSet4(3, -4, 5, 0), VectorSet3(-3, 4 + 95 / std::tan(30 * Deg), 0)},
    };
    for (const auto &c : cases) {
        const TView view = View(c.Eye, c.Pitch, c.Heading, c.Roll, c.Offset);
        TVector3 origin, direction;
        ASSERT_TRUE(CentreRay(view, origin, direction)) << c.What;
        ExpectNear(direction, Ahead(c.Pitch, c.Heading), 1e-5f, c.What);
        ExpectNear(origin, VectorSubtract(c.Eye, c.Offset), 1e-3f, c.What);
        // The sight point lies just inside what the line meets.
        const TVector3 point = SightPoint(&Objects, view, nullptr);
        ExpectNear(point,
                   VectorSet3(c.Point.x + direction.x * SightDepth, c.Point.y + direction.y * SightDepth,
                              c.Point.z + direction.z * SightDepth),
                   0.02f, c.What);
        // The picture drawn through the view shows the sight point in its middle.
        PublishView(view);
        const TVector3 screen = ProjectToScreen(point);
        EXPECT_NEAR(screen.x, 0, 1e-4f) << c.What;
        EXPECT_NEAR(screen.y, 0, 1e-4f) << c.What;
    }

    // Looking up, the point lies at the far end of the sight; a view never worked out has no ray.
    ExpectNear(SightPoint(&Objects, View(VectorSet3(0, 0, 100), -120, 0), nullptr),
               VectorSet3(0, SightRange * std::cos(30 * Deg), 100 + SightRange * std::sin(30 * Deg)), 0.5f, "up");
    TVector3 origin, direction;
    EXPECT_FALSE(CentreRay(TView(), origin, direction));
}

TEST_F(Sight, WhatTheSceneryHidesFromAViewIsOutOfSight)
{
    // Level from 15 up, looking north, with a ship 500 ahead.
    const struct {
        const char *What;
        TModel     *Model;
        TVector3    At;
        bool        InSight;
    } cases[] = {
        {"the ship itself", Ship, VectorSet3(0, 500, 0), true},
        {"a crate behind the ship's collision mesh", Crate, VectorSet3(0, 800, 15), false},
        {"a crate seen past it", Crate, VectorSet3(100, 800, 15), true},
        {"a crate behind the eye", Crate, VectorSet3(0, -300, 15), false},
        {"a crate off the picture", Crate, VectorSet3(2000, 100, 15), false},
        {"a crate farther than the view draws", Crate, VectorSet3(0, 11000, 600), false},
        {"a crate just inside the draw distance", Crate, VectorSet3(0, 9900, 600), true},
    };
    for (const auto &c : cases) {
        TThing *thing = Add(c.Model, c.At.x, c.At.y, c.At.z);
        thing->IsGround = 1;                  // units on the ground or the sea are the ones tested
        thing->Visible = c.InSight ? 0 : 1;   // the opposite, to see every answer written
    }
    // An aircraft counts as in sight wherever it is, even behind the ship.
    TThing *aircraft = Add(Crate, 0, 800, 15);
    aircraft->Visible = 0;
    Objects.UpdateProjection();
    UpdateSightVisibility(Objects, View(VectorSet3(0, 0, 15), -90, 0));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Objects.Objects[i]->Visible, cases[i].InSight ? 1 : 0) << cases[i].What;
    EXPECT_EQ(aircraft->Visible, 1);

    // A view never worked out changes nothing.
    Objects.Objects[0]->Visible = 7;
    UpdateSightVisibility(Objects, TView());
    EXPECT_EQ(Objects.Objects[0]->Visible, 7);
}
