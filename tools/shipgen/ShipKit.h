#pragma once
// Geometry shared by the ship models: where each kind of surface sits in a ship's texture, hulls and
// bodies of revolution mapped by side projection (so waterlines and hull numbers can be painted
// straight), superstructure blocks mapped at a fixed scale, and key-frame helpers for the wrecks.

#include "tools/imagegen/GenMath.h"
#include "tools/modelgen/ModelBuilder.h"

#include <functional>
#include <string>
#include <vector>

// A rectangle of the texture in pixels, X1 and Y1 excluded.
struct TPixRect {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    int W() const { return X1 - X0; }
    int H() const { return Y1 - Y0; }
};

// Where each kind of surface sits in a ship's texture.
struct TLayout {
    int W = 512, H = 512;
    TPixRect HullS, HullP;   // the hull sides seen from starboard (bow right) and port (bow left)
    TPixRect Deck;           // the deck seen from above, bow at the top
    TPixRect Walls, Bridge;  // superstructure walls with portholes and doors; the bridge with its windows
    TPixRect Roof, Funnel, Metal;
    TPixRect Swatch[4];      // small parts of each ship's own (lifeboats, containers, radar...)

    // The rectangle in texture coordinates, one pixel inside it so that neighbours do not bleed.
    TUVRect UV(const TPixRect &r) const;
};

// The 512 x 512 layout of most ships.
TLayout StandardLayout();
// The same layout on a texture Factor times the size each way.
TLayout ScaledLayout(const TLayout &layout, float factor);

// A kind of surface mapped at a fixed scale: a face MetresU wide and MetresV high covers the whole
// rectangle; smaller faces take the lower left part of it.
struct TSkin {
    TUVRect UV;
    float   MetresU = 10, MetresV = 10;
};

// A box standing on its bottom face (which is left out unless asked): walls from Walls, top from Roof.
void Block(TMeshBuilder &m, const TVector3 &lo, const TVector3 &hi, const TSkin &walls, const TSkin &roof,
           bool bottom = false);
// A solid between two outlines of the same number of points (x-y polygons, either winding) at heights
// Z0 and Z1: tapered superstructures, funnels, sloped bridges. Smooth shares the normals of
// neighbouring walls (round shapes). A null Roof leaves the top open.
void Frustum(TMeshBuilder &m, const std::vector<TPoint2> &base, float z0, const std::vector<TPoint2> &top, float z1,
             const TSkin &walls, const TSkin *roof, bool smooth = false);
// A closed oval outline of N points centred on (X, Y); Squareness above 2 rounds it towards a
// rectangle (a superellipse).
std::vector<TPoint2> Oval(float x, float y, float rx, float ry, int n, float squareness = 2);
// The outline moved by (DX, DY) and scaled by S about its own centre.
std::vector<TPoint2> Shifted(const std::vector<TPoint2> &outline, float dx, float dy, float s = 1);
// The part of a skin that a face W wide and H high takes (its lower left).
TUVRect Scaled(const TSkin &skin, float w, float h);

// How the sides of a hull map onto the texture: along the ship (YMin..YMax) and down from ZTop to ZBot.
struct TSideMap {
    TUVRect Starboard, Port;
    float   YMin = 0, YMax = 1, ZBot = 0, ZTop = 1;
};

// A ship's side: F(s, l) gives the starboard point for s from stern (0) to bow (1) and l from the
// bottom (0) to the top (1); the port side mirrors it. Faces squeezed to nothing are left out.
void SideSurface(TMeshBuilder &m, const std::function<TVector3(float, float)> &f, const std::vector<float> &stations,
                 const std::vector<float> &levels, const TSideMap &map);

// How a deck maps onto the texture: x across (-HalfWidth..HalfWidth), y from YMax (top) to YMin.
struct TDeckMap {
    TUVRect UV;
    float   HalfWidth = 1, YMin = 0, YMax = 1;
};

