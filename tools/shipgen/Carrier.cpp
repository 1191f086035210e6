// The aircraft carrier, the player's base: a 300 m flight deck 20 m above the water with an angled
// landing area, the island on the starboard side, two machine-gun sponsons, and the points the
// player aircraft takes off from, parks at, lands through and is watched from. One paint, the
// player's navy: "Carrier\Main.otm" and "Carrier\Dead.otm".

#include "tools/shipgen/Ships.h"

#include <cmath>

namespace {

TLayout CarrierLayout()
{
    TLayout l;
    l.W = 1024;
    l.H = 512;
    l.HullS = {0, 256, 1024, 320};
    l.HullP = {0, 320, 1024, 384};
    l.Walls = {0, 384, 256, 512};
    l.Metal = {256, 384, 384, 512};
    l.Roof = {384, 384, 512, 512};
    l.Funnel = {512, 384, 640, 512};
    l.Bridge = {640, 384, 768, 512};
    l.Swatch[0] = {768, 384, 832, 448};
    l.Swatch[1] = {832, 384, 896, 448};
    l.Swatch[2] = {896, 384, 960, 448};
    l.Swatch[3] = {960, 384, 1024, 448};
    l.Deck = {768, 448, 1024, 512};   // the hangar-deck roof under the flight deck, hardly seen
    return l;
}

const TLayout Layout = CarrierLayout();
const TPixRect FlightDeckRect = {0, 0, 1024, 256};
const TSkins Skins = StandardSkins(Layout);

THull Hull()
{
    THull h;
    h.Length = 270;
    h.Beam = 36;
    h.Draught = 10;
    h.FreeboardBow = 17.5f;
    h.FreeboardMid = 16.5f;
    h.FreeboardStern = 16.5f;
    h.BowRake = 14;
    h.ForefootCut = 16;
    h.SternOverhang = 6;
    h.SternCut = 24;
    h.Transom = 0.75f;
    h.FlatFrom = 0.2f;
    h.FlatTo = 0.6f;
    h.Bilge = 4;
    h.Flare = 0.22f;
    h.BowFullness = 2.0f;
    h.Y = -3;
    h.Stations = 28;
    return h;
}

const THull TheHull = Hull();
constexpr float DeckTop = 20, DeckUnder = 16.8f;
constexpr float DeckYMin = -150, DeckYMax = 152, DeckXMin = -42, DeckXMax = 28;

// The flight deck seen from above, counter-clockwise: stern, starboard side, bow, the port side
// with the angled deck's overhang.
const std::vector<TPoint2> DeckOutline = {{-26, -150}, {22, -150}, {27, -138}, {28, 96},    {24, 126}, {14, 152},
                                          {-12, 152},  {-19, 132}, {-22, 80},  {-40, 14},   {-42, -60}, {-36, -128}};

// The player's points on the deck: take off from Start towards the bow, park at End, land by
// passing Land_end, then Land_begin; the camera watches the launch from off the port side.
const TVector3 Start = V3(-6, -105, 22), End = V3(-6, 115, 22);
const TVector3 Camera = V3(-49.7f, -94.1f, 36.5f);
const TVector3 LandEnd = V3(-8, -120, DeckTop + 0.5f), LandBegin = V3(-20, -20, DeckTop + 0.5f);
const TVector3 Gun1 = V3(31, 108, 19.2f), Gun2 = V3(-41, -118, 19.2f);

void FlightDeck(TMeshBuilder &m)
{
    // Built turned a quarter round so that the cap mapping runs along the ship: u from stern to
    // bow, v from the port edge (top of the picture) to starboard.
    std::vector<TPoint2> local;
    for (const TPoint2 &p : DeckOutline)
        local.push_back({p.y, -p.x});
    const TMatrix4 saved = m.Transform;
    m.Transform = Placement(V3(0, 0, 0), V3(0, 0, Pi / 2));
    m.Extrude(local, DeckUnder, DeckTop, Scaled(Skins.Metal, 40, 3), Layout.UV(FlightDeckRect));
    m.Transform = saved;
}

void Island(TMeshBuilder &m, int detail)
{
    Block(m, V3(22.5f, 6, DeckTop - 0.2f), V3(32.5f, 48, 29), Skins.Walls, Skins.Roof);
    Block(m, V3(23.5f, 10, 29), V3(32, 44, 36), Skins.Walls, Skins.Roof);
    Frustum(m, {{23.2f, 24}, {32.2f, 24}, {32.2f, 42}, {23.2f, 42}}, 36, {{23.2f, 24.3f}, {32.2f, 24.3f}, {32.2f, 42.8f}, {23.2f, 42.8f}},
            39.5f, Skins.Bridge, &Skins.Roof);
    Frustum(m, {{23.6f, 27}, {31.8f, 27}, {31.8f, 41}, {23.6f, 41}}, 39.5f, {{23.6f, 27.2f}, {31.8f, 27.2f}, {31.8f, 41.6f}, {23.6f, 41.6f}},
            42.5f, Skins.Bridge, &Skins.Roof);
    Funnel(m, Skins, 27.8f, 16, 3.6f, 5.0f, 36, 48, 1.2f, detail);
    Mast(m, Skins, V3(27.8f, 34, 42.5f), 24, 11, detail);
    if (detail < 2) {
        Radar(m, Skins, V3(27.8f, 39.5f, 45), 8, 0.3f);
        m.Box(V3(25.5f, 38, 42.5f), V3(30, 41, 43.1f), Scaled(Skins.Metal, 4, 1));
    }
    // The machine-gun sponsons off the deck edge.
    for (const TVector3 &g : {Gun1, Gun2}) {
        const float out = g.x > 0 ? 1.0f : -1.0f;
        Block(m, V3(g.x - 3 - out, g.y - 4, DeckUnder), V3(g.x + 3 - out, g.y + 4, 18.4f), Skins.Metal, Skins.Roof, true);
        Barbette(m, Skins, g, 1.1f, 0.8f, detail);
    }
}

void Build(TMeshBuilder &m, int detail)
{
    BuildHull(m, TheHull, Layout, detail);
    FlightDeck(m);
    Island(m, detail);
    if (detail == 0)
        for (const float y : {-110.0f, -80.0f, 60.0f, 90.0f})
            for (const float x : {-19.5f, 20.5f})
                Raft(m, Skins, V3(x, y, 14.5f), 4, 0.9f, detail);
}

TModelBuilder Main(int detail)
{
    TModelBuilder model;
    Build(model.AddMesh("Hull"), detail);
    // Collision: the hull sides up to 15 m and the island. The flight deck itself is left out so the
    // player's aircraft can sit on it at the start point without being pushed off.
    TMeshBuilder &collision = model.AddMesh("Collision");
    const std::vector<float> stations = {0, 0.2f, 0.45f, 0.7f, 0.85f, 0.95f, 1};
    for (std::size_t i = 0; i + 1 < stations.size(); ++i) {
        TVector3 a = TheHull.Point(stations[i], 1), b = TheHull.Point(stations[i + 1], 1);
        a.z = b.z = 15;
        const TVector3 a0 = V3(a.x, a.y, 0), b0 = V3(b.x, b.y, 0);
        collision.Quad(a0, b0, b, a);
        collision.Quad(V3(-b.x, b.y, 0), V3(-a.x, a.y, 0), V3(-a.x, a.y, 15), V3(-b.x, b.y, 15));
    }
    collision.Box(V3(22.5f, 6, DeckTop), V3(32.5f, 48, 42.5f));
    collision.Box(V3(24.2f, 11, 36), V3(31.4f, 21, 48));
    const std::pair<const char *, TVector3> points[] = {
        {"Start", Start},        {"End", End},          {"Camera", Camera},           {"Land_end", LandEnd},
        {"Land_begin", LandBegin}, {"Gun_1", Gun1},     {"Gun_2", Gun2},              {"Water_1", V3(0, 138, 0)},
        {"Water_2", V3(19.5f, 30, 0)}, {"Water_3", V3(-19.5f, 30, 0)}, {"Water_4", V3(15, -130, 0)},
        {"Water_5", V3(-15, -130, 0)}};
    for (const auto &[name, at] : points)
        model.AddPoint(name, at);
    return model;
}

TModelBuilder Dead()
{
    TModelBuilder model(WreckFrames, WreckFramesPerSecond);
    TMeshBuilder &hull = model.AddMesh("Hull");
    Build(hull, 0);
    // Lists to starboard and goes down by the stern.
    Sink(hull, WreckFrames, V3(0, 0, -4), {{0, 0, 0, 0}, {0.3f, 2, 6, 3}, {0.7f, 6, 16, 14}, {1, 12, 28, 84}});
    struct TPiece { const char *Name; TVector3 Start, Velocity, Spin; };
    const TPiece pieces[] = {{"FireSmall_Debris_1", V3(0, 0, 22), V3(7, 4, 17), V3(2, 1, 3)},
                             {"SmokeSmall_Debris_2", V3(-10, -80, 22), V3(-6, -5, 15), V3(-3, 2, 1)},
                             {"Fire_Debris_3", V3(27, 30, 40), V3(6, 3, 10), V3(1, -3, 2)}};
    for (const TPiece &p : pieces) {
        TMeshBuilder &piece = model.AddMesh(p.Name);
        DebrisPiece(piece, Skins, 2.0f);
        Throw(piece, WreckFrames, 5, p.Start, p.Velocity, p.Spin);
    }
    model.AddPoint("Hit", V3(20, 0, 1));
    model.AddPoint("Explosion_VeryLarge_1", V3(0, 0, 22));
    model.AddPoint("ExplosionLarge_2", V3(0, -80, 22));
    model.AddPoint("ExplosionLarge_3", V3(10, 90, 22));
    model.AddPoint("Explosion_4", V3(27, 30, 40));
    model.AddPoint("Smoke_VeryLarge_1", V3(0, -10, 2));
    model.AddPoint("SmokeLarge_2", V3(5, 70, 2));
    model.AddPoint("Smoke_3", V3(-10, -100, 2));
    model.AddPoint("FireLarge_1", V3(0, 0, 1));
    model.AddPoint("FireLarge_2", V3(8, 60, 1));
    model.AddPoint("Fire_3", V3(-12, -80, 1));
    return model;
}

// Distance from P to the segment A-B.
float SegmentDistance(float px, float py, const TPoint2 &a, const TPoint2 &b)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float t = Clamp01(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy));
    return std::hypot(px - a.x - t * dx, py - a.y - t * dy);
}

