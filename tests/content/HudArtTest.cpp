// The HUD images, the menu's pictures and panels and the level titles: read from the built archive
// under the names the game asks for (the Russian ones through the locale), decoded by DevIL as the
// texture library decodes them, and checked for the size and transparency the drawing code relies on.
// Then hudart itself, run as the build runs it.

#include "data/Extractor.h"
#include "data/Locale.h"
#include "tests/content/BuiltData.h"
#include "tests/TestUtil.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {


enum class TLook {
    Opaque,        // a full-screen picture: every pixel opaque
    Transparent,   // drawn over the scene or the menu: clear where nothing is drawn
    Tintable,      // transparent, and grey or white wherever it is drawn, so that a colour tints it
};

struct TImage {
    const char *Path;       // as the game asks for it, English name
    int         Width, Height;
    TLook       Look;
    bool        Localised;  // has a Russian twin named through the locale's section 0
};

const TImage Images[] = {
    {"Data\\HUD\\Indicator.png", 256, 128, TLook::Transparent, true},
    {"Data\\HUD\\Indicator_Grid.png", 256, 16, TLook::Tintable, false},
    {"Data\\HUD\\Radar.png", 256, 256, TLook::Transparent, false},
    {"Data\\HUD\\Camera.png", 512, 256, TLook::Transparent, false},
    {"Data\\HUD\\Missile_Targeting.png", 256, 256, TLook::Transparent, false},
    {"Data\\HUD\\Missile_Target.png", 128, 128, TLook::Tintable, false},
    {"Data\\HUD\\bombing.png", 128, 128, TLook::Transparent, false},
    {"Data\\HUD\\Gun_Targeting.png", 128, 128, TLook::Tintable, false},
    {"Data\\HUD\\Attack_Angle.png", 64, 1024, TLook::Transparent, false},
    {"Data\\HUD\\target.png", 64, 64, TLook::Tintable, false},
    {"Data\\HUD\\targeting.png", 64, 64, TLook::Tintable, false},
    {"Data\\Menu\\Story.png", 1024, 768, TLook::Opaque, true},
    {"Data\\Menu\\Final.png", 1024, 768, TLook::Opaque, true},
    {"Data\\Menu\\Loading.png", 1024, 768, TLook::Opaque, true},
    {"Data\\Menu\\Wait.png", 1024, 768, TLook::Opaque, true},
    {"Data\\Menu\\Score.png", 512, 512, TLook::Transparent, true},
    {"Data\\Menu\\Weapons.png", 512, 128, TLook::Transparent, true},
    {"Data\\Menu\\Servers.png", 512, 128, TLook::Transparent, true},
    {"Data\\Menu\\Host.png", 512, 128, TLook::Transparent, true},
    {"Data\\Menu\\Weapon1.png", 512, 256, TLook::Transparent, true},
    {"Data\\Menu\\Weapon2.png", 512, 256, TLook::Transparent, true},
    {"Data\\Menu\\Weapon3.png", 512, 256, TLook::Transparent, true},
    {"Data\\Menu\\Weapon4.png", 512, 256, TLook::Transparent, true},
    {"Data\\Menu\\button_weapon1.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon2.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon3.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon4.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon1_select.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon2_select.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon3_select.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\button_weapon4_select.png", 128, 128, TLook::Transparent, false},
    {"Data\\Menu\\Loading_Empty.png", 512, 32, TLook::Transparent, false},
    {"Data\\Menu\\Loading_Full.png", 512, 32, TLook::Transparent, false},
    {"Data\\Menu\\Loading_Ready.png", 512, 32, TLook::Transparent, false},
};

constexpr int CampaignLevels = 15;

struct TPixels {
    int                       Width = 0, Height = 0;
    std::vector<std::uint8_t> Rgba;   // top row first
    const std::uint8_t *At(int x, int y) const { return &Rgba[(std::size_t(y) * Width + x) * 4]; }
};

// Decodes a PNG as the texture library does; fails the test when DevIL refuses it or it is not RGBA.
TPixels Decode(const std::vector<std::uint8_t> &bytes, const std::string &name)
{
    static const bool started = (ilInit(), true);
    (void)started;
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    TPixels pixels;
    if (!ilLoadL(IL_PNG, bytes.data(), ILuint(bytes.size()))) {
        ADD_FAILURE() << name << " does not decode";
    } else if (ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 4) {
        ADD_FAILURE() << name << " has " << ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) << " bytes per pixel, not 4";
    } else {
        pixels.Width = ilGetInteger(IL_IMAGE_WIDTH);
        pixels.Height = ilGetInteger(IL_IMAGE_HEIGHT);
        EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), IL_RGBA) << name;
        // The texture library uploads DevIL's rows as they come, top row first.
        const ILubyte *data = ilGetData();
        pixels.Rgba.assign(data, data + std::size_t(pixels.Width) * pixels.Height * 4);
    }
    ilDeleteImages(1, &id);
    return pixels;
}

