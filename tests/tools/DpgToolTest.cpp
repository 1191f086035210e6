// The archive tool as a modder runs it.

#include "core/Bytes.h"
#include "data/Extractor.h"
#include "tools/dpg/DpgWriter.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class DpgTool : public testing::Test {
protected:
    // Runs "dpg ARGS"; returns the exit status, with standard output and error kept in Out and Err.
    int Dpg(const std::string &args)
    {
        const TToolRun run = RunTool(Dir, std::string(ZEPHRONA_TOOLS_DIR) + "/dpg " + args);
        Out = run.Out;
        Err = run.Err;
        return run.Status;
    }

    // Writes an archive image into the test folder; its path.
    std::string Archive(const std::string &name, const std::vector<std::uint8_t> &image)
    {
        WriteBytes(Dir / name, image);
        return (Dir / name).string();
    }

    TTempDir Temp{"dpgtool"};
    const fs::path &Dir = Temp.Path;
    std::string Out, Err;
};

} // namespace

TEST_F(DpgTool, PackListExtractVerifyRoundTrip)
{
    WriteText(Dir / "game" / "Data" / "Menu" / "Logo.png", "png bytes");
    WriteText(Dir / "game" / "Data" / "Maps" / "Level1.ses", "script");
    WriteText(Dir / "game" / "Data" / "Empty.txt", "");
    const std::string data = (Dir / "game" / "Data").string();

    ASSERT_EQ(Dpg("pack " + data + " " + (Dir / "a.dpg").string()), 0) << Err;
    EXPECT_EQ(Dpg("list " + (Dir / "a.dpg").string()), 0) << Err;
    EXPECT_EQ(Out, "Data\\Empty.txt 0\nData\\Maps\\Level1.ses 6\nData\\Menu\\Logo.png 9\n");

    // Packing the game folder or its Data folder gives the same archive, byte for byte, every time.
    ASSERT_EQ(Dpg("pack " + (Dir / "game").string() + " " + (Dir / "b.dpg").string()), 0) << Err;
    EXPECT_EQ(ReadAll(Dir / "a.dpg"), ReadAll(Dir / "b.dpg"));

    EXPECT_EQ(Dpg("verify " + (Dir / "a.dpg").string()), 0) << Err;
    EXPECT_NE(Out.find("3 files, 15 bytes, OK"), std::string::npos) << Out;

    ASSERT_EQ(Dpg("extract " + (Dir / "a.dpg").string() + " " + (Dir / "out-tree").string()), 0) << Err;
    EXPECT_EQ(ReadAll(Dir / "out-tree" / "Data" / "Menu" / "Logo.png"), "png bytes");
    EXPECT_EQ(ReadAll(Dir / "out-tree" / "Data" / "Maps" / "Level1.ses"), "script");
    EXPECT_TRUE(fs::exists(Dir / "out-tree" / "Data" / "Empty.txt"));
}