void PaintFlightDeck(TPainter &painter)
{
    const TColor deck = Rgb(0.30f, 0.31f, 0.33f), white = Rgb(0.92f, 0.92f, 0.9f), yellow = Rgb(0.9f, 0.75f, 0.15f);
    const TColor red = Rgb(0.75f, 0.15f, 0.12f);
    // The landing area runs along the line through the two landing gates.
    const float ax = LandBegin.x - LandEnd.x, ay = LandBegin.y - LandEnd.y, al = std::hypot(ax, ay);
    const float ux = ax / al, uy = ay / al;
    const TPixRect r = FlightDeckRect;
    painter.Fill(r, DeckYMax - DeckYMin, DeckXMax - DeckXMin, [&](float along, float across) {
        const float y = DeckYMin + along, x = DeckXMin + across;
        float edge = 1e9f;
        for (std::size_t i = 0; i < DeckOutline.size(); ++i)
            edge = std::min(edge, SegmentDistance(x, y, DeckOutline[i], DeckOutline[(i + 1) % DeckOutline.size()]));
        TColor c = Shade(deck, 1 - 0.06f * (std::fabs(std::fmod(y + 300, 10.0f) - 5) > 4.9f));
        c = Shade(c, 0.93f + 0.1f * Noise(x, y, 0.7f, 6001) + 0.08f * (Noise(x, y, 12, 6003) - 0.5f));
        // Landing area: edge lines, a dashed centre line, touchdown marks and tyre streaks.
        const float lx = x - LandEnd.x, ly = y - LandEnd.y;
        const float a = lx * ux + ly * uy, d = lx * uy - ly * ux;   // along the landing axis, and off it
        if (a > -40 && a < 125) {
            if (std::fabs(std::fabs(d) - 11) < 0.35f)
                c = white;
            if (std::fabs(d) < 0.4f && std::fmod(a + 400, 12.0f) < 7)
                c = white;
            if (a > 5 && a < 45 && std::fabs(d) < 9)
                c = MixClamped(c, Rgb(0.12f, 0.12f, 0.13f), 0.35f * Clamp01((Noise(d * 4, a * 0.15f, 1, 6005) - 0.45f) * 3));
            if (a > -2 && a < 2 && std::fabs(d) > 2 && std::fabs(d) < 9 && std::fmod(std::fabs(d), 2.0f) < 1.2f)
                c = white;
        }
        // The take-off line from the start point to the bow.
        if (std::fabs(x - Start.x) < 0.3f && y > Start.y - 10 && std::fmod(y + 400, 8.0f) < 5)
            c = yellow;
        if (std::fabs(y - Start.y) < 0.4f && std::fabs(x - Start.x) < 6)
            c = yellow;
        // Lifts beside the island, the island's safe line.
        for (const float ly0 : {-24.0f, 56.0f})
            if (x > 13 && x < 27 && y > ly0 && y < ly0 + 16 && (x < 13.5f || y < ly0 + 0.5f || y > ly0 + 15.5f))
                c = Rgb(0.15f, 0.15f, 0.16f);
        if (x > 19.5f && x < 20 && y > 4 && y < 50)
            c = yellow;
        // The edge line, and the striped round-down at the stern.
        if (edge < 1.0f && edge > 0.5f)
            c = white;
        if (y < DeckYMin + 3.5f && std::fmod(x + y + 400, 4.0f) < 2)
            c = edge < 0.5f ? c : (std::fmod(x + 400, 8.0f) < 4 ? red : white);
        return c;
    });
    // The ship's number on the bow, upright for a pilot coming in from astern.
    // (The picture's right is the bow, so the letters are turned a quarter round.)
    TFont font(ShipFont());
    const TMask text = font.Render("68", 46, 6, 2);
    const float perMetre = float(r.W() - 2) / (DeckYMax - DeckYMin);
    const int cx = r.X0 + 1 + int((128 - DeckYMin) * perMetre), cy = r.Y0 + 1 + int((-4 - DeckXMin) * float(r.H() - 2) / (DeckXMax - DeckXMin));
    TMask turned(text.h, text.w);
    for (int y = 0; y < text.h; ++y)
        for (int x = 0; x < text.w; ++x)
            turned.at(text.h - 1 - y, x) = text.get(x, y);
    painter.Canvas.Paint(turned, cx - turned.w / 2, cy - turned.h / 2, [&](int, int) { return white; }, 0.9f);
}

