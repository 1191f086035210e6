// Keyboard, mouse and game-controller state as Windows virtual-key codes, the game's currency for
// keys everywhere (key bindings, menus), with the pad's buttons after them. Keys sit at their
// US-layout positions.

#include "core/KeyCodes.h"
#include "core/Platform.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace {

struct TKeyPair {
    SDL_Scancode Code;
    int          Vk;
};

constexpr TKeyPair KeyTable[] = {
    {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_LSHIFT, 16}, {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17}, {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LALT, 18}, {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45}, {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_0, 48}, {SDL_SCANCODE_1, 49}, {SDL_SCANCODE_2, 50}, {SDL_SCANCODE_3, 51},
    {SDL_SCANCODE_4, 52}, {SDL_SCANCODE_5, 53}, {SDL_SCANCODE_6, 54}, {SDL_SCANCODE_7, 55},
    {SDL_SCANCODE_8, 56}, {SDL_SCANCODE_9, 57},
    {SDL_SCANCODE_A, 65}, {SDL_SCANCODE_B, 66}, {SDL_SCANCODE_C, 67}, {SDL_SCANCODE_D, 68},
    {SDL_SCANCODE_E, 69}, {SDL_SCANCODE_F, 70}, {SDL_SCANCODE_G, 71}, {SDL_SCANCODE_H, 72},
    {SDL_SCANCODE_I, 73}, {SDL_SCANCODE_J, 74}, {SDL_SCANCODE_K, 75}, {SDL_SCANCODE_L, 76},
    {SDL_SCANCODE_M, 77}, {SDL_SCANCODE_N, 78}, {SDL_SCANCODE_O, 79}, {SDL_SCANCODE_P, 80},
    {SDL_SCANCODE_Q, 81}, {SDL_SCANCODE_R, 82}, {SDL_SCANCODE_S, 83}, {SDL_SCANCODE_T, 84},
    {SDL_SCANCODE_U, 85}, {SDL_SCANCODE_V, 86}, {SDL_SCANCODE_W, 87}, {SDL_SCANCODE_X, 88},
    {SDL_SCANCODE_Y, 89}, {SDL_SCANCODE_Z, 90},
    {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_0, 96}, {SDL_SCANCODE_KP_1, 97}, {SDL_SCANCODE_KP_2, 98}, {SDL_SCANCODE_KP_3, 99},
    {SDL_SCANCODE_KP_4, 100}, {SDL_SCANCODE_KP_5, 101}, {SDL_SCANCODE_KP_6, 102},
    {SDL_SCANCODE_KP_7, 103}, {SDL_SCANCODE_KP_8, 104}, {SDL_SCANCODE_KP_9, 105},
    {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_F1, 112}, {SDL_SCANCODE_F2, 113}, {SDL_SCANCODE_F3, 114}, {SDL_SCANCODE_F4, 115},
    {SDL_SCANCODE_F5, 116}, {SDL_SCANCODE_F6, 117}, {SDL_SCANCODE_F7, 118}, {SDL_SCANCODE_F8, 119},
    {SDL_SCANCODE_F9, 120}, {SDL_SCANCODE_F10, 121}, {SDL_SCANCODE_F11, 122}, {SDL_SCANCODE_F12, 123},
    {SDL_SCANCODE_F13, 124}, {SDL_SCANCODE_F14, 125}, {SDL_SCANCODE_F15, 126}, {SDL_SCANCODE_F16, 127},
    {SDL_SCANCODE_F17, 128}, {SDL_SCANCODE_F18, 129}, {SDL_SCANCODE_F19, 130}, {SDL_SCANCODE_F20, 131},
    {SDL_SCANCODE_F21, 132}, {SDL_SCANCODE_F22, 133}, {SDL_SCANCODE_F23, 134}, {SDL_SCANCODE_F24, 135},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163}, {SDL_SCANCODE_LALT, 164}, {SDL_SCANCODE_RALT, 165},
    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192}, {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

// For each virtual key, the scancodes that press it (at most two: the left and right keys).
struct TVkScancodes {
    std::array<SDL_Scancode, 2> Codes{SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN};
};

constexpr std::array<TVkScancodes, 256> BuildVkTable()
{
    std::array<TVkScancodes, 256> table{};
    for (const TKeyPair &pair : KeyTable) {
        auto &codes = table[pair.Vk].Codes;
        (codes[0] == SDL_SCANCODE_UNKNOWN ? codes[0] : codes[1]) = pair.Code;
    }
    return table;
}

constexpr std::array<TVkScancodes, 256> VkTable = BuildVkTable();

// The pad's buttons in the order of their codes 256..263; the triggers (264, 265) are axes.
constexpr SDL_GameControllerButton PadButtons[] = {
    SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
};
static_assert(std::size(PadButtons) == VkPadLeftTrigger - VkPadFirst);

SDL_GameController *Pad = nullptr;
bool PadsUp = false;

// A trigger reads pressed past 55% of its travel and let go below 45%, so a trigger resting near
// half way does not chatter between the two.
std::array<bool, 2> TriggerHeld{};

float AxisValue(SDL_GameControllerAxis axis)
{
    const float v = float(SDL_GameControllerGetAxis(Pad, axis)) / 32767.0f;
    return v < -1 ? -1 : v > 1 ? 1 : v;
}

bool PadAttached() { return Pad && SDL_GameControllerGetAttached(Pad); }

bool TriggerDown(int side)
{
    if (!PadAttached())
        return TriggerHeld[std::size_t(side)] = false;
    const float pull = AxisValue(side == 0 ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    bool &held = TriggerHeld[std::size_t(side)];
    held = held ? pull > 0.45f : pull > 0.55f;
    return held;
}

} // namespace

void RefreshPads()
{
    if (!PadsUp) {
        // The pad keeps reporting while another window has the focus: the frame loop decides what
        // an unfocused frame does, not the device layer.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        PadsUp = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        if (!PadsUp)
            return;
    }
    if (Pad && !SDL_GameControllerGetAttached(Pad)) {
        SDL_GameControllerClose(Pad);
        Pad = nullptr;
    }
    if (Pad)
        return;
    // The first controller SDL knows how to read; another one takes over when it is pulled out.
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count && !Pad; ++i)
        if (SDL_IsGameController(i))
            Pad = SDL_GameControllerOpen(i);
}

