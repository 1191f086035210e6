#pragma once
// Every user setting, the local player profiles and the local top-ten high-score table.

#include <array>
#include <string>

struct TGamePlayer {
    std::string Name;
    int         Score = 0;        // score of the current game
    std::string Level;            // the next mission script; empty after the last mission
    std::string FirstScreen;      // story image shown before the first mission
    std::string LastScreen;       // image shown after the last mission
    bool        Campaign = true;  // the built-in campaign, or an add-on map set
    bool        ShowScore = true;
};

struct THighScore {
    std::string Name;
    std::string Score;            // decimal text
};

class TConfig {
public:
    TConfig();                    // the defaults

    bool  PendingFullScreen = false;  // chosen on the graphics page, applied by a restart
    int   PendingResolution = 0;
    int   Resolution = 0;             // index into the resolution table (0..5)
    int   ColorBits = 32;             // 16 or 32
    bool  FullScreen = true;
    bool  Shadows = false;
    bool  Shaders = true;
    bool  Haze = false;
    bool  Bloom = false;
    int   Reflections = 1;            // 0 off, 1 low, 2 high
    float Brightness = 0;
    bool  CameraView = true;          // the picture-in-picture camera
    int   ViewDistance = 1;           // 0 unlimited, 1 high, 2 medium, 3 low
    int   Effects = 0;                // 0 high, 1 medium, 2 low, 3 off
    bool  Effects3D = true;
    bool  InvertMouse = false;
    int   CameraMode = 0;
    int   MusicVolume = 100;          // 0..100
    int   SoundVolume = 100;          // 0..100
    int   PlayerCount = 0;            // 0..6
    int   CurrentPlayer = 0;
    std::array<TGamePlayer, 6> Players;
    std::array<THighScore, 10> HighScores;
};

// The configuration of the run, created at start-up.
extern TConfig *Config;
