// The world's content as the build stages it, read through the game's own model reader: the
// air-defence sites and buildings with their wrecks, the decorations, the islands, the sky and the
// sea and tracer textures.

#include "assets/OTMModel.h"

#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path Stage = fs::path(ZEPHRONA_STAGE_DIR) / "Data";
constexpr float Pi = 3.14159265358979f;

std::vector<std::uint8_t> ReadBytes(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A staged model, parsed as the game parses it. Relative uses "/" ("Models/Buildings/SAM/Main.otm").
std::unique_ptr<TOTMModel> Load(const std::string &relative)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(Stage / relative);
    if (bytes.empty())
        throw std::runtime_error("missing " + relative);
    auto model = std::make_unique<TOTMModel>();
    model->Parse(bytes, relative);
    return model;
}

struct TImage {
    int Width = 0, Height = 0, Channels = 0;   // Channels as stored in the file
    std::vector<std::uint8_t> Rgba;             // decoded to 8-bit RGBA
    const std::uint8_t *At(int x, int y) const { return &Rgba[(std::size_t(y) * std::size_t(Width) + std::size_t(x)) * 4]; }
};

TImage ReadPng(const fs::path &path)
{
    TImage result;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.string().c_str()))
        throw std::runtime_error("cannot read " + path.string());
    result.Width = int(image.width);
    result.Height = int(image.height);
    result.Channels = int(PNG_IMAGE_PIXEL_CHANNELS(image.format));
    image.format = PNG_FORMAT_RGBA;
    result.Rgba.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, result.Rgba.data(), 0, nullptr);
    return result;
}

struct TBox {
    TVector3 Min{1e30f, 1e30f, 1e30f}, Max{-1e30f, -1e30f, -1e30f};
    void Add(const TVector3 &p)
    {
        Min = VectorSet3(std::min(Min.x, p.x), std::min(Min.y, p.y), std::min(Min.z, p.z));
        Max = VectorSet3(std::max(Max.x, p.x), std::max(Max.y, p.y), std::max(Max.z, p.z));
    }
    bool Contains(const TVector3 &p, float margin) const
    {
        return p.x >= Min.x - margin && p.y >= Min.y - margin && p.z >= Min.z - margin && p.x <= Max.x + margin &&
               p.y <= Max.y + margin && p.z <= Max.z + margin;
    }
};

// Where a mesh's vertex is drawn at normalized time T.
TVector3 Posed(const TOTMModel &model, const TMesh &mesh, const TVector4 &vertex, float t)
{
    return MatrixTransformPoint(vertex, KeyTransform(mesh.Keys, NormalizedSample(t, model.FrameCount)));
}

TBox MeshBox(const TOTMModel &model, const TMesh &mesh, float t)
{
    TBox box;
    for (const TVector4 &v : mesh.Vertices)
        box.Add(Posed(model, mesh, v, t));
    return box;
}

// The box of every visible mesh at rest.
TBox VisibleBox(const TOTMModel &model)
{
    TBox box;
    for (const TMesh &mesh : model.Meshes)
        if (mesh.Name != "Collision")
            for (const TVector4 &v : mesh.Vertices)
                box.Add(Posed(model, mesh, v, 0));
    return box;
}

int VisibleTriangles(const TOTMModel &model)
{
    int count = 0;
    for (const TMesh &mesh : model.Meshes)
        count += mesh.Name == "Collision" ? 0 : mesh.FaceCount;
    return count;
}

bool StartsWith(const std::string &text, const std::string &head) { return text.rfind(head, 0) == 0; }

// The wreck effects the game attaches by name: explosions, fires and smoke.
bool IsEffectName(const std::string &name)
{
    return StartsWith(name, "Explosion") || StartsWith(name, "Fire") || StartsWith(name, "Smoke");
}

void ExpectTexture(const std::string &modelPath)
{
    const fs::path texture = Stage / OTMTextureName(modelPath);
    ASSERT_TRUE(fs::exists(texture)) << texture;
    const TImage image = ReadPng(texture);
    // The image loader takes 24 and 32 bits per pixel only; mipmaps want powers of two.
    EXPECT_TRUE(image.Channels == 3 || image.Channels == 4) << texture;
    EXPECT_EQ(image.Width & (image.Width - 1), 0) << texture;
    EXPECT_EQ(image.Height & (image.Height - 1), 0) << texture;
}

