// The model builder: what it writes loads back as written, and its shapes face outwards.

#include "assets/OTMModel.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <memory>

#include <cmath>
#include <functional>

namespace {

constexpr float Pi = 3.14159265358979f;

std::unique_ptr<TOTMModel> Load(const TModelBuilder &builder)
{
    auto model = std::make_unique<TOTMModel>();
    model->Parse(builder.Bytes(), "Built.otm");
    return model;
}

TVector3 Mean(const TMeshBuilder &mesh)
{
    TVector3 sum;
    for (const TVector3 &v : mesh.Vertices)
        sum = VectorSet3(sum.x + v.x, sum.y + v.y, sum.z + v.z);
    return VectorScale(sum, 1.0f / float(mesh.Vertices.size()));
}

// For a convex shape around its mean: every face's winding, every vertex normal and the direction
// away from the middle agree.
void ExpectFacesOutwards(const TMeshBuilder &mesh)
{
    ASSERT_FALSE(mesh.Faces.empty());
    const TVector3 middle = Mean(mesh);
    for (std::size_t f = 0; f < mesh.Faces.size(); ++f) {
        const TVector3 &a = mesh.Vertices[std::size_t(mesh.Faces[f][0])], &b = mesh.Vertices[std::size_t(mesh.Faces[f][1])],
                       &c = mesh.Vertices[std::size_t(mesh.Faces[f][2])];
        const TVector3 winding = VectorCross(VectorSubtract(b, a), VectorSubtract(c, a));
        if (VectorLength(winding) < 1e-6f)
            continue;   // a sliver where a ring closes in a point
        const TVector3 centre = VectorScale(VectorSet3(a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z), 1.0f / 3);
        EXPECT_GT(VectorDot(winding, VectorSubtract(centre, middle)), 0) << mesh.Name << " face " << f;
        for (const int corner : mesh.Faces[f])
            EXPECT_GT(VectorDot(mesh.Normals[std::size_t(corner)], winding), 0) << mesh.Name << " face " << f;
    }
}

} // namespace

TEST(ModelBuilder, WhatItWritesLoadsBack)
{
    TModelBuilder builder(3, 20);
    TMeshBuilder &hull = builder.AddMesh("Hull");
    hull.Box(VectorSet3(-1, -4, 0), VectorSet3(1, 4, 1), {0, 0, 0.5f, 0.5f});
    TMeshBuilder &turret = builder.AddMesh("Turret");
    turret.Cylinder(VectorSet3(0, 0, 0), VectorSet3(0, 0, 0.5f), 0.6f, 0.5f, 12, true);
    turret.SetKey(1, VectorSet3(0, 2, 1), KeyRotation(VectorSet3(0, 0, 1), Pi / 2));
    builder.AddMesh("Collision").Box(VectorSet3(-1, -4, 0), VectorSet3(1, 4, 2));
    builder.AddPoint("MachineGun_1", VectorSet3(0.25f, 2.5f, 1.5f));

    auto model = Load(builder);
    EXPECT_EQ(model->Version, 2);
    EXPECT_EQ(model->FrameCount, 3);
    EXPECT_EQ(model->FramesPerSecond, 20);
    ASSERT_EQ(model->MeshCount, 3);
    EXPECT_EQ(model->CollisionMesh, 2);
    const TMesh &box = model->Meshes[0];
    EXPECT_EQ(box.Name, "Hull");
    EXPECT_EQ(box.VertexCount, 24);   // four per face: flat shading
    EXPECT_EQ(box.FaceCount, 12);
    for (const auto &uv : box.TexCoords)
        EXPECT_TRUE(uv[0] >= 0 && uv[0] <= 0.5f && uv[1] >= 0 && uv[1] <= 0.5f);
    const TModelKey &key = model->Meshes[1].Keys[1];
    EXPECT_EQ(key.Position.y, 2);
    EXPECT_EQ(model->Meshes[1].Keys[0].Rotation.w, 1);
    EXPECT_EQ(model->GetPoint(model->FindPoint("MachineGun_1")).y, 2.5f);
    EXPECT_FLOAT_EQ(model->Bounds[7].z, 2);
}

TEST(ModelBuilder, KeyRotationsTurnRightHanded)
{
    // A quarter turn about z takes x to y; about x it takes y to z; a turn about z then about x
    // takes x to y, then y to z.
    struct TCase {
        TVector4 Rotation;
        TVector3 From, To;
    };
    const TVector4 aboutZ = KeyRotation(VectorSet3(0, 0, 1), Pi / 2), aboutX = KeyRotation(VectorSet3(1, 0, 0), Pi / 2);
    const TCase cases[] = {{aboutZ, {1, 0, 0}, {0, 1, 0}},
                           {aboutX, {0, 1, 0}, {0, 0, 1}},
                           {KeyRotationThen(aboutZ, aboutX), {1, 0, 0}, {0, 0, 1}},
                           {KeyRotationThen(aboutX, aboutZ), {0, 1, 0}, {0, 0, 1}}};
    for (const TCase &c : cases) {
        TModelKey key;
        key.Rotation = c.Rotation;
        const TMatrix4 m = KeyTransform({key, key}, TKeySample());
        const TVector3 p = MatrixTransformPoint(c.From, m);
        EXPECT_NEAR(p.x, c.To.x, 1e-6);
        EXPECT_NEAR(p.y, c.To.y, 1e-6);
        EXPECT_NEAR(p.z, c.To.z, 1e-6);
    }
}

