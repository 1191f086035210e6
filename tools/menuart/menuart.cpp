// menuart: draws the menu's images: the backdrop and the credits panel with their text in each
// language, the cursor images, the panel, button and field art.
//
//   menuart RECIPE OUTDIR
//
// Recipe lines ("#" starts a comment; texts in UTF-8):
//   title-font FILE | text-font FILE       fonts of the titles and of everything else
//   language NAME                          starts the texts of one language; then:
//     background FILE | credits FILE        the file names written for this language
//     title TEXT | subtitle TEXT | credits-title TEXT | footer TEXT
//     heading TEXT                          a section of the credits, followed by its lines:
//     line TEXT
// The text-free images are written once: Cursor_Main_In.png, Cursor_Main_Out.png, Cursor_Zoom.png,
// Cursor_Rotate.png, Panel.png, Button_In.png, Button_Out.png, Button_Small_In.png,
// Button_Small_Out.png, Field.png.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/Recipe.h"
#include "tools/menuart/Scene.h"
#include "tools/menuart/Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const TColor Lime{0.72f, 0.96f, 0.27f, 1}, Amber{1.0f, 0.80f, 0.30f, 1};

struct TLanguage {
    std::string Name, Background, Credits;
    std::string Title, Subtitle, CreditsTitle, Footer;
    std::vector<std::pair<std::string, std::vector<std::string>>> Sections;   // heading, lines
};

struct TRecipe {
    std::string TitleFont, TextFont;
    std::vector<TLanguage> Languages;
};

TRecipe ReadRecipe(const std::string &path)
{
    TRecipe recipe;
    for (const TRecipeLine &line : ReadRecipeLines(path)) {
        const std::string &key = line.Key, &value = line.Value, &where = line.Where;
        if (key == "title-font" || key == "text-font") {
            (key == "title-font" ? recipe.TitleFont : recipe.TextFont) = value;
            continue;
        }
        if (key == "language") {
            TLanguage language;
            language.Name = value;
            recipe.Languages.push_back(language);
            continue;
        }
        if (recipe.Languages.empty())
            throw std::runtime_error(where + ": \"" + key + "\" before the first language");
        TLanguage &l = recipe.Languages.back();
        if (key == "background")
            l.Background = value;
        else if (key == "credits")
            l.Credits = value;
        else if (key == "title")
            l.Title = value;
        else if (key == "subtitle")
            l.Subtitle = value;
        else if (key == "credits-title")
            l.CreditsTitle = value;
        else if (key == "footer")
            l.Footer = value;
        else if (key == "heading")
            l.Sections.push_back({value, {}});
        else if (key == "line" && !l.Sections.empty())
            l.Sections.back().second.push_back(value);
        else
            throw std::runtime_error(where + ": unknown or misplaced key \"" + key + "\"");
    }
    if (recipe.TitleFont.empty() || recipe.TextFont.empty())
        throw std::runtime_error(path + ": both fonts must be named");
    for (const TLanguage &l : recipe.Languages)
        if (l.Background.empty() || l.Credits.empty() || l.Title.empty())
            throw std::runtime_error(path + ": language \"" + l.Name + "\" needs background, credits and title");
    return recipe;
}

// A screen-sized picture into the 1024 x 1024 texture that is stretched back over the screen.
void SaveScreen(const TCanvas &screen, const std::string &path) { Resample(screen, 1024, 1024).Save(path); }

// Text with its ink centred on (X, Y), its capitals Cap pixels tall or, when it would be wider than
// MaxWidth, smaller down to three quarters of that; throws when even that is too wide.
void PaintText(TCanvas &canvas, const TFont &font, const std::string &text, int cap, float x, float y, TColor color,
               int maxWidth)
{
    const int margin = 4;
    TMask mask = font.Render(text, cap, 1, margin);
    for (int smaller = cap - 1; mask.w - 2 * margin > maxWidth && smaller * 4 >= cap * 3; --smaller)
        mask = font.Render(text, smaller, 1, margin);
    if (mask.w - 2 * margin > maxWidth)
        throw std::runtime_error("The text \"" + text + "\" is too wide for its image");
    const int left = int(std::lround(x - mask.w / 2.0f)), top = int(std::lround(y - mask.h / 2.0f));
    canvas.Paint(Blur(Dilate(mask, 2), 2), left + 2, top + 2, [](int, int) { return TColor{0, 0, 0, 0.9f}; });
    canvas.Paint(mask, left, top, [&](int, int) { return color; });
}

