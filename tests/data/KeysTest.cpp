// Key state and bindings: the latch rules on a keyboard of the test's own, "keys.cfg" on disk, the
// key names, and real key presses through the X server, SDL and the platform layer.

#include "core/App.h"
#include "core/Platform.h"
#include "data/Keys.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace fs = std::filesystem;

namespace {

using TPairs = std::array<std::array<int, 2>, 8>;

class KeysTest : public testing::Test {
protected:
    // Keys over a bindings file with Text, polling the test's keyboard.
    TKeys Make(const std::string &text)
    {
        WriteText(File, text);
        TKeys keys(File);
        keys.Poll = [this](int vk) { return Held[std::size_t(vk)]; };
        return keys;
    }

    TTempDir             Temp{"keys"};
    const std::string    File = (Temp.Path / "keys.cfg").string();
    std::array<bool, 256> Held{};
};

const std::string DefaultFile = "KP_FORWARD=87\r\nKP_FORWARD=87\r\nKP_BACKWARD=83\r\nKP_BACKWARD=83\r\n"
                                "KP_PRIMARY=1\r\nKP_PRIMARY=1\r\nKP_SECONDARY=2\r\nKP_SECONDARY=2\r\n"
                                "KP_CHANGEWEAPON=81\r\nKP_CHANGEWEAPON=81\r\nKP_TASKLIST=9\r\nKP_TASKLIST=9\r\n"
                                "KP_CHANGECAMERA=67\r\nKP_CHANGECAMERA=67\r\n";

TEST_F(KeysTest, HeldKeyReadsDownUntilReleasedThenNeedsANewPress)
{
    TKeys keys = Make("");
    Held[87] = true;
    for (int frame = 0; frame < 5; ++frame) {
        keys.Update();
        EXPECT_TRUE(keys.IsDown(87)) << "frame " << frame;
    }
    keys.Release(87);
    for (int frame = 0; frame < 3; ++frame) {
        keys.Update();
        EXPECT_FALSE(keys.IsDown(87)) << "still held, frame " << frame;
    }
    Held[87] = false;
    keys.Update();
    EXPECT_FALSE(keys.IsDown(87));
    Held[87] = true;
    keys.Update();
    EXPECT_TRUE(keys.IsDown(87));
    Held[87] = false;
    keys.Update();
    EXPECT_FALSE(keys.IsDown(87)) << "letting go clears the latch";
}

TEST_F(KeysTest, PressBetweenTwoPollsIsNeverSeen)
{
    TKeys keys = Make("");
    keys.Update();
    Held[32] = true;
    Held[32] = false;   // pressed and let go before the next poll
    keys.Update();
    EXPECT_FALSE(keys.IsDown(32));
}

TEST_F(KeysTest, ActionsReadAndReleaseBothBoundKeys)
{
    TKeys keys = Make("KP_PRIMARY=1\nKP_PRIMARY=32\nKP_TASKLIST=9\n");
    Held[32] = true;
    keys.Update();
    EXPECT_TRUE(keys.ActionDown(KP_PRIMARY)) << "the secondary key counts";
    EXPECT_FALSE(keys.ActionDown(KP_TASKLIST)) << "its secondary slot is unbound";
    Held[1] = true;
    keys.Update();
    keys.ReleaseAction(KP_PRIMARY);
    EXPECT_FALSE(keys.IsDown(1));
    EXPECT_FALSE(keys.IsDown(32));
    EXPECT_FALSE(keys.ActionDown(KP_PRIMARY));

    keys.Bindings[KP_TASKLIST] = {KeyUnbound, KeyUnbound};
    Held[255] = true;
    keys.Update();
    EXPECT_FALSE(keys.ActionDown(KP_TASKLIST)) << "an unbound action is never down";
    EXPECT_FALSE(keys.ActionDown(7)) << "pair 7 has no action";
}

TEST_F(KeysTest, CodesOutsideTheKeyboardReadUp)
{
    // A hand-edited file may bind anything: such keys are kept and written back, but never read down.
    TKeys keys = Make("KP_FORWARD=300\nKP_FORWARD=-7\n");
    std::fill(Held.begin(), Held.end(), true);
    keys.Update();
    EXPECT_EQ(keys.Bindings[KP_FORWARD], (std::array<int, 2>{300, -7}));
    EXPECT_FALSE(keys.ActionDown(KP_FORWARD));
    EXPECT_FALSE(keys.IsDown(256));
    keys.ReleaseAction(KP_FORWARD);
    keys.Release(-1);
    EXPECT_TRUE(keys.IsDown(255));
}

TEST_F(KeysTest, BindingOrderFillsPrimaryThenSecondary)
{
    struct TCase {
        const char *Text;
        std::array<int, 2> Forward;
    } cases[] = {
        {"KP_FORWARD=87\r\n", {87, -1}},
        {"KP_FORWARD=87\r\nKP_FORWARD=38\r\n", {87, 38}},
        {"KP_FORWARD=87\r\nKP_FORWARD=38\r\nKP_FORWARD=104\r\n", {87, 104}},   // a third line overwrites the secondary
        {"KP_FORWARD=-1\r\nKP_FORWARD=38\r\n", {38, -1}},                      // unbound primary: the key moves up
        {"KP_FORWARD=-1\r\nKP_FORWARD=-1\r\n", {-1, -1}},
        {"KP_FORWARD = 87\nkp_forward=38\nKP_FORWARD\n=87\nKP_TASKLIST=9\n", {-1, -1}},   // names match exactly
        {"KP_FORWARD=W\nKP_FORWARD=\nKP_FORWARD=87x\nKP_FORWARD=99999999999\nKP_FORWARD= 87 \n", {87, -1}},
        {"KP_FORWARD=+40\rKP_FORWARD=41", {40, 41}},                            // old Mac line ends, no last line end
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Text);
        TKeys keys = Make(c.Text);
        EXPECT_EQ(keys.Bindings[KP_FORWARD], c.Forward);
        EXPECT_EQ(keys.Bindings[KP_BACKWARD], (std::array<int, 2>{-1, -1}));
    }
}

