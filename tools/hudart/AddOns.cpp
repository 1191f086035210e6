// The pictures of an add-on map set, named after its texts file: for "Reef.txt" the main page's
// button "Menu\Reef\Button_In.png" / "Button_Out.png", the first and last screens "Menu\Reef\First.png"
// and "Last.png", and the loading pictures "Maps\Reef1_number.png", "Reef1_text.png" and
// "Reef1_text_rus.png" of each of its missions. A ".mod" file names one picture for the story and one
// for the end, whatever the language, so both screens carry both languages side by side.

#include "tools/hudart/Art.h"
#include "tools/hudart/Scene.h"

#include "tools/imagegen/Noise.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int W = 1024, H = 768;
constexpr int BigPeriod = 1 << 16;

constexpr TColor Coral{0.96f, 0.46f, 0.36f, 1};
constexpr TColor CoralLight{1.00f, 0.72f, 0.52f, 1};
constexpr TColor Lagoon{0.36f, 0.86f, 0.80f, 1};

// ---- The screens' scenery ----------------------------------------------------------------------

// Shallows over the reef: pale turquoise patches on the sea, laid out on the same perspective as
// its waves and fading out towards the horizon and the foreground.
void PaintShallows(TCanvas &canvas, const TSkyLook &look, float strength)
{
    for (int py = int(look.Horizon) + 1; py < canvas.h; ++py)
        for (int px = 0; px < canvas.w; ++px) {
            const float dy = float(py) - look.Horizon + 0.5f;
            const float u = (float(px) - float(canvas.w) / 2) / dy * 22, v = 2600 / dy;
            const float n = FractalNoise(u * 0.035f + 31, v * 0.09f, BigPeriod, 4, 0.5f, look.Seed + 41);
            const float patch = SmoothStep(0.56f, 0.68f, n) * SmoothStep(2, 30, dy) * (1 - SmoothStep(120, 330, dy));
            if (patch <= 0)
                continue;
            TColor &c = canvas.at(px, py);
            c = Mix(c, Mix(Lagoon, look.Sun, 0.15f), patch * strength);
            c.a = 1;
        }
}

// A low coral island on the horizon between X0 and X1: a sandy rim at the water, a dark crown of
// trees above it, and palms standing out of the crown at the given places.
void PaintIslet(TCanvas &canvas, const TSkyLook &look, float x0, float x1, float height, const std::vector<float> &palms,
                std::uint32_t seed)
{
    const float y0 = look.Horizon + 0.5f;
    std::vector<TPoint> crown = {{x0, y0}};
    for (float x = x0; x <= x1; x += 2) {
        const float t = (x - x0) / (x1 - x0);
        const float rise = std::pow(std::sin(t * Pi), 0.45f) * height;
        const float ragged = 0.75f + 0.5f * FractalNoise(x * 0.08f, 3.0f, BigPeriod, 3, 0.6f, seed);
        crown.push_back({x, y0 - rise * ragged});
    }
    crown.push_back({x1, y0});
    TMask body(canvas.w, canvas.h), sand(canvas.w, canvas.h), trees(canvas.w, canvas.h);
    FillPolygon(body, crown);
    FillRect(sand, x0 - 6, y0 - 2.5f, x1 + 6, y0 + 0.5f);
    for (const float at : palms) {
        // A leaning trunk and a head of drooping fronds.
        const float top = y0 - height * 2.1f, lean = (at < (x0 + x1) / 2 ? -1.0f : 1.0f) * height * 0.35f;
        const TPoint crownAt{at + lean, top};
        StrokeLine(trees, {at, y0 - height * 0.5f}, {at + lean * 0.4f, y0 - height * 1.4f}, 2.0f);
        StrokeLine(trees, {at + lean * 0.4f, y0 - height * 1.4f}, crownAt, 1.6f);
        for (int k = 0; k < 7; ++k) {
            const float a = Pi * (0.08f + 0.84f * float(k) / 6);
            const float reach = height * (0.75f + 0.25f * Unit24(HashInt(k, seed)));
            const TPoint mid{crownAt.x + std::cos(a) * reach * 0.6f, crownAt.y - std::sin(a) * reach * 0.35f};
            const TPoint end{crownAt.x + std::cos(a) * reach, crownAt.y + reach * 0.25f};
            StrokeLine(trees, crownAt, mid, 1.5f);
            StrokeLine(trees, mid, end, 1.1f);
        }
    }
    const TColor dark = Mix(look.Hull, {0.05f, 0.16f, 0.08f, 1}, 0.5f);
    PaintSolid(canvas, Union(body, trees), dark);
    PaintSolid(canvas, Subtract(Union(body, trees), Shifted(Union(body, trees), look.SunAt.x < x0 ? 1 : -1, 1)),
               Mix(look.Sun, {1, 1, 1, 1}, 0.3f), 0.35f);
    PaintSolid(canvas, sand, Mix({0.90f, 0.82f, 0.62f, 1}, look.Sun, 0.25f), 0.85f);
}

