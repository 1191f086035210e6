#include "core/Files.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class DiskPathTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(Root / "Data" / "Menu");
        WriteText(Root / "Data" / "Menu" / "Logo.png", "png");
        WriteText(Root / "Data" / "Menu" / "Click.WAV", "wav");
    }

    TTempDir Temp{"files"};
    const fs::path &Root = Temp.Path;
    const std::string Base = Root.string() + "/";
};

TEST_F(DiskPathTest, BackslashesBecomeSlashesAndLetterCaseIsFound)
{
    struct Case {
        std::string game, disk;
    } cases[] = {
        {"Data\\Menu\\Logo.png", "Data/Menu/Logo.png"},
        {"DATA\\MENU\\LOGO.PNG", "Data/Menu/Logo.png"},
        {"data\\menu\\click.wav", "Data/Menu/Click.WAV"},
        {"Data/Menu/Logo.png", "Data/Menu/Logo.png"},
        {"Data\\Menu\\Missing.png", "Data/Menu/Missing.png"},    // nothing to match: kept as written
        {"Data\\Nowhere\\Logo.png", "Data/Nowhere/Logo.png"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.game);
        EXPECT_EQ(DiskPath(Base + c.game), Base + c.disk);
    }
    EXPECT_TRUE(FileExists(Base + "DATA\\menu\\logo.PNG"));
    EXPECT_FALSE(FileExists(Base + "Data\\Menu"));            // a directory is not a file
    EXPECT_FALSE(FileExists(Base + "Data\\Menu\\Missing.png"));
}

TEST_F(DiskPathTest, SeveralCaseMatchesPickTheFirstByName)
{
    std::ofstream(Root / "Data" / "Menu" / "LOGO.png") << "other";
    EXPECT_EQ(DiskPath(Base + "Data\\Menu\\logo.png"), Base + "Data/Menu/LOGO.png");
    EXPECT_EQ(DiskPath(Base + "Data\\Menu\\Logo.png"), Base + "Data/Menu/Logo.png");   // exact case wins
}

TEST(Files, ExecutableDirEndsWithASlash)
{
    const std::string dir = ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(ExecutablePath()));
}
