// The fighter "GAS1": a 15.6 m single-engine delta with canards, one tall fin, a chin intake, a
// gun in the left wing root and two missiles under the wings, in dark blue-grey with red trim.

#include "tools/craftgen/Livery.h"

#include <cmath>

namespace {

constexpr float SplitY = -1.8f;

const std::vector<TStation> Stations = {
    {8.0f, 0.0f, 0.0f, 0.0f, 0.0f, 2.0f},    {7.5f, 0.18f, 0.18f, 0.18f, 0.0f, 2.0f}, {6.5f, 0.42f, 0.42f, 0.4f, 0.05f, 2.2f},
    {5.0f, 0.62f, 0.64f, 0.55f, 0.1f, 2.4f}, {3.5f, 0.75f, 0.7f, 0.62f, 0.1f, 2.6f},  {1.5f, 0.95f, 0.7f, 0.7f, 0.08f, 3.0f},
    {SplitY, 1.02f, 0.72f, 0.72f, 0.06f, 3.0f}, {-4.5f, 0.9f, 0.7f, 0.68f, 0.08f, 2.8f}, {-6.5f, 0.7f, 0.64f, 0.62f, 0.1f, 2.4f},
    {-7.3f, 0.62f, 0.6f, 0.6f, 0.12f, 2.2f},
};

float AtY(float y) { return (8.0f - y) / 15.3f; }

const TVector3 Gun = V3(-1.05f, 2.6f, 0.05f);
const TVector3 Nozzle = V3(0, -7.3f, 0.12f);

TCraftSkin Paint(const std::string &font)
{
    TCraftSkin s;
    TAtlas &a = s.Atlas;
    const TLivery livery{{Rgb(112, 126, 140), Rgb(78, 90, 104), Rgb(138, 152, 164)}, Rgb(172, 182, 190), Rgb(52, 56, 62), 36, 31};
    PaintBody(a, s.Fuselage, livery, {AtY(6.5f), AtY(5.0f), AtY(3.5f), AtY(1.5f), AtY(SplitY), AtY(-4.5f), AtY(-6.5f)});
    a.Blend(s.Fuselage, [](float, float v) {
        TColor c = v < AtY(7.1f) ? Rgb(50, 54, 60) : Rgb(178, 28, 28);
        c.a = v < AtY(7.1f) || (v > AtY(6.9f) && v < AtY(6.6f)) ? 1.0f : 0.0f;
        return c;
    });
    for (const float u : {0.27f, 0.73f})
        a.Text(s.Fuselage, font, "12", u, AtY(5.8f), 14, Rgb(230, 230, 230), u < 0.5f ? 1 : 3);
    PaintLifting(a, s.Wing, livery, false);
    Insignia(a, s.Wing, 0.2f, 0.6f, 18, 14);
    PaintLifting(a, s.Tail, livery, true);
    a.Blend(s.Tail.Part(0, 0, 1, 0.5f), [](float, float v) { TColor c = Rgb(178, 28, 28); c.a = v > 0.85f ? 1.0f : 0.0f; return c; });
    for (const float u : {0.25f, 0.75f})
        Insignia(a, s.Tail.Part(0, 0, 1, 0.5f), u, 0.5f, 14, 18);
    PaintGlass(a, s.Canopy, {0.03f, 0.35f, 0.97f});
    PaintFittings(a, s, Rgb(255, 120, 40));
    // Missiles: white with a yellow warhead band and a dark seeker.
    a.Fill(s.Stores, [](float u, float v) {
        TColor c = v < 0.06f ? Rgb(60, 64, 70) : (v > 0.16f && v < 0.2f) ? Rgb(222, 180, 40) : Rgb(226, 228, 224);
        return Shade(c, 0.9f + 0.1f * std::cos((u - 0.5f) * 2 * Pi));
    });
    return s;
}

// A missile under the wing: its middle at Centre, on a rail up to the wing at Top.
void Missile(TMeshBuilder &m, const TCraftSkin &s, const TVector3 &centre, float top, int lod)
{
    const TUVRect stores = s.Atlas.UV(s.Stores);
    m.Transform = Placement(centre);
    Body(m, {{1.5f, 0, 0, 0, 0}, {1.3f, 0.08f, 0.08f, 0.08f, 0}, {1.1f, 0.1f, 0.1f, 0.1f, 0}, {-1.5f, 0.1f, 0.1f, 0.1f, 0}},
         Segments(8, lod), stores, false, true);
    for (int k = 0; k < (lod < 2 ? 4 : 0); ++k) {   // fins too small to see from afar
        const float a = Pi / 4 + float(k) * Pi / 2;
        const TVector3 out = V3(std::cos(a), 0, std::sin(a));
        Plate(m, out * 0.08f + V3(0, -1.0f, 0), out * 0.08f + V3(0, -1.5f, 0), out * 0.3f + V3(0, -1.5f, 0),
              out * 0.3f + V3(0, -1.3f, 0), 0.015f, stores);
    }
    m.Transform = MatrixIdentity();
    Plate(m, centre + V3(0, 0.8f, 0.08f), centre + V3(0, -0.9f, 0.08f), V3(centre.x, centre.y - 1.4f, top),
          V3(centre.x, centre.y - 0.2f, top), 0.06f, s.Atlas.UV(s.Metal));
}

void Parts(TMeshBuilder &m, const TCraftSkin &s, unsigned parts, int lod = 0)
{
    const TAtlas &a = s.Atlas;
    const std::vector<TStation> front(Stations.begin(), Stations.begin() + 7), rear(Stations.begin() + 6, Stations.end());
    if (parts & PartFront) {
        const auto rings = Body(m, front, Segments(16, lod), a.UV(s.Fuselage.Part(0, 0, 1, AtY(SplitY))));
        if (!(parts & PartRear))
            Cap(m, rings.back(), V3(0, -1, 0), a.UV(s.Metal));
        Body(m, {{5.7f, 0.04f, 0.04f, 0.1f, 0.62f}, {5.0f, 0.38f, 0.3f, 0.2f, 0.66f}, {4.0f, 0.46f, 0.46f, 0.22f, 0.7f},
                 {3.0f, 0.4f, 0.36f, 0.22f, 0.72f}, {2.2f, 0.06f, 0.04f, 0.1f, 0.72f}},
             Segments(12, lod), a.UV(s.Canopy));
        // Chin intake and the canards.
        const auto duct = Body(m, {{3.2f, 0.42f, 0.26f, 0.26f, -0.62f, 4}, {2.2f, 0.5f, 0.3f, 0.3f, -0.62f, 4},
                                   {-0.5f, 0.5f, 0.3f, 0.3f, -0.55f, 4}, {-2.0f, 0.1f, 0.1f, 0.1f, -0.4f, 3}},
                               Segments(12, lod), a.UV(s.Nacelle));
        Cap(m, duct.front(), V3(0, 1, 0), a.UV(s.Mouth));
        for (const bool left : {false, true}) {
            m.Transform = Placement(V3(0, 0, 0), V3(0, 0, 0), V3(left ? -1.0f : 1.0f, 1, 1));
            Wing(m, {{V3(0.7f, 3.4f, 0.2f), 1.4f, 0.06f}, {V3(2.3f, 2.7f, 0.24f), 0.55f, 0.06f}}, Segments(6, lod, 3), a.UV(s.Tail.Part(0, 0.5f, 1, 1)));
            m.Transform = MatrixIdentity();
        }
        m.Cylinder(Gun + V3(0, -0.4f, 0), Gun + V3(0, 0.1f, 0), 0.05f, 0.045f, 6, true, a.UV(s.Metal));
    }
    if (parts & PartRear) {
        const auto rings = Body(m, rear, Segments(16, lod), a.UV(s.Fuselage.Part(0, AtY(SplitY), 1, 1)));
        if (!(parts & PartFront))
            Cap(m, rings.front(), V3(0, 1, 0), a.UV(s.Metal));
        m.Cylinder(Nozzle + V3(0, 0.3f, 0), Nozzle + V3(0, -0.5f, 0), 0.6f, 0.52f, Segments(14, lod), false, a.UV(s.Metal));
        std::vector<TVector3> disc;
        const int rim = Segments(14, lod);
        for (int i = 0; i < rim; ++i) {
            const float t = 2 * Pi * float(i) / float(rim);
            disc.push_back(Nozzle + V3(0.55f * std::cos(t), 0.1f, 0.55f * std::sin(t)));
        }
        Cap(m, disc, V3(0, -1, 0), a.UV(s.Glow));
        Wing(m, {{V3(0, -2.6f, 0.6f), 4.2f, 0.07f}, {V3(0, -5.9f, 4.0f), 1.5f, 0.07f}}, Segments(6, lod, 3), a.UV(s.Tail.Part(0, 0, 1, 0.5f)));
    }
    for (const bool left : {false, true}) {
        if (!(parts & (left ? PartLeftWing : PartRightWing)))
            continue;
        const float side = left ? -1.0f : 1.0f;
        m.Transform = Placement(V3(0, 0, 0), V3(0, 0, 0), V3(side, 1, 1));
        Wing(m, {{V3(0.8f, 1.0f, -0.15f), 6.6f, 0.05f}, {V3(5.3f, -4.3f, -0.1f), 1.5f, 0.05f}}, Segments(8, lod, 3),
             a.UV(s.Wing));
        m.Transform = MatrixIdentity();
        Missile(m, s, V3(side * 3.4f, -2.0f, -0.5f), -0.15f, lod);
    }
}

} // namespace

