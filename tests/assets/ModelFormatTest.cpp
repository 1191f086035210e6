// Reading ".otm" files and sampling their key frames, without a window.

#include "core/View.h"
#include "assets/OTMModel.h"
#include "tests/assets/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace {

std::unique_ptr<TOTMModel> Parsed(const std::vector<std::uint8_t> &bytes, const std::string &name = "Data\\Models\\Test.otm")
{
    auto model = std::make_unique<TOTMModel>();
    model->Parse(bytes, name);
    return model;
}

std::string Refusal(const std::vector<std::uint8_t> &bytes)
{
    TOTMModel model;
    try {
        model.Parse(bytes, "Bad.otm");
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "accepted";
}

TVector3 MeshPosition(TOTMModel &model, float t)
{
    TVector3 p;
    model.GetMeshPosition(0, p, t);
    return p;
}

} // namespace

TEST(OTMFile, VersionOneHasUnnamedMeshesAndNoCollision)
{
    TRawMesh collision = RawTriangle("Collision", {}, {1, 0, 0}, {0, 1, 0}, 1);
    auto model = Parsed(RawOtm(1, 1, 10, {RawTriangle("Hull", {}, {1, 0, 0}, {0, 1, 0}, 1), collision}, {}));
    EXPECT_EQ(model->Version, 1);
    ASSERT_EQ(model->MeshCount, 2);
    EXPECT_EQ(model->GetMeshName(0), "");
    EXPECT_EQ(model->FindMesh(""), 0);
    EXPECT_EQ(model->CollisionMesh, -1);
    EXPECT_EQ(model->GetCollisionMesh(), nullptr);
    EXPECT_TRUE(model->Meshes[1].Visible);
}

TEST(OTMFile, NamedMeshesPointsAndTheLastCollisionMesh)
{
    const std::vector<TRawMesh> meshes = {RawTriangle("Collision", {}, {1, 0, 0}, {0, 1, 0}, 2),
                                          RawTriangle("Turret", {}, {1, 0, 0}, {0, 1, 0}, 2),
                                          RawTriangle("Collision", {}, {2, 0, 0}, {0, 2, 0}, 2),
                                          RawTriangle("collision", {}, {1, 0, 0}, {0, 1, 0}, 2)};
    auto model = Parsed(RawOtm(2, 2, 25, meshes, {{"Engine_1", {1, -2, 3}}, {"Gun", {4, 5, 6}}, {"Gun", {7, 8, 9}}}));
    EXPECT_EQ(model->FrameCount, 2);
    EXPECT_EQ(model->FramesPerSecond, 25);
    EXPECT_EQ(model->GetMeshCount(), 4);
    EXPECT_EQ(model->FindMesh("Turret"), 1);
    EXPECT_EQ(model->FindMesh("turret"), -1);
    EXPECT_EQ(model->FindMesh("Collision"), 0);
    EXPECT_EQ(model->CollisionMesh, 2);
    EXPECT_EQ(model->GetCollisionMesh(), &model->Meshes[2]);
    EXPECT_FALSE(model->Meshes[0].Visible);
    EXPECT_FALSE(model->Meshes[2].Visible);
    EXPECT_TRUE(model->Meshes[3].Visible);

    EXPECT_EQ(model->GetPointCount(), 3);
    EXPECT_EQ(model->FindPoint("Gun"), 1);
    EXPECT_EQ(model->FindPoint("Missile_1"), -1);
    EXPECT_EQ(model->GetPointName(0), "Engine_1");
    const TVector4 engine = model->GetPoint(0);
    EXPECT_EQ(engine.x, 1);
    EXPECT_EQ(engine.y, -2);
    EXPECT_EQ(engine.z, 3);
    EXPECT_EQ(engine.w, 0);
    for (const int outside : {-1, 3}) {
        const TVector4 p = model->GetPoint(outside);
        EXPECT_TRUE(p.x == 0 && p.y == 0 && p.z == 0 && p.w == 0) << outside;
        EXPECT_EQ(model->GetPointName(outside), "");
    }
}

