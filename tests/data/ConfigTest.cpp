#include "data/Config.h"

#include "core/Text.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class ConfigFile : public testing::Test {
protected:

    // Writes a file from decoded value lines.
    void WriteValues(const std::vector<std::string> &values)
    {
        std::ofstream out(Path, std::ios::binary);
        for (const std::string &v : values)
            out << EncodeConfigLine(v) << "\r\n";
    }

    TTempDir Temp{"config"};
    const fs::path &Dir = Temp.Path;
    const std::string Path = (Dir / "Config.cfg").string();
};

TConfig FullConfig()
{
    TConfig c;
    c.Resolution = 2;
    c.ColorBits = 16;
    c.FullScreen = false;
    c.Shaders = false;
    c.Haze = true;
    c.Bloom = true;
    c.Reflections = 2;
    c.Brightness = 0.0181818f;
    c.Shadows = true;
    c.CameraView = false;
    c.ViewDistance = 3;
    c.Effects = 2;
    c.Effects3D = false;
    c.InvertMouse = true;
    c.CameraMode = 1;
    c.MusicVolume = 35;
    c.SoundVolume = 0;
    c.Difficulty = 2;
    c.PlayerCount = 2;
    c.CurrentPlayer = 1;
    c.Players[0] = {"Maverick", 1200, "Level4.ses", "Data\\Menu\\Story.png", "Data\\Menu\\Final.png", true, true};
    c.Players[1] = {"\xC8\xE2\xE0\xED", 0, "", "", "", false, false};   // a Windows-1251 name
    for (int i = 0; i < 10; ++i)
        c.HighScores[std::size_t(i)] = {"Ace " + std::to_string(i), std::to_string(9000 - 1000 * i)};
    return c;
}

void ExpectSame(const TConfig &a, const TConfig &b)
{
    EXPECT_EQ(a.ValueLines(), b.ValueLines());
    EXPECT_EQ(a.Brightness, b.Brightness);
}

} // namespace

TEST(ConfigLine, EncodingCases)
{
    EXPECT_EQ(EncodeConfigLine("Version 3").size(), 16u);   // "Version 3%" is 10 bytes
    EXPECT_EQ(DecodeConfigLine(EncodeConfigLine("Version 3")), "Version 3");
    EXPECT_EQ(EncodeConfigLine(""), "");
    EXPECT_EQ(DecodeConfigLine(""), "");
    EXPECT_EQ(EncodeConfigLine("AAAAA"), EncodeConfigLine("AAAAA"));
    EXPECT_EQ(EncodeConfigLine("%%%%%"), "EWUULKKF");        // 0x25 repeated, 5 bits at a time
    EXPECT_EQ(EncodeConfigLine("1").size(), 8u);
    for (const std::string &text : {std::string("true"), std::string("0,5"), std::string("Data\\Maps\\Level1.ses"),
                                    std::string("\xC8\xE2\xE0\xED \xFF\x80"), std::string(1000, 'x')}) {
        SCOPED_TRACE(text);
        const std::string line = EncodeConfigLine(text);
        EXPECT_EQ(line.size() % 8, 0u);
        EXPECT_EQ(line.find_first_not_of(ConfigAlphabet), std::string::npos);
        EXPECT_EQ(DecodeConfigLine(line), text);
    }
    // Characters outside the alphabet (line ends, spaces, lower case) contribute nothing.
    const std::string line = EncodeConfigLine("Version 3");
    EXPECT_EQ(DecodeConfigLine(line.substr(0, 8) + " \t0IOZ" + line.substr(8)), "Version 3");
    // A "%" in a value ends it.
    EXPECT_EQ(DecodeConfigLine(EncodeConfigLine("Top%Gun")), "Top");
}

// Worked out by hand: each text padded with "%" to 5 bytes, its 40 bits cut into 8 groups of 5, each
// group a letter of ABCDEFGHJKLMNPQRSTUVWXY123456789 (A = 0, B = 1, ... Y = 22, 1 = 23, ... 9 = 31).
//   "Ace 1" = 41 63 65 20 31 -> 01000 00101 10001 10110 01010 01000 00001 10001 = 8 5 17 22 10 8 1 17 -> JFTYLJBT
//   "00%%%" = 30 30 25 25 25 -> 00110 00000 11000 00010 01010 01001 01001 00101 = 6 0 24 2 10 9 9 5   -> GA2CLKKF
TEST(ConfigLine, KnownAnswers)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Ace 100", "JFTYLJBTGA2CLKKF"},
        {std::string(5, '\xFF'), "99999999"},
        {"%%%%%", "EWUULKKF"},
    };
    for (const auto &[text, line] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(EncodeConfigLine(text), line);
        EXPECT_EQ(DecodeConfigLine(line), text.substr(0, text.find('%')));
    }
}

