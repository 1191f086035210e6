// A server and a client in one process over 127.0.0.1: the client builds the server's world and flies
// its own aircraft in it, falls and comes back where the server puts it; hostile peers are dropped,
// each alone, while an honest client keeps playing; joining, leaving and failing to connect.

#include "core/App.h"
#include "core/Bytes.h"
#include "core/View.h"
#include "net/NetGame.h"
#include "net/ObjectFactory.h"
#include "sim/Aircraft.h"
#include "sim/Ground.h"
#include "sim/Player.h"
#include "sim/Ships.h"
#include "sim/Statics.h"
#include "sim/UnitState.h"
#include "tests/net/NetTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <sys/socket.h>

namespace {

constexpr std::int64_t Frame = 60;   // ms of game clock a test frame: both ends send every frame

bool Contains(const std::vector<std::string> &lines, const std::string &text)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string &l) { return l.find(text) != std::string::npos; });
}

class NetGameTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        NetworkGame = NetworkHost = true;   // both ends share the flags: the server's world launches
        HostAircraft = std::make_unique<TGamer>();
        HostAircraft->Id = ServerObjects.NewId();
        HostAircraft->Position = VectorSet4(-1, -2, 400, 0);
        Host.World.Objects = &ServerObjects;
        Host.World.OwnAircraft = HostAircraft.get();
        Host.World.SpawnPoints = &Spawns;
        Host.Log = [this](const std::string &line) { HostLines.push_back(line); };
        std::string error;
        ASSERT_TRUE(Host.StartServer(0, error, "127.0.0.1")) << error;
        ASSERT_NE(Host.Port(), 0);
    }
    void TearDown() override
    {
        for (TNetGame *game : {&Guest, &Host})
            game->Stop();
        NetTest::TearDown();
    }

    // The honest client joins as "Kite" and is placed.
    void JoinGuest()
    {
        GuestAircraft = std::make_unique<TGamer>();
        GuestAircraft->Reset(ClientObjects);
        Guest.World.Objects = &ClientObjects;
        Guest.World.OwnAircraft = GuestAircraft.get();
        Guest.Log = [this](const std::string &line) { GuestLines.push_back(line); };
        std::string error;
        ASSERT_TRUE(Guest.StartClient("127.0.0.1", Host.Port(), "Kite", error)) << error;
        ASSERT_TRUE(Until([&] { return Guest.Client->OwnId != 0 && !Guest.Client->AwaitingPlace; }, [&] { Step(); }));
    }
    void Step()
    {
        GameClock += Frame;
        Host.Tick();
        Guest.Tick();
    }
    bool Pump(const std::function<bool()> &done) { return Until(done, [&] { Step(); }); }

    // The server's copy of the honest client's aircraft.
    TGameObject *GuestOnServer()
    {
        return Host.Server && Host.Server->PlayerCount() > 0 ? ServerObjects.FindById(Host.Server->Players[0].ObjectId)
                                                             : nullptr;
    }
    // The honest client flies somewhere new and the server follows it.
    bool GuestStillPlays(float x)
    {
        GuestAircraft->Position = GuestAircraft->Craft.Position = VectorSet4(x, 10, 300, 0);
        return Pump([&] {
            const TGameObject *copy = GuestOnServer();
            return Guest.Running() && copy && copy->Position.x == x;
        });
    }

    std::vector<TVector4> Spawns = {VectorSet4(500, 600, 700, 0), VectorSet4(-500, -600, 800, 0)};
    TObjectsControl ServerObjects, ClientObjects;
    std::unique_ptr<TGamer> HostAircraft, GuestAircraft;
    TNetGame Host, Guest;
    std::vector<std::string> HostLines, GuestLines;
};

// A raw peer: a socket connected to the server, writing what the test makes it write.
struct TRawPeer {
    explicit TRawPeer(std::uint16_t port)
    {
        std::string error;
        Socket = ConnectTcp("127.0.0.1", port, 2000, error);
        EXPECT_GE(Socket, 0) << error;
    }
    ~TRawPeer() { CloseSocket(Socket); }
    // Writes as much of Out as the socket takes now; the rest waits for the next call.
    void Push()
    {
        if (Sent >= Out.size())
            return;
        const ssize_t n = send(Socket, Out.data() + Sent, Out.size() - Sent, MSG_NOSIGNAL);
        if (n > 0)
            Sent += std::size_t(n);
    }
    int Socket = -1;
    TBytes Out;
    std::size_t Sent = 0;
};

