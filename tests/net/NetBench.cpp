// The network game's two costly steps, with real objects and real connections on 127.0.0.1: one
// server send to 8 clients of a world of 200 objects, and a client applying one whole batch of
// them. Run on demand (not by ctest); the counters give the bytes a client receives.

#include "core/App.h"
#include "core/View.h"
#include "net/Multiplayer.h"
#include "net/Socket.h"
#include "sim/Aircraft.h"
#include "sim/GameObjects.h"
#include "sim/Ships.h"
#include "sim/Statics.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <sys/socket.h>
#include <vector>

namespace {

constexpr int Clients = 8;
constexpr int ObjectCount = 200;
constexpr int SendsPerSecond = 20;

// A world of the classes a mission is made of: aircraft, ships, missiles and markers.
void Populate(TObjectsControl &objects)
{
    for (int i = 0; i < ObjectCount; ++i) {
        const TVector3 at = VectorSet3(float(i * 50), float(i * 30), 100);
        TGameObject *object = nullptr;
        switch (i % 4) {
        case 0: object = new TCraftSu25(objects, at, {}); break;
        case 1: object = new TDestroyer(objects, at, 1, {}); break;
        case 2: object = new TAirToAirRocket(objects, at, {}); break;
        default: object = new TEmptyObject(objects, at, 0, 0); break;
        }
        object->Health = object->MaxHealth = 1000;
        object->Name = "Unit " + std::to_string(i);
        objects.Add(object);
    }
}

// A connected pair on 127.0.0.1: the server's end and the client's.
void Connect(int &serverEnd, int &clientEnd)
{
    std::string error, peer;
    const int listener = ListenTcp("127.0.0.1", 0, error);
    clientEnd = ConnectTcp("127.0.0.1", LocalPort(listener), 2000, error);
    do
        serverEnd = AcceptTcp(listener, peer);
    while (serverEnd < 0);
    CloseSocket(listener);
}

std::size_t DrainSocket(int socket)
{
    std::size_t total = 0;
    std::uint8_t buffer[65536];
    for (ssize_t n; (n = recv(socket, buffer, sizeof buffer, 0)) > 0;)
        total += std::size_t(n);
    return total;
}

void Headless()
{
    AppDir = "/nonexistent-zephrona-data/";
    NetworkGame = NetworkHost = true;
}

void ServerSend(benchmark::State &state)
{
    Headless();
    TObjectsControl objects;
    Populate(objects);
    TNetWorld world;
    world.Objects = &objects;
    world.NewRemoteAircraft = [](TObjectsControl &o) {
        auto *marker = new TEmptyObject(o, {}, 0, 0);   // the players' aircraft are not what is measured
        return marker;
    };
    TMultiplayerServer server(world);
    std::vector<int> far(Clients);
    for (int &end : far) {
        int near = -1;
        Connect(near, end);
        server.AddPlayer(std::make_unique<TTCPServerClient>(server, near, "bench", 0));
    }
    GameClock += ServerSendInterval;
    server.ServerTick();   // the first send, with the aircraft's Ids
    for (const int end : far)
        DrainSocket(end);

    std::size_t bytes = 0, sends = 0;
    for (auto _ : state) {
        GameClock += ServerSendInterval;
        server.ServerTick();
        state.PauseTiming();
        for (const int end : far)
            bytes += DrainSocket(end);
        ++sends;
        state.ResumeTiming();
    }
    const double perClientSend = double(bytes) / double(sends) / Clients;
    state.counters["bytes_per_client_send"] = perClientSend;
    state.counters["bytes_per_s_per_client"] = perClientSend * SendsPerSecond;
    for (const int end : far)
        CloseSocket(end);
}

void ClientApply(benchmark::State &state)
{
    Headless();
    TObjectsControl serverObjects;
    Populate(serverObjects);
    std::vector<std::vector<std::uint8_t>> batch;
    for (TGameObject *object : serverObjects.Objects) {
        TByteWriter w;
        object->WriteState(w);
        batch.push_back(StateMessage(MessageObjectState, w.Out));
    }
    TObjectsControl clientObjects;
    TNetWorld world;
    world.Objects = &clientObjects;
    TMultiplayerClient client(world);
    for (const auto &message : batch)   // the first batch makes the objects
        client.Apply(message);
    for (auto _ : state)
        for (const auto &message : batch)
            client.Apply(message);
    state.counters["objects"] = double(clientObjects.Count);
}

} // namespace

BENCHMARK(ServerSend)->Unit(benchmark::kMillisecond);
BENCHMARK(ClientApply)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
