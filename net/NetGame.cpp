#include "net/NetGame.h"

#include "core/Log.h"
#include "core/View.h"
#include "net/Messages.h"

#include <chrono>

namespace {

constexpr int AcceptsPerTick = 8;

} // namespace

TNetGame::~TNetGame() { Stop(); }

std::int64_t TNetGame::Now() const
{
    if (Clock)
        return Clock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TNetGame::Write(const std::string &line) const
{
    if (Log)
        Log(line);
    else
        LogWrite(line);
}

bool TNetGame::StartServer(std::uint16_t port, std::string &error, const std::string &address)
{
    Stop();
    Listener = ListenTcp(address, port, error);
    if (Listener < 0)
        return false;
    Server = std::make_unique<TMultiplayerServer>(World);
    Server->Log = [this](const std::string &line) { Write(line); };
    Server->LastSendTime = GameClock;
    NetworkSeam = this;
    Write("hosting a network game on port " + std::to_string(Port()));
    return true;
}

bool TNetGame::StartClient(const std::string &host, std::uint16_t port, const std::string &name, std::string &error)
{
    Stop();
    const int socket = ConnectTcp(host, port, ConnectTimeout, error);
    if (socket < 0)
        return false;
    Client = std::make_unique<TMultiplayerClient>(World);
    Client->Log = [this](const std::string &line) { Write(line); };
    Client->Connection = std::make_unique<TServerConnection>(*Client, socket, HostPortText(host, port), Now());
    // The name goes with the first batch, which the first tick sends.
    const std::vector<std::uint8_t> message = PlayerNameMessage(name);
    Client->AddPending(message.data(), message.size());
    Client->LastSendTime = GameClock - ClientSendInterval - 1;
    NetworkSeam = this;
    Write("connected to " + HostPortText(host, port) + " as " + name);
    return true;
}

void TNetGame::Stop()
{
    if (NetworkSeam == this)
        NetworkSeam = nullptr;
    Server.reset();
    Client.reset();
    CloseSocket(Listener);
    Listener = -1;
    LastTick = -1;
    LossReported = false;
}

bool TNetGame::Running() const { return Server || (Client && Client->Connection && Client->Connection->Open()); }

std::string TNetGame::LostReason() const
{
    if (!Client || !Client->Connection || Client->Connection->Open())
        return {};
    return Client->Connection->CloseReason;
}

std::uint16_t TNetGame::Port() const { return Listener >= 0 ? LocalPort(Listener) : 0; }

void TNetGame::SendMessage(const void *data, int size)
{
    if (Client && size > 0 && Client->Connection->Open())
        Client->AddPending(data, std::size_t(size));
}

void TNetGame::PlayerDied(TGameObject &aircraft)
{
    if (Server && &aircraft == World.OwnAircraft)
        Server->ReviveOwnAircraft();
}

void TNetGame::Tick()
{
    const std::int64_t now = Now();
    // A frame that came long after the last one: this game was not ticked (a pause, a load). The
    // peers are not to blame for the silence, nor for the backlog that arrives now.
    const std::int64_t stalled = LastTick >= 0 && now - LastTick > StallTime ? now - LastTick : 0;
    LastTick = now;
    if (Server)
        ServerFrame(now, stalled);
    if (Client)
        ClientFrame(now, stalled);
}

void TNetGame::Accept(std::int64_t now)
{
    for (int i = 0; i < AcceptsPerTick; ++i) {
        std::string peer;
        const int socket = AcceptTcp(Listener, peer);
        if (socket < 0)
            return;
        if (Server->PlayerCount() >= MaxPlayers) {
            Write("refused " + peer + ": the game is full (" + std::to_string(MaxPlayers) + " players)");
            CloseSocket(socket);
            continue;
        }
        Server->AddPlayer(std::make_unique<TTCPServerClient>(*Server, socket, peer, now));
    }
}

void TNetGame::ServerFrame(std::int64_t now, std::int64_t stalled)
{
    Accept(now);
    for (std::size_t i = 0; i < Server->Players.size(); ++i) {
        TTCPServerClient &connection = *Server->Players[i].Connection;
        connection.LastHeard += stalled;
        connection.SendUnsent();
        connection.Receive(now, stalled == 0);
        if (connection.Open() && now - connection.LastHeard > SilenceTimeout)
            connection.OnError("sent nothing for " + std::to_string(SilenceTimeout / 1000) + " s");
    }
    Server->RemoveClosed();
    Server->Respawn();
    Server->ServerTick();
    Server->RemoveClosed();
}

void TNetGame::ClientFrame(std::int64_t now, std::int64_t stalled)
{
    TServerConnection &connection = *Client->Connection;
    connection.LastHeard += stalled;
    connection.SendUnsent();
    connection.Receive(now, false);
    if (!connection.Open()) {
        if (!LossReported)
            Write("disconnected from " + connection.Peer + " (" + connection.CloseReason + ")");
        LossReported = true;
        return;
    }
    Client->ClientTick();
}
