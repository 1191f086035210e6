// The transports a script creates by name ("OBJECT_SHIP"): "Cargo", a container ship, and
// "Tanker". Both carry their bridge aft; both wrecks go down by one end.

#include "tools/shipgen/Ships.h"

#include <cmath>

namespace {

const TLayout Layout = StandardLayout();
const TSkins Skins = StandardSkins(Layout);
// The cargo ship's containers live in the spare swatch: a wall of them 20 m wide, four high.
const TSkin Containers = {Layout.UV(Layout.Swatch[3]), 20, 10.4f};

// The accommodation block aft: decks of 2.8 m up to the bridge, its wings, the funnel behind it,
// lifeboats on both sides.
void Accommodation(TMeshBuilder &m, float deck, float yBack, float yFront, float half, int levels, float funnelY,
                   int detail)
{
    float z = deck - 0.3f;
    for (int i = 0; i < levels; ++i) {
        const float inset = float(i) * 0.35f;
        Block(m, V3(-half + inset, yBack + inset, z), V3(half - inset, yFront - inset * 0.5f, deck + 2.8f * float(i + 1)),
              Skins.Walls, Skins.Roof);
        z = deck + 2.8f * float(i + 1);
    }
    const float inset = float(levels) * 0.35f;
    Frustum(m, {{-half + inset, yFront - 6}, {half - inset, yFront - 6}, {half - inset, yFront - inset * 0.5f}, {-half + inset, yFront - inset * 0.5f}},
            z, {{-half + inset, yFront - 6}, {half - inset, yFront - 6}, {half - inset, yFront - inset * 0.5f + 0.4f}, {-half + inset, yFront - inset * 0.5f + 0.4f}},
            z + 3.2f, Skins.Bridge, &Skins.Roof);
    Block(m, V3(-half - 2, yFront - 3, z + 0.1f), V3(half + 2, yFront - 0.8f, z + 0.5f), Skins.Metal, Skins.Roof);   // wings
    Funnel(m, Skins, 0, funnelY, 3.2f, 3.6f, deck + 2.8f, z + 6.5f, 0.6f, detail);
    Mast(m, Skins, V3(0, yFront - 4, z + 3.2f), 7, 5, detail);
    if (detail < 2)
        for (const float x : {-half - 0.6f, half + 0.6f})
            Raft(m, Skins, V3(x, (yBack + yFront) / 2, deck + 4.5f), 7, 1.2f, detail);
}

// A deck crane: pedestal, cab and a jib raised towards the bow.
void Crane(TMeshBuilder &m, const TVector3 &base, float jib, int detail)
{
    const int n = RoundSegments(detail, 8);
    m.Cylinder(base, V3(base.x, base.y, base.z + 6), 1.0f, 0.9f, n, false, Scaled(Skins.Metal, 6, 6));
    Block(m, V3(base.x - 1.4f, base.y - 1.6f, base.z + 6), V3(base.x + 1.4f, base.y + 1.6f, base.z + 8.2f), Skins.Walls, Skins.Roof);
    m.Cylinder(V3(base.x, base.y + 1, base.z + 7), V3(base.x, base.y + 1 + jib * 0.75f, base.z + 7 + jib * 0.65f), 0.45f, 0.25f, 5,
               false, Scaled(Skins.Metal, 3, jib));
}

// ---- The container ship ----

THull CargoHull()
{
    THull h;
    h.Length = 146;
    h.Beam = 22;
    h.Draught = 7;
    h.FreeboardBow = 12;
    h.FreeboardMid = 9;
    h.FreeboardStern = 9.5f;
    h.BowRake = 5;
    h.ForefootCut = 10;
    h.SternOverhang = 4;
    h.SternCut = 12;
    h.Transom = 0.66f;
    h.FlatFrom = 0.2f;
    h.FlatTo = 0.62f;
    h.Bilge = 6;
    h.Flare = 0.03f;
    h.BowFullness = 2.5f;
    return h;
}

const THull Cargo = CargoHull();
const float CargoBays[] = {-34, -21, -8, 5, 18, 31, 44};

void CargoBuild(TMeshBuilder &m, int detail)
{
    BuildHull(m, Cargo, Layout, detail);
    for (std::size_t b = 0; b < std::size(CargoBays); ++b) {
        const float y = CargoBays[b], deck = std::min(Cargo.DeckHeightAt(y - 6), Cargo.DeckHeightAt(y + 6));
        const float half = std::min(9.8f, std::min(Cargo.DeckHalfWidthAt(y - 6), Cargo.DeckHalfWidthAt(y + 6)) - 1.0f);
        // Each bay in two stacks of two to four tiers.
        for (const int side : {-1, 1}) {
            const int tiers = 2 + int(HashInt(int(b) * 2 + (side > 0)) % 3);
            const float x0 = side < 0 ? -half : 0.1f, x1 = side < 0 ? -0.1f : half;
            Block(m, V3(x0, y - 6.1f, deck - 0.2f), V3(x1, y + 6.1f, deck + 0.8f + 2.6f * float(tiers)), Containers, Containers);
        }
    }
    Accommodation(m, Cargo.DeckHeightAt(-55), -62, -47, 9.2f, 4, -66, detail);
    if (detail < 2) {
        for (const float y : {-27.5f, 11.5f, 37.5f})
            Crane(m, V3(-10.2f, y, Cargo.DeckHeightAt(y)), 16, detail);
        Mast(m, Skins, V3(0, 64, Cargo.DeckHeightAt(64)), 12, 5, detail);
    }
}

TModelBuilder CargoMain(int detail)
{
    TModelBuilder model;
    CargoBuild(model.AddMesh("Hull"), detail);
    TMeshBuilder &collision = model.AddMesh("Collision");
    HullCollision(collision, Cargo);
    collision.Box(V3(-9.8f, -40, 8), V3(9.8f, 50, 20));
    collision.Box(V3(-9.2f, -66, 8), V3(9.2f, -47, 24));
    model.AddPoint("Water_1", V3(0, 72, 0));
    model.AddPoint("Water_2", V3(11.2f, 20, 0));
    model.AddPoint("Water_3", V3(-11.2f, 20, 0));
    model.AddPoint("Water_4", V3(7.5f, -70, 0));
    model.AddPoint("Water_5", V3(-7.5f, -70, 0));
    return model;
}

TModelBuilder CargoDead()
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    CargoBuild(hull, 0);
    Sink(hull, WreckFrames, V3(0, 10, -3), {{0, 0, 0, 0}, {0.3f, -4, 4, 2}, {0.65f, -14, 8, 10}, {1, -30, 12, 70}});
    // Two containers go over the side.
    const std::pair<TVector3, TVector3> thrown[] = {{V3(6, 18, 18), V3(7, 1, 6)}, {V3(-6, -8, 16), V3(-6, -2, 8)}};
    for (std::size_t i = 0; i < 2; ++i) {
        TMeshBuilder &box = model.AddMesh(i == 0 ? "SmokeSmall_Container_1" : "Smoke_Container_2");
        Block(box, V3(-1.2f, -6.1f, -1.3f), V3(1.2f, 6.1f, 1.3f), Containers, Containers, true);
        Throw(box, WreckFrames, 5, thrown[i].first, thrown[i].second, V3(0.8f, 0.3f, 0.2f));
    }
    model.AddPoint("Hit", V3(11.5f, 5, 1));
    model.AddPoint("ExplosionLarge_1", V3(0, 5, 12));
    model.AddPoint("Explosion_2", V3(0, -55, 14));
    model.AddPoint("SmokeLarge_1", V3(0, 5, 2));
    model.AddPoint("Smoke_2", V3(-4, -40, 1.5f));
    model.AddPoint("FireLarge_1", V3(2, 8, 1));
    model.AddPoint("Fire_2", V3(-3, -50, 1));
    return model;
}

