#include "tools/shipgen/ShipKit.h"

#include "assets/Model.h"

#include <algorithm>
#include <cmath>

namespace {

float Area2(const std::vector<TPoint2> &p)
{
    float area = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        area += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    return area;
}

// A triangle from existing vertices, left out when it has no area (hull ends squeeze faces to lines).
void Tri(TMeshBuilder &m, int a, int b, int c, int ta, int tb, int tc)
{
    const TVector3 &pa = m.Vertices[std::size_t(a)], &pb = m.Vertices[std::size_t(b)], &pc = m.Vertices[std::size_t(c)];
    if (VectorLength(VectorCross(pb - pa, pc - pa)) < 1e-5f)
        return;
    m.Face(a, b, c, ta, tb, tc);
}

// Stations from 0 to 1, closer together at both ends where the hull curves most.
std::vector<float> Stations(int n)
{
    std::vector<float> s;
    for (int i = 0; i <= n; ++i) {
        const float t = float(i) / float(n);
        s.push_back(0.55f * t + 0.45f * (0.5f - 0.5f * std::cos(Pi * t)));
    }
    return s;
}

} // namespace

TUVRect TLayout::UV(const TPixRect &r) const
{
    return {float(r.X0 + 1) / float(W), float(r.Y0 + 1) / float(H), float(r.X1 - 1) / float(W),
            float(r.Y1 - 1) / float(H)};
}

TLayout StandardLayout()
{
    TLayout l;
    l.HullS = {0, 0, 512, 80};
    l.HullP = {0, 80, 512, 160};
    l.Deck = {0, 160, 128, 512};
    l.Walls = {128, 160, 384, 288};
    l.Metal = {384, 160, 512, 288};
    l.Roof = {128, 288, 256, 416};
    l.Funnel = {256, 288, 384, 416};
    l.Bridge = {384, 288, 512, 416};
    l.Swatch[0] = {128, 416, 224, 512};
    l.Swatch[1] = {224, 416, 320, 512};
    l.Swatch[2] = {320, 416, 416, 512};
    l.Swatch[3] = {416, 416, 512, 512};
    return l;
}

TLayout ScaledLayout(const TLayout &layout, float factor)
{
    auto scale = [factor](const TPixRect &r) {
        return TPixRect{int(float(r.X0) * factor), int(float(r.Y0) * factor), int(float(r.X1) * factor), int(float(r.Y1) * factor)};
    };
    TLayout l = layout;
    l.W = int(float(layout.W) * factor);
    l.H = int(float(layout.H) * factor);
    for (TPixRect *r : {&l.HullS, &l.HullP, &l.Deck, &l.Walls, &l.Bridge, &l.Roof, &l.Funnel, &l.Metal, &l.Swatch[0],
                        &l.Swatch[1], &l.Swatch[2], &l.Swatch[3]})
        *r = scale(*r);
    return l;
}

TUVRect Scaled(const TSkin &skin, float w, float h)
{
    const float fu = std::min(1.0f, std::fabs(w) / skin.MetresU), fv = std::min(1.0f, std::fabs(h) / skin.MetresV);
    return {skin.UV.U0, skin.UV.V1 - (skin.UV.V1 - skin.UV.V0) * fv, skin.UV.U0 + (skin.UV.U1 - skin.UV.U0) * fu,
            skin.UV.V1};
}

void Block(TMeshBuilder &m, const TVector3 &lo, const TVector3 &hi, const TSkin &walls, const TSkin &roof, bool bottom)
{
    auto p = [&](int x, int y, int z) { return V3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z); };
    const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    m.Quad(p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), Scaled(roof, dx, dy));
    m.Quad(p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), Scaled(walls, dx, dz));
    m.Quad(p(1, 1, 0), p(0, 1, 0), p(0, 1, 1), p(1, 1, 1), Scaled(walls, dx, dz));
    m.Quad(p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), p(1, 0, 1), Scaled(walls, dy, dz));
    m.Quad(p(0, 1, 0), p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), Scaled(walls, dy, dz));
    if (bottom)
        m.Quad(p(0, 1, 0), p(1, 1, 0), p(1, 0, 0), p(0, 0, 0), Scaled(roof, dx, dy));
}

