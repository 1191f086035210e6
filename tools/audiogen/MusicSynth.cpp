// The instruments of the music generator: each note is rendered on its own into the stereo loop.

#include "tools/audiogen/Music.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwoPi = 2.0 * dsp::Pi;
// The ratios of a classic analogue hi-hat: six detuned square waves make its metallic ring.
constexpr double MetalRatios[] = {1.0, 1.4827, 1.8003, 2.5461, 2.6303, 3.8967};

struct TOut {
    std::vector<float> &Left, &Right;
    std::int64_t        Start;
    double              GainLeft, GainRight;
    std::int64_t        Onset;   // samples of a short fade-in, so that no hit starts on a jump

    void Add(std::int64_t n, double l, double r) const
    {
        if (n < Onset) {
            l *= double(n) / double(Onset);
            r *= double(n) / double(Onset);
        }
        const std::int64_t size = std::int64_t(Left.size());
        std::int64_t at = (Start + n) % size;
        if (at < 0)
            at += size;
        Left[std::size_t(at)] += float(l * GainLeft);
        Right[std::size_t(at)] += float(r * GainRight);
    }
    void AddMono(std::int64_t n, double x) const { Add(n, x, x); }
};

double Metal(const double *phases)
{
    double sum = 0;
    for (int k = 0; k < 6; ++k)
        sum += phases[k] < 0.5 ? 1.0 : -1.0;
    return sum / 6.0;
}

void AdvanceMetal(double *phases, double base, int rate)
{
    for (int k = 0; k < 6; ++k) {
        phases[k] += base * MetalRatios[k] / rate;
        phases[k] -= std::floor(phases[k]);
    }
}

// Saw, square, sine, triangle and FM: unison oscillators, a filter with its own envelope, ADSR.
void RenderTonal(const TInstrument &ins, double frequency, double velocity, double gate, int rate,
                 dsp::TRng &rng, const TOut &out)
{
    const double a = ins.Get("a"), d = ins.Get("d"), s = ins.Get("s"), r = ins.Get("r");
    const std::int64_t length = std::int64_t((gate + r) * rate) + 1;
    const int voices = std::clamp(int(ins.Get("voices")), 1, 9);
    const double detune = ins.Get("detune"), spread = ins.Get("spread");
    const std::size_t count = std::size_t(voices);
    std::vector<double> phase(count, 0.0), ratio(count, 1.0), panL(count, 0.0), panR(count, 0.0);
    for (int v = 0; v < voices; ++v) {
        const double position = voices > 1 ? double(v) / (voices - 1) * 2.0 - 1.0 : 0.0;
        phase[std::size_t(v)] = rng.Uniform();
        ratio[std::size_t(v)] = std::pow(2.0, position * detune / 2400.0);
        const double p = position * spread;
        panL[std::size_t(v)] = std::sqrt(0.5 * (1.0 - p));
        panR[std::size_t(v)] = std::sqrt(0.5 * (1.0 + p));
    }
    const double norm = 1.0 / std::sqrt(double(voices));
    const double cutoff = ins.Get("cutoff"), res = ins.Get("res"), fenv = ins.Get("fenv"), fdecay = ins.Get("fdecay");
    const bool filtered = cutoff > 0;
    dsp::TSvf filterL, filterR;
    const double vib = ins.Get("vib"), vibRate = ins.Get("vibrate"), vibDelay = ins.Get("vibdelay");
    const double pw = ins.Get("pw"), fmRatio = ins.Get("ratio"), index = ins.Get("index"), idecay = ins.Get("idecay");
    const double sub = ins.Get("sub"), drive = ins.Get("drive");
    double modPhase = 0, subPhase = 0;
    const TInstrumentType type = ins.Type;
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = double(n) / rate;
        if (filtered && (n & 15) == 0) {
            // Brighter for louder notes, and the filter envelope sweeps down in octaves.
            const double c = cutoff * std::pow(2.0, fenv * std::exp(-t / fdecay) * (0.6 + 0.4 * velocity));
            filterL.Set(c, res, rate);
            filterR.Set(c, res, rate);
        }
        double f = frequency;
        if (vib > 0 && t > vibDelay)
            f *= std::pow(2.0, vib / 1200.0 * std::min(1.0, (t - vibDelay) * 2.0) * std::sin(TwoPi * vibRate * t));
        double l = 0, rr = 0;
        const double fmDepth = type == TInstrumentType::Fm ? index * (idecay > 0 ? std::exp(-t / idecay) : 1.0) : 0.0;
        const double mod = type == TInstrumentType::Fm ? std::sin(TwoPi * modPhase) : 0.0;
        for (std::size_t v = 0; v < std::size_t(voices); ++v) {
            const double step = std::min(0.45, f * ratio[v] / rate);
            double x;
            switch (type) {
            case TInstrumentType::Saw: x = dsp::Saw(phase[v], step); break;
            case TInstrumentType::Square: x = dsp::Pulse(phase[v], step, pw); break;
            case TInstrumentType::Triangle: x = dsp::Triangle(phase[v]); break;
            case TInstrumentType::Fm: x = std::sin(TwoPi * phase[v] + fmDepth * mod); break;
            default: x = std::sin(TwoPi * phase[v]);
            }
            phase[v] += step;
            phase[v] -= std::floor(phase[v]);
            l += x * panL[v];
            rr += x * panR[v];
        }
        modPhase += f * fmRatio / rate;
        modPhase -= std::floor(modPhase);
        l *= norm;
        rr *= norm;
        if (sub > 0) {
            const double y = std::sin(TwoPi * subPhase) * sub * 0.7071;
            l += y;
            rr += y;
            subPhase += f * 0.5 / rate;
            subPhase -= std::floor(subPhase);
        }
        if (filtered) {
            filterL.Process(l);
            filterR.Process(rr);
            l = filterL.Low;
            rr = filterR.Low;
        }
        if (drive > 0) {
            const double k = 1.0 + drive;
            l = std::tanh(l * k) / std::tanh(k);
            rr = std::tanh(rr * k) / std::tanh(k);
        }
        const double amp = dsp::Adsr(t, gate, a, d, s, r) * velocity;
        out.Add(n, l * amp, rr * amp);
    }
}

