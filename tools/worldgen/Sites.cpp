// The two air-defence sites: the SAM site (a launcher pit with its radar trailer) and the
// self-propelled anti-aircraft gun. Their turrets are separate models set on the "Gun" point.

#include "tools/worldgen/Ground.h"

#include "tools/worldgen/Paint.h"
#include "tools/worldgen/Shapes.h"
#include "tools/worldgen/Workshop.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

// A small charred plate thrown out by the blast, built around its origin so its fire follows it.
void Debris(TModelBuilder &model, const std::string &name, const TVector3 &from, const TVector3 &travel, float apex,
            const TUVRect &uv)
{
    TMeshBuilder &piece = model.AddMesh(name);
    piece.Box(V3(-0.5f, -0.35f, -0.12f), V3(0.5f, 0.35f, 0.12f), uv);
    Animate(piece, V3(0, 0, 0), Thrown(travel, apex, 0.02f, 0.6f, VectorNormalize(V3(1, 0.4f, 0.2f)), 1.5f), from);
}

// The SAM site: a concrete apron, a horseshoe of sandbags round the launcher pedestal, the radar
// trailer with its turning dish, a generator and missile crates. The launcher stands on "Gun".
void MakeSam(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion pad{0, 0, 256, 256}, padSide{0, 256, 256, 288}, bags{448, 0, 512, 512}, metal{256, 0, 384, 128},
        trailerSide{256, 128, 448, 192}, trailerEnd{256, 192, 320, 256}, tread{320, 192, 352, 224}, wheel{352, 192, 384, 224},
        dish{384, 192, 448, 256}, camo{0, 288, 128, 416}, crate{128, 288, 256, 352};
    PaintConcrete(atlas, pad, {0.62f, 0.6f, 0.55f, 1}, 11, 32);
    // Painted guides on the apron: a ring round the launcher and the lane to the trailer.
    Fill(atlas, pad, [&](int x, int y) {
        const float wx = -9.5f + float(x) / 256 * 27.5f, wy = 10 - float(y) / 256 * 20;
        const float r = std::hypot(wx, wy);
        const bool ring = std::fabs(r - 4.6f) < 0.12f;
        const bool lane = wx > 8 && std::fabs(std::fabs(wy) - 1.1f) < 0.1f && wx < 17;
        const TColor &under = atlas.at(x, y);
        return ring || lane ? Mix(under, {0.85f, 0.72f, 0.2f, 1}, 0.75f) : under;
    });
    PaintConcrete(atlas, padSide, {0.5f, 0.48f, 0.44f, 1}, 12);
    PaintSandbags(atlas, bags, 13, 8, true);
    PaintMetal(atlas, metal, {0.33f, 0.36f, 0.22f, 1}, 14, 32);
    PaintMetal(atlas, trailerSide, {0.33f, 0.36f, 0.22f, 1}, 15, 32);
    Fill(atlas, {trailerSide.X0 + 70, trailerSide.Y0 + 10, trailerSide.X0 + 100, trailerSide.Y1 - 6},
         [](int, int) { return TColor{0.22f, 0.24f, 0.15f, 1}; });   // the cabin door
    PaintMetal(atlas, trailerEnd, {0.3f, 0.33f, 0.2f, 1}, 16, 16);
    PaintTrack(atlas, tread, 17, 8);
    PaintWheel(atlas, wheel, {0.12f, 0.12f, 0.12f, 1}, {0.3f, 0.33f, 0.2f, 1});
    PaintMetal(atlas, dish, {0.72f, 0.74f, 0.72f, 1}, 18, 8);
    PaintCamouflage(atlas, camo, 19, 18);
    PaintMetal(atlas, crate, {0.36f, 0.34f, 0.2f, 1}, 20, 21);

    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &apron = model.AddMesh("Apron");
        apron.Extrude({{-9.5f, -8}, {-7.5f, -10}, {18, -10}, {18, 10}, {-7.5f, 10}, {-9.5f, 8}}, 0, 0.35f, UV(atlas, padSide),
                      UV(atlas, pad));

        TMeshBuilder &berm = model.AddMesh("Berm");
        Berm(berm, V3(0, 0, 0.35f), 7, 0.45f, 2 * Pi - 0.45f, 1.3f, 1.8f, 28, UV(atlas, bags));

        TMeshBuilder &pedestal = model.AddMesh("Pedestal");
        pedestal.Cylinder(V3(0, 0, 0.35f), V3(0, 0, 1.5f), 1.4f, 1.2f, 12, true, UV(atlas, metal));

        TMeshBuilder &trailer = model.AddMesh("Trailer");
        TexturedBox(trailer, V3(10.8f, 1.5f, 0.9f), V3(13.2f, 6.5f, 2.7f), UV(atlas, metal), UV(atlas, trailerSide),
                    UV(atlas, trailerEnd));
        for (const float y : {2.5f, 5.5f})
            for (const float x : {10.6f, 13.4f})
                Wheel(trailer, V3(x, y, 0.45f), 0.45f, 0.3f, 10, UV(atlas, tread), UV(atlas, wheel));
        trailer.Box(V3(11.85f, -0.2f, 0.7f), V3(12.15f, 1.5f, 0.9f), UV(atlas, metal));   // tow bar
        trailer.Cylinder(V3(12, 4, 2.7f), V3(12, 4, 5.1f), 0.16f, 0.12f, 6, false, UV(atlas, metal));

        TMeshBuilder &antenna = model.AddMesh("Dish");
        antenna.Sphere(V3(12.35f, 4, 5.5f), V3(0.22f, 1.8f, 0.9f), 12, 6, UV(atlas, dish));
        antenna.Box(V3(12.5f, 3.85f, 5.35f), V3(13.3f, 4.15f, 5.65f), UV(atlas, metal));   // feed horn

        TMeshBuilder &generator = model.AddMesh("Generator");
        TexturedBox(generator, V3(12, -6.5f, 0.35f), V3(14, -3.5f, 1.9f), UV(atlas, camo), UV(atlas, camo), UV(atlas, camo));
        generator.Cylinder(V3(13.5f, -4, 1.9f), V3(13.5f, -4, 2.6f), 0.1f, 0.1f, 6, false, UV(atlas, metal));

        TMeshBuilder &crates = model.AddMesh("Crates");
        for (const auto &[lo, hi] : {std::pair{V3(9, -9.5f, 0.35f), V3(10.2f, -6.5f, 1.1f)},
                                     std::pair{V3(10.4f, -9.5f, 0.35f), V3(11.6f, -6.5f, 1.1f)},
                                     std::pair{V3(9.7f, -9.3f, 1.1f), V3(10.9f, -6.7f, 1.85f)}})
            TexturedBox(crates, lo, hi, UV(atlas, crate), UV(atlas, crate), UV(atlas, crate));

        if (!wreck) {
            // The dish sweeps the sky once every four seconds.
            Animate(antenna, V3(12, 4, 0), [](float t) {
                TPose pose;
                pose.Rotation = KeyRotation(V3(0, 0, 1), 2 * Pi * t);
                return pose;
            });
            model.AddMesh("Collision").Box(V3(-9.5f, -10, 0), V3(18, 10, 2.8f));
            model.AddPoint("Gun", V3(0, 0, 1.5f));
            return;
        }
        Animate(berm, V3(0, 0, 0), Slump(0.25f, 0, 0.3f, V3(0, 0, 1), 0));
        Animate(pedestal, V3(0, 0, 0.35f), Topple(VectorNormalize(V3(1, 0.5f, 0)), 0.5f, 0, 0.3f, 0.2f));
        Animate(trailer, V3(13.2f, 4, 0), Topple(V3(0, 1, 0), 1.45f, 0.05f, 0.45f));
        Animate(antenna, V3(12, 4, 5.5f), Thrown(V3(-4, 3, -5.2f), 4, 0.08f, 0.5f, V3(1, 0, 0), 1.5f));
        Animate(generator, V3(13, -5, 0.35f), Slump(0.3f, 0, 0.4f, V3(0, 1, 0), 0.15f));
        Animate(crates, V3(10, -8, 0.35f), Slump(0.5f, 0, 0.5f, V3(1, 0, 0), -0.2f));
        // The launcher rails, torn off the pedestal, trail smoke as they fall.
        TMeshBuilder &rails = model.AddMesh("SmokeRails");
        rails.Box(V3(-0.4f, -3, -0.3f), V3(0.4f, 3, 0.3f), UV(atlas, metal));
        Animate(rails, V3(0, 0, 0), Thrown(V3(4, -3, -1.5f), 5, 0.02f, 0.45f, V3(0, 1, 0), 1), V3(0, 0, 1.8f));
        Debris(model, "FireDebris1", V3(0, 0, 1.5f), V3(-9, 6, -1.3f), 6, UV(atlas, metal));
        Debris(model, "FireDebris2", V3(0, 0, 1.5f), V3(5, 9, -1.3f), 8, UV(atlas, metal));
        model.AddPoint("ExplosionLarge1", V3(0, 0, 1.5f));
        model.AddPoint("FireLarge1", V3(0, 0, 0.8f));
        model.AddPoint("Fire2", V3(12.5f, 3.5f, 1.0f));
        model.AddPoint("SmokeLarge1", V3(0, 0, 2));
        model.AddPoint("Smoke2", V3(13, -5, 1.5f));
    };
    WriteWithWreck(folder, atlas, 16, 4, recipe, 21);
}

