// The menu in the real game window, driven by real pointer and keyboard events (xdotool under Xvfb):
// a player created, options changed and kept across a restart, the high-score table cleared and a
// score sent to the local score server, in the English and the Russian menu; and the menu's
// pictures at the three resolutions the graphics page offers. (The Russian keyboard layout's
// letters are covered where the text entry maps key codes, without a window.)
//
// The game here is tests/menu/MenuGame.cpp: the game's own start-up and loop with the menu wired in.
// Button positions are the pages' layout in virtual units (x -512..512, y -384..384, y up).

#include "core/Png.h"
#include "core/Text.h"
#include "data/Config.h"
#include "tests/TestUtil.h"
#include "tests/menu/Child.h"
#include "tests/ScreenText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The score server's table in its plain export: a line per score, "score<TAB>name<TAB>country<TAB>time".
std::string ScoreTable(const std::filesystem::path &dir)
{
    return RunTool(dir, ZEPHRONA_TOOLS_DIR "/scoreserver --export scores.db").Out;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::string> ReadConfig(const fs::path &path)
{
    std::vector<std::string> values;
    for (const std::string &line : SplitLines(ReadAll(path)))
        values.push_back(DecodeConfigLine(line));
    return values;
}

void WriteConfig(const fs::path &path, const TConfig &config)
{
    std::string text;
    for (const std::string &value : config.ValueLines())
        text += EncodeConfigLine(value) + "\r\n";
    WriteText(path, text);
}

// Lime caption pixels in a box of the picture.
int LimePixels(const TTestImage &image, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(image.Height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.Width, x1); ++x) {
            const std::uint8_t *p = image.At(x, y);
            count += p[1] > 200 && p[0] > 140 && p[0] < 215 && p[2] < 110;
        }
    return count;
}

class MenuClicks : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        if (std::system("command -v xdotool >/dev/null") != 0)
            GTEST_SKIP() << "needs xdotool (tools/setup.sh installs it)";
        Dir = fs::path(ZEPHRONA_TEST_DIR) / ("menu-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        fs::copy(fs::path(ZEPHRONA_GAME_DIR) / "zephrona", Dir / "zephrona", fs::copy_options::create_hard_links);
        fs::copy(fs::path(ZEPHRONA_GAME_DIR) / "Data.dpg", Dir / "Data.dpg", fs::copy_options::create_hard_links);
    }
    void TearDown() override { Game.reset(); }

    // Starts the game and waits until its start-up is over and its window found.
    void Start(std::vector<std::string> extra = {}, std::vector<std::string> env = {})
    {
        Game.reset();
        fs::remove(Dir / "log.txt");
        std::vector<std::string> argv = {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-log", "-frames", "100000"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        Game = std::make_unique<TChild>(Dir, "game", argv, env);
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

    // A click at virtual (X, Y): the menu's cursor sits 0.1 below the pointer.
    void Click(float x, float y, int settle = 700)
    {
        const int px = int(std::lround((x / 512 + 1) * Width / 2)), py = int(std::lround((0.9f - y / 384) * Height / 2));
        Xdotool("mousemove --window " + Window + " " + std::to_string(px) + " " + std::to_string(py));
        Sleep(150);
        Xdotool("mousedown 1");
        Sleep(100);
        Xdotool("mouseup 1");
        Sleep(settle);
    }

    void Key(const std::string &keysym, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            Xdotool("keydown " + keysym);
            Sleep(80);
            Xdotool("keyup " + keysym);
            Sleep(80);
        }
    }

    // Quits through the exit page, from the main page, and waits for the game to end.
    void ExitGame()
    {
        Click(0, -110);    // Exit
        Click(-120, -40, 0);   // YES
        EXPECT_EQ(Game->Wait(20), 0) << Game->Err();
    }

    fs::path Dir;
    std::unique_ptr<TChild> Game;
    std::string Window;
    int Width = 0, Height = 0;
};

TEST_F(MenuClicks, ANewPlayerAndChangedOptionsAreKeptAcrossARestart)
{
    Start();
    Key("BackSpace", 9);   // "Anonymous"
    Key("a");
    Key("c");
    Key("e");
    Key("Return");
    Sleep(700);
    Click(0, 98);       // Options
    Click(0, 98);       // SOUND
    Click(58, 140);     // MUSIC: one step down
    Click(0, -20);      // BACK
    Click(0, -6);       // GAME
    Click(282, 12);     // INVERT: on
    Click(0, -196);     // BACK: stores the game options
    Click(0, -96);      // BACK to the main page
    ExitGame();
    TConfig config;
    config.Load((Dir / "Config.cfg").string());
    ASSERT_EQ(config.PlayerCount, 1);
    EXPECT_EQ(config.Players[0].Name, "ACE");
    EXPECT_EQ(config.MusicVolume, 90);
    EXPECT_TRUE(config.InvertMouse);

    // The next run opens on the main page with the same settings.
    const std::vector<std::string> saved = ReadConfig(Dir / "Config.cfg");
    Start();
    ExitGame();
    EXPECT_EQ(ReadConfig(Dir / "Config.cfg"), saved);
}