// Morning over the reefs: the trawlers off an atoll, a raider gunship running in on them and the
// Zephrona diving to meet it.
TCanvas FirstBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.06f, 0.14f, 0.32f, 1}}, {0.5f, {0.26f, 0.46f, 0.68f, 1}}, {0.85f, {0.72f, 0.74f, 0.70f, 1}},
                {1.0f, {0.98f, 0.84f, 0.62f, 1}}};
    look.SeaFar = {0.34f, 0.60f, 0.62f, 1};
    look.SeaNear = {0.02f, 0.13f, 0.19f, 1};
    look.Sun = {1.0f, 0.84f, 0.58f, 1};
    look.SunAt = {170, 292};
    look.SunRadius = 15;
    look.GlowRadius = 100;
    look.Glow = 0.7f;
    look.Glitter = 0.7f;
    look.CloudLit = {1.0f, 0.92f, 0.80f, 1};
    look.CloudDark = {0.42f, 0.50f, 0.62f, 1};
    look.CloudCover = 0.5f;
    look.Horizon = 336;
    look.Seed = 17;
    look.Hull = {0.06f, 0.09f, 0.13f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintShallows(canvas, look, 0.45f);
    PaintIslet(canvas, look, 560, 780, 9, {600, 655, 742}, 3);
    PaintIslet(canvas, look, 850, 905, 5, {880}, 5);
    PaintIslet(canvas, look, 30, 150, 6, {70}, 7);
    PaintShip(canvas, look, {TShipKind::Cargo, 640, 345, 0.26f, true, 0, false, false});
    PaintShip(canvas, look, {TShipKind::Cargo, 790, 349, 0.3f, false, 0, false, false});
    PaintShip(canvas, look, {TShipKind::Destroyer, 250, 372, 0.55f, false, 0, true, false});
    PaintJet(canvas, look, {{820, 170}, 78, Pi + 0.32f, true});
    return canvas;
}

// Dusk after the chase: the Moray sinks in flames, the Rampart steams home and the Zephrona climbs away.
TCanvas LastBackdrop()
{
    TSkyLook look;
    look.Sky = {{0.0f, {0.05f, 0.05f, 0.16f, 1}}, {0.5f, {0.28f, 0.16f, 0.30f, 1}}, {0.85f, {0.90f, 0.42f, 0.26f, 1}},
                {1.0f, {1.0f, 0.66f, 0.34f, 1}}};
    look.SeaFar = {0.42f, 0.34f, 0.34f, 1};
    look.SeaNear = {0.02f, 0.06f, 0.10f, 1};
    look.Sun = {1.0f, 0.56f, 0.26f, 1};
    look.SunAt = {800, 318};
    look.SunRadius = 22;
    look.GlowRadius = 125;
    look.Glow = 0.9f;
    look.CloudLit = {1.0f, 0.60f, 0.38f, 1};
    look.CloudDark = {0.24f, 0.12f, 0.22f, 1};
    look.CloudCover = 0.45f;
    look.Horizon = 330;
    look.Seed = 19;
    look.Hull = {0.05f, 0.04f, 0.07f, 1};
    TCanvas canvas(W, H);
    PaintSeascape(canvas, look);
    PaintShallows(canvas, look, 0.25f);
    PaintIslet(canvas, look, 640, 760, 6, {675, 730}, 11);
    PaintShip(canvas, look, {TShipKind::Carrier, 30, 338, 0.34f, false, 0, true, true});
    PaintFire(canvas, look, {472, 334}, 8, 61);
    PaintShip(canvas, look, {TShipKind::Destroyer, 420, 346, 0.78f, true, 13, false, false});
    PaintFire(canvas, look, {455, 318}, 6, 67);
    PaintFire(canvas, look, {520, 330}, 4, 71);
    PaintJet(canvas, look, {{300, 140}, 64, Pi * 0.82f, true});
    return canvas;
}

