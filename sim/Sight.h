#pragma once
// Lines of sight through a mission's world, worked out without drawing anything: where the ray
// through the middle of the player's view meets the world (the aim point every weapon aims at and
// the player's target is picked at), and which objects the scenery leaves in sight.
//
// A ray meets the sea (z = 0), the collision meshes of the listed objects (an object without one by
// its model's box) and the islands' shores. That is the point the drawn picture's depth shows under
// the same pixel, within a unit or two.

#include "core/Maths.h"
#include "core/View.h"

class TGameObject;
class TObjectsControl;

// How far a ray looks: the far end of the view, where the sky shows.
constexpr float SightRange = 20000;
// How far past the surface it meets the sight point lies, so that the object hit contains it.
constexpr float SightDepth = 0.5f;

// The distance along the ray from Origin in the unit Direction to the first surface it meets within
// MaxDistance; MaxDistance when it meets none. Skip (may be null) is looked through.
float CastRay(const TObjectsControl *objects, const TVector3 &origin, const TVector3 &direction, float maxDistance,
              const TGameObject *skip = nullptr);

// The ray through the middle of View's picture: its eye and unit direction. False for a view never
// worked out.
bool CentreRay(const TView &view, TVector3 &origin, TVector3 &direction);

// Where the ray through the middle of View meets the world (the far end of the view when it meets
// nothing).
TVector3 SightPoint(const TObjectsControl *objects, const TView &view, const TGameObject *skip);

// Refreshes Visible of every listed ground or sea unit with a model as the view shows it: in sight
// when the first surface on the line from the eye to its centre lies within its model's radius of its
// position; out of sight when it is behind the eye, off the picture or farther than the view draws.
// Aircraft count as in sight.
void UpdateSightVisibility(TObjectsControl &objects, const TView &view);
