// The score server tool as it runs on the internet: its arguments and log, the game's own requests
// over HTTP, honest players under abuse, a kill in the middle of a burst of scores, a reader of its
// output that goes away, and the player's address behind a reverse proxy.

#include "core/Text.h"
#include "data/Config.h"
#include "menu/HighScore.h"
#include "menu/Http.h"
#include "tests/TestUtil.h"
#include "tests/menu/Child.h"
#include "tools/scoreserver/ScoreStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The score server tool on a free port of 127.0.0.1 with Options after "0 STORAGE".
class TServerRun {
public:
    TServerRun(const fs::path &dir, const fs::path &storage, const std::vector<std::string> &options)
        : Child(dir, "scoreserver", Arguments(storage, options))
    {
        if (WaitForText(Child.OutFile, "\n", 10)) {
            const std::string out = Child.Out();
            const std::size_t at = out.find("http://");
            if (at != std::string::npos) {
                Base = out.substr(at, out.find('\n', at) - at);
                Port = std::atoi(Base.substr(Base.rfind(':') + 1).c_str());
            }
        }
    }
    TChild      Child;
    std::string Base;   // "http://127.0.0.1:PORT"
    int         Port = 0;

private:
    static std::vector<std::string> Arguments(const fs::path &storage, const std::vector<std::string> &options)
    {
        std::vector<std::string> argv = {ZEPHRONA_TOOLS_DIR "/scoreserver", "0", storage.string()};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
    }
};

// A connection to 127.0.0.1:Port from the loopback address Source (every 127.x.y.z is this machine,
// so one test can be many clients); -1 when refused.
int Connect(int port, const std::string &source)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &yes, sizeof yes);
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    to.sin_port = htons(std::uint16_t(port));
    if (bind(fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string &data)
{
    for (std::size_t sent = 0; sent < data.size();) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

// Everything the server sends on Fd until it closes the connection or Seconds pass.
std::string ReadToEnd(int fd, double seconds)
{
    const auto start = Clock::now();
    std::string data;
    char buffer[4096];
    while (Since(start) < seconds) {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, 100) <= 0)
            continue;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        data.append(buffer, std::size_t(n));
    }
    return data;
}

std::string Request(const std::string &target, const std::string &headers = "", const char *method = "GET")
{
    return std::string(method) + " " + target + " HTTP/1.1\r\nHost: scores\r\nConnection: close\r\n" + headers + "\r\n";
}

// One request over a new connection from Source; the whole reply, empty when there was none.
std::string Exchange(int port, const std::string &source, const std::string &request, double seconds = 10)
{
    const int fd = Connect(port, source);
    if (fd < 0)
        return {};
    const std::string reply = SendAll(fd, request) ? ReadToEnd(fd, seconds) : std::string();
    close(fd);
    return reply;
}

