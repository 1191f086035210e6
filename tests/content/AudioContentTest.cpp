// The generated sounds and music, read from the built "Data.dpg" as the game reads them and decoded
// by the sound library's own decoder; and the generator itself, run as the build runs it.

#include "data/Extractor.h"
#include "sound/Decoder.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {


struct TExpected {
    const char *Path;       // as the game asks for it
    int         Channels;
    double      MinSeconds, MaxSeconds;
};

// Every sound the game plays, with the shape it needs: effects and speech are mono so that they can
// be placed in the world; machine gun and gauss fire many times a second, so they are short.
const TExpected Sounds[] = {
    {"Data\\Sounds\\Gun.wav", 1, 0.5, 2.0},
    {"Data\\Sounds\\BigGun.wav", 1, 1.5, 4.0},
    {"Data\\Sounds\\MachineGun.wav", 1, 0.05, 0.4},
    {"Data\\Sounds\\Gauss.wav", 1, 0.05, 0.5},
    {"Data\\Sounds\\Laser.wav", 1, 0.5, 3.0},
    {"Data\\Sounds\\Plasma.wav", 1, 0.3, 2.5},
    {"Data\\Sounds\\shilka.wav", 1, 0.1, 1.0},
    {"Data\\Sounds\\Shoot_Missile.wav", 1, 0.8, 3.0},
    {"Data\\Sounds\\Shoot_bomb.WAV", 1, 0.3, 2.0},
    {"Data\\Sounds\\Shoot_bomb_Explosion.wav", 1, 1.5, 5.0},
    {"Data\\Sounds\\Explosion_Small.WAV", 1, 0.5, 2.0},
    {"Data\\Sounds\\Explosion_Middle.WAV", 1, 1.0, 3.5},
    {"Data\\Sounds\\Explosion_Large.WAV", 1, 2.0, 6.0},
    {"Data\\Sounds\\Missile_warning.wav", 1, 0.5, 2.0},
    {"Data\\Sounds\\Reloaded.wav", 1, 0.3, 2.0},
    {"Data\\Sounds\\submarine.wav", 1, 1.0, 5.0},
    {"Data\\Sounds\\begin.wav", 1, 0.5, 3.0},
    {"Data\\Sounds\\Win.wav", 1, 1.0, 4.0},
    {"Data\\Sounds\\Lose.wav", 1, 1.5, 5.0},
    {"Data\\Sounds\\OnButton.WAV", 1, 0.02, 0.2},
    {"Data\\Sounds\\Click.WAV", 1, 0.03, 0.3},
    {"Data\\Sounds\\Speech1.wav", 1, 1.5, 6.0},
    {"Data\\Sounds\\Speech2.wav", 1, 1.5, 6.0},
    {"Data\\Sounds\\Speech3.wav", 1, 1.5, 6.0},
    {"Data\\Sounds\\Speech4.wav", 1, 1.5, 6.0},
    {"Data\\Sounds\\Speech5.wav", 1, 1.5, 6.0},
    {"Data\\Sounds\\Speech6.wav", 1, 1.5, 6.0},
    {"Data\\Music\\Menu.ogg", 2, 60.0, 180.0},
    {"Data\\Music\\Calm.ogg", 2, 60.0, 180.0},
    {"Data\\Music\\Tense.ogg", 2, 60.0, 180.0},
    {"Data\\Music\\Battle.ogg", 2, 60.0, 180.0},
    {"Data\\Music\\Boss.ogg", 2, 60.0, 180.0},
    {"Data\\Music\\Victory.ogg", 2, 60.0, 180.0},
};

bool IsMusic(const TExpected &expected) { return expected.Channels == 2; }

double Db(double linear) { return linear > 0 ? 20.0 * std::log10(linear) : -240.0; }

struct TLevels {
    double Seconds = 0, PeakDb = 0, RmsDb = 0;
};

