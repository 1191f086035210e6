// The missions under content/maps as a player gets them: each one compiles with the game's own script
// compiler, plays headless for its whole length with the game's world update without a script or
// data error and without winning itself, and is packed into the built archive as written; every text a mission puts on screen has its
// Russian line in the built string table. The multiplayer maps under MP/ besides: each host's map
// sets its spawn points in the air and keeps its fight going without ever ending the game, and the
// client's map makes nothing of its own.

#include "tests/TestUtil.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path MapSources = fs::path(ZEPHRONA_SOURCE_DIR) / "content" / "maps";
const fs::path MultiplayerSources = MapSources / "MP";
const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;

// The scripts of one folder with the extension, in name order.
std::vector<fs::path> Scripts(const fs::path &folder, const std::string &extension)
{
    std::vector<fs::path> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == extension)
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<fs::path> Missions() { return Scripts(MapSources, ".ses"); }
std::vector<fs::path> MultiplayerMaps() { return Scripts(MultiplayerSources, ".ses"); }

std::string Quoted(const fs::path &path) { return "'" + path.string() + "'"; }

// The commands a script gives in its first Frames frames of 25 ms, as sescheck lists them: "Name
// arg arg ...", the frame number left off.
std::vector<std::string> CommandsRun(const fs::path &dir, const fs::path &script, int frames)
{
    const TToolRun run = RunTool(dir, ToolsDir + "/sescheck --game " + Quoted(ZEPHRONA_GAME_DIR) +
                                          " --commands --run " + std::to_string(frames) + " --dt 25 " + Quoted(script));
    EXPECT_EQ(run.Status, 0) << run.Err;
    std::vector<std::string> commands;
    const std::regex listed(R"(^frame \d+: (.*)$)");
    for (const std::string &line : SplitLines(run.Out)) {
        std::smatch m;
        if (std::regex_match(line, m, listed))
            commands.push_back(m[1]);
    }
    return commands;
}

bool StartsWith(const std::string &text, const std::string &start) { return text.rfind(start, 0) == 0; }

// The commands that end a mission; a multiplayer game is ended by its host, never by its map.
const std::regex MissionEnd(R"(\b(NextLevel|GameOver|EndGame)\b)");

// The source without its comments ("//" to the end of the line).
std::string WithoutComments(const std::string &source)
{
    return std::regex_replace(source, std::regex("//[^\r\n]*"), "");
}

TEST(MissionContent, EveryMissionCompilesPlaysHeadlessAndIsPacked)
{
    const std::vector<fs::path> missions = Missions();
    // The campaign starts here: "Start Game" leads to it.
    EXPECT_NE(std::find(missions.begin(), missions.end(), MapSources / "Level1.ses"), missions.end());
    const TTempDir dir("missions");
    for (const fs::path &mission : missions) {
        SCOPED_TRACE(mission.filename().string());
        const TToolRun check = RunTool(dir.Path, ToolsDir + "/sescheck --game " + Quoted(ZEPHRONA_GAME_DIR) + " " +
                                                     Quoted(mission));
        EXPECT_EQ(check.Status, 0) << check.Err;

        // Fifteen minutes with nobody at the controls, longer than any mission takes: the mission
        // must stay sound whatever the player does not do, where a script or data error stops it on
        // standard error. Nobody wins it by doing nothing; it may be lost (the time ran out, the
        // carrier sank) or still wait for the player.
        const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun " + Quoted(mission) + " --seconds 900 --game " +
                                                   Quoted(ZEPHRONA_GAME_DIR));
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<std::string> lines = SplitLines(run.Out);
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(lines.back() == "result: running" || lines.back() == "result: lost") << lines.back();
        // Something to do from the start: a task, and words for the pilot, in the first minute.
        const std::string firstMinute = run.Out.substr(0, run.Out.find("\nt=61 "));
        EXPECT_NE(firstMinute.find(" task0="), std::string::npos) << firstMinute;
        EXPECT_NE(firstMinute.find("message: "), std::string::npos) << firstMinute;

        const std::vector<std::uint8_t> packed = BuiltFile("Data\\Maps\\" + mission.filename().string());
        EXPECT_TRUE(std::string(packed.begin(), packed.end()) == ReadAll(mission)) << "the archive holds another version";
    }
}

