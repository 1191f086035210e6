#pragma once
// Procedural seascapes for the full-screen menu pictures: a sky with sun or moon, clouds and stars,
// a perspective sea with sun glitter, and ship and aircraft silhouettes with rim light, reflections,
// wakes, fires and smoke.

#include "tools/hudart/Shapes.h"

#include <cstdint>
#include <vector>

struct TSkyLook {
    std::vector<std::pair<float, TColor>> Sky;   // top (0) to horizon (1)
    TColor        SeaFar, SeaNear;
    TColor        Sun;               // colour of the sun (or moon) and its light
    TPoint        SunAt;
    float         SunRadius = 20, GlowRadius = 160, Glow = 0.7f, Glitter = 1;
    bool          Moon = false;      // the disc is the moon, with darker seas on it
    TColor        CloudLit, CloudDark;
    TColor        Hull{0.05f, 0.07f, 0.11f, 1};   // colour of the silhouettes away from the light
    float         CloudCover = 0.55f;   // 0 clear .. 1 overcast
    float         Stars = 0;            // how many stars, 0 none
    float         Horizon = 460;        // the horizon row
    std::uint32_t Seed = 1;
};

enum class TShipKind { Carrier, Destroyer, Cargo };

struct TShip {
    TShipKind Kind = TShipKind::Carrier;
    float     X = 0, Waterline = 0, Scale = 1;   // stern-most pixel column, waterline row, pixels per metre
    bool      FacingLeft = false;
    float     Tilt = 0;          // sinking list in degrees, bow up
    bool      Wake = true, Lights = false;   // a wake behind it; deck and mast lights (at night)
};

struct TJet {
    TPoint At;
    float  Size = 40;        // length in pixels
    float  Heading = 0;      // radians, 0 = flying right, pi/2 = up
    bool   Contrail = true;
};

// Paints the sky and the sea.
void PaintSeascape(TCanvas &canvas, const TSkyLook &look);
void PaintShip(TCanvas &canvas, const TSkyLook &look, const TShip &ship);
void PaintJet(TCanvas &canvas, const TSkyLook &look, const TJet &jet);
// A rising smoke column from (X, Y) with a fire at its foot and the fire's reflection on the sea.
void PaintFire(TCanvas &canvas, const TSkyLook &look, TPoint at, float size, std::uint32_t seed);
// Darkened corners and a trace of grain against banding; leaves the picture opaque.
void Finish(TCanvas &canvas, std::uint32_t seed);
