#include "data/Config.h"

#include "core/Files.h"
#include "core/Text.h"
#include "data/Extractor.h"
#include "data/Locale.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

TConfig *Config = nullptr;

namespace {

constexpr const char *ConfigVersion = "Version 3";
constexpr int MaxPlayers = 6;

// The brightest step of the game page, which stores step / 55 for steps 0..9.
constexpr float MaxBrightness = 9.0f / 55;

std::string BoolText(bool value) { return value ? "true" : "false"; }

// A setting outside the values the game offers reads as its default; the rest of the file still counts.
int InRange(int value, int low, int high, int fallback) { return value >= low && value <= high ? value : fallback; }

float BrightnessOr(double value, float fallback)
{
    // Checked as a double first: a value beyond the float range must not be narrowed at all.
    if (!(value >= 0 && value <= 1))
        return fallback;
    const float narrowed = float(value);
    return narrowed <= MaxBrightness ? narrowed : fallback;
}

// Reads the decoded lines of a file in order, failing on the first line that is missing or does
// not parse. Any failure means the whole file is damaged.
class TValueReader {
public:
    explicit TValueReader(std::vector<std::string> lines) : Lines(std::move(lines)) {}

    std::string Text()
    {
        if (Next >= Lines.size())
            throw std::runtime_error("line missing");
        return Lines[Next++];
    }
    int Int()
    {
        int value = 0;
        if (!TextToInt(Text(), value))
            throw std::runtime_error("not a number");
        return value;
    }
    double Float()
    {
        double value = 0;
        if (!TextToFloat(Text(), value))
            throw std::runtime_error("not a number");
        return value;
    }
    bool Bool() { return Text() == "true"; }
    bool AtEnd() const { return Next >= Lines.size(); }

private:
    std::vector<std::string> Lines;
    std::size_t Next = 0;
};

} // namespace

std::string EncodeConfigLine(const std::string &text)
{
    if (text.empty())
        return {};
    std::string padded = text;
    while (padded.size() % 5 != 0)
        padded += '%';
    std::string out;
    out.reserve(padded.size() / 5 * 8);
    // Every 5 bytes are 40 bits, exactly 8 letters of 5 bits each.
    for (std::size_t i = 0; i < padded.size(); i += 5) {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < 5; ++k)
            bits = bits << 8 | static_cast<unsigned char>(padded[i + k]);
        for (int k = 7; k >= 0; --k)
            out += ConfigAlphabet[(bits >> (5 * k)) & 31];
    }
    return out;
}

std::string DecodeConfigLine(const std::string &line)
{
    std::string bits;
    for (char c : line) {
        const char *at = c ? std::strchr(ConfigAlphabet, c) : nullptr;
        if (!at)
            continue;
        const int v = int(at - ConfigAlphabet);
        for (int k = 4; k >= 0; --k)
            bits += char('0' + ((v >> k) & 1));
    }
    if (bits.size() % 8 != 0)
        bits.insert(0, 8 - bits.size() % 8, '0');
    std::string out;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        int byte = 0;
        for (std::size_t k = 0; k < 8; ++k)
            byte = byte << 1 | (bits[i + k] - '0');
        out += char(byte);
    }
    const std::size_t percent = out.find('%');
    return percent == std::string::npos ? out : out.substr(0, percent);
}

TConfig::TConfig()
{
    const std::string anonymous = Translate("Anonymous", 1);
    for (THighScore &entry : HighScores)
        entry = {anonymous, "0"};
}

std::vector<std::string> TConfig::ValueLines() const
{
    std::vector<std::string> lines = {
        ConfigVersion,
        std::to_string(Resolution), std::to_string(ColorBits),
        BoolText(FullScreen), BoolText(Shaders), BoolText(Haze), BoolText(Bloom),
        std::to_string(Reflections), FloatToText(Brightness),
        BoolText(Shadows), BoolText(CameraView),
        std::to_string(ViewDistance), std::to_string(Effects),
        BoolText(Effects3D), BoolText(InvertMouse),
        std::to_string(CameraMode), std::to_string(MusicVolume), std::to_string(SoundVolume),
        std::to_string(PlayerCount), std::to_string(CurrentPlayer),
    };
    for (int i = 0; i < PlayerCount && i < MaxPlayers; ++i) {
        const TGamePlayer &p = Players[std::size_t(i)];
        lines.insert(lines.end(), {p.Name, std::to_string(p.Score), p.Level, p.FirstScreen, p.LastScreen,
                                   BoolText(p.Campaign), BoolText(p.ShowScore)});
    }
    for (const THighScore &entry : HighScores) {
        lines.push_back(entry.Name);
        lines.push_back(entry.Score);
    }
    // Settings added since the file's layout was fixed follow the high scores: a file without them
    // loads with their defaults, and a game that knows only the fixed layout never reads them.
    lines.push_back(std::to_string(Difficulty));
    return lines;
}

