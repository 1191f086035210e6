#include "tools/hudart/Type.h"

#include "core/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <sstream>

TTypeface::TTypeface(const std::string &path)
{
    OpenFontFace(path, Library, Face);
    const auto face = static_cast<FT_Face>(Face);
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) == 0)
        CapUnits = float(face->glyph->metrics.height);
    if (CapUnits <= 0)
        CapUnits = float(face->units_per_EM) * 0.7f;
}

TTypeface::~TTypeface() { CloseFontFace(Library, Face); }

void TTypeface::SetSize(float capHeight) const
{
    auto face = static_cast<FT_Face>(Face);
    const float pixels = capHeight * float(face->units_per_EM) / CapUnits;
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(pixels * 64)), 72, 72);
}

float TTypeface::Width(std::string_view text, float capHeight, float tracking) const
{
    auto face = static_cast<FT_Face>(Face);
    SetSize(capHeight);
    const std::u32string codes = Utf8CodePoints(text);
    float pen = 0;
    FT_UInt previous = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const FT_UInt index = FT_Get_Char_Index(face, codes[i]);
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += float(kern.x) / 64;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0)
            pen += float(face->glyph->advance.x) / 64;
        if (i + 1 < codes.size())
            pen += tracking;
        previous = index;
    }
    return pen;
}

void TTypeface::Draw(TMask &mask, std::string_view text, float x, float baseline, float capHeight, float tracking,
                     float align) const
{
    auto face = static_cast<FT_Face>(Face);
    float pen = x - align * Width(text, capHeight, tracking);
    SetSize(capHeight);
    FT_UInt previous = 0;
    const int base = int(std::lround(baseline));
    for (char32_t code : Utf8CodePoints(text)) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += float(kern.x) / 64;
        }
        previous = index;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        const int left = int(std::lround(pen)) + g->bitmap_left, top = base - g->bitmap_top;
        for (int y = 0; y < int(g->bitmap.rows); ++y)
            for (int gx = 0; gx < int(g->bitmap.width); ++gx) {
                const int mx = left + gx, my = top + y;
                if (mx < 0 || my < 0 || mx >= mask.w || my >= mask.h)
                    continue;
                const float v = g->bitmap.buffer[y * g->bitmap.pitch + gx] / 255.0f;
                mask.at(mx, my) = std::max(mask.at(mx, my), v);
            }
        pen += float(g->advance.x) / 64 + tracking;
    }
}

std::vector<std::string> TTypeface::Wrap(std::string_view text, float capHeight, float maxWidth, float tracking) const
{
    std::vector<std::string> lines;
    std::istringstream words{std::string(text)};
    std::string word, line;
    while (words >> word) {
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && Width(candidate, capHeight, tracking) > maxWidth) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

float TTypeface::Fit(std::string_view text, float capHeight, float maxWidth, float tracking) const
{
    // Tracking does not scale with the size, so shrink until it fits rather than in one step.
    float size = capHeight;
    for (int step = 0; step < 8; ++step) {
        const float width = Width(text, size, tracking);
        if (width <= maxWidth || width <= 0)
            break;
        size *= std::max(0.5f, maxWidth / width * 0.995f);
    }
    return size;
}
