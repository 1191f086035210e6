// The campaign in the real game window, driven by real pointer and keyboard events (xdotool under
// Xvfb): a new player goes from "Start Game" through the story, loading and weapon pages into a
// mission, wins it and reaches the stage-complete page and the country entry; Escape in flight
// pauses, YES leaves for the main page and "Resume Game" flies on. And the main page on 4:3, 16:10
// and 16:9 screens keeps its shape.
//
// The game logs each page it shows ("Menu page N" with "-log"), which tells the test where it is.
// Button positions are the pages' layout in virtual units (x -512..512, y -384..384, y up).

#include "core/Text.h"
#include "data/Config.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void WriteConfig(const fs::path &path, const TConfig &config)
{
    std::string text;
    for (const std::string &value : config.ValueLines())
        text += EncodeConfigLine(value) + "\r\n";
    WriteText(path, text);
}

// A mission won after Seconds of flight, naming a sixteenth level that the campaign never has: the
// campaign then ends on the final page. The player takes off from a carrier.
std::string WonAfter(int seconds)
{
    return "int once 0\n{\nif once = $0 then\n"
           "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $1000,0 $2000,0 $0,0 $0,0 $0,0 Base\n"
           "CreatePlayer\nonce = $1\nendif\n"
           "Sleep $" + std::to_string(seconds * 1000) + "\nNextLevel Level16.ses\n}\n";
}

// The green of the panels' and buttons' frames.
bool IsFrameGreen(const std::uint8_t *p) { return p[1] > 130 && p[1] > p[0] + 30 && p[1] > p[2] + 60; }

class CampaignClicks : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        if (std::system("command -v xdotool >/dev/null") != 0)
            GTEST_SKIP() << "needs xdotool (tools/setup.sh installs it)";
        Dir = fs::path(ZEPHRONA_TEST_DIR) / ("campaign-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        fs::copy(fs::path(ZEPHRONA_GAME_DIR) / "zephrona", Dir / "zephrona", fs::copy_options::create_hard_links);
        fs::copy(fs::path(ZEPHRONA_GAME_DIR) / "Data.dpg", Dir / "Data.dpg", fs::copy_options::create_hard_links);
    }
    void TearDown() override { Game.reset(); }

    void Start()
    {
        Game.reset();
        fs::remove(Dir / "log.txt");
        Game = std::make_unique<TChild>(Dir, "game",
                                        std::vector<std::string>{(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch",
                                                                 "-log", "-frames", "100000"});
        ASSERT_TRUE(WaitForText(Dir / "log.txt", Cp1251FromUtf8("Запуск игры"), 60)) << Game->Err();
        const TToolRun search = RunTool(Dir, "timeout 20 xdotool search --sync --pid " + std::to_string(Game->Pid));
        ASSERT_EQ(search.Status, 0) << search.Err;
        Window = SplitLines(search.Out).at(0);
        const TToolRun geometry = RunTool(Dir, "xdotool getwindowgeometry --shell " + Window);
        for (const std::string &line : SplitLines(geometry.Out)) {
            if (line.rfind("WIDTH=", 0) == 0)
                Width = std::stoi(line.substr(6));
            if (line.rfind("HEIGHT=", 0) == 0)
                Height = std::stoi(line.substr(7));
        }
        ASSERT_GT(Width, 0);
        Sleep(300);
    }

    void Xdotool(const std::string &arguments)
    {
        const TToolRun run = RunTool(Dir, "xdotool " + arguments);
        ASSERT_EQ(run.Status, 0) << arguments << ": " << run.Err;
    }

    // A click at virtual (X, Y) of the 4:3 window: the menu's cursor sits 0.1 below the pointer.
    void Click(float x, float y, int settle = 150)
    {
        const int px = int(std::lround((x / 512 + 1) * Width / 2)), py = int(std::lround((0.9f - y / 384) * Height / 2));
        Xdotool("mousemove --window " + Window + " " + std::to_string(px) + " " + std::to_string(py));
        Sleep(150);
        Xdotool("mousedown 1");
        Sleep(100);
        Xdotool("mouseup 1");
        Sleep(settle);
    }

    void Key(const std::string &keysym)
    {
        Xdotool("keydown " + keysym);
        Sleep(80);
        Xdotool("keyup " + keysym);
        Sleep(80);
    }

    // How often the game has shown Page so far.
    int Shown(int page) const
    {
        const std::vector<std::string> lines = SplitLines(ReadAll(Dir / "log.txt"));
        return int(std::count(lines.begin(), lines.end(), "Menu page " + std::to_string(page)));
    }

    // The pages shown so far, in order, for a failure's message.
    std::string PagesSeen() const
    {
        std::string seen = "pages shown:";
        for (const std::string &line : SplitLines(ReadAll(Dir / "log.txt")))
            if (line.rfind("Menu page ", 0) == 0)
                seen += " " + line.substr(10);
        return seen;
    }

    // Waits for the game to show Page once more than it had when Before was counted.
    bool Reaches(int page, int before, double seconds = 60)
    {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
             std::chrono::steady_clock::now() < end; Sleep(100))
            if (Shown(page) > before)
                return true;
        return false;
    }

    // Clicks at (X, Y) and waits for Page to be shown.
    void ClickTo(float x, float y, int page, double seconds = 60)
    {
        const int before = Shown(page);
        Click(x, y);
        ASSERT_TRUE(Reaches(page, before, seconds)) << "page " << page << " not reached\n" << PagesSeen();
    }

    void Mission(const std::string &name, const std::string &script) { WriteText(Dir / "Data" / "Maps" / name, script); }

    fs::path Dir;
    std::unique_ptr<TChild> Game;
    std::string Window;
    int Width = 0, Height = 0;
};

