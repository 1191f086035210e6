#include "net/Multiplayer.h"

#include "core/View.h"
#include "net/ObjectFactory.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/UnitState.h"

#include <exception>

namespace {

// Where a state message keeps its Id and its health.
constexpr std::size_t StateIdOffset = 4, StateHealthOffset = 298;

// A name as the log and the radar show it: no control characters, and never empty.
std::string CleanName(const std::string &name, int number)
{
    std::string clean;
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 32 && c != 127)
            clean += c;
    if (clean.empty())
        clean = "Player " + std::to_string(number);
    return clean;
}

// Puts a new aircraft at Point, flying level towards north.
void PlaceAircraft(TGameObject &aircraft, const TVector4 &point)
{
    if (auto *gamer = dynamic_cast<TGamer *>(&aircraft)) {
        gamer->Craft.Position = point;
        gamer->Craft.Angles = VectorSet4(-90, 0, 0, 0);
        gamer->Bank = 0;
        gamer->Rotation = VectorSet4(-90, 0, 0, 0);
    }
    aircraft.Position = point;
}

} // namespace

// ---- The connections ----------------------------------------------------------------------------

TTCPServerClient::TTCPServerClient(TMultiplayerServer &owner, int socket, std::string peer, std::int64_t now)
    : TAbstractClientServerSocket(socket, std::move(peer), ClientPeerLimits(), now), Owner(owner)
{
}

void TTCPServerClient::OnMessage(std::span<const std::uint8_t> message) { Owner.Dispatch(message, *this); }

TServerConnection::TServerConnection(TMultiplayerClient &owner, int socket, std::string peer, std::int64_t now)
    : TAbstractClientServerSocket(socket, std::move(peer), ServerPeerLimits(), now), Owner(owner)
{
}

void TServerConnection::OnMessage(std::span<const std::uint8_t> message) { Owner.Apply(message); }

// ---- The server ---------------------------------------------------------------------------------

TMultiplayerServer::TMultiplayerServer(TNetWorld &world) : World(world) {}

void TMultiplayerServer::Write(const std::string &line) const
{
    if (Log)
        Log(line);
}

TMPlayer &TMultiplayerServer::AddPlayer(std::unique_ptr<TTCPServerClient> connection)
{
    TMPlayer &player = Players.emplace_back();
    player.Connection = std::move(connection);
    player.Number = NextNumber++;
    player.Name = CleanName({}, player.Number);
    Write("player " + std::to_string(player.Number) + " connected from " + player.Connection->Peer);
    GiveAircraft(player);
    return player;
}

void TMultiplayerServer::GiveAircraft(TMPlayer &player)
{
    player.DownSince = -1;
    player.OwnIdTaken = false;
    if (!World.Objects)
        return;
    TObjectsControl &objects = *World.Objects;
    TGameObject *aircraft = World.NewRemoteAircraft ? World.NewRemoteAircraft(objects) : NewRemoteGamer(objects);
    if (!aircraft)
        return;
    if (aircraft->Id == 0)   // ids wrap round, and 0 is never sent
        aircraft->Id = objects.NewId();
    PlaceAircraft(*aircraft, NextSpawnPoint());
    aircraft->Name = player.Name;
    objects.Add(aircraft);
    player.ObjectId = aircraft->Id;
    const std::vector<std::uint8_t> message = OwnAircraftMessage(aircraft->Id);
    Queue(*player.Connection, message.data(), message.size());
}

TVector4 TMultiplayerServer::NextSpawnPoint()
{
    if (!World.SpawnPoints || World.SpawnPoints->empty())
        return VectorSet4(0, 0, DefaultSpawnAltitude, 0);
    return (*World.SpawnPoints)[NextSpawn++ % World.SpawnPoints->size()];
}

void TMultiplayerServer::ReviveOwnAircraft()
{
    auto *gamer = dynamic_cast<TGamer *>(World.OwnAircraft);
    if (!gamer || !World.Objects)
        return;
    gamer->Reset(*World.Objects);
    PlaceAircraft(*gamer, NextSpawnPoint());
}