TLevels Measure(const TDecodedSound &sound)
{
    double peak = 0, sum = 0;
    for (std::int16_t s : sound.Pcm) {
        peak = std::max(peak, std::fabs(s / 32768.0));
        sum += (s / 32768.0) * (s / 32768.0);
    }
    TLevels levels;
    levels.Seconds = double(sound.Pcm.size()) / sound.Channels / sound.Rate;
    levels.PeakDb = Db(peak);
    levels.RmsDb = Db(std::sqrt(sum / double(std::max<std::size_t>(1, sound.Pcm.size()))));
    return levels;
}

// A coarse picture of a sound: its loudness in 64 slices of its length, for telling sounds apart.
std::vector<double> Envelope(const TDecodedSound &sound)
{
    std::vector<double> slices(64, 0.0);
    const std::size_t n = sound.Pcm.size();
    for (std::size_t i = 0; i < n; ++i)
        slices[i * 64 / n] += double(sound.Pcm[i]) * sound.Pcm[i];
    for (double &s : slices)
        s = std::sqrt(s);
    return slices;
}

double Correlation(const std::vector<double> &a, const std::vector<double> &b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 1.0;
}

// Every file of the table, read once from the built archive and decoded.
class GeneratedAudio : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const TExpected &expected : Sounds) {
            TMemFile file(GameDir + expected.Path, &BuiltArchive());
            TDecodedSound sound;
            if (DecodeSoundMemory(file.Data.data(), file.Data.size(), sound))
                Decoded[expected.Path] = std::move(sound);
        }
    }
    static void TearDownTestSuite()
    {
        Decoded.clear();
    }
    static inline std::map<std::string, TDecodedSound>  Decoded;
};

TEST_F(GeneratedAudio, EverySoundDecodesWithItsChannelsLengthAndLevel)
{
    std::printf("%-40s %8s %8s %8s\n", "file", "seconds", "peak dB", "RMS dB");
    for (const TExpected &expected : Sounds) {
        SCOPED_TRACE(expected.Path);
        const auto found = Decoded.find(expected.Path);
        ASSERT_NE(found, Decoded.end()) << "does not decode";
        const TDecodedSound &sound = found->second;
        const TLevels levels = Measure(sound);
        std::printf("%-40s %8.2f %8.1f %8.1f\n", expected.Path, levels.Seconds, levels.PeakDb, levels.RmsDb);
        EXPECT_EQ(sound.Channels, expected.Channels);
        EXPECT_GE(sound.Rate, 22050);
        EXPECT_GE(levels.Seconds, expected.MinSeconds);
        EXPECT_LE(levels.Seconds, expected.MaxSeconds);
        // Below full scale, never silent; music sits under the effects so both carry at full volume.
        EXPECT_LT(levels.PeakDb, -0.3);
        EXPECT_GT(levels.PeakDb, -20.0);
        if (IsMusic(expected)) {
            EXPECT_GT(levels.RmsDb, -25.0);
            EXPECT_LT(levels.RmsDb, -15.0);
        } else {
            EXPECT_GT(levels.RmsDb, -32.0);
            EXPECT_LT(levels.RmsDb, -6.0);
        }
    }
}

TEST_F(GeneratedAudio, EffectsStartAndEndWithoutAClick)
{
    for (const TExpected &expected : Sounds) {
        if (IsMusic(expected) || !Decoded.count(expected.Path))
            continue;
        SCOPED_TRACE(expected.Path);
        const std::vector<std::int16_t> &pcm = Decoded[expected.Path].Pcm;
        EXPECT_LT(std::abs(pcm.front()), 300);
        EXPECT_LT(std::abs(pcm.back()), 300);
    }
}

TEST_F(GeneratedAudio, EverySoundIsDistinct)
{
    for (std::size_t i = 0; i < std::size(Sounds); ++i)
        for (std::size_t j = i + 1; j < std::size(Sounds); ++j) {
            const auto a = Decoded.find(Sounds[i].Path), b = Decoded.find(Sounds[j].Path);
            if (a == Decoded.end() || b == Decoded.end())
                continue;
            SCOPED_TRACE(std::string(Sounds[i].Path) + " and " + Sounds[j].Path);
            const double la = Measure(a->second).Seconds, lb = Measure(b->second).Seconds;
            const bool otherLength = std::fabs(la - lb) > 0.02 * std::max(la, lb);
            EXPECT_TRUE(otherLength || Correlation(Envelope(a->second), Envelope(b->second)) < 0.98);
            EXPECT_NE(a->second.Pcm, b->second.Pcm);
        }
}

