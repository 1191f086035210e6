#include "tools/hudart/Scene.h"

#include "tools/imagegen/Noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int BigPeriod = 1 << 16;   // noise that never visibly repeats

using TOutline = std::vector<TPoint>;   // in metres: x along the ship from the stern, y height above water

// Side views, stern on the left. Each part is filled on its own so that parts may overlap.
std::vector<TOutline> ShipParts(TShipKind kind)
{
    switch (kind) {
    case TShipKind::Carrier: {
        std::vector<TOutline> parts = {
            {{-3, 21}, {306, 21}, {306, 17}, {296, 12}, {288, 0}, {12, 0}, {4, 10}, {-3, 17}},
            // The island: two decks with a slanted bridge, a tripod mast and a dish.
            {{196, 20}, {230, 20}, {230, 34}, {228, 36}, {228, 42}, {224, 46}, {204, 46}, {200, 42}, {200, 36}, {196, 34}},
            {{208, 45}, {210.5f, 45}, {215, 62}, {213.5f, 62}},
            {{221, 45}, {218.5f, 45}, {214.5f, 62}, {213, 62}},
            {{210, 56}, {219, 56}, {219, 57.2f}, {210, 57.2f}},
            {{201, 46}, {206, 46}, {207, 50}, {202, 51}},
            {{120, 17}, {175, 17}, {172, 12}, {124, 12}},
        };
        for (const float x : {28.0f, 50.0f, 72.0f, 248.0f, 270.0f})
            parts.push_back({{x, 20}, {x + 15, 20}, {x + 15, 22.5f}, {x + 5, 24}, {x + 2, 28}, {x, 28}});
        return parts;
    }
    case TShipKind::Destroyer:
        return {
            {{0, 6}, {60, 7}, {150, 10}, {143, 0}, {4, 0}, {0, 3}},
            {{45, 6}, {88, 7}, {88, 14}, {84, 20}, {70, 20}, {66, 14}, {45, 14}},
            {{55, 13}, {63, 13}, {62, 23}, {56, 23}},
            {{77, 19}, {79, 19}, {79, 34}, {77, 34}},
            {{72, 30}, {84, 30}, {84, 31}, {72, 31}},
            {{102, 8}, {114, 8.5f}, {113, 12}, {104, 12}},
            {{112, 10.4f}, {128, 11}, {128, 11.9f}, {112, 11.5f}},
            {{18, 6}, {30, 6.3f}, {29, 9.5f}, {20, 9.5f}},
            {{5, 8}, {20, 8}, {20, 8.9f}, {5, 8.9f}},
        };
    case TShipKind::Cargo:
        return {
            {{0, 8}, {160, 10}, {152, 0}, {6, 0}, {0, 4}},
            {{8, 7}, {30, 7}, {30, 22}, {26, 24}, {8, 24}},
            {{14, 23}, {21, 23}, {21, 30}, {14, 30}},
            {{40, 8}, {82, 8.5f}, {82, 15}, {40, 15}},
            {{86, 8.5f}, {138, 9.5f}, {138, 16}, {86, 16}},
            {{84, 8}, {85.5f, 8}, {85.5f, 26}, {84, 26}},
            {{60, 15}, {61.5f, 15}, {61.5f, 24}, {60, 24}},
        };
    }
    return {};
}

// The planform of the player's delta-winged aircraft, nose along +x, one unit long.
TOutline JetOutline()
{
    const TOutline half = {{1.00f, 0},     {0.74f, 0.05f},  {0.50f, 0.09f},  {0.16f, 0.44f},  {0.04f, 0.46f},
                           {0.08f, 0.16f}, {-0.04f, 0.14f}, {-0.10f, 0.26f}, {-0.17f, 0.26f}, {-0.14f, 0.08f},
                           {-0.19f, 0.05f}};
    TOutline full = half;
    for (auto it = half.rbegin(); it != half.rend(); ++it)
        if (it->y != 0)
            full.push_back({it->x, -it->y});
    return full;
}

TColor Add(TColor a, TColor b, float k) { return {a.r + b.r * k, a.g + b.g * k, a.b + b.b * k, a.a}; }

} // namespace