TBytes GamerState(std::uint16_t id, float x)
{
    TGamer gamer;
    gamer.Id = id;
    gamer.Position = gamer.Craft.Position = VectorSet4(x, 0, 300, 0);
    TByteWriter w;
    gamer.WriteState(w);
    return w.Out;
}

} // namespace

TEST_F(NetGameTest, TheClientBuildsTheServersWorldAndTheServerFliesTheClientsAircraft)
{
    auto *marker = new TEmptyObject(ServerObjects, VectorSet3(1, 2, 3), 0, 90);
    auto *bomber = new TCraftSu25(ServerObjects, VectorSet3(100, 200, 300), VectorSet3(0, 45, 0));
    auto *destroyer = new TDestroyer(ServerObjects, VectorSet3(-700, 50, 0), 1, VectorSet3(0, 180, 0));
    auto *island = new TIsland(ServerObjects, VectorSet3(3000, 0, 0), "Atoll.otm");
    auto *house = new TBuildingStatic(ServerObjects, "Data\\Models\\Buildings\\House\\Main.otm", VectorSet3(5, 6, 0), {});
    auto *cargo = new TTransport(ServerObjects, VectorSet3(7, 8, 0), 1, {}, "Cargo");
    auto *sneaky = new TBuildingStatic(ServerObjects, "x", VectorSet3(9, 9, 0), {});
    island->Name = "Island: Atoll.otm";
    house->Name = "House\\Main.otm";
    cargo->Name = "Cargo";
    sneaky->Name = "..\\..\\secret";
    bomber->Name = "Bomber";
    for (TGameObject *object : std::initializer_list<TGameObject *>{marker, bomber, destroyer, island, house, cargo, sneaky}) {
        object->Health = object->MaxHealth = 700;
        ServerObjects.Add(object);
    }

    JoinGuest();
    ASSERT_EQ(Host.Server->PlayerCount(), 1);
    const TMPlayer &player = Host.Server->Players[0];
    ASSERT_TRUE(Pump([&] { return player.Named; }));
    EXPECT_EQ(player.Name, "Kite");
    EXPECT_TRUE(Contains(HostLines, "player 1 joined from 127.0.0.1:"));
    EXPECT_TRUE(Contains(HostLines, " as Kite"));

    // The client's own aircraft is the server's player aircraft, placed at the first spawn point.
    EXPECT_EQ(GuestAircraft->Id, player.ObjectId);
    EXPECT_FLOAT_EQ(GuestAircraft->Position.x, 500);
    EXPECT_FLOAT_EQ(GuestAircraft->Craft.Position.z, 700);

    // Every object with a state, and the host's aircraft, made on the client as the server has it;
    // the one whose name would lead out of the data is not made.
    ASSERT_TRUE(Pump([&] { return ClientObjects.FindById(HostAircraft->Id) != nullptr; }));
    for (const TGameObject *original : std::initializer_list<const TGameObject *>{
             marker, bomber, destroyer, island, house, cargo, HostAircraft.get()}) {
        const TGameObject *copy = ClientObjects.FindById(original->Id);
        ASSERT_NE(copy, nullptr) << original->Name;
        EXPECT_EQ(StateClassOf(*copy), StateClassOf(*original)) << original->Name;
        EXPECT_EQ(copy->Name, original->Name);
        EXPECT_FLOAT_EQ(copy->Position.x, original->Position.x) << original->Name;
        EXPECT_FLOAT_EQ(copy->Rotation.y, original->Rotation.y) << original->Name;
        EXPECT_EQ(copy->Side, original->Side) << original->Name;
        if (original != island)
            EXPECT_FLOAT_EQ(copy->Health, original->Health) << original->Name;
        else   // its state has no health: it stands whatever hits it, as the script's islands do
            EXPECT_GT(copy->Health, copy->MaxHealth);
    }
    EXPECT_EQ(dynamic_cast<TBuildingStatic *>(ClientObjects.FindById(house->Id))->ModelPath,
              "Data\\Models\\Buildings\\House\\Main.otm");
    EXPECT_EQ(dynamic_cast<TTransport *>(ClientObjects.FindById(cargo->Id))->Type, "Cargo");
    EXPECT_TRUE(dynamic_cast<TGamer *>(ClientObjects.FindById(HostAircraft->Id))->Remote);
    EXPECT_EQ(ClientObjects.FindById(sneaky->Id), nullptr);
    EXPECT_EQ(std::count_if(GuestLines.begin(), GuestLines.end(),
                            [](const std::string &l) { return l.find("cannot make object") != std::string::npos; }),
              1);
    EXPECT_EQ(ClientObjects.FindById(player.ObjectId), nullptr) << "the own aircraft is not listed twice";

    // States move what the client made; a deletion takes it away.
    bomber->Position.x = 150;
    const std::uint16_t gone = marker->Id;
    ServerObjects.Remove(marker);
    ASSERT_TRUE(Pump([&] { return ClientObjects.FindById(bomber->Id)->Position.x == 150; }));
    EXPECT_EQ(ClientObjects.FindById(gone), nullptr);

    // The server flies the client's aircraft where the client flies it; the server keeps the health.
    ASSERT_TRUE(GuestStillPlays(1234));
    GuestOnServer()->Health = 321;
    ASSERT_TRUE(Pump([&] { return GuestAircraft->Health == 321; }));
    EXPECT_FLOAT_EQ(GuestAircraft->Position.x, 1234) << "only the health is taken from the server";
    EXPECT_FLOAT_EQ(GuestOnServer()->Health, 321);

    // The client's weapons speak through the seam: damage and a launch reach the server's world.
    ASSERT_EQ(NetworkSeam, &Guest);
    const TBytes damage = DamageMessage(bomber->Id, 200);
    NetworkSeam->SendMessage(damage.data(), int(damage.size()));
    TLaunchMessage launch;
    launch.Start = VectorSet3(1234, 10, 290);
    launch.Damage = 4500;
    launch.TopSpeed = 800;
    launch.Health = 10;
    launch.Target = bomber->Id;
    launch.Lifetime = 100000;
    const TBytes missile = LaunchMessage(launch);
    NetworkSeam->SendMessage(missile.data(), int(missile.size()));
    ASSERT_TRUE(Pump([&] { return bomber->Health == 500; }));
    ASSERT_TRUE(Pump([&] {
        return std::any_of(ClientObjects.Objects.begin(), ClientObjects.Objects.end(),
                           [](const TGameObject *o) { return dynamic_cast<const TAirToAirRocket *>(o); });
    })) << "the missile exists on the server and comes back as a state";

    // The client leaves: only its player and aircraft go.
    const std::uint16_t aircraft = player.ObjectId;
    Guest.Stop();
    ASSERT_TRUE(Pump([&] { return Host.Server->PlayerCount() == 0; }));
    EXPECT_EQ(ServerObjects.FindById(aircraft), nullptr);
    EXPECT_TRUE(Contains(HostLines, "player 1 left (closed by the other side)"));
    EXPECT_NE(ServerObjects.FindById(bomber->Id), nullptr);
}

