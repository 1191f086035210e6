#include "net/Messages.h"

#include "core/Bytes.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t StatePositionOffset = 262;   // Position and Rotation: 8 floats

void Head(TByteWriter &w, std::size_t size, std::uint8_t type)
{
    w.Short(std::int16_t(std::uint16_t(size)));
    w.Byte(type);
}

float LoadFloat(const std::uint8_t *p)
{
    const std::uint32_t bits = LoadU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Whether the Count floats at P are all numbers (a NaN or an infinity would poison the world).
bool FiniteFloats(const std::uint8_t *p, int count)
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(LoadFloat(p + 4 * i)))
            return false;
    return true;
}

std::string Bytes(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Why a type 4 or 20 message cannot carry its state; empty when it can.
std::string CheckWrappedState(std::span<const std::uint8_t> message, const char *what)
{
    if (message.size() < MessageHeadSize + 4 + 1)
        return std::string(what) + " of " + Bytes(message.size());
    const std::uint16_t inner = MessageWord(message.data(), 3);
    const std::uint16_t code = MessageWord(message.data(), 5);
    if (inner + StateWrapSize != message.size())
        return std::string(what) + " of " + Bytes(message.size()) + " around a state of " + Bytes(inner);
    if (StateSize(code) == 0)
        return std::string(what) + " of unknown class " + std::to_string(code);
    if (StateSize(code) != inner)
        return std::string(what) + " of class " + std::to_string(code) + " with " + Bytes(inner) + " (it has " +
               std::to_string(StateSize(code)) + ")";
    if (!FiniteFloats(message.data() + 3 + StatePositionOffset, 8))
        return std::string(what) + " with a position that is not a number";
    return {};
}

std::string CheckFixed(std::span<const std::uint8_t> message, std::size_t size, const char *what)
{
    if (message.size() != size)
        return std::string(what) + " of " + Bytes(message.size()) + " (it has " + std::to_string(size) + ")";
    return {};
}

} // namespace

// ---- Building -----------------------------------------------------------------------------------

std::vector<std::uint8_t> LaunchMessage(const TLaunchMessage &launch)
{
    TByteWriter w;
    Head(w, LaunchMessageSize, MessageLaunch);
    const TVector3 &s = launch.Start, &d = launch.Direction;
    for (const float f : {s.x, s.y, s.z, 0.0f, d.x, d.y, d.z, 0.0f})
        w.Float(f);
    for (const float f : {launch.Damage, launch.LaunchSpeed, launch.TopSpeed, launch.Health})
        w.Short(std::int16_t(Round16(f)));
    w.Short(std::int16_t(launch.Target));
    w.Byte(std::uint8_t(launch.Side));
    w.Int(launch.Lifetime);
    return std::move(w.Out);
}

std::vector<std::uint8_t> DamageMessage(std::uint16_t id, std::uint16_t amount)
{
    TByteWriter w;
    Head(w, DamageMessageSize, MessageDamage);
    w.Short(std::int16_t(amount));
    w.Short(std::int16_t(id));
    return std::move(w.Out);
}

std::vector<std::uint8_t> StateMessage(std::uint8_t type, std::span<const std::uint8_t> state)
{
    TByteWriter w;
    Head(w, state.size() + StateWrapSize, type);
    w.Bytes(state.data(), state.size());
    w.Byte(0);
    return std::move(w.Out);
}

std::vector<std::uint8_t> DeletedMessage(std::uint16_t id)
{
    TByteWriter w;
    Head(w, DeletedMessageSize, MessageObjectDeleted);
    w.Short(std::int16_t(id));
    return std::move(w.Out);
}

std::vector<std::uint8_t> OwnAircraftMessage(std::uint16_t id)
{
    TByteWriter w;
    Head(w, OwnAircraftMessageSize, MessageOwnAircraft);
    w.Short(std::int16_t(id));
    return std::move(w.Out);
}

std::vector<std::uint8_t> PlayerNameMessage(std::string_view name)
{
    name = name.substr(0, 255);
    TByteWriter w;
    Head(w, 4 + name.size(), MessagePlayerName);
    w.Byte(std::uint8_t(name.size()));
    w.Bytes(name.data(), name.size());
    return std::move(w.Out);
}

// ---- Reading ------------------------------------------------------------------------------------

std::uint16_t MessageWord(const std::uint8_t *message, std::size_t offset)
{
    return std::uint16_t(message[offset] | message[offset + 1] << 8);
}

