#include "tools/imagegen/Canvas.h"

#include "core/Png.h"

#include "core/Text.h"

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
            const float sa = std::clamp(c.a * cover, 0.0f, 1.0f);
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

void TCanvas::Save(const std::string &path) const
{
    std::vector<std::uint8_t> bytes(px.size() * 4);
    auto byte = [](float v) { return std::uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (std::size_t i = 0; i < px.size(); ++i) {
        bytes[i * 4 + 0] = byte(px[i].r);
        bytes[i * 4 + 1] = byte(px[i].g);
        bytes[i * 4 + 2] = byte(px[i].b);
        bytes[i * 4 + 3] = byte(px[i].a);
    }
    if (!WritePng(path, w, h, bytes))
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

TFont::TFont(const std::string &path)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        throw std::runtime_error("FreeType does not start");
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        throw std::runtime_error("Cannot open the font \"" + path + "\"");
    }
    Library = library;
    Face = face;
}

TFont::~TFont()
{
    FT_Done_Face(static_cast<FT_Face>(Face));
    FT_Done_FreeType(static_cast<FT_Library>(Library));
}

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
                    const float rim = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
                    best = std::max(best, mask.get(x + dx, y + dy) * rim);
                }
            out.at(x, y) = best;
        }
    return out;
}
