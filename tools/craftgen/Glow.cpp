// The glowing small models: the checkpoint and reload markers (drawn without lighting), the
// fighter's muzzle flame and the mega bomb's blast (both drawn additively).

#include "tools/craftgen/Craft.h"

#include "tools/imagegen/Noise.h"

#include <cmath>

namespace {

// A chevron pointing along Tip in the plane of Tip and Side, centred at Centre, seen from both sides.
void Chevron(TMeshBuilder &mesh, const TVector3 &centre, const TVector3 &tip, const TVector3 &side, float size,
             const TUVRect &uv)
{
    const TVector3 t = VectorNormalize(tip) * size, s = VectorNormalize(side) * size, w = t * 0.35f;
    const TVector3 apex = centre + t * 0.5f, left = centre - t * 0.5f - s, right = centre - t * 0.5f + s;
    TwoSided(mesh, left, left + w, apex + w, apex, uv);
    TwoSided(mesh, apex, apex + w, right + w, right, uv);
}

void Checkpoint(TOutput &out)
{
    TAtlas atlas(256, 128);
    const TRect hoop{0, 0, 128, 128}, arrow{128, 0, 256, 128};
    // Lit by nothing but itself: bright marquee segments that chase round the spinning hoop.
    atlas.Fill(hoop, [&](float u, float v) {
        const float edge = std::fabs(std::cos(u * 2 * Pi));
        const bool lit = int(v * 24) % 2 == 0;
        const TColor base = lit ? Rgb(90, 255, 170) : Rgb(20, 120, 90);
        return Mix(base, Rgb(240, 255, 245), 0.5f * SmoothStep(0.6f, 1.0f, edge));
    });
    atlas.Fill(arrow, [&](float u, float v) {
        return Mix(Rgb(255, 236, 120), Rgb(255, 160, 30), v * 0.8f + 0.2f * std::fabs(u - 0.5f));
    });

    TModelBuilder model(36, 6);
    TMeshBuilder &ring = model.AddMesh("Hoop");
    Torus(ring, V3(0, 0, 0), V3(0, 1, 0), 20, 0.9f, 1.4f, 36, 8, atlas.UV(hoop));
    for (int k = 0; k < 4; ++k) {
        const float a = Pi / 4 + float(k) * Pi / 2;
        const TVector3 out3 = V3(std::cos(a), 0, std::sin(a));
        Chevron(ring, out3 * 15.5f, out3 * -1.0f, V3(-out3.z, 0, out3.x), 4.5f, atlas.UV(arrow));
    }
    SpinKeys(ring, V3(0, 0, 0), V3(0, 1, 0));
    out.Model(model, "Models/Misc/Checkpoint.otm");
    out.Texture(atlas, "Models/Misc/Checkpoint.png");
}

// The carrier's re-arming marker, drawn at the carrier's origin: glowing rings round its two
// landing gates (the 25 m the aircraft must pass within, over the deck at "Land_end" and then
// "Land_begin"), chevrons along the landing line that ripple towards the bow, and a spinning crown
// of arrows pointing down at the second gate.
const TVector3 LandEnd = V3(-8, -120, 20), LandBegin = V3(-20, -20, 20);

void Reload(TOutput &out)
{
    TAtlas atlas(128, 128);
    const TRect arrow{0, 0, 64, 128}, band{64, 0, 128, 128};
    atlas.Fill(arrow, [&](float u, float v) { return Mix(Rgb(200, 255, 120), Rgb(60, 220, 80), v * 0.9f + 0.1f * u); });
    atlas.Fill(band, [&](float, float v) { return int(v * 24) % 2 ? Rgb(40, 200, 90) : Rgb(180, 255, 160); });

    constexpr int Frames = 36;
    TModelBuilder model(Frames, 6);
    const TVector3 along = VectorNormalize(LandBegin - LandEnd), side = V3(along.y, -along.x, 0);
    for (const TVector3 &gate : {LandEnd, LandBegin}) {
        TMeshBuilder &ring = model.AddMesh(gate.y < -60 ? "GateEnd" : "GateBegin");
        Torus(ring, gate + V3(0, 0, 3), V3(0, 0, 1), 25, 1.1f, 0.6f, 40, 4, atlas.UV(band));
        SpinKeys(ring, gate, V3(0, 0, gate.y < -60 ? 1.0f : -1.0f));
    }
    const float length = VectorLength(LandBegin - LandEnd);
    for (int i = 0; i < 6; ++i) {
        TMeshBuilder &chevron = model.AddMesh("Chevron" + std::to_string(i + 1));
        const TVector3 at = LandEnd + along * (length * (float(i) + 0.5f) / 6) + V3(0, 0, 7);
        // Lying flat, pointing along the landing line, seen from both sides.
        const TVector3 t = along * 7.0f, s = side * 7.0f, w = along * 2.4f;
        const TVector3 apex = at + t * 0.5f, left = at - t * 0.5f - s, right = at - t * 0.5f + s;
        TwoSided(chevron, left, left + w, apex + w, apex, atlas.UV(arrow));
        TwoSided(chevron, apex, apex + w, right + w, right, atlas.UV(arrow));
        for (TVector3 &v : chevron.Vertices)
            v = v - at;
        for (int f = 0; f < Frames; ++f) {
            const float phase = float(f) / Frames - float(i) / 6;
            chevron.SetKey(f, at + V3(0, 0, 1.5f * std::sin(2 * Pi * phase)));
        }
    }
    TMeshBuilder &crown = model.AddMesh("Crown");
    for (int k = 0; k < 4; ++k) {
        const float a = float(k) * Pi / 2;
        const TVector3 out3 = V3(std::cos(a), std::sin(a), 0);
        Chevron(crown, LandBegin + out3 * 11 + V3(0, 0, 34), V3(0, 0, -1), V3(-out3.y, out3.x, 0), 8, atlas.UV(arrow));
    }
    SpinKeys(crown, LandBegin, V3(0, 0, 1));
    out.Model(model, "Models/Misc/Reload.otm");
    out.Texture(atlas, "Models/Misc/Reload.png");
}

// Blown forward from the fighter's gun and spun about its axis by the game: three crossed tongues
// and a star at the muzzle.
void MuzzleFlame(TOutput &out)
{
    TAtlas atlas(128, 64);
    const TRect tongue{0, 0, 64, 64}, star{64, 0, 128, 64};
    // Colour fades with the alpha, so the flame looks the same blended by alpha or added.
    atlas.Fill(tongue, [&](float u, float v) {
        const float along = 1 - v;   // 0 at the muzzle (bottom row), 1 at the tip
        const float n = Noise(u * 64, v * 64, 8, 21, 3);
        const float width = 0.5f * (1 - along) * (0.6f + 0.4f * n) + 0.04f;
        const float across = std::fabs(u - 0.5f);
        const float heat = Clamp01(1 - across / width) * Clamp01(1.1f - along);
        TColor c = Shade(Mix(Rgb(255, 120, 20), Rgb(255, 245, 200), SmoothStep(0.3f, 0.9f, heat)), SmoothStep(0.0f, 0.4f, heat));
        c.a = SmoothStep(0.0f, 0.5f, heat);
        return c;
    });
    atlas.Fill(star, [&](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f, r = std::hypot(x, y) * 2, a = std::atan2(y, x);
        const float spikes = 0.35f + 0.65f * std::pow(std::fabs(std::cos(a * 3)), 6.0f);
        const float heat = Clamp01(1 - r / spikes);
        TColor c = Shade(Mix(Rgb(255, 140, 30), Rgb(255, 250, 220), heat), SmoothStep(0.0f, 0.4f, heat));
        c.a = SmoothStep(0.0f, 0.6f, heat);
        return c;
    });

    TModelBuilder model(1, 10);
    TMeshBuilder &flame = model.AddMesh("Flame");
    // Each tongue widens from the muzzle to a third of its length, then tapers to a point.
    const float length = 2.4f, waist = 0.8f;
    const TUVRect uv = atlas.UV(tongue);
    const float vWaist = uv.V1 + (uv.V0 - uv.V1) * waist / length;
    for (int k = 0; k < 3; ++k) {
        const float a = float(k) * Pi / 3;
        const TVector3 s = V3(std::cos(a), 0, std::sin(a));
        const TVector3 muzzle = s * 0.22f, wide = s * 0.5f + V3(0, waist, 0), tip = s * 0.03f + V3(0, length, 0);
        const TVector3 flip = V3(-1, 1, -1);
        auto mirror = [&](const TVector3 &p) { return VectorMultiply(p, flip); };
        TwoSided(flame, mirror(muzzle), muzzle, wide, mirror(wide), {uv.U0, vWaist, uv.U1, uv.V1});
        TwoSided(flame, mirror(wide), wide, tip, mirror(tip), {uv.U0, uv.V0, uv.U1, vWaist});
    }
    TwoSided(flame, V3(-0.5f, 0.05f, -0.5f), V3(0.5f, 0.05f, -0.5f), V3(0.5f, 0.05f, 0.5f), V3(-0.5f, 0.05f, 0.5f),
             atlas.UV(star));
    out.Model(model, "Models/Misc/Minigun_Flame.otm");
    out.Texture(atlas, "Models/Misc/Minigun_Flame.png", true);
}

// Seamless boiling fire; the alpha carries the brightness for additive drawing.
TAtlas FireTexture(std::uint32_t seed, float heat)
{
    constexpr int Size = 256, Cells = 8;
    TAtlas atlas(Size, Size);
    atlas.Fill({0, 0, Size, Size}, [&](float u, float v) {
        const float warp = FractalNoise(u * Cells, v * Cells, Cells, 3, 0.5f, seed + 5);
        const float n = FractalNoise(u * Cells + warp * 1.5f, v * Cells, Cells, 5, 0.55f, seed);
        const float t = Clamp01((n - 0.25f) * 1.9f * heat);
        TColor c = t < 0.5f ? Mix(Rgb(90, 10, 0), Rgb(255, 110, 10), t * 2) : Mix(Rgb(255, 110, 10), Rgb(255, 250, 210), (t - 0.5f) * 2);
        c.a = 0.25f + 0.75f * t;
        return c;
    });
    return atlas;
}

} // namespace

