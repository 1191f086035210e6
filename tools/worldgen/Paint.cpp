#include "tools/worldgen/Paint.h"

#include <algorithm>
#include <cmath>

TUVRect UV(const TCanvas &canvas, const TRegion &region)
{
    const float w = float(canvas.w), h = float(canvas.h);
    return {(float(region.X0) + 0.5f) / w, (float(region.Y0) + 0.5f) / h, (float(region.X1) - 0.5f) / w,
            (float(region.Y1) - 0.5f) / h};
}

void Fill(TCanvas &canvas, const TRegion &region, const std::function<TColor(int x, int y)> &color)
{
    for (int y = std::max(0, region.Y0); y < std::min(canvas.h, region.Y1); ++y)
        for (int x = std::max(0, region.X0); x < std::min(canvas.w, region.X1); ++x)
            canvas.at(x, y) = color(x - region.X0, y - region.Y0);
}

void PaintConcrete(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int panel)
{
    Fill(c, r, [&](int x, int y) {
        const float grain = Noise(float(x), float(y), 6, seed, 3, WorldPeriod);
        const float blotch = Noise(float(x), float(y), 40, seed + 1, 4, WorldPeriod);
        // Rain streaks run down the walls.
        const float streak = SmoothStep(0.55f, 0.8f, Noise(float(x), float(y) * 0.12f, 5, seed + 2, 2, WorldPeriod));
        float f = 0.8f + 0.22f * grain + 0.18f * (blotch - 0.5f) - 0.18f * streak;
        if (panel > 0 && (x % panel == 0 || y % panel == 0))
            f *= 0.72f;
        return Shade(base, f);
    });
}

void PaintCorrugated(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, float ribs, bool ribsAcross)
{
    const TColor rust = {0.46f, 0.26f, 0.13f, 1};
    Fill(c, r, [&](int x, int y) {
        const float along = ribsAcross ? float(y) / float(r.Height()) : float(x) / float(r.Width());
        const float rib = 0.82f + 0.2f * std::sin(2 * Pi * along * ribs);
        const float rusty = SmoothStep(0.63f, 0.85f, Noise(float(x), float(y) * 0.4f, 14, seed, 4, WorldPeriod));
        const float grime = Noise(float(x), float(y), 30, seed + 5, 3, WorldPeriod);
        return Shade(Mix(base, rust, rusty * 0.6f), rib * (0.85f + 0.25f * grime));
    });
}

void PaintCamouflage(TCanvas &c, const TRegion &r, std::uint32_t seed, float scale)
{
    const TColor dark = {0.17f, 0.22f, 0.12f, 1}, olive = {0.36f, 0.38f, 0.2f, 1}, brown = {0.35f, 0.29f, 0.18f, 1};
    Fill(c, r, [&](int x, int y) {
        const float n = Noise(float(x), float(y), scale, seed, 3, WorldPeriod);
        const float m = Noise(float(x), float(y), scale * 0.8f, seed + 7, 3, WorldPeriod);
        TColor col = n < 0.45f ? olive : (m < 0.5f ? dark : brown);
        const float grime = Noise(float(x), float(y), 4, seed + 3, 2, WorldPeriod);
        return Shade(col, 0.85f + 0.25f * grime);
    });
}

void PaintSandbags(TCanvas &c, const TRegion &r, std::uint32_t seed, int rows, bool alongV)
{
    const TColor khaki = {0.58f, 0.5f, 0.33f, 1};
    const int across = alongV ? r.Width() : r.Height();
    const float rowHeight = float(across) / float(rows), bagWidth = rowHeight * 2.2f;
    Fill(c, r, [&](int px, int py) {
        const int x = alongV ? py : px, y = alongV ? px : py;
        const int row = int(float(y) / rowHeight);
        const float shifted = float(x) + (row % 2 ? bagWidth / 2 : 0);
        const int bag = int(shifted / bagWidth);
        const float u = (shifted - float(bag) * bagWidth) / bagWidth * 2 - 1;
        const float v = (float(y) - float(row) * rowHeight) / rowHeight * 2 - 1;
        const float round = 1 - 0.55f * (std::pow(std::fabs(u), 4.0f) + std::pow(std::fabs(v), 3.0f));
        const float light = 0.9f - 0.25f * v;   // lit from above
        const float cloth = 0.85f + 0.2f * Noise(float(x), float(y), 2.5f, seed, 2, WorldPeriod);
        const float tint = 0.88f + 0.24f * Unit16(HashCell(bag, row, seed));
        return Shade(khaki, std::max(0.2f, round) * light * cloth * tint);
    });
}

void PaintMetal(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int panel)
{
    Fill(c, r, [&](int x, int y) {
        const float wear = Noise(float(x), float(y), 24, seed, 4, WorldPeriod);
        const float grain = Noise(float(x), float(y), 3, seed + 9, 2, WorldPeriod);
        float f = 0.82f + 0.22f * wear + 0.08f * grain;
        if (panel > 0) {
            const int px = x % panel, py = y % panel;
            if (px == 0 || py == 0)
                f *= 0.65f;
            else if ((px == 3 || px == panel - 3) && py % 6 == 3)
                f *= 1.25f;   // rivet heads
        }
        return Shade(base, f);
    });
}

