// The operating-system calls every program of the game shares, with or without a window: time,
// sleeping, starting programs; and the window state that both platforms keep.

#include "core/Platform.h"

#include "core/Text.h"

#include <spawn.h>

#include <chrono>
#include <thread>
#include <vector>

extern char **environ;

void *MainWindow = nullptr;
void *MainRC = nullptr;
bool WindowFullScreen = false;
std::function<void(int, int)> ResizeHandler;
float PixelSizeX = 0, PixelSizeY = 0;
float VirtualPixelX = 1.0f / 512, VirtualPixelY = 1.0f / 384;
int   ScreenWidth = 0, ScreenHeight = 0;
float UiScale = 1;
bool  BatchMode = false;
std::function<TPoint(std::string_view)> TextMeasure;

namespace {

const std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();

// Starts a program detached from this one; it outlives this process.
bool Spawn(const std::vector<std::string> &argv)
{
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0;
}

} // namespace

bool ShellRun(std::string_view program, std::string_view arguments)
{
    std::vector<std::string> argv{std::string(program)};
    for (std::string &word : SplitBlanks(arguments))
        argv.push_back(std::move(word));
    return Spawn(argv);
}

void SleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetTimerResolution1ms() {}

std::int64_t TickCount()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
}

std::uint64_t HighResolutionCounter()
{
    return std::uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

TPoint TextExtent(std::string_view text) { return TextMeasure ? TextMeasure(text) : TPoint{}; }
