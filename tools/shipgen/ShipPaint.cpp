#include "tools/shipgen/ShipPaint.h"

#include <algorithm>
#include <cmath>

namespace {

// A pixel's place inside a region drawn with TLayout::UV (one pixel in from each edge), 0..1.
float Rel(int p, int lo, int size) { return (float(p) + 0.5f - float(lo + 1)) / float(size - 2); }

float Frac(float v) { return v - std::floor(v); }

// 1 inside a line of Width centred every Period, fading over Soft at its edges.
float Lines(float v, float period, float width, float soft = 0.05f)
{
    const float d = std::fabs(Frac(v / period + 0.5f) - 0.5f) * period;
    return Clamp01((width / 2 + soft - d) / soft);
}

// Coverage of a disc of radius R at distance D, anti-aliased over Soft.
float Disc(float d, float r, float soft = 0.06f) { return Clamp01((r - d) / soft + 0.5f); }

const TColor Glass = {0.08f, 0.10f, 0.13f, 1};
const TColor Rust = {0.42f, 0.22f, 0.12f, 1};
const TColor Soot = {0.05f, 0.045f, 0.04f, 1};

} // namespace

TColor Rgb(float r, float g, float b) { return {r, g, b, 1}; }

TTeam NavalTeam(int side)
{
    TTeam t;
    t.Side = side;
    if (side == 0) {
        t.Hull = Rgb(0.56f, 0.60f, 0.64f);
        t.Super = Rgb(0.64f, 0.67f, 0.70f);
        t.Deck = Rgb(0.36f, 0.38f, 0.41f);
        t.Bottom = Rgb(0.50f, 0.17f, 0.13f);
        t.Marking = Rgb(0.10f, 0.30f, 0.80f);
        t.Number = Rgb(0.95f, 0.95f, 0.93f);
    } else {
        t.Hull = Rgb(0.31f, 0.33f, 0.32f);
        t.Super = Rgb(0.38f, 0.39f, 0.38f);
        t.Deck = Rgb(0.23f, 0.22f, 0.21f);
        t.Bottom = Rgb(0.36f, 0.12f, 0.10f);
        t.Marking = Rgb(0.82f, 0.12f, 0.09f);
        t.Number = Rgb(0.88f, 0.16f, 0.12f);
    }
    t.Boot = Rgb(0.09f, 0.09f, 0.10f);
    t.Shadow = Rgb(0.05f, 0.05f, 0.06f);
    t.Metal = Shade(t.Hull, 0.75f);
    return t;
}

TTeam MerchantTeam(int side)
{
    TTeam t;
    t.Side = side;
    if (side == 0) {
        t.Hull = Rgb(0.13f, 0.21f, 0.38f);
        t.Super = Rgb(0.90f, 0.89f, 0.85f);
        t.Deck = Rgb(0.27f, 0.37f, 0.29f);
        t.Marking = Rgb(0.12f, 0.34f, 0.82f);
    } else {
        t.Hull = Rgb(0.11f, 0.11f, 0.12f);
        t.Super = Rgb(0.85f, 0.82f, 0.74f);
        t.Deck = Rgb(0.43f, 0.21f, 0.15f);
        t.Marking = Rgb(0.84f, 0.14f, 0.10f);
    }
    t.Boot = Rgb(0.90f, 0.90f, 0.88f);
    t.Bottom = Rgb(0.56f, 0.16f, 0.12f);
    t.Number = Rgb(0.95f, 0.95f, 0.93f);
    t.Shadow = Rgb(0.05f, 0.05f, 0.06f);
    t.Metal = Rgb(0.46f, 0.47f, 0.48f);
    return t;
}

TPainter::TPainter(const TLayout &layout, const std::string &fontPath, std::uint32_t seed)
    : Layout(layout), Canvas(layout.W, layout.H, Rgb(0.4f, 0.4f, 0.4f)), Seed(seed)
{
    if (!fontPath.empty())
        Font = std::make_unique<TFont>(fontPath);
}

void TPainter::Fill(const TPixRect &r, float metresW, float metresH, const std::function<TColor(float, float)> &f)
{
    for (int py = r.Y0; py < r.Y1; ++py)
        for (int px = r.X0; px < r.X1; ++px) {
            TColor c = f(Rel(px, r.X0, r.W()) * metresW, Rel(py, r.Y0, r.H()) * metresH);
            c.a = 1;
            Canvas.at(px, py) = c;
        }
}

