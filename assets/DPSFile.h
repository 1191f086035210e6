#pragma once
// The ".dps" particle-effect file as stored, before its curves are baked for the game.
//
// Little-endian. A string is an int32 length and that many bytes; a gradient is an int32 key count
// and that many (float32 position, int32 value) keys; a colour gradient is an int32 key count and
// that many (float32 position, int32 red, green, blue) keys, values 0..255.
//   int32     version (5)
//   string    effect name
//   int32     duration in tenths of a second
//   int32     clip-sphere radius
//   7 x gradient: emit rate, life, size, spread, rise, rotation, alpha (all in percent)
//   int32     emitter record count, then per record:
//     string  record name
//     string  texture file, relative to the folder of the ".dps" file
//     colour gradient, gradient (alpha)
//     byte    layer (0 or 1), byte additive
//     17 x gradient, in the order of DpsRecordGradientNames

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::int32_t DpsVersion = 5;

struct TGradientKey {
    float        Position = 0;   // normally 0..1
    std::int32_t Value = 0;
};

// Keys sorted by position; the value between two keys is interpolated and rounded.
struct TGradient {
    std::vector<TGradientKey> Keys;
    // The value at T: the first key's value below it, the last key's above, 0 with no keys.
    std::int32_t Evaluate(float t) const;
};

struct TColorKey {
    float        Position = 0;
    std::int32_t Red = 0, Green = 0, Blue = 0;
};

constexpr std::size_t DpsEffectGradientCount = 7;
constexpr std::size_t DpsRecordGradientCount = 17;

// The effect gradients in file order, as the description names them.
constexpr std::array<const char *, DpsEffectGradientCount> DpsEffectGradientNames = {
    "emit-rate", "life-scale", "size-scale", "spread-scale", "rise-scale", "rotation-scale", "alpha-scale"};

// The emitter record's gradients after its alpha, in file order.
constexpr std::array<const char *, DpsRecordGradientCount> DpsRecordGradientNames = {
    "alpha-by-time", "life",        "rate",         "size",          "speed",          "lift",
    "spin",          "life-spread", "rate-spread",  "size-spread",   "speed-spread",   "lift-spread",
    "spin-spread",   "size-by-life", "spread-by-life", "rise-by-life", "spin-by-life"};

enum TDpsGradient : std::size_t {
    GAlphaByTime, GLife, GRate, GSize, GSpeed, GLift, GSpin, GLifeSpread, GRateSpread, GSizeSpread,
    GSpeedSpread, GLiftSpread, GSpinSpread, GSizeByLife, GSpreadByLife, GRiseByLife, GSpinByLife
};
enum TDpsEffectGradient : std::size_t { GEmitRate, GLifeScale, GSizeScale, GSpreadScale, GRiseScale, GRotationScale, GAlphaScale };

struct TDpsRecord {
    std::string            Name;
    std::string            Texture;
    std::vector<TColorKey> Colour;
    TGradient              Alpha;
    std::uint8_t           Layer = 0;
    std::uint8_t           Additive = 0;
    std::array<TGradient, DpsRecordGradientCount> Gradients;
};

struct TDpsFile {
    std::int32_t Version = DpsVersion;
    std::string  Name;
    std::int32_t Duration = 10;     // tenths of a second
    std::int32_t ClipRadius = 0;
    std::array<TGradient, DpsEffectGradientCount> Effect;
    std::vector<TDpsRecord> Records;
};

// Reads a ".dps" image. Any version is read as version 5 (the caller decides what to say about it).
// Throws "Effect "FileName" is damaged: ..." for counts or lengths that the bytes cannot hold, and
// for a duration below one tenth of a second.
TDpsFile ParseDps(const std::vector<std::uint8_t> &bytes, const std::string &fileName);

// The file image of an effect; ParseDps of it gives the effect back.
std::vector<std::uint8_t> WriteDps(const TDpsFile &effect);
