#include "core/App.h"
#include "core/Random.h"

#include <gtest/gtest.h>

TEST(FrameStep, MeasuredStepIsAtLeastOneMillisecond)
{
    EXPECT_EQ(MeasuredFrameTime(1000, 1000), 1);
    EXPECT_EQ(MeasuredFrameTime(1000, 1200), 1);   // a clock that went back
    EXPECT_EQ(MeasuredFrameTime(1017, 1000), 17);
}

TEST(FrameStep, RulesOfTheStepHandedToTheGame)
{
    struct Case {
        int measured;
        bool fixed, enter;
        int sleep, step;
    } cases[] = {
        {1, false, false, 0, 1},      // a frame measured at 0 ms has become 1 ms
        {16, false, false, 0, 16},
        {25, false, false, 0, 25},
        {200, false, false, 0, 25},   // slow frames slow the game down rather than jump
        {10, true, false, 15, 25},    // fixed step: sleep out the rest of 25 ms
        {25, true, false, 0, 25},
        {60, true, false, 0, 25},     // a slower fixed frame still runs with at most 25 ms
        {16, false, true, 0, 0},      // Enter held stops the clock
        {10, true, true, 15, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "measured " << c.measured << " fixed " << c.fixed << " enter " << c.enter);
        EXPECT_EQ(FixedStepSleep(c.measured, c.fixed), c.sleep);
        EXPECT_EQ(GameFrameTime(c.measured, c.fixed, c.enter), c.step);
    }
}

TEST(Restart, ArgumentStringKeepsTheKeywordsInTheirOrder)
{
    EXPECT_EQ(RestartArguments(false, false, false, false, 0, false, false), "-eng ");
    EXPECT_EQ(RestartArguments(false, false, false, false, 1, false, false), "-rus ");
    EXPECT_EQ(RestartArguments(true, true, true, true, 1, true, true),
              "-log -fps -fixedfps -fastload -rus -lefttop -needcursorposition ");
    EXPECT_EQ(RestartArguments(false, false, true, false, 0, true, false), "-fixedfps -eng -lefttop ");
}

TEST(Restart, ArgumentStringReadsBackWhetherSplitOrWhole)
{
    const std::string args = RestartArguments(true, true, true, true, 1, true, true);
    for (const std::vector<std::string> &argv : {std::vector<std::string>{args},
                                                 std::vector<std::string>{"-log", "-fps", "-fixedfps", "-fastload",
                                                                          "-rus", "-lefttop", "-needcursorposition"}}) {
        const TCommandLine cmd = ParseCommandLine(argv);
        EXPECT_TRUE(cmd.LogEnabled && cmd.ShowFps && cmd.FixedFps && cmd.FastLoad && cmd.LeftTop && cmd.NeedCursorPosition);
        EXPECT_EQ(cmd.Language, 1);
    }
}

TEST(CommandLine, DefaultsAreAllOff)
{
    const TCommandLine cmd = ParseCommandLine({});
    EXPECT_FALSE(cmd.LogEnabled || cmd.ShowFps || cmd.FixedFps || cmd.FastLoad || cmd.LeftTop || cmd.NeedCursorPosition);
    EXPECT_FALSE(cmd.Windowed || cmd.NoWait || cmd.Batch || cmd.Help);
    EXPECT_EQ(cmd.Language, 0);
    EXPECT_EQ(cmd.Frames, -1);
    EXPECT_TRUE(cmd.Screenshot.empty() && cmd.Map.empty());
}

