// scoreserver: the world high-score table the game sends scores to.
//
//   scoreserver PORT STORAGE [--bind ADDRESS] [--closed] [limits...]
//   scoreserver --export STORAGE
//
// Serves HTTP on ADDRESS:PORT (127.0.0.1 unless --bind says otherwise; port 0 picks a free one),
// keeping the scores in the SQLite database STORAGE (an old text score file there is imported on
// the first start). It answers the game's version check and submissions on "/cgi/version.pl" and
// shows the table at "/cgi/version.pl?prg=Zephrona&show&type=0". Prints "listening on
// http://ADDRESS:PORT" when ready, and a line per submission on standard error; SIGINT or SIGTERM
// stop it with the database closed.
//
// libmicrohttpd does the HTTP: a few threads, each polling many connections, so a slow or idle client
// holds only its own connection, and only until its time-out.

#include "tools/scoreserver/ScoreService.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct TOptions {
    std::string Address = "127.0.0.1";
    unsigned    MaxConnections = 1000;
    unsigned    PerAddress = 16;   // connections at once from one address
    unsigned    Timeout = 10;      // seconds a connection may stay silent
    unsigned    Threads = 4;
    bool        Proxy = false;
    TScoreRules Rules;
};

struct TServer {
    TScoreService *Service;
    bool           Proxy;
};

// One write per line, so that lines from several threads do not mix. Nobody reading any more is
// no reason to stop serving: SIGPIPE is ignored and a failed write is let go.
void LogLine(const std::string &line)
{
    const std::string text = "scoreserver: " + line + "\n";
    const ssize_t written = write(STDERR_FILENO, text.data(), text.size());
    (void)written;
}

std::string AddressText(const sockaddr *address)
{
    char text[INET6_ADDRSTRLEN] = "?";
    if (address && address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text, sizeof text);
    else if (address && address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text, sizeof text);
    return text;
}

bool Loopback(const std::string &address)
{
    return address.compare(0, 4, "127.") == 0 || address == "::1" || address.compare(0, 11, "::ffff:127.") == 0;
}

// The player's address: the peer's, or behind a proxy on this machine the one the proxy put last in
// "X-Forwarded-For" (the entries before it are whatever the client claimed).
std::string ClientAddress(MHD_Connection *connection, bool proxy)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    const std::string peer = AddressText(info ? info->client_addr : nullptr);
    if (!proxy || !Loopback(peer))
        return peer;
    const char *forwarded = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For");
    if (!forwarded)
        return peer;
    std::string last = forwarded;
    last = last.substr(last.rfind(',') + 1);
    last.erase(0, last.find_first_not_of(' '));
    last.erase(last.find_last_not_of(' ') + 1);
    unsigned char probe[sizeof(in6_addr)];
    if (inet_pton(AF_INET, last.c_str(), probe) == 1 || inet_pton(AF_INET6, last.c_str(), probe) == 1)
        return last;
    return peer;
}

// The request target exactly as sent (the access handler only sees it decoded), kept for the request.
void *KeepTarget(void *, const char *uri, MHD_Connection *) { return new std::string(uri ? uri : ""); }

void ForgetTarget(void *, MHD_Connection *, void **state, MHD_RequestTerminationCode)
{
    delete static_cast<std::string *>(*state);
    *state = nullptr;
}

MHD_Result Answer(void *context, MHD_Connection *connection, const char *, const char *method, const char *,
                  const char *, size_t *, void **state)
{
    const auto *server = static_cast<const TServer *>(context);
    const auto *target = static_cast<const std::string *>(*state);
    TReply reply;
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0)
        reply = {405, "text/plain; charset=utf-8", "ERROR|only GET|", {}};
    else
        reply = server->Service->Handle(target ? *target : std::string(), std::int64_t(std::time(nullptr)),
                                        ClientAddress(connection, server->Proxy));
    if (!reply.Log.empty())
        LogLine(reply.Log);
    MHD_Response *response =
        MHD_create_response_from_buffer(reply.Body.size(), reply.Body.data(), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.ContentType.c_str());
    // A ticket or a fresh table must never come out of some cache on the way.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.Status), response);
    MHD_destroy_response(response);
    return queued;
}

