// Missions flown by the real game under Xvfb with "-map": the scene drawn in full (sea and its
// reflection, sky, islands, ships, aircraft), the summary line when the program quits, and the
// screenshots of the drawing options.

#include "data/Config.h"
#include "tests/GameRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The carrier with the player aircraft on its deck, an island ahead, a friendly destroyer and
// bomber (nobody shoots at the player, whatever the random draws); the mission is won after Seconds
// with its one task complete.
std::string Mission(int seconds)
{
    return "int once 0\n"
           "{\n"
           "if once = $0 then\n"
           "CreateIsland $1200,0 $5200,0 $0,0 Volcano.otm\n"
           "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $1000,0 $2000,0 $0,0 $0,0 $0,0 Base\n"
           "CreatePlayer\n"
           "CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_FRIEND $4000 $1250,0 $3300,0 $0,0 $0,0 $200,0 D1\n"
           "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_FRIEND $200 $950,0 $2900,0 $120,0 $0,0 $160,0 S1\n"
           "AddTask Look TASK_0\n"
           "once = $1\n"
           "endif\n"
           "Sleep $" + std::to_string(seconds * 1000) + "\n"
           "TaskComplete TASK_0\n"
           "NextLevel Won.ses\n"
           "}\n";
}

// A view for the pictures: the player aircraft flies north from where a new mission puts it, with
// ships on the sea ahead (their reflections below them), a bomber coming the other way, the carrier
// and an island behind them. The spawn point, made before there is a carrier to start from, shows
// the scene at once (a mission's screen is black until it fades in or places the player).
const char *const Scenic = "int once 0\n"
                           "{\n"
                           "if once = $0 then\n"
                           "mp_AddSpawnPoint $0,0 $0,0 $0,0\n"
                           "CreateIsland $900,0 $4200,0 $0,0 Volcano.otm\n"
                           "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $-500,0 $1500,0 $0,0 $0,0 $70,0 Base\n"
                           "CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_ENEMY $4000 $150,0 $700,0 $0,0 $0,0 $90,0 D1\n"
                           "CreateObject OBJECT_BATTLE_SHIP AI_GROUP3 AI_SIDE_FRIEND $4000 $-150,0 $900,0 $0,0 $0,0 $90,0 B1\n"
                           "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $200 $110,0 $330,0 $104,0 $0,0 $180,0 S1\n"
                           "once = $1\n"
                           "endif\n"
                           "Sleep $30000\n"
                           "}\n";

struct TSettings {
    bool Shaders = false, Haze = false, Bloom = false, CameraView = false;
    int  Reflections = 1;
};

class SceneRun : public GameRun {
protected:
    // Writes the settings the run starts with (a player exists, so the menu would open on the
    // main page).
    void Settings(const TSettings &s)
    {
        TConfig config;
        config.Shaders = s.Shaders;
        config.Haze = s.Haze;
        config.Bloom = s.Bloom;
        config.CameraView = s.CameraView;
        config.Reflections = s.Reflections;
        config.Resolution = 0;
        config.FullScreen = false;
        ASSERT_TRUE(config.Save((Dir / "Config.cfg").string()));
    }

    TRun Fly(const std::string &map, int frames, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"-nowait", "-windowed", "-batch", "-fixedfps", "-map", map, "-frames",
                                         std::to_string(frames)};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args, true, 240);
    }

    TTestImage Shot(const std::string &name, const TSettings &settings, int frames = 12)
    {
        Settings(settings);
        const fs::path shot = Dir / (name + ".png");
        const TRun run = Fly("Scenic.ses", frames, {"-screenshot", shot.string()});
        EXPECT_EQ(run.Status, 0) << run.Stderr;
        if (const char *keep = std::getenv("ZEPHRONA_KEEP_SHOTS"))
            fs::copy_file(shot, fs::path(keep) / (name + ".png"), fs::copy_options::overwrite_existing);
        return LoadTestPng(shot);
    }

    static std::string SummaryLine(const std::string &out)
    {
        for (const std::string &line : SplitLines(out))
            if (line.rfind("mission: ", 0) == 0)
                return line;
        return {};
    }
};

// Sums of the colour channels over a rectangle, to compare regions of a picture.
struct TTint {
    double R = 0, G = 0, B = 0;
};

TTint Average(const TTestImage &image, int x0, int y0, int x1, int y1)
{
    TTint t;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned char *p = image.At(x, y);
            t.R += p[0];
            t.G += p[1];
            t.B += p[2];
            ++n;
        }
    t.R /= n;
    t.G /= n;
    t.B /= n;
    return t;
}

double Difference(const TTestImage &a, const TTestImage &b, int x0, int y0, int x1, int y1)
{
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c]));
    return sum / double((x1 - x0) * (y1 - y0));
}

