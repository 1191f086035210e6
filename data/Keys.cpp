#include "data/Keys.h"

#include "core/Files.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "data/Extractor.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

TKeys *Keys = nullptr;

namespace {

struct TNamedKey {
    int              Code;
    std::string_view Name;
};

// Codes 48..90 read as their own character.
constexpr std::string_view CharacterKeys = "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ";

constexpr std::string_view FunctionKeys[24] = {
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",
};

constexpr std::string_view NumpadKeys[10] = {
    "NUMPAD0", "NUMPAD1", "NUMPAD2", "NUMPAD3", "NUMPAD4",
    "NUMPAD5", "NUMPAD6", "NUMPAD7", "NUMPAD8", "NUMPAD9",
};

constexpr std::string_view JoystickKeys[10] = {
    "JOY1", "JOY2", "JOY3", "JOY4", "JOY5", "JOY6", "JOY7", "JOY8", "JOY9", "JOY10",
};

constexpr TNamedKey NamedKeys[] = {
    {1, "Mouse Left"}, {2, "Mouse Right"}, {3, "VK_CANCEL"}, {4, "Mouse Middle"}, {8, "Backspace"},
    {9, "Tab"}, {12, "VK_CLEAR"}, {13, "Return"}, {16, "Shift"}, {17, "Control"}, {18, "VK_MENU"},
    {19, "VK_PAUSE"}, {20, "VK_CAPITAL"}, {21, "VK_KANA"}, {22, "VK_HANGUL"}, {23, "VK_JUNJA"},
    {24, "VK_FINAL"}, {25, "VK_HANJA"}, {26, "VK_KANJI"}, {27, "Escape"}, {28, "VK_CONVERT"},
    {29, "VK_NONCONVERT"}, {30, "VK_ACCEPT"}, {31, "VK_MODECHANGE"}, {32, "Space"}, {33, "VK_PRIOR"},
    {34, "VK_NEXT"}, {35, "VK_END"}, {36, "VK_HOME"}, {37, "Left"}, {38, "Up"}, {39, "Right"},
    {40, "Down"}, {41, "VK_SELECT"}, {42, "VK_PRINT"}, {43, "VK_EXECUTE"}, {44, "VK_SNAPSHOT"},
    {45, "Insert"}, {46, "Delete"}, {47, "VK_HELP"}, {91, "VK_LWIN"}, {92, "VK_RWIN"}, {93, "VK_APPS"},
    {106, "MULTIPLY"}, {107, "ADD"}, {108, "SEPARATOR"}, {109, "SUBTRACT"}, {110, "DECIMAL"},
    {111, "DIVIDE"}, {144, "VK_NUMLOCK"}, {145, "VK_SCROLL"}, {160, "LSHIFT"}, {161, "RSHIFT"},
    {162, "LCONTROL"}, {163, "RCONTROL"}, {164, "VK_LMENU"}, {165, "VK_RMENU"}, {229, "VK_PROCESSKEY"},
    {246, "VK_ATTN"}, {247, "VK_CRSEL"}, {248, "VK_EXSEL"}, {249, "VK_EREOF"}, {250, "VK_PLAY"},
    {251, "VK_ZOOM"}, {252, "VK_NONAME"}, {253, "VK_PA1"}, {254, "VK_OEM_CLEAR"},
};

// Entry code + 1 names code; entry 0 names the unbound value -1.
constexpr std::array<std::string_view, KeyNameCount> BuildKeyNames()
{
    std::array<std::string_view, KeyNameCount> names{};
    for (std::string_view &name : names)
        name = "UNKNOWN";
    names[0] = "NONE";
    for (const TNamedKey &key : NamedKeys)
        names[std::size_t(key.Code) + 1] = key.Name;
    for (std::size_t i = 0; i < CharacterKeys.size(); ++i)
        names[48 + i + 1] = CharacterKeys.substr(i, 1);
    for (std::size_t i = 0; i < 10; ++i)
        names[96 + i + 1] = NumpadKeys[i];
    for (std::size_t i = 0; i < 24; ++i)
        names[112 + i + 1] = FunctionKeys[i];
    for (std::size_t i = 0; i < 10; ++i)
        names[256 + i + 1] = JoystickKeys[i];
    return names;
}

constexpr std::array<std::string_view, KeyNameCount> KeyNames = BuildKeyNames();
static_assert(KeyNames[0] == "NONE" && KeyNames[14] == "Return" && KeyNames[266] == "JOY10");
static_assert(KeyNames[59] == ":" && KeyNames[91] == "Z" && KeyNames[136] == "F24");

bool ValidKey(int code) { return code >= 0 && code < KeyCodeCount; }
bool ValidAction(int action) { return action >= 0 && action < 8; }

// A whole decimal number with an optional sign, blanks around it allowed; false for anything else.
bool ParseCode(std::string_view text, int &code)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, code);
    return !text.empty() && error == std::errc() && stop == end;
}

// The three settings with where each is kept.
struct TSettingField {
    const TInputSetting &Setting;
    int TKeys::*Field;
};

