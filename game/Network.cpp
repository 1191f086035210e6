#include "game/Network.h"

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "core/Files.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Random.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Locale.h"
#include "menu/Menu.h"
#include "net/NetGame.h"
#include "net/Socket.h"
#include "render/Environment.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/World.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

TNetGame *NetGame = nullptr;

namespace {

std::unique_ptr<TNetGame> Running;
std::uint16_t HostPort = DefaultPort;
std::string   NameOverride;
bool          HostPlaced = false;   // the host's own aircraft stands at a spawn point
int           Deaths = 0;           // this machine's aircraft shot down in this game
int           MostSeen = 0;         // the most aircraft of other players seen at once
float         LastHealth = 0;       // this machine's aircraft's health a frame ago

// The aircraft of other players in this machine's world.
int OtherAircraft(const TWorld &world)
{
    int aircraft = 0;
    if (world.Objects)
        for (const TGameObject *object : world.Objects->Objects)
            if (dynamic_cast<const TGamer *>(object))
                ++aircraft;
    return aircraft;
}

// The name the other players see: the one given on the command line, else the current player's.
std::string PlayerName()
{
    if (!NameOverride.empty())
        return NameOverride;
    if (Config && Config->CurrentPlayer >= 0 && Config->CurrentPlayer < int(Config->Players.size()) &&
        !Config->Players[std::size_t(Config->CurrentPlayer)].Name.empty())
        return Config->Players[std::size_t(Config->CurrentPlayer)].Name;
    return "Pilot";
}

// A network game's lines: the log file, and standard output for whoever started the program.
void Say(const std::string &line)
{
    LogWrite(line);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Points the network game at World's mission and its own aircraft (null for none).
void Wire(TNetGame &net, TWorld &world, TGameObject *own)
{
    net.World.Objects = world.Objects.get();
    net.World.OwnAircraft = own;
    net.World.SpawnPoints = world.Exchange ? &world.Exchange->SpawnPoints : nullptr;
    net.Log = Say;
    // A fallen aircraft does not end a network game: the server brings it back.
    world.OnPlayerDied = [](TGamer &player) {
        if (NetGame)
            NetGame->PlayerDied(player);
    };
}

// Starts a network game over a freshly loaded MissionFile; Start opens the connection. On failure
// the single-player state comes back and Error says why.
template <class TStart> bool Begin(bool host, const std::string &missionFile, TStart &&start, std::string &error)
{
    StopNetworkGame();
    NetworkGame = true;
    NetworkHost = host;
    try {
        Environment->StartMission(missionFile);
    } catch (const std::exception &e) {
        error = "Cannot load \"" + missionFile + "\": " + Utf8FromCp1251(e.what());
        StopNetworkGame();
        return false;
    }
    auto net = std::make_unique<TNetGame>();
    Wire(*net, Environment->World.World, PlayerGamer());
    if (!start(*net, error)) {
        StopNetworkGame();
        return false;
    }
    Running = std::move(net);
    NetGame = Running.get();
    HostPlaced = false;
    Deaths = 0;
    MostSeen = 0;
    LastHealth = 0;
    return true;
}

bool HostGame(const std::string &missionFile)
{
    std::string error;
    const bool started = Begin(true, missionFile, [](TNetGame &net, std::string &why) {
        return net.StartServer(HostPort, why);
    }, error);
    if (!started) {
        Say(error);
        return false;
    }
    Say("hosting " + missionFile + ", listening on port " + std::to_string(NetGame->Port()));
    return true;
}

bool JoinEntry(const TServerEntry &server)
{
    // The first line of a server's entry is its address.
    return JoinGame(server.Texts[0], PlayerName());
}

volatile std::sig_atomic_t StopSignal = 0;

void OnStopSignal(int) { StopSignal = 1; }

} // namespace

void InstallNetworkMenu(const TCommandLine &cmd)
{
    if (cmd.Port >= 0)
        HostPort = std::uint16_t(cmd.Port);
    NameOverride = cmd.Name;
    HostNetworkGame = HostGame;
    JoinNetworkGame = JoinEntry;
    LeaveNetworkGame = StopNetworkGame;
}

bool JoinGame(const std::string &address, const std::string &given)
{
    const std::string name = given.empty() ? PlayerName() : given;
    std::string host, error;
    std::uint16_t port = DefaultPort;
    if (!ParseHostPort(address, host, port, error)) {
        Say("Cannot join \"" + address + "\": " + error);
        return false;
    }
    const bool started = Begin(false, AppDir + "Data\\Maps\\MP\\Client.mps", [&](TNetGame &net, std::string &why) {
        return net.StartClient(host, port, name, why);
    }, error);
    if (!started) {
        Say(error);
        return false;
    }
    // The flight starts once the server has placed the aircraft; the wait page shows meanwhile.
    MenuActive = true;
    GameKind = 2;
    return true;
}

void NetworkFrame(int dt)
{
    if (!NetGame)
        return;
    TWorld &world = Environment->World.World;
    // The game goes on while the menu is up; in flight the mission's own tick runs it.
    if (MenuActive && Environment->World.Loaded)
        Environment->Update(dt, TPlayerCommand());
    if (!NetGame)
        return;
    // How the game goes for this machine: the other pilots seen, and each fall of its aircraft.
    MostSeen = std::max(MostSeen, OtherAircraft(world));
    if (const TGameObject *own = NetGame->World.OwnAircraft) {
        if (LastHealth > 0 && own->Health <= 0)
            ++Deaths;
        LastHealth = own->Health;
    }
    if (NetGame->IsServer() && !HostPlaced && world.Exchange && !world.Exchange->SpawnPoints.empty()) {
        // The host flies in from the map's first free spawn point, as every joining player does.
        NetGame->Server->ReviveOwnAircraft();
        HostPlaced = true;
    }
    if (NetGame->IsClient()) {
        const TMultiplayerClient &client = *NetGame->Client;
        if (!NetGame->Running()) {
            Say("The connection to the server was lost: " + NetGame->LostReason());
            StopNetworkGame();
            MenuActive = true;
            if (Menu)
                Menu->ShowPage(PageServers);
            return;
        }
        if (MenuActive && MenuPage == PageWait && client.OwnId != 0 && !client.AwaitingPlace) {
            // The server has placed this player's aircraft: fly.
            MenuActive = false;
            GameKind = 2;
        }
    }
}

std::string NetworkSummary()
{
    if (!NetGame || !Environment)
        return {};
    const TWorld &world = Environment->World.World;
    const int objects = world.Objects ? world.Objects->Count : 0;
    const TGameObject *own = NetGame->World.OwnAircraft;
    return "network: " + std::string(NetGame->IsServer() ? "host" : "client") + " own=" +
           std::to_string(own ? own->Id : 0) + " objects=" + std::to_string(objects) +
           " aircraft=" + std::to_string(OtherAircraft(world)) + " seen=" + std::to_string(MostSeen) +
           " deaths=" + std::to_string(Deaths);
}

void StopNetworkGame()
{
    if (Running)
        Running->Stop();
    Running.reset();
    NetGame = nullptr;
    NetworkGame = false;
    NetworkHost = false;
    if (Environment)
        Environment->World.World.OnPlayerDied = nullptr;
}

int RunDedicatedServer(const TCommandLine &cmd)
{
    AppDir = ExecutableDir();
    LogEnabled = cmd.LogEnabled;
    LogFile = new TLOgFile(AppDir + "log.txt", LogEnabled);
    OpenGameArchive(AppDir);
    Locale = new TLocale(AppDir + "Data\\Locale.txt", Extractor, cmd.Language);
    Randomize(HighResolutionCounter() ? HighResolutionCounter() : std::uint64_t(TickCount()));

    // The map: a name in the multiplayer folder, or a path of the game's data or the disk.
    std::string map = cmd.Server;
    std::replace(map.begin(), map.end(), '/', '\\');
    std::string path = AppDir + "Data\\Maps\\MP\\" + map;
    if (map.find('\\') != std::string::npos)
        path = map[0] == '\\' ? cmd.Server : AppDir + map;

    // What the units need to live without a window: their models (never drawn), their shared
    // effects without textures, and the tracer and particle pools that age their shots and smoke.
    TModelLib models;
    ModelLib = &models;
    TSprites sprites;
    Sprites = &sprites;
    TBillboards tracers;
    Billboards = &tracers;
    CreateUnitTemplates(false);

    int status = ExitOk;
    {
        TWorld world;
        NetworkGame = true;
        NetworkHost = true;
        TNetGame net;
        try {
            world.LoadMission(path);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "Cannot load the map \"%s\": %s\n", cmd.Server.c_str(), Utf8FromCp1251(e.what()).c_str());
            status = ExitFailure;
        }
        std::string error;
        if (status == ExitOk) {
            Wire(net, world, nullptr);
            if (!net.StartServer(cmd.Port >= 0 ? std::uint16_t(cmd.Port) : DefaultPort, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                status = ExitFailure;
            }
        }
        if (status == ExitOk) {
            NetGame = &net;
            std::signal(SIGINT, OnStopSignal);
            std::signal(SIGTERM, OnStopSignal);
            Say("listening on port " + std::to_string(net.Port()));
            // Fixed 25 ms steps on the wall clock, as a network game's frames run.
            auto next = std::chrono::steady_clock::now();
            for (long frame = 0; !StopSignal && (cmd.Frames < 0 || frame < cmd.Frames); ++frame) {
                FrameTime = MaxFrameStep;
                world.Tick(MaxFrameStep, {});
                next += std::chrono::milliseconds(MaxFrameStep);
                const auto now = std::chrono::steady_clock::now();
                if (next > now)
                    std::this_thread::sleep_for(next - now);
                else if (now - next > std::chrono::seconds(1))
                    next = now;   // far behind: do not race to catch up
            }
            Say("server stopped");
            net.Stop();
            NetGame = nullptr;
        }
        world.Unload();
        NetworkGame = false;
        NetworkHost = false;
    }
    FreeUnitTemplates();
    Billboards = nullptr;
    Sprites = nullptr;
    ModelLib = nullptr;
    return status;
}
