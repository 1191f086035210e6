// What stands still in a mission: islands and their shore grid, the air-defence sites, buildings,
// the carrier, the markers, their state messages, and the script commands that make every unit.
// Models are built with the model builder into a private game folder.

#include "tests/script/ScriptTestUtil.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "script/GameVars.h"
#include "sim/Aircraft.h"
#include "sim/DataExchange.h"
#include "sim/Ground.h"
#include "sim/Seams.h"
#include "sim/Ships.h"
#include "sim/Statics.h"
#include "sim/UnitState.h"
#include "tools/modelgen/ModelBuilder.h"

#include "tests/sim/RecordingDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <typeinfo>
#include <vector>

using namespace scripttest;

namespace {

// A unit standing in for the player aircraft or an enemy.
class TDummy : public TGameObject {
public:
    TDummy(float x, float y, float z, int side, std::uint8_t ground = 0, int targetClass = 0) : Class(targetClass)
    {
        Position = VectorSet4(x, y, z, 0);
        Side = side;
        IsGround = ground;
        Targetable = 1;
        Health = MaxHealth = 100;
    }
    void Update(int) override {}
    void Draw() override {}
    TTargetClass TargetClass() override { return TTargetClass(Class); }
    int Class;
};

// A private game folder with its own model library.
class Ground : public ::testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        EyePosition = TVector4();
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        AppDir = SavedAppDir;
    }

    // Writes Builder at the game path (backslashes as the game writes them).
    void Save(std::string gamePath, const TModelBuilder &builder)
    {
        std::replace(gamePath.begin(), gamePath.end(), '\\', '/');
        WriteBytes(Dir.Path / gamePath, builder.Bytes());
    }
    // A box model with the named points.
    void SaveBox(const std::string &gamePath, const std::vector<std::pair<std::string, TVector3>> &points = {})
    {
        TModelBuilder builder;
        builder.AddMesh("Body").Box(VectorSet3(-5, -5, 0), VectorSet3(5, 5, 3));
        for (const auto &[name, at] : points)
            builder.AddPoint(name, at);
        Save(gamePath, builder);
    }
    // The two air-defence sites with their turrets on "Gun".
    void SaveSites()
    {
        SaveBox("Data\\Models\\Buildings\\SAM\\Main.otm", {{"Gun", VectorSet3(0, 0, 1.5f)}});
        SaveBox("Data\\Models\\Buildings\\Shilka\\Main.otm", {{"Gun", VectorSet3(0, -0.4f, 1.95f)}});
        SaveBox("Data\\Models\\Guns\\SamGun.otm");
        SaveBox("Data\\Models\\Guns\\ShilkaGun.otm");
    }

    TTempDir    Dir{"sim-ground"};
    TModelLib   Models;
    std::string SavedAppDir;
};

// ---- Islands ------------------------------------------------------------------------------------

// The height of the bumpy test shore at (x, y), hills and ripples a few tens of metres high.
float Bumps(float x, float y)
{
    return 60 * std::sin(x / 170) * std::cos(y / 130) + 25 * std::sin(x / 37 + y / 53);
}

// Cliff walls standing over the bumpy shore: centre (x, y) and the direction the wall runs, in
// degrees. Each is 200 long and stands from z -100 to 150. Most run along an axis, where a point
// near the face lies outside the wall's bounding box; they stand at odd places, so that grid cell
// borders pass at all distances from them.
struct TWall {
    float X, Y, Angle;
};
const std::vector<TWall> Walls = [] {
    std::vector<TWall> walls;
    for (int i = 0; i < 20; ++i)
        walls.push_back({-1000 + 103.7f * float(i), 950 - 97.3f * float(i) + float(i % 3) * 31.1f,
                         i % 5 == 4 ? 30.0f * float(i / 5) : float(i % 2) * 90.0f});
    return walls;
}();
constexpr float WallLength = 200, WallBottom = -100, WallTop = 150;

// A point beside a wall: Along runs -1..1 over its length, Off is the distance from its face.
TVector3 BesideWall(const TWall &wall, float along, float off, float z)
{
    const float a = wall.Angle * 3.14159265f / 180;
    const float dx = std::cos(a), dy = std::sin(a);
    return VectorSet3(wall.X + dx * along * WallLength / 2 - dy * off, wall.Y + dy * along * WallLength / 2 + dx * off, z);
}

