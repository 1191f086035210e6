// The wire: every message type byte for byte at its offsets, the weapons' own messages, the checks a
// receiver makes of each message, the splitting of a byte stream into batches, and the batching and
// sending of a connection over a real socket, a full one included.

#include "core/Bytes.h"
#include "core/App.h"
#include "net/Connection.h"
#include "net/Messages.h"
#include "net/Socket.h"
#include "sim/Aircraft.h"
#include "sim/Seams.h"
#include "sim/Statics.h"
#include "sim/UnitState.h"
#include "sim/Weapons.h"
#include "tests/net/NetTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sys/socket.h>

namespace {

// A message written field by field at the offsets of the format table, apart from the code.
struct TExpected {
    explicit TExpected(std::size_t size) : Bytes(size, 0) {}
    TExpected &U8(std::size_t at, std::uint8_t v)
    {
        Bytes.at(at) = v;
        return *this;
    }
    TExpected &U16(std::size_t at, std::uint16_t v) { return U8(at, std::uint8_t(v)).U8(at + 1, std::uint8_t(v >> 8)); }
    TExpected &U32(std::size_t at, std::uint32_t v) { return U16(at, std::uint16_t(v)).U16(at + 2, std::uint16_t(v >> 16)); }
    TExpected &F32(std::size_t at, float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U32(at, bits);
    }
    TExpected &Span(std::size_t at, const TBytes &v)
    {
        std::copy(v.begin(), v.end(), Bytes.begin() + std::ptrdiff_t(at));
        return *this;
    }
    TBytes Bytes;
};

TBytes MarkerState(std::uint16_t id)
{
    TObjectsControl objects;
    TEmptyObject marker(objects, VectorSet3(1, 2, 3), 4, 5);
    marker.Id = id;
    marker.Name = "Buoy";
    TByteWriter w;
    marker.WriteState(w);
    return w.Out;
}

// A connection the tests drive by hand: it keeps what it is handed.
class TKeeper : public TAbstractClientServerSocket {
public:
    TKeeper(int socket, const TPeerLimits &limits) : TAbstractClientServerSocket(socket, "test", limits, 0) {}
    void OnMessage(std::span<const std::uint8_t> message) override { Messages.emplace_back(message.begin(), message.end()); }
    std::vector<TBytes> Messages;
};

// The network layer as a client's weapons see it: it keeps what they send.
class TCapture : public TNetworkSeam {
public:
    bool IsClient() const override { return true; }
    void SendMessage(const void *data, int size) override
    {
        const auto *b = static_cast<const std::uint8_t *>(data);
        Sent.emplace_back(b, b + size);
    }
    std::vector<TBytes> Sent;
};

// A target for the weapons: an aircraft of the other side that stands still.
class TTarget : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

// A weapon that hits with a fixed power.
class TFixedWeapon : public TWeapon {
public:
    using TWeapon::TWeapon;
    void Update(int, const TVector3 &, TGameObject *, const TVector3 &) override {}
};

class WireFormat : public NetTest {};

} // namespace

