// The player aircraft's skin: pale two-tone grey with charcoal composite panels, orange trim, a gold
// canopy and nozzles glowing blue-white; and its battered and burnt versions.

#include "tools/craftgen/Player.h"

#include <cmath>

namespace {

const TColor Upper = Rgb(190, 197, 205), Lower = Rgb(214, 218, 223), Composite = Rgb(58, 63, 72),
             Orange = Rgb(255, 110, 26), Cyan = Rgb(70, 220, 255), Camouflage = Rgb(150, 160, 172);

// Light grey with slightly varied panels: Cells across and down the region.
void Panels(TAtlas &a, const TRect &r, const TColor &base, int across, int down, std::uint32_t seed)
{
    a.Fill(r, [&](float u, float v) {
        const int cell = int(u * float(across)) * 131 + int(v * float(down)) * 71;
        TDice dice(seed + std::uint32_t(cell));
        return Shade(base, dice.Uniform(0.95f, 1.04f));
    });
    for (int i = 1; i < across; ++i)
        a.PanelLine(r, float(i) / float(across), 0, float(i) / float(across), 1, 0.7f);
    for (int j = 1; j < down; ++j) {
        a.PanelLine(r, 0, float(j) / float(down), 1, float(j) / float(down), 0.7f);
        a.Rivets(r, 0, float(j) / float(down) + 0.012f, 1, float(j) / float(down) + 0.012f, 9);
    }
}

void PaintFuselage(TAtlas &a, const TRect &r, const std::string &font)
{
    // u: 0 belly, 0.25 left, 0.5 top, 0.75 right; v: nose to tail over 14.2 m.
    auto atY = [](float y) { return (7.6f - y) / 14.15f; };
    a.Fill(r, [&](float u, float v) {
        const float top = 1 - SmoothStep(0.2f, 0.26f, std::fabs(u - 0.5f));
        TColor c = Mix(Lower, Upper, top);
        const float cell = Noise(u * 40, v * 120, 3, 17, 1);
        return Shade(c, 0.97f + 0.05f * cell);
    });
    // Frames round the body and stringers along it.
    a.Splinter(r, 5, 9, Camouflage, [](float u, float) { return std::fabs(u - 0.5f) < 0.23f; });
    for (const float y : {6.9f, 5.0f, 2.6f, 1.2f, -0.5f, -2.5f, -4.5f, -5.9f}) {
        a.PanelLine(r, 0, atY(y), 1, atY(y), 0.8f);
        a.Rivets(r, 0, atY(y) + 0.006f, 1, atY(y) + 0.006f, 10);
    }
    for (const float u : {0.15f, 0.32f, 0.68f, 0.85f})
        a.PanelLine(r, u, atY(6.1f), u, atY(-5.9f), 0.6f);
    // Access hatches on both flanks.
    for (const float u : {0.22f, 0.78f})
        for (const float y : {4.4f, 0.4f, -3.0f}) {
            const float v = atY(y), du = 0.035f, dv = 0.022f;
            a.PanelLine(r, u - du, v - dv, u + du, v - dv);
            a.PanelLine(r, u + du, v - dv, u + du, v + dv);
            a.PanelLine(r, u + du, v + dv, u - du, v + dv);
            a.PanelLine(r, u - du, v + dv, u - du, v - dv);
        }
    // Radome, anti-glare panel, charcoal spine with orange pinstripes, a walkway line.
    a.Blend(r, [&](float u, float v) {
        const bool radome = v < atY(6.95f);
        const bool glare = v < atY(5.5f) && std::fabs(u - 0.5f) < 0.1f;
        const bool spine = v > atY(1.0f) && v < atY(-6.0f) && std::fabs(u - 0.5f) < 0.035f;
        TColor c = Composite;
        c.a = radome || glare || spine ? 1.0f : 0.0f;
        return c;
    });
    for (const float u : {0.455f, 0.545f})
        a.Band(r, u, atY(1.0f), u, atY(-6.0f), 2.5f, Orange);
    // Orange chevrons ahead of the intakes and the aircraft's number on both sides of the nose.
    for (const float u : {0.27f, 0.73f}) {
        a.Band(r, u - 0.04f, atY(3.6f), u + 0.04f, atY(3.2f), 6, Orange);
        a.Text(r, font, "07", u, atY(5.2f), 22, Composite, u < 0.5f ? 1 : 3);
    }
    a.Text(r, font, "ZR", 0.5f, atY(-4.6f), 14, Rgb(240, 240, 240), 1);
    // Exhaust grime towards the tail, then weathering over all.
    a.Darken(r, [&](float, float v) { return 1 - 0.35f * SmoothStep(atY(-5.0f), 1.0f, v); });
    a.Weather(r, 23, 0.45f, 0.5f);
}

void PaintWing(TAtlas &a, const TRect &r, std::uint32_t seed, bool roundel, bool tipStripe, bool bothFaces = false)
{
    // u 0..0.5 upper surface from the trailing edge to the leading edge, 0.5..1 lower surface.
    a.Fill(r, [&](float u, float v) {
        const bool upper = u < 0.5f;
        const float chord = upper ? 1 - 2 * u : 2 * u - 1;   // 0 leading edge .. 1 trailing edge
        TColor c = upper ? Upper : Lower;
        if (chord < 0.07f)
            c = Composite;
        if (tipStripe && v > 0.86f && v < 0.92f)
            c = Orange;
        const float n = Noise(u * float(r.Width()), v * float(r.Height()), 30, seed, 3);
        return Shade(c, 0.97f + 0.05f * n);
    });
    a.Splinter(r, seed + 2, 7, Camouflage, [&](float u, float) {
        return u < 0.5f - 0.5f * 0.07f || (bothFaces && u > 0.5f + 0.5f * 0.07f);
    });
    for (const float chord : {0.07f, 0.35f, 0.8f})
        for (const float u : {0.5f * (1 - chord), 0.5f + 0.5f * chord}) {
            a.PanelLine(r, u, 0, u, 1, 0.7f);
            a.Rivets(r, u + 0.004f, 0, u + 0.004f, 1, 10);
        }
    for (const float v : {0.33f, 0.66f})
        for (const float u0 : {0.0f, 0.5f})
            a.PanelLine(r, u0 + 0.5f * 0.2f, v, u0 + 0.5f * 0.93f, v, 0.6f);
    if (roundel) {
        // Upper surface near the tip: dark ring, white, cyan dot.
        const float rx = 0.05f * float(r.Width()), ry = rx * 0.62f;
        a.Roundel(r, 0.5f * (1 - 0.5f), 0.66f, rx, ry, {Composite, Rgb(236, 240, 244), Cyan});
    }
    a.Weather(r, seed + 1, 0.35f, 0.2f);
}

void PaintSurface(TAtlas &a, const TRect &r, std::uint32_t seed, bool tipStripe)
{
    PaintWing(a, r, seed, false, tipStripe);
    // Hinge line just behind the leading edge of a moving surface.
    a.PanelLine(r, 0.5f * (1 - 0.15f), 0, 0.5f * (1 - 0.15f), 1);
    a.PanelLine(r, 0.5f + 0.5f * 0.15f, 0, 0.5f + 0.5f * 0.15f, 1);
}

void PaintFin(TAtlas &a, const TRect &r, std::uint32_t seed)
{
    PaintWing(a, r, seed, false, false, true);
    a.Blend(r, [&](float, float v) { TColor c = Composite; c.a = v > 0.82f ? 1.0f : 0.0f; return c; });
    a.Band(r, 0, 0.82f, 1, 0.82f, 5, Orange);
    // A cyan swept emblem on both faces.
    for (const float u0 : {0.0f, 0.5f})
        a.Polygon(r, {{u0 + 0.12f, 0.5f}, {u0 + 0.3f, 0.28f}, {u0 + 0.36f, 0.28f}, {u0 + 0.24f, 0.5f}, {u0 + 0.36f, 0.72f},
                      {u0 + 0.3f, 0.72f}},
                  Cyan);
}

void PaintCanopy(TAtlas &a, const TRect &r)
{
    // Gold-tinted glass reflecting the sky; u round the bubble (0.5 the top), v front to back.
    a.Fill(r, [&](float u, float v) {
        const float top = 1 - std::fabs(u - 0.5f) * 2;
        const TColor deep = Rgb(22, 18, 12), amber = Rgb(110, 74, 26), sky = Rgb(240, 190, 96);
        TColor c = top < 0.75f ? Mix(deep, amber, SmoothStep(0.2f, 0.75f, top)) : Mix(amber, sky, SmoothStep(0.75f, 1.0f, top));
        // The sky's reflection: a soft bright streak along the bubble and a sharp glint at the front.
        const float streak = 1 - SmoothStep(0.0f, 0.05f, std::fabs(u - 0.56f + 0.04f * v));
        const float glint = (1 - SmoothStep(0.0f, 0.03f, std::hypot(u - 0.47f, (v - 0.12f) * 0.5f)));
        c = Mix(c, Rgb(255, 248, 225), 0.8f * streak * (1 - 0.6f * v));
        return Mix(c, Rgb(255, 255, 255), glint);
    });
    // Frame: the sill, the windscreen arch and the bow between the front and rear panes.
    for (const float v : {0.22f, 0.6f})
        a.Band(r, 0, v, 1, v, 6, Composite);
    a.Band(r, 0, 0.02f, 1, 0.02f, 8, Composite);
    a.Band(r, 0, 0.98f, 1, 0.98f, 8, Composite);
    for (const float u : {0.08f, 0.92f})
        a.Band(r, u, 0, u, 1, 10, Composite);
}

void PaintMetal(TAtlas &a, const TPlayerSkin &s)
{
    const TRect plain = s.Metal.Part(0, 0, 1, 0.5f), dark = s.Metal.Part(0, 0.5f, 1, 1);
    a.Fill(plain, [&](float u, float v) { return Shade(Upper, 0.95f + 0.05f * Noise(u * 256, v * 96, 12, 5, 2)); });
    a.Fill(dark, [&](float u, float v) { return Shade(Rgb(64, 66, 70), 0.85f + 0.2f * Noise(u * 256, v * 8, 6, 6, 2)); });
    // Heat-tinted titanium: brushed steel, straw-coloured at one end and blued at the other.
    a.Fill(s.Petal, [&](float u, float v) {
        const float brushed = Noise(u * 192 * 8, v * 192 * 0.2f, 6, 31, 2);
        const TColor steel = Rgb(108, 112, 118), straw = Rgb(134, 120, 92), blue = Rgb(88, 94, 126);
        const TColor c = v < 0.5f ? Mix(straw, steel, SmoothStep(0.0f, 0.5f, v)) : Mix(steel, blue, SmoothStep(0.5f, 1.0f, v));
        return Shade(c, 0.9f + 0.14f * brushed);
    });
    for (int k = 1; k < 6; ++k)
        a.PanelLine(s.Petal, float(k) / 6, 0, float(k) / 6, 1, 0.6f);
    // The jet seen down the nozzle: white-hot core, cyan, deep blue, a dark rim.
    a.Fill(s.Glow, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2;
        const TColor core = Rgb(255, 255, 255), cyan = Rgb(120, 236, 255), blue = Rgb(40, 90, 255), rim = Rgb(30, 34, 46);
        if (d < 0.3f)
            return Mix(core, cyan, d / 0.3f);
        if (d < 0.7f)
            return Mix(cyan, blue, (d - 0.3f) / 0.4f);
        return Mix(blue, rim, SmoothStep(0.7f, 0.95f, d));
    });
    // Intake mouth, mapped round the duct's front ring: a light lip, the dark duct, and the fan
    // deep inside.
    a.Fill(s.Intake, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2, angle = std::atan2(v - 0.5f, u - 0.5f);
        if (d > 0.84f)
            return Upper;
        const float blades = 0.5f + 0.5f * std::cos(angle * 14 + d * 6);
        const TColor duct = Shade(Rgb(46, 48, 54), 0.5f + 0.5f * d);
        return d < 0.45f ? Mix(Rgb(30, 32, 36), Rgb(74, 78, 86), blades * (1 - d)) : duct;
    });
    // Air brake: a panel with its frame and the spine's stripe running over it.
    Panels(a, s.Brake, Upper, 2, 3, 41);
    a.Band(s.Brake, 0.5f, 0, 0.5f, 1, 8, Composite);
    for (const float u : {0.44f, 0.56f})
        a.Band(s.Brake, u, 0, u, 1, 2, Orange);
}

} // namespace

