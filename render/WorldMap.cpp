#include "render/WorldMap.h"

#include "assets/ModelLib.h"
#include "core/App.h"
#include "render/Lights.h"
#include "sim/GameObjects.h"
#include "sim/Tracers.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// The six planes of the view being drawn, each (a, b, c, d) with a unit normal pointing inside,
// from the GL matrices as they stand: a mirrored or a small view gets its own.
float ViewPlanes[6][4];

void CaptureViewPlanes()
{
    TMatrix4 modelView, projection;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.m);
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    // Clip = P x MV in GL's column order: element (row r, column c) is at [c * 4 + r].
    float clip[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += projection.m[k * 4 + r] * modelView.m[c * 4 + k];
            clip[c * 4 + r] = sum;
        }
    const auto row = [&clip](int r, int c) { return clip[c * 4 + r]; };
    for (int p = 0; p < 6; ++p) {
        const int axis = p / 2;
        const float sign = p % 2 ? -1.0f : 1.0f;
        float plane[4];
        for (int c = 0; c < 4; ++c)
            plane[c] = row(3, c) + sign * row(axis, c);
        const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        for (int c = 0; c < 4; ++c)
            ViewPlanes[p][c] = length > 0 ? plane[c] / length : 0;
    }
}

// Ships, aircraft, ground units and islands that are alive are drawn within their model's sphere
// around their position; anything else (a wreck playing its fall, a blast that grows) is always
// drawn.
bool InViewVolume(const TGameObject &object)
{
    if (!object.Model || object.Dead || object.Health <= 0)
        return true;
    const TTargetClass kind = const_cast<TGameObject &>(object).TargetClass();
    if (kind == TTargetClass::None && object.Category != TObjectCategory::Island)
        return true;
    const float radius = object.Model->Radius;   // about the model's origin, the object's position
    for (const float *plane : ViewPlanes)
        if (plane[0] * object.Position.x + plane[1] * object.Position.y + plane[2] * object.Position.z + plane[3] < -radius)
            return false;
    return true;
}

} // namespace

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

void TWorldMap::Tick(int dt, std::span<const TPlayerCommand> commands)
{
    World.Tick(dt, commands);
    if (Sky)
        Sky->Update(dt);
}

void TWorldMap::Draw()
{
    if (Lights)
        Lights->Apply();
    if (Loaded && World.Objects) {
        // What lies wholly outside this view is not sent to the driver at all.
        CaptureViewPlanes();
        ObjectInView = &InViewVolume;
        World.Objects->Draw();
        ObjectInView = nullptr;
    }
    if (Lights)
        Lights->Disable();
}
