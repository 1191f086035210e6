#include "tools/imagegen/Noise.h"

#include "tools/imagegen/GenMath.h"

#include <cmath>

namespace {

float Lattice(int x, int y, int period, std::uint32_t seed)
{
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return Unit24(Scramble(std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u));
}

} // namespace

float ValueNoise(float x, float y, int period, std::uint32_t seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = SmoothStep(x - float(x0)), fy = SmoothStep(y - float(y0));
    const float a = Lattice(x0, y0, period, seed), b = Lattice(x0 + 1, y0, period, seed);
    const float c = Lattice(x0, y0 + 1, period, seed), d = Lattice(x0 + 1, y0 + 1, period, seed);
    return Mix(Mix(a, b, fx), Mix(c, d, fx), fy);
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

float Noise(float x, float y, float scale, std::uint32_t seed, int octaves, int period)
{
    return FractalNoise(x / scale, y / scale, period, octaves, 0.5f, seed);
}

std::uint32_t Scramble(std::uint32_t h)
{
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

std::uint32_t HashCell(int x, int y, std::uint32_t seed)
{
    return Scramble(std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^ seed * 83492791u);
}

std::uint32_t HashInt(std::int32_t a, std::uint32_t seed)
{
    std::uint32_t h = std::uint32_t(a) * 2654435761u ^ seed * 2246822519u;
    h ^= h >> 15;
    h *= 2246822519u;
    return h ^ (h >> 13);
}