// ---- Cursor images: 1024 x 1024, the hot spot at the centre, one texel per pixel at 1024 x 768 ----

constexpr int CursorSize = 1024;
constexpr float C = CursorSize / 2.0f;

TCanvas MainCursor(TColor color, bool lit)
{
    TCanvas canvas(CursorSize, CursorSize);
    // Hairlines across the screen, fading with distance.
    const TMask hair = Stroke(CursorSize, CursorSize, [](float x, float y) {
        const float dx = std::abs(x - C), dy = std::abs(y - C);
        const float h = dx > 30 ? dy : 1e9f, v = dy > 30 ? dx : 1e9f;
        return std::min(h, v);
    }, 0.5f);
    canvas.Paint(hair, 0, 0, [&](int x, int y) {
        const float d = std::max(std::abs(x - C), std::abs(y - C));
        return TColor{color.r, color.g, color.b, (lit ? 0.45f : 0.28f) * Clamp01(1 - (d - 30) / 480)};
    });
    // The reticle: a ring, a dot and four ticks.
    const TMask reticle = Stroke(CursorSize, CursorSize, [](float x, float y) {
        const float r = std::hypot(x - C, y - C);
        float d = std::abs(r - 11);
        d = std::min(d, r - 1.5f);
        const std::pair<TPt, TPt> ticks[] = {{{C - 26, C}, {C - 16, C}}, {{C + 16, C}, {C + 26, C}},
                                             {{C, C - 26}, {C, C - 16}}, {{C, C + 16}, {C, C + 26}}};
        for (const auto &[a, b] : ticks)
            d = std::min(d, SegmentDistance(x, y, a, b));
        return d;
    }, 1.0f);
    canvas.Paint(Blur(Dilate(reticle, 2), 2), 0, 0, [](int, int) { return TColor{0, 0, 0, 0.6f}; });
    if (lit) {
        const TMask disc = Fill(CursorSize, CursorSize, [](float x, float y) { return std::hypot(x - C, y - C) - 10; });
        canvas.Paint(disc, 0, 0, [&](int, int) { return TColor{color.r, color.g, color.b, 0.25f}; });
        canvas.Paint(Blur(reticle, 3), 0, 0, [&](int, int) { return color; }, 0.8f);
    }
    canvas.Paint(reticle, 0, 0, [&](int, int) { return color; });
    return canvas;
}

TCanvas ZoomCursor()
{
    TCanvas canvas(CursorSize, CursorSize);
    const float r = 40, arm = 14;
    const TMask brackets = Stroke(CursorSize, CursorSize, [&](float x, float y) {
        float d = 1e9f;
        for (const float sx : {-1.0f, 1.0f})
            for (const float sy : {-1.0f, 1.0f}) {
                const TPt corner{C + sx * r, C + sy * r};
                d = std::min(d, SegmentDistance(x, y, corner, {corner.x - sx * arm, corner.y}));
                d = std::min(d, SegmentDistance(x, y, corner, {corner.x, corner.y - sy * arm}));
            }
        return d;
    }, 1.0f);
    canvas.Paint(Blur(Dilate(brackets, 2), 2), 0, 0, [](int, int) { return TColor{0, 0, 0, 0.5f}; });
    canvas.Paint(brackets, 0, 0, [](int, int) { return TColor{0.72f, 0.96f, 0.27f, 0.85f}; });
    return canvas;
}

