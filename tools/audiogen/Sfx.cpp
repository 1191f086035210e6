#include "tools/audiogen/Sfx.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

using dsp::TEnvelope;

namespace {

const std::map<std::string, TSfxSource> Sources = {
    {"sine", TSfxSource::Sine},   {"triangle", TSfxSource::Triangle}, {"saw", TSfxSource::Saw},
    {"square", TSfxSource::Square}, {"noise", TSfxSource::Noise},     {"pink", TSfxSource::Pink},
    {"brown", TSfxSource::Brown}, {"crackle", TSfxSource::Crackle},  {"fm", TSfxSource::Fm},
};

bool IsOscillator(TSfxSource source)
{
    return source == TSfxSource::Sine || source == TSfxSource::Triangle || source == TSfxSource::Saw ||
           source == TSfxSource::Square || source == TSfxSource::Fm;
}

void ReadSoundKey(const TRecipeReader &r, const TRecipeLine &line, TSfx &sfx)
{
    const std::string &key = line.Words[0];
    if (key == "rate") {
        r.ExpectArgs(line, 1, 1);
        sfx.Rate = r.Integer(line, 1);
        if (sfx.Rate < 8000 || sfx.Rate > 96000)
            r.Fail(line, "the sample rate must be 8000 to 96000");
    } else if (key == "length") {
        r.ExpectArgs(line, 1, 1);
        sfx.Length = r.Number(line, 1);
        if (sfx.Length <= 0 || sfx.Length > 30)
            r.Fail(line, "the length must be above 0 and at most 30 seconds");
    } else if (key == "peak") {
        r.ExpectArgs(line, 1, 1);
        sfx.PeakDb = r.Number(line, 1);
        if (sfx.PeakDb > 0)
            r.Fail(line, "the peak must be at or below full scale (0 dB)");
    } else if (key == "seed") {
        r.ExpectArgs(line, 1, 1);
        sfx.Seed = std::uint64_t(r.Integer(line, 1));
    } else if (key == "reverb") {
        r.ExpectArgs(line, 1, 3);
        sfx.ReverbMix = r.Number(line, 1);
        if (line.Words.size() > 2)
            sfx.ReverbRoom = r.Number(line, 2);
        if (line.Words.size() > 3)
            sfx.ReverbDamp = r.Number(line, 3);
    } else if (key == "echo") {
        r.ExpectArgs(line, 3, 3);
        sfx.EchoDelay = r.Number(line, 1);
        sfx.EchoFeedback = std::clamp(r.Number(line, 2), 0.0, 0.95);
        sfx.EchoMix = r.Number(line, 3);
        if (sfx.EchoDelay <= 0)
            r.Fail(line, "the echo delay must be above 0");
    } else if (key == "clip") {
        r.ExpectArgs(line, 1, 1);
        sfx.Clip = std::max(0.0, r.Number(line, 1));
    } else {
        r.Fail(line, "unknown sound setting \"" + key + "\"");
    }
}

void ReadLayerKey(const TRecipeReader &r, const TRecipeLine &line, TSfxLayer &layer)
{
    const std::string &key = line.Words[0];
    if (key == "start") {
        r.ExpectArgs(line, 1, 1);
        layer.Start = std::max(0.0, r.Number(line, 1));
    } else if (key == "level") {
        r.ExpectArgs(line, 1, 1);
        layer.LevelDb = r.Number(line, 1);
    } else if (key == "freq") {
        layer.Frequency = r.Envelope(line, 1, true);
    } else if (key == "gain") {
        layer.Gain = r.Envelope(line, 1, true);
    } else if (key == "lowpass") {
        layer.Lowpass = r.Envelope(line, 1, true);
    } else if (key == "highpass") {
        layer.Highpass = r.Envelope(line, 1, true);
    } else if (key == "bandpass") {
        layer.Bandpass = r.Envelope(line, 1, true);
    } else if (key == "width") {
        layer.Width = r.Envelope(line, 1, false);
    } else if (key == "index") {
        layer.Index = r.Envelope(line, 1, false);
    } else if (key == "q") {
        r.ExpectArgs(line, 1, 1);
        layer.Q = std::clamp(r.Number(line, 1), 0.1, 30.0);
    } else if (key == "drive") {
        r.ExpectArgs(line, 1, 1);
        layer.Drive = std::max(0.0, r.Number(line, 1));
    } else if (key == "ratio") {
        r.ExpectArgs(line, 1, 1);
        layer.Ratio = r.Number(line, 1);
    } else if (key == "voices") {
        r.ExpectArgs(line, 2, 2);
        layer.Voices = std::clamp(r.Integer(line, 1), 1, 16);
        layer.DetuneCents = r.Number(line, 2);
    } else if (key == "vibrato") {
        r.ExpectArgs(line, 2, 2);
        layer.VibratoRate = r.Number(line, 1);
        layer.VibratoCents = r.Number(line, 2);
    } else if (key == "tremolo") {
        r.ExpectArgs(line, 2, 2);
        layer.TremoloRate = r.Number(line, 1);
        layer.TremoloDepth = std::clamp(r.Number(line, 2), 0.0, 1.0);
    } else if (key == "gate") {
        r.ExpectArgs(line, 2, 2);
        layer.GatePeriod = r.Number(line, 1);
        layer.GateDuty = std::clamp(r.Number(line, 2), 0.01, 1.0);
        if (layer.GatePeriod <= 0.01)
            r.Fail(line, "the gate period must be above 0.01 seconds");
    } else if (key == "repeat") {
        r.ExpectArgs(line, 2, 5);
        layer.Repeats = std::clamp(r.Integer(line, 1), 1, 200);
        layer.Interval = r.Number(line, 2);
        layer.PitchJitter = line.Words.size() > 3 ? r.Number(line, 3) : 0.0;
        layer.GainJitter = line.Words.size() > 4 ? r.Number(line, 4) : 0.0;
        layer.TimeJitter = line.Words.size() > 5 ? r.Number(line, 5) : 0.0;
    } else {
        r.Fail(line, "unknown layer setting \"" + key + "\"");
    }
}

// On/off keying with short ramps so that beeps start and stop without clicks.
double GateLevel(const TSfxLayer &layer, double t)
{
    if (layer.GatePeriod <= 0)
        return 1.0;
    const double within = std::fmod(t, layer.GatePeriod);
    const double on = layer.GatePeriod * layer.GateDuty;
    constexpr double Ramp = 0.004;
    if (within >= on)
        return 0.0;
    return std::min({1.0, within / Ramp, (on - within) / Ramp});
}

// One pass of a layer (one shot of a burst) added into Out from sample First on.
void RenderLayerPass(const TSfxLayer &layer, int rate, std::size_t first, double pitch, double gain,
                     std::uint64_t seed, std::vector<double> &out)
{
    dsp::TRng rng(seed);
    const double dt = 1.0 / rate;
    const int voices = IsOscillator(layer.Source) ? layer.Voices : 1;
    const std::size_t count = std::size_t(voices);
    std::vector<double> phases(count, 0.0), modPhases(count, 0.0), detunes(count, 1.0);
    for (int v = 0; v < voices; ++v) {
        phases[std::size_t(v)] = voices > 1 ? rng.Uniform() : 0.0;
        const double spread = voices > 1 ? double(v) / (voices - 1) - 0.5 : 0.0;
        detunes[std::size_t(v)] = std::pow(2.0, spread * layer.DetuneCents / 1200.0);
    }
    dsp::TSvf lowpass, highpass, bandpass;
    double pink[7] = {0, 0, 0, 0, 0, 0, 0};
    double brown = 0;
    const double level = dsp::DbToGain(layer.LevelDb) * gain;
    // A gain envelope that ends on zero ends the pass there.
    const bool ends = layer.Gain.Points.back().second == 0.0;
    const double end = layer.Gain.EndTime();

    for (std::size_t n = first; n < out.size(); ++n) {
        const double t = double(n - first) * dt;
        if (ends && t > end)
            break;
        double freq = layer.Frequency.Value(t) * pitch;
        if (layer.VibratoCents != 0)
            freq *= std::pow(2.0, layer.VibratoCents / 1200.0 * std::sin(2 * dsp::Pi * layer.VibratoRate * t));
        double x = 0;
        switch (layer.Source) {
        case TSfxSource::Noise:
            x = rng.Bipolar();
            break;
        case TSfxSource::Pink: {
            // Paul Kellet's pink filter over white noise.
            const double w = rng.Bipolar();
            pink[0] = 0.99886 * pink[0] + w * 0.0555179;
            pink[1] = 0.99332 * pink[1] + w * 0.0750759;
            pink[2] = 0.96900 * pink[2] + w * 0.1538520;
            pink[3] = 0.86650 * pink[3] + w * 0.3104856;
            pink[4] = 0.55000 * pink[4] + w * 0.5329522;
            pink[5] = -0.7616 * pink[5] - w * 0.0168980;
            x = (pink[0] + pink[1] + pink[2] + pink[3] + pink[4] + pink[5] + pink[6] + w * 0.5362) * 0.2;
            pink[6] = w * 0.115926;
            break;
        }
        case TSfxSource::Brown:
            brown = brown * 0.995 + rng.Bipolar() * 0.1;
            x = brown * 1.5;
            break;
        case TSfxSource::Crackle:
            if (rng.Uniform() < freq * dt)
                x = (rng.Uniform() < 0.5 ? -1.0 : 1.0) * (0.3 + 0.7 * rng.Uniform());
            break;
        default:
            for (std::size_t v = 0; v < std::size_t(voices); ++v) {
                const double step = std::min(0.49, freq * detunes[v] * dt);
                double &phase = phases[v];
                switch (layer.Source) {
                case TSfxSource::Sine: x += std::sin(2 * dsp::Pi * phase); break;
                case TSfxSource::Triangle: x += dsp::Triangle(phase); break;
                case TSfxSource::Saw: x += dsp::Saw(phase, step); break;
                case TSfxSource::Square: x += dsp::Pulse(phase, step, std::clamp(layer.Width.Value(t), 0.02, 0.98)); break;
                default: {
                    double &mod = modPhases[v];
                    x += std::sin(2 * dsp::Pi * phase + layer.Index.Value(t) * std::sin(2 * dsp::Pi * mod));
                    mod += step * layer.Ratio;
                    mod -= std::floor(mod);
                }
                }
                phase += step;
                phase -= std::floor(phase);
            }
            x /= std::sqrt(double(voices));
        }
        if (!layer.Highpass.Empty()) {
            highpass.Set(layer.Highpass.Value(t) * pitch, layer.Q, rate);
            highpass.Process(x);
            x = highpass.High;
        }
        if (!layer.Bandpass.Empty()) {
            bandpass.Set(layer.Bandpass.Value(t) * pitch, layer.Q, rate);
            bandpass.Process(x);
            x = bandpass.Band;
        }
        if (!layer.Lowpass.Empty()) {
            lowpass.Set(layer.Lowpass.Value(t) * pitch, layer.Q, rate);
            lowpass.Process(x);
            x = lowpass.Low;
        }
        if (layer.Drive > 0)
            x = std::tanh(x * (1.0 + layer.Drive)) / std::tanh(1.0 + layer.Drive);
        double amp = layer.Gain.Value(t) * GateLevel(layer, t);
        if (layer.TremoloDepth > 0)
            amp *= 1.0 - layer.TremoloDepth * 0.5 * (1.0 - std::cos(2 * dsp::Pi * layer.TremoloRate * t));
        out[n] += x * amp * level;
    }
}

} // namespace

