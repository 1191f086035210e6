// The submarines and the torpedo: bodies of revolution with a sail, tail fins and missile hatches.
// The submarine is 80 m long; the super-submarine a 170 m giant with a field of twelve missile
// hatches; the torpedo a 10 m weapon that runs awash. Each has one paint ("Main.otm", "Dead.otm").

#include "tools/shipgen/Ships.h"

#include <cmath>

namespace {

const TLayout Layout = StandardLayout();
const TSkins Skins = StandardSkins(Layout);

struct TSubmarine {
    const char *Folder;
    float Length, Radius, Squash, ZCentre;
    float TailShare, NoseShare;
    float SailY, SailLength, SailWidth, SailTop;
    float DeckFrom, DeckTo, DeckHalf;
    std::vector<TPoint2> Hatches;   // the first two are "Missile_1" and "Missile_2"
    bool  Lods;
    std::uint32_t Seed;

    float Top() const { return ZCentre + Radius * Squash; }
    float R(float s) const
    {
        if (s < TailShare) {
            const float t = (TailShare - s) / TailShare;
            return Radius * (1 - std::pow(t, 1.7f));
        }
        if (s > 1 - NoseShare) {
            const float t = (s - (1 - NoseShare)) / NoseShare;
            return Radius * std::sqrt(std::max(0.0f, 1 - t * t));
        }
        return Radius;
    }
    TBody Body(int detail) const
    {
        TBody b;
        b.Length = Length;
        b.ZCentre = ZCentre;
        b.Squash = Squash;
        b.Radius = [this](float s) { return R(s); };
        b.Stations = detail == 0 ? 22 : detail == 1 ? 14 : 9;
        b.Rings = detail == 0 ? 8 : detail == 1 ? 6 : 4;
        return b;
    }
    TSideMap Map() const { return Body(0).SideMap(Layout, SailTop); }
};

const TSubmarine Submarine = {"Submarine", 78, 4.0f, 1.0f, -2.4f, 0.3f, 0.14f, 12, 11, 2.6f, 8.2f, -20, 24, 1.7f,
                              {{-0.9f, -4}, {0.9f, -4}, {-0.9f, -9}, {0.9f, -9}}, false, 5000};
const TSubmarine SuperSubmarine = {"SuperSubmarine", 170, 11.5f, 0.55f, -3.0f, 0.25f, 0.12f, 4, 20, 5.0f, 15, -30, 64, 4.2f,
                                   {{-2.2f, 24}, {2.2f, 24}, {-2.2f, 31}, {2.2f, 31}, {-2.2f, 38}, {2.2f, 38},
                                    {-2.2f, 45}, {2.2f, 45}, {-2.2f, 52}, {2.2f, 52}, {-2.2f, 59}, {2.2f, 59}},
                                   true, 5100};

void Build(TMeshBuilder &m, const TSubmarine &sub, int detail)
{
    BuildBody(m, sub.Body(detail), sub.Map());
    const float top = sub.Top(), y0 = -sub.Length / 2;
    // The flat casing along the back, the sail with its planes and masts.
    const float d0 = sub.DeckFrom, d1 = sub.DeckTo, h = sub.DeckHalf;
    Frustum(m, {{0, d0 - 3}, {h, d0}, {h, d1}, {0, d1 + 3}, {-h, d1}, {-h, d0}}, top - 0.6f,
            {{0, d0 - 3}, {h, d0}, {h, d1}, {0, d1 + 3}, {-h, d1}, {-h, d0}}, top + 0.35f, Skins.Metal, &Skins.Roof);
    const float sy = sub.SailY, sl = sub.SailLength, sw = sub.SailWidth / 2;
    const std::vector<TPoint2> sail = {{0, sy + sl / 2}, {sw * 0.8f, sy + sl * 0.35f}, {sw, sy}, {sw * 0.7f, sy - sl * 0.3f},
                                       {0, sy - sl / 2}, {-sw * 0.7f, sy - sl * 0.3f}, {-sw, sy}, {-sw * 0.8f, sy + sl * 0.35f}};
    Frustum(m, sail, top, Shifted(sail, 0, -0.3f, 0.9f), sub.SailTop, Skins.Walls, &Skins.Roof, true);
    const float planeZ = top + (sub.SailTop - top) * 0.62f, span = sub.SailWidth * 1.7f;
    m.Box(V3(-span, sy + sl * 0.1f, planeZ - 0.15f), V3(span, sy + sl * 0.1f + sl * 0.16f, planeZ + 0.15f),
          Scaled(Skins.Metal, span, 1));
    if (detail < 2)
        for (const float dx : {-0.5f, 0.6f})
            m.Cylinder(V3(dx, sy + sl * 0.2f, sub.SailTop - 0.2f), V3(dx, sy + sl * 0.2f, sub.SailTop + sub.Radius * 0.6f), 0.22f,
                       0.16f, 6, true, Skins.Dark.UV);
    // Tail: rudder above and below, planes either side, the propeller.
    const float ty = y0 + sub.Length * 0.06f, tl = sub.Length * 0.07f, fin = sub.Radius * 1.6f, t = sub.Radius * 0.05f;
    m.Box(V3(-t, ty, sub.ZCentre), V3(t, ty + tl, sub.ZCentre + fin * sub.Squash + 0.5f), Scaled(Skins.Metal, tl, fin));
    m.Box(V3(-t, ty, sub.ZCentre - fin * sub.Squash - 0.5f), V3(t, ty + tl, sub.ZCentre), Scaled(Skins.Metal, tl, fin));
    m.Box(V3(-fin * 1.2f, ty, sub.ZCentre - t), V3(fin * 1.2f, ty + tl, sub.ZCentre + t), Scaled(Skins.Metal, tl, fin));
    m.Cone(V3(0, y0 + 0.5f, sub.ZCentre), V3(0, y0 - sub.Radius * 0.35f, sub.ZCentre), sub.Radius * 0.3f,
           RoundSegments(detail, 8), Skins.Dark.UV);
    // Missile hatches.
    if (detail < 2)
        for (const TPoint2 &p : sub.Hatches)
            m.Cylinder(V3(p.x, p.y, top + 0.3f), V3(p.x, p.y, top + 0.5f), sub.Radius * 0.2f, sub.Radius * 0.19f,
                       RoundSegments(detail, 10), true, Scaled(Skins.Metal, 2, 0.3f));
}

TModelBuilder Main(const TSubmarine &sub, int detail)
{
    TModelBuilder model;
    Build(model.AddMesh("Hull"), sub, detail);
    TMeshBuilder &collision = model.AddMesh("Collision");
    const float half = sub.Length / 2, r = sub.Radius;
    collision.Box(V3(-r, -half, sub.ZCentre - r * sub.Squash), V3(r, half, sub.Top()));
    collision.Box(V3(-sub.SailWidth / 2, sub.SailY - sub.SailLength / 2, sub.Top()),
                  V3(sub.SailWidth / 2, sub.SailY + sub.SailLength / 2, sub.SailTop));
    const float top = sub.Top() + 0.5f;
    model.AddPoint("Missile_1", V3(sub.Hatches[0].x, sub.Hatches[0].y, top));
    model.AddPoint("Missile_2", V3(sub.Hatches[1].x, sub.Hatches[1].y, top));
    // The wake where the hull meets the water.
    const float w = r * std::sqrt(std::max(0.0f, 1 - std::pow(sub.ZCentre / (r * sub.Squash), 2.0f)));
    model.AddPoint("Water_1", V3(0, half * 0.92f, 0));
    model.AddPoint("Water_2", V3(w, half * 0.3f, 0));
    model.AddPoint("Water_3", V3(-w, half * 0.3f, 0));
    model.AddPoint("Water_4", V3(w * 0.6f, -half * 0.7f, 0));
    model.AddPoint("Water_5", V3(-w * 0.6f, -half * 0.7f, 0));
    return model;
}

TModelBuilder Dead(const TSubmarine &sub)
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    Build(hull, sub, 0);
    const float big = sub.Length / 80;
    // Bow first, rolling, steeply down.
    Sink(hull, WreckFrames, V3(0, 0, sub.ZCentre),
         {{0, 0, 0, 0}, {0.3f, -5, 6, 1.5f * big}, {0.65f, -18, 14, 6 * big}, {1, -34, 20, 30 * big}});
    TMeshBuilder &piece = model.AddMesh("SmokeSmall_Debris_1");
    DebrisPiece(piece, Skins, 0.6f * big);
    Throw(piece, WreckFrames, 5, V3(0, sub.Hatches[0].y, sub.Top() + 1), V3(3, 2, 12), V3(2, 3, 1));
    const float top = sub.Top();
    model.AddPoint("Hit", V3(sub.Radius + 0.3f, sub.Hatches[0].y, 0.5f));
    model.AddPoint(big > 1.5f ? "Explosion_VeryLarge_1" : "ExplosionLarge_1", V3(0, sub.Hatches[0].y, top + 1));
    model.AddPoint("Explosion_2", V3(0, sub.SailY, top + 2));
    model.AddPoint(big > 1.5f ? "SmokeLarge_1" : "Smoke_1", V3(0, sub.Hatches[0].y, 1));
    model.AddPoint(big > 1.5f ? "FireLarge_1" : "Fire_1", V3(0.5f, sub.Hatches[0].y - 2, 0.8f));
    model.AddPoint("FireSmall_2", V3(-0.5f, sub.SailY, 0.8f));
    return model;
}

