// particlegen: draws the particle textures of the effects (puffs, flames, sparks, flares...).
//
//   particlegen OUTDIR
//
// Every texture is a square RGBA PNG whose colour and alpha fade to nothing at the edge, so that a
// camera-facing quad never shows its border.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"
#include "tools/imagegen/Noise.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Size = 128;

// Calls Shade with the pixel's position in -1..1 (y up) and its distance from the centre.
void Draw(const std::string &path, const std::function<TColor(float x, float y, float r)> &shade)
{
    TCanvas canvas(Size, Size);
    for (int py = 0; py < Size; ++py)
        for (int px = 0; px < Size; ++px) {
            const float x = (float(px) + 0.5f) / Size * 2 - 1, y = 1 - (float(py) + 0.5f) / Size * 2;
            const float r = std::sqrt(x * x + y * y);
            TColor c = shade(x, y, r);
            c.a = Clamp01(c.a) * (1 - SmoothStep(0.92f, 1.0f, r));   // nothing reaches the border
            canvas.at(px, py) = c;
        }
    canvas.Save(path);
}

// Billowing puff: soft round body broken up by fractal noise. White, tinted by the effect.
TColor Smoke(float x, float y, float r)
{
    const float n = FractalNoise((x + 1) * 4, (y + 1) * 4, 8, 5, 0.55f, 11);
    const float body = 1 - SmoothStep(0.25f, 0.95f, r + (n - 0.5f) * 0.55f);
    const float shade = 0.78f + 0.22f * FractalNoise((x + 1) * 3, (y + 1) * 3, 6, 4, 0.5f, 29) - 0.12f * std::max(0.0f, -y);
    return {shade, shade, shade, body * (0.55f + 0.45f * n)};
}

// Flame tongue: white-yellow core, orange body, red ragged rim; for additive blending.
TColor Fire(float x, float y, float r)
{
    const float n = FractalNoise((x + 1) * 5, (y + 1) * 5, 10, 5, 0.6f, 47);
    const float heat = Clamp01(1 - (r + (n - 0.5f) * 0.6f) / 0.9f);
    const TColor red{0.75f, 0.12f, 0.02f}, orange{1.0f, 0.5f, 0.08f}, yellow{1.0f, 0.9f, 0.55f};
    TColor c = heat < 0.5f ? TColor{red.r + (orange.r - red.r) * heat * 2, red.g + (orange.g - red.g) * heat * 2,
                                    red.b + (orange.b - red.b) * heat * 2}
                           : TColor{orange.r + (yellow.r - orange.r) * (heat - 0.5f) * 2,
                                    orange.g + (yellow.g - orange.g) * (heat - 0.5f) * 2,
                                    orange.b + (yellow.b - orange.b) * (heat - 0.5f) * 2};
    c.a = SmoothStep(0.0f, 0.35f, heat);
    return c;
}

// Hot point with a soft halo.
TColor Spark(float, float, float r)
{
    const float core = std::exp(-r * r * 60), halo = std::exp(-r * r * 9) * 0.5f;
    const float v = Clamp01(core + halo);
    return {1.0f, 0.85f + 0.15f * core, 0.55f + 0.45f * core, v};
}

// Lens flare: glow with six thin rays.
TColor Flare(float x, float y, float r)
{
    const float angle = std::atan2(y, x);
    const float rays = std::pow(std::abs(std::cos(angle * 3)), 60.0f) * std::exp(-r * 3.5f);
    const float glow = std::exp(-r * r * 12) + 0.35f * std::exp(-r * r * 3);
    const float v = Clamp01(glow + rays * 0.8f);
    return {1.0f, 0.95f, 0.85f, v};
}

// Muzzle flash: a bright four-pointed star, long on its horizontal arms.
TColor Flash(float x, float y, float r)
{
    const float arms = std::exp(-std::abs(y) * 18 - std::abs(x) * 2.2f) + std::exp(-std::abs(x) * 18 - std::abs(y) * 3.5f);
    const float n = FractalNoise((x + 1) * 6, (y + 1) * 6, 12, 3, 0.5f, 83);
    const float v = Clamp01(std::exp(-r * r * 14) * 1.2f + arms * (0.6f + 0.6f * n));
    return {1.0f, 0.92f, 0.6f + 0.4f * std::exp(-r * r * 30), v};
}

// Shock ring of an explosion.
TColor Ring(float, float, float r)
{
    const float v = std::exp(-std::pow((r - 0.72f) / 0.09f, 2.0f));
    return {1.0f, 0.95f, 0.85f, v};
}

// Crackling energy ball: blue-white core with noisy tendrils.
TColor Plasma(float x, float y, float r)
{
    const float n = FractalNoise((x + 1) * 6, (y + 1) * 6, 12, 5, 0.65f, 131);
    const float tendrils = std::pow(Clamp01(1 - std::abs(n - 0.5f) * 6), 3.0f) * (1 - SmoothStep(0.2f, 0.9f, r));
    const float core = std::exp(-r * r * 10);
    const float v = Clamp01(core + tendrils * 0.9f);
    return {0.55f + 0.45f * core, 0.8f + 0.2f * core, 1.0f, v};
}

// Water spray: droplets scattered round a misty centre.
TColor Spray(float x, float y, float r)
{
    struct TDrop {
        float x, y, radius;
    };
    static const std::vector<TDrop> drops = [] {
        std::vector<TDrop> list;
        std::uint32_t seed = 173;
        auto next = [&] {
            seed = seed * 1664525u + 1013904223u;
            return float(seed >> 8) / float(1 << 24);
        };
        for (int i = 0; i < 60; ++i) {
            const float angle = 2 * Pi * next(), distance = std::sqrt(next()) * 0.75f;
            list.push_back({std::cos(angle) * distance, std::sin(angle) * distance, 0.025f + 0.045f * next() * (1 - distance)});
        }
        return list;
    }();
    float dots = 0;
    for (const TDrop &d : drops) {
        const float e = std::sqrt((x - d.x) * (x - d.x) + (y - d.y) * (y - d.y)) / d.radius;
        dots = std::max(dots, 1 - SmoothStep(0.6f, 1.0f, e));
    }
    const float mist = (1 - SmoothStep(0.0f, 0.85f, r)) * 0.45f;
    return {0.92f, 0.96f, 1.0f, Clamp01(dots * 0.9f + mist)};
}

} // namespace

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc != 2 || first == "--help" || first == "-help") {
        std::fputs("usage: particlegen OUTDIR\nDraws the particle textures (Smoke, Fire, Spark, Flare, Flash, Ring, Plasma,\n"
                   "Spray) into OUTDIR as PNG.\n",
                   argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    try {
        const std::string dir = std::string(argv[1]) + "/";
        Draw(dir + "Smoke.png", Smoke);
        Draw(dir + "Fire.png", Fire);
        Draw(dir + "Spark.png", Spark);
        Draw(dir + "Flare.png", Flare);
        Draw(dir + "Flash.png", Flash);
        Draw(dir + "Ring.png", Ring);
        Draw(dir + "Plasma.png", Plasma);
        Draw(dir + "Spray.png", Spray);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "particlegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
