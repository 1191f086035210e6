// The full-screen pictures of the front end, 1024 x 768 (the virtual screen of the menu), drawn over
// the whole window: the story before the first mission, the final screen after the last, the loading
// screen and the wait screen. Each backdrop is painted once and lettered in both languages.

#include "tools/hudart/Art.h"
#include "tools/hudart/Scene.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int W = 1024, H = 768;

// Darkens the picture behind a text column: full strength between From and To, fading out over Fade
// pixels on the open side (Open is -1 when the column's open side is its left, +1 its right).
void Scrim(TCanvas &canvas, float from, float to, float fade, int open, float strength)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float px = float(x) + 0.5f;
            const float edge = open > 0 ? SmoothStep(to + fade, to, px) * SmoothStep(from - 1, from, px)
                                        : SmoothStep(from - fade, from, px) * SmoothStep(to + 1, to, px);
            if (edge <= 0)
                continue;
            TColor &c = canvas.at(x, y);
            c = Mix(c, Palette::Night, edge * strength);
            c.a = 1;
        }
}

// Letters drawn with a soft dark glow behind them.
void Letters(TCanvas &canvas, const TMask &mask, TColor color, float glow = 0.8f)
{
    PaintGlow(canvas, Dilate(mask, 1), Palette::Night, 2, glow);
    PaintSolid(canvas, mask, color);
}

// Letters a title, a rule and the paragraphs of Section into the column X0..X1 from row Top down to
// row Bottom; the body size shrinks until the text fits.
void TextColumn(TCanvas &canvas, const TArt &art, const std::string &section, int language, float x0, float x1,
                float top, float bottom, float titleCap)
{
    const std::string title = art.Texts.Get(section, "title", language);
    TMask titleMask(W, H), rule(W, H), body(W, H);
    const float cap = art.Title.Fit(title, titleCap, x1 - x0, 3);
    art.Title.Draw(titleMask, title, x0, top + cap, cap, 3);
    FillRect(rule, x0 - 24, top - 6, x0 - 19, top + cap + 6);
    FillRect(rule, x0, top + cap + 20, x0 + 240, top + cap + 22);

    const std::vector<std::string> paragraphs = art.Texts.All(section, "text", language);
    const float start = top + cap + 58;
    for (float size = 15; size >= 10; size -= 0.5f) {
        const float lineStep = size * 1.85f, gap = size * 0.9f;
        float y = start;
        std::vector<std::pair<std::string, float>> lines;
        for (const std::string &paragraph : paragraphs) {
            for (const std::string &line : art.Regular.Wrap(paragraph, size, x1 - x0)) {
                lines.emplace_back(line, y);
                y += lineStep;
            }
            y += gap;
        }
        if (y - lineStep - gap <= bottom || size <= 10) {
            for (const auto &[line, baseline] : lines)
                art.Regular.Draw(body, line, x0, baseline, size);
            break;
        }
    }
    Letters(canvas, titleMask, Palette::AmberLight, 0.9f);
    PaintSolid(canvas, rule, Palette::Amber);
    Letters(canvas, body, Palette::Pale, 0.7f);
}

void Hint(TCanvas &canvas, const TArt &art, const std::string &section, int language, float x, float baseline, float align)
{
    TMask mask(W, H);
    art.Bold.Draw(mask, art.Texts.Get(section, "hint", language), x, baseline, 10, 3, align);
    Letters(canvas, mask, Palette::Amber);
}

// A carrier group at dawn, with the player's aircraft climbing away from it.
TCanvas StoryBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.03f, 0.05f, 0.13f, 1}}, {0.45f, {0.16f, 0.20f, 0.38f, 1}}, {0.78f, {0.62f, 0.42f, 0.45f, 1}},
                {1.0f, {1.0f, 0.70f, 0.45f, 1}}};
    look.SeaFar = {0.32f, 0.30f, 0.36f, 1};
    look.SeaNear = {0.02f, 0.05f, 0.10f, 1};
    look.Sun = {1.0f, 0.62f, 0.30f, 1};
    look.SunAt = {760, 446};
    look.SunRadius = 17;
    look.GlowRadius = 110;
    look.Glow = 0.8f;
    look.CloudLit = {1.0f, 0.66f, 0.48f, 1};
    look.CloudDark = {0.20f, 0.18f, 0.30f, 1};
    look.CloudCover = 0.6f;
    look.Stars = 0.5f;
    look.Horizon = 460;
    look.Seed = 3;
    look.Hull = {0.05f, 0.06f, 0.10f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintShip(canvas, look, {TShipKind::Destroyer, 470, 474, 0.55f, false, 0, true, false});
    PaintShip(canvas, look, {TShipKind::Destroyer, 935, 468, 0.42f, true, 0, true, false});
    PaintShip(canvas, look, {TShipKind::Carrier, 560, 500, 1.22f, false, 0, true, false});
    PaintJet(canvas, look, {{830, 190}, 74, 2.7f, true});
    PaintJet(canvas, look, {{935, 262}, 44, 2.75f, true});
    return canvas;
}

