#pragma once
// Music from text scores: instruments (subtractive, FM and plucked-string synths, synthesised
// drums), patterns of a few bars with a chord line and one step line per instrument, and the order
// of the patterns. The whole order is one loop: notes that ring past the end are folded back onto
// the start, and reverb and echo run round the loop, so the last sample flows into the first.

#include "tools/audiogen/Recipe.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class TInstrumentType { Saw, Square, Sine, Triangle, Fm, Pluck, Kick, Snare, Hat, OpenHat, Clap, Tom, Crash, Riser };

struct TInstrument {
    std::string     Name;
    TInstrumentType Type = TInstrumentType::Saw;
    // Every setting by its score key ("gain", "a", "cutoff", ...); defaults filled in by the reader.
    std::map<std::string, double> Settings;
    double Get(const std::string &key) const { return Settings.at(key); }
    bool   IsDrum() const { return Type >= TInstrumentType::Kick; }
};

// One note of one instrument, in steps from the start of the loop.
struct TNoteEvent {
    double Step = 0;
    double Length = 1;      // steps the key is held
    double Note = 60;       // MIDI number; -1 for a drum hit at the drum's own tone
    double Velocity = 0.8;
};

struct TChord {
    int              Root = 0;        // pitch class 0..11 (C = 0)
    std::vector<int> Intervals;       // semitones above the root, ascending
};

struct TPattern {
    std::string Name;
    int         Bars = 4;
    int         Transpose = 0;
    std::vector<std::pair<TChord, int>>               Chords;   // chord and its length in steps
    std::map<std::string, std::vector<std::string>>   Parts;    // instrument name -> step tokens
};

struct TSong {
    double Tempo = 120;          // quarter notes per minute
    int    Steps = 16;           // steps per bar (4/4 in sixteenths)
    int    Rate = 44100;
    double Quality = 0.3;        // Vorbis quality
    double RmsDb = -19;          // loudness the mix is brought to
    double CeilingDb = -1.5;     // and the peak it never passes
    double Swing = 0;            // off-beat steps late by this fraction of a step
    double ReverbRoom = 0.8, ReverbDamp = 0.4;
    double DelaySteps = 3, DelayFeedback = 0.35;
    std::uint64_t Seed = 1;
    std::vector<TInstrument>        Instruments;
    std::map<std::string, TPattern> Patterns;
    std::vector<std::string>        Order;
};

// Reads a score; throws "<path>:<line>: ..." on the first fault.
TSong ReadSong(const TRecipeReader &score);
// The note events of every instrument over the whole loop, by instrument index.
std::vector<std::vector<TNoteEvent>> SequenceSong(const TSong &song, double &totalSteps);
// Renders the loop: interleaved stereo, exactly the order's length, seamless end to start.
std::vector<double> RenderSong(const TSong &song);

// Adds one note of Instrument into the stereo loop buffers from sample Start on (wrapping at the
// end); Seed fixes its noise. Gate is the held time in seconds.
void RenderNote(const TInstrument &instrument, double frequency, double velocity, double gate, int rate,
                std::int64_t start, std::uint64_t seed, std::vector<float> &left, std::vector<float> &right);
