#pragma once
// The two ends of a network game. The server runs the whole world: about twenty times a second it
// sends each client the state of every object (and of its own aircraft) and a deletion for each
// object gone since the last send, and it applies what its clients send: their aircraft's state,
// their missile launches and the damage their guns deal. A client flies its own aircraft, sends
// its state and events at the same rate, and builds its world from the server's states.
//
// The server has the last word on damage: a client's aircraft keeps the health the server gives it,
// and the server never takes a health from a client. When a player's aircraft has been down for
// TGamer::DeathTime the server gives that player a new one at a spawn point and tells the client its
// Id (type 22).

#include "core/Bytes.h"
#include "net/Connection.h"
#include "net/NetWorld.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TMultiplayerServer;
class TMultiplayerClient;

// The largest blow any weapon deals in one hit: the mega bomb's blast at its centre, the blast's base
// damage plus the bomb's power of 200000 (a laser shot deals 75000, a ground missile 45000, the
// heaviest shells 1000). A damage message above it is ignored. A message carries at most 65535 and
// weapons send a larger blow in several, so this guards the field's meaning more than its range.
constexpr float StrongestHit = 30000 + 200000;
// A missile launched farther than this from the sender's own aircraft is ignored; the player's
// missiles leave 10 below it.
constexpr float MaxLaunchDistance = 300;
// A missile asking to live longer than the player's missiles do is ignored.
constexpr std::int32_t MaxMissileLifetime = 100000;

// The send rhythms, in ms of GameClock: a client sends when more than ClientSendInterval has passed
// since its last send, the server when at least ServerSendInterval has.
constexpr std::int64_t ClientSendInterval = 50;
constexpr std::int64_t ServerSendInterval = 51;

// One connected client on the server.
class TTCPServerClient : public TAbstractClientServerSocket {
public:
    TTCPServerClient(TMultiplayerServer &owner, int socket, std::string peer, std::int64_t now);
    // Hands the message to the server's dispatcher.
    void OnMessage(std::span<const std::uint8_t> message) override;

    TMultiplayerServer &Owner;
};

// A client's connection to its server.
class TServerConnection : public TAbstractClientServerSocket {
public:
    TServerConnection(TMultiplayerClient &owner, int socket, std::string peer, std::int64_t now);
    // Hands the message to the client.
    void OnMessage(std::span<const std::uint8_t> message) override;

    TMultiplayerClient &Owner;
};

struct TMPlayer {
    std::unique_ptr<TTCPServerClient> Connection;
    std::uint16_t ObjectId = 0;   // the Id of this player's aircraft in the server's world
    std::string   Name;
    // The state messages of the last send, one per object sent.
    std::vector<std::vector<std::uint8_t>> StateSlots;

    int  Number = 0;              // "player 3" in the log: counted from 1 as players join
    bool Named = false;           // the client has sent its name
    // The client has sent a state of the aircraft named by the last type 22: until it does, its
    // aircraft states are of the aircraft it had before, and are not taken.
    bool OwnIdTaken = false;
    std::int64_t DownSince = -1;  // GameClock when the aircraft was first seen dead or gone; -1 flying
};

class TMultiplayerServer {
public:
    explicit TMultiplayerServer(TNetWorld &world);

    // A new player on Connection: a new aircraft at the next spawn point, listed in the world, and
    // a type 22 with its Id queued for the next send.
    TMPlayer &AddPlayer(std::unique_ptr<TTCPServerClient> connection);
    // Removes the first player on Connection: its aircraft leaves the world, its connection is
    // freed, and the players after it move down one place. (A socket number may be reused as soon as
    // it is closed, so the connection itself names the player.)
    void RemovePlayer(const TTCPServerClient &connection);
    // Removes every player whose connection has closed, logging why.
    void RemoveClosed();
    // Every player whose aircraft has been dead or gone for TGamer::DeathTime gets a new one.
    void Respawn();
    // The send of this frame when it is due (see the file's head).
    void ServerTick();
    // A message that arrived on Connection.
    void Dispatch(std::span<const std::uint8_t> message, TTCPServerClient &connection);

    // Brings the server's own aircraft back after its fall: full health and ammunition, at the next
    // spawn point. Nothing when it is not a TGamer.
    void ReviveOwnAircraft();

    // The player on Connection, or null.
    TMPlayer *PlayerOf(const TAbstractClientServerSocket &connection);
    // The object of Id in the world: listed, or the server's own aircraft; null for none.
    TGameObject *FindInWorld(std::uint16_t id) const;
    int PlayerCount() const { return int(Players.size()); }

    std::vector<TMPlayer> Players;
    std::int64_t LastSendTime = 0;
    TNetWorld   &World;
    std::function<void(const std::string &)> Log;

private:
    // A player's new aircraft at the next spawn point, listed; its Id goes to the client.
    void GiveAircraft(TMPlayer &player);
    void ApplyOwnState(TMPlayer &player, std::span<const std::uint8_t> state);
    TVector4 NextSpawnPoint();
    void Write(const std::string &line) const;

    int NextNumber = 1;
    std::size_t NextSpawn = 0;
    // This send's states, written once for every player: the bytes of all, and each one's place.
    struct TSlot {
        std::uint16_t Id;
        std::size_t   Offset, Size;
    };
    TByteWriter States;
    std::vector<TSlot> Slots;
    std::unordered_map<std::uint16_t, std::size_t> SlotOfId;
    std::unordered_set<std::uint16_t> LiveIds;
};

class TMultiplayerClient {
public:
    explicit TMultiplayerClient(TNetWorld &world);

    // Adds a message to Pending (the weapons' launches and damage).
    void AddPending(const void *message, std::size_t size);
    // The send of this frame when it is due: the pending messages, then the own aircraft's state
    // (once the server has named and placed it), in one batch.
    void ClientTick();
    // A message from the server.
    void Apply(std::span<const std::uint8_t> message);

    std::vector<std::vector<std::uint8_t>> Pending;
    std::int64_t LastSendTime = 0;
    std::unique_ptr<TServerConnection> Connection;
    TNetWorld   &World;
    std::function<void(const std::string &)> Log;

    std::uint16_t OwnId = 0;   // the server's Id of the own aircraft; 0 until it names one
    // The next state of OwnId places the own aircraft (it is taken whole); until then the client
    // sends no state of its own.
    bool AwaitingPlace = false;

private:
    void ApplyState(std::span<const std::uint8_t> state);
    void TakeOwnId(std::uint16_t id);
    // The listed object that the server's messages made for Id with class Code, or null.
    TGameObject *Made(std::uint16_t id, std::uint16_t code = 0) const;

    std::unordered_map<std::uint16_t, TGameObject *> MadeObjects;   // what the server's states made
    std::unordered_set<std::uint16_t> Unmakeable;                  // ids whose object could not be made
};