std::vector<TSfx> ReadSfxRecipe(const TRecipeReader &recipe)
{
    std::vector<TSfx> sounds;
    for (const TRecipeLine &line : recipe.Lines()) {
        const std::string &key = line.Words[0];
        if (key == "sound") {
            recipe.ExpectArgs(line, 1, 1);
            for (const TSfx &other : sounds)
                if (other.Name == line.Words[1])
                    recipe.Fail(line, "the sound \"" + line.Words[1] + "\" is already made above");
            TSfx sfx;
            sfx.Name = line.Words[1];
            sfx.Seed = dsp::HashText(sfx.Name);
            sounds.push_back(std::move(sfx));
        } else if (sounds.empty()) {
            recipe.Fail(line, "a recipe starts with \"sound NAME\"");
        } else if (key == "layer") {
            recipe.ExpectArgs(line, 1, 1);
            const auto source = Sources.find(line.Words[1]);
            if (source == Sources.end())
                recipe.Fail(line, "unknown layer source \"" + line.Words[1] + "\"");
            TSfxLayer layer;
            layer.Source = source->second;
            sounds.back().Layers.push_back(std::move(layer));
        } else if (sounds.back().Layers.empty()) {
            ReadSoundKey(recipe, line, sounds.back());
        } else {
            ReadLayerKey(recipe, line, sounds.back().Layers.back());
        }
    }
    for (const TSfx &sfx : sounds)
        if (sfx.Layers.empty())
            throw std::runtime_error(recipe.Path() + ": the sound \"" + sfx.Name + "\" has no layer");
    return sounds;
}