void TMultiplayerServer::RemovePlayer(const TTCPServerClient &connection)
{
    for (auto player = Players.begin(); player != Players.end(); ++player) {
        if (player->Connection.get() != &connection)
            continue;
        Write("player " + std::to_string(player->Number) + " left (" +
              (connection.CloseReason.empty() ? std::string("removed") : connection.CloseReason) + ")");
        if (World.Objects)
            if (TGameObject *aircraft = World.Objects->FindById(player->ObjectId))
                World.Objects->Remove(aircraft);
        Players.erase(player);
        return;
    }
}

void TMultiplayerServer::RemoveClosed()
{
    for (std::size_t i = 0; i < Players.size();) {
        if (Players[i].Connection->Open())
            ++i;
        else
            RemovePlayer(*Players[i].Connection);
    }
}

void TMultiplayerServer::Respawn()
{
    if (!World.Objects)
        return;
    for (TMPlayer &player : Players) {
        if (!player.Connection->Open())
            continue;
        TGameObject *aircraft = player.ObjectId != 0 ? World.Objects->FindById(player.ObjectId) : nullptr;
        if (aircraft && aircraft->Health > 0) {
            player.DownSince = -1;
            continue;
        }
        if (player.DownSince < 0)
            player.DownSince = GameClock;
        if (GameClock - player.DownSince < TGamer::DeathTime)
            continue;
        if (aircraft)
            World.Objects->Remove(aircraft);
        GiveAircraft(player);
    }
}

TGameObject *TMultiplayerServer::FindInWorld(std::uint16_t id) const
{
    if (World.Objects)
        if (TGameObject *object = World.Objects->FindById(id))
            return object;
    if (World.OwnAircraft && World.OwnAircraft->Id == id)
        return World.OwnAircraft;
    return nullptr;
}

TMPlayer *TMultiplayerServer::PlayerOf(const TAbstractClientServerSocket &connection)
{
    for (TMPlayer &player : Players)
        if (player.Connection.get() == &connection)
            return &player;
    return nullptr;
}

void TMultiplayerServer::ServerTick()
{
    const std::int64_t now = GameClock;
    if (now - LastSendTime < ServerSendInterval)
        return;
    if (Players.empty()) {
        LastSendTime = now;
        return;
    }

    // Every player is sent the same states: write them once. An object whose Id already has a slot
    // writes into that slot; objects with Id 0 and classes without a state are not sent.
    States.Out.clear();
    Slots.clear();
    SlotOfId.clear();
    LiveIds.clear();
    const auto write = [this](TGameObject &object) {
        if (object.Id == 0)
            return;
        LiveIds.insert(object.Id);
        const std::size_t start = States.Size();
        object.WriteState(States);
        const std::size_t size = States.Size() - start;
        if (size == 0)
            return;
        const auto [at, added] = SlotOfId.try_emplace(object.Id, Slots.size());
        if (added)
            Slots.push_back({object.Id, start, size});
        else
            Slots[at->second] = {object.Id, start, size};
    };
    if (World.Objects)
        for (TGameObject *object : World.Objects->Objects)
            write(*object);
    if (World.OwnAircraft)
        write(*World.OwnAircraft);

    for (TMPlayer &player : Players) {
        TTCPServerClient &connection = *player.Connection;
        if (!connection.Open())
            continue;
        // Deletions: a slot whose Id names nothing in the world any more. The server's own aircraft
        // is in the world too, though never listed.
        std::vector<std::vector<std::uint8_t>> &slots = player.StateSlots;
        for (std::size_t i = 0; i < slots.size();) {
            const std::uint16_t id = MessageWord(slots[i].data(), StateIdOffset);
            if (LiveIds.contains(id)) {
                ++i;
                continue;
            }
            const std::vector<std::uint8_t> deleted = DeletedMessage(id);
            Queue(connection, deleted.data(), deleted.size());
            slots[i] = std::move(slots.back());
            slots.pop_back();
        }
        // The slots become this send's states (their buffers are reused), each queued as type 20.
        slots.resize(Slots.size());
        for (std::size_t i = 0; i < Slots.size(); ++i) {
            const auto from = States.Out.begin() + std::ptrdiff_t(Slots[i].Offset);
            slots[i].assign(from, from + std::ptrdiff_t(Slots[i].Size));
            QueueState(connection, MessageObjectState, slots[i]);
        }
        Flush(connection);
    }
    LastSendTime = now;
}

