#pragma once
// The game's network games: hosting one from the menu or the command line, joining one, and the
// dedicated server that hosts a map without a window.

#include "core/App.h"

#include <string>

class TNetGame;

// The network game of the run; null while none runs.
extern TNetGame *NetGame;

// Installs the menu's entries to network games (HOST and JOIN on the LAN pages) and its way out.
void InstallNetworkMenu(const TCommandLine &cmd);

// Joins the game at Address ("HOST" or "HOST:PORT") as Name (empty: the name given with "-name",
// else the current player's): the client's map loads, the connection opens,
// and the flight starts once the server has placed this player's aircraft. False, with the reason on
// standard error and in the log, when it cannot.
bool JoinGame(const std::string &address, const std::string &name);

// Before each frame of a network game: the game keeps running while the menu is up (a client waits
// for its aircraft on the wait page, a host's pause holds nobody up); a client whose server closed
// the connection goes back to the menu with the reason.
void NetworkFrame(int dt);

// How the network game stands, as one line: "network: host|client own=ID objects=N aircraft=A
// seen=S deaths=D" (the objects of this machine's world, the other players' aircraft among them now
// and at most at once, and how often this machine's aircraft was shot down); empty without one.
std::string NetworkSummary();

// Ends the network game, if one runs: connections closed, back to single-player state.
void StopNetworkGame();

// "-server MAP": hosts MAP (a name in Data\Maps\MP or a path) without a window, a sound device or an
// aircraft of its own until SIGINT or SIGTERM; prints "listening on port N" and a line per player
// joining and leaving. Returns the exit status.
int RunDedicatedServer(const TCommandLine &cmd);
