#include "net/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool MakeNonBlocking(int socket)
{
    const int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Batches are small and go out every 50 ms: the delay that gathers small writes would only hold them.
void NoDelay(int socket)
{
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

std::string AddressText(const sockaddr *address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    if (address->sa_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(address);
        const std::uint16_t port = ntohs(v6->sin6_port);
        // An IPv4 peer of a socket that listens on both reads as ::ffff:a.b.c.d; show it plainly.
        if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
            inet_ntop(AF_INET, v6->sin6_addr.s6_addr + 12, text, sizeof text);
            return std::string(text) + ":" + std::to_string(port);
        }
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(port);
    }
    return "?";
}

// One attempt at Address within the time left; the socket, or -1 with Reason.
int ConnectOne(const addrinfo &address, int timeoutMs, std::string &reason)
{
    const int s = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
    if (s < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (!MakeNonBlocking(s)) {
        reason = std::strerror(errno);
        close(s);
        return -1;
    }
    if (connect(s, address.ai_addr, address.ai_addrlen) == 0) {
        NoDelay(s);
        return s;
    }
    if (errno != EINPROGRESS) {
        reason = std::strerror(errno);
        close(s);
        return -1;
    }
    pollfd wait{s, POLLOUT, 0};
    int ready;
    do
        ready = poll(&wait, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        reason = "no answer in time";
        close(s);
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (ready < 0 || getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        reason = std::strerror(ready < 0 ? errno : error);
        close(s);
        return -1;
    }
    NoDelay(s);
    return s;
}

bool ParsePort(std::string_view text, std::uint16_t &port)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + unsigned(c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = std::uint16_t(value);
    return true;
}

} // namespace

bool ParseHostPort(std::string_view text, std::string &host, std::uint16_t &port, std::string &error)
{
    port = DefaultPort;
    std::string_view hostPart = text, portPart;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            error = "\"" + std::string(text) + "\": no ']' after the IPv6 address";
            return false;
        }
        hostPart = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                error = "\"" + std::string(text) + "\": a port follows ']' after ':'";
                return false;
            }
            portPart = rest.substr(1);
            hasPort = true;
        }
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos &&
                                                          text.find(':', colon + 1) == std::string_view::npos) {
        // One colon: HOST:PORT. More than one without brackets is a bare IPv6 address.
        hostPart = text.substr(0, colon);
        portPart = text.substr(colon + 1);
        hasPort = true;
    }
    if (hostPart.empty()) {
        error = "\"" + std::string(text) + "\": no host";
        return false;
    }
    if (hasPort && !ParsePort(portPart, port)) {
        error = "\"" + std::string(text) + "\": the port must be a number from 1 to 65535";
        return false;
    }
    host = std::string(hostPart);
    return true;
}

std::string HostPortText(const std::string &host, std::uint16_t port)
{
    if (host.find(':') != std::string::npos)
        return "[" + host + "]:" + std::to_string(port);
    return host + ":" + std::to_string(port);
}

namespace {

// A listening socket of Family (AF_UNSPEC: what Address is) on Port; -1 with Reason.
int ListenFamily(const std::string &address, std::uint16_t port, int family, std::string &reason)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    hints.ai_family = family;
    addrinfo *found = nullptr;
    const int status =
        getaddrinfo(address.empty() ? nullptr : address.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        reason = gai_strerror(status);
        return -1;
    }
    reason = "no address";
    int result = -1;
    for (const addrinfo *a = found; a && result < 0; a = a->ai_next) {
        const int s = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (s < 0) {
            reason = std::strerror(errno);
            continue;
        }
        const int on = 1, off = 0;
        setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (a->ai_family == AF_INET6 && address.empty())
            setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);   // IPv4 clients too
        if (bind(s, a->ai_addr, a->ai_addrlen) != 0 || listen(s, 16) != 0 || !MakeNonBlocking(s)) {
            reason = std::strerror(errno);
            close(s);
            continue;
        }
        result = s;
    }
    freeaddrinfo(found);
    return result;
}

} // namespace

int ListenTcp(const std::string &address, std::uint16_t port, std::string &error)
{
    std::string reason;
    int result = ListenFamily(address, port, address.empty() ? AF_INET6 : AF_UNSPEC, reason);
    if (result < 0 && address.empty()) {
        // A system without IPv6: every IPv4 address instead.
        std::string v4;
        result = ListenFamily(address, port, AF_INET, v4);
        if (result < 0)
            reason = v4;
    }
    if (result < 0)
        error = "Cannot listen on " + HostPortText(address.empty() ? "*" : address, port) + ": " + reason;
    return result;
}

std::uint16_t LocalPort(int socket)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
    return 0;
}

int AcceptTcp(int listener, std::string &peer)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int s;
    do
        s = accept4(listener, reinterpret_cast<sockaddr *>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    while (s < 0 && errno == EINTR);
    if (s < 0)
        return -1;
    NoDelay(s);
    peer = AddressText(reinterpret_cast<const sockaddr *>(&address));
    return s;
}

int ConnectTcp(const std::string &host, std::uint16_t port, int timeoutMs, std::string &error)
{
    const std::string prefix = "Cannot connect to " + HostPortText(host, port) + ": ";
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        error = prefix + gai_strerror(status);
        return -1;
    }
    using TClock = std::chrono::steady_clock;
    const TClock::time_point end = TClock::now() + std::chrono::milliseconds(timeoutMs);
    std::string reason = "no address";
    int result = -1;
    for (const addrinfo *a = found; a && result < 0; a = a->ai_next) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - TClock::now()).count();
        if (left <= 0) {
            reason = "no answer in time";
            break;
        }
        result = ConnectOne(*a, int(left), reason);
    }
    freeaddrinfo(found);
    if (result < 0)
        error = prefix + reason;
    return result;
}

void CloseSocket(int socket)
{
    if (socket >= 0)
        close(socket);
}
