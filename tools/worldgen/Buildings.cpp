// The destructible buildings a mission puts up with "CreateObject" OBJECT_BUILDING: each a
// "Main.otm" with its "Collision" mesh and a "Dead.otm" whose key frames bring it down.

#include "tools/worldgen/Ground.h"

#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Shapes.h"
#include "tools/worldgen/Workshop.h"

#include <cmath>

namespace {

// Sheet metal, a door or a beam flung out by the blast; its fire or smoke follows it down.
void Debris(TModelBuilder &model, const std::string &name, const TVector3 &size, const TVector3 &from,
            const TVector3 &travel, float apex, const TUVRect &uv)
{
    TMeshBuilder &piece = model.AddMesh(name);
    piece.Box(VectorScale(size, -0.5f), VectorScale(size, 0.5f), uv);
    Animate(piece, V3(0, 0, 0), Thrown(travel, apex, 0.03f, 0.7f, VectorNormalize(V3(0.3f, 1, 0.4f)), 1), from);
}

// The points of the burning wreck; every building has an explosion, fires and smoke.
void WreckPoints(TModelBuilder &model, const std::vector<std::pair<std::string, TVector3>> &points)
{
    for (const auto &[name, at] : points)
        model.AddPoint(name, at);
}

// An arched aircraft hangar, 32 m wide and 40 m deep, with its office annex and a concrete apron
// before the doors.
void MakeHangar(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion roof{0, 0, 256, 256}, front{256, 0, 512, 128}, back{256, 128, 512, 192}, office{256, 192, 512, 256},
        officeRoof{0, 256, 64, 320}, apron{256, 256, 512, 512}, apronSide{64, 256, 128, 272};
    PaintCorrugated(atlas, roof, {0.5f, 0.53f, 0.5f, 1}, 41, 48, true);
    PaintCorrugated(atlas, front, {0.56f, 0.58f, 0.55f, 1}, 42, 40, false);
    // The sliding doors: darker panels with a hazard band along the foot.
    Fill(atlas, {front.X0 + 40, front.Y0 + 30, front.X1 - 40, front.Y1}, [&](int x, int y) {
        const int px = front.X0 + 40 + x, py = front.Y0 + 30 + y;
        if (py >= front.Y1 - 6)
            return ((px + py) / 5) % 2 ? TColor{0.85f, 0.7f, 0.1f, 1} : TColor{0.1f, 0.1f, 0.1f, 1};
        const float seam = (x % 44 == 0 || x == 87) ? 0.55f : 1.0f;
        return Shade(atlas.at(px, py), 0.72f * seam);
    });
    PaintCorrugated(atlas, back, {0.52f, 0.55f, 0.52f, 1}, 43, 40, false);
    PaintWindows(atlas, office, {0.72f, 0.7f, 0.62f, 1}, 44, 6, 1, true);
    PaintConcrete(atlas, officeRoof, {0.35f, 0.34f, 0.33f, 1}, 45);
    PaintConcrete(atlas, apron, {0.6f, 0.59f, 0.55f, 1}, 46, 32);
    Fill(atlas, apron, [&](int x, int y) {   // the taxi line into the hangar
        const TColor under = atlas.at(apron.X0 + x, apron.Y0 + y);
        return std::abs(x - 128) < 3 && (y / 12) % 2 == 0 ? Mix(under, {0.9f, 0.75f, 0.15f, 1}, 0.8f) : under;
    });
    PaintConcrete(atlas, apronSide, {0.5f, 0.49f, 0.46f, 1}, 47);

    auto arch = [](float y, float a0, float a1) {
        std::vector<TVector3> section;
        for (int i = 0; i <= 6; ++i) {
            const float a = a0 + (a1 - a0) * float(i) / 6;
            section.push_back(V3(16 * std::cos(a), y, 11 * std::sin(a)));
        }
        return section;
    };
    auto wall = [&](float y) {
        std::vector<TVector3> corners = arch(y, 0, Pi / 2);
        const std::vector<TVector3> left = arch(y, Pi / 2, Pi);
        corners.insert(corners.end(), left.begin() + 1, left.end());
        return corners;
    };

    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        // The roof in four quarters, so the wreck can bring each down on its own.
        TMeshBuilder *quarters[4];
        for (int i = 0; i < 4; ++i) {
            const bool right = i % 2 == 0, rear = i < 2;
            quarters[i] = &model.AddMesh(std::string("Roof") + (rear ? "Rear" : "Front") + (right ? "Right" : "Left"));
            const float a0 = right ? 0 : Pi / 2, y0 = rear ? -20.0f : 0.0f;
            const TUVRect full = UV(atlas, roof);
            const TUVRect part = {full.U0 + (full.U1 - full.U0) * (right ? 0 : 0.5f), full.V0 + (full.V1 - full.V0) * (rear ? 0 : 0.5f),
                                  full.U0 + (full.U1 - full.U0) * (right ? 0.5f : 1), full.V0 + (full.V1 - full.V0) * (rear ? 0.5f : 1)};
            quarters[i]->Loft({arch(y0, a0, a0 + Pi / 2), arch(y0 + 20, a0, a0 + Pi / 2)}, false, false, part);
        }
        TMeshBuilder &frontWall = model.AddMesh("FrontWall");
        FlatPolygon(frontWall, wall(20), V3(0, 1, 0), V3(-1, 0, 0), V3(0, 0, 1), UV(atlas, front));
        TMeshBuilder &backWall = model.AddMesh("BackWall");
        FlatPolygon(backWall, wall(-20), V3(0, -1, 0), V3(1, 0, 0), V3(0, 0, 1), UV(atlas, back));

        TMeshBuilder &annex = model.AddMesh("Annex");
        TexturedBox(annex, V3(16, -10, 0), V3(21, 0, 4.5f), UV(atlas, officeRoof), UV(atlas, office), UV(atlas, office));
        TMeshBuilder &apronMesh = model.AddMesh("Apron");
        TexturedBox(apronMesh, V3(-17, 20, 0), V3(17, 36, 0.12f), UV(atlas, apron), UV(atlas, apronSide), UV(atlas, apronSide));

        if (!wreck) {
            TMeshBuilder &collision = model.AddMesh("Collision");
            collision.Box(V3(-16, -20, 0), V3(16, 20, 11));
            collision.Box(V3(16, -10, 0), V3(21, 0, 4.5f));
            return;
        }
        for (int i = 0; i < 4; ++i) {
            const bool right = i % 2 == 0, rear = i < 2;
            const float start = rear ? 0.12f : 0.02f;
            Animate(*quarters[i], V3(right ? 16.0f : -16.0f, 0, 0),
                    Slump(6.5f, start, start + 0.4f, V3(0, 1, 0), right ? 0.55f : -0.55f));
        }
        Animate(frontWall, V3(0, 20, 0), Topple(V3(1, 0, 0), -1.35f, 0.1f, 0.55f, 0.3f));
        Animate(backWall, V3(0, -20, 0), Topple(V3(1, 0, 0), 0.5f, 0.2f, 0.6f, 1.0f));
        Animate(annex, V3(18, -5, 0), Slump(1.5f, 0.05f, 0.45f, V3(1, 0, 0), 0.12f));
        Debris(model, "FireSheet1", V3(3, 6, 0.1f), V3(-4, -6, 11), V3(-14, -8, -10.9f), 8, UV(atlas, roof));
        Debris(model, "SmokeSheet2", V3(3, 6, 0.1f), V3(5, 6, 11), V3(12, 10, -10.9f), 6, UV(atlas, roof));
        WreckPoints(model, {{"ExplosionLarge1", V3(0, 0, 6)}, {"FireLarge1", V3(-6, -6, 2)}, {"FireLarge2", V3(7, 8, 2)},
                            {"Fire3", V3(18, -5, 2.5f)}, {"SmokeLarge1", V3(0, 0, 8)}});
    };
    WriteWithWreck(folder, atlas, 1, 10, recipe, 48);
}

