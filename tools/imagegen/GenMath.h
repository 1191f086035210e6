#pragma once
// The small maths every content generator uses: angles, clamping and easing, interpolation of numbers
// and colours, an even-odd polygon test, and shorthand for the model builders' vectors.
//
// All of it is plain single-precision arithmetic in a fixed order, so a generator gives the same
// bytes on every build; reordering an expression here changes the pictures and models it makes.

#include "core/Maths.h"
#include "tools/imagegen/Canvas.h"

#include <algorithm>
#include <cstddef>
#include <numbers>
#include <vector>

constexpr float Pi = std::numbers::pi_v<float>;
// Degrees to radians as a factor: 30 * Degrees.
constexpr float Degrees = Pi / 180;
// Degrees to radians multiplying by pi before dividing by 180, which can round differently from
// degrees * Degrees: the ships and the HUD's ship picture are laid out with this one.
inline float Radians(float degrees) { return degrees * Pi / 180; }

inline float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// 0 up to Edge0, 1 from Edge1 on, a smooth Hermite curve between.
inline float SmoothStep(float edge0, float edge1, float x)
{
    const float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}
// The same curve over 0..1.
inline float SmoothStep(float t)
{
    t = Clamp01(t);
    return t * t * (3 - 2 * t);
}

// A at T = 0, B at T = 1, straight between and beyond.
inline float Mix(float a, float b, float t) { return a + (b - a) * t; }
inline TColor Mix(const TColor &a, const TColor &b, float t)
{
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t), Mix(a.a, b.a, t)};
}
// Mix with T first held to 0..1, for weights that may overshoot.
inline TColor MixClamped(const TColor &a, const TColor &b, float t) { return Mix(a, b, Clamp01(t)); }

// The colour's red, green and blue times Factor, its alpha kept.
inline TColor Shade(const TColor &c, float factor) { return {c.r * factor, c.g * factor, c.b * factor, c.a}; }

// Polished metal for titles, T from the top (0) to the bottom (1) of the letters: pale sky above a
// dark horizon line, bright steel blue below it.
TColor ChromeRamp(float t);

// Whether (X, Y) is inside the closed polygon Corners by the even-odd rule. Any point type with
// float members x and y will do.
template <typename TCorner> bool InsidePolygon(const std::vector<TCorner> &corners, float x, float y)
{
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        const TCorner &a = corners[i], &b = corners[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

// Shorthand for building models.
inline TVector3 V3(float x, float y, float z) { return VectorSet3(x, y, z); }
inline TVector3 operator+(const TVector3 &a, const TVector3 &b) { return VectorSet3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline TVector3 operator-(const TVector3 &a, const TVector3 &b) { return VectorSubtract(a, b); }
inline TVector3 operator*(const TVector3 &a, float s) { return VectorScale(a, s); }
