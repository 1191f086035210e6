// The menu's sounds as a player hears them: the hover and click sounds and the menu music on real
// OpenAL output, recorded by OpenAL Soft's wave writer while the menu runs in real time.

#include "core/Platform.h"
#include "data/Extractor.h"
#include "sound/Decoder.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"
#include "tests/SoundCapture.h"
#include "tests/TestUtil.h"
#include "tests/menu/MenuFixture.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

// What the output played, as one mono signal (the menu's sounds are flat: both speakers alike).
struct TRecording {
    int                Rate = 0;
    std::vector<float> Mono;
    double Seconds(std::size_t frame) const { return double(frame) / Rate; }
    std::size_t Frame(double seconds) const { return std::size_t(std::max(0.0, seconds) * Rate); }
    double Rms(double from, double to) const
    {
        double sum = 0;
        const std::size_t a = std::min(Frame(from), Mono.size()), b = std::min(Frame(to), Mono.size());
        for (std::size_t i = a; i < b; ++i)
            sum += double(Mono[i]) * Mono[i];
        return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
    }
};

// A stretch of sound between silences of at least 50 ms.
struct TBurst {
    std::size_t Start = 0, End = 0;
};

std::vector<TBurst> Bursts(const TRecording &r, float threshold)
{
    std::vector<TBurst> bursts;
    const std::size_t gap = r.Frame(0.05);
    for (std::size_t i = 0; i < r.Mono.size(); ++i)
        if (std::fabs(r.Mono[i]) > threshold) {
            if (bursts.empty() || i > bursts.back().End + gap)
                bursts.push_back({i, i});
            bursts.back().End = i;
        }
    return bursts;
}

// A sound of the archive decoded and brought to Rate (mono), as a pattern to look for.
std::vector<float> Pattern(const std::string &path, int rate)
{
    TMemFile file(path, Extractor);
    TDecodedSound sound;
    EXPECT_TRUE(DecodeSoundMemory(file.Data.data(), file.Data.size(), sound)) << path;
    std::vector<float> mono(sound.Pcm.size() / std::size_t(std::max(1, sound.Channels)));
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = sound.Pcm[i * std::size_t(sound.Channels)] / 32768.0f;
    if (sound.Rate == rate)
        return mono;
    // Each output frame averages the input frames it covers (a box filter is enough to compare).
    const double step = double(sound.Rate) / rate;
    std::vector<float> out(std::size_t(double(mono.size()) / step));
    for (std::size_t k = 0; k < out.size(); ++k) {
        const std::size_t a = std::size_t(double(k) * step), b = std::max(a + 1, std::size_t(double(k + 1) * step));
        double sum = 0;
        for (std::size_t i = a; i < b && i < mono.size(); ++i)
            sum += mono[i];
        out[k] = float(sum / double(b - a));
    }
    return out;
}

// The best normalised correlation of Pattern with the recording starting near Frame.
double Likeness(const TRecording &r, std::size_t frame, const std::vector<float> &pattern)
{
    double best = 0;
    const std::size_t early = r.Frame(0.02), late = r.Frame(0.005);
    for (std::size_t at = frame > early ? frame - early : 0; at <= frame + late; ++at) {
        double rp = 0, rr = 0, pp = 0;
        for (std::size_t k = 0; k < pattern.size() && at + k < r.Mono.size(); ++k) {
            rp += double(r.Mono[at + k]) * pattern[k];
            rr += double(r.Mono[at + k]) * r.Mono[at + k];
            pp += double(pattern[k]) * pattern[k];
        }
        if (rr > 0 && pp > 0)
            best = std::max(best, rp / std::sqrt(rr * pp));
    }
    return best;
}

class MenuSoundTest : public MenuTest {
protected:
    void SetUp() override
    {
        CaptureSetup();
        MenuTest::SetUp();
        if (IsSkipped())
            return;
        MenuMusicChannel = -1;
        Lib = std::make_unique<TSoundLib>();
        ASSERT_GT(FSOUND_GetMaxChannels(), 0) << "the wave writer did not open";
        SoundLib = Lib.get();
        Started = TClock::now();
    }
    void TearDown() override
    {
        StopOutput();
        MenuTest::TearDown();
    }

    // Menu frames of 25 ms, each given 25 ms of real time, for Ms.
    void Live(int ms)
    {
        TClock::time_point next = TClock::now();
        for (int t = 0; t < ms; t += 25) {
            Frame(25);
            next += std::chrono::milliseconds(25);
            std::this_thread::sleep_until(next);
        }
    }
    double Now() const { return std::chrono::duration<double>(TClock::now() - Started).count(); }

    // Closes the output (the menu first: its sounds belong to the library) and reads the recording.
    TRecording StopOutput()
    {
        if (!Lib)
            return {};
        MenuObject.reset();
        SoundLib = nullptr;
        Lib.reset();
        OnButtonSound = ClickSound = MenuMusic = nullptr;
        MenuMusicChannel = -1;
        const TCapture capture = ReadCapture();
        TRecording recording;
        recording.Rate = capture.Rate;
        const std::size_t channels = std::size_t(std::max(1, capture.Channels));
        recording.Mono.resize(capture.Samples.size() / channels);
        for (std::size_t i = 0; i < recording.Mono.size(); ++i) {
            float sum = 0;
            for (std::size_t c = 0; c < channels; ++c)
                sum += capture.Samples[i * channels + c];
            recording.Mono[i] = sum / float(channels);
        }
        return recording;
    }

