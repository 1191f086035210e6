// Listing a data folder across a real archive and loose files, as the add-on map sets, the world
// loader and the network pages see it.

#include "data/DataFiles.h"
#include "data/Extractor.h"
#include "tests/TestUtil.h"
#include "tools/dpg/DpgWriter.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string &text) { return {text.begin(), text.end()}; }

class DataFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(Temp.Path / "Data.dpg",
                   BuildDpg({
                       {"Data\\Maps\\b.mod", Bytes("packed b")},
                       {"Data\\Maps\\C.MOD", Bytes("packed C")},
                       {"Data/Maps/d.mod", Bytes("packed d")},          // stored with slashes
                       {"DATA\\MAPS\\Level1.ses", Bytes("level")},      // another extension
                       {"Data\\Maps\\Sub\\deep.mod", Bytes("deeper")},  // a folder below: not listed
                       {"Data\\Maps.mod", Bytes("beside")},             // beside the folder, not in it
                       {"Data\\Menu\\x.mod", Bytes("elsewhere")},
                   }));
        Archive.LoadFromFile(Base + "Data.dpg");
        Archive.SetPath(Base);
        Extractor = &Archive;
        WriteText(Temp.Path / "Data" / "maps" / "a.mod", "loose a");   // the folder's case differs on disk
        WriteText(Temp.Path / "Data" / "maps" / "c.mod", "loose c");   // overrides the packed C.MOD
        WriteText(Temp.Path / "Data" / "maps" / "e.Mod", "loose e");
        WriteText(Temp.Path / "Data" / "maps" / "notes.txt", "");
        fs::create_directories(Temp.Path / "Data" / "maps" / "folder.mod");
    }
    void TearDown() override { Extractor = nullptr; }

    TTempDir          Temp{"datafiles"};
    const std::string Base = Temp.Path.string() + "/";
    TExtractor        Archive;
};

TEST_F(DataFilesTest, ArchiveAndLooseFilesMergeInNameOrderLooseWinning)
{
    const std::vector<std::string> expected = {"a.mod", "b.mod", "c.mod", "d.mod", "e.Mod"};
    for (const std::string &folder : {Base + "Data\\Maps", Base + "Data\\Maps\\", Base + "data/MAPS/"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(ListDataFiles(folder, ".mod"), expected);
        EXPECT_EQ(ListDataFiles(folder, ".MOD"), expected);
    }
    // Each name listed opens as the loader opens it, the loose copy first.
    const std::string maps = Base + "Data\\Maps\\";
    EXPECT_EQ(std::string(TTextFile(maps + "c.mod", Extractor).ReadLine()), "loose c");
    EXPECT_EQ(std::string(TTextFile(maps + "d.mod", Extractor).ReadLine()), "packed d");

    // No extension: every file of the folder, still no folders.
    EXPECT_EQ(ListDataFiles(maps, ""),
              (std::vector<std::string>{"a.mod", "b.mod", "c.mod", "d.mod", "e.Mod", "Level1.ses", "notes.txt"}));
    EXPECT_EQ(ListDataFiles(maps, ".ses"), (std::vector<std::string>{"Level1.ses"}));
    EXPECT_EQ(ListDataFiles(maps + "Sub", ".mod"), (std::vector<std::string>{"deep.mod"}));
}

TEST_F(DataFilesTest, FoldersThatAreNowhereOrOutsideTheArchiveBaseGiveWhatIsThere)
{
    EXPECT_TRUE(ListDataFiles(Base + "Data\\Nothing", ".mod").empty());
    EXPECT_TRUE(ListDataFiles(Base + "Data\\Maps", ".wav").empty());
    // The archive's entries lie below its base path: another game folder sees none of them.
    const TTempDir other("datafiles-other");
    WriteText(other.Path / "Data" / "Maps" / "z.mod", "");
    EXPECT_EQ(ListDataFiles(other.Path.string() + "/Data\\Maps", ".mod"), (std::vector<std::string>{"z.mod"}));
    // Without an archive the loose files alone.
    Extractor = nullptr;
    EXPECT_EQ(ListDataFiles(Base + "Data\\Maps", ".mod"), (std::vector<std::string>{"a.mod", "c.mod", "e.Mod"}));
}

} // namespace
