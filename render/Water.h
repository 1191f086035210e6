#pragma once
// The sea: one endless quad at height 0 blended over the mirrored sky and world, its animated ripple
// pattern for the reflection's haze pass, and its depth, which hides whatever lies below the water.
// On it float the splash and wake decals: short-lived foam patches that grow while they fade.

#include "core/Maths.h"
#include "render/Shaders.h"
#include "sim/Seams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TWater {
public:
    // Loads "Water.png" and the three ripple textures "WaterNoise1.png" .. "WaterNoise3.png" from
    // TextureFolder, and the ripple program "Water.fs" / "Water.vs" from ShaderFolder (both full
    // paths ending in a backslash). Without a texture library the handles stay -1.
    TWater(const std::string &shaderFolder, const std::string &textureFolder);

    // The visible surface at z = -0.5, blended over what was drawn before it; writes no depth.
    void Draw();
    // The ripple pattern at z = +0.5: two of the noise textures blended by the ripple program.
    void DrawDistortion();
    // The sea plane at z = -0.5 into the depth buffer only.
    void DrawDepth();

    // Where the ripple stands at a clock: the noise pair it blends from First to Second (1, 2 or 3)
    // and how far through the 4-second blend it is (0 .. below 1). The pairs take turns every four
    // seconds: (1, 2), (2, 3), (3, 1).
    struct TRipple {
        int   First, Second;
        float Scale;
    };
    static TRipple RippleAt(std::int64_t clock);

    int          SurfaceTexture = -1, Noise1 = -1, Noise2 = -1, Noise3 = -1;
    TWaterShader Shader;

private:
    void BindTexture(int handle) const;
};

// One splash or wake decal on the water.
struct TWaterNoise {
    TVector4 Position;            // z is always 0: decals lie on the sea
    float    Color[4] = {1, 1, 1, 1};
    int      Remaining = 0;       // ms left
    int      Life = 0;            // ms it lives in all
    float    Fade = 1;            // Remaining / Life: 1 at birth, 0 at death
    float    Size = 0;            // the half-size it reaches as it dies
};

// The decals of one source (a ship's wake, the splashes of a weapon), kept together.
class TWaterNoiseBlock {
public:
    // Ages every decal by Dt ms and drops the ones with less than 1 ms left (order not kept).
    void Update(int dt);

    std::vector<TWaterNoise> Items;
};

class TNoise {
public:
    // Adds a decal at Position (on the sea) living Life ms, tinted Color, growing to Size. Block is
    // the caller's own block: when it is not one of ours (null, or left over from before a Clear) a
    // new block is made and Block set to it.
    void Add(const TVector3 &position, int life, TWaterNoiseBlock *&block, const float color[4], float size);
    void Update(int dt);
    // Every decal, additively blended, without depth writes.
    void Draw();
    // Frees every block (a new mission); the callers' block references become strangers.
    void Clear();

    // How far a decal reaches from its centre now: it grows from nothing as it fades.
    static float HalfSize(const TWaterNoise &decal);

    std::vector<std::unique_ptr<TWaterNoiseBlock>> Blocks;
    // The texture-library handle of the decal image, set by the scene environment; -1 for none.
    int Texture = -1;
};

// The splash decals of the run; null until start-up makes them.
extern TNoise *Noise;

// How the simulation disturbs the sea: each disturbance leaves a patch of foam that lives Strength
// ms and spreads to Size.
class TWaterDisturbance : public TWaterSeam {
public:
    void Disturb(const TVector3 &at, float strength, float size) override;

    // The pale foam tint of every disturbance.
    static constexpr float FoamColor[4] = {0.82f, 0.9f, 0.95f, 0.12f};

private:
    TWaterNoiseBlock *Block = nullptr;
};