TEST_F(KeysTest, BindingsFileRoundTrip)
{
    TKeys keys = Make("");
    keys.Bindings = TPairs{{{87, 38}, {83, -1}, {-1, 1}, {2, 17}, {81, -1}, {9, 9}, {67, 32}, {-1, -1}}};
    ASSERT_TRUE(keys.Save());
    EXPECT_EQ(ReadAll(File), "KP_FORWARD=87\r\nKP_FORWARD=38\r\nKP_BACKWARD=83\r\nKP_BACKWARD=-1\r\n"
                             "KP_PRIMARY=-1\r\nKP_PRIMARY=1\r\nKP_SECONDARY=2\r\nKP_SECONDARY=17\r\n"
                             "KP_CHANGEWEAPON=81\r\nKP_CHANGEWEAPON=-1\r\nKP_TASKLIST=9\r\nKP_TASKLIST=9\r\n"
                             "KP_CHANGECAMERA=67\r\nKP_CHANGECAMERA=32\r\n");
    const TKeys again(File);
    TPairs expected = keys.Bindings;
    expected[KP_PRIMARY] = {1, -1};   // an unbound primary reads back with the key in front
    EXPECT_EQ(again.Bindings, expected);
}

TEST_F(KeysTest, MissingFileIsCreatedWithTheDefaults)
{
    ASSERT_FALSE(fs::exists(File));
    const TKeys keys(File);
    EXPECT_EQ(ReadAll(File), DefaultFile);
    TPairs expected{};
    for (int action = 0; action < KeyActionCount; ++action)
        expected[std::size_t(action)] = {KeyActions[std::size_t(action)].Default, KeyActions[std::size_t(action)].Default};
    expected[7] = {-1, -1};
    EXPECT_EQ(keys.Bindings, expected);
    EXPECT_EQ(TKeys(File).Bindings, expected) << "the written file reads back the same";
}

TEST_F(KeysTest, FileWithoutABindingReadsAsMissing)
{
    // An empty file is what an interrupted save used to leave: reading it as "all unbound" would
    // be saved back and lose every key for good.
    for (const char *text : {"", "\r\n\r\n", "KP_FORWARD=W\nKP_JUMP=32\nnot a binding\n\x01\x02"}) {
        SCOPED_TRACE(text);
        const TKeys keys = Make(text);
        EXPECT_EQ(keys.BindingsText(), DefaultFile);
        EXPECT_EQ(ReadAll(File), DefaultFile);
    }
    // One binding line is a bindings file: deliberately unbound keys stay unbound.
    const TKeys unbound = Make("KP_FORWARD=-1\r\n");
    EXPECT_EQ(unbound.Bindings[KP_FORWARD], (std::array<int, 2>{-1, -1}));
    EXPECT_EQ(unbound.Bindings[KP_PRIMARY], (std::array<int, 2>{-1, -1}));
}

