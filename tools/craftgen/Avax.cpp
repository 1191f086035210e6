// The early-warning aircraft "Avax": a 33 m four-jet airliner body with a swept low wing and a
// 10.6 m radar dome on struts over the rear fuselage. The dome turns once every ten seconds of game
// time; its wreck breaks in two.

#include "tools/craftgen/Livery.h"

#include <cmath>

namespace {

constexpr float SplitY = -6.5f;
constexpr int   DomeFrames = 40, DomeRate = 4;   // one turn in ten seconds
const TVector3  DomeCentre = V3(0, -5.5f, 5.0f);

const std::vector<TStation> Stations = {
    {16.6f, 0.0f, 0.0f, 0.0f, -0.3f, 2},  {16.1f, 0.75f, 0.65f, 0.7f, -0.2f, 2}, {15.0f, 1.35f, 1.25f, 1.3f, -0.1f, 2},
    {13.5f, 1.78f, 1.75f, 1.8f, 0.0f, 2}, {11.5f, 1.9f, 1.9f, 1.9f, 0.0f, 2},    {0.0f, 1.9f, 1.9f, 1.9f, 0.0f, 2},
    {SplitY, 1.9f, 1.9f, 1.9f, 0.0f, 2},  {-11.0f, 1.6f, 1.7f, 1.4f, 0.2f, 2},   {-14.0f, 1.0f, 1.2f, 0.6f, 0.7f, 2},
    {-16.0f, 0.35f, 0.5f, 0.2f, 1.2f, 2}, {-16.6f, 0.05f, 0.05f, 0.05f, 1.3f, 2},
};

float AtY(float y) { return (16.6f - y) / 33.3f; }

TCraftSkin Paint(const std::string &font)
{
    TCraftSkin s;
    TAtlas &a = s.Atlas;
    const TLivery livery{{Rgb(178, 184, 190), Rgb(156, 164, 172)}, Rgb(206, 210, 214), Rgb(80, 84, 90), 70, 21};
    PaintBody(a, s.Fuselage, livery, {AtY(13.5f), AtY(8.0f), AtY(3.0f), AtY(-1.0f), AtY(SplitY), AtY(-11.0f), AtY(-14.0f)});
    // Cockpit glazing, a cheat line along the cabin windows, the radome.
    a.Blend(s.Fuselage, [](float u, float v) {
        const bool radome = v < AtY(16.0f);
        const bool cockpit = v > AtY(15.4f) && v < AtY(14.3f) && std::fabs(u - 0.5f) < 0.16f && std::fabs(u - 0.5f) > 0.03f;
        TColor c = radome ? Rgb(60, 64, 70) : Rgb(20, 26, 34);
        c.a = radome || cockpit ? 1.0f : 0.0f;
        return c;
    });
    for (const float u : {0.33f, 0.67f}) {
        a.Band(s.Fuselage, u, AtY(14.0f), u, AtY(-12.0f), 4, Rgb(40, 62, 110));
        for (float y = 12.5f; y > -10.0f; y -= 1.1f)
            a.Disc(s.Fuselage, u + (u < 0.5f ? 0.025f : -0.025f), AtY(y), 1.6f, Rgb(20, 24, 30));
    }
    PaintLifting(a, s.Wing, livery, false);
    Insignia(a, s.Wing, 0.25f, 0.75f, 18, 10);
    PaintLifting(a, s.Tail, livery, true);
    for (const float u : {0.25f, 0.75f}) {
        Insignia(a, s.Tail.Part(0, 0, 1, 0.5f), u, 0.45f, 10, 16);
        a.Text(s.Tail.Part(0, 0, 1, 0.5f), font, "71", u, 0.8f, 10, Rgb(40, 44, 50), u < 0.5f ? 1 : 3);
    }
    PaintBody(a, s.Nacelle, livery, {0.2f, 0.8f});
    a.Blend(s.Nacelle, [](float, float v) { TColor c = Rgb(90, 92, 96); c.a = v < 0.12f || v > 0.9f ? 1.0f : 0.0f; return c; });
    PaintFittings(a, s, Rgb(255, 150, 70));
    // The dome: white-grey with the black band of its radar windows round the rim.
    a.Fill(s.Extra, [&](float u, float v) {
        const bool band = v > 0.36f && v < 0.64f;
        const float x = float(s.Extra.X0) + u * float(s.Extra.Width());
        TColor c = band ? Rgb(34, 36, 40) : Rgb(214, 218, 222);
        if (band && int(x / 12) % 2 == 0 && v > 0.44f && v < 0.56f)
            c = Rgb(200, 40, 36);
        return c;
    });
    return s;
}

// An engine pod under the wing, nose at Y, hung on a pylon up to the wing's underside at Top, whose
// leading edge is at Leading.
void Pod(TMeshBuilder &m, const TCraftSkin &s, float x, float y, float z, float top, float leading, int lod)
{
    const TAtlas &a = s.Atlas;
    m.Transform = Placement(V3(x, y, z));
    const auto rings = Body(m, {{0.0f, 0.72f, 0.72f, 0.72f, 0}, {-0.8f, 0.82f, 0.82f, 0.82f, 0}, {-4.0f, 0.72f, 0.72f, 0.72f, 0},
                                {-5.6f, 0.45f, 0.45f, 0.45f, 0}},
                            Segments(12, lod), a.UV(s.Nacelle));
    Cap(m, rings.front(), V3(0, 1, 0), a.UV(s.Mouth));
    Cap(m, rings.back(), V3(0, -1, 0), a.UV(s.Glow));
    m.Transform = MatrixIdentity();
    Plate(m, V3(x, y - 1.0f, z + 0.6f), V3(x, y - 4.8f, z + 0.6f), V3(x, leading - 2.4f, top), V3(x, leading + 0.1f, top), 0.25f,
          a.UV(s.Nacelle.Part(0.4f, 0.3f, 0.6f, 0.7f)));
}

void Dome(TMeshBuilder &m, const TCraftSkin &s, int lod)
{
    m.Transform = Placement(DomeCentre, V3(90 * Degrees, 0, 0));   // the lens's axis stands up
    const auto rings = Body(m, {{-0.8f, 3.6f, 3.6f, 3.6f, 0}, {-0.55f, 5.0f, 5.0f, 5.0f, 0}, {0.0f, 5.3f, 5.3f, 5.3f, 0},
                                {0.55f, 5.0f, 5.0f, 5.0f, 0}, {0.8f, 3.6f, 3.6f, 3.6f, 0}},
                            Segments(28, lod), s.Atlas.UV(s.Extra));
    const TUVRect plain = s.Atlas.UV(s.Extra.Part(0, 0, 1, 0.3f));
    Cap(m, rings.front(), V3(0, -1, 0), plain);
    Cap(m, rings.back(), V3(0, 1, 0), plain);
    m.Transform = MatrixIdentity();
}

void Parts(TMeshBuilder &m, const TCraftSkin &s, unsigned parts, bool withDome, int lod = 0)
{
    const TAtlas &a = s.Atlas;
    const std::vector<TStation> front(Stations.begin(), Stations.begin() + 7), rear(Stations.begin() + 6, Stations.end());
    if (parts & PartFront) {
        const auto rings = Body(m, front, Segments(20, lod), a.UV(s.Fuselage.Part(0, 0, 1, AtY(SplitY))));
        if (!(parts & PartRear))
            Cap(m, rings.back(), V3(0, -1, 0), a.UV(s.Metal));
    }
    if (parts & PartRear) {
        const auto rings = Body(m, rear, Segments(20, lod), a.UV(s.Fuselage.Part(0, AtY(SplitY), 1, 1)));
        if (!(parts & PartFront))
            Cap(m, rings.front(), V3(0, 1, 0), a.UV(s.Metal));
        Wing(m, {{V3(0, -9.5f, 1.5f), 6.0f, 0.1f}, {V3(0, -15.0f, 8.5f), 2.8f, 0.1f}}, Segments(6, lod, 3), a.UV(s.Tail.Part(0, 0, 1, 0.5f)));
        for (const bool left : {false, true}) {
            m.Transform = Placement(V3(0, 0, 0), V3(0, 0, 0), V3(left ? -1.0f : 1.0f, 1, 1));
            Wing(m, {{V3(0.6f, -11.5f, 1.0f), 4.0f, 0.09f}, {V3(7.5f, -15.2f, 1.4f), 1.6f, 0.09f}}, Segments(6, lod, 3),
                 a.UV(s.Tail.Part(0, 0.5f, 1, 1)));
            m.Transform = MatrixIdentity();
        }
        // Struts up to the dome.
        const TUVRect strut = a.UV(s.Nacelle.Part(0.4f, 0.3f, 0.6f, 0.7f));
        for (const float y : {-3.6f, -7.4f})
            Plate(m, V3(0, y + 1.2f, 1.6f), V3(0, y - 1.2f, 1.6f), V3(0, y - 0.6f, 4.4f), V3(0, y + 0.6f, 4.4f), 0.35f, strut);
        if (withDome)
            Dome(m, s, lod);
    }
    for (const bool left : {false, true}) {
        if (!(parts & (left ? PartLeftWing : PartRightWing)))
            continue;
        const float side = left ? -1.0f : 1.0f;
        m.Transform = Placement(V3(0, 0, 0), V3(0, 0, 0), V3(side, 1, 1));
        Wing(m, {{V3(1.2f, 3.5f, -1.1f), 7.5f, 0.11f}, {V3(8.0f, -1.0f, -0.7f), 4.2f, 0.1f}, {V3(19.5f, -8.0f, 0.2f), 2.0f, 0.1f}}, Segments(8, lod, 3),
             a.UV(s.Wing));
        m.Transform = MatrixIdentity();
        Pod(m, s, side * 7.0f, 4.2f, -2.3f, -0.85f, -0.34f, lod);
        Pod(m, s, side * 12.5f, 0.4f, -1.75f, -0.45f, -3.74f, lod);
    }
}

} // namespace