// ---- The screens' words ------------------------------------------------------------------------

void Letters(TCanvas &canvas, const TMask &mask, TColor color, float glow = 0.8f)
{
    PaintGlow(canvas, Dilate(mask, 1), Palette::Night, 2, glow);
    PaintSolid(canvas, mask, color);
}

// Darkens the sea under the two text columns, and a little of the sky behind the title.
void Scrims(TCanvas &canvas)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float fy = float(y) + 0.5f;
            const float amount = SmoothStep(372, 452, fy) * 0.8f + SmoothStep(190, 20, fy) * 0.35f;
            if (amount <= 0)
                continue;
            TColor &c = canvas.at(x, y);
            c = Mix(c, Palette::Night, amount);
            c.a = 1;
        }
}

constexpr float ColumnLeft[LanguageCount] = {60, 540}, ColumnWidth = 424;
constexpr float ColumnTop = 474, ColumnBottom = 712;

// One screen: the title in both languages over the scene, then an English and a Russian column,
// each with its subtitle and paragraphs, all paragraphs at one size, the largest that fits both.
void Screen(const TArt &art, const TTexts &texts, const std::string &section, TCanvas canvas, const std::string &path,
            std::uint32_t seed)
{
    Scrims(canvas);
    TMask title(W, H), subtitle(W, H), body(W, H), rules(W, H), hint(W, H), russianTitle(W, H);
    const std::string english = texts.Get(section, "title", 0), russian = texts.Get(section, "title", 1);
    const float cap = art.Title.Fit(english, 52, 860, 4);
    art.Title.Draw(title, english, 512, 96, cap, 4, 0.5f);
    art.Bold.Draw(russianTitle, russian, 512, 138, 18, 5, 0.5f);
    // Rules beside the title, as long as the room beside it allows.
    const float titleWidth = art.Title.Width(english, cap, 4);
    const float rule = std::min(104.0f, (W - titleWidth) / 2 - 26 - 40);
    if (rule >= 24) {
        FillRect(rules, 512 - titleWidth / 2 - 26 - rule, 76, 512 - titleWidth / 2 - 26, 78);
        FillRect(rules, 512 + titleWidth / 2 + 26, 76, 512 + titleWidth / 2 + 26 + rule, 78);
    }

    for (int language = 0; language < LanguageCount; ++language) {
        const float x0 = ColumnLeft[language];
        art.Bold.Draw(subtitle, texts.Get(section, "subtitle", language), x0, ColumnTop, 11, 3);
        FillRect(rules, x0, ColumnTop + 12, x0 + 180, ColumnTop + 14);
    }
    FillRect(rules, 511, ColumnTop - 14, 513, ColumnBottom, 0.45f);

    const float start = ColumnTop + 46;
    float size = 15;
    for (; size > 10; size -= 0.5f) {
        bool fits = true;
        for (int language = 0; language < LanguageCount && fits; ++language) {
            float y = start;
            for (const std::string &paragraph : texts.All(section, "text", language))
                y += float(art.Regular.Wrap(paragraph, size, ColumnWidth).size()) * size * 1.8f + size * 0.9f;
            fits = y - size * 2.7f <= ColumnBottom;
        }
        if (fits)
            break;
    }
    for (int language = 0; language < LanguageCount; ++language) {
        float y = start;
        for (const std::string &paragraph : texts.All(section, "text", language)) {
            for (const std::string &line : art.Regular.Wrap(paragraph, size, ColumnWidth)) {
                art.Regular.Draw(body, line, ColumnLeft[language], y, size);
                y += size * 1.8f;
            }
            y += size * 0.9f;
        }
    }
    art.Bold.Draw(hint, texts.Get(section, "hint", 0) + "   /   " + texts.Get(section, "hint", 1), 512, 748, 10, 3, 0.5f);

    PaintGlow(canvas, Dilate(title, 5), Palette::Night, 10, 0.55f);
    Letters(canvas, title, Palette::AmberLight, 0.9f);
    Letters(canvas, russianTitle, Palette::Pale);
    PaintSolid(canvas, rules, Palette::Amber);
    Letters(canvas, subtitle, CoralLight);
    Letters(canvas, body, Palette::Pale, 0.7f);
    Letters(canvas, hint, Palette::Amber);
    Finish(canvas, seed);
    canvas.Save(path);
}

