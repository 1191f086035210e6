// The widgets' rules without a window: option boxes, the key rule, text entry, level-select codes
// and add-on map sets.

#include "core/App.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "menu/Menu.h"
#include "menu/Widgets.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;

namespace {

TEST(ChangeBox, StepsWrapAroundAtBothEnds)
{
    const struct {
        int Index, Step, Count, Expected;
    } cases[] = {{0, 1, 3, 1}, {2, 1, 3, 0}, {0, -1, 3, 2}, {1, -1, 3, 0}, {0, 1, 1, 0}, {0, -1, 1, 0}, {5, 1, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.Index) + " " + std::to_string(c.Step) + " " + std::to_string(c.Count));
        EXPECT_EQ(WrapIndex(c.Index, c.Step, c.Count), c.Expected);
    }
    TChangeBox box(0, "COLOR DEPTH", {"16", "32"}, 1);
    box.Next();
    EXPECT_EQ(box.Index, 0);
    box.Previous();
    EXPECT_EQ(box.Index, 1);
    box.SetEnabled(false);   // a disabled box does not change
    box.Next();
    EXPECT_EQ(box.Index, 1);
    EXPECT_FALSE(box.Left.Enabled);
    EXPECT_EQ(TChangeBox(0, "X", {"a", "b"}, 7).Index, 1);   // an index out of range is brought in
}

TEST(KeyEdit, CapturedKeysFollowTheSlotRule)
{
    const struct {
        std::array<int, 2> Before;
        int Key;
        std::array<int, 2> After;
    } cases[] = {
        {{-1, -1}, 65, {65, -1}},   // an unbound primary takes the key
        {{-1, 66}, 65, {65, 66}},
        {{87, -1}, 65, {87, 65}},   // a bound primary keeps it; the key goes second
        {{87, 87}, 65, {87, 65}},   // the old secondary moves up
        {{87, 66}, 65, {66, 65}},
    };
    for (const auto &c : cases) {
        std::array<int, 2> slots = c.Before;
        TakeCapturedKey(slots, c.Key);
        EXPECT_EQ(slots, c.After) << c.Before[0] << "," << c.Before[1];
    }
}

class KeyboardTest : public testing::Test {
protected:
    void SetUp() override
    {
        Keys = new TKeys((Dir.Path / "keys.cfg").string());
        Keys->Poll = Keys->PadPoll = [this](int vk) { return Down[std::size_t(vk)]; };
    }
    void TearDown() override
    {
        delete Keys;
        Keys = nullptr;
    }
    void Hold(std::initializer_list<int> codes)
    {
        Down = {};
        for (int code : codes)
            Down[std::size_t(code)] = true;
        Keys->Update();
    }
    TTempDir Dir{"widgets"};
    std::array<bool, KeyCodeCount> Down{};
};

TEST_F(KeyboardTest, LowestLatchedKeyTakesTheMouseOnlyWhenAllowed)
{
    Hold({1, 70, 13});
    EXPECT_EQ(LowestLatchedKey(true), 1);
    EXPECT_EQ(LowestLatchedKey(false), 13);
    Hold({VkPadRightTrigger, VkPadB});
    EXPECT_EQ(LowestLatchedKey(false), VkPadB) << "the pad's buttons are captured like keys";
    Hold({});
    EXPECT_EQ(LowestLatchedKey(true), -1);
    EXPECT_EQ(BoundKeysText({87, 87}), "W");
    EXPECT_EQ(BoundKeysText({87, 38}), "W, Up");
    EXPECT_EQ(BoundKeysText({-1, -1}), "NONE");
    EXPECT_EQ(BoundKeysText({1, -1}), "Mouse Left");
    EXPECT_EQ(BoundKeysText({1, VkPadRightTrigger}), "Mouse Left, JOY10");
}

TEST(TextEntry, KeysBecomeWindows1251Characters)
{
    const struct {
        int Code;
        bool Russian;
        int Expected;   // as an unsigned byte; 0: not taken
    } cases[] = {
        {70, true, 192},  {65, true, 212},  {90, true, 223},  {81, true, 201},  {186, true, 198}, {188, true, 193},
        {190, true, 222}, {219, true, 213}, {221, true, 218}, {222, true, 221}, {48, true, '0'},  {32, true, ' '},
        {70, false, 'F'}, {65, false, 'A'}, {57, false, '9'}, {32, false, ' '}, {219, false, '{'}, {186, false, ':'},
        {188, false, '<'}, {190, false, '>'}, {221, false, '}'}, {222, false, '"'},
        {13, false, 0},   {8, false, 0},    {189, false, 0},  {97, true, 0},    {1, false, 0},    {47, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.Code) + (c.Russian ? " russian" : ""));
        EXPECT_EQ(static_cast<unsigned char>(TextEntryCharacter(c.Code, c.Russian)), c.Expected);
    }
}

