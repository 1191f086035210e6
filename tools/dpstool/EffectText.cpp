#include "tools/dpstool/EffectText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

struct TLine {
    int                      Number = 0;
    std::string              Key;
    std::vector<std::string> Words;   // the rest of the line, split at blanks; quoted text is one word
};

[[noreturn]] void Fail(const std::string &source, int line, const std::string &what)
{
    throw std::runtime_error(source + ":" + std::to_string(line) + ": " + what);
}

std::vector<TLine> SplitLines(const std::string &text, const std::string &source)
{
    std::vector<TLine> lines;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        TLine line;
        line.Number = number;
        std::vector<std::string> words;
        for (std::size_t i = 0; i < raw.size();) {
            const char c = raw[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '#') {
                break;
            } else if (c == '"') {
                const std::size_t end = raw.find('"', i + 1);
                if (end == std::string::npos)
                    Fail(source, number, "a quoted text has no closing quote");
                words.push_back(raw.substr(i + 1, end - i - 1));
                i = end + 1;
            } else {
                std::size_t end = raw.find_first_of(" \t\r", i);
                if (end == std::string::npos)
                    end = raw.size();
                words.push_back(raw.substr(i, end - i));
                i = end;
            }
        }
        if (words.empty())
            continue;
        line.Key = words[0];
        line.Words.assign(words.begin() + 1, words.end());
        lines.push_back(std::move(line));
    }
    return lines;
}

long ParseInt(const std::string &word, const std::string &source, int line)
{
    errno = 0;
    char *end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end || errno || v < INT32_MIN || v > INT32_MAX)
        Fail(source, line, "\"" + word + "\" is not a whole number");
    return v;
}

float ParseFloat(const std::string &word, const std::string &source, int line)
{
    char *end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (word.empty() || *end)
        Fail(source, line, "\"" + word + "\" is not a number");
    return v;
}

const std::string &One(const TLine &line, const std::string &source)
{
    if (line.Words.size() != 1)
        Fail(source, line.Number, line.Key + " takes one value");
    return line.Words[0];
}

TGradient ParseGradient(const TLine &line, const std::string &source)
{
    TGradient g;
    for (const std::string &word : line.Words) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos)
            Fail(source, line.Number, "\"" + word + "\" is not a position=value key");
        g.Keys.push_back({ParseFloat(word.substr(0, eq), source, line.Number),
                          std::int32_t(ParseInt(word.substr(eq + 1), source, line.Number))});
    }
    return g;
}

std::vector<TColorKey> ParseColour(const TLine &line, const std::string &source)
{
    std::vector<TColorKey> keys;
    for (const std::string &word : line.Words) {
        const std::size_t eq = word.find('=');
        const std::size_t c1 = word.find(',', eq == std::string::npos ? 0 : eq);
        const std::size_t c2 = c1 == std::string::npos ? c1 : word.find(',', c1 + 1);
        if (eq == std::string::npos || c2 == std::string::npos)
            Fail(source, line.Number, "\"" + word + "\" is not a position=red,green,blue key");
        keys.push_back({ParseFloat(word.substr(0, eq), source, line.Number),
                        std::int32_t(ParseInt(word.substr(eq + 1, c1 - eq - 1), source, line.Number)),
                        std::int32_t(ParseInt(word.substr(c1 + 1, c2 - c1 - 1), source, line.Number)),
                        std::int32_t(ParseInt(word.substr(c2 + 1), source, line.Number))});
    }
    return keys;
}

template <std::size_t N> int IndexOf(const std::array<const char *, N> &names, const std::string &key)
{
    for (std::size_t i = 0; i < N; ++i)
        if (key == names[i])
            return int(i);
    return -1;
}

// Shortest text that reads back to the same float.
std::string FloatText(float v)
{
    char buffer[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, double(v));
        if (std::strtof(buffer, nullptr) == v)
            break;
    }
    return buffer;
}

std::string Quote(const std::string &text) { return "\"" + text + "\""; }