std::uint16_t MessageSize(const std::uint8_t *message) { return MessageWord(message, 0); }
std::uint8_t MessageType(const std::uint8_t *message) { return message[2]; }

TLaunchMessage ReadLaunch(const std::uint8_t *message)
{
    TByteReader r(message, LaunchMessageSize);
    r.Skip(MessageHeadSize);
    TLaunchMessage launch;
    launch.Start.x = r.Float();
    launch.Start.y = r.Float();
    launch.Start.z = r.Float();
    r.Float();
    launch.Direction.x = r.Float();
    launch.Direction.y = r.Float();
    launch.Direction.z = r.Float();
    r.Float();
    launch.Damage = float(std::uint16_t(r.Short()));
    launch.LaunchSpeed = float(std::uint16_t(r.Short()));
    launch.TopSpeed = float(std::uint16_t(r.Short()));
    launch.Health = float(std::uint16_t(r.Short()));
    launch.Target = std::uint16_t(r.Short());
    launch.Side = std::int8_t(r.Byte());
    launch.Lifetime = r.Int();
    return launch;
}

std::span<const std::uint8_t> WrappedState(std::span<const std::uint8_t> message)
{
    return message.subspan(MessageHeadSize, MessageWord(message.data(), MessageHeadSize));
}

std::string ReadPlayerName(const std::uint8_t *message)
{
    return std::string(reinterpret_cast<const char *>(message + 4), message[3]);
}

std::string CheckMessage(std::span<const std::uint8_t> message, TSender sender)
{
    if (message.size() < MessageHeadSize)
        return "a message of " + Bytes(message.size());
    const std::uint8_t type = MessageType(message.data());
    if (sender == TSender::Client) {
        switch (type) {
        case MessageLaunch: {
            std::string fault = CheckFixed(message, LaunchMessageSize, "a missile launch");
            if (fault.empty() && !FiniteFloats(message.data() + 3, 8))
                fault = "a missile launch from a place that is not a number";
            return fault;
        }
        case MessageDamage: return CheckFixed(message, DamageMessageSize, "a damage message");
        case MessageOwnState: {
            std::string fault = CheckWrappedState(message, "an aircraft state");
            if (fault.empty() && MessageWord(message.data(), 5) != ClassGamer)
                fault = "an aircraft state of class " + std::to_string(MessageWord(message.data(), 5));
            return fault;
        }
        case MessagePlayerName:
            if (message.size() < 4 || message.size() != 4u + message[3])
                return "a player name message of " + Bytes(message.size());
            return {};
        default: return {};
        }
    }
    switch (type) {
    case MessageObjectState: return CheckWrappedState(message, "an object state");
    case MessageObjectDeleted: return CheckFixed(message, DeletedMessageSize, "a deletion");
    case MessageOwnAircraft: return CheckFixed(message, OwnAircraftMessageSize, "an own-aircraft message");
    default: return {};
    }
}

// ---- Splitting the stream -----------------------------------------------------------------------

void TBatchSplitter::Append(const std::uint8_t *data, std::size_t size)
{
    if (!Error.empty())
        return;
    // Handed-out bytes are dropped once they are the larger part of the buffer.
    if (Start > 0 && Start * 2 >= Data.size()) {
        Data.erase(Data.begin(), Data.begin() + std::ptrdiff_t(Start));
        Start = 0;
    }
    Data.insert(Data.end(), data, data + size);
}

bool TBatchSplitter::Next(std::vector<std::span<const std::uint8_t>> &messages)
{
    messages.clear();
    if (!Error.empty())
        return false;
    const std::uint8_t *base = Data.data() + Start;
    const std::size_t available = Data.size() - Start;
    if (available < BatchCountSize)
        return false;
    const std::uint32_t count = LoadU32(base);
    if (count > MaxCount) {
        Error = "a batch of " + std::to_string(count) + " messages (at most " + std::to_string(MaxCount) + ")";
        return false;
    }
    std::size_t at = BatchCountSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 2 > available) {
            messages.clear();
            return false;
        }
        const std::uint16_t size = MessageWord(base, at);
        if (size < MessageHeadSize) {
            Error = "a message of " + Bytes(size);
            return false;
        }
        if (at + size > MaxBatch) {
            Error = "a batch of more than " + Bytes(MaxBatch);
            return false;
        }
        if (at + size > available) {
            messages.clear();
            return false;
        }
        messages.emplace_back(base + at, size);
        at += size;
    }
    Start += at;
    return true;
}
