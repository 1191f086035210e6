// The player's aircraft: a blended-body twin-engine fighter 15 m long, nose at +y. The body model
// "Air.otm" carries the fixed structure and the points; each moving part is a model of its own that
// the game draws in the same place with its own animation phase:
//
//   Break      dorsal air brake, 0 closed .. 1 open
//   Engine     nozzle petals, 0 closed (throttle back) .. 0.5 cruise .. 1 open (full power)
//   Height     tailerons, 0 trailing edge down (nose down) .. 0.5 level .. 1 trailing edge up
//   Eleron     ailerons, 0 rolled hard right .. 0.5 level .. 1 rolled hard left
//   Direction  rudders, 0.5 straight
//   Front      canards, 0 level .. 1 leading edge up
//   Gun        the rotary cannon's barrels, one turn from 0 to 1

#include "tools/craftgen/Player.h"

#include <cmath>

namespace {

constexpr int PartFrames = 20;   // keys of the moving parts: fine steps for DrawAt's interpolation
constexpr int GunFrames = 13;    // the last key of the spin is the first turned a whole turn

// The right-hand copy of a part is built as given; the left one through a mirror in x.
TMatrix4 Mirror() { return Placement(V3(0, 0, 0), V3(0, 0, 0), V3(-1, 1, 1)); }

TVector3 Flip(const TVector3 &v) { return V3(-v.x, v.y, v.z); }

const std::vector<TStation> &FuselageStations()
{
    static const std::vector<TStation> stations = {
        {7.60f, 0.00f, 0.00f, 0.00f, 0.02f, 2.0f},  {7.35f, 0.13f, 0.10f, 0.09f, 0.03f, 2.0f},
        {6.90f, 0.30f, 0.25f, 0.22f, 0.05f, 2.2f},  {6.10f, 0.50f, 0.42f, 0.36f, 0.07f, 2.4f},
        {5.00f, 0.70f, 0.55f, 0.46f, 0.08f, 2.6f},  {3.80f, 0.86f, 0.60f, 0.52f, 0.08f, 2.8f},
        {2.60f, 1.08f, 0.62f, 0.56f, 0.06f, 3.2f},  {1.20f, 1.40f, 0.62f, 0.58f, 0.04f, 3.6f},
        {-0.50f, 1.62f, 0.60f, 0.58f, 0.02f, 3.8f}, {-2.50f, 1.66f, 0.58f, 0.56f, 0.00f, 3.8f},
        {-4.50f, 1.56f, 0.54f, 0.52f, 0.00f, 3.6f}, {-5.90f, 1.42f, 0.50f, 0.48f, 0.00f, 3.2f},
        {-6.55f, 1.34f, 0.48f, 0.46f, 0.00f, 3.0f},
    };
    return stations;
}

} // namespace

std::vector<TWingStation> PlayerWingStations()
{
    return {{V3(1.3f, 1.6f, -0.08f), 6.5f, 0.05f}, {V3(2.9f, -1.0f, -0.10f), 3.92f, 0.055f}, {V3(5.5f, -3.55f, -0.17f), 1.37f, 0.06f}};
}

namespace {

std::vector<TWingStation> FinStations()
{
    return {{V3(1.05f, -3.9f, 0.45f), 2.8f, 0.06f}, {V3(1.75f, -5.9f, 2.5f), 1.1f, 0.06f}};
}

// A point of the right fin's trailing edge, S from its root (0) to its tip (1).
TVector3 FinTrailing(float s)
{
    const auto fin = FinStations();
    const TVector3 root = fin[0].Leading + V3(0, -fin[0].Chord, 0), tip = fin[1].Leading + V3(0, -fin[1].Chord, 0);
    return root + (tip - root) * s;
}

const TVector3 GunAxis = V3(0.62f, 0, 0.52f);   // x and z of the cannon's axis, which runs along y
const TVector3 Nozzle = V3(0.72f, -6.75f, 0);   // the right nozzle's hinge ring centre

} // namespace

