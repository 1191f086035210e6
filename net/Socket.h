#pragma once
// The TCP transport of a network game: non-blocking POSIX sockets over IPv4 and IPv6, polled from the
// frame; no threads. Sends never raise SIGPIPE (a closed peer is an error code, not a signal).

#include <cstdint>
#include <string>
#include <string_view>

constexpr std::uint16_t DefaultPort = 26100;

// "HOST", "HOST:PORT", "[V6]", "[V6]:PORT" or a bare IPv6 address ("::1") into Host and Port
// (DefaultPort when the text names none). False, with Error, for an empty host or a port that is
// not a number in 1..65535.
bool ParseHostPort(std::string_view text, std::string &host, std::uint16_t &port, std::string &error);

// A non-blocking listening socket on Port (0: one the system picks) of Address; an empty Address
// listens on every address, IPv6 and IPv4 alike (IPv4 alone where the system has no IPv6). -1, with
// Error, when it cannot be made.
int ListenTcp(const std::string &address, std::uint16_t port, std::string &error);

// The port a socket is bound to; 0 when it is not.
std::uint16_t LocalPort(int socket);

// The next connection waiting on Listener, made non-blocking and without send delay, and its
// peer's address as "1.2.3.4:5" or "[::1]:5"; -1 when nobody waits.
int AcceptTcp(int listener, std::string &peer);

// A connection to Host:Port within TimeoutMs, made non-blocking and without send delay; each
// address the name resolves to is tried in turn. -1, with Error "Cannot connect to HOST:PORT:
// reason", on failure.
int ConnectTcp(const std::string &host, std::uint16_t port, int timeoutMs, std::string &error);

// HOST:PORT as written back to the user ("[::1]:26100" for an IPv6 address).
std::string HostPortText(const std::string &host, std::uint16_t port);

void CloseSocket(int socket);