void TConfig::Load(const std::string &path)
{
    // The file as found on the disk, whatever the letter case of its name.
    std::ifstream in(DiskPath(path), std::ios::binary);
    if (!in)
        return;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(DecodeConfigLine(line));
    }
    if (lines.empty() || lines[0] != ConfigVersion)
        return;

    // Read into a copy and take it only when the whole file made sense.
    const TConfig defaults;
    TConfig loaded = *this;
    try {
        TValueReader r(std::vector<std::string>(lines.begin() + 1, lines.end()));
        loaded.Resolution = InRange(r.Int(), 0, 5, defaults.Resolution);
        const int colorBits = r.Int();
        loaded.ColorBits = colorBits == 16 || colorBits == 32 ? colorBits : defaults.ColorBits;
        loaded.FullScreen = r.Bool();
        loaded.Shaders = r.Bool();
        loaded.Haze = r.Bool();
        loaded.Bloom = r.Bool();
        loaded.Reflections = InRange(r.Int(), 0, 2, defaults.Reflections);
        loaded.Brightness = BrightnessOr(r.Float(), defaults.Brightness);
        loaded.Shadows = r.Bool();
        loaded.CameraView = r.Bool();
        loaded.ViewDistance = InRange(r.Int(), 0, 3, defaults.ViewDistance);
        loaded.Effects = InRange(r.Int(), 0, 3, defaults.Effects);
        loaded.Effects3D = r.Bool();
        loaded.InvertMouse = r.Bool();
        loaded.CameraMode = InRange(r.Int(), 0, 1, defaults.CameraMode);
        loaded.MusicVolume = InRange(r.Int(), 0, 100, defaults.MusicVolume);
        loaded.SoundVolume = InRange(r.Int(), 0, 100, defaults.SoundVolume);
        // The player count and the table index shape the rest of the file: out of the table, the
        // file is not one this game wrote.
        loaded.PlayerCount = r.Int();
        loaded.CurrentPlayer = r.Int();
        if (loaded.PlayerCount < 0 || loaded.PlayerCount > MaxPlayers || loaded.CurrentPlayer < NoPlayer ||
            loaded.CurrentPlayer >= MaxPlayers)
            return;
        if (loaded.CurrentPlayer >= loaded.PlayerCount || loaded.CurrentPlayer < 0)
            loaded.CurrentPlayer = loaded.PlayerCount == 0 ? defaults.CurrentPlayer : NoPlayer;
        for (int i = 0; i < loaded.PlayerCount; ++i) {
            TGamePlayer &p = loaded.Players[std::size_t(i)];
            p.Name = r.Text();
            p.Score = r.Int();
            p.Level = r.Text();
            p.FirstScreen = r.Text();
            p.LastScreen = r.Text();
            p.Campaign = r.Bool();
            p.ShowScore = r.Bool();
        }
        for (THighScore &entry : loaded.HighScores) {
            entry.Name = r.Text();
            entry.Score = r.Text();
            int score = 0;
            if (!TextToInt(entry.Score, score))
                return;
        }
        if (!r.AtEnd()) {
            int difficulty = defaults.Difficulty;
            loaded.Difficulty = TextToInt(r.Text(), difficulty) ? InRange(difficulty, 0, 2, defaults.Difficulty)
                                                                : defaults.Difficulty;
        }
    } catch (const std::runtime_error &) {
        return;
    }
    *this = loaded;
}

bool TConfig::Save(const std::string &path) const
{
    std::string text;
    for (const std::string &value : ValueLines())
        text += EncodeConfigLine(value) + "\r\n";
    // Replaces the file that Load found, whatever the letter case of its name.
    return ReplaceFileSafely(DiskPath(path), text);
}

void TConfig::AddHighScore()
{
    const TGamePlayer &player = Players[std::size_t(CurrentPlayer >= 0 && CurrentPlayer < MaxPlayers ? CurrentPlayer : 0)];
    const int score = player.Score;
    int slot = 9;
    for (int i = 8; i >= 0; --i) {
        int entryScore = 0;
        TextToInt(HighScores[std::size_t(i)].Score, entryScore);
        if (entryScore <= score) {
            slot = i;
            HighScores[std::size_t(i) + 1] = HighScores[std::size_t(i)];
        }
    }
    HighScores[std::size_t(slot)] = {player.Name, std::to_string(score)};
}
