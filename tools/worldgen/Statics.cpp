// The decorations a mission places with "CreateStaticObject" ("Static\<name>.otm"): they stand
// where they are put and cannot be destroyed.

#include "tools/worldgen/Ground.h"

#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Shapes.h"
#include "tools/worldgen/Workshop.h"

#include <cmath>

namespace {

// A lighthouse on a stone plinth, white with red bands, with its lantern and the keeper's house.
void MakeLighthouse(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion tower{0, 0, 256, 512}, lantern{256, 0, 384, 64}, red{384, 0, 512, 64}, stone{256, 64, 512, 128},
        house{256, 128, 512, 192}, roof{256, 192, 384, 320}, gable{384, 192, 512, 256}, metal{384, 256, 512, 320};
    Fill(atlas, tower, [&](int x, int y) {
        // The region's top rows are the foot of the tower.
        const float h = float(y) / float(tower.Height());
        const bool band = (h > 0.3f && h < 0.45f) || (h > 0.7f && h < 0.85f);
        TColor c = band ? TColor{0.72f, 0.12f, 0.1f, 1} : TColor{0.92f, 0.91f, 0.87f, 1};
        const bool window = (x % 64 > 28 && x % 64 < 36) && (std::fmod(h * 6, 1.0f) > 0.4f && std::fmod(h * 6, 1.0f) < 0.55f);
        if (window)
            c = {0.1f, 0.12f, 0.15f, 1};
        const float grime = SmoothStep(0.5f, 0.8f, Noise(float(x), float(y) * 0.2f, 6, 101, 3, WorldPeriod)) * 0.2f;
        return Shade(c, 0.95f - grime + 0.08f * Noise(float(x), float(y), 3, 102, 2, WorldPeriod));
    });
    Fill(atlas, lantern, [](int x, int y) {
        return x % 16 < 2 || y < 4 || y > 59 ? TColor{0.15f, 0.15f, 0.15f, 1} : TColor{0.95f, 0.85f, 0.5f, 1};
    });
    PaintMetal(atlas, red, {0.65f, 0.13f, 0.1f, 1}, 103, 0);
    PaintRoofTiles(atlas, stone, {0.55f, 0.53f, 0.5f, 1}, 104, 6);
    PaintWindows(atlas, house, {0.9f, 0.88f, 0.82f, 1}, 105, 3, 1, true);
    PaintRoofTiles(atlas, roof, {0.6f, 0.3f, 0.2f, 1}, 106, 12);
    PaintConcrete(atlas, gable, {0.9f, 0.88f, 0.82f, 1}, 107);
    PaintMetal(atlas, metal, {0.2f, 0.2f, 0.2f, 1}, 108, 0);

    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Lighthouse");
    m.Cylinder(V3(0, 0, 0), V3(0, 0, 1.2f), 3.2f, 3.0f, 16, true, UV(atlas, stone));
    m.Cylinder(V3(0, 0, 1.2f), V3(0, 0, 20), 2.4f, 1.6f, 16, false, UV(atlas, tower));
    m.Cylinder(V3(0, 0, 20), V3(0, 0, 20.4f), 2.4f, 2.4f, 16, true, UV(atlas, metal));
    m.Cylinder(V3(0, 0, 20.4f), V3(0, 0, 22.6f), 1.3f, 1.3f, 12, false, UV(atlas, lantern));
    m.Cone(V3(0, 0, 22.6f), V3(0, 0, 24.2f), 1.6f, 12, UV(atlas, red));
    m.Sphere(V3(0, 0, 24.3f), V3(0.25f, 0.25f, 0.25f), 6, 4, UV(atlas, metal));
    TexturedBox(m, V3(3.5f, -3, 0), V3(9.5f, 3, 3), UV(atlas, roof), UV(atlas, house), UV(atlas, gable));
    GableRoof(m, 3.5f, 9.5f, -3, 3, 3, 5, 0.4f, UV(atlas, roof), UV(atlas, gable));
    WriteModel(folder, "Lighthouse", model, atlas);
}

// A stand of five coconut palms with curved trunks and drooping fronds.
void MakePalmGrove(const std::string &folder)
{
    TCanvas atlas(256, 256);
    const TRegion bark{0, 0, 64, 256}, leaf{64, 0, 256, 256};
    Fill(atlas, bark, [&](int x, int y) {
        const float ring = 0.8f + 0.25f * std::fabs(std::sin(float(y) * 0.4f));
        return Shade(TColor{0.45f, 0.36f, 0.25f, 1}, ring * (0.85f + 0.25f * Noise(float(x), float(y), 4, 111, 2, WorldPeriod)));
    });
    Fill(atlas, leaf, [&](int x, int y) {
        // Leaflets across the frond, the midrib down its middle.
        const float u = float(x) / float(leaf.Width());
        const float leaflet = 0.8f + 0.25f * std::sin(float(y) * 0.9f + u * 6);
        const bool rib = std::fabs(u - 0.5f) < 0.03f;
        const TColor green = Mix({0.16f, 0.36f, 0.1f, 1}, {0.34f, 0.48f, 0.16f, 1}, Noise(float(x), float(y), 20, 112, 3, WorldPeriod));
        return rib ? TColor{0.55f, 0.52f, 0.3f, 1} : Shade(green, leaflet);
    });

    struct TPalm {
        float X, Y, Height, LeanX, LeanY;
    };
    const TPalm palms[] = {{0, 0, 10, 1.8f, 0.6f}, {5, 3, 8.5f, -1.2f, 1.5f}, {-4, 4, 11, -2.0f, -0.4f},
                           {2, -5, 9, 0.8f, -1.8f}, {-6, -3, 7.5f, -1.0f, -1.2f}};
    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Palms");
    for (const TPalm &palm : palms) {
        std::vector<std::vector<TVector3>> trunk;
        TVector3 top;
        for (int s = 0; s <= 4; ++s) {
            const float t = float(s) / 4, bend = t * t;
            const TVector3 c = V3(palm.X + palm.LeanX * bend, palm.Y + palm.LeanY * bend, palm.Height * t);
            const float r = 0.28f - 0.12f * t;
            std::vector<TVector3> ring;
            for (int k = 0; k < 6; ++k)
                ring.push_back(V3(c.x + r * std::cos(Pi * float(k) / 3), c.y + r * std::sin(Pi * float(k) / 3), c.z));
            trunk.push_back(ring);
            top = c;
        }
        m.Loft(trunk, true, false, UV(atlas, bark));
        for (int f = 0; f < 7; ++f) {
            const float a = 2 * Pi * (float(f) + 0.3f * std::sin(palm.X + float(f))) / 7;
            const TVector3 out = V3(std::cos(a), std::sin(a), 0);
            const TVector3 side = V3(-std::sin(a), std::cos(a), 0);
            // The frond arches up and out, then droops; each side of it is a quad strip.
            std::vector<TVector3> spine = {top};
            for (int s = 1; s <= 3; ++s) {
                const float d = 1.6f * float(s);
                spine.push_back(V3(top.x + out.x * d, top.y + out.y * d, top.z + 0.6f * float(s) - 0.45f * float(s * s)));
            }
            const TUVRect uv = UV(atlas, leaf);
            for (int s = 0; s < 3; ++s) {
                const float w0 = s == 0 ? 0.1f : 0.55f, w1 = s == 2 ? 0.05f : 0.55f;
                const float v0 = uv.V0 + (uv.V1 - uv.V0) * float(s) / 3, v1 = uv.V0 + (uv.V1 - uv.V0) * float(s + 1) / 3;
                const TVector3 &a0 = spine[std::size_t(s)], &a1 = spine[std::size_t(s) + 1];
                const TVector3 l0 = V3(a0.x - side.x * w0, a0.y - side.y * w0, a0.z - 0.15f), r0 = V3(a0.x + side.x * w0, a0.y + side.y * w0, a0.z - 0.15f);
                const TVector3 l1 = V3(a1.x - side.x * w1, a1.y - side.y * w1, a1.z - 0.15f), r1 = V3(a1.x + side.x * w1, a1.y + side.y * w1, a1.z - 0.15f);
                // Both faces, so the fronds show from above and from below.
                m.Quad(l0, r0, r1, l1, {uv.U0, v0, uv.U1, v1});
                m.Quad(r0, l0, l1, r1, {uv.U1, v0, uv.U0, v1});
            }
        }
    }
    WriteModel(folder, "PalmGrove", model, atlas);
}

// A wooden jetty 40 m long on piles, from the shore (its origin) out along +y, deck 2.4 m above
// the sea.
void MakePier(const std::string &folder)
{
    TCanvas atlas(256, 256);
    const TRegion deck{0, 0, 128, 256}, pile{128, 0, 192, 128}, metal{192, 0, 256, 64}, edge{128, 128, 256, 160};
    Fill(atlas, deck, [&](int x, int y) {
        const int plank = y / 6;
        const float seam = y % 6 == 0 ? 0.55f : 1.0f;
        const float grain = 0.85f + 0.2f * Noise(float(x) * 0.2f, float(y) * 2, 3, 121 + std::uint32_t(plank), 2, WorldPeriod);
        return Shade(TColor{0.52f, 0.42f, 0.3f, 1}, seam * grain * (0.9f + 0.1f * float(plank % 3)));
    });
    Fill(atlas, pile, [&](int x, int y) {
        // Green weed and wet dark wood towards the foot (the far end of the region's height).
        const float wet = SmoothStep(70, 110, float(y));
        const TColor wood = Shade(TColor{0.36f, 0.29f, 0.2f, 1}, 0.8f + 0.3f * Noise(float(x), float(y), 4, 122, 2, WorldPeriod));
        return Mix(wood, TColor{0.16f, 0.22f, 0.12f, 1}, wet);
    });
    PaintMetal(atlas, metal, {0.2f, 0.2f, 0.22f, 1}, 123, 0);
    Fill(atlas, edge, [&](int x, int y) {
        return Shade(TColor{0.45f, 0.36f, 0.26f, 1}, 0.85f + 0.2f * Noise(float(x), float(y), 5, 124, 2, WorldPeriod));
    });

    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Pier");
    TexturedBox(m, V3(-2, 0, 2.0f), V3(2, 40, 2.4f), UV(atlas, deck), UV(atlas, edge), UV(atlas, edge));
    TexturedBox(m, V3(-5, 34, 2.0f), V3(5, 40, 2.4f), UV(atlas, deck), UV(atlas, edge), UV(atlas, edge));   // the head
    for (int i = 0; i <= 8; ++i)
        for (const float x : {-1.7f, 1.7f})
            m.Cylinder(V3(x, 1 + 4.8f * float(i), -4), V3(x, 1 + 4.8f * float(i), 2.0f), 0.22f, 0.22f, 6, false, UV(atlas, pile));
    for (const float x : {-4.5f, 4.5f})
        m.Cylinder(V3(x, 38.5f, 2.4f), V3(x, 38.5f, 3.0f), 0.2f, 0.25f, 8, true, UV(atlas, metal));   // bollards
    m.Cylinder(V3(1.6f, 36, 2.4f), V3(1.6f, 36, 6.5f), 0.08f, 0.08f, 6, false, UV(atlas, metal));   // lamp post
    m.Box(V3(1.35f, 35.75f, 6.5f), V3(1.85f, 36.25f, 6.9f), UV(atlas, metal));
    WriteModel(folder, "Pier", model, atlas);
}

// A 40 m radio mast: a triangular lattice in red and white bands with a beacon, its hut and
// footing.
void MakeRadioMast(const std::string &folder)
{
    TCanvas atlas(256, 256);
    const TRegion bands{0, 0, 32, 256}, beacon{32, 0, 64, 32}, hut{64, 0, 256, 64}, roof{64, 64, 192, 128},
        footing{192, 64, 256, 128};
    Fill(atlas, bands, [](int, int y) {
        return (y * 7 / 256) % 2 ? TColor{0.92f, 0.92f, 0.9f, 1} : TColor{0.78f, 0.16f, 0.12f, 1};
    });
    Fill(atlas, beacon, [](int, int) { return TColor{1.0f, 0.25f, 0.15f, 1}; });
    PaintWindows(atlas, hut, {0.7f, 0.7f, 0.65f, 1}, 131, 2, 1, true);
    PaintConcrete(atlas, roof, {0.4f, 0.4f, 0.38f, 1}, 132);
    PaintConcrete(atlas, footing, {0.6f, 0.6f, 0.56f, 1}, 133);

    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Mast");
    const float height = 40;
    auto leg = [&](int i, float z) {
        const float a = 2 * Pi * float(i) / 3 + Pi / 2, r = 1.2f - 0.5f * z / height;
        return V3(r * std::cos(a), r * std::sin(a), z);
    };
    for (int i = 0; i < 3; ++i) {
        m.Cylinder(leg(i, 0), leg(i, height), 0.1f, 0.08f, 4, false, UV(atlas, bands));
        for (int level = 0; level < 8; ++level) {
            const float z0 = height * float(level) / 8, z1 = height * float(level + 1) / 8;
            m.Cylinder(leg(i, z0), leg((i + 1) % 3, z1), 0.04f, 0.04f, 3, false, UV(atlas, bands));
        }
    }
    m.Sphere(V3(0, 0, height + 0.3f), V3(0.35f, 0.35f, 0.35f), 8, 4, UV(atlas, beacon));
    TexturedBox(m, V3(-1.8f, -1.8f, 0), V3(1.8f, 1.8f, 0.5f), UV(atlas, footing), UV(atlas, footing), UV(atlas, footing));
    TexturedBox(m, V3(3, -2, 0), V3(7, 1, 2.6f), UV(atlas, roof), UV(atlas, hut), UV(atlas, hut));
    WriteModel(folder, "RadioMast", model, atlas);
}

// Shipping containers, two stacks of three colours and a stray one.
void MakeContainers(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TColor colours[4] = {{0.62f, 0.16f, 0.12f, 1}, {0.16f, 0.3f, 0.55f, 1}, {0.2f, 0.42f, 0.25f, 1}, {0.78f, 0.45f, 0.12f, 1}};
    TRegion sides[4], doors[4];
    for (int i = 0; i < 4; ++i) {
        sides[i] = {0, 64 * i, 384, 64 * i + 64};
        doors[i] = {384, 64 * i, 448, 64 * i + 64};
        PaintCorrugated(atlas, sides[i], colours[i], 141 + std::uint32_t(i), 40, false);
        PaintCorrugated(atlas, doors[i], colours[i], 145 + std::uint32_t(i), 4, false);
        Fill(atlas, doors[i], [&, i](int x, int y) {   // locking bars
            const TColor c = atlas.at(doors[i].X0 + x, doors[i].Y0 + y);
            return (x % 16 == 6 || x == 31) ? Shade(c, 0.5f) : c;
        });
    }
    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Containers");
    struct TBoxAt {
        float X, Y, Z;
        int Colour;
        bool Across;
    };
    const TBoxAt boxes[] = {{0, 0, 0, 0, false}, {2.5f, 0, 0, 1, false}, {5, 0, 0, 2, false},  {1.25f, 0, 2.6f, 3, false},
                            {3.75f, 0, 2.6f, 0, false}, {10, 9, 0, 1, true}};
    for (const TBoxAt &b : boxes) {
        const TUVRect side = UV(atlas, sides[b.Colour]), door = UV(atlas, doors[b.Colour]);
        if (b.Across) {
            TexturedBox(m, V3(b.X - 6.1f, b.Y - 1.22f, b.Z), V3(b.X + 6.1f, b.Y + 1.22f, b.Z + 2.6f), side, door, side);
        } else {
            TexturedBox(m, V3(b.X - 1.22f, b.Y - 6.1f, b.Z), V3(b.X + 1.22f, b.Y + 6.1f, b.Z + 2.6f), side, side, door);
        }
    }
    WriteModel(folder, "Containers", model, atlas);
}

// A field camp: three ridge tents, a flag on its pole and supply crates.
void MakeTents(const std::string &folder)
{
    TCanvas atlas(256, 256);
    const TRegion canvas{0, 0, 256, 128}, end{0, 128, 128, 192}, crate{128, 128, 192, 192}, flag{192, 128, 256, 160},
        pole{192, 160, 256, 192};
    Fill(atlas, canvas, [&](int x, int y) {
        const float seam = y % 32 == 0 ? 0.7f : 1.0f;
        return Shade(TColor{0.46f, 0.44f, 0.3f, 1}, seam * (0.85f + 0.25f * Noise(float(x), float(y), 10, 151, 3, WorldPeriod)));
    });
    Fill(atlas, end, [&](int x, int y) {
        const bool flap = std::abs(x - 64) < 14 && y > 20;
        return Shade(TColor{0.44f, 0.42f, 0.28f, 1}, (flap ? 0.6f : 1.0f) * (0.85f + 0.2f * Noise(float(x), float(y), 8, 152, 2, WorldPeriod)));
    });
    PaintMetal(atlas, crate, {0.4f, 0.37f, 0.22f, 1}, 153, 21);
    Fill(atlas, flag, [](int, int y) { return y < 16 ? TColor{0.15f, 0.35f, 0.7f, 1} : TColor{0.9f, 0.9f, 0.88f, 1}; });
    PaintMetal(atlas, pole, {0.6f, 0.6f, 0.6f, 1}, 154, 0);

    TModelBuilder model;
    TMeshBuilder &m = model.AddMesh("Camp");
    for (int i = 0; i < 3; ++i) {
        const float x = -8 + 8 * float(i);
        // Low side walls, then the ridge roof down to them.
        TexturedBox(m, V3(x - 2.2f, -3.5f, 0), V3(x + 2.2f, 3.5f, 0.7f), UV(atlas, canvas), UV(atlas, canvas), UV(atlas, end));
        GableRoof(m, x - 2.2f, x + 2.2f, -3.5f, 3.5f, 0.7f, 2.8f, 0.15f, UV(atlas, canvas), UV(atlas, end));
    }
    for (const auto &[lo, hi] : {std::pair{V3(-9, 6, 0), V3(-7.8f, 7.2f, 0.9f)}, std::pair{V3(-7.6f, 6, 0), V3(-6.4f, 7.2f, 0.9f)},
                                 std::pair{V3(-8.3f, 6.1f, 0.9f), V3(-7.1f, 7.1f, 1.8f)}})
        TexturedBox(m, lo, hi, UV(atlas, crate), UV(atlas, crate), UV(atlas, crate));
    m.Cylinder(V3(6, 7, 0), V3(6, 7, 8), 0.07f, 0.05f, 6, false, UV(atlas, pole));
    // The flag hangs from the pole's top, both faces.
    const TUVRect f = UV(atlas, flag);
    m.Quad(V3(6, 7, 6.6f), V3(7.8f, 7, 6.6f), V3(7.8f, 7, 7.8f), V3(6, 7, 7.8f), f);
    m.Quad(V3(7.8f, 7, 6.6f), V3(6, 7, 6.6f), V3(6, 7, 7.8f), V3(7.8f, 7, 7.8f), {f.U1, f.V0, f.U0, f.V1});
    WriteModel(folder, "Tents", model, atlas);
}

} // namespace

void WriteStatics(const std::string &data)
{
    const std::string folder = MakeFolder(data, "Models/Static");
    MakeLighthouse(folder);
    MakePalmGrove(folder);
    MakePier(folder);
    MakeRadioMast(folder);
    MakeContainers(folder);
    MakeTents(folder);
}
