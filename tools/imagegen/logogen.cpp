// logogen: draws the game's title logos from a recipe.
//
//   logogen RECIPE OUTDIR
//
// Recipe lines ("#" starts a comment):
//   size W H                       canvas size in pixels
//   title-font FILE                font of the title
//   subtitle-font FILE             font of the subtitle
//   image NAME | TITLE | SUBTITLE  one logo, written to OUTDIR/NAME (texts in UTF-8)

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"
#include "tools/imagegen/Recipe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TLogo {
    std::string Name, Title, Subtitle;
};

struct TRecipe {
    int Width = 1024, Height = 128;
    std::string TitleFont, SubtitleFont;
    std::vector<TLogo> Logos;
};

TRecipe ReadRecipe(const std::string &path)
{
    TRecipe recipe;
    for (const TRecipeLine &line : ReadRecipeLines(path)) {
        if (line.Key == "size") {
            std::istringstream(line.Value) >> recipe.Width >> recipe.Height;
        } else if (line.Key == "title-font") {
            recipe.TitleFont = line.Value;
        } else if (line.Key == "subtitle-font") {
            recipe.SubtitleFont = line.Value;
        } else if (line.Key == "image") {
            TLogo logo;
            std::istringstream parts(line.Value);
            std::getline(parts, logo.Name, '|');
            std::getline(parts, logo.Title, '|');
            std::getline(parts, logo.Subtitle, '|');
            logo.Name = Trim(logo.Name);
            logo.Title = Trim(logo.Title);
            logo.Subtitle = Trim(logo.Subtitle);
            if (logo.Name.empty() || logo.Title.empty())
                throw std::runtime_error(line.Where + ": an image needs a name and a title");
            recipe.Logos.push_back(logo);
        } else {
            throw std::runtime_error(line.Where + ": unknown key \"" + line.Key + "\"");
        }
    }
    if (recipe.Width < 64 || recipe.Height < 16 || recipe.Width > 8192 || recipe.Height > 8192)
        throw std::runtime_error(path + ": the size must be between 64 x 16 and 8192 x 8192");
    return recipe;
}

// Slants a mask to the right by Slope pixels per pixel of height, for a sense of speed.
TMask Slant(const TMask &mask, float slope)
{
    const int extra = int(std::ceil(mask.h * slope));
    TMask out(mask.w + extra, mask.h);
    for (int y = 0; y < mask.h; ++y) {
        const float shift = (mask.h - 1 - y) * slope;
        const int whole = int(shift);
        const float frac = shift - whole;
        for (int x = 0; x < out.w; ++x)
            out.at(x, y) = mask.get(x - whole, y) * (1 - frac) + mask.get(x - whole - 1, y) * frac;
    }
    return out;
}

