#include "tools/modelgen/ModelBuilder.h"

#include "core/Bytes.h"
#include "tools/imagegen/GenMath.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

TVector3 Add(const TVector3 &a, const TVector3 &b) { return VectorSet3(a.x + b.x, a.y + b.y, a.z + b.z); }
TVector3 Sub(const TVector3 &a, const TVector3 &b) { return VectorSubtract(a, b); }

// Normal of the triangle a, b, c counter-clockwise seen from its front, scaled by twice its area.
TVector3 AreaNormal(const TVector3 &a, const TVector3 &b, const TVector3 &c)
{
    return VectorCross(Sub(b, a), Sub(c, a));
}

TVector3 Centroid(const std::vector<TVector3> &points)
{
    TVector3 sum;
    for (const TVector3 &p : points)
        sum = Add(sum, p);
    return points.empty() ? sum : VectorScale(sum, 1.0f / float(points.size()));
}

// A unit vector at right angles to Axis.
TVector3 Perpendicular(const TVector3 &axis)
{
    const TVector3 other = std::fabs(axis.z) < 0.9f ? VectorSet3(0, 0, 1) : VectorSet3(1, 0, 0);
    return VectorNormalize(VectorCross(other, axis));
}

// The cofactors of the upper 3x3 block: a normal times them is the normal of the transformed surface.
std::array<float, 9> NormalMatrix(const TMatrix4 &m)
{
    auto a = [&](int r, int c) { return m.At(r, c); };
    return {a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1), a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2), a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0),
            a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2), a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0), a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1),
            a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1), a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2), a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0)};
}

float Determinant(const TMatrix4 &m)
{
    const std::array<float, 9> c = NormalMatrix(m);
    return m.At(0, 0) * c[0] + m.At(0, 1) * c[1] + m.At(0, 2) * c[2];
}

// Ear clipping of a simple polygon given counter-clockwise; triangles as index triples.
std::vector<std::array<int, 3>> Triangulate(const std::vector<TPoint2> &p)
{
    std::vector<int> left(p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        left[i] = int(i);
    auto cross = [&](int a, int b, int c) {
        return (p[std::size_t(b)].x - p[std::size_t(a)].x) * (p[std::size_t(c)].y - p[std::size_t(a)].y) -
               (p[std::size_t(b)].y - p[std::size_t(a)].y) * (p[std::size_t(c)].x - p[std::size_t(a)].x);
    };
    std::vector<std::array<int, 3>> triangles;
    while (left.size() > 3) {
        bool clipped = false;
        for (std::size_t i = 0; i < left.size() && !clipped; ++i) {
            const int a = left[(i + left.size() - 1) % left.size()], b = left[i], c = left[(i + 1) % left.size()];
            if (cross(a, b, c) <= 0)
                continue;   // a reflex or flat corner is no ear
            bool empty = true;
            for (const int q : left)
                if (q != a && q != b && q != c && cross(a, b, q) >= 0 && cross(b, c, q) >= 0 && cross(c, a, q) >= 0)
                    empty = false;
            if (!empty)
                continue;
            triangles.push_back({a, b, c});
            left.erase(left.begin() + std::ptrdiff_t(i));
            clipped = true;
        }
        if (!clipped)
            throw std::invalid_argument("Extrude: the outline crosses itself or has no area");
    }
    if (left.size() == 3)
        triangles.push_back({left[0], left[1], left[2]});
    return triangles;
}

void PutName(TByteWriter &out, const std::string &name)
{
    if (name.find('\0') != std::string::npos)
        throw std::invalid_argument("A model name holds a zero byte: \"" + name + "\"");
    out.ZString(name);
}

} // namespace

TVector4 KeyRotation(const TVector3 &axis, float angle)
{
    // The key matrix turns by the inverse of its quaternion, so the axis goes in negated.
    const TVector3 n = VectorNormalize(axis);
    const float s = std::sin(angle / 2);
    return VectorSet4(-n.x * s, -n.y * s, -n.z * s, std::cos(angle / 2));
}