// The largest alpha (0..255) inside the rectangle X0 <= x < X1, Y0 <= y < Y1.
int MaxAlpha(const TPixels &p, int x0, int y0, int x1, int y1)
{
    int best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            best = std::max(best, int(p.At(x, y)[3]));
    return best;
}

class HudArt : public ::testing::Test {
protected:
    // The file's bytes from the archive; an empty vector (and a failure) when it is not there.
    static std::vector<std::uint8_t> Bytes(const std::string &path)
    {
        const int index = BuiltArchive().FindFile(GameDir + path);
        if (index < 0) {
            ADD_FAILURE() << path << " is not in Data.dpg";
            return {};
        }
        return BuiltArchive().ReadFile(index);
    }

    // The Russian name the game builds for an English one: the folder, then the locale's name.
    static std::string RussianPath(const std::string &path)
    {
        const std::size_t slash = path.rfind('\\');
        return path.substr(0, slash + 1) + RussianLocale().Translate(path.substr(slash + 1), 0);
    }

    static void CheckLook(const TPixels &p, const TImage &image, const std::string &name)
    {
        int clear = 0, solid = 0, coloured = 0;
        for (std::size_t i = 0; i < p.Rgba.size(); i += 4) {
            const int r = p.Rgba[i], g = p.Rgba[i + 1], b = p.Rgba[i + 2], a = p.Rgba[i + 3];
            clear += a == 0;
            solid += a > 200;
            if (a > 128 && std::max({r, g, b}) > 100 && std::max({r, g, b}) - std::min({r, g, b}) > 6)
                ++coloured;
        }
        const int all = p.Width * p.Height;
        if (image.Look == TLook::Opaque) {
            EXPECT_EQ(solid, all) << name << " must be opaque everywhere";
        } else {
            const bool clearCorner = p.At(0, 0)[3] == 0 || p.At(p.Width - 1, 0)[3] == 0 || p.At(0, p.Height - 1)[3] == 0 ||
                                     p.At(p.Width - 1, p.Height - 1)[3] == 0;
            EXPECT_TRUE(clearCorner) << name << " must be clear around what it draws";
            EXPECT_GT(clear, all / 100) << name << " must be clear where nothing is drawn";
            EXPECT_GT(solid, 0) << name << " draws nothing solid";
        }
        if (image.Look == TLook::Tintable) {
            EXPECT_EQ(coloured, 0) << name << " must be grey or white so that the game's colour tints it";
        }
    }

};

TEST_F(HudArt, EveryImageInBothLanguagesHasItsSizeAndTransparency)
{
    for (const TImage &image : Images) {
        SCOPED_TRACE(image.Path);
        std::vector<std::string> paths = {image.Path};
        if (image.Localised) {
            paths.push_back(RussianPath(image.Path));
            ASSERT_NE(paths[1], paths[0]) << "the locale has no Russian name for " << image.Path;
        }
        std::vector<std::vector<std::uint8_t>> files;
        for (const std::string &path : paths) {
            files.push_back(Bytes(path));
            if (files.back().empty())
                continue;
            const TPixels pixels = Decode(files.back(), path);
            EXPECT_EQ(pixels.Width, image.Width) << path;
            EXPECT_EQ(pixels.Height, image.Height) << path;
            if (pixels.Width == image.Width && pixels.Height == image.Height)
                CheckLook(pixels, image, path);
        }
        if (files.size() == 2) {
            EXPECT_NE(files[0], files[1]) << "the Russian " << image.Path << " is a copy of the English one";
        }
    }
}