std::vector<TPoint2> Oval(float x, float y, float rx, float ry, int n, float squareness)
{
    std::vector<TPoint2> p;
    const float e = 2 / squareness;
    auto power = [e](float v) { return std::copysign(std::pow(std::fabs(v), e), v); };
    for (int i = 0; i < n; ++i) {
        const float a = 2 * Pi * float(i) / float(n);
        p.push_back({x + rx * power(std::cos(a)), y + ry * power(std::sin(a))});
    }
    return p;
}

std::vector<TPoint2> Shifted(const std::vector<TPoint2> &outline, float dx, float dy, float s)
{
    TPoint2 c;
    for (const TPoint2 &q : outline) {
        c.x += q.x / float(outline.size());
        c.y += q.y / float(outline.size());
    }
    std::vector<TPoint2> out;
    for (const TPoint2 &q : outline)
        out.push_back({c.x + (q.x - c.x) * s + dx, c.y + (q.y - c.y) * s + dy});
    return out;
}

void Frustum(TMeshBuilder &m, const std::vector<TPoint2> &baseIn, float z0, const std::vector<TPoint2> &topIn, float z1,
             const TSkin &walls, const TSkin *roof, bool smooth)
{
    std::vector<TPoint2> base = baseIn, top = topIn;
    if (Area2(base) < 0) {
        std::reverse(base.begin(), base.end());
        std::reverse(top.begin(), top.end());
    }
    const std::size_t n = base.size();
    auto b = [&](std::size_t i) { return V3(base[i % n].x, base[i % n].y, z0); };
    auto t = [&](std::size_t i) { return V3(top[i % n].x, top[i % n].y, z1); };
    if (!smooth) {
        for (std::size_t i = 0; i < n; ++i) {
            const float len = std::hypot(base[(i + 1) % n].x - base[i].x, base[(i + 1) % n].y - base[i].y);
            m.Quad(b(i), b(i + 1), t(i + 1), t(i), Scaled(walls, len, z1 - z0));
        }
    } else {
        // Round walls: shared normals, the skin once around from U0 to U1 and bottom to top.
        std::vector<TVector3> faceNormal(n);
        float perimeter = 0;
        std::vector<float> along(1, 0.0f);
        for (std::size_t i = 0; i < n; ++i) {
            faceNormal[i] = VectorNormalizeSafe(VectorCross(b(i + 1) - b(i), t(i) - b(i)));
            perimeter += std::hypot(base[(i + 1) % n].x - base[i].x, base[(i + 1) % n].y - base[i].y);
            along.push_back(perimeter);
        }
        std::vector<int> vb, vt, tb, tt;
        for (std::size_t i = 0; i <= n; ++i) {
            const TVector3 normal = VectorNormalizeSafe(faceNormal[(i + n - 1) % n] + faceNormal[i % n]);
            const float u = walls.UV.U0 + (walls.UV.U1 - walls.UV.U0) * along[i] / perimeter;
            vb.push_back(m.Vertex(b(i), normal));
            vt.push_back(m.Vertex(t(i), normal));
            tb.push_back(m.TexCoord(u, walls.UV.V1));
            tt.push_back(m.TexCoord(u, walls.UV.V0));
        }
        for (std::size_t i = 0; i < n; ++i) {
            Tri(m, vb[i], vb[i + 1], vt[i + 1], tb[i], tb[i + 1], tt[i + 1]);
            Tri(m, vb[i], vt[i + 1], vt[i], tb[i], tt[i + 1], tt[i]);
        }
    }
    if (!roof)
        return;
    float minX = top[0].x, maxX = top[0].x, minY = top[0].y, maxY = top[0].y, cx = 0, cy = 0;
    for (const TPoint2 &q : top) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
        cx += q.x / float(n);
        cy += q.y / float(n);
    }
    const float sx = std::max(maxX - minX, roof->MetresU), sy = std::max(maxY - minY, roof->MetresV);
    auto uv = [&](float x, float y) {
        return m.TexCoord(roof->UV.U0 + (roof->UV.U1 - roof->UV.U0) * (x - minX) / sx,
                          roof->UV.V1 - (roof->UV.V1 - roof->UV.V0) * (y - minY) / sy);
    };
    const TVector3 up = V3(0, 0, 1);
    const int centre = m.Vertex(V3(cx, cy, z1), up), centreUV = uv(cx, cy);
    std::vector<int> rim, rimUV;
    for (const TPoint2 &q : top) {
        rim.push_back(m.Vertex(V3(q.x, q.y, z1), up));
        rimUV.push_back(uv(q.x, q.y));
    }
    for (std::size_t i = 0; i < n; ++i)
        Tri(m, centre, rim[i], rim[(i + 1) % n], centreUV, rimUV[i], rimUV[(i + 1) % n]);
}

