// The object list of a mission: ids, the update and removal pass, projection, visibility, drawing,
// target search, containment and collision, with real ".otm" models loaded through the model library.

#include "sim/GameObjects.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "sim/Seams.h"
#include "tests/TestUtil.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A unit that counts its updates and draws and reports its destruction.
class TProbe : public TGameObject {
public:
    explicit TProbe(std::vector<std::string> *log = nullptr, std::string tag = {}) : Log(log), Tag(std::move(tag)) {}
    ~TProbe() override
    {
        if (Log)
            Log->push_back("free " + Tag);
    }
    void Update(int dt) override
    {
        ++Updates;
        LastDt = dt;
        if (OnUpdate)
            OnUpdate();
    }
    void Draw() override
    {
        if (Log)
            Log->push_back("draw " + Tag);
    }

    std::vector<std::string> *Log;
    std::string               Tag;
    int                       Updates = 0, LastDt = 0;
    std::function<void()>     OnUpdate;
};

TProbe *MakeProbe(float x, float y, float z, int side = 1, std::uint8_t ground = 0)
{
    auto *probe = new TProbe;
    probe->Position = VectorSet4(x, y, z, 0);
    probe->Side = side;
    probe->IsGround = ground;
    probe->Targetable = 1;
    probe->Health = 100;
    return probe;
}

// The test's own model library in a private data folder, and a clean player and view.
class ObjectsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = nullptr;
        ModelLib = &Models;
        PlayerAircraft = nullptr;
        ViewModelView = MatrixIdentity();
        ViewProjection = MatrixIdentity();
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        PlayerAircraft = nullptr;
        NetworkGame = NetworkHost = false;
        AppDir = SavedAppDir;
    }

    // A crate of half extents 10 (x), 20 (y, the nose) and 5 (z) about its origin, with a collision
    // mesh of the same box.
    TModel *Crate()
    {
        TModelBuilder builder;
        builder.AddMesh("Hull").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        builder.AddMesh("Collision").Box(VectorSet3(-10, -20, -5), VectorSet3(10, 20, 5));
        WriteBytes(Dir.Path / "Data" / "Models" / "Crate.otm", builder.Bytes());
        TModel *model = ModelLib->Load(AppDir + "Data\\Models\\Crate.otm");
        EXPECT_NE(model, nullptr);
        return model;
    }

    TTempDir    Dir{"sim-objects"};
    TModelLib   Models;
    std::string SavedAppDir;
};

void ExpectNear(const TVector3 &actual, float x, float y, float z, const std::string &what)
{
    EXPECT_NEAR(actual.x, x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, z, 1e-4f) << what;
}

} // namespace

// ---- Sphere against triangle ---------------------------------------------------------------------

TEST(SphereTriangle, ContactTable)
{
    // The right triangle (0,0,0), (100,0,0), (0,100,0) in the ground plane, normal up.
    const TVector3 a = VectorSet3(0, 0, 0), b = VectorSet3(100, 0, 0), c = VectorSet3(0, 100, 0);
    const TVector3 n = VectorSet3(0, 0, 1);
    struct TCase {
        const char *What;
        TVector3    Centre;
        bool        Contact;
        float       PushZ;   // on contact: n x (r - d)
    };
    const TCase cases[] = {
        {"inside, above", {20, 20, 5}, true, 5},
        {"inside, below", {20, 20, -3}, true, 13},
        {"inside, touching the plane", {30, 30, 0}, true, 10},
        {"inside, exactly one radius away", {20, 20, 10}, false, 0},
        {"inside, beyond the radius", {20, 20, -12}, false, 0},
        {"projected onto an edge", {50, 0, 8}, true, 2},
        {"outside, 3.6 from an edge", {50, -3, 2}, true, 8},
        {"outside, 5.7 from an edge", {50, -4, 4}, false, 0},
        {"outside, 3.5 from a corner", {-2, -2, 2}, true, 8},
        {"outside, 6.4 from a corner", {-4, -4, 3}, false, 0},
        {"far away in the plane", {500, 500, 0}, false, 0},
    };
    for (const TCase &test : cases) {
        TVector4 push = VectorSet4(7, 7, 7, 7);
        EXPECT_EQ(SphereTouchesTriangle(test.Centre, 10, a, b, c, n, push), test.Contact) << test.What;
        if (test.Contact)
            ExpectNear(push, 0, 0, test.PushZ, test.What);
        else
            EXPECT_EQ(push.x, 7) << test.What << ": no contact leaves PushOut alone";
    }
}

