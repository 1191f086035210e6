// Key state and bindings: the latch rules on a keyboard of the test's own, "keys.cfg" on disk with
// the mouse and pad settings, the key names, real key presses through the X server, SDL and the
// platform layer, and a pad plugged in and out through SDL's virtual joysticks.

#include "core/App.h"
#include "core/Platform.h"
#include "core/Recording.h"
#include "data/Keys.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <SDL.h>

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
        keys.Poll = keys.PadPoll = [this](int vk) { return Held[std::size_t(vk)]; };
        return keys;
    }

    TTempDir             Temp{"keys"};
    const std::string    File = (Temp.Path / "keys.cfg").string();
    std::array<bool, KeyCodeCount> Held{};
};

// The fire buttons also answer to the pad's triggers: right for the primary weapon, left for the
// secondary.
const std::string DefaultFile = "KP_FORWARD=87\r\nKP_FORWARD=87\r\nKP_BACKWARD=83\r\nKP_BACKWARD=83\r\n"
                                "KP_PRIMARY=1\r\nKP_PRIMARY=265\r\nKP_SECONDARY=2\r\nKP_SECONDARY=264\r\n"
                                "KP_CHANGEWEAPON=81\r\nKP_CHANGEWEAPON=81\r\nKP_TASKLIST=9\r\nKP_TASKLIST=9\r\n"
                                "KP_CHANGECAMERA=67\r\nKP_CHANGECAMERA=67\r\n"
                                "MOUSE_SENSITIVITY=100\r\nPAD_SENSITIVITY=100\r\nPAD_DEADZONE=20\r\n";

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
    // Everything held; a keyboard is asked only for its 256 codes, the pad only for its buttons.
    keys.Poll = [](int vk) {
        EXPECT_TRUE(vk >= 0 && vk < 256) << vk;
        return true;
    };
    keys.PadPoll = [](int code) {
        EXPECT_TRUE(code >= VkPadFirst && code < KeyCodeCount) << code;
        return true;
    };
    keys.Update();
    EXPECT_EQ(keys.Bindings[KP_FORWARD], (std::array<int, 2>{300, -7}));
    EXPECT_FALSE(keys.ActionDown(KP_FORWARD));
    EXPECT_FALSE(keys.IsDown(KeyCodeCount));
    EXPECT_TRUE(keys.IsDown(VkPadFirst) && keys.IsDown(KeyCodeCount - 1)) << "the pad's buttons are keys too";
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
    keys.MouseSensitivity = 250;
    keys.PadSensitivity = 40;
    keys.PadDeadZone = 0;
    ASSERT_TRUE(keys.Save());
    EXPECT_EQ(ReadAll(File), "KP_FORWARD=87\r\nKP_FORWARD=38\r\nKP_BACKWARD=83\r\nKP_BACKWARD=-1\r\n"
                             "KP_PRIMARY=-1\r\nKP_PRIMARY=1\r\nKP_SECONDARY=2\r\nKP_SECONDARY=17\r\n"
                             "KP_CHANGEWEAPON=81\r\nKP_CHANGEWEAPON=-1\r\nKP_TASKLIST=9\r\nKP_TASKLIST=9\r\n"
                             "KP_CHANGECAMERA=67\r\nKP_CHANGECAMERA=32\r\n"
                             "MOUSE_SENSITIVITY=250\r\nPAD_SENSITIVITY=40\r\nPAD_DEADZONE=0\r\n");
    const TKeys again(File);
    TPairs expected = keys.Bindings;
    expected[KP_PRIMARY] = {1, -1};   // an unbound primary reads back with the key in front
    EXPECT_EQ(again.Bindings, expected);
    EXPECT_EQ(again.MouseSensitivity, 250);
    EXPECT_EQ(again.PadSensitivity, 40);
    EXPECT_EQ(again.PadDeadZone, 0);
}

