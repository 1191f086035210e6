// Panels drawn over the menu background: the headings of the weapons, servers and host pages, the
// debriefing panel, the four special-weapon cards and buttons, and the loading bar parts. Outside their
// plates they are transparent.

#include "tools/hudart/Art.h"
#include "tools/hudart/Shapes.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The steel plate every panel sits on: a chamfered slab with a lit top edge, a steel border and an
// amber accent strip down its left side.
void Plate(TCanvas &canvas, float x0, float y0, float x1, float y1, float cut)
{
    TMask slab(canvas.w, canvas.h), border(canvas.w, canvas.h), accent(canvas.w, canvas.h);
    FillPolygon(slab, Chamfered(x0, y0, x1, y1, cut, 0, cut, 0));
    canvas.Paint(slab, 0, 0, [&](int, int y) {
        const float t = (float(y) - y0) / (y1 - y0);
        return WithAlpha(Mix(Palette::SteelDark, Palette::Night, t), Mix(0.9f, 0.82f, t));
    });
    StrokePolyline(border, Chamfered(x0 + 0.5f, y0 + 0.5f, x1 - 0.5f, y1 - 0.5f, cut, 0, cut, 0), 1.5f, true);
    StrokeLine(border, {x0 + cut + 4, y0 + 4}, {x1 - 6, y0 + 4}, 1, 0.35f);
    FillRect(accent, x0 + 7, y0 + cut + 6, x0 + 10, y1 - 10);
    FillRect(accent, x1 - 40, y1 - 6, x1 - 8, y1 - 4);
    PaintSolid(canvas, border, Palette::SteelLight, 0.8f);
    PaintSolid(canvas, accent, Palette::Amber);
}

void Glowing(TCanvas &canvas, const TMask &mask, TColor color)
{
    PaintGlow(canvas, mask, WithAlpha(color, 1), 3, 0.35f);
    PaintSolid(canvas, mask, color);
}

// A heading plate: the page's title and one line under it.
void Heading(const TArt &art, const std::string &section, int language)
{
    TCanvas canvas(512, 128);
    Plate(canvas, 2, 8, 510, 120, 18);
    TMask title(512, 128), note(512, 128);
    const std::string text = art.Texts.Get(section, "title", language), line = art.Texts.Get(section, "note", language);
    art.Title.Draw(title, text, 30, 60, art.Title.Fit(text, 30, 450, 3), 3);
    art.Regular.Draw(note, line, 31, 96, art.Regular.Fit(line, 12, 460), 0);
    Glowing(canvas, title, Palette::AmberLight);
    PaintSolid(canvas, note, Palette::SteelLight);
    canvas.Save(art.Out("Menu", section, language));
}

// The debriefing panel: a header band and five ruled rows, 76 pixels apart from row 120, for the
// page to write the results in.
void Score(const TArt &art, int language)
{
    TCanvas canvas(512, 512);
    Plate(canvas, 2, 2, 510, 510, 26);
    TMask band(512, 512), rules(512, 512), title(512, 512), note(512, 512);
    FillRect(band, 14, 14, 498, 112);
    FillRect(rules, 30, 112, 482, 114);
    for (int k = 1; k < 5; ++k)
        FillRect(rules, 40, 120 + 76 * float(k), 472, 121 + 76 * float(k), 0.35f);
    const std::string text = art.Texts.Get("Score", "title", language);
    art.Title.Draw(title, text, 256, 64, art.Title.Fit(text, 34, 440, 4), 4, 0.5f);
    art.Bold.Draw(note, art.Texts.Get("Score", "note", language), 256, 96, 11, 4, 0.5f);
    PaintSolid(canvas, band, Palette::Night, 0.5f);
    PaintSolid(canvas, rules, Palette::SteelLight, 0.7f);
    Glowing(canvas, title, Palette::AmberLight);
    PaintSolid(canvas, note, Palette::Amber);
    canvas.Save(art.Out("Menu", "Score", language));
}