// An island model whose collision mesh is a bumpy height field of Cells x Cells quads over
// -Half..Half, with cliff walls, one huge sloping triangle under it all and a sliver.
TModelBuilder BumpyIsland(int cells, float half)
{
    TModelBuilder builder;
    builder.AddMesh("Ground").Box(VectorSet3(-half, -half, -1), VectorSet3(half, half, 0));
    TMeshBuilder &shore = builder.AddMesh("Collision");
    const float step = 2 * half / float(cells);
    auto at = [&](int i, int j) {
        const float x = -half + float(i) * step, y = -half + float(j) * step;
        return VectorSet3(x, y, Bumps(x, y));
    };
    for (int i = 0; i < cells; ++i)
        for (int j = 0; j < cells; ++j) {
            shore.Triangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
            shore.Triangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
    for (const TWall &wall : Walls)
        shore.Quad(BesideWall(wall, -1, 0, WallBottom), BesideWall(wall, 1, 0, WallBottom),
                   BesideWall(wall, 1, 0, WallTop), BesideWall(wall, -1, 0, WallTop));
    shore.Triangle(VectorSet3(-1.5f * half, -1.5f * half, -40), VectorSet3(1.5f * half, -1.5f * half, -10),
                   VectorSet3(0, 1.5f * half, -25));
    shore.Triangle(VectorSet3(10, 10, 5), VectorSet3(400, 10.5f, 5), VectorSet3(800, 11, 5));
    return builder;
}

TEST_F(Ground, IslandShoreIsItsCollisionMeshMovedByItsPositionWhateverItsRotation)
{
    TModelBuilder builder;
    builder.AddMesh("Rock").Box(VectorSet3(-50, -50, 0), VectorSet3(50, 50, 30));
    builder.AddMesh("Collision").Box(VectorSet3(-50.25f, -40, -3), VectorSet3(50, 40.5f, 30.125f));
    Save("Data\\Maps\\Islands\\Rock.otm", builder);
    TModel *model = Models.Load(AppDir + "Data\\Maps\\Islands\\Rock.otm");
    ASSERT_NE(model, nullptr);

    TObjectsControl objects;
    for (const TVector3 angles : {TVector3{}, VectorSet3(30, 45, 0), VectorSet3(-10, 170, 0)}) {
        TIsland island(objects, VectorSet3(1000, 2000, 0), "Rock.otm", angles);
        EXPECT_EQ(island.Model, model);
        EXPECT_EQ(island.Category, TObjectCategory::Island);
        EXPECT_EQ(island.IsStatic, 1);
        EXPECT_EQ(island.Side, -1);
        EXPECT_FLOAT_EQ(island.Rotation.y, angles.y);
        ASSERT_EQ(island.Triangles.size(), 12u);
        TVector3 a, b, c;
        for (int t = 0; model->GetCollisionTriangle(t, a, b, c); ++t) {
            const TWorldTriangle &triangle = island.Triangles[std::size_t(t)];
            const TVector3 expected[3] = {a, b, c};
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(triangle.Vertices[k].x, expected[k].x + 1000.0f) << t << "/" << k;
                EXPECT_EQ(triangle.Vertices[k].y, expected[k].y + 2000.0f) << t << "/" << k;
                EXPECT_EQ(triangle.Vertices[k].z, expected[k].z) << t << "/" << k;
            }
            const TVector3 n = TriangleNormal(triangle.Vertices[2], triangle.Vertices[1], triangle.Vertices[0]);
            EXPECT_EQ(triangle.Normal.x, n.x) << t;
            EXPECT_EQ(triangle.Normal.y, n.y) << t;
            EXPECT_EQ(triangle.Normal.z, n.z) << t;
        }
    }

    // Without its model an island has no shore and collides with nothing.
    TIsland bare(objects, VectorSet3(0, 0, 0), "Missing.otm");
    EXPECT_EQ(bare.Model, nullptr);
    EXPECT_TRUE(bare.Triangles.empty());
    std::vector<std::uint32_t> near;
    EXPECT_TRUE(bare.TrianglesNear(VectorSet3(0, 0, 0), near));
    EXPECT_TRUE(near.empty());
}

// The first triangle of the whole list (in list order, each tried against the points in theirs) that
// a point touches, with its push-out; -1 when none does.
int FullScan(std::span<const TWorldTriangle> triangles, const std::vector<TVector3> &points, TVector4 &push)
{
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (const TVector3 &p : points) {
            const TWorldTriangle &tr = triangles[t];
            if (SphereTouchesTriangle(p, CollisionSphereRadius, tr.Vertices[0], tr.Vertices[1], tr.Vertices[2],
                                      tr.Normal, push))
                return int(t);
        }
    return -1;
}