TCanvas Paint(const TSubmarine &sub)
{
    TTeam team = NavalTeam(1);
    team.Hull = Rgb(0.14f, 0.15f, 0.16f);
    team.Super = Rgb(0.16f, 0.17f, 0.18f);
    team.Deck = Rgb(0.12f, 0.12f, 0.13f);
    team.Boot = Rgb(0.10f, 0.10f, 0.11f);
    team.Bottom = Rgb(0.38f, 0.13f, 0.11f);
    team.Metal = Rgb(0.20f, 0.21f, 0.22f);
    team.Marking = Rgb(0.60f, 0.12f, 0.10f);
    TPainter painter(Layout, ShipFont(), sub.Seed);
    THullPaint hull;
    hull.Tiles = true;
    hull.BootTop = 0.2f;
    const TSideMap map = sub.Map();
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    PaintFittings(painter, Skins, team, false);
    // The sail and casing: plain dark plating with tile seams, no portholes.
    for (const TPixRect &r : {Layout.Walls, Layout.Roof})
        painter.Fill(r, 12, 12, [&](float x, float y) {
            const float seam = std::max(std::fabs(std::fmod(x, 0.9f) - 0.45f), std::fabs(std::fmod(y, 0.9f) - 0.45f));
            return Shade(team.Super, (seam > 0.42f ? 0.8f : 1.0f) * (0.9f + 0.2f * Noise(x, y, 2, sub.Seed + 1)));
        });
    return painter.Canvas;
}