// A command bunker: a battered concrete block with an observation cupola, a radio mast and a
// sandbag wall before its door.
void MakeBunker(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion walls{0, 0, 256, 128}, frontWall{256, 0, 512, 128}, roof{0, 128, 256, 384}, metal{256, 128, 384, 256},
        bags{384, 128, 512, 256};
    PaintConcrete(atlas, walls, {0.58f, 0.57f, 0.52f, 1}, 51, 32);
    PaintConcrete(atlas, frontWall, {0.58f, 0.57f, 0.52f, 1}, 52, 32);
    Fill(atlas, {frontWall.X0 + 104, frontWall.Y0 + 56, frontWall.X0 + 152, frontWall.Y1}, [](int x, int) {
        return x < 3 || x > 44 ? TColor{0.3f, 0.3f, 0.28f, 1} : TColor{0.08f, 0.08f, 0.08f, 1};   // the doorway
    });
    for (const int slit : {40, 190})   // firing slits
        Fill(atlas, {frontWall.X0 + slit, frontWall.Y0 + 40, frontWall.X0 + slit + 30, frontWall.Y0 + 48},
             [](int, int) { return TColor{0.05f, 0.05f, 0.05f, 1}; });
    PaintConcrete(atlas, roof, {0.5f, 0.5f, 0.46f, 1}, 53, 64);
    PaintMetal(atlas, metal, {0.34f, 0.36f, 0.3f, 1}, 54, 32);
    PaintSandbags(atlas, bags, 55, 5);

    // The block: a 22 x 16 m foot, a 18 x 12 m roof, 4.5 m high.
    auto corner = [](int i, bool top) {
        const float sx = (i == 1 || i == 2) ? 1.0f : -1.0f, sy = i >= 2 ? 1.0f : -1.0f;
        return top ? V3(9 * sx, 6 * sy, 4.5f) : V3(11 * sx, 8 * sy, 0);
    };
    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &block = model.AddMesh("Walls");
        block.Quad(corner(0, false), corner(1, false), corner(1, true), corner(0, true), UV(atlas, walls));    // back
        block.Quad(corner(1, false), corner(2, false), corner(2, true), corner(1, true), UV(atlas, walls));    // right
        block.Quad(corner(2, false), corner(3, false), corner(3, true), corner(2, true), UV(atlas, frontWall));
        block.Quad(corner(3, false), corner(0, false), corner(0, true), corner(3, true), UV(atlas, walls));    // left
        TMeshBuilder *slabs[2] = {&model.AddMesh("RoofLeft"), &model.AddMesh("RoofRight")};
        const TUVRect r = UV(atlas, roof);
        slabs[0]->Quad(V3(-9, -6, 4.5f), V3(0, -6, 4.5f), V3(0, 6, 4.5f), V3(-9, 6, 4.5f), {r.U0, r.V0, (r.U0 + r.U1) / 2, r.V1});
        slabs[1]->Quad(V3(0, -6, 4.5f), V3(9, -6, 4.5f), V3(9, 6, 4.5f), V3(0, 6, 4.5f), {(r.U0 + r.U1) / 2, r.V0, r.U1, r.V1});
        TMeshBuilder &cupola = model.AddMesh("Cupola");
        cupola.Cylinder(V3(-4, -2, 4.5f), V3(-4, -2, 5.6f), 1.3f, 1.1f, 10, true, UV(atlas, metal));
        TMeshBuilder &mast = model.AddMesh("Mast");
        mast.Cylinder(V3(6, -4, 4.5f), V3(6, -4, 14), 0.14f, 0.06f, 6, false, UV(atlas, metal));
        mast.Box(V3(5.5f, -4.5f, 4.5f), V3(6.5f, -3.5f, 5.1f), UV(atlas, metal));
        TMeshBuilder &sandbags = model.AddMesh("Sandbags");
        TexturedBox(sandbags, V3(-4, 9.5f, 0), V3(4, 11, 1.4f), UV(atlas, bags), UV(atlas, bags), UV(atlas, bags));

        if (!wreck) {
            TMeshBuilder &collision = model.AddMesh("Collision");
            collision.Box(V3(-11, -8, 0), V3(11, 8, 4.5f));
            collision.Box(V3(-4, 9.5f, 0), V3(4, 11, 1.4f));
            collision.Box(V3(5.5f, -4.5f, 4.5f), V3(6.5f, -3.5f, 14));   // the mast
            return;
        }
        Animate(*slabs[0], V3(-9, 0, 4.5f), Slump(1.8f, 0.05f, 0.35f, V3(0, 1, 0), 0.25f));
        Animate(*slabs[1], V3(9, 0, 4.5f), Slump(1.4f, 0.1f, 0.4f, V3(0, 1, 0), -0.2f));
        Animate(mast, V3(6, -4, 4.5f), Topple(V3(1, 0, 0), 1.3f, 0.05f, 0.6f, 0.5f));
        Animate(cupola, V3(-4, -2, 5), Thrown(V3(-5, -3, -4.5f), 4, 0.02f, 0.5f, V3(1, 0, 0), 1));
        Animate(sandbags, V3(0, 10, 0), Slump(0.6f, 0, 0.3f, V3(1, 0, 0), -0.1f));
        Debris(model, "FireDebris1", V3(1.5f, 1.2f, 0.4f), V3(2, 2, 4.5f), V3(8, 10, -4.3f), 6, UV(atlas, roof));
        WreckPoints(model, {{"ExplosionLarge1", V3(0, 0, 4)}, {"FireLarge1", V3(0, 0, 3)}, {"SmokeLarge1", V3(0, 0, 5)},
                            {"Smoke2", V3(0, 9, 2)}});
    };
    WriteWithWreck(folder, atlas, 1, 10, recipe, 56);
}