void PaintSeascape(TCanvas &canvas, const TSkyLook &look)
{
    const int W = canvas.w, H = canvas.h;
    const float horizon = look.Horizon;
    const TColor haze = Ramp(look.Sky, 1);
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            const float x = float(px) + 0.5f, y = float(py) + 0.5f;
            const float toSun = std::hypot(x - look.SunAt.x, (y - look.SunAt.y) * 1.4f);
            TColor c;
            if (y < horizon) {
                c = Ramp(look.Sky, y / horizon);
                if (look.Stars > 0 && Unit24(HashCell(px, py, look.Seed)) < look.Stars * 0.0015f) {
                    const float twinkle = Unit24(HashCell(px, py, look.Seed + 7));
                    c = Add(c, {1, 1, 1, 1}, twinkle * twinkle * (1 - y / horizon) * 0.9f);
                }
                // Clouds on a plane above the sea: stretched and crowded towards the horizon.
                const float depth = 1.0f / (horizon - y + 70);
                const float u = (x - float(W) / 2) * depth * 3.2f, v = depth * 480;
                const float n = FractalNoise(u + 50, v * 1.0f + 50, BigPeriod, 5, 0.55f, look.Seed + 11);
                const float cover = SmoothStep(1.0f - look.CloudCover * 0.55f - 0.2f, 1.0f - look.CloudCover * 0.55f + 0.08f, n) *
                                    SmoothStep(0, 60, horizon - y) * (1 - 0.6f * SmoothStep(0.3f, 0.0f, y / horizon));
                if (cover > 0) {
                    const float light = Clamp01(1 - toSun / (look.GlowRadius * 3.5f)) * 0.8f + 0.2f * (1 - (n - 0.5f) * 2);
                    c = Mix(c, Mix(look.CloudDark, look.CloudLit, Clamp01(light)), cover * 0.92f);
                }
                // The sun (or moon) and its glow.
                c = Add(c, look.Sun, look.Glow * std::exp(-toSun / look.GlowRadius) + 0.25f * std::exp(-toSun / (look.GlowRadius * 4)));
                const float fromCentre = std::hypot(x - look.SunAt.x, y - look.SunAt.y);
                const float disc = Clamp01(look.SunRadius + 0.5f - fromCentre);
                if (disc > 0) {
                    // A bright disc, hottest in the middle; the moon gets its grey seas.
                    const float core = look.Moon ? 1.0f : 1.25f - 0.2f * fromCentre / look.SunRadius;
                    const float seas = look.Moon ? 0.28f * SmoothStep(0.45f, 0.7f, FractalNoise(x * 0.12f, y * 0.12f, BigPeriod, 3, 0.5f, 5)) : 0;
                    const TColor face = Mix(look.Sun, {1, 0.98f, 0.92f, 1}, 0.85f);
                    c = Mix(c, {face.r * (core - seas), face.g * (core - seas), face.b * (core - seas), 1}, disc);
                }
            } else {
                const float dy = y - horizon + 0.5f, f = Clamp01(dy / (float(H) - horizon));
                c = Mix(look.SeaFar, look.SeaNear, std::pow(f, 0.6f));
                // A perspective grid for the waves: long, low swells far away, choppier close by.
                const float u = (x - float(W) / 2) / dy * 22, v = 2600 / dy;
                const float swell = FractalNoise(u * 0.18f + 99, v * 0.55f, BigPeriod, 4, 0.5f, look.Seed + 23);
                const float chop = FractalNoise(u * 0.9f + 7, v * 2.6f, BigPeriod, 3, 0.6f, look.Seed + 29);
                const float detail = SmoothStep(0, 60, dy);
                const float wave = ((swell - 0.5f) * 0.9f + (chop - 0.5f) * 0.5f) * detail;
                c = Mix(c, haze, 0.55f * std::pow(1 - f, 8.0f));
                c = Add(c, look.Sun, wave * 0.16f);
                c = Add(c, haze, std::max(0.0f, wave) * 0.15f * (1 - f));
                // The glitter path under the sun.
                const float gx = (x - look.SunAt.x) / (24 + dy * 0.85f);
                const float column = std::exp(-gx * gx) * std::exp(-dy / (float(H) * 0.9f));
                const float sparkle = Mix(0.35f, SmoothStep(0.52f, 0.72f, chop * 0.6f + swell * 0.4f), detail);
                c = Add(c, look.Sun, column * (0.18f + sparkle * 0.9f) * look.Glitter);
            }
            c.a = 1;
            canvas.at(px, py) = c;
        }
}

