#include "tools/worldgen/Terrain.h"

#include "tools/worldgen/Paint.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// The game's sun stands high in the north-west; a little of its light is baked into the texture so
// that ridges and valleys read from far away.
const TVector3 SunDirection = VectorNormalize(VectorSet3(-65000, 65000, 120000));

struct TGrid {
    int Nx = 0, Ny = 0;
    float CellX = 0, CellY = 0;
    std::vector<float> Heights;   // (Nx + 1) x (Ny + 1), rows along y
    float H(int i, int j) const { return Heights[std::size_t(j) * std::size_t(Nx + 1) + std::size_t(i)]; }
    bool Kept(int i, int j, float keepAbove) const
    {
        return std::max({H(i, j), H(i + 1, j), H(i + 1, j + 1), H(i, j + 1)}) > keepAbove;
    }
};

// The grid over the recipe's rectangle with cells of about Cell metres.
TGrid SampleGrid(const TTerrain &terrain, float cell)
{
    const TIslandRecipe &r = terrain.Recipe;
    TGrid grid;
    grid.Nx = std::max(2, int(std::lround(2 * r.HalfX / cell)));
    grid.Ny = std::max(2, int(std::lround(2 * r.HalfY / cell)));
    grid.CellX = 2 * r.HalfX / float(grid.Nx);
    grid.CellY = 2 * r.HalfY / float(grid.Ny);
    grid.Heights.resize(std::size_t(grid.Nx + 1) * std::size_t(grid.Ny + 1));
    for (int j = 0; j <= grid.Ny; ++j)
        for (int i = 0; i <= grid.Nx; ++i)
            grid.Heights[std::size_t(j) * std::size_t(grid.Nx + 1) + std::size_t(i)] =
                std::max(TerrainFloor, terrain.Height(-r.HalfX + grid.CellX * float(i), -r.HalfY + grid.CellY * float(j)));
    return grid;
}

int CountTriangles(const TGrid &grid, float keepAbove)
{
    int count = 0;
    for (int j = 0; j < grid.Ny; ++j)
        for (int i = 0; i < grid.Nx; ++i)
            count += grid.Kept(i, j, keepAbove) ? 2 : 0;
    return count;
}

} // namespace

TTerrain::TTerrain(TIslandRecipe recipe) : Recipe(std::move(recipe))
{
    for (TSite &site : Recipe.Sites)
        site.Height = std::max(3.0f, std::round(Recipe.Height(site.X, site.Y)));
}

float TTerrain::SiteCover(float x, float y) const
{
    float cover = 0;
    for (const TSite &site : Recipe.Sites) {
        const float d = std::hypot(x - site.X, y - site.Y);
        cover = std::max(cover, 1 - SmoothStep(site.Radius, site.Radius * 1.6f, d));
    }
    return cover;
}

float TTerrain::Height(float x, float y) const
{
    float h = Recipe.Height(x, y);
    if (!std::isfinite(h))
        throw std::runtime_error("Island \"" + Recipe.Name + "\" has no height at " + std::to_string(x) + ", " +
                                 std::to_string(y));
    for (const TSite &site : Recipe.Sites) {
        const float d = std::hypot(x - site.X, y - site.Y);
        const float w = 1 - SmoothStep(site.Radius, site.Radius * 1.6f, d);
        h += (site.Height - h) * w;
    }
    return h;
}

TVector3 TTerrain::Normal(float x, float y, float step) const
{
    const float dx = (Height(x + step, y) - Height(x - step, y)) / (2 * step);
    const float dy = (Height(x, y + step) - Height(x, y - step)) / (2 * step);
    return VectorNormalize(VectorSet3(-dx, -dy, 1));
}