// A fuel depot: three storage tanks inside a concrete bund, a pipe run and the pump house.
void MakeFuelDepot(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion tank{0, 0, 512, 128}, cone{0, 128, 128, 256}, bund{128, 128, 384, 160}, ground{128, 160, 384, 416},
        pipe{384, 128, 448, 192}, house{384, 192, 512, 256}, houseRoof{0, 256, 128, 320}, gable{0, 320, 128, 352};
    PaintMetal(atlas, tank, {0.8f, 0.8f, 0.76f, 1}, 61, 64);
    Fill(atlas, tank, [&](int x, int y) {
        TColor c = atlas.at(tank.X0 + x, tank.Y0 + y);
        if (y > 26 && y < 38)
            c = Shade(TColor{0.72f, 0.16f, 0.1f, 1}, 0.9f + 0.1f * Noise(float(x), float(y), 8, 62, 2, WorldPeriod));   // the band
        const float rust = SmoothStep(0.55f, 0.85f, Noise(float(x), float(y) * 0.1f, 6, 63, 3, WorldPeriod)) * (1 - float(y) / 128);
        const float dirt = SmoothStep(90, 128, float(y)) * 0.35f;
        return Shade(Mix(c, {0.45f, 0.28f, 0.15f, 1}, rust * 0.6f), 1 - dirt);
    });
    PaintMetal(atlas, cone, {0.62f, 0.63f, 0.6f, 1}, 64, 0);
    PaintConcrete(atlas, bund, {0.6f, 0.58f, 0.53f, 1}, 65, 32);
    PaintConcrete(atlas, ground, {0.47f, 0.45f, 0.4f, 1}, 66, 0);
    PaintMetal(atlas, pipe, {0.55f, 0.5f, 0.2f, 1}, 67, 0);
    PaintWindows(atlas, house, {0.7f, 0.68f, 0.6f, 1}, 68, 3, 1, true);
    PaintRoofTiles(atlas, houseRoof, {0.45f, 0.47f, 0.45f, 1}, 69, 8);
    PaintConcrete(atlas, gable, {0.7f, 0.68f, 0.6f, 1}, 70);

    const float tankX[3] = {-13, 0, 13};
    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &base = model.AddMesh("Bund");
        TexturedBox(base, V3(-21, -9, 0), V3(21, 9, 0.1f), UV(atlas, ground), UV(atlas, bund), UV(atlas, bund));
        for (const auto &[lo, hi] : {std::pair{V3(-21, -9, 0), V3(21, -8.6f, 1.2f)}, std::pair{V3(-21, 8.6f, 0), V3(21, 9, 1.2f)},
                                     std::pair{V3(-21, -8.6f, 0), V3(-20.6f, 8.6f, 1.2f)}, std::pair{V3(20.6f, -8.6f, 0), V3(21, 8.6f, 1.2f)}})
            TexturedBox(base, lo, hi, UV(atlas, bund), UV(atlas, bund), UV(atlas, bund));
        TMeshBuilder *tanks[3];
        for (int i = 0; i < 3; ++i) {
            tanks[i] = &model.AddMesh("Tank" + std::to_string(i + 1));
            tanks[i]->Cylinder(V3(tankX[i], 0, 0.1f), V3(tankX[i], 0, 8.6f), 5.2f, 5.2f, 20, false, UV(atlas, tank));
        }
        TMeshBuilder &pipes = model.AddMesh("Pipes");
        pipes.Cylinder(V3(-19, -6.4f, 1.5f), V3(24, -6.4f, 1.5f), 0.3f, 0.3f, 6, true, UV(atlas, pipe));
        for (const float x : tankX)
            pipes.Cylinder(V3(x, -6.4f, 1.5f), V3(x, -4.9f, 1.5f), 0.25f, 0.25f, 6, false, UV(atlas, pipe));
        TMeshBuilder &pumpHouse = model.AddMesh("PumpHouse");
        TexturedBox(pumpHouse, V3(22, -8, 0), V3(27, -2, 3.2f), UV(atlas, houseRoof), UV(atlas, house), UV(atlas, house));
        GableRoof(pumpHouse, 22, 27, -8, -2, 3.2f, 4.6f, 0.3f, UV(atlas, houseRoof), UV(atlas, gable));

        if (!wreck) {
            // The roofs stand on the tanks; in the wreck they are flung off.
            for (int i = 0; i < 3; ++i)
                tanks[i]->Cone(V3(tankX[i], 0, 8.6f), V3(tankX[i], 0, 9.9f), 5.4f, 20, UV(atlas, cone));
            TMeshBuilder &collision = model.AddMesh("Collision");
            for (const float x : tankX)
                collision.Box(V3(x - 5.2f, -5.2f, 0), V3(x + 5.2f, 5.2f, 9.9f));
            collision.Box(V3(22, -8, 0), V3(27, -2, 4.6f));
            return;
        }
        const float lean[3] = {0.2f, -0.12f, -0.25f};
        for (int i = 0; i < 3; ++i) {
            Animate(*tanks[i], V3(tankX[i], 0, 0), Slump(4.5f, 0.03f * float(i), 0.35f + 0.05f * float(i), V3(0, 1, 0), lean[i]));
            TMeshBuilder &lid = model.AddMesh("FireRoof" + std::to_string(i + 1));
            lid.Cone(V3(0, 0, -0.6f), V3(0, 0, 0.7f), 5.4f, 16, UV(atlas, cone));
            const TVector3 fling = V3(9 * float(i - 1) + 3, 10 - 7 * float(i), -8.6f);
            Animate(lid, V3(0, 0, 0), Thrown(fling, 26 - 4 * float(i), 0.02f * float(i), 0.75f, VectorNormalize(V3(1, 0.5f, 0)), 1),
                    V3(tankX[i], 0, 9.2f));
        }
        Animate(pipes, V3(0, -6.4f, 0), Slump(0.8f, 0.05f, 0.3f, V3(1, 0, 0), 0.05f));
        Animate(pumpHouse, V3(24.5f, -5, 0), Slump(1.2f, 0.1f, 0.5f, V3(0, 1, 0), 0.15f));
        WreckPoints(model, {{"Explosion_VeryLarge", V3(0, 0, 6)}, {"Fire_VeryLarge1", V3(-13, 0, 3)}, {"FireLarge2", V3(0, 0, 3)},
                            {"Fire_VeryLarge3", V3(13, 0, 3)}, {"Smoke_VeryLarge1", V3(0, 0, 10)}});
    };
    WriteWithWreck(folder, atlas, 1, 10, recipe, 71);
}