TEST(SphereTriangle, EveryPointAboveATiltedTriangleIsInside)
{
    // Far from the edges only the inside test can report contact; it must not miss a point to rounding.
    const TVector3 a = VectorSet3(13.7f, -40.1f, 3.3f), b = VectorSet3(211.9f, 17.3f, 40.6f);
    const TVector3 c = VectorSet3(-31.4f, 180.2f, -25.8f);
    const TVector3 n = TriangleNormal(a, b, c);
    int misses = 0;
    for (int i = 1; i < 20; ++i)
        for (int j = 1; i + j < 20; ++j) {
            const float u = float(i) / 20, v = float(j) / 20;
            TVector3 p = VectorSet3(a.x + u * (b.x - a.x) + v * (c.x - a.x), a.y + u * (b.y - a.y) + v * (c.y - a.y),
                                    a.z + u * (b.z - a.z) + v * (c.z - a.z));
            p = VectorSubtract(p, VectorScale(n, 9.0f));   // 9 from the plane: beyond the edge distance
            TVector4 push;
            if (!SphereTouchesTriangle(p, 10, a, b, c, n, push))
                ++misses;
        }
    EXPECT_EQ(misses, 0);
}

// ---- Ids, adding and removing --------------------------------------------------------------------

TEST(ObjectsControl, IdsWrapAt16BitsAndTheFirstMatchWins)
{
    TObjectsControl control;
    EXPECT_EQ(control.NextId, 1u);
    for (int i = 0; i < 65537; ++i) {
        auto *probe = new TProbe;
        probe->Id = control.NewId();
        control.Add(probe);
    }
    ASSERT_EQ(control.Count, 65537);
    EXPECT_EQ(control.Objects[0]->Id, 1);
    EXPECT_EQ(control.Objects[65534]->Id, 65535);
    EXPECT_EQ(control.Objects[65535]->Id, 0);   // the wrap
    EXPECT_EQ(control.Objects[65536]->Id, 1);
    EXPECT_EQ(control.FindById(1), control.Objects[0]);
    EXPECT_EQ(control.FindById(0), control.Objects[65535]);
    EXPECT_EQ(TObjectsControl().FindById(1), nullptr);
}

TEST(ObjectsControl, AddRemoveContainsAndDestruction)
{
    std::vector<std::string> log;
    TProbe player(&log, "player");
    PlayerAircraft = &player;
    {
        TObjectsControl control;
        auto *a = new TProbe(&log, "a"), *b = new TProbe(&log, "b"), *c = new TProbe(&log, "c");
        for (TProbe *probe : {a, b, c})
            control.Add(probe);
        control.Add(nullptr);
        EXPECT_EQ(control.Count, 3);
        EXPECT_EQ(a->WeaponEnabled, 1);
        EXPECT_TRUE(control.Contains(b));
        EXPECT_TRUE(control.Contains(&player));
        EXPECT_FALSE(control.Contains(nullptr));

        TProbe stranger;
        control.Remove(&stranger);   // not listed: nothing happens
        EXPECT_EQ(control.Count, 3);
        player.Target = a;
        c->Target = a;
        control.Remove(a);   // freed, the last entry takes its slot
        ASSERT_EQ(control.Count, 2);
        EXPECT_EQ(control.Objects[0], c);
        EXPECT_EQ(control.Objects[1], b);
        EXPECT_EQ(player.Target, nullptr);   // nobody keeps pointing at a freed object
        EXPECT_EQ(c->Target, nullptr);
        EXPECT_EQ(log, std::vector<std::string>{"free a"});
        player.Target = b;
    }
    // The end of the mission frees everything still listed.
    EXPECT_EQ(log, (std::vector<std::string>{"free a", "free c", "free b"}));
    EXPECT_EQ(player.Target, nullptr);
    PlayerAircraft = nullptr;
}

