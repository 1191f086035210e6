#pragma once
// Programs a test runs beside itself (the score server, the game): started with their output in
// files, waited for, and stopped when the test is done with them.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

class TChild {
public:
    // Starts Argv[0] with Argv in Dir, standard output and error into Dir/Name.out and Dir/Name.err,
    // with Env added to the test's environment.
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

// The score server tool on a free port of 127.0.0.1, keeping its scores in Storage.
class TScoreServer {
public:
    TScoreServer(const std::filesystem::path &dir, const std::filesystem::path &storage, bool closed = false);
    std::string Base;   // "http://127.0.0.1:PORT"
    TChild      Child;
};
