#include "tools/imagegen/Noise.h"

#include <cmath>

namespace {

float Lattice(int x, int y, int period, std::uint32_t seed)
{
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}

float Smooth(float t) { return t * t * (3 - 2 * t); }

} // namespace

float ValueNoise(float x, float y, int period, std::uint32_t seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = Smooth(x - float(x0)), fy = Smooth(y - float(y0));
    const float a = Lattice(x0, y0, period, seed), b = Lattice(x0 + 1, y0, period, seed);
    const float c = Lattice(x0, y0 + 1, period, seed), d = Lattice(x0 + 1, y0 + 1, period, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float FractalNoise(float x, float y, int period, int octaves, float gain, std::uint32_t seed)
{
    float sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, period, seed + std::uint32_t(i) * 1013u) * amplitude;
        total += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= gain;
    }
    return sum / total;
}