TCanvas RotateCursor()
{
    TCanvas canvas(CursorSize, CursorSize);
    // Twelve dashes on a ring and three arrowheads pointing in.
    const TMask ring = Stroke(CursorSize, CursorSize, [&](float x, float y) {
        const float r = std::hypot(x - C, y - C), a = std::atan2(y - C, x - C);
        const float slot = std::fmod(a + 2 * Pi, 2 * Pi / 12) / (2 * Pi / 12);
        return slot < 0.62f ? std::abs(r - 60) : 1e9f;
    }, 0.9f);
    canvas.Paint(ring, 0, 0, [](int, int) { return TColor{0.72f, 0.96f, 0.27f, 0.55f}; });
    for (int k = 0; k < 3; ++k) {
        const float a = k * 2 * Pi / 3 - Pi / 2;
        const TPt tip{C + 66 * std::cos(a), C + 66 * std::sin(a)};
        const TPt l{C + 78 * std::cos(a - 0.09f), C + 78 * std::sin(a - 0.09f)};
        const TPt rr{C + 78 * std::cos(a + 0.09f), C + 78 * std::sin(a + 0.09f)};
        canvas.Paint(FillPolygon(CursorSize, CursorSize, {tip, l, rr}), 0, 0, [](int, int) { return TColor{1.0f, 0.80f, 0.30f, 0.8f}; });
    }
    return canvas;
}

// ---- Panels, buttons and fields -----------------------------------------------------------------

// A plate with cut corners: a glassy fill darker at the bottom, a bright rim and an inner line.
TCanvas Plate(int w, int h, float cut, TColor fillTop, TColor fillBottom, TColor rim, float rimWidth, bool glow)
{
    TCanvas canvas(w, h);
    const float cx = w / 2.0f, cy = h / 2.0f, hx = w / 2.0f - 2, hy = h / 2.0f - 2;
    auto shape = [&](float x, float y) { return CutBoxDistance(x, y, cx, cy, hx, hy, cut); };
    canvas.Paint(Fill(w, h, shape), 0, 0, [&](int, int y) { return Mix(fillTop, fillBottom, float(y) / h); });
    // A sheen across the upper half.
    canvas.Paint(Fill(w, h, [&](float x, float y) { return std::max(shape(x, y) + 4, y - h * 0.45f); }), 0, 0,
                 [&](int, int y) { return TColor{1, 1, 1, 0.07f * (1 - float(y) / (h * 0.45f))}; });
    const TMask edge = Stroke(w, h, [&](float x, float y) { return std::abs(shape(x, y) + rimWidth); }, rimWidth);
    if (glow)
        canvas.Paint(Blur(edge, 4), 0, 0, [&](int, int) { return rim; }, 0.7f);
    canvas.Paint(edge, 0, 0, [&](int, int) { return rim; });
    const TMask inner = Stroke(w, h, [&](float x, float y) { return std::abs(shape(x, y) + rimWidth * 2 + 4); }, 0.6f);
    canvas.Paint(inner, 0, 0, [&](int, int) { return TColor{rim.r, rim.g, rim.b, 0.22f}; });
    return canvas;
}

// ---- Credits: an 830 x 630 picture in the top-left of a 1024 x 1024 texture --------------------

void DrawCredits(const TLanguage &l, const TFont &titleFont, const TFont &textFont, const std::string &path)
{
    const int w = 830, h = 630;
    TCanvas picture = Plate(w, h, 26, TColor{0.03f, 0.08f, 0.10f, 0.94f}, TColor{0.01f, 0.03f, 0.05f, 0.96f},
                            TColor{0.72f, 0.96f, 0.27f, 0.9f}, 2.5f, false);
    PaintText(picture, titleFont, l.CreditsTitle, 30, w / 2.0f, 52, TColor{0.88f, 0.95f, 1.0f, 1}, w - 60);
    if (!l.Footer.empty())
        PaintText(picture, titleFont, l.Footer, 22, w / 2.0f, h - 50, TColor{0.88f, 0.95f, 1.0f, 1}, w - 60);
    // The sections share the room between title and footer evenly, a gap between sections.
    int rows = 0, gaps = 0;
    for (const auto &section : l.Sections) {
        rows += 1 + int(section.second.size());
        ++gaps;
    }
    const float first = 112, last = h - 100.0f;
    const float step = std::min(34.0f, (last - first) / std::max(1.0f, rows - 1 + 0.5f * (gaps - 1)));
    float y = first;
    for (const auto &[heading, lines] : l.Sections) {
        PaintText(picture, textFont, heading, 19, w / 2.0f, y, Amber, w - 60);
        for (const std::string &line : lines)
            PaintText(picture, textFont, line, 19, w / 2.0f, y += step, Lime, w - 60);
        y += step * 1.5f;
    }
    TCanvas texture(1024, 1024);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px)
            texture.at(px, py) = picture.at(px, py);
    texture.Save(path);
}

