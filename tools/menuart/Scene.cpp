#include "tools/menuart/Scene.h"

#include "tools/imagegen/Noise.h"
#include "tools/menuart/Shapes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr float Horizon = 500;                // rows of sky above the sea
constexpr float SunX = 760, SunY = 478, SunRadius = 20;

TColor Sky(float y)
{
    const TColor top{0.015f, 0.03f, 0.085f}, middle{0.07f, 0.13f, 0.26f}, low{0.42f, 0.27f, 0.28f},
        horizon{0.98f, 0.58f, 0.26f};
    const float t = y / Horizon;
    if (t < 0.55f)
        return Mix(top, middle, t / 0.55f);
    if (t < 0.88f)
        return Mix(middle, low, (t - 0.55f) / 0.33f);
    return Mix(low, horizon, (t - 0.88f) / 0.12f);
}

void AddGlow(TColor &c, float x, float y)
{
    const float d = std::hypot(x - SunX, (y - SunY) * 1.6f);
    const float core = std::exp(-std::max(0.0f, d - SunRadius) / 14.0f);
    const float halo = std::exp(-d / 70.0f) * 0.55f + std::exp(-d / 260.0f) * 0.25f;
    c.r = std::min(1.0f, c.r + core * 1.0f + halo * 1.0f);
    c.g = std::min(1.0f, c.g + core * 0.92f + halo * 0.55f);
    c.b = std::min(1.0f, c.b + core * 0.70f + halo * 0.25f);
}

void DrawSkyAndSea(TCanvas &canvas)
{
    for (int y = 0; y < SceneHeight; ++y)
        for (int x = 0; x < SceneWidth; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            TColor c;
            if (fy < Horizon) {
                c = Sky(fy);
                AddGlow(c, fx, fy);
                // Long bands of cloud, lit warm from below near the horizon and the sun.
                const float band = SmoothStep(120, 260, fy) * (1 - SmoothStep(440, 492, fy));
                const float n = FractalNoise(fx / SceneWidth * 6, fy / SceneHeight * 26, 6, 5, 0.55f, 71);
                const float density = SmoothStep(0.50f, 0.72f, n) * band;
                const float warm = SmoothStep(250, 480, fy) * 0.6f + std::exp(-std::abs(fx - SunX) / 220) * 0.4f;
                const TColor cloud = Mix(TColor{0.10f, 0.10f, 0.17f}, TColor{0.85f, 0.45f, 0.30f}, warm);
                c = Mix(c, cloud, density * 0.85f);
            } else {
                const float p = (fy - Horizon) / (SceneHeight - Horizon);   // 0 at the horizon, 1 at the bottom
                c = Mix(TColor{0.30f, 0.22f, 0.27f}, TColor{0.01f, 0.045f, 0.08f}, std::pow(p, 0.45f));
                // Waves get finer towards the horizon.
                const float depth = 1 / (p + 0.06f);
                const float wave = FractalNoise((fx - SceneWidth / 2) / SceneWidth * 7 * depth + 400,
                                                depth * 9, 4096, 4, 0.5f, 17);
                const float shade = (wave - 0.5f) * 0.16f;
                c.r += shade;
                c.g += shade;
                c.b += shade * 1.2f;
                // The sun's road of glitter, widening towards the viewer.
                const float width = 14 + 150 * p;
                const float road = std::exp(-std::pow((fx - SunX) / width, 2.0f));
                const float glitter = std::pow(Clamp01(wave * 1.25f - 0.25f), 5.0f) * road * 2.2f;
                c.r += glitter;
                c.g += glitter * 0.75f;
                c.b += glitter * 0.45f;
                const float haze = std::exp(-(fy - Horizon) / 6.0f) * 0.5f;
                c = Mix(c, TColor{0.98f, 0.62f, 0.35f}, haze);
            }
            c.r = Clamp01(c.r);
            c.g = Clamp01(c.g);
            c.b = Clamp01(c.b);
            c.a = 1;
            canvas.at(x, y) = c;
        }
}

