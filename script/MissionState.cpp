#include "script/MissionState.h"

TMissionState::TMissionState()
{
    for (int i = 0; i < ScriptGroupCount; ++i) {
        ScriptBindings.GroupAliveCount[i] = &GroupAliveCount[i];
        ScriptBindings.GroupHealth[i] = &GroupHealth[i];
    }
}

TMissionState::~TMissionState()
{
    Script.reset();
    ResetGroupBindings();
}