TEST_F(WireFormat, EveryMessageByteForByte)
{
    TLaunchMessage launch;
    launch.Start = VectorSet3(1.5f, -2, 300);
    launch.Direction = VectorSet3(10, 20, 0);
    launch.Damage = 4500;
    launch.LaunchSpeed = 300.4f;   // rounded to 16 bits
    launch.TopSpeed = 800;
    launch.Health = 10;
    launch.Target = 0x1234;
    launch.Side = -1;
    launch.Lifetime = 100000;
    const TBytes state = MarkerState(0x0102);
    ASSERT_EQ(state.size(), 305u);
    const std::string longName(300, 'x');

    struct {
        const char *What;
        TBytes      Built, Expected;
    } const cases[] = {
        {"1 missile launch", LaunchMessage(launch),
         TExpected(50).U16(0, 50).U8(2, 1).F32(3, 1.5f).F32(7, -2).F32(11, 300).F32(19, 10).F32(23, 20)
             .U16(35, 4500).U16(37, 300).U16(39, 800).U16(41, 10).U16(43, 0x1234).U8(45, 0xFF).U32(46, 100000).Bytes},
        {"2 damage", DamageMessage(0x0BCD, 65535), TExpected(7).U16(0, 7).U8(2, 2).U16(3, 65535).U16(5, 0x0BCD).Bytes},
        {"4 own aircraft state", StateMessage(MessageOwnState, state),
         TExpected(309).U16(0, 309).U8(2, 4).Span(3, state).Bytes},
        {"5 player name", PlayerNameMessage("Kite"),
         TExpected(8).U16(0, 8).U8(2, 5).U8(3, 4).Span(4, {'K', 'i', 't', 'e'}).Bytes},
        {"5 a name cut to 255", PlayerNameMessage(longName),
         TExpected(259).U16(0, 259).U8(2, 5).U8(3, 255).Span(4, TBytes(255, 'x')).Bytes},
        {"20 object state", StateMessage(MessageObjectState, state),
         TExpected(309).U16(0, 309).U8(2, 20).Span(3, state).Bytes},
        {"21 object deleted", DeletedMessage(0xBEEF), TExpected(5).U16(0, 5).U8(2, 21).U16(3, 0xBEEF).Bytes},
        {"22 own aircraft", OwnAircraftMessage(77), TExpected(5).U16(0, 5).U8(2, 22).U16(3, 77).Bytes},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.Built, c.Expected) << c.What;

    // What is built reads back.
    const TLaunchMessage back = ReadLaunch(LaunchMessage(launch).data());
    EXPECT_FLOAT_EQ(back.Start.z, 300);
    EXPECT_FLOAT_EQ(back.Direction.y, 20);
    EXPECT_FLOAT_EQ(back.LaunchSpeed, 300);
    EXPECT_EQ(back.Target, 0x1234);
    EXPECT_EQ(back.Side, -1);
    EXPECT_EQ(back.Lifetime, 100000);
    const TBytes wrapped = StateMessage(MessageObjectState, state);
    const auto inner = WrappedState(wrapped);
    EXPECT_EQ(TBytes(inner.begin(), inner.end()), state);
    EXPECT_EQ(ReadPlayerName(PlayerNameMessage("Kite").data()), "Kite");
}

TEST_F(WireFormat, TheWeaponsSendExactlyTheseMessages)
{
    TCapture capture;
    NetworkSeam = &capture;
    NetworkGame = true;
    NetworkHost = false;
    TObjectsControl objects;
    TTarget owner;
    owner.Side = 0;
    owner.Position = VectorSet4(0, 0, 500, 0);
    owner.Rotation = VectorSet4(-90, 0, 0, 0);
    owner.OrderData = 321;
    auto *target = new TTarget;
    target->Id = objects.NewId();
    target->Side = 1;
    target->Health = target->MaxHealth = 1e6f;
    target->Targetable = 1;
    target->Position = VectorSet4(0, 1000, 500, 0);
    objects.Add(target);

    // A blow beyond 16 bits goes as two damage messages.
    TFixedWeapon blow(&objects, &owner);
    blow.Power = 70000;
    Hit(blow, target, false);
    ASSERT_EQ(capture.Sent.size(), 2u);
    EXPECT_EQ(capture.Sent[0], DamageMessage(target->Id, 65535));
    EXPECT_EQ(capture.Sent[1], DamageMessage(target->Id, 70000 - 65535));
    EXPECT_FLOAT_EQ(target->Health, 1e6f) << "a client leaves the damage to its server";

    // A locked air-to-air missile: its launch message instead of a missile.
    capture.Sent.clear();
    TAirToAirMissileWeapon missiles(&objects, &owner);
    TPilot pilot;
    missiles.Pilot = &pilot;
    TPlayerCommand fire;
    fire.Held = CommandSecondary;
    for (int t = 0; t <= TMissileWeapon::LockDuration + 25 && capture.Sent.empty(); t += 25) {
        pilot.Take(fire);
        missiles.Update(25, owner.Position, nullptr, owner.Position);
    }
    ASSERT_EQ(capture.Sent.size(), 1u);
    TLaunchMessage expected;
    expected.Start = VectorSet3(0, 0, 490);
    expected.Direction = LaunchAngles(owner);
    expected.Damage = 4500;
    expected.LaunchSpeed = 321;
    expected.TopSpeed = 800;
    expected.Health = 10;
    expected.Target = target->Id;
    expected.Side = 0;
    expected.Lifetime = 100000;
    EXPECT_EQ(capture.Sent[0], LaunchMessage(expected));
}

