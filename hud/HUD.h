#pragma once
// The in-flight display drawn over the scene: the indicator panel with the armour and special-weapon
// bars, the radar, the frame of the small camera window, the reticles at the aim point, the pitch
// tape, the missile lock box, the weapon readouts, the mission timer, the task list on Tab, the fades
// to and from black, the mission's messages and the current target's health bar. It also shows the
// mission script's indicator (a script variable and its label) under the panel.
//
// Everything is laid out in pixels from the window's edges and centre (n x PixelSizeX across, n x
// PixelSizeY up), so every element keeps its size and shape on any window.

#include "hud/Radar.h"
#include "script/Messanger.h"
#include "sim/Seams.h"

#include <string>

class TGamer;

// The colour of a bar: green above half full, yellow above a quarter, red at a quarter or less.
struct TBarColour {
    float r = 0, g = 0, b = 0;
    bool operator==(const TBarColour &) const = default;
};
TBarColour BarColour(float fraction);

#include "sim/ScreenFade.h"

class THUD : public THudSeam {
public:
    // Loads the HUD's pictures and fonts, makes the mission's message panel (and points the global
    // Messanger at it) and shows the mission timer through the 2D text output. Needs the 2D output
    // and the texture library.
    THUD();
    ~THUD() override;
    THUD(const THUD &) = delete;
    THUD &operator=(const THUD &) = delete;

    // Label is the script's text, shown as the locale translates it (cut short with "..." when it
    // is wider than the band under the panel).
    void SetIndicator(const int *value, const std::string &label) override;

    // Draws the whole display over the frame and runs the fades and the messages for Dt ms. Leaves
    // the depth test and texturing on, alpha blending on, and the colour opaque white.
    void Draw(int dt);

    // A bar of Fraction (held in 0..1) of the panel's 143-pixel trough, its top left corner at (X, Y),
    // 16 pixels high, in its colour at Alpha.
    void DrawBar(float alpha, float fraction, float y, float x) const;

    static constexpr float RadarRange = 4500;

    // The mission's fades, whose clocks the mission's tick runs; the HUD draws them. Null: none.
    const TScreenFade *Fade = nullptr;
    TMessanger Messages;
    int        IndicatorTexture = -1, GridTexture = -1, RadarTexture = -1, CameraTexture = -1;
    int        MissileReticle = -1, MissileTargetTexture = -1, BombingTexture = -1, GunReticle = -1;
    int        PitchStrip = -1;
    TRadar      Radar;
    TSmallRadar SmallRadar;
    unsigned   TextFont = 0;    // "Arial" 10: the weapon readouts
    unsigned   BigFont = 0;     // "Arial Black" 18: the indicator's value
    unsigned   LabelFont = 0;   // "Arial Black" 11: the indicator's label
    unsigned   TimerFont = 0;   // "Arial Black" 10: the mission timer

    // The script's indicator: the variable (null: none shown) and its label as shown.
    const int  *IndicatorValue = nullptr;
    std::string IndicatorLabel;

private:
    void DrawPanel(const TGamer *gamer, bool blinkOn) const;
    void DrawIndicator() const;
    void DrawRadar(const TGamer *gamer);
    void DrawFlightSymbols(const TGamer &gamer) const;
    void DrawReadouts(const TGamer &gamer) const;
    void DrawFades(int dt);
};

// The HUD of the run; null until start-up makes it.
extern THUD *HUD;

// What the game's loop runs after the scene of a mission frame: the crosshair samples the scene, the
// mission's objects learn whether the scenery hides them, then the HUD draws over the frame.
void HudFrame(int dt);
