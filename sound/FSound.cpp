#include "sound/FSound.h"

#include "core/Log.h"
#include "sound/Decoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <memory>
#include <vector>

struct FSOUND_SAMPLE {
    ALuint   Buffer = 0;   // 0: nothing to play (no device, or a sound without frames)
    unsigned Mode = 0;
};

namespace {

// FMOD's defaults for a fresh channel: full volume, heard in 3D from 1 unit with no upper limit.
constexpr float DefaultMinDistance = 1.0f;
constexpr float DefaultMaxDistance = 1.0e9f;

struct TChannel {
    ALuint Source = 0;
    int    Serial = 0;       // bumped each time the channel is given to a sound
    bool   Waiting = false;  // started paused, not yet let go
};

struct TOutput {
    ALCdevice                                  *Device = nullptr;
    ALCcontext                                 *Context = nullptr;
    bool                                        Spatialize = false; // AL_SOFT_source_spatialize present
    std::vector<TChannel>                       Channels;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;
};

TOutput Output;

// A handle names a channel and the sound it was given: index + FSoundMaxChannels x serial.
int MakeHandle(std::size_t index, int serial) { return int(index) + FSoundMaxChannels * serial; }

TChannel *FindChannel(int handle)
{
    if (handle < 0)
        return nullptr;
    const std::size_t index = std::size_t(handle % FSoundMaxChannels);
    if (index >= Output.Channels.size() || Output.Channels[index].Serial != handle / FSoundMaxChannels)
        return nullptr;
    return &Output.Channels[index];
}

bool Busy(const TChannel &channel)
{
    if (channel.Waiting)
        return true;
    ALint state = AL_STOPPED;
    alGetSourcei(channel.Source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || state == AL_PAUSED;
}

// The channel a play call uses: the one asked for, or the first free one; -1 if none.
int PickChannel(int wanted)
{
    if (wanted >= 0)
        return wanted < int(Output.Channels.size()) ? wanted : -1;
    for (std::size_t i = 0; i < Output.Channels.size(); ++i)
        if (!Busy(Output.Channels[i]))
            return int(i);
    return -1;
}

// Left-handed caller axes to OpenAL's right-handed ones.
void SetVector(ALuint source, ALenum what, const float *v)
{
    if (v)
        alSource3f(source, what, v[0], v[1], -v[2]);
}

FSOUND_SAMPLE *AddSample(const TDecodedSound &sound, unsigned mode)
{
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    sample->Mode = mode;
    if (Output.Context && !sound.Pcm.empty()) {
        alGetError();
        alGenBuffers(1, &sample->Buffer);
        alBufferData(sample->Buffer, sound.Channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, sound.Pcm.data(),
                     ALsizei(sound.Pcm.size() * sizeof(std::int16_t)), sound.Rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &sample->Buffer);
            sample->Buffer = 0;
        }
    }
    Output.Samples.push_back(std::move(sample));
    return Output.Samples.back().get();
}

} // namespace

bool FSOUND_SetOutput(int) { return true; }
bool FSOUND_SetDriver(int) { return true; }
bool FSOUND_SetMixer(int) { return true; }

bool FSOUND_Init(int mixRate, int maxChannels, unsigned)
{
    FSOUND_Close();
    Output.Device = alcOpenDevice(nullptr);
    if (!Output.Device) {
        LogWrite("No audio device: the game runs without sound");
        return false;
    }
    const ALCint attributes[] = {ALC_FREQUENCY, mixRate, 0};
    Output.Context = alcCreateContext(Output.Device, attributes);
    if (!Output.Context || !alcMakeContextCurrent(Output.Context)) {
        LogWrite("The audio device refused a context: the game runs without sound");
        FSOUND_Close();
        return false;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    Output.Spatialize = alIsExtensionPresent("AL_SOFT_source_spatialize");
    const int wanted = std::clamp(maxChannels, 0, FSoundMaxChannels);
    alGetError();
    while (int(Output.Channels.size()) < wanted) {
        TChannel channel;
        alGenSources(1, &channel.Source);
        if (alGetError() != AL_NO_ERROR)
            break;   // the device gives no more
        Output.Channels.push_back(channel);
    }
    return true;
}

void FSOUND_Close()
{
    for (TChannel &channel : Output.Channels) {
        alSourceStop(channel.Source);
        alSourcei(channel.Source, AL_BUFFER, 0);
        alDeleteSources(1, &channel.Source);
    }
    Output.Channels.clear();
    for (const auto &sample : Output.Samples)
        if (sample->Buffer)
            alDeleteBuffers(1, &sample->Buffer);
    Output.Samples.clear();
    if (Output.Context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Output.Context);
    }
    if (Output.Device)
        alcCloseDevice(Output.Device);
    Output = TOutput{};
}

