#pragma once
// The game fields that mission scripts see as predefined variables. A script reads and writes the
// field itself through its binding here, never a copy. The subsystem that owns a field points the
// binding at it when it creates the field, before any mission script is compiled (a compiled script
// keeps the addresses it was given). Until then each binding points at a stand-in of its own, so
// scripts compile and run without the game: in the tools and the tests.

#include "core/Timer.h"

constexpr int ScriptGroupCount = 40;   // script groups 0..39

// The process-wide flags that scripts set and the simulation obeys.
extern bool PlayerWeaponDisabled;    // "G_PLAYER_WEAPON_DISABLED": the player's weapons do not fire
extern bool PlayerControlDisabled;   // "G_PLAYER_CONTROL_DISABLED": autopilot instead of the player
extern bool AllObjectsDisabled;      // "G_ALL_OBJECTS_DISABLE": the world updates no game object

struct TScriptBindings {
    int   *GroupAliveCount[ScriptGroupCount];   // "G_AI_GROUP<i>_COUNT": live units of group i
    int   *GroupHealth[ScriptGroupCount];       // "G_AI_GROUP<i>_HEALTH": group i's health in percent
    float *PlayerHealth;                        // "G_PLAYER_HEALTH": the player aircraft's health
    bool  *PlayerWeaponDisabled;                // "G_PLAYER_WEAPON_DISABLED"
    bool  *PlayerControlDisabled;               // "G_PLAYER_CONTROL_DISABLED"
    bool  *AllObjectsDisable;                   // "G_ALL_OBJECTS_DISABLE"
    bool  *TimerEnable;                         // "G_TIMER_ENABLE": the mission timer's Enabled
    int   *TimerTime;                           // "G_TIMER_TIME": the mission timer's Remaining (ms)
    int   *DeltaTime;                           // "G_DELTA_TIME": FrameTime, the frame's step (ms)
};

// Where every bound variable points now.
extern TScriptBindings ScriptBindings;

// The stand-ins the bindings point at until their owners exist.
struct TScriptStandIns {
    int    GroupAliveCount[ScriptGroupCount] = {};
    int    GroupHealth[ScriptGroupCount] = {};
    float  PlayerHealth = 0;
    TTimer Timer;   // the mission timer until the scene environment makes the real one
};
extern TScriptStandIns ScriptStandIns;

// Points every binding back at its stand-in (the flags and G_DELTA_TIME at their globals).
void ResetScriptBindings();
// Points the group bindings, which belong to a mission, back at their stand-ins; the others stay.
void ResetGroupBindings();