TVector4 KeyRotationThen(const TVector4 &first, const TVector4 &second)
{
    // The key quaternions are inverses of the turns, so "first, then second" is first * second.
    const TVector4 &a = first, &b = second;
    return VectorSet4(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

TMatrix4 Placement(const TVector3 &position, const TVector3 &angles, const TVector3 &scale)
{
    TMatrix4 m = MatrixIdentity();
    MatrixSetRotation(m, angles);
    const float s[3] = {scale.x, scale.y, scale.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.At(r, c) *= s[r];
    MatrixSetTranslation(m, position);
    return m;
}

TMeshBuilder::TMeshBuilder(std::string name, int frameCount) : Name(std::move(name))
{
    TModelKey identity;
    identity.Rotation = KeyIdentity();
    Keys.assign(std::size_t(frameCount), identity);
}

bool TMeshBuilder::Mirrored() const { return Determinant(Transform) < 0; }

int TMeshBuilder::Vertex(const TVector3 &position, const TVector3 &normal)
{
    const std::array<float, 9> c = NormalMatrix(Transform);
    const float sign = Mirrored() ? -1.0f : 1.0f;
    // Row vectors: n * C, with C the cofactor matrix (the inverse transposed, times the determinant).
    const TVector3 n = VectorSet3(normal.x * c[0] + normal.y * c[3] + normal.z * c[6],
                                  normal.x * c[1] + normal.y * c[4] + normal.z * c[7],
                                  normal.x * c[2] + normal.y * c[5] + normal.z * c[8]);
    Vertices.push_back(MatrixTransformPoint(position, Transform));
    Normals.push_back(VectorNormalizeSafe(VectorScale(n, sign)));
    return int(Vertices.size()) - 1;
}

int TMeshBuilder::TexCoord(float u, float v)
{
    TexCoords.push_back({u, v});
    return int(TexCoords.size()) - 1;
}

void TMeshBuilder::Face(int a, int b, int c, int ta, int tb, int tc)
{
    const int vertices = int(Vertices.size()), coords = int(TexCoords.size());
    for (const int i : {a, b, c})
        if (i < 0 || i >= vertices)
            throw std::out_of_range("Face: vertex " + std::to_string(i) + " of mesh \"" + Name + "\" does not exist");
    for (const int i : {ta, tb, tc})
        if (i < 0 || i >= coords)
            throw std::out_of_range("Face: texture coordinate " + std::to_string(i) + " of mesh \"" + Name +
                                    "\" does not exist");
    if (Mirrored()) {
        std::swap(b, c);
        std::swap(tb, tc);
    }
    Faces.push_back({a, b, c});
    TexFaces.push_back({ta, tb, tc});
}

void TMeshBuilder::Triangle(const TVector3 &a, const TVector3 &b, const TVector3 &c, const TUVRect &uv)
{
    const TVector3 n = VectorNormalizeSafe(AreaNormal(a, b, c));
    Face(Vertex(a, n), Vertex(b, n), Vertex(c, n), TexCoord(uv.U0, uv.V1), TexCoord(uv.U1, uv.V1),
         TexCoord(uv.U1, uv.V0));
}

void TMeshBuilder::Quad(const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d, const TUVRect &uv)
{
    const TVector3 n = VectorNormalizeSafe(Add(AreaNormal(a, b, c), AreaNormal(a, c, d)));
    const int va = Vertex(a, n), vb = Vertex(b, n), vc = Vertex(c, n), vd = Vertex(d, n);
    const int ta = TexCoord(uv.U0, uv.V1), tb = TexCoord(uv.U1, uv.V1), tc = TexCoord(uv.U1, uv.V0),
              td = TexCoord(uv.U0, uv.V0);
    Face(va, vb, vc, ta, tb, tc);
    Face(va, vc, vd, ta, tc, td);
}

void TMeshBuilder::Box(const TVector3 &lo, const TVector3 &hi, const TUVRect &uv)
{
    auto p = [&](int x, int y, int z) { return VectorSet3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z); };
    // Each face counter-clockwise seen from outside, starting at its lower left.
    Quad(p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), uv);   // top
    Quad(p(0, 1, 0), p(1, 1, 0), p(1, 0, 0), p(0, 0, 0), uv);   // bottom
    Quad(p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), uv);   // back (-y)
    Quad(p(1, 1, 0), p(0, 1, 0), p(0, 1, 1), p(1, 1, 1), uv);   // front (+y)
    Quad(p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1), uv);   // right (+x)
    Quad(p(0, 1, 0), p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), uv);   // left (-x)
}

