#include "tools/craftgen/Shapes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

TVector3 Centroid(const std::vector<TVector3> &points)
{
    TVector3 sum;
    for (const TVector3 &p : points)
        sum = sum + p;
    return points.empty() ? sum : sum * (1.0f / float(points.size()));
}

float SignedPower(float v, float power) { return std::copysign(std::pow(std::fabs(v), power), v); }

// Cumulative distance through the points, scaled to 0..1.
std::vector<float> Fractions(const std::vector<TVector3> &path)
{
    std::vector<float> out(path.size(), 0.0f);
    for (std::size_t i = 1; i < path.size(); ++i)
        out[i] = out[i - 1] + VectorLength(path[i] - path[i - 1]);
    const float total = out.empty() ? 0.0f : out.back();
    for (float &f : out)
        f = total > 0 ? f / total : 0.0f;
    return out;
}

} // namespace

void Skin(TMeshBuilder &mesh, const std::vector<std::vector<TVector3>> &rows, bool wrap, const std::vector<float> &u,
          const std::vector<float> &v, const TUVRect &uv, bool outward)
{
    const std::size_t R = rows.size(), C = R ? rows[0].size() : 0, spans = wrap ? C : C - 1;
    if (R < 2 || C < 2 || u.size() != spans + 1 || v.size() != R)
        throw std::invalid_argument("Skin of mesh \"" + mesh.Name + "\": the grid and its texture coordinates disagree");
    for (const auto &row : rows)
        if (row.size() != C)
            throw std::invalid_argument("Skin of mesh \"" + mesh.Name + "\": the rows differ in length");

    std::vector<std::vector<TVector3>> normals(R, std::vector<TVector3>(C));
    float side = 0;
    for (std::size_t r = 0; r + 1 < R; ++r) {
        const TVector3 middle = (Centroid(rows[r]) + Centroid(rows[r + 1])) * 0.5f;
        for (std::size_t c = 0; c < spans; ++c) {
            const std::size_t d = (c + 1) % C;
            const TVector3 &p00 = rows[r][c], &p01 = rows[r][d], &p11 = rows[r + 1][d], &p10 = rows[r + 1][c];
            const TVector3 n = VectorCross(p01 - p00, p11 - p00) + VectorCross(p11 - p00, p10 - p00);
            for (TVector3 *corner : {&normals[r][c], &normals[r][d], &normals[r + 1][d], &normals[r + 1][c]})
                *corner = *corner + n;
            side += VectorDot(n, (p00 + p01 + p11 + p10) * 0.25f - middle);
        }
    }
    const bool flip = outward && side < 0;
    std::vector<std::vector<int>> vertex(R, std::vector<int>(spans + 1)), coord(R, std::vector<int>(spans + 1));
    for (std::size_t r = 0; r < R; ++r)
        for (std::size_t c = 0; c <= spans; ++c) {
            const TVector3 n = VectorNormalizeSafe(normals[r][c % C]) * (flip ? -1.0f : 1.0f);
            vertex[r][c] = mesh.Vertex(rows[r][c % C], n);
            coord[r][c] = mesh.TexCoord(uv.U0 + (uv.U1 - uv.U0) * u[c], uv.V0 + (uv.V1 - uv.V0) * v[r]);
        }
    for (std::size_t r = 0; r + 1 < R; ++r)
        for (std::size_t c = 0; c < spans; ++c) {
            const int q[4] = {vertex[r][c], vertex[r][c + 1], vertex[r + 1][c + 1], vertex[r + 1][c]};
            const int t[4] = {coord[r][c], coord[r][c + 1], coord[r + 1][c + 1], coord[r + 1][c]};
            const TVector3 p[4] = {rows[r][c % C], rows[r][(c + 1) % C], rows[r + 1][(c + 1) % C], rows[r + 1][c % C]};
            // Skip the slivers where a ring closes in a point.
            auto area = [&](int a, int b, int cc) { return VectorLength(VectorCross(p[b] - p[a], p[cc] - p[a])); };
            for (const std::array<int, 3> tri : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                if (area(tri[0], tri[1], tri[2]) < 1e-9f)
                    continue;
                if (flip)
                    mesh.Face(q[tri[0]], q[tri[2]], q[tri[1]], t[tri[0]], t[tri[2]], t[tri[1]]);
                else
                    mesh.Face(q[tri[0]], q[tri[1]], q[tri[2]], t[tri[0]], t[tri[1]], t[tri[2]]);
            }
        }
}

