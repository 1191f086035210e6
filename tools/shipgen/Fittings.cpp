#include "tools/shipgen/Fittings.h"

#include <cmath>
#include <filesystem>

TSkins StandardSkins(const TLayout &layout)
{
    TSkins s;
    s.Walls = {layout.UV(layout.Walls), 24, 12};
    s.Bridge = {layout.UV(layout.Bridge), 16, 3.2f};
    s.Roof = {layout.UV(layout.Roof), 16, 16};
    s.Funnel = {layout.UV(layout.Funnel), 1, 1};
    s.Metal = {layout.UV(layout.Metal), 10, 10};
    s.Raft = {layout.UV(layout.Swatch[0]), 1, 1};
    s.Radar = {layout.UV(layout.Swatch[1]), 1, 1};
    s.Dark = {layout.UV(layout.Swatch[2]), 1, 1};
    s.Spare = {layout.UV(layout.Swatch[3]), 1, 1};
    return s;
}

int RoundSegments(int detail, int full)
{
    return detail == 0 ? full : detail == 1 ? std::max(6, full * 2 / 3) : std::max(5, full / 2);
}

void Barbette(TMeshBuilder &m, const TSkins &skins, const TVector3 &top, float radius, float height, int detail)
{
    m.Cylinder(V3(top.x, top.y, top.z - height), top, radius, radius, RoundSegments(detail, 16), true,
               Scaled(skins.Metal, 2 * Pi * radius, height));
}

void Funnel(TMeshBuilder &m, const TSkins &skins, float x, float y, float rx, float ry, float z0, float z1, float rake,
            int detail)
{
    const int n = RoundSegments(detail, 16);
    const std::vector<TPoint2> base = Oval(x, y, rx, ry, n, 3.5f), top = Shifted(base, 0, -rake, 0.92f);
    Frustum(m, base, z0, top, z1, skins.Funnel, nullptr, true);
    // The black cap, a little inside the rim so the opening reads from above.
    Frustum(m, Shifted(top, 0, 0, 0.97f), z1, Shifted(top, 0, 0, 0.9f), z1 - 0.2f, skins.Dark, &skins.Dark, false);
}

void Mast(TMeshBuilder &m, const TSkins &skins, const TVector3 &base, float height, float yard, int detail)
{
    const int n = RoundSegments(detail, 8);
    const TUVRect metal = Scaled(skins.Metal, 2, height);
    m.Cylinder(base, V3(base.x, base.y, base.z + height), 0.6f, 0.25f, n, false, metal);
    if (detail >= 2)
        return;
    const float z = base.z + height * 0.72f;
    m.Box(V3(base.x - yard / 2, base.y - 0.2f, z - 0.2f), V3(base.x + yard / 2, base.y + 0.2f, z + 0.2f), metal);
    m.Box(V3(base.x - 1.4f, base.y - 1.4f, z - 2.4f), V3(base.x + 1.4f, base.y + 1.4f, z - 2.1f), metal);
    Radar(m, skins, V3(base.x, base.y, base.z + height * 0.86f), yard * 0.45f);
}

void Radar(TMeshBuilder &m, const TSkins &skins, const TVector3 &c, float width, float yaw)
{
    const float s = std::sin(yaw), k = std::cos(yaw), h = width * 0.28f;
    auto p = [&](float a, float b, float dz) { return V3(c.x + a * k - b * s, c.y + a * s + b * k, c.z + dz); };
    // The lattice seen from both sides; slightly tilted back.
    m.Quad(p(-width / 2, 0, -h / 2), p(width / 2, 0, -h / 2), p(width / 2, -0.3f, h / 2), p(-width / 2, -0.3f, h / 2),
           skins.Radar.UV);
    m.Quad(p(width / 2, 0.15f, -h / 2), p(-width / 2, 0.15f, -h / 2), p(-width / 2, -0.15f, h / 2),
           p(width / 2, -0.15f, h / 2), skins.Radar.UV);
}

void Raft(TMeshBuilder &m, const TSkins &skins, const TVector3 &c, float length, float radius, int detail)
{
    m.Cylinder(V3(c.x, c.y - length / 2, c.z), V3(c.x, c.y + length / 2, c.z), radius, radius,
               RoundSegments(detail, 8), true, skins.Raft.UV);
}

