#include "tests/menu/Child.h"

#include "tests/TestUtil.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char **environ;

namespace fs = std::filesystem;

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
    std::vector<std::string> all;
    for (char **e = environ; *e; ++e)
        all.emplace_back(*e);
    all.insert(all.end(), env.begin(), env.end());
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

namespace {

std::vector<std::string> ServerArguments(const fs::path &storage, bool closed)
{
    std::vector<std::string> argv = {ZEPHRONA_TOOLS_DIR "/scoreserver", "0", storage.string()};
    if (closed)
        argv.push_back("--closed");
    return argv;
}

} // namespace

TScoreServer::TScoreServer(const fs::path &dir, const fs::path &storage, bool closed)
    : Child(dir, "scoreserver", ServerArguments(storage, closed))
{
    if (WaitForText(Child.OutFile, "\n", 10)) {
        const std::string out = Child.Out();
        const std::size_t at = out.find("http://");
        if (at != std::string::npos)
            Base = out.substr(at, out.find('\n', at) - at);
    }
}