TEST(ObjectsControl, AStampGivesOnlyTheFieldsItHolds)
{
    // Health goes through SetHealth, so that a class may react to it.
    struct TReacting : TProbe {
        void SetHealth(float value) override
        {
            Health = value;
            ++HealthCalls;
        }
        int HealthCalls = 0;
    };
    TObjectsControl control;
    control.NewId();
    TReacting object;
    object.Position = VectorSet4(9, 9, 9, 9);
    object.Side = 7;
    object.OnRadar = 1;
    object.IsGround = 1;
    object.Category = TObjectCategory::Island;
    object.Dead = 1;
    object.RefCount = 5;
    StampObject(object, {.IdFrom = &control,
                         .Position = VectorSet3(1, 2, 3),
                         .Rotation = VectorSet3(10, 20, 30),
                         .Health = 40,
                         .MaxHealth = 50,
                         .Name = std::string(300, 'x'),
                         .Targetable = 1,
                         .Held = true});
    EXPECT_EQ(object.Id, 2);
    EXPECT_EQ(control.NextId, 3u);
    EXPECT_EQ(object.Position.x, 1);
    EXPECT_EQ(object.Position.w, 0);
    EXPECT_EQ(object.Rotation.z, 30);
    EXPECT_EQ(object.Rotation.w, 0);
    EXPECT_EQ(object.Health, 40);
    EXPECT_EQ(object.HealthCalls, 1);
    EXPECT_EQ(object.MaxHealth, 50);
    EXPECT_EQ(object.Name, std::string(MaxObjectNameLength, 'x'));
    EXPECT_EQ(object.Targetable, 1);
    EXPECT_EQ(object.Dead, 0);
    EXPECT_EQ(object.RefCount, 1);
    // What the stamp leaves out stays.
    EXPECT_EQ(object.Side, 7);
    EXPECT_EQ(object.OnRadar, 1);
    EXPECT_EQ(object.IsGround, 1);
    EXPECT_EQ(object.Category, TObjectCategory::Island);

    StampObject(object, {.Held = false});
    EXPECT_EQ(object.RefCount, 0);
    EXPECT_EQ(object.Id, 2);
    EXPECT_EQ(object.HealthCalls, 1);
}

// ---- The update pass -----------------------------------------------------------------------------

TEST(ObjectsControl, UpdateFreesTheDeadOnlyOnceNoScriptHoldsThem)
{
    std::vector<std::string> log;
    TObjectsControl control;
    auto *a = new TProbe(&log, "a"), *b = new TProbe(&log, "b"), *c = new TProbe(&log, "c");
    auto *d = new TProbe(&log, "d"), *held = new TProbe(&log, "held");
    for (TProbe *probe : {a, b, c, d, held})
        control.Add(probe);
    b->Dead = d->Dead = held->Dead = 1;
    held->RefCount = 1;   // a script group still holds it
    a->Target = b;

    control.Update(25);
    for (TProbe *probe : {a, b, c, d, held})
        EXPECT_EQ(probe->LastDt, 25) << probe->Tag << " is updated before removal";
    // b goes, held takes its slot; d goes, c stays; held stays listed while it is held.
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "free d"}));
    ASSERT_EQ(control.Count, 3);
    EXPECT_EQ(control.Objects, (std::vector<TGameObject *>{a, held, c}));
    EXPECT_EQ(a->Target, nullptr);

    control.Update(25);
    EXPECT_EQ(control.Count, 3);
    EXPECT_EQ(held->Updates, 2);   // a dead object is still updated by its class
    held->RefCount = 0;            // the group lets go
    control.Update(25);
    EXPECT_EQ(log.back(), "free held");
    EXPECT_EQ(control.Objects, (std::vector<TGameObject *>{a, c}));
}