void TMeshBuilder::Grid(const std::vector<std::vector<TVector3>> &points,
                        const std::vector<std::vector<TVector3>> &normals, bool wrap, bool flip, const TUVRect &uv)
{
    const std::size_t rows = points.size(), columns = points[0].size();
    const std::size_t spans = wrap ? columns : columns - 1;
    std::vector<std::vector<int>> vertex(rows, std::vector<int>(spans + 1)), coord(rows, std::vector<int>(spans + 1));
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c <= spans; ++c) {
            vertex[r][c] = Vertex(points[r][c % columns], normals[r][c % columns]);
            coord[r][c] = TexCoord(uv.U0 + (uv.U1 - uv.U0) * float(c) / float(spans),
                                   uv.V0 + (uv.V1 - uv.V0) * float(r) / float(rows - 1));
        }
    for (std::size_t r = 0; r + 1 < rows; ++r)
        for (std::size_t c = 0; c < spans; ++c) {
            int q[4] = {vertex[r][c], vertex[r][c + 1], vertex[r + 1][c + 1], vertex[r + 1][c]};
            int t[4] = {coord[r][c], coord[r][c + 1], coord[r + 1][c + 1], coord[r + 1][c]};
            if (flip) {
                std::swap(q[1], q[3]);
                std::swap(t[1], t[3]);
            }
            Face(q[0], q[1], q[2], t[0], t[1], t[2]);
            Face(q[0], q[2], q[3], t[0], t[2], t[3]);
        }
}

void TMeshBuilder::Fan(const std::vector<TVector3> &ring, const TVector3 &away, const TUVRect &uv)
{
    const TVector3 middle = Centroid(ring);
    TVector3 normal;
    for (std::size_t i = 0; i < ring.size(); ++i)
        normal = Add(normal, AreaNormal(middle, ring[i], ring[(i + 1) % ring.size()]));
    if (VectorLength(normal) < 1e-9f)
        return;   // the loft closes in a point here
    normal = VectorNormalize(normal);
    // The cap faces away from the rest of the loft, whichever way the ring turns.
    const bool reverse = VectorDot(normal, away) < 0;
    if (reverse)
        normal = VectorScale(normal, -1.0f);
    const float cu = (uv.U0 + uv.U1) / 2, cv = (uv.V0 + uv.V1) / 2;
    const int centre = Vertex(middle, normal), centreUV = TexCoord(cu, cv);
    std::vector<int> rim, rimUV;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const float a = 2 * Pi * float(i) / float(ring.size());
        rim.push_back(Vertex(ring[i], normal));
        rimUV.push_back(TexCoord(cu + (uv.U1 - uv.U0) / 2 * std::cos(a), cv + (uv.V1 - uv.V0) / 2 * std::sin(a)));
    }
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const std::size_t j = (i + 1) % ring.size();
        if (reverse)
            Face(centre, rim[j], rim[i], centreUV, rimUV[j], rimUV[i]);
        else
            Face(centre, rim[i], rim[j], centreUV, rimUV[i], rimUV[j]);
    }
}

void TMeshBuilder::Loft(const std::vector<std::vector<TVector3>> &sections, bool closedRings, bool caps,
                        const TUVRect &uv)
{
    const std::size_t rows = sections.size(), columns = rows ? sections[0].size() : 0;
    if (rows < 2 || columns < (closedRings ? 3u : 2u))
        throw std::invalid_argument("Loft of mesh \"" + Name + "\": it needs two sections of at least " +
                                    (closedRings ? "three" : "two") + " points");
    for (const auto &section : sections)
        if (section.size() != columns)
            throw std::invalid_argument("Loft of mesh \"" + Name + "\": the sections differ in their number of points");

    // Smooth normals: each point gets the area-weighted normals of the quads around it.
    std::vector<std::vector<TVector3>> normals(rows, std::vector<TVector3>(columns));
    float outward = 0;
    const std::size_t spans = closedRings ? columns : columns - 1;
    for (std::size_t r = 0; r + 1 < rows; ++r) {
        const TVector3 middle = VectorScale(Add(Centroid(sections[r]), Centroid(sections[r + 1])), 0.5f);
        for (std::size_t c = 0; c < spans; ++c) {
            const std::size_t d = (c + 1) % columns;
            const TVector3 &p00 = sections[r][c], &p01 = sections[r][d], &p11 = sections[r + 1][d],
                           &p10 = sections[r + 1][c];
            const TVector3 n = Add(AreaNormal(p00, p01, p11), AreaNormal(p00, p11, p10));
            for (TVector3 *corner : {&normals[r][c], &normals[r][d], &normals[r + 1][d], &normals[r + 1][c]})
                *corner = Add(*corner, n);
            const TVector3 centre = VectorScale(Add(Add(p00, p01), Add(p11, p10)), 0.25f);
            outward += VectorDot(n, Sub(centre, middle));
        }
    }
    const bool flip = outward < 0;
    for (auto &row : normals)
        for (TVector3 &n : row)
            n = VectorScale(VectorNormalizeSafe(n), flip ? -1.0f : 1.0f);
    Grid(sections, normals, closedRings, flip, uv);
    if (caps && closedRings) {
        Fan(sections.front(), Sub(Centroid(sections.front()), Centroid(sections[1])), uv);
        Fan(sections.back(), Sub(Centroid(sections.back()), Centroid(sections[rows - 2])), uv);
    }
}

