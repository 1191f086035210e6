// scene_bench: how fast the game draws a busy mission on this machine. Runs the real game with
// "-map", "-fixedfps", "-frames N" and "-fps" (then "-profile") in a private copy of the game folder, once per
// setting, and prints the game's own frame counter and where a frame's time went (update, the sea's
// reflection, the sea, the main pass, haze, bloom, the small camera, the HUD). Needs an X display.
//
//   scene_bench [--frames N] [--sizes 800x600,1024x768]
//
// The mission: a fleet of ships (two destroyers, a battleship, transports (OBJECT_SHIP) and boats) with an island
// held by a SAM site and a Shilka, against a raid of bombers escorted by fighters, and the player's
// carrier in the middle of it all, everyone shooting.

#include "data/Config.h"
#include "tests/TestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *const BusyMission =
    "int once 0\n"
    "{\n"
    "if once = $0 then\n"
    "CreateIsland $2500,0 $6500,0 $0,0 Ridge.otm\n"
    "CreateIsland $-2500,0 $7000,0 $0,0 Atoll.otm\n"
    "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $50000 $1000,0 $2000,0 $0,0 $0,0 $0,0 Base\n"
    "CreatePlayer\n"
    "CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_FRIEND $40000 $1400,0 $3000,0 $0,0 $0,0 $0,0 D1\n"
    "CreateObject OBJECT_SHIP_DESTROYER AI_GROUP1 AI_SIDE_FRIEND $40000 $600,0 $3000,0 $0,0 $0,0 $0,0 D2\n"
    "CreateObject OBJECT_BATTLE_SHIP AI_GROUP1 AI_SIDE_FRIEND $60000 $1000,0 $3800,0 $0,0 $0,0 $0,0 B1\n"
    "CreateObject OBJECT_COOL_SAM AI_GROUP1 AI_SIDE_FRIEND $10000 $1890,0 $6490,0 $100,0 $0,0 $0,0 Sam\n"
    "CreateObject OBJECT_SHILKA AI_GROUP1 AI_SIDE_FRIEND $10000 $2720,0 $6430,0 $98,0 $0,0 $0,0 Gun\n"
    "CreateObject OBJECT_SHIP AI_GROUP3 AI_SIDE_ENEMY $4000 $1500,0 $8000,0 $0,0 $0,0 $180,0 T1\n"
    "CreateObject OBJECT_SHIP AI_GROUP3 AI_SIDE_ENEMY $4000 $500,0 $8200,0 $0,0 $0,0 $180,0 T2\n"
    "CreateObject OBJECT_SHIP_BOAT AI_GROUP3 AI_SIDE_ENEMY $400 $1000,0 $7000,0 $0,0 $0,0 $180,0 P1\n"
    "CreateObject OBJECT_SHIP_BOAT AI_GROUP3 AI_SIDE_ENEMY $400 $1300,0 $7100,0 $0,0 $0,0 $180,0 P2\n"
    "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $2000 $1000,0 $9000,0 $600,0 $0,0 $180,0 S1\n"
    "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $2000 $1300,0 $9300,0 $600,0 $0,0 $180,0 S2\n"
    "CreateObject OBJECT_CRAFTBOMBER AI_GROUP2 AI_SIDE_ENEMY $2000 $700,0 $9300,0 $600,0 $0,0 $180,0 S3\n"
    "CreateObject OBJECT_CRAFTINTERCEPTOR AI_GROUP4 AI_SIDE_ENEMY $3000 $1000,0 $8500,0 $700,0 $0,0 $180,0 F1\n"
    "CreateObject OBJECT_CRAFTINTERCEPTOR AI_GROUP4 AI_SIDE_ENEMY $3000 $1200,0 $8600,0 $700,0 $0,0 $180,0 F2\n"
    "once = $1\n"
    "endif\n"
    "SetTarget AI_GROUP1 AI_GROUP3\n"
    "SetTarget AI_GROUP3 AI_GROUP1\n"
    "SetTarget AI_GROUP2 AI_GROUP1\n"
    "SetTarget AI_GROUP4 AI_GROUP1\n"
    "Sleep $1000\n"
    "}\n";

struct TSetting {
    const char *Name;
    bool        Shaders, Effects;
};

// The game's resolution table entry for a size, as the graphics page offers them.
int ResolutionIndex(const std::string &size)
{
    static const char *const sizes[] = {"800x600", "1024x768", "1280x1024"};
    for (int i = 0; i < 3; ++i)
        if (size == sizes[i])
            return i;
    return -1;
}

// Runs the game on the busy mission with Option and returns what follows Prefix in its output;
// empty (the reason on standard error) when the game failed.
std::string GameLine(const fs::path &dir, const std::string &option, int frames, const std::string &prefix)
{
    const TToolRun run = RunTool(dir, "./zephrona -nowait -windowed -batch -fixedfps " + option +
                                          " -map Busy.ses -frames " + std::to_string(frames));
    for (const std::string &line : SplitLines(run.Out))
        if (line.rfind(prefix, 0) == 0)
            return line.substr(prefix.size());
    std::fprintf(stderr, "the game failed (%d): %s\n", run.Status, run.Err.c_str());
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    int frames = 400;
    std::vector<std::string> sizes = {"800x600", "1024x768"};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizes.clear();
            std::string list = argv[++i];
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                sizes.push_back(list.substr(at, comma - at));
                at = comma + 1;
            }
        } else {
            std::fprintf(stderr, "usage: scene_bench [--frames N] [--sizes 800x600,1024x768,1280x1024]\n");
            return 2;
        }
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "scene_bench needs an X display (run it under xvfb-run)\n");
        return 1;
    }

    const fs::path dir = fs::path(ZEPHRONA_TEST_DIR) / "scene_bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path game(ZEPHRONA_GAME_DIR);
    fs::copy(game / "zephrona", dir / "zephrona", fs::copy_options::create_hard_links);
    fs::copy(game / "Data.dpg", dir / "Data.dpg", fs::copy_options::create_hard_links);
    WriteText(dir / "Busy.ses", BusyMission);

    const TSetting settings[] = {{"shaders off", false, false}, {"shaders on", true, false},
                                 {"haze and bloom", true, true}};
    std::printf("%-10s %-15s %8s  %s\n", "size", "setting", "fps", "ms per frame");
    for (const std::string &size : sizes) {
        const int resolution = ResolutionIndex(size);
        if (resolution < 0) {
            std::fprintf(stderr, "unknown size %s\n", size.c_str());
            return 2;
        }
        for (const TSetting &setting : settings) {
            TConfig config;
            config.Resolution = resolution;
            config.FullScreen = false;
            config.Shaders = setting.Shaders;
            config.Haze = setting.Effects;
            config.Bloom = setting.Effects;
            config.CameraView = true;
            config.Reflections = 1;
            if (!config.Save((dir / "Config.cfg").string())) {
                std::fprintf(stderr, "cannot write the settings\n");
                return 1;
            }
            // The frame rate from a plain run; where the time goes from a second, measured run (its
            // waits for the driver cost a little speed).
            const std::string fps = GameLine(dir, "-fps", frames, "frames: fps=");
            const std::string profile = GameLine(dir, "-profile", frames, "profile: ");
            if (fps.empty() || profile.empty())
                return 1;
            std::printf("%-10s %-15s %8s  %s\n", size.c_str(), setting.Name, fps.c_str(), profile.c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}