void PaintShip(TCanvas &canvas, const TSkyLook &look, const TShip &ship)
{
    const int W = canvas.w, H = canvas.h;
    const std::vector<TOutline> parts = ShipParts(ship.Kind);
    const float length = ship.Kind == TShipKind::Carrier ? 300.0f : ship.Kind == TShipKind::Destroyer ? 150.0f : 160.0f;
    const float tilt = Radians(ship.Tilt);
    auto place = [&](TPoint p) {
        // Around the middle of the waterline, bow up for a positive tilt.
        const float mx = p.x - length / 2, my = p.y;
        const float rx = mx * std::cos(tilt) - my * std::sin(tilt), ry = mx * std::sin(tilt) + my * std::cos(tilt);
        const float along = (ship.FacingLeft ? -rx : rx) + length / 2;
        return TPoint{ship.X + along * ship.Scale, ship.Waterline - ry * ship.Scale};
    };
    TMask hull(W, H);
    for (const TOutline &part : parts) {
        TOutline placed;
        for (const TPoint &p : part)
            placed.push_back(place(p));
        FillPolygon(hull, placed);
    }
    // What has sunk below the waterline is hidden by the sea.
    for (int y = int(ship.Waterline) + 1; y < H; ++y)
        for (int x = 0; x < W; ++x)
            hull.at(x, y) = 0;

    // The reflection, broken up by the swell.
    TMask mirror(W, H);
    const int depth = int(40 * ship.Scale) + 4;
    for (int y = int(ship.Waterline) + 1; y < std::min(H, int(ship.Waterline) + depth); ++y) {
        const float below = float(y) - ship.Waterline;
        for (int x = 0; x < W; ++x) {
            const float wobble = 2.2f * std::sin(float(y) * 1.3f + float(x) * 0.05f) * Clamp01(below / 6);
            mirror.at(x, y) = hull.get(int(float(x) + wobble), int(2 * ship.Waterline - float(y))) * 0.45f * (1 - below / float(depth));
        }
    }
    PaintSolid(canvas, mirror, look.Hull, 0.8f);

    if (ship.Wake) {
        TMask wake(W, H);
        const float sternX = ship.FacingLeft ? ship.X + length * ship.Scale : ship.X;
        const float dir = ship.FacingLeft ? 1.0f : -1.0f;
        const float run = length * ship.Scale * 1.6f;
        for (int k = 0; k < int(run); ++k) {
            const float t = float(k) / run;
            const float x = sternX + dir * float(k), spread = 1 + t * 5 * ship.Scale;
            const float foam = FractalNoise(x * 0.08f, ship.Waterline * 0.1f, BigPeriod, 3, 0.6f, 91);
            StrokeLine(wake, {x, ship.Waterline + 0.5f}, {x, ship.Waterline + 0.5f + spread}, 1.2f,
                       (1 - t) * (0.5f + 0.5f * foam) * 0.8f);
        }
        // The bow wave.
        const float bowX = ship.FacingLeft ? ship.X : ship.X + length * ship.Scale;
        FillRect(wake, bowX - 6 * ship.Scale, ship.Waterline - 0.5f, bowX + 2 * ship.Scale, ship.Waterline + 1.5f, 0.7f);
        PaintSolid(canvas, Blur(wake, 1), Mix({0.9f, 0.95f, 1, 1}, look.Sun, 0.3f), 0.75f);
    }

    canvas.Paint(hull, 0, 0, [&](int, int y) {
        const float up = Clamp01((ship.Waterline - float(y)) / (60 * ship.Scale));
        return Mix(look.Hull, Mix(look.Hull, look.Sun, 0.12f), up);
    });
    // Rim light on the edges that face the sun.
    const int sx = look.SunAt.x > ship.X + length * ship.Scale ? 1 : look.SunAt.x < ship.X ? -1 : 0;
    const TMask rim = Subtract(hull, Shifted(hull, -sx, 1));
    PaintSolid(canvas, rim, Mix(look.Sun, {1, 1, 1, 1}, 0.2f), 0.7f);

    if (ship.Lights) {
        TMask lamps(W, H), red(W, H);
        for (const TOutline &part : parts) {
            const TPoint top = place(part[part.size() / 2]);
            if (top.y < ship.Waterline - 4)
                FillCircle(lamps, top, std::max(0.8f, ship.Scale * 0.9f));
        }
        FillCircle(red, place({length * 0.5f, 21}), std::max(0.8f, ship.Scale * 0.8f));
        PaintGlow(canvas, lamps, {1, 0.8f, 0.5f, 1}, 3, 0.9f);
        PaintSolid(canvas, lamps, {1, 0.9f, 0.7f, 1});
        PaintGlow(canvas, red, {1, 0.2f, 0.1f, 1}, 3, 0.9f);
    }
}

