#pragma once
// Signal building blocks shared by the effect, speech and music generators: a seeded random source,
// breakpoint envelopes, band-limited oscillators, filters, reverb and level helpers. Everything is
// plain double arithmetic with no hidden state, so the same recipe always gives the same samples.

#include <cstdint>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace dsp {

constexpr double Pi = std::numbers::pi;

// 64-bit xorshift* generator: fast, and identical on every machine for a given seed.
class TRng {
public:
    explicit TRng(std::uint64_t seed);
    std::uint64_t Next();
    double Uniform();   // 0 <= x < 1
    double Bipolar();   // -1 <= x < 1
private:
    std::uint64_t State;
};

// FNV-1a of a text, to derive a fixed seed from a name.
std::uint64_t HashText(const std::string &text);
// Mixes two seeds into one.
std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b);

// Breakpoints (time in seconds, value). Before the first point the first value holds, after the
// last the last. Geometric envelopes glide in ratio between two positive points (pitch in octaves,
// level in decibels) and straight when either end is zero or negative.
struct TEnvelope {
    std::vector<std::pair<double, double>> Points;
    bool Geometric = false;

    static TEnvelope Constant(double value);
    bool   Empty() const { return Points.empty(); }
    double Value(double t) const;
    double EndTime() const { return Points.empty() ? 0.0 : Points.back().first; }
};

// Classic attack-decay-sustain-release; Gate is how long the key is held.
double Adsr(double t, double gate, double attack, double decay, double sustain, double release);

// Naive waveforms corrected at their jumps with polynomial band-limited steps, so high notes do not
// alias. Phase runs 0..1; Step is frequency / rate.
double PolyBlep(double phase, double step);
double Saw(double phase, double step);
double Pulse(double phase, double step, double width);
double Triangle(double phase);

// Topology-preserving state-variable filter (one per voice); gives low, band and high at once.
class TSvf {
public:
    void Set(double cutoff, double q, double rate);
    void Process(double x);
    void Reset() { Ic1 = Ic2 = 0; }
    double Low = 0, Band = 0, High = 0;
private:
    double G = 0, K = 1.4, A1 = 0, A2 = 0, A3 = 0;
    double Ic1 = 0, Ic2 = 0;
};

// One-pole low pass, for smoothing and tone.
class TOnePole {
public:
    void   Set(double cutoff, double rate);
    double Process(double x) { State += Coef * (x - State); return State; }
    double State = 0;
private:
    double Coef = 1;
};

// Schroeder-Moorer reverb with eight damped combs and four all-passes per channel; Spread offsets
// the right channel's delays for a wide stereo image.
class TReverb {
public:
    TReverb(double rate, double room, double damp, int spread = 0);
    double Process(double x);
private:
    struct TComb { std::vector<double> Line; std::size_t Pos = 0; double Store = 0; };
    struct TAllPass { std::vector<double> Line; std::size_t Pos = 0; };
    std::vector<TComb>    Combs;
    std::vector<TAllPass> AllPasses;
    double Feedback, Damp;
};

double DbToGain(double db);
double GainToDb(double gain);
// Smooth saturation: about linear for small values, never beyond +-1.
double SoftClip(double x);
// Equal-temperament frequency of a MIDI note number (69 = A4 = 440 Hz).
double NoteFrequency(double note);

// Level figures of a block of samples.
double Peak(const std::vector<double> &samples);
double Rms(const std::vector<double> &samples);

} // namespace dsp
