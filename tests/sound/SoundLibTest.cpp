// The sample library on real output: OpenAL Soft's wave writer records what is mixed into a file of
// this process's own, and the tests look at what was heard.

#include "core/Platform.h"
#include "data/Extractor.h"
#include "sound/Decoder.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"
#include "tests/SoundCapture.h"
#include "tools/dpg/DpgWriter.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr int SampleRate = 22050;
constexpr float SineAmplitude = 0.5f;
constexpr int SoundMs = 300;

std::vector<std::uint8_t> ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 440 Hz sine of SoundMs in the given libsndfile format.
void WriteSine(const fs::path &path, int format)
{
    SF_INFO info{};
    info.samplerate = SampleRate;
    info.channels = 1;
    info.format = format;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> wave(std::size_t(SampleRate * SoundMs / 1000));
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = SineAmplitude * std::sin(2.0f * 3.14159265f * 440.0f * float(i) / SampleRate);
    sf_writef_float(file, wave.data(), sf_count_t(wave.size()));
    sf_close(file);
}

struct TRecording {
    int                Channels = 0;
    std::vector<float> Samples;   // interleaved
    // The loudest sample of one channel, or of all with -1.
    float Peak(int channel = -1) const
    {
        float peak = 0;
        for (std::size_t i = 0; i < Samples.size(); ++i)
            if (channel < 0 || int(i % std::size_t(Channels)) == channel)
                peak = std::max(peak, std::fabs(Samples[i]));
        return peak;
    }
};

class SoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        Dir = CaptureSetup().Dir / "game";
        fs::remove_all(Dir);
        fs::create_directories(Dir / "Data" / "Sounds");
        Base = Dir.string() + "/";
        WriteSine(Dir / "Data/Sounds/Beep.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        WriteSine(Dir / "Data/Sounds/Beep.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS);
        Extractor = new TExtractor();
    }
    void TearDown() override
    {
        delete Extractor;
        Extractor = nullptr;
        fs::remove_all(Dir);
    }

    // Packs the listed loose files into the game folder's archive and removes them from the disk.
    void PackIntoArchive(const std::vector<std::string> &names)
    {
        std::vector<TDpgFile> files;
        for (const std::string &name : names) {
            files.push_back({"Data\\Sounds\\" + name, ReadBytes(Dir / "Data/Sounds" / name)});
            fs::remove(Dir / "Data/Sounds" / name);
        }
        const std::vector<std::uint8_t> image = BuildDpg(files);
        std::ofstream(Dir / "Data.dpg", std::ios::binary)
            .write(reinterpret_cast<const char *>(image.data()), std::streamsize(image.size()));
        Extractor->LoadFromFile(Base + "Data.dpg");
        Extractor->SetPath(Base);
    }

    std::string Sound(const std::string &name) const { return Base + "Data\\Sounds\\" + name; }

    // Opens the output, lets Play start sounds, records for a while and closes the output.
    TRecording Record(const std::function<void(TSoundLib &)> &play, int ms = SoundMs + 150)
    {
        {
            TSoundLib lib;
            EXPECT_GT(FSOUND_GetMaxChannels(), 0) << "the wave writer did not open";
            SoundLib = &lib;
            play(lib);
            SleepMs(ms);
            SoundLib = nullptr;
        }
        TCapture capture = ReadCapture();
        TRecording recording;
        recording.Channels = capture.Channels;
        recording.Samples = std::move(capture.Samples);
        return recording;
    }

    fs::path    Dir;
    std::string Base;
};

TEST_F(SoundTest, PlayedSamplesAreHeardFromDiskAndArchive)
{
    PackIntoArchive({"Beep.ogg"});
    std::vector<float> peaks;
    for (const char *name : {"Beep.wav", "Beep.ogg"}) {
        SCOPED_TRACE(name);
        const TRecording recording = Record([&](TSoundLib &lib) {
            EXPECT_GE(lib.Play2D(lib.LoadSample(Sound(name), false), 100), 0);
        });
        EXPECT_EQ(recording.Channels, 2);
        peaks.push_back(recording.Peak());
    }
    // Volume 100 of 255 on a sine of 0.5, centred: each speaker gets a little over 0.1.
    EXPECT_GT(peaks[0], 0.1f);
    EXPECT_LT(peaks[0], 0.15f);
    EXPECT_NEAR(peaks[1], peaks[0], 0.01f) << "the Ogg copy plays as loud as the WAV";
}

