#include "tests/net/NetTestUtil.h"

#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/Bytes.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "net/Socket.h"
#include "sim/Seams.h"
#include "sim/Statics.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

void NetTest::SetUp()
{
    SavedAppDir = AppDir;
    AppDir = "/nonexistent-zephrona-data/";
    Extractor = nullptr;
    ModelLib = nullptr;
    NetworkGame = NetworkHost = false;
    NetworkSeam = nullptr;
    PlayerAircraft = nullptr;
    GameClock = 1000;
}

void NetTest::TearDown()
{
    NetworkGame = NetworkHost = false;
    NetworkSeam = nullptr;
    PlayerAircraft = nullptr;
    AppDir = SavedAppDir;
}

TLoopback::TLoopback()
{
    std::string error, peer;
    const int listener = ListenTcp("127.0.0.1", 0, error);
    EXPECT_GE(listener, 0) << error;
    Far = ConnectTcp("127.0.0.1", LocalPort(listener), 2000, error);
    EXPECT_GE(Far, 0) << error;
    Until([&] { return Near >= 0; }, [&] { Near = AcceptTcp(listener, peer); });
    EXPECT_GE(Near, 0);
    CloseSocket(listener);
}

TLoopback::~TLoopback()
{
    CloseSocket(Near);
    CloseSocket(Far);
}

int TLoopback::TakeNear()
{
    const int s = Near;
    Near = -1;
    return s;
}

TBytes Batch(const std::vector<TBytes> &messages)
{
    TBytes batch(4);
    StoreU32(batch.data(), std::uint32_t(messages.size()));
    for (const TBytes &m : messages)
        batch.insert(batch.end(), m.begin(), m.end());
    return batch;
}

TBytes Batch(std::initializer_list<TBytes> messages) { return Batch(std::vector<TBytes>(messages)); }

bool SendAll(int socket, const TBytes &bytes)
{
    std::size_t sent = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sent < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() > end)
            return false;
        pollfd wait{socket, POLLOUT, 0};
        poll(&wait, 1, 10);
    }
    return true;
}

bool ReadBatch(int socket, TBatchSplitter &splitter, std::vector<TBytes> &messages, double seconds)
{
    std::vector<std::span<const std::uint8_t>> views;
    bool got = false;
    Until([&] { return got || !splitter.Fault().empty(); },
          [&] {
              std::uint8_t buffer[65536];
              const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
              if (n > 0)
                  splitter.Append(buffer, std::size_t(n));
              else
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              got = splitter.Next(views);
          },
          seconds);
    messages.clear();
    for (const auto &view : views)
        messages.emplace_back(view.begin(), view.end());
    return got;
}

TBytes Drain(int socket, int ms)
{
    TBytes all;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        std::uint8_t buffer[65536];
        const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n > 0) {
            all.insert(all.end(), buffer, buffer + n);
            continue;
        }
        if (std::chrono::steady_clock::now() >= end)
            return all;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool PeerClosed(int socket, double seconds)
{
    bool closed = false;
    Until([&] { return closed; },
          [&] {
              std::uint8_t buffer[65536];
              const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
              if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                  closed = true;
              else if (n < 0)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
          },
          seconds);
    return closed;
}

bool Until(const std::function<bool()> &done, const std::function<void()> &step, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        step();
    }
    return true;
}

std::uint16_t Word(const TBytes &bytes, std::size_t offset)
{
    return std::uint16_t(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

TGameObject *AddMarker(TObjectsControl &objects, float x, float y, float z)
{
    auto *marker = new TEmptyObject(objects, VectorSet3(x, y, z), 0, 0);
    objects.Add(marker);
    return marker;
}
