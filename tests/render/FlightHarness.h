#pragma once
// Flights that a test writes as a recording and the real game replays once, with screenshots along
// the way: each test in its own copy of the game folder, light drawing settings, a probe run for
// where the game parks the cursor and the bindings it plays with, and one replay with "-shots" that
// hands back the mission's line at every shot.
//
// With ZEPHRONA_KEEP_SHOTS set to a folder, every screenshot is copied there as well.

#include "data/Config.h"
#include "tests/GameRun.h"
#include "tests/TestUtil.h"
#include "tests/render/Pilot.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A screenshot to take: after Frame frames, named Name (the file is Name.png in the test's folder).
struct TShotAt {
    int Frame = 0;
    std::string Name;
};

// One replay.
struct TFlightReplay {
    TRun Run;
    std::map<std::string, std::string> Lines;   // each shot's mission line ("mission: ..."), by name
    std::string Final;                          // the mission line the run ended with
};

class FlightRun : public GameRun {
protected:
    // Settings that keep the replays quick: no shaders, reflections or small view, an 800 x 600
    // window.
    static TConfig LightSettings();
    void SaveSettings(const TConfig &config);

    // The game with the switches of every flight (no wait, windowed, no message box, fixed steps).
    TRun Game(std::vector<std::string> args, int seconds = 900);

    // A few frames of Map flown by nobody, recorded: the start a recording of Map takes (with Seed
    // for its random numbers), and where the game parks the cursor, in Centre.
    TRecordingStart Probe(const std::string &map, std::uint32_t seed, TPoint &centre);

    // The recording of Frames from Start.
    void WriteFlight(const std::filesystem::path &file, const TRecordingStart &start, TPoint centre,
                     const std::vector<TControls> &frames);

    // Replays the recording once, taking the shots.
    TFlightReplay Replay(const std::filesystem::path &recording, const std::vector<TShotAt> &shots, int seconds = 900);

    std::filesystem::path ShotFile(const std::string &name) const { return Dir / (name + ".png"); }
    TTestImage Shot(const std::string &name) const { return LoadTestPng(ShotFile(name)); }
};

// How many pixels of a rectangle pass a test of their colour.
template <class TTest>
int CountPixels(const TTestImage &image, int x0, int y0, int x1, int y1, TTest test)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t *p = image.At(x, y);
            if (test(int(p[0]), int(p[1]), int(p[2])))
                ++n;
        }
    return n;
}

// The gun's tracer: a white-hot line.
inline bool TracerWhite(int r, int g, int b) { return r > 240 && g > 240 && b > 180; }
