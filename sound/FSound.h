#pragma once
// The audio output the sound library is written against: a small set of "FSOUND" calls (output
// set-up, sample loading, 2D and 3D playback on numbered channels, volume, pause, stop, listener)
// served by OpenAL Soft, with WAV and Ogg Vorbis decoded by libsndfile. Only this module talks to
// OpenAL. All calls are made from the main thread.
//
// Axes are left-handed as the callers write them: x right, y up, z forward; the layer turns them
// into OpenAL's right-handed axes. Volumes run 0..255. A 3D channel is heard at full volume inside
// its minimum distance, at minimum / distance beyond it, and no quieter than at its maximum distance.
//
// Without an audio device every call still succeeds where it can and plays nothing: samples are
// decoded (so a bad file is reported the same everywhere), channels are never handed out.

struct FSOUND_SAMPLE;   // a decoded sound; owned by the layer until FSOUND_Close

constexpr int FSOUND_FREE = -1;             // "any free channel" for the play calls
constexpr int FSOUND_OUTPUT_DSOUND = 2;
constexpr int FSOUND_MIXER_AUTODETECT = 0;

// Sample mode bits.
constexpr unsigned FSOUND_LOOP_OFF = 1;
constexpr unsigned FSOUND_LOOP_NORMAL = 2;
constexpr unsigned FSOUND_HW3D = 0x1000;
constexpr unsigned FSOUND_2D = 0x2000;
constexpr unsigned FSOUND_LOADMEMORY = 0x8000;   // NameOrData is a byte block of Length bytes

constexpr int FSoundMaxChannels = 4096;   // channel handles carry the index below this

// Output choice before FSOUND_Init; OpenAL picks its own output, so these only record the wish.
bool FSOUND_SetOutput(int output);
bool FSOUND_SetDriver(int driver);
bool FSOUND_SetMixer(int mixer);
// Opens the default audio device mixing at MixRate with up to MaxChannels channels (fewer if the
// device gives fewer). False when there is no device: the layer then stays silent.
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
// Stops every channel, frees every sample and closes the device.
void FSOUND_Close();
// Channels available now; 0 without a device.
int FSOUND_GetMaxChannels();

// Decodes a WAV or Ogg Vorbis sound from a file (a game path) or, with FSOUND_LOADMEMORY, from
// Length bytes at NameOrData + Offset. Index is accepted for the interface's sake (always -1 here).
// Null when the sound cannot be decoded.
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *nameOrData, unsigned mode, int offset, int length);
// The loop mode (FSOUND_LOOP_OFF or FSOUND_LOOP_NORMAL) used by later plays of the sample.
bool FSOUND_Sample_SetMode(FSOUND_SAMPLE *sample, unsigned mode);

// Starts the sample flat (not positioned) at full volume. Channel is FSOUND_FREE or a channel index.
// Returns the channel handle, or -1 when the sample is null or silent or every channel is busy.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample);
// As FSOUND_PlaySound; a paused channel waits for FSOUND_SetPaused(false). Dsp is not used.
int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE *sample, void *dsp, bool paused);

// Calls on a channel handle: a handle of a channel that has since been given to another sound, or
// -1, is ignored (false).
bool FSOUND_SetVolume(int channel, int volume);
bool FSOUND_SetPaused(int channel, bool paused);
bool FSOUND_IsPlaying(int channel);   // true while playing or paused
bool FSOUND_StopSound(int channel);
// Positions the channel in the world (it is then heard in 3D); Velocity may be null.
bool FSOUND_3D_SetAttributes(int channel, const float *position, const float *velocity);
bool FSOUND_3D_SetMinMaxDistance(int channel, float minDistance, float maxDistance);
// The listener: position, velocity (either may be null), forward and top vectors.
void FSOUND_3D_Listener_SetAttributes(const float *position, const float *velocity, float fx, float fy, float fz,
                                      float tx, float ty, float tz);
// Commits 3D changes; OpenAL applies them at once, so there is nothing left to do.
void FSOUND_Update();