void PaintTrack(TCanvas &c, const TRegion &r, std::uint32_t seed, int links)
{
    const TColor steel = {0.24f, 0.23f, 0.21f, 1};
    Fill(c, r, [&](int x, int y) {
        const float link = std::fmod(float(y) * float(links) / float(r.Height()), 1.0f);
        const float bar = link < 0.3f ? 1.35f : (link < 0.38f ? 0.6f : 0.9f);
        const float pin = (x < r.Width() / 6 || x > r.Width() * 5 / 6) ? 0.8f : 1.0f;
        return Shade(steel, bar * pin * (0.85f + 0.3f * Noise(float(x), float(y), 5, seed, 2, WorldPeriod)));
    });
}

void PaintWindows(TCanvas &c, const TRegion &r, TColor wall, std::uint32_t seed, int columns, int rows, bool door)
{
    PaintConcrete(c, r, wall, seed, 0);
    const float cw = float(r.Width()) / float(columns), ch = float(r.Height()) / float(rows);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < columns; ++col) {
            const bool isDoor = door && row == rows - 1 && col == columns / 2;
            const float w = isDoor ? 0.5f : 0.56f, top = isDoor ? 0.3f : 0.28f, bottom = isDoor ? 1.0f : 0.72f;
            const TRegion frame = {r.X0 + int(cw * (float(col) + (1 - w) / 2)), r.Y0 + int(ch * (float(row) + top)),
                                   r.X0 + int(cw * (float(col) + (1 + w) / 2)), r.Y0 + int(ch * (float(row) + bottom))};
            const float lit = Unit16(HashCell(col, row, seed));
            Fill(c, frame, [&](int x, int y) {
                const bool edge = x < 2 || y < 2 || x >= frame.Width() - 2 || (!isDoor && y >= frame.Height() - 2);
                if (edge)
                    return TColor{0.75f, 0.74f, 0.7f, 1};
                if (isDoor)
                    return Shade(TColor{0.3f, 0.28f, 0.25f, 1}, 0.9f + 0.2f * float(x % 6 == 0));
                const float sky = 0.35f + 0.3f * float(frame.Height() - y) / float(frame.Height());
                const bool bar = x == frame.Width() / 2;
                const TColor glass = lit > 0.8f ? TColor{0.6f, 0.55f, 0.35f, 1} : TColor{0.16f, 0.22f, 0.3f, 1};
                return bar ? TColor{0.7f, 0.7f, 0.66f, 1} : Shade(glass, sky + 0.5f);
            });
        }
}

void PaintRoofTiles(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int rows)
{
    const float rowHeight = float(r.Height()) / float(rows);
    Fill(c, r, [&](int x, int y) {
        const int row = int(float(y) / rowHeight);
        const float v = (float(y) - float(row) * rowHeight) / rowHeight;
        const int tile = int((float(x) + (row % 2 ? rowHeight * 0.7f : 0)) / (rowHeight * 1.4f));
        const float f = (0.75f + 0.35f * v) * (0.88f + 0.22f * Unit16(HashCell(tile, row, seed))) *
                        (0.85f + 0.25f * Noise(float(x), float(y), 20, seed + 1, 3, WorldPeriod));
        return Shade(base, f);
    });
}

void PaintHazard(TCanvas &c, const TRegion &r, int stripe)
{
    Fill(c, r, [&](int x, int y) {
        return ((x + y) / stripe) % 2 ? TColor{0.85f, 0.7f, 0.1f, 1} : TColor{0.1f, 0.1f, 0.1f, 1};
    });
}

void PaintWheel(TCanvas &c, const TRegion &r, TColor tyre, TColor hub)
{
    Fill(c, r, [&](int x, int y) {
        const float u = (float(x) + 0.5f) / float(r.Width()) * 2 - 1, v = (float(y) + 0.5f) / float(r.Height()) * 2 - 1;
        const float d = std::sqrt(u * u + v * v);
        if (d < 0.12f)
            return Shade(hub, 0.7f);
        if (d < 0.5f) {
            const float bolts = std::cos(std::atan2(v, u) * 6) > 0.9f && d > 0.25f && d < 0.35f ? 0.6f : 1.0f;
            return Shade(hub, bolts * (1.1f - 0.3f * d));
        }
        if (d < 0.58f)
            return Shade(hub, 0.6f);
        return Shade(tyre, 0.8f + 0.3f * (1 - d));
    });
}

TCanvas Scorched(const TCanvas &canvas, std::uint32_t seed)
{
    TCanvas out = canvas;
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x) {
            const TColor &c = canvas.px[std::size_t(y) * std::size_t(canvas.w) + std::size_t(x)];
            const float soot = SmoothStep(0.4f, 0.72f, Noise(float(x), float(y), 50, seed, 4, WorldPeriod));
            const float streak = SmoothStep(0.5f, 0.75f, Noise(float(x), float(y) * 0.15f, 6, seed + 1, 2, WorldPeriod));
            const float grey = (c.r + c.g + c.b) / 3;
            TColor burnt = Mix(c, TColor{grey, grey * 0.95f, grey * 0.9f, c.a}, 0.6f);
            burnt = Shade(burnt, 0.5f - 0.15f * streak);
            out.at(x, y) = Mix(burnt, TColor{0.05f, 0.045f, 0.04f, c.a}, soot * 0.85f);
        }
    return out;
}