TPlayerSkin PaintPlayerSkin(const std::string &font)
{
    TPlayerSkin s;
    TAtlas &a = s.Clean;
    PaintFuselage(a, s.Fuselage, font);
    PaintWing(a, s.Wing, 51, true, true);
    PaintFin(a, s.Fin, 53);
    PaintSurface(a, s.Taileron, 55, true);
    PaintSurface(a, s.Canard, 57, false);
    PaintSurface(a, s.Aileron, 59, false);
    PaintSurface(a, s.Rudder, 61, false);
    PaintCanopy(a, s.Canopy);
    PaintMetal(a, s);
    return s;
}

TAtlas DamagedSkin(const TPlayerSkin &s, int level)
{
    TAtlas a = s.Clean;
    a.Batter({s.Fuselage, s.Wing, s.Fin, s.Taileron, s.Canard, s.Aileron, s.Rudder, s.Brake, s.Metal.Part(0, 0, 1, 0.5f)},
             level, 77);
    if (level >= 3) {
        // Cracks across the canopy.
        TDice dice(91);
        for (int k = 0; k < 3 * (level - 2); ++k) {
            float u = dice.Uniform(0.3f, 0.7f), v = dice.Uniform(0.1f, 0.9f);
            for (int step = 0; step < 6; ++step) {
                const float nu = u + dice.Uniform(-0.06f, 0.06f), nv = v + dice.Uniform(-0.08f, 0.08f);
                a.Band(s.Canopy, u, v, nu, nv, 1.2f, Rgb(250, 240, 210));
                u = nu;
                v = nv;
            }
        }
    }
    return a;
}