TEST(ConfigScores, AddHighScoreInsertsAboveEqualScores)
{
    struct Case {
        std::vector<int> table;
        int score;
        std::vector<int> expected;
        int slot;
    } cases[] = {
        {{900, 700, 500, 300, 0, 0, 0, 0, 0, 0}, 500, {900, 700, 500, 500, 300, 0, 0, 0, 0, 0}, 2},
        {{900, 800, 700, 600, 500, 400, 300, 200, 100, 50}, 10, {900, 800, 700, 600, 500, 400, 300, 200, 100, 10}, 9},
        {{900, 800, 700, 600, 500, 400, 300, 200, 100, 50}, 1000, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}, 0},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.score);
        TConfig config;
        for (int i = 0; i < 10; ++i)
            config.HighScores[std::size_t(i)] = {"old" + std::to_string(i), std::to_string(c.table[std::size_t(i)])};
        config.PlayerCount = 1;
        config.Players[0].Name = "New";
        config.Players[0].Score = c.score;
        config.AddHighScore();
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(config.HighScores[std::size_t(i)].Score, std::to_string(c.expected[std::size_t(i)])) << i;
        EXPECT_EQ(config.HighScores[std::size_t(c.slot)].Name, "New");
    }
}

TEST_F(ConfigFile, SaveAndLoadRoundTripEverything)
{
    const TConfig saved = FullConfig();
    ASSERT_TRUE(saved.Save(Path));
    EXPECT_FALSE(fs::exists(Path + ".tmp"));
    TConfig loaded;
    loaded.Load(Path);
    ExpectSame(loaded, saved);
    EXPECT_EQ(loaded.Players[1].Name, "\xC8\xE2\xE0\xED");
    EXPECT_EQ(loaded.Players[0].Level, "Level4.ses");
    // Only the first player-count players are written: 20 settings, 2 x 7 player lines, 10 x 2
    // scores, then the difficulty.
    std::istringstream lines(ReadAll(Path));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.back(), '\r');
    EXPECT_EQ(count, 20 + 14 + 20 + 1);
    EXPECT_EQ(loaded.Difficulty, 2);
}

TEST_F(ConfigFile, AFileWithoutTheDifficultyLoadsAsBeforeOnNormal)
{
    // A file of a game from before the difficulty existed: every line it has reads as it always did.
    std::vector<std::string> old = FullConfig().ValueLines();
    old.pop_back();
    WriteValues(old);
    TConfig config;
    config.Load(Path);
    TConfig expected = FullConfig();
    expected.Difficulty = 1;
    ExpectSame(config, expected);

    // A difficulty the game does not offer reads as normal, and the rest stays.
    struct Case {
        std::string Value;
        int         Reads;
    } cases[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 1}, {"-1", 1}, {"hard", 1}, {"", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Value);
        std::vector<std::string> values = FullConfig().ValueLines();
        values.back() = c.Value;
        WriteValues(values);
        TConfig loaded;
        loaded.Load(Path);
        EXPECT_EQ(loaded.Difficulty, c.Reads);
        EXPECT_EQ(loaded.Players[0].Name, "Maverick");
    }
}

TEST_F(ConfigFile, ValueTextsAreWrittenTheGamesWay)
{
    TConfig config;
    config.Brightness = 0.5f;
    const std::vector<std::string> lines = config.ValueLines();
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines[0], "Version 3");
    EXPECT_EQ(lines[1], "0");        // resolution
    EXPECT_EQ(lines[2], "32");       // colour depth
    EXPECT_EQ(lines[3], "true");     // full screen
    EXPECT_EQ(lines[8], "0,5");      // brightness
    EXPECT_EQ(lines[16], "100");     // music volume
    EXPECT_EQ(lines.size(), 41u);    // no players: the settings, ten scores and the difficulty
    EXPECT_EQ(lines[40], "1");       // normal
    EXPECT_EQ(lines[20], "Anonymous");
    EXPECT_EQ(lines[21], "0");
}

TEST_F(ConfigFile, BooleansAreTrueOnlyWhenWrittenSo)
{
    std::vector<std::string> values = TConfig().ValueLines();
    values[3] = "TRUE";   // full screen
    values[4] = "1";      // shaders
    values[5] = "true";   // haze
    WriteValues(values);
    TConfig config;
    config.Load(Path);
    EXPECT_FALSE(config.FullScreen);
    EXPECT_FALSE(config.Shaders);
    EXPECT_TRUE(config.Haze);
}

