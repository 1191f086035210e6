// The small models: bombs and missiles; the glowing ones are in Glow.cpp.

#include "tools/craftgen/Craft.h"

#include "tools/imagegen/Noise.h"

#include <cmath>

namespace {

// Four fins round the y axis at Angle0 + k * 90 degrees: root from RootFront to RootBack at Radius,
// tip Span further out from TipFront to TipBack.
void Fins(TMeshBuilder &mesh, float angle0, float radius, float span, float rootFront, float rootBack, float tipFront,
          float tipBack, float thickness, const TUVRect &uv)
{
    for (int k = 0; k < 4; ++k) {
        const float a = angle0 + float(k) * Pi / 2;
        const TVector3 out = V3(std::cos(a), 0, std::sin(a));
        auto at = [&](float r, float y) { return out * r + V3(0, y, 0); };
        Plate(mesh, at(radius * 0.9f, rootBack), at(radius * 0.9f, rootFront), at(radius + span, tipFront),
              at(radius + span, tipBack), thickness, uv);
    }
}

// A missile skin: Bands lists (v from, v to, colour) painted across the body region.
struct TBand {
    float From, To;
    TColor Color;
};

void PaintBody(TAtlas &atlas, const TRect &r, const TColor &base, const std::vector<TBand> &bands, std::uint32_t seed)
{
    atlas.Fill(r, [&](float u, float v) {
        TColor c = base;
        for (const TBand &b : bands)
            if (v >= b.From && v < b.To)
                c = b.Color;
        // Light from above: the top of the round body a little brighter in the texture too.
        return Shade(c, 0.9f + 0.1f * std::cos((u - 0.5f) * 2 * Pi));
    });
    for (const TBand &b : bands) {
        atlas.PanelLine(r, 0, b.From, 1, b.From, 0.6f);
        atlas.PanelLine(r, 0, b.To, 1, b.To, 0.6f);
    }
    atlas.Weather(r, seed, 0.5f, 0.4f);
}

void Rocket(TOutput &out)
{
    TAtlas atlas(256, 256);
    const TRect body{0, 0, 128, 256}, fin{128, 0, 256, 128}, nozzle{128, 128, 256, 256};
    const TColor white = Rgb(226, 228, 224), grey = Rgb(70, 74, 78), yellow = Rgb(222, 180, 40), brown = Rgb(140, 96, 60);
    PaintBody(atlas, body, white, {{0.0f, 0.07f, grey}, {0.17f, 0.2f, yellow}, {0.24f, 0.26f, brown}, {0.96f, 1.0f, grey}}, 3);
    for (float u : {0.25f, 0.75f})
        atlas.Band(body, u, 0.3f, u, 0.9f, 2, Rgb(40, 40, 44));   // wiring conduits
    atlas.Fill(fin, [&](float u, float v) { return Shade(white, 0.86f + 0.1f * u - 0.05f * v); });
    atlas.PanelLine(fin, 0.1f, 0.1f, 0.9f, 0.1f, 0.5f);
    atlas.Fill(nozzle, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2;
        return Mix(Rgb(255, 200, 120), Rgb(30, 30, 32), SmoothStep(0.2f, 0.6f, d));
    });

    TModelBuilder model(1, 10);
    TMeshBuilder &mesh = model.AddMesh("Rocket");
    const auto rings = Body(mesh,
                            {{1.80f, 0.0f, 0.0f, 0.0f}, {1.72f, 0.045f, 0.045f, 0.045f}, {1.58f, 0.095f, 0.095f, 0.095f},
                             {1.40f, 0.125f, 0.125f, 0.125f}, {1.25f, 0.13f, 0.13f, 0.13f}, {-1.70f, 0.13f, 0.13f, 0.13f},
                             {-1.80f, 0.11f, 0.11f, 0.11f}},
                            12, atlas.UV(body));
    Cap(mesh, rings.back(), V3(0, -1, 0), atlas.UV(nozzle));
    Fins(mesh, Pi / 4, 0.13f, 0.26f, -1.25f, -1.78f, -1.55f, -1.78f, 0.02f, atlas.UV(fin));
    Fins(mesh, Pi / 4, 0.13f, 0.12f, 1.05f, 0.8f, 0.92f, 0.84f, 0.015f, atlas.UV(fin));
    model.AddPoint("Engine", V3(0, -1.85f, 0));
    out.Model(model, "Models/Misc/Rocket.otm");
    out.Texture(atlas, "Models/Misc/Rocket.png");
}