TEST(ObjectsControl, ASwappedInDeadObjectIsExaminedToo)
{
    std::vector<std::string> log;
    TObjectsControl control;
    auto *a = new TProbe(&log, "a"), *b = new TProbe(&log, "b"), *c = new TProbe(&log, "c");
    auto *d = new TProbe(&log, "d");
    for (TProbe *probe : {a, b, c, d})
        control.Add(probe);
    b->Dead = d->Dead = 1;   // d moves into b's slot and must go as well
    control.Update(10);
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "free d"}));
    EXPECT_EQ(control.Objects, (std::vector<TGameObject *>{a, c}));
}

TEST(ObjectsControl, ObjectsAddedDuringUpdateWaitForTheNextPass)
{
    TObjectsControl control;
    auto *gun = new TProbe;
    TProbe *shot = nullptr;
    gun->OnUpdate = [&] {
        if (!shot) {
            shot = new TProbe;
            control.Add(shot);
        }
    };
    control.Add(gun);
    control.Update(25);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(control.Count, 2);
    EXPECT_EQ(shot->Updates, 0);
    EXPECT_EQ(shot->WeaponEnabled, 1);
    control.Update(25);
    EXPECT_EQ(shot->Updates, 1);
    EXPECT_EQ(gun->Updates, 2);
}

// ---- Projection, visibility and drawing ----------------------------------------------------------

TEST_F(ObjectsTest, ProjectToScreenUsesTheFramesMatrices)
{
    // The camera 10 back from the origin looking down -z, and a 90 degree perspective of aspect 1 with
    // near 1 and far 100, both as the graphics library holds them.
    ViewModelView = MatrixIdentity();
    ViewModelView[14] = -10;
    ViewProjection = TMatrix4{};
    ViewProjection[0] = 1;
    ViewProjection[5] = 1;
    ViewProjection[10] = -101.0f / 99;
    ViewProjection[11] = -1;
    ViewProjection[14] = -200.0f / 99;
    // Eye space (2, 3, -10): clip (2, 3, 810/99, 10).
    ExpectNear(ProjectToScreen(VectorSet3(2, 3, 0)), 0.2f, 0.3f, 81.0f / 99, "ahead");
    // Behind the eye w is negative and the point comes out mirrored, as it is.
    ExpectNear(ProjectToScreen(VectorSet3(2, 3, 20)), -0.2f, -0.3f, 121.0f / 99, "behind");

    // The projection pass: a model object projects its world box centre, a bare one its position.
    TModel *crate = Crate();
    TObjectsControl control;
    auto *boxed = MakeProbe(0, 0, 0);
    boxed->Model = crate;
    boxed->Rotation = VectorSet4(0, 90, 0, 0);   // nose to +x
    auto *bare = MakeProbe(-4, 1, 0);
    control.Add(boxed);
    control.Add(bare);
    control.UpdateProjection();
    ExpectNear(boxed->ViewCentre, 0, 0, 0, "box centre");
    // Corner 2 is (maxX, minY, minZ) = (10, -20, -5): heading 90 turns the nose (+y) to +x.
    ExpectNear(boxed->BoxCorners[2], -20, -10, -5, "corner 2");
    ExpectNear(bare->ViewCentre, -4, 1, 0, "bare centre");
    EXPECT_NEAR(bare->ScreenX, -0.4f, 1e-5f);
    EXPECT_NEAR(bare->ScreenY, 0.1f, 1e-5f);
    EXPECT_NEAR(boxed->ScreenX, 0, 1e-5f);
}