TEST_F(WireFormat, EachSideChecksTheMessagesItTakes)
{
    const TBytes marker = MarkerState(9);
    TByteWriter gamerState;
    {
        // An aircraft state: the head of class 18 and its tail, as long as the class says.
        TByteWriter w;
        w.Short(312);
        w.Short(ClassGamer);
        w.Short(5);
        w.Bytes(TBytes(256, 0).data(), 256);
        for (int i = 0; i < 8; ++i)
            w.Float(0);
        w.Int(0);
        w.Bytes(TBytes(312 - 298, 0).data(), 312 - 298);
        gamerState = w;
    }
    const TBytes gamer = gamerState.Out;
    TBytes nanGamer = gamer;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(nanGamer.data() + 262, &nan, 4);
    TBytes unknownClass = marker;
    unknownClass[2] = 99;
    TBytes shortState = gamer;
    shortState.resize(300);
    shortState[0] = 44;
    shortState[1] = 1;   // 300, as the message says, but not the class's 312
    TBytes nameLies = PlayerNameMessage("Kite");
    nameLies[3] = 9;
    TBytes launchNan = LaunchMessage({});
    std::memcpy(launchNan.data() + 3, &nan, 4);
    const auto wrapped = [](std::uint8_t type, const TBytes &state) { return StateMessage(type, state); };
    TBytes longDamage = DamageMessage(1, 2);
    longDamage.resize(9);
    longDamage[0] = 9;
    TBytes stuffedState = wrapped(MessageObjectState, marker);
    stuffedState.push_back(0);   // one byte more than the state it wraps
    stuffedState[0] += 1;

    struct {
        const char *What;
        TBytes      Message;
        TSender     From;
        bool        Fine;
    } const cases[] = {
        {"a launch", LaunchMessage({}), TSender::Client, true},
        {"a launch from no number", launchNan, TSender::Client, false},
        {"a damage", DamageMessage(1, 2), TSender::Client, true},
        {"a damage too long", longDamage, TSender::Client, false},
        {"an aircraft state", wrapped(MessageOwnState, gamer), TSender::Client, true},
        {"an aircraft state of a marker", wrapped(MessageOwnState, marker), TSender::Client, false},
        {"an aircraft state of no class", wrapped(MessageOwnState, unknownClass), TSender::Client, false},
        {"an aircraft state of the wrong size", wrapped(MessageOwnState, shortState), TSender::Client, false},
        {"an aircraft state in no place", wrapped(MessageOwnState, nanGamer), TSender::Client, false},
        {"a name", PlayerNameMessage("Kite"), TSender::Client, true},
        {"a name whose length lies", nameLies, TSender::Client, false},
        {"a server's message from a client is ignored", {3, 0, 21}, TSender::Client, true},
        {"an object state", wrapped(MessageObjectState, marker), TSender::Server, true},
        {"an object state one byte long", stuffedState, TSender::Server, false},
        {"a deletion", DeletedMessage(3), TSender::Server, true},
        {"a deletion without its id", {3, 0, 21}, TSender::Server, false},
        {"an own-aircraft message", OwnAircraftMessage(3), TSender::Server, true},
        {"an own-aircraft message too long", {6, 0, 22, 1, 0, 0}, TSender::Server, false},
        {"a type nobody sends", {4, 0, 99, 0}, TSender::Server, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CheckMessage(c.Message, c.From).empty(), c.Fine) << c.What << ": " << CheckMessage(c.Message, c.From);
}

TEST_F(WireFormat, SplitterGivesTheSameBatchesHoweverTheBytesArrive)
{
    const std::vector<TBytes> batches = {
        Batch({DamageMessage(1, 2), PlayerNameMessage("Kite"), DeletedMessage(3)}),
        Batch(std::vector<TBytes>{}),   // a batch of nothing is a batch
        Batch({StateMessage(MessageObjectState, MarkerState(4))}),
    };
    TBytes stream;
    for (const TBytes &b : batches)
        stream.insert(stream.end(), b.begin(), b.end());

    // Chunk sizes: one byte at a time, odd pieces, and everything at once (coalesced).
    for (const std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(300), stream.size()}) {
        TBatchSplitter splitter(MaxClientBatch, MaxClientBatchCount);
        std::vector<std::vector<TBytes>> got;
        std::vector<std::span<const std::uint8_t>> messages;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            splitter.Append(stream.data() + at, std::min(chunk, stream.size() - at));
            while (splitter.Next(messages)) {
                got.emplace_back();
                for (const auto &m : messages)
                    got.back().emplace_back(m.begin(), m.end());
            }
        }
        ASSERT_EQ(got.size(), 3u) << "chunk " << chunk;
        EXPECT_EQ(got[0], (std::vector<TBytes>{DamageMessage(1, 2), PlayerNameMessage("Kite"), DeletedMessage(3)}))
            << "chunk " << chunk;
        EXPECT_TRUE(got[1].empty());
        ASSERT_EQ(got[2].size(), 1u);
        EXPECT_EQ(got[2][0].size(), 309u);
        EXPECT_EQ(splitter.Buffered(), 0u);
        EXPECT_TRUE(splitter.Fault().empty()) << splitter.Fault();
    }
}

