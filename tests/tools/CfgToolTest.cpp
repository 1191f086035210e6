// cfgtool: a player's window into "Config.cfg".

#include "data/Config.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

} // namespace

TEST(CfgTool, DecodesWhatTheGameSavesAndEncodesItBack)
{
    const TTempDir temp("cfgtool");
    const fs::path &dir = temp.Path;
    TConfig config;
    config.Brightness = 0.25f;
    config.PlayerCount = 1;
    config.Players[0].Name = "Viper";
    ASSERT_TRUE(config.Save((dir / "Config.cfg").string()));

    const std::string tool = std::string(ZEPHRONA_TOOLS_DIR) + "/cfgtool";
    ASSERT_EQ(std::system((tool + " decode " + (dir / "Config.cfg").string() + " > " + (dir / "values.txt").string()).c_str()), 0);
    std::string expected;
    for (const std::string &line : config.ValueLines())
        expected += line + "\n";
    EXPECT_EQ(ReadAll(dir / "values.txt"), expected);

    ASSERT_EQ(std::system((tool + " encode < " + (dir / "values.txt").string() + " > " + (dir / "again.cfg").string()).c_str()), 0);
    EXPECT_EQ(ReadAll(dir / "again.cfg"), ReadAll(dir / "Config.cfg"));

    EXPECT_NE(std::system((tool + " decode " + (dir / "missing.cfg").string() + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
}
