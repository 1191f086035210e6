#pragma once
// OpenAL Soft's wave writer as the tests' audio device: what the game mixes is written to a file of
// this process's own, and the tests read back what was heard.

#include <filesystem>
#include <string>
#include <vector>

// The audio library reads its configuration once, at its first use in the process: every test of
// the process records into the same file, which the writer makes anew each time a device opens.
struct TCaptureSetup {
    explicit TCaptureSetup(const std::string &tag);
    ~TCaptureSetup();
    TCaptureSetup(const TCaptureSetup &) = delete;
    TCaptureSetup &operator=(const TCaptureSetup &) = delete;

    std::filesystem::path Dir, WaveDir, WaveFile;
};

// The process's capture set-up, made on first use (before the first audio device opens).
const TCaptureSetup &CaptureSetup();

// What the writer recorded: interleaved float samples.
struct TCapture {
    int                Rate = 0;
    int                Channels = 0;
    std::vector<float> Samples;
};

// Reads the recording of the device that was closed last; a test failure and an empty capture when
// there is none.
TCapture ReadCapture();