TEST_F(NetGameTest, AFallenClientComesBackWhereTheServerPutsIt)
{
    JoinGuest();
    const std::uint16_t first = Guest.Client->OwnId;
    GuestOnServer()->Health = 0;
    ASSERT_TRUE(Pump([&] { return GuestAircraft->Health == 0; }));
    GuestAircraft->Position = GuestAircraft->Craft.Position = VectorSet4(42, 42, 42, 0);

    // After the wreck's time, a new aircraft at the next spawn point, with full health.
    ASSERT_TRUE(Pump([&] { return Guest.Client->OwnId != first && !Guest.Client->AwaitingPlace; }));
    EXPECT_EQ(GuestAircraft->Id, Guest.Client->OwnId);
    EXPECT_EQ(Host.Server->Players[0].ObjectId, Guest.Client->OwnId);
    EXPECT_FLOAT_EQ(GuestAircraft->Health, TGamer::FullHealth);
    EXPECT_FLOAT_EQ(GuestAircraft->Position.x, -500);
    EXPECT_FLOAT_EQ(GuestAircraft->Position.z, 800);
    EXPECT_EQ(ServerObjects.FindById(first), nullptr);
    ASSERT_TRUE(GuestStillPlays(77));

    // The host's own aircraft comes back at a spawn point too.
    HostAircraft->Health = 0;
    Host.PlayerDied(*HostAircraft);
    EXPECT_FLOAT_EQ(HostAircraft->Health, TGamer::FullHealth);
    EXPECT_FLOAT_EQ(HostAircraft->Craft.Position.x, 500);
}

