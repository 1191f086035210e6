#pragma once
// Float canvases for the image generators: coverage masks, text set with FreeType, blur,
// compositing with straight alpha, downsampling and PNG output.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TColor {
    float r = 0, g = 0, b = 0, a = 1;
};

// One coverage value 0..1 per pixel.
struct TMask {
    int w = 0, h = 0;
    std::vector<float> a;
    TMask() = default;
    TMask(int width, int height) : w(width), h(height), a(std::size_t(width) * height, 0.0f) {}
    float &at(int x, int y) { return a[std::size_t(y) * w + x]; }
    float  get(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : a[std::size_t(y) * w + x]; }
};

// Straight-alpha RGBA, one TColor per pixel.
struct TCanvas {
    int w = 0, h = 0;
    std::vector<TColor> px;
    TCanvas(int width, int height, TColor fill = {0, 0, 0, 0}) : w(width), h(height), px(std::size_t(width) * height, fill) {}
    TColor &at(int x, int y) { return px[std::size_t(y) * w + x]; }

    // Paints Color (a function of the pixel) over the canvas through Mask placed at (X, Y).
    void Paint(const TMask &mask, int x, int y, const std::function<TColor(int, int)> &color, float opacity = 1);
    // Writes the canvas as 8-bit PNG, RGBA or, without Alpha, RGB alone (for opaque textures); throws
    // std::runtime_error on failure.
    void Save(const std::string &path, bool alpha = true) const;
};

// The canvas scaled down by a whole Factor, each pixel the plain average of a Factor x Factor block;
// throws std::invalid_argument unless Factor divides both sides.
TCanvas Downsample(const TCanvas &canvas, int factor);

// A FreeType face; throws std::runtime_error when the font cannot be opened.
class TFont {
public:
    explicit TFont(const std::string &path);
    ~TFont();
    TFont(const TFont &) = delete;
    TFont &operator=(const TFont &) = delete;

    // Sets Text (UTF-8) at a cap height of PixelHeight with Tracking extra pixels between letters.
    // The mask is cropped to the ink plus Margin pixels on every side.
    TMask Render(std::string_view utf8, int pixelHeight, int tracking, int margin) const;

private:
    void *Library = nullptr;
    void *Face = nullptr;
};

// Starts a FreeType library of its own and opens the font file Path in it, giving back the
// FT_Library and FT_Face; throws std::runtime_error when either fails (and leaves nothing open).
void OpenFontFace(const std::string &path, void *&library, void *&face);
// Closes what OpenFontFace opened.
void CloseFontFace(void *library, void *face);

// Box blur of radius R, three passes (close to a Gaussian).
TMask Blur(const TMask &mask, int radius);
// Grows the coverage by R pixels (round structuring element).
TMask Dilate(const TMask &mask, int radius);
