#include "tools/worldgen/Shapes.h"

#include <algorithm>
#include <cmath>

void TexturedBox(TMeshBuilder &mesh, const TVector3 &lo, const TVector3 &hi, const TUVRect &top, const TUVRect &side,
                 const TUVRect &end)
{
    auto p = [&](int x, int y, int z) { return V3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z); };
    mesh.Quad(p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), top);
    mesh.Quad(p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), end);    // back (-y)
    mesh.Quad(p(1, 1, 0), p(0, 1, 0), p(0, 1, 1), p(1, 1, 1), end);    // front (+y)
    mesh.Quad(p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1), side);   // right (+x)
    mesh.Quad(p(0, 1, 0), p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), side);   // left (-x)
}

void GableRoof(TMeshBuilder &mesh, float x0, float x1, float y0, float y1, float z, float ridge, float overhang,
               const TUVRect &roof, const TUVRect &gable, int parts)
{
    const float xm = (x0 + x1) / 2, slope = (ridge - z) / (xm - x0);
    const float xa = x0 - overhang, xb = x1 + overhang, za = z - overhang * slope;
    const float ya = y0 - overhang, yb = y1 + overhang;
    if (parts & RoofLeft)
        mesh.Quad(V3(xa, yb, za), V3(xa, ya, za), V3(xm, ya, ridge), V3(xm, yb, ridge), roof);
    if (parts & RoofRight)
        mesh.Quad(V3(xb, ya, za), V3(xb, yb, za), V3(xm, yb, ridge), V3(xm, ya, ridge), roof);
    if (parts & RoofGables) {
        mesh.Triangle(V3(x0, y0, z), V3(x1, y0, z), V3(xm, y0, ridge), gable);
        mesh.Triangle(V3(x1, y1, z), V3(x0, y1, z), V3(xm, y1, ridge), gable);
    }
}

void Disc(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &normal, float radius, int segments,
          const TUVRect &uv)
{
    const TVector3 n = VectorNormalize(normal);
    const TVector3 other = std::fabs(n.z) < 0.9f ? V3(0, 0, 1) : V3(1, 0, 0);
    const TVector3 u = VectorNormalize(VectorCross(other, n)), w = VectorCross(n, u);
    const float cu = (uv.U0 + uv.U1) / 2, cv = (uv.V0 + uv.V1) / 2, ru = (uv.U1 - uv.U0) / 2, rv = (uv.V1 - uv.V0) / 2;
    const int middle = mesh.Vertex(centre, n), middleUV = mesh.TexCoord(cu, cv);
    std::vector<int> rim, rimUV;
    for (int i = 0; i < segments; ++i) {
        const float a = 2 * Pi * float(i) / float(segments);
        rim.push_back(mesh.Vertex(centre + (VectorScale(u, radius * std::cos(a)) + VectorScale(w, radius * std::sin(a))), n));
        rimUV.push_back(mesh.TexCoord(cu + ru * std::cos(a), cv - rv * std::sin(a)));
    }
    for (int i = 0; i < segments; ++i) {
        const int j = (i + 1) % segments;
        mesh.Face(middle, rim[std::size_t(i)], rim[std::size_t(j)], middleUV, rimUV[std::size_t(i)], rimUV[std::size_t(j)]);
    }
}

void FlatPolygon(TMeshBuilder &mesh, std::vector<TVector3> corners, const TVector3 &facing, const TVector3 &u,
                 const TVector3 &v, const TUVRect &uv)
{
    float u0 = 1e30f, u1 = -1e30f, v0 = 1e30f, v1 = -1e30f;
    for (const TVector3 &p : corners) {
        u0 = std::min(u0, VectorDot(p, u));
        u1 = std::max(u1, VectorDot(p, u));
        v0 = std::min(v0, VectorDot(p, v));
        v1 = std::max(v1, VectorDot(p, v));
    }
    TVector3 normal;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
        normal = normal + VectorCross(corners[i] - corners[0], corners[i + 1] - corners[0]);
    if (VectorDot(normal, facing) < 0) {
        std::reverse(corners.begin(), corners.end());
        normal = VectorScale(normal, -1.0f);
    }
    normal = VectorNormalizeSafe(normal);
    std::vector<int> vertex, coord;
    for (const TVector3 &p : corners) {
        vertex.push_back(mesh.Vertex(p, normal));
        const float s = (VectorDot(p, u) - u0) / std::max(u1 - u0, 1e-6f), t = (VectorDot(p, v) - v0) / std::max(v1 - v0, 1e-6f);
        coord.push_back(mesh.TexCoord(uv.U0 + (uv.U1 - uv.U0) * s, uv.V1 + (uv.V0 - uv.V1) * t));
    }
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
        mesh.Face(vertex[0], vertex[i], vertex[i + 1], coord[0], coord[i], coord[i + 1]);
}