void WreckedTurret(TMeshBuilder &m, const TSkins &skins, const TVector3 &mount, float size, float yaw, float droop,
                   int barrels)
{
    const TMatrix4 saved = m.Transform;
    m.Transform = Placement(mount, V3(0, 0, yaw));
    const TUVRect dark = Scaled(skins.Metal, size, size * 0.5f);
    Frustum(m, {{-size / 2, -size * 0.6f}, {size / 2, -size * 0.6f}, {size / 2, size * 0.4f}, {-size / 2, size * 0.4f}}, 0,
            {{-size * 0.4f, -size * 0.5f}, {size * 0.4f, -size * 0.5f}, {size * 0.35f, size * 0.3f}, {-size * 0.35f, size * 0.3f}},
            size * 0.42f, {dark, 1, 1}, &skins.Metal);
    for (int b = 0; b < barrels; ++b) {
        const float x = barrels == 1 ? 0 : (float(b) - float(barrels - 1) / 2) * size * 0.3f;
        const float len = size * 1.3f, d = droop * (1 + 0.3f * float(b));
        const TVector3 from = V3(x, size * 0.35f, size * 0.22f);
        m.Cylinder(from, V3(x + 0.1f * float(b), from.y + len * std::cos(d), from.z - len * std::sin(d)), size * 0.06f,
                   size * 0.05f, 5, false, skins.Dark.UV);
    }
    m.Transform = saved;
}

void DebrisPiece(TMeshBuilder &m, const TSkins &skins, float size)
{
    Frustum(m, {{-size, -size * 0.6f}, {size * 0.8f, -size * 0.7f}, {size * 0.5f, size * 0.8f}, {-size * 0.7f, size * 0.5f}},
            -size * 0.15f, {{-size * 0.8f, -size * 0.3f}, {size * 0.6f, -size * 0.6f}, {size * 0.3f, size * 0.6f}, {-size * 0.5f, size * 0.4f}},
            size * 0.15f, skins.Metal, &skins.Metal);
}

void PaintFittings(TPainter &painter, const TSkins &skins, const TTeam &team, bool squareWindows)
{
    const TLayout &l = painter.Layout;
    painter.Walls(l.Walls, skins.Walls, team.Super, squareWindows);
    painter.Bridge(l.Bridge, skins.Bridge, team.Super);
    painter.Roof(l.Roof, skins.Roof, Shade(team.Super, 0.85f));
    painter.Funnel(l.Funnel, team.Super, team.Marking);
    painter.Metal(l.Metal, team.Metal);
    // Rafts: orange canisters with white bands.
    painter.Fill(l.Swatch[0], 1, 1, [&](float u, float v) {
        const bool band = std::fabs(std::fmod(v * 4, 1.0f) - 0.5f) < 0.08f;
        TColor c = band ? Rgb(0.9f, 0.9f, 0.88f) : Rgb(0.92f, 0.42f, 0.08f);
        return Shade(c, 0.9f + 0.15f * Noise(u * 8, v * 8, 1, painter.Seed + 5));
    });
    // Radar: a dark lattice.
    painter.Fill(l.Swatch[1], 1, 1, [&](float u, float v) {
        const bool bar = std::fabs(std::fmod(u * 12, 1.0f) - 0.5f) < 0.18f || std::fabs(std::fmod(v * 4, 1.0f) - 0.5f) < 0.2f;
        return bar ? Rgb(0.20f, 0.21f, 0.22f) : Rgb(0.45f, 0.47f, 0.49f);
    });
    // Burnt black: funnel caps, barrels, the broken insides of a wreck.
    painter.Fill(l.Swatch[2], 1, 1, [&](float u, float v) {
        return Shade(Rgb(0.10f, 0.10f, 0.11f), 0.8f + 0.4f * Noise(u * 6, v * 6, 1, painter.Seed + 7));
    });
    // The spare swatch: the team colour, for flags and bands.
    painter.Fill(l.Swatch[3], 1, 1, [&](float u, float v) {
        return Shade(team.Marking, 0.9f + 0.15f * Noise(u * 6, v * 6, 1, painter.Seed + 9));
    });
}

void SaveModel(const TModelBuilder &model, const TCanvas &texture, const std::string &path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    model.Save(path + ".otm");
    texture.Save(path + ".png");
}