// Pages by index, as the game logs them.
constexpr int Main = 0, Exit = 1, CreatePlayer = 7, StageComplete = 15, Pause = 14, Final = 19, Country = 20,
              SendHighScore = 21, Story = 18, Weapons = 24;

TEST_F(CampaignClicks, ANewPlayerFliesTheFirstMissionAndReachesTheCountryEntry)
{
    Mission("Level1.ses", WonAfter(3));
    Start();
    ASSERT_EQ(Shown(CreatePlayer), 1);
    for (int i = 0; i < 9; ++i)
        Key("BackSpace");   // "Anonymous"
    for (const char *key : {"a", "c", "e"})
        Key(key);
    const int mains = Shown(Main);
    Key("Return");
    ASSERT_TRUE(Reaches(Main, mains));
    ClickTo(0, 150, Story);       // Start Game
    ClickTo(0, 0, Weapons);       // the story, then the loading page
    Click(-75, 100);              // the laser
    const int completes = Shown(StageComplete);
    Click(-140, -282);            // START: the mission flies
    ASSERT_TRUE(Reaches(StageComplete, completes, 90)) << "the mission was not won\n" << PagesSeen();
    TConfig saved;
    saved.Load((Dir / "Config.cfg").string());
    ASSERT_EQ(saved.PlayerCount, 1);
    EXPECT_EQ(saved.Players[0].Level, "Level16.ses") << "the won mission saves the next level";

    ClickTo(0, -266, Final);      // Next: the sixteenth level is not there, the campaign ends
    ClickTo(0, 0, Country);
    for (const char *key : {"n", "o", "r", "w", "a", "y"})
        Key(key);
    const int sends = Shown(SendHighScore);
    Key("Return");
    ASSERT_TRUE(Reaches(SendHighScore, sends));
    ClickTo(120, -40, Main);      // NO: no world submission
    ClickTo(0, -110, Exit);       // Exit
    Click(-120, -40, 0);          // YES
    ASSERT_EQ(Game->Wait(20), 0) << Game->Err();
    saved.Load((Dir / "Config.cfg").string());
    EXPECT_EQ(saved.HighScores[0].Name, "ACE");
    EXPECT_EQ(saved.HighScores[0].Score, "0");
}

