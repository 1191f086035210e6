#include "tools/craftgen/Paint.h"

#include <algorithm>
#include <cmath>

TRect TRect::Part(float u0, float v0, float u1, float v1) const
{
    return {X0 + int(std::lround(float(Width()) * u0)), Y0 + int(std::lround(float(Height()) * v0)),
            X0 + int(std::lround(float(Width()) * u1)), Y0 + int(std::lround(float(Height()) * v1))};
}

TColor Rgb(int r, int g, int b) { return {float(r) / 255, float(g) / 255, float(b) / 255, 1}; }

std::uint32_t TDice::Next()
{
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return State;
}

float TDice::Uniform(float lo, float hi) { return lo + (hi - lo) * float(Next() & 0xFFFFFF) / float(0x1000000); }

int TDice::Below(int n) { return n <= 0 ? 0 : int(Next() % std::uint32_t(n)); }

TAtlas::TAtlas(int width, int height) : Canvas(width, height, {0.5f, 0.5f, 0.5f, 1}) {}

TUVRect TAtlas::UV(const TRect &r) const
{
    const float w = float(Canvas.w), h = float(Canvas.h);
    return {(float(r.X0) + 0.5f) / w, (float(r.Y0) + 0.5f) / h, (float(r.X1) - 0.5f) / w, (float(r.Y1) - 0.5f) / h};
}

void TAtlas::Fill(const TRect &r, const std::function<TColor(float u, float v)> &color)
{
    for (int y = std::max(r.Y0, 0); y < std::min(r.Y1, Canvas.h); ++y)
        for (int x = std::max(r.X0, 0); x < std::min(r.X1, Canvas.w); ++x) {
            TColor c = color((float(x - r.X0) + 0.5f) / float(r.Width()), (float(y - r.Y0) + 0.5f) / float(r.Height()));
            c.a = 1;
            Canvas.at(x, y) = c;
        }
}

void TAtlas::Blend(const TRect &r, const std::function<TColor(float u, float v)> &color)
{
    for (int y = std::max(r.Y0, 0); y < std::min(r.Y1, Canvas.h); ++y)
        for (int x = std::max(r.X0, 0); x < std::min(r.X1, Canvas.w); ++x) {
            const TColor c = color((float(x - r.X0) + 0.5f) / float(r.Width()), (float(y - r.Y0) + 0.5f) / float(r.Height()));
            Put(x, y, c, c.a);
        }
}

void TAtlas::Darken(const TRect &r, const std::function<float(float u, float v)> &factor)
{
    for (int y = std::max(r.Y0, 0); y < std::min(r.Y1, Canvas.h); ++y)
        for (int x = std::max(r.X0, 0); x < std::min(r.X1, Canvas.w); ++x) {
            const float f = factor((float(x - r.X0) + 0.5f) / float(r.Width()), (float(y - r.Y0) + 0.5f) / float(r.Height()));
            TColor &d = Canvas.at(x, y);
            d = Shade(d, f);
        }
}

void TAtlas::Put(int x, int y, const TColor &c, float alpha)
{
    if (x < std::max(0, Clip.X0) || y < std::max(0, Clip.Y0) || x >= std::min(Canvas.w, Clip.X1) ||
        y >= std::min(Canvas.h, Clip.Y1) || alpha <= 0)
        return;
    TColor &d = Canvas.at(x, y);
    const float a = Clamp01(alpha);
    d = {Mix(d.r, c.r, a), Mix(d.g, c.g, a), Mix(d.b, c.b, a), 1};
}

void TAtlas::Segment(float ax, float ay, float bx, float by, float half,
                     const std::function<void(int x, int y, float distance)> &pixel)
{
    const int x0 = int(std::floor(std::min(ax, bx) - half - 1)), x1 = int(std::ceil(std::max(ax, bx) + half + 1));
    const int y0 = int(std::floor(std::min(ay, by) - half - 1)), y1 = int(std::ceil(std::max(ay, by) + half + 1));
    const float dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    for (int y = std::max(y0, 0); y <= std::min(y1, Canvas.h - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, Canvas.w - 1); ++x) {
            const float px = float(x) + 0.5f - ax, py = float(y) + 0.5f - ay;
            const float t = length2 > 0 ? Clamp01((px * dx + py * dy) / length2) : 0.0f;
            const float distance = std::hypot(px - t * dx, py - t * dy);
            if (distance <= half + 1)
                pixel(x, y, distance);
        }
}