void TPainter::Text(const std::string &utf8, int capPx, float x, float y, const TColor &colour, const TColor &shadow,
                    float squeeze)
{
    if (!Font || capPx < 3)
        return;
    const TMask wide = Font->Render(utf8, capPx, std::max(1, capPx / 6), 1);
    // Narrow the letters by resampling each row.
    TMask mask(std::max(1, int(std::lround(float(wide.w) * squeeze))), wide.h);
    for (int my = 0; my < mask.h; ++my)
        for (int mx = 0; mx < mask.w; ++mx) {
            const float sx = (float(mx) + 0.5f) / squeeze - 0.5f;
            const int x0 = int(std::floor(sx));
            const float f = sx - float(x0);
            mask.at(mx, my) = wide.get(x0, my) * (1 - f) + wide.get(x0 + 1, my) * f;
        }
    const int left = int(std::lround(x - float(mask.w) / 2)), top = int(std::lround(y - float(mask.h) / 2));
    Canvas.Paint(mask, left + 1, top + 1, [&](int, int) { return shadow; }, 0.8f);
    Canvas.Paint(mask, left, top, [&](int, int) { return colour; });
}

void TPainter::Hull(const TSideMap &map, bool starboard, const TTeam &team, const THullPaint &paint)
{
    const TPixRect r = starboard ? Layout.HullS : Layout.HullP;
    const std::uint32_t seed = Seed + (starboard ? 11u : 23u);
    for (int py = r.Y0; py < r.Y1; ++py)
        for (int px = r.X0; px < r.X1; ++px) {
            const float u = Rel(px, r.X0, r.W()), v = Rel(py, r.Y0, r.H());
            const float y = starboard ? map.YMin + u * (map.YMax - map.YMin) : map.YMax - u * (map.YMax - map.YMin);
            const float z = map.ZTop - v * (map.ZTop - map.ZBot);
            const float deck = paint.DeckZ ? paint.DeckZ(y) : map.ZTop;
            const bool above = z > paint.BootTop;
            TColor c = above ? team.Hull : z > -0.6f ? team.Boot : team.Bottom;
            if (above) {
                if (paint.Tiles)
                    c = Shade(c, 1 - 0.25f * std::max(Lines(y, 0.9f, 0.05f, 0.03f), Lines(z, 0.9f, 0.05f, 0.03f)));
                else   // plates: seams every 6 m along, strakes every 2.2 m up
                    c = Shade(c, 1 - 0.10f * Lines(y, 6, 0.08f) - 0.05f * Lines(z, 2.2f, 0.06f));
                if (paint.Stripe) {
                    const float q = (y - paint.StripeY) + 0.45f * z;
                    if (q > 0 && q < 2.6f)
                        c = team.Marking;
                    else if (q > 3.0f && q < 3.6f)
                        c = MixClamped(team.Marking, Rgb(1, 1, 1), 0.15f);
                }
                for (const float hy : paint.Hawse) {
                    const float hz = deck - 1.9f, d = std::hypot((y - hy) * 0.9f, z - hz);
                    c = MixClamped(c, Rgb(0.06f, 0.06f, 0.07f), Disc(d, 0.55f));
                    const float below = hz - z;   // the anchor's rust runs down from the pipe
                    if (below > 0.4f && std::fabs(y - hy) < 0.35f + below * 0.08f)
                        c = MixClamped(c, Rust, 0.55f * std::exp(-below / 3));
                }
                if (paint.PortholeDrop > 0 && y > paint.PortholeFrom && y < paint.PortholeTo) {
                    const float pz = deck - paint.PortholeDrop, cy = std::round(y / 2.4f) * 2.4f;
                    const float d = std::hypot(y - cy, z - pz);
                    c = MixClamped(c, Shade(c, 1.25f), Disc(d, 0.30f) - Disc(d, 0.22f));
                    c = MixClamped(c, Glass, Disc(d, 0.22f));
                }
                // Rust running down from the scuppers under the deck edge.
                const int k = int(std::floor(y / 7.0f));
                const float sy = (float(k) + 0.3f + 0.4f * Unit16(HashInt(k, seed))) * 7.0f, len = 0.8f + 2.5f * Unit16(HashInt(k, seed + 1));
                const float drop = deck - 0.35f - z;
                if (!paint.Tiles && drop > 0 && drop < len && std::fabs(y - sy) < 0.12f + drop * 0.04f)
                    c = MixClamped(c, Rust, 0.5f * (1 - drop / len));
                // The deck edge, a dark rubbing strake.
                if (z > deck - 0.25f)
                    c = Shade(c, 0.72f);
            } else {
                // Draught marks at both ends.
                const float length = map.YMax - map.YMin;
                const float end = std::min(std::fabs(y - (map.YMax - 0.06f * length)), std::fabs(y - (map.YMin + 0.03f * length)));
                if (end < 0.25f && z > -3.5f && Lines(z, 0.6f, 0.14f) > 0.5f)
                    c = Rgb(0.85f, 0.85f, 0.82f);
            }
            // Weather: vertical streaks and broad patches; more grime near the water.
            const float streak = Noise(y * 1.6f, z * 0.18f, 1.0f, seed);
            const float patch = Noise(y, z, 14.0f, seed + 5);
            const float nearWater = Clamp01(1 - std::fabs(z - 0.5f) / 3);
            c = Shade(c, 1.0f - 0.13f * streak * streak + 0.10f * (patch - 0.5f) - 0.06f * nearWater);
            if (above)
                c = MixClamped(c, Rust, 0.12f * Clamp01((Noise(y, z, 1.5f, seed + 9) - 0.62f) * 5));
            c.a = 1;
            Canvas.at(px, py) = c;
        }

    auto pixelX = [&](float y) {
        const float u = (y - map.YMin) / (map.YMax - map.YMin);
        return float(r.X0 + 1) + (starboard ? u : 1 - u) * float(r.W() - 2);
    };
    auto pixelY = [&](float z) { return float(r.Y0 + 1) + (map.ZTop - z) / (map.ZTop - map.ZBot) * float(r.H() - 2); };
    const float perMetreX = float(r.W() - 2) / (map.YMax - map.YMin), perMetreY = float(r.H() - 2) / (map.ZTop - map.ZBot);
    if (!paint.Number.empty()) {
        const float deck = paint.DeckZ ? paint.DeckZ(paint.NumberY) : map.ZTop;
        Text(paint.Number, int(std::lround(paint.NumberHeight * perMetreY)), pixelX(paint.NumberY),
             pixelY(deck - 0.7f - paint.NumberHeight / 2), team.Number, team.Shadow, perMetreX / perMetreY);
    }
    if (!paint.Name.empty())
        for (const float y : {map.YMin + 12, map.YMax - 18}) {   // on the quarter and on the bow
            const float deck = paint.DeckZ ? paint.DeckZ(y) : map.ZTop;
            Text(paint.Name, int(std::lround(1.5f * perMetreY)), pixelX(y), pixelY(deck - 1.7f), Rgb(0.95f, 0.95f, 0.92f),
                 team.Shadow, perMetreX / perMetreY);
        }
}

