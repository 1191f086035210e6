#include "sim/World.h"

#include "core/View.h"
#include "script/GameVars.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"

#include <utility>

TWorld::TWorld(std::string tableFileName) : TableFileName(std::move(tableFileName))
{
    ScriptBindings.TimerEnable = &Timer.Enabled;
    ScriptBindings.TimerTime = &Timer.Remaining;
}

TWorld::~TWorld()
{
    Unload();
    ScriptBindings.TimerEnable = &ScriptStandIns.Timer.Enabled;
    ScriptBindings.TimerTime = &ScriptStandIns.Timer.Remaining;
}

void TWorld::Unload()
{
    // The exchange goes first: its groups and checkpoint only point into the object list.
    Exchange.reset();
    Objects.reset();
}

void TWorld::LoadMission(const std::string &fileName)
{
    Unload();
    Timer.Enabled = false;
    auto exchange = std::make_unique<TScriptDataExchange>(nullptr, TableFileName);
    exchange->LoadScript(fileName);
    Exchange = std::move(exchange);
    Objects = std::make_unique<TObjectsControl>();
    Exchange->Objects = Objects.get();
}

void TWorld::Update(int dt)
{
    GameClock += dt;
    if (Exchange)
        Exchange->Update(dt);
    const bool disabled = ScriptBindings.AllObjectsDisable ? *ScriptBindings.AllObjectsDisable : AllObjectsDisabled;
    if (Objects && !disabled)
        Objects->Update(dt);
    Timer.Update(dt);
}