// ---- The main page's button --------------------------------------------------------------------

// A curved stroke from A to B bending towards C, its width going from W0 to W1, with a round end.
void Bend(TMask &mask, TPoint a, TPoint c, TPoint b, float w0, float w1)
{
    TPoint from = a;
    for (int k = 1; k <= 10; ++k) {
        const float t = float(k) / 10, u = 1 - t;
        const TPoint to{u * u * a.x + 2 * u * t * c.x + t * t * b.x, u * u * a.y + 2 * u * t * c.y + t * t * b.y};
        StrokeLine(mask, from, to, Mix(w0, w1, t));
        from = to;
    }
    FillCircle(mask, b, w1 * 0.75f);
}

// A fan of coral growing up from (X, Bottom), Size pixels high, leaning to the side Lean (-1, 1).
void CoralBranch(TMask &mask, float x, float bottom, float size, float lean)
{
    const float s = size, l = lean;
    auto at = [&](float dx, float up) { return TPoint{x + l * dx * s, bottom - up * s}; };
    Bend(mask, at(0, 0), at(0.05f, 0.5f), at(0.12f, 1.0f), s * 0.13f, s * 0.07f);
    Bend(mask, at(0.02f, 0.3f), at(-0.3f, 0.4f), at(-0.36f, 0.82f), s * 0.09f, s * 0.06f);
    Bend(mask, at(-0.2f, 0.5f), at(-0.14f, 0.62f), at(-0.12f, 0.74f), s * 0.06f, s * 0.05f);
    Bend(mask, at(0.06f, 0.45f), at(0.36f, 0.5f), at(0.42f, 0.78f), s * 0.08f, s * 0.06f);
    Bend(mask, at(0.37f, 0.6f), at(0.3f, 0.74f), at(0.22f, 0.86f), s * 0.05f, s * 0.045f);
}

// The canvas stretched across to Width columns (straight alpha, blended as premultiplied, so that
// the clear surround does not darken the edges it meets).
TCanvas StretchAcross(const TCanvas &from, int width)
{
    TCanvas to(width, from.h);
    for (int y = 0; y < from.h; ++y)
        for (int x = 0; x < width; ++x) {
            const float sx = (float(x) + 0.5f) * float(from.w) / float(width) - 0.5f;
            const int x0 = std::clamp(int(std::floor(sx)), 0, from.w - 1), x1 = std::min(x0 + 1, from.w - 1);
            const float t = std::clamp(sx - float(x0), 0.0f, 1.0f);
            const TColor &a = from.px[std::size_t(y) * from.w + x0], &b = from.px[std::size_t(y) * from.w + x1];
            const float alpha = a.a * (1 - t) + b.a * t;
            TColor c{0, 0, 0, alpha};
            if (alpha > 0) {
                c.r = (a.r * a.a * (1 - t) + b.r * b.a * t) / alpha;
                c.g = (a.g * a.a * (1 - t) + b.g * b.a * t) / alpha;
                c.b = (a.b * a.a * (1 - t) + b.b * b.a * t) / alpha;
            }
            to.at(x, y) = c;
        }
    return to;
}

