#include "tools/hudart/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

// Calls Cover(x, y) for every pixel of the box grown by Pad and clipped to the mask.
template <typename F> void ForBox(TMask &mask, float x0, float y0, float x1, float y1, float pad, F cover)
{
    const int ix0 = std::max(0, int(std::floor(std::min(x0, x1) - pad)));
    const int iy0 = std::max(0, int(std::floor(std::min(y0, y1) - pad)));
    const int ix1 = std::min(mask.w - 1, int(std::ceil(std::max(x0, x1) + pad)));
    const int iy1 = std::min(mask.h - 1, int(std::ceil(std::max(y0, y1) + pad)));
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            const float c = cover(float(x) + 0.5f, float(y) + 0.5f);
            if (c > 0)
                mask.at(x, y) = std::max(mask.at(x, y), std::min(c, 1.0f));
        }
}

float SegmentDistance(TPoint p, TPoint a, TPoint b)
{
    const float vx = b.x - a.x, vy = b.y - a.y, wx = p.x - a.x, wy = p.y - a.y;
    const float len2 = vx * vx + vy * vy;
    const float t = len2 > 0 ? Clamp01((wx * vx + wy * vy) / len2) : 0.0f;
    const float dx = wx - t * vx, dy = wy - t * vy;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

TColor WithAlpha(TColor c, float a)
{
    c.a = a;
    return c;
}

TColor Ramp(const std::vector<std::pair<float, TColor>> &stops, float t)
{
    if (stops.empty())
        return {};
    if (t <= stops.front().first)
        return stops.front().second;
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].first) {
            const float span = stops[i].first - stops[i - 1].first;
            return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1.0f);
        }
    return stops.back().second;
}

void StrokeLine(TMask &mask, TPoint a, TPoint b, float width, float strength)
{
    const float half = width * 0.5f;
    ForBox(mask, a.x, a.y, b.x, b.y, half + 1, [&](float x, float y) {
        return Clamp01(half + 0.5f - SegmentDistance({x, y}, a, b)) * strength;
    });
}

void StrokePolyline(TMask &mask, const std::vector<TPoint> &points, float width, bool closed, float strength)
{
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        StrokeLine(mask, points[i], points[i + 1], width, strength);
    if (closed && points.size() > 2)
        StrokeLine(mask, points.back(), points.front(), width, strength);
}

void StrokeArc(TMask &mask, TPoint c, float radius, float width, float a0, float a1, float strength, float radiusY)
{
    const float rx = radius, ry = radiusY > 0 ? radiusY : radius, half = width * 0.5f;
    const bool full = a1 - a0 >= 2 * Pi - 1e-4f;
    ForBox(mask, c.x - rx, c.y - ry, c.x + rx, c.y + ry, half + 1, [&](float x, float y) {
        const float dx = x - c.x, dy = y - c.y;
        float distance;
        if (rx == ry) {
            distance = std::abs(std::sqrt(dx * dx + dy * dy) - rx);
        } else {
            const float f = dx * dx / (rx * rx) + dy * dy / (ry * ry) - 1;
            const float g = 2 * std::sqrt(dx * dx / (rx * rx * rx * rx) + dy * dy / (ry * ry * ry * ry));
            distance = g > 0 ? std::abs(f) / g : rx;
        }
        const float ring = Clamp01(half + 0.5f - distance);
        if (ring <= 0 || full)
            return ring * strength;
        float angle = std::atan2(-dy, dx);
        while (angle < a0)
            angle += 2 * Pi;
        while (angle > a0 + 2 * Pi)
            angle -= 2 * Pi;
        // Soft ends, one pixel long at the arc's radius.
        const float along = std::min(angle - a0, a1 - angle) * rx;
        return ring * Clamp01(along + 0.5f) * strength;
    });
}

void FillCircle(TMask &mask, TPoint c, float radius, float strength)
{
    ForBox(mask, c.x - radius, c.y - radius, c.x + radius, c.y + radius, 1, [&](float x, float y) {
        const float d = std::sqrt((x - c.x) * (x - c.x) + (y - c.y) * (y - c.y));
        return Clamp01(radius + 0.5f - d) * strength;
    });
}