void AddPlayerAirframe(TMeshBuilder &mesh, const TPlayerSkin &skin, bool intact)
{
    const TAtlas &a = skin.Clean;
    const TUVRect plain = a.UV(skin.Metal.Part(0, 0, 1, 0.5f)), dark = a.UV(skin.Metal.Part(0, 0.5f, 1, 1));
    const auto body = Body(mesh, FuselageStations(), 20, a.UV(skin.Fuselage));
    Cap(mesh, body.back(), V3(0, -1, 0), dark);
    Body(mesh,
         {{5.70f, 0.02f, 0.02f, 0.10f, 0.58f}, {5.10f, 0.30f, 0.22f, 0.20f, 0.62f}, {4.30f, 0.44f, 0.44f, 0.24f, 0.62f},
          {3.40f, 0.46f, 0.50f, 0.26f, 0.64f}, {2.50f, 0.40f, 0.42f, 0.26f, 0.64f}, {1.60f, 0.22f, 0.20f, 0.22f, 0.64f},
          {1.00f, 0.02f, 0.02f, 0.10f, 0.62f}},
         14, a.UV(skin.Canopy));
    for (const bool left : {false, true}) {
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        if (intact || !left)
            Wing(mesh, PlayerWingStations(), 8, a.UV(skin.Wing));
        Wing(mesh, FinStations(), 7, a.UV(skin.Fin));
        // Intake: a rounded duct along the flank under the canard, its mouth dark.
        mesh.Transform = Placement(V3(left ? -1.22f : 1.22f, 0, 0), V3(0, 0, 0), V3(left ? -1.0f : 1.0f, 1, 1));
        const auto duct = Body(mesh,
                               {{3.0f, 0.28f, 0.27f, 0.27f, -0.25f, 4}, {2.2f, 0.31f, 0.3f, 0.3f, -0.25f, 4},
                                {0.6f, 0.3f, 0.28f, 0.28f, -0.22f, 4}, {-0.9f, 0.08f, 0.08f, 0.08f, -0.12f, 3}},
                               12, plain);
        Cap(mesh, duct.front(), V3(0, 1, 0), a.UV(skin.Intake));
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        // Nozzle shroud with the engine's glow deep inside it.
        const TVector3 c = Nozzle;
        mesh.Cylinder(c + V3(0, 0.6f, 0), c + V3(0, -0.05f, 0), 0.58f, 0.55f, 16, false, a.UV(skin.Petal));
        std::vector<TVector3> disc;
        for (int i = 0; i < 16; ++i) {
            const float t = 2 * Pi * float(i) / 16;
            disc.push_back(c + V3(0.52f * std::cos(t), 0.12f, 0.52f * std::sin(t)));
        }
        Cap(mesh, disc, V3(0, -1, 0), a.UV(skin.Glow));
    }
    mesh.Transform = MatrixIdentity();
    // The cannon's fairing on the right shoulder; the barrels are the "Gun" part.
    mesh.Transform = Placement(V3(GunAxis.x, 0, 0));
    Body(mesh,
         {{4.45f, 0.12f, 0.12f, 0.12f, GunAxis.z}, {4.1f, 0.17f, 0.17f, 0.17f, GunAxis.z},
          {2.6f, 0.17f, 0.15f, 0.17f, GunAxis.z - 0.02f}, {1.6f, 0.02f, 0.02f, 0.02f, GunAxis.z - 0.08f}},
         10, plain);
    mesh.Transform = MatrixIdentity();
}

