#pragma once
// The light list of the scene: one sun. The world map switches it on around the objects it draws
// and off again afterwards, so the sky, the sea and the effects are drawn unlit.

struct TLight {
    float Position[4];
    float Ambient[4];
    float Diffuse[4];
    float Specular[4];
};

class TLightsControl {
public:
    // Stores the sun and switches it on for the following Apply calls.
    void SetSun(const TLight &sun);
    // Switches the previous lights off, then lighting on, and the sun on as the next free GL light
    // (its position goes through the current model-view matrix, so call it with the camera applied).
    void Apply();
    // Lighting off, and every GL light the last Apply switched on; Used goes back to 0.
    void Disable();

    TLight Sun{};
    bool   SunEnabled = false;
    int    Used = 0;   // GL lights switched on by the last Apply
};

// The light list of the run; null until the scene makes it.
extern TLightsControl *Lights;

// The white sun the scene starts with: high in the north-west sky, ambient 0.7, diffuse and specular
// full white. Its position has w = 0, a direction rather than a point: the sun is far beyond the
// map, so every object is lit from the same side wherever it stands.
TLight DefaultSun();