std::vector<double> RenderSfx(const TSfx &sfx)
{
    const std::size_t length = std::size_t(std::lround(sfx.Length * sfx.Rate));
    std::vector<double> out(length, 0.0);
    for (std::size_t l = 0; l < sfx.Layers.size(); ++l) {
        const TSfxLayer &layer = sfx.Layers[l];
        dsp::TRng jitter(dsp::MixSeed(sfx.Seed, 1000 + l));
        for (int pass = 0; pass < layer.Repeats; ++pass) {
            const double start = layer.Start + pass * layer.Interval + layer.TimeJitter * jitter.Bipolar();
            const double pitch = 1.0 + layer.PitchJitter * jitter.Bipolar();
            const double gain = 1.0 - layer.GainJitter * jitter.Uniform();
            const std::size_t first = std::size_t(std::lround(std::max(0.0, start) * sfx.Rate));
            if (first < length)
                RenderLayerPass(layer, sfx.Rate, first, pitch, gain, dsp::MixSeed(sfx.Seed, l * 1000 + std::uint64_t(pass)), out);
        }
    }

    if (sfx.EchoMix > 0) {
        std::vector<double> line(std::size_t(std::max(1.0, sfx.EchoDelay * sfx.Rate)), 0.0);
        std::size_t pos = 0;
        for (double &s : out) {
            const double delayed = line[pos];
            line[pos] = s + delayed * sfx.EchoFeedback;
            pos = (pos + 1) % line.size();
            s += delayed * sfx.EchoMix;
        }
    }
    if (sfx.ReverbMix > 0) {
        dsp::TReverb reverb(sfx.Rate, sfx.ReverbRoom, sfx.ReverbDamp);
        for (double &s : out)
            s += reverb.Process(s) * sfx.ReverbMix;
    }
    // Remove any offset (sub-audible drift from brown noise and saturation).
    double lowState = 0;
    const double coef = 1.0 - std::exp(-2.0 * dsp::Pi * 18.0 / sfx.Rate);
    for (double &s : out) {
        lowState += coef * (s - lowState);
        s -= lowState;
    }
    double peak = dsp::Peak(out);
    if (peak <= 0)
        return out;
    if (sfx.Clip > 0) {
        const double norm = std::tanh(1.0 + sfx.Clip);
        for (double &s : out)
            s = std::tanh(s / peak * (1.0 + sfx.Clip)) / norm;
        peak = dsp::Peak(out);
    }
    // Short fades at both ends so that nothing clicks when the sample starts or is cut.
    const std::size_t fadeIn = std::min(length, std::size_t(sfx.Rate / 2000 + 1));
    const std::size_t fadeOut = std::min(length, std::size_t(sfx.Rate / 50));
    for (std::size_t i = 0; i < fadeIn; ++i)
        out[i] *= double(i) / double(fadeIn);
    for (std::size_t i = 0; i < fadeOut; ++i)
        out[length - 1 - i] *= double(i) / double(fadeOut);
    peak = dsp::Peak(out);
    const double scale = peak > 0 ? dsp::DbToGain(sfx.PeakDb) / peak : 0.0;
    for (double &s : out)
        s *= scale;
    return out;
}
