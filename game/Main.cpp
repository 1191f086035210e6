// Program entry: reads the command line, runs the game and turns an uncaught error into a report.

#include "game/Game.h"
#include "game/Network.h"
#include "core/Log.h"
#include "core/Text.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char **argv)
{
    TCommandLine cmd;
    try {
        cmd = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TCommandLineError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return ExitUsage;
    }
    if (cmd.Help) {
        std::fputs(CommandLineHelp().c_str(), stdout);
        return ExitOk;
    }
    const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
    BatchMode = cmd.Batch || ((!x11 || !*x11) && (!wayland || !*wayland));

    try {
        if (!cmd.Server.empty())
            return RunDedicatedServer(cmd);
        return RunGame(cmd);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", Utf8FromCp1251(e.what()).c_str());
        if (!BatchMode)
            ShowErrorMessage(e.what());
        return ExitFailure;
    }
}
