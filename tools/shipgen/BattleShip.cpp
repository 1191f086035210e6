// The battleship: a 220 m hull with four heavy gun rings (two forward, two aft, the inner ones
// raised to fire over the outer), four light gun rings on the citadel, two machine guns and a
// missile launcher; a tower bridge, one big funnel and a planked deck. The wreck rolls over to port
// and goes down by the stern.

#include "tools/shipgen/Ships.h"

#include <cmath>

namespace {

const TLayout Layout = StandardLayout();
const TSkins Skins = StandardSkins(Layout);

THull Hull()
{
    THull h;
    h.Length = 216;
    h.Beam = 32;
    h.Draught = 9;
    h.FreeboardBow = 12;
    h.FreeboardMid = 9;
    h.FreeboardStern = 8.5f;
    h.BowRake = 7;
    h.ForefootCut = 14;
    h.SternOverhang = 3;
    h.SternCut = 16;
    h.Transom = 0.42f;
    h.FlatFrom = 0.25f;
    h.FlatTo = 0.58f;
    h.Bilge = 3.5f;
    h.Flare = 0.06f;
    h.BowFullness = 1.9f;
    h.Stations = 30;
    return h;
}

const THull TheHull = Hull();
float DeckAt(float y) { return TheHull.DeckHeightAt(y); }

constexpr float Citadel = 12.8f;   // roof of the long house amidships
const TVector3 Gun1 = V3(0, 68, DeckAt(68) + 1.6f), Gun2 = V3(0, 47, DeckAt(47) + 5.6f);
const TVector3 Gun3 = V3(0, -58, DeckAt(-58) + 5.6f), Gun4 = V3(0, -79, DeckAt(-79) + 1.6f);
const TVector3 Gun5 = V3(0, -27, 18.7f);
const TVector3 MiniGun1 = V3(-8.8f, 8, Citadel + 0.8f), MiniGun2 = V3(8.8f, 8, Citadel + 0.8f);
const TVector3 MiniGun3 = V3(8.8f, -40, Citadel + 0.8f), MiniGun4 = V3(-8.8f, -40, Citadel + 0.8f);
const TVector3 MachineGun1 = V3(0, 33.2f, Citadel + 0.5f), MachineGun2 = V3(0, -34, 18.6f);

void Build(TMeshBuilder &m, int detail, bool wreck)
{
    BuildHull(m, TheHull, Layout, detail);
    // The citadel house, the tower bridge ahead of the funnel, the after house with the main mast.
    Block(m, V3(-11, -44, DeckAt(-44) - 0.3f), V3(11, 34, Citadel), Skins.Walls, Skins.Roof);
    Block(m, V3(-6, 16, Citadel), V3(6, 32, 18.5f), Skins.Walls, Skins.Roof);
    Block(m, V3(-5, 18, 18.5f), V3(5, 30, 24.5f), Skins.Walls, Skins.Roof);
    Frustum(m, {{-6.2f, 19.5f}, {6.2f, 19.5f}, {6.2f, 31}, {-6.2f, 31}}, 24.5f,
            {{-6, 19.8f}, {6, 19.8f}, {6, 31.8f}, {-6, 31.8f}}, 28, Skins.Bridge, &Skins.Roof);
    Block(m, V3(-9, 27.5f, 24.5f), V3(9, 30.5f, 25.0f), Skins.Metal, Skins.Roof);   // bridge wings
    Block(m, V3(-3.5f, 20, 28), V3(3.5f, 28, 33), Skins.Walls, Skins.Roof);
    m.Cylinder(V3(0, 24, 33), V3(0, 24, 35.5f), 2.6f, 2.3f, RoundSegments(detail, 12), true, Scaled(Skins.Metal, 16, 2.5f));
    m.Box(V3(-6.5f, 23.4f, 34.6f), V3(6.5f, 24.6f, 35.4f), Scaled(Skins.Metal, 13, 1));   // rangefinder
    Mast(m, Skins, V3(0, 22, 35.5f), 14, 9, detail);
    Funnel(m, Skins, 0, -4, 4.6f, 7.2f, Citadel, 30, 2.2f, detail);
    Block(m, V3(-5.5f, -36, Citadel), V3(5.5f, -14, 18.2f), Skins.Walls, Skins.Roof);
    Mast(m, Skins, V3(0, -17, 18.2f), 17, 8, detail);

    // Raised rings under the inner heavy guns.
    Barbette(m, Skins, V3(Gun2.x, Gun2.y, Gun2.z - 0.6f), 7.2f, 4.6f, detail);
    Barbette(m, Skins, V3(Gun3.x, Gun3.y, Gun3.z - 0.6f), 7.2f, 4.6f, detail);
    struct TRing { TVector3 At; float Radius, Height, Size, Yaw; int Barrels; };
    const TRing rings[] = {{Gun1, 6.2f, 1.6f, 12, 0.3f, 3},     {Gun2, 6.2f, 0.6f, 12, -0.2f, 3},
                           {Gun3, 6.2f, 0.6f, 12, Pi - 0.4f, 3}, {Gun4, 6.2f, 1.6f, 12, Pi + 0.5f, 3},
                           {MiniGun1, 2.8f, 0.8f, 5, -1.3f, 2},  {MiniGun2, 2.8f, 0.8f, 5, 1.7f, 2},
                           {MiniGun3, 2.8f, 0.8f, 5, 1.2f, 2},   {MiniGun4, 2.8f, 0.8f, 5, -1.9f, 2},
                           {MachineGun1, 1.0f, 0.5f, 2, 0.2f, 2}, {MachineGun2, 1.0f, 0.4f, 2, Pi, 2},
                           {Gun5, 2.2f, 0.5f, 4, 0.7f, 0}};
    for (const TRing &r : rings) {
        if (!wreck)
            Barbette(m, Skins, r.At, r.Radius, r.Height, detail);
        else if (r.Size > 3)
            WreckedTurret(m, Skins, r.At, r.Size, r.Yaw, 0.15f + 0.1f * std::sin(r.At.y), r.Barrels);
    }

    if (detail == 0) {
        for (const float y : {-30.0f, -22.0f, 16.0f, 24.0f})
            for (const float x : {-11.5f, 11.5f})
                Raft(m, Skins, V3(x, y, Citadel - 1.5f), 3.5f, 0.8f, detail);
        // The stern crane and its post.
        m.Cylinder(V3(0, -104, DeckAt(-104)), V3(0, -104, DeckAt(-104) + 7), 0.8f, 0.6f, 8, true, Skins.Metal.UV);
        m.Cylinder(V3(0, -104, DeckAt(-104) + 6.5f), V3(3, -96, DeckAt(-104) + 9), 0.35f, 0.25f, 5, false, Skins.Metal.UV);
        Block(m, V3(-2.4f, 92, DeckAt(92) - 0.1f), V3(2.4f, 95, DeckAt(92) + 0.9f), Skins.Metal, Skins.Metal);
    }
}

void AddPoints(TModelBuilder &model)
{
    const std::pair<const char *, TVector3> points[] = {
        {"Gun_1", Gun1},         {"Gun_2", Gun2},         {"Gun_3", Gun3},         {"Gun_4", Gun4},
        {"Gun_5", Gun5},         {"MiniGun_1", MiniGun1}, {"MiniGun_2", MiniGun2}, {"MiniGun_3", MiniGun3},
        {"MiniGun_4", MiniGun4}, {"MachineGun_1", MachineGun1}, {"MachineGun_2", MachineGun2},
        {"Water_1", V3(0, 106, 0)},      {"Water_2", V3(16.5f, 30, 0)},  {"Water_3", V3(-16.5f, 30, 0)},
        {"Water_4", V3(9, -100, 0)},     {"Water_5", V3(-9, -100, 0)}};
    for (const auto &[name, at] : points)
        model.AddPoint(name, at);
}

TModelBuilder Main(int detail)
{
    TModelBuilder model;
    Build(model.AddMesh("Hull"), detail, false);
    TMeshBuilder &collision = model.AddMesh("Collision");
    HullCollision(collision, TheHull);
    collision.Box(V3(-11, -44, 8), V3(11, 34, Citadel));
    collision.Box(V3(-6, 16, Citadel), V3(6, 32, 35));
    collision.Box(V3(-4.6f, -11, Citadel), V3(4.6f, 3, 30));
    collision.Box(V3(-5.5f, -36, Citadel), V3(5.5f, -14, 18.2f));
    AddPoints(model);
    return model;
}

TModelBuilder Dead()
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    Build(hull, 0, true);
    // Rolls over to port with the stern going first.
    Sink(hull, WreckFrames, V3(0, -20, -4),
         {{0, 0, 0, 0}, {0.25f, 2, -6, 2}, {0.6f, 7, -24, 10}, {1, 14, -62, 80}});
    struct TPiece { const char *Name; TVector3 Start, Velocity, Spin; };
    const TPiece pieces[] = {{"FireSmall_Debris_1", V3(0, -10, 16), V3(8, 4, 18), V3(2, 1, 3)},
                             {"SmokeSmall_Debris_2", V3(0, 47, 16), V3(-6, 6, 16), V3(-3, 2, 1)},
                             {"Fire_Debris_3", V3(0, -58, 16), V3(5, -7, 15), V3(1, -3, 2)}};
    for (const TPiece &p : pieces) {
        TMeshBuilder &piece = model.AddMesh(p.Name);
        DebrisPiece(piece, Skins, 1.8f);
        Throw(piece, WreckFrames, 5, p.Start, p.Velocity, p.Spin);
    }
    model.AddPoint("Hit", V3(16.5f, -10, 1));
    model.AddPoint("Explosion_VeryLarge_1", V3(0, -10, 16));
    model.AddPoint("ExplosionLarge_2", V3(0, 56, 14));
    model.AddPoint("ExplosionLarge_3", V3(0, -66, 13));
    model.AddPoint("Explosion_4", V3(8, 8, 14));
    model.AddPoint("Smoke_VeryLarge_1", V3(0, -4, 2));
    model.AddPoint("SmokeLarge_2", V3(0, 50, 2));
    model.AddPoint("Smoke_3", V3(-5, -60, 1.5f));
    model.AddPoint("FireLarge_1", V3(0, -8, 1));
    model.AddPoint("FireLarge_2", V3(3, 40, 1));
    model.AddPoint("Fire_3", V3(-4, -50, 1));
    return model;
}

TCanvas Paint(int side)
{
    const TTeam team = NavalTeam(side);
    TPainter painter(Layout, ShipFont(), 3000 + std::uint32_t(side));
    THullPaint hull;
    hull.DeckZ = DeckAt;
    hull.Number = std::string(side == 0 ? "63" : "17");
    hull.NumberY = 88;
    hull.NumberHeight = 4.0f;
    hull.PortholeDrop = 2.2f;
    hull.PortholeFrom = -95;
    hull.PortholeTo = 95;
    hull.Hawse = {96};
    const TSideMap map = TheHull.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return TheHull.DeckHalfWidthAt(y); };
    deck.Planks = true;
    deck.Marks = {84, -96};
    deck.MarkSize = 11;
    painter.Deck(TheHull.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, false);
    return painter.Canvas;
}

} // namespace

void MakeBattleShip(const TShipOutput &out)
{
    WriteShip(out, {"BattleShip", true, Main, Dead, Paint});
}
