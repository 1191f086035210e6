#pragma once
// Particle effects: smoke, fire, explosions, engine flames, muzzle flashes and missile trails.
// An emitter is one running instance of a ".dps" effect; its particles live in a sprite block that
// the global TSprites ages and draws. Every curve is baked into a table of 1000 samples at load
// time, so per-particle work is a few table reads.

#include "assets/DPSFile.h"
#include "core/Maths.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int SampleCount = 1000;
using TSampleTable = std::array<float, SampleCount>;

// Sample n is the gradient at n / 999, as a float divided by Divisor.
TSampleTable BakeGradient(const TGradient &gradient, float divisor);

struct TEffectParams {
    int          Duration = 1000;   // ms, at least 100
    float        ClipRadius = 0;
    TSampleTable EmitRate{}, LifeScale{}, SpreadScale{}, RiseScale{}, AlphaScale{}, SizeScale{}, RotationScale{};
};

struct TEmitterRecord {
    int          Texture = 0;       // texture-library handle
    std::uint8_t Layer = 0;         // 0: the picture; 1: the heat-haze distortion pass
    std::uint8_t Additive = 0;
    TSampleTable Red{}, Green{}, Blue{}, Alpha{};   // over the particle's life, 0..1
    TSampleTable AlphaByTime{};                     // over the effect's time
    TSampleTable Life{}, Rate{}, Size{}, Speed{}, Lift{}, Spin{};
    TSampleTable LifeSpread{}, RateSpread{}, SizeSpread{}, SpeedSpread{}, LiftSpread{}, SpinSpread{};
    TSampleTable SizeByLife{}, SpreadByLife{}, RiseByLife{}, SpinByLife{};   // over the particle's life
};

// The effect and its records baked for the game. Textures are not loaded (handles 0).
TEffectParams  BakeEffect(const TDpsFile &effect);
TEmitterRecord BakeRecord(const TDpsRecord &record, int durationMs);

struct TParticle {
    int      Texture = 0;
    TVector4 Position{};
    float    Color[4] = {1, 1, 1, 1};
    float    Size = 0;              // half the quad side
    float    Angle = 0;             // degrees
    int      Remaining = 0, Life = 0;   // ms
    float    Vx = 0, Vy = 0;        // horizontal velocity
    float    Vz = 0;                // vertical speed
    TVector4 Origin{};              // where it was spawned
    float    BaseSize = 0, BaseSpin = 0;
    const TEmitterRecord *Record = nullptr;
};

struct TSpriteBlock {
    std::vector<TParticle> Particles;   // unordered: a dead particle is replaced by the last one
    float    ClipRadius = 0;
    bool     Clipped = false;           // ClipRadius > 0.1
    float    Scale = 1;
    TVector4 Position{};
    int      Slot = -1;                 // its place in TSprites::Blocks while listed
};

// A baked effect, shared by a template emitter and every instance made from it.
struct TBakedEffect {
    std::shared_ptr<const TEffectParams>               Params;
    std::shared_ptr<const std::vector<TEmitterRecord>> Records;
};

// Bakes an effect already read, with the texture handle of each record.
TBakedEffect BakeEffect(const TDpsFile &effect, const std::vector<int> &textures);

class TEmitter {
public:
    // Loads the effect file (its textures through the texture library when there is one) and
    // registers a new block with the global TSprites when there is one.
    TEmitter(const std::string &fileName, float scale);
    // An instance of a baked effect with its own block and state, registered like the above.
    TEmitter(const TBakedEffect &effect, float scale);
    // A new instance sharing the template's effect and records: the usual way for game objects.
    template <class TKind = TEmitter> static std::unique_ptr<TKind> CreateFrom(const TEmitter &templ, float scale)
    {
        return std::make_unique<TKind>(TBakedEffect{templ.Params, templ.Records}, scale);
    }
    virtual ~TEmitter();
    TEmitter(const TEmitter &) = delete;
    TEmitter &operator=(const TEmitter &) = delete;

    // Advances the effect by Dt ms at Position; spawns unless Stop; refreshes the particles, which
    // stay where they were spawned.
    virtual void Update(int dt, const TVector4 &position, bool stop);

    std::unique_ptr<TSpriteBlock>          Block;
    std::shared_ptr<const TEffectParams>   Params;
    std::shared_ptr<const std::vector<TEmitterRecord>> Records;
    std::vector<float> Accumulators;
    int  Age = 0;          // ms
    int  TimeIndex = 0;    // 0..999: the effect's time
    bool PlayOnce = false; // hold at the end instead of starting again

protected:
    // Steps 1-3 of an update: age, effect time and spawning. Multiplier scales every increment.
    void Advance(int dt, const TVector4 &position, bool stop, float multiplier);
    // Whether this update may spawn (not stopped, not a play-once effect held at its end).
    bool Spawning(bool stop) const;
    // Grows record R's accumulator over the samples of this update.
    void Accumulate(std::size_t r, int dt, float multiplier);
    TParticle &Spawn(const TEmitterRecord &record, const TVector4 &at);
    // How many particles record R spawns now, taken out of its accumulator.
    int TakeSpawnCount(std::size_t r);
    static constexpr int MaxSpawnPerUpdate = 2000;
    enum class TAnchor { Origin, Block, Line };
    void Refresh(TAnchor anchor, const TVector4 &lineFrom = {}, const TVector4 &lineTo = {});
};

// Particles travel with the emitter (engine flames, muzzle flashes).
class TPointEmitter : public TEmitter {
public:
    using TEmitter::TEmitter;
    void Update(int dt, const TVector4 &position, bool stop) override;
};

// Particles slide from the emitter towards a second point as they age (exhaust streams).
class TLinearEmitter : public TEmitter {
public:
    using TEmitter::TEmitter;
    void Update(int dt, const TVector4 &position, bool stop) override;
    void Update(int dt, const TVector4 &position, bool stop, const TVector4 &towards);
};

// For fast movers: the particles of one update are strung along the path from P0 to P1.
class TManualEmitter : public TEmitter {
public:
    using TEmitter::TEmitter;
    void Update(int dt, const TVector4 &position, bool stop) override;
    void Update(int dt, const TVector4 &from, bool stop, float multiplier, const TVector4 &to);
};

class TSprites {
public:
    void Add(TSpriteBlock *block);
    // Unlists the block (its emitter frees it); the last block takes its place.
    void Remove(TSpriteBlock *block);
    // Ages every particle; one whose remaining life drops below 1 ms is removed.
    void UpdateAll(int dt);
    // Draws every particle of the layer: camera-facing quads, additive or alpha blended, clipped to
    // its block's sphere when the effect has one and 3D effects are on. Drawn by the installed asset
    // device: nothing without the GL one.
    void DrawAll(int layer);

    std::vector<TSpriteBlock *> Blocks;
};

// The particle control of the run, created at start-up; null before.
extern TSprites *Sprites;

// Reads and checks a ".dps" file through the archive; a version other than 5 is reported through
// the error box and read on when the user does not abort.
TDpsFile LoadDpsFile(const std::string &fileName);
