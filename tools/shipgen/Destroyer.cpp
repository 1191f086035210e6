// The destroyer: a 150 m hull with three gun rings (two forward, one aft), two machine-gun sponsons
// amidships, a bridge with its mast, two funnels; the wreck breaks in two and sinks in a V.

#include "tools/shipgen/Ships.h"

#include <cmath>

namespace {

const TLayout Layout = StandardLayout();
const TSkins Skins = StandardSkins(Layout);
constexpr float BreakY = -8;   // where the wreck breaks in two

THull Hull()
{
    THull h;
    h.Length = 146;
    h.Beam = 15;
    h.Draught = 5;
    h.FreeboardBow = 8.5f;
    h.FreeboardMid = 5.6f;
    h.FreeboardStern = 4.4f;
    h.BowRake = 5;
    h.ForefootCut = 10;
    h.SternOverhang = 1.5f;
    h.SternCut = 8;
    h.Transom = 0.62f;
    h.FlatFrom = 0.22f;
    h.FlatTo = 0.5f;
    h.Bilge = 2.4f;
    h.Flare = 0.1f;
    h.BowFullness = 1.8f;
    h.Stations = 26;
    return h;
}

const THull TheHull = Hull();
float DeckAt(float y) { return TheHull.DeckHeightAt(y); }

// Mount points: the tops of the rings the turrets turn on.
const TVector3 Gun1 = V3(0, 48, DeckAt(48) + 0.8f), Gun2 = V3(0, 36, 11.0f), Gun3 = V3(0, -50, DeckAt(-50) + 0.8f);
const TVector3 MachineGun1 = V3(-6.1f, -7, 10.2f), MachineGun2 = V3(6.1f, -7, 10.2f);

// A block from the deck up to Top; a wreck's block that spans the break becomes two with a gap.
void DeckBlock(const TMeshPicker &at, bool wreck, float x, float y0, float y1, float top, const TSkin &walls)
{
    const float z0 = std::min(DeckAt(y0), DeckAt(y1)) - 0.3f;
    if (wreck && y0 < BreakY && y1 > BreakY) {
        Block(at(y0), V3(-x, y0, z0), V3(x, BreakY - 0.6f, top), walls, Skins.Roof);
        Block(at(y1), V3(-x, BreakY + 0.6f, z0), V3(x, y1, top), walls, Skins.Roof);
    } else {
        Block(at((y0 + y1) / 2), V3(-x, y0, z0), V3(x, y1, top), walls, Skins.Roof);
    }
}

void Superstructure(const TMeshPicker &at, int detail, bool wreck)
{
    // Forward: the raised house under the superfiring gun, then the bridge.
    DeckBlock(at, wreck, 4, 31, 41, Gun2.z - 0.6f, Skins.Walls);
    DeckBlock(at, wreck, 6, 12, 31, 9.8f, Skins.Walls);
    Block(at(22), V3(-5.2f, 15, 9.8f), V3(5.2f, 29, 12.6f), Skins.Walls, Skins.Roof);
    Frustum(at(24), {{-5.6f, 18.5f}, {5.6f, 18.5f}, {5.6f, 28.4f}, {-5.6f, 28.4f}}, 12.6f,
            {{-5.3f, 18.8f}, {5.3f, 18.8f}, {5.3f, 29.2f}, {-5.3f, 29.2f}}, 15.6f, Skins.Bridge, &Skins.Roof);
    Block(at(27), V3(-7.8f, 25.5f, 12.6f), V3(7.8f, 28.0f, 13.1f), Skins.Metal, Skins.Roof);   // bridge wings
    Mast(at(22), Skins, V3(0, 22, 15.6f), 16, 7, detail);
    at(26).Cylinder(V3(0, 26.5f, 15.6f), V3(0, 26.5f, 17.2f), 1.3f, 1.1f, RoundSegments(detail, 10), true,
                    Scaled(Skins.Metal, 8, 1.6f));   // the gun director

    // Amidships: the long house with both funnels and the machine-gun sponsons.
    DeckBlock(at, wreck, 5.2f, -26, 11, 9.6f, Skins.Walls);
    Funnel(at(2), Skins, 0, 2, 2.4f, 4.2f, 9.6f, 16.0f, 1.2f, detail);
    Funnel(at(-18), Skins, 0, -18, 2.2f, 3.8f, 9.6f, 15.2f, 1.2f, detail);
    for (const TVector3 &mg : {MachineGun1, MachineGun2}) {
        const float out = mg.x < 0 ? -1.0f : 1.0f;
        Block(at(mg.y), V3(std::min(out * 5.2f, out * 7.1f), mg.y - 2, 9.1f), V3(std::max(out * 5.2f, out * 7.1f), mg.y + 2, 9.6f),
              Skins.Metal, Skins.Roof, true);
        Barbette(at(mg.y), Skins, mg, 0.9f, 0.6f, detail);
    }

    // Aft: the after house with its small mast, the stern gun.
    DeckBlock(at, wreck, 4.5f, -40, -28, 9.0f, Skins.Walls);
    if (detail < 2)
        Mast(at(-34), Skins, V3(0, -33, 9.0f), 8, 4, detail);

    if (!wreck) {
        Barbette(at(Gun1.y), Skins, Gun1, 2.6f, 1.0f, detail);
        Barbette(at(Gun2.y), Skins, Gun2, 2.6f, 0.7f, detail);
        Barbette(at(Gun3.y), Skins, Gun3, 2.6f, 1.0f, detail);
    } else {
        WreckedTurret(at(Gun1.y), Skins, Gun1, 5.5f, 0.5f, 0.35f, 1);
        WreckedTurret(at(Gun2.y), Skins, Gun2, 5.5f, -0.3f, 0.1f, 1);
        WreckedTurret(at(Gun3.y), Skins, Gun3, 5.5f, Pi + 0.6f, 0.5f, 1);
    }

    if (detail == 0) {
        for (const float y : {-20.0f, -12.0f, 0.0f, 6.0f})
            for (const float x : {-5.7f, 5.7f})
                Raft(at(y), Skins, V3(x, y, 8.6f), 2.2f, 0.55f, detail);
        for (const float x : {-4.0f, 4.0f}) {   // torpedo tubes
            at(-24).Cylinder(V3(x, -26, DeckAt(-24) + 1.0f), V3(x * 0.7f, -21, DeckAt(-24) + 1.0f), 0.35f, 0.35f, 6, true,
                             Skins.Dark.UV);
            at(-66).Box(V3(x - 0.8f, -72, DeckAt(-68) - 0.1f), V3(x + 0.8f, -64, DeckAt(-68) + 0.9f), Scaled(Skins.Metal, 8, 1));
        }
        Block(at(66), V3(-1.6f, 65, DeckAt(66) - 0.1f), V3(1.6f, 67, DeckAt(66) + 0.7f), Skins.Metal, Skins.Metal);
    }
}

void AddPoints(TModelBuilder &model)
{
    model.AddPoint("Gun_1", Gun1);
    model.AddPoint("Gun_2", Gun2);
    model.AddPoint("Gun_3", Gun3);
    model.AddPoint("MachineGun_1", MachineGun1);
    model.AddPoint("MachineGun_2", MachineGun2);
    model.AddPoint("Water_1", V3(0, 72, 0));
    model.AddPoint("Water_2", V3(8.2f, 22, 0));
    model.AddPoint("Water_3", V3(-8.2f, 22, 0));
    model.AddPoint("Water_4", V3(5.5f, -70, 0));
    model.AddPoint("Water_5", V3(-5.5f, -70, 0));
}

TModelBuilder Main(int detail)
{
    TModelBuilder model;
    TMeshBuilder &hull = model.AddMesh("Hull");
    BuildHull(hull, TheHull, Layout, detail);
    Superstructure([&](float) -> TMeshBuilder & { return hull; }, detail, false);
    TMeshBuilder &collision = model.AddMesh("Collision");
    HullCollision(collision, TheHull);
    collision.Box(V3(-6, 12, 6), V3(6, 31, 15.6f));
    collision.Box(V3(-5.2f, -26, 6), V3(5.2f, 11, 18));
    collision.Box(V3(-4.5f, -40, 5.5f), V3(4.5f, -28, 9));
    AddPoints(model);
    return model;
}

// The two halves posed at one moment of the sinking; Debris adds the flying pieces.
TModelBuilder Wreck(int frames, const std::vector<TSinkKey> &bow, const std::vector<TSinkKey> &stern, bool debris)
{
    TModelBuilder model(frames, WreckFramesPerSecond);
    TMeshBuilder &aft = model.AddMesh("Stern");
    TMeshBuilder &fore = model.AddMesh("Bow");
    const float split = (BreakY - TheHull.YStern(0)) / (TheHull.YBow(0) - TheHull.YStern(0));
    BuildHull(aft, TheHull, Layout, 0, 0, split, Skins.Dark.UV);
    BuildHull(fore, TheHull, Layout, 0, split, 1, Skins.Dark.UV);
    Superstructure([&](float y) -> TMeshBuilder & { return y < BreakY ? aft : fore; }, 0, true);
    const TVector3 pivot = V3(0, BreakY, -3);
    Sink(fore, frames, pivot, bow);
    Sink(aft, frames, pivot, stern);
    if (debris) {
        struct TPiece { const char *Name; TVector3 Start, Velocity, Spin; };
        const TPiece pieces[] = {{"FireSmall_Debris_1", V3(0, BreakY, 10), V3(6, 3, 17), V3(3, 1, 2)},
                                 {"SmokeSmall_Debris_2", V3(1, 0, 12), V3(-7, -4, 14), V3(-2, 3, 1)},
                                 {"Fire_Debris_3", V3(0, 20, 14), V3(3, 8, 12), V3(1, -2, 4)}};
        for (const TPiece &p : pieces) {
            TMeshBuilder &piece = model.AddMesh(p.Name);
            DebrisPiece(piece, Skins, 1.2f);
            Throw(piece, frames, 5, p.Start, p.Velocity, p.Spin);
        }
    }
    return model;
}

TModelBuilder Dead()
{
    // The back breaks: both ends rise while the middle goes down, then everything slides under.
    TModelBuilder model = Wreck(WreckFrames,
                                {{0, 0, 0, 0}, {0.25f, 5, 6, 3, 1}, {0.6f, 17, 12, 12, 4}, {1, 32, 18, 62, 8}},
                                {{0, 0, 0, 0}, {0.25f, -4, -3, 3, -1}, {0.6f, -14, -8, 12, -4}, {1, -28, -10, 58, -8}}, true);
    model.AddPoint("Hit", V3(8.4f, BreakY, 1));
    model.AddPoint("ExplosionLarge_1", V3(0, BreakY, 9));
    model.AddPoint("Explosion_2", V3(0, 40, 10));
    model.AddPoint("ExplosionSmall_3", V3(0, -45, 7));
    model.AddPoint("SmokeLarge_1", V3(0, BreakY, 2));
    model.AddPoint("Smoke_2", V3(3, -40, 1.5f));
    model.AddPoint("SmokeSmall_3", V3(-3, 45, 1.5f));
    model.AddPoint("FireLarge_1", V3(0, BreakY + 3, 1));
    model.AddPoint("Fire_2", V3(-2, 25, 1));
    model.AddPoint("FireSmall_3", V3(2, -30, 1));
    return model;
}

// Where a point of the upright ship has gone in a posed wreck half, kept out of the water.
TVector3 Posed(const TMeshBuilder &half, const TVector3 &p)
{
    const TVector3 q = MatrixTransformPoint(p, KeyTransform(half.Keys, NormalizedSample(0, 1)));
    return V3(q.x, q.y, std::max(q.z, 0.5f));
}

// The wreck scripts leave in the sea: the bow half reared up, the stern awash; fires on the bridge,
// at the torn ends and on the after funnel.
TModelBuilder StaticWreck()
{
    TModelBuilder model = Wreck(1, {{0, 24, 8, 24, 6}}, {{0, -7, -12, 10, -6}}, false);
    const TMeshBuilder &aft = model.Meshes[0], &fore = model.Meshes[1];
    model.AddPoint("SimpleFire", Posed(fore, V3(0, 24, 15.6f)));
    model.AddPoint("SimpleFire_2", Posed(fore, V3(0, BreakY + 2, 9)));
    model.AddPoint("SimpleFire_3", Posed(aft, V3(0, BreakY - 2, 9)));
    model.AddPoint("SimpleFire_4", Posed(aft, V3(0, -18, 15.2f)));
    return model;
}

TCanvas Paint(int side)
{
    const TTeam team = NavalTeam(side);
    TPainter painter(Layout, ShipFont(), 1000 + std::uint32_t(side));
    THullPaint hull;
    hull.DeckZ = DeckAt;
    hull.Number = std::string(side == 0 ? "81" : "614");
    hull.NumberY = 54;
    hull.NumberHeight = 3.2f;
    hull.Stripe = true;
    hull.StripeY = 38;
    hull.PortholeDrop = 2.0f;
    hull.PortholeFrom = 14;
    hull.PortholeTo = 34;
    hull.Hawse = {67};
    const TSideMap map = TheHull.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return TheHull.DeckHalfWidthAt(y); };
    deck.Marks = {58};
    deck.MarkSize = 7;
    painter.Deck(TheHull.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, false);
    return painter.Canvas;
}

} // namespace

void MakeDestroyer(const TShipOutput &out)
{
    WriteShip(out, {"Destroyer", true, Main, Dead, Paint});
    SaveModel(StaticWreck(), Scorched(Paint(0), 77), out.Folder("Destroyer") + "Dead");
}