TEST_F(SoundTest, VolumeZeroPlaysNothing)
{
    const TRecording recording = Record([&](TSoundLib &lib) {
        FSOUND_SAMPLE *beep = lib.LoadSample(Sound("Beep.wav"), false);
        ASSERT_NE(beep, nullptr);
        EXPECT_EQ(lib.Play2D(beep, 0), -1);
        EXPECT_EQ(lib.Play2D(beep, -5), -1);
    });
    ASSERT_FALSE(recording.Samples.empty());
    EXPECT_EQ(recording.Peak(), 0.0f);
}

TEST_F(SoundTest, DistanceFallsOffAsMinimumOverDistance)
{
    // The listener faces the game's +y; sounds straight ahead at different distances, min 100, max 400.
    const TVector3 listener{1000, 2000, 50};
    auto peakAt = [&](TVector3 offset, float maxDistance) {
        const TVector3 at{listener.x + offset.x, listener.y + offset.y, listener.z + offset.z};
        return Record([&](TSoundLib &lib) {
                   lib.ListenerSource = &listener;
                   lib.UpdateListener();
                   EXPECT_GE(lib.Play3D(lib.LoadSample(Sound("Beep.wav"), false), at, 100, maxDistance, 255), 0);
               }).Peak();
    };
    const float inside = peakAt({0, 50, 0}, 400);
    const float atFour = peakAt({0, 400, 0}, 400);
    const float beyondMax = peakAt({0, 800, 0}, 400);
    ASSERT_GT(inside, 0.1f);
    EXPECT_NEAR(atFour / inside, 0.25f, 0.03f);
    EXPECT_NEAR(beyondMax / atFour, 1.0f, 0.05f) << "no further fall-off beyond the maximum distance";
}

TEST_F(SoundTest, SoundToTheEastIsOnTheRight)
{
    const TVector3 listener{0, 0, 0};
    const TRecording recording = Record([&](TSoundLib &lib) {
        lib.ListenerSource = &listener;
        lib.UpdateListener();
        lib.Play3D(lib.LoadSample(Sound("Beep.wav"), false), TVector3{300, 0, 0}, 100, 400, 255);
    });
    ASSERT_EQ(recording.Channels, 2);
    EXPECT_GT(recording.Peak(1), 2 * recording.Peak(0)) << "left " << recording.Peak(0) << ", right " << recording.Peak(1);
}

TEST_F(SoundTest, CacheKeepsTheFirstLoadByExactName)
{
    TSoundLib lib;
    FSOUND_SAMPLE *first = lib.LoadSample(Sound("Beep.wav"), false);
    ASSERT_NE(first, nullptr);
    fs::remove(Dir / "Data/Sounds/Beep.wav");   // a second read would now fail
    EXPECT_EQ(lib.LoadSample(Sound("Beep.wav"), true), first) << "same name, whatever the mode";
    EXPECT_EQ(lib.Samples.size(), 1u);
    // Another spelling is another entry, read on its own.
    EXPECT_THROW(lib.LoadSample(Base + "Data\\Sounds\\BEEP.wav", false), std::runtime_error);
    EXPECT_EQ(lib.Samples.size(), 2u);
}

TEST_F(SoundTest, LooseFilesThatCannotBeDecodedAreReported)
{
    std::ofstream(Dir / "Data/Sounds/Noise.wav") << "RIFF, but not a sound at all";
    TSoundLib lib;
    for (const char *name : {"Noise.wav", "Missing.ogg"}) {
        try {
            lib.LoadSample(Sound(name), false);
            ADD_FAILURE() << name << " loaded";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), "File not loaded: " + Sound(name));
        }
    }
}