// The set's button on the main page, plain or under the cursor. The page shows it 240 x 40 with the
// set's name written over its middle, so the middle stays dark and plain; the picture is drawn at
// that shape, 384 x 64, and stretched to a 512 x 64 texture.
void Button(const TArt &art, const std::string &folder, bool lit)
{
    constexpr int BW = 384, BH = 64;
    TCanvas canvas(BW, BH);
    TMask slab(BW, BH), rim(BW, BH), shine(BW, BH), coral(BW, BH), waves(BW, BH);
    FillPolygon(slab, Chamfered(4, 6, BW - 4, BH - 6, 14, 0, 14, 0));
    StrokePolyline(rim, Chamfered(4.5f, 6.5f, BW - 4.5f, BH - 6.5f, 14, 0, 14, 0), lit ? 2.6f : 1.6f, true);
    StrokeLine(shine, {22, 11}, {BW - 10, 11}, 1, 0.5f);
    CoralBranch(coral, 30, 53, 36, 1);
    CoralBranch(coral, 46, 53, 22, -1);
    CoralBranch(coral, BW - 30, 53, 36, -1);
    CoralBranch(coral, BW - 46, 53, 22, 1);
    for (const float x : {22.0f, BW - 62.0f}) {
        StrokeArc(waves, {x + 7, 56}, 7, 1.2f, 0.2f, Pi - 0.2f);
        StrokeArc(waves, {x + 24, 56}, 7, 1.2f, 0.2f, Pi - 0.2f);
        StrokeArc(waves, {x + 41, 56}, 7, 1.2f, 0.2f, Pi - 0.2f);
    }
    if (lit)
        PaintGlow(canvas, rim, Coral, 4, 0.9f);
    canvas.Paint(slab, 0, 0, [&](int x, int y) {
        const TColor top = lit ? TColor{0.10f, 0.34f, 0.38f, 1} : TColor{0.04f, 0.17f, 0.21f, 1};
        const TColor bottom = lit ? TColor{0.03f, 0.12f, 0.16f, 1} : TColor{0.01f, 0.05f, 0.08f, 1};
        // A little lighter towards the ends, where the coral grows.
        const float ends = SmoothStep(110, 20, std::min(float(x), float(BW - x)));
        return WithAlpha(Mix(Mix(top, bottom, float(y) / BH), Lagoon, ends * (lit ? 0.22f : 0.12f)), 0.92f);
    });
    PaintSolid(canvas, shine, Palette::Pale, lit ? 0.5f : 0.25f);
    PaintSolid(canvas, waves, Lagoon, lit ? 0.9f : 0.6f);
    if (lit)
        PaintGlow(canvas, coral, Coral, 3, 0.8f);
    PaintShadow(canvas, coral, 0.5f, 1, 1);
    PaintSolid(canvas, coral, lit ? CoralLight : Coral);
    PaintSolid(canvas, rim, lit ? CoralLight : Coral, lit ? 1.0f : 0.8f);
    ClearEdges(canvas, 3);
    StretchAcross(canvas, 512).Save(art.Out("Menu/" + folder, lit ? "Button_In" : "Button_Out"));
}

} // namespace

TAddOnSet::TAddOnSet(const std::string &path) : Texts(path), Name(std::filesystem::path(path).stem().string())
{
    const std::vector<std::string> titles[LanguageCount] = {Texts.All("Levels", "title", 0), Texts.All("Levels", "title", 1)};
    const std::vector<std::string> lines[LanguageCount] = {Texts.All("Levels", "line", 0), Texts.All("Levels", "line", 1)};
    if (titles[0].empty() || lines[0].size() != titles[0].size())
        throw std::runtime_error(path + ": [Levels] needs a \"title\" and a \"line\" for each mission");
    for (std::size_t i = 0; i < titles[0].size(); ++i) {
        TLevel level;
        level.Number = int(i) + 1;
        for (int language = 0; language < LanguageCount; ++language) {
            level.Title[language] = titles[language][i];
            level.Line[language] = lines[language][i];
        }
        Levels.push_back(level);
    }
    // Every word the screens need, asked for now: a missing one is reported before anything is drawn.
    for (const char *section : {"First", "Last"}) {
        for (const char *key : {"title", "subtitle", "hint"})
            Texts.Get(section, key, 0);
        if (Texts.All(section, "text", 0).empty())
            throw std::runtime_error(path + ": [" + section + "] needs at least one \"text\"");
    }
}

void DrawAddOnSet(const TArt &art, const TAddOnSet &set)
{
    Button(art, set.Name, false);
    Button(art, set.Name, true);
    Screen(art, set.Texts, "First", FirstBackdrop(), art.Out("Menu/" + set.Name, "First"), 89);
    Screen(art, set.Texts, "Last", LastBackdrop(), art.Out("Menu/" + set.Name, "Last"), 97);
    for (const TLevel &level : set.Levels)
        DrawLevelPictures(art, set.Name + std::to_string(level.Number), level, int(set.Levels.size()));
}