void TMultiplayerServer::Dispatch(std::span<const std::uint8_t> message, TTCPServerClient &connection)
{
    TMPlayer *player = PlayerOf(connection);
    if (!player)
        return;
    const std::uint8_t *m = message.data();
    switch (MessageType(m)) {
    case MessageLaunch: {
        const TLaunchMessage launch = ReadLaunch(m);
        TGameObject *own = World.Objects ? World.Objects->FindById(player->ObjectId) : nullptr;
        if (!own || VectorDistance(launch.Start, own->Position) > MaxLaunchDistance || launch.Lifetime < 0 ||
            launch.Lifetime > MaxMissileLifetime)
            return;
        World.Objects->LaunchMissile(launch.Start, launch.Direction, launch.Damage, launch.LaunchSpeed,
                                     launch.TopSpeed, launch.Health, FindInWorld(launch.Target), launch.Side,
                                     launch.Lifetime, 0, false);
        return;
    }
    case MessageDamage: {
        const float amount = float(MessageWord(m, 3));
        if (amount > StrongestHit || !World.Objects)
            return;
        World.Objects->DamageObject(FindInWorld(MessageWord(m, 5)), amount);
        return;
    }
    case MessageOwnState: ApplyOwnState(*player, WrappedState(message)); return;
    case MessagePlayerName: {
        const std::string name = CleanName(ReadPlayerName(m), player->Number);
        const std::string number = std::to_string(player->Number);
        if (!player->Named)
            Write("player " + number + " joined from " + connection.Peer + " as " + name);
        else if (name != player->Name)
            Write("player " + number + " is now called " + name);
        player->Named = true;
        player->Name = name;
        if (TGameObject *own = World.Objects ? World.Objects->FindById(player->ObjectId) : nullptr)
            own->Name = name;
        return;
    }
    default: return;   // not a client's message
    }
}

void TMultiplayerServer::ApplyOwnState(TMPlayer &player, std::span<const std::uint8_t> state)
{
    TGameObject *own = World.Objects ? World.Objects->FindById(player.ObjectId) : nullptr;
    if (!own)
        return;
    const std::uint16_t named = MessageWord(state.data(), StateIdOffset);
    if (!player.OwnIdTaken) {
        if (named != player.ObjectId)
            return;   // still about the aircraft before the last type 22
        player.OwnIdTaken = true;
    }
    // Whatever Id the message names, it moves the sender's own aircraft; its health, name and side
    // stay the server's.
    std::vector<std::uint8_t> copy(state.begin(), state.end());
    copy[StateIdOffset] = std::uint8_t(player.ObjectId);
    copy[StateIdOffset + 1] = std::uint8_t(player.ObjectId >> 8);
    const float health = own->Health, maxHealth = own->MaxHealth;
    const std::int32_t side = own->Side;
    const std::string name = own->Name;
    TByteReader reader(copy);
    own->ReadState(reader);
    own->Health = health;
    own->MaxHealth = maxHealth;
    own->Side = side;
    own->Name = name;
}

// ---- The client ---------------------------------------------------------------------------------

TMultiplayerClient::TMultiplayerClient(TNetWorld &world) : World(world) {}

void TMultiplayerClient::AddPending(const void *message, std::size_t size)
{
    const auto *bytes = static_cast<const std::uint8_t *>(message);
    Pending.emplace_back(bytes, bytes + size);
}