// The packed menu sounds are what their recipe asks for, worked out by hand: 16-bit mono WAV at 44100
// frames a second for 0.08 s and 0.15 s, peaks of -14 dB and -6 dB of full scale (32767 x 0.19953
// and x 0.50119). Read from the archive's bytes, not through a decoder.
TEST(PackedMenuSounds, HaveTheLengthAndPeakOfTheirRecipe)
{
    const struct {
        const char *Path;
        std::size_t Frames;
        int         Peak;
    } cases[] = {{"Data\\Sounds\\OnButton.WAV", 3528, 6538}, {"Data\\Sounds\\Click.WAV", 6615, 16422}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        const TMemFile file(GameDir + c.Path, &BuiltArchive());
        const std::vector<std::uint8_t> &bytes = file.Data;
        ASSERT_EQ(bytes.size(), 44 + 2 * c.Frames);
        auto u16 = [&](std::size_t at) { return unsigned(bytes[at]) | unsigned(bytes[at + 1]) << 8; };
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(u16(22), 1u);                        // mono
        EXPECT_EQ(u16(24) | u16(26) << 16, 44100u);    // frames a second
        EXPECT_EQ(u16(34), 16u);                       // bits a sample
        int peak = 0;
        for (std::size_t n = 0; n < c.Frames; ++n)
            peak = std::max(peak, std::abs(int(std::int16_t(u16(44 + 2 * n)))));
        EXPECT_EQ(peak, c.Peak);
    }
}

TEST_F(GeneratedAudio, ExplosionsGrowWithTheirSize)
{
    const char *sizes[] = {"Data\\Sounds\\Explosion_Small.WAV", "Data\\Sounds\\Explosion_Middle.WAV",
                           "Data\\Sounds\\Explosion_Large.WAV"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Decoded.count(sizes[i]) && Decoded.count(sizes[i + 1]));
        const TLevels smaller = Measure(Decoded[sizes[i]]), larger = Measure(Decoded[sizes[i + 1]]);
        EXPECT_LT(smaller.Seconds, larger.Seconds) << sizes[i];
        EXPECT_LT(smaller.RmsDb, larger.RmsDb) << sizes[i];
    }
}

// The last frame must flow into the first: the jump across the loop point is no larger than the
// steps the music takes anywhere inside, and the loudness on both sides matches.
TEST_F(GeneratedAudio, MusicLoopsWithoutAClick)
{
    for (const TExpected &expected : Sounds) {
        if (!IsMusic(expected) || !Decoded.count(expected.Path))
            continue;
        SCOPED_TRACE(expected.Path);
        const TDecodedSound &sound = Decoded[expected.Path];
        const std::size_t frames = sound.Pcm.size() / 2;
        const std::size_t window = std::size_t(sound.Rate / 10);
        for (std::size_t c = 0; c < 2; ++c) {
            auto at = [&](std::size_t frame) { return double(sound.Pcm[frame * 2 + c]); };
            std::vector<double> steps;
            steps.reserve(frames);
            for (std::size_t f = 0; f + 1 < frames; ++f)
                steps.push_back(std::fabs(at(f + 1) - at(f)));
            std::nth_element(steps.begin(), steps.begin() + std::ptrdiff_t(steps.size() * 999 / 1000), steps.end());
            const double usual = steps[steps.size() * 999 / 1000];
            EXPECT_LE(std::fabs(at(0) - at(frames - 1)), std::max(usual, 64.0));
            double head = 0, tail = 0;
            for (std::size_t f = 0; f < window; ++f) {
                head += at(f) * at(f);
                tail += at(frames - 1 - f) * at(frames - 1 - f);
            }
            EXPECT_LT(std::fabs(Db(std::sqrt(head / window)) - Db(std::sqrt(tail / window))), 6.0);
        }
    }
}

