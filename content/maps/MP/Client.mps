int ready 0
bool G_PLAYER_CONTROL_DISABLED false
bool G_PLAYER_WEAPON_DISABLED false
bool G_ALL_OBJECTS_DISABLE false
{
// The map a client loads when it joins a game. Its world comes from the server, object by object,
// so this script makes nothing of its own: no islands, no units, no tasks, and no end of the game
// either, which is the server's alone. It only readies the client's own aircraft, once.
//
// The declarations above switch the player's controls, weapons and the world back on, in case the
// last campaign mission left them off. The spawn point lifts the black screen the map starts
// behind and puts the client's aircraft back at its start, on the deck of the carrier the server
// has sent; its coordinates are only kept.

if ready = $0 then
    SetMusic Tense.ogg
    mp_ClearSpawnPoints
    mp_AddSpawnPoint $0,0 $1500,0 $700,0
    ready = $1
endif
}
