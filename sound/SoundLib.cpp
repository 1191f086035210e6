#include "sound/SoundLib.h"

#include "core/Files.h"
#include "data/Extractor.h"

#include <stdexcept>

TSoundLib *SoundLib = nullptr;

namespace {

constexpr int MixRate = 22050;
constexpr int Channels = 128;

// The listener's velocity: constant, as the game has always passed it; with motionless sources it
// only shifts pitch a little.
constexpr float ListenerVelocity[3] = {0.0f, 1.5707964f, 0.0f};

} // namespace

TSoundLib::TSoundLib()
{
    FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
    FSOUND_SetDriver(0);
    FSOUND_SetMixer(FSOUND_MIXER_AUTODETECT);
    FSOUND_Init(MixRate, Channels, 0);
}

TSoundLib::~TSoundLib() { FSOUND_Close(); }

FSOUND_SAMPLE *TSoundLib::LoadSample(const std::string &fileName, bool looping)
{
    for (const TSampleEntry &entry : Samples)
        if (entry.FileName == fileName)
            return entry.Sample;
    Samples.push_back(TSampleEntry{fileName});
    TSampleEntry &entry = Samples.back();

    // One-shot sounds ask for hardware 3D, looping ones (music, engines) for nothing special.
    const unsigned mode = looping ? 0 : FSOUND_HW3D;
    const int index = Extractor ? Extractor->FindFile(fileName) : -1;
    if (index >= 0 && !FileExists(fileName)) {
        const std::vector<std::uint8_t> bytes = Extractor->ReadFile(index);
        entry.Sample = FSOUND_Sample_Load(-1, reinterpret_cast<const char *>(bytes.data()), mode | FSOUND_LOADMEMORY,
                                          0, int(bytes.size()));
    } else {
        entry.Sample = FSOUND_Sample_Load(-1, fileName.c_str(), mode, 0, 0);
        if (!entry.Sample)
            throw std::runtime_error("File not loaded: " + fileName);
    }
    FSOUND_Sample_SetMode(entry.Sample, looping ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
    entry.Loaded = true;
    return entry.Sample;
}

int TSoundLib::Play2D(FSOUND_SAMPLE *sample, int volume)
{
    if (volume <= 0)
        return -1;
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    FSOUND_SetVolume(channel, volume);
    return channel;
}

int TSoundLib::Play3D(FSOUND_SAMPLE *sample, const TVector3 &position, float minDistance, float maxDistance, int volume)
{
    if (!sample)
        return -1;
    const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, true);
    // The output's second axis points up: the game's altitude goes there, its y third.
    const float place[3] = {position.x, position.z, position.y};
    const float still[3] = {0, 0, 0};
    FSOUND_3D_SetAttributes(channel, place, still);
    FSOUND_SetVolume(channel, volume);
    FSOUND_3D_SetMinMaxDistance(channel, minDistance, maxDistance);
    FSOUND_Update();
    FSOUND_SetPaused(channel, false);
    return channel;
}

bool TSoundLib::IsPlaying(int channel) const { return FSOUND_IsPlaying(channel); }

void TSoundLib::SetVolume(int channel, int volume) { FSOUND_SetVolume(channel, volume); }

void TSoundLib::Stop(int &channel)
{
    if (channel == -1)
        return;
    FSOUND_StopSound(channel);
    channel = -1;
}

void TSoundLib::UpdateListener()
{
    if (!ListenerSource)
        return;
    const float place[3] = {ListenerSource->x, ListenerSource->z, ListenerSource->y};
    // Fixed orientation: sounds fade with distance but do not pan with the view.
    FSOUND_3D_Listener_SetAttributes(place, ListenerVelocity, 0, 0, 1, 0, 1, 0);
    FSOUND_Update();
}