TEST_F(NetGameTest, AHostilePeerIsDroppedAloneWhileAnHonestClientPlaysOn)
{
    JoinGuest();
    TGameObject *bystander = AddMarker(ServerObjects, 10, 20, 30);

    std::mt19937 random(1234);
    TBytes noise(64);
    for (std::uint8_t &b : noise)
        b = std::uint8_t(random());
    TBytes lying = Batch({DamageMessage(1, 2), DamageMessage(1, 2)});
    StoreU32(lying.data(), 3);
    const TBytes next = Batch({DamageMessage(1, 2)});
    lying.insert(lying.end(), next.begin(), next.end());
    TBytes longDamage = DamageMessage(1, 2);
    longDamage.resize(9);
    longDamage[0] = 9;
    TBytes unknownClass = GamerState(1, 0);
    unknownClass[2] = 99;
    TBytes shortGamer = GamerState(1, 0);
    shortGamer.resize(300);
    shortGamer[0] = 44;
    shortGamer[1] = 1;
    TBytes tooMany(4);
    StoreU32(tooMany.data(), MaxClientBatchCount + 1);
    TBytes huge = Batch({TBytes(2, 0)});
    huge[4] = huge[5] = 0xFF;
    const std::vector<TBytes> names(MaxClientMessagesPerSecond + 1, PlayerNameMessage(""));
    TBytes big(60000, 0);   // a type nobody handles: taken, and ignored, but counted
    big[0] = std::uint8_t(big.size());
    big[1] = std::uint8_t(big.size() >> 8);
    big[2] = 99;
    TBytes bytesFlood;
    for (int i = 0; i < 5; ++i) {
        const TBytes b = Batch({big});
        bytesFlood.insert(bytesFlood.end(), b.begin(), b.end());
    }

    struct {
        const char *What;
        TBytes      Bytes;
        const char *Reason;
    } const cases[] = {
        {"random bytes", noise, "sent a batch of"},
        {"sizes that do not add up", lying, "sent a message of 1 byte"},
        {"a message of two bytes", Batch({{2, 0}}), "sent a message of 2 bytes"},
        {"a damage message too long", Batch({longDamage}), "sent a damage message of 9 bytes"},
        {"a state of no class", Batch({StateMessage(MessageOwnState, unknownClass)}), "of unknown class 99"},
        {"a state of the wrong size", Batch({StateMessage(MessageOwnState, shortGamer)}), "of class 18 with 300 bytes"},
        {"too many messages in a batch", tooMany, "messages (at most 4096)"},
        {"a batch too long", huge, "sent a batch of more than 65536 bytes"},
        {"a flood of messages", Batch(names), "sent more than 1000 messages in a second"},
        {"a flood of bytes", bytesFlood, "bytes in a second"},
    };
    float x = 1000;
    for (const auto &c : cases) {
        const std::size_t before = HostLines.size();
        TRawPeer peer(Host.Port());
        ASSERT_TRUE(Pump([&] { return Host.Server->PlayerCount() == 2; })) << c.What;
        const int number = Host.Server->Players[1].Number;
        peer.Out = c.Bytes;
        const std::string left = "player " + std::to_string(number) + " left (";
        ASSERT_TRUE(Until([&] { return Contains({HostLines.begin() + std::ptrdiff_t(before), HostLines.end()}, left); },
                          [&] {
                              peer.Push();
                              Step();
                          }))
            << c.What;
        const std::string line = *std::find_if(HostLines.rbegin(), HostLines.rend(), [&](const std::string &l) {
            return l.find(left) != std::string::npos;
        });
        EXPECT_NE(line.find(c.Reason), std::string::npos) << c.What << ": " << line;
        EXPECT_EQ(Host.Server->PlayerCount(), 1) << c.What;
        EXPECT_TRUE(PeerClosed(peer.Socket)) << c.What;
        EXPECT_TRUE(GuestStillPlays(x += 10)) << c.What;
    }

    // Another object's Id in an aircraft state moves the sender's own aircraft, nothing else; it is
    // no reason to hang up.
    TRawPeer peer(Host.Port());
    ASSERT_TRUE(Pump([&] { return Host.Server->PlayerCount() == 2; }));
    const std::uint16_t own = Host.Server->Players[1].ObjectId;
    ASSERT_TRUE(SendAll(peer.Socket, Batch({StateMessage(MessageOwnState, GamerState(own, 5555))})));
    ASSERT_TRUE(Pump([&] { return ServerObjects.FindById(own)->Position.x == 5555; }));
    ASSERT_TRUE(SendAll(peer.Socket, Batch({StateMessage(MessageOwnState, GamerState(bystander->Id, 6666))})));
    ASSERT_TRUE(Pump([&] { return ServerObjects.FindById(own)->Position.x == 6666; }));
    EXPECT_FLOAT_EQ(bystander->Position.x, 10);
    EXPECT_EQ(Host.Server->PlayerCount(), 2);
    EXPECT_TRUE(GuestStillPlays(x += 10));
}

