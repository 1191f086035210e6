#pragma once
// The radar in the lower left corner: a round scope centred on the player aircraft with its nose
// up, and a blip for every unit the mission puts on it. Friends are green round dots, foes red
// diamonds and neutral units white squares, so the shape tells them apart without the colour;
// missiles are single pixels. Units the script marks blink orange.

class TGameObject;
class TObjectsControl;

// Where a unit's blip lies on the scope, in pixels from the scope's centre (right and up positive):
// dead ahead is straight up, to the right of the nose is to the right. Distances beyond Range sit
// on the rim, RadiusPixels from the centre.
struct TBlipOffset {
    float x = 0, y = 0;
};
TBlipOffset RadarBlipOffset(const TGameObject &player, const TGameObject &object, float range, float radiusPixels);

// Whether a unit shows on the radar: it is on it, it is not a bomb, and it is alive (a checkpoint
// shows even at health 0).
bool ShowsOnRadar(const TGameObject &object);

class TRadar {
public:
    // Builds the radar's two fonts ("Arial Black" 11 and "Courier" 9) when the 2D output exists;
    // the scope draws no text with them.
    TRadar();

    // The scope ring and the blips of Objects around Player. Radius is the scope's radius in screen
    // units upwards; across it keeps the same number of pixels on any window, so the ring is round.
    // (CentreX, CentreY) is the scope's centre. Draws with texturing off, then turns it back on and
    // leaves the colour opaque white. Without Player only the ring is drawn.
    void Draw(float range, float radius, float centreY, float centreX) const;

    // What the scope shows; the HUD points them at the current mission each frame.
    const TObjectsControl *Objects = nullptr;
    const TGameObject     *Player = nullptr;

    unsigned TitleFont = 0, ScaleFont = 0;   // display-list bases; 0 without the 2D output
};

// The small radar of the HUD: it has no behaviour of its own.
class TSmallRadar {};