void TMeshBuilder::Cylinder(const TVector3 &a, const TVector3 &b, float radiusA, float radiusB, int segments,
                            bool caps, const TUVRect &uv)
{
    const TVector3 axis = Sub(b, a);
    if (VectorLength(axis) <= 0 || segments < 3)
        throw std::invalid_argument("Cylinder of mesh \"" + Name + "\": it needs a length and three segments");
    const TVector3 along = VectorNormalize(axis), u = Perpendicular(along), w = VectorCross(along, u);
    std::vector<std::vector<TVector3>> rings(2);
    for (int i = 0; i < segments; ++i) {
        const float angle = 2 * Pi * float(i) / float(segments);
        const TVector3 radial = Add(VectorScale(u, std::cos(angle)), VectorScale(w, std::sin(angle)));
        rings[0].push_back(Add(a, VectorScale(radial, radiusA)));
        rings[1].push_back(Add(b, VectorScale(radial, radiusB)));
    }
    Loft(rings, true, caps, uv);
}

void TMeshBuilder::Cone(const TVector3 &base, const TVector3 &apex, float radius, int segments, const TUVRect &uv)
{
    Cylinder(base, apex, radius, 0, segments, true, uv);
}

void TMeshBuilder::Sphere(const TVector3 &center, const TVector3 &radii, int segments, int rings, const TUVRect &uv)
{
    if (segments < 3 || rings < 2)
        throw std::invalid_argument("Sphere of mesh \"" + Name + "\": it needs three segments and two rings");
    std::vector<std::vector<TVector3>> points(std::size_t(rings) + 1), normals(std::size_t(rings) + 1);
    for (int r = 0; r <= rings; ++r) {
        const float phi = -Pi / 2 + Pi * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float theta = 2 * Pi * float(s) / float(segments);
            const TVector3 unit = VectorSet3(std::cos(phi) * std::cos(theta), std::cos(phi) * std::sin(theta), std::sin(phi));
            points[std::size_t(r)].push_back(Add(center, VectorMultiply(unit, radii)));
            normals[std::size_t(r)].push_back(
                VectorNormalizeSafe(VectorSet3(unit.x / radii.x, unit.y / radii.y, unit.z / radii.z)));
        }
    }
    Grid(points, normals, true, false, uv);
}

void TMeshBuilder::Extrude(const std::vector<TPoint2> &outline, float z0, float z1, const TUVRect &uv,
                           const TUVRect &capUV)
{
    if (outline.size() < 3)
        throw std::invalid_argument("Extrude of mesh \"" + Name + "\": the outline needs three points");
    std::vector<TPoint2> p = outline;
    float area = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        area += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    if (area < 0)
        std::reverse(p.begin(), p.end());
    if (z1 < z0)
        std::swap(z0, z1);
    const std::vector<std::array<int, 3>> triangles = Triangulate(p);

    float perimeter = 0;
    std::vector<float> along(1, 0.0f);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const TPoint2 &a = p[i], &b = p[(i + 1) % p.size()];
        perimeter += std::hypot(b.x - a.x, b.y - a.y);
        along.push_back(perimeter);
    }
    for (std::size_t i = 0; i < p.size(); ++i) {
        const TPoint2 &a = p[i], &b = p[(i + 1) % p.size()];
        const float u0 = uv.U0 + (uv.U1 - uv.U0) * along[i] / perimeter;
        const float u1 = uv.U0 + (uv.U1 - uv.U0) * along[i + 1] / perimeter;
        Quad(VectorSet3(a.x, a.y, z0), VectorSet3(b.x, b.y, z0), VectorSet3(b.x, b.y, z1), VectorSet3(a.x, a.y, z1),
             {u0, uv.V0, u1, uv.V1});
    }

    float minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (const TPoint2 &q : p) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    for (const bool top : {true, false}) {
        const float z = top ? z1 : z0;
        const TVector3 normal = VectorSet3(0, 0, top ? 1.0f : -1.0f);
        std::vector<int> vertex, coord;
        for (const TPoint2 &q : p) {
            vertex.push_back(Vertex(VectorSet3(q.x, q.y, z), normal));
            coord.push_back(TexCoord(capUV.U0 + (capUV.U1 - capUV.U0) * (q.x - minX) / std::max(maxX - minX, 1e-6f),
                                     capUV.V0 + (capUV.V1 - capUV.V0) * (maxY - q.y) / std::max(maxY - minY, 1e-6f)));
        }
        for (const auto &t : triangles) {
            const std::size_t a = std::size_t(t[0]), b = std::size_t(top ? t[1] : t[2]), c = std::size_t(top ? t[2] : t[1]);
            Face(vertex[a], vertex[b], vertex[c], coord[a], coord[b], coord[c]);
        }
    }
}

