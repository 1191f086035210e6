#pragma once
// The statements of the mission-script language: their opcodes, names and argument kinds. The
// opcode is the command's index here; scripts only ever use the names.

#include <array>
#include <cstdint>
#include <string_view>

enum class TArgKind : std::uint8_t {
    Int,        // an int operand
    Float,      // a float operand
    Bool,       // a bool operand
    Text,       // one token, kept as text
    FloatOut,   // a float variable that the command writes
    BoolOut,    // a bool variable that the command writes
    IntOut,     // an int variable that the command writes
};

constexpr int MaxCommandArgs = 20;

struct TCommandInfo {
    std::string_view Name;
    std::uint8_t     ArgCount;
    TArgKind         Args[10];
};

enum TOpcode : std::int32_t {
    OpAssign = 0, OpIf = 1, OpEndIf = 2,
    OpDisablePlayer = 3, OpEnablePlayer, OpMessage, OpCenterMessage, OpSetMusic, OpSetIndicator, OpSleep,
    OpGameOver, OpBlackScreen, OpLoadMap, OpCreateObject, OpSetTarget, OpAddTask, OpTaskFail,
    OpTaskComplete, OpCreatePlayer, OpShowOnRadar, OpDistancePlayerToGroup, OpCreateIsland,
    OpCreateStaticDead, OpPlayerDead, OpNextLevel, OpEndGame, OpSetDefend, OpDistanceGroupToGroup,
    OpDistancePlayerToCheckPoint, OpDeleteCheckPoint, OpReloadPlayer, OpCreateStaticObject, OpSetMovePoint,
    OpStopMove, OpEnableGroupWeapon, OpSetCamera, OpPlaySound, OpSetBlinkOnRadar, OpSetTargeting,
    OpIsSideOnRadar, OpMpAddSpawnPoint, OpMpClearSpawnPoints, OpRandomFloat, OpRandomInt, OpSetMusicVolume,
    OpcodeCount
};

// Indexed by opcode. Opcodes 0..2 are the assignment, "if" and "endif", which scripts write by form,
// not by name.
inline constexpr std::array<TCommandInfo, OpcodeCount> Commands = [] {
    using enum TArgKind;
    constexpr TArgKind F = Float;
    return std::array<TCommandInfo, OpcodeCount>{{
        {"", 0, {}},
        {"if", 0, {}},
        {"endif", 0, {}},
        {"DisablePlayer", 0, {}},
        {"EnablePlayer", 0, {}},
        {"Message", 1, {Text}},
        {"CenterMessage", 1, {Text}},
        {"SetMusic", 1, {Text}},
        {"SetIndicator", 2, {Int, Text}},
        {"Sleep", 1, {Int}},
        {"GameOver", 0, {}},
        {"BlackScreen", 1, {Int}},
        {"LoadMap", 1, {Text}},
        {"CreateObject", 10, {Int, Int, Int, Int, F, F, F, F, F, Text}},
        {"SetTarget", 2, {Int, Int}},
        {"AddTask", 2, {Text, Int}},
        {"TaskFail", 1, {Int}},
        {"TaskComplete", 1, {Int}},
        {"CreatePlayer", 0, {}},
        {"ShowOnRadar", 2, {Int, Bool}},
        {"DistancePlayerToGroup", 2, {Int, FloatOut}},
        {"CreateIsland", 4, {F, F, F, Text}},
        {"CreateStaticDead", 8, {Int, Int, F, F, F, F, F, Text}},
        {"PlayerDead", 0, {}},
        {"NextLevel", 1, {Text}},
        {"EndGame", 0, {}},
        {"SetDefend", 2, {Int, Int}},
        {"DistanceGroupToGroup", 3, {Int, Int, FloatOut}},
        {"DistancePlayerToCheckPoint", 1, {FloatOut}},
        {"DeleteCheckPoint", 0, {}},
        {"ReloadPlayer", 0, {}},
        {"CreateStaticObject", 8, {Int, F, F, F, F, F, Text, Text}},
        {"SetMovePoint", 2, {Int, Int}},
        {"StopMove", 1, {Int}},
        {"EnableGroupWeapon", 2, {Int, Bool}},
        {"SetCamera", 3, {Int, Int, Int}},
        {"PlaySound", 1, {Text}},
        {"SetBlinkOnRadar", 2, {Int, Bool}},
        {"SetTargeting", 2, {Int, Bool}},
        {"isSideOnRadar", 2, {Int, BoolOut}},
        {"mp_AddSpawnPoint", 3, {F, F, F}},
        {"mp_ClearSpawnPoints", 0, {}},
        {"RandomFloat", 2, {Int, FloatOut}},
        {"RandomInt", 2, {Int, IntOut}},
        {"SetMusicVolume", 1, {Int}},
    }};
}();

static_assert(Commands.size() == 45);
static_assert(Commands[OpSleep].Name == "Sleep" && Commands[OpLoadMap].Name == "LoadMap");
static_assert(Commands[OpCreateObject].Name == "CreateObject" && Commands[OpCreateObject].ArgCount == 10);
static_assert(Commands[OpIsSideOnRadar].Name == "isSideOnRadar" && Commands[OpSetMusicVolume].Name == "SetMusicVolume");

// The opcode of a command name (3..44); -1 for anything else, "if" and "endif" included.
int CommandOpcode(std::string_view name);
