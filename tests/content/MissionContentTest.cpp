// The missions under content/maps as a player gets them: each one compiles with the game's own script
// compiler, plays headless for a minute with the game's world update without a script or data
// error, and is packed into the built archive as written; every text a mission puts on screen has its
// Russian line in the built string table.

#include "tests/TestUtil.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path MapSources = fs::path(ZEPHRONA_SOURCE_DIR) / "content" / "maps";
const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;

std::vector<fs::path> Missions()
{
    std::vector<fs::path> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(MapSources))
        if (entry.is_regular_file() && entry.path().extension() == ".ses")
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

std::string Quoted(const fs::path &path) { return "'" + path.string() + "'"; }

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

        // A minute with nobody at the controls: the mission must stay sound whatever the player does
        // not do; it may not be over yet, but a script or data error stops it on standard error.
        const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun " + Quoted(mission) + " --seconds 60 --game " +
                                                   Quoted(ZEPHRONA_GAME_DIR));
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<std::string> lines = SplitLines(run.Out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("result: ", 0), 0u) << lines.back();
        // Something to do from the start: a task, and words for the pilot.
        EXPECT_NE(run.Out.find(" task0="), std::string::npos) << run.Out;
        EXPECT_NE(run.Out.find("message: "), std::string::npos) << run.Out;

        const std::vector<std::uint8_t> packed = BuiltFile("Data\\Maps\\" + mission.filename().string());
        EXPECT_EQ(std::string(packed.begin(), packed.end()), ReadAll(mission)) << "the archive holds another version";
    }
}

TEST(MissionContent, EveryTextAMissionShowsHasItsRussianLine)
{
    // "Message" texts are looked up in section 4 of the string table, "AddTask" texts in section 5.
    // A text in quotes is one token with its blanks; a bare word is a token too.
    const std::regex shown(R"re(\b(Message|AddTask)\s+(?:"([^"\r\n]*)"|(\S+)))re");
    for (const fs::path &mission : Missions()) {
        const std::string source = WithoutComments(ReadAll(mission));
        int texts = 0;
        for (std::sregex_iterator it(source.begin(), source.end(), shown), end; it != end; ++it) {
            const std::smatch &m = *it;
            const std::string text = m[2].matched ? m[2].str() : m[3].str();
            const int section = m[1] == "Message" ? 4 : 5;
            EXPECT_NE(RussianLocale().Translate(text, section), text)
                << mission.filename().string() << ": \"" << text << "\" has no Russian line in section " << section;
            ++texts;
        }
        EXPECT_GT(texts, 0) << mission.filename().string();
    }
}

} // namespace