// The anti-aircraft gun: a tracked hull with road wheels, fenders and the turret ring; the gun
// turret stands on "Gun".
void MakeShilka(const std::string &folder)
{
    TCanvas atlas(512, 512);
    const TRegion camo{0, 0, 256, 256}, track{256, 0, 320, 256}, trackSide{320, 0, 512, 64}, wheel{320, 64, 384, 128},
        metal{384, 64, 512, 192}, grille{320, 128, 384, 192};
    PaintCamouflage(atlas, camo, 31, 26);
    PaintTrack(atlas, track, 32, 40);
    PaintMetal(atlas, trackSide, {0.2f, 0.2f, 0.18f, 1}, 33, 0);
    PaintWheel(atlas, wheel, {0.14f, 0.14f, 0.13f, 1}, {0.32f, 0.35f, 0.2f, 1});
    PaintMetal(atlas, metal, {0.32f, 0.35f, 0.2f, 1}, 34, 32);
    PaintTrack(atlas, grille, 35, 10);

    const std::vector<std::array<float, 2>> shape = {{-1.3f, 0.5f}, {1.3f, 0.5f},  {1.5f, 0.95f},  {1.5f, 1.6f},
                                                     {1.35f, 1.85f}, {-1.35f, 1.85f}, {-1.5f, 1.6f}, {-1.5f, 0.95f}};
    auto section = [&](float y, float z0, float squash) {
        std::vector<TVector3> s;
        for (const auto &p : shape)
            s.push_back(V3(p[0], y, z0 + (p[1] - 0.5f) * squash));
        return s;
    };

    const TModelRecipe recipe = [&](TModelBuilder &model, bool wreck) {
        TMeshBuilder &hull = model.AddMesh("Hull");
        hull.Loft({section(-3.25f, 0.55f, 0.85f), section(-3.05f, 0.5f, 1), section(2.3f, 0.5f, 1), section(3.3f, 0.6f, 0.4f)},
                  true, true, UV(atlas, camo));
        for (const float side : {-1.0f, 1.0f})   // fenders over the tracks
            hull.Box(V3(side > 0 ? 1.0f : -1.65f, -3.25f, 0.88f), V3(side > 0 ? 1.65f : -1.0f, 3.2f, 0.95f), UV(atlas, metal));
        hull.Cylinder(V3(0, -0.4f, 1.85f), V3(0, -0.4f, 1.95f), 1.05f, 1.05f, 16, true, UV(atlas, metal));
        hull.Box(V3(-0.9f, 1.3f, 1.85f), V3(-0.3f, 2.0f, 1.95f), UV(atlas, metal));   // driver's hatch
        hull.Box(V3(-1.0f, -3.0f, 1.85f), V3(1.0f, -2.2f, 1.9f), UV(atlas, grille));  // engine grille
        for (const float x : {-1.1f, 1.1f})
            hull.Cylinder(V3(x, 3.0f, 0.95f), V3(x, 3.25f, 0.95f), 0.12f, 0.12f, 8, true, UV(atlas, metal));   // lamps

        TMeshBuilder *tracks[2] = {&model.AddMesh("TrackLeft"), &model.AddMesh("TrackRight")};
        for (int i = 0; i < 2; ++i) {
            const float side = i ? 1.0f : -1.0f, inner = 1.0f * side, outer = 1.6f * side;
            TexturedBox(*tracks[i], V3(std::min(inner, outer), -3.2f, 0.05f), V3(std::max(inner, outer), 3.0f, 0.85f),
                        UV(atlas, track), UV(atlas, trackSide), UV(atlas, track));
            for (int w = 0; w < 6; ++w)
                Disc(*tracks[i], V3(outer + 0.01f * side, -2.5f + 0.95f * float(w), 0.42f), V3(side, 0, 0), 0.36f, 10,
                     UV(atlas, wheel));
            Disc(*tracks[i], V3(outer + 0.01f * side, 2.7f, 0.55f), V3(side, 0, 0), 0.28f, 8, UV(atlas, wheel));
        }

        if (!wreck) {
            model.AddMesh("Collision").Box(V3(-1.65f, -3.3f, 0), V3(1.65f, 3.3f, 1.95f));
            model.AddPoint("Gun", V3(0, -0.4f, 1.95f));
            return;
        }
        Animate(hull, V3(0, 0, 0), Slump(0.25f, 0, 0.4f, V3(0, 1, 0), 0.1f));
        Animate(*tracks[1], V3(0, 0, 0), Slump(0.25f, 0, 0.4f, V3(0, 1, 0), 0.1f));
        Animate(*tracks[0], V3(-1.6f, 0, 0), Topple(V3(0, 1, 0), -1.2f, 0.1f, 0.5f));
        // The turret is blown off the ring and lands beside the hull, smoking.
        TMeshBuilder &turret = model.AddMesh("SmokeTurret");
        turret.Loft({{V3(-1.1f, -1.3f, 0), V3(1.1f, -1.3f, 0), V3(0.9f, -1.1f, 0.9f), V3(-0.9f, -1.1f, 0.9f)},
                     {V3(-1.1f, 1.4f, 0), V3(1.1f, 1.4f, 0), V3(0.8f, 1.0f, 0.9f), V3(-0.8f, 1.0f, 0.9f)}},
                    true, true, UV(atlas, camo));
        for (const float x : {-0.45f, 0.45f})
            turret.Cylinder(V3(x, 1.2f, 0.5f), V3(x, 2.3f, 0.9f), 0.09f, 0.08f, 6, false, UV(atlas, metal));
        Animate(turret, V3(0, 0, 0), Thrown(V3(7, -3, -1.05f), 6, 0, 0.55f, V3(0, 1, 0), 0.5f), V3(0, -0.4f, 1.95f));
        Debris(model, "FireDebris1", V3(0, -2.5f, 1.9f), V3(-6, -5, -1.75f), 6, UV(atlas, metal));
        model.AddPoint("ExplosionLarge1", V3(0, 0, 2));
        model.AddPoint("FireLarge1", V3(0, -0.4f, 1.9f));
        model.AddPoint("Fire2", V3(0, -2.6f, 1.9f));
        model.AddPoint("SmokeLarge1", V3(0, -1, 2.2f));
    };
    WriteWithWreck(folder, atlas, 1, 10, recipe, 36);
}

} // namespace

void WriteSites(const std::string &data)
{
    MakeSam(MakeFolder(data, "Models/Buildings/SAM"));
    MakeShilka(MakeFolder(data, "Models/Buildings/Shilka"));
}
