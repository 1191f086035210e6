#include "core/Maths.h"

#include <cmath>

TVector3 VectorSet3(float x, float y, float z)
{
    TVector3 v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

TVector4 VectorSet4(float x, float y, float z, float w)
{
    TVector4 v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.w = w;
    return v;
}

TVector4 VectorScale(const TVector4 &v, float s) { return VectorSet4(v.x * s, v.y * s, v.z * s, v.w * s); }

TVector3 VectorScale(const TVector3 &v, float s) { return VectorSet3(v.x * s, v.y * s, v.z * s); }

TVector4 VectorMultiply(const TVector4 &a, const TVector4 &b)
{
    return VectorSet4(a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w);
}

TVector3 VectorMultiply(const TVector3 &a, const TVector3 &b) { return VectorSet3(a.x * b.x, a.y * b.y, a.z * b.z); }

TVector4 VectorSubtract(const TVector4 &a, const TVector4 &b)
{
    return VectorSet4(a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w);
}

TVector3 VectorSubtract(const TVector3 &a, const TVector3 &b) { return VectorSet3(a.x - b.x, a.y - b.y, a.z - b.z); }

float VectorDot(const TVector3 &a, const TVector3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float VectorNegDot(const TVector3 &a, const TVector3 &b) { return -VectorDot(a, b); }

float PlaneSide(const TVector3 &n, const TVector3 &p, const TVector3 &q)
{
    return -VectorDot(n, VectorSubtract(q, p));
}

TVector3 VectorCross(const TVector3 &a, const TVector3 &b)
{
    return VectorSet3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float VectorLength(const TVector3 &v) { return std::sqrt(std::fabs(VectorDot(v, v))); }

TVector4 VectorNormalize(const TVector4 &v)
{
    const float len = VectorLength(v);
    return VectorSet4(v.x / len, v.y / len, v.z / len, v.w / len);
}

TVector3 VectorNormalize(const TVector3 &v)
{
    const float len = VectorLength(v);
    return VectorSet3(v.x / len, v.y / len, v.z / len);
}

// Vectors no longer than this are too short to have a reliable direction.
static constexpr float NormalizeTolerance = 1e-7f;

TVector4 VectorNormalizeSafe(const TVector4 &v)
{
    const float len = VectorLength(v);
    return len <= NormalizeTolerance ? v : VectorScale(v, 1.0f / len);
}

TVector3 VectorNormalizeSafe(const TVector3 &v)
{
    const float len = VectorLength(v);
    return len <= NormalizeTolerance ? v : VectorScale(v, 1.0f / len);
}

TVector3 TriangleNormal(const TVector3 &a, const TVector3 &b, const TVector3 &c)
{
    return VectorNormalize(VectorCross(VectorSubtract(c, a), VectorSubtract(b, a)));
}

float VectorDistance(const TVector3 &a, const TVector3 &b)
{
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return float(std::sqrt(dx * dx + dy * dy + dz * dz));
}

float ClampFloat(float hi, float lo, float x)
{
    if (x < lo)
        return lo;
    if (x > hi)
        return hi;
    return x;
}

float VectorAngle(const TVector3 &a, const TVector3 &b)
{
    const float lengths = VectorLength(a) * VectorLength(b);
    if (lengths == 0)
        return 0;
    // Rounding can push the cosine of nearly parallel vectors just past +-1.
    return std::acos(ClampFloat(1, -1, VectorDot(a, b) / lengths));
}

TMatrix4 MatrixIdentity()
{
    TMatrix4 m;
    m[0] = m[5] = m[10] = m[15] = 1;
    return m;
}

TMatrix4 MatrixMultiply(const TMatrix4 &a, const TMatrix4 &b)
{
    TMatrix4 c;
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.At(r, k) * b.At(k, col);
            c.At(r, col) = sum;
        }
    return c;
}

TMatrix4 MatrixTranspose(const TMatrix4 &m)
{
    TMatrix4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t.At(r, c) = m.At(c, r);
    return t;
}

TVector4 MatrixTransformVector4(const TMatrix4 &m, const TVector4 &v)
{
    const float in[4] = {v.x, v.y, v.z, v.w};
    float out[4];
    for (int r = 0; r < 4; ++r)
        out[r] = m.At(r, 0) * in[0] + m.At(r, 1) * in[1] + m.At(r, 2) * in[2] + m.At(r, 3) * in[3];
    return VectorSet4(out[0], out[1], out[2], out[3]);
}

TVector3 MatrixTransformPoint(const TVector3 &p, const TMatrix4 &m)
{
    float out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = p.x * m.At(0, c) + p.y * m.At(1, c) + p.z * m.At(2, c) + m.At(3, c);
    return VectorSet3(out[0], out[1], out[2]);
}

void MatrixSetTranslation(TMatrix4 &m, const TVector3 &v)
{
    m[12] = v.x;
    m[13] = v.y;
    m[14] = v.z;
}

void MatrixSetRotation(TMatrix4 &m, const TVector3 &angles)
{
    const float sx = std::sin(angles.x), cx = std::cos(angles.x);
    const float sy = std::sin(angles.y), cy = std::cos(angles.y);
    const float sz = std::sin(angles.z), cz = std::cos(angles.z);

    m[0] = cy * cz;
    m[1] = cy * sz;
    m[2] = -sy;
    m[4] = sx * sy * cz - cx * sz;
    m[5] = sx * sy * sz + cx * cz;
    m[6] = sx * cy;
    m[8] = cx * sy * cz + sx * sz;
    m[9] = cx * sy * sz - sx * cz;
    m[10] = cx * cy;
}

// M := R * M for a rotation R whose only non-trivial elements are (i, i), (i, j), (j, i), (j, j):
// R's rows i and j are (.. c at i, s at j ..) and (.. -s at i, c at j ..); the other rows of M stay.
static void RotateRows(TMatrix4 &m, int i, int j, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    for (int col = 0; col < 4; ++col) {
        const float mi = m.At(i, col), mj = m.At(j, col);
        m.At(i, col) = c * mi + s * mj;
        m.At(j, col) = -s * mi + c * mj;
    }
}

void MatrixRotateX(TMatrix4 &m, float a) { RotateRows(m, 1, 2, a); }

// Rows (c, 0, -s), (0, 1, 0), (s, 0, c): the pair is rows 2 and 0 in that order.
void MatrixRotateY(TMatrix4 &m, float a) { RotateRows(m, 2, 0, a); }

void MatrixRotateZ(TMatrix4 &m, float a) { RotateRows(m, 0, 1, a); }