void BuildEarlyWarning(TOutput &out)
{
    const TCraftSkin skin = Paint(out.Font);
    TModelBuilder main(DomeFrames, DomeRate);
    Parts(main.AddMesh("Avax"), skin, PartWhole, false);
    TMeshBuilder &dome = main.AddMesh("Radar");
    Dome(dome, skin, 0);
    SpinKeys(dome, DomeCentre, V3(0, 0, -1));
    main.AddPoint("Engine_1", V3(-12.5f, -5.3f, -1.75f));
    main.AddPoint("Engine_2", V3(-7.0f, -1.5f, -2.3f));
    main.AddPoint("Engine_3", V3(7.0f, -1.5f, -2.3f));
    main.AddPoint("Engine_4", V3(12.5f, -5.3f, -1.75f));
    out.Model(main, "Models/Crafts/Avax/Main.otm");
    out.Texture(skin.Atlas, "Models/Crafts/Avax/Main.png");
    // The distant copies keep the dome still: at that range its turning cannot be seen.
    WriteLods(out, "Models/Crafts/Avax", skin, [&](TMeshBuilder &mesh, int lod) { Parts(mesh, skin, PartWhole, true, lod); });

    const TWreckPlan plan{[&](TMeshBuilder &mesh, unsigned parts) { Parts(mesh, skin, parts, true); },
                          V3(7.0f, 0, -2.3f), V3(1.8f, 1.0f, -1.0f), V3(10.0f, -2.0f, -0.7f), V3(0, SplitY, 0),
                          V3(0, -10.0f, 2.0f), 2};
    SkyWreck(out, "Models/Crafts/Avax/DeadInSky", skin, plan, 2);
}
