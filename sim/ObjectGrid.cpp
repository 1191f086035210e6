#include "sim/ObjectGrid.h"

#include "assets/Model.h"
#include "sim/GameObjects.h"

namespace {

constexpr float SmallestCell = 2000;   // the reach of a machine gun
constexpr int   MostCells = 256;       // per side
constexpr float LargeRadius = 1000;    // objects bigger than this are "large" for collision

} // namespace

int TObjectGrid::CellIndex(float x, float y) const
{
    const float fx = (x - MinX) / CellSize, fy = (y - MinY) / CellSize;
    if (!(fx >= 0 && fy >= 0 && fx < float(Width) && fy < float(Height)))
        return -1;
    return int(fy) * Width + int(fx);
}

void TObjectGrid::File(int i, int cell, float x, float y)
{
    CellOf[std::size_t(i)] = cell;
    std::vector<TEntry> &list = cell < 0 ? Outside : Cells[std::size_t(cell)];
    SlotOf[std::size_t(i)] = int(list.size());
    list.push_back({i, x, y});
}

void TObjectGrid::Unfile(int i)
{
    const int cell = CellOf[std::size_t(i)];
    std::vector<TEntry> &list = cell < 0 ? Outside : Cells[std::size_t(cell)];
    const int slot = SlotOf[std::size_t(i)];
    const TEntry last = list.back();
    list[std::size_t(slot)] = last;
    SlotOf[std::size_t(last.Index)] = slot;
    list.pop_back();
}

void TObjectGrid::Build(const std::vector<TGameObject *> &objects)
{
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    for (const TGameObject *object : objects) {
        const float x = object->Position.x, y = object->Position.y;
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9f || std::fabs(y) > 1e9f)
            continue;
        if (!any) {
            minX = maxX = x;
            minY = maxY = y;
            any = true;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    // A margin round the objects leaves room to move before anything falls outside.
    minX -= SmallestCell;
    minY -= SmallestCell;
    maxX += SmallestCell;
    maxY += SmallestCell;
    CellSize = std::max(SmallestCell, std::max(maxX - minX, maxY - minY) / float(MostCells));
    MinX = minX;
    MinY = minY;
    Width = std::min(MostCells, int((maxX - minX) / CellSize) + 1);
    Height = std::min(MostCells, int((maxY - minY) / CellSize) + 1);
    Cells.assign(std::size_t(Width * Height), {});
    Outside.clear();
    Large.clear();
    MaxRadius = 0;
    CellOf.clear();
    SlotOf.clear();
    IsLarge.clear();
    for (int i = 0; i < int(objects.size()); ++i)
        Append(objects, i);
}

void TObjectGrid::Append(const std::vector<TGameObject *> &objects, int i)
{
    const TGameObject *object = objects[std::size_t(i)];
    CellOf.resize(std::size_t(i) + 1, -1);
    SlotOf.resize(std::size_t(i) + 1, 0);
    File(i, CellIndex(object->Position.x, object->Position.y), object->Position.x, object->Position.y);
    IsLarge.resize(std::size_t(i) + 1, 0);
    NoteRadius(object, i);
}

void TObjectGrid::NoteRadius(const TGameObject *object, int i)
{
    if (!object->Model || IsLarge[std::size_t(i)])
        return;
    // A model's reach can only be bounded by the largest radius; the few huge ones (islands) are
    // kept apart so they do not widen every search.
    if (object->Model->Radius > LargeRadius || !std::isfinite(object->Model->Radius)) {
        IsLarge[std::size_t(i)] = 1;
        Large.push_back(i);
    } else {
        MaxRadius = std::max(MaxRadius, object->Model->Radius);
    }
}

void TObjectGrid::Refile(const std::vector<TGameObject *> &objects, int i)
{
    const TGameObject *object = objects[std::size_t(i)];
    NoteRadius(object, i);   // in case its model changed
    const float x = object->Position.x, y = object->Position.y;
    const int cell = CellIndex(x, y);
    if (cell == CellOf[std::size_t(i)]) {
        TEntry &entry = (cell < 0 ? Outside : Cells[std::size_t(cell)])[std::size_t(SlotOf[std::size_t(i)])];
        entry.X = x;
        entry.Y = y;
        return;
    }
    Unfile(i);
    File(i, cell, x, y);
}
