// The clear sky. The game draws it around the camera's ground point at twice the model's size with
// fog off, then a fog-coloured band round the horizon (radius 7000, 600 high in model units), and
// the same again mirrored under the sea for the reflection.

#include "tools/worldgen/Sky.h"

#include "tools/imagegen/Noise.h"
#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Workshop.h"

#include <cmath>

namespace {

// The dome's radius: twice it stays inside the far clipping distance (20000).
constexpr float DomeRadius = 9000;
// The lowest elevation on the dome; the horizon band hides what is below a few degrees.
constexpr float DomeFoot = -12 * Degrees;
// The cloud layer: a shallow cap 2200 high over the camera, down to the horizon at its rim.
constexpr float CloudTop = 2200, CloudRim = 8700;
// One repeat of the cloud texture in model units (the game doubles them: about 5 km).
constexpr float CloudTile = 2600;

// The fog colour the sea fades into; the sky starts from it at the horizon.
const TColor Fog = {0.125f, 0.4f, 0.6f, 1};
const TColor HorizonHaze = {0.56f, 0.73f, 0.87f, 1};
const TColor Zenith = {0.12f, 0.31f, 0.66f, 1};
// Where the game's sun light comes from.
const TVector3 Sun = VectorNormalize(VectorSet3(-65000, 65000, 120000));

// The dome's texture holds the sky as seen from below, zenith in the middle and the foot of the dome
// on the inscribed circle; north (+y) is up.
void DomeDirection(float u, float v, float &azimuth, float &elevation)
{
    const float dx = u - 0.5f, dy = 0.5f - v;
    azimuth = std::atan2(dy, dx);
    elevation = Pi / 2 - std::hypot(dx, dy) / 0.5f * (Pi / 2 - DomeFoot);
}

void DomeUV(float azimuth, float elevation, float &u, float &v)
{
    const float rho = (Pi / 2 - elevation) / (Pi / 2 - DomeFoot) * 0.5f;
    u = 0.5f + rho * std::cos(azimuth);
    v = 0.5f - rho * std::sin(azimuth);
}

TColor SkyColour(float azimuth, float elevation, float dither)
{
    const float e = elevation / Degrees;
    TColor c = e < 10 ? Mix(Fog, HorizonHaze, SmoothStep(1.5f, 10, e))
                      : Mix(HorizonHaze, Zenith, std::pow(std::min(1.0f, (e - 10) / 80), 0.55f));
    const TVector3 d = VectorSet3(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth), std::sin(elevation));
    const float gamma = std::acos(std::clamp(VectorDot(d, Sun), -1.0f, 1.0f)) / Degrees;
    const float glow = 0.55f * std::exp(-gamma / 3) + 0.22f * std::exp(-gamma / 15);
    c = {c.r + glow * 1.0f, c.g + glow * 0.92f, c.b + glow * 0.75f, 1};
    c = Mix(c, {1.0f, 0.98f, 0.9f, 1}, 1 - SmoothStep(1.4f, 1.9f, gamma));   // the disc
    const float n = (dither - 0.5f) / 255;   // against banding in the smooth gradient
    return {c.r + n, c.g + n, c.b + n, 1};
}

void WriteDome(const std::string &folder)
{
    TCanvas texture(1024, 1024);
    for (int y = 0; y < texture.h; ++y)
        for (int x = 0; x < texture.w; ++x) {
            float azimuth, elevation;
            DomeDirection((float(x) + 0.5f) / float(texture.w), (float(y) + 0.5f) / float(texture.h), azimuth, elevation);
            texture.at(x, y) = SkyColour(azimuth, std::max(elevation, DomeFoot), ValueNoise(float(x), float(y), 1024, 301));
        }

    // Rings from the foot to the zenith, denser near the horizon where the gradient changes fastest.
    const float rings[] = {-12, -4, 0, 3, 6, 10, 15, 22, 30, 40, 52, 65, 78};
    const int segments = 32;
    TModelBuilder model;
    TMeshBuilder &dome = model.AddMesh("Dome");
    auto vertex = [&](float azimuth, float elevation) {
        const TVector3 d = VectorSet3(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth),
                                      std::sin(elevation));
        float u, v;
        DomeUV(azimuth, elevation, u, v);
        return std::pair{dome.Vertex(VectorScale(d, DomeRadius), VectorScale(d, -1)), dome.TexCoord(u, v)};
    };
    std::vector<std::vector<std::pair<int, int>>> grid;
    for (const float e : rings) {
        grid.emplace_back();
        for (int s = 0; s <= segments; ++s)
            grid.back().push_back(vertex(2 * Pi * float(s) / float(segments), e * Degrees));
    }
    // Seen from inside: counter-clockwise from the centre of the dome.
    for (std::size_t r = 0; r + 1 < grid.size(); ++r)
        for (int s = 0; s < segments; ++s) {
            const auto &a = grid[r][std::size_t(s)], &b = grid[r][std::size_t(s) + 1], &c = grid[r + 1][std::size_t(s) + 1],
                       &d = grid[r + 1][std::size_t(s)];
            dome.Face(a.first, c.first, b.first, a.second, c.second, b.second);
            dome.Face(a.first, d.first, c.first, a.second, d.second, c.second);
        }
    const auto top = vertex(0, Pi / 2);
    for (int s = 0; s < segments; ++s) {
        const auto &a = grid.back()[std::size_t(s)], &b = grid.back()[std::size_t(s) + 1];
        dome.Face(a.first, top.first, b.first, a.second, top.second, b.second);
    }
    model.Save(folder + "sky.otm");
    texture.Save(folder + "sky.png", false);
}

