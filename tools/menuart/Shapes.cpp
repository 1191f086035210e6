#include "tools/menuart/Shapes.h"

#include <algorithm>
#include <cmath>

TMask Stroke(int w, int h, const std::function<float(float, float)> &distance, float halfWidth)
{
    TMask m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.at(x, y) = Clamp01(halfWidth + 0.5f - distance(x + 0.5f, y + 0.5f));
    return m;
}

TMask Fill(int w, int h, const std::function<float(float, float)> &signedDistance)
{
    TMask m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.at(x, y) = Clamp01(0.5f - signedDistance(x + 0.5f, y + 0.5f));
    return m;
}

float SegmentDistance(float x, float y, TPt a, TPt b)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? Clamp01(((x - a.x) * dx + (y - a.y) * dy) / len2) : 0.0f;
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

float CutBoxDistance(float x, float y, float cx, float cy, float hx, float hy, float cut)
{
    const float px = std::abs(x - cx), py = std::abs(y - cy);
    const float box = std::max(px - hx, py - hy);
    // The cut is the line px + py = hx + hy - cut, at 45 degrees.
    const float corner = (px + py - (hx + hy - cut)) * 0.70710678f;
    return std::max(box, corner);
}

std::function<float(float, float)> PolygonOutline(std::vector<TPt> points)
{
    return [points = std::move(points)](float x, float y) {
        float best = 1e9f;
        for (std::size_t i = 0; i < points.size(); ++i)
            best = std::min(best, SegmentDistance(x, y, points[i], points[(i + 1) % points.size()]));
        return best;
    };
}

TMask FillPolygon(int w, int h, const std::vector<TPt> &points)
{
    TMask m(w, h);
    if (points.size() < 3)
        return m;
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (const TPt &p : points) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    for (int y = std::max(0, int(y0) - 1); y < std::min(h, int(y1) + 2); ++y)
        for (int x = std::max(0, int(x0) - 1); x < std::min(w, int(x1) + 2); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += InsidePolygon(points, x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
            m.at(x, y) = float(hits) / 16;
        }
    return m;
}

std::vector<TPt> Place(const std::vector<TPt> &points, float s, float angle, float x, float y)
{
    const float c = std::cos(angle), n = std::sin(angle);
    std::vector<TPt> out;
    for (const TPt &p : points)
        out.push_back({x + s * (p.x * c - p.y * n), y + s * (p.x * n + p.y * c)});
    return out;
}

TCanvas Resample(const TCanvas &in, int w, int h)
{
    TCanvas out(w, h);
    auto sample = [&](int x, int y) -> const TColor & {
        return in.px[std::size_t(std::clamp(y, 0, in.h - 1)) * in.w + std::size_t(std::clamp(x, 0, in.w - 1))];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float sx = (x + 0.5f) * in.w / w - 0.5f, sy = (y + 0.5f) * in.h / h - 0.5f;
            const int ix = int(std::floor(sx)), iy = int(std::floor(sy));
            const float fx = sx - ix, fy = sy - iy;
            // Premultiplied, so that transparent pixels do not bleed their colour into the edges.
            TColor sum{0, 0, 0, 0};
            const std::pair<int, int> taps[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
            for (const auto &[dx, dy] : taps) {
                const TColor &c = sample(ix + dx, iy + dy);
                const float wgt = (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy);
                sum.r += c.r * c.a * wgt;
                sum.g += c.g * c.a * wgt;
                sum.b += c.b * c.a * wgt;
                sum.a += c.a * wgt;
            }
            if (sum.a > 0) {
                sum.r /= sum.a;
                sum.g /= sum.a;
                sum.b /= sum.a;
            }
            out.at(x, y) = sum;
        }
    return out;
}

TMask Solid(int w, int h, float value)
{
    TMask m(w, h);
    std::fill(m.a.begin(), m.a.end(), value);
    return m;
}