TEST_F(SoundTest, ArchiveEntryThatCannotBeDecodedPlaysNothing)
{
    std::ofstream(Dir / "Data/Sounds/Noise.wav") << "RIFF, but not a sound at all";
    PackIntoArchive({"Noise.wav", "Beep.wav"});
    TSoundLib lib;
    EXPECT_EQ(lib.LoadSample(Sound("Noise.wav"), false), nullptr);
    EXPECT_EQ(lib.Play2D(nullptr, 100), -1);
    EXPECT_EQ(lib.Play3D(nullptr, TVector3{}, 100, 400, 100), -1);
    EXPECT_NE(lib.LoadSample(Sound("Beep.wav"), false), nullptr) << "read from the archive's memory";
    // A loose file overrides the archive entry.
    std::ofstream(Dir / "Data/Sounds/Beep.wav") << "not a sound";
    EXPECT_THROW(lib.LoadSample(Sound("beep.wav"), false), std::runtime_error);
}

TEST_F(SoundTest, CutShortSoundsDecodeNoFurtherThanTheirBytes)
{
    for (const char *name : {"Beep.wav", "Beep.ogg"}) {
        const std::vector<std::uint8_t> whole = ReadBytes(Dir / "Data/Sounds" / name);
        TDecodedSound full;
        ASSERT_TRUE(DecodeSoundMemory(whole.data(), whole.size(), full)) << name;
        EXPECT_EQ(full.Channels, 1);
        EXPECT_EQ(full.Rate, SampleRate);
        EXPECT_EQ(full.Pcm.size(), std::size_t(SampleRate * SoundMs / 1000)) << name;
        for (std::size_t cut : {std::size_t(0), std::size_t(4), std::size_t(12), std::size_t(43), std::size_t(44),
                                std::size_t(200), whole.size() / 2, whole.size() - 1}) {
            SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(cut));
            const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
            TDecodedSound sound;
            if (DecodeSoundMemory(part.data(), part.size(), sound)) {
                EXPECT_LE(sound.Pcm.size(), full.Pcm.size());
            }
        }
    }
}

TEST_F(SoundTest, BusyChannelsDropNewSoundsAndStaleHandlesDoNothing)
{
    TSoundLib lib;
    FSOUND_SAMPLE *loop = lib.LoadSample(Sound("Beep.wav"), true);
    const int available = FSOUND_GetMaxChannels();
    EXPECT_GE(available, 128);
    std::vector<int> channels;
    std::set<int> distinct;
    for (int i = 0; i < available; ++i) {
        channels.push_back(lib.Play2D(loop, 10));
        distinct.insert(channels.back());
    }
    EXPECT_EQ(distinct.size(), std::size_t(available));
    EXPECT_EQ(distinct.count(-1), 0u);
    EXPECT_EQ(lib.Play2D(loop, 10), -1) << "every channel is busy";
    EXPECT_EQ(lib.Play3D(loop, TVector3{}, 100, 400, 10), -1);
    EXPECT_TRUE(lib.IsPlaying(channels[5]));

    int stopped = channels[5];
    lib.Stop(stopped);
    EXPECT_EQ(stopped, -1);
    lib.Stop(stopped);   // already -1: nothing happens
    EXPECT_FALSE(lib.IsPlaying(channels[5]));
    const int again = lib.Play2D(loop, 10);
    EXPECT_GE(again, 0);
    EXPECT_NE(again, channels[5]) << "a channel given to a new sound gets a new handle";
    EXPECT_FALSE(lib.IsPlaying(channels[5]));
    EXPECT_FALSE(FSOUND_StopSound(channels[5])) << "the old handle no longer reaches the channel";
    EXPECT_TRUE(lib.IsPlaying(again));
}

TEST_F(SoundTest, OneShotEndsAndLoopKeepsPlaying)
{
    TSoundLib lib;
    const int once = lib.Play2D(lib.LoadSample(Sound("Beep.wav"), false), 10);
    const int loop = lib.Play2D(lib.LoadSample(Sound("Beep.ogg"), true), 10);
    EXPECT_TRUE(lib.IsPlaying(once));
    // The mixer runs on its own clock: allow it time to reach the end on a busy machine.
    for (int waited = 0; waited < 3000 && lib.IsPlaying(once); waited += 50)
        SleepMs(50);
    EXPECT_FALSE(lib.IsPlaying(once));
    EXPECT_TRUE(lib.IsPlaying(loop));
}