TPadState ReadPad()
{
    TPadState pad;
    if (!PadAttached())
        return pad;
    pad.Connected = true;
    pad.StickX = AxisValue(SDL_CONTROLLER_AXIS_LEFTX);
    pad.StickY = AxisValue(SDL_CONTROLLER_AXIS_LEFTY);
    pad.TriggerLeft = std::max(0.0f, AxisValue(SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    pad.TriggerRight = std::max(0.0f, AxisValue(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    return pad;
}

bool KeyDown(int vk)
{
    if (vk >= VkPadFirst && vk < KeyCodeCount) {
        if (vk >= VkPadLeftTrigger)
            return TriggerDown(vk - VkPadLeftTrigger);
        return PadAttached() && SDL_GameControllerGetButton(Pad, PadButtons[vk - VkPadFirst]) != 0;
    }
    if (vk < 0 || vk > 255)
        return false;
    switch (vk) {
    case 1: return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
    case 2: return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_RMASK) != 0;
    case 4: return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_MMASK) != 0;
    default: break;
    }
    int count = 0;
    const Uint8 *state = SDL_GetKeyboardState(&count);
    for (SDL_Scancode code : VkTable[vk].Codes)
        if (code != SDL_SCANCODE_UNKNOWN && code < count && state[code])
            return true;
    return false;
}

bool RussianLayoutActive()
{
    const SDL_Keycode key = SDL_GetKeyFromScancode(SDL_SCANCODE_A);
    return key >= 0x400 && key < 0x500;
}
