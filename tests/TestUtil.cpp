#include "tests/TestUtil.h"

#include <IL/il.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char **environ;

namespace fs = std::filesystem;

void WriteBytes(const fs::path &path, const std::vector<std::uint8_t> &bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteText(const fs::path &path, const std::string &text)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TTempDir::TTempDir(const std::string &tag)
    : Path(fs::temp_directory_path() / ("zephrona-" + tag + "-" + std::to_string(::getpid())))
{
    fs::remove_all(Path);
    fs::create_directories(Path);
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    fs::remove_all(Path, ec);
}

TToolRun RunTool(const fs::path &dir, const std::string &commandLine)
{
    const fs::path out = dir / "out.txt", err = dir / "err.txt";
    const std::string command = "cd '" + dir.string() + "' && " + commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

TChild::TChild(const fs::path &dir, const std::string &name, std::vector<std::string> argv, std::vector<std::string> env)
    : OutFile(dir / (name + ".out")), ErrFile(dir / (name + ".err"))
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, ErrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char *> args;
    for (std::string &a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    // "NAME=value" sets a variable; a bare "NAME" takes it out of the environment.
    std::vector<std::string> all;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string &change : env)
            replaced = replaced || change.substr(0, change.find('=')) == name;
        if (!replaced)
            all.push_back(entry);
    }
    for (const std::string &change : env)
        if (change.find('=') != std::string::npos)
            all.push_back(change);
    std::vector<char *> envp;
    for (std::string &e : all)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    if (posix_spawn(&Pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
        Pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

TChild::~TChild()
{
    if (Pid > 0 && Running()) {
        kill(Pid, SIGTERM);
        if (Wait(5) < 0 && !Ended) {
            kill(Pid, SIGKILL);
            waitpid(Pid, nullptr, 0);
        }
    }
}

bool TChild::Running()
{
    if (Pid <= 0 || Ended)
        return false;
    int status = 0;
    if (waitpid(Pid, &status, WNOHANG) == Pid) {
        Ended = true;
        Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int TChild::Wait(double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Ended ? Status : -1;
}

std::string TChild::Out() const { return ReadAll(OutFile); }
std::string TChild::Err() const { return ReadAll(ErrFile); }

bool WaitForText(const fs::path &file, const std::string &text, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (ReadAll(file).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TTestImage LoadTestPng(const fs::path &path)
{
    static const bool started = (ilInit(), true);
    (void)started;
    TTestImage image;
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    if (ilLoad(IL_PNG, path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        image.Width = ilGetInteger(IL_IMAGE_WIDTH);
        image.Height = ilGetInteger(IL_IMAGE_HEIGHT);
        const std::uint8_t *data = ilGetData();
        image.Rgba.assign(data, data + std::size_t(image.Width) * std::size_t(image.Height) * 4);
        // The image library may hand rows bottom first: turn them top first.
        const std::ptrdiff_t stride = std::ptrdiff_t(image.Width) * 4;
        if (ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT)
            for (int y = 0; y < image.Height / 2; ++y)
                std::swap_ranges(image.Rgba.begin() + y * stride, image.Rgba.begin() + (y + 1) * stride,
                                 image.Rgba.begin() + (image.Height - 1 - y) * stride);
    }
    ilDeleteImages(1, &id);
    return image;
}