void BuildFighter(TOutput &out)
{
    const TCraftSkin skin = Paint(out.Font);
    TModelBuilder main(1, 10);
    Parts(main.AddMesh("GAS1"), skin, PartWhole);
    main.AddPoint("Engine", Nozzle + V3(0, -0.55f, 0));
    main.AddPoint("Gun_1", Gun + V3(0, 0.15f, 0));
    main.AddPoint("Rocket_1", V3(-3.4f, -2.0f, -0.5f));
    main.AddPoint("Rocket_2", V3(3.4f, -2.0f, -0.5f));
    out.Model(main, "Models/Crafts/GAS1/Main.otm");
    out.Texture(skin.Atlas, "Models/Crafts/GAS1/Main.png");
    WriteLods(out, "Models/Crafts/GAS1", skin, [&](TMeshBuilder &mesh, int lod) { Parts(mesh, skin, PartWhole, lod); });

    const TWreckPlan plan{[&](TMeshBuilder &mesh, unsigned parts) { Parts(mesh, skin, parts); },
                          V3(0, -5.5f, 0.1f), V3(0.9f, -1.5f, -0.1f), V3(3.0f, -2.5f, -0.1f), V3(0, SplitY, 0.06f),
                          V3(0, -4.5f, 1.0f), 1};
    for (int variant = 0; variant < 3; ++variant)
        SkyWreck(out, "Models/Crafts/GAS1/DeadInSky" + std::to_string(variant), skin, plan, variant);
}