std::string GradientText(const TGradient &g)
{
    std::string out;
    for (const TGradientKey &key : g.Keys)
        out += " " + FloatText(key.Position) + "=" + std::to_string(key.Value);
    return out;
}

} // namespace

TDpsFile ParseEffectText(const std::string &text, const std::string &source)
{
    TDpsFile effect;
    bool named = false;
    TDpsRecord *record = nullptr;
    for (const TLine &line : SplitLines(text, source)) {
        if (!record) {
            if (line.Key == "effect") {
                effect.Name = One(line, source);
                named = true;
            } else if (line.Key == "version") {
                effect.Version = std::int32_t(ParseInt(One(line, source), source, line.Number));
            } else if (line.Key == "duration") {
                effect.Duration = std::int32_t(ParseInt(One(line, source), source, line.Number));
            } else if (line.Key == "clip") {
                effect.ClipRadius = std::int32_t(ParseInt(One(line, source), source, line.Number));
            } else if (line.Key == "record") {
                effect.Records.emplace_back();
                record = &effect.Records.back();
                record->Name = One(line, source);
            } else if (const int g = IndexOf(DpsEffectGradientNames, line.Key); g >= 0) {
                effect.Effect[std::size_t(g)] = ParseGradient(line, source);
            } else {
                Fail(source, line.Number, "unknown effect setting \"" + line.Key + "\"");
            }
            continue;
        }
        if (line.Key == "end") {
            record = nullptr;
        } else if (line.Key == "texture") {
            record->Texture = One(line, source);
        } else if (line.Key == "colour" || line.Key == "color") {
            record->Colour = ParseColour(line, source);
        } else if (line.Key == "alpha") {
            record->Alpha = ParseGradient(line, source);
        } else if (line.Key == "layer") {
            record->Layer = std::uint8_t(ParseInt(One(line, source), source, line.Number));
        } else if (line.Key == "additive") {
            record->Additive = std::uint8_t(ParseInt(One(line, source), source, line.Number));
        } else if (const int g = IndexOf(DpsRecordGradientNames, line.Key); g >= 0) {
            record->Gradients[std::size_t(g)] = ParseGradient(line, source);
        } else {
            Fail(source, line.Number, "unknown record setting \"" + line.Key + "\"");
        }
    }
    if (record)
        throw std::runtime_error(source + ": the record \"" + record->Name + "\" has no \"end\"");
    if (!named)
        throw std::runtime_error(source + ": no \"effect\" line names the effect");
    if (effect.Duration < 1)
        throw std::runtime_error(source + ": the duration must be at least 1 (tenths of a second)");
    return effect;
}

std::string PrintEffectText(const TDpsFile &effect)
{
    std::string out = "effect " + Quote(effect.Name) + "\n";
    out += "version " + std::to_string(effect.Version) + "\n";
    out += "duration " + std::to_string(effect.Duration) + "\n";
    out += "clip " + std::to_string(effect.ClipRadius) + "\n";
    for (std::size_t i = 0; i < DpsEffectGradientCount; ++i)
        out += std::string(DpsEffectGradientNames[i]) + GradientText(effect.Effect[i]) + "\n";
    for (const TDpsRecord &r : effect.Records) {
        out += "\nrecord " + Quote(r.Name) + "\n";
        out += "  texture " + Quote(r.Texture) + "\n";
        out += "  colour";
        for (const TColorKey &key : r.Colour)
            out += " " + FloatText(key.Position) + "=" + std::to_string(key.Red) + "," + std::to_string(key.Green) + "," +
                   std::to_string(key.Blue);
        out += "\n  alpha" + GradientText(r.Alpha) + "\n";
        out += "  layer " + std::to_string(r.Layer) + "\n";
        out += "  additive " + std::to_string(r.Additive) + "\n";
        for (std::size_t i = 0; i < DpsRecordGradientCount; ++i)
            out += "  " + std::string(DpsRecordGradientNames[i]) + GradientText(r.Gradients[i]) + "\n";
        out += "end\n";
    }
    return out;
}
