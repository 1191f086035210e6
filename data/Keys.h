#pragma once
// Keyboard and mouse-button input for the whole game, and the user's bindings of the game actions
// to keys, kept in "keys.cfg". Key codes are Windows virtual-key codes 0..255 (1 left, 2 right,
// 4 middle mouse button) whatever the platform: the platform layer translates to them.

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
    int              Default;     // the key of both slots after the controls page's "DEFAULT"
};

constexpr std::array<TKeyAction, KeyActionCount> KeyActions{{
    {"KP_FORWARD", "ACCELERATE", 87},          // W
    {"KP_BACKWARD", "BRAKE", 83},              // S
    {"KP_PRIMARY", "PRIMARY", 1},              // left mouse button
    {"KP_SECONDARY", "SECONADRY", 2},          // right mouse button; the label as the string table keys it
    {"KP_CHANGEWEAPON", "CHANGE WEAPON", 81},  // Q
    {"KP_TASKLIST", "TARGETS", 9},             // Tab
    {"KP_CHANGECAMERA", "CHANGE CAMERA", 67},  // C
}};

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
    // Both slots of every action to its default key (the controls page's "DEFAULT" button).
    void SetDefaults();
    // Writes the 14 lines of the bindings file through a temporary file renamed over the old one,
    // so an interrupted save never leaves an empty file; false (the old file kept) when it cannot.
    bool Save() const;

    // Reads bindings from the text of a bindings file, line by line, through Bind: lines without
    // "=", unknown names and values that are not whole decimal numbers are skipped. Returns the
    // number of lines bound.
    int ReadBindings(std::string_view text);
    // The text Save writes.
    std::string BindingsText() const;

    // The display name of a key code: "NONE" for -1, "UNKNOWN" for a code without a name.
    static std::string KeyName(int code);

    std::array<std::array<int, 2>, 8> Bindings; // primary and secondary key per action; pair 7 spare
    std::array<std::uint8_t, 256> Previous{};   // raw state of each key at the last poll (1 = down)
    std::array<std::uint8_t, 256> Latched{};    // the state consumers see; cleared by Release
    std::string                   FileName;

    // How a key's raw state is read; tests put their own keyboard here.
    std::function<bool(int vk)> Poll;
};

// The key state of the run, created at start-up.
extern TKeys *Keys;
