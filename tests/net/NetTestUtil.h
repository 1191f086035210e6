#pragma once
// What the network tests share: a fixture that puts the program's globals back, real TCP connections
// on 127.0.0.1, raw batches written and read as a peer sees them, and small objects for the world.

#include "net/Connection.h"
#include "net/Messages.h"
#include "sim/GameObjects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

// Resets what a network game touches: the network flags and seam, the game clock, the player
// aircraft, and any data the objects could load (there is none: objects come without models).
class NetTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string SavedAppDir;
};

// Two ends of one real TCP connection on 127.0.0.1, both non-blocking.
struct TLoopback {
    TLoopback();
    ~TLoopback();
    TLoopback(const TLoopback &) = delete;
    TLoopback &operator=(const TLoopback &) = delete;
    // Hands Near over to a connection object (which closes it); Far stays the test's.
    int TakeNear();

    int Near = -1, Far = -1;
};

// A batch of Messages, as a peer sends it.
TBytes Batch(std::initializer_list<TBytes> messages);
TBytes Batch(const std::vector<TBytes> &messages);
// Writes all of Bytes to Socket (waiting while it is full); false when the socket fails.
bool SendAll(int socket, const TBytes &bytes);
// Reads from Socket into Splitter until a whole batch came out (its messages in Messages) or
// Seconds passed; false then.
bool ReadBatch(int socket, TBatchSplitter &splitter, std::vector<TBytes> &messages, double seconds = 2);
// Everything that arrives at Socket within Ms milliseconds.
TBytes Drain(int socket, int ms = 0);
// Whether the peer has closed Socket (reads until the end of the stream, at most Seconds).
bool PeerClosed(int socket, double seconds = 2);

// Calls Step until Done, at most Seconds of wall time; whether Done came true.
bool Until(const std::function<bool()> &done, const std::function<void()> &step, double seconds = 3);

// The 16-bit value at Offset.
std::uint16_t Word(const TBytes &bytes, std::size_t offset);

// A listed object of a class with a state (TEmptyObject, class 7) at X, Y, Z.
TGameObject *AddMarker(TObjectsControl &objects, float x, float y, float z);
