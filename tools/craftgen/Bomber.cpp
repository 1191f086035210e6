// The bomber "Su25": a 16 m twin-engine attack aircraft with a straight shoulder wing, wingtip
// pods and four bombs under the wings, in desert camouflage. Its three falling wrecks and the
// static wreck on the ground are built from the same parts.

#include "tools/craftgen/Livery.h"

#include <cmath>

namespace {

constexpr float SplitY = -2.5f;   // where the tail breaks off

const std::vector<TStation> Stations = {
    {8.0f, 0.0f, 0.0f, 0.0f, 0.0f, 2.2f},     {7.6f, 0.2f, 0.2f, 0.2f, 0.0f, 2.2f},     {6.8f, 0.45f, 0.45f, 0.42f, 0.05f, 2.2f},
    {5.6f, 0.62f, 0.62f, 0.6f, 0.1f, 2.2f},   {4.2f, 0.72f, 0.72f, 0.68f, 0.1f, 2.2f},  {2.5f, 0.78f, 0.8f, 0.75f, 0.1f, 2.2f},
    {0.0f, 0.8f, 0.82f, 0.78f, 0.1f, 2.2f},   {SplitY, 0.72f, 0.75f, 0.7f, 0.15f, 2.2f}, {-4.5f, 0.55f, 0.6f, 0.5f, 0.25f, 2.2f},
    {-6.5f, 0.35f, 0.45f, 0.3f, 0.35f, 2.2f}, {-7.6f, 0.12f, 0.18f, 0.1f, 0.4f, 2.2f},
};

float AtY(float y) { return (8.0f - y) / 15.6f; }

TMatrix4 At(const TVector3 &offset, bool mirror = false)
{
    return Placement(offset, V3(0, 0, 0), V3(mirror ? -1.0f : 1.0f, 1, 1));
}

TCraftSkin Paint(const std::string &font)
{
    TCraftSkin s;
    TAtlas &a = s.Atlas;
    const TLivery livery{{Rgb(180, 160, 120), Rgb(136, 104, 68), Rgb(92, 108, 62)}, Rgb(156, 174, 190), Rgb(70, 70, 66), 46, 11};
    PaintBody(a, s.Fuselage, livery, {AtY(6.8f), AtY(5.6f), AtY(3.0f), AtY(1.0f), AtY(-1.0f), AtY(SplitY), AtY(-4.5f), AtY(-6.5f)});
    a.Blend(s.Fuselage, [](float, float v) { TColor c = Rgb(60, 62, 60); c.a = v < AtY(7.2f) ? 1.0f : 0.0f; return c; });
    for (const float u : {0.27f, 0.73f})
        a.Text(s.Fuselage, font, "34", u, AtY(6.2f), 16, Rgb(190, 30, 30), u < 0.5f ? 1 : 3);
    PaintLifting(a, s.Wing, livery, false);
    Insignia(a, s.Wing, 0.25f, 0.72f, 22, 14);
    PaintLifting(a, s.Tail, livery, true);
    for (const float u : {0.25f, 0.75f})
        Insignia(a, s.Tail.Part(0, 0, 1, 0.5f), u, 0.55f, 14, 18);
    PaintBody(a, s.Nacelle, livery, {0.15f, 0.5f, 0.85f});
    a.Blend(s.Nacelle, [](float, float v) { TColor c = Rgb(50, 48, 46); c.a = SmoothStep(0.8f, 1.0f, v) * 0.8f; return c; });
    PaintGlass(a, s.Canopy, {0.05f, 0.3f, 0.65f, 0.95f});
    PaintFittings(a, s, Rgb(255, 130, 40));
    a.Fill(s.Stores, [](float u, float v) {
        const bool band = (v > 0.12f && v < 0.16f) || (v > 0.2f && v < 0.24f);
        return Shade(band ? Rgb(214, 176, 40) : Rgb(86, 96, 62), 0.9f + 0.1f * std::cos((u - 0.5f) * 2 * Pi));
    });
    return s;
}

// A bomb hanging from a pylon under the wing at (X, Y) of its nose, with the pylon up to Z.
void Bomb(TMeshBuilder &m, const TCraftSkin &s, float x, float y, float z, float pylonTop, int lod)
{
    const TUVRect stores = s.Atlas.UV(s.Stores);
    m.Transform = At(V3(x, y, z));
    Body(m, {{0, 0, 0, 0, 0}, {-0.2f, 0.14f, 0.14f, 0.14f, 0}, {-0.6f, 0.22f, 0.22f, 0.22f, 0}, {-1.7f, 0.22f, 0.22f, 0.22f, 0},
             {-2.4f, 0.08f, 0.08f, 0.08f, 0}},
         Segments(8, lod), stores, false, true);
    for (int k = 0; k < (lod < 2 ? 4 : 0); ++k) {   // fins too small to see from afar
        const float a = Pi / 4 + float(k) * Pi / 2;
        const TVector3 out = V3(std::cos(a), 0, std::sin(a));
        Plate(m, out * 0.06f + V3(0, -1.9f, 0), out * 0.06f + V3(0, -2.45f, 0), out * 0.3f + V3(0, -2.45f, 0),
              out * 0.3f + V3(0, -2.1f, 0), 0.02f, stores);
    }
    m.Transform = MatrixIdentity();
    Plate(m, V3(x, y - 0.7f, z + 0.2f), V3(x, y - 1.6f, z + 0.2f), V3(x, y - 1.8f, pylonTop), V3(x, y - 0.5f, pylonTop), 0.08f,
          s.Atlas.UV(s.Metal));
}

void Parts(TMeshBuilder &m, const TCraftSkin &s, unsigned parts, int lod = 0)
{
    const TAtlas &a = s.Atlas;
    const std::vector<TStation> front(Stations.begin(), Stations.begin() + 8), rear(Stations.begin() + 7, Stations.end());
    const TUVRect torn = a.UV(s.Metal);
    if (parts & PartFront) {
        const auto rings = Body(m, front, Segments(16, lod), a.UV(s.Fuselage.Part(0, 0, 1, AtY(SplitY))));
        if (!(parts & PartRear))
            Cap(m, rings.back(), V3(0, -1, 0), torn);
        Body(m, {{5.9f, 0.05f, 0.05f, 0.1f, 0.72f}, {5.3f, 0.42f, 0.3f, 0.2f, 0.75f}, {4.5f, 0.5f, 0.45f, 0.22f, 0.78f},
                 {3.6f, 0.45f, 0.4f, 0.2f, 0.8f}, {3.0f, 0.1f, 0.05f, 0.1f, 0.78f}},
             Segments(12, lod), a.UV(s.Canopy));
        for (const bool left : {false, true}) {
            m.Transform = At(V3(left ? -1.05f : 1.05f, 0, -0.05f));
            const auto pod = Body(m, {{2.2f, 0.48f, 0.48f, 0.48f, 0}, {1.5f, 0.56f, 0.56f, 0.56f, 0}, {-3.5f, 0.56f, 0.56f, 0.56f, 0},
                                      {-4.8f, 0.46f, 0.46f, 0.46f, 0}, {-5.3f, 0.4f, 0.4f, 0.4f, 0}},
                                  Segments(12, lod), a.UV(s.Nacelle));
            Cap(m, pod.front(), V3(0, 1, 0), a.UV(s.Mouth));
            Cap(m, pod.back(), V3(0, -1, 0), a.UV(s.Glow));
            m.Transform = MatrixIdentity();
        }
    }
    if (parts & PartRear) {
        const auto rings = Body(m, rear, Segments(16, lod), a.UV(s.Fuselage.Part(0, AtY(SplitY), 1, 1)), false, true);
        if (!(parts & PartFront))
            Cap(m, rings.front(), V3(0, 1, 0), torn);
        Wing(m, {{V3(0, -4.2f, 0.55f), 3.3f, 0.1f}, {V3(0, -6.6f, 3.6f), 1.3f, 0.1f}}, Segments(6, lod, 3), a.UV(s.Tail.Part(0, 0, 1, 0.5f)));
        for (const bool left : {false, true}) {
            m.Transform = At(V3(0, 0, 0), left);
            Wing(m, {{V3(0.2f, -5.3f, 0.5f), 2.0f, 0.08f}, {V3(3.0f, -6.3f, 0.62f), 1.0f, 0.08f}}, Segments(6, lod, 3),
                 a.UV(s.Tail.Part(0, 0.5f, 1, 1)));
            m.Transform = MatrixIdentity();
        }
    }
    for (const bool left : {false, true}) {
        if (!(parts & (left ? PartLeftWing : PartRightWing)))
            continue;
        const float side = left ? -1.0f : 1.0f;
        m.Transform = At(V3(0, 0, 0), left);
        Wing(m, {{V3(0.7f, 1.6f, 0.38f), 3.4f, 0.1f}, {V3(7.3f, 0.3f, 0.15f), 1.5f, 0.1f}}, Segments(8, lod, 3),
             a.UV(s.Wing));
        m.Transform = At(V3(side * 7.38f, 0, 0));   // the wingtip pod
        Body(m, {{1.3f, 0, 0, 0, 0.15f}, {0.7f, 0.14f, 0.14f, 0.14f, 0.15f}, {-1.0f, 0.14f, 0.14f, 0.14f, 0.15f},
                 {-1.5f, 0.04f, 0.04f, 0.04f, 0.15f}},
             Segments(8, lod), a.UV(s.Metal));
        m.Transform = MatrixIdentity();
        Bomb(m, s, side * 2.7f, 1.0f, -0.45f, 0.32f, lod);
        Bomb(m, s, side * 4.6f, 0.6f, -0.55f, 0.24f, lod);
    }
}

// Crashed on the ground: the nose section ploughed in, the tail and a wing thrown aside, fires
// where the fuel burns.
void GroundWreck(TOutput &out, const TCraftSkin &skin)
{
    TModelBuilder model(1, 10);
    TMeshBuilder &wreck = model.AddMesh("Wreck");
    TMeshBuilder part("Part", 1);
    Parts(part, skin, PartFront | PartLeftWing);
    Merge(wreck, part, Placement(V3(0, 0, 0.3f), V3(-7 * Degrees, 14 * Degrees, 8 * Degrees)));
    TMeshBuilder tail("Tail", 1);
    Parts(tail, skin, PartRear);
    Merge(wreck, tail, Placement(V3(-5.0f, -8.0f, 1.3f), V3(0, 50 * Degrees, 40 * Degrees)));
    TMeshBuilder wing("Wing", 1);
    Parts(wing, skin, PartRightWing);
    Merge(wreck, wing, Placement(V3(4.0f, -6.0f, -0.05f), V3(0, 178 * Degrees, -40 * Degrees)));
    model.AddPoint("SimpleFire", V3(-0.9f, -2.2f, 0.9f));
    model.AddPoint("SimpleFire", V3(1.3f, -1.0f, 0.7f));
    model.AddPoint("SimpleFire", V3(-4.0f, -6.5f, 0.6f));
    out.Model(model, "Models/Dead/Su25/Dead.otm");
    TAtlas burnt = skin.Atlas;
    burnt.Batter({skin.Fuselage, skin.Wing, skin.Tail, skin.Nacelle, skin.Stores, skin.Canopy}, 5, 320);
    out.Texture(burnt, "Models/Dead/Su25/Dead.png");
}

} // namespace

