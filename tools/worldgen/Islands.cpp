// The islands a mission sets in the sea with "CreateIsland" ("<name>.otm"): five shapes from a
// small rock to a two-kilometre ridge, each with a "Collision" mesh that follows its ground, level
// building sites marked by the points "Site_1", "Site_2"..., and "_lod0"/"_lod1" variants.

#include "tools/worldgen/Islands.h"

#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Terrain.h"
#include "tools/worldgen/Workshop.h"

#include <algorithm>
#include <cmath>

namespace {

// Triangle budgets: the island as drawn near, its collision mesh, and the two far variants.
constexpr int DetailTriangles = 3900;
constexpr int CollisionTriangles = 2000;
constexpr int Lod0Triangles = 1300;
constexpr int Lod1Triangles = 450;

// A mound: 1 at the centre (Q = 0) falling to 0 at Q = 1 with the shape Power, then sloping into
// the sea by Drop for each unit of Q beyond.
float Mound(float q, float power, float drop)
{
    return q < 1 ? std::pow(1 - q * q, power) : -(q - 1) * drop;
}

// Noise that depends on the direction of (X, Y) only, so shapes vary around their rim without a seam.
float AroundNoise(float x, float y, float features, std::uint32_t seed, int octaves = 3)
{
    const float a = std::atan2(y, x);
    return Noise(1000 + 100 * std::cos(a), 1000 + 100 * std::sin(a), 100 * 2 * Pi / features / 2, seed, octaves, WorldPeriod);
}

// Coastlines are never smooth: every shape is looked up at a point pushed about by noise.
void Warp(float &x, float &y, float amount, float scale, std::uint32_t seed)
{
    const float dx = Noise(x, y, scale, seed, 3, WorldPeriod) - 0.5f, dy = Noise(x, y, scale, seed + 1, 3, WorldPeriod) - 0.5f;
    x += 2 * amount * dx;
    y += 2 * amount * dy;
}

// A coral atoll about 1.8 km across: a low ring of sand and palms round a lagoon, cut by two
// channels, with a wide islet on its east side that carries an airstrip-sized site.
TIslandRecipe Atoll()
{
    TIslandRecipe r;
    r.Name = "Atoll";
    r.HalfX = r.HalfY = 930;
    r.Seed = 201;
    r.Height = [](float x, float y) {
        Warp(x, y, 45, 260, 202);
        const float radius = std::hypot(x, y), a = std::atan2(y, x);
        const float ring = 640 + 50 * (AroundNoise(x, y, 5, 203) - 0.5f);
        const float width = 55 + 130 * std::pow(std::max(0.0f, std::cos(a)), 4.0f) + 30 * (AroundNoise(x, y, 9, 204) - 0.5f);
        const float q = std::fabs(radius - ring) / std::max(width, 1.0f);
        const float land = 7 * Mound(q, 1.0f, 3) + 1.6f * (Noise(x, y, 35, 205, 3, WorldPeriod) - 0.5f) * std::max(0.0f, 1 - q);
        // Two channels through the reef let the lagoon meet the sea.
        float open = 1;
        for (const float channel : {2.25f, 3.95f})
            open = std::min(open, SmoothStep(0.035f, 0.09f, std::fabs(std::remainder(a - channel, 2 * Pi))));
        return land * open - 3.5f * (1 - open) - 0.6f;
    };
    r.Sites = {{640, 0, 110}, {470, -420, 35}};
    r.Style.SandTop = 2.6f;
    r.Style.Woods = 0.75f;
    r.Style.Grass = {0.52f, 0.58f, 0.28f, 1};
    return r;
}

// A volcano 1.3 km across and 330 m high: a ribbed cone with a crater, black rock and ash above the
// forest, and a site on its southern shoulder.
TIslandRecipe Volcano()
{
    TIslandRecipe r;
    r.Name = "Volcano";
    r.HalfX = r.HalfY = 720;
    r.Seed = 211;
    r.Height = [](float x, float y) {
        Warp(x, y, 40, 200, 212);
        const float base = 600 * (1 + 0.22f * (AroundNoise(x, y, 4, 213) - 0.5f));
        const float t = std::hypot(x, y) / base, rim = 330, crater = 0.13f;
        float h;
        if (t < crater)
            h = rim - 95 * std::pow(1 - (t / crater) * (t / crater), 0.6f);
        else if (t < 1)
            h = rim * std::pow((1 - t) / (1 - crater), 1.7f);
        else
            h = -(t - 1) * 300;
        // Gullies run down the flanks.
        const float gully = AroundNoise(x * (1 + 0.3f * t), y, 14, 214, 2);
        if (t > crater && t < 1)
            h *= 1 - 0.3f * (1 - gully) * SmoothStep(crater, 0.45f, t);
        return h + 6 * (Noise(x, y, 60, 215, 3, WorldPeriod) - 0.5f) * std::min(1.0f, std::max(0.0f, 1 - t) * 4);
    };
    r.Sites = {{60, -380, 70}};
    r.Style.SandTop = 2.2f;
    r.Style.RockSlope = 1.0f;
    r.Style.RockLine = 210;
    r.Style.Volcanic = true;
    r.Style.Woods = 0.85f;
    r.Style.Sand = {0.62f, 0.58f, 0.5f, 1};   // dark volcanic sand
    r.Style.Rock = {0.34f, 0.31f, 0.29f, 1};
    return r;
}

// A long curved ridge, 2.2 km from tip to tip: hills along its spine, a sheltered bay with
// beaches inside the curve and cliffs on the open side, a plateau site at its western end.
TIslandRecipe Ridge()
{
    TIslandRecipe r;
    r.Name = "Ridge";
    r.HalfX = 1120;
    r.HalfY = 460;
    r.TextureWidth = 1024;
    r.TextureHeight = 512;
    r.Seed = 221;
    // The spine: an arc of radius 1500 round (0, -1380), 40 degrees each side of north.
    constexpr float cx = 0, cy = -1380, bend = 1500, span = 0.7f;
    auto onArc = [&](float u, float inwards) {
        const float a = -span + 2 * span * u;
        return TSite{cx + (bend - inwards) * std::sin(a), cy + (bend - inwards) * std::cos(a), 0};
    };
    r.Height = [=](float x, float y) {
        Warp(x, y, 50, 240, 222);
        const float dx = x - cx, dy = y - cy;
        const float a = std::atan2(dx, dy);   // 0 at the top of the arc
        const float u = Clamp01((a + span) / (2 * span));
        const float along = (std::clamp(a, -span, span) - a) * bend;   // beyond the tips
        const float across = std::hypot(dx, dy) - bend;                 // positive on the open side
        const float tip = std::sqrt(std::max(0.0f, std::sin(Pi * u)));
        const float width = 40 + 260 * tip * (across > 0 ? 0.75f : 1.15f);
        const float q = std::hypot(across, along) / width;
        const float spine = 30 + 100 * tip * (0.55f + 0.9f * Noise(u * 900, 0, 160, 223, 3, WorldPeriod)) +
                            35 * std::exp(-std::pow((u - 0.62f) / 0.08f, 2.0f));
        const float h = spine * Mound(q, across > 0 ? 1.0f : 1.6f, across > 0 ? 2.2f : 0.9f);
        return h + 9 * (Noise(x, y, 70, 224, 3, WorldPeriod) - 0.5f) * std::max(0.0f, 1 - q);
    };
    TSite plateau = onArc(0.2f, 0), bay = onArc(0.62f, 170);
    plateau.Radius = 110;
    bay.Radius = 60;
    r.Sites = {plateau, bay};
    r.Style.SandTop = 3.2f;
    r.Style.RockSlope = 0.8f;
    r.Style.Woods = 0.55f;
    return r;
}

// A rock 350 m across: a grassy top above cliffs, boulders at their foot, room on top for a gun
// or a lighthouse.
TIslandRecipe Rock()
{
    TIslandRecipe r;
    r.Name = "Rock";
    r.HalfX = r.HalfY = 210;
    r.TextureWidth = r.TextureHeight = 512;
    r.Seed = 231;
    r.Height = [](float x, float y) {
        Warp(x, y, 28, 70, 232);
        const float t = std::hypot(x, y) / (140 * (1 + 0.25f * (AroundNoise(x, y, 6, 233) - 0.5f)));
        const float cliff = 1 - SmoothStep(0.72f, 0.97f, t + 0.08f * (Noise(x, y, 12, 234, 3, WorldPeriod) - 0.5f));
        const float shelf = 1.5f * (1 - SmoothStep(0.95f, 1.2f, t));
        return 44 * cliff + 6 * (Noise(x, y, 25, 235, 3, WorldPeriod) - 0.5f) * cliff + shelf - 4 * SmoothStep(1.15f, 1.4f, t) - 0.8f;
    };
    r.Sites = {{0, 0, 40}};
    r.Style.SandTop = 1.4f;
    r.Style.RockSlope = 0.7f;
    r.Style.Woods = 0.15f;
    r.Style.Sand = {0.66f, 0.62f, 0.55f, 1};
    return r;
}

// Two wooded hills, 110 m and 75 m, joined by a low sandy neck with a site on it.
TIslandRecipe Twins()
{
    TIslandRecipe r;
    r.Name = "Twins";
    r.HalfX = 620;
    r.HalfY = 360;
    r.TextureWidth = 1024;
    r.TextureHeight = 512;
    r.Seed = 241;
    r.Height = [](float x, float y) {
        Warp(x, y, 35, 150, 242);
        const float a = 110 * Mound(std::hypot(x + 280, y - 20) / 270, 1.4f, 0.35f);
        const float b = 75 * Mound(std::hypot(x - 300, y + 40) / 220, 1.3f, 0.5f);
        // The neck: a capsule between the two hills.
        const float t = Clamp01((x + 280) / 580);
        const float nx = -280 + 580 * t, ny = 20 - 60 * t;
        const float neck = 3.5f * Mound(std::hypot(x - nx, y - ny) / 95, 1.0f, 2.5f);
        const float h = std::max({a, b, neck});
        return h + 5 * (Noise(x, y, 40, 243, 4, WorldPeriod) - 0.5f) * SmoothStep(0, 6, h);
    };
    r.Sites = {{20, -10, 70}};
    r.Style.SandTop = 3.0f;
    r.Style.Woods = 0.8f;
    return r;
}

void WriteIsland(const std::string &folder, const TIslandRecipe &recipe)
{
    const TTerrain terrain(recipe);
    const TCanvas texture = TerrainTexture(terrain);

    TModelBuilder model;
    TerrainMesh(model.AddMesh("Terrain"), terrain, DetailTriangles, -1.5f);
    CollisionMesh(model.AddMesh("Collision"), terrain, CollisionTriangles, -4);
    int n = 0;
    for (const TSite &site : terrain.Recipe.Sites)
        model.AddPoint("Site_" + std::to_string(++n), VectorSet3(site.X, site.Y, site.Height));
    WriteModel(folder, recipe.Name, model, texture);

    TModelBuilder lod0, lod1;
    TerrainMesh(lod0.AddMesh("Terrain"), terrain, Lod0Triangles, -1.5f);
    TerrainMesh(lod1.AddMesh("Terrain"), terrain, Lod1Triangles, -1.5f);
    WriteModel(folder, recipe.Name + "_lod0", lod0, Downsample(texture, 2));
    WriteModel(folder, recipe.Name + "_lod1", lod1, Downsample(texture, 4));
}

} // namespace

void WriteIslands(const std::string &data)
{
    const std::string folder = MakeFolder(data, "Maps/Islands");
    for (const TIslandRecipe &recipe : {Atoll(), Volcano(), Ridge(), Rock(), Twins()})
        WriteIsland(folder, recipe);
}