TEST_F(ObjectsTest, WithoutAWindowEveryModelIsVisibleAndDrawingNeedsNoShader)
{
    struct TRecordingShader : TShaderSeam {
        std::vector<std::string> *Log = nullptr;
        bool Use(int program) override
        {
            Log->push_back("use " + std::to_string(program));
            return true;
        }
        void Stop() override { Log->push_back("stop"); }
    };
    std::vector<std::string> log;
    TObjectsControl control;
    auto *boxed = new TProbe(&log, "boxed");
    boxed->Model = Crate();
    auto *bare = new TProbe(&log, "bare");
    control.Add(boxed);
    control.Add(bare);
    control.Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"draw boxed", "draw bare"}));
    TRecordingShader shader;
    shader.Log = &log;
    ShaderSeam = &shader;
    log.clear();
    control.Draw();
    ShaderSeam = nullptr;
    EXPECT_EQ(log, (std::vector<std::string>{"use 0", "draw boxed", "draw bare", "stop"}));
}

// ---- Queries -------------------------------------------------------------------------------------

TEST_F(ObjectsTest, FindNearestTargetTiesAndFilters)
{
    TProbe player;
    player.Side = 0;
    player.Position = VectorSet4(100, 0, 0, 0);
    PlayerAircraft = &player;
    TObjectsControl control;
    auto *airA = MakeProbe(0, 100, 0);
    auto *airB = MakeProbe(-100, 0, 0);          // as far as airA and the player
    auto *ship = MakeProbe(0, 0, 50, 1, 1);
    auto *friendly = MakeProbe(0, -100, 0, 0);   // as far as the player, on its side
    auto *neutral = MakeProbe(0, 0, -100, -1);
    auto *untargetable = MakeProbe(3, 0, 0, -1);
    untargetable->Targetable = 0;
    auto *wreck = MakeProbe(4, 0, 0, -1);
    wreck->Health = 0;
    for (TProbe *probe : {airA, airB, ship, friendly, neutral, untargetable, wreck})
        control.Add(probe);
    const TVector3 origin{};

    struct TCase {
        const char  *What;
        bool         Air, Ground;
        int          Side;
        float        Range;
        TGameObject *Expected;
    };
    const TCase cases[] = {
        {"enemy looking for aircraft: the player wins the tie", true, false, 1, 1000, &player},
        {"friend looking for aircraft: the earlier of two at a tie", true, false, 0, 1000, airA},
        {"friend looking for anything: the nearer ship", true, true, 0, 1000, ship},
        {"friend looking for ground only", false, true, 0, 1000, ship},
        {"the range is a strict bound", true, true, 0, 50, nullptr},
        {"enemy looking for ground: none on other sides", false, true, 1, 1000, nullptr},
        {"nothing allowed", false, false, 0, 1000, nullptr},
    };
    for (const TCase &test : cases)
        EXPECT_EQ(control.FindNearestTarget(test.Air, test.Ground, test.Side, origin, test.Range), test.Expected)
            << test.What;

    PlayerAircraft = nullptr;
    EXPECT_EQ(control.FindNearestTarget(true, false, 1, origin, 1000), friendly) << "no player: the first at the tie";
}

