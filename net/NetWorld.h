#pragma once
// What the network game needs of the mission it runs in. The mission fills it in when it starts a
// network game and keeps it valid until the game stops.

#include "core/Maths.h"

#include <functional>
#include <vector>

class TGameObject;
class TObjectsControl;

struct TNetWorld {
    // The mission's object list: the server sends it, a client's is made of what the server sends.
    TObjectsControl *Objects = nullptr;
    // This machine's player aircraft (never listed); null on a dedicated server.
    TGameObject *OwnAircraft = nullptr;
    // Where the server puts a player's new aircraft, in turn; the map's "MP" spawn points. Null or
    // empty: 300 above the origin.
    const std::vector<TVector4> *SpawnPoints = nullptr;
    // Makes the aircraft of a player of another machine (not yet listed, with an Id from the list).
    // Unset: a TGamer that only shows the state it is given.
    std::function<TGameObject *(TObjectsControl &objects)> NewRemoteAircraft;
};

// Where a new aircraft starts when the map has no spawn point.
constexpr float DefaultSpawnAltitude = 300;
