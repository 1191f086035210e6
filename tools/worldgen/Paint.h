#pragma once
// Texture painting for the world's models: atlas regions, material fills (concrete, corrugated
// metal, camouflage, sandbags...) and soot for the wrecks.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"
#include "tools/imagegen/Noise.h"
#include "tools/modelgen/ModelBuilder.h"

#include <cstdint>
#include <functional>
#include <string>

// A rectangle of an atlas in pixels, X1 and Y1 excluded.
struct TRegion {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    int Width() const { return X1 - X0; }
    int Height() const { return Y1 - Y0; }
};

// The texture coordinates of Region, pulled in by half a pixel so mipmaps do not bleed the
// neighbours in.
TUVRect UV(const TCanvas &canvas, const TRegion &region);

// Paints every pixel of Region with Color(x, y), the coordinates counted from the region's corner.
void Fill(TCanvas &canvas, const TRegion &region, const std::function<TColor(int x, int y)> &color);

// The lattice period of all the world's noise (see Noise). Coordinates wrap at it, so another period
// would change what the world generator draws.
constexpr int WorldPeriod = 1 << 16;

// Materials: each fills a region, weathered by noise of its own seed.
void PaintConcrete(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int panel = 0);
void PaintCorrugated(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, float ribs, bool ribsAcross);
void PaintCamouflage(TCanvas &c, const TRegion &r, std::uint32_t seed, float scale);
// Rows of bags run along the region's width, or along its height with AlongV.
void PaintSandbags(TCanvas &c, const TRegion &r, std::uint32_t seed, int rows, bool alongV = false);
void PaintMetal(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int panel);
void PaintTrack(TCanvas &c, const TRegion &r, std::uint32_t seed, int links);
// A wall of Columns x Rows windows (dark glass in light frames) over a plain base; Door adds a
// door in the middle of the bottom row.
void PaintWindows(TCanvas &c, const TRegion &r, TColor wall, std::uint32_t seed, int columns, int rows, bool door);
void PaintRoofTiles(TCanvas &c, const TRegion &r, TColor base, std::uint32_t seed, int rows);
// Yellow and black diagonal stripes.
void PaintHazard(TCanvas &c, const TRegion &r, int stripe);
// A wheel or disc seen face on: tyre, rim and hub.
void PaintWheel(TCanvas &c, const TRegion &r, TColor tyre, TColor hub);

// The wreck's texture: Canvas burnt by soot, streaks and scorch patches.
TCanvas Scorched(const TCanvas &canvas, std::uint32_t seed);