// A plucked string: a noise burst circulating in a delay line that loses its highs each pass.
void RenderPluck(const TInstrument &ins, double frequency, double velocity, double gate, int rate,
                 dsp::TRng &rng, const TOut &out)
{
    const double r = ins.Get("r");
    const double decay = std::max(0.05, ins.Get("decay") > 0 ? ins.Get("decay") : 1.5);
    const std::size_t period = std::max<std::size_t>(2, std::size_t(std::lround(rate / frequency)));
    const double loss = std::pow(10.0, -3.0 * double(period) / (decay * rate));
    const double blend = 0.5 * std::clamp(ins.Get("damp"), 0.0, 1.0);
    std::vector<double> line(period);
    double smooth = 0;
    for (double &x : line) {
        smooth += (rng.Bipolar() - smooth) * (1.0 - blend);
        x = smooth;
    }
    const std::int64_t length = std::int64_t((std::min(gate, decay) + r) * rate) + 1;
    std::size_t pos = 0;
    for (std::int64_t n = 0; n < length; ++n) {
        const double t = double(n) / rate;
        const double y = line[pos];
        const double next = line[(pos + 1) % period];
        line[pos] = loss * ((1.0 - blend) * y + blend * next);
        pos = (pos + 1) % period;
        const double amp = dsp::Adsr(t, gate, 0.001, 0.0, 1.0, r) * velocity;
        out.AddMono(n, y * amp);
    }
}

