// The patrol boat: a 25 m planing hull with a wheelhouse and one machine gun on the foredeck; the
// wreck goes down by the stern.

#include "tools/shipgen/Ships.h"

namespace {

const TLayout Layout = StandardLayout();
const TSkins Skins = [] {
    TSkins s = StandardSkins(Layout);
    s.Bridge.MetresU = 8;   // a small wheelhouse: its windows at the boat's scale
    s.Bridge.MetresV = 2.4f;
    s.Walls.MetresU = 12;
    s.Walls.MetresV = 6;
    return s;
}();

THull Hull()
{
    THull h;
    h.Length = 24;
    h.Beam = 5.6f;
    h.Draught = 1.3f;
    h.FreeboardBow = 2.7f;
    h.FreeboardMid = 2.0f;
    h.FreeboardStern = 1.8f;
    h.BowRake = 1.6f;
    h.ForefootCut = 3;
    h.SternOverhang = 0.2f;
    h.SternCut = 0.4f;
    h.Transom = 0.86f;
    h.FlatFrom = 0.25f;
    h.FlatTo = 0.42f;
    h.Bilge = 1.3f;   // a deep vee
    h.Flare = 0.18f;
    h.BowFullness = 1.8f;
    h.Stations = 18;
    return h;
}

const THull TheHull = Hull();
float DeckAt(float y) { return TheHull.DeckHeightAt(y); }
const TVector3 MachineGun1 = V3(0, 7.2f, DeckAt(7.2f) + 0.45f);

void Build(TMeshBuilder &m, int detail, bool wreck)
{
    BuildHull(m, TheHull, Layout, detail);
    const float deck = DeckAt(0);
    // The wheelhouse with a raked front, its roof with a mast, radar and searchlight.
    Block(m, V3(-2.0f, -3.5f, deck - 0.1f), V3(2.0f, 1.0f, deck + 1.0f), Skins.Walls, Skins.Roof);
    Frustum(m, {{-2.0f, -2.5f}, {2.0f, -2.5f}, {2.0f, 3.6f}, {-2.0f, 3.6f}}, deck + 1.0f,
            {{-1.8f, -2.3f}, {1.8f, -2.3f}, {1.8f, 2.6f}, {-1.8f, 2.6f}}, deck + 3.0f, Skins.Bridge, &Skins.Roof);
    m.Cylinder(V3(0, -0.5f, deck + 3.0f), V3(0, -0.5f, deck + 7.0f), 0.12f, 0.08f, RoundSegments(detail, 6), false,
               Skins.Dark.UV);
    if (detail < 2)
        Radar(m, Skins, V3(0, -0.5f, deck + 5.6f), 1.8f);
    // Engine hatches and exhausts aft.
    Block(m, V3(-1.5f, -10, DeckAt(-8) - 0.1f), V3(1.5f, -6, DeckAt(-8) + 0.4f), Skins.Metal, Skins.Roof);
    if (detail == 0) {
        Raft(m, Skins, V3(0, -4.8f, deck + 0.35f), 1.6f, 0.4f, detail);
        m.Cylinder(V3(0.9f, 2.2f, deck + 3.0f), V3(0.9f, 2.2f, deck + 3.5f), 0.25f, 0.3f, 6, true, Skins.Metal.UV);
        for (const float x : {-1.2f, 1.2f})
            m.Cylinder(V3(x, -11.8f, DeckAt(-11) + 0.2f), V3(x, -12.1f, DeckAt(-11) + 0.2f), 0.18f, 0.18f, 6, true,
                       Skins.Dark.UV);
    }
    if (!wreck)
        Barbette(m, Skins, MachineGun1, 0.8f, 0.45f, detail);
    else
        WreckedTurret(m, Skins, MachineGun1, 1.4f, 0.8f, 0.4f, 2);
}

TModelBuilder Main(int detail)
{
    TModelBuilder model;
    Build(model.AddMesh("Hull"), detail, false);
    TMeshBuilder &collision = model.AddMesh("Collision");
    HullCollision(collision, TheHull);
    collision.Box(V3(-2, -3.5f, 1.9f), V3(2, 3.6f, 5));
    model.AddPoint("MachineGun_1", MachineGun1);
    model.AddPoint("Water_1", V3(0, 11.5f, 0));
    model.AddPoint("Water_2", V3(2.9f, 1, 0));
    model.AddPoint("Water_3", V3(-2.9f, 1, 0));
    model.AddPoint("Water_4", V3(2.0f, -11.8f, 0));
    model.AddPoint("Water_5", V3(-2.0f, -11.8f, 0));
    return model;
}

TModelBuilder Dead()
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    Build(hull, 0, true);
    Sink(hull, WreckFrames, V3(0, -5, 0), {{0, 0, 0, 0}, {0.3f, 8, -6, 0.8f}, {0.65f, 22, -12, 3}, {1, 38, -16, 16}});
    TMeshBuilder &piece = model.AddMesh("SmokeSmall_Debris_1");
    DebrisPiece(piece, Skins, 0.5f);
    Throw(piece, WreckFrames, 5, V3(0, 0, 4), V3(3, 2, 9), V3(3, 2, 1));
    model.AddPoint("Hit", V3(3.0f, -2, 0.5f));
    model.AddPoint("ExplosionSmall_1", V3(0, -2, 3));
    model.AddPoint("Explosion_2", V3(0, -8, 2));
    model.AddPoint("SmokeSmall_1", V3(0, -6, 1));
    model.AddPoint("FireSmall_1", V3(0.5f, -3, 0.8f));
    return model;
}

TCanvas Paint(int side)
{
    const TTeam team = NavalTeam(side);
    TPainter painter(Layout, ShipFont(), 2000 + std::uint32_t(side));
    THullPaint hull;
    hull.DeckZ = DeckAt;
    hull.Number = std::string(side == 0 ? "P21" : "P07");
    hull.NumberY = 6.5f;
    hull.NumberHeight = 0.9f;
    hull.Stripe = true;
    hull.StripeY = 2.0f;
    hull.BootTop = 0.25f;
    const TSideMap map = TheHull.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return TheHull.DeckHalfWidthAt(y); };
    deck.Marks = {-9.0f};
    deck.MarkSize = 3.0f;
    painter.Deck(TheHull.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, false);
    return painter.Canvas;
}

} // namespace

void MakeBoat(const TShipOutput &out)
{
    WriteShip(out, {"Boat", false, Main, Dead, Paint});
}