void TAtlas::PanelLine(const TRect &r, float u0, float v0, float u1, float v1, float strength)
{
    const float ax = float(r.X0) + u0 * float(r.Width()), ay = float(r.Y0) + v0 * float(r.Height());
    const float bx = float(r.X0) + u1 * float(r.Width()), by = float(r.Y0) + v1 * float(r.Height());
    // The lip sits one pixel to the lower right of the groove, as if lit from the upper left.
    Segment(ax + 1, ay + 1, bx + 1, by + 1, 0.5f, [&](int x, int y, float d) {
        Put(x, y, {1, 1, 1, 1}, 0.16f * strength * Clamp01(1.5f - d));
    });
    Segment(ax, ay, bx, by, 0.5f, [&](int x, int y, float d) {
        Put(x, y, {0.04f, 0.04f, 0.05f, 1}, 0.55f * strength * Clamp01(1.5f - d));
    });
}

void TAtlas::Rivets(const TRect &r, float u0, float v0, float u1, float v1, float spacing)
{
    const float ax = float(r.X0) + u0 * float(r.Width()), ay = float(r.Y0) + v0 * float(r.Height());
    const float bx = float(r.X0) + u1 * float(r.Width()), by = float(r.Y0) + v1 * float(r.Height());
    const float length = std::hypot(bx - ax, by - ay);
    const int count = std::max(1, int(length / spacing));
    for (int i = 0; i <= count; ++i) {
        const float t = float(i) / float(count), x = Mix(ax, bx, t), y = Mix(ay, by, t);
        Put(int(x), int(y), {0.1f, 0.1f, 0.1f, 1}, 0.35f);
        Put(int(x) - 1, int(y) - 1, {1, 1, 1, 1}, 0.2f);
    }
}

void TAtlas::Band(const TRect &r, float u0, float v0, float u1, float v1, float width, const TColor &color)
{
    const float ax = float(r.X0) + u0 * float(r.Width()), ay = float(r.Y0) + v0 * float(r.Height());
    const float bx = float(r.X0) + u1 * float(r.Width()), by = float(r.Y0) + v1 * float(r.Height());
    Segment(ax, ay, bx, by, width / 2, [&](int x, int y, float d) { Put(x, y, color, color.a * Clamp01(width / 2 + 0.5f - d)); });
}

void TAtlas::Disc(const TRect &r, float u, float v, float radius, const TColor &color)
{
    const float cx = float(r.X0) + u * float(r.Width()), cy = float(r.Y0) + v * float(r.Height());
    Segment(cx, cy, cx, cy, radius, [&](int x, int y, float d) { Put(x, y, color, color.a * Clamp01(radius + 0.5f - d)); });
}

void TAtlas::Polygon(const TRect &r, const std::vector<TPoint2> &corners, const TColor &color)
{
    std::vector<TPoint2> p;
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (const TPoint2 &c : corners) {
        p.push_back({float(r.X0) + c.x * float(r.Width()), float(r.Y0) + c.y * float(r.Height())});
        x0 = std::min(x0, p.back().x);
        y0 = std::min(y0, p.back().y);
        x1 = std::max(x1, p.back().x);
        y1 = std::max(y1, p.back().y);
    }
    // Four samples per pixel for a smooth edge.
    for (int y = std::max(int(y0) - 1, 0); y <= std::min(int(y1) + 1, Canvas.h - 1); ++y)
        for (int x = std::max(int(x0) - 1, 0); x <= std::min(int(x1) + 1, Canvas.w - 1); ++x) {
            int hits = 0;
            for (const float sy : {0.25f, 0.75f})
                for (const float sx : {0.25f, 0.75f})
                    hits += InsidePolygon(p, float(x) + sx, float(y) + sy);
            if (hits)
                Put(x, y, color, color.a * float(hits) / 4);
        }
}

void TAtlas::Text(const TRect &r, const std::string &font, const std::string &text, float u, float v, int height,
                  const TColor &color, int turns)
{
    const TFont face(font);
    const TMask mask = face.Render(text, height, 1, 1);
    const int cx = int(float(r.X0) + u * float(r.Width())), cy = int(float(r.Y0) + v * float(r.Height()));
    for (int my = 0; my < mask.h; ++my)
        for (int mx = 0; mx < mask.w; ++mx) {
            const float cover = mask.get(mx, my);
            if (cover <= 0)
                continue;
            const int dx = mx - mask.w / 2, dy = my - mask.h / 2;
            // A clockwise quarter turn takes the reading direction (+x) down (+y) and "up" (-y) right.
            int x = dx, y = dy;
            for (int k = 0; k < ((turns % 4) + 4) % 4; ++k) {
                const int t = x;
                x = -y;
                y = t;
            }
            Put(cx + x, cy + y, color, color.a * cover);
        }
}

