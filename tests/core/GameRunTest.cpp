// End-to-end runs of the real game under an X display: start-up, the frame loop and shut-down.

#include "core/Png.h"
#include "core/Text.h"
#include "data/Config.h"
#include "data/Locale.h"
#include "tests/GameRun.h"
#include "tests/TestUtil.h"
#include "tests/ScreenText.h"
#include "tools/dpg/DpgWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> StartUpLines = {
    "Loading Archive", "Loading Config", "Creating Window", "Window created.", "Init GL Ext", "Init IL",
    "Loading TexLib", "Loading MdlLib", "Loading Out2D", "Loading IMage", "Loading Controls",
    "Create effects control", "Create effects control", "Create billboards control", "Create noise control",
    "Loading Environment", "Create light", "Loading Effects", "Create gamer", "Create dynamic camera",
    "Create camera effects", "Create lighting", "Create ingame timer", "Create world control", "Create haze",
    "Create bloom", "Create Water", "Create sky", "Loading Misc", "Loading HUD",
    Cp1251FromUtf8("Загружаются меню"), Cp1251FromUtf8("Запуск игры"),
};

bool IsBlack(const unsigned char *p) { return p[0] < 8 && p[1] < 8 && p[2] < 8; }

// The start-up lines of the log in the order written, without the lines other services add about
// their own work (what the archive holds and finds, a missing audio device...).
std::vector<std::string> StartUpLog(const fs::path &dir)
{
    std::vector<std::string> lines;
    for (const std::string &line : SplitLines(ReadAll(dir / "log.txt")))
        if (std::find(StartUpLines.begin(), StartUpLines.end(), line) != StartUpLines.end())
            lines.push_back(line);
    return lines;
}

std::size_t CountOf(const std::string &text, const std::string &part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(GameRun, SplashScreenshotShowsTheLogoAtTheCentre)
{
    const fs::path shot = Dir / "splash.png";
    const TRun run = Run({"-log", "-nowait", "-windowed", "-batch", "-frames", "0", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(StartUpLog(Dir), StartUpLines);
    const std::vector<std::string> log = SplitLines(ReadAll(Dir / "log.txt"));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "Extractor.LoadFromFile " + Dir.string() + "/Data.dpg");
    EXPECT_EQ(log[2], "Extractor.FileList:");
    EXPECT_NE(std::find(log.begin(), log.end(), "Extractor.FileFound " + Dir.string() + "/Data\\Menu\\Logo.png"), log.end());

    const TTestImage image = LoadTestPng(shot);
    ASSERT_EQ(image.Width, 800);   // the default resolution
    ASSERT_EQ(image.Height, 600);
    // The logo fills a 512 x 64 box at the centre; everything else is the cleared screen.
    int lit = 0, inside = 0;
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const bool inBox = x >= 400 - 256 && x < 400 + 256 && y >= 300 - 32 && y < 300 + 32;
            if (!inBox) {
                ASSERT_TRUE(IsBlack(image.At(x, y))) << "lit at " << x << "," << y;
                continue;
            }
            ++inside;
            const unsigned char *p = image.At(x, y);
            lit += p[0] + p[1] + p[2] > 300;
        }
    EXPECT_GT(lit, inside / 10) << "the logo is not bright enough to be seen";
    // The title letters are bright in the middle of the box, with dark gaps between them.
    int changes = 0;
    auto bright = [&](int x) {
        const unsigned char *p = image.At(x, 282);
        return p[0] + p[1] + p[2] > 400;
    };
    for (int x = 400 - 200; x < 400 + 200; ++x)
        changes += bright(x) != bright(x + 1);
    EXPECT_GE(changes, 8) << "no letters across the middle of the logo";
}

TEST_F(GameRun, FrameLoopRunsAndQuitsNormally)
{
    const fs::path shot = Dir / "frame.png";
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-log", "-frames", "30", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(StartUpLog(Dir), StartUpLines);
    const TTestImage image = LoadTestPng(shot);
    ASSERT_EQ(image.Width, 800);
    EXPECT_FALSE(IsBlack(image.At(400, 292))) << "the last frame shown lost the logo";
    // A fresh game folder has no player: the menu opens on the create-player page. Its title
    // "ENTER NICK NAME" is three words of 5, 4 and 4 capitals (all of one height) across the top of
    // the panel...
    const std::vector<TInkRun> title = InkRuns(image, TitleCaption, 0, 100, 800, 170, 1);
    ASSERT_EQ(title.size(), 13u) << "not the create-player page's title";
    EXPECT_EQ(InkWords(title, 8), 3);
    EXPECT_EQ(InkWords({title.begin(), title.begin() + 5}, 8), 1);
    EXPECT_EQ(InkWords({title.begin() + 4, title.begin() + 6}, 8), 2);   // "ENTER" then "NICK"
    EXPECT_EQ(InkWords({title.begin() + 8, title.begin() + 10}, 8), 2);  // "NICK" then "NAME"
    for (const TInkRun &letter : title) {
        EXPECT_NEAR(letter.Top, title[0].Top, 1);
        EXPECT_NEAR(letter.Bottom, title[0].Bottom, 1);
    }
    // ... and its entry holds "Anonymous" in lime: one word, a capital taller than the small letters
    // after it, and one letter, the "y", reaching below the line.
    const std::vector<TInkRun> name = InkRuns(image, LimeCaption, 200, 180, 600, 235, 1);
    ASSERT_GE(name.size(), 9u) << "no name in the entry";
    EXPECT_EQ(InkWords(name, 8), 1);
    int below = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        EXPECT_GE(name[i].Top - name[0].Top, 3) << "glyph " << i << " is as tall as the capital";
        below += name[i].Bottom - name[0].Bottom >= 3;
    }
    EXPECT_EQ(below, 1) << "one descender";
    // A fresh game folder gets its default key bindings and input settings.
    EXPECT_EQ(SplitLines(ReadAll(Dir / "keys.cfg")).size(), 17u);
    EXPECT_EQ(SplitLines(ReadAll(Dir / "keys.cfg"))[0], "KP_FORWARD=87");
}

