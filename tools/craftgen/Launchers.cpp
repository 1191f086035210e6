// The missile launchers and the anti-aircraft gun turret: the battleship's box launcher, the SAM
// site's launcher with four missiles on its rails, and the four-barrelled "Shilka" turret with its
// radar dish.

#include "tools/craftgen/Turret.h"

#include <cmath>

namespace {

void Save(TOutput &out, const TModelBuilder &model, const TTurretSkin &s, const std::string &name)
{
    out.Model(model, "Models/Guns/" + name + ".otm");
    out.Texture(s.Atlas, "Models/Guns/" + name + ".png");
}

// Four cells in the launcher box, 2 x 2: their centres at the x and z offsets.
const float CellX[4] = {-0.55f, 0.55f, -0.55f, 0.55f}, CellZ[4] = {0.38f, 0.38f, -0.38f, -0.38f};

void BoxLauncher(TOutput &out)
{
    TTurretSkin s = PaintTurret(NavalGrey(), Rgb(220, 220, 216), 211, false);
    // The box's face: four hatches over the cells, each with a red rim.
    s.Atlas.Fill(s.Accent, [](float u, float v) {
        const float cu = u < 0.5f ? 0.25f : 0.75f, cv = v < 0.5f ? 0.25f : 0.75f;
        const float d = std::hypot(u - cu, v - cv) * 4;
        return d < 0.7f ? Rgb(46, 48, 52) : d < 0.82f ? Rgb(170, 36, 32) : NavalGrey();
    });
    const TUVRect housing = s.Atlas.UV(s.Housing), dark = s.Atlas.UV(s.Dark);
    TModelBuilder model(ElevationFrames, 10);
    TMeshBuilder &base = model.AddMesh("Mount");
    base.Cylinder(V3(0, 0, 0), V3(0, 0, 0.5f), 1.6f, 1.5f, 18, true, dark);
    for (const float side : {-1.0f, 1.0f})
        Block(base, {V3(side * 1.25f, 1.0f, 0.5f), V3(side * 1.45f, 1.0f, 0.5f), V3(side * 1.45f, -0.6f, 0.5f),
                     V3(side * 1.25f, -0.6f, 0.5f), V3(side * 1.25f, 0.6f, 2.0f), V3(side * 1.45f, 0.6f, 2.0f),
                     V3(side * 1.45f, 0.0f, 2.0f), V3(side * 1.25f, 0.0f, 2.0f)},
              housing);
    const TVector3 trunnion = V3(0, 0.3f, 1.8f);
    TMeshBuilder &box = model.AddMesh("Launcher");
    const float x = 1.15f, h = 0.75f, rear = 2.0f, front = -2.6f;
    auto p = [&](float px, float py, float pz) { return trunnion + V3(px, py - 0.3f, pz); };
    box.Quad(p(-x, rear, h), p(x, rear, h), p(x, front, h), p(-x, front, h), housing);        // top
    box.Quad(p(-x, front, -h), p(x, front, -h), p(x, rear, -h), p(-x, rear, -h), housing);    // bottom
    box.Quad(p(x, front, -h), p(x, front, h), p(x, rear, h), p(x, rear, -h), housing);        // right
    box.Quad(p(-x, rear, -h), p(-x, rear, h), p(-x, front, h), p(-x, front, -h), housing);    // left
    box.Quad(p(x, rear, -h), p(x, rear, h), p(-x, rear, h), p(-x, rear, -h), dark);           // back
    box.Quad(p(-x, front, -h), p(-x, front, h), p(x, front, h), p(x, front, -h), s.Atlas.UV(s.Accent));   // face
    Elevate(box, trunnion);
    std::vector<TVector3> cells;
    for (int i = 0; i < 4; ++i)
        cells.push_back(p(CellX[i], rear - 0.4f, CellZ[i]));
    Muzzles(model, cells, 1.0f, rear - 0.4f - front + 0.15f);
    Save(out, model, s, "BSMissile");
}

// A surface-to-air missile lying along -y with its tail at Tail.
void SamMissile(TMeshBuilder &m, const TTurretSkin &s, const TVector3 &tail)
{
    const TUVRect body = s.Atlas.UV(s.Accent);
    m.Transform = Placement(tail);
    Body(m, {{-5.2f, 0, 0, 0, 0}, {-4.9f, 0.1f, 0.1f, 0.1f, 0}, {-4.4f, 0.19f, 0.19f, 0.19f, 0}, {0.0f, 0.2f, 0.2f, 0.2f, 0}},
         8, body, false, true);
    for (int k = 0; k < 4; ++k) {
        const float a = Pi / 4 + float(k) * Pi / 2;
        const TVector3 out = V3(std::cos(a), 0, std::sin(a));
        Plate(m, out * 0.15f + V3(0, -0.05f, 0), out * 0.15f + V3(0, -0.9f, 0), out * 0.5f + V3(0, -0.3f, 0),
              out * 0.5f + V3(0, -0.05f, 0), 0.02f, body);
        Plate(m, out * 0.15f + V3(0, -3.2f, 0), out * 0.15f + V3(0, -3.7f, 0), out * 0.3f + V3(0, -3.5f, 0),
              out * 0.3f + V3(0, -3.3f, 0), 0.015f, body);
    }
    m.Transform = MatrixIdentity();
}

void SamLauncher(TOutput &out)
{
    const TTurretSkin s = PaintTurret(ArmyGreen(), Rgb(228, 228, 222), 213, true);
    const TUVRect housing = s.Atlas.UV(s.Housing), dark = s.Atlas.UV(s.Dark);
    TModelBuilder model(ElevationFrames, 10);
    TMeshBuilder &base = model.AddMesh("Mount");
    base.Cylinder(V3(0, 0, 0), V3(0, 0, 0.4f), 1.8f, 1.7f, 18, true, dark);
    Crate(base, V3(-0.9f, 0.9f, 0.4f), V3(0.9f, 2.1f, 1.5f), housing, housing);   // the crew cab
    for (const float side : {-1.0f, 1.0f})
        Block(base, {V3(side * 1.2f, 1.0f, 0.4f), V3(side * 1.4f, 1.0f, 0.4f), V3(side * 1.4f, -0.4f, 0.4f),
                     V3(side * 1.2f, -0.4f, 0.4f), V3(side * 1.2f, 0.6f, 1.8f), V3(side * 1.4f, 0.6f, 1.8f),
                     V3(side * 1.4f, 0.2f, 1.8f), V3(side * 1.2f, 0.2f, 1.8f)},
              housing);
    const TVector3 trunnion = V3(0, 0.4f, 1.6f);
    TMeshBuilder &rails = model.AddMesh("Rails");
    Crate(rails, V3(-1.15f, -2.4f, 1.45f), V3(1.15f, 1.6f, 1.75f), housing, housing);
    std::vector<TVector3> tails;
    for (int i = 0; i < 4; ++i) {
        const TVector3 tail = V3(CellX[i], 1.7f, 1.6f + (CellZ[i] > 0 ? 0.45f : -0.45f));
        SamMissile(rails, s, tail);
        tails.push_back(tail);
    }
    Elevate(rails, trunnion);
    Muzzles(model, tails, 0.1f, 5.3f);
    Save(out, model, s, "SamGun");
}

void Shilka(TOutput &out)
{
    const TTurretSkin s = PaintTurret(ArmyGreen(), Rgb(70, 80, 60), 215, true);
    const TUVRect housing = s.Atlas.UV(s.Housing), dark = s.Atlas.UV(s.Dark);
    TModelBuilder model(ElevationFrames, 10);
    TMeshBuilder &turret = model.AddMesh("Turret");
    Gunhouse(turret, housing, 1.5f, 1.3f, 1.6f, -1.6f, -1.0f, 1.0f);
    Crate(turret, V3(-0.5f, 0.2f, 1.0f), V3(0.1f, 0.9f, 1.25f), housing, housing);   // commander's hatch
    turret.Cylinder(V3(0, 1.2f, 1.0f), V3(0, 1.2f, 1.8f), 0.08f, 0.08f, 6, false, dark);
    // The radar dish, facing back over the hull.
    turret.Cylinder(V3(0, 1.15f, 2.05f), V3(0, 1.32f, 2.1f), 0.35f, 0.72f, 14, true, dark);
    turret.Cylinder(V3(0, 1.1f, 1.95f), V3(0, 1.3f, 1.95f), 0.09f, 0.09f, 6, true, dark);
    const TVector3 trunnion = V3(0, -1.2f, 0.85f);
    TMeshBuilder &guns = model.AddMesh("Barrels");
    Crate(guns, V3(-0.7f, -1.55f, 0.52f), V3(0.7f, -0.9f, 1.18f), housing, housing);
    std::vector<TVector3> roots;
    for (const float x : {-0.42f, 0.42f})
        for (const float z : {0.7f, 1.0f}) {
            const TVector3 root = V3(x, -1.5f, z);
            guns.Cylinder(root, root + V3(0, -2.4f, 0), 0.05f, 0.04f, 6, true, s.Atlas.UV(s.Barrel));
            guns.Cylinder(root + V3(0, -2.2f, 0), root + V3(0, -2.5f, 0), 0.07f, 0.07f, 6, true, dark);
            roots.push_back(root);
        }
    Elevate(guns, trunnion);
    Muzzles(model, roots, 1.6f, 2.55f);
    Save(out, model, s, "ShilkaGun");
}

} // namespace

void BuildLaunchers(TOutput &out)
{
    BoxLauncher(out);
    SamLauncher(out);
    Shilka(out);
}