void TPainter::Deck(const TDeckMap &map, const TTeam &team, const TDeckPaint &paint)
{
    const TPixRect r = Layout.Deck;
    const TColor wood = Rgb(0.56f, 0.46f, 0.33f);
    for (int py = r.Y0; py < r.Y1; ++py)
        for (int px = r.X0; px < r.X1; ++px) {
            const float x = -map.HalfWidth + Rel(px, r.X0, r.W()) * 2 * map.HalfWidth;
            const float y = map.YMax - Rel(py, r.Y0, r.H()) * (map.YMax - map.YMin);
            const float hw = paint.HalfWidth ? paint.HalfWidth(y) : map.HalfWidth;
            TColor c = team.Deck;
            if (paint.Planks) {
                const int plank = int(std::floor(x / 0.5f));
                c = Shade(MixClamped(wood, team.Deck, 0.25f), 0.92f + 0.12f * Unit16(HashInt(plank * 7 + int(std::floor(y / 9)), Seed)));
                c = Shade(c, 1 - 0.25f * Lines(x, 0.5f, 0.05f, 0.03f));
            } else {
                c = Shade(c, 1 - 0.08f * Lines(y, 5, 0.1f));
            }
            c = Shade(c, 0.94f + 0.12f * Noise(x, y, 0.6f, Seed + 31) + 0.08f * (Noise(x, y, 7, Seed + 37) - 0.5f));
            for (const float hy : paint.Hatches) {
                if (std::fabs(y - hy) < paint.HatchLength / 2 && std::fabs(x) < paint.HatchWidth / 2) {
                    const bool rim = std::fabs(y - hy) > paint.HatchLength / 2 - 0.4f || std::fabs(x) > paint.HatchWidth / 2 - 0.4f;
                    c = Shade(MixClamped(team.Deck, Rgb(0.30f, 0.30f, 0.30f), 0.3f), rim ? 0.7f : 1 - 0.18f * Lines(y, 1.4f, 0.25f));
                    c = Shade(c, 1 - 0.25f * Lines(x, paint.HatchWidth / 2, 0.12f));
                }
            }
            if (paint.Walkway && std::fabs(x) < 0.9f)
                c = MixClamped(c, Rgb(0.55f, 0.5f, 0.2f), 0.35f);
            for (const float markY : paint.Marks) {
                if (std::fabs(y - markY) >= paint.MarkSize / 2 || std::fabs(x) >= paint.MarkSize / 2)
                    continue;
                // The team's recognition mark, read from the air: a blue square with a white disc, or a
                // red one with a white triangle.
                const float mx = x / paint.MarkSize, my = (y - markY) / paint.MarkSize;
                c = team.Marking;
                if (team.Side == 0) {
                    const float d = std::hypot(mx, my);
                    c = MixClamped(c, Rgb(0.95f, 0.95f, 0.95f), Clamp01((0.32f - d) * 60));
                    c = MixClamped(c, team.Marking, Clamp01((0.13f - d) * 60));
                } else if (my < 0.28f && my > -0.25f && std::fabs(mx) < (0.28f - my) * 0.6f) {
                    c = Rgb(0.95f, 0.95f, 0.95f);
                }
                c = Shade(c, 0.92f + 0.1f * Noise(x, y, 0.8f, Seed + 3));
            }
            // Bollards in pairs along the edges, and the gutter at the edge.
            const float edge = hw - std::fabs(x);
            if (edge < 1.0f && edge > 0.4f) {
                const float by = std::round(y / 14) * 14;
                if (std::fabs(y - by) < 0.9f && Lines(y - by, 0.9f, 0.35f) > 0.5f)
                    c = Rgb(0.12f, 0.12f, 0.13f);
            }
            if (edge < 0.3f)
                c = Shade(c, 0.7f);
            if (edge < 0)
                c = team.Hull;
            c.a = 1;
            Canvas.at(px, py) = c;
        }
}

