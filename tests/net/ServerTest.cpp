// The server's bookkeeping over real connections: what each send holds and in which order, the send
// rhythms, deletions, players leaving, what it takes from its clients' messages, and the new aircraft
// of a fallen player.

#include "core/App.h"
#include "core/View.h"
#include "net/Multiplayer.h"
#include "sim/Aircraft.h"
#include "sim/Player.h"
#include "sim/UnitState.h"
#include "tests/net/NetTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>

namespace {

// An object without a network state.
class TSilent : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override {}
};

std::uint16_t StateId(const TBytes &message) { return Word(message, 3 + 4); }

TNetWorld WorldOf(TObjectsControl &objects)
{
    TNetWorld world;
    world.Objects = &objects;
    return world;
}

class ServerTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        NetworkGame = NetworkHost = true;
        Server.Log = [this](const std::string &line) { Lines.push_back(line); };
    }

    // A client joins: its player, and the far end of its connection to read what it is sent.
    struct TClientEnd {
        std::unique_ptr<TLoopback> Pair = std::make_unique<TLoopback>();
        std::unique_ptr<TBatchSplitter> Splitter = std::make_unique<TBatchSplitter>(MaxServerBatch, MaxServerBatchCount);
        TTCPServerClient *Connection = nullptr;
    };
    TClientEnd &Join(const std::string &peer = "peer")
    {
        TClientEnd &end = Ends.emplace_back();
        auto connection = std::make_unique<TTCPServerClient>(Server, end.Pair->TakeNear(), peer, 0);
        end.Connection = connection.get();
        Server.AddPlayer(std::move(connection));
        return end;
    }
    // The next send: the clock moves on by the server's interval and each client's batch is read.
    std::vector<std::vector<TBytes>> Send()
    {
        GameClock += ServerSendInterval;
        Server.ServerTick();
        std::vector<std::vector<TBytes>> batches;
        for (TClientEnd &end : Ends) {
            batches.emplace_back();
            EXPECT_TRUE(ReadBatch(end.Pair->Far, *end.Splitter, batches.back()));
        }
        return batches;
    }
    static std::vector<std::uint16_t> Ids(const std::vector<TBytes> &batch, std::uint8_t type)
    {
        std::vector<std::uint16_t> ids;
        for (const TBytes &m : batch)
            if (m[2] == type)
                ids.push_back(type == MessageObjectState ? StateId(m) : Word(m, 3));
        return ids;
    }
    TMPlayer &PlayerOf(const TClientEnd &end) { return *Server.PlayerOf(*end.Connection); }

    TObjectsControl Objects;
    TNetWorld World = WorldOf(Objects);
    TMultiplayerServer Server{World};
    std::deque<TClientEnd> Ends;   // references stay valid as clients join
    std::vector<std::string> Lines;
};

} // namespace

TEST_F(ServerTest, SendRhythms)
{
    // The server sends once at least 51 ms have passed, the client once more than 50 have.
    TMultiplayerClient client(World);
    TLoopback pair;
    client.Connection = std::make_unique<TServerConnection>(client, pair.TakeNear(), "server", 0);
    client.OwnId = 1;
    TClientEnd &end = Join();
    for (const std::int64_t elapsed : {50, 51}) {
        const bool sends = elapsed == 51;
        Server.LastSendTime = client.LastSendTime = GameClock;
        const TBytes damage = DamageMessage(1, 1);
        client.AddPending(damage.data(), damage.size());
        GameClock += elapsed;
        Server.ServerTick();
        client.ClientTick();
        EXPECT_EQ(Server.LastSendTime == GameClock, sends) << elapsed;
        EXPECT_EQ(client.LastSendTime == GameClock, sends) << elapsed;
        EXPECT_EQ(!Drain(end.Pair->Far, 20).empty(), sends) << elapsed;
        EXPECT_EQ(!Drain(pair.Far, 20).empty(), sends) << elapsed;
    }
}