void Wheel(TMeshBuilder &mesh, const TVector3 &centre, float radius, float width, int segments, const TUVRect &tread,
           const TUVRect &face)
{
    const TVector3 a = V3(centre.x - width / 2, centre.y, centre.z), b = V3(centre.x + width / 2, centre.y, centre.z);
    mesh.Cylinder(a, b, radius, radius, segments, false, tread);
    Disc(mesh, a, V3(-1, 0, 0), radius, segments, face);
    Disc(mesh, b, V3(1, 0, 0), radius, segments, face);
}

void Berm(TMeshBuilder &mesh, const TVector3 &centre, float radius, float a0, float a1, float height, float width,
          int segments, const TUVRect &uv)
{
    // The cross-section: a rounded mound, inner foot to outer foot.
    const float profile[5][2] = {{-0.5f, 0}, {-0.35f, 0.75f}, {0, 1}, {0.35f, 0.75f}, {0.5f, 0}};
    std::vector<std::vector<TVector3>> sections;
    for (int s = 0; s <= segments; ++s) {
        const float a = a0 + (a1 - a0) * float(s) / float(segments);
        std::vector<TVector3> section;
        for (const auto &p : profile) {
            const float r = radius + p[0] * width;
            section.push_back(V3(centre.x + r * std::cos(a), centre.y + r * std::sin(a), centre.z + p[1] * height));
        }
        sections.push_back(section);
    }
    mesh.Loft(sections, false, false, uv);
    // Close the two ends of the arc.
    for (const auto *section : {&sections.front(), &sections.back()}) {
        const auto &s = *section;
        const bool first = section == &sections.front();
        if (first) {
            mesh.Triangle(s[0], s[4], s[2], uv);
            mesh.Triangle(s[0], s[2], s[1], uv);
            mesh.Triangle(s[2], s[4], s[3], uv);
        } else {
            mesh.Triangle(s[4], s[0], s[2], uv);
            mesh.Triangle(s[2], s[0], s[1], uv);
            mesh.Triangle(s[4], s[2], s[3], uv);
        }
    }
}

void Animate(TMeshBuilder &mesh, const TVector3 &pivot, const std::function<TPose(float t)> &pose,
             const TVector3 &place)
{
    const int frames = int(mesh.Keys.size());
    for (int k = 0; k < frames; ++k) {
        const TPose p = pose(float(k) / float(frames));
        TModelKey key;
        key.Rotation = p.Rotation;
        const TVector3 turned = MatrixTransformPoint(pivot, KeyTransform({key, key}, TKeySample()));
        mesh.SetKey(k, VectorSet3(place.x + pivot.x + p.Offset.x - turned.x, place.y + pivot.y + p.Offset.y - turned.y,
                                  place.z + pivot.z + p.Offset.z - turned.z),
                    p.Rotation);
    }
}

std::function<TPose(float)> Topple(const TVector3 &axis, float angle, float t0, float t1, float sink)
{
    return [=](float t) {
        const float s = Clamp01((t - t0) / (t1 - t0));
        TPose pose;
        pose.Rotation = KeyRotation(axis, angle * s * s);   // falls faster as it goes
        pose.Offset = VectorSet3(0, 0, -sink * s);
        return pose;
    };
}

std::function<TPose(float)> Thrown(const TVector3 &travel, float apex, float t0, float t1, const TVector3 &axis, float spin)
{
    // z(s) = vz s - g s^2 / 2 over s = 0..1 of the flight: it tops out Apex up and ends at Travel.z.
    const float rise = std::max(apex, 0.1f);
    const float vz = 2 * rise * (1 + std::sqrt(std::max(0.0f, 1 - travel.z / rise)));
    const float g = vz * vz / (2 * rise);
    return [=](float t) {
        TPose pose;
        const float s = Clamp01((t - t0) / (t1 - t0));
        pose.Offset = VectorSet3(travel.x * s, travel.y * s, vz * s - g * s * s / 2);
        pose.Rotation = KeyRotation(axis, 2 * Pi * spin * s);
        return pose;
    };
}

std::function<TPose(float)> Slump(float depth, float t0, float t1, const TVector3 &axis, float lean)
{
    return [=](float t) {
        const float eased = SmoothStep(t0, t1, t);
        TPose pose;
        pose.Offset = VectorSet3(0, 0, -depth * eased);
        pose.Rotation = KeyRotation(axis, lean * eased);
        return pose;
    };
}
