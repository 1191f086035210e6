// scoreserver: the world high-score table the game sends scores to.
//
//   scoreserver PORT STORAGE [--bind ADDRESS] [--closed]
//
// Serves HTTP on ADDRESS:PORT (127.0.0.1 unless --bind says otherwise; port 0 picks a free one),
// keeping the scores in the file STORAGE. It answers the game's version check and submissions on
// "/cgi/version.pl" and shows the table at "/cgi/version.pl?prg=Zephrona&show&type=0". With
// --closed it refuses new scores. Prints "listening on http://ADDRESS:PORT" when ready; SIGINT or
// SIGTERM stop it.

#include "data/Config.h"
#include "menu/HighScore.h"
#include "tools/scoreserver/ScoreService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int) { Stop = 1; }

constexpr std::size_t MaxRequest = 16 * 1024;

// Reads one request head; empty when the client sent nothing usable in time.
std::string ReadRequest(int client)
{
    timeval wait{3, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string data;
    char buffer[2048];
    while (data.find("\r\n\r\n") == std::string::npos && data.size() < MaxRequest) {
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        data.append(buffer, std::size_t(n));
    }
    return data;
}

const char *StatusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    default: return "Error";
    }
}

void Send(int client, const TReply &reply)
{
    const std::string head = "HTTP/1.1 " + std::to_string(reply.Status) + " " + StatusText(reply.Status) +
                             "\r\nContent-Type: " + reply.ContentType + "\r\nContent-Length: " +
                             std::to_string(reply.Body.size()) + "\r\nConnection: close\r\n\r\n";
    const std::string all = head + reply.Body;
    std::size_t sent = 0;
    while (sent < all.size()) {
        const ssize_t n = send(client, all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += std::size_t(n);
    }
}

void Serve(int client, TScoreService &service)
{
    const std::string request = ReadRequest(client);
    if (request.empty())
        return;
    const std::size_t lineEnd = request.find("\r\n");
    const std::string line = request.substr(0, lineEnd);
    const std::size_t a = line.find(' '), b = line.find(' ', a + 1);
    if (a == std::string::npos || b == std::string::npos) {
        Send(client, {400, "text/plain; charset=utf-8", "ERROR|bad request|"});
        return;
    }
    if (line.substr(0, a) != "GET") {
        Send(client, {405, "text/plain; charset=utf-8", "ERROR|only GET|"});
        return;
    }
    const std::string target = line.substr(a + 1, b - a - 1);
    const TReply reply = service.Handle(target, std::int64_t(std::time(nullptr)));
    Send(client, reply);
    std::printf("%d %s%s%s\n", reply.Status, target.substr(0, 200).c_str(), service.LastError.empty() ? "" : " -- ",
                service.LastError.c_str());
    std::fflush(stdout);
}

int Usage(bool asked)
{
    std::fputs("usage: scoreserver PORT STORAGE [--bind ADDRESS] [--closed]\n"
               "Serves the world high-score table for the game on ADDRESS:PORT (127.0.0.1 by default; port 0\n"
               "picks a free one), keeping the scores in the file STORAGE. --closed refuses new scores.\n",
               asked ? stdout : stderr);
    return asked ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-help") == 0))
        return Usage(true);
    if (argc < 3)
        return Usage(false);
    std::string address = "127.0.0.1";
    bool closed = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bind") == 0 && i + 1 < argc)
            address = argv[++i];
        else if (std::strcmp(argv[i], "--closed") == 0)
            closed = true;
        else
            return Usage(false);
    }
    char *end = nullptr;
    const long port = std::strtol(argv[1], &end, 10);
    if (*argv[1] == 0 || *end != 0 || port < 0 || port > 65535)
        return Usage(false);

    try {
        TScoreService service(argv[2], HighScoreKey, closed);
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(std::uint16_t(port));
        if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
            std::fprintf(stderr, "scoreserver: \"%s\" is not an IPv4 address\n", address.c_str());
            return 2;
        }
        if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 ||
            listen(listener, 16) != 0) {
            std::fprintf(stderr, "scoreserver: cannot listen on %s:%ld: %s\n", address.c_str(), port, std::strerror(errno));
            return 1;
        }
        socklen_t length = sizeof where;
        getsockname(listener, reinterpret_cast<sockaddr *>(&where), &length);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::printf("listening on http://%s:%d\n", address.c_str(), ntohs(where.sin_port));
        std::fflush(stdout);
        while (!Stop) {
            pollfd waiting{listener, POLLIN, 0};
            if (poll(&waiting, 1, 200) <= 0)
                continue;
            const int client = accept(listener, nullptr, nullptr);
            if (client < 0)
                continue;
            Serve(client, service);
            close(client);
        }
        close(listener);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "scoreserver: %s\n", e.what());
        return 1;
    }
    return 0;
}