void BuildMarkers(TOutput &out)
{
    Checkpoint(out);
    Reload(out);
    MuzzleFlame(out);
}

void BuildBlast(TOutput &out)
{
    // The shader blends texture 1 into texture 2 and on round the six; the first is also the
    // model's own texture for drawing without shaders.
    for (int i = 1; i <= 6; ++i) {
        const std::string name = i == 1 ? "MegaBomb_Explosion.png" : "MegaBomb_Explosion" + std::to_string(i) + ".png";
        out.Texture(FireTexture(std::uint32_t(100 + i * 17), 0.9f + 0.04f * float(i)), "Models/Misc/" + name, true);
    }
    // Sized for a scale of 25: a fireball about 750 m across, a stem and a mushroom cap, a shock ring.
    TModelBuilder model(1, 10);
    const TUVRect all{0, 0, 1, 1};
    TMeshBuilder &ball = model.AddMesh("Fireball");
    std::vector<TStation> dome;
    for (int i = 0; i <= 8; ++i) {
        const float a = float(i) / 8 * Pi / 2, r = 30 * std::cos(a);
        dome.push_back({30 * std::sin(a), r, r, r, 0});
    }
    ball.Transform = Placement(V3(0, 0, 0), V3(90 * Degrees, 0, 0));   // the body's +y axis stands up
    Body(ball, dome, 24, all);
    TMeshBuilder &stem = model.AddMesh("Stem");
    stem.Cylinder(V3(0, 0, 10), V3(0, 0, 46), 9, 6, 16, false, all);
    TMeshBuilder &cap = model.AddMesh("Cap");
    cap.Sphere(V3(0, 0, 52), V3(26, 26, 12), 24, 10, all);
    TMeshBuilder &shock = model.AddMesh("Shock");
    Torus(shock, V3(0, 0, 1), V3(0, 0, 1), 36, 7, 0.6f, 32, 4, all);
    out.Model(model, "Models/Misc/MegaBomb_Explosion.otm");
}
