#pragma once
// What every test folder needs: a private temporary folder, files written into it and read back,
// and the game's command-line tools run as a user runs them.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

void WriteBytes(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes);   // makes the folders
void WriteText(const std::filesystem::path &path, const std::string &text);                   // makes the folders
std::string ReadAll(const std::filesystem::path &path);   // empty when the file is missing
std::vector<std::string> SplitLines(const std::string &text);   // a CR before each LF is dropped

// A fresh folder below the system's temporary folder, named after Tag and the process, removed
// again by its destructor.
class TTempDir {
public:
    explicit TTempDir(const std::string &tag);
    ~TTempDir();
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;
    const std::filesystem::path Path;
};

struct TToolRun {
    int         Status = -1;   // the exit status, -1 when the command did not exit normally
    std::string Out, Err;
};

// Runs a shell command line inside Dir, keeping its standard output and error (in Dir/out.txt and
// Dir/err.txt) in the result.
TToolRun RunTool(const std::filesystem::path &dir, const std::string &commandLine);

// Programs a test runs beside itself (the game, the score server): started with their output in
// files, waited for, and stopped when the test is done with them.
class TChild {
public:
    // Starts Argv[0] with Argv in Dir, standard output and error into Dir/Name.out and Dir/Name.err.
    // Env changes the test's environment for it: "NAME=value" sets, a bare "NAME" removes.
    TChild(const std::filesystem::path &dir, const std::string &name, std::vector<std::string> argv,
           std::vector<std::string> env = {});
    // Stops it if it still runs.
    ~TChild();
    TChild(const TChild &) = delete;
    TChild &operator=(const TChild &) = delete;

    // Waits at most Seconds for it to end; its exit status, or -1 when it did not end normally in time.
    int Wait(double seconds);
    bool Running();
    std::string Out() const;
    std::string Err() const;

    pid_t Pid = -1;
    std::filesystem::path OutFile, ErrFile;

private:
    int Status = -1;
    bool Ended = false;
};

// Waits at most Seconds for File to contain Text.
bool WaitForText(const std::filesystem::path &file, const std::string &text, double seconds);

// A PNG read back as RGBA, rows top first.
struct TTestImage {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Rgba;
    const std::uint8_t *At(int x, int y) const { return &Rgba[(std::size_t(y) * std::size_t(Width) + std::size_t(x)) * 4]; }
};
// Empty (0 x 0) when the file cannot be read as PNG.
TTestImage LoadTestPng(const std::filesystem::path &path);