void TPainter::Walls(const TPixRect &r, const TSkin &skin, const TColor &colour, bool squareWindows)
{
    const std::uint32_t seed = Seed + 101;
    Fill(r, skin.MetresU, skin.MetresV, [&](float x, float down) {
        const float h = skin.MetresV - down;   // height above the foot of the wall
        const int level = int(std::floor(h / 3));
        const float hl = h - float(level) * 3;
        TColor c = Shade(colour, 1 - 0.05f * Lines(x, 1.5f, 0.04f));
        if (hl < 0.14f)
            c = Shade(c, 0.7f);
        else if (hl < 0.28f)
            c = Shade(c, 1.08f);
        const float dx = x + float(level) * 1.1f;
        // A door every 9 m.
        const float door = std::fabs(Frac(dx / 9) - 0.5f) * 9;
        const bool isDoor = door < 0.45f && hl > 0.3f && hl < 2.3f;
        if (isDoor)
            c = Shade(c, door > 0.35f || hl > 2.2f ? 0.6f : 0.85f);
        else if (squareWindows) {
            const float wx = std::fabs(Frac(dx / 2.2f) - 0.5f) * 2.2f;
            if (wx < 0.5f && hl > 1.35f && hl < 2.25f)
                c = wx > 0.42f || hl < 1.43f || hl > 2.17f ? Shade(colour, 0.75f) : MixClamped(Glass, Rgb(0.4f, 0.5f, 0.6f), (hl - 1.35f) * 0.5f);
        } else {
            const float cx = std::round(dx / 1.8f) * 1.8f, d = std::hypot(dx - cx, hl - 1.8f);
            c = MixClamped(c, Shade(colour, 1.2f), Disc(d, 0.27f) - Disc(d, 0.2f));
            c = MixClamped(c, Glass, Disc(d, 0.2f));
            const float below = 1.55f - hl;
            if (below > 0 && std::fabs(dx - cx) < 0.08f && below < 0.4f + Unit16(HashInt(int(cx * 3) + level * 977, seed)))
                c = MixClamped(c, Rust, 0.35f * (1 - below));
        }
        c = Shade(c, 0.96f - 0.10f * Noise(x * 1.5f, h * 0.3f, 0.8f, seed) + 0.06f * (Noise(x, h, 6, seed + 1) - 0.5f));
        return c;
    });
}