TEST(OTMFile, NormalsAreMadeUnitLengthButZeroOnesStayZero)
{
    TRawMesh mesh = RawTriangle("M", {}, {1, 0, 0}, {0, 1, 0}, 1);
    mesh.Normals = {VectorSet3(0, 0, 5), VectorSet3(3, 4, 0), VectorSet3(0, 0, 0)};
    auto model = Parsed(RawOtm(2, 1, 10, {mesh}, {}));
    const auto &n = model->Meshes[0].Normals;
    EXPECT_FLOAT_EQ(n[0].z, 1);
    EXPECT_FLOAT_EQ(n[1].x, 0.6f);
    EXPECT_FLOAT_EQ(n[1].y, 0.8f);
    EXPECT_TRUE(n[2].x == 0 && n[2].y == 0 && n[2].z == 0);
}

TEST(OTMFile, BoundsAlwaysHoldTheOrigin)
{
    // Every vertex lies at x > 5, y in 1..2 and z in -3..-1.
    auto model = Parsed(RawOtm(2, 1, 10, {RawTriangle("M", {6, 1, -3}, {8, 2, -1}, {7, 1.5f, -2}, 1)}, {}));
    const float expected[8][3] = {{0, 2, -3}, {0, 0, -3}, {8, 0, -3}, {8, 2, -3},
                                  {0, 2, 0},  {0, 0, 0},  {8, 0, 0},  {8, 2, 0}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(model->Bounds[std::size_t(i)].x, expected[i][0]);
        EXPECT_EQ(model->Bounds[std::size_t(i)].y, expected[i][1]);
        EXPECT_EQ(model->Bounds[std::size_t(i)].z, expected[i][2]);
    }
    EXPECT_FLOAT_EQ(model->Center.x, 4);
    EXPECT_FLOAT_EQ(model->Center.y, 1);
    EXPECT_FLOAT_EQ(model->Center.z, -1.5f);
    EXPECT_FLOAT_EQ(model->Radius, std::sqrt(64.0f + 4 + 9));   // to the far corner, from the origin
}

TEST(KeySampling, NormalizedTimeHoldsTheLastKeyAndClockTimeWraps)
{
    auto model = Parsed(RawOtm(2, 4, 10, {RawTriangle("M", {}, {1, 0, 0}, {0, 1, 0}, 4)}, {}));
    // Key k sits at x = k. DrawAt(1.0) is taken as 0.9999: between the last two keys, never the first.
    const TKeySample end = NormalizedSample(1.0f, 4);
    EXPECT_EQ(end.K0, 3);
    EXPECT_EQ(end.K1, 3);
    EXPECT_FLOAT_EQ(end.F, 0.9999f * 4 - 3);
    EXPECT_FLOAT_EQ(MeshPosition(*model, 1.0f).x, 3);
    EXPECT_FLOAT_EQ(MeshPosition(*model, 0.3f).x, 1.2f);
    EXPECT_FLOAT_EQ(MeshPosition(*model, -0.5f).x, 0);   // before the start counts as the start

    // Clock time: 100 ms per key at 10 per second; at 350 ms the last key blends into the first.
    GameClock = 350;
    EXPECT_FLOAT_EQ(MeshPosition(*model, -1).x, 1.5f);
    GameClock = 4000 + 20;
    EXPECT_FLOAT_EQ(MeshPosition(*model, -1).x, 0.2f);
    GameClock = 0;

    const TKeySample wrap = ClockSample(350, 10, 4);
    EXPECT_EQ(wrap.K0, 3);
    EXPECT_EQ(wrap.K1, 0);
    EXPECT_FLOAT_EQ(wrap.F, 0.5f);
    // The key duration is whole milliseconds: 1000 div 3 = 333.
    const TKeySample third = ClockSample(1000, 3, 5);
    EXPECT_EQ(third.K0, 3);
    EXPECT_FLOAT_EQ(third.F, 1.0f / 333);
}

