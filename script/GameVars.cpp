#include "script/GameVars.h"

#include "core/App.h"

bool PlayerWeaponDisabled = false;
bool PlayerControlDisabled = false;
bool AllObjectsDisabled = false;

TScriptStandIns ScriptStandIns;

namespace {

TScriptBindings StandInBindings()
{
    TScriptBindings b{};
    for (int i = 0; i < ScriptGroupCount; ++i) {
        b.GroupAliveCount[i] = &ScriptStandIns.GroupAliveCount[i];
        b.GroupHealth[i] = &ScriptStandIns.GroupHealth[i];
    }
    b.PlayerHealth = &ScriptStandIns.PlayerHealth;
    b.PlayerWeaponDisabled = &PlayerWeaponDisabled;
    b.PlayerControlDisabled = &PlayerControlDisabled;
    b.AllObjectsDisable = &AllObjectsDisabled;
    b.TimerEnable = &ScriptStandIns.Timer.Enabled;
    b.TimerTime = &ScriptStandIns.Timer.Remaining;
    b.DeltaTime = &FrameTime;
    return b;
}

} // namespace

TScriptBindings ScriptBindings = StandInBindings();

void ResetScriptBindings() { ScriptBindings = StandInBindings(); }

void ResetGroupBindings()
{
    for (int i = 0; i < ScriptGroupCount; ++i) {
        ScriptBindings.GroupAliveCount[i] = &ScriptStandIns.GroupAliveCount[i];
        ScriptBindings.GroupHealth[i] = &ScriptStandIns.GroupHealth[i];
    }
}