TEST_F(ObjectsTest, FindContainingTestsAllSixFacesOfTheTurnedBox)
{
    TModel *crate = Crate();
    TObjectsControl control;
    // At (100, 200, 50) with the nose to +x, the crate spans x 80..120, y 190..210, z 45..55.
    auto *turned = MakeProbe(100, 200, 50);
    turned->Model = crate;
    turned->Rotation = VectorSet4(0, 90, 0, 0);
    auto *twin = MakeProbe(100, 200, 50);   // the same place, later in the list
    twin->Model = crate;
    control.Add(turned);
    control.Add(twin);
    control.UpdateProjection();

    EXPECT_EQ(control.FindContaining(VectorSet3(100, 200, 50)), turned);
    const TVector3 outside[] = {{79.5f, 200, 50}, {120.5f, 200, 50}, {100, 189.5f, 50},
                                {100, 210.5f, 50}, {100, 200, 44.5f}, {100, 200, 55.5f}};
    const TVector3 inside[] = {{80.5f, 200, 50}, {119.5f, 200, 50}, {100, 190.5f, 50},
                               {100, 209.5f, 50}, {100, 200, 45.5f}, {100, 200, 54.5f}};
    for (int face = 0; face < 6; ++face) {
        // The twin (unturned: x 90..110, y 180..220) must not answer for the turned crate's ends.
        twin->Targetable = 0;
        EXPECT_EQ(control.FindContaining(outside[face]), nullptr) << "just outside face " << face;
        EXPECT_EQ(control.FindContaining(inside[face]), turned) << "just inside face " << face;
        twin->Targetable = 1;
    }
    // The first live, targetable one wins; the dead and the untargetable are passed over.
    EXPECT_EQ(control.FindContaining(VectorSet3(100, 215, 50)), twin);
    turned->Dead = 1;
    EXPECT_EQ(control.FindContaining(VectorSet3(100, 200, 50)), twin);
    twin->Model = nullptr;
    EXPECT_EQ(control.FindContaining(VectorSet3(100, 200, 50)), nullptr);
}

// ---- Collision -----------------------------------------------------------------------------------

namespace {

// A piece of shore: one upward-facing world triangle of 1000 x 1000 at sea level.
class TShore : public TProbe {
public:
    TShore()
    {
        Triangle.Normal = VectorSet4(0, 0, 1, 0);
        Triangle.Vertices[0] = VectorSet4(0, 0, 0, 0);
        Triangle.Vertices[1] = VectorSet4(1000, 0, 0, 0);
        Triangle.Vertices[2] = VectorSet4(0, 1000, 0, 0);
    }
    std::span<const TWorldTriangle> WorldTriangles() const override { return {&Triangle, 1}; }
    TWorldTriangle Triangle;
};

TCollisionData Probe(const TVector3 &centre, float radius, const std::vector<TVector3> &points)
{
    TCollisionData data;
    data.Centre = VectorSet4(centre.x, centre.y, centre.z, 0);
    data.Radius = radius;
    for (const TVector3 &p : points)
        data.Points.push_back({VectorSet4(p.x, p.y, p.z, 0)});
    data.PointCount = std::int32_t(points.size());
    return data;
}

} // namespace

TEST_F(ObjectsTest, CollideAgainstTheTurnedCollisionMesh)
{
    TModel *crate = Crate();
    TObjectsControl control;
    // At (500, 0, 100) with the nose to +x: x 480..520, y -10..10, top at z 105.
    auto *crateObject = MakeProbe(500, 0, 100);
    crateObject->Model = crate;
    crateObject->Rotation = VectorSet4(0, 90, 0, 0);
    control.Add(crateObject);

    // 3 above the top, over the nose end: only the top face is within reach.
    TCollisionData data = Probe(VectorSet3(515, 0, 108), 5, {{0, 0, 300}, {515, 0, 108}});
    ASSERT_TRUE(control.Collide(data, false));
    EXPECT_EQ(data.HitObject, crateObject);
    // The face normal points out of the crate (the face as drawn, counter-clockwise from outside) and
    // PushOut = n x (r - d), d the signed distance along n: n (0, 0, 1), d 3, PushOut (0, 0, 7), so
    // the sphere ends up just touching the top.
    ExpectNear(data.PushOut, 0, 0, 7, "push out");

    // 15 to the side: inside the top face unturned, but 5.8 beyond the turned crate's edge.
    data = Probe(VectorSet3(500, 15, 108), 5, {{500, 15, 108}});
    EXPECT_FALSE(control.Collide(data, false));
    EXPECT_EQ(data.HitObject, nullptr);

    struct TCase {
        const char *What;
        std::function<void()> Change;
    };
    const TCase misses[] = {
        {"destroyed", [&] { crateObject->Health = 0; }},
        {"not targetable", [&] { crateObject->Targetable = 0; }},
        {"beyond the broad phase", [&] { crateObject->Position.x = 700; }},
        {"no model", [&] { crateObject->Model = nullptr; }},
    };
    for (const TCase &test : misses) {
        crateObject->Health = 100;
        crateObject->Targetable = 1;
        crateObject->Position.x = 500;
        crateObject->Model = crate;
        test.Change();
        data = Probe(VectorSet3(515, 0, 108), 5, {{515, 0, 108}});
        EXPECT_FALSE(control.Collide(data, false)) << test.What;
    }
    // A building takes part even when it cannot be targeted; only islands answer an islands-only query.
    crateObject->Position.x = 500;
    crateObject->Model = crate;
    crateObject->Health = 100;
    crateObject->Targetable = 0;
    crateObject->Category = TObjectCategory::Building;
    data = Probe(VectorSet3(515, 0, 108), 5, {{515, 0, 108}});
    EXPECT_TRUE(control.Collide(data, false));
    EXPECT_FALSE(control.Collide(data, true));
}

