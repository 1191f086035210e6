#pragma once
// The state of one mission, apart from the process-wide state of the game: created by the mission
// load and destroyed with the mission. It owns the mission's compiled script and the group figures
// the script reads. Its constructor points the script's group bindings at its own fields before the
// script compiles; its destructor frees the script first and then points the bindings back at their
// stand-ins, so no compiled script ever keeps an address into a freed mission.

#include "script/GameVars.h"
#include "script/Script.h"

#include <memory>

class TMissionState {
public:
    TMissionState();
    ~TMissionState();
    TMissionState(const TMissionState &) = delete;
    TMissionState &operator=(const TMissionState &) = delete;

    int GroupAliveCount[ScriptGroupCount] = {};   // "G_AI_GROUP<i>_COUNT"
    int GroupHealth[ScriptGroupCount] = {};       // "G_AI_GROUP<i>_HEALTH", percent

    // The mission's script, compiled against this mission's bindings; null until the load makes it.
    // Declared after the fields it points into, so it is destroyed before them.
    std::unique_ptr<TScript> Script;
};