TEST(KeySampling, OneKeyAlwaysShowsThatKey)
{
    auto model = Parsed(RawOtm(2, 1, 10, {RawTriangle("M", {}, {1, 0, 0}, {0, 1, 0}, 1)}, {}));
    model->Meshes[0].Keys[0].Position = VectorSet4(2, 3, 4, 0);
    for (const float t : {0.0f, 0.5f, 1.0f, -1.0f}) {
        GameClock = 12345;
        const TVector3 p = MeshPosition(*model, t);
        EXPECT_TRUE(p.x == 2 && p.y == 3 && p.z == 4) << t;
        const TKeySample s = t <= -1 ? ClockSample(GameClock, 10, 1) : NormalizedSample(t, 1);
        EXPECT_EQ(s.K0, 0);
        EXPECT_EQ(s.K1, 0);
    }
    GameClock = 0;
}

TEST(KeySampling, RotationsBlendAlongTheShorterArc)
{
    const float h = std::sqrt(0.5f);
    const TVector4 identity = VectorSet4(0, 0, 0, 1);
    const TVector4 quarter = VectorSet4(0, 0, h, h);                 // a quarter turn about z
    const TVector4 quarterNegated = VectorSet4(0, 0, -h, -h);        // the same turn, other sign
    const TVector4 a = QuaternionLerp(identity, quarter, 0.5f);
    const TVector4 b = QuaternionLerp(identity, quarterNegated, 0.5f);
    // The negated pair has a negative dot product: its second quaternion is flipped, so both blends
    // give the same half-way rotation, not a turn the long way round.
    for (const TVector4 &q : {a, b}) {
        EXPECT_FLOAT_EQ(q.x, 0);
        EXPECT_FLOAT_EQ(q.z, h / 2);
        EXPECT_FLOAT_EQ(q.w, 1 - (1 - h) / 2);
    }
    // Not renormalized.
    EXPECT_LT(std::sqrt(a.z * a.z + a.w * a.w), 0.99f);

    // The matrix turns by the inverse of its quaternion, as the key layout does on screen.
    const TMatrix4 m = QuaternionToMatrix(quarter, VectorSet3(10, 20, 30));
    const TVector3 p = MatrixTransformPoint(VectorSet3(1, 0, 0), m);
    EXPECT_NEAR(p.x, 10, 1e-6);
    EXPECT_NEAR(p.y, 19, 1e-6);
    EXPECT_NEAR(p.z, 30, 1e-6);
}

TEST(ModelLOD, BothSlotsAtTheSameDistanceNeverShowLODZero)
{
    TOTMModel base, lod0, lod1;
    EXPECT_EQ(base.SelectLOD(1e9f), &base);
    base.SetLOD(0, &lod0, 50);
    EXPECT_EQ(base.SelectLOD(50), &base);
    EXPECT_EQ(base.SelectLOD(51), &lod0);
    base.SetLOD(1, &lod1, 50);
    for (const float d : {0.0f, 49.0f, 50.0f})
        EXPECT_EQ(base.SelectLOD(d), &base) << d;
    for (const float d : {50.5f, 100.0f, 1e6f})
        EXPECT_EQ(base.SelectLOD(d), &lod1) << d;
}