TEST_F(ObjectsTest, IslandsCollideThroughTheirOwnTriangles)
{
    TModel *crate = Crate();
    TObjectsControl control;
    auto *island = new TShore;
    island->Position = VectorSet4(200, 200, 0, 0);
    island->Health = 1;
    island->Side = -1;
    island->Category = TObjectCategory::Island;
    island->Model = crate;   // its model's mesh is not tested, only the shore triangles
    control.Add(island);

    TCollisionData data = Probe(VectorSet3(200, 200, 4), 1000, {{300, 300, 4}});
    ASSERT_TRUE(control.Collide(data, true));
    EXPECT_EQ(data.HitObject, island);
    ExpectNear(data.PushOut, 0, 0, 6, "push out");

    // At the island's own position, above its model but clear of the shore by more than the radius.
    data = Probe(VectorSet3(200, 200, 4), 1000, {{200, 200, 12}, {-50, -50, 3}});
    EXPECT_FALSE(control.Collide(data, false));
}

// ---- Projectiles ---------------------------------------------------------------------------------

TEST_F(ObjectsTest, AClientLaunchesNothingOfItsOwn)
{
    TObjectsControl control;
    NetworkGame = true;
    NetworkHost = false;
    EXPECT_EQ(control.LaunchMissile({}, {0, 1, 0}, 50, 100, 300, 10, nullptr, 0, 5000, 0, false), nullptr);
    EXPECT_EQ(control.LaunchBomb({}, {0, 1, 0}, 100, 500, 10, nullptr, 0, false), nullptr);
    EXPECT_EQ(control.Count, 0);
}

// ---- The grid of the update pass ------------------------------------------------------------------

