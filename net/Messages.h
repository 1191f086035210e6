#pragma once
// The messages of a network game and the batches they travel in.
//
// A batch is what one send carries: a 32-bit message count, then the messages back to back. Every
// message starts with its total size (16 bits, the size field included) and a type byte. All
// integers are little-endian, floats are IEEE singles.
//
//   type  direction         size           after the size (0) and the type (2)
//    1    client → server   50             3: start (4 floats), 19: direction (4 floats), 35: damage,
//                                          37: launch speed, 39: top speed, 41: health (16 bits each,
//                                          rounded), 43: target id (16 bits, 0 none), 45: side (signed
//                                          byte), 46: lifetime in ms (int32)
//    2    client → server   7              3: damage (16 bits), 5: id of the damaged object
//    4    client → server   state + 4      3: the state message of the client's own aircraft
//    5    client → server   4 + length     3: length byte, then the player's name
//   20    server → client   state + 4      3: the state message of an object
//   21    server → client   5              3: id of an object that has left the world
//   22    server → client   5              3: id of the object that is the client's own aircraft in
//                                          the server's world (on joining and after each new aircraft)
//
// A state message (sim/UnitState.h) rides at offset 3 of types 4 and 20; one spare byte follows it.

#include "core/Maths.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum TMessageType : std::uint8_t {
    MessageLaunch = 1,
    MessageDamage = 2,
    MessageOwnState = 4,
    MessagePlayerName = 5,
    MessageObjectState = 20,
    MessageObjectDeleted = 21,
    MessageOwnAircraft = 22,
};

constexpr std::size_t   MessageHeadSize = 3;   // size and type
constexpr std::size_t   BatchCountSize = 4;
constexpr std::size_t   StateWrapSize = 4;     // a state message travels 4 bytes longer
constexpr std::uint16_t LaunchMessageSize = 50;
constexpr std::uint16_t DamageMessageSize = 7;
constexpr std::uint16_t DeletedMessageSize = 5;
constexpr std::uint16_t OwnAircraftMessageSize = 5;

// The values of a missile launch message.
struct TLaunchMessage {
    TVector3      Start, Direction;   // the fourth floats travel as 0
    float         Damage = 0, LaunchSpeed = 0, TopSpeed = 0, Health = 0;   // rounded to 16 bits on the way
    std::uint16_t Target = 0;
    std::int8_t   Side = 0;
    std::int32_t  Lifetime = 0;
};

std::vector<std::uint8_t> LaunchMessage(const TLaunchMessage &launch);
std::vector<std::uint8_t> DamageMessage(std::uint16_t id, std::uint16_t amount);
// Type 4 or 20 around State (a whole state message).
std::vector<std::uint8_t> StateMessage(std::uint8_t type, std::span<const std::uint8_t> state);
std::vector<std::uint8_t> DeletedMessage(std::uint16_t id);
std::vector<std::uint8_t> OwnAircraftMessage(std::uint16_t id);
// The name is cut to 255 bytes.
std::vector<std::uint8_t> PlayerNameMessage(std::string_view name);

// Readers of a message that has passed CheckMessage.
std::uint16_t  MessageSize(const std::uint8_t *message);
std::uint8_t   MessageType(const std::uint8_t *message);
// A 16-bit value at Offset.
std::uint16_t  MessageWord(const std::uint8_t *message, std::size_t offset);
TLaunchMessage ReadLaunch(const std::uint8_t *message);
// The state inside a type 4 or 20 message.
std::span<const std::uint8_t> WrappedState(std::span<const std::uint8_t> message);
std::string    ReadPlayerName(const std::uint8_t *message);

// Who sent a message, for the types each side accepts.
enum class TSender { Client, Server };

// Why Message (its size field already matched by the batch splitter) cannot be taken from Sender:
// a size its type does not allow, a state message of the wrong size for its class or of no known
// class, or a position that is not a number. Empty when it is fine. Types the receiver does not
// handle are fine: they are ignored.
std::string CheckMessage(std::span<const std::uint8_t> message, TSender sender);

// Cuts a byte stream into batches. Bytes arrive in any pieces; each complete batch comes out whole,
// as the list of its messages. A batch longer than MaxBatch bytes, a count above MaxCount or a
// message size below 3 is a fault: the stream cannot be read any further.
class TBatchSplitter {
public:
    TBatchSplitter(std::size_t maxBatch, std::uint32_t maxCount) : MaxBatch(maxBatch), MaxCount(maxCount) {}

    void Append(const std::uint8_t *data, std::size_t size);
    // The next complete batch into Messages (views into the splitter, valid until the next call of
    // Append or Next); false when no batch is complete yet or after a fault.
    bool Next(std::vector<std::span<const std::uint8_t>> &messages);

    const std::string &Fault() const { return Error; }
    std::size_t Buffered() const { return Data.size() - Start; }

    const std::size_t   MaxBatch;
    const std::uint32_t MaxCount;

private:
    std::vector<std::uint8_t> Data;
    std::size_t Start = 0;   // the first byte not yet handed out
    std::string Error;
};
