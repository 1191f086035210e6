#pragma once
// What the game reads from its input devices in one frame, and flight recordings: a file that keeps
// every frame's input and frame time from the start of the frame loop, with the random seed and the
// start of the run, so that a replay feeds the same frames back and the same flight happens again.
//
// The file, little-endian:
//   header  "ZREC", format version (uint32), random seed (uint32), start page (int32, -1 none),
//           map (int32 length + bytes, empty for none), key bindings text (int32 length + bytes),
//           CRC-32 of the header bytes before it (uint32)
//   frames  'F', measured ms (int32), step ms (int32), key bits (34 bytes: codes 0..265, bit c%8 of
//           byte c/8), cursor screen x, y and client x, y (4 x int32), pad connected (byte), stick
//           x, y and triggers left, right (4 x float), flags (byte: 1 focus, 2 Russian layout),
//           CRC-32 of the frame's bytes before it (uint32)
//   end     'E', frame count (uint32), CRC-32 of the 'E' and the count (uint32)
// A file without its end record was cut short and is refused, as is one whose checks fail.

#include "core/KeyCodes.h"
#include "core/Platform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Everything the game reads from the devices in one frame, as it read it.
struct TFrameInput {
    int Measured = 1;   // ms since the previous frame, as the clock measured it
    int Step = 0;       // the step the frame handed to the game (FrameTime)
    std::array<std::uint8_t, (KeyCodeCount + 7) / 8> Keys{};   // codes 0..265 held, one bit each
    TPoint    CursorScreen, CursorClient;
    TPadState Pad;              // the stick after the dead zone and sensitivity
    bool      Focus = true;     // the window had the keyboard focus
    bool      RussianLayout = false;

    bool KeyDown(int code) const;   // false for a code outside 0..265
    void SetKey(int code, bool down);
    bool operator==(const TFrameInput &) const = default;
};

// The input of the frame being run: the frame loop fills it before anything reads input, and
// PadState() and IsRussianKeyboard() answer from it.
extern TFrameInput FrameInput;

// The stick as the player steers with it: a round dead zone around the centre (DeadZone, a fraction
// of full deflection below 1) reads 0, the rest of the travel is stretched to start from 0 at its
// edge and reach 1 at full deflection, then multiplied by Sensitivity. Triggers pass unchanged.
TPadState ApplyPadResponse(const TPadState &raw, float deadZone, float sensitivity);

// Everything the devices say now: each code 0..265 through KeyDown, the cursor, the pad with its
// stick through ApplyPadResponse, the focus and the keyboard layout. Measured is the frame's time.
// (Through the platform's calls: a program calling it links a platform.)
TFrameInput SampleDevices(int measured, float padDeadZone, float padSensitivity);

// The mouse sensitivity in mission frames. The cursor was parked at the window's centre one frame
// ago, so its offset from there is the mouse's motion: scaled here, everything that reads the
// cursor (and a recording) sees the motion the player asked for. The part of a pixel that scaling
// leaves over is kept for the next frame, so a low sensitivity still steers with slow motions.
class TMouseScale {
public:
    // Scales the cursor's offset from Centre (screen coordinates) by Percent / 100, moving the
    // client position with it.
    void Apply(TFrameInput &input, TPoint centre, int percent);
    // Forgets the leftover motion (the cursor is not parked in menu frames).
    void Reset() { CarryX = CarryY = 0; }

private:
    float CarryX = 0, CarryY = 0;
};

// How the run began: what a replay must start from to see the same frames.
struct TRecordingStart {
    std::uint32_t Seed = 0;   // the random generator's state at the first frame
    int           Page = -1;  // the menu page opened at start-up; -1: the menu's own choice
    std::string   Map;        // the mission started without the menu; empty: none
    std::string   Bindings;   // the key bindings and input settings, as keys.cfg holds them
    int           Difficulty = 1;   // the game's difficulty (0 easy, 1 normal, 2 hard); version 1 had none: normal
    bool operator==(const TRecordingStart &) const = default;
};

struct TRecordingError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The version written. Version 1 recordings (without the difficulty) still play, on normal.
constexpr std::uint32_t RecordingVersion = 2;

// The CRC-32 (the zip and PNG polynomial) of N bytes.
std::uint32_t Crc32(const std::uint8_t *data, std::size_t n);

// The records of the file, as bytes.
std::vector<std::uint8_t> EncodeRecordingHeader(const TRecordingStart &start);
std::vector<std::uint8_t> EncodeRecordedFrame(const TFrameInput &frame);
std::vector<std::uint8_t> EncodeRecordingEnd(std::uint32_t frameCount);

// Writes a recording as the frames happen: each record goes to the operating system at once, so a
// recording is whole up to the last frame even when the game stops abruptly. The end record is
// written by Finish, by the destructor when an error unwinds the game, and by the fatal-signal
// handler when the game crashes, so the recording of a crash replays up to it.
class TRecordWriter {
public:
    // Creates (or empties) File. Throws TRecordingError naming it when it cannot.
    explicit TRecordWriter(std::string fileName);
    ~TRecordWriter();
    TRecordWriter(const TRecordWriter &) = delete;
    TRecordWriter &operator=(const TRecordWriter &) = delete;

    // The header; once, before the first frame.
    void Begin(const TRecordingStart &start);
    void Frame(const TFrameInput &frame);
    // The end record, and the file closed. False when any write failed. A recording never begun
    // (the game ended before its first frame) is removed.
    bool Finish();

    const std::string FileName;
    bool Failed = false;           // a write failed: the recording stopped there
    std::uint32_t FrameCount = 0;

private:
    void Put(const std::vector<std::uint8_t> &bytes);
    int  File = -1;
    bool Begun = false;
};

// A whole recording read back and checked. Throws TRecordingError with a message naming the file
// when it cannot be read, is not a recording, is of another format version, is damaged or was cut
// short.
class TReplay {
public:
    explicit TReplay(const std::string &fileName);

    // The next frame's input, or null when the recording is over.
    const TFrameInput *Next() { return Position < Frames.size() ? &Frames[Position++] : nullptr; }

    const std::string        FileName;
    TRecordingStart          Start;
    std::vector<TFrameInput> Frames;
    std::size_t              Position = 0;
};

// The same checks on bytes in memory; Name is the file's name for the messages.
void DecodeRecording(const std::vector<std::uint8_t> &bytes, const std::string &name, TRecordingStart &start,
                     std::vector<TFrameInput> &frames);