TEST_F(SoundTest, MusicFollowsTheMenuAndTheMission)
{
    TSoundLib lib;
    SoundLib = &lib;
    MenuMusic = lib.LoadSample(Sound("Beep.ogg"), true);
    GameMusic = lib.LoadSample(Sound("Beep.wav"), true);
    MenuMusicChannel = GameMusicChannel = -1;

    MusicFrame(true, 0);
    EXPECT_EQ(MenuMusicChannel, -1) << "music at volume 0 is never started";
    MusicFrame(true, 60);
    EXPECT_TRUE(lib.IsPlaying(MenuMusicChannel));
    const int menuChannel = MenuMusicChannel;
    MusicFrame(true, 60);
    EXPECT_EQ(MenuMusicChannel, menuChannel) << "a playing stream is not restarted";

    MusicFrame(false, 60);
    EXPECT_EQ(MenuMusicChannel, -1);
    EXPECT_FALSE(lib.IsPlaying(menuChannel));
    EXPECT_TRUE(lib.IsPlaying(GameMusicChannel));

    MusicFrame(true, 60);
    EXPECT_EQ(GameMusicChannel, -1);
    EXPECT_TRUE(lib.IsPlaying(MenuMusicChannel));

    GameMusic = nullptr;
    MusicFrame(false, 60);
    EXPECT_EQ(MenuMusicChannel, -1);
    EXPECT_EQ(GameMusicChannel, -1) << "a mission without music is silent";

    SoundLib = nullptr;
    MenuMusic = nullptr;
}

TEST_F(SoundTest, WithoutAnAudioDeviceTheGameRunsSilent)
{
    fs::remove_all(CaptureSetup().WaveDir);   // the wave writer cannot open its file: no device
    {
        TSoundLib lib;
        SoundLib = &lib;
        EXPECT_EQ(FSOUND_GetMaxChannels(), 0);
        FSOUND_SAMPLE *beep = lib.LoadSample(Sound("Beep.wav"), false);
        EXPECT_NE(beep, nullptr);
        EXPECT_THROW(lib.LoadSample(Sound("Missing.wav"), false), std::runtime_error);
        EXPECT_EQ(lib.Play2D(beep, 100), -1);
        EXPECT_EQ(lib.Play3D(beep, TVector3{}, 100, 400, 100), -1);
        EXPECT_FALSE(lib.IsPlaying(-1));
        const TVector3 listener{};
        lib.ListenerSource = &listener;
        lib.UpdateListener();
        MenuMusic = beep;
        MusicFrame(true, 100);
        EXPECT_EQ(MenuMusicChannel, -1);
        MenuMusic = nullptr;
        SoundLib = nullptr;
    }
    fs::create_directories(CaptureSetup().WaveDir);
}

} // namespace

TEST(SoundDecoder, SixteenBitSamplesDecodeToThemselves)
{
    // A mono 16-bit WAV written byte by byte: its samples include both ends of the range.
    const std::vector<std::int16_t> samples = {0, 1, -1, 16422, -16422, 32767, -32768, 12345};
    std::vector<std::uint8_t> wav;
    const auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) wav.push_back(std::uint8_t(v >> (8 * i))); };
    const auto put16 = [&](std::uint16_t v) { wav.push_back(std::uint8_t(v)); wav.push_back(std::uint8_t(v >> 8)); };
    const auto tag = [&](const char *t) { for (int i = 0; i < 4; ++i) wav.push_back(std::uint8_t(t[i])); };
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    tag("RIFF"); put32(36 + dataBytes); tag("WAVE");
    tag("fmt "); put32(16); put16(1); put16(1); put32(22050); put32(44100); put16(2); put16(16);
    tag("data"); put32(dataBytes);
    for (std::int16_t s : samples)
        put16(std::uint16_t(s));
    TDecodedSound sound;
    ASSERT_TRUE(DecodeSoundMemory(wav.data(), wav.size(), sound));
    EXPECT_EQ(sound.Channels, 1);
    EXPECT_EQ(sound.Rate, 22050);
    EXPECT_EQ(sound.Pcm, samples);
}