void BallisticMissile(TOutput &out)
{
    TAtlas atlas(256, 256);
    const TRect body{0, 0, 128, 256}, fin{128, 0, 256, 128}, nozzle{128, 128, 256, 256};
    const TColor white = Rgb(232, 232, 228), black = Rgb(28, 28, 30), red = Rgb(170, 36, 30);
    PaintBody(atlas, body, white, {{0.0f, 0.05f, black}, {0.28f, 0.3f, red}, {0.97f, 1.0f, black}}, 5);
    // Roll pattern: black and white quarters on two rings, so the missile's spin shows on film.
    atlas.Blend(body, [&](float u, float v) {
        const bool ring = (v > 0.4f && v < 0.47f) || (v > 0.82f && v < 0.89f);
        const bool quarter = (int(u * 4) + (v > 0.6f ? 1 : 0)) % 2 == 0;
        return TColor{black.r, black.g, black.b, ring && quarter ? 1.0f : 0.0f};
    });
    atlas.PanelLine(body, 0, 0.62f, 1, 0.62f);   // stage joint
    atlas.Fill(fin, [&](float u, float) { return Shade(white, 0.8f + 0.15f * u); });
    atlas.Fill(nozzle, [&](float u, float v) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 2;
        return Mix(Rgb(255, 220, 150), Rgb(36, 34, 34), SmoothStep(0.25f, 0.7f, d));
    });

    TModelBuilder model(1, 10);
    TMeshBuilder &mesh = model.AddMesh("Missile");
    const auto rings = Body(mesh,
                            {{6.0f, 0.0f, 0.0f, 0.0f}, {5.6f, 0.25f, 0.25f, 0.25f}, {5.0f, 0.5f, 0.5f, 0.5f},
                             {4.3f, 0.68f, 0.68f, 0.68f}, {3.6f, 0.75f, 0.75f, 0.75f}, {-5.5f, 0.75f, 0.75f, 0.75f},
                             {-6.0f, 0.62f, 0.62f, 0.62f}},
                            16, atlas.UV(body));
    Cap(mesh, rings.back(), V3(0, -1, 0), atlas.UV(nozzle));
    Fins(mesh, 0, 0.75f, 0.9f, -3.9f, -5.9f, -5.2f, -5.95f, 0.08f, atlas.UV(fin));
    model.AddPoint("Engine", V3(0, -6.1f, 0));
    out.Model(model, "Models/Misc/Sub_Missile.otm");
    out.Texture(atlas, "Models/Misc/Sub_Missile.png");
}

