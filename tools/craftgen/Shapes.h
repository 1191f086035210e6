#pragma once
// Geometry for aircraft, turrets and projectiles on top of the model builder: bodies lofted through
// rounded stations, wings and fins with an airfoil section, skins with texture coordinates spread by
// length, and the key tracks of hinged and spinning parts.
//
// Axes as everywhere in the game's models: x right, y forward, z up.

#include "tools/imagegen/GenMath.h"
#include "tools/modelgen/ModelBuilder.h"

#include <functional>
#include <vector>

// One cross-section of a body: a rounded ring at Y, HalfWidth to each side, Top above and Bottom
// below its centre height Z. Power 2 is an ellipse; larger values square it off.
struct TStation {
    float Y = 0, HalfWidth = 0, Top = 0, Bottom = 0, Z = 0, Power = 2;
};

// A closed body through Stations (in order along the body). U runs around each ring from the bottom
// centre through the left side (0.25), the top (0.5) and the right (0.75), so that a picture seen
// from outside is not mirrored; V runs from the first station to the last by distance. Caps close
// the first and last rings when asked.
// Returns the rings, first station first, for caps with textures of their own.
std::vector<std::vector<TVector3>> Body(TMeshBuilder &mesh, const std::vector<TStation> &stations, int segments,
                                        const TUVRect &uv, bool capFirst = false, bool capLast = false);

// A skin through a grid of Rows x Columns points; Wrap joins the last column to the first. Texture
// coordinates come from U (one per column, plus one for the seam when wrapping) and V (one per
// row), as fractions of UV. Normals are smooth and point away from the rows' middles, or to the
// winding's own side when Outward is false.
void Skin(TMeshBuilder &mesh, const std::vector<std::vector<TVector3>> &rows, bool wrap, const std::vector<float> &u,
          const std::vector<float> &v, const TUVRect &uv, bool outward = true);

// A flat fan closing Ring (a loop), facing along Away.
void Cap(TMeshBuilder &mesh, const std::vector<TVector3> &ring, const TVector3 &away, const TUVRect &uv);

// One spanwise station of a wing or fin: the leading-edge point, the chord (running back along -y
// unless a sweep of the section is wanted), and the thickness as a fraction of the chord.
struct TWingStation {
    TVector3 Leading;
    float    Chord = 1, Thickness = 0.08f;
};

// A wing or fin from its root station to its tip through Stations. The airfoil's thickness stands
// at right angles to the chord and to the span (up for a wing spanning +x, towards -x for a fin
// spanning +z). U runs over the section: the upper surface from the trailing edge (0) to the leading
// edge (0.5), the lower surface back to the trailing edge (1); V from root to tip.
void Wing(TMeshBuilder &mesh, const std::vector<TWingStation> &stations, int chordPoints, const TUVRect &uv,
          bool capRoot = false, bool capTip = true);

// Key tracks. Frame i of N shows the pose for normalized time i / N, the way the game samples
// DrawAt: Angle(t) gives the angle in radians for time t.
void HingeKeys(TMeshBuilder &mesh, const TVector3 &hinge, const TVector3 &axis, const std::function<float(float t)> &angle);
// A steady spin for clock-driven drawing: Turns turns (right-handed about Axis) over the frames; the
// game's clock runs from the last key on into the first, so a whole number of turns loops smoothly.
void SpinKeys(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &axis, float turns = 1);
// A mesh that falls: Place(t) gives the position and rotation at normalized time t.
void MotionKeys(TMeshBuilder &mesh, const std::function<void(float t, TVector3 &position, TVector4 &rotation)> &place);

// A six-sided solid from its corners: four going round one end, then the four matching corners of
// the other end. Flat-shaded, one UV per face, every face turned outwards.
void Block(TMeshBuilder &mesh, const std::array<TVector3, 8> &corners, const TUVRect &uv);
// A flat plate of Thickness through the four corners A, B, C, D (going round it), such as a fin.
void Plate(TMeshBuilder &mesh, const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d,
           float thickness, const TUVRect &uv);
// A ring around Axis through Centre: the tube's middle runs at Major from the axis; its section is
// HalfWidth across (radially) and HalfHeight along the axis. U runs around the section, V around the
// ring.
void Torus(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &axis, float major, float halfWidth,
           float halfHeight, int segments, int sides, const TUVRect &uv);
// A quad seen from both sides (two faces back to back), for flames and glows.
void TwoSided(TMeshBuilder &mesh, const TVector3 &a, const TVector3 &b, const TVector3 &c, const TVector3 &d,
              const TUVRect &uv);
// Copies every face of Part into Into, moved by Placement (a rotation and a translation).
void Merge(TMeshBuilder &into, const TMeshBuilder &part, const TMatrix4 &placement);

// A box from Min to Max with its top face mapped to Top and the sides to Side.
void Crate(TMeshBuilder &mesh, const TVector3 &min, const TVector3 &max, const TUVRect &side, const TUVRect &top);