TEST(CommandLine, AutomationSwitchesTakeTheirValues)
{
    const TCommandLine cmd = ParseCommandLine(
        {"-windowed", "-nowait", "-batch", "-frames", "30", "-screenshot", "my shots/a.png", "-map", "Data\\Maps\\Level1.ses"});
    EXPECT_TRUE(cmd.Windowed && cmd.NoWait && cmd.Batch);
    EXPECT_EQ(cmd.Frames, 30);
    EXPECT_EQ(cmd.Screenshot, "my shots/a.png");
    EXPECT_EQ(cmd.Map, "Data\\Maps\\Level1.ses");
    EXPECT_EQ(ParseCommandLine({"-frames 0"}).Frames, 0);
    EXPECT_EQ(ParseCommandLine({"-page", "20"}).Page, 20);
    EXPECT_EQ(ParseCommandLine({"-rus", "-eng"}).Language, 0);   // the last language wins
    EXPECT_TRUE(ParseCommandLine({"-help"}).Help);
    const TCommandLine recording = ParseCommandLine({"-record", "flights/one.rec", "-frames", "9"});
    EXPECT_EQ(recording.Record, "flights/one.rec");
    EXPECT_TRUE(recording.Replay.empty());
    EXPECT_EQ(ParseCommandLine({"-replay flight.rec -windowed"}).Replay, "flight.rec");
    // Shots keep the order given, and a second -shots adds to the first.
    EXPECT_EQ(ParseCommandLine({"-shots", "90:later.png,0:my shots/splash.png", "-shots", "5:b.png"}).Shots,
              (std::vector<TShot>{{90, "later.png"}, {0, "my shots/splash.png"}, {5, "b.png"}}));
}

