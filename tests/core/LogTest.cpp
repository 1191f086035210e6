#include "core/Log.h"
#include "core/Platform.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

} // namespace

TEST(Log, DisabledNeverCreatesNorTouchesTheFile)
{
    const TTempDir temp("log-off");
    const fs::path &dir = temp.Path;
    {
        TLOgFile log((dir / "log.txt").string(), false);
        log.Write("Loading Archive");
    }
    EXPECT_FALSE(fs::exists(dir / "log.txt"));

    std::ofstream(dir / "log.txt", std::ios::binary) << "old run\r\n";
    {
        TLOgFile log((dir / "log.txt").string(), false);
        log.Write("Loading Archive");
    }
    EXPECT_EQ(ReadAll(dir / "log.txt"), "old run\r\n");
}

TEST(Log, EnabledTruncatesAndFlushesEveryLine)
{
    const TTempDir temp("log-on");
    const fs::path &dir = temp.Path;
    std::ofstream(dir / "log.txt", std::ios::binary) << "old run\r\n";
    TLOgFile log((dir / "log.txt").string(), true);
    EXPECT_EQ(ReadAll(dir / "log.txt"), "");
    log.Write("Loading Archive");
    EXPECT_EQ(ReadAll(dir / "log.txt"), "Loading Archive\r\n");   // on disk before the log is closed
    log.Write("");
    log.Write("Gl Vendor:");
    EXPECT_EQ(ReadAll(dir / "log.txt"), "Loading Archive\r\n\r\nGl Vendor:\r\n");
}

TEST(Log, UnwritablePlaceIsAClearError)
{
    try {
        TLOgFile log("/nonexistent-dir/log.txt", true);
        ADD_FAILURE() << "created";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create \"/nonexistent-dir/log.txt\": ", 0), 0u) << e.what();
    }
}

TEST(ErrorBoxDeathTest, AbortInBatchModeEndsTheProcess)
{
    BatchMode = true;
    ErrorBox(false, "never shown");   // a flag that is not set shows nothing and returns
    EXPECT_EXIT(ErrorBox(true, "Riched End Of File"), testing::ExitedWithCode(ExitAborted), "Error: Riched End Of File");
}
