#pragma once
// Keyboard, mouse-button and pad-button input for the whole game, and the user's bindings of the
// game actions to keys, kept in "keys.cfg" with the player's mouse and pad settings. Key codes are
// Windows virtual-key codes 0..255 (1 left, 2 right, 4 middle mouse button) whatever the platform,
// and 256..265 the pad's buttons (core/KeyCodes.h): the platform layer translates to them.

#include "core/KeyCodes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The game actions, by index into TKeys::Bindings.
constexpr int KP_FORWARD = 0;
constexpr int KP_BACKWARD = 1;
constexpr int KP_PRIMARY = 2;
constexpr int KP_SECONDARY = 3;
constexpr int KP_CHANGEWEAPON = 4;
constexpr int KP_TASKLIST = 5;
constexpr int KP_CHANGECAMERA = 6;
constexpr int KeyActionCount = 7;

constexpr int KeyUnbound = -1;
constexpr int KeyNameCount = 267;   // "NONE", codes 0..255, "JOY1".."JOY10"

struct TKeyAction {
    std::string_view FileKey;     // the name in "keys.cfg"
    std::string_view MenuLabel;   // as the controls page shows it (before translation)
    int              Default;     // the key of the primary slot after the controls page's "DEFAULT"
    int              PadDefault;  // the pad button of the secondary slot then; unbound: Default again
};

constexpr std::array<TKeyAction, KeyActionCount> KeyActions{{
    {"KP_FORWARD", "ACCELERATE", 87, KeyUnbound},                 // W
    {"KP_BACKWARD", "BRAKE", 83, KeyUnbound},                     // S
    {"KP_PRIMARY", "PRIMARY", 1, VkPadRightTrigger},              // left mouse button, right trigger
    {"KP_SECONDARY", "SECONADRY", 2, VkPadLeftTrigger},           // right mouse button, left trigger; the
                                                                  // label as the string table keys it
    {"KP_CHANGEWEAPON", "CHANGE WEAPON", 81, KeyUnbound},         // Q
    {"KP_TASKLIST", "TARGETS", 9, KeyUnbound},                    // Tab
    {"KP_CHANGECAMERA", "CHANGE CAMERA", 67, KeyUnbound},         // C
}};

// The player's mouse and pad settings, kept in "keys.cfg" after the bindings as lines of their own
// (a file written before they existed reads their defaults). Whole percentages.
struct TInputSetting {
    std::string_view FileKey;
    std::string_view MenuLabel;
    int              Default, Min, Max, Step;   // the controls page offers Min..Max in Steps
};

// How far the mouse steers for a given motion: 100 is the flight's own feel.
constexpr TInputSetting MouseSensitivitySetting{"MOUSE_SENSITIVITY", "MOUSE SENSITIVITY", 100, 10, 300, 10};
// How far the pad's stick steers at a given deflection: 100 makes full deflection steer like a
// 100-pixel mouse motion.
constexpr TInputSetting PadSensitivitySetting{"PAD_SENSITIVITY", "PAD SENSITIVITY", 100, 10, 300, 10};
// How far the stick may lean, in percent of full deflection, and still read centred.
constexpr TInputSetting PadDeadZoneSetting{"PAD_DEADZONE", "PAD DEAD ZONE", 20, 0, 50, 5};

class TKeys {
public:
    // All keys up, every slot unbound, then the bindings read from FileName (found whatever the
    // letter case of its name). A missing file, or one without a single binding line, is written
    // with the default bindings, so a fresh game folder gets one and a damaged one heals.
    explicit TKeys(std::string fileName);

    // Polls every virtual key once; a key whose raw state changed since the last poll takes that
    // state in its latched flag too. Called once per frame before anything reads input.
    void Update();
    bool IsDown(int code) const;       // the latched flag; false for a code outside 0..255
    void Release(int code);            // reads up until the key is let go and pressed again
    bool ActionDown(int action) const; // the latched flag of either bound key
    void ReleaseAction(int action);    // Release on both bound keys
    // Fills the primary slot if it is unbound, otherwise the secondary slot.
    void Bind(int action, int code);
    // Every action to its default keys: the default key in the primary slot, the pad's button (or
    // the same key again) in the secondary slot.
    void SetDefaults();
    // The mouse and pad settings to their defaults. The controls page's "DEFAULT" button does both.
    void SetDefaultSettings();
    // Writes the 14 binding lines and the 3 setting lines of the bindings file through a temporary
    // file renamed over the old one, so an interrupted save never leaves an empty file; false (the
    // old file kept) when it cannot.
    bool Save() const;

    // Reads bindings from the text of a bindings file, line by line, through Bind, and the
    // settings (a value out of range is brought to its nearest end): lines without "=", unknown
    // names and values that are not whole decimal numbers are skipped. Returns the number of lines
    // bound.
    int ReadBindings(std::string_view text);
    // Every binding and setting from Text alone, as a file holding it would give them (without the
    // repair of a file that binds nothing): what a replay plays with.
    void UseBindings(std::string_view text);
    // The text Save writes.
    std::string BindingsText() const;

    // The display name of a key code: "NONE" for -1, "UNKNOWN" for a code without a name.
    static std::string KeyName(int code);

    std::array<std::array<int, 2>, 8> Bindings; // primary and secondary key per action; pair 7 spare
    std::array<std::uint8_t, KeyCodeCount> Previous{};   // raw state of each code at the last poll (1 = down)
    std::array<std::uint8_t, KeyCodeCount> Latched{};    // the state consumers see; cleared by Release
    std::string                   FileName;

    // The settings, in whole percent (see the TInputSetting constants above).
    int MouseSensitivity = MouseSensitivitySetting.Default;
    int PadSensitivity = PadSensitivitySetting.Default;
    int PadDeadZone = PadDeadZoneSetting.Default;

    // How a code's raw state is read: Poll for the keyboard and mouse codes 0..255, PadPoll for the
    // pad's buttons 256..265 (apart, so a keyboard of 256 keys stays a whole keyboard). The frame
    // loop reads its frame's input through both; tests put their own keyboard here.
    std::function<bool(int vk)> Poll;
    std::function<bool(int code)> PadPoll;
};

// The key state of the run, created at start-up.
extern TKeys *Keys;