TEST_F(Ground, IslandGridFindsTheSameFirstContactAsTheFullScan)
{
    Save("Data\\Maps\\Islands\\Bumpy.otm", BumpyIsland(48, 1200));
    TObjectsControl objects;
    auto *island = new TIsland(objects, VectorSet3(1000, 2000, 0), "Bumpy.otm");
    island->Health = 1;
    objects.Add(island);
    const std::span<const TWorldTriangle> triangles = island->WorldTriangles();
    ASSERT_EQ(triangles.size(), 48u * 48 * 2 + Walls.size() * 2 + 2);

    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> across(-1350, 1350), off(-16, 16), scatter(-30, 30);
    std::uniform_int_distribution<int> count(1, 3);
    int hits = 0, misses = 0, wallHits = 0;
    std::size_t candidates = 0, lookups = 0;
    for (int probe = 0; probe < 6000; ++probe) {
        // One to three sample points of a small body near the ground, the wall or the sliver.
        std::vector<TVector3> points;
        const float x = across(random), y = across(random);
        for (int k = count(random); k > 0; --k) {
            const float px = x + scatter(random), py = y + scatter(random);
            points.push_back(VectorSet3(1000 + px, 2000 + py, Bumps(px, py) + off(random)));
        }
        if (probe % 4 == 0) {
            // Beside a wall, clear of the ground: only the wall can be touched, by its face or an
            // edge, from up to the sphere's radius away.
            const TWall &wall = Walls[std::size_t(probe / 4) % Walls.size()];
            const float along = scatter(random) / 25, side = off(random) / 16 * 11;
            const TVector3 p = BesideWall(wall, along, side, 0);
            const float z = std::max(Bumps(p.x, p.y) + 12, WallBottom) + std::abs(scatter(random)) * 3;
            points.back() = VectorSet3(1000 + p.x, 2000 + p.y, std::min(z, WallTop + 9));
        }
        if (probe % 10 == 1)
            points.back() = VectorSet3(1000 + 10 + std::abs(across(random)) / 4, 2000 + 10, 5 + off(random));

        TVector4 expectedPush;
        const int expected = FullScan(triangles, points, expectedPush);
        const int firstWall = 48 * 48 * 2, afterWalls = firstWall + int(Walls.size()) * 2;
        if (expected >= firstWall && expected < afterWalls)
            ++wallHits;

        std::vector<std::uint32_t> near;
        for (const TVector3 &p : points)
            ASSERT_TRUE(island->TrianglesNear(p, near));
        candidates += near.size();
        lookups += points.size();
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
        int found = -1;
        TVector4 push;
        for (const std::uint32_t t : near) {
            if (FullScan(triangles.subspan(t, 1), points, push) == 0) {
                found = int(t);
                break;
            }
        }
        ASSERT_EQ(found, expected) << "probe " << probe;

        TCollisionData data;
        data.Centre = VectorSet4(points[0].x, points[0].y, points[0].z, 0);
        data.Radius = 50;
        for (const TVector3 &p : points)
            data.Points.push_back({VectorSet4(p.x, p.y, p.z, 0)});
        data.PointCount = std::int32_t(points.size());
        const bool contact = objects.Collide(data, true);
        ASSERT_EQ(contact, expected >= 0) << "probe " << probe;
        if (contact) {
            ++hits;
            EXPECT_EQ(data.HitObject, island);
            EXPECT_EQ(data.PushOut.x, expectedPush.x) << "probe " << probe;
            EXPECT_EQ(data.PushOut.y, expectedPush.y) << "probe " << probe;
            EXPECT_EQ(data.PushOut.z, expectedPush.z) << "probe " << probe;
        } else {
            ++misses;
            EXPECT_EQ(data.PushOut.z, 0) << "probe " << probe;
        }
    }
    // Both answers are well represented, and a point is tried against a handful of the 4,600
    // triangles, not all of them.
    EXPECT_GT(hits, 1000);
    EXPECT_GT(misses, 1000);
    EXPECT_GT(wallHits, 500);
    EXPECT_LT(double(candidates) / double(lookups), 40.0);
}

TEST(GroundGrid, PointsOffTheGridAndBrokenTrianglesAreHandled)
{
    TWorldTriangle flat;
    flat.Normal = VectorSet4(0, 0, 1, 0);
    flat.Vertices[0] = VectorSet4(0, 0, 0, 0);
    flat.Vertices[1] = VectorSet4(100, 0, 0, 0);
    flat.Vertices[2] = VectorSet4(0, 100, 0, 0);
    TWorldTriangle broken = flat;
    broken.Vertices[1].x = std::nanf("");
    const TWorldTriangle triangles[] = {flat, broken, flat};

    TTriangleGrid grid;
    grid.Build(triangles, 11);
    struct TCase {
        const char *What;
        TVector3    Point;
        std::vector<std::uint32_t> Expected;
    };
    const TCase cases[] = {
        {"on the triangles", {10, 10, 0}, {0, 1, 2}},
        {"within reach beyond an edge", {-10.5f, 50, 0}, {0, 1, 2}},
        {"off the grid: only the broken one", {-20, 50, 0}, {1}},
        {"far away", {5000, -5000, 0}, {1}},
        {"not a number", {std::nanf(""), 0, 0}, {1}},
    };
    for (const TCase &test : cases) {
        std::vector<std::uint32_t> near;
        grid.Near(test.Point, near);
        std::sort(near.begin(), near.end());
        EXPECT_EQ(near, test.Expected) << test.What;
    }
    TTriangleGrid empty;
    empty.Build({}, 11);
    std::vector<std::uint32_t> near;
    empty.Near(VectorSet3(0, 0, 0), near);
    EXPECT_TRUE(near.empty());
}

// ---- Sites --------------------------------------------------------------------------------------

TEST_F(Ground, SamSiteTurnsItsLauncherBackToItsStartYawWithNoAircraftWithin4000)
{
    SaveSites();
    TObjectsControl objects;
    auto *sam = new TCoolSam(objects, VectorSet3(100, 200, 10), 1, VectorSet3(0, 90, 0));
    objects.Add(sam);
    sam->Health = sam->MaxHealth = 1000;
    ASSERT_NE(sam->Turret, nullptr);
    TGun &launcher = *sam->Turret;
    EXPECT_NE(dynamic_cast<TGunMissile *>(&launcher), nullptr);
    EXPECT_EQ(sam->TargetClass(), TTargetClass::Ground);
    EXPECT_EQ(sam->IsStatic, 0);

    TDummy player(100 + 4001, 200, 10, 0);   // just beyond the launcher's reach
    PlayerAircraft = &player;
    objects.Add(new TDummy(100, 200 + 3000, 10, 0, 1));   // a ship: the launcher does not fire at ships
    launcher.Rotation.y = 90;
    sam->Update(500);
    EXPECT_EQ(launcher.Target, nullptr);
    EXPECT_NEAR(launcher.Rotation.y, 45, 1e-3f) << "90 degrees a second back towards 0";
    // The turret stands on the "Gun" point, turned with the site.
    EXPECT_NEAR(launcher.Position.x, 100, 1e-4f);
    EXPECT_NEAR(launcher.Position.y, 200, 1e-4f);
    EXPECT_NEAR(launcher.Position.z, 11.5f, 1e-4f);
    sam->Update(1000);
    EXPECT_NEAR(launcher.Rotation.y, 0, 1e-3f);
    sam->Update(1000);
    EXPECT_NEAR(launcher.Rotation.y, 0, 1e-3f) << "no overshoot";

    // While the site may not fire its launcher rests; within reach the player becomes its target.
    player.Position.x = 100 + 3000;
    sam->WeaponEnabled = 0;
    sam->Update(100);
    EXPECT_EQ(launcher.Target, nullptr);
    sam->WeaponEnabled = 1;
    sam->Update(100);
    EXPECT_EQ(launcher.Target, &player);
    EXPECT_EQ(launcher.Side, 1);
}

