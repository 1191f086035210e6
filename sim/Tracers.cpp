#include "sim/Tracers.h"

TBillboards *Billboards = nullptr;
void (*BillboardsDrawer)(const TBillboards &billboards) = nullptr;

void TBillboards::Add(const TVector3 &start, const TVector3 &finish, const float color[4], bool fade, bool scroll,
                      int texture, float width, int life)
{
    TTrasser t;
    t.Start = VectorSet4(start.x, start.y, start.z, 0);
    t.Finish = VectorSet4(finish.x, finish.y, finish.z, 0);
    t.Texture = texture;
    t.Width = width;
    t.Life = life;
    t.Remaining = life;
    t.Scroll = scroll;
    t.Fade = fade;
    for (int i = 0; i < 4; ++i)
        t.Color[i] = color[i];
    Items.push_back(t);
}

void TBillboards::Update(int dt)
{
    std::size_t i = 0;
    while (i < Items.size()) {
        TTrasser &t = Items[i];
        t.Remaining -= dt;
        if (t.Remaining < 1) {
            t = Items.back();
            Items.pop_back();
            continue;
        }
        const float left = t.Life > 0 ? float(t.Remaining) / float(t.Life) : 0.0f;
        if (t.Fade)
            t.AlphaScale = left;
        if (t.Scroll)
            t.TexOffset = left;
        ++i;
    }
}

void TBillboards::Draw()
{
    if (BillboardsDrawer)
        BillboardsDrawer(*this);
}

void TBillboards::Clear() { Items.clear(); }