int Usage(bool asked)
{
    std::fputs("usage: scoreserver PORT STORAGE [--bind ADDRESS] [--closed] [options]\n"
               "       scoreserver --export STORAGE\n"
               "Serves the world high-score table for the game on ADDRESS:PORT (127.0.0.1 by default; port 0\n"
               "picks a free one), keeping the scores in the SQLite database STORAGE. An old text score file at\n"
               "STORAGE is imported on the first start and kept as STORAGE.imported. --closed refuses new scores.\n"
               "  --per-hour N         scores taken from one address in an hour (30; 0: no limit)\n"
               "  --max-score N        higher scores are refused (10000000)\n"
               "  --page-size N        places on a page of the table (100)\n"
               "  --max-connections N  connections at once (1000)\n"
               "  --per-address N      connections at once from one address (16; 0: no limit)\n"
               "  --timeout S          seconds before a silent connection is closed (10)\n"
               "  --threads N          threads serving connections (4)\n"
               "  --proxy              behind a reverse proxy on this machine: the player's address is the\n"
               "                       last of its X-Forwarded-For, and the proxy limits connections\n"
               "--export prints every score of STORAGE as a line (score, name, country, time; tabs between).\n",
               asked ? stdout : stderr);
    return asked ? 0 : 2;
}

bool Number(const char *text, unsigned long long most, unsigned long long &value)
{
    char *end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return *text >= '0' && *text <= '9' && *end == 0 && errno == 0 && value <= most;
}

// Parses the options after PORT and STORAGE; false for anything it does not know.
bool ParseOptions(int argc, char **argv, TOptions &options)
{
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        unsigned long long n = 0;
        auto value = [&](unsigned long long least, unsigned long long most) {
            return i + 1 < argc && Number(argv[++i], most, n) && n >= least;
        };
        if (option == "--bind" && i + 1 < argc)
            options.Address = argv[++i];
        else if (option == "--closed")
            options.Rules.Closed = true;
        else if (option == "--proxy")
            options.Proxy = true;
        else if (option == "--per-hour" && value(0, 1000000))
            options.Rules.PerHour = int(n);
        else if (option == "--max-score" && value(1, 999999999999ULL))
            options.Rules.MaxScore = (long long)n;
        else if (option == "--page-size" && value(1, 1000))
            options.Rules.PageSize = int(n);
        else if (option == "--max-connections" && value(1, 100000))
            options.MaxConnections = unsigned(n);
        else if (option == "--per-address" && value(0, 100000))
            options.PerAddress = unsigned(n);
        else if (option == "--timeout" && value(1, 3600))
            options.Timeout = unsigned(n);
        else if (option == "--threads" && value(1, 64))
            options.Threads = unsigned(n);
        else
            return false;
    }
    return true;
}

// Every connection is a file descriptor: asks for as many as the system allows, and serves fewer
// connections at once than that.
void FitConnectionsToFiles(TOptions &options)
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return;
    if (files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
    }
    const rlim_t spare = 64;   // the listening socket, the database, the threads' polls
    if (files.rlim_cur != RLIM_INFINITY && options.MaxConnections + spare > files.rlim_cur) {
        options.MaxConnections = files.rlim_cur > 2 * spare ? unsigned(files.rlim_cur - spare) : 16;
        LogLine("only " + std::to_string(options.MaxConnections) + " connections at once: the system allows " +
                std::to_string(files.rlim_cur) + " open files");
    }
}

