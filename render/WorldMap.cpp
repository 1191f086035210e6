#include "render/WorldMap.h"

#include "assets/ModelLib.h"
#include "core/App.h"
#include "render/Lights.h"
#include "sim/GameObjects.h"
#include "sim/Tracers.h"

TWorldMap::TWorldMap() { Sky = std::make_unique<TSky>(AppDir + SkyFolder); }

void TWorldMap::Step()
{
    if (Progress)
        Progress();
}

void TWorldMap::LoadMap(const std::string &missionFile)
{
    // The old mission goes first, so a script that fails to compile leaves nothing half-loaded.
    Loaded = false;
    World.Unload();
    Sky.reset();

    // Loading every model now keeps the first frames of the mission from stalling on them; models
    // already loaded by an earlier mission come back at once.
    if (!FastLoad && ModelLib)
        LoadModelList();
    Step();

    Sky = std::make_unique<TSky>(AppDir + SkyFolder);
    World.Timer.Enabled = false;
    World.LoadMission(missionFile);
    Step();
    // Shots of the previous mission must not fly on into this one.
    if (Billboards)
        Billboards->Clear();
    for (int i = 0; i < 4; ++i)
        Step();
    Loaded = true;
}

void TWorldMap::Update(int dt)
{
    World.Update(dt);
    if (Sky)
        Sky->Update(dt);
}

void TWorldMap::Draw()
{
    if (Lights)
        Lights->Apply();
    if (Loaded && World.Objects)
        World.Objects->Draw();
    if (Lights)
        Lights->Disable();
}
