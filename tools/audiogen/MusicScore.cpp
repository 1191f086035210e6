// Reading music scores and turning their patterns into note events.
//
//   song KEY=VALUE...                          tempo, steps, rate, quality, rms, ceiling, swing,
//                                              room, damp, delay, feedback, seed
//   instrument NAME TYPE KEY=VALUE...          a synth or drum and its settings
//   pattern NAME bars=N [from=P] [transpose=T] starts a pattern; "from" copies P's lines
//     chords CHORD[:STEPS]...                  the harmony, a bar each unless STEPS is given
//     NAME TOKEN[:STEPS]...                    one instrument's steps; repeated to fill the pattern
//   order PATTERN...                           the loop, in order
//
// Step tokens: "." rest, "-" holds the previous note, "x" "X" "o" drum hits (normal, accented,
// soft), "C" the whole chord, "1".."9" a chord tone (then "'" an octave up, "," an octave down),
// "c4" "f#5" "bb2" a named note; "!" accents and "?" softens a note. "|" marks a bar line and
// takes no time.

#include "tools/audiogen/Music.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <stdexcept>

namespace {

const std::map<std::string, TInstrumentType> Types = {
    {"saw", TInstrumentType::Saw},     {"square", TInstrumentType::Square}, {"sine", TInstrumentType::Sine},
    {"triangle", TInstrumentType::Triangle}, {"fm", TInstrumentType::Fm},   {"pluck", TInstrumentType::Pluck},
    {"kick", TInstrumentType::Kick},   {"snare", TInstrumentType::Snare},   {"hat", TInstrumentType::Hat},
    {"openhat", TInstrumentType::OpenHat}, {"clap", TInstrumentType::Clap}, {"tom", TInstrumentType::Tom},
    {"crash", TInstrumentType::Crash}, {"riser", TInstrumentType::Riser},
};

// Every instrument setting with its default; drums override tone and decay below.
const std::map<std::string, double> Defaults = {
    {"gain", -12}, {"pan", 0},       {"rev", 0.2},    {"dly", 0},      {"a", 0.005},    {"d", 0.2},
    {"s", 0.7},    {"r", 0.2},       {"octave", 4},   {"cutoff", 0},   {"res", 0.7},    {"fenv", 0},
    {"fdecay", 0.3}, {"voices", 1},  {"detune", 10},  {"spread", 0.6}, {"vib", 0},      {"vibrate", 5},
    {"vibdelay", 0.3}, {"pw", 0.5},  {"ratio", 2},    {"index", 1},    {"idecay", 0.5}, {"damp", 0.5},
    {"tone", 0},   {"decay", 0},     {"drive", 0},    {"sub", 0},      {"duck", 0},     {"human", 0.06},
};

const std::map<TInstrumentType, std::pair<double, double>> DrumToneDecay = {
    {TInstrumentType::Kick, {50, 0.42}},  {TInstrumentType::Snare, {185, 0.17}}, {TInstrumentType::Hat, {1, 0.045}},
    {TInstrumentType::OpenHat, {1, 0.35}}, {TInstrumentType::Clap, {1100, 0.16}}, {TInstrumentType::Tom, {110, 0.45}},
    {TInstrumentType::Crash, {1, 1.8}},   {TInstrumentType::Riser, {1, 0.1}},
};

const std::map<std::string, std::vector<int>> ChordQualities = {
    {"", {0, 4, 7}},        {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},    {"m7", {0, 3, 7, 10}},
    {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},     {"sus4", {0, 5, 7}},     {"dim", {0, 3, 6}},
    {"aug", {0, 4, 8}},     {"5", {0, 7}},            {"add9", {0, 4, 7, 14}}, {"m9", {0, 3, 7, 10, 14}},
    {"6", {0, 4, 7, 9}},    {"m6", {0, 3, 7, 9}},     {"7sus4", {0, 5, 7, 10}}, {"madd9", {0, 3, 7, 14}},
};

// "key=value" into its parts; false when there is no "=".
bool SplitSetting(const std::string &word, std::string &key, std::string &value)
{
    const auto eq = word.find('=');
    if (eq == std::string::npos || eq == 0)
        return false;
    key = word.substr(0, eq);
    value = word.substr(eq + 1);
    return true;
}

double SettingNumber(const TRecipeReader &r, const TRecipeLine &line, const std::string &key, const std::string &value)
{
    double number = 0;
    if (!TRecipeReader::ParseDouble(value, number))
        r.Fail(line, "the setting \"" + key + "\" needs a number, not \"" + value + "\"");
    return number;
}

// Pitch class of a note letter with an optional sharp or flat; Length tells how many characters.
bool PitchClass(const std::string &text, int &pc, std::size_t &length)
{
    static const int Letters[] = {9, 11, 0, 2, 4, 5, 7};   // a b c d e f g
    if (text.empty())
        return false;
    const char letter = char(std::tolower(static_cast<unsigned char>(text[0])));
    if (letter < 'a' || letter > 'g')
        return false;
    pc = Letters[letter - 'a'];
    length = 1;
    if (text.size() > 1 && (text[1] == '#' || text[1] == 'b') && !(text[1] == 'b' && text.size() == 2)) {
        pc += text[1] == '#' ? 1 : -1;
        length = 2;
    }
    pc = (pc + 12) % 12;
    return true;
}

TChord ParseChord(const TRecipeReader &r, const TRecipeLine &line, const std::string &text)
{
    TChord chord;
    std::size_t used = 0;
    if (!PitchClass(text, chord.Root, used) || !std::isupper(static_cast<unsigned char>(text[0])))
        r.Fail(line, "\"" + text + "\" is not a chord (like Am, F, G7, Cmaj7, Dsus4)");
    // "Bb" is B flat here: chord roots are capitals, so the flat sign cannot be a note name.
    if (text.size() > 1 && text[1] == 'b' && used == 1) {
        chord.Root = (chord.Root + 11) % 12;
        used = 2;
    }
    const auto quality = ChordQualities.find(text.substr(used));
    if (quality == ChordQualities.end())
        r.Fail(line, "unknown chord quality in \"" + text + "\"");
    chord.Intervals = quality->second;
    return chord;
}

// Splits "body:steps"; steps default to Default.
int TokenSteps(const TRecipeReader &r, const TRecipeLine &line, const std::string &token, std::string &body, int fallback)
{
    const auto colon = token.find(':');
    body = token.substr(0, colon);
    if (colon == std::string::npos)
        return fallback;
    double steps = 0;
    if (!TRecipeReader::ParseDouble(token.substr(colon + 1), steps) || steps < 1 || steps != std::floor(steps))
        r.Fail(line, "\"" + token + "\" needs a whole number of steps after \":\"");
    return int(steps);
}

void ReadSongSettings(const TRecipeReader &r, const TRecipeLine &line, TSong &song)
{
    for (std::size_t i = 1; i < line.Words.size(); ++i) {
        std::string key, value;
        if (!SplitSetting(line.Words[i], key, value))
            r.Fail(line, "\"" + line.Words[i] + "\" is not KEY=VALUE");
        const double v = SettingNumber(r, line, key, value);
        if (key == "tempo") song.Tempo = std::clamp(v, 30.0, 300.0);
        else if (key == "steps") song.Steps = std::clamp(int(v), 1, 64);
        else if (key == "rate") song.Rate = std::clamp(int(v), 8000, 96000);
        else if (key == "quality") song.Quality = std::clamp(v, -0.1, 1.0);
        else if (key == "rms") song.RmsDb = std::min(v, -6.0);
        else if (key == "ceiling") song.CeilingDb = std::min(v, -0.1);
        else if (key == "swing") song.Swing = std::clamp(v, 0.0, 0.5);
        else if (key == "room") song.ReverbRoom = std::clamp(v, 0.0, 1.0);
        else if (key == "damp") song.ReverbDamp = std::clamp(v, 0.0, 1.0);
        else if (key == "delay") song.DelaySteps = std::clamp(v, 0.25, 32.0);
        else if (key == "feedback") song.DelayFeedback = std::clamp(v, 0.0, 0.9);
        else if (key == "seed") song.Seed = std::uint64_t(std::max(0.0, v));
        else r.Fail(line, "unknown song setting \"" + key + "\"");
    }
}

TInstrument ReadInstrument(const TRecipeReader &r, const TRecipeLine &line, const TSong &song)
{
    if (line.Words.size() < 3)
        r.Fail(line, "an instrument is \"instrument NAME TYPE KEY=VALUE...\"");
    TInstrument instrument;
    instrument.Name = line.Words[1];
    for (const TInstrument &other : song.Instruments)
        if (other.Name == instrument.Name)
            r.Fail(line, "the instrument \"" + instrument.Name + "\" is already defined");
    if (instrument.Name == "chords")
        r.Fail(line, "\"chords\" is the harmony line and cannot name an instrument");
    const auto type = Types.find(line.Words[2]);
    if (type == Types.end())
        r.Fail(line, "unknown instrument type \"" + line.Words[2] + "\"");
    instrument.Type = type->second;
    instrument.Settings = Defaults;
    if (instrument.IsDrum()) {
        instrument.Settings["tone"] = DrumToneDecay.at(instrument.Type).first;
        instrument.Settings["decay"] = DrumToneDecay.at(instrument.Type).second;
    }
    for (std::size_t i = 3; i < line.Words.size(); ++i) {
        std::string key, value;
        if (!SplitSetting(line.Words[i], key, value))
            r.Fail(line, "\"" + line.Words[i] + "\" is not KEY=VALUE");
        if (!Defaults.count(key))
            r.Fail(line, "unknown instrument setting \"" + key + "\"");
        instrument.Settings[key] = SettingNumber(r, line, key, value);
    }
    return instrument;
}

int PatternSteps(const TSong &song, const TPattern &pattern) { return pattern.Bars * song.Steps; }

// The step tokens of one part, checked now so that every fault points at its line.
void CheckPart(const TRecipeReader &r, const TRecipeLine &line, const TSong &song, const TPattern &pattern,
               const std::vector<std::string> &tokens)
{
    int total = 0;
    for (const std::string &token : tokens) {
        std::string body;
        total += TokenSteps(r, line, token, body, 1);
        while (!body.empty() && (body.back() == '!' || body.back() == '?' || body.back() == '\'' || body.back() == ','))
            body.pop_back();
        int pc = 0;
        std::size_t used = 0;
        const bool degree = body.size() == 1 && body[0] >= '1' && body[0] <= '9';
        const bool note = PitchClass(body, pc, used) && used < body.size() &&
                          std::all_of(body.begin() + std::ptrdiff_t(used), body.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (!(body == "." || body == "-" || body == "x" || body == "X" || body == "o" || body == "C" || degree || note))
            r.Fail(line, "\"" + token + "\" is not a step (rest, hold, hit, chord, chord tone or note)");
    }
    if (total > PatternSteps(song, pattern))
        r.Fail(line, "the part is " + std::to_string(total) + " steps long, but the pattern \"" + pattern.Name +
                         "\" has " + std::to_string(PatternSteps(song, pattern)));
}

} // namespace

TSong ReadSong(const TRecipeReader &score)
{
    TSong song;
    song.Seed = dsp::HashText(score.Path().substr(score.Path().find_last_of('/') + 1));
    TPattern *pattern = nullptr;
    std::set<std::string> overridden;   // parts the current pattern has replaced, not inherited
    for (const TRecipeLine &line : score.Lines()) {
        const std::string &key = line.Words[0];
        if (key == "song") {
            ReadSongSettings(score, line, song);
        } else if (key == "instrument") {
            song.Instruments.push_back(ReadInstrument(score, line, song));
        } else if (key == "pattern") {
            if (line.Words.size() < 2)
                score.Fail(line, "a pattern is \"pattern NAME bars=N [from=PATTERN] [transpose=T]\"");
            if (song.Patterns.count(line.Words[1]))
                score.Fail(line, "the pattern \"" + line.Words[1] + "\" is already defined");
            TPattern next;
            next.Name = line.Words[1];
            for (std::size_t i = 2; i < line.Words.size(); ++i) {
                std::string k, v;
                if (!SplitSetting(line.Words[i], k, v))
                    score.Fail(line, "\"" + line.Words[i] + "\" is not KEY=VALUE");
                if (k == "from") {
                    const auto base = song.Patterns.find(v);
                    if (base == song.Patterns.end())
                        score.Fail(line, "the pattern \"" + v + "\" is not defined above");
                    const std::string name = next.Name;
                    next = base->second;
                    next.Name = name;
                } else if (k == "bars") {
                    next.Bars = std::clamp(int(SettingNumber(score, line, k, v)), 1, 64);
                } else if (k == "transpose") {
                    next.Transpose = int(SettingNumber(score, line, k, v));
                } else {
                    score.Fail(line, "unknown pattern setting \"" + k + "\"");
                }
            }
            pattern = &song.Patterns[next.Name];
            *pattern = std::move(next);
            overridden.clear();
        } else if (key == "order") {
            for (std::size_t i = 1; i < line.Words.size(); ++i) {
                if (!song.Patterns.count(line.Words[i]))
                    score.Fail(line, "the pattern \"" + line.Words[i] + "\" is not defined");
                song.Order.push_back(line.Words[i]);
            }
        } else if (!pattern) {
            score.Fail(line, "unknown setting \"" + key + "\"");
        } else if (key == "chords") {
            if (!overridden.count(key))
                pattern->Chords.clear();
            overridden.insert(key);
            for (std::size_t i = 1; i < line.Words.size(); ++i) {
                std::string body;
                const int steps = TokenSteps(score, line, line.Words[i], body, song.Steps);
                pattern->Chords.push_back({ParseChord(score, line, body), steps});
            }
        } else {
            const bool known = std::any_of(song.Instruments.begin(), song.Instruments.end(),
                                           [&](const TInstrument &i) { return i.Name == key; });
            if (!known)
                score.Fail(line, "no instrument is called \"" + key + "\"");
            std::vector<std::string> &tokens = pattern->Parts[key];
            if (!overridden.count(key))
                tokens.clear();
            overridden.insert(key);
            // "|" marks bar lines for the reader and takes no time.
            std::copy_if(line.Words.begin() + 1, line.Words.end(), std::back_inserter(tokens),
                         [](const std::string &word) { return word != "|"; });
            CheckPart(score, line, song, *pattern, tokens);
        }
    }
    if (song.Order.empty())
        throw std::runtime_error(score.Path() + ": the score has no \"order\"");
    // Chord tones without a chord line would play nothing at all: say so rather than stay silent.
    for (const auto &[name, pattern] : song.Patterns) {
        if (!pattern.Chords.empty())
            continue;
        for (const auto &[instrument, tokens] : pattern.Parts)
            for (const std::string &token : tokens)
                if (!token.empty() && (token[0] == 'C' || (token[0] >= '1' && token[0] <= '9')))
                    throw std::runtime_error(score.Path() + ": the pattern \"" + name + "\" plays chord tones (" +
                                             instrument + " \"" + token + "\") but has no \"chords\" line");
    }
    return song;
}

std::vector<std::vector<TNoteEvent>> SequenceSong(const TSong &song, double &totalSteps)
{
    std::vector<std::vector<TNoteEvent>> events(song.Instruments.size());
    double origin = 0;
    for (const std::string &name : song.Order) {
        const TPattern &pattern = song.Patterns.at(name);
        const int steps = PatternSteps(song, pattern);
        // The chord at each step; a short chord line repeats like any part.
        std::vector<const TChord *> chordAt(std::size_t(steps), nullptr);
        if (!pattern.Chords.empty())
            for (int s = 0; s < steps;)
                for (const auto &[chord, length] : pattern.Chords)
                    for (int k = 0; k < length && s < steps; ++k)
                        chordAt[std::size_t(s++)] = &chord;
        for (std::size_t i = 0; i < song.Instruments.size(); ++i) {
            const TInstrument &instrument = song.Instruments[i];
            const auto part = pattern.Parts.find(instrument.Name);
            if (part == pattern.Parts.end() || part->second.empty())
                continue;
            const int transpose = instrument.IsDrum() ? 0 : pattern.Transpose;
            const int octave = int(instrument.Get("octave"));
            std::vector<std::size_t> lastNotes;   // the events a "-" extends
            for (int s = 0; s < steps;) {
                for (const std::string &token : part->second) {
                    if (s >= steps)
                        break;
                    const auto colon = token.find(':');
                    std::string body = token.substr(0, colon);
                    const int length = colon == std::string::npos ? 1 : std::stoi(token.substr(colon + 1));
                    double velocity = 0.8;
                    int shift = 0;
                    while (!body.empty() && (body.back() == '!' || body.back() == '?' || body.back() == '\'' || body.back() == ',')) {
                        const char c = body.back();
                        velocity = c == '!' ? 1.0 : c == '?' ? 0.5 : velocity;
                        shift += c == '\'' ? 12 : c == ',' ? -12 : 0;
                        body.pop_back();
                    }
                    std::vector<double> notes;
                    const TChord *chord = chordAt[std::size_t(s)];
                    const int chordRoot = chord ? 12 * (octave + 1) + chord->Root + transpose : 12 * (octave + 1);
                    if (body == "-") {
                        for (std::size_t k : lastNotes)
                            events[i][k].Length += length;
                    } else if (body == "x" || body == "X" || body == "o") {
                        velocity = body == "X" ? 1.0 : body == "o" ? 0.45 : 0.8;
                        notes.push_back(-1);   // a hit: the drum's own tone
                    } else if (body == "C") {
                        if (chord)
                            for (int interval : chord->Intervals)
                                notes.push_back(chordRoot + interval + shift);
                    } else if (body.size() == 1 && body[0] >= '1' && body[0] <= '9') {
                        if (chord) {
                            const std::size_t index = std::size_t(body[0] - '1');
                            const std::size_t size = chord->Intervals.size();
                            notes.push_back(chordRoot + chord->Intervals[index % size] + 12 * int(index / size) + shift);
                        }
                    } else if (body != ".") {
                        int pc = 0;
                        std::size_t used = 0;
                        PitchClass(body, pc, used);
                        notes.push_back(12 * (std::stoi(body.substr(used)) + 1) + pc + transpose + shift);
                    }
                    if (body != "-") {
                        lastNotes.clear();
                        for (double note : notes) {
                            lastNotes.push_back(events[i].size());
                            events[i].push_back({origin + s, double(length), note, velocity});
                        }
                    }
                    s += length;
                }
            }
        }
        origin += steps;
    }
    totalSteps = origin;
    return events;
}
