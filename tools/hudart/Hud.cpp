// The flight display's images. Each is drawn at the size the HUD shows it, texel for pixel (the HUD
// samples them with nearest filtering), as light line art over a soft dark halo so that it reads over
// bright sky and dark sea alike.

#include "tools/hudart/Art.h"
#include "tools/hudart/Shapes.h"

#include <cmath>
#include <string>

namespace {

// Line art with its halo. White art gets a neutral halo, so that the game's tint colours all of it.
void Lines(TCanvas &canvas, const TMask &mask, TColor color, float shadow = 0.6f)
{
    const bool white = color.r == color.g && color.g == color.b;
    PaintShadow(canvas, mask, shadow, 1, 1, white ? TColor{0, 0, 0, 1} : TColor{0.0f, 0.03f, 0.05f, 1.0f});
    PaintSolid(canvas, mask, color);
}

TPoint Polar(TPoint c, float radius, float angle) { return {c.x + radius * std::cos(angle), c.y - radius * std::sin(angle)}; }

// The panel in the top-right corner: health bar and special-weapon bar in their troughs, labelled.
// The bars themselves are drawn by the game over the troughs: x 31..174, rows 26..42 and 78..94.
void Indicator(const TArt &art, int language)
{
    TCanvas canvas(256, 128);
    TMask back(256, 128);
    FillPolygon(back, Chamfered(6, 0, 256, 114, 0, 0, 0, 26));
    canvas.Paint(back, 0, 0, [](int, int y) { return WithAlpha(Palette::Night, Mix(0.45f, 0.62f, float(y) / 114)); });

    TMask frame(256, 128), faint(256, 128), troughs(256, 128);
    StrokePolyline(frame, {{6.5f, 0}, {6.5f, 88}, {32.5f, 113.5f}, {256, 113.5f}}, 1.5f, false);
    StrokePolyline(faint, {{12.5f, 0}, {12.5f, 86}, {35, 108.5f}, {256, 108.5f}}, 1, false);
    for (const float top : {24.0f, 76.0f}) {
        FillRect(troughs, 30, top + 1, 176, top + 19);
        StrokePolyline(frame, {{29.5f, top + 0.5f}, {176.5f, top + 0.5f}, {176.5f, top + 19.5f}, {29.5f, top + 19.5f}}, 1, true);
        for (int k = 0; k <= 4; ++k) {
            const float x = 31.5f + 142.0f * float(k) / 4;
            StrokeLine(frame, {x, top + 22}, {x, top + (k % 2 == 0 ? 27.0f : 25.0f)}, 1);
        }
        StrokeLine(faint, {31, top + 22.5f}, {174, top + 22.5f}, 1);
    }
    PaintSolid(canvas, troughs, {0, 0.02f, 0.03f, 1}, 0.55f);

    // Armour: a shield with a cross. Special weapon: a lightning bolt, in amber.
    TMask shield(256, 128), bolt(256, 128);
    StrokePolyline(shield, {{199.5f, 23.5f}, {224.5f, 23.5f}, {224.5f, 35}, {212, 47}, {199.5f, 35}}, 2, true);
    StrokeLine(shield, {212, 28}, {212, 40}, 2);
    StrokeLine(shield, {206, 33}, {218, 33}, 2);
    FillPolygon(bolt, {{216, 73}, {202, 89}, {210.5f, 89}, {206, 100}, {222, 83}, {213, 83}, {219, 73}});

    TMask labels(256, 128);
    const std::string armor = art.Texts.Get("Indicator", "armor", language);
    const std::string special = art.Texts.Get("Indicator", "special", language);
    art.Bold.Draw(labels, armor, 31, 19, art.Bold.Fit(armor, 8, 140, 1.2f), 1.2f);
    art.Bold.Draw(labels, special, 31, 71, art.Bold.Fit(special, 8, 140, 1.2f), 1.2f);

    Lines(canvas, Union(Union(frame, shield), bolt), Palette::HudGreen, 0.5f);
    PaintSolid(canvas, faint, Palette::HudGreen, 0.35f);
    PaintSolid(canvas, bolt, Palette::Amber);
    PaintShadow(canvas, labels, 0.7f, 1, 1);
    PaintSolid(canvas, labels, Palette::HudGreen);
    canvas.Save(art.Out("HUD", "Indicator", language));
}

// The fill of both bars, tinted green, yellow or red by the game: white cells, 143 texels of it shown
// at full length.
void IndicatorGrid(const TArt &art)
{
    TCanvas canvas(256, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 256; ++x) {
            if (y == 0 || y == 15 || x % 6 >= 4)
                continue;
            const float shade = y == 1 ? 1.0f : Mix(0.95f, 0.68f, float(y - 2) / 12);
            canvas.at(x, y) = {shade, shade, shade, 1};
        }
    canvas.Save(art.Out("HUD", "Indicator_Grid"));
}

// The radar's bezel in the bottom-left corner. The game draws the scope circle (72 pixels) and the
// blips around the centre (83, 84) of this picture.
void Radar(const TArt &art)
{
    TCanvas canvas(256, 256);
    const TPoint c{83.5f, 84.5f};
    TMask plate(256, 256), disc(256, 256);
    FillPolygon(plate, Chamfered(3, 3, 164, 166, 22, 22, 22, 22));
    FillCircle(disc, c, 79);
    PaintSolid(canvas, Subtract(plate, disc), Palette::Night, 0.3f);
    canvas.Paint(disc, 0, 0, [&](int x, int y) {
        const float r = std::hypot(float(x) + 0.5f - c.x, float(y) + 0.5f - c.y) / 79;
        return WithAlpha(Mix({0.02f, 0.10f, 0.10f, 1}, Palette::Night, r), Mix(0.45f, 0.62f, r));
    });

    TMask bezel(256, 256), grid(256, 256), accent(256, 256), player(256, 256);
    StrokePolyline(bezel, Chamfered(3.5f, 3.5f, 163.5f, 165.5f, 22, 22, 22, 22), 1.5f, true);
    StrokeArc(bezel, c, 78, 2, 0, 2 * Pi);
    for (int k = 0; k < 36; ++k) {
        const float a = Pi / 2 - float(k) * 2 * Pi / 36;
        const float outer = k % 9 == 0 ? 88.0f : k % 3 == 0 ? 85.0f : 82.5f;
        StrokeLine(bezel, Polar(c, 80, a), Polar(c, outer, a), k % 3 == 0 ? 1.5f : 1.0f);
    }
    StrokeArc(grid, c, 24, 1, 0, 2 * Pi);
    StrokeArc(grid, c, 48, 1, 0, 2 * Pi);
    StrokeLine(grid, {c.x - 70, c.y}, {c.x + 70, c.y}, 1);
    StrokeLine(grid, {c.x, c.y - 70}, {c.x, c.y + 70}, 1);
    // The nose mark: the top of the scope is straight ahead.
    FillPolygon(accent, {{c.x - 6, c.y - 97}, {c.x + 6, c.y - 97}, {c.x, c.y - 89}});
    StrokeArc(accent, c, 83, 2.5f, Pi / 2 - 0.35f, Pi / 2 - 0.12f);
    StrokeArc(accent, c, 83, 2.5f, Pi / 2 + 0.12f, Pi / 2 + 0.35f);
    // Corner studs of the plate.
    for (const TPoint s : {TPoint{18, 18}, TPoint{149, 18}, TPoint{18, 151}, TPoint{149, 151}})
        FillCircle(accent, s, 2);
    // The player in the middle, nose up.
    StrokePolyline(player, {{c.x, c.y - 7}, {c.x + 5, c.y + 5}, {c.x, c.y + 2}, {c.x - 5, c.y + 5}}, 1.5f, true);

    PaintSolid(canvas, grid, Palette::HudGreen, 0.35f);
    Lines(canvas, bezel, Palette::HudGreen, 0.5f);
    Lines(canvas, accent, Palette::Amber, 0.5f);
    Lines(canvas, player, Palette::HudCyan, 0.5f);
    canvas.Save(art.Out("HUD", "Radar"));
}

// The frame of the small camera view. The game draws the view at 220 x 170 pixels, which lands on
// x 60..280, rows 20..190 of this picture; only x < 312 and rows < 220 are on screen.
void Camera(const TArt &art)
{
    TCanvas canvas(512, 256);
    const float x0 = 60, y0 = 20, x1 = 280, y1 = 190;
    TMask band(512, 256), window(512, 256);
    FillPolygon(band, Chamfered(x0 - 10, y0 - 10, x1 + 10, y1 + 10, 14, 4, 14, 4));
    FillRect(window, x0, y0, x1, y1);
    PaintSolid(canvas, Subtract(band, window), Palette::Night, 0.55f);

    TMask frame(512, 256), accent(512, 256);
    StrokePolyline(frame, Chamfered(x0 - 1.5f, y0 - 1.5f, x1 + 1.5f, y1 + 1.5f, 0, 0, 0, 0), 1.5f, true);
    StrokePolyline(frame, Chamfered(x0 - 9.5f, y0 - 9.5f, x1 + 9.5f, y1 + 9.5f, 13, 3, 13, 3), 1, true);
    // Centre ticks on every side, and corner brackets inside the view.
    const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    StrokeLine(frame, {cx, y0}, {cx, y0 + 6}, 1.5f);
    StrokeLine(frame, {cx, y1}, {cx, y1 - 6}, 1.5f);
    StrokeLine(frame, {x0, cy}, {x0 + 6, cy}, 1.5f);
    StrokeLine(frame, {x1, cy}, {x1 - 6, cy}, 1.5f);
    for (const float sx : {-1.0f, 1.0f})
        for (const float sy : {-1.0f, 1.0f}) {
            const TPoint corner{sx < 0 ? x0 + 5 : x1 - 5, sy < 0 ? y0 + 5 : y1 - 5};
            StrokePolyline(frame, {{corner.x - sx * 12, corner.y}, corner, {corner.x, corner.y - sy * 12}}, 1.5f, false);
        }
    // The live lamp and the grip notches on the frame.
    FillCircle(accent, {x0 + 4, y1 + 5}, 2.5f);
    for (int k = 0; k < 4; ++k)
        FillRect(accent, x1 - 60 + float(k) * 9, y1 + 4, x1 - 55 + float(k) * 9, y1 + 7);

    Lines(canvas, frame, Palette::HudGreen, 0.5f);
    Lines(canvas, accent, Palette::Amber, 0.4f);
    canvas.Save(art.Out("HUD", "Camera"));
}

// The missile seeker's field: the 128-pixel circle inside which a target can be locked.
void MissileTargeting(const TArt &art)
{
    TCanvas canvas(256, 256);
    const TPoint c{128, 128};
    TMask ring(256, 256), faint(256, 256);
    for (int k = 0; k < 48; ++k) {
        const float a = float(k) * 2 * Pi / 48;
        StrokeArc(ring, c, 124, 2, a + 0.02f, a + 2 * Pi / 48 * 0.6f);
    }
    for (int k = 0; k < 4; ++k) {
        const float a = float(k) * Pi / 2;
        StrokeLine(ring, Polar(c, 106, a), Polar(c, 121, a), 2);
        StrokeArc(ring, c, 112, 2, a + Pi / 4 - 0.18f, a + Pi / 4 + 0.18f);
    }
    StrokeArc(faint, c, 96, 1, 0, 2 * Pi);
    PaintSolid(canvas, faint, Palette::HudCyan, 0.3f);
    Lines(canvas, ring, Palette::HudCyan, 0.75f);
    canvas.Save(art.Out("HUD", "Missile_Targeting"));
}

// The gun pipper. White, because the game tints it red while a target is under it.
void GunTargeting(const TArt &art)
{
    TCanvas canvas(128, 128);
    const TPoint c{64, 64};
    TMask lines(128, 128);
    FillCircle(lines, c, 1.8f);
    for (int k = 0; k < 4; ++k) {
        const float a = float(k) * Pi / 2;
        StrokeLine(lines, Polar(c, 9, a), Polar(c, 22, a), 2);
        StrokeArc(lines, c, 32, 2, a + 0.22f, a + Pi / 2 - 0.22f);
        StrokeLine(lines, Polar(c, 36, a + Pi / 4), Polar(c, 42, a + Pi / 4), 2);
    }
    Lines(canvas, lines, Palette::White, 0.8f);
    canvas.Save(art.Out("HUD", "Gun_Targeting"));
}

// A locked missile target: a diamond inside corner brackets. White, for tinting.
void MissileTarget(const TArt &art)
{
    TCanvas canvas(128, 128);
    TMask lines(128, 128);
    StrokePolyline(lines, {{64, 40}, {88, 64}, {64, 88}, {40, 64}}, 2, true);
    for (const float sx : {-1.0f, 1.0f})
        for (const float sy : {-1.0f, 1.0f}) {
            const TPoint corner{64 + sx * 52, 64 + sy * 52};
            StrokePolyline(lines, {{corner.x, corner.y - sy * 18}, corner, {corner.x - sx * 18, corner.y}}, 2.5f, false);
        }
    FillCircle(lines, {64, 64}, 2.5f);
    Lines(canvas, lines, Palette::White, 0.6f);
    canvas.Save(art.Out("HUD", "Missile_Target"));
}

// The bomb sight: the impact circle with its fall line and wing ticks.
void Bombing(const TArt &art)
{
    TCanvas canvas(128, 128);
    const TPoint c{64, 80};
    TMask lines(128, 128);
    StrokeArc(lines, c, 20, 2, 0, 2 * Pi);
    FillCircle(lines, c, 2.5f);
    StrokeLine(lines, {64, 8}, {64, c.y - 20}, 2);
    for (float y = 14; y < c.y - 24; y += 12)
        StrokeLine(lines, {60, y}, {68, y}, 1.5f);
    StrokeLine(lines, {c.x - 34, c.y}, {c.x - 24, c.y}, 2);
    StrokeLine(lines, {c.x + 24, c.y}, {c.x + 34, c.y}, 2);
    StrokeLine(lines, {c.x, c.y + 24}, {c.x, c.y + 32}, 2);
    Lines(canvas, lines, Palette::HudGreen, 0.6f);
    canvas.Save(art.Out("HUD", "bombing"));
}

// The target box of the crosshair: four corner brackets. White, for tinting.
void Target(const TArt &art)
{
    TCanvas canvas(64, 64);
    TMask lines(64, 64);
    for (const float sx : {-1.0f, 1.0f})
        for (const float sy : {-1.0f, 1.0f}) {
            const TPoint corner{32 + sx * 27, 32 + sy * 27};
            StrokePolyline(lines, {{corner.x, corner.y - sy * 11}, corner, {corner.x - sx * 11, corner.y}}, 2, false);
        }
    Lines(canvas, lines, Palette::White, 0.6f);
    canvas.Save(art.Out("HUD", "target"));
}

// The aiming mark of the crosshair: a small ring with four ticks. White, for tinting.
void Targeting(const TArt &art)
{
    TCanvas canvas(64, 64);
    const TPoint c{32, 32};
    TMask lines(64, 64);
    StrokeArc(lines, c, 10, 2, 0, 2 * Pi);
    for (int k = 0; k < 4; ++k) {
        const float a = float(k) * Pi / 2;
        StrokeLine(lines, Polar(c, 14, a), Polar(c, 24, a), 2);
    }
    FillCircle(lines, c, 1.5f);
    Lines(canvas, lines, Palette::White, 0.6f);
    canvas.Save(art.Out("HUD", "targeting"));
}

// The pitch ladder tape. The game shows a fifth of it at a time, centred on t = (pitch + 90) / 150 + 0.5
// (the player's pitch is -90 in level flight and grows as the nose drops): row 512 is the horizon,
// climbing marks lie above it, diving marks (dashed) below, 1024 / 150 rows per degree, +-75 degrees.
void AttackAngle(const TArt &art)
{
    constexpr int W = 64, H = 1024;
    constexpr float RowsPerDegree = float(H) / 150;
    TCanvas canvas(W, H);
    TMask ticks(W, H), horizon(W, H), labels(W, H), spine(W, H);
    StrokeLine(spine, {2.5f, 0}, {2.5f, float(H)}, 1);
    for (int degrees = -75; degrees <= 75; degrees += 5) {
        const float y = 512 - float(degrees) * RowsPerDegree;
        if (degrees == 0) {
            StrokeLine(horizon, {2, y - 2}, {44, y - 2}, 2);
            StrokeLine(horizon, {2, y + 2}, {44, y + 2}, 2);
            art.Bold.Draw(labels, "0", 48, y + 4.5f, 9);
        } else if (degrees % 10 == 0) {
            if (degrees > 0) {
                StrokeLine(ticks, {2, y}, {24, y}, 2);
            } else {
                StrokeLine(ticks, {2, y}, {10, y}, 2);
                StrokeLine(ticks, {15, y}, {24, y}, 2);
            }
            StrokeLine(ticks, {24, y}, {24, y + (degrees > 0 ? 5.0f : -5.0f)}, 2);
            art.Bold.Draw(labels, std::to_string(degrees), 28, y + 4.5f, 9, 0.5f);
        } else {
            StrokeLine(ticks, {2, y}, {12, y}, degrees > 0 ? 2.0f : 1.5f);
        }
    }
    PaintSolid(canvas, spine, Palette::HudGreen, 0.35f);
    Lines(canvas, Union(ticks, labels), Palette::HudGreen, 0.55f);
    Lines(canvas, horizon, Palette::HudCyan, 0.55f);
    canvas.Save(art.Out("HUD", "Attack_Angle"));
}

} // namespace

void DrawHudImages(const TArt &art)
{
    for (int language = 0; language < LanguageCount; ++language)
        Indicator(art, language);
    IndicatorGrid(art);
    Radar(art);
    Camera(art);
    MissileTargeting(art);
    GunTargeting(art);
    MissileTarget(art);
    Bombing(art);
    Target(art);
    Targeting(art);
    AttackAngle(art);
}