// --- The generator, run as the build runs it ----------------------------------------------------

const std::string AudioGen = std::string(ZEPHRONA_TOOLS_DIR) + "/audiogen";

// Runs a command; returns its exit code and puts its output (both streams) into Output.
int RunCommand(const std::string &command, std::string &output)
{
    output.clear();
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AudioGenTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("audiogen-test-" + std::to_string(::getpid()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }
    fs::path Write(const std::string &name, const std::string &text)
    {
        std::ofstream(Dir / name) << text;
        return Dir / name;
    }
    fs::path Dir;
};

TEST_F(AudioGenTool, SameRecipeGivesTheSameBytes)
{
    std::string output;
    ASSERT_EQ(RunCommand(AudioGen + " sfx " ZEPHRONA_SOURCE_DIR "/content/audio/Sounds.recipe " + Dir.string(), output), 0) << output;
    const fs::path staged = fs::path(ZEPHRONA_STAGE_DIR) / "Data" / "Sounds";
    int compared = 0;
    for (const auto &entry : fs::directory_iterator(Dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(ReadBytes(entry.path()), ReadBytes(staged / entry.path().filename()));
        ++compared;
    }
    EXPECT_EQ(compared, 21);

    // Music too: a small score rendered twice, with a note ringing over the loop point.
    const fs::path score = Write("Tiny.score",
                                 "song tempo=120 quality=0.1\n"
                                 "instrument pad saw voices=3 a=0.01 r=1.5 cutoff=2000\n"
                                 "instrument kick kick\n"
                                 "pattern a bars=2\n"
                                 "  chords Am G\n"
                                 "  pad C:8 . . . . . . . . . . . . . . C:10\n"
                                 "  kick x . . . x . . .\n"
                                 "order a\n");
    ASSERT_EQ(RunCommand(AudioGen + " music " + score.string() + " " + (Dir / "1.ogg").string(), output), 0) << output;
    ASSERT_EQ(RunCommand(AudioGen + " music " + score.string() + " " + (Dir / "2.ogg").string(), output), 0) << output;
    EXPECT_EQ(ReadBytes(Dir / "1.ogg"), ReadBytes(Dir / "2.ogg"));
    const std::string bytes = ReadBytes(Dir / "1.ogg");
    TDecodedSound sound;
    ASSERT_TRUE(DecodeSoundMemory(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), sound));
    EXPECT_EQ(sound.Channels, 2);
    EXPECT_EQ(sound.Pcm.size() / 2, std::size_t(44100 * 4));   // two bars at 120: exactly four seconds
}

// A recipe small enough to work out by hand: a 2000 Hz sine at 8000 Hz is four samples a cycle,
// 0, +A, 0, -A, with A the peak of -6 dB (32767 x 0.50119 = 16422); 0.1 s is 800 frames; the
// fades leave the first and the last sample at 0.
TEST_F(AudioGenTool, ASineRecipeGivesTheWaveWorkedOutByHand)
{
    const fs::path recipe = Write("known.recipe", "sound Known.wav\n  rate 8000\n  length 0.1\n  peak -6\n  layer sine\n    freq 2000\n");
    std::string output;
    ASSERT_EQ(RunCommand(AudioGen + " sfx " + recipe.string() + " " + Dir.string(), output), 0) << output;
    const std::string bytes = ReadBytes(Dir / "Known.wav");
    ASSERT_EQ(bytes.size(), 44u + 800 * 2);
    auto u16 = [&](std::size_t at) { return unsigned(std::uint8_t(bytes[at])) | unsigned(std::uint8_t(bytes[at + 1])) << 8; };
    auto sample = [&](std::size_t n) { return int(std::int16_t(u16(44 + 2 * n))); };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1u);                        // integer PCM
    EXPECT_EQ(u16(22), 1u);                        // mono
    EXPECT_EQ(u16(24) | u16(26) << 16, 8000u);     // frames a second
    EXPECT_EQ(u16(34), 16u);                       // bits a sample
    EXPECT_EQ(sample(0), 0);
    EXPECT_EQ(sample(799), 0);
    int peak = 0;
    for (std::size_t n = 0; n < 800; ++n)
        peak = std::max(peak, std::abs(sample(n)));
    EXPECT_EQ(peak, 16422);
    const int cycle[4] = {0, 16422, 0, -16422};
    for (std::size_t n = 8; n < 600; ++n)   // clear of the fades at both ends
        EXPECT_NEAR(sample(n), cycle[n % 4], 400) << "sample " << n;
}

