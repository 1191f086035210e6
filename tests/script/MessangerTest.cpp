// The mission's message list: capacity, fading, the centre message and what a headless runner sees.

#include "core/Platform.h"
#include "script/Messanger.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Texts(const TMessanger &m)
{
    std::vector<std::string> texts;
    for (int i = 0; i < m.ItemCount; ++i)
        texts.push_back(m.Items[std::size_t(i)].Text);
    return texts;
}

TEST(Messanger, CapacityComesFromTheScreenHeightAndAFullListDropsItsOldest)
{
    const std::pair<int, int> heights[] = {{768, 44}, {600, 33}, {1024, 60}, {95, 1}, {0, 1}};
    for (const auto &[height, capacity] : heights) {
        SCOPED_TRACE(height);
        const TMessanger m(height);
        EXPECT_EQ(m.Capacity, capacity);
        EXPECT_EQ(m.Items.size(), std::size_t(capacity));
        EXPECT_EQ(m.ItemCount, 0);
    }

    TMessanger m(112);   // three lines
    ASSERT_EQ(m.Capacity, 3);
    for (const char *text : {"one", "two", "three"})
        m.Add(text, false, 0, 0.7f, 0, 5000);
    m.Update(4500);   // the three fade...
    m.Add("four", false, 0, 0, 1, 5000);
    EXPECT_EQ(Texts(m), (std::vector<std::string>{"two", "three", "four"}));
    EXPECT_EQ(m.ItemCount, 3);
    // ...and the moved items keep their own time and colour; the new one starts opaque.
    EXPECT_EQ(m.Items[0].TimeLeft, 500);
    EXPECT_FLOAT_EQ(m.Items[0].Colour[1], 0.7f);
    EXPECT_FLOAT_EQ(m.Items[0].Colour[3], 0.5f);
    EXPECT_EQ(m.Items[2].TimeLeft, 5000);
    EXPECT_FLOAT_EQ(m.Items[2].Colour[2], 1.0f);
    EXPECT_FLOAT_EQ(m.Items[2].Colour[3], 1.0f);

    // A text longer than a message line holds is cut at 255 characters.
    m.Add(std::string(300, 'x'), false, 1, 1, 1, 5000);
    EXPECT_EQ(m.Items[2].Text, std::string(255, 'x'));
}

TEST(Messanger, ItemsStayOpaqueThenFadeOverTheirLastSecondAndGoAtZero)
{
    TMessanger m(768);
    m.Add("first", false, 0, 1, 0, 5000);
    m.Add("second", false, 1, 0, 0, 8000);
    const struct {
        int Step, Elapsed;     // frame time, total time after it
        float Alpha;           // of "first"
    } frames[] = {{2000, 2000, 1.0f}, {2000, 4000, 1.0f}, {250, 4250, 0.75f}, {500, 4750, 0.25f}, {240, 4990, 0.01f}};
    for (const auto &f : frames) {
        SCOPED_TRACE(f.Elapsed);
        m.Update(f.Step);
        ASSERT_EQ(m.ItemCount, 2);
        EXPECT_EQ(m.Items[0].TimeLeft, 5000 - f.Elapsed);
        EXPECT_NEAR(m.Items[0].Colour[3], f.Alpha, 1e-6);
        EXPECT_FLOAT_EQ(m.Items[1].Colour[3], 1.0f);
    }
    // The frame that takes it to exactly 0 removes it, and the next moves up untouched.
    m.Update(10);
    EXPECT_EQ(Texts(m), (std::vector<std::string>{"second"}));
    EXPECT_EQ(m.Items[0].TimeLeft, 3000);
    EXPECT_FLOAT_EQ(m.Items[0].Colour[0], 1.0f);

    // A long frame that overshoots several items removes all of them at once, keeping the order of
    // the rest.
    m.Add("short", false, 0, 0, 1, 100);
    m.Add("long", false, 0, 0, 1, 9000);
    m.Add("shorter", false, 0, 0, 1, 50);
    m.Update(200);
    EXPECT_EQ(Texts(m), (std::vector<std::string>{"second", "long"}));
}

TEST(Messanger, ACentredMessageReplacesTheOldOneAtOnceAndSitsByItsSize)
{
    const float oldX = PixelSizeX, oldY = PixelSizeY;
    PixelSizeX = 2.0f / 800;
    PixelSizeY = 2.0f / 600;
    TMessanger m(600);
    m.SetCentreFont(7);
    std::vector<std::pair<int, std::string>> measured;
    m.Measure = [&](int font, std::string_view text) {
        measured.emplace_back(font, std::string(text));
        return TPoint{int(text.size()) * 10 + 1, 20};   // odd widths halve towards zero
    };

    m.Add("Bridge ahead", true, 1, 0, 0, 5000);
    m.Update(3000);
    EXPECT_EQ(m.CentreTime, 2000);
    m.Add("Turn back", true, 0, 0, 1, 5000);
    EXPECT_EQ(m.CentreText, "Turn back");
    EXPECT_EQ(m.CentreTime, 5000);
    EXPECT_FLOAT_EQ(m.CentreX, -45 * PixelSizeX);
    EXPECT_FLOAT_EQ(m.CentreY, 148 * PixelSizeY);
    EXPECT_EQ(m.CentreColour[0], 0.0f);
    EXPECT_EQ(m.CentreColour[2], 1.0f);
    EXPECT_EQ(m.CentreColour[3], 1.0f);
    EXPECT_EQ(measured, (std::vector<std::pair<int, std::string>>{{7, "Bridge ahead"}, {7, "Turn back"}}));
    EXPECT_EQ(m.ItemCount, 0) << "a centred message is not a list line";

    // Its time runs out and stays out; without a measuring hook a text measures nothing.
    m.Update(5000);
    m.Update(25);
    EXPECT_EQ(m.CentreTime, 0);
    m.Measure = nullptr;
    m.Add("Unmeasured", true, 1, 1, 1, 100);
    EXPECT_FLOAT_EQ(m.CentreX, 0);
    EXPECT_FLOAT_EQ(m.CentreY, 128 * PixelSizeY);
    PixelSizeX = oldX;
    PixelSizeY = oldY;
}

TEST(Messanger, ClearEmptiesTheListOnlyAndRunnersSeeEveryText)
{
    TMessanger m(768);
    std::vector<std::string> seen;
    m.OnAdd = [&](const std::string &text, bool centred) { seen.push_back((centred ? "centre: " : "message: ") + text); };
    m.Add("Take off", false, 0, 0.7f, 0, 5000);
    m.Add("New target", false, 0, 0, 1, 5000);
    m.Add("Defend the carrier", true, 1, 0, 0, 5000);
    m.Clear();
    EXPECT_EQ(m.ItemCount, 0);
    EXPECT_EQ(m.CentreText, "Defend the carrier");
    EXPECT_EQ(m.CentreTime, 5000);
    EXPECT_EQ(seen, (std::vector<std::string>{"message: Take off", "message: New target", "centre: Defend the carrier"}));
    // The list fills again from its start.
    m.Add("Landing", false, 0, 1, 0, 5000);
    EXPECT_EQ(Texts(m), (std::vector<std::string>{"Landing"}));
}

} // namespace
