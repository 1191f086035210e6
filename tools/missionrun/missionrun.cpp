// missionrun: plays a mission script without a window, with the game's own loaders and world update,
// and prints how the mission goes.
//
//   missionrun FILE [--seconds S] [--dt MS] [--seed N] [--game DIR]
//   missionrun --replay RECORDING [--window WxH] [--game DIR]
//
// Every game second a line "t=S" with the figures of each group that has units (" gN=alive/units:
// health%") and the state of each task (" taskN=new|complete|failed"); every message as it is shown
// ("message: TEXT", "centre: TEXT"); and last "result: won next=MAP", "result: won end",
// "result: lost" or "result: running" when S seconds (default 60) ran out first. Exit status 0 for
// any result, 1 for a script or data error (the message on standard error), 2 for a bad command line.
//
// The player is the game's own aircraft flown by its autopilot, since nobody holds the controls: it
// waits at the origin until the script puts it on the carrier ("CreatePlayer", the first spawn
// point), then takes off and circles; enemies may shoot it down, which loses the mission. The
// autopilot's own notice is not printed. The shared effects are loaded as the game loads them, and
// tracers and particles are made and aged; nothing is drawn or played, and no setting or score is
// saved: the player's Config.cfg stays as it was.
//
// With --replay the pilot is the one of a flight recorded by the game ("-map FILE -record
// RECORDING"): every recorded frame's input becomes the same command the game builds from it (the
// cursor's offset in a window of WxH, 800x600 unless given; the key bindings of the recording), with
// the recorded step and random seed, through the same tick. It prints the game's own summary line
// ("mission: ...") when the recording ends, the mission ends or Escape leaves it.

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/Files.h"
#include "core/Random.h"
#include "core/Recording.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "script/GameVars.h"
#include "script/Messanger.h"
#include "sim/Cameras.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/World.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int ExitError = 1;
constexpr int ExitBadUsage = 2;

struct TOptions {
    std::string   File;
    std::string   Replay;
    int           Width = 800, Height = 600;
    std::string   GameDir;
    int           Seconds = 60;
    int           FrameMs = 25;
    std::uint64_t Seed = 1;
};

void Usage(std::FILE *to)
{
    std::fputs("usage: missionrun FILE [--seconds S] [--dt MS] [--seed N] [--game DIR]\n"
               "       missionrun --replay RECORDING [--window WxH] [--game DIR]\n"
               "Plays the mission script FILE without a window for S seconds of game time (default 60)\n"
               "in fixed steps of MS milliseconds (default 25), with the random generator seeded with N\n"
               "(default 1). Prints the groups and tasks once a game second, every message as it is\n"
               "shown, and the result: \"won next=MAP\", \"won end\", \"lost\" or \"running\".\n"
               "FILE is a file on disk or a path in the game's data (Data/Maps/Level1.ses). DIR is the\n"
               "game folder; without it the current folder when it holds Data.dpg, else the game folder\n"
               "of this build. Nothing is saved.\n"
               "--replay flies a flight recorded by the game with \"-map FILE -record RECORDING\": the\n"
               "recorded input through the same tick, as in a window of WxH (default 800x600), and\n"
               "prints the game's summary line \"mission: ...\" at the end.\n",
               to);
}

template <typename T> bool ParseNumber(const std::string &text, T &value, T least)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() && value >= least;
}

// Throws std::invalid_argument for a bad command line.
TOptions ParseArguments(const std::vector<std::string> &args)
{
    TOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--seconds" || arg == "--dt" || arg == "--seed" || arg == "--game" || arg == "--replay" ||
            arg == "--window") {
            if (!hasValue)
                throw std::invalid_argument(arg + " needs a value");
            const std::string &value = args[++i];
            if (arg == "--seconds" && !ParseNumber(value, options.Seconds, 0))
                throw std::invalid_argument("--seconds needs a whole number of seconds, 0 or more");
            if (arg == "--dt" && !ParseNumber(value, options.FrameMs, 1))
                throw std::invalid_argument("--dt needs a frame step of at least 1 millisecond");
            if (arg == "--seed" && !ParseNumber(value, options.Seed, std::uint64_t(0)))
                throw std::invalid_argument("--seed needs a whole number");
            if (arg == "--replay")
                options.Replay = value;
            if (arg == "--window") {
                const auto x = value.find('x');
                if (x == std::string::npos || !ParseNumber(value.substr(0, x), options.Width, 1) ||
                    !ParseNumber(value.substr(x + 1), options.Height, 1))
                    throw std::invalid_argument("--window needs WIDTHxHEIGHT, e.g. 800x600");
            }
            if (arg == "--game") {
                if (value.empty())
                    throw std::invalid_argument("--game needs a folder");
                options.GameDir = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw std::invalid_argument("unknown option \"" + arg + "\"");
        } else if (options.File.empty()) {
            options.File = arg;
        } else {
            throw std::invalid_argument("only one mission at a time");
        }
    }
    if (!options.Replay.empty() && !options.File.empty())
        throw std::invalid_argument("--replay plays the recording's own mission: leave out FILE");
    if (options.File.empty() && options.Replay.empty())
        throw std::invalid_argument("no mission given");
    return options;
}

