// The online high score end to end: the record, the version check and the submission against the
// score server (and against stand-ins that answer wrongly or not at all) on 127.0.0.1.

#include "core/App.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "menu/HighScore.h"
#include "menu/Http.h"
#include "tests/TestUtil.h"
#include "tests/menu/Child.h"
#include "tests/menu/MenuFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The score server's table in its plain export: a line per score, "score<TAB>name<TAB>country<TAB>time".
std::string ScoreTable(const std::filesystem::path &dir)
{
    return RunTool(dir, ZEPHRONA_TOOLS_DIR "/scoreserver --export scores.db").Out;
}

TEST(HighScoreRecord, FieldsInOrderPaddedWithZeros)
{
    const std::string record = HighScoreRecord("Ace", 1200, "d", "Norway");
    EXPECT_EQ(record, std::string("type=0|name=Ace|score=1200|key=") + HighScoreKey + "|p=d|add=Norway|z=");
    EXPECT_EQ(record.size(), 50u);   // counted by hand: already a multiple of 5, no padding
    EXPECT_EQ(HighScoreRecord("Bobby", 1200, "d", "Norway"),
              std::string("type=0|name=Bobby|score=1200|key=") + HighScoreKey + "|p=d|add=Norway|z=000");
    EXPECT_EQ(HighScoreRecord("Bo", 0, "", "").size() % 5, 0u);
    // The base-32 coding of the configuration carries it whole, 8 characters per 5 bytes.
    const std::string encoded = EncodeConfigLine(record);
    EXPECT_EQ(encoded.size(), record.size() / 5 * 8);
    EXPECT_EQ(DecodeConfigLine(encoded), record);
}

TEST(HighScoreRecord, TheFifthFieldOfTheVersionReplyIsEchoed)
{
    EXPECT_EQ(VersionReplyValue("OK|a|b|c|d|e"), "d");
    EXPECT_EQ(VersionReplyValue("OK|a|b|c|d"), "d");
    EXPECT_EQ(VersionReplyValue("OK|a|b"), "");   // fewer fields: whatever is left, here nothing
    std::string reply = "OK|x";
    EXPECT_EQ(TakeReplyField(reply), "OK");
    EXPECT_EQ(TakeReplyField(reply), "x");
    EXPECT_EQ(reply, "");
    EXPECT_EQ(VersionCheckAddress("http://h:1"), "http://h:1/cgi/version.pl?version&prg=Zephrona");
    EXPECT_EQ(SubmissionAddress("http://h:1", "ABC"), "http://h:1/cgi/version.pl?hs&prg=Zephrona&inf=ABC");
    EXPECT_EQ(WorldTableAddress("http://h:1"), "http://h:1/cgi/version.pl?prg=Zephrona&show&type=0");
}

// A loopback listener of the test's own: answers each request with the next reply of a list and
// keeps the request lines, or answers nothing at all.
class TStandIn {
public:
    explicit TStandIn(std::vector<std::string> replies, bool silent = false) : Replies(std::move(replies))
    {
        Socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(Socket, reinterpret_cast<sockaddr *>(&where), sizeof where);
        socklen_t length = sizeof where;
        getsockname(Socket, reinterpret_cast<sockaddr *>(&where), &length);
        Port = ntohs(where.sin_port);
        listen(Socket, 8);
        if (!silent)
            Thread = std::thread([this] { Serve(); });
    }
    ~TStandIn()
    {
        shutdown(Socket, SHUT_RDWR);
        close(Socket);
        if (Thread.joinable())
            Thread.join();
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(Port); }

    std::vector<std::string> Requests;   // request targets in order

private:
    void Serve()
    {
        for (const std::string &reply : Replies) {
            const int client = accept(Socket, nullptr, nullptr);
            if (client < 0)
                return;
            std::string data;
            char buffer[4096];
            while (data.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                data.append(buffer, std::size_t(n));
            }
            const std::size_t a = data.find(' '), b = data.find(' ', a + 1);
            Requests.push_back(data.substr(a + 1, b - a - 1));
            const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(reply.size()) +
                                       "\r\nConnection: close\r\n\r\n" + reply;
            send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            close(client);
        }
    }

    std::vector<std::string> Replies;
    int Socket = -1;
    int Port = 0;
    std::thread Thread;
};

class HighScoreTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        if (IsSkipped())
            return;
        StartMenu({"Ace"});
        Config->Players[0].Score = 1200;
        Country = "Norway";
        HttpTotalTimeoutMs = 1500;
    }
    void TearDown() override
    {
        HttpTotalTimeoutMs = 10000;
        MenuTest::TearDown();
    }
    // A loose address file points the game at Base.
    void ServerAt(const std::string &base) { WriteText(GameDir() / "Data" / "Menu" / "ScoreServer.txt", base + "/\r\n"); }

    TTempDir Work{"highscore"};
};

TEST_F(HighScoreTest, TheAddressComesFromTheDataFile)
{
    EXPECT_EQ(ScoreServerAddress(), DefaultScoreServer);   // the archive's copy
    // That is the archive's file speaking, not the fall-back: the packed file names the same address.
    EXPECT_GE(Extractor->FindFile(AppDir + "Data\\Menu\\ScoreServer.txt"), 0);
    EXPECT_EQ(ScoreServerAddress(), "http://127.0.0.1:8642");
    ServerAt("http://scores.example:8080");
    EXPECT_EQ(ScoreServerAddress(), "http://scores.example:8080");
}

TEST_F(HighScoreTest, TheRecordReachesTheServerExactly)
{
    TStandIn server({"OK|a|b|c|d|e", "OK"});
    ServerAt(server.Base());
    SendHighScore();
    EXPECT_EQ(MenuPage, PageMain);
    ASSERT_EQ(server.Requests.size(), 2u);
    EXPECT_EQ(server.Requests[0], "/cgi/version.pl?version&prg=Zephrona");
    const std::string prefix = "/cgi/version.pl?hs&prg=Zephrona&inf=";
    ASSERT_EQ(server.Requests[1].compare(0, prefix.size(), prefix), 0) << server.Requests[1];
    EXPECT_EQ(DecodeConfigLine(server.Requests[1].substr(prefix.size())),
              std::string("type=0|name=Ace|score=1200|key=") + HighScoreKey + "|p=d|add=Norway|z=");
}

TEST_F(HighScoreTest, TheScoreServerKeepsTheSubmission)
{
    TScoreServer server(Work.Path, Work.Path / "scores.db");
    ASSERT_FALSE(server.Base.empty()) << server.Child.Err();
    ServerAt(server.Base);
    SendHighScore();
    EXPECT_EQ(MenuPage, PageMain);
    const std::vector<std::string> lines = SplitLines(ScoreTable(Work.Path));
    ASSERT_EQ(lines.size(), 1u) << server.Child.Out();
    EXPECT_EQ(lines[0].substr(0, lines[0].rfind('\t')), "1200\tAce\tNorway");
    std::string page;
    ASSERT_TRUE(HttpGet(WorldTableAddress(server.Base), page));
    EXPECT_NE(page.find("<td>Ace</td><td>Norway</td><td class=\"n\">1200</td>"), std::string::npos) << page;
}

TEST_F(HighScoreTest, AFailedVersionCheckShowsConnectionFailedAndNoSendsBack)
{
    TScoreServer server(Work.Path, Work.Path / "scores.db", true);
    ASSERT_FALSE(server.Base.empty()) << server.Child.Err();
    ServerAt(server.Base);
    SendHighScore();
    EXPECT_EQ(MenuPage, PageConnectionFail);
    EXPECT_EQ(ScoreTable(Work.Path), "");
    Frame();
    Click(Page<TConnectionFailPage>(PageConnectionFail).No.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageMain);
}

TEST_F(HighScoreTest, ADeadServerFailsWithinTheTimeOutAndRetryWorksOnceItIsBack)
{
    {
        TStandIn silent({}, true);   // takes the connection, never answers
        ServerAt(silent.Base());
        const auto start = std::chrono::steady_clock::now();
        SendHighScore();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(MenuPage, PageConnectionFail);
        EXPECT_LT(seconds, 4.0);
    }
    // Nobody listens on the port any more: refused at once.
    SendHighScore();
    EXPECT_EQ(MenuPage, PageConnectionFail);

    TScoreServer server(Work.Path, Work.Path / "scores.db");
    ServerAt(server.Base);
    Frame();
    Click(Page<TConnectionFailPage>(PageConnectionFail).Yes.Rect);
    EXPECT_EQ(MenuPage, PageMain);
    EXPECT_EQ(SplitLines(ScoreTable(Work.Path)).size(), 1u);
}

} // namespace