void Write(const TShipOutput &out, const TSubmarine &sub)
{
    const std::string folder = out.Folder(sub.Folder);
    const TCanvas texture = Paint(sub);
    SaveModel(Main(sub, 0), texture, folder + "Main");
    SaveModel(Dead(sub), Scorched(Downsample(texture, 2), sub.Seed + 7), folder + "Dead");
    if (sub.Lods) {
        SaveModel(Main(sub, 1), Downsample(texture, 2), folder + "Main_lod0");
        SaveModel(Main(sub, 2), Downsample(texture, 4), folder + "Main_lod1");
    }
}

// ---- The torpedo ----

const TLayout TorpedoLayout = ScaledLayout(StandardLayout(), 0.5f);

TBody TorpedoBody()
{
    TBody b;
    b.Length = 10;
    b.ZCentre = 0.05f;
    b.Stations = 14;
    b.Rings = 8;
    b.Radius = [](float s) {
        if (s < 0.22f)
            return 0.65f * (0.25f + 0.75f * std::sqrt(s / 0.22f));
        if (s > 0.88f)
            return 0.65f * std::sqrt(std::max(0.0f, 1 - std::pow((s - 0.88f) / 0.12f, 2.0f)));
        return 0.65f;
    };
    return b;
}

void BuildTorpedo(TMeshBuilder &m)
{
    const TBody body = TorpedoBody();
    BuildBody(m, body, body.SideMap(TorpedoLayout, 0.75f));
    const TUVRect dark = TorpedoLayout.UV(TorpedoLayout.Swatch[2]);
    for (int i = 0; i < 4; ++i) {   // four tail fins, crosswise
        const float a = Pi / 4 + Pi / 2 * float(i), c = std::cos(a), s = std::sin(a);
        auto p = [&](float r, float y) { return V3(r * c, y, 0.05f + r * s); };
        m.Quad(p(0.35f, -4.9f), p(0.35f, -4.0f), p(1.05f, -4.4f), p(1.05f, -4.9f), dark);
        m.Quad(p(1.05f, -4.9f), p(1.05f, -4.4f), p(0.35f, -4.0f), p(0.35f, -4.9f), dark);
    }
    m.Cone(V3(0, -5.0f, 0.05f), V3(0, -5.5f, 0.05f), 0.3f, 6, dark);
}