void BuildBomber(TOutput &out)
{
    const TCraftSkin skin = Paint(out.Font);
    TModelBuilder main(1, 10);
    Parts(main.AddMesh("Su25"), skin, PartWhole);
    main.AddPoint("Engine_1", V3(-1.05f, -5.45f, -0.05f));
    main.AddPoint("Engine_2", V3(1.05f, -5.45f, -0.05f));
    out.Model(main, "Models/Crafts/Su25/Main.otm");
    out.Texture(skin.Atlas, "Models/Crafts/Su25/Main.png");
    WriteLods(out, "Models/Crafts/Su25", skin, [&](TMeshBuilder &mesh, int lod) { Parts(mesh, skin, PartWhole, lod); });
    const TWreckPlan plan{[&](TMeshBuilder &mesh, unsigned parts) { Parts(mesh, skin, parts); },
                          V3(1.05f, -3.0f, 0), V3(0.8f, 0.0f, 0.3f), V3(3.5f, 0.8f, 0.3f), V3(0, SplitY, 0.15f),
                          V3(0, SplitY - 1.5f, 0.4f), 1};
    for (int variant = 0; variant < 3; ++variant)
        SkyWreck(out, "Models/Crafts/Su25/DeadInSky" + std::to_string(variant), skin, plan, variant);
    GroundWreck(out, skin);
}