TEST_F(AudioGenTool, BadSourcesAreRefusedWithTheirLine)
{
    struct TCase {
        const char *Command, *File, *Text, *Message;
    };
    const TCase cases[] = {
        {"sfx", "a.recipe", "layer sine\n", "a.recipe:1: a recipe starts with \"sound NAME\""},
        {"sfx", "a.recipe", "sound A.wav\n  layer hum\n", "a.recipe:2: unknown layer source \"hum\""},
        {"sfx", "a.recipe", "sound A.wav\n  layer sine\n  gain 0:1 0.5\n", "a.recipe:3: \"0.5\" is not a breakpoint time:value"},
        {"sfx", "a.recipe", "sound A.wav\n  layer sine\n  gain 0:1 0.5:1 0.2:0\n",
         "a.recipe:3: breakpoint times must not go backwards (\"0.2:0\")"},
        {"sfx", "a.recipe", "sound A.wav\n  peak 2\n  layer sine\n", "a.recipe:2: the peak must be at or below full scale (0 dB)"},
        {"sfx", "a.recipe", "sound A.wav\nsound A.wav\n", "a.recipe:2: the sound \"A.wav\" is already made above"},
        {"music", "a.score", "pattern a\n  lead c4\norder a\n", "a.score:2: no instrument is called \"lead\""},
        {"music", "a.score", "instrument lead saw\npattern a bars=1\n  chords Hm\n", "a.score:3: \"Hm\" is not a chord (like Am, F, G7, Cmaj7, Dsus4)"},
        {"music", "a.score", "instrument lead saw\npattern a bars=1\n  lead c4:12 d4:8\n",
         "a.score:3: the part is 20 steps long, but the pattern \"a\" has 16"},
        {"music", "a.score", "instrument lead saw\npattern a bars=1\n  lead c4 h4\n",
         "a.score:3: \"h4\" is not a step (rest, hold, hit, chord, chord tone or note)"},
        {"music", "a.score", "instrument lead saw fizz=2\n", "a.score:1: unknown instrument setting \"fizz\""},
        {"music", "a.score", "instrument pad saw\npattern a bars=1\n  pad C:16\norder a\n",
         "a.score: the pattern \"a\" plays chord tones (pad \"C:16\") but has no \"chords\" line"},
        {"music", "a.score", "instrument lead saw\npattern a bars=1\norder b\n", "a.score:3: the pattern \"b\" is not defined"},
        {"speech", "a.recipe", "speech A.wav en-us Hello\n", "a.recipe:1: a speech line is \"speech NAME [VOICE [SPEED [PITCH]]] | TEXT\""},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Text);
        const fs::path source = Write(c.File, c.Text);
        const std::string out = (Dir / (std::string(c.Command) == "music" ? "out.ogg" : "")).string();
        const std::string extra = std::string(c.Command) == "speech" ? " espeak-ng" : "";
        std::string output;
        EXPECT_EQ(RunCommand(AudioGen + " " + c.Command + " " + source.string() + " " + out + extra, output), 1);
        EXPECT_EQ(output, "audiogen: " + Dir.string() + "/" + c.Message + "\n");
    }
    std::string output;
    Write("b.recipe", "sound A.wav\n  layer sine\n");
    EXPECT_EQ(RunCommand(AudioGen + " sfx " + (Dir / "b.recipe").string() + " " + Dir.string() + " B.wav", output), 1);
    EXPECT_EQ(output, "audiogen: The recipe \"" + (Dir / "b.recipe").string() + "\" makes no sound \"B.wav\"\n");
}

} // namespace