// One special weapon's card: its name, what it does, and four figures.
void WeaponCard(const TArt &art, int number, int language)
{
    const std::string section = "Weapon" + std::to_string(number);
    TCanvas canvas(512, 256);
    Plate(canvas, 2, 2, 510, 254, 16);
    TMask name(512, 256), body(512, 256), labels(512, 256), values(512, 256), pipsOn(512, 256), pipsOff(512, 256),
        rules(512, 256);
    const std::string title = art.Texts.Get(section, "name", language);
    art.Title.Draw(name, title, 28, 44, art.Title.Fit(title, 24, 450, 2), 2);
    FillRect(rules, 28, 56, 148, 58);
    FillRect(rules, 28, 156, 484, 157);

    for (float size = 12; size >= 9; size -= 0.5f) {
        const std::vector<std::string> lines = art.Regular.Wrap(art.Texts.Get(section, "text", language), size, 456);
        if (lines.size() <= 3 || size <= 9) {
            for (std::size_t i = 0; i < lines.size(); ++i)
                art.Regular.Draw(body, lines[i], 28, 86 + float(i) * size * 1.75f, size);
            break;
        }
    }

    // Damage and rate of fire as five pips each on the left; rounds and reload as figures on the right.
    const struct {
        const char *Key;
        float       X, Baseline;
        bool        Pips;
    } stats[] = {{"damage", 28, 176, true}, {"rate", 28, 220, true}, {"rounds", 268, 176, false}, {"reload", 268, 220, false}};
    for (const auto &stat : stats) {
        const std::string label = art.Texts.Get("WeaponLabels", stat.Key, language);
        art.Bold.Draw(labels, label, stat.X, stat.Baseline, art.Bold.Fit(label, 9, 210, 1.5f), 1.5f);
        const std::string value = art.Texts.Get(section, stat.Key, language);
        if (stat.Pips) {
            const int level = std::clamp(std::atoi(value.c_str()), 0, 5);
            for (int k = 0; k < 5; ++k)
                FillPolygon(k < level ? pipsOn : pipsOff,
                            Chamfered(stat.X + float(k) * 26, stat.Baseline + 8, stat.X + float(k) * 26 + 22, stat.Baseline + 18, 3, 0, 3, 0));
        } else {
            art.Bold.Draw(values, value, stat.X, stat.Baseline + 22, 14, 1);
        }
    }
    Glowing(canvas, name, Palette::AmberLight);
    PaintSolid(canvas, rules, Palette::Amber, 0.8f);
    PaintSolid(canvas, body, Palette::Pale);
    PaintSolid(canvas, labels, Palette::SteelLight);
    PaintSolid(canvas, pipsOff, Palette::Steel, 0.7f);
    Glowing(canvas, pipsOn, Palette::Amber);
    Glowing(canvas, values, Palette::AmberLight);
    canvas.Save(art.Out("Menu", section, language));
}

TPoint Polar(TPoint c, float rx, float ry, float angle, float turn)
{
    const float x = rx * std::cos(angle), y = ry * std::sin(angle);
    return {c.x + x * std::cos(turn) - y * std::sin(turn), c.y - x * std::sin(turn) - y * std::cos(turn)};
}

// The weapon's emblem inside a 128 x 128 button: Solid takes the metal parts, Line the strokes and
// Hot the glowing parts.
void Emblem(int number, TMask &solid, TMask &line, TMask &hot)
{
    switch (number) {
    case 1:   // gauss gun: two rails through three coils, a slug leaving the muzzle
        FillPolygon(solid, Chamfered(8, 44, 28, 84, 6, 0, 6, 0));
        FillPolygon(solid, Chamfered(26, 48, 90, 55, 0, 0, 3, 0));
        FillPolygon(solid, Chamfered(26, 73, 90, 80, 0, 3, 0, 0));
        for (int k = 0; k < 3; ++k)
            FillPolygon(solid, Chamfered(36 + float(k) * 17, 40, 45 + float(k) * 17, 88, 3, 3, 3, 3));
        StrokeLine(hot, {30, 64}, {92, 64}, 2.5f, 0.8f);
        FillPolygon(hot, {{98, 59}, {114, 64}, {98, 69}, {95, 64}});
        for (int k = -1; k <= 1; ++k)
            StrokeLine(hot, {92, 64 + float(k) * 7}, {80, 64 + float(k) * 7}, 1.2f, k == 0 ? 0.0f : 0.6f);
        break;
    case 2:   // laser: a finned emitter, its lens, the beam and the flare where it strikes
        FillPolygon(solid, Chamfered(8, 50, 50, 78, 8, 0, 8, 0));
        for (int k = 0; k < 4; ++k)
            FillRect(solid, 14 + float(k) * 8, 44, 19 + float(k) * 8, 84);
        StrokeArc(line, {56, 64}, 9, 3, 0, 2 * Pi);
        StrokeLine(hot, {62, 64}, {104, 64}, 4.5f);
        for (int k = 0; k < 4; ++k) {
            const float a = float(k) * Pi / 4;
            StrokeLine(hot, Polar({106, 64}, 17, 17, a, 0), Polar({106, 64}, 17, 17, a + Pi, 0), k % 2 == 0 ? 2.5f : 1.5f);
        }
        FillCircle(hot, {106, 64}, 6);
        break;
    case 3:   // ion gun: a charged core in crossed orbits
        FillCircle(hot, {64, 64}, 13);
        for (const float turn : {0.5f, -0.5f, Pi / 2}) {
            std::vector<TPoint> orbit;
            for (int k = 0; k < 64; ++k)
                orbit.push_back(Polar({64, 64}, 46, 16, float(k) * 2 * Pi / 64, turn));
            StrokePolyline(line, orbit, 2.5f, true);
        }
        FillCircle(solid, Polar({64, 64}, 46, 16, 0.8f, 0.5f), 4.5f);
        FillCircle(solid, Polar({64, 64}, 46, 16, 3.6f, -0.5f), 4.5f);
        FillCircle(solid, Polar({64, 64}, 46, 16, 5.0f, Pi / 2), 4.5f);
        break;
    default:   // mega bomb: a fat bomb falling nose first onto its blast rings
        StrokeArc(line, {64, 104}, 48, 2.5f, 0, 2 * Pi, 1, 13);
        StrokeArc(line, {64, 104}, 30, 2, 0, 2 * Pi, 1, 8);
        FillCircle(hot, {64, 104}, 7);
        FillPolygon(solid, {{64, 96}, {76, 82}, {79, 56}, {75, 34}, {53, 34}, {49, 56}, {52, 82}});
        FillPolygon(solid, {{54, 38}, {44, 12}, {56, 18}, {61, 34}});
        FillPolygon(solid, {{74, 38}, {84, 12}, {72, 18}, {67, 34}});
        FillRect(solid, 62, 12, 66, 34);
        FillRect(hot, 50, 56, 78, 62);
        break;
    }
}

