// The shared textures of "Data\Textures\".
//
// The sea surface repeats 250 times across the sea quad (a tile is 600 m) and is blended over the
// mirrored sky, so its alpha is how little of the reflection shows. The three ripple patterns feed
// the distortion pass: red and green are the displacement, 0.5 meaning none, and consecutive
// patterns are the same waves a third of a cycle apart, so blending one into the next moves them.
// The splash decal is drawn additively on a quad; the fountain and the tracers are ribbons with u
// across and v along from the start (v = 0, the image's top row) to the end, and may scroll along v,
// so they repeat along v without a seam.

#include "tools/worldgen/Textures.h"

#include "tools/imagegen/Noise.h"
#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Workshop.h"

#include <cmath>

namespace {

// A wave whose wave vector is whole repeats across the tile, so the sum tiles.
struct TWave {
    int Kx, Ky;
    float Amplitude, Phase;
};
const TWave Swell[] = {{3, 1, 1.0f, 0.3f}, {-2, 3, 0.8f, 1.7f}, {5, -2, 0.5f, 4.1f}, {1, 6, 0.45f, 2.2f},
                       {-7, 4, 0.3f, 5.3f}, {9, 5, 0.22f, 0.9f}, {-4, -11, 0.16f, 3.6f}, {13, -6, 0.12f, 2.8f}};

// The sea's height at (U, V) in tile units 0..1, with the waves advanced by Time (radians), and its
// slope along u and v.
void SeaHeight(float u, float v, float time, float &height, float &du, float &dv)
{
    height = du = dv = 0;
    for (const TWave &w : Swell) {
        const float a = 2 * Pi * (float(w.Kx) * u + float(w.Ky) * v) + w.Phase + time * std::sqrt(std::hypot(float(w.Kx), float(w.Ky)));
        height += w.Amplitude * std::sin(a);
        du += w.Amplitude * std::cos(a) * 2 * Pi * float(w.Kx);
        dv += w.Amplitude * std::cos(a) * 2 * Pi * float(w.Ky);
    }
}

void WriteWater(const std::string &folder)
{
    const int size = 512;
    TCanvas water(size, size);
    const TVector3 sun = VectorNormalize(VectorSet3(-65000, 65000, 120000));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (float(x) + 0.5f) / float(size), v = (float(y) + 0.5f) / float(size);
            float h, du, dv;
            SeaHeight(u, v, 0, h, du, dv);
            // Chop: small tileable noise on top of the swell.
            const float chop = FractalNoise(u * 32, v * 32, 32, 4, 0.55f, 401);
            const float cu = FractalNoise(u * 32 + 0.5f, v * 32, 32, 4, 0.55f, 401) - chop;
            const float cv = FractalNoise(u * 32, v * 32 + 0.5f, 32, 4, 0.55f, 401) - chop;
            const TVector3 n = VectorNormalize(VectorSet3(-du * 0.012f - cu * 1.2f, dv * 0.012f + cv * 1.2f, 1));
            const float facing = VectorDot(n, sun);
            const float depth = FractalNoise(u * 4, v * 4, 4, 3, 0.5f, 402);
            TColor c = Mix({0.03f, 0.17f, 0.26f, 1}, {0.05f, 0.26f, 0.33f, 1}, depth);
            c = Shade(c, 0.8f + 0.45f * facing);
            const float crest = SmoothStep(0.62f, 0.8f, chop) * SmoothStep(0.5f, 2.4f, h);
            c = Mix(c, {0.75f, 0.85f, 0.88f, 1}, crest * 0.5f);
            // Rougher water hides more of the reflection.
            c.a = 0.7f + 0.12f * SmoothStep(0.3f, 0.75f, chop) + 0.1f * crest;
            water.at(x, y) = c;
        }
    water.Save(folder + "Water.png");

    for (int k = 0; k < 3; ++k) {
        TCanvas noise(256, 256);
        for (int y = 0; y < noise.h; ++y)
            for (int x = 0; x < noise.w; ++x) {
                const float u = (float(x) + 0.5f) / float(noise.w), v = (float(y) + 0.5f) / float(noise.h);
                float h, du, dv;
                SeaHeight(u, v, 2 * Pi * float(k) / 3, h, du, dv);
                const float scale = 0.006f;
                noise.at(x, y) = {Clamp01(0.5f + du * scale), Clamp01(0.5f + dv * scale), Clamp01(0.5f + h * 0.08f), 1};
            }
        noise.Save(folder + "WaterNoise" + std::to_string(k + 1) + ".png", false);
    }
}

// The splash and wake decal: a ring of foam with bubbles inside, fading to nothing at the edges.
void WriteSplash(const std::string &folder)
{
    TCanvas splash(128, 128);
    for (int y = 0; y < splash.h; ++y)
        for (int x = 0; x < splash.w; ++x) {
            const float dx = (float(x) + 0.5f) / 64 - 1, dy = (float(y) + 0.5f) / 64 - 1, r = std::hypot(dx, dy);
            const float bubbles = ValueNoise(float(x) / 6, float(y) / 6, 128, 411) * 0.6f + ValueNoise(float(x) / 2.5f, float(y) / 2.5f, 128, 412) * 0.4f;
            const float ring = std::exp(-std::pow((r - 0.62f) / 0.16f, 2.0f));
            const float inner = 0.45f * (1 - SmoothStep(0.2f, 0.6f, r));
            const float a = Clamp01((ring + inner) * (0.35f + 0.9f * bubbles)) * (1 - SmoothStep(0.85f, 0.98f, r));
            splash.at(x, y) = {0.9f, 0.96f, 1.0f, a};
        }
    splash.Save(folder + "Water_Noise.png");
}

