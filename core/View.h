#pragma once
// The per-frame view of the world: the game clock, where the eye is and where it looks, and the
// viewport. The scene sets them once per frame; animation, levels of detail, particles and the 2D
// output read them. Nothing else of a frame's view lives anywhere else.

#include "core/Maths.h"

#include <cstdint>

// The game's millisecond clock: the sum of the mission frame times. Only the scene update advances
// it; until a mission runs it stays 0. Animated textures and model key frames are sampled from it.
extern std::int64_t GameClock;

// The camera position of this frame; levels of detail and particles measure distances from it.
extern TVector4 EyePosition;

// The camera's heading and pitch in degrees; camera-facing particles turn by them.
extern float CameraYaw, CameraPitch;

// The viewport of the window: x, y, width, height in pixels.
extern int Viewport[4];

// The camera's model-view and projection matrices of this frame, in the layout of core/Maths.h: the
// sixteen floats the graphics library is given with glLoadMatrixf (and gives back for
// GL_MODELVIEW_MATRIX), so a row vector goes to clip space as (x, y, z, 1) x ModelView x Projection.
// The scene sets them once per frame; projecting to the screen reads them instead of asking the
// driver. Identity until a scene sets them.
extern TMatrix4 ViewModelView, ViewProjection;

// The draw distances of this frame's view: aircraft and buildings are fully opaque nearer than
// FadeStartDistance, fade out linearly beyond it and are not drawn past FarDrawDistance. The
// player's camera sets them per view; the defaults are those of flight.
extern float FarDrawDistance, FadeStartDistance;

// The alpha of an object at Distance from the eye under the two draw distances above.
float DistanceFade(float distance);

// One view of the world as the update works it out and drawing takes it: where the eye is and how
// it looks (its model-view and projection), the draw distances, the billboard corners that face
// the eye, and where it is drawn. Drawing a view publishes it into the globals above for the code
// that draws; the update publishes the main view again before anything of the simulation reads
// them, so what a draw leaves there never reaches the simulation.
struct TView {
    bool     Valid = false;
    TVector4 Eye;                       // w = 1
    float    Yaw = 0, Pitch = 0;        // the camera's heading and pitch, degrees
    TMatrix4 ModelView = MatrixIdentity();
    TMatrix4 Projection = MatrixIdentity();
    float    FarDistance = 10000, FadeStart = 9000;
    TVector4 Corners[4];                // billboard corner offsets: -R-U, R-U, R+U, -R+U
    float    Aspect = 4.0f / 3.0f;      // width over height of the picture it is drawn into
};

// The projection of the game's views: a 60-degree vertical field of view from 1 to 20000 units, as
// glFrustum builds it.
TMatrix4 ViewFrustum(float aspect);

// Copies View into the per-frame globals (EyePosition, CameraYaw, CameraPitch, ViewModelView,
// ViewProjection, FarDrawDistance, FadeStartDistance). Nothing for a view never worked out.
void PublishView(const TView &view);
