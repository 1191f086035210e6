#pragma once
// Float canvases for the image generators: coverage masks, text set with FreeType, blur, and
// compositing with straight alpha.

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
    // Writes the canvas as 8-bit PNG; throws std::runtime_error on failure.
    void Save(const std::string &path) const;
};

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

// Box blur of radius R, three passes (close to a Gaussian).
TMask Blur(const TMask &mask, int radius);
// Grows the coverage by R pixels (round structuring element).
TMask Dilate(const TMask &mask, int radius);