void SideSurface(TMeshBuilder &m, const std::function<TVector3(float, float)> &f, const std::vector<float> &stations,
                 const std::vector<float> &levels, const TSideMap &map)
{
    const std::size_t ns = stations.size(), nl = levels.size();
    std::vector<std::vector<TVector3>> p(ns, std::vector<TVector3>(nl));
    for (std::size_t i = 0; i < ns; ++i)
        for (std::size_t j = 0; j < nl; ++j)
            p[i][j] = f(stations[i], levels[j]);
    std::vector<std::vector<int>> vs(ns, std::vector<int>(nl)), vp = vs, ts = vs, tp = vs;
    for (std::size_t i = 0; i < ns; ++i)
        for (std::size_t j = 0; j < nl; ++j) {
            const TVector3 ds = p[std::min(i + 1, ns - 1)][j] - p[i > 0 ? i - 1 : 0][j];
            const TVector3 dl = p[i][std::min(j + 1, nl - 1)] - p[i][j > 0 ? j - 1 : 0];
            TVector3 n = VectorNormalizeSafe(VectorCross(ds, dl));
            if (VectorLength(n) < 0.5f)
                n = V3(1, 0, 0);
            const TVector3 &q = p[i][j];
            const float u = (q.y - map.YMin) / (map.YMax - map.YMin), v = (map.ZTop - q.z) / (map.ZTop - map.ZBot);
            vs[i][j] = m.Vertex(q, n);
            vp[i][j] = m.Vertex(V3(-q.x, q.y, q.z), V3(-n.x, n.y, n.z));
            ts[i][j] = m.TexCoord(map.Starboard.U0 + (map.Starboard.U1 - map.Starboard.U0) * u,
                                  map.Starboard.V0 + (map.Starboard.V1 - map.Starboard.V0) * v);
            tp[i][j] = m.TexCoord(map.Port.U0 + (map.Port.U1 - map.Port.U0) * (1 - u),
                                  map.Port.V0 + (map.Port.V1 - map.Port.V0) * v);
        }
    for (std::size_t i = 0; i + 1 < ns; ++i)
        for (std::size_t j = 0; j + 1 < nl; ++j) {
            Tri(m, vs[i][j], vs[i + 1][j], vs[i + 1][j + 1], ts[i][j], ts[i + 1][j], ts[i + 1][j + 1]);
            Tri(m, vs[i][j], vs[i + 1][j + 1], vs[i][j + 1], ts[i][j], ts[i + 1][j + 1], ts[i][j + 1]);
            Tri(m, vp[i][j], vp[i + 1][j + 1], vp[i + 1][j], tp[i][j], tp[i + 1][j + 1], tp[i + 1][j]);
            Tri(m, vp[i][j], vp[i][j + 1], vp[i + 1][j + 1], tp[i][j], tp[i][j + 1], tp[i + 1][j + 1]);
        }
}

float THull::Freeboard(float s) const
{
    const float bow = std::max(0.0f, (s - 0.5f) / 0.5f), stern = std::max(0.0f, (0.5f - s) / 0.5f);
    return FreeboardMid + (FreeboardBow - FreeboardMid) * bow * bow + (FreeboardStern - FreeboardMid) * stern * stern;
}

