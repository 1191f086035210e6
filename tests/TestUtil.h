#pragma once
// What every test folder needs: a private temporary folder, files written into it and read back,
// and the game's command-line tools run as a user runs them.

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