TEST_F(CampaignClicks, EscapeInFlightPausesAndResumeGameFliesOn)
{
    Mission("Level1.ses", WonAfter(6));
    TConfig config;
    config.PlayerCount = 1;
    config.Players[0].Name = "ACE";
    config.FullScreen = false;
    WriteConfig(Dir / "Config.cfg", config);
    Start();
    ClickTo(0, 150, Story);       // Start Game
    ClickTo(0, 0, Weapons);
    Click(-140, -282);            // START
    Sleep(1500);
    const int pauses = Shown(Pause), mains = Shown(Main);
    Key("Escape");
    ASSERT_TRUE(Reaches(Pause, pauses)) << "Escape in flight shows no pause page\n" << PagesSeen();
    Click(-120, -40);             // YES: to the main page, the mission kept
    ASSERT_TRUE(Reaches(Main, mains));
    Sleep(8000);                  // the mission waits meanwhile
    EXPECT_EQ(Shown(StageComplete), 0) << "the mission went on behind the menu";
    Click(0, 150);                // Resume Game heads the column
    EXPECT_TRUE(Reaches(StageComplete, 0, 90)) << "the mission did not go on\n" << PagesSeen();
}

// The main page on screens of three shapes, with the window as large as the screen (the desktop's
// own resolution): the backdrop fills the window, and the menu's column keeps its proportions,
// centred, as large as the height allows.
TEST_F(CampaignClicks, TheMainPageKeepsItsShapeOnWideScreens)
{
    if (std::system("command -v xvfb-run >/dev/null") != 0)
        GTEST_SKIP() << "needs xvfb-run";
    const struct {
        int Width, Height;
    } screens[] = {{1024, 768}, {1680, 1050}, {1920, 1080}};
    for (const auto &screen : screens) {
        SCOPED_TRACE(std::to_string(screen.Width) + "x" + std::to_string(screen.Height));
        TConfig config;
        config.Resolution = 3;   // the desktop's own size
        config.FullScreen = false;
        config.PlayerCount = 1;
        config.Players[0].Name = "ACE";
        WriteConfig(Dir / "Config.cfg", config);
        const fs::path shot = Dir / ("main" + std::to_string(screen.Width) + ".png");
        const TToolRun run = RunTool(Dir, "xvfb-run -a -s '-screen 0 " + std::to_string(screen.Width) + "x" +
                                              std::to_string(screen.Height) + "x24' ./zephrona -nowait -windowed -batch -frames 20 -screenshot " +
                                              shot.string());
        ASSERT_EQ(run.Status, 0) << run.Err;
        const TTestImage image = LoadTestPng(shot);
        ASSERT_EQ(image.Width, screen.Width);
        ASSERT_EQ(image.Height, screen.Height);
        // No bare edges: the backdrop reaches every side.
        for (const auto &[x, y] : {std::pair{2, screen.Height / 2}, std::pair{screen.Width - 3, screen.Height / 2},
                                   std::pair{screen.Width / 2, screen.Height - 3}, std::pair{screen.Width / 2, 2}}) {
            const std::uint8_t *p = image.At(x, y);
            EXPECT_GT(p[0] + p[1] + p[2], 15) << x << "," << y;
        }
        // In the row of "Options" (at y 98), the outermost frame is the panel's (x -190..190 in virtual
        // units): as wide as the scale of the height allows, centred, not stretched to the width.
        const double scale = std::min(screen.Width / 1024.0, screen.Height / 768.0);
        const int row = int(std::lround(screen.Height / 2.0 - 98 * scale));
        int left = image.Width, right = -1;
        for (int x = 0; x < image.Width; ++x)
            if (IsFrameGreen(image.At(x, row))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        EXPECT_NEAR(right - left, 380 * scale, 10 * scale);
        EXPECT_NEAR((left + right) / 2.0, screen.Width / 2.0, 4);
    }
}

} // namespace