TEST(OTMFile, BufferHoldsEachCornerOnceAndIndexesItPerFace)
{
    // Two faces sharing the edge 0-2; the second reuses vertex 0 with another texture coordinate,
    // which makes a corner of its own.
    TRawMesh mesh = RawTriangle("M", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, 1);
    mesh.Faces = {{2, 1, 0}, {0, 2, 1}};
    mesh.TexFaces = {{1, 1, 2}, {0, 1, 1}};
    auto model = Parsed(RawOtm(2, 1, 10, {mesh}, {}));
    const TMeshBuffers data = IndexedVertices(model->Meshes[0]);
    const std::size_t stride = OTMVertexStride / 4;
    ASSERT_EQ(data.Indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 0, 1}));
    ASSERT_EQ(data.Vertices.size(), 4 * stride);
    const std::vector<float> first = {7, 8, 9, 0, 0, 0, 1, 0, 1, 0};
    EXPECT_EQ(std::vector<float>(data.Vertices.begin(), data.Vertices.begin() + 10), first);
    EXPECT_EQ(data.Vertices[2 * stride], 1);       // third corner: position x of vertex 0
    EXPECT_EQ(data.Vertices[2 * stride + 8], 0);   // with texture coordinate 2, (0, 1)
    EXPECT_EQ(data.Vertices[2 * stride + 9], 1);
    EXPECT_EQ(data.Vertices[3 * stride], 1);       // vertex 0 again, with texture coordinate 0
    // Every face corner reads back its own vertex and texture coordinate through the indices.
    const TMesh &parsed = model->Meshes[0];
    for (std::size_t f = 0; f < 2; ++f)
        for (std::size_t c = 0; c < 3; ++c) {
            const float *corner = &data.Vertices[data.Indices[f * 3 + c] * stride];
            const TVector4 &v = parsed.Vertices[std::size_t(parsed.Faces[f][c])];
            const auto &uv = parsed.TexCoords[std::size_t(parsed.TexFaces[f][c])];
            EXPECT_EQ(corner[0], v.x);
            EXPECT_EQ(corner[8], uv[0]);
            EXPECT_EQ(corner[9], uv[1]);
        }
}

TEST(OTMFile, TextureIsNamedAfterTheModel)
{
    EXPECT_EQ(OTMTextureName("Data\\Models\\Ships\\Destroyer.otm"), "Data\\Models\\Ships\\Destroyer.png");
    EXPECT_EQ(OTMTextureName("Data\\Models\\Boat.OTM"), "Data\\Models\\Boat.png");
    EXPECT_EQ(OTMTextureName("Data\\x.Otm\\Boat.oTm"), "Data\\x.png\\Boat.png");
}

TEST(OTMFile, EveryShortenedFileIsRefused)
{
    const std::vector<std::uint8_t> full =
        RawOtm(2, 2, 10, {RawTriangle("Hull", {}, {1, 0, 0}, {0, 1, 0}, 2)}, {{"Engine_1", {1, 2, 3}}});
    EXPECT_EQ(Refusal(full), "accepted");
    for (std::size_t size = 0; size < full.size(); ++size) {
        const std::string message = Refusal(std::vector<std::uint8_t>(full.begin(), full.begin() + std::ptrdiff_t(size)));
        EXPECT_EQ(message.rfind("Model \"Bad.otm\" is damaged: ", 0), 0u) << size << ": " << message;
    }
    EXPECT_EQ(Refusal(std::vector<std::uint8_t>(full.begin(), full.begin() + 20)),
              "Model \"Bad.otm\" is damaged: the name of mesh 0 has no terminating zero");
    EXPECT_EQ(Refusal(std::vector<std::uint8_t>(full.begin(), full.begin() + 40)),
              "Model \"Bad.otm\" is damaged: the file ends inside the vertices of mesh 0 (\"Hull\")");
    std::vector<std::uint8_t> trailing = full;
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_EQ(Refusal(trailing), "accepted");
}