// A fighter seen from the side and a little below: nose at the origin, 100 units long.
const std::vector<TPt> Fighter = {
    {0, 0},   {16, -3},  {26, -7},  {36, -8},  {46, -5},  {72, -6},  {84, -25}, {93, -25}, {91, -6},
    {101, -5}, {102, 3}, {76, 4},   {56, 17},  {43, 17},  {47, 5},   {14, 3},
};

void DrawFighter(TCanvas &canvas, float x, float y, float scale, float angle)
{
    const TColor dark{0.035f, 0.04f, 0.07f};
    const std::vector<TPt> body = Place(Fighter, scale, angle, x, y);
    // Contrail from the tail, fading over a third of the screen.
    const TPt tail = Place({{102, 0}}, scale, angle, x, y)[0];
    const TPt end{tail.x + 340 * std::cos(angle), tail.y + 340 * std::sin(angle)};
    const TMask trail = Blur(Stroke(SceneWidth, SceneHeight, [&](float px, float py) { return SegmentDistance(px, py, tail, end); }, 1.4f), 2);
    canvas.Paint(trail, 0, 0, [&](int px, int py) {
        const float along = std::hypot(px - tail.x, py - tail.y) / 340;
        return TColor{0.95f, 0.85f, 0.80f, 0.45f * (1 - along)};
    });
    canvas.Paint(FillPolygon(SceneWidth, SceneHeight, body), 0, 0, [&](int, int) { return dark; });
    const TMask glow = Fill(SceneWidth, SceneHeight, [&](float px, float py) { return std::hypot(px - tail.x, py - tail.y) - 2.5f * scale; });
    canvas.Paint(Blur(glow, 3), 0, 0, [](int, int) { return TColor{1.0f, 0.55f, 0.2f, 1}; });
}

void DrawCarrier(TCanvas &canvas)
{
    const float y = Horizon + 1;
    const std::vector<TPt> hull = {
        {168, y - 7}, {340, y - 7}, {334, y - 3}, {322, y + 2}, {186, y + 2}, {176, y - 3},
    };
    const std::vector<TPt> island = {{282, y - 7}, {282, y - 20}, {287, y - 24}, {298, y - 24}, {298, y - 7}};
    const TColor dark{0.05f, 0.04f, 0.07f};
    canvas.Paint(FillPolygon(SceneWidth, SceneHeight, hull), 0, 0, [&](int, int) { return dark; });
    canvas.Paint(FillPolygon(SceneWidth, SceneHeight, island), 0, 0, [&](int, int) { return dark; });
    const TMask mast = Stroke(SceneWidth, SceneHeight, [&](float px, float py) {
        return SegmentDistance(px, py, {291, y - 24}, {291, y - 34});
    }, 0.6f);
    canvas.Paint(mast, 0, 0, [&](int, int) { return dark; });
}

