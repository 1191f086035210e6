#pragma once
// The crosshair: each frame, after the scene is drawn, it reads the depth under the middle of the
// screen and turns it back into the world point the player aims at. The weapons shoot at that point
// and the player aircraft picks its target there. It also follows the current target on the screen
// and draws that target's health bar.
//
// The depth comes from where the scene's main view was drawn: the screen effects' 1024 x 1024
// off-screen target while the heat haze is on, the window otherwise. Points go back into the world
// through the view matrices the scene published for the frame (core/View.h).

#include "core/Maths.h"

class TGameObject;

class TCrosshair {
public:
    // Loads the target marks "Data\HUD\target.png" and "Data\HUD\targeting.png" (none without a
    // texture library).
    TCrosshair();

    // Where the aim point shows on the screen, in normalised device units.
    TVector3 Position() const { return VectorSet3(ReticleX, ReticleY, 0); }
    // Where the ray through the middle of the screen meets the world this frame.
    TVector3 AimPoint() const { return VectorSet3(Aim.x, Aim.y, Aim.z); }

    // After the scene: takes Aim from the player aircraft (the mission works out where the ray
    // through the middle of the view meets the world), places the reticle there, samples the depth
    // at the sample point and follows the player's current target. Nothing without a window.
    void Update();
    // The current target's health bar above it: a black frame and a bar of the target's health,
    // green above half, yellow above a quarter, red below. Nothing without a live target.
    void Draw() const;

    TVector3 Unprojected;          // the last depth sample turned back into the world
    TVector4 Aim;                  // the world point under the middle of the screen
    float    ReticleX = 0, ReticleY = 0;   // Aim on the screen, normalised device units
    float    TargetX = 0, TargetY = 0;     // the current target's centre on the screen
    float    SampleX = 0, SampleY = 0;     // a second point to sample, normalised device units
    TVector4 Sampled;              // the world point under the sample point
    int      TargetTexture = -1, TargetingTexture = -1;
};

// The crosshair of the run; null until start-up makes it.
extern TCrosshair *Crosshair;

// The player's current target while it is still in the player's mission; null otherwise (also when
// there is no player aircraft).
TGameObject *LiveCurrentTarget();

// The target the depth of the main view is read from: its size in pixels and its frame buffer (0 for
// the window, whose viewport then starts at Viewport[0], Viewport[1]).
struct TDepthTarget {
    int      X = 0, Y = 0, Width = 0, Height = 0;
    unsigned FrameBuffer = 0;
};
TDepthTarget MainViewDepthTarget();

// The depth (0..1) of one pixel of the target.
float ReadDepth(const TDepthTarget &target, int x, int y);

// Pixel (X, Y) of the target at Depth turned back into the world through this frame's view matrices.
TVector3 UnProject(const TDepthTarget &target, float x, float y, float depth);