std::string WithSlash(const std::string &dir) { return dir.back() == '/' ? dir : dir + "/"; }

std::string GameFolder(const TOptions &options)
{
    if (!options.GameDir.empty())
        return WithSlash(options.GameDir);
    if (FileExists("Data.dpg"))
        return WithSlash(std::filesystem::current_path().string());
    return WithSlash(ZEPHRONA_GAME_DIR);
}

void PrintLine(const std::string &cp1251) { std::printf("%s\n", Utf8FromCp1251(cp1251).c_str()); }

const char *TaskStateName(int state)
{
    switch (state) {
    case 1: return "complete";
    case 2: return "failed";
    default: return "new";
    }
}

std::string Status(const TScriptDataExchange &exchange, int second)
{
    std::string line = "t=" + std::to_string(second);
    for (int i = 0; i < ScriptGroupCount; ++i) {
        const TAIGroup &g = exchange.Groups[i];
        if (g.UnitCount > 0)
            line += " g" + std::to_string(i) + "=" + std::to_string(g.AliveCount) + "/" +
                    std::to_string(g.UnitCount) + ":" + std::to_string(g.HealthPercent) + "%";
    }
    for (int i = 0; i < exchange.TaskCount(); ++i)
        line += " task" + std::to_string(i) + "=" + TaskStateName(exchange.Tasks[std::size_t(i)].State);
    return line;
}

std::string ResultLine(const TScriptDataExchange &exchange)
{
    switch (exchange.Result) {
    case TMissionResult::Won:
        return exchange.NextMap.empty() ? "result: won end" : "result: won next=" + exchange.NextMap;
    case TMissionResult::Lost: return "result: lost";
    default: return "result: running";
    }
}

struct TDone {};