TEST_F(Ground, SitesWithoutAGunPointHaveNoTurretAndStillDie)
{
    TObjectsControl objects;
    TShilka shilka(objects, VectorSet3(0, 0, 0), 1, VectorSet3(0, 0, 0));   // no models at all
    EXPECT_EQ(shilka.Model, nullptr);
    EXPECT_EQ(shilka.Turret, nullptr);
    EXPECT_EQ(shilka.IsStatic, 1);
    EXPECT_EQ(shilka.TargetClass(), TTargetClass::Ground);
    shilka.Health = shilka.MaxHealth = 100;
    shilka.OnRadar = 1;
    shilka.Update(25);
    EXPECT_EQ(shilka.OnRadar, 1);

    // The death check: health clamped to 0, off the radar, and Dead once the wreck has finished.
    shilka.Health = -40;
    int elapsed = 0;
    while (!shilka.Dead && elapsed < 20000) {
        shilka.Update(100);
        elapsed += 100;
        EXPECT_EQ(shilka.Health, 0);
        EXPECT_EQ(shilka.OnRadar, 0);
    }
    EXPECT_EQ(elapsed, 10100) << "the wreck sequence ends once its clock passes 10000 ms";
    EXPECT_TRUE(shilka.Death.Started);
}

// ---- Buildings ----------------------------------------------------------------------------------

TEST(GroundBuilding, WreckPathTurnsEveryMainIntoDead)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Data\\Models\\Buildings\\Hangar\\Main.otm", "Data\\Models\\Buildings\\Hangar\\Dead.otm"},
        {"Data\\Models\\Main.otm\\Main.otm", "Data\\Models\\Dead.otm\\Dead.otm"},
        {"Main.otmMain.otm", "Dead.otmDead.otm"},
        {"Data\\Models\\Buildings\\Hut.otm", "Data\\Models\\Buildings\\Hut.otm"},
        {"main.otm", "main.otm"},
    };
    for (const auto &[path, dead] : cases)
        EXPECT_EQ(BuildingWreckPath(path), dead) << path;
}

TEST_F(Ground, DestroyedBuildingCollapsesOverItsWreckClock)
{
    SaveBox("Data\\Models\\Buildings\\Hut\\Main.otm");
    SaveBox("Data\\Models\\Buildings\\Hut\\Dead.otm");
    struct TCase {
        const char *What;
        float       Health;
        bool        Collapses;
    };
    const TCase cases[] = {
        {"below zero", -10, true},
        {"brought to exactly zero", 0, true},
        {"still standing", 0.5f, false},
    };
    for (const TCase &test : cases) {
        TObjectsControl objects;
        TBuildingStatic hut(objects, "Data\\Models\\Buildings\\Hut\\Main.otm", VectorSet3(5, 6, 7), VectorSet3(0, 30, 0));
        ASSERT_NE(hut.Model, nullptr);
        ASSERT_NE(hut.Death.Model, nullptr) << "the wreck is the model path with Dead for Main";
        EXPECT_EQ(hut.TargetClass(), TTargetClass::Ground);
        EXPECT_EQ(hut.IsStatic, 1);
        hut.Health = 100;
        hut.OnRadar = 1;
        hut.Update(1000);
        EXPECT_EQ(hut.WreckClock, 0) << test.What;

        hut.SetHealth(test.Health);
        hut.Update(1000);
        if (!test.Collapses) {
            EXPECT_EQ(hut.WreckClock, 0) << test.What;
            EXPECT_EQ(hut.OnRadar, 1) << test.What;
            continue;
        }
        EXPECT_EQ(hut.Health, 0) << test.What;
        EXPECT_EQ(hut.WreckClock, 4000) << test.What;
        EXPECT_EQ(hut.OnRadar, 0) << test.What;
        EXPECT_TRUE(hut.Death.Started) << test.What;
        hut.SetHealth(-50);   // further hits do not start it again
        hut.Update(3999);
        EXPECT_EQ(hut.WreckClock, 1) << test.What;
        EXPECT_EQ(hut.Dead, 0) << test.What;
        hut.Update(1);
        EXPECT_EQ(hut.WreckClock, 0) << test.What;
        EXPECT_EQ(hut.Dead, 1) << test.What;
    }
}

// ---- The carrier --------------------------------------------------------------------------------