int Export(const std::string &storage)
{
    if (TScoreStore::Inspect(storage) != TScoreStore::TStorageKind::Database)
        throw std::runtime_error("\"" + storage + "\" is not a score database");
    TScoreStore store(storage);
    for (const TScoreEntry &e : store.Entries())
        std::printf("%lld\t%s\t%s\t%lld\n", e.Score, e.Name.c_str(), e.Country.c_str(), (long long)e.Time);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-help") == 0))
        return Usage(true);
    // A reader of our output that goes away must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 3 && std::strcmp(argv[1], "--export") == 0) {
        try {
            return Export(argv[2]);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "scoreserver: %s\n", e.what());
            return 1;
        }
    }
    TOptions options;
    unsigned long long port = 0;
    if (argc < 3 || !Number(argv[1], 65535, port) || !ParseOptions(argc, argv, options))
        return Usage(false);

    sockaddr_in6 where6{};
    sockaddr_in where4{};
    const bool ipv6 = inet_pton(AF_INET6, options.Address.c_str(), &where6.sin6_addr) == 1;
    if (ipv6) {
        where6.sin6_family = AF_INET6;
        where6.sin6_port = htons(std::uint16_t(port));
    } else if (inet_pton(AF_INET, options.Address.c_str(), &where4.sin_addr) == 1) {
        where4.sin_family = AF_INET;
        where4.sin_port = htons(std::uint16_t(port));
    } else {
        std::fprintf(stderr, "scoreserver: \"%s\" is not an IPv4 or IPv6 address\n", options.Address.c_str());
        return 2;
    }

    // SIGINT and SIGTERM are taken by the main thread alone, below; the serving threads inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    FitConnectionsToFiles(options);

    try {
        TScoreService service(argv[2], options.Rules);
        if (!service.Store.ImportNote.empty())
            LogLine(service.Store.ImportNote);
        TServer server{&service, options.Proxy};
        const unsigned perAddress = options.Proxy ? 0 : options.PerAddress;   // all would come from the proxy
        MHD_Daemon *daemon = MHD_start_daemon(
            MHD_USE_AUTO_INTERNAL_THREAD | (ipv6 ? MHD_USE_IPv6 : 0), std::uint16_t(port), nullptr, nullptr, &Answer,
            &server, MHD_OPTION_SOCK_ADDR, ipv6 ? reinterpret_cast<sockaddr *>(&where6) : reinterpret_cast<sockaddr *>(&where4),
            MHD_OPTION_THREAD_POOL_SIZE, options.Threads, MHD_OPTION_CONNECTION_LIMIT, options.MaxConnections,
            MHD_OPTION_PER_IP_CONNECTION_LIMIT, perAddress, MHD_OPTION_CONNECTION_TIMEOUT, options.Timeout,
            MHD_OPTION_URI_LOG_CALLBACK, &KeepTarget, nullptr, MHD_OPTION_NOTIFY_COMPLETED, &ForgetTarget, nullptr,
            MHD_OPTION_END);
        if (!daemon) {
            std::fprintf(stderr, "scoreserver: cannot listen on %s:%llu: %s\n", options.Address.c_str(), port,
                         std::strerror(errno));
            return 1;
        }
        const MHD_DaemonInfo *bound = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
        const unsigned boundPort = bound ? bound->port : unsigned(port);
        std::printf("listening on http://%s%s%s:%u\n", ipv6 ? "[" : "", options.Address.c_str(), ipv6 ? "]" : "",
                    boundPort);
        std::fflush(stdout);
        LogLine("serving \"" + std::string(argv[2]) + "\" on port " + std::to_string(boundPort));

        int signal = 0;
        while (sigwait(&stopSignals, &signal) != 0) {
        }
        LogLine(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
        MHD_stop_daemon(daemon);   // waits for the requests under way
    } catch (const std::exception &e) {
        std::fprintf(stderr, "scoreserver: %s\n", e.what());
        return 1;
    }
    LogLine("stopped; the score database is closed");
    return 0;
}