TEST(ModelBuilder, ShapesFaceOutwards)
{
    const std::vector<TPoint2> lShape = {{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 3}, {0, 3}};
    std::vector<TPoint2> clockwiseSquare = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const std::vector<std::vector<TVector3>> hull = {
        {{-1, -3, 0}, {1, -3, 0}, {1, -3, 1}, {-1, -3, 1}},
        {{-1.5f, 0, 0}, {1.5f, 0, 0}, {1.5f, 0, 1.2f}, {-1.5f, 0, 1.2f}},
        {{-0.2f, 3, 0.5f}, {0.2f, 3, 0.5f}, {0.2f, 3, 1}, {-0.2f, 3, 1}},
    };
    const std::vector<std::pair<const char *, std::function<void(TMeshBuilder &)>>> shapes = {
        {"box", [](TMeshBuilder &m) { m.Box(VectorSet3(-1, -2, -3), VectorSet3(1, 2, 3)); }},
        {"cylinder", [](TMeshBuilder &m) { m.Cylinder(VectorSet3(1, 1, 1), VectorSet3(2, 3, 4), 1, 0.5f, 9, true); }},
        {"cone", [](TMeshBuilder &m) { m.Cone(VectorSet3(0, 0, 0), VectorSet3(0, -2, 0), 1, 8); }},
        {"sphere", [](TMeshBuilder &m) { m.Sphere(VectorSet3(1, 0, 0), VectorSet3(1, 2, 0.5f), 10, 6); }},
        {"loft", [&](TMeshBuilder &m) { m.Loft(hull, true, true); }},
        {"reversed loft", [&](TMeshBuilder &m) { m.Loft({hull[2], hull[1], hull[0]}, true, true); }},
        {"extrusion", [&](TMeshBuilder &m) { m.Extrude(clockwiseSquare, 2, -1); }},
        {"mirrored", [](TMeshBuilder &m) {
             m.Transform = Placement(VectorSet3(5, 0, 0), {}, VectorSet3(-1, 1, 1));
             m.Cylinder(VectorSet3(0, 0, 0), VectorSet3(1, 0, 0), 1, 1, 8, true);
         }},
        {"placed", [](TMeshBuilder &m) {
             m.Transform = Placement(VectorSet3(1, 2, 3), VectorSet3(0.3f, 0.2f, 1.0f), VectorSet3(2, 1, 0.5f));
             m.Box(VectorSet3(-1, -1, -1), VectorSet3(1, 1, 1));
         }},
    };
    for (const auto &[name, build] : shapes) {
        TMeshBuilder mesh(name, 1);
        build(mesh);
        ExpectFacesOutwards(mesh);
    }

    // A concave outline: the caps cover exactly its area (5 square units) on each side.
    TMeshBuilder l("L", 1);
    l.Extrude(lShape, 0, 1);
    float up = 0, down = 0;
    for (const auto &f : l.Faces) {
        const TVector3 n = VectorCross(VectorSubtract(l.Vertices[std::size_t(f[1])], l.Vertices[std::size_t(f[0])]),
                                       VectorSubtract(l.Vertices[std::size_t(f[2])], l.Vertices[std::size_t(f[0])]));
        (n.z > 0 ? up : down) += std::fabs(n.z) / 2;
    }
    EXPECT_FLOAT_EQ(up, 5);
    EXPECT_FLOAT_EQ(down, 5);
}

TEST(ModelBuilder, RefusesWhatTheGameCouldNotLoad)
{
    TModelBuilder builder(2, 10);
    TMeshBuilder &mesh = builder.AddMesh("M");
    EXPECT_THROW(mesh.SetKey(2, VectorSet3(0, 0, 0)), std::out_of_range);
    EXPECT_THROW(mesh.Face(0, 1, 2, 0, 0, 0), std::out_of_range);
    EXPECT_THROW(mesh.Loft({{VectorSet3(0, 0, 0), VectorSet3(1, 0, 0)}}, false, false), std::invalid_argument);
    EXPECT_THROW(mesh.Extrude({{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 0, 1), std::invalid_argument);   // no area
    EXPECT_THROW(TModelBuilder(0, 10), std::invalid_argument);
    EXPECT_THROW(TModelBuilder(1, 2000), std::invalid_argument);
    builder.AddPoint(std::string("Bad\0Name", 8), VectorSet3(0, 0, 0));
    EXPECT_THROW(builder.Bytes(), std::invalid_argument);
}
