#pragma once
// Builds ".otm" models in code: meshes from boxes, cylinders, cones, spheres, lofted hulls and
// extruded outlines, with texture coordinates, named points and key frames. The content generators
// and the model tool write their models through it.
//
// Conventions of the game's models: x right, y forward (the nose points along +y), z up; faces run
// counter-clockwise seen from outside, with normals pointing out; texture v = 0 is the image's top
// row. Every primitive spreads its texture over a TUVRect, so one texture can hold the parts of a
// whole model side by side.

#include "assets/Model.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The part of the model's texture a primitive is mapped onto.
struct TUVRect {
    float U0 = 0, V0 = 0, U1 = 1, V1 = 1;
};

struct TPoint2 {
    float x = 0, y = 0;
};

// The rotation of a key frame that turns a mesh by Angle radians about Axis, right-handed (about z,
// x turns towards y).
TVector4 KeyRotation(const TVector3 &axis, float angle);
// The key rotation that applies First, then Second.
TVector4 KeyRotationThen(const TVector4 &first, const TVector4 &second);
constexpr TVector4 KeyIdentity() { TVector4 q; q.w = 1; return q; }

// A placement for Transform: rotation about x, then y, then z (radians), then translation.
TMatrix4 Placement(const TVector3 &position, const TVector3 &angles = {}, const TVector3 &scale = {1, 1, 1});

class TMeshBuilder {
public:
    TMeshBuilder(std::string name, int frameCount);

    // Where the shapes added from now on go, in the mesh's own coordinates (row vectors: p * Transform).
    // A mirroring transform (negative determinant) keeps faces facing out.
    TMatrix4 Transform = MatrixIdentity();

    // Raw geometry. Positions and normals go through Transform; indices are this mesh's.
    int  Vertex(const TVector3 &position, const TVector3 &normal);
    int  TexCoord(float u, float v);
    void Face(int a, int b, int c, int ta, int tb, int tc);

    // One flat triangle or quad, corners counter-clockwise seen from the front, starting at the
    // lower left. The rectangle stands upright on the quad: U0..U1 from corner 0 to corner 1, its top
    // edge V0 along corners 3-2. The triangle takes the lower-left, lower-right and upper-right
    // corners of the rectangle.
    void Triangle(const TVector3 &a, const TVector3 &b, const TVector3 &c, const TUVRect &uv = {});
    void Quad(const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d, const TUVRect &uv = {});
    // An axis-aligned box, flat-shaded; each face gets the whole rectangle.
    void Box(const TVector3 &min, const TVector3 &max, const TUVRect &uv = {});
    // A smooth tube from A to B, with radius RadiusA at A and RadiusB at B (0 makes a point),
    // Segments around; flat caps close the ends when asked. U runs around, v from A to B.
    void Cylinder(const TVector3 &a, const TVector3 &b, float radiusA, float radiusB, int segments, bool caps,
                  const TUVRect &uv = {});
    void Cone(const TVector3 &base, const TVector3 &apex, float radius, int segments, const TUVRect &uv = {});
    // An ellipsoid with semi-axes Radii; Segments around z, Rings from the bottom pole to the top.
    void Sphere(const TVector3 &center, const TVector3 &radii, int segments, int rings, const TUVRect &uv = {});
    // A smooth skin through Sections (each the same number of points, at least two sections). With
    // ClosedRings each section is a closed loop, else an open polyline (a hull's cross-section);
    // Caps closes the first and last loops with a fan. Normals point away from the middle of each
    // section. U runs along a section, v from the first section to the last.
    void Loft(const std::vector<std::vector<TVector3>> &sections, bool closedRings, bool caps,
              const TUVRect &uv = {});
    // A prism: Outline (a simple polygon in the x-y plane, either winding) extruded from z = Z0 to
    // z = Z1, with flat sides and both caps. Sides map u along the outline, the top edge of UV at
    // Z1; the caps map the outline's bounding box onto CapUV, its top edge at the largest y.
    void Extrude(const std::vector<TPoint2> &outline, float z0, float z1, const TUVRect &uv = {},
                 const TUVRect &capUV = {});

    // The key of one frame: where the mesh's origin goes and how the mesh is turned.
    void SetKey(int frame, const TVector3 &position, const TVector4 &rotation = KeyIdentity());
    // The same key on every frame.
    void SetAllKeys(const TVector3 &position, const TVector4 &rotation = KeyIdentity());

    std::string                        Name;
    std::vector<TVector3>              Vertices, Normals;
    std::vector<std::array<float, 2>>  TexCoords;
    std::vector<std::array<int, 3>>    Faces, TexFaces;
    std::vector<TModelKey>             Keys;

private:
    bool Mirrored() const;
    // Emits a grid of Rows x Columns points with their normals as quads; Wrap joins the last column
    // to the first.
    void Grid(const std::vector<std::vector<TVector3>> &points, const std::vector<std::vector<TVector3>> &normals,
              bool wrap, bool flip, const TUVRect &uv);
    // Closes a loop with a flat fan facing along Away.
    void Fan(const std::vector<TVector3> &ring, const TVector3 &away, const TUVRect &uv);
};

class TModelBuilder {
public:
    // Every mesh gets FrameCount keys, all the identity until set.
    explicit TModelBuilder(int frameCount = 1, int framesPerSecond = 10);

    // A new mesh; the reference stays valid while the builder lives. "Collision" names the
    // invisible collision mesh.
    TMeshBuilder &AddMesh(const std::string &name);
    void AddPoint(const std::string &name, const TVector3 &position);

    // The ".otm" file (version 2, with names).
    std::vector<std::uint8_t> Bytes() const;
    // Writes Bytes to Path; throws std::runtime_error naming the path when it cannot.
    void Save(const std::string &path) const;

    int                      FrameCount, FramesPerSecond;
    std::deque<TMeshBuilder> Meshes;
    std::vector<TModelPoint> Points;
};