TEST_F(KeysTest, SettingsLinesAreOptionalAndKeptInRange)
{
    const struct {
        const char *Text;
        int Mouse, Pad, Zone;
    } cases[] = {
        // A file from before the settings existed: their defaults.
        {"KP_FORWARD=87\r\nKP_FORWARD=87\r\n", 100, 100, 20},
        {"MOUSE_SENSITIVITY=70\r\nKP_FORWARD=87\r\nPAD_DEADZONE=35\r\n", 70, 100, 35},
        // Out of range: the nearest end; not a number: the default stays.
        {"KP_FORWARD=87\nMOUSE_SENSITIVITY=5000\nPAD_SENSITIVITY=-3\nPAD_DEADZONE=99\n", 300, 10, 50},
        {"KP_FORWARD=87\nMOUSE_SENSITIVITY=fast\nPAD_SENSITIVITY=\nPAD_DEADZONE=1,5\nmouse_sensitivity=50\n", 100, 100, 20},
        {"KP_FORWARD=87\nMOUSE_SENSITIVITY=150\nMOUSE_SENSITIVITY=90\n", 90, 100, 20},   // the last line wins
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        const TKeys keys = Make(c.Text);
        EXPECT_EQ(keys.MouseSensitivity, c.Mouse);
        EXPECT_EQ(keys.PadSensitivity, c.Pad);
        EXPECT_EQ(keys.PadDeadZone, c.Zone);
        EXPECT_EQ(keys.Bindings[KP_FORWARD][0], 87) << "the settings are not bindings";
    }
    // Settings alone bind nothing: the file is repaired with the default keys, the settings kept.
    const TKeys settingsOnly = Make("PAD_DEADZONE=5\r\n");
    EXPECT_EQ(settingsOnly.Bindings[KP_PRIMARY], (std::array<int, 2>{1, VkPadRightTrigger}));
    EXPECT_EQ(settingsOnly.PadDeadZone, 5);
}

// A replay plays with the bindings it recorded, whatever the player's file holds.
TEST_F(KeysTest, RecordedBindingsReplaceEverything)
{
    TKeys keys = Make("KP_FORWARD=38\r\nKP_TASKLIST=20\r\nPAD_DEADZONE=40\r\n");
    keys.UseBindings("KP_FORWARD=87\r\nMOUSE_SENSITIVITY=60\r\n");
    EXPECT_EQ(keys.Bindings[KP_FORWARD], (std::array<int, 2>{87, -1}));
    EXPECT_EQ(keys.Bindings[KP_TASKLIST], (std::array<int, 2>{-1, -1}));
    EXPECT_EQ(keys.MouseSensitivity, 60);
    EXPECT_EQ(keys.PadDeadZone, 20);
    EXPECT_EQ(ReadAll(File), "KP_FORWARD=38\r\nKP_TASKLIST=20\r\nPAD_DEADZONE=40\r\n") << "the player's file is left alone";
}

