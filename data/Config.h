#pragma once
// Every user setting, the local player profiles and the local top-ten high-score table.

#include <array>
#include <string>
#include <vector>

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

// The line encoding of "Config.cfg" and of score submissions: the text padded with "%" to a
// multiple of 5 bytes, its bits cut into groups of 5, each written as a letter of ConfigAlphabet.
constexpr const char *ConfigAlphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789";
std::string EncodeConfigLine(const std::string &text);
// Characters outside the alphabet are skipped; everything from the first "%" on is dropped.
std::string DecodeConfigLine(const std::string &line);

// The current player when none of the players is chosen.
constexpr int NoPlayer = -1;

class TConfig {
public:
    TConfig();                    // the defaults

    // Reads "Config.cfg" (a file whose name differs only in letter case is the same file). A
    // missing, foreign or damaged file (a first line other than "Version 3", a number that does not
    // parse, a player count outside 0..6 or a current player outside the table, lines missing)
    // leaves every setting at its default, silently. A single setting outside the values the game
    // offers reads as its own default; a current player beyond the players that exist reads as none
    // (NoPlayer; 0 when there are no players at all). The difficulty follows the high scores; a file
    // written before it existed loads as it always did, on normal.
    void Load(const std::string &path);
    // Writes the whole file to a temporary file beside it and renames it over the old one (the one
    // Load would read), so that a failed save never leaves half a file. Returns false (and keeps the
    // old file) on failure.
    bool Save(const std::string &path) const;
    // Puts the current player's name and score into the high-score table, above equal scores.
    void AddHighScore();
    // The file's decoded lines, in order.
    std::vector<std::string> ValueLines() const;

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
    int   Difficulty = 1;             // 0 easy, 1 normal, 2 hard: how hard the enemies hit the player
    float Brightness = 0;             // 0..9/55: the game page's step / 55
    bool  CameraView = true;          // the picture-in-picture camera
    int   ViewDistance = 1;           // 0 unlimited, 1 high, 2 medium, 3 low
    int   Effects = 0;                // 0 high, 1 medium, 2 low, 3 off
    bool  Effects3D = true;
    bool  InvertMouse = false;
    int   CameraMode = 0;             // 0 or 1
    int   MusicVolume = 100;          // 0..100
    int   SoundVolume = 100;          // 0..100
    int   PlayerCount = 0;            // 0..6
    int   CurrentPlayer = 0;          // index into Players, or NoPlayer
    std::array<TGamePlayer, 6> Players;
    std::array<THighScore, 10> HighScores;
};

// The configuration of the run, created at start-up.
extern TConfig *Config;
