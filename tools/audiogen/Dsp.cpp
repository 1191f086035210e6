#include "tools/audiogen/Dsp.h"

#include <algorithm>
#include <cmath>

namespace dsp {

TRng::TRng(std::uint64_t seed) : State(seed ? seed : 0x9E3779B97F4A7C15ull)
{
    // A few rounds so that neighbouring seeds do not start with similar values.
    for (int i = 0; i < 4; ++i)
        Next();
}

std::uint64_t TRng::Next()
{
    State ^= State >> 12;
    State ^= State << 25;
    State ^= State >> 27;
    return State * 0x2545F4914F6CDD1Dull;
}

double TRng::Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
double TRng::Bipolar() { return Uniform() * 2.0 - 1.0; }

std::uint64_t HashText(const std::string &text)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::uint64_t MixSeed(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t z = a + 0x9E3779B97F4A7C15ull * (b + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

TEnvelope TEnvelope::Constant(double value)
{
    TEnvelope envelope;
    envelope.Points.push_back({0.0, value});
    return envelope;
}

double TEnvelope::Value(double t) const
{
    if (Points.empty())
        return 0.0;
    if (t <= Points.front().first)
        return Points.front().second;
    for (std::size_t i = 1; i < Points.size(); ++i) {
        if (t > Points[i].first)
            continue;
        const auto &[t0, v0] = Points[i - 1];
        const auto &[t1, v1] = Points[i];
        const double f = t1 > t0 ? (t - t0) / (t1 - t0) : 1.0;
        if (Geometric && v0 > 0 && v1 > 0)
            return v0 * std::pow(v1 / v0, f);
        return v0 + (v1 - v0) * f;
    }
    return Points.back().second;
}

double Adsr(double t, double gate, double attack, double decay, double sustain, double release)
{
    auto held = [&](double time) {
        if (time < attack)
            return time / attack;
        const double d = time - attack;
        if (d < decay)
            return 1.0 + (sustain - 1.0) * (1.0 - std::exp(-4.0 * d / decay)) / (1.0 - std::exp(-4.0));
        return sustain;
    };
    if (t < 0)
        return 0.0;
    if (t < gate)
        return held(t);
    const double after = t - gate;
    if (after >= release)
        return 0.0;
    // Exponential-looking fall that still lands on zero at the end of the release.
    const double f = after / release;
    return held(gate) * (1.0 - f) * std::exp(-3.0 * f);
}

double PolyBlep(double phase, double step)
{
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Saw(double phase, double step) { return 2.0 * phase - 1.0 - PolyBlep(phase, step); }

double Pulse(double phase, double step, double width)
{
    double value = phase < width ? 1.0 : -1.0;
    value += PolyBlep(phase, step);
    double shifted = phase - width;
    if (shifted < 0)
        shifted += 1.0;
    value -= PolyBlep(shifted, step);
    return value;
}

double Triangle(double phase) { return 1.0 - 4.0 * std::fabs(phase - 0.5); }

void TSvf::Set(double cutoff, double q, double rate)
{
    cutoff = std::clamp(cutoff, 10.0, rate * 0.45);
    G = std::tan(Pi * cutoff / rate);
    K = 1.0 / std::max(q, 0.05);
    A1 = 1.0 / (1.0 + G * (G + K));
    A2 = G * A1;
    A3 = G * A2;
}

void TSvf::Process(double x)
{
    const double v3 = x - Ic2;
    const double v1 = A1 * Ic1 + A2 * v3;
    const double v2 = Ic2 + A2 * Ic1 + A3 * v3;
    Ic1 = 2.0 * v1 - Ic1;
    Ic2 = 2.0 * v2 - Ic2;
    Low = v2;
    Band = v1;
    High = x - K * v1 - v2;
}

void TOnePole::Set(double cutoff, double rate)
{
    Coef = 1.0 - std::exp(-2.0 * Pi * std::clamp(cutoff, 1.0, rate * 0.49) / rate);
}

TReverb::TReverb(double rate, double room, double damp, int spread)
    : Feedback(0.70 + 0.28 * std::clamp(room, 0.0, 1.0)), Damp(std::clamp(damp, 0.0, 1.0) * 0.4)
{
    static const int CombTunings[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int AllPassTunings[] = {556, 441, 341, 225};
    const double scale = rate / 44100.0;
    for (int tuning : CombTunings)
        Combs.push_back({std::vector<double>(std::size_t(std::max(1.0, (tuning + spread) * scale)), 0.0)});
    for (int tuning : AllPassTunings)
        AllPasses.push_back({std::vector<double>(std::size_t(std::max(1.0, (tuning + spread) * scale)), 0.0)});
}

double TReverb::Process(double x)
{
    const double input = x * 0.015;
    double out = 0;
    for (TComb &comb : Combs) {
        const double delayed = comb.Line[comb.Pos];
        comb.Store = delayed * (1.0 - Damp) + comb.Store * Damp;
        comb.Line[comb.Pos] = input + comb.Store * Feedback;
        if (++comb.Pos == comb.Line.size())
            comb.Pos = 0;
        out += delayed;
    }
    for (TAllPass &pass : AllPasses) {
        const double delayed = pass.Line[pass.Pos];
        pass.Line[pass.Pos] = out + delayed * 0.5;
        if (++pass.Pos == pass.Line.size())
            pass.Pos = 0;
        out = delayed - out;
    }
    return out;
}

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }
double GainToDb(double gain) { return gain > 1e-12 ? 20.0 * std::log10(gain) : -240.0; }
double SoftClip(double x) { return std::tanh(x); }
double NoteFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double Peak(const std::vector<double> &samples)
{
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

double Rms(const std::vector<double> &samples)
{
    if (samples.empty())
        return 0.0;
    double sum = 0;
    for (double s : samples)
        sum += s * s;
    return std::sqrt(sum / double(samples.size()));
}

} // namespace dsp
