#pragma once
// Text set on a baseline with FreeType: measuring, word wrapping and drawing into coverage masks.
// Sizes are cap heights in pixels (the height of a capital "H"), so that faces mix evenly.

#include "tools/imagegen/Canvas.h"

#include <string>
#include <string_view>
#include <vector>

class TTypeface {
public:
    // Throws std::runtime_error when the font file cannot be opened.
    explicit TTypeface(const std::string &path);
    ~TTypeface();
    TTypeface(const TTypeface &) = delete;
    TTypeface &operator=(const TTypeface &) = delete;

    // Advance width of Text (UTF-8) in pixels, with Tracking extra pixels after each letter but the last.
    float Width(std::string_view text, float capHeight, float tracking = 0) const;
    // Draws Text with its baseline at Baseline; Align 0 puts its left end at X, 0.5 its middle, 1 its
    // right end. Coverage is merged with the maximum.
    void Draw(TMask &mask, std::string_view text, float x, float baseline, float capHeight, float tracking = 0,
              float align = 0) const;
    // Breaks Text at blanks into lines no wider than MaxWidth (a single word wider than that stays whole).
    std::vector<std::string> Wrap(std::string_view text, float capHeight, float maxWidth, float tracking = 0) const;
    // CapHeight, made smaller when needed so that Text fits in MaxWidth.
    float Fit(std::string_view text, float capHeight, float maxWidth, float tracking = 0) const;

private:
    void SetSize(float capHeight) const;

    void *Library = nullptr;
    void *Face = nullptr;
    float CapUnits = 0;   // the height of "H" in font units
};
