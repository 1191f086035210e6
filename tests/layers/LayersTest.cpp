// The layering of the game is a fact, not a comment: no folder includes a header of a folder above
// it, and the programs that draw and play nothing need no window, GL or audio library at run time.

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The dependency order, lowest first; sound and assets share a level and may not include each other.
const std::vector<std::vector<std::string>> Levels = {
    {"core"}, {"data"}, {"script"}, {"sound", "assets"}, {"sim"}, {"render"}, {"hud"}, {"net"}, {"menu"}, {"game"}};

int LevelOf(const std::string &folder)
{
    for (std::size_t i = 0; i < Levels.size(); ++i)
        if (std::find(Levels[i].begin(), Levels[i].end(), folder) != Levels[i].end())
            return int(i);
    return -1;
}

struct TInclude {
    std::string File, Header;
};

// Every quoted include of the game folders' sources whose folder is above the including folder, or a
// sibling at the same level.
std::vector<TInclude> IncludesUpward(const fs::path &root)
{
    static const std::regex include(R"(^\s*#\s*include\s*"([a-z]+)/[^"]+")");
    std::vector<TInclude> found;
    for (const auto &level : Levels)
        for (const std::string &folder : level) {
            if (!fs::exists(root / folder))
                continue;
            for (const auto &entry : fs::recursive_directory_iterator(root / folder)) {
                const std::string ext = entry.path().extension().string();
                if (ext != ".cpp" && ext != ".h")
                    continue;
                std::ifstream in(entry.path());
                for (std::string line; std::getline(in, line);) {
                    std::smatch m;
                    if (!std::regex_search(line, m, include))
                        continue;
                    const std::string target = m[1];
                    const int to = LevelOf(target), from = LevelOf(folder);
                    if (to < 0 || target == folder)
                        continue;
                    if (to >= from)
                        found.push_back({fs::relative(entry.path(), root).string(), line});
                }
            }
        }
    return found;
}

// The shared libraries a program asks for at run time (readelf's NEEDED entries).
std::vector<std::string> Needed(const fs::path &program)
{
    const TTempDir dir("layers");
    const TToolRun run = RunTool(dir.Path, "readelf -d '" + program.string() + "'");
    EXPECT_EQ(run.Status, 0) << run.Err;
    std::vector<std::string> libraries;
    static const std::regex needed(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
    for (std::sregex_iterator it(run.Out.begin(), run.Out.end(), needed), end; it != end; ++it)
        libraries.push_back((*it)[1]);
    return libraries;
}

bool Forbidden(const std::string &library)
{
    for (const char *prefix : {"libSDL2", "libGL.", "libGLU", "libGLX", "libOpenGL", "libEGL", "libopenal"})
        if (library.rfind(prefix, 0) == 0)
            return true;
    return false;
}

} // namespace

TEST(Layers, NoFolderIncludesAFolderAboveIt)
{
    const auto upward = IncludesUpward(ZEPHRONA_SOURCE_DIR);
    for (const TInclude &inc : upward)
        ADD_FAILURE() << inc.File << ": " << inc.Header;
}

TEST(Layers, TheCheckSeesAnUpwardInclude)
{
    // A made-up tree with one include up the order and one down it: the check names the first only.
    const TTempDir dir("layers");
    WriteText(dir.Path / "data" / "Keys.cpp", "#include \"core/Log.h\"\n  # include \"menu/Menu.h\"\n");
    WriteText(dir.Path / "sound" / "Sound.cpp", "#include \"assets/Model.h\"\n#include \"sound/FSound.h\"\n");
    const auto upward = IncludesUpward(dir.Path);
    ASSERT_EQ(upward.size(), 2u);
    std::vector<std::string> files{upward[0].File, upward[1].File};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"data/Keys.cpp", "sound/Sound.cpp"}));
}

TEST(Layers, HeadlessProgramsNeedNoWindowGLOrAudioLibrary)
{
    // Programs that draw and play nothing: the modding tools, the generators and the test programs
    // that link the null platform.
    const std::vector<fs::path> programs = {
        fs::path(ZEPHRONA_TOOLS_DIR) / "sescheck",   fs::path(ZEPHRONA_TOOLS_DIR) / "ptbgen",
        fs::path(ZEPHRONA_TOOLS_DIR) / "missionrun",
        fs::path(ZEPHRONA_TOOLS_DIR) / "dpg",        fs::path(ZEPHRONA_TOOLS_DIR) / "cfgtool",
        fs::path(ZEPHRONA_TOOLS_DIR) / "localegen",  fs::path(ZEPHRONA_TOOLS_DIR) / "scoreserver",
        fs::path(ZEPHRONA_TOOLS_DIR) / "logogen",    fs::path(ZEPHRONA_TOOLS_DIR) / "particlegen",
        fs::path(ZEPHRONA_TOOLS_DIR) / "menuart",    fs::path(ZEPHRONA_TOOLS_DIR) / "hudart",
        fs::path(ZEPHRONA_TOOLS_DIR) / "shipgen",    fs::path(ZEPHRONA_TOOLS_DIR) / "craftgen",
        fs::path(ZEPHRONA_TOOLS_DIR) / "worldgen",   fs::path(ZEPHRONA_TOOLS_DIR) / "audiogen",
        fs::path(ZEPHRONA_HEADLESS_PROBE),
    };
    for (const fs::path &program : programs) {
        ASSERT_TRUE(fs::exists(program)) << program;
        for (const std::string &library : Needed(program))
            EXPECT_FALSE(Forbidden(library)) << program.filename().string() << " needs " << library;
    }
}

TEST(Layers, TheGameItselfNeedsItsWindowAndSound)
{
    // The check above would pass for a readelf that reads nothing: the game shows it reads.
    const auto libraries = Needed(fs::path(ZEPHRONA_GAME_DIR) / "zephrona");
    const auto has = [&](const char *prefix) {
        return std::any_of(libraries.begin(), libraries.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(has("libSDL2"));
    EXPECT_TRUE(has("libopenal"));
    EXPECT_TRUE(has("libGL") || has("libOpenGL"));
}

TEST(Layers, TheNullPlatformRunsWithoutADisplay)
{
    // No display at all: the null platform still starts, answers "no window" and plays nothing.
    const TTempDir dir("layers");
    const TToolRun run = RunTool(dir.Path, "env -u DISPLAY -u WAYLAND_DISPLAY '" + std::string(ZEPHRONA_HEADLESS_PROBE) + "'");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "window 0, focus 0, shaders 0, sound channels -1\n");
    EXPECT_NE(run.Err.find("Failed to register the window class!"), std::string::npos) << run.Err;
}
