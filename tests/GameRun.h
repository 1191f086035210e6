#pragma once
// Runs of the real game under the test's X display, each test in its own copy of the game folder.

#include "data/Locale.h"
#include "tests/TestUtil.h"
#include "tools/dpg/DpgWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct TRun {
    int Status = -1;       // exit status, or -1 if it did not exit normally
    std::string Stdout, Stderr;
};

// A private copy of the game folder for each test, so that runs do not share "log.txt" and the
// user files. The executable and data are hard links where the file system allows.
class GameRun : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        Dir = std::filesystem::path(ZEPHRONA_TEST_DIR) / testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        const std::filesystem::path game(ZEPHRONA_GAME_DIR);
        std::filesystem::copy(game / "zephrona", Dir / "zephrona", std::filesystem::copy_options::create_hard_links);
        std::filesystem::copy(game / "Data.dpg", Dir / "Data.dpg", std::filesystem::copy_options::create_hard_links);
        Locale = nullptr;   // the test's own defaults use the English texts
    }

    // Replaces the game's archive with the staged data tree less one file.
    void PackWithout(const std::string &name)
    {
        std::vector<TDpgFile> files;
        for (TDpgFile &file : CollectTree(std::filesystem::path(ZEPHRONA_STAGE_DIR).string()))
            if (file.Name != name)
                files.push_back(std::move(file));
        const std::vector<std::uint8_t> image = BuildDpg(files);
        std::filesystem::remove(Dir / "Data.dpg");
        std::ofstream(Dir / "Data.dpg", std::ios::binary)
            .write(reinterpret_cast<const char *>(image.data()), std::streamsize(image.size()));
    }

    // Runs the game with Args, on the test's display or none, waiting at most a minute.
    TRun Run(std::vector<std::string> args, bool withDisplay = true, int seconds = 60)
    {
        args.insert(args.begin(), (Dir / "zephrona").string());
        TChild game(Dir, "game", args, withDisplay ? std::vector<std::string>{} : std::vector<std::string>{"DISPLAY"});
        TRun run;
        run.Status = game.Wait(seconds);
        if (game.Running())
            ADD_FAILURE() << "the game did not quit";
        run.Stdout = game.Out();
        run.Stderr = game.Err();
        return run;
    }

    std::filesystem::path Dir;
};