void TMultiplayerClient::ClientTick()
{
    const std::int64_t now = GameClock;
    if (now - LastSendTime <= ClientSendInterval)
        return;
    if (Connection && Connection->Open()) {
        for (const auto &message : Pending)
            Queue(*Connection, message.data(), message.size());
        if (World.OwnAircraft && OwnId != 0 && !AwaitingPlace) {
            TByteWriter state;
            World.OwnAircraft->WriteState(state);
            if (state.Size() > 0)
                QueueState(*Connection, MessageOwnState, state.Out);
        }
        Flush(*Connection);
    }
    Pending.clear();
    LastSendTime = now;
}

void TMultiplayerClient::Apply(std::span<const std::uint8_t> message)
{
    const std::uint8_t *m = message.data();
    switch (MessageType(m)) {
    case MessageObjectState: ApplyState(WrappedState(message)); return;
    case MessageObjectDeleted: {
        const std::uint16_t id = MessageWord(m, 3);
        if (TGameObject *object = Made(id))
            World.Objects->Remove(object);
        MadeObjects.erase(id);
        Unmakeable.erase(id);
        return;
    }
    case MessageOwnAircraft: TakeOwnId(MessageWord(m, 3)); return;
    default: return;   // not a server's message
    }
}

TGameObject *TMultiplayerClient::Made(std::uint16_t id, std::uint16_t code) const
{
    const auto found = MadeObjects.find(id);
    if (found == MadeObjects.end() || !World.Objects)
        return nullptr;
    // The world may have freed it since (the list is asked before the object is touched).
    TGameObject *object = found->second;
    if (!World.Objects->Contains(object) || object == World.OwnAircraft || object->Id != id)
        return nullptr;
    if (code != 0 && StateClassOf(*object) != code)
        return nullptr;
    return object;
}

void TMultiplayerClient::ApplyState(std::span<const std::uint8_t> state)
{
    const std::uint16_t id = MessageWord(state.data(), StateIdOffset);
    const std::uint16_t code = MessageWord(state.data(), 2);
    TGameObject *own = World.OwnAircraft;
    if (own && OwnId != 0 && id == OwnId) {
        if (AwaitingPlace) {
            // The first state of a new aircraft places it: all of it is taken.
            TByteReader reader(state.data(), state.size());
            own->ReadState(reader);
            own->Id = OwnId;
            AwaitingPlace = false;
        } else if (code != ClassIsland) {
            // Afterwards the client flies it; only its health is the server's.
            own->SetHealth(float(MessageWord(state.data(), StateHealthOffset)));
        }
        return;
    }
    if (!World.Objects)
        return;
    TGameObject *object = Made(id, code);
    if (!object) {
        if (Unmakeable.contains(id))
            return;
        // The Id now names an object of another class: the old one has gone.
        if (TGameObject *stale = Made(id))
            World.Objects->Remove(stale);
        MadeObjects.erase(id);
        try {
            object = MakeStateObject(*World.Objects, state, World.NewRemoteAircraft);
        } catch (const std::exception &e) {
            if (Log)
                Log("cannot make object " + std::to_string(id) + " of class " + std::to_string(code) + ": " +
                    e.what());
            Unmakeable.insert(id);
            return;
        }
        if (!object) {
            if (Log)
                Log("cannot make object " + std::to_string(id) + " of class " + std::to_string(code) +
                    ": its name names no model");
            Unmakeable.insert(id);
            return;
        }
        World.Objects->Add(object);
        MadeObjects[id] = object;
    }
    TByteReader reader(state.data(), state.size());
    object->ReadState(reader);
}

void TMultiplayerClient::TakeOwnId(std::uint16_t id)
{
    if (id == 0)
        return;
    // A copy made while the Id was another player's is no longer needed: the own aircraft shows it.
    if (TGameObject *copy = Made(id))
        World.Objects->Remove(copy);
    MadeObjects.erase(id);
    if (TGameObject *own = World.OwnAircraft) {
        // After a fall the new aircraft comes with full health and ammunition.
        auto *gamer = dynamic_cast<TGamer *>(own);
        if (gamer && gamer->Health <= 0 && World.Objects)
            gamer->Reset(*World.Objects);
        own->Id = id;
    }
    OwnId = id;
    AwaitingPlace = true;
}