int FSOUND_GetMaxChannels() { return int(Output.Channels.size()); }

FSOUND_SAMPLE *FSOUND_Sample_Load(int, const char *nameOrData, unsigned mode, int offset, int length)
{
    TDecodedSound sound;
    const bool decoded = DecodeSoundSource(nameOrData, (mode & FSOUND_LOADMEMORY) != 0, offset, length, sound);
    return decoded ? AddSample(sound, mode & ~FSOUND_LOADMEMORY) : nullptr;
}

bool FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned mode)
{
    if (!sample)
        return false;
    sample->Mode = (sample->Mode & ~(FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL)) | (mode & (FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL));
    return true;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample) { return FSOUND_PlaySoundEx(channel, sample, nullptr, false); }

int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE *sample, void *, bool paused)
{
    if (!sample || !sample->Buffer)
        return -1;
    const int index = PickChannel(channel);
    if (index < 0)
        return -1;   // every channel is busy: the sound is dropped
    TChannel &target = Output.Channels[std::size_t(index)];
    const ALuint source = target.Source;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(sample->Buffer));
    alSourcei(source, AL_LOOPING, (sample->Mode & FSOUND_LOOP_NORMAL) ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
    alSourcef(source, AL_REFERENCE_DISTANCE, DefaultMinDistance);
    alSourcef(source, AL_MAX_DISTANCE, DefaultMaxDistance);
    // Flat until positioned: at the listener, neither panned nor attenuated.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0, 0, 0);
    alSource3f(source, AL_VELOCITY, 0, 0, 0);
    if (Output.Spatialize)
        alSourcei(source, AL_SOURCE_SPATIALIZE_SOFT, AL_FALSE);
    target.Serial = target.Serial % (0x7FFFFFFF / FSoundMaxChannels - 1) + 1;
    target.Waiting = paused;
    if (!paused)
        alSourcePlay(source);
    return MakeHandle(std::size_t(index), target.Serial);
}

bool FSOUND_SetVolume(int channel, int volume)
{
    TChannel *target = FindChannel(channel);
    if (!target)
        return false;
    alSourcef(target->Source, AL_GAIN, float(std::clamp(volume, 0, 255)) / 255.0f);
    return true;
}

bool FSOUND_SetPaused(int channel, bool paused)
{
    TChannel *target = FindChannel(channel);
    if (!target)
        return false;
    if (paused) {
        ALint state = AL_STOPPED;
        alGetSourcei(target->Source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            alSourcePause(target->Source);
    } else if (target->Waiting || Busy(*target)) {
        alSourcePlay(target->Source);   // starts a waiting channel, resumes a paused one
        target->Waiting = false;
    }
    return true;
}

bool FSOUND_IsPlaying(int channel)
{
    const TChannel *target = FindChannel(channel);
    return target && Busy(*target);
}

bool FSOUND_StopSound(int channel)
{
    TChannel *target = FindChannel(channel);
    if (!target)
        return false;
    alSourceStop(target->Source);
    target->Waiting = false;
    return true;
}

bool FSOUND_3D_SetAttributes(int channel, const float *position, const float *velocity)
{
    TChannel *target = FindChannel(channel);
    if (!target)
        return false;
    alSourcei(target->Source, AL_SOURCE_RELATIVE, AL_FALSE);
    if (Output.Spatialize)
        alSourcei(target->Source, AL_SOURCE_SPATIALIZE_SOFT, AL_TRUE);
    SetVector(target->Source, AL_POSITION, position);
    SetVector(target->Source, AL_VELOCITY, velocity);
    return true;
}

bool FSOUND_3D_SetMinMaxDistance(int channel, float minDistance, float maxDistance)
{
    TChannel *target = FindChannel(channel);
    if (!target || !(minDistance > 0))
        return false;
    alSourcef(target->Source, AL_REFERENCE_DISTANCE, minDistance);
    alSourcef(target->Source, AL_MAX_DISTANCE, std::max(minDistance, maxDistance));
    return true;
}

void FSOUND_3D_Listener_SetAttributes(const float *position, const float *velocity, float fx, float fy, float fz,
                                      float tx, float ty, float tz)
{
    if (!Output.Context)
        return;
    if (position)
        alListener3f(AL_POSITION, position[0], position[1], -position[2]);
    if (velocity)
        alListener3f(AL_VELOCITY, velocity[0], velocity[1], -velocity[2]);
    const ALfloat orientation[6] = {fx, fy, -fz, tx, ty, -tz};
    alListenerfv(AL_ORIENTATION, orientation);
}

void FSOUND_Update() {}