void DrawLogo(const TRecipe &recipe, const TLogo &logo, const TFont &titleFont, const TFont &subFont, const std::string &path)
{
    const int W = recipe.Width, H = recipe.Height;
    const float unit = H / 128.0f;
    TCanvas canvas(W, H);

    const int titleCap = int(std::lround(60 * unit)), margin = int(std::lround(14 * unit));
    TMask title = Slant(titleFont.Render(logo.Title, titleCap, int(std::lround(6 * unit)), margin), 0.22f);
    // Shrink nothing: a title too wide for the canvas is an error in the recipe, not a surprise on screen.
    if (title.w > W)
        throw std::runtime_error("The title \"" + logo.Title + "\" is too wide for the logo");
    const int tx = (W - title.w) / 2, ty = int(std::lround(2 * unit));
    const int inkTop = ty + margin, inkBottom = ty + title.h - margin;

    // Speed streaks behind the title: thin amber lines fading out towards both ends.
    TMask streak(W, H);
    for (int band = 0; band < 3; ++band) {
        const int y0 = inkTop + int((0.30f + 0.17f * band) * (inkBottom - inkTop));
        const float thick = (band == 1 ? 3.0f : 1.5f) * unit;
        for (int y = int(y0 - thick); y <= int(y0 + thick); ++y)
            for (int x = 0; x < W; ++x) {
                if (y < 0 || y >= H)
                    continue;
                const float across = 1 - std::abs(y - y0) / (thick + 0.5f);
                const float along = 1 - std::abs(x - W * 0.5f) / (W * 0.5f);
                streak.at(x, y) = std::max(streak.at(x, y), Clamp01(across) * along * along);
            }
    }
    canvas.Paint(Blur(streak, int(std::max(1.0f, unit))), 0, 0, [](int, int) { return TColor{1.0f, 0.62f, 0.15f, 0.9f}; });

    const TMask outline = Dilate(title, int(std::lround(4 * unit)));
    canvas.Paint(Blur(outline, int(std::lround(7 * unit))), tx, ty, [](int, int) { return TColor{0.15f, 0.55f, 1.0f, 1.0f}; }, 0.9f);
    canvas.Paint(outline, tx, ty, [](int, int) { return TColor{0.02f, 0.05f, 0.12f, 1.0f}; });
    canvas.Paint(title, tx, ty, [&](int, int y) {
        return ChromeRamp(Clamp01(float(y - inkTop) / float(std::max(1, inkBottom - inkTop))));
    });

    if (!logo.Subtitle.empty()) {
        const int subCap = int(std::lround(15 * unit)), subMargin = int(std::lround(4 * unit));
        const TMask sub = subFont.Render(logo.Subtitle, subCap, int(std::lround(9 * unit)), subMargin);
        const int sx = (W - sub.w) / 2, sy = H - sub.h - int(std::lround(1 * unit));
        // Rules either side of the subtitle.
        TMask rules(W, H);
        const int ry = sy + sub.h / 2, gap = int(std::lround(14 * unit)), length = int(std::lround(170 * unit));
        for (int x = 0; x < length; ++x) {
            const float fade = 1 - float(x) / float(length);
            for (int t = 0; t < int(std::max(1.0f, 2 * unit)); ++t) {
                if (sx - gap - x >= 0 && ry + t < H)
                    rules.at(sx - gap - x, ry + t) = fade;
                if (sx + sub.w + gap + x < W && ry + t < H)
                    rules.at(sx + sub.w + gap + x, ry + t) = fade;
            }
        }
        canvas.Paint(rules, 0, 0, [](int, int) { return TColor{1.0f, 0.70f, 0.25f, 1.0f}; });
        canvas.Paint(Dilate(sub, int(std::lround(2 * unit))), sx, sy, [](int, int) { return TColor{0.02f, 0.04f, 0.10f, 1.0f}; });
        canvas.Paint(sub, sx, sy, [](int, int) { return TColor{1.0f, 0.78f, 0.30f, 1.0f}; });
    }
    canvas.Save(path);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc != 3 || first == "--help" || first == "-help") {
        std::fputs("usage: logogen RECIPE OUTDIR\n"
                   "Draws the title logos listed in RECIPE into OUTDIR as PNG.\n"
                   "Recipe lines: size W H | title-font FILE | subtitle-font FILE | image NAME | TITLE | SUBTITLE\n",
                   argc == 2 && (first == "--help" || first == "-help") ? stdout : stderr);
        return argc == 2 && (first == "--help" || first == "-help") ? 0 : 2;
    }
    try {
        const TRecipe recipe = ReadRecipe(argv[1]);
        const TFont titleFont(recipe.TitleFont), subFont(recipe.SubtitleFont.empty() ? recipe.TitleFont : recipe.SubtitleFont);
        for (const TLogo &logo : recipe.Logos)
            DrawLogo(recipe, logo, titleFont, subFont, std::string(argv[2]) + "/" + logo.Name);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "logogen: %s\n", e.what());
        return 1;
    }
    return 0;
}