// Cloud density 0..1 at texel (X, Y) of a Size x Size tile; the tile repeats without a seam.
float CloudDensity(int x, int y, int size)
{
    const float cells = 6;
    const float f = float(size) / cells;
    const float base = FractalNoise(float(x) / f, float(y) / f, int(cells), 5, 0.55f, 311);
    const float billow = FractalNoise(float(x) / f * 2, float(y) / f * 2, int(cells) * 2, 3, 0.5f, 312);
    return Clamp01(base * 0.8f + billow * 0.35f - 0.1f);
}

void WriteClouds(const std::string &folder)
{
    const int size = 512;
    TCanvas clouds(size, size), height(256, 256);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float d = CloudDensity(x, y, size);
            const float cover = SmoothStep(0.46f, 0.7f, d);
            // Thick cloud is grey underneath, thin cloud lets the light through.
            const TColor c = Mix({1, 1, 1, 1}, {0.68f, 0.72f, 0.8f, 1}, SmoothStep(0.6f, 0.9f, d));
            clouds.at(x, y) = {c.r, c.g, c.b, cover * 0.92f};
        }
    for (int y = 0; y < height.h; ++y)
        for (int x = 0; x < height.w; ++x) {
            const float d = CloudDensity(x * 2, y * 2, size);
            height.at(x, y) = {d, d, d, 1};
        }

    TModelBuilder model;
    TMeshBuilder &layer = model.AddMesh("Clouds");
    const int rings = 10, segments = 32;
    std::vector<std::vector<std::pair<int, int>>> grid;
    for (int r = 0; r <= rings; ++r) {
        const float radius = CloudRim * float(r) / float(rings), z = CloudTop * (1 - (radius / CloudRim) * (radius / CloudRim)) - 120;
        grid.emplace_back();
        for (int s = 0; s <= (r == 0 ? 0 : segments); ++s) {
            const float a = 2 * Pi * float(s) / float(segments);
            const float x = radius * std::cos(a), y = radius * std::sin(a);
            // The cap is seen from below: normals point down and in.
            const TVector3 normal = VectorNormalize(VectorSet3(-x * 2 * CloudTop / (CloudRim * CloudRim), -y * 2 * CloudTop / (CloudRim * CloudRim), -1));
            grid.back().push_back({layer.Vertex(VectorSet3(x, y, z), normal), layer.TexCoord(x / CloudTile, -y / CloudTile)});
        }
    }
    for (int s = 0; s < segments; ++s) {
        const auto &c = grid[0][0], &a = grid[1][std::size_t(s)], &b = grid[1][std::size_t(s) + 1];
        layer.Face(c.first, b.first, a.first, c.second, b.second, a.second);
    }
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const auto &a = grid[std::size_t(r)][std::size_t(s)], &b = grid[std::size_t(r)][std::size_t(s) + 1],
                       &c = grid[std::size_t(r) + 1][std::size_t(s) + 1], &d = grid[std::size_t(r) + 1][std::size_t(s)];
            layer.Face(a.first, c.first, b.first, a.second, c.second, b.second);
            layer.Face(a.first, d.first, c.first, a.second, d.second, c.second);
        }
    model.Save(folder + "clouds.otm");
    clouds.Save(folder + "clouds.png");
    height.Save(folder + "height.png", false);
}

} // namespace

void WriteSky(const std::string &data)
{
    const std::string folder = MakeFolder(data, "Models/Sky/Clear_Sky");
    WriteDome(folder);
    WriteClouds(folder);
}