void PaintJet(TCanvas &canvas, const TSkyLook &look, const TJet &jet)
{
    const int W = canvas.w, H = canvas.h;
    const float ch = std::cos(jet.Heading), sh = std::sin(jet.Heading);
    auto place = [&](TPoint p) {
        const float x = (p.x - 0.4f) * jet.Size, y = p.y * jet.Size;
        return TPoint{jet.At.x + x * ch + y * sh, jet.At.y - x * sh + y * ch};
    };
    if (jet.Contrail) {
        TMask trail(W, H);
        for (const float side : {-0.07f, 0.07f}) {
            TPoint from = place({-0.19f, side});
            for (int k = 1; k <= 24; ++k) {
                const TPoint to = place({-0.19f - float(k) * 0.3f, side * (1 + float(k) * 0.15f)});
                StrokeLine(trail, from, to, 1.5f + float(k) * 0.12f, 1 - float(k) / 25);
                from = to;
            }
        }
        PaintSolid(canvas, Blur(trail, 1), Mix({1, 1, 1, 1}, look.Sun, 0.25f), 0.55f);
    }
    TOutline placed;
    for (const TPoint &p : JetOutline())
        placed.push_back(place(p));
    TMask body(W, H), glow(W, H);
    FillPolygon(body, placed);
    PaintSolid(canvas, body, look.Hull);
    PaintSolid(canvas, Subtract(body, Shifted(body, 0, 1)), Mix(look.Sun, {1, 1, 1, 1}, 0.3f), 0.6f);
    for (const float side : {-0.05f, 0.05f})
        FillCircle(glow, place({-0.2f, side}), std::max(1.0f, jet.Size * 0.025f));
    PaintGlow(canvas, glow, {1, 0.6f, 0.25f, 1}, 2, 1);
    PaintSolid(canvas, glow, {1, 0.9f, 0.7f, 1});
}

void PaintFire(TCanvas &canvas, const TSkyLook &look, TPoint at, float size, std::uint32_t seed)
{
    const int W = canvas.w, H = canvas.h;
    const float height = size * 12;
    for (int py = std::max(0, int(at.y - height)); py < std::min(H, int(at.y) + 1); ++py)
        for (int px = std::max(0, int(at.x - size * 2)); px < std::min(W, int(at.x + height * 0.8f)); ++px) {
            const float rise = (at.y - float(py)) / height;   // 0 at the fire, 1 at the top
            const float centre = at.x + rise * rise * height * 0.55f;
            const float width = size * (0.6f + rise * 2.2f);
            const float n = FractalNoise(float(px) * 0.05f, float(py) * 0.05f + float(seed), BigPeriod, 4, 0.55f, seed);
            const float body = Clamp01(1 - std::abs(float(px) - centre) / width + (n - 0.5f) * 0.9f);
            const float density = SmoothStep(0.0f, 0.5f, body) * (1 - SmoothStep(0.6f, 1.0f, rise)) * (0.55f + 0.45f * n);
            if (density <= 0)
                continue;
            TColor smoke = Mix({0.06f, 0.05f, 0.05f, 1}, Mix(look.Hull, look.Sun, 0.25f), rise);
            smoke = Mix({1.0f, 0.45f, 0.12f, 1}, smoke, SmoothStep(0.0f, 0.18f, rise));
            TColor &d = canvas.at(px, py);
            d = Mix(d, WithAlpha(smoke, 1), density * 0.9f);
        }
    TMask fire(W, H), streak(W, H);
    FillCircle(fire, at, size * 0.7f);
    FillRect(streak, at.x - size * 0.8f, at.y + 1, at.x + size * 0.8f, std::min(float(H), at.y + size * 5));
    PaintGlow(canvas, fire, {1.0f, 0.5f, 0.1f, 1}, int(size), 1);
    PaintSolid(canvas, fire, {1.0f, 0.85f, 0.5f, 1});
    PaintGlow(canvas, streak, {1.0f, 0.45f, 0.1f, 1}, 2, 0.45f);
}

void Finish(TCanvas &canvas, std::uint32_t seed)
{
    const float cx = float(canvas.w) / 2, cy = float(canvas.h) / 2;
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x) {
            const float dx = (float(x) - cx) / cx, dy = (float(y) - cy) / cy;
            const float shade = 1 - 0.35f * SmoothStep(0.5f, 1.6f, dx * dx + dy * dy);
            const float grain = (Unit24(HashCell(x, y, seed)) - 0.5f) * 0.02f;
            TColor &c = canvas.at(x, y);
            c = {Clamp01(c.r * shade + grain), Clamp01(c.g * shade + grain), Clamp01(c.b * shade + grain), 1};
        }
}
