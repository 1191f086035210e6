#pragma once
// A pilot for the campaign's missions. It flies a mission in the real simulation, headless: the
// same world tick the game runs, with the command the game builds from each frame's input, as the
// mission runner replays a recording. Every frame it decides the frame's input from the world as it
// stands: nothing during the take-off, then through the current checkpoint when there is one,
// otherwise at the nearest live enemy on the radar (gun passes, a missile whenever a lock is
// complete), otherwise back onto the carrier through its two landing gates. What it flew is a
// recording that the game replays to the same end, frame for frame.
//
// With ZEPHRONA_PILOT_TRACE set to a file name, the pilot writes there once a game second what it is
// doing, where the aircraft is and how the mission stands.

#include "core/Platform.h"
#include "core/Recording.h"
#include "data/Config.h"
#include "data/Keys.h"

#include <string>
#include <utility>
#include <vector>

// The frame time of "-fixedfps", and the window the game flies in.
constexpr int PilotFrameMs = 25;
constexpr int PilotWindowWidth = 800, PilotWindowHeight = 600;

// One frame of a pilot's hands: the cursor's offset from the middle of the window (the mouse's
// motion in a mission frame) and the keys held.
struct TControls {
    int  Dx = 0, Dy = 0;
    bool Forward = false, Brake = false, Fire = false, Secondary = false, ChangeWeapon = false;
    bool operator==(const TControls &) const = default;
};

// The frame's input as the game reads it from the devices with the default key bindings. Centre is
// the middle of the window in screen coordinates. The frame claims a millisecond, so a replay runs
// as fast as the machine draws, and hands the game its fixed step.
inline TFrameInput ControlsInput(const TControls &c, TPoint centre)
{
    TFrameInput in;
    in.Measured = 1;
    in.Step = PilotFrameMs;
    in.CursorClient = {PilotWindowWidth / 2 + c.Dx, PilotWindowHeight / 2 + c.Dy};
    in.CursorScreen = {centre.x + c.Dx, centre.y + c.Dy};
    in.SetKey(KeyActions[KP_FORWARD].Default, c.Forward);
    in.SetKey(KeyActions[KP_BACKWARD].Default, c.Brake);
    in.SetKey(KeyActions[KP_PRIMARY].Default, c.Fire);
    in.SetKey(KeyActions[KP_SECONDARY].Default, c.Secondary);
    in.SetKey(KeyActions[KP_CHANGEWEAPON].Default, c.ChangeWeapon);
    return in;
}

// A mission for the pilot.
struct TPilotMission {
    std::string GameDir;         // the game folder: Data.dpg is there
    std::string Map;             // as "-map" names it: "Data/Maps/Level1.ses"
    TRecordingStart Start;       // the seed and the key bindings the game will replay with
    TPoint Centre;               // the middle of the game's window on the screen
    TConfig Settings;            // the game's settings (no player is scored or saved by the pilot)
    int MaxFrames = 40 * 60 * 15;   // gives up after this many frames
    int AfterEnd = 40;              // frames flown on once the mission has ended
};

// What the pilot flew. Frame N is the N-th tick: "-frames N" and "-shots N:FILE" stop or look
// after it. Frames[N - 1] is its input.
struct TPilotFlight {
    std::vector<TControls> Frames;
    std::vector<int> Checkpoints;   // the frames at which the script counted a checkpoint passed
    std::vector<int> GunBursts;     // the first frame of each burst of the gun after a pause
    std::vector<int> Launches;      // the frames a missile left the aircraft
    std::vector<int> SternGates;    // the frames the carrier's first landing gate was passed
    std::vector<int> Landings;      // the frames the carrier counted a landing
    int EndFrame = -1;              // the frame at which the mission ended
    // The mission's line ("mission: running ...") from each frame on where it changed; frame 0 is
    // the mission as loaded.
    std::vector<std::pair<int, std::string>> Lines;
    std::string Failure;            // why the pilot gave up; empty when the mission ended

    std::string LineAt(int frame) const;
};

// Flies the mission in a process of its own (a fresh simulation, as the game's and the mission
// runner's are), and returns what it flew.
TPilotFlight FlyMission(const TPilotMission &mission);
