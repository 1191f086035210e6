#pragma once
// The mission's fades to and from black. The script starts them (a take-off fades in, a reload
// fades out), the mission's tick runs their clocks, the HUD draws them, and the player aircraft has
// no control while a fade-in runs (except for the take-off it belongs to).

#include <algorithm>

struct TScreenFade {
    static constexpr int Time = 2000;   // ms of a full fade

    int In = 0;    // ms: -1 black until a fade-in starts, above 0 fading in, 0 no fade
    int Out = 0;   // ms: above 0 fading out to black; black when it ends

    // One frame of Dt ms: the fade-out runs down and leaves the screen black, then the fade-in runs
    // down.
    void Tick(int dt)
    {
        if (Out > 0) {
            Out -= dt;
            if (Out <= 0) {
                Out = 0;
                In = -1;
            }
        }
        if (In >= 1)
            In = std::max(0, In - dt);
    }
    // How much of the picture is covered in black, 0..1, after this frame's Tick: the fade-out's
    // share when one runs, else the fade-in's.
    float Cover() const
    {
        if (Out > 0)
            return 1 - float(Out) / float(Time);
        if (In >= 1)
            return float(In) / float(Time);
        return In < 0 ? 1.0f : 0.0f;
    }
};