TEST_F(DpgTool, HostileArchivesAreRefused)
{
    // Names that would escape the extraction folder.
    for (const char *name : {"..\\..\\evil.txt", "Data\\..\\..\\evil.txt", "\\etc\\evil", "C:\\evil", "Data\\\\x"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> image = BuildDpg({{name, {'x'}}});
        std::ofstream(Dir / "evil.dpg", std::ios::binary).write(reinterpret_cast<const char *>(image.data()), std::streamsize(image.size()));
        EXPECT_EQ(Dpg("extract " + (Dir / "evil.dpg").string() + " " + (Dir / "x" / "y").string()), 1);
        EXPECT_EQ(Err, std::string("dpg: The entry \"") + name + "\" would be written outside the folder\n");
        EXPECT_FALSE(fs::exists(Dir / "evil.txt"));
        EXPECT_EQ(Dpg("verify " + (Dir / "evil.dpg").string()), 1);
    }

    std::vector<std::uint8_t> image = BuildDpg({{"Data\\A.txt", {'a', 'b'}}});
    image.pop_back();
    std::ofstream(Dir / "cut.dpg", std::ios::binary).write(reinterpret_cast<const char *>(image.data()), std::streamsize(image.size()));
    EXPECT_EQ(Dpg("verify " + (Dir / "cut.dpg").string()), 1);
    EXPECT_EQ(Err, "dpg: Archive \"" + (Dir / "cut.dpg").string() + "\" is damaged: entry \"Data\\A.txt\" reaches past the end of the file\n");
    EXPECT_EQ(Dpg("list " + (Dir / "missing.dpg").string()), 1);
    EXPECT_EQ(Err, "dpg: Cannot open the archive \"" + (Dir / "missing.dpg").string() + "\"\n");
}

TEST_F(DpgTool, ExtractWritesOnlyTheEntryTheGameReadsOfEqualNames)
{
    const std::string file = Archive("dup.dpg", BuildDpg({{"Data\\A.txt", {'1'}},
                                                          {"Data\\B.txt", {'b'}},
                                                          {"DATA/a.TXT", {'2'}},
                                                          {"Data\\A.txt", {'3'}}}));
    const std::string out = (Dir / "out").string();
    ASSERT_EQ(Dpg("extract " + file + " " + out), 0) << Err;
    EXPECT_EQ(Out, "2 files extracted into " + out + ", 2 duplicate entries skipped\n");
    EXPECT_EQ(Err, "dpg: skipped entry 2 \"DATA/a.TXT\": the same name as entry 0, which the game reads\n"
                   "dpg: skipped entry 3 \"Data\\A.txt\": the same name as entry 0, which the game reads\n");
    EXPECT_EQ(ReadAll(Dir / "out" / "Data" / "A.txt"), "1");
    EXPECT_EQ(ReadAll(Dir / "out" / "Data" / "B.txt"), "b");
    EXPECT_FALSE(fs::exists(Dir / "out" / "DATA"));
}

TEST_F(DpgTool, VerifyReportsDataThatOverlap)
{
    // Three entries of 4 bytes, packed back to back after the directory.
    const std::vector<std::uint8_t> good = BuildDpg({{"Data\\A", {'a', 'a', 'a', 'a'}},
                                                     {"Data\\B", {'b', 'b', 'b', 'b'}},
                                                     {"Data\\C", {'c', 'c', 'c', 'c'}}});
    const std::uint32_t data = DpgHeaderSize + 3 * DpgEntrySize;
    auto with = [&](int entry, std::uint32_t offset, std::uint32_t size) {
        std::vector<std::uint8_t> image = good;
        StoreU32(image.data() + DpgHeaderSize + std::size_t(entry) * DpgEntrySize + 260, offset);
        StoreU32(image.data() + DpgHeaderSize + std::size_t(entry) * DpgEntrySize + 264, size);
        return image;
    };
    struct Case {
        const char *what;
        std::vector<std::uint8_t> image;
        std::vector<std::string> faults;
    } cases[] = {
        {"into the directory", with(0, data - 1, 4),
         {"entry \"Data\\A\" overlaps the directory (its data start at 808, the directory ends at 809)"}},
        {"the whole archive", with(1, 0, data + 12),
         {"entry \"Data\\B\" overlaps the directory (its data start at 0, the directory ends at 809)",
          "entry \"Data\\A\" overlaps entry \"Data\\B\"", "entry \"Data\\C\" overlaps entry \"Data\\B\""}},
        {"last byte of the previous", with(2, data + 7, 4), {"entry \"Data\\C\" overlaps entry \"Data\\B\""}},
        {"the same data twice", with(2, data + 4, 4), {"entry \"Data\\C\" overlaps entry \"Data\\B\""}},
        {"an empty entry anywhere", with(2, 0, 0), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = Archive("overlap.dpg", c.image);
        std::string expected;
        for (const std::string &fault : c.faults)
            expected += "dpg: " + file + ": " + fault + "\n";
        EXPECT_EQ(Dpg("verify " + file), c.faults.empty() ? 0 : 1);
        EXPECT_EQ(Err, expected);
        EXPECT_NE(Out.find(c.faults.empty() ? ", OK\n" : (std::to_string(c.faults.size()) + " fault")), std::string::npos) << Out;
    }
}

TEST_F(DpgTool, UsageAndBadCommands)
{
    EXPECT_EQ(Dpg("--help"), 0);
    EXPECT_NE(Out.find("dpg pack DIR OUT"), std::string::npos);
    EXPECT_EQ(Dpg("unpack x"), 2);
    EXPECT_NE(Err.find("usage:"), std::string::npos);
    EXPECT_EQ(Dpg("pack " + (Dir / "nothing").string() + " " + (Dir / "a.dpg").string()), 1);
    EXPECT_EQ(Err, "dpg: \"" + (Dir / "nothing").string() + "\" is not a folder\n");
    EXPECT_FALSE(fs::exists(Dir / "a.dpg"));
}