namespace {

void AddPoints(TModelBuilder &model)
{
    model.AddPoint("Fire", V3(GunAxis.x, 5.05f, GunAxis.z));
    model.AddPoint("Cam_1", V3(0, 3.5f, 1.05f));
    model.AddPoint("Engine_1", V3(-Nozzle.x, -7.55f, Nozzle.z));
    model.AddPoint("Engine_2", V3(Nozzle.x, -7.55f, Nozzle.z));
    // Collision probes: nose, tail, belly and the two wing tips (whose paths draw the contrails).
    const TVector3 probes[5] = {V3(0, 7.6f, 0.02f), V3(0, -7.4f, 0), V3(0, 0.5f, -0.62f), V3(-5.55f, -4.3f, -0.17f),
                                V3(5.55f, -4.3f, -0.17f)};
    const char *names[5] = {"Collision03", "Collision08", "Collision09", "Collision17", "Collision18"};
    for (int i = 0; i < 5; ++i)
        model.AddPoint(names[i], probes[i]);
}

// The probes as meshes too, each a point-sized triangle whose key sits at the probe: code that
// asks the mesh's position finds the same place as code that asks the point.
void AddProbeMeshes(TModelBuilder &model, const TUVRect &uv)
{
    for (const TModelPoint &p : std::vector<TModelPoint>(model.Points))
        if (p.Name.starts_with("Collision")) {
            TMeshBuilder &probe = model.AddMesh(p.Name);
            probe.Triangle(V3(0, 0, 0), V3(0, 0, 0), V3(0, 0, 0), uv);
            probe.SetAllKeys(V3(p.Position.x, p.Position.y, p.Position.z));
        }
}

void AirBrake(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    TMeshBuilder &mesh = model.AddMesh("Break");
    const TUVRect uv = skin.Clean.UV(skin.Brake);
    Plate(mesh, V3(-0.55f, -1.9f, 0.655f), V3(0.55f, -1.9f, 0.655f), V3(0.55f, 0.4f, 0.665f), V3(-0.55f, 0.4f, 0.665f), 0.05f, uv);
    HingeKeys(mesh, V3(0, 0.4f, 0.665f), V3(1, 0, 0), [](float t) { return -55 * Degrees * std::min(t * 1.05f, 1.0f); });
    out.Model(model, "Models/Player/Break.otm");
}

void Nozzles(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    const TUVRect uv = skin.Clean.UV(skin.Petal);
    for (const bool left : {true, false}) {
        const TVector3 centre = left ? Flip(Nozzle) : Nozzle;
        for (int k = 0; k < 8; ++k) {
            TMeshBuilder &petal = model.AddMesh(std::string(left ? "Left" : "Right") + "Petal" + std::to_string(k + 1));
            const float phi = 2 * Pi * float(k) / 8 + Pi / 8;
            const TVector3 r = V3(std::cos(phi), 0, std::sin(phi)), side = V3(-std::sin(phi), 0, std::cos(phi));
            const TVector3 hinge = centre + r * 0.53f;
            // One leaf seen from both sides: the jet's glow shows inside, the shroud's metal outside.
            TwoSided(petal, hinge - side * 0.22f, hinge + side * 0.22f, hinge + side * 0.2f + V3(0, -0.75f, 0),
                     hinge - side * 0.2f + V3(0, -0.75f, 0), uv);
            // Positive turns about this axis swing the tip in towards the jet.
            HingeKeys(petal, hinge, V3(std::sin(phi), 0, -std::cos(phi)), [](float t) { return (13 - 18 * t) * Degrees; });
        }
    }
    out.Model(model, "Models/Player/Engine.otm");
}

void Tailerons(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    for (const bool left : {true, false}) {
        TMeshBuilder &mesh = model.AddMesh(left ? "LeftTaileron" : "RightTaileron");
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        Wing(mesh, {{V3(1.5f, -5.2f, -0.05f), 2.2f, 0.06f}, {V3(3.9f, -6.5f, -0.06f), 0.9f, 0.06f}}, 6,
             skin.Clean.UV(skin.Taileron), true, true);
        mesh.Transform = MatrixIdentity();
        HingeKeys(mesh, V3(left ? -1.5f : 1.5f, -6.1f, -0.05f), V3(1, 0, 0), [](float t) { return (0.5f - t) * 50 * Degrees; });
    }
    out.Model(model, "Models/Player/Height.otm");
}

void Ailerons(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    for (const bool left : {true, false}) {
        TMeshBuilder &mesh = model.AddMesh(left ? "LeftAileron" : "RightAileron");
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        Wing(mesh, {{V3(3.0f, -4.9f, -0.115f), 0.68f, 0.09f}, {V3(5.3f, -4.9f, -0.162f), 0.52f, 0.09f}}, 5,
             skin.Clean.UV(skin.Aileron), true, true);
        mesh.Transform = MatrixIdentity();
        const TVector3 hinge = V3(left ? -3.0f : 3.0f, -4.9f, -0.115f);
        const TVector3 axis = VectorNormalize(V3(2.3f, 0, left ? 0.047f : -0.047f));
        // Rolling right (phase below 0.5) lifts the right trailing edge and lowers the left one.
        HingeKeys(mesh, hinge, axis, [left](float t) { return (left ? 0.5f - t : t - 0.5f) * 40 * Degrees; });
    }
    out.Model(model, "Models/Player/Eleron.otm");
}

void Rudders(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    for (const bool left : {true, false}) {
        TMeshBuilder &mesh = model.AddMesh(left ? "LeftRudder" : "RightRudder");
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        Wing(mesh, {{FinTrailing(0.12f), 0.62f, 0.08f}, {FinTrailing(0.82f), 0.5f, 0.08f}}, 5, skin.Clean.UV(skin.Rudder), true, true);
        mesh.Transform = MatrixIdentity();
        const TVector3 hinge = left ? Flip(FinTrailing(0.12f)) : FinTrailing(0.12f);
        const TVector3 along = FinTrailing(0.82f) - FinTrailing(0.12f);
        const TVector3 axis = VectorNormalize(left ? Flip(along) : along);
        HingeKeys(mesh, hinge, axis, [](float t) { return (t - 0.5f) * 40 * Degrees; });
    }
    out.Model(model, "Models/Player/Direction.otm");
}

void Canards(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(PartFrames, 10);
    for (const bool left : {true, false}) {
        TMeshBuilder &mesh = model.AddMesh(left ? "LeftCanard" : "RightCanard");
        mesh.Transform = left ? Mirror() : MatrixIdentity();
        Wing(mesh, {{V3(1.0f, 3.75f, 0.16f), 1.55f, 0.07f}, {V3(2.55f, 2.55f, 0.2f), 0.55f, 0.07f}}, 6,
             skin.Clean.UV(skin.Canard), true, true);
        mesh.Transform = MatrixIdentity();
        HingeKeys(mesh, V3(left ? -1.0f : 1.0f, 3.0f, 0.17f), V3(1, 0, 0), [](float t) { return t * 20 * Degrees; });
    }
    out.Model(model, "Models/Player/Front.otm");
}

void Cannon(TOutput &out, const TPlayerSkin &skin)
{
    TModelBuilder model(GunFrames, 10);
    TMeshBuilder &mesh = model.AddMesh("Barrels");
    const TUVRect dark = skin.Clean.UV(skin.Metal.Part(0, 0.5f, 1, 1));
    for (int k = 0; k < 6; ++k) {
        const float a = 2 * Pi * float(k) / 6;
        const TVector3 at = GunAxis + V3(0.075f * std::cos(a), 0, 0.075f * std::sin(a));
        mesh.Cylinder(at + V3(0, 4.2f, 0), at + V3(0, 5.0f, 0), 0.026f, 0.024f, 6, false, dark);
    }
    mesh.Cylinder(GunAxis + V3(0, 4.3f, 0), GunAxis + V3(0, 4.5f, 0), 0.12f, 0.12f, 10, true, dark);
    mesh.Cylinder(GunAxis + V3(0, 4.8f, 0), GunAxis + V3(0, 4.86f, 0), 0.11f, 0.11f, 10, false, dark);
    for (TVector3 &v : mesh.Vertices)
        v = V3(v.x - GunAxis.x, v.y, v.z - GunAxis.z);
    for (int i = 0; i < GunFrames; ++i)
        mesh.SetKey(i, V3(GunAxis.x, 0, GunAxis.z), KeyRotation(V3(0, 1, 0), 2 * Pi * float(i) / float(GunFrames - 1)));
    out.Model(model, "Models/Player/Gun.otm");
}

} // namespace

