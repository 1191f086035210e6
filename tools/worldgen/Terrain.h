#pragma once
// Islands from height functions: the terrain with its building sites levelled, grid meshes cut to
// a triangle budget, and the texture painted from height and slope (surf, beaches, scrub, forest,
// rock, ash).

#include "tools/imagegen/Canvas.h"
#include "tools/modelgen/ModelBuilder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A level place for a mission's buildings: its centre and radius; the height is the terrain's at the
// centre, rounded to whole metres and at least 3.
struct TSite {
    float X = 0, Y = 0, Radius = 0;
    float Height = 0;   // filled in by TTerrain
};

struct TTerrainStyle {
    TColor Sand{0.86f, 0.8f, 0.62f, 1}, Grass{0.5f, 0.55f, 0.27f, 1}, Forest{0.17f, 0.32f, 0.11f, 1},
        Rock{0.5f, 0.46f, 0.4f, 1};
    float SandTop = 3;       // beaches reach about this high
    float RockSlope = 0.9f;  // slopes steeper than this (rise over run) are bare rock
    float RockLine = 1e9f;   // and so is everything above this height
    float Woods = 0.6f;      // share of the green that is forest rather than grass, 0..1
    bool  Volcanic = false;  // ash and basalt above the tree line, a dark crater
};

struct TIslandRecipe {
    std::string Name;                                  // the file name without ".otm"
    float HalfX = 500, HalfY = 500;                    // the island lies inside +-HalfX, +-HalfY
    int TextureWidth = 1024, TextureHeight = 1024;
    std::uint32_t Seed = 1;
    std::function<float(float x, float y)> Height;     // metres above the sea, negative offshore
    std::vector<TSite> Sites;
    TTerrainStyle Style;
};

class TTerrain {
public:
    explicit TTerrain(TIslandRecipe recipe);

    // The height with the sites levelled.
    float Height(float x, float y) const;
    // The surface normal, from differences Step apart.
    TVector3 Normal(float x, float y, float step) const;
    // How much of the point lies on a prepared site, 0..1.
    float SiteCover(float x, float y) const;

    TIslandRecipe Recipe;
};

// The lowest a terrain vertex goes: everything under the sea is hidden, so the shelf stops here.
constexpr float TerrainFloor = -6;

// Adds the terrain above KeepAbove to Mesh as a grid of the finest cell that keeps it within
// MaxTriangles triangles; smooth normals, the texture spread over the recipe's rectangle.
// Returns the cell size used.
float TerrainMesh(TMeshBuilder &mesh, const TTerrain &terrain, int maxTriangles, float keepAbove);
// Adds the collision mesh to Mesh: cells split where two triangles would stray from the ground, so
// the steep parts get the triangles; the closest fit within MaxTriangles. Returns the largest
// height error allowed in a cell.
float CollisionMesh(TMeshBuilder &mesh, const TTerrain &terrain, int maxTriangles, float keepAbove);
// The island's texture, the recipe's rectangle seen from above with +y at the top.
TCanvas TerrainTexture(const TTerrain &terrain);