// The radar's white ring in the bottom-left corner of a HUD picture: as wide as it is high, and
// whole on the screen.
void RadarRingIsRound(const TTestImage &image, const std::string &name)
{
    int x0 = image.Width, x1 = -1, y0 = image.Height, y1 = -1;
    for (int y = std::max(0, image.Height - 260); y < image.Height; ++y)
        for (int x = 0; x < std::min(260, image.Width); ++x) {
            const unsigned char *p = image.At(x, y);
            if (p[0] > 225 && p[1] > 225 && p[2] > 225) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    ASSERT_GE(x1, 0) << name << ": no radar ring";
    const int width = x1 - x0 + 1, height = y1 - y0 + 1;
    EXPECT_GT(width, 100) << name;
    EXPECT_NEAR(width, height, 4) << name << ": the ring is " << width << " x " << height;
    EXPECT_GT(x0, 0) << name;
    EXPECT_LT(y1, image.Height - 1) << name;
}

} // namespace

TEST_F(SceneRun, AMapMissionFliesToItsEndAndPrintsTheSummary)
{
    Settings({});
    WriteText(Dir / "Scenic.ses", Mission(2));
    // A loose file beside the game, then the same file named with the other slash from a folder,
    // then by its absolute path, then a game data path as missions name each other.
    WriteText(Dir / "maps" / "Nested.ses", Mission(2));
    WriteText(Dir / "Data" / "Maps" / "Flight.ses", Mission(2));
    for (const std::string &map : {std::string("Scenic.ses"), std::string("maps/Nested.ses"), std::string("maps\\Nested.ses"),
                                  (Dir / "Scenic.ses").string(), std::string("Data\\Maps\\Flight.ses")}) {
        const TRun run = Fly(map, 120);
        ASSERT_EQ(run.Status, 0) << map << ": " << run.Stderr;
        EXPECT_EQ(SummaryLine(run.Stdout),
                  "mission: won health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:complete")
            << map;
    }
}

TEST_F(SceneRun, AMissionStillRunningOrLostSaysSo)
{
    Settings({});
    WriteText(Dir / "Scenic.ses", Mission(30));
    const TRun running = Fly("Scenic.ses", 20);
    ASSERT_EQ(running.Status, 0) << running.Stderr;
    EXPECT_EQ(SummaryLine(running.Stdout),
              "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new");

    // The aircraft is destroyed at once: five seconds of wreck later the mission is lost.
    WriteText(Dir / "Lost.ses", "int once 0\n{\nif once = $0 then\nCreatePlayer\nonce = $1\nendif\n"
                                "Sleep $500\nG_PLAYER_HEALTH = $0,0\nSleep $100000\n}\n");
    const TRun lost = Fly("Lost.ses", 300);
    ASSERT_EQ(lost.Status, 0) << lost.Stderr;
    EXPECT_EQ(SummaryLine(lost.Stdout), "mission: lost health=0 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=");
}

TEST_F(SceneRun, AMissionThatCannotBeLoadedIsNamed)
{
    Settings({});
    WriteText(Dir / "Broken.ses", "int x 0\n{\nx = $1,5\n}\n");
    const TRun broken = Fly("Broken.ses", 10);
    EXPECT_EQ(broken.Status, 1);
    EXPECT_NE(broken.Stderr.find("Cannot start the mission \"Broken.ses\""), std::string::npos) << broken.Stderr;
    EXPECT_EQ(SummaryLine(broken.Stdout), "");

    const TRun missing = Fly("Nowhere.ses", 10);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Stderr.find("Cannot start the mission \"Nowhere.ses\""), std::string::npos) << missing.Stderr;
}

TEST_F(SceneRun, TheSceneIsDrawnWithEveryOption)
{
    WriteText(Dir / "Scenic.ses", Scenic);
    const TTestImage plain = Shot("plain", {});
    ASSERT_EQ(plain.Width, 800);
    // Sky above the horizon, sea below it: both blue, the sky lighter.
    const TTint sky = Average(plain, 0, 0, 800, 60), sea = Average(plain, 0, 540, 800, 600);
    EXPECT_GT(sky.B, sky.R) << "the sky is not blue";
    EXPECT_GT(sea.B, sea.R) << "the sea is not blue";
    EXPECT_GT(sky.R + sky.G + sky.B, 150);

    // Without the reflection of the world the sea shows less of what stands on it.
    const TTestImage noReflection = Shot("reflections0", {false, false, false, false, 0});
    const TTestImage highReflection = Shot("reflections2", {false, false, false, false, 2});
    EXPECT_GT(Difference(plain, noReflection, 0, 300, 800, 600), 0.2);
    EXPECT_LT(Difference(plain, noReflection, 0, 0, 800, 100), 0.5) << "the sky changed with the reflections";
    EXPECT_EQ(highReflection.Width, 800);

    // The shaders change the look; the haze and bloom draw through their own buffers.
    const TTestImage shaded = Shot("shaders", {true, false, false, false, 1});
    EXPECT_GT(Difference(plain, shaded, 0, 0, 800, 600), 0.5);
    const TTestImage effects = Shot("haze-bloom", {true, true, true, false, 1});
    const TTint effectsSea = Average(effects, 0, 540, 800, 600);
    EXPECT_GT(effectsSea.B, effectsSea.R) << "the haze and bloom lost the sea";

    // The small camera sits in the bottom-right corner, 220 x 170 pixels, 30 above the bottom.
    const TTestImage small = Shot("camera", {false, false, false, true, 1});
    EXPECT_GT(Difference(plain, small, 800 - 252, 600 - 200, 800 - 32, 600 - 30), 2.0);
    EXPECT_LT(Difference(plain, small, 0, 0, 500, 300), 0.5);
}