TEST_F(ServerTest, WithoutPlayersATickOnlyMovesTheSendTime)
{
    AddMarker(Objects, 1, 2, 3);
    GameClock += 1000;
    Server.ServerTick();
    EXPECT_EQ(Server.LastSendTime, GameClock);
    EXPECT_EQ(Server.PlayerCount(), 0);
    EXPECT_EQ(Objects.Count, 1);
}

TEST_F(ServerTest, ASendNamesTheAircraftThenSendsEveryObjectWithAnIdAndTheOwnAircraft)
{
    TGameObject *first = AddMarker(Objects, 1, 2, 3);
    TGameObject *idless = AddMarker(Objects, 4, 5, 6);
    idless->Id = 0;
    auto *silent = new TSilent;
    silent->Id = Objects.NewId();
    Objects.Add(silent);
    TGameObject *second = AddMarker(Objects, 7, 8, 9);
    auto own = std::make_unique<TGamer>();
    own->Id = Objects.NewId();
    World.OwnAircraft = own.get();

    TClientEnd &end = Join();
    const TMPlayer &player = PlayerOf(end);
    ASSERT_NE(player.ObjectId, 0);
    TGameObject *aircraft = Objects.FindById(player.ObjectId);
    ASSERT_NE(aircraft, nullptr);
    EXPECT_NE(dynamic_cast<TGamer *>(aircraft), nullptr);
    EXPECT_TRUE(dynamic_cast<TGamer *>(aircraft)->Remote);
    EXPECT_EQ(aircraft->Position.z, DefaultSpawnAltitude) << "no spawn points: above the origin";

    const std::vector<TBytes> batch = Send()[0];
    ASSERT_FALSE(batch.empty());
    EXPECT_EQ(batch[0], OwnAircraftMessage(player.ObjectId)) << "the aircraft's Id comes first";
    EXPECT_EQ(Ids(batch, MessageObjectState),
              (std::vector<std::uint16_t>{first->Id, second->Id, player.ObjectId, own->Id}))
        << "in list order, the own aircraft last; no Id 0, nothing without a state";
    for (const TBytes &m : batch) {
        if (m[2] == MessageObjectState) {
            EXPECT_EQ(m.size(), Word(m, 3) + 4u);
        }
    }
    EXPECT_EQ(PlayerOf(end).StateSlots.size(), 4u);
    EXPECT_EQ(Ids(Send()[0], MessageOwnAircraft).size(), 0u) << "the Id is told once";
}

TEST_F(ServerTest, ARemovedObjectIsDeletedOnceForEachPlayer)
{
    TGameObject *stays = AddMarker(Objects, 1, 2, 3);
    TGameObject *goes = AddMarker(Objects, 4, 5, 6);
    auto own = std::make_unique<TGamer>();
    own->Id = Objects.NewId();
    World.OwnAircraft = own.get();
    Join();
    Join();
    Send();
    const std::uint16_t gone = goes->Id;
    Objects.Remove(goes);

    for (const auto &batch : Send()) {
        EXPECT_EQ(Ids(batch, MessageObjectDeleted), std::vector<std::uint16_t>{gone});
        const auto states = Ids(batch, MessageObjectState);
        EXPECT_EQ(std::count(states.begin(), states.end(), gone), 0);
        EXPECT_EQ(std::count(states.begin(), states.end(), stays->Id), 1);
        EXPECT_EQ(std::count(states.begin(), states.end(), own->Id), 1) << "the own aircraft is never deleted";
    }
    for (const TMPlayer &player : Server.Players)
        for (const TBytes &slot : player.StateSlots)
            EXPECT_NE(Word(slot, 4), gone);
    for (const auto &batch : Send())
        EXPECT_TRUE(Ids(batch, MessageObjectDeleted).empty()) << "only once";
}