TEST_F(ConfigFile, DamagedFilesLeaveTheDefaults)
{
    const std::vector<std::string> good = FullConfig().ValueLines();
    auto with = [&](std::size_t index, const std::string &value) {
        std::vector<std::string> v = good;
        v[index] = value;
        return v;
    };
    struct Case {
        const char *what;
        std::vector<std::string> values;
    } cases[] = {
        {"older version", with(0, "Version 2")},
        {"resolution not a number", with(1, "high")},
        {"brightness with a point", with(8, "0.5")},
        {"seven players", with(18, "7")},
        {"negative players", with(18, "-1")},
        {"current player out of the table", with(19, "6")},
        {"player score not a number", with(21, "lots")},
        {"high score not a number", with(good.size() - 2, "x")},
        {"cut short", std::vector<std::string>(good.begin(), good.begin() + 30)},
        {"only the version", {"Version 3"}},
    };
    const std::vector<std::string> defaults = TConfig().ValueLines();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteValues(c.values);
        TConfig config;
        config.Load(Path);
        EXPECT_EQ(config.ValueLines(), defaults);
    }
    std::ofstream(Path, std::ios::binary) << "\x01\x02 not a config at all";
    TConfig config;
    config.Load(Path);
    EXPECT_EQ(config.ValueLines(), defaults);
    config.Load((Dir / "missing.cfg").string());
    EXPECT_EQ(config.ValueLines(), defaults);
}

TEST_F(ConfigFile, SettingsOutsideTheirRangesReadAsTheirDefaults)
{
    const std::vector<std::string> good = FullConfig().ValueLines();   // every setting off its default
    const std::string brightest = FloatToText(9.0f / 55);
    struct Case {
        std::size_t line;
        std::string value, reads;
    } cases[] = {
        {1, "2147483647", "0"}, {1, "-1", "0"}, {1, "6", "0"}, {1, "5", "5"},   // resolution
        {2, "7", "32"}, {2, "24", "32"}, {2, "-16", "32"},                       // colour bits
        {7, "-5", "1"}, {7, "3", "1"},                                           // reflections
        {8, "1E30", "0"}, {8, "1E999", "0"}, {8, "-1E999", "0"}, {8, "-0,01", "0"}, {8, "0,2", "0"},
        {8, brightest, brightest}, {8, "0", "0"},                                // brightness
        {11, "99", "1"}, {11, "-1", "1"},                                        // view distance
        {12, "4", "0"},                                                          // effects
        {15, "2", "0"}, {15, "-1", "0"},                                         // camera mode
        {16, "-2147483648", "100"}, {16, "101", "100"}, {16, "0", "0"},         // music volume
        {17, "999999", "100"}, {17, "-1", "100"},                                // sound volume
        {19, "2", "-1"}, {19, "5", "-1"}, {19, "-1", "-1"}, {19, "0", "0"},     // current player of 2
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.line) + " = " + c.value);
        std::vector<std::string> values = good;
        values[c.line] = c.value;
        WriteValues(values);
        TConfig config;
        config.Load(Path);
        std::vector<std::string> expected = good;
        expected[c.line] = c.reads;
        EXPECT_EQ(config.ValueLines(), expected);   // the rest of the file still counts
    }

    // Without players, any current player in the table reads as the default.
    std::vector<std::string> values = TConfig().ValueLines();
    values[19] = "3";
    WriteValues(values);
    TConfig config;
    config.Load(Path);
    EXPECT_EQ(config.CurrentPlayer, 0);
    EXPECT_EQ(config.ValueLines(), TConfig().ValueLines());
}

TEST_F(ConfigFile, FileNamedInAnotherLetterCaseIsReadAndReplaced)
{
    const fs::path lower = Dir / "config.cfg";
    ASSERT_TRUE(FullConfig().Save(lower.string()));
    TConfig config;
    config.Load(Path);   // asks for "Config.cfg"
    ExpectSame(config, FullConfig());

    config.MusicVolume = 70;
    ASSERT_TRUE(config.Save(Path));
    std::vector<std::string> names;
    for (const fs::directory_entry &item : fs::directory_iterator(Dir))
        names.push_back(item.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"config.cfg"});   // no second file beside it
    TConfig again;
    again.Load(lower.string());
    EXPECT_EQ(again.MusicVolume, 70);
}

TEST_F(ConfigFile, FailedSaveKeepsTheOldFile)
{
    ASSERT_TRUE(FullConfig().Save(Path));
    const std::string before = ReadAll(Path);
    // A directory where the temporary file would go makes the save fail before anything is replaced.
    fs::create_directories(Path + ".tmp");
    fs::create_directories(Path + ".tmp/blocker");
    TConfig other;
    EXPECT_FALSE(other.Save(Path));
    EXPECT_EQ(ReadAll(Path), before);
}