TEST_F(MenuClicks, TheHighScoreTableIsViewedAndCleared)
{
    TConfig config;
    config.PlayerCount = 1;
    config.Players[0].Name = "ACE";
    config.HighScores[0] = {"ACE", "9000"};
    config.HighScores[1] = {"BOB", "700"};
    WriteConfig(Dir / "Config.cfg", config);
    Start();
    Click(0, 46);        // High Score
    Click(0, -170);      // CLEAR HIGHSCORE TABLE
    Click(-120, -40);    // YES
    Click(0, -274);      // BACK
    ExitGame();
    TConfig saved;
    saved.Load((Dir / "Config.cfg").string());
    for (const THighScore &entry : saved.HighScores) {
        EXPECT_EQ(entry.Name, "Anonymous");
        EXPECT_EQ(entry.Score, "0");
    }
}

// The country page follows a finished campaign; the game opens on it here, as missions come later.
TEST_F(MenuClicks, AScoreIsSentToTheLocalScoreServer)
{
    TScoreServer server(Dir, Dir / "scores.db");
    ASSERT_FALSE(server.Base.empty()) << server.Child.Err();
    WriteText(Dir / "Data" / "Menu" / "ScoreServer.txt", server.Base + "\r\n");
    TConfig config;
    config.PlayerCount = 1;
    config.Players[0].Name = "ACE";
    config.Players[0].Score = 1500;
    WriteConfig(Dir / "Config.cfg", config);
    Start({"-page", "20"});
    for (const char *key : {"n", "o", "r", "w", "a", "y"})
        Key(key);
    Key("Return");
    Sleep(700);
    Click(-120, -40, 1500);   // YES: send
    ExitGame();
    const std::vector<std::string> lines = SplitLines(ScoreTable(Dir));
    ASSERT_EQ(lines.size(), 1u) << server.Child.Out();
    EXPECT_EQ(lines[0].substr(0, lines[0].rfind('\t')), "1500\tACE\tNORWAY");
    TConfig saved;
    saved.Load((Dir / "Config.cfg").string());
    EXPECT_EQ(saved.HighScores[0].Name, "ACE");
    EXPECT_EQ(saved.HighScores[0].Score, "1500");
}

TEST_F(MenuClicks, TheSameInTheRussianMenu)
{
    TScoreServer server(Dir, Dir / "scores.db");
    WriteText(Dir / "Data" / "Menu" / "ScoreServer.txt", server.Base + "\r\n");
    const fs::path shot = Dir / "russian.png";
    Start({"-rus", "-screenshot", shot.string()});
    Key("BackSpace", 6);   // "Аноним"
    for (const char *key : {"i", "v", "a", "n"})
        Key(key);
    Key("Return");
    Sleep(700);
    Click(0, 98);       // НАСТРОЙКИ
    Click(0, 46);       // УПРАВЛЕНИЕ
    Click(150, 208);    // ГАЗ: capture the next key
    Key("u");
    Click(140, -266);   // НАЗАД
    Click(0, -96);      // НАЗАД to the main page
    ExitGame();
    TConfig config;
    config.Load((Dir / "Config.cfg").string());
    ASSERT_EQ(config.PlayerCount, 1);
    EXPECT_EQ(config.Players[0].Name, "IVAN");
    EXPECT_NE(ReadAll(Dir / "keys.cfg").find("KP_FORWARD=85"), std::string::npos) << ReadAll(Dir / "keys.cfg");
    // The last frame shown is the Russian exit question over the backdrop.
    const TTestImage image = LoadTestPng(shot);
    EXPECT_EQ(image.Width, 800);
    EXPECT_GT(LimePixels(image, 0, 0, image.Width, image.Height), 50);
    // Its lines "Вы уверены," / "что хотите" / "выйти из игры?" have 2, 2 and 3 words (the English
    // question 3, 2 and 4). Each "ы" is two strokes, so the glyphs show as 12, 9 and 14 column runs.
    const struct {
        int Y, Words, Runs;
    } question[] = {{191, 2, 12}, {222, 2, 9}, {253, 3, 14}};
    for (const auto &line : question) {
        SCOPED_TRACE(line.Y);
        const std::vector<TInkRun> runs = InkRuns(image, TitleCaption, 190, line.Y - 13, 610, line.Y + 13);
        EXPECT_EQ(InkWords(runs, 5), line.Words);
        EXPECT_EQ(runs.size(), std::size_t(line.Runs));
    }

    // A score goes out the same way from the Russian menu.
    config.Players[0].Score = 700;
    WriteConfig(Dir / "Config.cfg", config);
    Start({"-rus", "-page", "20"});
    Key("r");
    Key("u");
    Key("Return");
    Sleep(700);
    Click(-120, -40, 1500);   // ДА: send
    ExitGame();
    const std::vector<std::string> lines = SplitLines(ScoreTable(Dir));
    ASSERT_EQ(lines.size(), 1u) << server.Child.Out();
    EXPECT_EQ(lines[0].substr(0, lines[0].rfind('\t')), "700\tIVAN\tRU");
}