TCanvas Paint()
{
    const TTeam team = NavalTeam(0);
    TPainter painter(Layout, ShipFont(), 6000);
    THullPaint hull;
    hull.DeckZ = [](float y) { return TheHull.DeckHeightAt(y); };
    hull.Number = "68";
    hull.NumberY = 115;
    hull.NumberHeight = 6;
    hull.PortholeDrop = 6;
    hull.PortholeFrom = -120;
    hull.PortholeTo = 120;
    hull.Hawse = {124};
    const TSideMap map = TheHull.SideMap(Layout);
    painter.Hull(map, true, team, hull);
    painter.Hull(map, false, team, hull);
    TDeckPaint deck;
    deck.HalfWidth = [](float y) { return TheHull.DeckHalfWidthAt(y); };
    painter.Deck(TheHull.DeckMap(Layout), team, deck);
    PaintFittings(painter, Skins, team, false);
    PaintFlightDeck(painter);
    return painter.Canvas;
}

} // namespace

void MakeCarrier(const TShipOutput &out)
{
    const std::string folder = out.Folder("Carrier");
    const TCanvas texture = Paint();
    SaveModel(Main(0), texture, folder + "Main");
    SaveModel(Main(1), Downsample(texture, 2), folder + "Main_lod0");
    SaveModel(Main(2), Downsample(texture, 4), folder + "Main_lod1");
    SaveModel(Dead(), Scorched(Downsample(texture, 2), 6007), folder + "Dead");
}