TEST(CommandLine, BadInputIsRefusedWithAClearMessage)
{
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-fulscreen"}, "Unknown switch \"-fulscreen\" (try -help)"},
        {{"log"}, "Unknown switch \"log\" (try -help)"},
        {{"-frames"}, "Switch -frames needs a value"},
        {{"-screenshot"}, "Switch -screenshot needs a value"},
        {{"-map"}, "Switch -map needs a value"},
        {{"-frames", "ten"}, "Switch -frames needs a whole number of frames, not \"ten\""},
        {{"-frames", "-1"}, "Switch -frames needs a whole number of frames, not \"-1\""},
        {{"-frames", "5x"}, "Switch -frames needs a whole number of frames, not \"5x\""},
        {{"-frames", "99999999999"}, "Switch -frames needs a whole number of frames, not \"99999999999\""},
        {{"-page", "x"}, "Switch -page needs a page number, not \"x\""},
        {{"-record"}, "Switch -record needs a value"},
        {{"-replay", ""}, "Switch -replay needs a file name"},
        {{"-record", "a.rec", "-replay", "b.rec"}, "Switches -record and -replay cannot be used together"},
        {{"-replay", "b.rec", "-map", "Data\\Maps\\Level1.ses"},
         "Switch -replay starts where the recording started: leave out -map and -page"},
        {{"-page", "5", "-replay", "b.rec"}, "Switch -replay starts where the recording started: leave out -map and -page"},
        {{"-shots"}, "Switch -shots needs a value"},
        {{"-shots", "30"}, "Switch -shots needs FRAME:FILE pairs separated by commas, not \"30\""},
        {{"-shots", "30:a.png,"}, "Switch -shots needs FRAME:FILE pairs separated by commas, not \"\""},
        {{"-shots", "x:a.png"}, "Switch -shots needs a whole number of frames before each colon, not \"x\""},
        {{"-shots", "-3:a.png"}, "Switch -shots needs a whole number of frames before each colon, not \"-3\""},
        {{"-shots", "30:"}, "Switch -shots needs a file name after \"30:\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            ParseCommandLine(c.args);
            ADD_FAILURE() << "accepted";
        } catch (const TCommandLineError &e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(CommandLine, HelpHasALinePerSwitch)
{
    const std::string help = CommandLineHelp();
    for (const char *keyword : {"-log", "-fps", "-fixedfps", "-fastload", "-eng", "-rus", "-lefttop", "-needcursorposition",
                                "-windowed", "-nowait", "-frames N", "-screenshot FILE", "-shots FRAME:FILE,...", "-batch",
                                "-map FILE", "-page N", "-record FILE", "-replay FILE", "-profile", "-help"})
        EXPECT_NE(help.find(std::string("  ") + keyword + " "), std::string::npos) << keyword;
}

TEST(Resolution, TableWithDesktopSizeAndFallback)
{
    struct Case {
        int index, desktopW, desktopH;
        TPoint size;
    } cases[] = {
        {0, 1920, 1080, {800, 600}},   {1, 1920, 1080, {1024, 768}}, {2, 1920, 1080, {1280, 1024}},
        {3, 1366, 768, {1366, 768}},   {3, 1365, 767, {1364, 766}},  {4, 1920, 1080, {320, 200}},
        {5, 1920, 1080, {640, 480}},   {-1, 1920, 1080, {800, 600}}, {6, 1920, 1080, {800, 600}},
        {1000000, 1920, 1080, {800, 600}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index);
        EXPECT_EQ(ResolutionSize(c.index, c.desktopW, c.desktopH), c.size);
    }
}

TEST(Window, PositionIsCentredUnlessTopLeft)
{
    EXPECT_EQ(WindowPosition(false, {1920, 1080}, {800, 600}), (TPoint{560, 240}));
    EXPECT_EQ(WindowPosition(false, {1365, 767}, {800, 600}), (TPoint{282, 83}));
    EXPECT_EQ(WindowPosition(true, {1920, 1080}, {800, 600}), (TPoint{0, 0}));
}

TEST(Window, LaterResizeMovesTheCentreNotThePixelSizes)
{
    ResizeSeen = false;
    ApplyResize(800, 600, {10, 20});
    EXPECT_EQ(ScreenCenter, (TPoint{410, 320}));
    EXPECT_FLOAT_EQ(PixelSizeX, 2.0f / 800);
    EXPECT_FLOAT_EQ(PixelSizeY, 2.0f / 600);
    EXPECT_FLOAT_EQ(VirtualPixelX, 1.0f / 512);
    EXPECT_FLOAT_EQ(VirtualPixelY, 1.0f / 384);
    EXPECT_EQ(ScreenWidth, 800);
    EXPECT_EQ(ScreenHeight, 600);
    EXPECT_FLOAT_EQ(UiScale, 800.0f / 1024);

    ApplyResize(1025, 767, {0, 0});
    EXPECT_EQ(ScreenCenter, (TPoint{512, 383}));   // halves rounded toward zero
    EXPECT_FLOAT_EQ(PixelSizeX, 2.0f / 800);
    EXPECT_EQ(ScreenWidth, 800);
    EXPECT_EQ(ScreenHeight, 600);
    EXPECT_FLOAT_EQ(UiScale, 800.0f / 1024);
}

TEST(Window, TheVirtualScreenKeepsItsShapeOnWideAndNarrowWindows)
{
    const struct {
        int Width, Height;
        float Scale;
    } cases[] = {{1920, 1080, 1080.0f / 768}, {1280, 800, 800.0f / 768}, {1280, 1024, 1280.0f / 1024}, {640, 480, 0.625f}};
    for (const auto &c : cases) {
        ResizeSeen = false;
        ApplyResize(c.Width, c.Height, {0, 0});
        EXPECT_FLOAT_EQ(UiScale, c.Scale) << c.Width << "x" << c.Height;
        // A virtual unit is as many pixels across as up, and the virtual screen fits the window.
        EXPECT_FLOAT_EQ(VirtualPixelX / PixelSizeX, VirtualPixelY / PixelSizeY);
        EXPECT_LE(512 * VirtualPixelX, 1.0001f);
        EXPECT_LE(384 * VirtualPixelY, 1.0001f);
    }
    ResizeSeen = false;
}

TEST(Random, LinearCongruentialSteps)
{
    RandSeed = 0;
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandSeed, 1u);   // range 0 still steps the seed
    RandSeed = 0xFFFFFFFFu;
    EXPECT_EQ(Random(10), 9);  // seed becomes 4160191484; 4160191484 * 10 >> 32
    EXPECT_EQ(RandSeed, 4160191484u);
    for (int i = 0; i < 1000; ++i) {
        const int r = Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
    }
    EXPECT_EQ(Random(-5), 0);
}
