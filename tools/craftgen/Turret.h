#pragma once
// What the turret models share: their texture layout and paint, the barrel-raising keys and the
// muzzle points. The barrels point along -y (the game turns a turret by its yaw, its owner's
// heading and 180 degrees); the origin is the centre of the turret ring.

#include "tools/craftgen/Craft.h"

constexpr int ElevationFrames = 18;

// Barrel elevation shown at normalized time T, in radians: level at 0.5, straight up at 0 (the game
// asks for time 0.5 - elevation / 180), never more than 10 degrees below level.
float Elevation(float t);

struct TTurretSkin {
    TRect  Housing{0, 0, 256, 128};   // armour plate, stretched over each face
    TRect  Barrel{0, 128, 128, 256};  // u round the barrel, v from the root to the muzzle
    TRect  Dark{128, 128, 256, 192};  // gun metal
    TRect  Accent{128, 192, 256, 256};// missile bodies, radar dishes: the first rows red
    TAtlas Atlas{256, 256};
};

// Plates with welded seams and rivets in Base (blotched when Camouflage), the gun metal, and Accent.
TTurretSkin PaintTurret(const TColor &base, const TColor &accent, std::uint32_t seed, bool camouflage);
TColor NavalGrey();
TColor ArmyGreen();

// A gunhouse: a box whose front (at -y) leans back; Low and High are the half-widths at the deck
// and the roof, Rear and Front the y of its back and front at the deck, FrontTop at the roof.
void Gunhouse(TMeshBuilder &m, const TUVRect &uv, float low, float high, float rear, float front, float frontTop, float height);
// One barrel from Root forward (along -y) for Length, tapering from RootRadius to MuzzleRadius,
// with a muzzle ring.
void Barrel(TMeshBuilder &m, const TTurretSkin &s, const TVector3 &root, float length, float rootRadius, float muzzleRadius);
// The elevating part: keys that swing it about the trunnion at Trunnion.
void Elevate(TMeshBuilder &m, const TVector3 &trunnion);
// "Fire_begin_n" and "Fire_end_n" for each barrel root, Begin and End metres ahead of it.
void Muzzles(TModelBuilder &model, const std::vector<TVector3> &roots, float begin, float end);

// "BSMissile", "SamGun" and "ShilkaGun".
void BuildLaunchers(TOutput &out);