TEST_F(KeysTest, SaveReplacesTheFileWholeOrNotAtAll)
{
    TKeys keys = Make("KP_FORWARD=38\r\n");
    keys.Bind(KP_PRIMARY, 32);
    // A folder where the temporary file goes makes the save fail before the old file is touched.
    fs::create_directories(File + ".tmp/blocker");
    EXPECT_FALSE(keys.Save());
    EXPECT_EQ(ReadAll(File), "KP_FORWARD=38\r\n");
    fs::remove_all(File + ".tmp");
    ASSERT_TRUE(keys.Save());
    EXPECT_EQ(ReadAll(File), keys.BindingsText());
    EXPECT_FALSE(fs::exists(File + ".tmp"));
}

TEST_F(KeysTest, FileNamedInAnotherLetterCaseIsReadAndReplaced)
{
    const fs::path upper = Temp.Path / "KEYS.CFG";
    WriteText(upper, "KP_FORWARD=38\r\n");
    TKeys keys(File);   // asks for "keys.cfg"
    EXPECT_EQ(keys.Bindings[KP_FORWARD], (std::array<int, 2>{38, -1}));
    keys.Bind(KP_FORWARD, 40);
    ASSERT_TRUE(keys.Save());
    EXPECT_FALSE(fs::exists(File)) << "a second file beside the player's";
    EXPECT_EQ(ReadAll(upper), keys.BindingsText());
}

TEST_F(KeysTest, DefaultButtonSetsBothSlots)
{
    TKeys keys = Make("KP_TASKLIST=20\n");
    keys.SetDefaults();
    EXPECT_EQ(keys.BindingsText(), DefaultFile);
    EXPECT_EQ(keys.Bindings[7], (std::array<int, 2>{-1, -1}));
}

TEST(KeyNames, Table)
{
    const std::pair<int, const char *> cases[] = {
        {-1, "NONE"}, {13, "Return"}, {200, "UNKNOWN"}, {0, "UNKNOWN"}, {1, "Mouse Left"}, {4, "Mouse Middle"},
        {27, "Escape"}, {48, "0"}, {58, ":"}, {64, "@"}, {65, "A"}, {90, "Z"}, {94, "UNKNOWN"},
        {96, "NUMPAD0"}, {105, "NUMPAD9"}, {111, "DIVIDE"}, {112, "F1"}, {135, "F24"}, {136, "UNKNOWN"},
        {165, "VK_RMENU"}, {229, "VK_PROCESSKEY"}, {254, "VK_OEM_CLEAR"}, {255, "UNKNOWN"},
        {256, "JOY1"}, {265, "JOY10"}, {266, "UNKNOWN"}, {-2, "UNKNOWN"},
    };
    for (const auto &[code, name] : cases)
        EXPECT_EQ(TKeys::KeyName(code), name) << "code " << code;
}

// Real presses: the X server's test extension presses W and the left mouse button over the game's
// window, and the key state sees them through SDL and the platform layer's key table.
TEST(KeysThroughSdl, KeyboardAndMouseReachTheBindings)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor));
    BatchMode = true;
    ASSERT_TRUE(CreateGLWindow(320, 200, false, "keys", 32));

    const TTempDir dir("sdlkeys");
    TKeys keys((dir.Path / "keys.cfg").string());   // the defaults: W forward, left button primary

    // Runs frames until the key state shows the wanted action state, at most Frames of them.
    auto settle = [&](int action, bool down, int frames = 200) {
        for (int i = 0; i < frames && keys.ActionDown(action) != down; ++i) {
            XFlush(display);
            SleepMs(10);
            PumpMessage();
            keys.Update();
        }
        return keys.ActionDown(action) == down;
    };

    const TPoint corner = WindowCorner();
    XTestFakeMotionEvent(display, -1, corner.x + 100, corner.y + 100, 0);
    settle(KP_FORWARD, false);
    const KeyCode w = XKeysymToKeycode(display, XK_w);
    XTestFakeKeyEvent(display, w, True, 0);
    EXPECT_TRUE(settle(KP_FORWARD, true)) << "W pressed";
    EXPECT_TRUE(keys.IsDown(87));
    keys.ReleaseAction(KP_FORWARD);
    EXPECT_FALSE(settle(KP_FORWARD, true, 20)) << "released while held";
    XTestFakeKeyEvent(display, w, False, 0);
    EXPECT_TRUE(settle(KP_FORWARD, false));

    XTestFakeButtonEvent(display, 1, True, 0);
    EXPECT_TRUE(settle(KP_PRIMARY, true)) << "left button pressed";
    EXPECT_TRUE(keys.IsDown(1));
    XTestFakeButtonEvent(display, 1, False, 0);
    EXPECT_TRUE(settle(KP_PRIMARY, false));

    XCloseDisplay(display);
    KillGLWindow();
}

} // namespace
