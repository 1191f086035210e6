#pragma once
// The tracer pool: bullet and laser streaks and smoke lines, each a ribbon (or a plain line) from a
// start to a finish point that lives a few hundred milliseconds. Weapons and units add them; the
// scene ages them every frame and the renderer draws them. Without a renderer they are still kept
// and aged, so a headless run sees the same shots.

#include "core/Maths.h"

#include <vector>

struct TTrasser {
    TVector4 Start, Finish;
    int      Texture = 0;      // texture handle; negative draws a plain line
    float    Width = 0;        // ribbon half-width in world units, or the line width in pixels
    int      Life = 0;         // ms
    int      Remaining = 0;    // ms
    bool     Scroll = false;   // the texture slides along the ribbon as it ages
    bool     Fade = false;     // the alpha falls with the remaining life
    float    TexOffset = 0;
    float    AlphaScale = 1;
    float    Color[4] = {1, 1, 1, 1};
};

class TBillboards {
public:
    // Appends a tracer that lives Life ms.
    void Add(const TVector3 &start, const TVector3 &finish, const float color[4], bool fade, bool scroll, int texture,
             float width, int life);
    // Ages every tracer by Dt ms; one whose remaining life drops below 1 ms is dropped (the last
    // tracer takes its place).
    void Update(int dt);
    // Draws every tracer through the installed drawer; nothing without one.
    void Draw();
    // Drops every tracer (a new mission).
    void Clear();

    std::vector<TTrasser> Items;
    int Count() const { return int(Items.size()); }
};

// The tracer pool of the run; null until start-up (or a headless runner) makes it.
extern TBillboards *Billboards;

// How the renderer draws the pool; null without a renderer.
extern void (*BillboardsDrawer)(const TBillboards &billboards);