namespace {

// The nearest target by scanning the whole list, as the queries answer outside an update pass.
TGameObject *ScanNearest(const TObjectsControl &control, bool air, bool ground, int side, const TVector3 &at,
                         float range)
{
    TGameObject *best = nullptr;
    float bestDistance = range;
    for (TGameObject *object : control.Objects) {
        if (object->Targetable != 1 || object->Side == side || object->Health <= 0)
            continue;
        if (!((object->IsGround == 1 && ground) || (object->IsGround == 0 && air)))
            continue;
        const float d = VectorDistance(object->Position, at);
        if (d < bestDistance) {
            best = object;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

TEST_F(ObjectsTest, DuringTheUpdatePassQueriesAnswerAsTheScanDoes)
{
    // A crowd of movers, ties on purpose (objects stacked on the same spot), a few far out and one
    // huge model; every probe's update moves it, then asks the queries the units ask, and compares
    // each answer with a scan of the list.
    TModel *crate = Crate();
    TModelBuilder big;
    big.AddMesh("Collision").Box(VectorSet3(-3000, -3000, -5), VectorSet3(3000, 3000, 5));
    WriteBytes(Dir.Path / "Data" / "Models" / "Big.otm", big.Bytes());
    TModel *huge = ModelLib->Load(AppDir + "Data\\Models\\Big.otm");
    ASSERT_NE(huge, nullptr);

    TObjectsControl control;
    RandSeed = 5;
    const auto coordinate = [] { return float(Random(30000) - 15000); };
    int compared = 0, found = 0, hits = 0;
    for (int i = 0; i < 400; ++i) {
        auto *probe = MakeProbe(coordinate(), coordinate(), float(Random(3000)), Random(3) - 1, std::uint8_t(Random(2)));
        if (i % 50 == 0)
            probe->Position = VectorSet4(1e8f, -1e8f, 0, 0);   // far beyond the others
        if (i % 7 == 0 && i > 0)
            probe->Position = control.Objects[std::size_t(i - 1)]->Position;   // a tie
        probe->Model = i % 3 == 0 ? crate : nullptr;
        if (i == 200) {
            probe->Model = huge;
            probe->Category = TObjectCategory::Island;
        }
        probe->Rotation.y = float(Random(360));
        probe->OnUpdate = [&, probe] {
            // Move, sometimes across several cells.
            probe->Position.x += float(Random(4001) - 2000);
            probe->Position.y += float(Random(4001) - 2000);
            if (Random(20) == 0) {   // a shot fired during the pass
                auto *shot = MakeProbe(probe->Position.x, probe->Position.y, probe->Position.z, probe->Side);
                shot->Model = crate;
                control.Add(shot);
            }
            const TVector3 at = VectorSet3(probe->Position.x + float(Random(600) - 300),
                                           probe->Position.y + float(Random(600) - 300), float(Random(3000)));
            const float ranges[] = {1000, 2000, 4000, 25000, 1e7f};
            const float range = ranges[Random(5)];
            const bool air = Random(2) == 0, ground = Random(2) == 0;
            TGameObject *expected = ScanNearest(control, air, ground, probe->Side, at, range);
            if (PlayerAircraft == nullptr && Random(10) == 0) {
                control.SpatialIndex = false;   // the list scan inside the pass agrees with the test's
                EXPECT_EQ(control.FindNearestTarget(air, ground, probe->Side, at, range), expected);
                control.SpatialIndex = true;
            }
            EXPECT_EQ(control.FindNearestTarget(air, ground, probe->Side, at, range), expected);
            ++compared;
            found += expected != nullptr;

            TCollisionData data;
            data.Centre = VectorSet4(at.x, at.y, at.z, 0);
            data.Radius = 30;
            data.Points.push_back({VectorSet4(at.x, at.y, at.z, 0)});
            data.PointCount = 1;
            if (Random(4) == 0 && control.Count > 0) {   // right at an object, to make contact likely
                const TGameObject *near = control.Objects[std::size_t(Random(control.Count))];
                data.Points[0].Position = near->Position;
                data.Points[0].Position.z += 4;
                data.Centre = data.Points[0].Position;
            }
            TCollisionData scan = data;
            control.SpatialIndex = false;
            const bool scanHit = control.Collide(scan, false);
            control.SpatialIndex = true;
            const bool hit = control.Collide(data, false);
            EXPECT_EQ(hit, scanHit);
            EXPECT_EQ(data.HitObject, scan.HitObject);
            EXPECT_EQ(data.PushOut.x, scan.PushOut.x);
            EXPECT_EQ(data.PushOut.y, scan.PushOut.y);
            EXPECT_EQ(data.PushOut.z, scan.PushOut.z);
            hits += hit;
        };
        control.Add(probe);
    }
    control.Update(25);
    EXPECT_GT(compared, 300);
    EXPECT_GT(found, 50);
    EXPECT_GT(hits, 10);
}
