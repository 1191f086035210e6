// The archive tool as a modder runs it.

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
