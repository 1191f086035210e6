#pragma once
// The mission countdown clock. Scripts switch it on and set its time through "G_TIMER_ENABLE" and
// "G_TIMER_TIME"; the scene counts it down once per mission frame and the HUD shows it in red.

#include <string>

class TTimer {
public:
    // Counts Remaining down by Dt (ms) while the timer runs and has time left; it stops at 0.
    void Update(int dt);
    // Shows the remaining time at (X, Y) in screen units while the timer runs (the HUD passes -1.0
    // and 0.95). Draws nothing yet: the timer is shown once the 2D text output exists.
    void Draw(float x, float y) const;
    // "mm:ss:hh" (minutes, seconds, hundredths; minutes may take more digits), "00:00:00" below 1 ms.
    static std::string FormatTime(int ms);

    bool Enabled = false;   // the timer runs and is shown
    int  Remaining = 0;     // time left in ms
};