// The loading screen takes a mission's pictures from its script's name: "Maps\Level7.ses" gives
// "Maps\Level7_number.png" and "Maps\Level7" + the locale's "_text.png".
TEST_F(HudArt, EveryCampaignLevelHasItsNumberAndTitle)
{
    const std::string russianText = RussianLocale().Translate("_text.png", 0);
    ASSERT_EQ(russianText, "_text_rus.png");
    for (int level = 1; level <= CampaignLevels; ++level) {
        const std::string base = "Data\\Maps\\Level" + std::to_string(level);
        SCOPED_TRACE(base);
        for (const auto &[path, width] : {std::pair<std::string, int>{base + "_number.png", 256},
                                          {base + "_text.png", 512}, {base + russianText, 512}}) {
            const std::vector<std::uint8_t> bytes = Bytes(path);
            if (bytes.empty())
                continue;
            const TPixels pixels = Decode(bytes, path);
            EXPECT_EQ(pixels.Width, width) << path;
            EXPECT_EQ(pixels.Height, 128) << path;
            if (pixels.Width == width && pixels.Height == 128)
                CheckLook(pixels, {"", width, 128, TLook::Transparent, false}, path);
        }
    }
}

// The add-on map sets as the main page finds them: each "Data\Maps\*.mod" of the archive names its
// button's two pictures and its two screens under "Data\", and its first mission; each mission leads
// to the next with "NextLevel" until one ends with "EndGame", and the loading page finds each one's
// number and title beside its script, as for the campaign.
TEST_F(HudArt, EveryAddOnSetHasItsButtonScreensAndLoadingPictures)
{
    std::vector<std::string> mods;
    for (const TDpgEntry &entry : BuiltArchive().Directory)
        if (entry.Name.rfind("DATA\\MAPS\\", 0) == 0 && entry.Name.find('\\', 10) == std::string::npos &&
            entry.Name.size() > 14 && entry.Name.compare(entry.Name.size() - 4, 4, ".MOD") == 0)
            mods.push_back(entry.StoredName);
    ASSERT_FALSE(mods.empty()) << "the game comes with an add-on map set";
    const auto trim = [](const std::string &text) {
        const std::size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    };
    const std::string russianText = RussianLocale().Translate("_text.png", 0);
    for (const std::string &mod : mods) {
        SCOPED_TRACE(mod);
        const std::vector<std::uint8_t> bytes = Bytes(mod);
        std::map<std::string, std::string> keys;
        for (const std::string &line : SplitLines(std::string(bytes.begin(), bytes.end()))) {
            const std::size_t eq = line.find('=');
            if (line.empty() || line[0] == '/' || eq == std::string::npos)
                continue;
            std::string key = trim(line.substr(0, eq));
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::toupper(c)); });
            keys[key] = trim(line.substr(eq + 1));
        }
        // The pictures in pairs that must not be copies of each other: the button under the cursor and
        // away from it, and the story and the end.
        const struct {
            const char *First, *Second;
            TImage      Look;
        } pairs[] = {{"BUTTONMOUSEIN", "BUTTONMOUSEOUT", {"", 512, 64, TLook::Transparent, false}},
                     {"FIRSTSCREEN", "LASTSCREEN", {"", 1024, 768, TLook::Opaque, false}}};
        for (const auto &pair : pairs) {
            std::vector<std::vector<std::uint8_t>> files;
            for (const char *key : {pair.First, pair.Second}) {
                ASSERT_FALSE(keys[key].empty()) << key;
                const std::string path = "Data\\" + keys[key];
                files.push_back(Bytes(path));
                if (files.back().empty())
                    continue;
                const TPixels pixels = Decode(files.back(), path);
                EXPECT_EQ(pixels.Width, pair.Look.Width) << path;
                EXPECT_EQ(pixels.Height, pair.Look.Height) << path;
                if (pixels.Width == pair.Look.Width && pixels.Height == pair.Look.Height)
                    CheckLook(pixels, pair.Look, path);
            }
            EXPECT_NE(files[0], files[1]) << pair.First << " and " << pair.Second << " are the same picture";
        }

        // The missions, from the first along their "NextLevel" chain.
        std::string mission = keys["FIRSTLEVEL"];
        ASSERT_FALSE(mission.empty());
        std::set<std::vector<std::uint8_t>> numbers;
        int count = 0;
        for (; !mission.empty() && count < 20; ++count) {
            const std::string script = "Data\\Maps\\" + mission;
            SCOPED_TRACE(script);
            const std::vector<std::uint8_t> source = Bytes(script);
            ASSERT_FALSE(source.empty());
            const std::string stem = script.substr(0, script.rfind('.'));
            for (const auto &[path, width] : {std::pair<std::string, int>{stem + "_number.png", 256},
                                              {stem + "_text.png", 512}, {stem + russianText, 512}}) {
                const std::vector<std::uint8_t> picture = Bytes(path);
                if (picture.empty())
                    continue;
                const TPixels pixels = Decode(picture, path);
                EXPECT_EQ(pixels.Width, width) << path;
                EXPECT_EQ(pixels.Height, 128) << path;
                if (pixels.Width == width && pixels.Height == 128)
                    CheckLook(pixels, {"", width, 128, TLook::Transparent, false}, path);
                if (path == stem + "_number.png") {
                    EXPECT_TRUE(numbers.insert(picture).second) << path << " shows another mission's number";
                }
            }
            const std::string text(source.begin(), source.end());
            std::smatch next;
            if (std::regex_search(text, next, std::regex(R"(\bNextLevel\s+(\S+))"))) {
                mission = next[1];
            } else {
                EXPECT_NE(text.find("EndGame"), std::string::npos) << "the chain ends neither with NextLevel nor EndGame";
                mission.clear();
            }
        }
        EXPECT_TRUE(mission.empty()) << "the chain of missions does not end";
        EXPECT_GT(count, 1);
    }
}