TEST(OTMFile, HostileCountsAndIndicesAreRefused)
{
    // Version 1 layout: the mesh block starts at 16 with its three counts; one triangle with three
    // vertices and three texture coordinates puts the faces at 28 + 72 and the texture faces after
    // the coordinates.
    const std::vector<std::uint8_t> valid = RawOtm(1, 1, 10, {RawTriangle("", {}, {1, 0, 0}, {0, 1, 0}, 1)}, {});
    const std::size_t faces = 28 + 72, texFaces = faces + 12 + 24, points = texFaces + 12 + 28;
    struct TCase {
        std::size_t  At;
        std::int32_t Value;
        const char  *Message;
    };
    const TCase cases[] = {
        {4, -1, "the mesh count is negative (-1)"},
        {8, 0, "the frame count is 0; a model needs at least 1 frame"},
        {8, -3, "the frame count is -3; a model needs at least 1 frame"},
        {12, 0, "the frame rate is 0 frames per second; it must be 1 to 1000"},
        {12, 1001, "the frame rate is 1001 frames per second; it must be 1 to 1000"},
        {16, -2, "mesh 0 has a negative vertex count (-2)"},
        {20, -1, "mesh 0 has a negative face count (-1)"},
        {24, -7, "mesh 0 has a negative texture coordinate count (-7)"},
        {16, 0x7fffffff, "the file ends inside the vertices of mesh 0"},
        {20, 0x7fffffff, "the file ends inside the faces of mesh 0"},
        {faces + 4, 3, "face 0 of mesh 0 uses vertex 3, but the mesh has 3"},
        {faces + 8, -1, "face 0 of mesh 0 uses vertex -1, but the mesh has 3"},
        {texFaces, 5, "face 0 of mesh 0 uses texture coordinate 5, but the mesh has 3"},
        {points, -4, "the point count is negative (-4)"},
        {points, 2, "the name of point 0 has no terminating zero"},
        {4, 9, "the file ends inside the face count of mesh 1"},   // the point count read as a vertex count
    };
    ASSERT_EQ(Refusal(valid), "accepted");
    ASSERT_EQ(valid.size(), points + 4);
    for (const TCase &c : cases) {
        std::vector<std::uint8_t> bytes = valid;
        PutInt(bytes, c.At, c.Value);
        EXPECT_EQ(Refusal(bytes), std::string("Model \"Bad.otm\" is damaged: ") + c.Message) << c.At;
    }
}

namespace {

// File bytes spelled out field by field in the test itself, straight from the file layout.
struct THandBytes {
    std::vector<std::uint8_t> Out;
    THandBytes &Int(std::uint32_t v)
    {
        for (int shift = 0; shift < 32; shift += 8)
            Out.push_back(std::uint8_t(v >> shift));
        return *this;
    }
    THandBytes &Float(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return Int(bits);
    }
    THandBytes &Floats(std::initializer_list<float> values)
    {
        for (const float f : values)
            Float(f);
        return *this;
    }
    THandBytes &Ints(std::initializer_list<std::int32_t> values)
    {
        for (const std::int32_t v : values)
            Int(std::uint32_t(v));
        return *this;
    }
    THandBytes &Name(const char *text)
    {
        Out.insert(Out.end(), text, text + std::strlen(text) + 1);
        return *this;
    }
};

} // namespace