float TerrainMesh(TMeshBuilder &mesh, const TTerrain &terrain, int maxTriangles, float keepAbove)
{
    const TIslandRecipe &r = terrain.Recipe;
    float cell = 2 * r.HalfX / 160;
    TGrid grid = SampleGrid(terrain, cell);
    while (CountTriangles(grid, keepAbove) > maxTriangles) {
        cell *= 1.06f;
        grid = SampleGrid(terrain, cell);
    }
    std::vector<int> vertex(std::size_t(grid.Nx + 1) * std::size_t(grid.Ny + 1), -1), coord(vertex.size(), -1);
    auto use = [&](int i, int j) {
        const std::size_t k = std::size_t(j) * std::size_t(grid.Nx + 1) + std::size_t(i);
        if (vertex[k] < 0) {
            const float x = -r.HalfX + grid.CellX * float(i), y = -r.HalfY + grid.CellY * float(j);
            vertex[k] = mesh.Vertex(VectorSet3(x, y, grid.H(i, j)), terrain.Normal(x, y, grid.CellX * 0.5f));
            coord[k] = mesh.TexCoord((x + r.HalfX) / (2 * r.HalfX), (r.HalfY - y) / (2 * r.HalfY));
        }
        return k;
    };
    for (int j = 0; j < grid.Ny; ++j)
        for (int i = 0; i < grid.Nx; ++i) {
            if (!grid.Kept(i, j, keepAbove))
                continue;
            // Corners counter-clockwise from above; the quad folds along its flatter diagonal.
            const std::size_t a = use(i, j), b = use(i + 1, j), c = use(i + 1, j + 1), d = use(i, j + 1);
            if (std::fabs(grid.H(i, j) - grid.H(i + 1, j + 1)) <= std::fabs(grid.H(i + 1, j) - grid.H(i, j + 1))) {
                mesh.Face(vertex[a], vertex[b], vertex[c], coord[a], coord[b], coord[c]);
                mesh.Face(vertex[a], vertex[c], vertex[d], coord[a], coord[c], coord[d]);
            } else {
                mesh.Face(vertex[a], vertex[b], vertex[d], coord[a], coord[b], coord[d]);
                mesh.Face(vertex[b], vertex[c], vertex[d], coord[b], coord[c], coord[d]);
            }
        }
    if (mesh.Faces.empty())
        throw std::runtime_error("Island \"" + r.Name + "\" has no land above the sea");
    return std::max(grid.CellX, grid.CellY);
}

namespace {

struct TCell {
    float X0, Y0, W, H;
};

// Splits Cell until two triangles fit the ground within Tolerance (or the cell is small), appending
// the cells to keep to Out.
void Refine(const TTerrain &terrain, const TCell &cell, float tolerance, float keepAbove, std::vector<TCell> &out)
{
    constexpr int Samples = 4;
    auto h = [&](float x, float y) { return std::max(TerrainFloor, terrain.Height(x, y)); };
    const float h00 = h(cell.X0, cell.Y0), h10 = h(cell.X0 + cell.W, cell.Y0), h11 = h(cell.X0 + cell.W, cell.Y0 + cell.H),
                h01 = h(cell.X0, cell.Y0 + cell.H);
    float error = 0, highest = std::max({h00, h10, h11, h01});
    for (int j = 0; j <= Samples; ++j)
        for (int i = 0; i <= Samples; ++i) {
            const float s = float(i) / Samples, t = float(j) / Samples;
            const float truth = h(cell.X0 + s * cell.W, cell.Y0 + t * cell.H);
            // The same two triangles the cell is cut into below: along the diagonal 00-11.
            const float flat = s >= t ? h00 + (h10 - h00) * s + (h11 - h10) * t : h00 + (h11 - h01) * s + (h01 - h00) * t;
            error = std::max(error, std::fabs(truth - flat));
            highest = std::max(highest, truth);
        }
    if (highest <= keepAbove)
        return;
    if (error > tolerance && cell.W > 8) {
        const float w = cell.W / 2, hh = cell.H / 2;
        for (const TCell &part : {TCell{cell.X0, cell.Y0, w, hh}, TCell{cell.X0 + w, cell.Y0, w, hh},
                                  TCell{cell.X0, cell.Y0 + hh, w, hh}, TCell{cell.X0 + w, cell.Y0 + hh, w, hh}})
            Refine(terrain, part, tolerance, keepAbove, out);
        return;
    }
    out.push_back(cell);
}

} // namespace

