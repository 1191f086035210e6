#pragma once
// The mission countdown clock. Scripts switch it on and set its time through "G_TIMER_ENABLE" and
// "G_TIMER_TIME"; the scene counts it down once per mission frame and the HUD shows it in red.

#include <string>

// Where the timer's text goes. The core draws nothing itself: the HUD installs its 2D text output
// here. The output draws Text with its baseline starting at (X, Y) in screen units, in the colour
// (Red, Green, Blue), and leaves the drawing colour opaque white. Null: the timer is not shown.
extern void (*TimerTextOutput)(const std::string &text, float x, float y, float red, float green, float blue);

class TTimer {
public:
    // Counts Remaining down by Dt (ms) while the timer runs and has time left; it stops at 0.
    void Update(int dt);
    // Shows the remaining time at (X, Y) in screen units, in pure red, while the timer runs (the HUD
    // passes -1.0 and 0.95), through TimerTextOutput; the colour is white again afterwards.
    void Draw(float x, float y) const;
    // "mm:ss:hh" (minutes, seconds, hundredths; minutes may take more digits), "00:00:00" below 1 ms.
    static std::string FormatTime(int ms);

    bool Enabled = false;   // the timer runs and is shown
    int  Remaining = 0;     // time left in ms
};