TEST_F(Ground, CarrierKeepsItsFivePointsUnturnedAndFightsWhileItMayFire)
{
    const std::vector<std::pair<std::string, TVector3>> points = {
        {"Start", {0, -100, 20}}, {"End", {0, 100, 20}},         {"Camera", {50, 0, 40}},
        {"Land_end", {-10, -120, 20}}, {"Land_begin", {-10, 80, 20}}, {"Gun_1", {20, 50, 22}},
        {"Gun_2", {-20, -50, 22}}};
    SaveBox("Data\\Models\\Ships\\Carrier\\Main.otm", points);
    SaveBox("Data\\Models\\Guns\\MachineGun.otm");
    TObjectsControl objects;
    auto *carrier = new TCarrier(objects, VectorSet3(500, 600, 1), VectorSet3(0, 90, 0));
    objects.Add(carrier);
    const std::pair<const TVector4 *, TVector3> expected[] = {
        {&carrier->StartPoint, {500, 500, 21}},   {&carrier->EndPoint, {500, 700, 21}},
        {&carrier->CameraPoint, {550, 600, 41}},  {&carrier->LandEndPoint, {490, 480, 21}},
        {&carrier->LandBeginPoint, {490, 680, 21}}};
    for (const auto &[point, want] : expected) {
        EXPECT_EQ(point->x, want.x);
        EXPECT_EQ(point->y, want.y);
        EXPECT_EQ(point->z, want.z);
    }

    ASSERT_NE(carrier->Guns[0], nullptr);
    ASSERT_NE(carrier->Guns[1], nullptr);
    carrier->Side = 0;
    carrier->Health = 1000;
    auto *enemy = new TDummy(500, 600, 500, 1);   // an aircraft overhead, within both guns' reach
    objects.Add(enemy);
    carrier->WeaponEnabled = 0;
    carrier->Update(25);
    EXPECT_EQ(carrier->Guns[0]->Target, nullptr);
    // Heading 90 turns the gun points with the carrier: "Gun_1" (20, 50) comes to (+50, -20).
    EXPECT_NEAR(carrier->Guns[0]->Position.x, 550, 1e-3f);
    EXPECT_NEAR(carrier->Guns[0]->Position.y, 580, 1e-3f);
    carrier->WeaponEnabled = 1;
    carrier->Update(25);
    EXPECT_EQ(carrier->Guns[0]->Target, enemy);
    EXPECT_EQ(carrier->Guns[1]->Target, enemy);
    EXPECT_EQ(carrier->Guns[1]->Side, 0);

    // A model without the points leaves the carrier's position in their place.
    SaveBox("Data\\Models\\Ships\\Carrier\\Main.otm");
    TModelLib fresh;
    ModelLib = &fresh;
    TCarrier plain(objects, VectorSet3(7, 8, 9), VectorSet3(0, 0, 0));
    for (const TVector4 *point : {&plain.StartPoint, &plain.EndPoint, &plain.CameraPoint, &plain.LandEndPoint,
                                  &plain.LandBeginPoint}) {
        EXPECT_EQ(point->x, 7);
        EXPECT_EQ(point->y, 8);
        EXPECT_EQ(point->z, 9);
    }
    EXPECT_EQ(plain.Guns[0], nullptr);
    plain.Update(25);
    ModelLib = &Models;
}

// ---- Markers ------------------------------------------------------------------------------------

TEST_F(Ground, WreckFiresBurnAtItsSimpleFirePoints)
{
    TModelBuilder wreck;
    wreck.AddMesh("Hull").Box(VectorSet3(-5, -5, 0), VectorSet3(5, 5, 3));
    wreck.AddPoint("SimpleFire", VectorSet3(1, 2, 3));
    wreck.AddPoint("Smoke", VectorSet3(0, 0, 0));
    wreck.AddPoint("SimpleFire_2", VectorSet3(-1, 0, 3));
    Save("Data\\Models\\Dead\\Hulk.otm", wreck);
    TObjectsControl objects;
    TDeadStaticObject hulk(objects, AppDir + "Data\\Models\\Dead\\Hulk.otm", VectorSet3(10, 20, 0), 0, 0);
    ASSERT_NE(hulk.Model, nullptr);
    ASSERT_EQ(hulk.Fires.size(), 2u);
    EXPECT_EQ(hulk.Model->GetPointName(hulk.Fires[0].Index), "SimpleFire");
    EXPECT_EQ(hulk.Model->GetPointName(hulk.Fires[1].Index), "SimpleFire_2");
    // The game folder has no effects: the fires go without emitters, and nothing fails.
    EXPECT_EQ(hulk.Fires[0].Emitter, nullptr);
    hulk.Update(25);
    hulk.Draw();
}

// The objects' program as the scene gives it: it keeps the lighting switches it is handed.
class TLightingShaders : public TShaderSeam {
public:
    bool Use(int) override { return true; }
    void Stop() override {}
    void SetLighting(bool on) override { Calls.push_back(on ? "lighting on" : "lighting off"); }
    std::vector<std::string> Calls;
};

