#include "net/Connection.h"

#include "core/Bytes.h"
#include "net/Socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace {

constexpr std::int64_t FloodWindow = 1000;   // ms

void Compact(std::vector<std::uint8_t> &bytes, std::size_t &start)
{
    if (start == bytes.size()) {
        bytes.clear();
        start = 0;
    } else if (start > 0 && start * 2 >= bytes.size()) {
        bytes.erase(bytes.begin(), bytes.begin() + std::ptrdiff_t(start));
        start = 0;
    }
}

} // namespace

TPeerLimits ClientPeerLimits()
{
    TPeerLimits limits;
    limits.From = TSender::Client;
    limits.MaxBatch = MaxClientBatch;
    limits.MaxCount = MaxClientBatchCount;
    limits.MaxMessagesPerSecond = MaxClientMessagesPerSecond;
    limits.MaxBytesPerSecond = MaxClientBytesPerSecond;
    limits.MaxUnsent = MaxServerBatch;
    limits.ReadPerPoll = MaxClientBytesPerSecond;
    return limits;
}

TPeerLimits ServerPeerLimits()
{
    TPeerLimits limits;
    limits.From = TSender::Server;
    limits.MaxBatch = MaxServerBatch;
    limits.MaxCount = MaxServerBatchCount;
    limits.MaxUnsent = MaxClientBatch * 16;
    limits.ReadPerPoll = MaxServerBatch;
    return limits;
}

TAbstractClientServerSocket::TAbstractClientServerSocket(int socket, std::string peer, const TPeerLimits &limits,
                                                         std::int64_t now)
    : Socket(socket), Peer(std::move(peer)), LastHeard(now), Limits(limits), Incoming(limits.MaxBatch, limits.MaxCount),
      WindowStart(now)
{
}

TAbstractClientServerSocket::~TAbstractClientServerSocket() { CloseSocket(Socket); }

void TAbstractClientServerSocket::OnError(const std::string &reason)
{
    if (CloseReason.empty())
        CloseReason = reason;
    Close(*this);
}

void TAbstractClientServerSocket::Receive(std::int64_t now, bool countFlood)
{
    std::uint8_t buffer[64 * 1024];
    std::size_t read = 0;
    while (Open() && read < Limits.ReadPerPoll) {
        const ssize_t n = recv(Socket, buffer, std::min(sizeof buffer, Limits.ReadPerPoll - read), 0);
        if (n > 0) {
            read += std::size_t(n);
            Incoming.Append(buffer, std::size_t(n));
            if (Flooded(now, 0, std::size_t(n), countFlood))
                return;
            continue;
        }
        if (n == 0) {
            // What the peer sent before hanging up still counts.
            HandBatches(now, countFlood);
            if (CloseReason.empty())
                CloseReason = "closed by the other side";
            Close(*this);
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        OnError(std::strerror(errno));
        return;
    }
    HandBatches(now, countFlood);
}

void TAbstractClientServerSocket::HandBatches(std::int64_t now, bool countFlood)
{
    while (Open() && Incoming.Next(Batch)) {
        for (const auto &message : Batch)
            if (const std::string fault = CheckMessage(message, Limits.From); !fault.empty()) {
                OnError("sent " + fault);
                return;
            }
        LastHeard = now;
        if (Flooded(now, Batch.size(), 0, countFlood))
            return;
        for (const auto &message : Batch) {
            OnMessage(message);
            if (!Open())
                return;
        }
    }
    if (Open() && !Incoming.Fault().empty())
        OnError("sent " + Incoming.Fault());
}

bool TAbstractClientServerSocket::Flooded(std::int64_t now, std::size_t messages, std::size_t bytes, bool countFlood)
{
    if (!countFlood)
        return false;
    if (now - WindowStart >= FloodWindow) {
        WindowStart = now;
        WindowMessages = WindowBytes = 0;
    }
    WindowMessages += messages;
    WindowBytes += bytes;
    if (Limits.MaxMessagesPerSecond > 0 && WindowMessages > std::size_t(Limits.MaxMessagesPerSecond)) {
        OnError("sent more than " + std::to_string(Limits.MaxMessagesPerSecond) + " messages in a second");
        return true;
    }
    if (Limits.MaxBytesPerSecond > 0 && WindowBytes > Limits.MaxBytesPerSecond) {
        OnError("sent more than " + std::to_string(Limits.MaxBytesPerSecond) + " bytes in a second");
        return true;
    }
    return false;
}

void TAbstractClientServerSocket::SendUnsent()
{
    if (!Open() || UnsentBytes() == 0)
        return;
    ssize_t n;
    do
        n = send(Socket, Unsent.data() + UnsentStart, UnsentBytes(), MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        OnError(std::strerror(errno));
        return;
    }
    if (n > 0)
        UnsentStart += std::size_t(n);
    Compact(Unsent, UnsentStart);
    if (Limits.MaxUnsent > 0 && UnsentBytes() > Limits.MaxUnsent)
        OnError("does not read what it is sent (" + std::to_string(UnsentBytes()) + " bytes wait)");
}

void Queue(TAbstractClientServerSocket &connection, const void *message, std::size_t size)
{
    std::vector<std::uint8_t> &batch = connection.SendBuffer;
    if (batch.empty())
        batch.resize(BatchCountSize);
    StoreU32(batch.data(), LoadU32(batch.data()) + 1);
    const auto *bytes = static_cast<const std::uint8_t *>(message);
    batch.insert(batch.end(), bytes, bytes + size);
    connection.SendLength = std::int32_t(batch.size());
}

void QueueState(TAbstractClientServerSocket &connection, std::uint8_t type, std::span<const std::uint8_t> state)
{
    const std::size_t size = state.size() + StateWrapSize;
    const std::uint8_t head[MessageHeadSize] = {std::uint8_t(size), std::uint8_t(size >> 8), type};
    Queue(connection, head, sizeof head);
    std::vector<std::uint8_t> &batch = connection.SendBuffer;
    batch.insert(batch.end(), state.begin(), state.end());
    batch.push_back(0);
    connection.SendLength = std::int32_t(batch.size());
}

void Flush(TAbstractClientServerSocket &connection)
{
    if (connection.SendBuffer.empty())
        return;
    if (connection.Open()) {
        if (connection.UnsentBytes() == 0) {
            // The usual case: the batch goes straight from where it was built.
            connection.Unsent.swap(connection.SendBuffer);
            connection.UnsentStart = 0;
        } else {
            connection.Unsent.insert(connection.Unsent.end(), connection.SendBuffer.begin(),
                                     connection.SendBuffer.end());
        }
    }
    connection.SendBuffer.clear();
    connection.SendLength = 0;
    connection.SendUnsent();
}

void Close(TAbstractClientServerSocket &connection)
{
    if (!connection.Open())
        return;
    connection.OnClose();
    CloseSocket(connection.Socket);
    connection.Socket = -1;
    connection.SendBuffer.clear();
    connection.SendLength = 0;
    connection.Unsent.clear();
    connection.UnsentStart = 0;
}