void TAtlas::Roundel(const TRect &r, float u, float v, float rx, float ry, const std::vector<TColor> &colors)
{
    const float cx = float(r.X0) + u * float(r.Width()), cy = float(r.Y0) + v * float(r.Height());
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            const float d = std::hypot((float(x) + 0.5f - cx) / rx, (float(y) + 0.5f - cy) / ry);
            const float edge = 1.0f / std::min(rx, ry);
            float outer = 1;
            for (const TColor &c : colors) {
                Put(x, y, c, c.a * Clamp01((outer - d) / edge + 0.5f));
                outer *= 0.66f;
            }
        }
}

void TAtlas::Splinter(const TRect &r, std::uint32_t seed, int cuts, const TColor &color,
                      const std::function<bool(float u, float v)> &where)
{
    struct TCut {
        float nx, ny, d;
    };
    std::vector<TCut> lines;
    TDice dice(seed);
    for (int i = 0; i < cuts; ++i) {
        const float a = dice.Uniform(0, Pi);
        lines.push_back({std::cos(a), std::sin(a), dice.Uniform(0, float(std::max(r.Width(), r.Height())))});
    }
    Blend(r, [&](float u, float v) {
        if (!where(u, v))
            return TColor{0, 0, 0, 0};
        const float x = u * float(r.Width()), y = v * float(r.Height());
        std::uint32_t shard = seed;
        for (const TCut &c : lines)
            shard = shard * 2654435761u + (x * c.nx + y * c.ny > c.d ? 0x9E37u : 0x85EBu);
        shard ^= shard >> 15;
        TColor out = color;
        out.a = shard % 3 == 0 ? 1.0f : 0.0f;
        return out;
    });
}

void TAtlas::Weather(const TRect &r, std::uint32_t seed, float grime, float streaks)
{
    Darken(r, [&](float u, float v) {
        const float x = u * float(r.Width()), y = v * float(r.Height());
        const float blotch = Noise(float(r.X0) + x, float(r.Y0) + y, 40, seed, 4);
        const float fine = Noise(float(r.X0) + x, float(r.Y0) + y, 6, seed + 7, 2);
        // Streaks: noise stretched twelve times along v.
        const float streak = Noise((float(r.X0) + x) * 6, (float(r.Y0) + y) * 0.5f, 30, seed + 13, 3);
        return 1 - grime * (0.22f * SmoothStep(0.45f, 0.85f, blotch) + 0.06f * fine) -
               streaks * 0.18f * SmoothStep(0.5f, 0.9f, streak);
    });
}

void TAtlas::Scorch(int cx, int cy, float radius, std::uint32_t seed, float strength)
{
    const TColor soot{0.05f, 0.045f, 0.04f, 1}, brown{0.30f, 0.19f, 0.10f, 1};
    Segment(float(cx), float(cy), float(cx), float(cy), radius * 1.4f, [&](int x, int y, float d) {
        const float n = Noise(float(x), float(y), radius * 0.35f + 1, seed, 3);
        const float t = d / radius + (n - 0.5f) * 0.9f;
        const float burnt = 1 - SmoothStep(0.35f, 1.0f, t);
        const float edge = (1 - SmoothStep(0.8f, 1.25f, t)) * (1 - burnt);
        Put(x, y, brown, 0.55f * edge * strength);
        Put(x, y, soot, 0.92f * burnt * strength);
    });
}

void TAtlas::BulletHoles(int cx, int cy, float spread, int count, std::uint32_t seed)
{
    TDice dice(seed);
    for (int i = 0; i < count; ++i) {
        const float a = dice.Uniform(0, 2 * Pi), d = spread * std::sqrt(dice.Uniform(0, 1));
        const float x = float(cx) + std::cos(a) * d, y = float(cy) + std::sin(a) * d, size = dice.Uniform(1.2f, 2.6f);
        // Blackened ring, bright torn lip, dark hole.
        Segment(x, y, x, y, size * 2.6f, [&](int px, int py, float dist) {
            Put(px, py, {0.08f, 0.07f, 0.06f, 1}, 0.5f * (1 - SmoothStep(size, size * 2.6f, dist)));
        });
        Segment(x, y, x, y, size + 1, [&](int px, int py, float dist) {
            Put(px, py, {0.62f, 0.61f, 0.58f, 1}, 0.5f * Clamp01(size + 1.5f - dist) * Clamp01(dist - size + 1.0f));
        });
        Segment(x, y, x, y, size, [&](int px, int py, float dist) {
            Put(px, py, {0.02f, 0.02f, 0.02f, 1}, Clamp01(size + 0.5f - dist));
        });
    }
}