// A menu session played with real pointer and key events, recorded, plays again from its recording
// with no input at all: the same last picture (the controls page with the key captured and the
// settings changed, the menu's cursor where the pointer was) and the same Config.cfg. The replay
// plays with the recorded bindings and leaves the player's own keys.cfg alone.
TEST_F(MenuClicks, ARecordedSessionReplaysTheSameWithoutInput)
{
    const fs::path recording = Dir / "session.rec", recorded = Dir / "recorded.png", replayed = Dir / "replayed.png";
    // Fixed 25 ms steps: the run's 1000 frames end about 25 s after start-up, well after the clicks.
    Start({"-fixedfps", "-frames", "1000", "-record", recording.string(), "-screenshot", recorded.string()});
    Key("BackSpace", 9);   // "Anonymous"
    for (const char *key : {"a", "c", "e", "Return"})
        Key(key);
    Sleep(700);
    Click(0, 98);         // Options
    Click(0, 46);         // CONTROLS
    Click(150, 208);      // ACCELERATE: capture the next key
    Key("u");
    Click(282, -108);     // MOUSE SENSITIVITY: two steps up
    Click(282, -108);
    Click(58, -196);      // PAD DEAD ZONE: one step down
    ASSERT_EQ(Game->Wait(60), 0) << Game->Err();
    const std::string keys = ReadAll(Dir / "keys.cfg");
    for (const char *line : {"KP_FORWARD=85", "MOUSE_SENSITIVITY=120", "PAD_DEADZONE=15"})
        EXPECT_NE(keys.find(line), std::string::npos) << line << " missing from\n" << keys;
    const std::string config = ReadAll(Dir / "Config.cfg");
    ASSERT_FALSE(config.empty());

    // The folder as the recording found it, but for bindings of the player's own.
    fs::remove(Dir / "Config.cfg");
    const std::string ownKeys = "KP_FORWARD=70\r\nKP_FORWARD=70\r\nMOUSE_SENSITIVITY=50\r\n";
    WriteText(Dir / "keys.cfg", ownKeys);
    Xdotool("mousemove 0 0");
    TChild replay(Dir, "replay",
                  {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-replay", recording.string(), "-screenshot",
                   replayed.string()});
    ASSERT_EQ(replay.Wait(90), 0) << replay.Err();
    EXPECT_EQ(ReadAll(Dir / "Config.cfg"), config);
    EXPECT_EQ(ReadAll(Dir / "keys.cfg"), ownKeys);
    const TTestImage a = LoadTestPng(recorded), b = LoadTestPng(replayed);
    ASSERT_EQ(a.Width, 800);
    ASSERT_EQ(b.Width, a.Width);
    ASSERT_EQ(b.Height, a.Height);
    int differing = 0;
    for (std::size_t i = 0; i < a.Rgba.size(); i += 4)
        differing += !std::equal(a.Rgba.begin() + std::ptrdiff_t(i), a.Rgba.begin() + std::ptrdiff_t(i + 4), b.Rgba.begin() + std::ptrdiff_t(i));
    EXPECT_EQ(differing, 0) << "pixels differ between " << recorded << " and " << replayed;
    EXPECT_GT(LimePixels(a, 0, 0, a.Width, a.Height), 50) << "not a menu page";
}

// The main page at the three resolutions of the graphics page: the pictures land in the test folder
// for a person to look at; each must show its captions where the layout puts the buttons.
TEST_F(MenuClicks, TheMainPageAtEachResolution)
{
    Xdotool("mousemove 0 0");   // the menu's cursor out of the way
    const struct {
        int Index, Width, Height;
    } sizes[] = {{0, 800, 600}, {1, 1024, 768}, {2, 1280, 1024}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.Width);
        TConfig config;
        config.Resolution = size.Index;
        config.PlayerCount = 1;
        config.Players[0].Name = "ACE";
        WriteConfig(Dir / "Config.cfg", config);
        const fs::path shot = Dir / ("main" + std::to_string(size.Width) + ".png");
        TChild game(Dir, "shot", {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-frames", "20", "-screenshot", shot.string()});
        ASSERT_EQ(game.Wait(60), 0) << game.Err();
        const TTestImage image = LoadTestPng(shot);
        ASSERT_EQ(image.Width, size.Width);
        ASSERT_EQ(image.Height, size.Height);
        // The "Options" button: 300 x 40 virtual units centred on (0, 98).
        const int cx = size.Width / 2, cy = int(std::lround((1 - 98.0 / 384) * size.Height / 2));
        const int hw = 150 * size.Width / 1024, hh = 20 * size.Height / 768;
        EXPECT_GT(LimePixels(image, cx - hw, cy - hh, cx + hw, cy + hh), 20 * size.Width / 800);
        // Above the panel: the title of the backdrop, not a caption.
        EXPECT_EQ(LimePixels(image, cx - hw, 0, cx + hw, size.Height / 16), 0);
    }
}

} // namespace