void BuildPlayer(TOutput &out)
{
    const TPlayerSkin skin = PaintPlayerSkin(out.Font);
    TModelBuilder air(1, 10);
    TMeshBuilder &body = air.AddMesh("Air");
    AddPlayerAirframe(body, skin, true);
    AddPoints(air);
    AddProbeMeshes(air, skin.Clean.UV(skin.Metal));
    out.Model(air, "Models/Player/Air.otm");

    AirBrake(out, skin);
    Nozzles(out, skin);
    Tailerons(out, skin);
    Ailerons(out, skin);
    Rudders(out, skin);
    Canards(out, skin);
    Cannon(out, skin);

    // One layout for every skin: the body's battle damage, the control surfaces' two states, and
    // each part's own picture (the clean skin, at half size).
    out.Texture(skin.Clean, "Models/Player/Air.png");
    for (int level = 1; level <= 4; ++level)
        out.Texture(DamagedSkin(skin, level), "Models/Player/Damage" + std::to_string(level) + ".png");
    out.Texture(skin.Clean, "Models/Player/Elerons.png");
    out.Texture(DamagedSkin(skin, 3), "Models/Player/Elerons_damaged.png");
    const TAtlas half = skin.Clean.Reduced(2);
    for (const char *part : {"Break", "Engine", "Height", "Eleron", "Direction", "Front", "Gun"})
        out.Texture(half, std::string("Models/Player/") + part + ".png");

    BuildPlayerWreck(out, skin);
}