// Dusk after the last battle: the enemy fleet burns on the horizon while the carrier turns for home.
TCanvas FinalBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.06f, 0.04f, 0.12f, 1}}, {0.5f, {0.30f, 0.12f, 0.25f, 1}}, {0.85f, {0.85f, 0.35f, 0.22f, 1}},
                {1.0f, {1.0f, 0.58f, 0.30f, 1}}};
    look.SeaFar = {0.40f, 0.22f, 0.22f, 1};
    look.SeaNear = {0.04f, 0.03f, 0.07f, 1};
    look.Sun = {1.0f, 0.50f, 0.22f, 1};
    look.SunAt = {300, 452};
    look.SunRadius = 24;
    look.GlowRadius = 130;
    look.Glow = 0.9f;
    look.CloudLit = {1.0f, 0.55f, 0.35f, 1};
    look.CloudDark = {0.22f, 0.10f, 0.20f, 1};
    look.CloudCover = 0.5f;
    look.Horizon = 470;
    look.Seed = 5;
    look.Hull = {0.06f, 0.04f, 0.07f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintFire(canvas, look, {512, 474}, 9, 41);
    PaintFire(canvas, look, {584, 473}, 7, 43);
    PaintShip(canvas, look, {TShipKind::Destroyer, 470, 476, 0.5f, false, 9, false, false});
    PaintShip(canvas, look, {TShipKind::Cargo, 560, 474, 0.36f, true, -7, false, false});
    PaintFire(canvas, look, {500, 470}, 5, 47);
    PaintFire(canvas, look, {566, 470}, 4, 53);
    PaintShip(canvas, look, {TShipKind::Carrier, 90, 530, 1.25f, true, 0, true, true});
    PaintJet(canvas, look, {{360, 250}, 60, 3.4f, true});
    PaintJet(canvas, look, {{430, 205}, 40, 3.45f, true});
    return canvas;
}

// A clear morning over the fleet, for the loading screen.
TCanvas LoadingBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.10f, 0.22f, 0.42f, 1}}, {0.6f, {0.35f, 0.55f, 0.75f, 1}}, {1.0f, {0.78f, 0.86f, 0.92f, 1}}};
    look.SeaFar = {0.38f, 0.52f, 0.62f, 1};
    look.SeaNear = {0.03f, 0.12f, 0.22f, 1};
    look.Sun = {1.0f, 0.92f, 0.75f, 1};
    look.SunAt = {880, 90};
    look.SunRadius = 16;
    look.GlowRadius = 90;
    look.Glow = 0.6f;
    look.Glitter = 0.5f;
    look.CloudLit = {0.97f, 0.97f, 1.0f, 1};
    look.CloudDark = {0.55f, 0.62f, 0.72f, 1};
    look.CloudCover = 0.55f;
    look.Horizon = 330;
    look.Seed = 9;
    look.Hull = {0.16f, 0.19f, 0.24f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintShip(canvas, look, {TShipKind::Destroyer, 160, 342, 0.5f, false, 0, true, false});
    PaintShip(canvas, look, {TShipKind::Carrier, 420, 372, 1.1f, false, 0, true, false});
    PaintJet(canvas, look, {{250, 150}, 70, 0.35f, true});
    return canvas;
}

// Night over the carrier, for the wait screen.
TCanvas WaitBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.01f, 0.02f, 0.05f, 1}}, {0.7f, {0.04f, 0.07f, 0.14f, 1}}, {1.0f, {0.12f, 0.17f, 0.28f, 1}}};
    look.SeaFar = {0.10f, 0.14f, 0.22f, 1};
    look.SeaNear = {0.01f, 0.02f, 0.04f, 1};
    look.Sun = {0.70f, 0.80f, 0.95f, 1};
    look.SunAt = {770, 150};
    look.SunRadius = 22;
    look.GlowRadius = 70;
    look.Glow = 0.35f;
    look.Glitter = 0.6f;
    look.CloudLit = {0.45f, 0.52f, 0.65f, 1};
    look.CloudDark = {0.05f, 0.07f, 0.12f, 1};
    look.CloudCover = 0.35f;
    look.Stars = 1.0f;
    look.Moon = true;
    look.Horizon = 520;
    look.Seed = 13;
    look.Hull = {0.02f, 0.03f, 0.05f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintShip(canvas, look, {TShipKind::Carrier, 590, 560, 1.0f, true, 0, true, true});
    PaintShip(canvas, look, {TShipKind::Destroyer, 330, 536, 0.45f, true, 0, true, true});
    return canvas;
}

