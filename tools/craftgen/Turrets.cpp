// The turrets that ships and ground sites carry. The game turns a whole turret model by its yaw
// plus its owner's heading plus 180 degrees, so the barrels point along -y; the origin is the
// centre of the turret ring on the deck. Each model's keys raise the barrels: normalized time
// 0.5 - elevation / 180 shows the barrels at that elevation (0.5 level, 0 straight up), the way the
// game samples it. The muzzle pairs "Fire_begin_n" / "Fire_end_n" lie along each barrel in the
// level pose, the end at the muzzle.
//
// Sizes (width of the gunhouse or mount, barrel length): Gun 4 m, 6 m; BSBigGun 14 m, 14.5 m (three
// barrels); BSGun 6 m, 6.2 m (two); MachineGun 1.5 m, 2 m (two); BSMachineGun 2 m, 2.7 m (four);
// BSMissile a 2.3 x 4.6 m box of four cells; SamGun 3.6 m with four 5.2 m missiles; ShilkaGun 3 m,
// 2.5 m (four).

#include "tools/craftgen/Turret.h"

#include <algorithm>
#include <cmath>

float Elevation(float t) { return std::clamp((0.5f - t) * 180.0f, -10.0f, 90.0f) * Degrees; }

TTurretSkin PaintTurret(const TColor &base, const TColor &accent, std::uint32_t seed, bool camouflage)
{
    TTurretSkin s;
    TAtlas &a = s.Atlas;
    a.Fill(s.Housing, [&](float u, float v) {
        const float x = u * 256, y = v * 128;
        TColor c = base;
        if (camouflage)
            c = Mix(c, Shade(base, 0.7f), SmoothStep(0.55f, 0.6f, Noise(x, y, 30, seed + 9, 3)));
        return Shade(c, 0.92f + 0.1f * Noise(x, y, 12, seed, 3));
    });
    for (const float u : {0.03f, 0.5f, 0.97f})
        a.PanelLine(s.Housing, u, 0.03f, u, 0.97f);
    for (const float v : {0.04f, 0.96f})
        a.PanelLine(s.Housing, 0.03f, v, 0.97f, v);
    for (const float v : {0.1f, 0.9f})
        a.Rivets(s.Housing, 0.06f, v, 0.94f, v, 8);
    a.Weather(s.Housing, seed + 1, 0.5f, 0.25f);
    a.Fill(s.Barrel, [&](float u, float v) {
        TColor c = Shade(base, 0.85f);
        if (v > 0.9f)
            c = Rgb(44, 44, 46);   // blackened muzzle
        else if (v < 0.12f)
            c = Shade(base, 0.7f);   // the barrel's root in the mantlet
        return Shade(c, 0.85f + 0.2f * std::cos((u - 0.5f) * 2 * Pi) * 0.5f + 0.1f);
    });
    a.PanelLine(s.Barrel, 0, 0.12f, 1, 0.12f);
    a.Fill(s.Dark, [&](float u, float v) { return Shade(Rgb(62, 64, 66), 0.85f + 0.2f * Noise(u * 128, v * 64, 6, seed + 2, 2)); });
    a.Fill(s.Accent, [&](float u, float v) {
        const TColor c = v < 0.08f ? Rgb(180, 30, 30) : accent;
        return Shade(c, 0.92f + 0.08f * std::cos((u - 0.5f) * 2 * Pi));
    });
    return s;
}

TColor NavalGrey() { return Rgb(140, 150, 158); }
TColor ArmyGreen() { return Rgb(96, 108, 70); }

void Gunhouse(TMeshBuilder &m, const TUVRect &uv, float low, float high, float rear, float front, float frontTop, float height)
{
    Block(m, {V3(-low, rear, 0), V3(low, rear, 0), V3(low, front, 0), V3(-low, front, 0), V3(-high, rear - 0.3f, height),
              V3(high, rear - 0.3f, height), V3(high, frontTop, height), V3(-high, frontTop, height)},
          uv);
}

void Barrel(TMeshBuilder &m, const TTurretSkin &s, const TVector3 &root, float length, float rootRadius, float muzzleRadius)
{
    const TUVRect uv = s.Atlas.UV(s.Barrel);
    m.Cylinder(root, root + V3(0, -length, 0), rootRadius, muzzleRadius, 10, true, uv);
    m.Cylinder(root + V3(0, -length + 0.25f * length / 6, 0), root + V3(0, -length - 0.05f, 0), muzzleRadius * 1.35f,
               muzzleRadius * 1.35f, 10, true, s.Atlas.UV(s.Dark));
}

void Elevate(TMeshBuilder &m, const TVector3 &trunnion)
{
    HingeKeys(m, trunnion, V3(1, 0, 0), [](float t) { return -Elevation(t); });
}

void Muzzles(TModelBuilder &model, const std::vector<TVector3> &roots, float begin, float end)
{
    for (std::size_t i = 0; i < roots.size(); ++i) {
        model.AddPoint("Fire_begin_" + std::to_string(i + 1), roots[i] + V3(0, -begin, 0));
        model.AddPoint("Fire_end_" + std::to_string(i + 1), roots[i] + V3(0, -end, 0));
    }
}