void RenderDrum(const TInstrument &ins, double frequency, double velocity, int rate, double gate,
                dsp::TRng &rng, const TOut &out)
{
    const double tone = ins.Get("tone"), decay = std::max(0.01, ins.Get("decay"));
    const double drive = ins.Get("drive");
    dsp::TSvf f1, f2;
    double phase = 0, phases[6] = {0, 0.13, 0.37, 0.51, 0.77, 0.91};
    std::int64_t length = std::int64_t(std::min(8.0, decay * 6.0 + 0.02) * rate);
    switch (ins.Type) {
    case TInstrumentType::Kick:
        f1.Set(3000, 0.7, rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            const double f = tone + tone * 2.8 * std::exp(-t / 0.04);
            phase += f / rate;
            const double body = std::sin(TwoPi * phase) * std::exp(-t / decay);
            f1.Process(rng.Bipolar());
            const double click = f1.Low * std::exp(-t / 0.005) * 0.5;
            const double k = 1.2 + drive;
            out.AddMono(n, std::tanh((body + click) * k) / std::tanh(k) * velocity);
        }
        break;
    case TInstrumentType::Snare:
        f1.Set(1400, 0.6, rate);
        f2.Set(6000, 0.7, rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            const double drop = 1.0 + 0.25 * std::exp(-t / 0.02);
            const double body = (std::sin(TwoPi * tone * drop * t) * 0.6 + std::sin(TwoPi * tone * 1.78 * drop * t) * 0.4) *
                                std::exp(-t / 0.05);
            f1.Process(rng.Bipolar());
            f2.Process(f1.High);
            const double noise = f2.Low * std::exp(-t / decay);
            out.AddMono(n, (body * 0.6 + noise * 1.1) * velocity);
        }
        break;
    case TInstrumentType::Hat:
    case TInstrumentType::OpenHat:
    case TInstrumentType::Crash: {
        const bool crash = ins.Type == TInstrumentType::Crash;
        const double base = (crash ? 510.0 : 330.0) * tone;
        f1.Set(crash ? 3800 : 7200, 0.7, rate);
        f2.Set(crash ? 3800 : 7200, 0.7, rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            const double x = Metal(phases) * (crash ? 0.5 : 0.7) + rng.Bipolar() * (crash ? 0.7 : 0.45);
            AdvanceMetal(phases, base, rate);
            f1.Process(x);
            f2.Process(f1.High);
            const double env = crash ? std::exp(-t / decay) * (0.6 + 0.4 * std::exp(-t / 0.15)) : std::exp(-t / decay);
            out.AddMono(n, f2.High * env * velocity);
        }
        break;
    }
    case TInstrumentType::Clap:
        f1.Set(tone, 1.6, rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            double env = 0;
            for (double at : {0.0, 0.011, 0.022})
                if (t >= at)
                    env = std::max(env, std::exp(-(t - at) / 0.0045));
            if (t >= 0.03)
                env = std::max(env, 0.7 * std::exp(-(t - 0.03) / decay));
            f1.Process(rng.Bipolar());
            out.AddMono(n, f1.Band * env * 1.8 * velocity);
        }
        break;
    case TInstrumentType::Tom: {
        const double pitch = frequency > 0 ? frequency : tone;
        f1.Set(800, 0.7, rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            phase += pitch * (1.0 + 0.5 * std::exp(-t / 0.06)) / rate;
            f1.Process(rng.Bipolar());
            const double x = std::sin(TwoPi * phase) * std::exp(-t / decay) + f1.Low * 0.4 * std::exp(-t / 0.03);
            const double k = 1.0 + drive;
            out.AddMono(n, std::tanh(x * k) / std::tanh(k) * velocity);
        }
        break;
    }
    default: {
        // Riser: noise through a band that climbs over the held time, swelling towards its end.
        length = std::int64_t((gate + 0.08) * rate);
        for (std::int64_t n = 0; n < length; ++n) {
            const double t = double(n) / rate;
            const double f = std::min(1.0, t / gate);
            if ((n & 15) == 0)
                f1.Set(300.0 * std::pow(30.0, f), 2.0, rate);
            f1.Process(rng.Bipolar());
            const double env = t < gate ? f * f : std::max(0.0, 1.0 - (t - gate) / 0.08);
            out.AddMono(n, f1.Band * env * 1.5 * velocity);
        }
    }
    }
}

} // namespace

void RenderNote(const TInstrument &instrument, double frequency, double velocity, double gate, int rate,
                std::int64_t start, std::uint64_t seed, std::vector<float> &left, std::vector<float> &right)
{
    dsp::TRng rng(seed);
    const double gain = dsp::DbToGain(instrument.Get("gain"));
    const double pan = std::clamp(instrument.Get("pan"), -1.0, 1.0);
    const TOut out{left, right, start, gain * std::cos((pan + 1.0) * dsp::Pi / 4.0) * std::sqrt(2.0),
                   gain * std::sin((pan + 1.0) * dsp::Pi / 4.0) * std::sqrt(2.0), std::max<std::int64_t>(1, rate / 1250)};
    switch (instrument.Type) {
    case TInstrumentType::Pluck:
        RenderPluck(instrument, frequency, velocity, gate, rate, rng, out);
        break;
    case TInstrumentType::Saw:
    case TInstrumentType::Square:
    case TInstrumentType::Sine:
    case TInstrumentType::Triangle:
    case TInstrumentType::Fm:
        RenderTonal(instrument, frequency, velocity, gate, rate, rng, out);
        break;
    default:
        RenderDrum(instrument, frequency, velocity, rate, gate, rng, out);
    }
}
