#pragma once
// Process-wide state of the start-up sequence and the frame loop, and the rules they follow.

#include "core/Platform.h"
#include "core/View.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

extern std::string  AppDir;           // the executable's directory with a trailing "/"
extern bool         QuitRequested;    // ends the frame loop at its next check
extern bool         RestartRequested; // after shut-down the program starts itself again
extern bool         MenuActive;       // the frame drives the menu (true) or the mission (false)
extern bool         NetworkGame;      // fixed steps, and the game keeps running without focus
extern bool         NetworkHost;
extern int          Language;         // 0 English, 1 Russian
extern bool         FastLoad;         // a map load skips preloading the model catalogue
extern int          FrameTime;        // the step of this frame in ms; scripts see it as "G_DELTA_TIME"
extern std::int64_t LastTick;         // tick count of the previous frame
extern TPoint       WindowSize;       // window and display-mode size in pixels
extern TPoint       ScreenCenter;     // centre of the client area in screen coordinates
extern TPoint       CursorScreenPos;  // sampled once per frame
extern TPoint       CursorClientPos;  // sampled once per frame
extern TPoint       MouseReference;   // reference point for mouse deltas

// Switches of the run: off unless given on the command line.
extern bool LogEnabled, ShowFps, FixedFps, LeftTop, NeedCursorPosition;

// Exit statuses of the program.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;     // an uncaught error
constexpr int ExitUsage = 2;       // a bad command line
constexpr int ExitNoWindow = 4;    // the window could not be created

// ---- Command line -------------------------------------------------------------------------------

// One screenshot of "-shots": the frame shown once Frame frames have run (as "-frames" counts them),
// written to File.
struct TShot {
    int Frame = 0;
    std::string File;
    bool operator==(const TShot &) const = default;
};

struct TCommandLine {
    bool LogEnabled = false, ShowFps = false, FixedFps = false, FastLoad = false;
    bool Profile = false;    // time the steps of each mission frame and print them when quitting
    bool LeftTop = false, NeedCursorPosition = false;
    int  Language = 0;
    bool Windowed = false;   // windowed whatever the configuration says
    bool NoWait = false;     // skip the start-up wait that serves a restart
    bool Batch = false;      // never show a message box
    bool Help = false;
    int  Frames = -1;        // quit after this many frames; -1: run until asked to quit
    std::string Screenshot;  // PNG of the last frame shown, written when quitting
    std::vector<TShot> Shots; // PNGs of frames along the run, in the order given
    std::string Map;         // mission to start without the menu, relative to the game folder
    int  Page = -1;          // the menu page to open at start-up; -1: the menu's own choice
    std::string Record;      // write a flight recording of the run to this file
    std::string Replay;      // play this flight recording instead of reading the devices
    std::string Server;      // host this multiplayer map as a dedicated server (no window)
    std::string Connect;     // join the network game at HOST[:PORT]
    std::string Name;        // the player's name in a network game; empty: the current player's
    int  Port = -1;          // the port a hosted game listens on; -1: the default
};

struct TCommandLineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the switches. Blanks inside an argument separate switches too, so that the argument string
// of a restart ("-log -rus ") reads the same whether it arrives split or whole.
// Throws TCommandLineError for an unknown switch or a missing or bad value, and for switches that
// contradict each other: a replay takes its start (map, page) from the recording and records nothing.
TCommandLine ParseCommandLine(const std::vector<std::string> &args);

// One line per switch, for "-help".
std::string CommandLineHelp();

// The argument string of a restart: the keywords of the switches that are on, each followed by one
// blank, in their fixed order.
std::string RestartArguments(bool logEnabled, bool showFps, bool fixedFps, bool fastLoad, int language,
                             bool leftTop, bool needCursorPosition);

// ---- Window size and position -------------------------------------------------------------------

// The window size for a resolution index; index 3 is the desktop rounded down to even sizes, and
// an index outside 0..5 falls back to 800 x 600.
TPoint ResolutionSize(int index, int desktopWidth, int desktopHeight);

// Where the window goes: the top-left corner with "-lefttop", else centred on the desktop.
TPoint WindowPosition(bool leftTop, TPoint desktop, TPoint window);

// The resize handler's work for a client size and the window's corner: moves ScreenCenter every
// time; sets the pixel-size values only on the first call.
void ApplyResize(int width, int height, TPoint corner);
extern bool ResizeSeen;   // set by the first ApplyResize

// ---- Frame step ---------------------------------------------------------------------------------

constexpr int MaxFrameStep = 25;   // ms; also the fixed step of "-fixedfps" and network games

// The measured step: milliseconds since the last frame, at least 1.
int MeasuredFrameTime(std::int64_t now, std::int64_t last);
// How long a fixed-step frame sleeps so that it lasts MaxFrameStep; 0 when not fixed or already long.
int FixedStepSleep(int measured, bool fixedStep);
// The step handed to the game: a fixed step is exactly 25; any step at most 25; 0 while Enter is held.
int GameFrameTime(int measured, bool fixedStep, bool enterDown);
