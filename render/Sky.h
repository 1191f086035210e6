#pragma once
// The sky around the camera: a textured dome, a cloud layer whose texture drifts slowly, and a
// fog-coloured band round the horizon that hides the seam between the fogged-out sea and the dome.
// The world map makes a new one for every mission.

#include "core/Maths.h"

#include <string>

class TModel;
class TCloudsShader;

// The cloud program, owned by the scene; null draws the clouds with the fixed pipeline (they then
// do not drift).
extern TCloudsShader *CloudsShader;
// The cloud offset of the latest sky update, for the HUD.
extern float SkyShift;

class TSky {
public:
    // The fog colour the horizon band is drawn in: the colour the sea fades into far away.
    static constexpr float FogColor[4] = {0.125f, 0.4f, 0.6f, 1.0f};
    static constexpr float BandRadius = 7000;
    static constexpr float BandHeight = 400;     // the solid band
    static constexpr float FadeHeight = 200;     // above it, fading out
    static constexpr int   BandQuads = 64;

    // SkyFolder is a full game path ending in a backslash. Loads "sky.otm" and "clouds.otm" through
    // the model library (no models when there is none) and "height.png" through the texture
    // library. A missing model passes the library's error on.
    explicit TSky(const std::string &skyFolder);

    // Draws the sky around Centre (the camera's ground point) at twice the models' size, without
    // fog. Leaves texturing on, the colour white and fog as it found it.
    void Draw(const TVector3 &centre);
    // Moves the clouds on by Dt ms.
    void Update(int dt);

    // The cloud offset after adding Step: kept in 0..1 by taking 1 off once it passes 1.
    static float WrapShift(float shift, float step);

    TModel *Dome = nullptr;
    TModel *Clouds = nullptr;
    float   Shift = 0;
    float   Speed = 0.01f;   // texture widths per second
    int     HeightMap = -1;  // texture-library handle; -1 without a texture library

private:
    void DrawClouds(const TVector3 &centre);
};
