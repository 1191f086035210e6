// The level pictures of the loading screen, kept beside each mission script: "LevelN_number.png" (the
// same in both languages) and "LevelN_text.png" with its Russian twin "LevelN_text_rus.png"; an
// add-on set's missions get theirs under their own names ("Reef2_number.png" for "Reef2.ses").

#include "tools/hudart/Art.h"
#include "tools/hudart/Shapes.h"

#include <string>

namespace {

// Polished steel, pale at the top, with a dark band a little below the middle.
TColor Chrome(float t)
{
    return Ramp({{0.0f, {0.92f, 0.97f, 1.0f, 1}}, {0.48f, {1, 1, 1, 1}}, {0.55f, {0.16f, 0.28f, 0.46f, 1}},
                 {0.8f, {0.50f, 0.72f, 0.95f, 1}}, {1.0f, {0.85f, 0.94f, 1.0f, 1}}},
                t);
}

void Number(const TArt &art, const std::string &stem, const TLevel &level, int count)
{
    TCanvas canvas(256, 128);
    TMask digits(256, 128), total(256, 128), rule(256, 128);
    const std::string text = (level.Number < 10 ? "0" : "") + std::to_string(level.Number);
    const float cap = 80, baseline = 104;
    art.Title.Draw(digits, text, 184, baseline, cap, 2, 1);
    art.Bold.Draw(total, "/" + std::to_string(count), 190, baseline, 18, 1);
    FillRect(rule, 190, baseline - 34, 240, baseline - 32);
    PaintGlow(canvas, Dilate(digits, 3), Palette::Night, 3, 0.8f);
    PaintSolid(canvas, Dilate(digits, 2), Palette::SteelDark);
    canvas.Paint(digits, 0, 0, [&](int, int y) { return Chrome((float(y) - (baseline - cap)) / cap); });
    PaintGlow(canvas, Dilate(total, 1), Palette::Night, 2, 0.8f);
    PaintSolid(canvas, Union(total, rule), Palette::Amber);
    canvas.Save(art.Out("Maps", stem + "_number"));
}

void Title(const TArt &art, const std::string &stem, const TLevel &level, int language)
{
    TCanvas canvas(512, 128);
    TMask title(512, 128), rule(512, 128), line(512, 128);
    const float cap = art.Title.Fit(level.Title[language], 30, 480, 2);
    art.Title.Draw(title, level.Title[language], 16, 54, cap, 2);
    FillRect(rule, 16, 70, 136, 72);
    const std::vector<std::string> lines = art.Regular.Wrap(level.Line[language], 12, 480);
    for (std::size_t i = 0; i < lines.size() && i < 2; ++i)
        art.Regular.Draw(line, lines[i], 16, 98 + float(i) * 21, 12);
    PaintGlow(canvas, Dilate(Union(title, line), 2), Palette::Night, 3, 0.85f);
    PaintSolid(canvas, title, Palette::AmberLight);
    PaintSolid(canvas, rule, Palette::Amber);
    PaintSolid(canvas, line, Palette::Pale);
    canvas.Save(art.Out("Maps", stem + "_text", language));
}

} // namespace

void DrawLevelPictures(const TArt &art, const std::string &stem, const TLevel &level, int count)
{
    Number(art, stem, level, count);
    for (int language = 0; language < LanguageCount; ++language)
        Title(art, stem, level, language);
}

void DrawLevelImages(const TArt &art)
{
    for (const TLevel &level : art.Levels)
        DrawLevelPictures(art, "Level" + std::to_string(level.Number), level, int(art.Levels.size()));
}
