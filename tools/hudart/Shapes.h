#pragma once
// Anti-aliased shapes drawn into coverage masks, colour helpers and a few compositing steps shared by
// the HUD and menu image generators. Coordinates are in pixels, y down, pixel centres at +0.5.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"

#include <vector>

struct TPoint {
    float x = 0, y = 0;
};

TColor WithAlpha(TColor c, float a);
// Colour along a list of (position, colour) stops sorted by position; clamped at both ends.
TColor Ramp(const std::vector<std::pair<float, TColor>> &stops, float t);

// Shapes are merged into the mask with the maximum, so overlapping strokes never double up.
void StrokeLine(TMask &mask, TPoint a, TPoint b, float width, float strength = 1);
void StrokePolyline(TMask &mask, const std::vector<TPoint> &points, float width, bool closed, float strength = 1);
// A ring of radius R between the angles A0 and A1 (radians, 0 = right, counter-clockwise on screen,
// so pi/2 points up); RadiusY differs from R for ellipses.
void StrokeArc(TMask &mask, TPoint centre, float radius, float width, float a0, float a1, float strength = 1,
               float radiusY = -1);
void FillCircle(TMask &mask, TPoint centre, float radius, float strength = 1);
// Even-odd fill sampled 4 x 4 times per pixel.
void FillPolygon(TMask &mask, const std::vector<TPoint> &points, float strength = 1);
void FillRect(TMask &mask, float x0, float y0, float x1, float y1, float strength = 1);
// A rectangle with its corners cut at 45 degrees by Cut pixels (Cut of a corner 0 keeps it square);
// corners in the order top-left, top-right, bottom-right, bottom-left.
std::vector<TPoint> Chamfered(float x0, float y0, float x1, float y1, float cutTL, float cutTR, float cutBR, float cutBL);

TMask Union(const TMask &a, const TMask &b);
TMask Subtract(const TMask &a, const TMask &b);
// The mask moved by (Dx, Dy) whole pixels, same size.
TMask Shifted(const TMask &mask, int dx, int dy);

// Paints Mask in one colour at the canvas origin (mask and canvas of the same size).
void PaintSolid(TCanvas &canvas, const TMask &mask, TColor color, float opacity = 1);
// A soft dark halo under line art, so that light lines read over bright sky as well as dark sea.
void PaintShadow(TCanvas &canvas, const TMask &mask, float opacity, int grow = 1, int blur = 1,
                 TColor color = {0.0f, 0.03f, 0.05f, 1.0f});
// A coloured glow: the mask blurred by Radius.
void PaintGlow(TCanvas &canvas, const TMask &mask, TColor color, int radius, float opacity);
// Fades the alpha out over the outermost Margin pixels, so that a glow never reaches the texture's
// border (where wrapped, filtered sampling would carry it to the opposite side).
void ClearEdges(TCanvas &canvas, int margin);
// Draws Top over Bottom at (X, Y) with straight alpha.
void Blit(TCanvas &bottom, const TCanvas &top, int x, int y);