// The tactical look: a faint grid, scan lines, corner marks and a vignette.
void DrawOverlay(TCanvas &canvas)
{
    for (int y = 0; y < SceneHeight; ++y)
        for (int x = 0; x < SceneWidth; ++x) {
            TColor &c = canvas.at(x, y);
            const bool grid = (x % 64 == 0) || (y % 64 == 0);
            if (grid) {
                c.r = Mix(c.r, 0.72f, 0.05f);
                c.g = Mix(c.g, 0.96f, 0.05f);
                c.b = Mix(c.b, 0.27f, 0.05f);
            }
            const float scan = (y % 3 == 0) ? 0.94f : 1.0f;
            const float dx = (x - SceneWidth / 2.0f) / (SceneWidth / 2.0f), dy = (y - SceneHeight / 2.0f) / (SceneHeight / 2.0f);
            const float vignette = 1 - 0.45f * Clamp01((dx * dx + dy * dy) / 2);
            c.r *= scan * vignette;
            c.g *= scan * vignette;
            c.b *= scan * vignette;
        }
    const float inset = 14, arm = 46;
    const std::vector<std::pair<TPt, TPt>> marks = {
        {{inset, inset}, {inset + arm, inset}}, {{inset, inset}, {inset, inset + arm}},
        {{SceneWidth - inset, inset}, {SceneWidth - inset - arm, inset}}, {{SceneWidth - inset, inset}, {SceneWidth - inset, inset + arm}},
        {{inset, SceneHeight - inset}, {inset + arm, SceneHeight - inset}}, {{inset, SceneHeight - inset}, {inset, SceneHeight - inset - arm}},
        {{SceneWidth - inset, SceneHeight - inset}, {SceneWidth - inset - arm, SceneHeight - inset}},
        {{SceneWidth - inset, SceneHeight - inset}, {SceneWidth - inset, SceneHeight - inset - arm}},
    };
    const TMask corners = Stroke(SceneWidth, SceneHeight, [&](float x, float y) {
        float best = 1e9f;
        for (const auto &[a, b] : marks)
            best = std::min(best, SegmentDistance(x, y, a, b));
        return best;
    }, 1.0f);
    canvas.Paint(corners, 0, 0, [](int, int) { return TColor{0.72f, 0.96f, 0.27f, 0.6f}; });
}

} // namespace

TCanvas DrawScene()
{
    TCanvas canvas(SceneWidth, SceneHeight);
    DrawSkyAndSea(canvas);
    DrawCarrier(canvas);
    DrawFighter(canvas, 590, 250, 1.25f, -0.16f);
    DrawFighter(canvas, 660, 300, 0.85f, -0.14f);
    DrawOverlay(canvas);
    return canvas;
}

void DrawTitle(TCanvas &canvas, const TFont &titleFont, const TFont &textFont, const std::string &title,
               const std::string &subtitle, int top)
{
    const int margin = 12;
    const TMask text = titleFont.Render(title, 52, 7, margin);
    if (text.w > canvas.w - 40)
        throw std::runtime_error("The title \"" + title + "\" is too wide for the menu");
    const int tx = (canvas.w - text.w) / 2, ty = top - margin;
    const int inkTop = ty + margin, inkBottom = ty + text.h - margin;
    const TMask outline = Dilate(text, 3);
    canvas.Paint(Blur(outline, 7), tx, ty, [](int, int) { return TColor{0.15f, 0.55f, 1.0f, 1.0f}; }, 0.8f);
    canvas.Paint(outline, tx, ty, [](int, int) { return TColor{0.02f, 0.05f, 0.12f, 1.0f}; });
    canvas.Paint(text, tx, ty, [&](int, int y) {
        return ChromeRamp(Clamp01(float(y - inkTop) / float(std::max(1, inkBottom - inkTop))));
    });

    const TMask sub = textFont.Render(subtitle, 15, 8, 4);
    const int sx = (canvas.w - sub.w) / 2, sy = inkBottom + 10;
    const int ry = sy + sub.h / 2, gap = 16, length = 190;
    TMask rules(canvas.w, canvas.h);
    for (int x = 0; x < length; ++x) {
        const float fade = 1 - float(x) / float(length);
        for (int t = 0; t < 2; ++t) {
            if (sx - gap - x >= 0)
                rules.at(sx - gap - x, ry + t) = fade;
            if (sx + sub.w + gap + x < canvas.w)
                rules.at(sx + sub.w + gap + x, ry + t) = fade;
        }
    }
    canvas.Paint(rules, 0, 0, [](int, int) { return TColor{1.0f, 0.70f, 0.25f, 1.0f}; });
    canvas.Paint(Dilate(sub, 2), sx, sy, [](int, int) { return TColor{0.02f, 0.04f, 0.10f, 1.0f}; });
    canvas.Paint(sub, sx, sy, [](int, int) { return TColor{1.0f, 0.78f, 0.30f, 1.0f}; });
}