const char *const Buildings[] = {"SAM", "Shilka", "Hangar", "Bunker", "FuelDepot", "RadarStation", "Barracks"};

} // namespace

TEST(WorldGround, SitesCarryTheirTurretOnTop)
{
    for (const char *site : {"SAM", "Shilka"}) {
        SCOPED_TRACE(site);
        const auto model = Load(std::string("Models/Buildings/") + site + "/Main.otm");
        const int gun = model->FindPoint("Gun");
        ASSERT_GE(gun, 0);
        const TVector4 at = model->GetPoint(gun);
        const TBox box = VisibleBox(*model);
        EXPECT_TRUE(at.x > box.Min.x && at.x < box.Max.x && at.y > box.Min.y && at.y < box.Max.y);
        EXPECT_GT(at.z, 0.5f);
        EXPECT_LT(at.z, 4.0f);
        // The turret stands on the mount: the highest surface round the point is at its height.
        float top = -1e30f;
        for (const TMesh &mesh : model->Meshes)
            if (mesh.Name != "Collision")
                for (const TVector4 &v : mesh.Vertices) {
                    const TVector3 p = Posed(*model, mesh, v, 0);
                    if (std::hypot(p.x - at.x, p.y - at.y) < 1.5f)
                        top = std::max(top, p.z);
                }
        EXPECT_NEAR(top, at.z, 0.15f);
    }
}

TEST(WorldGround, BuildingsHaveCollisionAndAWreckThatBurns)
{
    for (const char *name : Buildings) {
        SCOPED_TRACE(name);
        const std::string folder = std::string("Models/Buildings/") + name + "/";
        const auto main = Load(folder + "Main.otm");
        const auto dead = Load(folder + "Dead.otm");
        ExpectTexture(folder + "Main.otm");
        ExpectTexture(folder + "Dead.otm");
        EXPECT_LE(VisibleTriangles(*main), 1500);

        // Most of the building lies inside its collision mesh's box.
        ASSERT_GE(main->CollisionMesh, 0);
        const TBox collision = MeshBox(*main, main->Meshes[std::size_t(main->CollisionMesh)], 0);
        int inside = 0, total = 0;
        for (const TMesh &mesh : main->Meshes)
            if (mesh.Name != "Collision")
                for (const TVector4 &v : mesh.Vertices) {
                    inside += collision.Contains(Posed(*main, mesh, v, 0), 1.0f) ? 1 : 0;
                    ++total;
                }
        EXPECT_GE(inside, total * 8 / 10);

        // The wreck plays key frames, and carries an explosion, a fire and smoke inside the site.
        EXPECT_GT(dead->FrameCount, 1);
        const TBox site = VisibleBox(*main);
        int explosions = 0, fires = 0, smokes = 0;
        for (const TModelPoint &point : dead->Points) {
            explosions += StartsWith(point.Name, "Explosion");
            fires += StartsWith(point.Name, "Fire");
            smokes += StartsWith(point.Name, "Smoke");
            EXPECT_TRUE(site.Contains(point.Position, 2)) << point.Name;
        }
        EXPECT_GE(explosions, 1);
        EXPECT_GE(fires, 1);
        EXPECT_GE(smokes, 1);
        float moved = 0;
        for (const TMesh &mesh : dead->Meshes) {
            const TBox before = MeshBox(*dead, mesh, 0), after = MeshBox(*dead, mesh, 1);
            moved = std::max({moved, std::fabs(after.Max.z - before.Max.z), std::fabs(after.Min.x - before.Min.x)});
        }
        EXPECT_GT(moved, 1.0f);
    }
}