TEST(OTMFile, TextureCoordinatesAreCountedApartFromVertices)
{
    THandBytes file;
    file.Ints({2, 2, 1, 10});   // version 2 (named meshes), 2 meshes, 1 frame, 10 per second
    // "Quad": 4 vertices, 2 faces and 6 texture coordinates, so that each face has its own corners
    // in the texture: the vertices 0 and 2 that both faces share take different (u, v) in each.
    file.Name("Quad").Ints({4, 2, 6});
    file.Floats({0, 0, 0, 2, 0, 0, 2, 3, 0, 0, 3, 0});               // vertices
    file.Floats({0, 0, 4, 0, 0, 4, 0, 0, 4, 0, 0, 4});               // normals, made unit length
    file.Ints({0, 1, 2, 0, 2, 3});                                   // faces
    file.Floats({0, 1, 0.25f, 1, 0.25f, 0, 0.5f, 1, 1, 0, 0.5f, 0}); // texture coordinates 0..5
    file.Ints({0, 1, 2, 3, 4, 5});                                   // texture faces
    file.Floats({0, 0, 0, 0, 0, 0, 1});                              // key: position, rotation
    // "Flat": 3 vertices, 1 face and a single texture coordinate that all three corners use.
    file.Name("Flat").Ints({3, 1, 1});
    file.Floats({0, 0, 1, 1, 0, 1, 0, 1, 1});
    file.Floats({0, 0, 1, 0, 0, 1, 0, 0, 1});
    file.Ints({0, 1, 2});
    file.Floats({0.75f, 0.25f});
    file.Ints({0, 0, 0});
    file.Floats({5, 0, 0, 0, 0, 0, 1});
    file.Ints({1}).Name("Gun").Floats({1, 2, 3});   // read right only if both coordinate blocks were
    // 16 header + "Quad" 5 + 12 + 48 + 48 + 24 + 48 + 24 + 28 + "Flat" 5 + 12 + 36 + 36 + 12 + 8 + 12 +
    // 28 + points 4 + 4 + 12.
    ASSERT_EQ(file.Out.size(), 422u);

    auto model = Parsed(file.Out);
    ASSERT_EQ(model->MeshCount, 2);
    const TMesh &quad = model->Meshes[0], &flat = model->Meshes[1];
    EXPECT_EQ(quad.VertexCount, 4);
    EXPECT_EQ(quad.TexCoordCount, 6);
    ASSERT_EQ(quad.TexCoords.size(), 6u);
    EXPECT_EQ(quad.TexCoords[4], (std::array<float, 2>{1, 0}));
    EXPECT_EQ(quad.TexFaces[1], (std::array<int, 3>{3, 4, 5}));
    EXPECT_EQ(flat.TexCoordCount, 1);
    EXPECT_EQ(flat.TexCoords[0], (std::array<float, 2>{0.75f, 0.25f}));
    ASSERT_EQ(model->GetPointCount(), 1);
    EXPECT_EQ(model->GetPointName(0), "Gun");
    EXPECT_EQ(model->GetPoint(0).z, 3);
    EXPECT_FLOAT_EQ(model->Radius, std::sqrt(14.0f));   // box (0, 0, 0) to (2, 3, 1)

    // Each corner pairs its vertex with its own texture coordinate: 10 floats per corner, read
    // face corner by face corner through the indices.
    const auto faceCorners = [](const TMesh &mesh) {
        const TMeshBuffers data = IndexedVertices(mesh);
        std::vector<float> out;
        for (const std::uint32_t i : data.Indices)
            out.insert(out.end(), data.Vertices.begin() + 10 * i, data.Vertices.begin() + 10 * (i + 1));
        return out;
    };
    const std::vector<float> quadCorners = faceCorners(quad);
    ASSERT_EQ(quadCorners.size(), 60u);
    const auto corner = [](const std::vector<float> &data, int i) {
        return std::vector<float>(data.begin() + 10 * i, data.begin() + 10 * (i + 1));
    };
    EXPECT_EQ(corner(quadCorners, 2), (std::vector<float>{2, 3, 0, 0, 0, 0, 1, 0, 0.25f, 0}));   // face 0, vertex 2
    EXPECT_EQ(corner(quadCorners, 3), (std::vector<float>{0, 0, 0, 0, 0, 0, 1, 0, 0.5f, 1}));    // face 1, vertex 0
    EXPECT_EQ(corner(quadCorners, 4), (std::vector<float>{2, 3, 0, 0, 0, 0, 1, 0, 1, 0}));       // face 1, vertex 2
    const std::vector<float> flatCorners = faceCorners(flat);
    ASSERT_EQ(flatCorners.size(), 30u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::vector<float>(flatCorners.begin() + 10 * i + 8, flatCorners.begin() + 10 * i + 10),
                  (std::vector<float>{0.75f, 0.25f}))
            << i;
}
