// Mixing a score into a seamless stereo loop: instruments, kick ducking, reverb and echo sends, and
// a level stage that brings every track to the same loudness under a fixed ceiling.

#include "tools/audiogen/Music.h"

#include <algorithm>
#include <cmath>

namespace {

// How far each sample is pulled down after the kicks (0 none, 1 full), for instruments that duck.
std::vector<float> KickPump(const TSong &song, const std::vector<std::vector<TNoteEvent>> &events,
                            double samplesPerStep, std::size_t length)
{
    std::vector<float> pump(length, 0.0f);
    const std::int64_t attack = song.Rate / 250, span = std::int64_t(song.Rate * 0.35);
    for (std::size_t i = 0; i < song.Instruments.size(); ++i) {
        if (song.Instruments[i].Type != TInstrumentType::Kick)
            continue;
        for (const TNoteEvent &e : events[i]) {
            const std::int64_t start = std::llround(e.Step * samplesPerStep);
            for (std::int64_t n = 0; n < span; ++n) {
                const double shape = std::min(1.0, double(n) / double(attack)) * std::exp(-double(n) / (0.09 * song.Rate));
                float &p = pump[std::size_t((start + n) % std::int64_t(length))];
                p = std::max(p, float(shape * e.Velocity));
            }
        }
    }
    return pump;
}

// Runs a stateful effect twice round the loop and keeps the second lap, so that its tail from the
// end of the loop is already sounding at the start.
template <typename Effect>
void RunRound(std::size_t length, Effect &&effect)
{
    for (int lap = 0; lap < 2; ++lap)
        for (std::size_t n = 0; n < length; ++n)
            effect(n, lap == 1);
}

// Linear below the knee, then a smooth bend that never reaches the ceiling.
double Limit(double x, double ceiling)
{
    const double knee = ceiling * 0.6;
    const double magnitude = std::fabs(x);
    if (magnitude <= knee)
        return x;
    const double bent = knee + (ceiling - knee) * std::tanh((magnitude - knee) / (ceiling - knee));
    return x < 0 ? -bent : bent;
}

} // namespace

std::vector<double> RenderSong(const TSong &song)
{
    double totalSteps = 0;
    const std::vector<std::vector<TNoteEvent>> events = SequenceSong(song, totalSteps);
    const double stepSeconds = 60.0 / song.Tempo * 4.0 / 16.0;   // a step is a sixteenth note
    const double samplesPerStep = stepSeconds * song.Rate;
    const std::size_t length = std::size_t(std::llround(totalSteps * samplesPerStep));
    if (length == 0)
        return {};

    std::vector<float> dryL(length, 0.0f), dryR(length, 0.0f);
    std::vector<float> revIn(length, 0.0f), dlyIn(length, 0.0f);
    const std::vector<float> pump = KickPump(song, events, samplesPerStep, length);
    std::vector<float> left(length), right(length);
    for (std::size_t i = 0; i < song.Instruments.size(); ++i) {
        const TInstrument &instrument = song.Instruments[i];
        if (events[i].empty())
            continue;
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        dsp::TRng human(dsp::MixSeed(song.Seed, 77 + i));
        for (std::size_t k = 0; k < events[i].size(); ++k) {
            const TNoteEvent &e = events[i][k];
            double step = e.Step;
            if (song.Swing > 0 && (std::llround(step) % 2) == 1)
                step += song.Swing;
            const double velocity = std::clamp(e.Velocity * (1.0 + instrument.Get("human") * human.Bipolar()), 0.05, 1.2);
            const double frequency = e.Note < 0 ? 0.0 : dsp::NoteFrequency(e.Note);
            RenderNote(instrument, frequency, velocity, e.Length * stepSeconds, song.Rate,
                       std::llround(step * samplesPerStep), dsp::MixSeed(song.Seed, i * 1000003 + k), left, right);
        }
        const double duck = instrument.Get("duck"), rev = instrument.Get("rev"), dly = instrument.Get("dly");
        for (std::size_t n = 0; n < length; ++n) {
            const float g = duck > 0 ? float(1.0 - duck * pump[n]) : 1.0f;
            const float l = left[n] * g, r = right[n] * g;
            dryL[n] += l;
            dryR[n] += r;
            revIn[n] += float((l + r) * 0.5 * rev);
            dlyIn[n] += float((l + r) * 0.5 * dly);
        }
    }

    // Ping-pong echo on the beat grid, darkening as it repeats.
    const std::size_t delay = std::max<std::size_t>(1, std::size_t(std::llround(song.DelaySteps * samplesPerStep)));
    std::vector<double> lineL(delay, 0.0), lineR(delay, 0.0);
    std::size_t pos = 0;
    dsp::TOnePole toneL, toneR;
    toneL.Set(4500, song.Rate);
    toneR.Set(4500, song.Rate);
    const double feedback = song.DelayFeedback;
    RunRound(length, [&](std::size_t n, bool keep) {
        const double outL = lineL[pos], outR = lineR[pos];
        lineL[pos] = toneL.Process(dlyIn[n] + outR * feedback);
        lineR[pos] = toneR.Process(outL * feedback);
        pos = (pos + 1) % delay;
        if (keep) {
            dryL[n] += float(outL * 0.8);
            dryR[n] += float(outR * 0.8);
            revIn[n] += float((outL + outR) * 0.2);
        }
    });

    dsp::TReverb reverbL(song.Rate, song.ReverbRoom, song.ReverbDamp, 0), reverbR(song.Rate, song.ReverbRoom, song.ReverbDamp, 23);
    RunRound(length, [&](std::size_t n, bool keep) {
        const double l = reverbL.Process(revIn[n]), r = reverbR.Process(revIn[n]);
        if (keep) {
            dryL[n] += float(l);
            dryR[n] += float(r);
        }
    });

    // Remove any offset round the loop, then bring the mix to the loudness and ceiling of the song.
    double meanL = 0, meanR = 0;
    for (std::size_t n = 0; n < length; ++n) {
        meanL += dryL[n];
        meanR += dryR[n];
    }
    meanL /= double(length);
    meanR /= double(length);
    double sum = 0;
    for (std::size_t n = 0; n < length; ++n)
        sum += (dryL[n] - meanL) * (dryL[n] - meanL) + (dryR[n] - meanR) * (dryR[n] - meanR);
    const double rms = std::sqrt(sum / double(2 * length));
    const double scale = rms > 0 ? dsp::DbToGain(song.RmsDb) / rms : 0.0;
    const double ceiling = dsp::DbToGain(song.CeilingDb);
    std::vector<double> mix(2 * length);
    for (std::size_t n = 0; n < length; ++n) {
        mix[2 * n] = Limit((dryL[n] - meanL) * scale, ceiling);
        mix[2 * n + 1] = Limit((dryR[n] - meanR) * scale, ceiling);
    }
    return mix;
}