void TPainter::Bridge(const TPixRect &r, const TSkin &skin, const TColor &colour)
{
    Fill(r, skin.MetresU, skin.MetresV, [&](float x, float down) {
        const float h = (skin.MetresV - down) / skin.MetresV;   // 0 at the foot, 1 at the top
        TColor c = colour;
        if (h > 0.45f && h < 0.82f) {
            const float frame = std::fabs(Frac(x / 1.2f) - 0.5f) * 1.2f;
            c = frame > 0.52f || h < 0.48f || h > 0.79f ? Shade(colour, 0.55f)
                                                        : MixClamped(Glass, Rgb(0.45f, 0.55f, 0.65f), (h - 0.45f) * 1.2f);
        } else if (h >= 0.82f && h < 0.88f) {
            c = Shade(colour, 0.6f);   // the sun visor's shadow
        }
        return Shade(c, 0.95f + 0.08f * (Noise(x, h * 4, 2, Seed + 51) - 0.5f));
    });
}

void TPainter::Roof(const TPixRect &r, const TSkin &skin, const TColor &colour)
{
    Fill(r, skin.MetresU, skin.MetresV, [&](float x, float y) {
        TColor c = Shade(colour, 0.9f - 0.07f * Lines(x, 3, 0.06f) - 0.07f * Lines(y, 3, 0.06f));
        const int cell = int(std::floor(x / 4)) * 131 + int(std::floor(y / 4));
        if (Unit16(HashInt(cell, Seed + 61)) > 0.6f) {   // a vent or hatch in some of the cells
            const float vx = std::fabs(Frac(x / 4) - 0.5f) * 4, vy = std::fabs(Frac(y / 4) - 0.5f) * 4;
            if (vx < 0.5f && vy < 0.5f)
                c = vx > 0.4f || vy > 0.4f ? Shade(colour, 0.5f) : Shade(colour, 0.75f);
        }
        const float edge = std::min({x, y, skin.MetresU - x, skin.MetresV - y});
        if (edge < 0.2f)
            c = Shade(c, 0.75f);
        return Shade(c, 0.95f + 0.1f * Noise(x, y, 0.5f, Seed + 63));
    });
}

void TPainter::Funnel(const TPixRect &r, const TColor &colour, const TColor &band)
{
    Fill(r, 1, 1, [&](float u, float v) {
        TColor c = colour;
        if (v < 0.12f)
            c = Rgb(0.07f, 0.07f, 0.07f);
        else if (v > 0.2f && v < 0.34f)
            c = band;
        else if ((v > 0.18f && v < 0.2f) || (v > 0.34f && v < 0.36f))
            c = Rgb(0.92f, 0.92f, 0.9f);
        // Soot from the top, streaking down.
        const float soot = std::pow(Clamp01(1 - v * 1.6f), 2) * (0.6f + 0.4f * Noise(u * 40, v * 3, 1, Seed + 71));
        c = MixClamped(c, Soot, soot * 0.6f);
        return Shade(c, 0.95f + 0.08f * (Noise(u * 30, v * 10, 2, Seed + 73) - 0.5f));
    });
}

void TPainter::Metal(const TPixRect &r, const TColor &colour)
{
    Fill(r, 10, 10, [&](float x, float y) {
        TColor c = Shade(colour, 1 - 0.12f * Lines(y, 2.5f, 0.08f));
        c = MixClamped(c, Rust, 0.2f * Clamp01((Noise(x, y, 1.2f, Seed + 81) - 0.6f) * 4));
        return Shade(c, 0.9f + 0.15f * Noise(x, y, 0.7f, Seed + 83));
    });
}

TCanvas Scorched(const TCanvas &source, std::uint32_t seed)
{
    TCanvas out = source;
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            const float cell = 16.0f * float(out.w) / 512;   // the same pattern at any texture size
            const float fx = float(x) / cell, fy = float(y) / cell;
            // Soot in patches with soft edges, scorched brown round them, everything dulled by fire.
            const float n = Noise(fx, fy, 1, seed);
            const float soot = SmoothStep((n - 0.58f) / 0.14f);
            const float burn = SmoothStep((n - 0.42f) / 0.15f) * (1 - soot);
            TColor &c = out.at(x, y);
            const float alpha = c.a;
            const float grey = (c.r + c.g + c.b) / 3;
            c = MixClamped(c, Rgb(grey, grey, grey), 0.35f);
            c = Shade(c, 0.68f);
            c = MixClamped(c, Shade(Rust, 0.8f), 0.35f * burn);
            c = MixClamped(c, Soot, 0.8f * soot);
            c.a = alpha;
        }
    return out;
}