std::string BodyOf(const std::string &reply)
{
    const std::size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

const std::string VersionTarget = "/cgi/version.pl?version&prg=Zephrona";

std::string SubmissionTarget(const std::string &name, int score, const std::string &ticket, const std::string &country)
{
    return "/cgi/version.pl?hs&prg=Zephrona&inf=" + EncodeConfigLine(HighScoreRecord(name, score, ticket, country));
}

// A version check and a submission the way the game makes them; the submission's reply, or
// "no reply" when either request failed.
std::string PlayOverHttp(const std::string &base, const std::string &name, int score, const std::string &country)
{
    std::string reply;
    if (!HttpGet(VersionCheckAddress(base), reply))
        return "no reply";
    const std::string record = HighScoreRecord(name, score, VersionReplyValue(reply), country);
    if (!HttpGet(SubmissionAddress(base, EncodeConfigLine(record)), reply))
        return "no reply";
    return reply;
}

TEST(ScoreServerTool, ServesOverHttpAndExplainsItsArguments)
{
    const TTempDir dir("scoretool");
    TToolRun run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver --help");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("usage: scoreserver PORT STORAGE"), std::string::npos);
    EXPECT_NE(run.Out.find("--per-hour N"), std::string::npos);
    for (const char *wrong : {"70000 s.db", "0 s.db --per-hour x", "0 s.db --page-size 0", "0 s.db --frobnicate", "0"}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver " + std::string(wrong)).Status, 2);
    }
    run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver 0 /no/such/folder/s.db");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Cannot open the score database"), std::string::npos) << run.Err;

    const fs::path storage = dir.Path / "scores.db";
    {
        TScoreServer server(dir.Path, storage);
        ASSERT_EQ(server.Base.compare(0, 17, "http://127.0.0.1:"), 0) << server.Child.Out();
        const int port = std::atoi(server.Base.substr(17).c_str());
        std::string reply;
        ASSERT_TRUE(HttpGet(VersionCheckAddress(server.Base), reply));
        EXPECT_EQ(reply.compare(0, 12, "OK|Zephrona|"), 0);
        EXPECT_EQ(PlayOverHttp(server.Base, "ACE", 1500, "NORWAY"), "OK|stored|");
        ASSERT_TRUE(HttpGet(SubmissionAddress(server.Base, EncodeConfigLine(HighScoreRecord("BOB", 9, "nope", "X"))), reply));
        EXPECT_EQ(reply, "ERROR|no version check before this score|");
        EXPECT_FALSE(HttpGet(server.Base + "/other", reply));   // 404 is a failure for the game
        ASSERT_TRUE(HttpGet(WorldTableAddress(server.Base), reply));
        EXPECT_NE(reply.find("<td>ACE</td><td>NORWAY</td>"), std::string::npos);
        // The query reaches the table as sent, escapes and all; only GET is answered.
        EXPECT_EQ(BodyOf(Exchange(port, "127.0.0.1", Request("/cgi/version.pl?vers%69on&prg=Zeph%72ona"))).compare(0, 3, "OK|"), 0);
        EXPECT_EQ(Exchange(port, "127.0.0.1", Request(VersionTarget, "", "POST")).compare(0, 12, "HTTP/1.1 405"), 0);

        kill(server.Child.Pid, SIGTERM);
        EXPECT_EQ(server.Child.Wait(10), 0);
        const std::string log = server.Child.Err();
        EXPECT_NE(log.find(" 127.0.0.1 accepted score 1500 name \"ACE\" country \"NORWAY\"\n"), std::string::npos) << log;
        EXPECT_NE(log.find(" 127.0.0.1 refused (no version check before this score) score \"9\" name \"BOB\""),
                  std::string::npos) << log;
        EXPECT_NE(log.find("stopped; the score database is closed"), std::string::npos) << log;
    }
    // Closed cleanly: the write-ahead log is folded back into the database.
    EXPECT_FALSE(fs::exists(storage.string() + "-wal"));
    run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver --export scores.db");
    EXPECT_EQ(run.Status, 0);
    const std::vector<std::string> lines = SplitLines(run.Out);
    ASSERT_EQ(lines.size(), 1u) << run.Out;
    EXPECT_EQ(lines[0].rfind("1500\tACE\tNORWAY\t", 0), 0u) << run.Out;
    EXPECT_NEAR(std::atof(lines[0].substr(lines[0].rfind('\t') + 1).c_str()), double(std::time(nullptr)), 100);
}

// Names and countries are taken up to 64 bytes as the game sends them (Windows-1251, one byte a
// letter); an empty name is refused, an empty country is not (the country page may be left blank).
TEST(ScoreServerTool, NamesAndCountriesUpTo64BytesAreTaken)
{
    const TTempDir dir("scorelimits");
    const fs::path storage = dir.Path / "scores.db";
    const std::string zhe64(64, '\xC6');   // "Ж" x 64: 64 bytes sent, 128 bytes of UTF-8 kept
    const struct {
        std::string Name, Country;
        bool Taken;
    } cases[] = {
        {std::string(64, 'N'), "Norway", true},
        {std::string(65, 'N'), "Norway", false},
        {"Ace", std::string(64, 'C'), true},
        {"Ace", std::string(65, 'C'), false},
        {"", "Norway", false},
        {"Ace", "", true},
        {zhe64, zhe64, true},
        {zhe64 + "\xC6", "Norway", false},
    };
    std::vector<std::pair<std::string, std::string>> taken;
    {
        TScoreServer server(dir.Path, storage);
        ASSERT_FALSE(server.Base.empty()) << server.Child.Err();
        for (const auto &c : cases) {
            SCOPED_TRACE(std::to_string(c.Name.size()) + " byte name, " + std::to_string(c.Country.size()) + " byte country");
            EXPECT_EQ(PlayOverHttp(server.Base, c.Name, 10, c.Country),
                      c.Taken ? "OK|stored|" : "ERROR|the name or the country is empty or too long|");
            if (c.Taken)
                taken.emplace_back(Utf8FromCp1251(c.Name), Utf8FromCp1251(c.Country));
        }
    }
    // What was taken is kept whole; "Ж" is D0 96 in UTF-8.
    std::vector<std::pair<std::string, std::string>> kept;
    for (const TScoreEntry &e : TScoreStore(storage.string()).Entries())
        kept.emplace_back(e.Name, e.Country);
    EXPECT_EQ(kept, taken);
    std::string utf8;
    for (int i = 0; i < 64; ++i)
        utf8 += "\xD0\x96";
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back(), std::make_pair(utf8, utf8));
}

