#include "tools/craftgen/Livery.h"

#include <algorithm>
#include <cmath>

namespace {

// The camouflage colour at pixel (X, Y): soft-edged blotches of each colour over the first.
TColor Camouflage(const TLivery &l, float x, float y)
{
    TColor c = l.Camouflage.empty() ? TColor{0.5f, 0.5f, 0.5f, 1} : l.Camouflage[0];
    for (std::size_t i = 1; i < l.Camouflage.size(); ++i) {
        const float n = Noise(x, y, l.Scale, l.Seed + std::uint32_t(i) * 31u, 3);
        c = Mix(c, l.Camouflage[i], SmoothStep(0.54f, 0.58f, n));
    }
    return c;
}

} // namespace

void PaintBody(TAtlas &a, const TRect &r, const TLivery &l, const std::vector<float> &frames)
{
    a.Fill(r, [&](float u, float v) {
        const float x = float(r.X0) + u * float(r.Width()), y = float(r.Y0) + v * float(r.Height());
        const float top = 1 - SmoothStep(0.19f, 0.25f, std::fabs(u - 0.5f));
        return Mix(l.Belly, Camouflage(l, x, y), top);
    });
    for (const float v : frames) {
        a.PanelLine(r, 0, v, 1, v, 0.7f);
        a.Rivets(r, 0, v + 0.008f, 1, v + 0.008f, 7);
    }
    for (const float u : {0.15f, 0.33f, 0.67f, 0.85f})
        a.PanelLine(r, u, frames.empty() ? 0 : frames.front(), u, frames.empty() ? 1 : frames.back(), 0.5f);
    a.Weather(r, l.Seed + 3, 0.6f, 0.6f);
}

void PaintLifting(TAtlas &a, const TRect &r, const TLivery &l, bool bothFaces)
{
    a.Fill(r, [&](float u, float v) {
        const bool upper = u < 0.5f;
        const float chord = upper ? 1 - 2 * u : 2 * u - 1;   // 0 leading edge .. 1 trailing edge
        if (chord < 0.06f)
            return l.Edge;
        const float x = float(r.X0) + u * float(r.Width()), y = float(r.Y0) + v * float(r.Height());
        return upper || bothFaces ? Camouflage(l, x, y) : l.Belly;
    });
    for (const float chord : {0.06f, 0.3f, 0.72f})
        for (const float u : {0.5f * (1 - chord), 0.5f + 0.5f * chord}) {
            a.PanelLine(r, u, 0, u, 1, 0.6f);
            a.Rivets(r, u + 0.006f, 0, u + 0.006f, 1, 7);
        }
    for (const float v : {0.3f, 0.6f})
        for (const float u0 : {0.0f, 0.5f})
            a.PanelLine(r, u0 + 0.05f, v, u0 + 0.47f, v, 0.5f);
    a.Weather(r, l.Seed + 5, 0.5f, 0.3f);
}

void PaintGlass(TAtlas &a, const TRect &r, const std::vector<float> &bows)
{
    a.Fill(r, [&](float u, float v) {
        const float top = 1 - std::fabs(u - 0.5f) * 2;
        TColor c = Mix(Rgb(18, 26, 34), Rgb(90, 130, 160), SmoothStep(0.3f, 1.0f, top));
        const float streak = 1 - SmoothStep(0.0f, 0.06f, std::fabs(u - 0.58f + 0.05f * v));
        return Mix(c, Rgb(230, 240, 250), 0.6f * streak);
    });
    for (const float v : bows)
        a.Band(r, 0, v, 1, v, 3, Rgb(50, 54, 58));
}

void PaintFittings(TAtlas &a, const TCraftSkin &s, const TColor &glow)
{
    a.Fill(s.Metal, [&](float u, float v) {
        const float x = float(s.Metal.X0) + u * float(s.Metal.Width()), y = float(s.Metal.Y0) + v * float(s.Metal.Height());
        return Shade(Rgb(70, 72, 76), 0.8f + 0.3f * Noise(x, y * 0.2f, 4, 7, 2));
    });
    a.Fill(s.Glow, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2;
        return d < 0.6f ? Mix(Rgb(255, 240, 200), glow, d / 0.6f) : Mix(glow, Rgb(40, 36, 34), SmoothStep(0.6f, 0.95f, d));
    });
    a.Fill(s.Mouth, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2;
        return d > 0.85f ? Rgb(120, 124, 128) : Shade(Rgb(40, 42, 46), 0.4f + 0.6f * d);
    });
}

void Insignia(TAtlas &a, const TRect &r, float u, float v, float rx, float ry)
{
    a.Roundel(r, u, v, rx, ry, {Rgb(24, 24, 26), Rgb(235, 232, 224)});
    const float cx = u, cy = v, sx = rx * 0.52f / float(r.Width()), sy = ry * 0.52f / float(r.Height());
    a.Polygon(r, {{cx, cy - sy}, {cx + sx * 0.9f, cy + sy * 0.55f}, {cx - sx * 0.9f, cy + sy * 0.55f}}, Rgb(196, 30, 30));
}

int Segments(int full, int lod, int least)
{
    const int kept = lod <= 0 ? full : lod == 1 ? full * 5 / 8 : full * 3 / 8;
    return std::max(kept, least);
}

void WriteLods(TOutput &out, const std::string &folder, const TCraftSkin &skin,
               const std::function<void(TMeshBuilder &mesh, int lod)> &build)
{
    for (const int lod : {1, 2}) {
        TModelBuilder model(1, 10);
        build(model.AddMesh("Lod"), lod);
        const std::string name = folder + "/Main_lod" + std::to_string(lod - 1);
        out.Model(model, name + ".otm");
        out.Texture(skin.Atlas.Reduced(lod == 1 ? 2 : 4), name + ".png");
    }
}
