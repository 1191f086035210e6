#pragma once
// The sample library every part of the game plays sound through: sounds loaded once and cached by
// name, played flat (menu clicks, music, notices) or placed in the world (engines, guns,
// explosions), and the listener that follows the player's aircraft.

#include "core/Maths.h"
#include "sound/FSound.h"

#include <string>
#include <vector>

struct TSampleEntry {
    std::string    FileName;          // the path as requested: the cache key, letter case included
    FSOUND_SAMPLE *Sample = nullptr;  // null: the sound could not be decoded and plays nothing
    bool           Loaded = false;
};

class TSoundLib {
public:
    // Opens the audio output; a machine without sound runs silently.
    TSoundLib();
    // Closes the output. The game never destroys its sound library; tests do.
    ~TSoundLib();
    TSoundLib(const TSoundLib &) = delete;
    TSoundLib &operator=(const TSoundLib &) = delete;

    // The sample for a game path, loaded on first use from the archive (through the global
    // Extractor) or, when a loose file overrides it or the archive lacks it, from the disk. Later
    // calls with the same name return the first result, whatever Looping says. Throws
    // "File not loaded: <name>" when a loose file cannot be decoded; an archive entry that cannot
    // be decoded gives null.
    FSOUND_SAMPLE *LoadSample(const std::string &fileName, bool looping);
    // Plays the sample flat at Volume (0..100 as set by the player; 0 or less plays nothing).
    // Returns the channel, or -1.
    int Play2D(FSOUND_SAMPLE *sample, int volume);
    // Plays the sample at a world position (x, y horizontal, z altitude): full volume within
    // MinDistance, falling off beyond it, no further past MaxDistance. Returns the channel, or -1.
    int Play3D(FSOUND_SAMPLE *sample, const TVector3 &position, float minDistance, float maxDistance, int volume);
    bool IsPlaying(int channel) const;
    void SetVolume(int channel, int volume);
    // Stops the channel held in Channel, if any, and sets the variable to -1.
    void Stop(int &channel);
    // Moves the listener to *ListenerSource; called once per mission frame after the scene set it.
    void UpdateListener();

    const TVector3 *ListenerSource = nullptr;   // the player aircraft's position, refreshed by the scene
    const void     *SecondSource = nullptr;     // kept for the scene; not used here
    std::vector<TSampleEntry> Samples;          // the cache, in load order; never shrinks
};

// The sound library of the run, created at start-up after the splash screen.
extern TSoundLib *SoundLib;