// The rotating search antenna of the radar station: a shallow V of three panels on a mount.
void RadarAntenna(TMeshBuilder &mesh, const TVector3 &at, const TUVRect &panel, const TUVRect &metal)
{
    const float w = 3.0f;
    for (int i = -1; i <= 1; ++i) {
        const float back = i == 0 ? 0.0f : 0.55f;
        mesh.Transform = Placement(V3(at.x + float(i) * w, at.y - back, at.z), V3(0, 0, float(i) * 0.18f));
        mesh.Box(V3(-w / 2, -0.15f, 0.3f), V3(w / 2, 0.15f, 2.6f), panel);
    }
    mesh.Transform = MatrixIdentity();
    mesh.Box(V3(at.x - 0.3f, at.y - 1.2f, at.z), V3(at.x + 0.3f, at.y, at.z + 1.2f), metal);
}

// A radar station: the operations block with its radome, and a lattice tower carrying the
// turning search antenna.
void MakeRadarStation(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion walls{0, 0, 256, 128}, roof{0, 128, 256, 256}, dome{256, 0, 384, 128}, steel{256, 128, 384, 256},
        panel{384, 0, 512, 128}, ends{384, 128, 512, 256};
    PaintWindows(atlas, walls, {0.74f, 0.73f, 0.68f, 1}, 81, 8, 2, true);
    PaintConcrete(atlas, roof, {0.4f, 0.4f, 0.38f, 1}, 82, 64);
    PaintMetal(atlas, dome, {0.88f, 0.88f, 0.86f, 1}, 83, 32);
    PaintMetal(atlas, steel, {0.55f, 0.56f, 0.56f, 1}, 84, 0);
    Fill(atlas, panel, [&](int x, int y) {   // reflector mesh
        const bool wire = x % 8 == 0 || y % 8 == 0;
        return wire ? TColor{0.75f, 0.76f, 0.75f, 1} : TColor{0.42f, 0.44f, 0.45f, 1};
    });
    PaintWindows(atlas, ends, {0.74f, 0.73f, 0.68f, 1}, 85, 3, 2, false);

    const TVector3 mount = V3(-12, 0, 18.5f);
    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &block = model.AddMesh("Block");
        TexturedBox(block, V3(-7, -5, 0), V3(7, 5, 5), UV(atlas, roof), UV(atlas, ends), UV(atlas, walls));
        TMeshBuilder &radome = model.AddMesh("Radome");
        radome.Sphere(V3(3, 0, 5.8f), V3(3, 3, 3), 14, 8, UV(atlas, dome));

        TMeshBuilder &tower = model.AddMesh("Tower");
        const float foot = 2.2f, head = 0.8f, height = 18;
        auto leg = [&](int i, float z) {
            const float s = foot + (head - foot) * z / height;
            const float sx = (i == 1 || i == 2) ? 1.0f : -1.0f, sy = i >= 2 ? 1.0f : -1.0f;
            return V3(mount.x + s * sx, mount.y + s * sy, z);
        };
        for (int i = 0; i < 4; ++i) {
            tower.Cylinder(leg(i, 0), leg(i, height), 0.18f, 0.12f, 4, false, UV(atlas, steel));
            for (int level = 0; level < 3; ++level) {   // cross braces on each face
                const float z0 = height * float(level) / 3, z1 = height * float(level + 1) / 3;
                tower.Cylinder(leg(i, z0), leg((i + 1) % 4, z1), 0.06f, 0.06f, 4, false, UV(atlas, steel));
                tower.Cylinder(leg((i + 1) % 4, z0), leg(i, z1), 0.06f, 0.06f, 4, false, UV(atlas, steel));
            }
        }
        TexturedBox(tower, V3(mount.x - 1.6f, mount.y - 1.6f, height), V3(mount.x + 1.6f, mount.y + 1.6f, height + 0.5f),
                    UV(atlas, steel), UV(atlas, steel), UV(atlas, steel));

        if (!wreck) {
            TMeshBuilder &antenna = model.AddMesh("Antenna");
            RadarAntenna(antenna, mount, UV(atlas, panel), UV(atlas, steel));
            // One sweep every four seconds.
            Animate(antenna, mount, [](float t) {
                TPose pose;
                pose.Rotation = KeyRotation(V3(0, 0, 1), -2 * Pi * t);
                return pose;
            });
            TMeshBuilder &collision = model.AddMesh("Collision");
            collision.Box(V3(-7, -5, 0), V3(7, 5, 8.8f));
            collision.Box(V3(mount.x - foot, mount.y - foot, 0), V3(mount.x + foot, mount.y + foot, height + 3));
            return;
        }
        Animate(tower, V3(mount.x, 0, 0), Topple(V3(1, 0, 0), 1.5f, 0.08f, 0.65f));
        Animate(radome, V3(3, 0, 5), Thrown(V3(10, 5, -2.8f), 3, 0.05f, 0.5f, V3(0, 1, 0), 0.6f));
        Animate(block, V3(0, 0, 0), Slump(0.6f, 0.02f, 0.3f, V3(0, 1, 0), 0.03f));
        TMeshBuilder &antenna = model.AddMesh("FireAntenna");
        RadarAntenna(antenna, V3(0, 0, 0), UV(atlas, panel), UV(atlas, steel));
        Animate(antenna, V3(0, 0, 0), Thrown(V3(-6, 14, -18.2f), 5, 0.05f, 0.6f, V3(0, 1, 0), 1), mount);
        WreckPoints(model, {{"ExplosionLarge1", V3(0, 0, 5)}, {"FireLarge1", V3(0, 0, 4)}, {"Fire2", V3(-12, 0, 1)},
                            {"SmokeLarge1", V3(2, 0, 7)}});
    };
    WriteWithWreck(folder, atlas, 16, 4, recipe, 86);
}

