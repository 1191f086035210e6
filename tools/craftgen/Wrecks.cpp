// Falling wreckage: the key tracks shared by every aircraft's death models, and the player's wreck.

#include "tools/craftgen/Livery.h"
#include "tools/craftgen/Player.h"

#include <cmath>

void FallKeys(TMeshBuilder &mesh, const TVector3 &pivot, const TFall &fall)
{
    for (TVector3 &v : mesh.Vertices)
        v = v - pivot;
    MotionKeys(mesh, [&](float t, TVector3 &position, TVector4 &rotation) {
        TVector3 offset;
        fall(t, offset, rotation);
        position = pivot + offset;
    });
}

TFall Tumble(const TVector3 &drift, float gravity, const TVector3 &spin, float turns, float noseDown)
{
    return [=](float t, TVector3 &offset, TVector4 &turn) {
        const float seconds = t * WreckSeconds;
        offset = drift * t + V3(0, 0, -0.5f * gravity * seconds * seconds);
        // Spin about the piece's own axis first, then the dive that tips it over.
        const TVector4 roll = KeyRotation(spin, 2 * Pi * turns * t);
        const TVector4 dive = KeyRotation(V3(1, 0, 0), -noseDown * std::min(1.0f, t * 1.6f));
        turn = KeyRotationThen(roll, dive);
    };
}

TVector3 FinalBlast(const TVector3 &pivot, const TVector3 &drift, float gravity)
{
    const float t = 0.9f, seconds = t * WreckSeconds;
    return pivot + drift * t + V3(0, 0, -0.5f * gravity * seconds * seconds);
}

void BuildPlayerWreck(TOutput &out, const TPlayerSkin &skin)
{
    // The left wing tears off: the rest rolls towards the missing wing, burning at the tear, while
    // the wing flutters away trailing smoke.
    TModelBuilder model(WreckFrames, 5);
    const TVector3 tear = V3(-1.4f, -1.2f, -0.05f), drift = V3(0, 0, 0);
    TMeshBuilder &body = model.AddMesh("FireLarge_Body");
    AddPlayerAirframe(body, skin, false);
    FallKeys(body, tear, Tumble(drift, 9.6f, V3(0, 1, 0), -1.25f, 65 * Degrees));

    TMeshBuilder &wing = model.AddMesh("SmokeSmall_Wing");
    wing.Transform = Placement(V3(0, 0, 0), V3(0, 0, 0), V3(-1, 1, 1));
    Wing(wing, PlayerWingStations(), 8, skin.Clean.UV(skin.Wing));
    wing.Transform = MatrixIdentity();
    const TVector3 wingRoot = V3(-2.6f, -1.5f, -0.1f);
    FallKeys(wing, wingRoot, Tumble(V3(-35, -20, 0), 7.0f, V3(1, -0.4f, 0), 3.5f, 20 * Degrees));

    model.AddPoint("Hit", FinalBlast(tear, drift, 9.6f));
    model.AddPoint("ExplosionLarge", V3(0, 0, 0));
    model.AddPoint("SmokeLarge", V3(0, -2, 0));
    out.Model(model, "Models/Player/Dead.otm");
    TAtlas burnt = DamagedSkin(skin, 5);
    out.Texture(burnt.Reduced(2), "Models/Player/Dead.png");
}

void SkyWreck(TOutput &out, const std::string &path, const TCraftSkin &skin, const TWreckPlan &plan, int variant)
{
    constexpr float Gravity = 9.6f;
    const float k = plan.Scale;
    const TVector3 slow = V3(0, -150 * k, 0);   // the wreck loses speed against the aircraft's track
    TModelBuilder model(WreckFrames, 5);
    TVector3 hit;
    if (variant == 0) {
        TMeshBuilder &all = model.AddMesh("FireLarge_Engine");
        plan.Parts(all, PartWhole);
        FallKeys(all, plan.Engine, Tumble(slow, Gravity, V3(0, 1, 0), 2.0f / k, 50 * Degrees));
        hit = FinalBlast(plan.Engine, slow, Gravity);
    } else if (variant == 1) {
        TMeshBuilder &body = model.AddMesh("FireLarge_Body");
        plan.Parts(body, PartWhole & ~PartRightWing);
        FallKeys(body, plan.WingRoot, Tumble(slow, Gravity, V3(0, 1, 0), 1.5f / k, 60 * Degrees));
        TMeshBuilder &wing = model.AddMesh("SmokeSmall_Wing");
        plan.Parts(wing, PartRightWing);
        FallKeys(wing, plan.WingPiece, Tumble(V3(40 * k, -220 * k, 0), 6.0f, V3(0.3f, 1, 0), 3.0f / k, 15 * Degrees));
        hit = FinalBlast(plan.WingRoot, slow, Gravity);
    } else {
        TMeshBuilder &front = model.AddMesh("FireLarge_Front");
        plan.Parts(front, PartFront | PartLeftWing | PartRightWing);
        FallKeys(front, plan.Split, Tumble(slow, Gravity, V3(0, 1, 0), -0.6f, 80 * Degrees));
        TMeshBuilder &tail = model.AddMesh("FireSmall_Tail");
        plan.Parts(tail, PartRear);
        FallKeys(tail, plan.TailPiece, Tumble(V3(-10 * k, -260 * k, 0), 8.0f, V3(1, 0, 0.2f), 2.0f / k, 0));
        hit = FinalBlast(plan.Split, slow, Gravity);
    }
    model.AddPoint("Hit", hit);
    model.AddPoint("ExplosionLarge", V3(0, 0, 0));
    model.AddPoint("SmokeLarge", V3(0, -2 * k, 0));
    out.Model(model, path + ".otm");
    TAtlas burnt = skin.Atlas;
    burnt.Batter({skin.Fuselage, skin.Wing, skin.Tail, skin.Nacelle, skin.Stores, skin.Extra}, 4, 300 + std::uint32_t(variant));
    out.Texture(burnt.Reduced(2), path + ".png");
}