void FillPolygon(TMask &mask, const std::vector<TPoint> &points, float strength)
{
    if (points.size() < 3)
        return;
    float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (const TPoint &p : points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    ForBox(mask, x0, y0, x1, y1, 1, [&](float x, float y) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx)
                hits += InsidePolygon(points, x - 0.5f + (float(sx) + 0.5f) / 4, y - 0.5f + (float(sy) + 0.5f) / 4);
        return float(hits) / 16 * strength;
    });
}

void FillRect(TMask &mask, float x0, float y0, float x1, float y1, float strength)
{
    ForBox(mask, x0, y0, x1, y1, 1, [&](float x, float y) {
        const float cx = Clamp01(std::min(x - x0, x1 - x) + 0.5f), cy = Clamp01(std::min(y - y0, y1 - y) + 0.5f);
        return cx * cy * strength;
    });
}

std::vector<TPoint> Chamfered(float x0, float y0, float x1, float y1, float cutTL, float cutTR, float cutBR, float cutBL)
{
    std::vector<TPoint> p;
    auto corner = [&](float cut, TPoint at, TPoint first, TPoint second) {
        if (cut <= 0) {
            p.push_back(at);
        } else {
            p.push_back({at.x + first.x * cut, at.y + first.y * cut});
            p.push_back({at.x + second.x * cut, at.y + second.y * cut});
        }
    };
    corner(cutTL, {x0, y0}, {0, 1}, {1, 0});
    corner(cutTR, {x1, y0}, {-1, 0}, {0, 1});
    corner(cutBR, {x1, y1}, {0, -1}, {-1, 0});
    corner(cutBL, {x0, y1}, {1, 0}, {0, -1});
    return p;
}

TMask Union(const TMask &a, const TMask &b)
{
    TMask out = a;
    for (std::size_t i = 0; i < out.a.size() && i < b.a.size(); ++i)
        out.a[i] = std::max(out.a[i], b.a[i]);
    return out;
}

TMask Subtract(const TMask &a, const TMask &b)
{
    TMask out = a;
    for (std::size_t i = 0; i < out.a.size() && i < b.a.size(); ++i)
        out.a[i] = out.a[i] * (1 - b.a[i]);
    return out;
}

TMask Shifted(const TMask &mask, int dx, int dy)
{
    TMask out(mask.w, mask.h);
    for (int y = 0; y < mask.h; ++y)
        for (int x = 0; x < mask.w; ++x)
            out.at(x, y) = mask.get(x - dx, y - dy);
    return out;
}

void PaintSolid(TCanvas &canvas, const TMask &mask, TColor color, float opacity)
{
    canvas.Paint(mask, 0, 0, [&](int, int) { return color; }, opacity);
}

void PaintShadow(TCanvas &canvas, const TMask &mask, float opacity, int grow, int blur, TColor color)
{
    const TMask halo = Blur(grow > 0 ? Dilate(mask, grow) : mask, blur);
    canvas.Paint(halo, 0, 0, [&](int, int) { return color; }, opacity);
}

void ClearEdges(TCanvas &canvas, int margin)
{
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x) {
            const int edge = std::min({x, y, canvas.w - 1 - x, canvas.h - 1 - y});
            if (edge < margin)
                canvas.at(x, y).a *= float(edge) / float(margin);
        }
}

void PaintGlow(TCanvas &canvas, const TMask &mask, TColor color, int radius, float opacity)
{
    canvas.Paint(Blur(mask, radius), 0, 0, [&](int, int) { return color; }, opacity);
}

void Blit(TCanvas &bottom, const TCanvas &top, int x0, int y0)
{
    for (int y = 0; y < top.h; ++y)
        for (int x = 0; x < top.w; ++x) {
            const int bx = x0 + x, by = y0 + y;
            if (bx < 0 || by < 0 || bx >= bottom.w || by >= bottom.h)
                continue;
            const TColor &s = top.px[std::size_t(y) * top.w + x];
            TColor &d = bottom.at(bx, by);
            const float oa = s.a + d.a * (1 - s.a);
            if (oa <= 0)
                continue;
            d.r = (s.r * s.a + d.r * d.a * (1 - s.a)) / oa;
            d.g = (s.g * s.a + d.g * d.a * (1 - s.a)) / oa;
            d.b = (s.b * s.a + d.b * d.a * (1 - s.a)) / oa;
            d.a = oa;
        }
}
