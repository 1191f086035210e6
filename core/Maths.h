#pragma once
// Single-precision vectors and 4x4 matrices shared by the simulation, the cameras and the renderer.
//
// World axes: x and y horizontal, z altitude (sea level at z = 0). Angles are in radians.
// Matrices are row-major (element (r, c) at index 4r + c) with the translation at 12, 13, 14; points
// are row vectors multiplied on the left (p * M). That memory layout is exactly what glLoadMatrixf and
// glMultMatrixf expect, so a TMatrix4 goes to the graphics library as it is.

struct TVector3 {
    float x = 0, y = 0, z = 0;
};

// A TVector4 is a TVector3 with a fourth lane, so it can be passed wherever a TVector3 is read.
struct TVector4 : TVector3 {
    float w = 0;
};

struct TMatrix4 {
    float m[16] = {};

    float &operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float &At(int row, int col) { return m[4 * row + col]; }
    float At(int row, int col) const { return m[4 * row + col]; }
};

TVector3 VectorSet3(float x, float y, float z);
TVector4 VectorSet4(float x, float y, float z, float w);

// The lane-wise operations carry w along and treat it like x, y and z; the TVector3 forms do the
// same on three lanes.
TVector4 VectorScale(const TVector4 &v, float s);
TVector3 VectorScale(const TVector3 &v, float s);
TVector4 VectorMultiply(const TVector4 &a, const TVector4 &b); // lane-wise product
TVector3 VectorMultiply(const TVector3 &a, const TVector3 &b);
TVector4 VectorSubtract(const TVector4 &a, const TVector4 &b); // lane-wise a - b
TVector3 VectorSubtract(const TVector3 &a, const TVector3 &b);

// The geometric operations read x, y and z only; a w lane is ignored.
float VectorDot(const TVector3 &a, const TVector3 &b);
float VectorNegDot(const TVector3 &a, const TVector3 &b); // -(a . b)
// -(n . (q - p)): negative when q lies on the side of the plane (normal n through p) that n points to.
float PlaneSide(const TVector3 &n, const TVector3 &p, const TVector3 &q);
TVector3 VectorCross(const TVector3 &a, const TVector3 &b); // right-handed: x cross y = z
float VectorLength(const TVector3 &v);

// Divides every lane (w included) by the length of x, y, z. A zero vector is not guarded against
// and gives NaNs: use VectorNormalizeSafe where one can occur.
TVector4 VectorNormalize(const TVector4 &v);
TVector3 VectorNormalize(const TVector3 &v);
// As VectorNormalize, but a vector of length at most 1e-7 comes back unchanged (w included).
TVector4 VectorNormalizeSafe(const TVector4 &v);
TVector3 VectorNormalizeSafe(const TVector3 &v);

// The unit normal of the triangle a, b, c: normalised (c - a) x (b - a), so a triangle that runs
// counter-clockwise seen from above has a normal pointing down.
TVector3 TriangleNormal(const TVector3 &a, const TVector3 &b, const TVector3 &c);

// Euclidean distance over x, y, z, worked out in double precision.
float VectorDistance(const TVector3 &a, const TVector3 &b);

// x limited to [lo, hi]: lo when x < lo, else hi when x > hi, else x. The upper bound comes first.
float ClampFloat(float hi, float lo, float x);

// The angle between a and b in [0, pi]; 0 when the product of their lengths is 0.
float VectorAngle(const TVector3 &a, const TVector3 &b);

TMatrix4 MatrixIdentity();
// A * B: C[r][c] = sum over k of A[r][k] * B[k][c]. With row vectors, p * (A * B) applies A first.
TMatrix4 MatrixMultiply(const TMatrix4 &a, const TMatrix4 &b);
// Swaps rows and columns; brings a column-major matrix read back from the graphics library into
// this layout.
TMatrix4 MatrixTranspose(const TMatrix4 &m);
// M * v with v as a column vector over all four lanes: out[r] = sum over k of M[r][k] * v[k].
TVector4 MatrixTransformVector4(const TMatrix4 &m, const TVector4 &v);
// p * M with p a row vector (x, y, z, 1): rotation then translation.
TVector3 MatrixTransformPoint(const TVector3 &p, const TMatrix4 &m);

// Writes v.x, v.y, v.z into elements 12, 13, 14; nothing else changes.
void MatrixSetTranslation(TMatrix4 &m, const TVector3 &v);
// Writes the upper 3x3 block from Euler angles (ax, ay, az) = angles.x, .y, .z; the block equals
// Rx(ax) * Ry(ay) * Rz(az) of the axis rotations below, so a row vector turns about x first, then
// y, then z. Elements 3, 7, 11 and the bottom row keep their values: start from MatrixIdentity for a
// clean transform.
void MatrixSetRotation(TMatrix4 &m, const TVector3 &angles);
// M := R(a) * M for the rotation by a about one axis. R multiplies on the left: a row vector is
// turned by R before M applies, and M's translation row is kept. Positive a turns right-handed
// (about z, x towards y).
void MatrixRotateX(TMatrix4 &m, float a);
void MatrixRotateY(TMatrix4 &m, float a);
void MatrixRotateZ(TMatrix4 &m, float a);