// What the HUD draws through or over its frames must stay free: the camera view shows through the
// frame's window, the bars fill the indicator's troughs, and the radar's blips sit on a scope that
// lets them through.
TEST_F(HudArt, HudFramesLeaveRoomForWhatTheGameDraws)
{
    const TPixels camera = Decode(Bytes("Data\\HUD\\Camera.png"), "Camera.png");
    ASSERT_EQ(camera.Width, 512);
    EXPECT_EQ(MaxAlpha(camera, 72, 32, 268, 178), 0) << "the camera view's window must be clear";
    EXPECT_GT(MaxAlpha(camera, 50, 10, 60, 200), 200) << "the window must be framed";

    for (const std::string &path : {std::string("Data\\HUD\\Indicator.png"), RussianPath("Data\\HUD\\Indicator.png")}) {
        SCOPED_TRACE(path);
        const TPixels panel = Decode(Bytes(path), path);
        ASSERT_EQ(panel.Width, 256);
        // Both bars: x 31..174, rows 26..42 and 78..94; dark behind so that any bar colour reads.
        for (const int top : {26, 78})
            for (int y = top; y < top + 16; ++y)
                for (int x = 31; x < 174; ++x) {
                    const std::uint8_t *px = panel.At(x, y);
                    ASSERT_LT(std::max({px[0], px[1], px[2]}) * px[3] / 255, 40) << "a light pixel at " << x << ", " << y;
                }
    }

    const TPixels radar = Decode(Bytes("Data\\HUD\\Radar.png"), "Radar.png");
    ASSERT_EQ(radar.Width, 256);
    int scope = 0;   // the most opaque pixel of the scope between the player's mark and the rim
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int dx = x - 83, dy = y - 84;
            if (dx * dx + dy * dy > 12 * 12 && dx * dx + dy * dy < 70 * 70)
                scope = std::max(scope, int(radar.At(x, y)[3]));
        }
    EXPECT_LT(scope, 200) << "the scope must let the blips through";
    EXPECT_GT(MaxAlpha(radar, 160, 80, 164, 90), 200) << "the bezel must ring the 72-pixel scope around (83, 84)";
}

// hudart on broken sources: it stops with a message naming the file, the line or the missing text.
TEST(HudArtTool, RefusesBrokenSourcesWithClearMessages)
{
    const TTempDir dir("hudart");
    const std::string source = ZEPHRONA_SOURCE_DIR "/content/hudart/";
    const std::string texts = ReadAll(source + "Texts.txt"), levels = ReadAll(source + "Levels.txt");
    ASSERT_FALSE(texts.empty());
    struct TCase {
        const char *Name, *Texts, *Levels, *Error;
    } cases[] = {
        {"a text without its Russian", "font title x\n[Story]\ntitle | THE ENDLESS SEA\n", "",
         "hudart: texts.txt:3: a text needs \"key | English | Russian\"\n"},
        {"a text before any section", "title | A | Б\n", "", "hudart: texts.txt:1: a text before the first section\n"},
        {"a level without a number", nullptr, "one | A | Б | a | б\n",
         "hudart: levels.txt:1: the level number \"one\" is not a whole number\n"},
        {"a missing font", "font title /no/such/font.ttf\n", "1 | A | Б | a | б\n",
         "hudart: Cannot open the font \"/no/such/font.ttf\"\n"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteText(dir.Path / "texts.txt", c.Texts ? c.Texts : texts);
        WriteText(dir.Path / "levels.txt", c.Levels);
        const TToolRun run = RunTool(dir.Path, std::string(ZEPHRONA_TOOLS_DIR) + "/hudart texts.txt levels.txt out");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, c.Error);
    }

    // A text the images need but the file lacks is named with its section.
    std::string withoutArmor = texts;
    withoutArmor.erase(withoutArmor.find("armor "), withoutArmor.find('\n', withoutArmor.find("armor ")) + 1 - withoutArmor.find("armor "));
    WriteText(dir.Path / "texts.txt", withoutArmor);
    WriteText(dir.Path / "levels.txt", levels);
    const TToolRun run = RunTool(dir.Path, std::string(ZEPHRONA_TOOLS_DIR) + "/hudart texts.txt levels.txt out");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "hudart: texts.txt: no text \"armor\" in [Indicator]\n");
}