TEST_F(Ground, UnlitMarkersAreUnlitForTheObjectsProgramToo)
{
    // The reload ring and the checkpoints keep their own colours with shaders on as with them off:
    // the objects' program is told to stop lighting just as the device is, and both are lit again
    // after the marker.
    TModelBuilder ring;
    ring.AddMesh("Ring").Box(VectorSet3(-5, -5, 0), VectorSet3(5, 5, 1));
    Save("Data\\Models\\Misc\\Ring.otm", ring);
    TObjectsControl objects;
    TRecordingDevice device;
    TLightingShaders shaders;
    SetAssetDevice(&device);
    ShaderSeam = &shaders;
    for (const bool unlit : {true, false}) {
        SCOPED_TRACE(unlit ? "a marker" : "a wreck");
        device.Calls.clear();
        shaders.Calls.clear();
        TDeadStaticObject marker(objects, AppDir + "Data\\Models\\Misc\\Ring.otm", VectorSet3(10, 20, 0), 0, 0);
        ASSERT_NE(marker.Model, nullptr);
        marker.Unlit = unlit ? 1 : 0;
        marker.Draw();
        const std::vector<std::string> switches =
            unlit ? std::vector<std::string>{"lighting off", "lighting on"} : std::vector<std::string>{};
        EXPECT_EQ(shaders.Calls, switches);
        std::vector<std::string> deviceSwitches;
        for (const std::string &call : device.Calls)
            if (call.rfind("lighting", 0) == 0)
                deviceSwitches.push_back(call);
        EXPECT_EQ(deviceSwitches, switches);
        EXPECT_NE(std::find(device.Calls.begin(), device.Calls.end(), "mesh"), device.Calls.end()) << "drawn";
    }
    ShaderSeam = nullptr;
    SetAssetDevice(nullptr);
}

// ---- State messages -----------------------------------------------------------------------------

// Fills the fields every state message carries with values of its own.
void Dress(TGameObject &object, int seed)
{
    object.Name = "object " + std::to_string(seed);
    object.Position = VectorSet4(100.5f + seed, -20.25f, 7, 1);
    object.Rotation = VectorSet4(3, 45.5f, -2, 0);
    object.Side = seed % 2;
    object.Health = 250;
    object.MaxHealth = 300;
    object.OnRadar = 1;
    object.Targetable = 1;
    object.BlinkOnRadar = 1;
    object.WeaponEnabled = 0;
    object.Order = 2;
    object.OrderData = 12.5f;
    object.Category = TObjectCategory::Building;
}

std::vector<std::uint8_t> State(TGameObject &object)
{
    TByteWriter w;
    object.WriteState(w);
    return w.Out;
}

TEST_F(Ground, StateMessagesRoundTripAtTheirExactSizes)
{
    SaveSites();
    Save("Data\\Maps\\Islands\\Bumpy.otm", BumpyIsland(4, 100));
    TObjectsControl objects;
    using TMaker = std::function<std::unique_ptr<TGameObject>()>;
    const TVector3 o{};
    struct TCase {
        const char   *What;
        std::uint16_t Code;
        std::size_t   Size;
        TMaker        Make;
    };
    const TCase cases[] = {
        {"island", ClassIsland, 304, [&] { return std::make_unique<TIsland>(objects, o, "Bumpy.otm"); }},
        {"building", ClassBuildingStatic, 312,
         [&] { return std::make_unique<TBuildingStatic>(objects, "Data\\Models\\Buildings\\Hut\\Main.otm", o, o); }},
        {"carrier", ClassCarrier, 316, [&] { return std::make_unique<TCarrier>(objects, o, o); }},
        {"empty marker", ClassEmptyObject, 305, [&] { return std::make_unique<TEmptyObject>(objects, o, 0, 0); }},
        {"wreck", ClassDeadStaticObject, 305,
         [&] { return std::make_unique<TDeadStaticObject>(objects, AppDir + "Data\\Models\\None.otm", o, 0, 0); }},
        {"anti-aircraft gun", ClassShilka, 340, [&] { return std::make_unique<TShilka>(objects, o, 0, o); }},
        {"SAM site", ClassCoolSam, 306, [&] { return std::make_unique<TCoolSam>(objects, o, 0, o); }},
    };
    auto *target = new TDummy(0, 0, 0, 1);
    objects.Add(target);
    for (const TCase &test : cases) {
        std::unique_ptr<TGameObject> sent = test.Make();
        Dress(*sent, int(test.Size));
        sent->Target = target;
        if (auto *building = dynamic_cast<TBuildingStatic *>(sent.get()))
            building->WreckClock = 1234;
        if (auto *shilka = dynamic_cast<TShilka *>(sent.get())) {
            ASSERT_NE(shilka->Turret, nullptr);
            shilka->Turret->Rotation.y = 77;
            shilka->Turret->PauseClock = 300;
        }
        const std::vector<std::uint8_t> bytes = State(*sent);
        ASSERT_EQ(bytes.size(), test.Size) << test.What;
        EXPECT_EQ(StateSize(test.Code), test.Size) << test.What;
        EXPECT_EQ(bytes[2] | bytes[3] << 8, test.Code) << test.What;

        std::unique_ptr<TGameObject> received = test.Make();
        TByteReader r(bytes);
        received->ReadState(r);
        EXPECT_EQ(State(*received), bytes) << test.What;
        EXPECT_EQ(received->Name, sent->Name) << test.What;
        EXPECT_FLOAT_EQ(received->Position.x, sent->Position.x) << test.What;

        // A message of another class, or one cut short, leaves a fresh object as it was.
        std::unique_ptr<TGameObject> untouched = test.Make();
        const std::vector<std::uint8_t> before = State(*untouched);
        // Both markers send records of one size: each must still refuse the other's.
        std::unique_ptr<TGameObject> other;
        if (test.Code == ClassEmptyObject)
            other = std::make_unique<TDeadStaticObject>(objects, AppDir + "Data\\Models\\None.otm", o, 0, 0);
        else
            other = std::make_unique<TEmptyObject>(objects, o, 0, 0);
        Dress(*other, 1);
        const std::vector<std::uint8_t> foreign = State(*other);
        TByteReader wrong(foreign);
        untouched->ReadState(wrong);
        TByteReader shortened(bytes.data(), bytes.size() - 1);
        untouched->ReadState(shortened);
        EXPECT_EQ(State(*untouched), before) << test.What;
    }

    // An island placed elsewhere by a message takes its shore along.
    TIsland island(objects, o, "Bumpy.otm");
    TIsland moved(objects, VectorSet3(300, 0, 0), "Bumpy.otm");
    const std::vector<std::uint8_t> placed = State(moved);
    TByteReader r(placed);
    island.ReadState(r);
    ASSERT_FALSE(island.Triangles.empty());
    EXPECT_EQ(island.Triangles[0].Vertices[0].x, moved.Triangles[0].Vertices[0].x);
}

