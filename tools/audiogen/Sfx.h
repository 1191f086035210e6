#pragma once
// Sound effects built from layered recipes: each layer is one source (oscillator, noise, crackle or
// FM pair) shaped by breakpoint envelopes and filters, optionally repeated (bursts); the sum gets
// echo, reverb and saturation and is normalised to the effect's peak level. Output is mono, so the
// game can place each effect in the world.

#include "tools/audiogen/Dsp.h"
#include "tools/audiogen/Recipe.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TSfxSource { Sine, Triangle, Saw, Square, Noise, Pink, Brown, Crackle, Fm };

struct TSfxLayer {
    TSfxSource     Source = TSfxSource::Sine;
    double         Start = 0;                                     // seconds after the effect starts
    double         LevelDb = 0;
    dsp::TEnvelope Frequency = dsp::TEnvelope::Constant(440);     // Hz; impulses per second for crackle
    dsp::TEnvelope Gain = dsp::TEnvelope::Constant(1);
    dsp::TEnvelope Lowpass, Highpass, Bandpass;                   // Hz; empty: not applied
    dsp::TEnvelope Width = dsp::TEnvelope::Constant(0.5);         // pulse width of "square"
    dsp::TEnvelope Index = dsp::TEnvelope::Constant(1);           // modulation depth of "fm"
    double         Q = 0.707;
    double         Drive = 0;                                     // 0: clean; larger: tanh saturation
    double         Ratio = 1;                                     // FM modulator / carrier
    int            Voices = 1;
    double         DetuneCents = 0;                               // spread of the unison voices
    double         VibratoRate = 0, VibratoCents = 0;
    double         TremoloRate = 0, TremoloDepth = 0;
    double         GatePeriod = 0, GateDuty = 0.5;                // on/off keying (beeps)
    int            Repeats = 1;
    double         Interval = 0, PitchJitter = 0, GainJitter = 0, TimeJitter = 0;
};

struct TSfx {
    std::string            Name;          // output file name, e.g. "Gun.wav"
    int                    Rate = 22050;
    double                 Length = 1.0;  // seconds
    double                 PeakDb = -1.0; // the loudest sample after normalising
    std::uint64_t          Seed = 0;      // from the name unless the recipe gives one
    double                 ReverbMix = 0, ReverbRoom = 0.5, ReverbDamp = 0.5;
    double                 EchoDelay = 0, EchoFeedback = 0, EchoMix = 0;
    double                 Clip = 0;      // 0: none; larger squeezes peaks for a louder, denser sound
    std::vector<TSfxLayer> Layers;
};

// Reads every "sound" block of a recipe; throws "<path>:<line>: ..." on the first fault.
std::vector<TSfx> ReadSfxRecipe(const TRecipeReader &recipe);
// Renders one effect: mono samples in -1..1, exactly Rate x Length long.
std::vector<double> RenderSfx(const TSfx &sfx);
