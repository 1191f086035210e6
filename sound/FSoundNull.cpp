// The audio output of programs that have no audio device by design (the headless tools, the mission
// runner, the tests that need no sound): every sound is still decoded, so a bad file is reported as
// the real output reports it, and nothing is ever played.

#include "sound/FSound.h"

#include "sound/Decoder.h"

#include <memory>
#include <vector>

struct FSOUND_SAMPLE {
    unsigned Mode = 0;
};

namespace {

std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;

} // namespace

bool FSOUND_SetOutput(int) { return true; }
bool FSOUND_SetDriver(int) { return true; }
bool FSOUND_SetMixer(int) { return true; }
bool FSOUND_Init(int, int, unsigned) { return false; }
void FSOUND_Close() { Samples.clear(); }
int FSOUND_GetMaxChannels() { return 0; }

FSOUND_SAMPLE *FSOUND_Sample_Load(int, const char *nameOrData, unsigned mode, int offset, int length)
{
    TDecodedSound sound;
    const bool decoded = DecodeSoundSource(nameOrData, (mode & FSOUND_LOADMEMORY) != 0, offset, length, sound);
    if (!decoded)
        return nullptr;
    Samples.push_back(std::make_unique<FSOUND_SAMPLE>(FSOUND_SAMPLE{mode & ~FSOUND_LOADMEMORY}));
    return Samples.back().get();
}

bool FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned mode)
{
    if (!sample)
        return false;
    sample->Mode = (sample->Mode & ~(FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL)) | (mode & (FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL));
    return true;
}

int FSOUND_PlaySound(int, FSOUND_SAMPLE *) { return -1; }
int FSOUND_PlaySoundEx(int, FSOUND_SAMPLE *, void *, bool) { return -1; }
bool FSOUND_SetVolume(int, int) { return false; }
bool FSOUND_SetPaused(int, bool) { return false; }
bool FSOUND_IsPlaying(int) { return false; }
bool FSOUND_StopSound(int) { return false; }
bool FSOUND_3D_SetAttributes(int, const float *, const float *) { return false; }
bool FSOUND_3D_SetMinMaxDistance(int, float, float) { return false; }
void FSOUND_3D_Listener_SetAttributes(const float *, const float *, float, float, float, float, float, float) {}
void FSOUND_Update() {}
