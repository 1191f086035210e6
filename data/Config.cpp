#include "data/Config.h"

#include "core/Text.h"
#include "data/Locale.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

TConfig *Config = nullptr;

namespace {

constexpr const char *ConfigVersion = "Version 3";
constexpr int MaxPlayers = 6;

std::string BoolText(bool value) { return value ? "true" : "false"; }

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
    float Float()
    {
        double value = 0;
        if (!TextToFloat(Text(), value))
            throw std::runtime_error("not a number");
        return float(value);
    }
    bool Bool() { return Text() == "true"; }

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
    return lines;
}

void TConfig::Load(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
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
    TConfig loaded = *this;
    try {
        TValueReader r(std::vector<std::string>(lines.begin() + 1, lines.end()));
        loaded.Resolution = r.Int();
        loaded.ColorBits = r.Int();
        loaded.FullScreen = r.Bool();
        loaded.Shaders = r.Bool();
        loaded.Haze = r.Bool();
        loaded.Bloom = r.Bool();
        loaded.Reflections = r.Int();
        loaded.Brightness = r.Float();
        loaded.Shadows = r.Bool();
        loaded.CameraView = r.Bool();
        loaded.ViewDistance = r.Int();
        loaded.Effects = r.Int();
        loaded.Effects3D = r.Bool();
        loaded.InvertMouse = r.Bool();
        loaded.CameraMode = r.Int();
        loaded.MusicVolume = r.Int();
        loaded.SoundVolume = r.Int();
        loaded.PlayerCount = r.Int();
        loaded.CurrentPlayer = r.Int();
        if (loaded.PlayerCount < 0 || loaded.PlayerCount > MaxPlayers || loaded.CurrentPlayer < 0 ||
            loaded.CurrentPlayer >= MaxPlayers)
            return;
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
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    // On disk before it replaces the old file: a crash now leaves one whole file or the other.
    const bool ok = done == text.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
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
