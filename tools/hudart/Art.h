#pragma once
// What every drawing step of hudart shares: the texts, the faces, the palette and where files go.

#include "tools/hudart/Texts.h"
#include "tools/hudart/Type.h"

#include <string>
#include <vector>

struct TArt {
    TArt(const std::string &textsPath, const std::string &levelsPath, const std::string &dataDir);

    TTexts              Texts;
    std::vector<TLevel> Levels;
    TTypeface           Title, Bold, Regular;
    std::string         DataDir;   // the staged "Data" folder

    // DataDir/Folder/Name.png, with the language's suffix before ".png"; makes the folder.
    std::string Out(const std::string &folder, const std::string &name, int language = 0) const;
};

// The palette: steel blue and amber like the logo for the menu, light green and cyan for the HUD.
namespace Palette {
constexpr TColor Night{0.02f, 0.04f, 0.08f, 1};
constexpr TColor SteelDark{0.05f, 0.10f, 0.17f, 1};
constexpr TColor Steel{0.20f, 0.34f, 0.50f, 1};
constexpr TColor SteelLight{0.62f, 0.76f, 0.90f, 1};
constexpr TColor Pale{0.88f, 0.94f, 1.00f, 1};
constexpr TColor Amber{1.00f, 0.66f, 0.18f, 1};
constexpr TColor AmberLight{1.00f, 0.82f, 0.45f, 1};
constexpr TColor HudGreen{0.52f, 1.00f, 0.62f, 1};
constexpr TColor HudCyan{0.45f, 0.93f, 1.00f, 1};
constexpr TColor White{1, 1, 1, 1};
} // namespace Palette

void DrawHudImages(const TArt &art);      // "Data\HUD\"
void DrawScreens(const TArt &art);        // the full-screen pictures of "Data\Menu\"
void DrawPanels(const TArt &art);         // headings, weapon cards and buttons, the loading bar
void DrawLevelImages(const TArt &art);    // "Data\Maps\LevelN_number.png", "LevelN_text.png"
// One mission's pictures for the loading screen: "Data\Maps\<Stem>_number.png" (the level's number,
// "of Count" beside it) and "<Stem>_text.png" with its Russian twin.
void DrawLevelPictures(const TArt &art, const std::string &stem, const TLevel &level, int count);

// An add-on map set, from its texts file (see content/hudart/Reef.txt), named after the file. Throws
// std::runtime_error naming the file when it lacks a text its pictures need.
struct TAddOnSet {
    explicit TAddOnSet(const std::string &path);
    TTexts              Texts;
    std::string         Name;     // "Reef" for "Reef.txt"
    std::vector<TLevel> Levels;   // its missions, numbered from 1
};
// The set's pictures: the main page's button, its first and last screens and its missions' loading
// pictures.
void DrawAddOnSet(const TArt &art, const TAddOnSet &set);
