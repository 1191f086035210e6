// localegen: the string table's sources, the main table and the missions' own files, made into the
// game's "Locale.txt".

#include "core/Text.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct TLocaleRun {
    int         Status = 0;
    std::string Out, Err;
};

TLocaleRun Generate(const fs::path &dir, const std::string &sources)
{
    const TToolRun run = RunTool(dir, std::string(ZEPHRONA_TOOLS_DIR) + "/localegen " + sources + " table.txt");
    TLocaleRun result{run.Status, {}, run.Err};
    if (run.Status == 0)
        result.Out = Utf8FromCp1251(ReadAll(dir / "table.txt"));
    return result;
}

} // namespace

TEST(LocaleGen, FurtherSourcesAddTheirTextsToTheMainTablesSections)
{
    const TTempDir temp("localegen");
    const fs::path &dir = temp.Path;
    WriteText(dir / "main.txt", "[0] Images\nStory.png\nStory_rus.png\n\n[1] Menu\nBACK\nНАЗАД\n\n[2] Missions\nHello\nПривет\n");
    WriteText(dir / "more.txt", "# a mission's texts\n[2] Missions\nGood luck\nУдачи\n\n[1] Menu\nNEXT\nДАЛЕЕ\n");
    const TLocaleRun merged = Generate(dir, "main.txt more.txt");
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    EXPECT_EQ(merged.Out, "[0] Images\r\nStory.png\r\nStory_rus.png\r\n[1] Menu\r\nBACK\r\nНАЗАД\r\nNEXT\r\nДАЛЕЕ\r\n"
                          "[2] Missions\r\nHello\r\nПривет\r\nGood luck\r\nУдачи\r\n");

    // What a further source may not do, each named by its file and line.
    struct TCase {
        const char *What, *Source, *Says;
    } cases[] = {
        {"a text the main table has, in another letter case", "[2] M\nHELLO\nПривет\n", "more.txt:2: \"HELLO\" is already translated"},
        {"a section the main table lacks", "[7] M\nHi\nПривет\n", "more.txt:1: \"[7] M\" names no section"},
        {"a text before any section", "Hi\nПривет\n", "more.txt:1: text before the first section"},
        {"a text without its translation", "[2] M\nHi\n", "more.txt:2: \"Hi\" has no translation"},
    };
    for (const TCase &test : cases) {
        SCOPED_TRACE(test.What);
        WriteText(dir / "more.txt", test.Source);
        const TLocaleRun bad = Generate(dir, "main.txt more.txt");
        EXPECT_EQ(bad.Status, 1);
        EXPECT_NE(bad.Err.find(test.Says), std::string::npos) << bad.Err;
    }
}