// A weapon button, plain or marked as chosen.
void WeaponButton(const TArt &art, int number, bool selected)
{
    TCanvas canvas(128, 128);
    const std::vector<TPoint> shape = Chamfered(4, 4, 124, 124, 16, 0, 16, 0);
    TMask slab(128, 128), border(128, 128), solid(128, 128), line(128, 128), hot(128, 128);
    FillPolygon(slab, shape);
    StrokePolyline(border, Chamfered(4.5f, 4.5f, 123.5f, 123.5f, 16, 0, 16, 0), selected ? 3.0f : 1.5f, true);
    if (selected)
        PaintGlow(canvas, border, Palette::Amber, 4, 0.9f);
    canvas.Paint(slab, 0, 0, [&](int, int y) {
        const TColor top = selected ? Palette::Steel : Palette::SteelDark;
        return WithAlpha(Mix(top, Palette::Night, float(y) / 128), 0.92f);
    });
    Emblem(number, solid, line, hot);
    const TColor metal = selected ? Palette::Pale : Palette::SteelLight;
    PaintShadow(canvas, Union(Union(solid, line), hot), 0.6f, 1, 2);
    PaintSolid(canvas, solid, metal);
    PaintSolid(canvas, line, metal, 0.9f);
    PaintGlow(canvas, hot, selected ? Palette::Amber : Palette::HudCyan, 3, 0.8f);
    PaintSolid(canvas, hot, selected ? Palette::AmberLight : Palette::HudCyan);
    PaintSolid(canvas, border, selected ? Palette::AmberLight : Palette::SteelLight, selected ? 1.0f : 0.8f);
    if (selected) {
        TMask corner(128, 128);
        FillPolygon(corner, {{100, 124}, {124, 100}, {124, 124}});
        PaintSolid(canvas, corner, Palette::Amber);
    }
    ClearEdges(canvas, 3);
    canvas.Save(art.Out("Menu", "button_weapon" + std::to_string(number) + (selected ? "_select" : "")));
}

// The loading bar: the empty track, the lit track the page reveals from the left as the load goes on,
// and the finished track. 24 cells, four to each of the load's six steps.
void BarPart(const TArt &art, const std::string &name, TColor frame, TColor cell, float glow)
{
    TCanvas canvas(512, 32);
    TMask track(512, 32), border(512, 32), cells(512, 32);
    FillPolygon(track, Chamfered(1, 2, 511, 30, 8, 8, 8, 8));
    StrokePolyline(border, Chamfered(1.5f, 2.5f, 510.5f, 29.5f, 8, 8, 8, 8), 1.5f, true);
    for (int k = 0; k < 24; ++k) {
        const float x = 12 + float(k) * 20.5f;
        FillPolygon(cells, Chamfered(x, 9, x + 16.5f, 23, 0, 3, 0, 3));
    }
    PaintSolid(canvas, track, Palette::Night, 0.75f);
    if (glow > 0)
        PaintGlow(canvas, cells, cell, 3, glow);
    canvas.Paint(cells, 0, 0, [&](int, int y) { return Mix(Mix(cell, Palette::White, 0.35f), cell, float(y - 9) / 14); });
    PaintSolid(canvas, border, frame, 0.9f);
    canvas.Save(art.Out("Menu", name));
}

} // namespace

void DrawPanels(const TArt &art)
{
    for (int language = 0; language < LanguageCount; ++language) {
        for (const char *section : {"Weapons", "Servers", "Host"})
            Heading(art, section, language);
        Score(art, language);
        for (int number = 1; number <= 4; ++number)
            WeaponCard(art, number, language);
    }
    for (int number = 1; number <= 4; ++number) {
        WeaponButton(art, number, false);
        WeaponButton(art, number, true);
    }
    BarPart(art, "Loading_Empty", Palette::SteelLight, {0.10f, 0.17f, 0.26f, 1}, 0);
    BarPart(art, "Loading_Full", Palette::Amber, Palette::Amber, 0.7f);
    BarPart(art, "Loading_Ready", Palette::HudCyan, Palette::HudCyan, 0.8f);
}