float THull::YStern(float z) const
{
    const float y0 = Y - Length / 2;
    return z >= 0 ? y0 - SternOverhang * z / FreeboardStern : y0 + SternCut * (-z / Draught);
}

float THull::YBow(float z) const
{
    const float y1 = Y + Length / 2, below = -z / Draught;
    return z >= 0 ? y1 + BowRake * z / FreeboardBow : y1 - ForefootCut * below * below;
}

float THull::HalfWidth(float s, float z) const
{
    float plan = 1;
    if (s > FlatTo) {
        const float t = (s - FlatTo) / (1 - FlatTo);
        const float k = 1.5f + (BowFullness - 1.5f) * Clamp01((z + Draught) / (Draught + FreeboardBow));
        plan = 1 - std::pow(t, k);
    } else if (s < FlatFrom) {
        const float t = (FlatFrom - s) / FlatFrom;
        plan = 1 - (1 - Transom) * t * t;
    }
    float section;
    if (z < 0)
        section = std::pow(std::max(0.0f, 1 - std::pow(-z / Draught, Bilge)), 1 / Bilge);
    else
        section = 1 + Flare * z / std::max({FreeboardBow, FreeboardMid, FreeboardStern});
    return Beam / 2 * std::max(0.0f, plan) * section;
}

TVector3 THull::Point(float s, float q) const
{
    const float z = q < 0 ? q * Draught : q * Freeboard(s);
    const float y = YStern(z) + s * (YBow(z) - YStern(z));
    return V3(HalfWidth(s, z), y, z);
}

float THull::DeckHalfWidthAt(float y) const
{
    float lo = 0, hi = 1;
    if (y < Point(0, 1).y || y > Point(1, 1).y)
        return 0;
    for (int i = 0; i < 30; ++i) {
        const float mid = (lo + hi) / 2;
        (Point(mid, 1).y < y ? lo : hi) = mid;
    }
    return Point(lo, 1).x;
}

float THull::DeckHeightAt(float y) const
{
    float lo = 0, hi = 1;
    for (int i = 0; i < 30; ++i) {
        const float mid = (lo + hi) / 2;
        (Point(mid, 1).y < y ? lo : hi) = mid;
    }
    return Freeboard(lo);
}

TSideMap THull::SideMap(const TLayout &layout) const
{
    TSideMap map;
    map.Starboard = layout.UV(layout.HullS);
    map.Port = layout.UV(layout.HullP);
    map.YMin = Y - Length / 2 - SternOverhang;
    map.YMax = Y + Length / 2 + BowRake;
    map.ZTop = std::max({FreeboardBow, FreeboardMid, FreeboardStern});
    map.ZBot = -Draught;
    return map;
}

TDeckMap THull::DeckMap(const TLayout &layout) const
{
    TDeckMap map;
    map.UV = layout.UV(layout.Deck);
    map.HalfWidth = Beam / 2 * (1 + Flare);
    const TSideMap side = SideMap(layout);
    map.YMin = side.YMin;
    map.YMax = side.YMax;
    return map;
}

