// dpstool as an effect author runs it.

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class DpsTool : public testing::Test {
protected:
    int Run(const std::string &args)
    {
        const TToolRun run = RunTool(Dir, std::string(ZEPHRONA_TOOLS_DIR) + "/dpstool " + args);
        Out = run.Out;
        Err = run.Err;
        return run.Status;
    }

    TTempDir Temp{"dpstool"};
    const fs::path &Dir = Temp.Path;
    std::string Out, Err;
};

} // namespace

TEST_F(DpsTool, CompileDumpCompileGivesTheSameBytes)
{
    const std::string source = std::string(ZEPHRONA_SOURCE_DIR) + "/content/effects/Smoke Fire.effect";
    ASSERT_EQ(Run("compile '" + source + "' " + (Dir / "a.dps").string()), 0) << Err;
    ASSERT_EQ(Run("dump " + (Dir / "a.dps").string()), 0) << Err;
    std::ofstream(Dir / "dump.txt") << Out;
    ASSERT_EQ(Run("compile " + (Dir / "dump.txt").string() + " " + (Dir / "b.dps").string()), 0) << Err;
    EXPECT_EQ(ReadAll(Dir / "a.dps"), ReadAll(Dir / "b.dps"));

    std::ofstream(Dir / "bad.dps", std::ios::binary) << std::string("\x05\x00\x00\x00\xFF\xFF\xFF\x7F", 8);
    EXPECT_EQ(Run("dump " + (Dir / "bad.dps").string()), 1);
    EXPECT_EQ(Err, "dpstool: Effect \"" + (Dir / "bad.dps").string() + "\" is damaged: the file ends inside the effect name\n");
}

TEST_F(DpsTool, RenderShowsTheExplosion)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const std::string effect = std::string(ZEPHRONA_STAGE_DIR) + "/Data/Effects/Explosion 2.dps";
    const fs::path shot = Dir / "explosion.png";
    ASSERT_EQ(Run("render '" + effect + "' " + shot.string() + " --time 400"), 0) << Err;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const int w = int(image.width), h = int(image.height);
    auto at = [&](int x, int y) { return &rgb[(std::size_t(y) * w + x) * 3]; };
    // The background is a blue sky; fire and its glow are warm, and they fill the middle of the picture.
    int warm = 0, warmInMiddle = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char *p = at(x, y);
            if (p[0] > p[2] + 30) {
                ++warm;
                warmInMiddle += std::abs(x - w / 2) < w / 4 && std::abs(y - h / 2) < h / 4;
            }
        }
    EXPECT_GT(warm, w * h / 50);
    EXPECT_GT(warmInMiddle, warm / 2);
    EXPECT_LT(at(2, 2)[0], at(2, 2)[2]);   // the corner is still sky
}
