#pragma once
// Texture painting for the aircraft, turrets and projectiles: atlas regions, fills driven by the
// position inside a region, panel lines and rivets, markings, weathering and battle damage.
//
// Coordinates: a region's (u, v) runs 0..1 from its left edge and from its top row, the same way
// the model builder maps a TUVRect, so a line painted at v = 0.3 of the fuselage region lands 30% of
// the way down the body.

#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/GenMath.h"
#include "tools/imagegen/Noise.h"
#include "tools/modelgen/ModelBuilder.h"

#include <cstdint>
#include <functional>
#include <string>

// A rectangle of the atlas in pixels, X1 and Y1 excluded.
struct TRect {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    int Width() const { return X1 - X0; }
    int Height() const { return Y1 - Y0; }
    // The part from U0, V0 to U1, V1 of this rectangle (fractions).
    TRect Part(float u0, float v0, float u1, float v1) const;
};

TColor Rgb(int r, int g, int b);   // from 0..255 values, opaque

// A small deterministic generator: the same seed gives the same numbers on every machine.
class TDice {
public:
    explicit TDice(std::uint32_t seed) : State(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t Next();
    float Uniform(float lo, float hi);   // lo..hi
    int   Below(int n);                  // 0..n-1

private:
    std::uint32_t State;
};

class TAtlas {
public:
    TAtlas(int width, int height);

    // The texture coordinates of Rect, pulled in by half a pixel so neighbours do not bleed in.
    TUVRect UV(const TRect &rect) const;

    // Sets every pixel of Rect to Color(u, v).
    void Fill(const TRect &rect, const std::function<TColor(float u, float v)> &color);
    // Blends Color(u, v) over Rect by the colour's alpha.
    void Blend(const TRect &rect, const std::function<TColor(float u, float v)> &color);
    // Multiplies the rgb of Rect by Factor(u, v).
    void Darken(const TRect &rect, const std::function<float(float u, float v)> &factor);

    // A sunken seam from (U0, V0) to (U1, V1) of Rect: a dark line with a light lip beside it.
    void PanelLine(const TRect &rect, float u0, float v0, float u1, float v1, float strength = 1);
    // Rivet heads every Spacing pixels along the same kind of segment.
    void Rivets(const TRect &rect, float u0, float v0, float u1, float v1, float spacing);
    // A straight painted band of Width pixels, soft by one pixel at its edges.
    void Band(const TRect &rect, float u0, float v0, float u1, float v1, float width, const TColor &color);
    // A filled disc of Radius pixels at (U, V) of Rect, soft at its edge.
    void Disc(const TRect &rect, float u, float v, float radius, const TColor &color);
    // Concentric ellipses at (U, V) of Rect with radii Rx, Ry pixels: Colors from the rim inwards,
    // each band a third narrower than the one outside it. For round marks on stretched regions.
    void Roundel(const TRect &rect, float u, float v, float rx, float ry, const std::vector<TColor> &colors);
    // A filled polygon given in (u, v) of Rect.
    void Polygon(const TRect &rect, const std::vector<TPoint2> &corners, const TColor &color);
    // Digits or letters in the given font file, centred at (U, V), Height pixels tall, turned
    // Turns quarter turns clockwise (for text that reads along a body region).
    void Text(const TRect &rect, const std::string &font, const std::string &text, float u, float v, int height,
              const TColor &color, int turns = 0);

    // Angular two-tone camouflage over Rect where Where(u, v) is true: straight cuts across the atlas
    // split it into shards, and about one shard in three takes Color.
    void Splinter(const TRect &rect, std::uint32_t seed, int cuts, const TColor &color,
                  const std::function<bool(float u, float v)> &where);
    // Grime: darkening blotches, and streaks running towards growing V (the airflow on a body whose
    // region runs nose to tail).
    void Weather(const TRect &rect, std::uint32_t seed, float grime, float streaks);

    // Battle damage at pixel (X, Y): a burnt patch, a cluster of bullet holes, a torn panel that
    // shows the structure, and a soot trail blown along +y of the atlas.
    void Scorch(int x, int y, float radius, std::uint32_t seed, float strength = 1);
    void BulletHoles(int x, int y, float spread, int count, std::uint32_t seed);
    void Tear(int x, int y, float radius, std::uint32_t seed);
    void SootTrail(int x, int y, float length, float width, std::uint32_t seed);

    // Battle damage spread over the skin Regions: level 1 a few holes and burns, each level more
    // (a level keeps every mark of the levels below it), level 5 burnt out.
    void Batter(const std::vector<TRect> &regions, int level, std::uint32_t seed);

    // The atlas scaled down by a whole Factor (box filter).
    TAtlas Reduced(int factor) const;

    TCanvas Canvas;
    TRect   Clip{0, 0, 1 << 20, 1 << 20};   // painting outside it is dropped

private:
    // Calls Pixel(x, y, coverage) for the pixels near the segment within Half pixels of it.
    void Segment(float ax, float ay, float bx, float by, float half,
                 const std::function<void(int x, int y, float distance)> &pixel);
    void Put(int x, int y, const TColor &c, float alpha);
};