float CollisionMesh(TMeshBuilder &mesh, const TTerrain &terrain, int maxTriangles, float keepAbove)
{
    const TIslandRecipe &r = terrain.Recipe;
    const int nx = std::max(1, int(std::lround(r.HalfX / 120))), ny = std::max(1, int(std::lround(r.HalfY / 120)));
    const float w = 2 * r.HalfX / float(nx), hh = 2 * r.HalfY / float(ny);
    std::vector<TCell> cells;
    float tolerance = 1;
    for (;; tolerance *= 1.15f) {
        cells.clear();
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                Refine(terrain, {-r.HalfX + w * float(i), -r.HalfY + hh * float(j), w, hh}, tolerance, keepAbove, cells);
        if (int(cells.size()) * 2 <= maxTriangles)
            break;
    }
    const int uv = mesh.TexCoord(0, 0);   // never drawn
    for (const TCell &c : cells) {
        auto corner = [&](float x, float y) {
            return mesh.Vertex(VectorSet3(x, y, std::max(TerrainFloor, terrain.Height(x, y))), VectorSet3(0, 0, 1));
        };
        const int a = corner(c.X0, c.Y0), b = corner(c.X0 + c.W, c.Y0), d = corner(c.X0 + c.W, c.Y0 + c.H),
                  e = corner(c.X0, c.Y0 + c.H);
        mesh.Face(a, b, d, uv, uv, uv);
        mesh.Face(a, d, e, uv, uv, uv);
    }
    return tolerance;
}