void Cap(TMeshBuilder &mesh, const std::vector<TVector3> &ring, const TVector3 &away, const TUVRect &uv)
{
    const TVector3 middle = Centroid(ring);
    TVector3 normal;
    for (std::size_t i = 0; i < ring.size(); ++i)
        normal = normal + VectorCross(ring[i] - middle, ring[(i + 1) % ring.size()] - middle);
    if (VectorLength(normal) < 1e-9f)
        return;
    normal = VectorNormalize(normal);
    const bool reverse = VectorDot(normal, away) < 0;
    if (reverse)
        normal = normal * -1.0f;
    const float cu = (uv.U0 + uv.U1) / 2, cv = (uv.V0 + uv.V1) / 2;
    const int centre = mesh.Vertex(middle, normal), centreUV = mesh.TexCoord(cu, cv);
    std::vector<int> rim, rimUV;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const float a = 2 * Pi * float(i) / float(ring.size());
        rim.push_back(mesh.Vertex(ring[i], normal));
        rimUV.push_back(mesh.TexCoord(cu + (uv.U1 - uv.U0) / 2 * std::sin(a), cv + (uv.V1 - uv.V0) / 2 * std::cos(a)));
    }
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const std::size_t j = (i + 1) % ring.size();
        if (reverse)
            mesh.Face(centre, rim[j], rim[i], centreUV, rimUV[j], rimUV[i]);
        else
            mesh.Face(centre, rim[i], rim[j], centreUV, rimUV[i], rimUV[j]);
    }
}

std::vector<std::vector<TVector3>> Body(TMeshBuilder &mesh, const std::vector<TStation> &stations, int segments,
                                        const TUVRect &uv, bool capFirst, bool capLast)
{
    std::vector<std::vector<TVector3>> rows;
    std::vector<TVector3> path;
    for (const TStation &s : stations) {
        std::vector<TVector3> ring;
        const float e = 2 / s.Power;
        for (int i = 0; i < segments; ++i) {
            const float a = 2 * Pi * float(i) / float(segments);
            const float side = SignedPower(std::sin(a), e), up = SignedPower(-std::cos(a), e);
            ring.push_back(V3(-s.HalfWidth * side, s.Y, s.Z + (up >= 0 ? s.Top : s.Bottom) * up));
        }
        rows.push_back(ring);
        path.push_back(V3(0, s.Y, s.Z));
    }
    std::vector<float> u;
    for (int i = 0; i <= segments; ++i)
        u.push_back(float(i) / float(segments));
    Skin(mesh, rows, true, u, Fractions(path), uv);
    if (capFirst)
        Cap(mesh, rows.front(), path.front() - path[1], uv);
    if (capLast)
        Cap(mesh, rows.back(), path.back() - path[path.size() - 2], uv);
    return rows;
}

