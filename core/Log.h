#pragma once
// The start-up trace "log.txt" and the "Error" box that lets the user abort on a data error.

#include <cstdio>
#include <string>
#include <string_view>

class TLOgFile {
public:
    // Truncates and opens FileName when Enabled; otherwise the file is never created or touched.
    // Throws std::runtime_error when the file cannot be created.
    TLOgFile(std::string fileName, bool enabled);
    ~TLOgFile();
    TLOgFile(const TLOgFile &) = delete;
    TLOgFile &operator=(const TLOgFile &) = delete;

    // Writes Text and CR LF, flushed at once so that a crash loses nothing written so far.
    void Write(std::string_view text);

    const std::string FileName;
    const bool        Enabled;

private:
    std::FILE *File = nullptr;
};

// The process-wide log, created first at start-up; null before that (writes are then dropped).
extern TLOgFile *LogFile;

// Writes a line to the global log if there is one.
void LogWrite(std::string_view text);

// Exit status of a run ended by choosing Abort in an error box.
constexpr int ExitAborted = 3;

// Shows Message in a modal box captioned "Error" with Abort, Retry and Ignore when Failed is set.
// Abort ends the process at once, without saving; Retry and Ignore return and the caller carries on.
void ErrorBox(bool failed, std::string_view message);