TEST_F(ServerTest, RemovingTheMiddleOfThreePlayersKeepsTheOthersInOrder)
{
    TClientEnd &a = Join("a");
    TClientEnd &b = Join("b");
    TClientEnd &c = Join("c");
    const std::uint16_t middle = PlayerOf(b).ObjectId;
    ASSERT_EQ(Objects.Count, 3);
    b.Connection->CloseReason = "test";
    Server.RemovePlayer(*b.Connection);
    ASSERT_EQ(Server.PlayerCount(), 2);
    EXPECT_EQ(Server.Players[0].Connection.get(), a.Connection);
    EXPECT_EQ(Server.Players[1].Connection.get(), c.Connection);
    EXPECT_EQ(Objects.FindById(middle), nullptr) << "its aircraft left the world";
    EXPECT_EQ(Objects.Count, 2);
    EXPECT_EQ(Lines.back(), "player 2 left (test)");
}

TEST_F(ServerTest, AClientsStateMovesOnlyItsOwnAircraftAndNeverSetsItsHealth)
{
    TGameObject *other = AddMarker(Objects, 50, 60, 70);
    TClientEnd &end = Join();
    TMPlayer &player = PlayerOf(end);
    auto *aircraft = dynamic_cast<TGamer *>(Objects.FindById(player.ObjectId));
    ASSERT_NE(aircraft, nullptr);
    aircraft->Health = 400;
    aircraft->Name = "Kite";

    // The client's own aircraft, as it would send it.
    TGamer flown;
    flown.Health = flown.MaxHealth = 1000;
    flown.Name = "Hacker";
    flown.Side = 1;
    const auto state = [&](std::uint16_t id, float x) {
        flown.Id = id;
        flown.Position = flown.Craft.Position = VectorSet4(x, 2, 3, 0);
        TByteWriter w;
        flown.WriteState(w);
        return StateMessage(MessageOwnState, w.Out);
    };

    // Before it has sent a state of the aircraft it was told about, other states are not taken.
    Server.Dispatch(state(other->Id, 111), *end.Connection);
    EXPECT_NE(aircraft->Position.x, 111);
    Server.Dispatch(state(player.ObjectId, 222), *end.Connection);
    EXPECT_FLOAT_EQ(aircraft->Position.x, 222);
    // From then on any Id moves its own aircraft, and the object named stays where it is.
    Server.Dispatch(state(other->Id, 333), *end.Connection);
    EXPECT_FLOAT_EQ(aircraft->Position.x, 333);
    EXPECT_FLOAT_EQ(other->Position.x, 50);
    EXPECT_EQ(aircraft->Id, player.ObjectId);
    EXPECT_FLOAT_EQ(aircraft->Health, 400) << "damage is the server's";
    EXPECT_EQ(aircraft->Name, "Kite");
    EXPECT_EQ(aircraft->Side, 0);
}