TCanvas TerrainTexture(const TTerrain &terrain)
{
    const TIslandRecipe &r = terrain.Recipe;
    const TTerrainStyle &s = r.Style;
    const int w = r.TextureWidth, h = r.TextureHeight;
    const float sx = 2 * r.HalfX / float(w), sy = 2 * r.HalfY / float(h);
    auto worldX = [&](int px) { return -r.HalfX + (float(px) + 0.5f) * sx; };
    auto worldY = [&](int py) { return r.HalfY - (float(py) + 0.5f) * sy; };

    std::vector<float> height(std::size_t(w) * std::size_t(h));
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px)
            height[std::size_t(py) * std::size_t(w) + std::size_t(px)] = terrain.Height(worldX(px), worldY(py));
    auto at = [&](int px, int py) {
        px = std::clamp(px, 0, w - 1);
        py = std::clamp(py, 0, h - 1);
        return height[std::size_t(py) * std::size_t(w) + std::size_t(px)];
    };

    const std::uint32_t seed = r.Seed * 7919u;
    const TColor wetSand = Shade(s.Sand, 0.78f), shelf = {0.36f, 0.5f, 0.46f, 1}, foam = {0.92f, 0.95f, 0.94f, 1};
    const TColor gravel = {0.6f, 0.57f, 0.5f, 1}, ash = {0.42f, 0.4f, 0.38f, 1}, basalt = {0.22f, 0.21f, 0.2f, 1};
    TCanvas canvas(w, h);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const float x = worldX(px), y = worldY(py), z = at(px, py);
            // Slope over a few metres, from the neighbouring texels.
            const int k = std::max(1, int(3 / std::min(sx, sy)));
            const float gx = (at(px + k, py) - at(px - k, py)) / (2 * float(k) * sx);
            const float gy = (at(px, py - k) - at(px, py + k)) / (2 * float(k) * sy);
            const float slope = std::hypot(gx, gy);
            const TVector3 normal = VectorNormalize(VectorSet3(-gx, -gy, 1));

            // Hollows (positive curvature over some ten metres) are damp and shaded, crests dry.
            const int m = std::max(1, int(10 / std::min(sx, sy)));
            const float hollow = std::clamp((at(px + m, py) + at(px - m, py) + at(px, py + m) + at(px, py - m) - 4 * z) /
                                                (float(m * m) * sx * sy) * 25,
                                            -1.0f, 1.0f);

            TColor c;
            const float sandTop = s.SandTop + 1.6f * (Noise(x, y, 70, seed, 3, WorldPeriod) - 0.5f);
            if (z < -0.6f) {
                c = Mix(wetSand, shelf, SmoothStep(-0.6f, -5, z));
            } else if (z < sandTop) {
                const float wet = 1 - SmoothStep(0.1f, 0.9f, z);
                const float ripple = 0.92f + 0.1f * Noise(x * 3, y, 4, seed + 1, 2, WorldPeriod);
                c = Shade(Mix(s.Sand, wetSand, wet), ripple);
                // Surf along the water's edge.
                const float surf = (1 - SmoothStep(-0.2f, 0.2f, z)) * SmoothStep(0.4f, 0.65f, Noise(x, y, 5, seed + 2, 3, WorldPeriod));
                c = Mix(c, foam, surf * 0.7f);
            } else {
                // Forest fills the hollows and the lower slopes; grass and scrub take the crests.
                const float wood = Noise(x, y, 90, seed + 3, 4, WorldPeriod) + 0.25f * hollow - 0.15f * SmoothStep(40, 200, z);
                const float forest = SmoothStep(0.5f - s.Woods * 0.45f, 0.72f - s.Woods * 0.45f, wood);
                const float crowns = SmoothStep(0.25f, 0.75f, Noise(x, y, 4, seed + 4, 2, WorldPeriod));
                const TColor trees = Shade(Mix(s.Forest, Shade(s.Grass, 0.7f), 0.25f * Noise(x, y, 30, seed + 12, 3, WorldPeriod)),
                                           0.6f + 0.55f * crowns);
                const TColor grass = Shade(Mix(s.Grass, s.Sand, 0.3f * SmoothStep(0.55f, 0.8f, Noise(x, y, 20, seed + 5, 3, WorldPeriod))),
                                           0.85f + 0.25f * Noise(x, y, 6, seed + 13, 2, WorldPeriod));
                TColor green = Mix(grass, trees, forest);
                c = Mix(s.Sand, green, SmoothStep(sandTop, sandTop + 2.5f, z));
                const float strata = 0.82f + 0.18f * std::sin(z * 0.8f + 6 * Noise(x, y, 40, seed + 6, 2, WorldPeriod));
                const TColor rock = Shade(s.Rock, strata * (0.8f + 0.35f * Noise(x, y, 5, seed + 7, 3, WorldPeriod)));
                const float bare = std::max(SmoothStep(s.RockSlope * 0.75f, s.RockSlope * 1.25f, slope),
                                            SmoothStep(s.RockLine - 15, s.RockLine + 15, z + 20 * Noise(x, y, 60, seed + 8, 3, WorldPeriod)));
                c = Mix(c, rock, bare);
                if (s.Volcanic) {
                    // Ash and cinders above the tree line, old lava running down the gullies.
                    const float high = SmoothStep(s.RockLine - 40, s.RockLine + 10, z + 30 * Noise(x, y, 50, seed + 9, 3, WorldPeriod));
                    const TColor cinder = Mix(ash, basalt, SmoothStep(0.3f, 0.7f, Noise(x, y, 14, seed + 10, 3, WorldPeriod)));
                    c = Mix(c, cinder, high);
                    const float flow = SmoothStep(0.15f, 0.5f, hollow) * SmoothStep(20, 90, z);
                    c = Mix(c, Shade(basalt, 0.8f + 0.3f * Noise(x, y, 3, seed + 14, 2, WorldPeriod)), flow * 0.85f);
                }
            }
            c = Mix(c, Shade(gravel, 0.9f + 0.2f * Noise(x, y, 4, seed + 11, 2, WorldPeriod)), terrain.SiteCover(x, y) * 0.85f);
            const float light = (0.55f + 0.6f * std::max(0.0f, VectorDot(normal, SunDirection))) * (1 - 0.15f * std::max(0.0f, hollow));
            canvas.at(px, py) = Shade(c, light);
        }
    return canvas;
}