TEST_F(WireFormat, SplitterRefusesWhatNoHonestPeerSends)
{
    TBytes huge = Batch({TBytes(2, 0)});
    huge[4] = 0xFF;   // one message of 65535 bytes: beyond a client's 64 KiB batch
    huge[5] = 0xFF;
    TBytes tooMany(4);
    StoreU32(tooMany.data(), MaxClientBatchCount + 1);
    // Three announced, two sent, then the next batch: its count is read as a message size of 1.
    TBytes lying = Batch({DamageMessage(1, 2), DamageMessage(1, 2)});
    StoreU32(lying.data(), 3);
    const TBytes next = Batch({DamageMessage(1, 2)});
    lying.insert(lying.end(), next.begin(), next.end());

    struct {
        const char *What;
        TBytes      Stream;
        const char *Fault;
    } const cases[] = {
        {"a message of two bytes", Batch({{2, 0}}), "a message of 2 bytes"},
        {"a batch over the limit", huge, "a batch of more than 65536 bytes"},
        {"a count over the limit", tooMany, "a batch of 4097 messages (at most 4096)"},
        {"sizes that do not add up", lying, "a message of 1 byte"},
    };
    for (const auto &c : cases) {
        TBatchSplitter splitter(MaxClientBatch, MaxClientBatchCount);
        splitter.Append(c.Stream.data(), c.Stream.size());
        std::vector<std::span<const std::uint8_t>> messages;
        EXPECT_FALSE(splitter.Next(messages)) << c.What;
        EXPECT_EQ(splitter.Fault(), c.Fault) << c.What;
    }
}