// The recorded frames through the world's tick, as the game's frame loop runs a mission frame: the
// key state polled from the frame's input, frames without the focus skipped, Escape and the camera
// key handled, then the tick with the command built from the input.
void FlyRecording(TWorld &world, TReplay &replay, const TOptions &options)
{
    // The recording's own bindings, through a key state of its own in a scratch folder.
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("missionrun-keys-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    TKeys keys((scratch / "keys.cfg").string());
    std::filesystem::remove_all(scratch);
    keys.UseBindings(replay.Start.Bindings);
    keys.Poll = keys.PadPoll = [](int code) { return FrameInput.KeyDown(code); };
    constexpr int EscapeKey = 27;
    // The settings the game starts with on a fresh folder: the camera key switches the chase
    // camera's roll there.
    TConfig settings;
    settings.Difficulty = replay.Start.Difficulty;
    Config = &settings;
    while (const TFrameInput *frame = replay.Next()) {
        FrameInput = *frame;
        keys.Update();
        FrameTime = frame->Step;
        if (!frame->Focus)
            continue;
        const bool escape = keys.IsDown(EscapeKey);
        if (keys.ActionDown(KP_CHANGECAMERA)) {
            keys.ReleaseAction(KP_CHANGECAMERA);
            settings.CameraMode = settings.CameraMode == 0 ? 1 : 0;
        }
        const TPlayerCommand command =
            CommandFromInput(&keys, frame->CursorClient, options.Width, options.Height, frame->Pad, false);
        world.Tick(frame->Step, std::span<const TPlayerCommand>(&command, 1));
        if (Messanger)
            Messanger->Update(frame->Step);
        if (escape || world.Exchange->Result != TMissionResult::Running)
            break;
    }
    Config = nullptr;
}

int Run(const TOptions &options)
{
    AppDir = GameFolder(options);
    OpenGameArchive(AppDir);
    TModelLib models;   // the checkpoint's model is loaded as the game loads it; nothing draws it
    ModelLib = &models;
    // Units shoot, smoke and burn as in the game: their tracers and particles are made and aged,
    // only never drawn.
    TSprites sprites;
    const bool ownSprites = !Sprites;
    if (ownSprites)
        Sprites = &sprites;
    TBillboards tracers;
    Billboards = &tracers;

    std::unique_ptr<TReplay> replay;
    if (!options.Replay.empty()) {
        replay = std::make_unique<TReplay>(options.Replay);
        if (replay->Start.Map.empty())
            throw std::runtime_error("The recording \"" + options.Replay + "\" did not start a mission with -map");
    }
    const std::string file = replay ? replay->Start.Map : options.File;

    // A file on disk first, then a path in the game's data.
    std::string path = file;
    if (!path.empty() && path[0] != '/' && !FileExists(path)) {
        std::string inData = file;
        std::replace(inData.begin(), inData.end(), '/', '\\');
        path = AppDir + inData;
    }

    Randomize(options.Seed);
    if (replay)
        RandSeed = replay->Start.Seed;
    TMessanger messages(768);
    const std::string autopilot = AutopilotNotice();
    messages.OnAdd = [&autopilot](const std::string &text, bool centred) {
        if (centred && text == autopilot)   // the runner's own autopilot, not the mission's word
            return;
        PrintLine(std::string(centred ? "centre: " : "message: ") + text);
    };
    Messanger = &messages;

    // The cameras the game has: the shake draws random numbers as the game's does.
    TDynamicCamera dynamicCamera;
    TCameraShaking shaking(5.0f);
    DynamicCamera = &dynamicCamera;
    CameraShaking = &shaking;

    // The player outlives the world: the compiled script reads its health to the end.
    std::unique_ptr<TGamer> player;
    TWorld world;   // before the script compiles: the script's timer variables are the world's
    int status = 0;
    try {
        CreateUnitTemplates(false);   // no window: the effects without their textures, and no sound
        player.reset(CreatePlayerAircraft());
        world.AddPlayer(player.get());
        world.LoadMission(path);
        if (replay) {
            // The window the recording is flown in: the missiles lock on what is near the middle
            // of its picture.
            ApplyResize(options.Width, options.Height, {0, 0});
            world.Aspect = float(options.Width) / float(options.Height);
            FlyRecording(world, *replay, options);
            std::printf("%s\n", world.Summary().c_str());
            throw TDone();
        }
        // Nobody holds the controls: the autopilot flies, whatever the script declared.
        *ScriptBindings.PlayerControlDisabled = true;
        const std::int64_t start = GameClock, end = std::int64_t(options.Seconds) * 1000;
        std::int64_t shown = 0;
        for (;;) {
            const std::int64_t elapsed = GameClock - start;
            if (elapsed >= end)
                break;
            FrameTime = options.FrameMs;
            // The game's own tick, with nobody at the controls.
            world.Tick(options.FrameMs, {});
            messages.Update(options.FrameMs);
            if (world.Exchange->Result != TMissionResult::Running)
                break;
            const std::int64_t second = (GameClock - start) / 1000;
            if (second > shown) {
                shown = second;
                PrintLine(Status(*world.Exchange, int(second)));
            }
        }
        PrintLine(ResultLine(*world.Exchange));
    } catch (const TDone &) {
    } catch (const std::exception &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", Utf8FromCp1251(e.what()).c_str());
        status = ExitError;
    }
    world.Unload();
    world.RemovePlayer(player.get());
    player.reset();
    *ScriptBindings.PlayerControlDisabled = false;
    FreeUnitTemplates();
    DynamicCamera = nullptr;
    CameraShaking = nullptr;
    Billboards = nullptr;
    if (ownSprites)
        Sprites = nullptr;
    Messanger = nullptr;
    ModelLib = nullptr;
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        (args.size() == 1 && args[0] == "-h")) {
        Usage(stdout);
        return 0;
    }
    TOptions options;
    try {
        options = ParseArguments(args);
    } catch (const std::invalid_argument &e) {
        std::fprintf(stderr, "missionrun: %s\n", e.what());
        Usage(stderr);
        return ExitBadUsage;
    }
    try {
        return Run(options);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", Utf8FromCp1251(e.what()).c_str());
        return ExitError;
    }
}