// A displacement hull: waterline at z = 0, bow along +y.
struct THull {
    float Length = 150, Beam = 16, Draught = 5;
    float FreeboardBow = 9, FreeboardMid = 6, FreeboardStern = 5;
    float BowRake = 6;        // how far the stem at the deck reaches ahead of the waterline bow
    float ForefootCut = 8;    // how far the keel ends behind the waterline bow
    float SternOverhang = 1;  // how far the deck reaches behind the waterline stern
    float SternCut = 6;       // how far the bottom ends ahead of the waterline stern
    float Transom = 0.6f;     // stern width as a share of the beam
    float FlatFrom = 0.25f, FlatTo = 0.55f;   // the parallel middle body, as shares of the length
    float Bilge = 2.5f;       // section exponent: 2 round, 6 and more boxy
    float Flare = 0.08f;      // widening above the waterline
    float BowFullness = 2.0f; // taper exponent at the deck; larger keeps the bow full for longer
    float Y = 0;              // middle of the waterline along y
    int   Stations = 26;
    std::vector<float> Levels = {-1, -0.7f, -0.35f, 0, 0.5f, 1};   // below water share of the draught, above share of the freeboard

    float Freeboard(float s) const;
    float YStern(float z) const;
    float YBow(float z) const;
    float HalfWidth(float s, float z) const;
    TVector3 Point(float s, float q) const;   // q as in Levels
    // The deck's half width and height at Y (0 beyond the ends).
    float DeckHalfWidthAt(float y) const;
    float DeckHeightAt(float y) const;
    TSideMap SideMap(const TLayout &layout) const;
    TDeckMap DeckMap(const TLayout &layout) const;
};

// Hull sides, deck and transom. Detail 0 is the full model, 1 and 2 the lower-detail variants. A
// wreck's broken half takes the stations S0..S1 only, its torn end closed with Broken.
void BuildHull(TMeshBuilder &m, const THull &hull, const TLayout &layout, int detail, float s0 = 0, float s1 = 1,
               const TUVRect &broken = {});
// The hull's deck outline as a collision prism from the waterline up, with few faces.
void HullCollision(TMeshBuilder &m, const THull &hull);

// A body of revolution along y (submarines, torpedoes): Radius(s) for s from tail (0) to nose (1),
// Squash the height-to-width ratio of its sections, centred at height ZCentre.
struct TBody {
    float Length = 80, Y = 0, ZCentre = 0, Squash = 1;
    std::function<float(float)> Radius;
    int   Stations = 24, Rings = 10;
    TSideMap SideMap(const TLayout &layout, float zTop) const;
};
void BuildBody(TMeshBuilder &m, const TBody &body, const TSideMap &map);

// Key frames: the rotation that pitches the bow up by Pitch, lists to starboard by Roll and turns
// the bow to port by Yaw (radians), in that order.
TVector4 Attitude(float pitch, float roll, float yaw = 0);
// Sets the key so that the mesh turns by Rotation about Pivot, then moves by Offset.
void PoseKey(TMeshBuilder &m, int frame, const TVector3 &pivot, const TVector4 &rotation, const TVector3 &offset);

// One moment of a sinking: attitude in degrees and the drop of the pivot.
struct TSinkKey {
    float T, Pitch, Roll, Down, Ahead = 0;
};
// Sets every key of M from the moments (eased between them) turning about Pivot.
void Sink(TMeshBuilder &m, int frames, const TVector3 &pivot, const std::vector<TSinkKey> &keys);

// A piece thrown from Start with Velocity (m/s) under gravity, tumbling at Spin (radians per second
// about x, y, z), floating once it reaches the water; its geometry is built about its own origin.
void Throw(TMeshBuilder &m, int frames, float seconds, const TVector3 &start, const TVector3 &velocity,
           const TVector3 &spin);

// The frames of every wreck's animation: twenty-one keys over the five seconds of the sinking.
constexpr int WreckFrames = 21;
constexpr int WreckFramesPerSecond = 4;
