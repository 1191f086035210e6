#pragma once
// One TCP connection of a network game: the batch being built for the next send, the bytes a full
// socket has not taken yet (they go first at the next send; a batch is never cut short), and the
// batches arriving, checked whole before any of their messages is handed on.

#include "net/Messages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a connection takes from its peer before it hangs up on it.
struct TPeerLimits {
    TSender       From = TSender::Client;   // whose messages arrive
    std::size_t   MaxBatch = 0;             // bytes of one batch, the count word included
    std::uint32_t MaxCount = 0;             // messages in one batch
    int           MaxMessagesPerSecond = 0; // 0: no limit
    std::size_t   MaxBytesPerSecond = 0;    // 0: no limit
    std::size_t   MaxUnsent = 0;            // bytes waiting for a peer that does not read; 0: no limit
    std::size_t   ReadPerPoll = 0;          // bytes read at most per Receive
};

// A client's batch is its aircraft's state and the events of 50 ms; the largest honest one is a mega
// bomb's blast, which sends up to four damage messages for each object it reaches.
constexpr std::size_t   MaxClientBatch = 64 * 1024;
constexpr std::uint32_t MaxClientBatchCount = 4096;
constexpr int           MaxClientMessagesPerSecond = 1000;
constexpr std::size_t   MaxClientBytesPerSecond = 256 * 1024;
// A server's batch is the whole world: every object's state, up to 65535 objects, and the deletions.
constexpr std::size_t   MaxServerBatch = 16 * 1024 * 1024;
constexpr std::uint32_t MaxServerBatchCount = 2 * 65536;

// The limits a server keeps its clients to, and a client its server.
TPeerLimits ClientPeerLimits();
TPeerLimits ServerPeerLimits();

class TAbstractClientServerSocket {
public:
    // Takes over Socket (connected and non-blocking); Peer is its address for the log, Now the
    // owner's millisecond clock (the connection counts as heard from at its start).
    TAbstractClientServerSocket(int socket, std::string peer, const TPeerLimits &limits, std::int64_t now);
    // Closes the socket without OnClose: the owner is letting the connection go.
    virtual ~TAbstractClientServerSocket();
    TAbstractClientServerSocket(const TAbstractClientServerSocket &) = delete;
    TAbstractClientServerSocket &operator=(const TAbstractClientServerSocket &) = delete;

    // One message of a received batch.
    virtual void OnMessage(std::span<const std::uint8_t> message) = 0;
    // The connection is closing (the socket is still open). Must not free the connection: owners
    // find closed connections afterwards (Socket -1) and let them go.
    virtual void OnClose() {}
    // Something went wrong: keeps Reason (the first one) and closes.
    virtual void OnError(const std::string &reason);

    // Reads what has arrived, at most ReadPerPoll bytes, and hands every message of each complete
    // batch to OnMessage, each batch checked whole first. A faulty batch, too much in a second (when
    // CountFlood), a socket error or the peer's hang-up closes the connection. Now is the owner's
    // millisecond clock.
    void Receive(std::int64_t now, bool countFlood = true);
    // Sends what earlier flushes left unsent; a peer that leaves more than MaxUnsent unread is dropped.
    void SendUnsent();

    bool Open() const { return Socket >= 0; }
    std::size_t UnsentBytes() const { return Unsent.size() - UnsentStart; }

    std::vector<std::uint8_t> SendBuffer;   // the batch being built: count word, then the messages
    std::int32_t SendLength = 0;            // bytes in SendBuffer
    int          Socket = -1;               // -1 once closed
    std::string  Peer;                      // "127.0.0.1:53422"
    std::string  CloseReason;               // why it closed, for the log
    std::int64_t LastHeard = 0;             // when the last complete batch arrived
    TPeerLimits  Limits;

private:
    friend void Flush(TAbstractClientServerSocket &connection);
    friend void Close(TAbstractClientServerSocket &connection);

    void HandBatches(std::int64_t now, bool countFlood);
    bool Flooded(std::int64_t now, std::size_t messages, std::size_t bytes, bool countFlood);

    std::vector<std::uint8_t> Unsent;
    std::size_t UnsentStart = 0;
    TBatchSplitter Incoming;
    std::vector<std::span<const std::uint8_t>> Batch;
    std::int64_t WindowStart = 0;
    std::size_t  WindowMessages = 0, WindowBytes = 0;
};

// Appends Message to the connection's batch: the first message makes the batch with count 1, each
// further one adds 1.
void Queue(TAbstractClientServerSocket &connection, const void *message, std::size_t size);
// Appends a type 4 or 20 message around State without building it apart.
void QueueState(TAbstractClientServerSocket &connection, std::uint8_t type, std::span<const std::uint8_t> state);
// Sends the batch, after anything earlier flushes left, in one send call, and discards it; what the
// socket does not take waits for the next send. Nothing without a batch; a closed connection drops it.
void Flush(TAbstractClientServerSocket &connection);
// If open: OnClose, then the socket is closed and Socket := -1.
void Close(TAbstractClientServerSocket &connection);