void TAtlas::Tear(int cx, int cy, float radius, std::uint32_t seed)
{
    TDice dice(seed);
    std::vector<TPoint2> outline;
    const int corners = 9;
    for (int i = 0; i < corners; ++i) {
        const float a = 2 * Pi * float(i) / float(corners) + dice.Uniform(-0.2f, 0.2f);
        const float d = radius * dice.Uniform(0.45f, 1.0f);
        outline.push_back({float(cx) + std::cos(a) * d, float(cy) + std::sin(a) * d * 0.7f});
    }
    const TRect whole{0, 0, Canvas.w, Canvas.h};
    auto rel = outline;
    for (TPoint2 &p : rel)
        p = {p.x / float(Canvas.w), p.y / float(Canvas.h)};
    // Bare metal rim first, then the dark inside with the ribs of the structure.
    Scorch(cx, cy, radius * 1.5f, seed + 1, 0.8f);
    auto grown = rel;
    for (std::size_t i = 0; i < grown.size(); ++i) {
        const float gx = float(cx) / float(Canvas.w), gy = float(cy) / float(Canvas.h);
        grown[i] = {gx + (rel[i].x - gx) * 1.18f, gy + (rel[i].y - gy) * 1.18f};
    }
    Polygon(whole, grown, {0.62f, 0.6f, 0.56f, 1});
    Polygon(whole, rel, {0.07f, 0.065f, 0.06f, 1});
    for (int rib = -2; rib <= 2; ++rib) {
        const float x = float(cx) + float(rib) * radius * 0.35f;
        Segment(x, float(cy) - radius, x, float(cy) + radius, 0.8f, [&](int px, int py, float d) {
            if (InsidePolygon(outline, float(px) + 0.5f, float(py) + 0.5f))
                Put(px, py, {0.28f, 0.27f, 0.25f, 1}, Clamp01(1.3f - d));
        });
    }
}

void TAtlas::SootTrail(int x, int y, float length, float width, std::uint32_t seed)
{
    Segment(float(x), float(y), float(x), float(y) + length, width, [&](int px, int py, float d) {
        const float along = Clamp01((float(py) - float(y)) / length);
        const float n = Noise(float(px), float(py) * 0.3f, 5, seed, 3);
        const float a = (1 - SmoothStep(0, width, d + (n - 0.5f) * width * 0.8f)) * (1 - along) * 0.75f;
        Put(px, py, {0.06f, 0.055f, 0.05f, 1}, a);
    });
}

void TAtlas::Batter(const std::vector<TRect> &regions, int level, std::uint32_t seed)
{
    if (level >= 5)
        for (const TRect &r : regions)
            Blend(r, [&](float u, float v) {
                // Burnt out: soot over everything, thinner where the paint survived in patches.
                const float n = Noise(float(r.X0) + u * float(r.Width()), float(r.Y0) + v * float(r.Height()), 24, seed + 99, 4);
                return TColor{0.07f, 0.065f, 0.06f, 0.9f - 0.45f * SmoothStep(0.45f, 0.8f, n)};
            });
    for (int l = 1; l <= std::min(level, 5); ++l)
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const TRect &r = regions[i];
            Clip = r;
            TDice dice(seed + std::uint32_t(l) * 7919u + std::uint32_t(i) * 104729u);
            // Marks per level grow with the region's area: about one per 100 x 100 pixels.
            const int marks = std::max(1, r.Width() * r.Height() / 10000);
            for (int k = 0; k < marks; ++k) {
                const int x = r.X0 + dice.Below(std::max(1, r.Width())), y = r.Y0 + dice.Below(std::max(1, r.Height()));
                const float size = float(std::min(r.Width(), r.Height()));
                const std::uint32_t s = dice.Next();
                switch ((k + l) % 4) {
                case 0: BulletHoles(x, y, size * 0.08f, 3 + l, s); break;
                case 1: Scorch(x, y, size * (0.04f + 0.015f * float(l)), s, 0.8f); break;
                case 2: if (l >= 2) SootTrail(x, y, size * 0.3f, size * 0.025f + 2, s); else BulletHoles(x, y, size * 0.05f, 3, s); break;
                default: if (l >= 3) Tear(x, y, size * 0.05f + 3, s); else Scorch(x, y, size * 0.035f, s, 0.6f); break;
                }
            }
        }
    Clip = {0, 0, 1 << 20, 1 << 20};
}

TAtlas TAtlas::Reduced(int factor) const
{
    TAtlas small(Canvas.w / factor, Canvas.h / factor);
    small.Canvas = Downsample(Canvas, factor);
    return small;
}