TEST_F(WireFormat, ABatchOfThreeGoesInOneSendWithItsCount)
{
    TLoopback pair;
    TKeeper connection(pair.TakeNear(), ServerPeerLimits());
    const TBytes a = DamageMessage(1, 2), b = PlayerNameMessage("Kite"), c = DeletedMessage(3);
    Queue(connection, a.data(), a.size());
    Queue(connection, b.data(), b.size());
    Queue(connection, c.data(), c.size());
    ASSERT_EQ(connection.SendBuffer.size(), 4 + a.size() + b.size() + c.size());
    EXPECT_EQ(connection.SendLength, std::int32_t(connection.SendBuffer.size()));
    EXPECT_EQ(LoadU32(connection.SendBuffer.data()), 3u);

    Flush(connection);
    EXPECT_TRUE(connection.SendBuffer.empty());
    EXPECT_EQ(connection.SendLength, 0);
    Flush(connection);   // nothing queued: nothing sent
    const TBytes arrived = Drain(pair.Far, 100);
    EXPECT_EQ(arrived, Batch({a, b, c}));
}

TEST_F(WireFormat, AFullSocketKeepsTheRestForTheNextSendAndNeverCutsABatch)
{
    TLoopback pair;
    const int small = 4096;
    setsockopt(pair.Near, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    setsockopt(pair.Far, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    TKeeper connection(pair.TakeNear(), ServerPeerLimits());

    // Batches of different sizes while the peer reads nothing, until three flushes have found the
    // socket full.
    std::vector<TBytes> sent;
    for (int i = 0, full = 0; full < 3; ++i) {
        ASSERT_LT(i, 1000) << "the socket never filled";
        std::vector<TBytes> messages;
        for (int k = 0; k <= i % 5; ++k)
            messages.push_back(PlayerNameMessage(std::string(100 + 37 * k, char('a' + i % 26))));
        for (const TBytes &m : messages)
            Queue(connection, m.data(), m.size());
        sent.push_back(Batch(messages));
        if (connection.UnsentBytes() > 0)
            ++full;
        Flush(connection);
    }
    ASSERT_TRUE(connection.Open());

    // The peer reads; the connection sends the rest bit by bit: every batch arrives whole and in order.
    TBatchSplitter splitter(MaxServerBatch, MaxServerBatchCount);
    std::vector<TBytes> got;
    Until([&] { return got.size() == sent.size(); },
          [&] {
              connection.SendUnsent();
              const TBytes bytes = Drain(pair.Far);
              splitter.Append(bytes.data(), bytes.size());
              std::vector<std::span<const std::uint8_t>> messages;
              while (splitter.Next(messages)) {
                  std::vector<TBytes> copy;
                  for (const auto &m : messages)
                      copy.emplace_back(m.begin(), m.end());
                  got.push_back(Batch(copy));
              }
          });
    EXPECT_EQ(got, sent);
    EXPECT_EQ(connection.UnsentBytes(), 0u);
    EXPECT_TRUE(splitter.Fault().empty());
}

TEST_F(WireFormat, ReceiveHandsOnlyWholeCheckedBatchesAndClosesOnAFault)
{
    TLoopback pair;
    TKeeper connection(pair.TakeNear(), ClientPeerLimits());
    // A good batch, then one whose second message is a damage message two bytes too long: none of
    // the faulty batch's messages is handed on.
    TBytes longDamage = DamageMessage(5, 6);
    longDamage.resize(9);
    longDamage[0] = 9;
    const TBytes good = Batch({DamageMessage(1, 2)});
    const TBytes bad = Batch({DamageMessage(3, 4), longDamage});
    TBytes both = good;
    both.insert(both.end(), bad.begin(), bad.end());
    ASSERT_TRUE(SendAll(pair.Far, both));
    Until([&] { return !connection.Open(); }, [&] { connection.Receive(0); });
    ASSERT_EQ(connection.Messages.size(), 1u);
    EXPECT_EQ(connection.Messages[0], DamageMessage(1, 2));
    EXPECT_EQ(connection.CloseReason, "sent a damage message of 9 bytes (it has 7)");
    EXPECT_TRUE(PeerClosed(pair.Far));
}
