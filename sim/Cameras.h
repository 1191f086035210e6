#pragma once
// The viewers of a mission: the camera that turns a position and three angles into the view of the
// frame, keeps itself out of solid objects and publishes itself for what is drawn after it; the
// dynamic camera that follows something worth watching for a few seconds (a missile in flight, its
// victim, the wreck of the player) and otherwise looks back from the cockpit; and the shake that
// jolts the scene when something blows up close by.

#include "core/View.h"
#include "sim/GameObjects.h"

#include <cstdint>

class TObjectsControl;

class TCamera {
public:
    TCamera();

    // Builds the view: rotations (pitch about x, -roll about y, heading about z), pushed out of any
    // object it sits in (Objects may be null: no push), then the translation by -Position; fills
    // Corners and ModelView and publishes the camera (CurrentCamera, and the view of core/View.h:
    // ViewModelView, EyePosition, CameraYaw = Heading, CameraPitch = Pitch).
    //
    // The angles are those of the aircraft: pitch -90 looks level, and the camera looks along
    // (sin h cos(p + 90), cos h cos(p + 90), -sin(p + 90)), the way an aircraft with pitch p and
    // heading h flies.
    void Apply(const TObjectsControl *objects);
    // Apply without publishing: Position pushed clear, Corners and ModelView built.
    void Place(const TObjectsControl *objects);
    // Publishes the view Place built (CurrentCamera and the globals of core/View.h).
    void Publish();
    // The view Place built, seen through ModelView (the built one, or it shaken), for a picture of
    // Aspect with the given draw distances.
    TView MakeView(const TMatrix4 &modelView, float aspect, float farDistance, float fadeStart) const;

    TVector4 Corners[4];         // billboard corner offsets: -R-U, R-U, R+U, -R+U
    TVector4 Position;
    float    Pitch = 0, Heading = 0, Roll = 0;   // degrees
    TCollisionData Collision;    // radius 2, one sample point
    TMatrix4 ModelView = MatrixIdentity();       // the view built by the last Apply (core/View.h layout)
};

// The camera applied last; null before any.
extern TCamera *CurrentCamera;

// What the dynamic camera needs of the player aircraft: its cockpit point in the world, its pitch
// (-90 is level flight), heading and bank in degrees.
struct TPlayerView {
    TVector4 Cockpit;
    float    Pitch = -90, Heading = 0, Bank = 0;
};

class TDynamicCamera {
public:
    // Mode 0, clock 0; the subject and the object list are forgotten (a new mission brings new
    // objects: set Objects again after it, or let the next Render do it).
    void Reset();
    // Asks to follow Object in Mode for Duration ms; false when the request is refused (see the
    // rules in Cameras.cpp). A null object is refused.
    bool Focus(TGameObject *object, int mode, int duration);
    // Counts the clock down; the view ends when it runs out, and a missile ride ends when the missile
    // is gone or destroyed.
    void Tick(int dt);
    // Places View for this frame (Player gives the rear view of modes 0 and 3) and applies it; sets
    // the small view's draw distances from the view-range option. Keeps Objects as the list.
    void Render(const TObjectsControl *objects, const TPlayerView &player);
    // Render without publishing: View placed, FarDistance and FadeStart set.
    void Place(const TObjectsControl *objects, const TPlayerView &player);

    int          Mode = 0;       // 0 rear view, 1 and 2 show an object, 3 as 0, 4 ride with a missile
    int          Clock = 0;      // ms
    TGameObject *Subject = nullptr;
    TCamera      View;
    float        FarDistance = 10000, FadeStart = 9000;   // the small view's draw distances
    // The mission's object list, through which Focus and Tick tell whether the subject still exists
    // before they look at it (a subject may be freed between two frames). Without a list no subject
    // counts as existing.
    const TObjectsControl *Objects = nullptr;

private:
    bool Exists(const TGameObject *object) const;
};

// The subject's size for placing the dynamic view when it has no model.
constexpr float DefaultSubjectRadius = 5.0f;

class TCameraShaking {
public:
    explicit TCameraShaking(float strength = 5.0f) : Strength(strength) {}
    // The offset shrinks towards zero at DecayRate units a second.
    void Tick(int dt);
    // The scene translated by Offset: M with the offset's translation put in front, so that a world
    // point P is seen where P + Offset would be without the shake.
    TMatrix4 Apply(const TMatrix4 &modelView) const;
    // Adds Amount x Strength / 50 units in a random direction: an exploding missile's 50 moves the
    // scene Strength units (5 with the game's strength), which decay away in Strength seconds.
    // Amounts that are not positive do nothing. The direction comes from the shake's own random
    // numbers, not the game's, so that a picture shaken or not never changes how a mission plays.
    void Shake(float amount);

    TVector4 Offset;
    float    DecayRate = 1.0f;
    float    Strength = 5.0f;

private:
    std::uint32_t Seed = 20240917;
    // A whole number 0 .. Range - 1 from the shake's own generator.
    int Roll(int range);
};

// Made by the scene environment (and the mission runner); null until then.
extern TDynamicCamera *DynamicCamera;
extern TCameraShaking *CameraShaking;

// An explosion of Amount (an exploding missile's 50) at Where shakes the view when it goes off near
// the player's aircraft: in full at the aircraft, less with distance, not at all from 30 x Amount away.
void ShakeNear(const TVector3 &where, float amount);
// How much a hit that took Lost health from the player's aircraft shakes its view.
float HitShake(float lost);