TEST_F(SceneRun, TheFrameCounterShowsInTheCorner)
{
    Settings({});
    WriteText(Dir / "Scenic.ses", Scenic);
    const fs::path shot = Dir / "fps.png";
    const TRun run = Fly("Scenic.ses", 60, {"-fps", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_NE(run.Stdout.find("frames: fps="), std::string::npos) << run.Stdout;
    const TTestImage image = LoadTestPng(shot);
    int yellow = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) {
            const unsigned char *p = image.At(x, y);
            yellow += p[0] > 200 && p[1] > 200 && p[2] < 140;
        }
    EXPECT_GT(yellow, 20) << "no counter in the top-left corner";
}

// The HUD over a mission on screens of three shapes: the game runs full-size on a desktop of each
// (a display of its own), and its instruments keep their places and proportions.
TEST_F(SceneRun, TheHudKeepsItsShapeOnEveryScreen)
{
    if (std::system("command -v xvfb-run >/dev/null") != 0)
        GTEST_SKIP() << "needs xvfb-run (tools/setup.sh installs it)";
    WriteText(Dir / "Scenic.ses", Scenic);
    const struct {
        int Width, Height;
        const char *Name;
    } screens[] = {{1024, 768, "4x3"}, {1280, 800, "16x10"}, {1280, 720, "16x9"}};
    for (const auto &screen : screens) {
        TConfig config;
        config.Resolution = 3;   // the desktop's own size
        config.FullScreen = false;
        ASSERT_TRUE(config.Save((Dir / "Config.cfg").string()));
        const fs::path shot = Dir / (std::string("hud-") + screen.Name + ".png");
        const std::string size = std::to_string(screen.Width) + "x" + std::to_string(screen.Height);
        TChild game(Dir, std::string("game-") + screen.Name,
                    {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 " + size + "x24", (Dir / "zephrona").string(), "-nowait", "-windowed",
                     "-batch", "-fixedfps", "-lefttop", "-map", "Scenic.ses", "-frames", "160", "-screenshot", shot.string()});
        ASSERT_EQ(game.Wait(240), 0) << screen.Name << ": " << game.Err();
        if (const char *keep = std::getenv("ZEPHRONA_KEEP_SHOTS"))
            fs::copy_file(shot, fs::path(keep) / shot.filename(), fs::copy_options::overwrite_existing);
        const TTestImage image = LoadTestPng(shot);
        ASSERT_EQ(image.Width, screen.Width) << screen.Name;
        ASSERT_EQ(image.Height, screen.Height) << screen.Name;
        RadarRingIsRound(image, screen.Name);
    }
}

// "-needcursorposition" names the world point under the crosshair in the window's title.
TEST_F(SceneRun, TheAimPointShowsInTheTitle)
{
    if (std::system("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs xdotool (tools/setup.sh installs it)";
    Settings({});
    WriteText(Dir / "Scenic.ses", Scenic);
    TChild game(Dir, "game", {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-fixedfps", "-needcursorposition",
                              "-map", "Scenic.ses", "-frames", "100000"});
    std::string title;
    const std::regex aimPoint("-?[0-9]+ -?[0-9]+ -?[0-9]+");
    for (int tries = 0; tries < 120 && !std::regex_match(title, aimPoint); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const TToolRun search = RunTool(Dir, "xdotool search --pid " + std::to_string(game.Pid));
        if (search.Status != 0 || SplitLines(search.Out).empty())
            continue;
        const TToolRun name = RunTool(Dir, "xdotool getwindowname " + SplitLines(search.Out).at(0));
        title = SplitLines(name.Out).empty() ? "" : SplitLines(name.Out).at(0);
    }
    EXPECT_TRUE(std::regex_match(title, aimPoint)) << "title: " << title;
}