TEST_F(KeyboardTest, TextEntryTypesOncePerPressAndTrims)
{
    TTextEntry entry;
    Hold({'A'});
    EXPECT_FALSE(entry.Update(25));
    Hold({'A'});   // still held: nothing more
    EXPECT_FALSE(entry.Update(25));
    Hold({});
    Hold({' ', 'B'});
    entry.Update(25);
    EXPECT_EQ(entry.Text, "A B");
    Hold({});
    Hold({VkBackspace});
    entry.Update(25);
    EXPECT_EQ(entry.Text, "A ");
    Hold({});
    Hold({VkReturn});
    EXPECT_TRUE(entry.Update(25));
    EXPECT_EQ(entry.Trimmed(), "A");
    entry.Text = "  \xC0\xC1 ";
    EXPECT_EQ(entry.Trimmed(), "\xC0\xC1");   // Cyrillic bytes are not blanks
}

TEST(TextEntry, CaretCountsDownFromHalfASecondAndStartsAgain)
{
    TTextEntry entry;
    std::vector<int> times;
    for (int i = 0; i < 5; ++i) {
        entry.Update(250);
        times.push_back(entry.CaretTime);
    }
    EXPECT_EQ(times, (std::vector<int>{250, 0, -250, -500, 500}));
}

TEST_F(KeyboardTest, LevelCodesMatchTheLastEightCharacters)
{
    TCheatCode code;
    EXPECT_EQ(code.Buffer, "        ");
    int found = -1;
    for (char c : "ZZ" + std::string(LevelCodes[0]))
        found = code.Feed(c);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(code.Buffer, LevelCodes[0]);
    for (char c : std::string(LevelCodes[15]))
        found = code.Feed(c);
    EXPECT_EQ(found, 15);
    EXPECT_EQ(code.Feed('X'), -1);
    // The codes are eight keys of the set each, all different; none is the game's name typed.
    const std::string keys = "ZEPHRONAS0123456789";
    std::set<std::string> codes;
    for (const char *c : LevelCodes) {
        const std::string text = c;
        EXPECT_EQ(text.size(), 8u);
        EXPECT_EQ(text.find_first_not_of(keys), std::string::npos) << text;
        codes.insert(text);
    }
    EXPECT_EQ(codes.size(), LevelCodes.size());
    EXPECT_EQ(codes.count("ZEPHRONA"), 0u);
    // Keys outside the set are not taken from the keyboard.
    Hold({'B', 'Z'});
    code.Update();
    EXPECT_EQ(code.Buffer.back(), 'Z');
    EXPECT_TRUE(Keys->IsDown('B'));
    EXPECT_FALSE(Keys->IsDown('Z'));
}

TEST(ModSet, KeysAreCaseInsensitiveAndOthersIgnored)
{
    const TTempDir dir("modset");
    WriteText(dir.Path / "Islands.mod",
              "// an add-on\r\n\r\n buttonname = Island Hopping \r\nBUTTONMOUSEIN=Menu\\In.png\r\nButtonMouseOut = Menu\\Out.png\r\n"
              "FirstScreen=Menu\\First.png\r\nLASTSCREEN=Menu\\Last.png\r\nfirstlevel= Islands1.ses\r\nShowScore=True\r\n"
              "Author=Someone\r\nno equals sign\r\n");
    Extractor = nullptr;
    const TModSet set = ReadModSet((dir.Path / "Islands.mod").string());
    EXPECT_EQ(set.ButtonName, "Island Hopping");
    EXPECT_EQ(set.ButtonMouseIn, "Menu\\In.png");
    EXPECT_EQ(set.ButtonMouseOut, "Menu\\Out.png");
    EXPECT_EQ(set.FirstScreen, "Menu\\First.png");
    EXPECT_EQ(set.LastScreen, "Menu\\Last.png");
    EXPECT_EQ(set.FirstLevel, "Islands1.ses");
    EXPECT_TRUE(set.ShowScore);
    WriteText(dir.Path / "Plain.mod", "ShowScore=yes\r\n");
    EXPECT_FALSE(ReadModSet((dir.Path / "Plain.mod").string()).ShowScore);
    EXPECT_THROW(ReadModSet((dir.Path / "None.mod").string()), std::runtime_error);

    // The sets of the game folder, in name order, without folders or other files.
    AppDir = dir.Path.string() + "/";
    WriteText(dir.Path / "Data" / "Maps" / "b.MOD", "ButtonName=B\r\n");
    WriteText(dir.Path / "Data" / "Maps" / "a.mod", "ButtonName=A\r\n");
    WriteText(dir.Path / "Data" / "Maps" / "Level1.ses", "");
    fs::create_directories(dir.Path / "Data" / "Maps" / "dir.mod");
    const std::vector<std::string> found = FindModSets();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], AppDir + "Data\\Maps\\a.mod");
    EXPECT_EQ(found[1], AppDir + "Data\\Maps\\b.MOD");
    EXPECT_EQ(ReadModSet(found[1]).ButtonName, "B");
}

} // namespace