    std::unique_ptr<TSoundLib> Lib;
    TClock::time_point         Started;
};

// Hover plays on moving onto a button and when a new page comes up with a button under the cursor;
// staying on a button plays nothing more; a click plays the click sound at once.
TEST_F(MenuSoundTest, HoverAndClickSoundsAreHeardWhenThePlayerActs)
{
    StartMenu({"Ace"}, 0, [](TConfig &config) { config.MusicVolume = 0; });   // nothing but the menu's sounds
    Live(300);
    const TButton &options = Page<TMainPage>(PageMain).Options;
    std::vector<double> moments;   // hover, click, hover on the next page
    PointAt(options.Rect);
    moments.push_back(Now());
    Live(700);   // staying on the button
    Down[VkLeftButton] = true;
    moments.push_back(Now());
    Frame();
    Down[VkLeftButton] = false;
    while (MenuPage != PageOptions && Now() < moments[1] + 3)
        Live(25);
    ASSERT_EQ(MenuPage, PageOptions);
    moments.push_back(Now());   // its "SOUND" button sits where "Options" was
    Live(700);
    Point(0, 330);   // off every button: nothing plays
    Live(500);

    const TRecording recording = StopOutput();
    ASSERT_GT(recording.Rate, 0);
    const std::vector<float> hover = Pattern(AppDir + "Data\\Sounds\\OnButton.WAV", recording.Rate);
    const std::vector<float> click = Pattern(AppDir + "Data\\Sounds\\Click.WAV", recording.Rate);
    const std::vector<TBurst> bursts = Bursts(recording, 0.002f);
    ASSERT_EQ(bursts.size(), 3u) << "hover, click, hover; nothing while staying or leaving";
    const bool isHover[] = {true, false, true};
    for (std::size_t i = 0; i < bursts.size(); ++i) {
        SCOPED_TRACE(i);
        const double asHover = Likeness(recording, bursts[i].Start, hover), asClick = Likeness(recording, bursts[i].Start, click);
        EXPECT_GT(isHover[i] ? asHover : asClick, 0.8) << "hover " << asHover << ", click " << asClick;
        EXPECT_LT(isHover[i] ? asClick : asHover, 0.5) << "hover " << asHover << ", click " << asClick;
        // Heard when the player acted, measured from the first sound.
        const double heard = recording.Seconds(bursts[i].Start) - recording.Seconds(bursts[0].Start);
        EXPECT_NEAR(heard, moments[i] - moments[0], 0.15);
    }
}

// The music volume of the sound page sets the music's level at once: half the volume, half the
// level; none at 0. A steady tone stands in for the menu theme so that levels compare directly.
TEST_F(MenuSoundTest, MusicVolumeSetsTheMusicLevel)
{
    {
        SF_INFO info{};
        info.samplerate = 22050;
        info.channels = 1;
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        fs::create_directories(GameDir() / "Data" / "Music");
        SNDFILE *file = sf_open((GameDir() / "Data" / "Music" / "Menu.ogg").c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<float> tone(22050);   // one second of 441 Hz: a whole number of cycles, so it loops smoothly
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = 0.5f * std::sin(2.0f * 3.14159265f * 441.0f * float(i) / 22050.0f);
        sf_writef_float(file, tone.data(), sf_count_t(tone.size()));
        sf_close(file);
    }
    // The sound volume at 0 keeps the arrows' clicks out of the recording.
    StartMenu({"Ace"}, 0, [](TConfig &config) { config.SoundVolume = 0; });
    const double musicStarted = Now();
    Menu->ShowPage(PageSound);
    auto &sound = Page<TSoundPage>(PageSound);
    std::vector<std::pair<int, double>> settings;   // (music volume, when it was set)
    auto setTo = [&](int volume) {
        for (int clicks = 0; clicks < 11 && Config->MusicVolume != volume; ++clicks)
            Click(sound.Music.Left.Rect);
        ASSERT_EQ(Config->MusicVolume, volume) << "the music box does not reach " << volume;
        settings.emplace_back(volume, Now());
        Live(900);
    };
    settings.emplace_back(Config->MusicVolume, musicStarted);
    Live(900);
    for (int volume : {50, 0, 20}) {
        setTo(volume);
        if (HasFatalFailure())
            return;
    }
    ASSERT_EQ(settings.front().first, 100);

    const TRecording recording = StopOutput();
    const std::vector<TBurst> bursts = Bursts(recording, 0.002f);
    ASSERT_FALSE(bursts.empty()) << "no music";
    const double offset = recording.Seconds(bursts[0].Start) - musicStarted;   // the recording's clock
    std::vector<double> levels;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const double from = settings[i].second + offset + 0.25, to = from + 0.45;
        levels.push_back(recording.Rms(from, to));
    }
    // A sine of 0.5 at 100 of 255, spread over two speakers: clearly heard.
    EXPECT_GT(levels[0], 0.03);
    EXPECT_NEAR(levels[1] / levels[0], 0.5, 0.05) << "volume 50";
    EXPECT_LT(levels[2] / levels[0], 0.01) << "volume 0";
    EXPECT_NEAR(levels[3] / levels[0], 0.2, 0.03) << "volume 20";
}

} // namespace
