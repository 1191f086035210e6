#pragma once
// Shapes the ground models are made of, on top of the model builder: boxes with a texture region
// per side, gable roofs, discs, wheels, sandbag berms, and the key frames of parts that topple,
// sink or fly off when a building is destroyed.

#include "tools/imagegen/GenMath.h"
#include "tools/modelgen/ModelBuilder.h"

#include <functional>
#include <vector>

// A box without its bottom (ground models are never seen from below): Top on the top face, Side on
// the faces across x, End on the faces across y.
void TexturedBox(TMeshBuilder &mesh, const TVector3 &lo, const TVector3 &hi, const TUVRect &top, const TUVRect &side,
                 const TUVRect &end);
// A pitched roof over the rectangle X0..X1 x Y0..Y1 from eave height Z to the ridge along y, with
// Overhang beyond the walls; Gable fills the two triangular ends. Parts picks what is made: the
// slope on the -x side, the slope on the +x side, the gables.
enum TRoofPart { RoofLeft = 1, RoofRight = 2, RoofGables = 4, RoofAll = 7 };
void GableRoof(TMeshBuilder &mesh, float x0, float x1, float y0, float y1, float z, float ridge, float overhang,
               const TUVRect &roof, const TUVRect &gable, int parts = RoofAll);
// A flat round face of Segments sides facing along Normal, the rectangle's inscribed circle on it.
void Disc(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &normal, float radius, int segments,
          const TUVRect &uv);
// A flat convex polygon facing along Facing (whichever way its corners run), mapped onto UV by
// projecting the corners on the axes U and V (the rectangle's top edge at the largest V).
void FlatPolygon(TMeshBuilder &mesh, std::vector<TVector3> corners, const TVector3 &facing, const TVector3 &u,
                 const TVector3 &v, const TUVRect &uv);
// A wheel on an axle along x: tread from Tread, both faces from Face.
void Wheel(TMeshBuilder &mesh, const TVector3 &centre, float radius, float width, int segments, const TUVRect &tread,
           const TUVRect &face);
// A berm of sandbags around (Centre) at Radius, from angle A0 to A1 (radians, counter-clockwise from
// +x), Height high and Width thick at its foot.
void Berm(TMeshBuilder &mesh, const TVector3 &centre, float radius, float a0, float a1, float height, float width,
          int segments, const TUVRect &uv);

// How a part of a wreck moves at normalized time T (0..1 over the wreck's five seconds): how far it
// has moved and how it is turned about its pivot.
struct TPose {
    TVector3 Offset;
    TVector4 Rotation = KeyIdentity();
};
// Sets every key of Mesh from Pose, turning the mesh about Pivot (in mesh coordinates) and moving
// its origin to Place first. Key k shows at normalized time k / FrameCount. A wreck's items (meshes
// whose effect follows them) are built around their origin and placed, since the effect sits at the
// mesh origin.
void Animate(TMeshBuilder &mesh, const TVector3 &pivot, const std::function<TPose(float t)> &pose,
             const TVector3 &place = {});

// Ready-made motions for Animate.
// Tips over about Axis by Angle radians between T0 and T1, easing in like a falling wall, and sinks
// by Sink on the way.
std::function<TPose(float)> Topple(const TVector3 &axis, float angle, float t0, float t1, float sink = 0);
// Thrown at T0 on an arc that rises Apex above its start and lands at T1, Travel from where it
// started, tumbling Spin turns about Axis on the way; then it lies still.
std::function<TPose(float)> Thrown(const TVector3 &travel, float apex, float t0, float t1, const TVector3 &axis, float spin);
// Settles straight down by Depth between T0 and T1 and leans by Lean radians about Axis.
std::function<TPose(float)> Slump(float depth, float t0, float t1, const TVector3 &axis, float lean);
