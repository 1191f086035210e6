#include "sim/World.h"

#include "assets/DPSEffect.h"
#include "core/View.h"
#include "script/GameVars.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Tracers.h"

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
    // Aim points and bounding boxes follow the objects every frame, with or without a window: guns
    // aim at a target's centre and missiles strike inside its box.
    if (Objects)
        Objects->UpdateProjection();
    // Shots and smoke age whether or not anything draws them, so a run without a window keeps no
    // more of them than the game does.
    if (Billboards)
        Billboards->Update(dt);
    if (Sprites)
        Sprites->UpdateAll(dt);
    Timer.Update(dt);
}