void Wing(TMeshBuilder &mesh, const std::vector<TWingStation> &stations, int chordPoints, const TUVRect &uv,
          bool capRoot, bool capTip)
{
    const std::size_t n = stations.size();
    if (n < 2 || chordPoints < 3)
        throw std::invalid_argument("Wing of mesh \"" + mesh.Name + "\": it needs two stations and three chord points");
    std::vector<float> x(static_cast<std::size_t>(chordPoints));
    for (int j = 0; j < chordPoints; ++j)
        x[std::size_t(j)] = (1 - std::cos(Pi * float(j) / float(chordPoints - 1))) / 2;
    auto thickness = [](float t) {
        return 5 * (0.2969f * std::sqrt(t) - 0.126f * t - 0.3516f * t * t + 0.2843f * t * t * t - 0.1036f * t * t * t * t);
    };
    const TVector3 chord = V3(0, -1, 0);
    std::vector<std::vector<TVector3>> rows;
    std::vector<TVector3> path;
    for (std::size_t k = 0; k < n; ++k) {
        const TVector3 span = VectorNormalize(stations[std::min(k + 1, n - 1)].Leading - stations[k > 0 ? k - 1 : 0].Leading);
        const TVector3 up = VectorNormalize(VectorCross(chord, span));
        const TWingStation &s = stations[k];
        std::vector<TVector3> loop;
        for (int j = chordPoints - 1; j >= 0; --j)   // upper surface, trailing edge to leading edge
            loop.push_back(s.Leading + chord * (x[std::size_t(j)] * s.Chord) +
                           up * (std::max(thickness(x[std::size_t(j)]), 0.0f) * s.Thickness * s.Chord * 0.55f));
        for (int j = 1; j < chordPoints - 1; ++j)    // lower surface back to the trailing edge
            loop.push_back(s.Leading + chord * (x[std::size_t(j)] * s.Chord) -
                           up * (std::max(thickness(x[std::size_t(j)]), 0.0f) * s.Thickness * s.Chord * 0.45f));
        rows.push_back(loop);
        path.push_back(s.Leading);
    }
    std::vector<float> u;
    for (int j = chordPoints - 1; j >= 0; --j)
        u.push_back(0.5f * (1 - x[std::size_t(j)]));
    for (int j = 1; j < chordPoints; ++j)
        u.push_back(0.5f + 0.5f * x[std::size_t(j)]);
    Skin(mesh, rows, true, u, Fractions(path), uv);
    if (capRoot)
        Cap(mesh, rows.front(), path.front() - path[1], uv);
    if (capTip)
        Cap(mesh, rows.back(), path.back() - path[n - 2], uv);
}

void HingeKeys(TMeshBuilder &mesh, const TVector3 &hinge, const TVector3 &axis, const std::function<float(float t)> &angle)
{
    // The geometry was built in model coordinates: move it so the hinge is the mesh origin, and let
    // the keys put it back.
    for (TVector3 &v : mesh.Vertices)
        v = v - hinge;
    const int frames = int(mesh.Keys.size());
    for (int i = 0; i < frames; ++i)
        mesh.SetKey(i, hinge, KeyRotation(axis, angle(float(i) / float(frames))));
}

void SpinKeys(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &axis, float turns)
{
    for (TVector3 &v : mesh.Vertices)
        v = v - centre;
    const int frames = int(mesh.Keys.size());
    for (int i = 0; i < frames; ++i)
        mesh.SetKey(i, centre, KeyRotation(axis, 2 * Pi * turns * float(i) / float(frames)));
}

void MotionKeys(TMeshBuilder &mesh, const std::function<void(float t, TVector3 &position, TVector4 &rotation)> &place)
{
    const int frames = int(mesh.Keys.size());
    for (int i = 0; i < frames; ++i) {
        TVector3 position;
        TVector4 rotation = KeyIdentity();
        place(float(i) / float(frames), position, rotation);
        mesh.SetKey(i, position, rotation);
    }
}

void Block(TMeshBuilder &mesh, const std::array<TVector3, 8> &c, const TUVRect &uv)
{
    TVector3 middle;
    for (const TVector3 &p : c)
        middle = middle + p * 0.125f;
    auto face = [&](int a, int b, int d, int e) {
        const TVector3 &pa = c[std::size_t(a)], &pb = c[std::size_t(b)], &pd = c[std::size_t(d)], &pe = c[std::size_t(e)];
        const TVector3 n = VectorCross(pb - pa, pd - pa) + VectorCross(pd - pa, pe - pa);
        if (VectorDot(n, (pa + pb + pd + pe) * 0.25f - middle) >= 0)
            mesh.Quad(pa, pb, pd, pe, uv);
        else
            mesh.Quad(pe, pd, pb, pa, uv);
    };
    face(0, 1, 2, 3);
    face(4, 5, 6, 7);
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        face(i, j, j + 4, i + 4);
    }
}

