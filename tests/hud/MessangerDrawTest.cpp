// The mission's messages and task list on a real GL context, with the fonts of the built game's
// archive: where the box, the lines and the centre text land, and in which colours.

#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "hud/MessangerDraw.h"
#include "hud/Out2D.h"
#include "tests/hud/GLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

class MessangerDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenTestWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        if (!Extractor)
            UseGameData(ZEPHRONA_GAME_DIR "/");
        if (!Out2D)
            Out2D = new TOut2D();
        InstallMessangerOutput(Messages);
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        Clear(0);
        // The list and the tasks go one line of their font apart.
        ListLine = Out2D->Font(unsigned(Messages.ListFont))->Ascent + Out2D->Font(unsigned(Messages.ListFont))->Descent;
        TaskLine = Out2D->Font(unsigned(Messages.TaskFont))->Ascent + Out2D->Font(unsigned(Messages.TaskFont))->Descent;
    }

    void TearDown() override { GameClock = 0; }

    static void Clear(float grey)
    {
        glClearColor(grey, grey, grey, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // The box around every pixel that passes Test: left, top, right, bottom (inclusive); -1s when none.
    static std::array<int, 4> Ink(const TScreen &s, const std::function<bool(const std::uint8_t *)> &test)
    {
        std::array<int, 4> box{-1, -1, -1, -1};
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                if (!test(s.at(x, y)))
                    continue;
                box = box[0] < 0 ? std::array<int, 4>{x, y, x, y}
                                 : std::array<int, 4>{std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                                                      std::max(box[3], y)};
            }
        return box;
    }

    static bool Near(const std::uint8_t *p, int r, int g, int b)
    {
        return std::abs(p[0] - r) <= 2 && std::abs(p[1] - g) <= 2 && std::abs(p[2] - b) <= 2;
    }

    static void ExpectOpaqueWhite()
    {
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "the colour was not reset";
    }

    TMessanger Messages{600};
    int ListLine = 0, TaskLine = 0;
};

TEST_F(MessangerDrawTest, InstallGivesTheFontsAndMeasuresWithoutTouchingTheSelection)
{
    const struct {
        int Font;
        const char *Face;
        int Size;
    } fonts[] = {{Messages.ListFont, "Arial", 10}, {Messages.TaskFont, "Arial Black", 12},
                 {Messages.CentreFont, "Arial Black", 24}};
    for (const auto &f : fonts) {
        SCOPED_TRACE(f.Face);
        const TOut2DFont *font = Out2D->Font(unsigned(f.Font));
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->Face, f.Face);
        EXPECT_EQ(font->Size, f.Size);
        EXPECT_FALSE(font->Bold);
    }
    const unsigned selected = Out2D->Selected;
    Out2D->SelectFont(unsigned(Messages.CentreFont));
    const TPoint expected = Out2D->TextExtent("Carrier lost");
    Out2D->SelectFont(selected);
    Messages.Add("Carrier lost", true, 1, 0, 0, 5000);
    EXPECT_EQ(Out2D->Selected, selected);
    EXPECT_FLOAT_EQ(Messages.CentreX, -float(expected.x / 2) * PixelSizeX);
    EXPECT_FLOAT_EQ(Messages.CentreY, float(expected.y + 128) * PixelSizeY);
}

TEST_F(MessangerDrawTest, WithoutMessagesNothingIsDrawnAndTheHeadingSitsTwoLinesDown)
{
    Clear(0.5f);
    const TScreen before = ReadScreen();
    DrawMessages(Messages);
    EXPECT_EQ(ReadScreen().rgb, before.rgb) << "a box or text without any message";
    ExpectOpaqueWhite();

    Clear(0);
    DrawTasks(Messages, {});
    const TScreen s = ReadScreen();
    const std::array<int, 4> heading = Ink(s, [](const std::uint8_t *p) { return p[0] + p[1] + p[2] > 0; });
    ASSERT_GE(heading[0], 0) << "no heading";
    const int baseline = 40 + 2 * ListLine + TaskLine;
    const TOut2DFont *font = Out2D->Font(unsigned(Messages.TaskFont));
    EXPECT_NEAR(heading[0], 10, 3);
    EXPECT_GT(heading[1], baseline - font->Ascent);      // the capital T under the ascent...
    EXPECT_LT(heading[1], baseline - font->Ascent / 2);
    EXPECT_GE(heading[3], baseline - 1);                 // ...and the g below the baseline
    EXPECT_LE(heading[3], baseline + font->Descent);
    EXPECT_GE(Ink(s, [](const std::uint8_t *p) { return Near(p, 255, 255, 255); })[0], 0) << "the heading is not white";
    ExpectOpaqueWhite();
}

