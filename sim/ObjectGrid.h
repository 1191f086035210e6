#pragma once
// The spatial index of the object list during its update pass. Target searches and collision run
// once per armed unit per frame; scanning the whole list each time made a frame's cost grow with the
// square of the number of units. The grid files every listed object in a square cell of the sea by its
// x and y, so a search looks only at the cells its range covers.
//
// It is exact, not approximate: it is rebuilt when the pass starts, an object is moved to its new
// cell right after its own update (units move only themselves), and objects added during the pass are
// filed at once. Callers keep the list's order for ties by comparing list indices.

#include "core/Maths.h"

#include <algorithm>
#include <cmath>
#include <vector>

class TGameObject;

class TObjectGrid {
public:
    // Files every object of the list by its position.
    void Build(const std::vector<TGameObject *> &objects);
    // Files the object at list index I, appended after the build.
    void Append(const std::vector<TGameObject *> &objects, int i);
    // Moves the object at list index I to the cell of its position now.
    void Refile(const std::vector<TGameObject *> &objects, int i);

    // Calls Visit(index) for every object that may lie within Range of (X, Y) horizontally: all of
    // those within it and possibly others, each once, in no particular order. False (and nothing
    // visited) when the query cannot be answered from the grid (a range or point that is not finite).
    template <class TVisit> bool ForEachNear(float x, float y, float range, TVisit &&visit) const;
    // The same, leaving out those whose filed position is plainly farther than Range (horizontally,
    // with a margin for rounding), without reading the objects themselves.
    template <class TVisit> bool ForEachWithin(float x, float y, float range, TVisit &&visit) const;

    // The largest model radius among the objects filed in cells, and the objects too large to bound
    // that way (islands), which collision must always consider.
    float MaxRadius = 0;
    std::vector<int> Large;

private:
    struct TEntry;
    template <class TVisit> bool ForEachEntry(float x, float y, float range, TVisit &&visit) const;
    int CellIndex(float x, float y) const;   // -1 outside the grid (or not finite)
    void File(int i, int cell, float x, float y);
    void Unfile(int i);
    void NoteRadius(const TGameObject *object, int i);

    float CellSize = 1000;
    float MinX = 0, MinY = 0;
    int   Width = 0, Height = 0;
    // An object filed in a cell, with its position when filed (its own update refiles it).
    struct TEntry {
        int   Index;
        float X, Y;
    };
    std::vector<std::vector<TEntry>> Cells;
    std::vector<TEntry> Outside;              // objects beyond the grid, always visited
    std::vector<int> CellOf, SlotOf;          // per list index: its cell (-1 outside) and place there
    std::vector<char> IsLarge;                // per list index: listed in Large
};

template <class TVisit> bool TObjectGrid::ForEachNear(float x, float y, float range, TVisit &&visit) const
{
    return ForEachEntry(x, y, range, [&](const TEntry &entry) { visit(entry.Index); });
}

template <class TVisit> bool TObjectGrid::ForEachWithin(float x, float y, float range, TVisit &&visit) const
{
    // A generous bound: single-precision distances may come out a little short of the true ones.
    const double reach = double(range) * 1.001 + 1.0, reach2 = reach * reach;
    return ForEachEntry(x, y, range, [&](const TEntry &entry) {
        const double dx = double(entry.X) - x, dy = double(entry.Y) - y;
        if (!(dx * dx + dy * dy > reach2))
            visit(entry.Index);
    });
}

template <class TVisit> bool TObjectGrid::ForEachEntry(float x, float y, float range, TVisit &&visit) const
{
    const float x0 = (x - range - MinX) / CellSize, x1 = (x + range - MinX) / CellSize;
    const float y0 = (y - range - MinY) / CellSize, y1 = (y + range - MinY) / CellSize;
    if (!(std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1)))
        return false;
    for (const TEntry &entry : Outside)
        visit(entry);
    if (x1 < 0 || y1 < 0 || x0 >= float(Width) || y0 >= float(Height))
        return true;
    const int cx0 = std::max(0, int(std::floor(x0))), cx1 = std::min(Width - 1, int(std::floor(x1)));
    const int cy0 = std::max(0, int(std::floor(y0))), cy1 = std::min(Height - 1, int(std::floor(y1)));
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx)
            for (const TEntry &entry : Cells[std::size_t(cy * Width + cx)])
                visit(entry);
    return true;
}