TEST_F(ServerTest, DamageLaunchesAndNames)
{
    auto own = std::make_unique<TGamer>();
    own->Id = Objects.NewId();
    World.OwnAircraft = own.get();
    TGameObject *target = AddMarker(Objects, 0, 500, 100);
    target->Health = 5000;
    TClientEnd &end = Join("127.0.0.1:5000");
    TMPlayer &player = PlayerOf(end);
    TGameObject *aircraft = Objects.FindById(player.ObjectId);
    aircraft->Position = VectorSet4(0, 0, 100, 0);

    // Damage: to a listed object, to the server's own aircraft, to nothing.
    Server.Dispatch(DamageMessage(target->Id, 1500), *end.Connection);
    Server.Dispatch(DamageMessage(own->Id, 300), *end.Connection);
    Server.Dispatch(DamageMessage(9999, 300), *end.Connection);
    EXPECT_FLOAT_EQ(target->Health, 3500);
    EXPECT_FLOAT_EQ(own->Health, TGamer::FullHealth - 300);

    // Launches: near the sender's aircraft a missile with the message's values; too far from it, or
    // living too long, none.
    struct {
        const char *What;
        float       Distance;
        int         Lifetime;
        bool        Made;
    } const launches[] = {
        {"beside the aircraft", 10, 100000, true},
        {"too far", MaxLaunchDistance + 1, 100000, false},
        {"living too long", 10, MaxMissileLifetime + 1, false},
    };
    for (const auto &l : launches) {
        const int before = Objects.Count;
        TLaunchMessage launch;
        launch.Start = VectorSet3(0, 0, 100 - l.Distance);
        launch.Direction = VectorSet3(0, 0, 0);
        launch.Damage = 4500;
        launch.LaunchSpeed = 300;
        launch.TopSpeed = 800;
        launch.Health = 10;
        launch.Target = own->Id;
        launch.Side = 0;
        launch.Lifetime = l.Lifetime;
        Server.Dispatch(LaunchMessage(launch), *end.Connection);
        ASSERT_EQ(Objects.Count, before + (l.Made ? 1 : 0)) << l.What;
        if (!l.Made)
            continue;
        auto *missile = dynamic_cast<TAirToAirRocket *>(Objects.Objects.back());
        ASSERT_NE(missile, nullptr);
        EXPECT_EQ(missile->Target, own.get()) << "the server's own aircraft is in its world";
        EXPECT_FLOAT_EQ(missile->DamageValue, 4500);
        EXPECT_FLOAT_EQ(missile->TopSpeed, 800);
        EXPECT_EQ(missile->Lifetime, 100000);
        EXPECT_FLOAT_EQ(missile->Position.z, 90);
    }

    // The name: on the player and its aircraft, with the join in the log.
    Server.Dispatch(PlayerNameMessage("Kite\x01"), *end.Connection);
    Server.Dispatch(PlayerNameMessage("Hawk"), *end.Connection);
    EXPECT_EQ(player.Name, "Hawk");
    EXPECT_EQ(aircraft->Name, "Hawk");
    EXPECT_EQ(Lines, (std::vector<std::string>{"player 1 connected from 127.0.0.1:5000",
                                               "player 1 joined from 127.0.0.1:5000 as Kite",
                                               "player 1 is now called Hawk"}));
}

TEST_F(ServerTest, AFallenPlayerGetsANewAircraftAtTheSpawnPointsInTurn)
{
    const std::vector<TVector4> spawns = {VectorSet4(100, 0, 200, 0), VectorSet4(-100, 0, 250, 0)};
    World.SpawnPoints = &spawns;
    TClientEnd &end = Join();
    TMPlayer &player = PlayerOf(end);
    const std::uint16_t first = player.ObjectId;
    EXPECT_FLOAT_EQ(Objects.FindById(first)->Position.x, 100);
    Send();

    // Down: at zero health, and once its wreck is gone from the world, for DeathTime.
    Objects.FindById(first)->Health = 0;
    Server.Respawn();
    GameClock += TGamer::DeathTime - 1;
    Server.Respawn();
    EXPECT_EQ(player.ObjectId, first);
    GameClock += 1;
    Server.Respawn();
    const std::uint16_t second = player.ObjectId;
    ASSERT_NE(second, first);
    EXPECT_EQ(Objects.FindById(first), nullptr) << "the wreck goes";
    TGameObject *aircraft = Objects.FindById(second);
    ASSERT_NE(aircraft, nullptr);
    EXPECT_FLOAT_EQ(aircraft->Position.x, -100);
    EXPECT_FLOAT_EQ(aircraft->Health, TGamer::FullHealth);

    const std::vector<TBytes> batch = Send()[0];
    ASSERT_FALSE(batch.empty());
    EXPECT_EQ(batch[0], OwnAircraftMessage(second));
    EXPECT_EQ(Ids(batch, MessageObjectDeleted), std::vector<std::uint16_t>{first});
    EXPECT_EQ(Ids(batch, MessageObjectState), std::vector<std::uint16_t>{second});

    // An aircraft that left the world some other way counts as down too; the spawn points go round.
    Objects.Remove(aircraft);
    Server.Respawn();
    GameClock += TGamer::DeathTime;
    Server.Respawn();
    EXPECT_FLOAT_EQ(Objects.FindById(player.ObjectId)->Position.x, 100);
}