void Story(const TArt &art, const TCanvas &backdrop, int language)
{
    TCanvas canvas = backdrop;
    Scrim(canvas, 0, 470, 200, 1, 0.72f);
    TextColumn(canvas, art, "Story", language, 64, 460, 84, 690, 40);
    Hint(canvas, art, "Story", language, 980, 738, 1);
    Finish(canvas, 71);
    canvas.Save(art.Out("Menu", "Story", language));
}

void Final(const TArt &art, const TCanvas &backdrop, int language)
{
    TCanvas canvas = backdrop;
    Scrim(canvas, 600, W, 200, -1, 0.72f);
    TextColumn(canvas, art, "Final", language, 620, 980, 120, 600, 56);
    Hint(canvas, art, "Final", language, 980, 738, 1);
    Finish(canvas, 73);
    canvas.Save(art.Out("Menu", "Final", language));
}

// The loading screen keeps three places free for the level's pictures and the bar, in these pixels
// of the 1024 x 768 screen: the number at (112, 448)-(368, 576), the title at (384, 448)-(896, 576),
// the bar at (256, 640)-(768, 672).
void Loading(const TArt &art, const TCanvas &backdrop, int language)
{
    TCanvas canvas = backdrop;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float band = SmoothStep(400, 440, float(y)) * 0.6f + SmoothStep(560, 768, float(y)) * 0.35f;
            TColor &c = canvas.at(x, y);
            c = Mix(c, Palette::Night, std::min(band, 0.85f));
            c.a = 1;
        }
    TMask amber(W, H), steel(W, H), well(W, H), letters(W, H);
    FillRect(amber, 0, 439, W, 441);
    FillRect(amber, 0, 591, W, 593);
    FillRect(steel, 0, 444, W, 445);
    FillRect(steel, 0, 587, W, 588);
    FillRect(steel, 376, 462, 377, 562);
    FillPolygon(well, Chamfered(246, 632, 778, 680, 8, 8, 8, 8));
    StrokePolyline(steel, Chamfered(246.5f, 632.5f, 777.5f, 679.5f, 8, 8, 8, 8), 1, true);
    PaintSolid(canvas, well, Palette::Night, 0.6f);
    PaintSolid(canvas, steel, Palette::SteelLight, 0.6f);
    PaintSolid(canvas, amber, Palette::Amber, 0.9f);
    art.Bold.Draw(letters, art.Texts.Get("Loading", "label", language), 512, 718, 12, 6, 0.5f);
    art.Bold.Draw(letters, art.Texts.Get("Loading", "note", language), 40, 44, 10, 3);
    Letters(canvas, letters, Palette::Pale);
    Finish(canvas, 79);
    canvas.Save(art.Out("Menu", "Loading", language));
}

void Wait(const TArt &art, const TCanvas &backdrop, int language)
{
    TCanvas canvas = backdrop;
    TMask title(W, H), note(W, H), rules(W, H);
    const std::string text = art.Texts.Get("Wait", "title", language);
    const float width = art.Title.Width(text, 34, 8);
    art.Title.Draw(title, text, 512, 330, 34, 8, 0.5f);
    art.Regular.Draw(note, art.Texts.Get("Wait", "note", language), 512, 376, 13, 1, 0.5f);
    FillRect(rules, 512 - width / 2 - 150, 312, 512 - width / 2 - 30, 314);
    FillRect(rules, 512 + width / 2 + 30, 312, 512 + width / 2 + 150, 314);
    PaintGlow(canvas, Dilate(title, 6), Palette::Night, 12, 0.6f);
    PaintSolid(canvas, rules, Palette::Amber);
    Letters(canvas, title, Palette::Pale);
    Letters(canvas, note, Palette::SteelLight);
    Finish(canvas, 83);
    canvas.Save(art.Out("Menu", "Wait", language));
}

} // namespace

void DrawScreens(const TArt &art)
{
    const TCanvas story = StoryBackdrop(), final = FinalBackdrop(), loading = LoadingBackdrop(), wait = WaitBackdrop();
    for (int language = 0; language < LanguageCount; ++language) {
        Story(art, story, language);
        Final(art, final, language);
        Loading(art, loading, language);
        Wait(art, wait, language);
    }
}