// A spout of spray from the water (the top row) to its tip: dense and wide at the foot, thinning
// into drops.
void WriteFountain(const std::string &folder)
{
    TCanvas fountain(64, 256);
    for (int y = 0; y < fountain.h; ++y)
        for (int x = 0; x < fountain.w; ++x) {
            const float u = (float(x) + 0.5f) / 64 - 0.5f, v = (float(y) + 0.5f) / 256;
            const float width = 0.42f - 0.26f * v;
            const float body = std::exp(-std::pow(std::fabs(u) / width, 3.0f));
            const float streaks = 0.4f + 0.8f * ValueNoise(float(x) / 2.5f, float(y) / 14, 64, 421);
            const float drops = SmoothStep(0.55f, 0.75f, ValueNoise(float(x) / 2, float(y) / 3, 64, 422)) * v;
            const float a = Clamp01(body * streaks * (1 - SmoothStep(0.5f, 1, v)) + drops * body * 0.6f) *
                            SmoothStep(0, 0.04f, v) * (1 - SmoothStep(0.4f, 0.5f, std::fabs(u)));
            fountain.at(x, y) = Mix({0.98f, 1, 1, a}, {0.8f, 0.9f, 0.95f, a}, v);
        }
    fountain.Save(folder + "fountain.png");
}

// A tracer ribbon: Core is the colour of its hot middle, Glow of its edges; Pulses bright beads
// along one repeat (0 for an even streak).
void WriteTracer(const std::string &path, TColor core, TColor glow, float width, float strength, int pulses, std::uint32_t seed)
{
    TCanvas tracer(32, 128);
    for (int y = 0; y < tracer.h; ++y)
        for (int x = 0; x < tracer.w; ++x) {
            const float u = (float(x) + 0.5f) / 32 - 0.5f, v = (float(y) + 0.5f) / 128;
            const float across = std::exp(-std::pow(u / width, 2.0f));
            const float centre = std::exp(-std::pow(u / (width * 0.35f), 2.0f));
            float along = 0.85f + 0.3f * ValueNoise(0, v * 8, 8, seed);   // period 8 cells: repeats along v
            if (pulses > 0)
                along *= 0.45f + 0.75f * std::pow(std::cos(Pi * v * float(pulses)), 2.0f);
            const TColor c = Mix(glow, core, centre);
            tracer.at(x, y) = {c.r, c.g, c.b, Clamp01(across * along * strength) * (1 - SmoothStep(0.44f, 0.5f, std::fabs(u)))};
        }
    tracer.Save(path);
}

// The reload marker over the carrier: a glowing ring with two chasing arrows, the sign of a refill.
void WriteReload(const std::string &folder)
{
    const int size = 256;
    TMask shape(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (float(x) + 0.5f) / 128 - 1, dy = 1 - (float(y) + 0.5f) / 128;
            const float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            float cover = std::fabs(r - 0.86f) < 0.04f ? 1.0f : 0.0f;
            // Two arcs of the arrows, each ending in a head pointing on round the circle.
            for (int k = 0; k < 2; ++k) {
                const float arc = Pi - 0.95f, headLength = 0.3f;
                float t = a - (Pi * float(k) + 0.35f);   // angle travelled along this arrow
                while (t < 0)
                    t += 2 * Pi;
                if (t <= arc && std::fabs(r - 0.52f) < 0.07f)
                    cover = 1;
                const float left = arc + headLength - t;   // angle left to the tip
                if (t > arc && left > 0 && std::fabs(r - 0.52f) < 0.17f * left / headLength)
                    cover = 1;
            }
            shape.at(x, y) = cover;
        }
    const TMask glow = Blur(shape, 6);
    TCanvas reload(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float s = shape.at(x, y), g = glow.get(x, y);
            const TColor c = Mix({0.15f, 0.95f, 0.4f, 1}, {0.7f, 1.0f, 0.8f, 1}, s * 0.6f);
            reload.at(x, y) = {c.r, c.g, c.b, Clamp01(s + g * 0.9f)};
        }
    reload.Save(folder + "reload.png");
}

} // namespace

void WriteTextures(const std::string &data)
{
    const std::string folder = MakeFolder(data, "Textures");
    WriteWater(folder);
    WriteSplash(folder);
    WriteFountain(folder);
    WriteReload(folder);
    WriteTracer(folder + "Trasser.png", {1, 0.95f, 0.7f, 1}, {1, 0.55f, 0.12f, 1}, 0.2f, 1.0f, 0, 431);
    WriteTracer(folder + "Trasser_Gauss.png", {0.9f, 0.97f, 1, 1}, {0.25f, 0.55f, 1, 1}, 0.26f, 1.0f, 4, 432);
    WriteTracer(folder + "Trasser_Laser.png", {1, 0.9f, 0.9f, 1}, {1, 0.1f, 0.08f, 1}, 0.16f, 1.0f, 0, 433);
    WriteTracer(folder + "Trasser_White.png", {1, 1, 1, 1}, {0.9f, 0.92f, 0.95f, 1}, 0.33f, 0.6f, 0, 434);
}
