#pragma once
// Anti-aliased shapes for the menu art: coverage masks from distance functions, polygons, and the
// resampling that fits a picture into a power-of-two texture.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"

#include <functional>
#include <utility>
#include <vector>

struct TPt {
    float x = 0, y = 0;
};

// Coverage of the band within HalfWidth of the zero set of Distance (a stroke), over a W x H mask.
TMask Stroke(int w, int h, const std::function<float(float, float)> &distance, float halfWidth);
// Coverage of the inside of a shape given its signed distance (negative inside).
TMask Fill(int w, int h, const std::function<float(float, float)> &signedDistance);

float SegmentDistance(float x, float y, TPt a, TPt b);
// Signed distance to a box centred on (CX, CY) with half sizes HX, HY and corners cut by Cut.
float CutBoxDistance(float x, float y, float cx, float cy, float hx, float hy, float cut);
// The outline of a closed polygon, as a distance function.
std::function<float(float, float)> PolygonOutline(std::vector<TPt> points);

// The inside of a polygon, 4 x 4 samples per pixel.
TMask FillPolygon(int w, int h, const std::vector<TPt> &points);
// Points moved: scaled by S, turned by Angle (radians) and put at (X, Y).
std::vector<TPt> Place(const std::vector<TPt> &points, float s, float angle, float x, float y);

// The canvas stretched or squeezed to W x H, bilinear.
TCanvas Resample(const TCanvas &in, int w, int h);
// A mask of the canvas size filled with Value.
TMask Solid(int w, int h, float value = 1);