// The bomber's bomb: drawn along its heading but falling steeply, so it is modelled nose down.
void IronBomb(TOutput &out)
{
    TAtlas atlas(128, 128);
    const TRect body{0, 0, 64, 128}, fin{64, 0, 128, 128};
    const TColor olive = Rgb(86, 96, 62), yellow = Rgb(214, 176, 40);
    PaintBody(atlas, body, olive, {{0.08f, 0.12f, yellow}, {0.16f, 0.2f, yellow}}, 9);
    atlas.Fill(fin, [&](float u, float v) { return Shade(olive, 0.8f + 0.1f * u + 0.05f * v); });
    atlas.PanelLine(fin, 0.05f, 0.5f, 0.95f, 0.5f, 0.5f);

    TModelBuilder model(1, 10);
    TMeshBuilder &mesh = model.AddMesh("Bomb");
    mesh.Transform = Placement(V3(0, 0, 0), V3(-40 * Degrees, 0, 0));
    Body(mesh,
         {{1.3f, 0.0f, 0.0f, 0.0f}, {1.26f, 0.07f, 0.07f, 0.07f}, {1.12f, 0.15f, 0.15f, 0.15f}, {0.85f, 0.21f, 0.21f, 0.21f},
          {0.5f, 0.22f, 0.22f, 0.22f}, {-0.4f, 0.22f, 0.22f, 0.22f}, {-0.95f, 0.13f, 0.13f, 0.13f},
          {-1.25f, 0.07f, 0.07f, 0.07f}},
         12, atlas.UV(body), false, true);
    Fins(mesh, 0, 0.1f, 0.22f, -0.75f, -1.3f, -1.05f, -1.3f, 0.02f, atlas.UV(fin));
    out.Model(model, "Models/Misc/Bomb2.otm");
    out.Texture(atlas, "Models/Misc/Bomb2.png");
}

// The mega bomb: released with no rotation and falling straight down, so it hangs nose down.
void MegaBomb(TOutput &out)
{
    TAtlas atlas(256, 256);
    const TRect body{0, 0, 128, 256}, fin{128, 0, 256, 128}, core{128, 128, 256, 256};
    const TColor dark = Rgb(48, 52, 58), glow = Rgb(120, 230, 255);
    PaintBody(atlas, body, dark, {{0.0f, 0.06f, Rgb(30, 30, 34)}}, 11);
    // Hazard stripes round the nose and two glowing containment bands.
    atlas.Blend(body, [&](float u, float v) {
        const bool hazard = v > 0.1f && v < 0.18f && int((u * 24 + v * 40)) % 2 == 0;
        return TColor{0.9f, 0.72f, 0.1f, hazard ? 1.0f : 0.0f};
    });
    for (const float v : {0.38f, 0.62f}) {
        atlas.Band(body, 0, v, 1, v, 10, glow);
        atlas.Band(body, 0, v, 1, v, 3, Rgb(235, 255, 255));
    }
    atlas.Fill(fin, [&](float u, float v) { return Shade(dark, 0.9f + 0.2f * u - 0.1f * v); });
    atlas.Fill(core, [&](float u, float v) { return Mix(Rgb(235, 255, 255), glow, SmoothStep(0.1f, 0.5f, std::hypot(u - 0.5f, v - 0.5f))); });

    TModelBuilder model(1, 10);
    TMeshBuilder &mesh = model.AddMesh("Bomb");
    mesh.Transform = Placement(V3(0, 0, 0), V3(-90 * Degrees, 0, 0));   // +y becomes -z: nose down
    Body(mesh,
         {{2.2f, 0.0f, 0.0f, 0.0f}, {2.1f, 0.22f, 0.22f, 0.22f}, {1.8f, 0.45f, 0.45f, 0.45f}, {1.3f, 0.56f, 0.56f, 0.56f},
          {-0.8f, 0.56f, 0.56f, 0.56f}, {-1.6f, 0.32f, 0.32f, 0.32f}, {-2.2f, 0.2f, 0.2f, 0.2f}},
         16, atlas.UV(body), false, true);
    Fins(mesh, Pi / 4, 0.25f, 0.42f, -1.1f, -2.2f, -1.8f, -2.2f, 0.04f, atlas.UV(fin));
    Torus(mesh, V3(0, -2.0f, 0), V3(0, 1, 0), 0.66f, 0.03f, 0.22f, 20, 4, atlas.UV(fin));
    out.Model(model, "Models/Misc/Bomb.otm");
    out.Texture(atlas, "Models/Misc/Bomb.png");
}

} // namespace

void BuildMisc(TOutput &out)
{
    Rocket(out);
    BallisticMissile(out);
    IronBomb(out);
    MegaBomb(out);
    BuildMarkers(out);
    BuildBlast(out);
}