// Barracks: a long whitewashed block under a tiled roof, with a porch and a chimney.
void MakeBarracks(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion sides{0, 0, 512, 64}, ends{0, 64, 128, 128}, gable{128, 64, 256, 128}, roof{0, 128, 256, 384},
        plinth{256, 128, 512, 160}, brick{256, 160, 320, 224}, wood{320, 160, 384, 224};
    PaintWindows(atlas, sides, {0.8f, 0.77f, 0.68f, 1}, 91, 10, 1, true);
    PaintWindows(atlas, ends, {0.8f, 0.77f, 0.68f, 1}, 92, 1, 1, true);
    PaintConcrete(atlas, gable, {0.8f, 0.77f, 0.68f, 1}, 93);
    PaintRoofTiles(atlas, roof, {0.6f, 0.3f, 0.2f, 1}, 94, 24);
    PaintConcrete(atlas, plinth, {0.45f, 0.44f, 0.41f, 1}, 95);
    PaintRoofTiles(atlas, brick, {0.55f, 0.3f, 0.22f, 1}, 96, 10);
    PaintCorrugated(atlas, wood, {0.45f, 0.33f, 0.2f, 1}, 97, 10, false);

    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &walls = model.AddMesh("Walls");
        TexturedBox(walls, V3(-5.3f, -15.3f, 0), V3(5.3f, 15.3f, 0.4f), UV(atlas, plinth), UV(atlas, plinth), UV(atlas, plinth));
        walls.Quad(V3(5, -15, 0.4f), V3(5, 15, 0.4f), V3(5, 15, 3.6f), V3(5, -15, 3.6f), UV(atlas, sides));      // +x
        walls.Quad(V3(-5, 15, 0.4f), V3(-5, -15, 0.4f), V3(-5, -15, 3.6f), V3(-5, 15, 3.6f), UV(atlas, sides));   // -x
        TMeshBuilder &frontEnd = model.AddMesh("FrontEnd");
        frontEnd.Quad(V3(5, 15, 0.4f), V3(-5, 15, 0.4f), V3(-5, 15, 3.6f), V3(5, 15, 3.6f), UV(atlas, ends));
        frontEnd.Triangle(V3(5, 15, 3.6f), V3(-5, 15, 3.6f), V3(0, 15, 6.2f), UV(atlas, gable));
        // The porch over the door.
        frontEnd.Box(V3(-2, 15, 3.0f), V3(2, 17.5f, 3.2f), UV(atlas, wood));
        for (const float x : {-1.8f, 1.8f})
            frontEnd.Box(V3(x - 0.1f, 17.2f, 0.4f), V3(x + 0.1f, 17.4f, 3.0f), UV(atlas, wood));
        TMeshBuilder &backEnd = model.AddMesh("BackEnd");
        backEnd.Quad(V3(-5, -15, 0.4f), V3(5, -15, 0.4f), V3(5, -15, 3.6f), V3(-5, -15, 3.6f), UV(atlas, ends));
        backEnd.Triangle(V3(-5, -15, 3.6f), V3(5, -15, 3.6f), V3(0, -15, 6.2f), UV(atlas, gable));
        TMeshBuilder &left = model.AddMesh("RoofLeft"), &right = model.AddMesh("RoofRight");
        GableRoof(left, -5, 5, -15, 15, 3.6f, 6.2f, 0.6f, UV(atlas, roof), UV(atlas, gable), RoofLeft);
        GableRoof(right, -5, 5, -15, 15, 3.6f, 6.2f, 0.6f, UV(atlas, roof), UV(atlas, gable), RoofRight);
        TMeshBuilder &chimney = model.AddMesh("Chimney");
        TexturedBox(chimney, V3(1.6f, 7.5f, 4.5f), V3(2.6f, 8.5f, 7.4f), UV(atlas, brick), UV(atlas, brick), UV(atlas, brick));

        if (!wreck) {
            TMeshBuilder &collision = model.AddMesh("Collision");
            collision.Box(V3(-5.6f, -15.6f, 0), V3(5.6f, 15.6f, 6.2f));
            collision.Box(V3(-2, 15.6f, 0), V3(2, 17.5f, 3.2f));            // the porch
            collision.Box(V3(1.6f, 7.5f, 6.2f), V3(2.6f, 8.5f, 7.4f));      // the chimney
            return;
        }
        Animate(left, V3(-5, 0, 3.6f), Slump(3.0f, 0.05f, 0.4f, V3(0, 1, 0), 0.5f));
        Animate(right, V3(5, 0, 3.6f), Slump(3.2f, 0.1f, 0.45f, V3(0, 1, 0), -0.45f));
        Animate(frontEnd, V3(0, 15, 0.4f), Topple(V3(1, 0, 0), -1.4f, 0.15f, 0.6f, 0.3f));
        Animate(backEnd, V3(0, -15, 0.4f), Topple(V3(1, 0, 0), 0.35f, 0.2f, 0.5f, 0.2f));
        Animate(chimney, V3(2.1f, 8, 4.5f), Topple(V3(0, 1, 0), 1.4f, 0.02f, 0.4f, 1.5f));
        Animate(walls, V3(0, 0, 0), Slump(0.5f, 0.1f, 0.5f, V3(0, 1, 0), 0));
        Debris(model, "FireBeam1", V3(0.4f, 5, 0.4f), V3(-2, 3, 5), V3(-12, 4, -4.8f), 6, UV(atlas, wood));
        WreckPoints(model, {{"ExplosionLarge1", V3(0, 0, 3)}, {"FireLarge1", V3(0, -6, 2)}, {"FireLarge2", V3(0, 7, 2)},
                            {"SmokeLarge1", V3(0, 0, 5)}});
    };
    WriteWithWreck(folder, atlas, 1, 10, recipe, 98);
}

} // namespace

void WriteBuildings(const std::string &data)
{
    MakeHangar(MakeFolder(data, "Models/Buildings/Hangar"));
    MakeBunker(MakeFolder(data, "Models/Buildings/Bunker"));
    MakeFuelDepot(MakeFolder(data, "Models/Buildings/FuelDepot"));
    MakeRadarStation(MakeFolder(data, "Models/Buildings/RadarStation"));
    MakeBarracks(MakeFolder(data, "Models/Buildings/Barracks"));
}