// An add-on set's texts file that lacks words its pictures need is refused, naming the file, before
// anything is drawn.
TEST(HudArtTool, RefusesAnAddOnSetWithoutTheWordsItsPicturesNeed)
{
    const TTempDir dir("hudart-set");
    const std::string source = ZEPHRONA_SOURCE_DIR "/content/hudart/";
    const std::string screens = "[First]\ntitle | A | А\nsubtitle | B | Б\ntext | C | В\nhint | D | Г\n"
                                "[Last]\ntitle | A | А\nsubtitle | B | Б\ntext | C | В\nhint | D | Г\n";
    struct TCase {
        const char *Name, *Set, *Error;
    } cases[] = {
        {"a mission without its line", "[Levels]\ntitle | ONE | ОДИН\ntitle | TWO | ДВА\nline | a | а\n",
         "hudart: Isle.txt: [Levels] needs a \"title\" and a \"line\" for each mission\n"},
        {"no mission at all", "", "hudart: Isle.txt: [Levels] needs a \"title\" and a \"line\" for each mission\n"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteText(dir.Path / "Isle.txt", screens + c.Set);
        const TToolRun run = RunTool(dir.Path, std::string(ZEPHRONA_TOOLS_DIR) + "/hudart " + source + "Texts.txt " +
                                                   source + "Levels.txt out Isle.txt");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, c.Error);
    }
    WriteText(dir.Path / "Isle.txt", "[First]\ntitle | A | А\n[Levels]\ntitle | ONE | ОДИН\nline | a | а\n");
    const TToolRun run = RunTool(dir.Path, std::string(ZEPHRONA_TOOLS_DIR) + "/hudart " + source + "Texts.txt " +
                                               source + "Levels.txt out Isle.txt");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "hudart: Isle.txt: no text \"subtitle\" in [First]\n");
    EXPECT_FALSE(fs::exists(dir.Path / "out")) << "nothing is drawn for a set that cannot be drawn whole";
}

// The build's images come out the same every time: a second run writes the staged files again, byte
// for byte, the add-on sets' pictures with them.
TEST(HudArtTool, DrawsTheSameBytesEveryTime)
{
    const TTempDir dir("hudart-again");
    const std::string source = ZEPHRONA_SOURCE_DIR "/content/hudart/";
    // The add-on sets' texts files are the other ".txt" files beside the two.
    std::string sets;
    for (const auto &entry : fs::directory_iterator(source))
        if (const std::string name = entry.path().filename().string();
            entry.path().extension() == ".txt" && name != "Texts.txt" && name != "Levels.txt")
            sets += " " + entry.path().string();
    const TToolRun run = RunTool(dir.Path, std::string(ZEPHRONA_TOOLS_DIR) + "/hudart " + source + "Texts.txt " + source +
                                               "Levels.txt out" + sets);
    ASSERT_EQ(run.Status, 0) << run.Err;
    int compared = 0;
    for (const auto &entry : fs::recursive_directory_iterator(dir.Path / "out")) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), dir.Path / "out");
        SCOPED_TRACE(relative.string());
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(fs::path(ZEPHRONA_STAGE_DIR) / "Data" / relative));
        ++compared;
    }
    EXPECT_GT(compared, 0);
    // Whatever the build staged, the run gives the loading screen its pictures: for each of the
    // fifteen campaign levels its number and its title in both languages.
    for (int level = 1; level <= 15; ++level)
        for (const char *suffix : {"_number.png", "_text.png", "_text_rus.png"})
            EXPECT_TRUE(fs::is_regular_file(dir.Path / "out" / "Maps" / ("Level" + std::to_string(level) + suffix)))
                << "Level" << level << suffix;
}

} // namespace