TCanvas CargoPaint(int side)
{
    const TTeam team = MerchantTeam(side);
    TPainter painter(Layout, ShipFont(), 4000 + std::uint32_t(side));
    THullPaint hull;
    hull.DeckZ = [](float y) { return Cargo.DeckHeightAt(y); };
    hull.Name = std::string(side == 0 ? "MERIDIAN" : "KORVIN");
    hull.BootTop = 0.3f;
    hull.Hawse = {64};
    const TSideMap map = Cargo.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return Cargo.DeckHalfWidthAt(y); };
    deck.Hatches.assign(std::begin(CargoBays), std::end(CargoBays));
    deck.HatchWidth = 19;
    deck.HatchLength = 12;
    painter.Deck(Cargo.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, true);
    // Containers in company colours, corrugated, four tiers of eight.
    const TColor palette[] = {Rgb(0.12f, 0.35f, 0.62f), Rgb(0.70f, 0.16f, 0.12f), Rgb(0.85f, 0.45f, 0.10f),
                              Rgb(0.20f, 0.45f, 0.25f), Rgb(0.55f, 0.56f, 0.57f), Rgb(0.85f, 0.84f, 0.80f),
                              Rgb(0.55f, 0.40f, 0.22f), Rgb(0.15f, 0.55f, 0.60f)};
    painter.Fill(Layout.Swatch[3], Containers.MetresU, Containers.MetresV, [&](float x, float y) {
        const int column = int(std::floor(x / 2.5f)), tier = int(std::floor(y / 2.6f));
        TColor c = palette[HashInt(column * 31 + tier * 7 + side * 101) % std::size(palette)];
        const float fx = x - float(column) * 2.5f, fy = y - float(tier) * 2.6f;
        if (fx < 0.12f || fx > 2.38f || fy < 0.1f || fy > 2.5f)
            c = Shade(c, 0.45f);
        else if (std::fmod(fx, 0.3f) < 0.1f)
            c = Shade(c, 0.85f);
        return Shade(c, 0.9f + 0.15f * Noise(x, y, 1.5f, 4400));
    });
    return painter.Canvas;
}

// ---- The tanker ----

