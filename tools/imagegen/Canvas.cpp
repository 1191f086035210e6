#include "tools/imagegen/Canvas.h"

#include "core/Png.h"
#include "core/Text.h"
#include "tools/imagegen/GenMath.h"

#include <png.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace {

void BoxPass(const TMask &in, TMask &out, int radius, bool horizontal)
{
    const int n = horizontal ? in.w : in.h, lines = horizontal ? in.h : in.w;
    const float scale = 1.0f / float(2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        auto src = [&](int i) { return horizontal ? in.get(i, line) : in.get(line, i); };
        float sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += src(i);
        for (int i = 0; i < n; ++i) {
            (horizontal ? out.at(i, line) : out.at(line, i)) = sum * scale;
            sum += src(i + radius + 1) - src(i - radius);
        }
    }
}

// A colour channel 0..1 as a byte, rounded; values outside 0..1 are held to it first.
std::uint8_t ChannelByte(float v) { return std::uint8_t(std::lround(Clamp01(v) * 255.0f)); }

} // namespace

void TCanvas::Paint(const TMask &mask, int x0, int y0, const std::function<TColor(int, int)> &color, float opacity)
{
    for (int my = 0; my < mask.h; ++my)
        for (int mx = 0; mx < mask.w; ++mx) {
            const int x = x0 + mx, y = y0 + my;
            if (x < 0 || y < 0 || x >= w || y >= h)
                continue;
            const float cover = mask.get(mx, my) * opacity;
            if (cover <= 0)
                continue;
            const TColor c = color(x, y);
            const float sa = Clamp01(c.a * cover);
            TColor &d = at(x, y);
            const float oa = sa + d.a * (1 - sa);
            if (oa <= 0)
                continue;
            d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
            d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
            d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
            d.a = oa;
        }
}

void TCanvas::Save(const std::string &path, bool alpha) const
{
    const std::size_t channels = alpha ? 4 : 3;
    std::vector<std::uint8_t> bytes(px.size() * channels);
    for (std::size_t i = 0; i < px.size(); ++i) {
        bytes[i * channels + 0] = ChannelByte(px[i].r);
        bytes[i * channels + 1] = ChannelByte(px[i].g);
        bytes[i * channels + 2] = ChannelByte(px[i].b);
        if (alpha)
            bytes[i * channels + 3] = ChannelByte(px[i].a);
    }
    bool ok = false;
    if (alpha) {
        ok = WritePng(path, w, h, bytes);
    } else {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = png_uint_32(w);
        image.height = png_uint_32(h);
        image.format = PNG_FORMAT_RGB;
        ok = png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
        png_image_free(&image);
    }
    if (!ok)
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

TCanvas Downsample(const TCanvas &canvas, int factor)
{
    if (factor <= 0 || canvas.w % factor != 0 || canvas.h % factor != 0)
        throw std::invalid_argument("Downsample: the factor " + std::to_string(factor) + " does not divide the canvas");
    TCanvas out(canvas.w / factor, canvas.h / factor);
    const float n = float(factor * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            TColor sum{0, 0, 0, 0};
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const TColor &c = canvas.px[std::size_t(y * factor + dy) * std::size_t(canvas.w) + std::size_t(x * factor + dx)];
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                }
            out.at(x, y) = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
        }
    return out;
}

void OpenFontFace(const std::string &path, void *&library, void *&face)
{
    FT_Library ftLibrary = nullptr;
    FT_Face ftFace = nullptr;
    if (FT_Init_FreeType(&ftLibrary) != 0)
        throw std::runtime_error("FreeType does not start");
    if (FT_New_Face(ftLibrary, path.c_str(), 0, &ftFace) != 0) {
        FT_Done_FreeType(ftLibrary);
        throw std::runtime_error("Cannot open the font \"" + path + "\"");
    }
    library = ftLibrary;
    face = ftFace;
}

void CloseFontFace(void *library, void *face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
    FT_Done_FreeType(static_cast<FT_Library>(library));
}

TFont::TFont(const std::string &path) { OpenFontFace(path, Library, Face); }

TFont::~TFont() { CloseFontFace(Library, Face); }

TMask TFont::Render(std::string_view utf8, int pixelHeight, int tracking, int margin) const
{
    auto face = static_cast<FT_Face>(Face);
    // Size the face so that a capital "H" is PixelHeight tall.
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));
    if (FT_Load_Char(face, 'H', FT_LOAD_DEFAULT) == 0 && face->glyph->metrics.height > 0) {
        const double cap = face->glyph->metrics.height / 64.0;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::lround(pixelHeight * pixelHeight / cap)));
    }
    struct TGlyph {
        TMask mask;
        int x, top;
    };
    std::vector<TGlyph> glyphs;
    int pen = 0, minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
    for (char32_t c : Utf8CodePoints(utf8)) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        TGlyph glyph{TMask(int(g->bitmap.width), int(g->bitmap.rows)), pen + g->bitmap_left, -g->bitmap_top};
        for (int y = 0; y < glyph.mask.h; ++y)
            for (int x = 0; x < glyph.mask.w; ++x)
                glyph.mask.at(x, y) = g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
        if (glyph.mask.w > 0) {
            minX = std::min(minX, glyph.x);
            maxX = std::max(maxX, glyph.x + glyph.mask.w);
            minY = std::min(minY, glyph.top);
            maxY = std::max(maxY, glyph.top + glyph.mask.h);
        }
        pen += int(g->advance.x >> 6) + tracking;
        glyphs.push_back(std::move(glyph));
    }
    if (minX > maxX)
        return TMask(2 * margin + 1, 2 * margin + 1);
    TMask out(maxX - minX + 2 * margin, maxY - minY + 2 * margin);
    for (const TGlyph &glyph : glyphs)
        for (int y = 0; y < glyph.mask.h; ++y)
            for (int x = 0; x < glyph.mask.w; ++x) {
                float &d = out.at(glyph.x - minX + margin + x, glyph.top - minY + margin + y);
                d = std::max(d, glyph.mask.get(x, y));
            }
    return out;
}

TMask Blur(const TMask &mask, int radius)
{
    TMask a = mask, b(mask.w, mask.h);
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(a, b, radius, true);
        BoxPass(b, a, radius, false);
    }
    return a;
}

TMask Dilate(const TMask &mask, int radius)
{
    TMask out(mask.w, mask.h);
    for (int y = 0; y < mask.h; ++y)
        for (int x = 0; x < mask.w; ++x) {
            float best = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const float d = std::sqrt(float(dx * dx + dy * dy));
                    if (d > radius + 0.5f)
                        continue;
                    // Soft edge on the rim of the disc keeps the outline anti-aliased.
                    const float rim = Clamp01(radius + 0.5f - d);
                    best = std::max(best, mask.get(x + dx, y + dy) * rim);
                }
            out.at(x, y) = best;
        }
    return out;
}