TEST(MissionContent, EveryTextAMissionShowsHasItsRussianLine)
{
    // "Message" and "CenterMessage" texts are looked up in section 4 of the string table, "AddTask"
    // texts in section 5.
    // A text in quotes is one token with its blanks; a bare word is a token too.
    const std::regex shown(R"re(\b(Message|CenterMessage|AddTask)\s+(?:"([^"\r\n]*)"|(\S+)))re");
    std::vector<fs::path> scripts = Missions();
    for (const fs::path &map : MultiplayerMaps())
        scripts.push_back(map);
    for (const fs::path &mission : scripts) {
        const std::string source = WithoutComments(ReadAll(mission));
        int texts = 0;
        for (std::sregex_iterator it(source.begin(), source.end(), shown), end; it != end; ++it) {
            const std::smatch &m = *it;
            const std::string text = m[2].matched ? m[2].str() : m[3].str();
            const int section = m[1] == "AddTask" ? 5 : 4;
            EXPECT_NE(RussianLocale().Translate(text, section), text)
                << mission.filename().string() << ": \"" << text << "\" has no Russian line in section " << section;
            ++texts;
        }
        EXPECT_GT(texts, 0) << mission.filename().string();
    }
}

TEST(MissionContent, EveryMultiplayerMapSpawnsInTheAirAndFightsOnWithoutEnding)
{
    const std::vector<fs::path> maps = MultiplayerMaps();
    EXPECT_GE(maps.size(), 2u) << "the host page offers the maps of Data\\Maps\\MP\\ to choose from";
    const TTempDir dir("mpmaps");
    for (const fs::path &map : maps) {
        SCOPED_TRACE(map.filename().string());
        const TToolRun check = RunTool(dir.Path, ToolsDir + "/sescheck --game " + Quoted(ZEPHRONA_GAME_DIR) + " " +
                                                     Quoted(map));
        ASSERT_EQ(check.Status, 0) << check.Err;
        EXPECT_FALSE(std::regex_search(WithoutComments(ReadAll(map)), MissionEnd)) << "a map must not end the game";

        // The spawn points of the first frame: several, apart, and in the air above the highest
        // island (330 m); the carrier comes first, as the first spawn point puts the host on its deck.
        const std::vector<std::string> commands = CommandsRun(dir.Path, map, 1);
        std::vector<std::vector<float>> points;
        std::ptrdiff_t carrierAt = -1, firstPointAt = -1;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            if (StartsWith(commands[i], "CreateObject 1 ") && carrierAt < 0)
                carrierAt = std::ptrdiff_t(i);
            if (!StartsWith(commands[i], "mp_AddSpawnPoint "))
                continue;
            if (firstPointAt < 0)
                firstPointAt = std::ptrdiff_t(i);
            std::istringstream in(commands[i].substr(commands[i].find(' ') + 1));
            std::vector<float> point;
            std::string number;
            while (in >> number) {
                std::replace(number.begin(), number.end(), ',', '.');
                point.push_back(std::stof(number));
            }
            ASSERT_EQ(point.size(), 3u) << commands[i];
            EXPECT_GE(point[2], 400.0f) << commands[i];
            points.push_back(point);
        }
        EXPECT_GE(points.size(), 2u);
        for (std::size_t a = 0; a < points.size(); ++a)
            for (std::size_t b = a + 1; b < points.size(); ++b)
                EXPECT_GE(std::hypot(points[a][0] - points[b][0], points[a][1] - points[b][1]), 500.0f)
                    << "spawn points " << a << " and " << b << " overlap";
        EXPECT_GE(carrierAt, 0) << "no carrier to start from";
        EXPECT_LT(carrierAt, firstPointAt) << "the carrier must be made before the first spawn point";

        // A minute headless: still running, and every group the map has made still has units.
        const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun " + Quoted(map) + " --seconds 60 --game " +
                                                   Quoted(ZEPHRONA_GAME_DIR));
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<std::string> lines = SplitLines(run.Out);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back(), "result: running");
        const std::string &status = lines[lines.size() - 2];
        EXPECT_TRUE(StartsWith(status, "t=60 ")) << status;
        int groups = 0;
        const std::regex group(R"( g(\d+)=(\d+)/(\d+):)");
        for (std::sregex_iterator it(status.begin(), status.end(), group), end; it != end; ++it) {
            EXPECT_GT(std::stoi((*it)[2]), 0) << "group " << (*it)[1] << " is gone: " << status;
            ++groups;
        }
        EXPECT_GT(groups, 0) << status;

        const std::vector<std::uint8_t> packed = BuiltFile("Data\\Maps\\MP\\" + map.filename().string());
        EXPECT_TRUE(std::string(packed.begin(), packed.end()) == ReadAll(map)) << "the archive holds another version";
    }
}

TEST(MissionContent, ClientMapMakesNothingAndNeverEnds)
{
    const fs::path client = MultiplayerSources / "Client.mps";
    const TTempDir dir("mpclient");
    const TToolRun check = RunTool(dir.Path, ToolsDir + "/sescheck --game " + Quoted(ZEPHRONA_GAME_DIR) + " " +
                                                 Quoted(client));
    ASSERT_EQ(check.Status, 0) << check.Err;

    // The server's world fills the client's: a minute of the client's script makes no object and
    // ends nothing. It does lift the black screen a map starts behind, with its spawn point.
    const std::vector<std::string> commands = CommandsRun(dir.Path, client, 2400);
    const std::regex makes(
        R"(^(CreateObject|CreateIsland|CreateStaticObject|CreateStaticDead|NextLevel|GameOver|EndGame)\b)");
    for (const std::string &command : commands)
        EXPECT_FALSE(std::regex_search(command, makes)) << command;
    EXPECT_NE(std::find_if(commands.begin(), commands.end(),
                           [](const std::string &c) { return StartsWith(c, "mp_AddSpawnPoint "); }),
              commands.end());

    const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun " + Quoted(client) + " --seconds 60 --game " +
                                               Quoted(ZEPHRONA_GAME_DIR));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out.find(" g"), std::string::npos) << "units in the client's own world:\n" << run.Out;
    const std::vector<std::string> lines = SplitLines(run.Out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "result: running");

    const std::vector<std::uint8_t> packed = BuiltFile("Data\\Maps\\MP\\Client.mps");
    EXPECT_TRUE(std::string(packed.begin(), packed.end()) == ReadAll(client)) << "the archive holds another version";
}

} // namespace