THull TankerHull()
{
    THull h;
    h.Length = 170;
    h.Beam = 28;
    h.Draught = 10;
    h.FreeboardBow = 12;
    h.FreeboardMid = 8;
    h.FreeboardStern = 9.5f;
    h.BowRake = 5;
    h.ForefootCut = 12;
    h.SternOverhang = 4;
    h.SternCut = 14;
    h.Transom = 0.62f;
    h.FlatFrom = 0.2f;
    h.FlatTo = 0.66f;
    h.Bilge = 7;
    h.Flare = 0.02f;
    h.BowFullness = 2.8f;
    return h;
}

const THull Tanker = TankerHull();

void TankerBuild(TMeshBuilder &m, int detail)
{
    BuildHull(m, Tanker, Layout, detail);
    const float deck = Tanker.DeckHeightAt(0);
    // Pipes and the catwalk along the tanks, the manifold and its cranes amidships.
    for (const float x : {-2.6f, 2.6f})
        m.Cylinder(V3(x, -58, deck + 0.6f), V3(x, 66, deck + 0.6f), 0.45f, 0.45f, RoundSegments(detail, 6), false,
                   Scaled(Skins.Metal, 3, 10));
    m.Box(V3(-0.7f, -58, deck + 2.4f), V3(0.7f, 70, deck + 2.7f), Scaled(Skins.Metal, 2, 10));
    Block(m, V3(-12, 0, deck - 0.2f), V3(12, 2.2f, deck + 1.6f), Skins.Metal, Skins.Metal);
    if (detail < 2) {
        for (const float x : {-10.5f, 10.5f})
            Crane(m, V3(x, 7, deck), 10, detail);
        Mast(m, Skins, V3(0, 76, Tanker.DeckHeightAt(76)), 12, 5, detail);
    }
    if (detail == 0)
        for (float y = -48; y < 64; y += 14)
            for (const float x : {-8.0f, 8.0f})
                m.Cylinder(V3(x, y, deck - 0.1f), V3(x, y, deck + 0.7f), 0.9f, 0.8f, 6, true, Scaled(Skins.Metal, 5, 1));
    Accommodation(m, Tanker.DeckHeightAt(-65), -74, -58, 11, 5, -78, detail);
}

TModelBuilder TankerMain(int detail)
{
    TModelBuilder model;
    TankerBuild(model.AddMesh("Hull"), detail);
    TMeshBuilder &collision = model.AddMesh("Collision");
    HullCollision(collision, Tanker);
    collision.Box(V3(-11, -80, 8), V3(11, -58, 28));
    model.AddPoint("Water_1", V3(0, 84, 0));
    model.AddPoint("Water_2", V3(14.2f, 20, 0));
    model.AddPoint("Water_3", V3(-14.2f, 20, 0));
    model.AddPoint("Water_4", V3(9.5f, -80, 0));
    model.AddPoint("Water_5", V3(-9.5f, -80, 0));
    return model;
}

TModelBuilder TankerDead()
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    TankerBuild(hull, 0);
    Sink(hull, WreckFrames, V3(0, -20, -3), {{0, 0, 0, 0}, {0.3f, 4, 5, 2}, {0.65f, 10, 10, 12}, {1, 22, 15, 66}});
    TMeshBuilder &piece = model.AddMesh("FireSmall_Debris_1");
    DebrisPiece(piece, Skins, 1.5f);
    Throw(piece, WreckFrames, 5, V3(0, 10, 12), V3(5, 3, 16), V3(2, 1, 3));
    model.AddPoint("Hit", V3(14.5f, 10, 1));
    model.AddPoint("Explosion_VeryLarge_1", V3(0, 10, 10));
    model.AddPoint("Explosion_2", V3(0, 40, 10));
    model.AddPoint("Smoke_VeryLarge_1", V3(0, 10, 1.5f));
    model.AddPoint("SmokeLarge_2", V3(4, 40, 1.5f));
    model.AddPoint("Fire_VeryLarge_1", V3(0, 12, 1));
    model.AddPoint("FireLarge_2", V3(-5, 35, 1));
    model.AddPoint("Fire_3", V3(3, -30, 1));
    return model;
}

TCanvas TankerPaint(int side)
{
    const TTeam team = MerchantTeam(side);
    TPainter painter(Layout, ShipFont(), 4500 + std::uint32_t(side));
    THullPaint hull;
    hull.DeckZ = [](float y) { return Tanker.DeckHeightAt(y); };
    hull.Name = std::string(side == 0 ? "SEA PEARL" : "OBSIDIAN");
    hull.BootTop = 0.3f;
    hull.Hawse = {76};
    const TSideMap map = Tanker.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return Tanker.DeckHalfWidthAt(y); };
    deck.Walkway = true;
    painter.Deck(Tanker.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, true);
    return painter.Canvas;
}

} // namespace

void MakeCargo(const TShipOutput &out)
{
    WriteShip(out, {"Cargo", true, CargoMain, CargoDead, CargoPaint});
}

void MakeTanker(const TShipOutput &out)
{
    WriteShip(out, {"Tanker", true, TankerMain, TankerDead, TankerPaint});
}
