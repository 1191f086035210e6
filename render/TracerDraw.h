#pragma once
// Drawing the tracer pool: each tracer is a ribbon that turns its face to the eye, or a plain line
// when it has no texture.

#include "core/Maths.h"
#include "sim/Tracers.h"

// The ribbon's corners: Start + side, Start - side, Finish - side, Finish + side, where side is Width
// long and square to both the tracer and the line of sight. When the eye lies on the tracer's line
// (or the tracer has no length) the side is taken square to the tracer and to the axis it is least
// aligned with, so the ribbon never collapses and its corners stay finite.
void TracerCorners(const TTrasser &tracer, const TVector3 &eye, TVector3 out[4]);

// The texture coordinates of the four corners, in the order of TracerCorners: (0, TexOffset),
// (1, TexOffset), (1, TexOffset + 1), (0, TexOffset + 1).
void TracerTexCoords(const TTrasser &tracer, float out[4][2]);

// One tracer seen from Eye: a negative texture draws a line Width pixels wide, anything else the
// textured ribbon (the handle goes to the texture library). Both in the tracer's colour with its
// alpha scaled by AlphaScale. Leaves texturing on, the colour white and the line width 1.
void DrawTracer(const TTrasser &tracer, const TVector3 &eye);

// Every tracer of the pool seen from EyePosition, added onto the picture without writing depth;
// the blending, depth writes and lighting are put back as they were.
void DrawBillboards(const TBillboards &billboards);

// Makes the pool draw through DrawBillboards.
void InstallTracerDrawer();