TEST_F(NetGameTest, ASilentClientIsDroppedButAHostPauseIsNoOnesFault)
{
    std::int64_t now = 0;
    Host.Clock = [&] { return now; };
    JoinGuest();
    const auto run = [&](std::int64_t ms) {
        for (std::int64_t t = 0; t < ms; t += 500) {
            now += 500;
            Step();
        }
    };

    TRawPeer silent(Host.Port());
    ASSERT_TRUE(Pump([&] { return Host.Server->PlayerCount() == 2; }));
    // The host is not ticked for half a minute: its clients' silence then is not theirs.
    now += 30000;
    Step();
    EXPECT_EQ(Host.Server->PlayerCount(), 2);
    run(Host.SilenceTimeout - 1000);
    EXPECT_EQ(Host.Server->PlayerCount(), 2);
    run(1500);
    ASSERT_EQ(Host.Server->PlayerCount(), 1);
    EXPECT_TRUE(Contains(HostLines, "player 2 left (sent nothing for 10 s)"));
    EXPECT_TRUE(PeerClosed(silent.Socket));
    EXPECT_TRUE(GuestStillPlays(99));
}

TEST_F(NetGameTest, JoiningAFullGameOrNoGame)
{
    Host.MaxPlayers = 1;
    JoinGuest();
    TRawPeer late(Host.Port());
    ASSERT_TRUE(Pump([&] { return Contains(HostLines, "the game is full (1 players)"); }));
    EXPECT_TRUE(PeerClosed(late.Socket));
    EXPECT_EQ(Host.Server->PlayerCount(), 1);

    // The server goes: the client hears of it.
    Host.Stop();
    ASSERT_TRUE(Pump([&] { return !Guest.Running(); }));
    EXPECT_FALSE(Guest.LostReason().empty());
    EXPECT_TRUE(Contains(GuestLines, "disconnected from 127.0.0.1:"));

    // Nobody listens: a clear error.
    std::string error;
    std::string unused;
    const int probe = ListenTcp("127.0.0.1", 0, unused);
    const std::uint16_t port = LocalPort(probe);
    CloseSocket(probe);
    TNetGame nobody;
    nobody.Log = [](const std::string &) {};
    EXPECT_FALSE(nobody.StartClient("127.0.0.1", port, "Kite", error));
    EXPECT_EQ(error, "Cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused");
    EXPECT_FALSE(nobody.Running());
}

TEST(HostPort, ParsesWhatAPlayerTypes)
{
    struct {
        const char   *Text;
        bool          Fine;
        const char   *Host;
        std::uint16_t Port;
    } const cases[] = {
        {"example.org", true, "example.org", DefaultPort},
        {"127.0.0.1:5000", true, "127.0.0.1", 5000},
        {"[::1]:26101", true, "::1", 26101},
        {"[::1]", true, "::1", DefaultPort},
        {"::1", true, "::1", DefaultPort},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:12x", false, "", 0},
        {":5000", false, "", 0},
        {"[::1", false, "", 0},
        {"[::1]5000", false, "", 0},
        {"", false, "", 0},
    };
    for (const auto &c : cases) {
        std::string host, error;
        std::uint16_t port = 0;
        EXPECT_EQ(ParseHostPort(c.Text, host, port, error), c.Fine) << c.Text << ": " << error;
        if (!c.Fine) {
            EXPECT_FALSE(error.empty()) << c.Text;
            continue;
        }
        EXPECT_EQ(host, c.Host) << c.Text;
        EXPECT_EQ(port, c.Port) << c.Text;
    }
    EXPECT_EQ(HostPortText("::1", 26100), "[::1]:26100");
}