TEST_F(GameRun, WithoutLogSwitchLogFileIsLeftAlone)
{
    std::ofstream(Dir / "log.txt", std::ios::binary) << "earlier run\r\n";
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-frames", "2"});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(ReadAll(Dir / "log.txt"), "earlier run\r\n");
}

TEST_F(GameRun, LooseDataIsFoundWhateverTheLetterCaseOnDisk)
{
    fs::remove(Dir / "Data.dpg");
    fs::copy(fs::path(ZEPHRONA_STAGE_DIR) / "Data", Dir / "data", fs::copy_options::recursive);
    fs::rename(Dir / "data" / "Menu" / "Logo.png", Dir / "data" / "Menu" / "LOGO.PNG");
    fs::rename(Dir / "data" / "Menu", Dir / "data" / "MENU");
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-frames", "1"});
    EXPECT_EQ(run.Status, 0) << run.Stderr;
}

TEST_F(GameRun, LooseFileOverridesTheArchive)
{
    // A plain red picture dropped into the data tree replaces the packed logo.
    std::vector<std::uint8_t> red(512 * 64 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4) {
        red[i] = 255;
        red[i + 3] = 255;
    }
    fs::create_directories(Dir / "Data" / "Menu");
    ASSERT_TRUE(WritePng((Dir / "Data" / "Menu" / "Logo.png").string(), 512, 64, red));
    const fs::path shot = Dir / "red.png";
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-frames", "0", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    const TTestImage image = LoadTestPng(shot);
    ASSERT_EQ(image.Width, 800);
    const unsigned char *centre = image.At(400, 300);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(centre[2], 0);
}

TEST_F(GameRun, MissingLogoIsLoggedAndTheGameGoesOn)
{
    PackWithout("Data\\Menu\\Logo.png");
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-log", "-frames", "1"});
    EXPECT_EQ(run.Status, 0) << run.Stderr;
    const std::vector<std::string> log = SplitLines(ReadAll(Dir / "log.txt"));
    EXPECT_NE(std::find(log.begin(), log.end(), "File not found:" + Dir.string() + "/Data\\Menu\\Logo.png"), log.end());
}

TEST_F(GameRun, NoDisplayFailsCleanlyWithoutWritingUserFiles)
{
    const TRun run = Run({"-nowait", "-log", "-frames", "1"}, false);
    EXPECT_EQ(run.Status, 4);
    EXPECT_NE(run.Stderr.find("Error: "), std::string::npos) << run.Stderr;
    EXPECT_EQ(StartUpLog(Dir), (std::vector<std::string>{"Loading Archive", "Loading Config", "Creating Window"}));
    EXPECT_FALSE(fs::exists(Dir / "Config.cfg"));
    EXPECT_FALSE(fs::exists(Dir / "keys.cfg"));
}