// ---- Script commands ----------------------------------------------------------------------------

class GroundScript : public Ground {
protected:
    GroundScript() : Script(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void Run(const std::string &body)
    {
        Exchange.LoadScript(Script.Write("Mission.ses", "{\n" + body + "\n}\n"));
        Exchange.Update(25);
    }

    const bool          BindingsReset = (ResetScriptBindings(), true);
    const TScriptDir    Script;
    TObjectsControl     Objects;
    TScriptDataExchange Exchange{&Objects, StagedTable};
};

TEST_F(GroundScript, CreateObjectMakesTheClassOfEachTypeWithItsFlags)
{
    struct TCase {
        int                   Type;
        const std::type_info *Class;   // null: nothing is made
        std::uint8_t          Targetable, IsGround;
        int                   Category;
    };
    const TCase cases[] = {
        {0, &typeid(TBuildingStatic), 1, 1, 6}, {1, &typeid(TCarrier), 1, 1, 0},
        {2, &typeid(TCraftSu25), 1, 0, 0},      {3, &typeid(TTransport), 1, 1, 0},
        {4, &typeid(TEmptyObject), 0, 1, 0},    {5, &typeid(TCraftGAS1), 1, 0, 0},
        {6, &typeid(TDestroyer), 1, 1, 0},      {7, &typeid(TBoat), 1, 1, 0},
        {8, nullptr, 0, 0, 0},                  {9, &typeid(TTorpedo), 1, 1, 0},
        {10, nullptr, 0, 0, 0},                 {11, &typeid(TCoolSam), 1, 1, 0},
        {12, &typeid(TSubmarine), 1, 1, 0},     {13, &typeid(TBattleShip), 1, 1, 0},
        {14, &typeid(TCraftAvax), 1, 0, 0},     {15, &typeid(TSuperSubmarine), 1, 1, 0},
        {16, &typeid(TShilka), 1, 1, 0},        {17, nullptr, 0, 0, 0},
        {-1, nullptr, 0, 0, 0},
    };
    for (const TCase &test : cases) {
        const int before = Objects.Count, inGroup = Exchange.Groups[3].UnitCount;
        Run("CreateObject $" + std::to_string(test.Type) +
            " AI_GROUP3 AI_SIDE_ENEMY $250 $10,0 $20,0 $0,0 $5,0 $30,0 \"Hut\\Main.otm\"");
        if (!test.Class) {
            EXPECT_EQ(Objects.Count, before) << test.Type;
            EXPECT_EQ(Exchange.Groups[3].UnitCount, inGroup) << test.Type;
            continue;
        }
        ASSERT_EQ(Objects.Count, before + (test.Type == 1 ? 2 : 1)) << test.Type;
        ASSERT_EQ(Exchange.Groups[3].UnitCount, inGroup + 1) << test.Type;
        TGameObject *made = Exchange.Groups[3].Units.back();
        ASSERT_NE(made, nullptr) << test.Type;
        EXPECT_EQ(made, Objects.Objects[std::size_t(before)]) << test.Type;
        EXPECT_TRUE(typeid(*made) == *test.Class) << test.Type << " made " << typeid(*made).name();
        EXPECT_EQ(made->Targetable, test.Targetable) << test.Type;
        EXPECT_EQ(made->IsGround, test.IsGround) << test.Type;
        EXPECT_EQ(int(made->Category), test.Category) << test.Type;
        EXPECT_EQ(made->Side, 1) << test.Type;
        EXPECT_FLOAT_EQ(made->Health, 250) << test.Type;
        EXPECT_FLOAT_EQ(made->MaxHealth, 250) << test.Type;
        EXPECT_EQ(made->RefCount, 1) << test.Type;
        EXPECT_EQ(made->Dead, 0) << test.Type;
        EXPECT_EQ(made->OnRadar, 1) << test.Type;
        EXPECT_EQ(made->WeaponEnabled, 1) << test.Type;
        EXPECT_EQ(made->Name, "Hut\\Main.otm") << test.Type;
        EXPECT_FLOAT_EQ(made->Position.y, 20) << test.Type;
    }
    auto *building = dynamic_cast<TBuildingStatic *>(Exchange.Groups[3].Units[0]);
    ASSERT_NE(building, nullptr);
    EXPECT_EQ(building->ModelPath, "Data\\Models\\Buildings\\Hut\\Main.otm");
    EXPECT_FLOAT_EQ(building->Rotation.x, 5);
    EXPECT_FLOAT_EQ(building->Rotation.y, 30);
    auto *transport = dynamic_cast<TTransport *>(Exchange.Groups[3].Units[3]);
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(transport->Type, "Hut\\Main.otm");

    // A refused group makes nothing at all.
    const int before = Objects.Count;
    Run("CreateObject OBJECT_COOL_SAM $40 AI_SIDE_ENEMY $250 $10,0 $20,0 $0,0 $5,0 $30,0 Refused");
    EXPECT_EQ(Objects.Count, before);
}

TEST_F(GroundScript, TheCarrierComesWithItsReloadMarkerInNoGroup)
{
    Run("CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $100,0 $200,0 $0,0 $10,0 $90,0 Base");
    ASSERT_EQ(Objects.Count, 2);
    auto *carrier = dynamic_cast<TCarrier *>(Objects.Objects[0]);
    auto *marker = dynamic_cast<TDeadStaticObject *>(Objects.Objects[1]);
    ASSERT_NE(carrier, nullptr);
    ASSERT_NE(marker, nullptr);
    EXPECT_FLOAT_EQ(carrier->Rotation.x, 0) << "a carrier always lies square";
    EXPECT_FLOAT_EQ(carrier->Rotation.y, 0);
    EXPECT_EQ(Exchange.Groups[0].Units, std::vector<TGameObject *>{carrier});

    EXPECT_EQ(marker->ModelPath, AppDir + "Data\\Models\\Misc\\Reload.otm");
    EXPECT_EQ(marker->Marker, 1);
    EXPECT_EQ(marker->Unlit, 1);
    EXPECT_EQ(marker->Side, 0);
    EXPECT_EQ(marker->Health, 0);
    EXPECT_FLOAT_EQ(marker->MaxHealth, 1);
    EXPECT_EQ(marker->Dead, 0);
    EXPECT_EQ(marker->RefCount, 1);
    EXPECT_EQ(marker->Name, "Reload string");
    EXPECT_EQ(marker->Targetable, 0);
    EXPECT_FLOAT_EQ(marker->Position.x, 100);
    EXPECT_FLOAT_EQ(marker->Position.y, 200);
    EXPECT_FLOAT_EQ(marker->Rotation.y, 0);

    // Held for the mission though its health is 0 and no group counts it.
    Exchange.RefreshGroups();
    Objects.Update(25);
    EXPECT_EQ(Objects.Count, 2);
    EXPECT_EQ(marker->RefCount, 1);
}

TEST_F(GroundScript, IslandsAndSceneryJoinTheWorldInNoGroup)
{
    Save("Data\\Maps\\Islands\\Bumpy.otm", BumpyIsland(4, 100));
    SaveBox("Data\\Models\\Static\\Pier.otm");
    Run("CreateIsland $1000,0 $2000,0 $0,0 Bumpy.otm\n"
        "CreateStaticObject $700 $1,0 $2,0 $3,0 $4,0 $50,0 Jetty \"Static\\Pier.otm\"");
    ASSERT_EQ(Objects.Count, 2);
    auto *island = dynamic_cast<TIsland *>(Objects.Objects[0]);
    auto *pier = dynamic_cast<TBuilding *>(Objects.Objects[1]);
    ASSERT_NE(island, nullptr);
    ASSERT_NE(pier, nullptr);
    EXPECT_NE(island->Model, nullptr);
    EXPECT_FALSE(island->Triangles.empty());
    EXPECT_EQ(island->Name, "Island: Bumpy.otm");
    EXPECT_EQ(island->Side, -1);
    EXPECT_EQ(island->Category, TObjectCategory::Island);
    EXPECT_FLOAT_EQ(island->Health, 1000000);
    EXPECT_FLOAT_EQ(island->MaxHealth, 100000);
    EXPECT_FLOAT_EQ(island->Position.y, 2000);
    EXPECT_NE(pier->Model, nullptr);
    EXPECT_EQ(pier->Name, "Jetty");
    EXPECT_EQ(pier->Side, -1);
    EXPECT_EQ(pier->Category, TObjectCategory::Ordinary);
    EXPECT_FLOAT_EQ(pier->Health, 700);
    EXPECT_FLOAT_EQ(pier->MaxHealth, 700);
    EXPECT_FLOAT_EQ(pier->Rotation.y, 50);
    EXPECT_EQ(pier->IsStatic, 1);
    EXPECT_EQ(pier->TargetClass(), TTargetClass::Ground);
    for (const TGameObject *object : {static_cast<const TGameObject *>(island), static_cast<const TGameObject *>(pier)}) {
        EXPECT_EQ(object->RefCount, 0);
        EXPECT_EQ(object->OnRadar, 0);
        EXPECT_EQ(object->Targetable, 0);
        EXPECT_EQ(object->Dead, 0);
    }
    for (const TAIGroup &group : Exchange.Groups)
        EXPECT_EQ(group.UnitCount, 0);

    // The shore takes part in collision at once.
    TCollisionData data;
    data.Centre = VectorSet4(1000, 2000, Bumps(0, 0), 0);
    data.Radius = 5;
    data.Points.push_back({data.Centre});
    data.PointCount = 1;
    EXPECT_TRUE(Objects.Collide(data, true));
    EXPECT_EQ(data.HitObject, island);
}

} // namespace