TCanvas TorpedoPaint()
{
    TPainter painter(TorpedoLayout, "", 5200);
    const TSideMap map = TorpedoBody().SideMap(TorpedoLayout, 0.75f);
    for (const bool starboard : {true, false})
        painter.Fill(starboard ? TorpedoLayout.HullS : TorpedoLayout.HullP, 1, 1, [&](float u, float v) {
            const float y = starboard ? map.YMin + u * (map.YMax - map.YMin) : map.YMax - u * (map.YMax - map.YMin);
            (void)v;
            // Olive body, a red and yellow warhead, a white band behind it; the tail dark.
            TColor c = Rgb(0.30f, 0.33f, 0.22f);
            if (y > 2.6f)
                c = y > 3.1f ? Rgb(0.78f, 0.16f, 0.10f) : Rgb(0.92f, 0.78f, 0.12f);
            else if (y > 1.8f && y < 2.2f)
                c = Rgb(0.9f, 0.9f, 0.88f);
            else if (y < -3.6f)
                c = Rgb(0.18f, 0.19f, 0.17f);
            const float seam = std::fabs(std::fmod(y + 10, 1.6f) - 0.8f);
            return Shade(c, (seam > 0.77f ? 0.75f : 1.0f) * (0.92f + 0.12f * Noise(y, v * 2, 0.5f, 5201)));
        });
    painter.Fill(TorpedoLayout.Swatch[2], 1, 1, [](float, float) { return Rgb(0.14f, 0.15f, 0.13f); });
    return painter.Canvas;
}

void WriteTorpedo(const TShipOutput &out)
{
    const std::string folder = out.Folder("Torpedo");
    const TCanvas texture = TorpedoPaint();
    TModelBuilder main;
    BuildTorpedo(main.AddMesh("Hull"));
    main.AddMesh("Collision").Box(V3(-0.7f, -5.5f, -0.6f), V3(0.7f, 5, 0.7f));
    main.AddPoint("Water_1", V3(0, -5.2f, 0));
    main.AddPoint("Water_2", V3(0, 4.8f, 0));
    SaveModel(main, texture, folder + "Main");

    // The warhead goes off: the torpedo breaks up and goes down nose first.
    TModelBuilder dead(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = dead.AddMesh("Hull");
    BuildTorpedo(hull);
    Sink(hull, WreckFrames, V3(0, 0, 0), {{0, 0, 0, 0}, {0.3f, -15, 20, 0.5f}, {1, -50, 60, 9}});
    dead.AddPoint("Hit", V3(0, 4, 0.5f));
    dead.AddPoint("ExplosionLarge_1", V3(0, 4, 0.5f));
    dead.AddPoint("SmokeSmall_1", V3(0, 2, 0.5f));
    dead.AddPoint("FireSmall_1", V3(0, 3, 0.5f));
    SaveModel(dead, Scorched(texture, 5203), folder + "Dead");
}

} // namespace

void MakeSubmarines(const TShipOutput &out)
{
    Write(out, Submarine);
    Write(out, SuperSubmarine);
    WriteTorpedo(out);
}