// A recording is checked whole before anything starts: a damaged or cut-short one ends the run with
// a message naming it, before a window opens or a user file is written. A good one plays.
TEST_F(GameRun, RecordingsAreCheckedBeforeTheGameStarts)
{
    const fs::path recording = Dir / "short.rec", recorded = Dir / "recorded.png", replayed = Dir / "replayed.png";
    TRun run = Run({"-nowait", "-windowed", "-batch", "-frames", "20", "-record", recording.string(), "-screenshot", recorded.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    fs::remove(Dir / "Config.cfg");
    run = Run({"-nowait", "-windowed", "-batch", "-replay", recording.string(), "-screenshot", replayed.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(LoadTestPng(replayed).Rgba, LoadTestPng(recorded).Rgba);

    const std::string whole = ReadAll(recording);
    const struct {
        const char *Name;
        std::string Bytes, Message;
    } damaged[] = {
        {"cut.rec", whole.substr(0, whole.size() - 30), "is cut short after 19 frames: it does not end as a finished recording does"},
        {"header.rec", whole.substr(0, 12) + char(whole[12] ^ 1) + whole.substr(13), "is damaged: its header fails its check"},
    };
    for (const auto &d : damaged) {
        SCOPED_TRACE(d.Name);
        fs::remove(Dir / "Config.cfg");
        WriteText(Dir / d.Name, d.Bytes);
        run = Run({"-nowait", "-windowed", "-batch", "-log", "-replay", (Dir / d.Name).string()});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Stderr, "The recording \"" + (Dir / d.Name).string() + "\" " + d.Message + "\n");
        EXPECT_FALSE(fs::exists(Dir / "Config.cfg"));
        EXPECT_FALSE(fs::exists(Dir / "log.txt")) << "started before refusing";
    }
    // A disk that fills up: the game plays on, and says at the end that the recording is lost.
    run = Run({"-nowait", "-windowed", "-batch", "-frames", "3", "-record", "/dev/full"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Stderr.find("Cannot write the recording \"/dev/full\": writing failed after 0 frames, and it cannot be played\n"),
              std::string::npos)
        << run.Stderr;
    run = Run({"-nowait", "-batch", "-record", (Dir / "no folder" / "x.rec").string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Stderr.find("Cannot write the recording \"" + (Dir / "no folder" / "x.rec").string() + "\""), std::string::npos)
        << run.Stderr;
}

TEST_F(GameRun, CommandLineHelpAndErrors)
{
    TRun run = Run({"-help"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Stdout.find("-screenshot FILE"), std::string::npos) << run.Stdout;
    EXPECT_FALSE(fs::exists(Dir / "log.txt"));

    run = Run({"-nowait", "-bogus"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Stderr, "Unknown switch \"-bogus\" (try -help)\n");
    run = Run({"-nowait", "-shots", "30:a.png,b.png"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Stderr, "Switch -shots needs FRAME:FILE pairs separated by commas, not \"b.png\"\n");
}

TEST_F(GameRun, ShotsAlongOneRunAreTheFramesThatEndRunsThere)
{
    // A mission flown for 60 frames and recorded, then its recording stopped after 30.
    const fs::path recording = Dir / "take-off.rec";
    const auto path = [&](const char *name) { return (Dir / name).string(); };
    const std::vector<std::string> game = {"-nowait", "-windowed", "-batch", "-fixedfps"};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), game.begin(), game.end());
        return args;
    };
    TRun run = Run(with({"-map", "Data/Maps/Level1.ses", "-frames", "60", "-record", recording.string(), "-screenshot",
                         path("end60.png")}));
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    const std::string end60 = SplitLines(run.Stdout).back();
    run = Run(with({"-replay", recording.string(), "-frames", "30", "-screenshot", path("end30.png")}));
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    const std::string end30 = SplitLines(run.Stdout).back();
    ASSERT_EQ(end30.rfind("mission: running ", 0), 0u) << end30;

    // One replay with shots at both frames (listed out of order) and one past its end: each shot is
    // the picture and the mission line of the run that ended there, the run goes on to its own end,
    // and the shot it never reached is an error.
    run = Run(with({"-replay", recording.string(), "-shots", "60:" + path("shot60.png") + ",90:" + path("late.png"),
                    "-shots", "30:" + path("shot30.png")}));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Stderr.find("The run ended after 60 frames, before the shot of frame 90 (\"" + path("late.png") + "\")\n"),
              std::string::npos)
        << run.Stderr;
    EXPECT_EQ(SplitLines(run.Stdout), (std::vector<std::string>{"shot 30: " + end30, "shot 60: " + end60, end60}));
    EXPECT_EQ(LoadTestPng(Dir / "shot30.png").Rgba, LoadTestPng(Dir / "end30.png").Rgba);
    EXPECT_EQ(LoadTestPng(Dir / "shot60.png").Rgba, LoadTestPng(Dir / "end60.png").Rgba);
    EXPECT_NE(LoadTestPng(Dir / "shot30.png").Rgba, LoadTestPng(Dir / "shot60.png").Rgba);
    EXPECT_FALSE(fs::exists(Dir / "late.png"));
}

namespace {

// A plain picture of one colour, written where the game will look for an image.
void WriteSolidPng(const fs::path &path, int w, int h, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<std::uint8_t> pixels(std::size_t(w) * h * 4);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
        pixels[i + 3] = 255;
    }
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(WritePng(path.string(), w, h, pixels));
}

void WriteConfig(const fs::path &path, const std::vector<std::string> &values)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::string &v : values)
        out << EncodeConfigLine(v) << "\r\n";
}

std::vector<std::string> ReadConfig(const fs::path &path)
{
    std::vector<std::string> values;
    for (const std::string &line : SplitLines(ReadAll(path)))
        values.push_back(DecodeConfigLine(line));
    return values;
}

} // namespace

TEST_F(GameRun, RussianSwitchPicksTheRussianLogo)
{
    WriteSolidPng(Dir / "Data" / "Menu" / "Logo_rus.png", 512, 64, 0, 255, 0);
    const fs::path rus = Dir / "rus.png", eng = Dir / "eng.png";
    TRun run = Run({"-nowait", "-windowed", "-batch", "-rus", "-frames", "0", "-screenshot", rus.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(LoadTestPng(rus).At(400, 300)[1], 255);
    EXPECT_EQ(LoadTestPng(rus).At(400, 300)[0], 0);
    run = Run({"-nowait", "-windowed", "-batch", "-eng", "-frames", "0", "-screenshot", eng.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_NE(LoadTestPng(eng).At(400, 300)[0], 0);   // the packed English logo, not the green one
}

TEST_F(GameRun, MissingStringTableIsNamed)
{
    PackWithout("Data\\Locale.txt");
    const TRun run = Run({"-nowait", "-batch", "-frames", "1"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Stderr, "File not found: \"" + Dir.string() + "/Data\\Locale.txt\"\n");
}

TEST_F(GameRun, SettingsAreLoadedAndSavedBack)
{
    std::vector<std::string> values = TConfig().ValueLines();
    values[1] = "1";        // 1024 x 768
    values[3] = "false";    // windowed
    values[16] = "42";      // music volume
    WriteConfig(Dir / "Config.cfg", values);
    const fs::path shot = Dir / "shot.png";
    const TRun run = Run({"-nowait", "-batch", "-frames", "1", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(LoadTestPng(shot).Width, 1024);
    EXPECT_EQ(LoadTestPng(shot).Height, 768);
    EXPECT_EQ(ReadConfig(Dir / "Config.cfg"), values);
    EXPECT_FALSE(fs::exists(Dir / "Config.cfg.tmp"));
}

TEST_F(GameRun, BadSettingsFallBackToDefaults)
{
    std::vector<std::string> values = TConfig().ValueLines();
    values[1] = "9";   // no such resolution
    WriteConfig(Dir / "Config.cfg", values);
    const fs::path shot = Dir / "shot.png";
    TRun run = Run({"-nowait", "-windowed", "-batch", "-frames", "1", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(LoadTestPng(shot).Width, 800);

    std::ofstream(Dir / "Config.cfg", std::ios::binary) << "garbage\r\n\x01\x02\r\n";
    run = Run({"-nowait", "-windowed", "-batch", "-frames", "1"});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(ReadConfig(Dir / "Config.cfg"), TConfig().ValueLines());   // saved back whole, with the defaults
}

// A player with a saved level opens on the main page, which asks the archive for that level once
// for the visit, not once a frame (each asking writes a log line).
TEST_F(GameRun, MainPageAsksForTheSavedLevelOncePerVisit)
{
    TConfig config;
    config.PlayerCount = 1;
    config.CurrentPlayer = 0;
    config.Players[0].Name = "ACE";
    config.Players[0].Level = "Saved.ses";
    WriteConfig(Dir / "Config.cfg", config.ValueLines());
    const TRun run = Run({"-nowait", "-windowed", "-batch", "-log", "-frames", "40"});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(CountOf(ReadAll(Dir / "log.txt"), "Data\\Maps\\Saved.ses"), 1u);
}

TEST_F(GameRun, RefusedFullScreenModeOpensAWindowOfTheSameSize)
{
    std::vector<std::string> values = TConfig().ValueLines();
    values[1] = "4";   // 320 x 200: no display offers that mode
    WriteConfig(Dir / "Config.cfg", values);
    const fs::path shot = Dir / "shot.png";
    const TRun run = Run({"-nowait", "-batch", "-frames", "1", "-screenshot", shot.string()});
    ASSERT_EQ(run.Status, 0) << run.Stderr;
    EXPECT_EQ(CountOf(run.Stderr, "Error: Unable to switch to fullscreen!\n"), 1u) << run.Stderr;
    EXPECT_EQ(LoadTestPng(shot).Width, 320);
    EXPECT_EQ(LoadTestPng(shot).Height, 200);
}