void BuildHull(TMeshBuilder &m, const THull &hull, const TLayout &layout, int detail, float s0, float s1,
               const TUVRect &broken)
{
    const int n = std::max(6, int(float(hull.Stations) * (detail == 0 ? 1.0f : detail == 1 ? 0.6f : 0.35f)));
    std::vector<float> stations = {s0};
    for (const float s : Stations(n))
        if (s > s0 + 0.005f && s < s1 - 0.005f)
            stations.push_back(s);
    stations.push_back(s1);
    std::vector<float> levels = hull.Levels;
    if (detail == 1)
        levels = {-1, -0.5f, 0, 0.5f, 1};
    else if (detail >= 2)
        levels = {-1, 0, 1};
    const TSideMap side = hull.SideMap(layout);
    SideSurface(m, [&](float s, float q) { return hull.Point(s, q); }, stations, levels, side);

    // The deck, mapped from above.
    const TDeckMap deck = hull.DeckMap(layout);
    auto deckUV = [&](const TVector3 &p) {
        return m.TexCoord(deck.UV.U0 + (deck.UV.U1 - deck.UV.U0) * (p.x + deck.HalfWidth) / (2 * deck.HalfWidth),
                          deck.UV.V0 + (deck.UV.V1 - deck.UV.V0) * (deck.YMax - p.y) / (deck.YMax - deck.YMin));
    };
    std::vector<int> left, right, leftUV, rightUV;
    for (const float s : stations) {
        const TVector3 r = hull.Point(s, 1), l = V3(-r.x, r.y, r.z);
        left.push_back(m.Vertex(l, V3(0, 0, 1)));
        right.push_back(m.Vertex(r, V3(0, 0, 1)));
        leftUV.push_back(deckUV(l));
        rightUV.push_back(deckUV(r));
    }
    for (std::size_t i = 0; i + 1 < stations.size(); ++i) {
        Tri(m, left[i], right[i], right[i + 1], leftUV[i], rightUV[i], rightUV[i + 1]);
        Tri(m, left[i], right[i + 1], left[i + 1], leftUV[i], rightUV[i + 1], leftUV[i + 1]);
    }

    // The ends: the transom, painted like the stern end of the side, or a torn section. The ring runs
    // up the starboard side and down the port side, counter-clockwise seen from behind.
    auto cap = [&](float s, bool facingBack, const std::function<int(const TVector3 &)> &uv) {
        std::vector<TVector3> ring;
        for (const float q : levels)
            ring.push_back(hull.Point(s, q));
        for (std::size_t j = levels.size(); j-- > 0;)
            if (ring[j].x > 1e-4f)
                ring.push_back(V3(-ring[j].x, ring[j].y, ring[j].z));
        if (!facingBack)
            std::reverse(ring.begin(), ring.end());
        TVector3 centre;
        for (const TVector3 &q : ring)
            centre = centre + VectorScale(q, 1.0f / float(ring.size()));
        const TVector3 normal = V3(0, facingBack ? -1.0f : 1.0f, 0);
        const int c = m.Vertex(centre, normal), cuv = uv(centre);
        std::vector<int> rim, rimUV;
        for (const TVector3 &q : ring) {
            rim.push_back(m.Vertex(q, normal));
            rimUV.push_back(uv(q));
        }
        for (std::size_t i = 0; i < ring.size(); ++i)
            Tri(m, c, rim[i], rim[(i + 1) % ring.size()], cuv, rimUV[i], rimUV[(i + 1) % ring.size()]);
    };
    auto sternUV = [&](const TVector3 &p) {
        return m.TexCoord(side.Starboard.U0 + 0.004f,
                          side.Starboard.V0 + (side.Starboard.V1 - side.Starboard.V0) * (side.ZTop - p.z) / (side.ZTop - side.ZBot));
    };
    auto tornUV = [&](const TVector3 &p) {
        return m.TexCoord(broken.U0 + (broken.U1 - broken.U0) * Clamp01(0.5f + p.x / hull.Beam),
                          broken.V0 + (broken.V1 - broken.V0) * Clamp01((side.ZTop - p.z) / (side.ZTop - side.ZBot)));
    };
    if (s0 <= 0)
        cap(0, true, sternUV);
    else
        cap(s0, true, tornUV);
    if (s1 < 1)
        cap(s1, false, tornUV);
}

void HullCollision(TMeshBuilder &m, const THull &hull)
{
    const std::vector<float> stations = {0, 0.2f, 0.45f, 0.7f, 0.85f, 0.95f, 1};
    std::vector<TVector3> top;
    for (const float s : stations)
        top.push_back(hull.Point(s, 1));
    auto low = [](const TVector3 &p) { return V3(p.x, p.y, 0); };
    auto mirror = [](const TVector3 &p) { return V3(-p.x, p.y, p.z); };
    for (std::size_t i = 0; i + 1 < top.size(); ++i) {
        const TVector3 &a = top[i], &b = top[i + 1];
        m.Quad(low(a), low(b), b, a);
        m.Quad(mirror(low(b)), mirror(low(a)), mirror(a), mirror(b));
        if (b.x > 1e-3f)
            m.Quad(mirror(a), a, b, mirror(b));
        else
            m.Triangle(mirror(a), a, b);
    }
    m.Quad(mirror(low(top[0])), low(top[0]), top[0], mirror(top[0]));
}

