#pragma once
// Parts that many ships share: turret rings, funnels, masts with radars, life rafts, the burnt-out
// gun houses of wrecks and thrown debris; and the standard paint of every texture region.

#include "tools/shipgen/ShipPaint.h"

#include <string>

// The skins of the standard layout.
struct TSkins {
    TSkin Walls, Bridge, Roof, Funnel, Metal, Raft, Radar, Dark, Spare;
};
TSkins StandardSkins(const TLayout &layout);

// Segments of round parts at each detail level.
int RoundSegments(int detail, int full);

// The ring a turret turns on; its top is the mount point.
void Barbette(TMeshBuilder &m, const TSkins &skins, const TVector3 &top, float radius, float height, int detail);
// A funnel over the oval (X, Y, RX, RY) from Z0 to Z1, raked back by Rake metres at the top.
void Funnel(TMeshBuilder &m, const TSkins &skins, float x, float y, float rx, float ry, float z0, float z1, float rake,
            int detail);
// A pole mast with a yard and a radar on a platform.
void Mast(TMeshBuilder &m, const TSkins &skins, const TVector3 &base, float height, float yard, int detail);
// A rotating-radar antenna, a flat lattice Width across, centred at Centre.
void Radar(TMeshBuilder &m, const TSkins &skins, const TVector3 &centre, float width, float yaw = 0);
// A life-raft canister or boat along y.
void Raft(TMeshBuilder &m, const TSkins &skins, const TVector3 &centre, float length, float radius, int detail);
// A burnt-out gun house left on a wreck's ring: a box Size across turned by Yaw, its barrels
// drooping by Droop (radians).
void WreckedTurret(TMeshBuilder &m, const TSkins &skins, const TVector3 &mount, float size, float yaw, float droop,
                   int barrels);
// A small torn piece of plating about its own origin, thrown by Throw.
void DebrisPiece(TMeshBuilder &m, const TSkins &skins, float size);

// Paints every region of the standard layout except the hull sides and the deck.
void PaintFittings(TPainter &painter, const TSkins &skins, const TTeam &team, bool squareWindows);

// Writes the model as Path + ".otm" and its texture as Path + ".png".
void SaveModel(const TModelBuilder &model, const TCanvas &texture, const std::string &path);