void Plate(TMeshBuilder &mesh, const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d,
           float thickness, const TUVRect &uv)
{
    const TVector3 n = VectorNormalize(VectorCross(b - a, c - a) + VectorCross(c - a, d - a)) * (thickness / 2);
    Block(mesh, {a - n, b - n, c - n, d - n, a + n, b + n, c + n, d + n}, uv);
}

void Torus(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &axis, float major, float halfWidth,
           float halfHeight, int segments, int sides, const TUVRect &uv)
{
    const TVector3 along = VectorNormalize(axis);
    const TVector3 other = std::fabs(along.z) < 0.9f ? V3(0, 0, 1) : V3(1, 0, 0);
    const TVector3 e1 = VectorNormalize(VectorCross(other, along)), e2 = VectorCross(along, e1);
    std::vector<std::vector<TVector3>> rows;
    for (int i = 0; i <= segments; ++i) {
        const float a = 2 * Pi * float(i % segments) / float(segments);
        const TVector3 radial = e1 * std::cos(a) + e2 * std::sin(a);
        std::vector<TVector3> ring;
        for (int j = 0; j < sides; ++j) {
            const float b = 2 * Pi * float(j) / float(sides);
            ring.push_back(centre + radial * (major + halfWidth * std::cos(b)) + along * (halfHeight * std::sin(b)));
        }
        rows.push_back(ring);
    }
    std::vector<float> u, v;
    for (int j = 0; j <= sides; ++j)
        u.push_back(float(j) / float(sides));
    for (int i = 0; i <= segments; ++i)
        v.push_back(float(i) / float(segments));
    Skin(mesh, rows, true, u, v, uv);
}

void TwoSided(TMeshBuilder &mesh, const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d,
              const TUVRect &uv)
{
    mesh.Quad(a, b, c, d, uv);
    mesh.Quad(b, a, d, c, {uv.U1, uv.V0, uv.U0, uv.V1});
}

void Crate(TMeshBuilder &mesh, const TVector3 &lo, const TVector3 &hi, const TUVRect &side, const TUVRect &top)
{
    auto p = [&](int x, int y, int z) { return V3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z); };
    mesh.Quad(p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), top);
    mesh.Quad(p(0, 1, 0), p(1, 1, 0), p(1, 0, 0), p(0, 0, 0), side);
    mesh.Quad(p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), side);
    mesh.Quad(p(1, 1, 0), p(0, 1, 0), p(0, 1, 1), p(1, 1, 1), side);
    mesh.Quad(p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1), side);
    mesh.Quad(p(0, 1, 0), p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), side);
}

void Merge(TMeshBuilder &into, const TMeshBuilder &part, const TMatrix4 &placement)
{
    TMatrix4 turn = placement;
    MatrixSetTranslation(turn, V3(0, 0, 0));
    const int vertexBase = int(into.Vertices.size()), coordBase = int(into.TexCoords.size());
    for (std::size_t i = 0; i < part.Vertices.size(); ++i) {
        into.Vertices.push_back(MatrixTransformPoint(part.Vertices[i], placement));
        into.Normals.push_back(VectorNormalizeSafe(MatrixTransformPoint(part.Normals[i], turn)));
    }
    into.TexCoords.insert(into.TexCoords.end(), part.TexCoords.begin(), part.TexCoords.end());
    for (std::size_t f = 0; f < part.Faces.size(); ++f) {
        const auto &v = part.Faces[f];
        const auto &t = part.TexFaces[f];
        into.Faces.push_back({v[0] + vertexBase, v[1] + vertexBase, v[2] + vertexBase});
        into.TexFaces.push_back({t[0] + coordBase, t[1] + coordBase, t[2] + coordBase});
    }
}
