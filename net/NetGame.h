#pragma once
// A network game as the rest of the program sees it: host one on a port, or join one at a host, then
// one Tick a mission frame after the world moved (the world's network seam calls it). A tick takes
// new players, reads and applies what arrived, drops players who broke the rules or fell silent,
// brings fallen players back, and sends what is due.
//
// While it runs it is the simulation's network seam: a client's weapons hand it their launch and
// damage messages, and the world ticks it.

#include "net/Multiplayer.h"
#include "net/NetWorld.h"
#include "net/Socket.h"
#include "sim/Seams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TNetGame : public TNetworkSeam {
public:
    TNetGame() = default;
    ~TNetGame() override;
    TNetGame(const TNetGame &) = delete;
    TNetGame &operator=(const TNetGame &) = delete;

    // Hosts a game on Port of Address (empty: every address, IPv4 and IPv6; port 0: one the system
    // picks, see Port). False, with Error, when the port cannot be had. Stops a running game first.
    bool StartServer(std::uint16_t port, std::string &error, const std::string &address = {});
    // Joins the game at Host:Port as Name, waiting at most ConnectTimeout ms for the connection.
    // False, with Error ("Cannot connect to HOST:PORT: reason"). Stops a running game first.
    bool StartClient(const std::string &host, std::uint16_t port, const std::string &name, std::string &error);
    // One frame of the game (see the file's head).
    void Tick();
    void Tick(int) override { Tick(); }
    // Closes every connection and the listening port, and stops being the network seam. The world is
    // left as it is (its mission may already be gone).
    void Stop();
    // A player aircraft of this machine has fallen (the world's OnPlayerDied): the server brings its
    // own back at a spawn point; a client waits for its server to name the new one.
    void PlayerDied(TGameObject &aircraft);

    bool IsServer() const { return Server != nullptr; }
    bool IsClient() const override { return Client != nullptr; }
    // A server runs until stopped; a client while its connection is open.
    bool Running() const;
    // Why a client's connection closed; empty while it is open.
    std::string LostReason() const;
    // The port the server listens on; 0 when it does not.
    std::uint16_t Port() const;

    // TNetworkSeam: a connected client's weapons' messages wait for its next send; elsewhere they are
    // dropped.
    void SendMessage(const void *data, int size) override;

    // Set by the mission before starting and kept valid while the game runs.
    TNetWorld World;
    // Where the game's lines go ("player 2 joined from 127.0.0.1:53422 as Kite"); unset: the log file.
    std::function<void(const std::string &)> Log;
    // The millisecond clock of the time-outs and flood counts: the wall clock, since the game clocks
    // of two machines run apart and a host's stops when it pauses. Tests give their own.
    std::function<std::int64_t()> Clock;
    // A client that has sent no complete batch for this long (ms) is dropped. Time while this game
    // was not ticked (more than StallTime between ticks) does not count, nor does a flood count the
    // backlog read after it.
    std::int64_t SilenceTimeout = 10000;
    std::int64_t StallTime = 1000;
    int MaxPlayers = 16;
    int ConnectTimeout = 5000;   // ms

    std::unique_ptr<TMultiplayerServer> Server;
    std::unique_ptr<TMultiplayerClient> Client;

private:
    std::int64_t Now() const;
    void Write(const std::string &line) const;
    void Accept(std::int64_t now);
    void ServerFrame(std::int64_t now, std::int64_t stalled);
    void ClientFrame(std::int64_t now, std::int64_t stalled);

    int Listener = -1;
    std::int64_t LastTick = -1;
    bool LossReported = false;
};