void DrawLanguage(const TLanguage &l, const TCanvas &scene, const TFont &titleFont, const TFont &textFont,
                  const std::string &dir)
{
    TCanvas background = scene;
    DrawTitle(background, titleFont, textFont, l.Title, l.Subtitle, 16);
    SaveScreen(background, dir + "/" + l.Background);

    DrawCredits(l, titleFont, textFont, dir + "/" + l.Credits);
}

void DrawShared(const std::string &dir)
{
    MainCursor(Lime, false).Save(dir + "/Cursor_Main_Out.png");
    MainCursor(Amber, true).Save(dir + "/Cursor_Main_In.png");
    ZoomCursor().Save(dir + "/Cursor_Zoom.png");
    RotateCursor().Save(dir + "/Cursor_Rotate.png");

    const TColor glassTop{0.05f, 0.12f, 0.13f, 0.82f}, glassBottom{0.01f, 0.04f, 0.06f, 0.86f};
    Plate(128, 128, 14, glassTop, glassBottom, TColor{0.72f, 0.96f, 0.27f, 0.85f}, 1.5f, false).Save(dir + "/Panel.png");
    Plate(512, 64, 16, TColor{0.08f, 0.17f, 0.15f, 0.90f}, TColor{0.02f, 0.07f, 0.07f, 0.92f},
          TColor{0.55f, 0.78f, 0.30f, 0.75f}, 2.0f, false).Save(dir + "/Button_Out.png");
    Plate(512, 64, 16, TColor{0.30f, 0.36f, 0.10f, 0.95f}, TColor{0.10f, 0.15f, 0.04f, 0.95f}, Amber, 2.5f, true)
        .Save(dir + "/Button_In.png");
    Plate(64, 64, 12, TColor{0.08f, 0.17f, 0.15f, 0.90f}, TColor{0.02f, 0.07f, 0.07f, 0.92f},
          TColor{0.55f, 0.78f, 0.30f, 0.75f}, 2.0f, false).Save(dir + "/Button_Small_Out.png");
    Plate(64, 64, 12, TColor{0.30f, 0.36f, 0.10f, 0.95f}, TColor{0.10f, 0.15f, 0.04f, 0.95f}, Amber, 2.5f, true)
        .Save(dir + "/Button_Small_In.png");
    Plate(512, 64, 6, TColor{0.0f, 0.02f, 0.03f, 0.92f}, TColor{0.02f, 0.05f, 0.06f, 0.92f},
          TColor{0.30f, 0.48f, 0.36f, 0.85f}, 1.5f, false).Save(dir + "/Field.png");
}

} // namespace

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    const bool help = argc == 2 && (first == "--help" || first == "-help");
    if (argc != 3 || help) {
        std::fputs("usage: menuart RECIPE OUTDIR\n"
                   "Draws the menu images: per language the backdrop and credits named in RECIPE,\n"
                   "and the cursors, panel, buttons and field shared by all languages, into OUTDIR as PNG.\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    try {
        const TRecipe recipe = ReadRecipe(argv[1]);
        const TFont titleFont(recipe.TitleFont), textFont(recipe.TextFont);
        const TCanvas scene = DrawScene();
        for (const TLanguage &l : recipe.Languages)
            DrawLanguage(l, scene, titleFont, textFont, argv[2]);
        DrawShared(argv[2]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "menuart: %s\n", e.what());
        return 1;
    }
    return 0;
}