TEST(WorldGround, WreckDebrisCarriesItsFireDownToTheGround)
{
    // A named item's effect sits at the mesh's origin, so the origin must move with the piece: it
    // starts inside it and ends on the ground.
    int items = 0;
    for (const char *name : Buildings) {
        const auto dead = Load(std::string("Models/Buildings/") + name + "/Dead.otm");
        for (std::size_t m = 0; m < dead->Meshes.size(); ++m) {
            const TMesh &mesh = dead->Meshes[m];
            if (!IsEffectName(mesh.Name))
                continue;
            SCOPED_TRACE(std::string(name) + " " + mesh.Name);
            ++items;
            TVector3 start, end;
            dead->GetMeshPosition(int(m), start, 0);
            dead->GetMeshPosition(int(m), end, 1);
            EXPECT_TRUE(MeshBox(*dead, mesh, 0).Contains(start, 0.5f));
            EXPECT_GT(end.z, -0.5f);
            EXPECT_LT(end.z, 3.0f);
            EXPECT_GT(std::hypot(end.x - start.x, end.y - start.y), 1.0f);
        }
    }
    EXPECT_GE(items, 7);
}

TEST(WorldGround, DecorationsStandOnTheGround)
{
    for (const char *name : {"Lighthouse", "PalmGrove", "Pier", "RadioMast", "Containers", "Tents"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string("Models/Static/") + name + ".otm";
        const auto model = Load(path);
        ExpectTexture(path);
        EXPECT_LE(VisibleTriangles(*model), 1500);
        const TBox box = VisibleBox(*model);
        EXPECT_GE(box.Min.z, -4.5f);   // the pier's piles reach into the sea
        EXPECT_LE(box.Min.z, 0.5f);
        const float size = std::max({box.Max.x - box.Min.x, box.Max.y - box.Min.y, box.Max.z - box.Min.z});
        EXPECT_GT(size, 3.0f);
        EXPECT_LT(size, 60.0f);
    }
}

namespace {

const char *const Islands[] = {"Atoll", "Volcano", "Ridge", "Rock", "Twins"};

// The height of a triangle mesh above (X, Y): the highest triangle over the point, or NaN.
float SurfaceHeight(const TMesh &mesh, float x, float y)
{
    float best = std::nanf("");
    for (const auto &face : mesh.Faces) {
        const TVector4 &a = mesh.Vertices[std::size_t(face[0])], &b = mesh.Vertices[std::size_t(face[1])],
                       &c = mesh.Vertices[std::size_t(face[2])];
        const float d = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
        if (std::fabs(d) < 1e-9f)
            continue;
        const float l0 = ((b.y - c.y) * (x - c.x) + (c.x - b.x) * (y - c.y)) / d;
        const float l1 = ((c.y - a.y) * (x - c.x) + (a.x - c.x) * (y - c.y)) / d;
        const float l2 = 1 - l0 - l1;
        if (l0 < -1e-4f || l1 < -1e-4f || l2 < -1e-4f)
            continue;
        const float z = l0 * a.z + l1 * b.z + l2 * c.z;
        if (std::isnan(best) || z > best)
            best = z;
    }
    return best;
}

TVector3 ClosestOnTriangle(const TVector3 &p, const TVector3 &a, const TVector3 &b, const TVector3 &c)
{
    // Ericson, Real-Time Collision Detection, 5.1.5: the Voronoi regions of the corners and edges.
    const TVector3 ab = VectorSubtract(b, a), ac = VectorSubtract(c, a), ap = VectorSubtract(p, a);
    auto along = [](const TVector3 &from, const TVector3 &d, float t) {
        return VectorSet3(from.x + d.x * t, from.y + d.y * t, from.z + d.z * t);
    };
    const float d1 = VectorDot(ab, ap), d2 = VectorDot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const TVector3 bp = VectorSubtract(p, b);
    const float d3 = VectorDot(ab, bp), d4 = VectorDot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return along(a, ab, d1 / (d1 - d3));
    const TVector3 cp = VectorSubtract(p, c);
    const float d5 = VectorDot(ab, cp), d6 = VectorDot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return along(a, ac, d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return along(b, VectorSubtract(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denom = 1 / (va + vb + vc);
    return along(along(a, ab, vb * denom), ac, vc * denom);
}

// The distance from P to the nearest triangle of Mesh that comes within Reach of it sideways.
float DistanceToMesh(const TMesh &mesh, const TVector3 &p, float reach)
{
    float best = 1e30f;
    for (const auto &face : mesh.Faces) {
        const TVector4 &a = mesh.Vertices[std::size_t(face[0])], &b = mesh.Vertices[std::size_t(face[1])],
                       &c = mesh.Vertices[std::size_t(face[2])];
        if (std::min({a.x, b.x, c.x}) > p.x + reach || std::max({a.x, b.x, c.x}) < p.x - reach ||
            std::min({a.y, b.y, c.y}) > p.y + reach || std::max({a.y, b.y, c.y}) < p.y - reach)
            continue;
        best = std::min(best, VectorDistance(p, ClosestOnTriangle(p, a, b, c)));
    }
    return best;
}

const TMesh &Terrain(const TOTMModel &model)
{
    const int index = model.FindMesh("Terrain");
    if (index < 0)
        throw std::runtime_error("no terrain mesh");
    return model.Meshes[std::size_t(index)];
}

} // namespace

TEST(WorldIslands, CollisionFollowsTheGround)
{
    for (const char *name : Islands) {
        SCOPED_TRACE(name);
        const auto island = Load(std::string("Maps/Islands/") + name + ".otm");
        ASSERT_GE(island->CollisionMesh, 0);
        const TMesh &collision = island->Meshes[std::size_t(island->CollisionMesh)];
        const TMesh &terrain = Terrain(*island);
        EXPECT_LE(terrain.FaceCount, 4000);
        // Every piece of land has collision under it, and lies well within the reach of the game's
        // collision sphere (radius 10) from it.
        float worst = 0;
        int land = 0;
        for (const TVector4 &v : terrain.Vertices) {
            if (v.z <= 0)
                continue;
            ++land;
            ASSERT_FALSE(std::isnan(SurfaceHeight(collision, v.x, v.y))) << v.x << ", " << v.y;
            worst = std::max(worst, DistanceToMesh(collision, v, 20));
        }
        EXPECT_GT(land, 100);
        EXPECT_LT(worst, 6.0f);
    }
}

TEST(WorldIslands, ShapesSizesSitesAndFarVariantsDiffer)
{
    std::vector<float> sizes;
    for (const char *name : Islands) {
        SCOPED_TRACE(name);
        const std::string base = std::string("Maps/Islands/") + name;
        const auto island = Load(base + ".otm");
        ExpectTexture(base + ".otm");
        const TBox box = MeshBox(*island, Terrain(*island), 0);
        sizes.push_back(std::max(box.Max.x - box.Min.x, box.Max.y - box.Min.y));
        EXPECT_GT(box.Max.z, 5.0f);

        // Building sites are level ground above the sea, where the point says.
        int sites = 0;
        for (const TModelPoint &point : island->Points) {
            if (!StartsWith(point.Name, "Site_"))
                continue;
            ++sites;
            EXPECT_GE(point.Position.z, 3.0f) << point.Name;
            for (const float dx : {-10.0f, 0.0f, 10.0f})
                EXPECT_NEAR(SurfaceHeight(Terrain(*island), point.Position.x + dx, point.Position.y), point.Position.z, 1.0f)
                    << point.Name;
        }
        EXPECT_GE(sites, 1);

        // Each far variant is coarser than the one before and covers the same ground.
        int previous = Terrain(*island).FaceCount;
        for (const char *lod : {"_lod0", "_lod1"}) {
            const auto far = Load(base + lod + ".otm");
            ExpectTexture(base + lod + ".otm");
            EXPECT_LT(Terrain(*far).FaceCount, previous) << lod;
            previous = Terrain(*far).FaceCount;
            const TBox farBox = MeshBox(*far, Terrain(*far), 0);
            EXPECT_NEAR(farBox.Max.x - farBox.Min.x, box.Max.x - box.Min.x, 0.1f * (box.Max.x - box.Min.x)) << lod;
        }
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_LT(sizes.front(), 500.0f);
    EXPECT_GT(sizes.back(), 1800.0f);
    EXPECT_EQ(std::adjacent_find(sizes.begin(), sizes.end(), [](float a, float b) { return b - a < 50; }), sizes.end());
}

TEST(WorldIslands, TexturesShowBeachRockAndVegetation)
{
    for (const char *name : Islands) {
        SCOPED_TRACE(name);
        const TImage image = ReadPng(Stage / (std::string("Maps/Islands/") + name + ".png"));
        int sand = 0, green = 0, rock = 0;
        for (int y = 0; y < image.Height; ++y)
            for (int x = 0; x < image.Width; ++x) {
                const std::uint8_t *p = image.At(x, y);
                const int r = p[0], g = p[1], b = p[2], hi = std::max({r, g, b}), lo = std::min({r, g, b});
                sand += r > 150 && g > 130 && r > b + 30 && g > b + 20;
                green += g > r + 10 && g > b + 20;
                rock += hi - lo < 25 && hi > 40 && hi < 170;
            }
        const int texels = image.Width * image.Height;
        EXPECT_GT(sand, texels / 200);
        EXPECT_GT(green, texels / 20);
        EXPECT_GT(rock, texels / 400);
    }
}

namespace {

// How much a picture jumps where it wraps round, against how much it changes between neighbours
// inside: a texture that tiles wraps as smoothly as it runs.
void ExpectTiles(const TImage &image, bool acrossU, bool alongV)
{
    auto diff = [&](int x0, int y0, int x1, int y1) {
        double sum = 0;
        for (int c = 0; c < 4; ++c)
            sum += std::abs(int(image.At(x0, y0)[c]) - int(image.At(x1, y1)[c]));
        return sum;
    };
    if (acrossU) {
        double seam = 0, inside = 0;
        for (int y = 0; y < image.Height; ++y) {
            seam += diff(image.Width - 1, y, 0, y);
            inside += diff(image.Width / 2 - 1, y, image.Width / 2, y);
        }
        EXPECT_LE(seam, 2 * inside + image.Height * 2.0) << "across u";
    }
    if (alongV) {
        double seam = 0, inside = 0;
        for (int x = 0; x < image.Width; ++x) {
            seam += diff(x, image.Height - 1, x, 0);
            inside += diff(x, image.Height / 2 - 1, x, image.Height / 2);
        }
        EXPECT_LE(seam, 2 * inside + image.Width * 2.0) << "along v";
    }
}

} // namespace

TEST(WorldSky, DomeHoldsTheSunWhereTheLightComesFromAndMeetsTheFogAtTheHorizon)
{
    const auto sky = Load("Models/Sky/Clear_Sky/sky.otm");
    const TImage texture = ReadPng(Stage / "Models/Sky/Clear_Sky/sky.png");
    ASSERT_EQ(sky->Meshes.size(), 1u);
    const TMesh &dome = sky->Meshes[0];
    // Drawn at twice its size round the camera: inside the far plane (20000), outside the fog band
    // (radius 7000) that hides its foot.
    float highest = 0;
    for (const TVector4 &v : dome.Vertices) {
        const float r = VectorLength(v);
        EXPECT_LT(2 * r, 20000.0f);
        if (v.z < 600) {
            EXPECT_GT(std::hypot(v.x, v.y), 7000.0f);
        }
        highest = std::max(highest, v.z);
    }
    EXPECT_GT(highest, 5000.0f);

    // The texel seen in a direction: find the face the ray from the centre passes through.
    auto seen = [&](const TVector3 &direction) {
        for (std::size_t f = 0; f < dome.Faces.size(); ++f) {
            const TVector4 *p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = &dome.Vertices[std::size_t(dome.Faces[f][std::size_t(k)])];
            // Solve direction * s = a + (b - a) u + (c - a) v.
            const TVector3 e1 = VectorSubtract(*p[1], *p[0]), e2 = VectorSubtract(*p[2], *p[0]);
            const TVector3 q = VectorCross(direction, e2);
            const float det = VectorDot(e1, q);
            if (std::fabs(det) < 1e-6f)
                continue;
            const TVector3 o = VectorScale(static_cast<const TVector3 &>(*p[0]), -1);
            const float u = VectorDot(o, q) / det;
            const TVector3 r = VectorCross(o, e1);
            const float v = VectorDot(direction, r) / det, s = VectorDot(e2, r) / det;
            if (u < 0 || v < 0 || u + v > 1 || s <= 0)
                continue;
            const auto &t = dome.TexFaces[f];
            const auto &t0 = dome.TexCoords[std::size_t(t[0])], &t1 = dome.TexCoords[std::size_t(t[1])],
                       &t2 = dome.TexCoords[std::size_t(t[2])];
            const float tu = t0[0] + (t1[0] - t0[0]) * u + (t2[0] - t0[0]) * v;
            const float tv = t0[1] + (t1[1] - t0[1]) * u + (t2[1] - t0[1]) * v;
            return texture.At(std::clamp(int(tu * float(texture.Width)), 0, texture.Width - 1),
                              std::clamp(int(tv * float(texture.Height)), 0, texture.Height - 1));
        }
        throw std::runtime_error("the dome has a hole");
    };
    const std::uint8_t *sun = seen(VectorNormalize(VectorSet3(-65000, 65000, 120000)));
    EXPECT_GT(int(sun[0]) + sun[1] + sun[2], 3 * 235);
    for (int k = 0; k < 8; ++k) {
        const float a = 2 * Pi * float(k) / 8 + 0.2f;
        const std::uint8_t *horizon = seen(VectorSet3(std::cos(a), std::sin(a), 0.01f));
        EXPECT_NEAR(horizon[0], 0.125 * 255, 12);
        EXPECT_NEAR(horizon[1], 0.4 * 255, 12);
        EXPECT_NEAR(horizon[2], 0.6 * 255, 12);
        const std::uint8_t *zenith = seen(VectorSet3(std::cos(a) * 0.05f, std::sin(a) * 0.05f, 1));
        EXPECT_GT(zenith[2], zenith[0] + 60);   // deep blue overhead
    }
}

TEST(WorldSky, CloudLayerLiesUnderTheDomeAndTilesAsItScrolls)
{
    const auto sky = Load("Models/Sky/Clear_Sky/sky.otm");
    const auto clouds = Load("Models/Sky/Clear_Sky/clouds.otm");
    float dome = 1e30f;
    for (const TVector4 &v : sky->Meshes[0].Vertices)
        dome = std::min(dome, VectorLength(v));
    float top = -1e30f;
    for (const TVector4 &v : clouds->Meshes[0].Vertices) {
        EXPECT_LT(VectorLength(v), dome);
        top = std::max(top, v.z);
    }
    EXPECT_GT(top, 1000.0f);

    const TImage texture = ReadPng(Stage / "Models/Sky/Clear_Sky/clouds.png");
    ASSERT_EQ(texture.Channels, 4);
    int cloudy = 0;
    for (int y = 0; y < texture.Height; ++y)
        for (int x = 0; x < texture.Width; ++x)
            cloudy += texture.At(x, y)[3] > 128;
    EXPECT_GT(cloudy, texture.Width * texture.Height / 10);
    EXPECT_LT(cloudy, texture.Width * texture.Height * 7 / 10);
    ExpectTiles(texture, true, true);
    const TImage height = ReadPng(Stage / "Models/Sky/Clear_Sky/height.png");
    EXPECT_EQ(height.Channels, 3);
    ExpectTiles(height, true, true);
}

TEST(WorldTextures, SeaAndTracerTexturesTileWhereTheyRepeat)
{
    struct TCase {
        const char *Name;
        bool AcrossU, AlongV;
    };
    const TCase cases[] = {{"Water", true, true},          {"WaterNoise1", true, true},    {"WaterNoise2", true, true},
                           {"WaterNoise3", true, true},    {"Trasser", false, true},       {"Trasser_Gauss", false, true},
                           {"Trasser_Laser", false, true}, {"Trasser_White", false, true}, {"fountain", false, false},
                           {"Water_Noise", false, false},  {"reload", false, false}};
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TImage image = ReadPng(Stage / (std::string("Textures/") + c.Name + ".png"));
        EXPECT_TRUE(image.Channels == 3 || image.Channels == 4);
        EXPECT_EQ(image.Width & (image.Width - 1), 0);
        EXPECT_EQ(image.Height & (image.Height - 1), 0);
        ExpectTiles(image, c.AcrossU, c.AlongV);
        // Ribbons and decals fade out at their sides, so no hard edge shows on the quad.
        if (!c.AcrossU && image.Channels == 4)
            for (int y = 0; y < image.Height; ++y) {
                EXPECT_LT(image.At(0, y)[3], 8);
                EXPECT_LT(image.At(image.Width - 1, y)[3], 8);
            }
    }
    // The ripple patterns are three moments of the waves, not one picture three times.
    const TImage a = ReadPng(Stage / "Textures/WaterNoise1.png"), b = ReadPng(Stage / "Textures/WaterNoise2.png");
    EXPECT_NE(a.Rgba, b.Rgba);
}