TSideMap TBody::SideMap(const TLayout &layout, float zTop) const
{
    TSideMap map;
    map.Starboard = layout.UV(layout.HullS);
    map.Port = layout.UV(layout.HullP);
    map.YMin = Y - Length / 2;
    map.YMax = Y + Length / 2;
    float r = 0;
    for (int i = 0; i <= 100; ++i)
        r = std::max(r, Radius(float(i) / 100));
    map.ZTop = zTop;
    map.ZBot = ZCentre - r * Squash;
    return map;
}

void BuildBody(TMeshBuilder &m, const TBody &body, const TSideMap &map)
{
    // Extra stations close to the nose, where a rounded bow closes quickly.
    std::vector<float> stations = Stations(body.Stations);
    stations.insert(stations.end() - 1, {0.985f, 0.995f});
    std::sort(stations.begin(), stations.end());
    stations.erase(std::unique(stations.begin(), stations.end()), stations.end());
    std::vector<float> levels;
    for (int j = 0; j <= body.Rings; ++j)
        levels.push_back(float(j) / float(body.Rings));
    SideSurface(
        m,
        [&](float s, float l) {
            const float a = -Pi / 2 + Pi * l, r = body.Radius(s);
            return V3(r * std::cos(a), body.Y - body.Length / 2 + s * body.Length, body.ZCentre + r * body.Squash * std::sin(a));
        },
        stations, levels, map);
}

TVector4 Attitude(float pitch, float roll, float yaw)
{
    return KeyRotationThen(KeyRotationThen(KeyRotation(V3(1, 0, 0), pitch), KeyRotation(V3(0, 1, 0), roll)),
                           KeyRotation(V3(0, 0, 1), yaw));
}

void PoseKey(TMeshBuilder &m, int frame, const TVector3 &pivot, const TVector4 &rotation, const TVector3 &offset)
{
    const TMatrix4 turn = QuaternionToMatrix(rotation, V3(0, 0, 0));
    const TVector3 turned = MatrixTransformPoint(pivot, turn);
    m.SetKey(frame, pivot - turned + offset, rotation);
}

void Sink(TMeshBuilder &m, int frames, const TVector3 &pivot, const std::vector<TSinkKey> &keys)
{
    for (int f = 0; f < frames; ++f) {
        const float t = frames > 1 ? float(f) / float(frames - 1) : 0;
        std::size_t k = 0;
        while (k + 2 < keys.size() && t > keys[k + 1].T)
            ++k;
        const TSinkKey &a = keys[k], &b = keys[std::min(k + 1, keys.size() - 1)];
        const float w = b.T > a.T ? SmoothStep((t - a.T) / (b.T - a.T)) : 1;
        PoseKey(m, f, pivot, Attitude(Radians(Mix(a.Pitch, b.Pitch, w)), Radians(Mix(a.Roll, b.Roll, w))),
                V3(0, Mix(a.Ahead, b.Ahead, w), -Mix(a.Down, b.Down, w)));
    }
}

void Throw(TMeshBuilder &m, int frames, float seconds, const TVector3 &start, const TVector3 &velocity,
           const TVector3 &spin)
{
    // When it meets the water: start.z + vz t - g t^2 / 2 = 0.
    const float g = 9.81f, vz = velocity.z;
    const float landing = (vz + std::sqrt(vz * vz + 2 * g * std::max(0.0f, start.z))) / g;
    for (int f = 0; f < frames; ++f) {
        const float t = seconds * float(f) / float(frames - 1), flight = std::min(t, landing);
        TVector3 p = V3(start.x + velocity.x * flight, start.y + velocity.y * flight,
                        start.z + vz * flight - g / 2 * flight * flight);
        if (t > landing)
            p.z = -0.3f - 0.4f * (t - landing);   // floats low, slowly going down
        m.SetKey(f, p, Attitude(spin.x * flight, spin.y * flight, spin.z * flight));
    }
}