constexpr TSettingField SettingFields[] = {
    {MouseSensitivitySetting, &TKeys::MouseSensitivity},
    {PadSensitivitySetting, &TKeys::PadSensitivity},
    {PadDeadZoneSetting, &TKeys::PadDeadZone},
};

} // namespace

TKeys::TKeys(std::string fileName) : FileName(std::move(fileName)), Poll(KeyDown), PadPoll(KeyDown)
{
    for (auto &pair : Bindings)
        pair = {KeyUnbound, KeyUnbound};

    // The file as found on the disk, whatever the letter case of its name.
    if (FileExists(FileName)) {
        std::ifstream in(DiskPath(FileName), std::ios::binary);
        if (!in) {
            LogWrite("Cannot read the key bindings \"" + FileName + "\"; the default keys are used");
            SetDefaults();
            return;
        }
        std::ostringstream text;
        text << in.rdbuf();
        if (ReadBindings(text.str()) > 0)
            return;
        // Nothing bound: an empty file left by an interrupted save, or not a bindings file at all.
        // Reading it as "every action unbound" would be saved back and lose the keys for good.
        LogWrite("The key bindings \"" + FileName + "\" hold no binding; the default keys are used");
        for (auto &pair : Bindings)
            pair = {KeyUnbound, KeyUnbound};
    }
    // A fresh game folder: the default keys, and a file for the player to edit.
    SetDefaults();
    if (!Save())
        LogWrite("Cannot write the key bindings \"" + FileName + "\"");
}

void TKeys::Update()
{
    for (int vk = 0; vk < KeyCodeCount; ++vk) {
        const auto &poll = vk < VkPadFirst ? Poll : PadPoll;
        const std::uint8_t raw = poll && poll(vk) ? 1 : 0;
        if (raw != Previous[std::size_t(vk)]) {
            Latched[std::size_t(vk)] = raw;
            Previous[std::size_t(vk)] = raw;
        }
    }
}

bool TKeys::IsDown(int code) const { return ValidKey(code) && Latched[std::size_t(code)] != 0; }

void TKeys::Release(int code)
{
    if (ValidKey(code))
        Latched[std::size_t(code)] = 0;
}

bool TKeys::ActionDown(int action) const
{
    if (!ValidAction(action))
        return false;
    const auto &pair = Bindings[std::size_t(action)];
    return IsDown(pair[0]) || IsDown(pair[1]);
}

void TKeys::ReleaseAction(int action)
{
    if (!ValidAction(action))
        return;
    for (int code : Bindings[std::size_t(action)])
        if (code != KeyUnbound)
            Release(code);
}

void TKeys::Bind(int action, int code)
{
    if (!ValidAction(action))
        return;
    auto &pair = Bindings[std::size_t(action)];
    (pair[0] != KeyUnbound ? pair[1] : pair[0]) = code;
}

void TKeys::SetDefaults()
{
    for (int action = 0; action < KeyActionCount; ++action) {
        const TKeyAction &a = KeyActions[std::size_t(action)];
        Bindings[std::size_t(action)] = {a.Default, a.PadDefault != KeyUnbound ? a.PadDefault : a.Default};
    }
}

void TKeys::SetDefaultSettings()
{
    for (const TSettingField &s : SettingFields)
        this->*s.Field = s.Setting.Default;
}

void TKeys::UseBindings(std::string_view text)
{
    for (auto &pair : Bindings)
        pair = {KeyUnbound, KeyUnbound};
    SetDefaultSettings();
    ReadBindings(text);
}

int TKeys::ReadBindings(std::string_view text)
{
    int bound = 0;
    while (!text.empty()) {
        // Lines end with a line feed, a carriage return or both: the file may have been edited anywhere.
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, equals);
        for (const TSettingField &s : SettingFields) {
            int value = 0;
            if (name == s.Setting.FileKey && ParseCode(line.substr(equals + 1), value))
                this->*s.Field = std::clamp(value, s.Setting.Min, s.Setting.Max);
        }
        for (int action = 0; action < KeyActionCount; ++action) {
            int code = 0;
            if (name == KeyActions[std::size_t(action)].FileKey && ParseCode(line.substr(equals + 1), code)) {
                Bind(action, code);
                ++bound;
            }
        }
    }
    return bound;
}

std::string TKeys::BindingsText() const
{
    std::string text;
    for (int action = 0; action < KeyActionCount; ++action)
        for (int code : Bindings[std::size_t(action)])
            text += std::string(KeyActions[std::size_t(action)].FileKey) + "=" + std::to_string(code) + "\r\n";
    for (const TSettingField &s : SettingFields)
        text += std::string(s.Setting.FileKey) + "=" + std::to_string(this->*s.Field) + "\r\n";
    return text;
}

bool TKeys::Save() const { return ReplaceFileSafely(DiskPath(FileName), BindingsText()); }

std::string TKeys::KeyName(int code)
{
    if (code < -1 || code + 1 >= KeyNameCount)
        return "UNKNOWN";
    return std::string(KeyNames[std::size_t(code + 1)]);
}