namespace {

// A ship's gun turret: Barrels at the given x, on the trunnion height.
void NavalGun(TOutput &out, const std::string &name, const std::vector<float> &xs, float scale, float barrel, std::uint32_t seed,
              bool rangefinder)
{
    const TTurretSkin s = PaintTurret(NavalGrey(), Rgb(220, 220, 216), seed, false);
    const TUVRect housing = s.Atlas.UV(s.Housing), dark = s.Atlas.UV(s.Dark);
    const float k = scale, width = 2.0f + 2.2f * float(xs.size() - 1) * 0.5f;
    TModelBuilder model(ElevationFrames, 10);
    TMeshBuilder &house = model.AddMesh("Turret");
    house.Cylinder(V3(0, 0, -0.3f * k), V3(0, 0, 0.1f * k), width * 1.05f * k, width * 1.05f * k, 20, true, dark);
    Gunhouse(house, housing, width * k, (width - 0.35f) * k, 2.3f * k, -2.3f * k, -1.3f * k, 2.3f * k);
    Crate(house, V3(-0.5f * k, 0.6f * k, 2.3f * k), V3(0.5f * k, 1.6f * k, 2.75f * k), dark, housing);   // sighting hood
    if (rangefinder) {
        house.Cylinder(V3(-(width + 1.2f) * k, 1.2f * k, 2.1f * k), V3((width + 1.2f) * k, 1.2f * k, 2.1f * k), 0.28f * k,
                       0.28f * k, 10, true, dark);
        for (const float side : {-1.0f, 1.0f})
            house.Sphere(V3(side * (width + 1.2f) * k, 1.2f * k, 2.1f * k), V3(0.42f * k, 0.42f * k, 0.42f * k), 8, 4, dark);
    }
    const TVector3 trunnion = V3(0, -1.6f * k, 1.2f * k);
    TMeshBuilder &guns = model.AddMesh("Barrels");
    std::vector<TVector3> roots;
    for (const float x : xs) {
        const TVector3 root = V3(x * k, trunnion.y, trunnion.z);
        Crate(guns, root + V3(-0.32f * k, -0.7f * k, -0.42f * k), root + V3(0.32f * k, 0.7f * k, 0.42f * k), housing, housing);
        Barrel(guns, s, root + V3(0, -0.6f * k, 0), barrel * k, 0.16f * k, 0.12f * k);
        roots.push_back(root + V3(0, -0.6f * k, 0));
    }
    Elevate(guns, trunnion);
    Muzzles(model, roots, barrel * k * 0.7f, barrel * k + 0.1f * k);
    out.Model(model, "Models/Guns/" + name + ".otm");
    out.Texture(s.Atlas, "Models/Guns/" + name + ".png");
}

// A light anti-aircraft mount: pedestal, shield, a cradle with Rows x Columns barrels.
void MachineGun(TOutput &out, const std::string &name, int rows, int columns, float scale, std::uint32_t seed)
{
    const TTurretSkin s = PaintTurret(NavalGrey(), Rgb(200, 200, 196), seed, false);
    const TUVRect housing = s.Atlas.UV(s.Housing), dark = s.Atlas.UV(s.Dark);
    const float k = scale;
    TModelBuilder model(ElevationFrames, 10);
    TMeshBuilder &mount = model.AddMesh("Mount");
    mount.Cylinder(V3(0, 0, 0), V3(0, 0, 0.15f * k), 0.75f * k, 0.7f * k, 14, true, dark);
    mount.Cylinder(V3(0, 0, 0.15f * k), V3(0, 0, 0.85f * k), 0.22f * k, 0.18f * k, 10, false, housing);
    // Curved splinter shield ahead of the gunner, open at the top for the barrels.
    for (int i = 0; i < 4; ++i) {
        const float a0 = (-50 + 25 * float(i)) * Degrees, a1 = (-25 + 25 * float(i)) * Degrees, r = 0.62f * k;
        auto at = [&](float a, float z) { return V3(r * std::sin(a), -r * std::cos(a), z); };
        Plate(mount, at(a0, 0.35f * k), at(a1, 0.35f * k), at(a1, 0.95f * k), at(a0, 0.95f * k), 0.03f * k, housing);
    }
    for (const float side : {-1.0f, 1.0f})   // ammunition boxes
        Crate(mount, V3(side * 0.55f * k - 0.15f * k, 0.1f * k, 0.9f * k), V3(side * 0.55f * k + 0.15f * k, 0.5f * k, 1.2f * k),
              housing, housing);
    const TVector3 trunnion = V3(0, 0, 1.1f * k);
    TMeshBuilder &guns = model.AddMesh("Barrels");
    Crate(guns, trunnion + V3(-0.3f * k, -0.35f * k, -0.2f * k), trunnion + V3(0.3f * k, 0.45f * k, 0.18f * k), dark, housing);
    std::vector<TVector3> roots;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const float x = (float(c) - float(columns - 1) / 2) * 0.34f * k;
            const float z = (float(r) - float(rows - 1) / 2) * 0.3f * k;
            const TVector3 root = trunnion + V3(x, -0.35f * k, z);
            guns.Cylinder(root, root + V3(0, -1.9f * k, 0), 0.05f * k, 0.04f * k, 6, true, s.Atlas.UV(s.Barrel));
            guns.Cylinder(root + V3(0, -1.75f * k, 0), root + V3(0, -2.0f * k, 0), 0.07f * k, 0.06f * k, 6, true, dark);
            roots.push_back(root);
        }
    Elevate(guns, trunnion);
    Muzzles(model, roots, 1.4f * k, 2.05f * k);
    out.Model(model, "Models/Guns/" + name + ".otm");
    out.Texture(s.Atlas, "Models/Guns/" + name + ".png");
}

} // namespace

void BuildTurrets(TOutput &out)
{
    NavalGun(out, "Gun", {0.0f}, 1.0f, 6.0f, 201, false);
    NavalGun(out, "BSBigGun", {-2.2f, 0.0f, 2.2f}, 1.7f, 8.5f, 203, true);
    NavalGun(out, "BSGun", {-0.65f, 0.65f}, 0.95f, 6.5f, 205, false);
    MachineGun(out, "MachineGun", 1, 2, 1.0f, 207);
    MachineGun(out, "BSMachineGun", 2, 2, 1.35f, 209);
    BuildLaunchers(out);
}