void TMeshBuilder::SetKey(int frame, const TVector3 &position, const TVector4 &rotation)
{
    if (frame < 0 || frame >= int(Keys.size()))
        throw std::out_of_range("SetKey: mesh \"" + Name + "\" has no frame " + std::to_string(frame));
    Keys[std::size_t(frame)].Position = VectorSet4(position.x, position.y, position.z, 0);
    Keys[std::size_t(frame)].Rotation = rotation;
}

void TMeshBuilder::SetAllKeys(const TVector3 &position, const TVector4 &rotation)
{
    for (int frame = 0; frame < int(Keys.size()); ++frame)
        SetKey(frame, position, rotation);
}

TModelBuilder::TModelBuilder(int frameCount, int framesPerSecond)
    : FrameCount(frameCount), FramesPerSecond(framesPerSecond)
{
    if (frameCount < 1 || framesPerSecond < 1 || framesPerSecond > 1000)
        throw std::invalid_argument("A model needs at least one frame and 1 to 1000 frames per second");
}

TMeshBuilder &TModelBuilder::AddMesh(const std::string &name)
{
    Meshes.emplace_back(name, FrameCount);
    return Meshes.back();
}

void TModelBuilder::AddPoint(const std::string &name, const TVector3 &position)
{
    TModelPoint point;
    point.Name = name;
    point.Position = VectorSet4(position.x, position.y, position.z, 0);
    Points.push_back(std::move(point));
}

std::vector<std::uint8_t> TModelBuilder::Bytes() const
{
    TByteWriter out;
    out.Int(2);
    out.Int(std::int32_t(Meshes.size()));
    out.Int(FrameCount);
    out.Int(FramesPerSecond);
    for (const TMeshBuilder &mesh : Meshes) {
        PutName(out, mesh.Name);
        out.Int(std::int32_t(mesh.Vertices.size()));
        out.Int(std::int32_t(mesh.Faces.size()));
        out.Int(std::int32_t(mesh.TexCoords.size()));
        for (const auto *list : {&mesh.Vertices, &mesh.Normals})
            for (const TVector3 &v : *list)
                for (const float f : {v.x, v.y, v.z})
                    out.Float(f);
        for (const auto &face : mesh.Faces)
            for (const int i : face)
                out.Int(i);
        for (const auto &uv : mesh.TexCoords)
            for (const float f : uv)
                out.Float(f);
        for (const auto &face : mesh.TexFaces)
            for (const int i : face)
                out.Int(i);
        for (const TModelKey &key : mesh.Keys)
            for (const float f : {key.Position.x, key.Position.y, key.Position.z, key.Rotation.x, key.Rotation.y,
                                  key.Rotation.z, key.Rotation.w})
                out.Float(f);
    }
    out.Int(std::int32_t(Points.size()));
    for (const TModelPoint &point : Points) {
        PutName(out, point.Name);
        for (const float f : {point.Position.x, point.Position.y, point.Position.z})
            out.Float(f);
    }
    return std::move(out.Out);
}

void TModelBuilder::Save(const std::string &path) const
{
    const std::vector<std::uint8_t> bytes = Bytes();
    std::ofstream out(path, std::ios::binary);
    if (!out || !out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size())) || !out.flush())
        throw std::runtime_error("Cannot write the model \"" + path + "\"");
}