// While ten connections sit idle, one client sends its request a byte every two seconds and 200
// more ask as fast as they can, an honest player's version check, submission and table each come
// back within seconds (the old one-at-a-time server took half a minute). Silent connections are
// closed after the time-out, and one address gets no more than its share of connections.
TEST(ScoreServerTool, HonestPlayersAreAnsweredUnderAbuse)
{
    const TTempDir dir("scoreabuse");
    TServerRun server(dir.Path, dir.Path / "scores.db", {"--timeout", "3", "--per-hour", "0"});
    ASSERT_GT(server.Port, 0) << server.Child.Err();

    std::vector<int> idle;
    for (int i = 0; i < 10; ++i)
        idle.push_back(Connect(server.Port, "127.0.0.2"));
    std::atomic<bool> stop{false};
    std::thread slow([&] {
        const int fd = Connect(server.Port, "127.0.0.3");
        const std::string request = Request(VersionTarget);
        for (std::size_t i = 0; i < request.size() && !stop; ++i) {
            send(fd, &request[i], 1, MSG_NOSIGNAL);
            for (int wait = 0; wait < 20 && !stop; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        close(fd);
    });
    std::atomic<int> served{0};
    std::vector<std::thread> crowd;
    for (int i = 0; i < 200; ++i)
        crowd.emplace_back([&, i] {
            const std::string source = "127.0.1." + std::to_string(1 + i % 50);
            while (!stop)
                if (BodyOf(Exchange(server.Port, source, Request(VersionTarget))).compare(0, 3, "OK|") == 0)
                    ++served;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    double slowest = 0;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        const auto start = Clock::now();
        EXPECT_EQ(PlayOverHttp(server.Base, "HONEST", 100 + round, "NORWAY"), "OK|stored|");
        std::string table;
        EXPECT_TRUE(HttpGet(WorldTableAddress(server.Base), table));
        EXPECT_NE(table.find("HONEST"), std::string::npos);
        slowest = std::max(slowest, Since(start));
    }
    stop = true;
    for (std::thread &t : crowd)
        t.join();
    slow.join();
    EXPECT_LT(slowest, 5.0);
    EXPECT_GT(served.load(), 200);   // the crowd was served too, not shut out

    // By now the idle connections have been silent past the time-out: the server has closed them.
    for (int fd : idle) {
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ReadToEnd(fd, 10), "");
        pollfd closed{fd, POLLIN, 0};
        EXPECT_EQ(poll(&closed, 1, 0), 1);
        close(fd);
    }

    // Forty connections at once from one address: sixteen are served, the others turned away, and
    // nobody else notices.
    std::vector<int> greedy;
    for (int i = 0; i < 40; ++i)
        greedy.push_back(Connect(server.Port, "127.0.0.4"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    EXPECT_EQ(PlayOverHttp(server.Base, "OTHER", 7, "X"), "OK|stored|");
    EXPECT_LT(Since(start), 5.0);
    int answered = 0;
    for (int fd : greedy) {
        if (fd >= 0 && SendAll(fd, Request(VersionTarget)) && BodyOf(ReadToEnd(fd, 5)).compare(0, 3, "OK|") == 0)
            ++answered;
        if (fd >= 0)
            close(fd);
    }
    EXPECT_GE(answered, 1);
    EXPECT_LE(answered, 16);
}

// Eight players send scores as fast as they can; the server is killed among them. The database
// opens whole afterwards, with every score the server had acknowledged.
TEST(ScoreServerTool, AKillMidBurstKeepsEveryAcknowledgedScore)
{
    const TTempDir dir("scorekill");
    const fs::path storage = dir.Path / "scores.db";
    std::mutex lock;
    std::vector<std::string> acknowledged;
    {
        TServerRun server(dir.Path, storage, {"--per-hour", "0"});
        ASSERT_GT(server.Port, 0) << server.Child.Err();
        std::atomic<bool> stop{false};
        std::vector<std::thread> players;
        for (int i = 0; i < 8; ++i)
            players.emplace_back([&, i] {
                const std::string source = "127.0.2." + std::to_string(i + 1);
                for (int n = 0; !stop; ++n) {
                    const std::string name = "K" + std::to_string(i) + "N" + std::to_string(n);
                    const std::string ticket = VersionReplyValue(BodyOf(Exchange(server.Port, source, Request(VersionTarget), 5)));
                    if (BodyOf(Exchange(server.Port, source, Request(SubmissionTarget(name, n, ticket, "X")), 5)) ==
                        "OK|stored|") {
                        std::lock_guard<std::mutex> hold(lock);
                        acknowledged.push_back(name);
                    }
                }
            });
        const auto start = Clock::now();
        while (Since(start) < 20) {
            {
                std::lock_guard<std::mutex> hold(lock);
                if (acknowledged.size() >= 200)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(server.Child.Pid, SIGKILL);
        stop = true;
        for (std::thread &t : players)
            t.join();
        EXPECT_EQ(server.Child.Wait(10), -1);
    }
    ASSERT_GE(acknowledged.size(), 200u);

    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(storage.c_str(), &db), SQLITE_OK);
    sqlite3_stmt *check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    std::set<std::string> kept;
    for (const TScoreEntry &e : TScoreStore(storage.string()).Entries())
        kept.insert(e.Name);
    for (const std::string &name : acknowledged)
        EXPECT_TRUE(kept.count(name)) << name;
    EXPECT_LE(kept.size(), acknowledged.size() + 8);   // at most the ones in flight besides
}

// Whatever reads the server's output may go away (a terminal closed, a log pipe restarted): the
// server goes on serving, and SIGINT still stops it cleanly.
TEST(ScoreServerTool, ItOutlivesTheReaderOfItsOutput)
{
    const TTempDir dir("scorepipe");
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string storage = (dir.Path / "scores.db").string();
    std::vector<std::string> args = {ZEPHRONA_TOOLS_DIR "/scoreserver", "0", storage};
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    std::string printed;
    char buffer[256];
    const auto start = Clock::now();
    while (printed.find("\n", printed.find("http://")) == std::string::npos && Since(start) < 10) {
        pollfd wait{out[0], POLLIN, 0};
        if (poll(&wait, 1, 100) > 0) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            printed.append(buffer, std::size_t(n));
        }
    }
    close(out[0]);
    const std::size_t at = printed.find("http://");
    ASSERT_NE(at, std::string::npos) << printed;
    const std::string base = printed.substr(at, printed.find('\n', at) - at);

    EXPECT_EQ(PlayOverHttp(base, "ACE", 10, "X"), "OK|stored|");   // its log line has nowhere to go
    EXPECT_EQ(PlayOverHttp(base, "BOB", 20, "X"), "OK|stored|");
    kill(pid, SIGINT);
    int status = -1;
    for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    if (!(WIFEXITED(status) || WIFSIGNALED(status))) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(TScoreStore(storage).Entries().size(), 2u);
}

// Behind a reverse proxy on the same machine every connection comes from the proxy: the hourly
// limit counts the player's address the proxy put last in X-Forwarded-For, whatever came before it.
TEST(ScoreServerTool, BehindAProxyThePlayersAddressCounts)
{
    const TTempDir dir("scoreproxy");
    TServerRun server(dir.Path, dir.Path / "scores.db", {"--proxy", "--per-hour", "1"});
    ASSERT_GT(server.Port, 0) << server.Child.Err();
    auto play = [&](const std::string &forwarded, const std::string &name) {
        const std::string header = "X-Forwarded-For: " + forwarded + "\r\n";
        const std::string ticket = VersionReplyValue(BodyOf(Exchange(server.Port, "127.0.0.1", Request(VersionTarget, header))));
        return BodyOf(Exchange(server.Port, "127.0.0.1", Request(SubmissionTarget(name, 5, ticket, "X"), header)));
    };
    EXPECT_EQ(play("198.51.100.7", "ONE"), "OK|stored|");
    EXPECT_EQ(play("203.0.113.1, 198.51.100.7", "TWO"), "ERROR|too many scores from this address in the last hour|");
    EXPECT_EQ(play("198.51.100.7, 203.0.113.9", "SIX"), "OK|stored|");
    kill(server.Child.Pid, SIGTERM);
    EXPECT_EQ(server.Child.Wait(10), 0);
    const std::string log = server.Child.Err();
    EXPECT_NE(log.find(" 198.51.100.7 accepted score 5 name \"ONE\""), std::string::npos) << log;
    EXPECT_NE(log.find(" 198.51.100.7 refused (too many scores"), std::string::npos) << log;
    EXPECT_NE(log.find(" 203.0.113.9 accepted score 5 name \"SIX\""), std::string::npos) << log;
}

} // namespace