TEST_F(KeysTest, MissingFileIsCreatedWithTheDefaults)
{
    ASSERT_FALSE(fs::exists(File));
    const TKeys keys(File);
    EXPECT_EQ(ReadAll(File), DefaultFile);
    const TPairs expected{{{87, 87}, {83, 83}, {1, VkPadRightTrigger}, {2, VkPadLeftTrigger}, {81, 81}, {9, 9}, {67, 67}, {-1, -1}}};
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

TEST_F(KeysTest, DefaultButtonSetsBothSlotsAndTheSettings)
{
    TKeys keys = Make("KP_TASKLIST=20\nPAD_SENSITIVITY=250\n");
    keys.SetDefaults();
    keys.SetDefaultSettings();
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

// A pad plugged in while the game runs, through SDL's virtual joysticks: each frame runs as the
// game's loop runs it (the message pump, the devices sampled into the frame's input, the key state
// updated from it), so the pad's buttons reach the bindings as codes 256..265 and the stick reaches
// PadState after the dead zone. Pulled out, it reads nothing; plugged in again, it works again.
TEST(PadThroughSdl, APadPluggedInWhileRunningBindsAndSteers)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    BatchMode = true;
    ASSERT_TRUE(CreateGLWindow(320, 200, false, "pad", 32));
    const TTempDir dir("sdlpad");
    TKeys keys((dir.Path / "keys.cfg").string());   // the defaults: the triggers fire
    keys.Bind(KP_CHANGEWEAPON, VkPadY);
    keys.Poll = keys.PadPoll = [](int code) { return FrameInput.KeyDown(code); };
    auto frame = [&] {
        SleepMs(5);
        PumpMessage();
        FrameInput = SampleDevices(16, float(keys.PadDeadZone) / 100, float(keys.PadSensitivity) / 100);
        keys.Update();
    };
    // Runs frames until Done holds, at most 100 of them.
    auto settle = [&](const std::function<bool()> &done) {
        for (int i = 0; i < 100 && !done(); ++i)
            frame();
        return done();
    };
    frame();
    EXPECT_FALSE(PadState().Connected);

    for (int plug = 0; plug < 2; ++plug) {
        SCOPED_TRACE(plug == 0 ? "first plugged in" : "plugged in again");
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        SDL_Joystick *pad = SDL_JoystickOpen(index);
        ASSERT_NE(pad, nullptr) << SDL_GetError();
        for (int axis : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT})
            SDL_JoystickSetVirtualAxis(pad, axis, SDL_JOYSTICK_AXIS_MIN);   // triggers let go
        ASSERT_TRUE(settle([] { return PadState().Connected; })) << "the pad was not found";
        EXPECT_FALSE(keys.ActionDown(KP_PRIMARY) || keys.ActionDown(KP_SECONDARY));

        // Buttons: Y is bound, A is a key of its own; a button held reads down until released.
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
        EXPECT_TRUE(settle([&] { return keys.ActionDown(KP_CHANGEWEAPON); }));
        EXPECT_TRUE(keys.IsDown(VkPadA));
        EXPECT_EQ(TKeys::KeyName(VkPadY), "JOY4");
        keys.ReleaseAction(KP_CHANGEWEAPON);
        frame();
        EXPECT_FALSE(keys.ActionDown(KP_CHANGEWEAPON)) << "released while held";
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 0);
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
        EXPECT_TRUE(settle([&] { return !keys.IsDown(VkPadA); }));

        // The triggers fire: the right one the primary weapon, the left one the secondary.
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MAX);
        EXPECT_TRUE(settle([&] { return keys.ActionDown(KP_PRIMARY); }));
        EXPECT_FALSE(keys.ActionDown(KP_SECONDARY));
        EXPECT_NEAR(PadState().TriggerRight, 1, 1e-3);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MAX);
        EXPECT_TRUE(settle([&] { return keys.ActionDown(KP_SECONDARY) && !keys.ActionDown(KP_PRIMARY); }));
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
        EXPECT_TRUE(settle([&] { return !keys.ActionDown(KP_SECONDARY); }));

        // The stick: a small lean stays in the 20% dead zone; half way right and full down read
        // after it, and the sensitivity doubles them.
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 5000);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -3000);
        frame();
        frame();
        EXPECT_EQ(PadState().StickX, 0);
        EXPECT_EQ(PadState().StickY, 0);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 16384);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
        EXPECT_TRUE(settle([] { return PadState().StickX > 0; }));
        EXPECT_NEAR(PadState().StickX, (0.5 - 0.2) / 0.8, 1e-3);
        EXPECT_EQ(PadState().StickY, 0);
        keys.PadSensitivity = 200;
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
        EXPECT_TRUE(settle([] { return PadState().StickY > 0; }));
        EXPECT_NEAR(PadState().StickY, 2, 1e-3);
        EXPECT_EQ(PadState().StickX, 0);
        keys.PadSensitivity = 100;

        // Pulled out with a button held: nothing reads down any more.
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 1);
        EXPECT_TRUE(settle([&] { return keys.IsDown(VkPadB); }));
        SDL_JoystickClose(pad);
        ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
        EXPECT_TRUE(settle([] { return !PadState().Connected; }));
        EXPECT_FALSE(keys.IsDown(VkPadB));
        EXPECT_EQ(PadState(), TPadState{});
    }
    KillGLWindow();
}

} // namespace
