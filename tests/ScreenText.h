#pragma once
// Reading the menu's captions off a screenshot of the running game. The menu fonts are bitmaps drawn
// in one flat colour, so a caption is exactly the pixels of its colour; within a box its glyphs
// show as runs of columns holding such pixels, one run a glyph as long as neighbours do not touch,
// and a wider gap between words.

#include "tests/TestUtil.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

struct TCaptionColour {
    int R, G, B;
};

// The menu's caption colours in 8 bits: lime captions, titles and questions, the hovered caption.
constexpr TCaptionColour LimeCaption{184, 245, 69}, TitleCaption{219, 242, 255}, HoveredCaption{255, 219, 97};

inline bool IsCaption(const std::uint8_t *p, TCaptionColour c)
{
    return std::abs(p[0] - c.R) <= 2 && std::abs(p[1] - c.G) <= 2 && std::abs(p[2] - c.B) <= 2;
}

// One run of columns holding caption pixels, with the rows its pixels span.
struct TInkRun {
    int Left = 0, Right = 0;   // columns, inclusive
    int Top = 0, Bottom = 0;   // rows, inclusive (top row first)
};

// The runs of caption pixels of Colour in the box [X0, X1) x [Y0, Y1), left to right. Runs apart by
// no more than Bridge empty columns count as one: the menu's cursor draws hair lines across the whole
// screen, and one that crosses a glyph cuts it in two (the small fonts leave gaps of one column
// between glyphs, so bridge only the title font's).
inline std::vector<TInkRun> InkRuns(const TTestImage &image, TCaptionColour colour, int x0, int y0, int x1, int y1,
                                    int bridge = 0)
{
    std::vector<TInkRun> runs;
    bool inRun = false;
    for (int x = std::max(0, x0); x < std::min(image.Width, x1); ++x) {
        int top = -1, bottom = -1;
        for (int y = std::max(0, y0); y < std::min(image.Height, y1); ++y)
            if (IsCaption(image.At(x, y), colour)) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
        if (top < 0) {
            inRun = false;
            continue;
        }
        if (!inRun && (runs.empty() || x - runs.back().Right - 1 > bridge))
            runs.push_back({x, x, top, bottom});
        inRun = true;
        TInkRun &run = runs.back();
        run.Right = x;
        run.Top = std::min(run.Top, top);
        run.Bottom = std::max(run.Bottom, bottom);
    }
    return runs;
}

// How many words the runs make: runs closer than Space columns belong to one word.
inline int InkWords(const std::vector<TInkRun> &runs, int space)
{
    int words = runs.empty() ? 0 : 1;
    for (std::size_t i = 1; i < runs.size(); ++i)
        words += runs[i].Left - runs[i - 1].Right - 1 >= space;
    return words;
}