TEST_F(MessangerDrawTest, ItemsSitOnTheirLinesInTheirColoursOverADarkBox)
{
    Messages.Add("ALPHA", false, 0, 0.7f, 0, 5000);
    Messages.Add("BRAVO", false, 1, 0, 0, 5000);
    Clear(0.5f);
    DrawMessages(Messages);
    const TScreen s = ReadScreen();
    ExpectOpaqueWhite();

    // The box darkens from the top of the screen to two lines below the last item, 5 pixels in from
    // each side.
    const int bottom = 40 + 4 * ListLine;
    const int grey = s.at(400, 599)[0], dark = s.at(400, 2)[0];
    EXPECT_NEAR(grey, 128, 1);
    EXPECT_NEAR(dark, 77, 2);
    const struct {
        int x, y, Value;
    } probes[] = {{2, 10, grey}, {797, 10, grey}, {7, 10, dark}, {792, 10, dark},
                  {700, bottom - 2, dark}, {700, bottom + 2, grey}};
    for (const auto &p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_NEAR(s.at(p.x, p.y)[0], p.Value, 2);
    }

    // Item i stands on the line 40 + (i + 2) lines down, 10 pixels in, opaque in its own colour.
    const struct {
        int r, g, b, Line;
    } items[] = {{0, 179, 0, 2}, {255, 0, 0, 3}};
    for (const auto &item : items) {
        SCOPED_TRACE(item.Line);
        const std::array<int, 4> box = Ink(s, [&](const std::uint8_t *p) { return Near(p, item.r, item.g, item.b); });
        ASSERT_GE(box[0], 0) << "the item is missing or not in its colour";
        EXPECT_NEAR(box[0], 10, 3);
        EXPECT_NEAR(box[3], 40 + item.Line * ListLine - 1, 1);
        EXPECT_GT(box[2] - box[0], 20);
    }

    // Fading: half way through its last second an item is drawn at half strength.
    Messages.Update(4500);
    Clear(0);
    DrawMessages(Messages);
    const std::array<int, 4> faded = Ink(ReadScreen(), [](const std::uint8_t *p) { return Near(p, 128, 0, 0); });
    EXPECT_GE(faded[0], 0) << "the red item did not fade to half";
}

TEST_F(MessangerDrawTest, TheCentreTextPulsesWithTheGameClockAndTasksTakeTheirStateColours)
{
    Messages.Add("ALERT", true, 1, 0, 0, 5000);
    Out2D->SelectFont(unsigned(Messages.CentreFont));
    const TPoint size = Out2D->TextExtent("ALERT");
    const struct {
        long long Clock;
        int Red;
    } pulses[] = {{500, 128}, {1250, 64}, {2750, 64}, {3000, 0}};
    for (const auto &pulse : pulses) {
        SCOPED_TRACE(pulse.Clock);
        GameClock = pulse.Clock;
        Clear(0);
        DrawMessages(Messages);
        const std::array<int, 4> box = Ink(ReadScreen(), [](const std::uint8_t *p) { return p[0] + p[1] + p[2] > 0; });
        if (pulse.Red == 0) {
            EXPECT_LT(box[0], 0) << "drawn at alpha 0";
            continue;
        }
        ASSERT_GE(box[0], 0);
        EXPECT_NEAR(box[0], 400 - size.x / 2, 3);
        EXPECT_NEAR(box[3], 300 - (size.y + 128) - 1, 1);
        const std::array<int, 4> red =
            Ink(ReadScreen(), [&](const std::uint8_t *p) { return Near(p, pulse.Red, 0, 0); });
        EXPECT_GE(red[0], 0) << "not red at the pulse's strength";
    }
    // Once its time has run out it is gone.
    GameClock = 500;
    Messages.Update(5000);
    Clear(0);
    DrawMessages(Messages);
    EXPECT_LT(Ink(ReadScreen(), [](const std::uint8_t *p) { return p[0] + p[1] + p[2] > 0; })[0], 0);

    // Tasks under one list item: new blue, complete green, failed red, each on its own line.
    Messages.Add("ALPHA", false, 1, 1, 1, 5000);
    const std::vector<TMissionTask> tasks = {{"SINK THE CRUISER", 0}, {"DOWN THE BOMBERS", 1}, {"SAVE THE TANKER", 2}};
    Clear(0);
    DrawTasks(Messages, tasks);
    const TScreen s = ReadScreen();
    ExpectOpaqueWhite();
    const int offset = 40 + 3 * ListLine;
    const struct {
        int r, g, b;
    } colours[] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        SCOPED_TRACE(tasks[i].Text);
        const auto &c = colours[i];
        const std::array<int, 4> box = Ink(s, [&](const std::uint8_t *p) { return Near(p, c.r, c.g, c.b); });
        ASSERT_GE(box[0], 0) << "missing or in the wrong colour";
        EXPECT_NEAR(box[0], 10, 3);
        EXPECT_NEAR(box[3], offset + int(i + 2) * TaskLine - 1, 1);
    }
}

} // namespace
