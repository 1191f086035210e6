// A network game played by the real program on 127.0.0.1: a dedicated server ("-server") and two
// game clients ("-connect") under the test's X display, each flying a recorded flight ("-replay").
// The first pilot to join flies slowly ahead; the second comes in behind it on the same line, runs
// it down at full power with the gun firing, and shoots it down. Each client sees the other's
// aircraft and the server's units, and the server logs both players joining and leaving. Meanwhile
// hostile peers send the server garbage, lying sizes, another object's state and a flood: each is
// disconnected, and the honest game goes on as if they had never come.

#include "core/Recording.h"
#include "data/Keys.h"
#include "tests/GameRun.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <thread>
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int FrameMs = 25;

// Two spawn points on one line due north: the first pilot to join gets the one ahead, 10 higher,
// so that the chase camera's line through the middle of the screen (10 above the nose) runs through
// it. A friendly boat stands aside as the server's own unit.
const char *const DuelMap = R"(int stage 0
{
if stage = $0 then
    CreateObject OBJECT_SHIP_BOAT AI_GROUP1 AI_SIDE_FRIEND $500 $3000,0 $0,0 $0,0 $0,0 $0,0 Picket
    mp_ClearSpawnPoints
    mp_AddSpawnPoint $0,0 $800,0 $610,0
    mp_AddSpawnPoint $0,0 $0,0 $600,0
    stage = $1
endif
}
)";

// A raw TCP connection to 127.0.0.1:Port; -1 when it cannot be made.
int Dial(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(std::uint16_t(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s < 0 || connect(s, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        if (s >= 0)
            close(s);
        return -1;
    }
    return s;
}

void SendAll(int s, const std::vector<std::uint8_t> &bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(s, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;   // the server has had enough
        sent += std::size_t(n);
    }
}

void Put16(std::vector<std::uint8_t> &b, std::size_t at, unsigned v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

// A batch of Messages.
std::vector<std::uint8_t> Batch(const std::vector<std::vector<std::uint8_t>> &messages)
{
    std::vector<std::uint8_t> b(4, 0);
    b[0] = std::uint8_t(messages.size());
    b[1] = std::uint8_t(messages.size() >> 8);
    for (const auto &m : messages)
        b.insert(b.end(), m.begin(), m.end());
    return b;
}

// The own-aircraft message (type 4) of a player aircraft's state naming object Id.
std::vector<std::uint8_t> OwnState(unsigned id)
{
    constexpr unsigned StateSize = 312;
    std::vector<std::uint8_t> m(StateSize + 4, 0);
    Put16(m, 0, unsigned(m.size()));
    m[2] = 4;
    Put16(m, 3, StateSize);
    Put16(m, 5, 18);
    Put16(m, 7, id);
    return m;
}

class NetworkGame : public GameRun {
protected:
    // A recorded flight of Frames frames in real time, holding the keys of Actions from the fourth
    // second on (the menu lets go of every key when the wait page shows) with the cursor at rest in
    // the middle of the 800 x 600 window.
    void WriteFlight(const fs::path &file, int frames, const std::vector<int> &actions)
    {
        TKeys keys((Dir / "keys-default.cfg").string());
        TRecordingStart start;
        start.Seed = 7;
        start.Page = -1;
        start.Bindings = keys.BindingsText();
        std::vector<std::uint8_t> bytes = EncodeRecordingHeader(start);
        for (int i = 0; i < frames; ++i) {
            TFrameInput in;
            in.Measured = FrameMs;
            in.Step = FrameMs;
            in.CursorClient = {400, 300};
            in.CursorScreen = {400, 300};
            for (int action : actions)
                in.SetKey(KeyActions[std::size_t(action)].Default, i >= 160);
            const std::vector<std::uint8_t> frame = EncodeRecordedFrame(in);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
        }
        const std::vector<std::uint8_t> end = EncodeRecordingEnd(std::uint32_t(frames));
        bytes.insert(bytes.end(), end.begin(), end.end());
        WriteBytes(file, bytes);
    }

    std::vector<std::string> Client(const std::string &port, const std::string &name, const fs::path &flight)
    {
        return {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-connect", "127.0.0.1:" + port,
                "-name", name, "-replay", flight.string()};
    }
};

// The value of Key ("key=12") in Line, or -1.
long Field(const std::string &text, const std::string &prefix, const std::string &key)
{
    for (const std::string &line : SplitLines(text)) {
        if (line.rfind(prefix, 0) != 0)
            continue;
        const std::smatch m = [&] {
            std::smatch found;
            std::regex_search(line, found, std::regex(" " + key + "=(-?[0-9]+)"));
            return found;
        }();
        if (m.size() > 1)
            return std::stol(m[1].str());
    }
    return -1;
}

TEST_F(NetworkGame, TwoPilotsOnADedicatedServerSeeEachOtherAndOneShootsTheOtherDown)
{
    WriteText(Dir / "Data" / "Maps" / "MP" / "Duel.ses", DuelMap);
    const fs::path slow = Dir / "slow.rec", hunter = Dir / "hunter.rec";
    // A minute of flight for the first, most of it for the second.
    WriteFlight(slow, 2400, {KP_BACKWARD});
    WriteFlight(hunter, 1900, {KP_FORWARD, KP_PRIMARY});

    TChild server(Dir, "server", {(Dir / "zephrona").string(), "-server", "Duel.ses", "-port", "0"}, {"DISPLAY"});
    ASSERT_TRUE(WaitForText(server.OutFile, "listening on port ", 30)) << server.Err();
    std::smatch port;
    const std::string serverOut = server.Out();
    ASSERT_TRUE(std::regex_search(serverOut, port, std::regex("listening on port ([0-9]+)")));

    TChild first(Dir, "slow", Client(port[1].str(), "Slow", slow));
    ASSERT_TRUE(WaitForText(server.OutFile, "joined", 60)) << first.Err();
    TChild second(Dir, "hunter", Client(port[1].str(), "Hunter", hunter));

    // The hostile peers, while the honest pilots fly.
    const int serverPort = std::stoi(port[1].str());
    std::vector<int> hostile;
    {
        std::vector<std::uint8_t> noise(4096);
        for (std::size_t i = 0; i < noise.size(); ++i)
            noise[i] = std::uint8_t((i * 2654435761u) >> 13);
        hostile.push_back(Dial(serverPort));
        SendAll(hostile.back(), noise);

        std::vector<std::uint8_t> lying = {7, 0, 2, 0, 9, 0};   // a 7-byte damage message that is not
        std::vector<std::uint8_t> batch = Batch({lying});
        Put16(batch, 4, 60000);   // ... and claims to be 60000 bytes long
        hostile.push_back(Dial(serverPort));
        SendAll(hostile.back(), batch);

        // Another object's state (the boat is the server's first object) as the sender's own.
        hostile.push_back(Dial(serverPort));
        SendAll(hostile.back(), Batch({OwnState(1)}));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        SendAll(hostile.back(), Batch({OwnState(1), {3, 0, 5}}));   // then a name message with no name

        // A flood of well-formed damage messages of nothing.
        hostile.push_back(Dial(serverPort));
        std::vector<std::vector<std::uint8_t>> flood(2000, std::vector<std::uint8_t>{7, 0, 2, 1, 0, 0xff, 0xff});
        for (int i = 0; i < 4; ++i)
            SendAll(hostile.back(), Batch(flood));
    }
    for (int s : hostile)
        ASSERT_GE(s, 0) << "the server took no connection";

    EXPECT_EQ(second.Wait(150), 0) << second.Err();
    EXPECT_EQ(first.Wait(150), 0) << first.Err();
    for (int s : hostile)
        close(s);
    kill(server.Pid, SIGTERM);
    EXPECT_EQ(server.Wait(30), 0) << server.Err();

    const std::string log = server.Out();
    EXPECT_NE(log.find("as Slow"), std::string::npos) << log;
    EXPECT_NE(log.find("as Hunter"), std::string::npos) << log;
    EXPECT_NE(log.find("left"), std::string::npos) << log;
    EXPECT_NE(log.find("server stopped"), std::string::npos) << log;
    // The four hostile peers came and were sent away, each for its own fault.
    EXPECT_GE(std::count(log.begin(), log.end(), '\n'), 12) << log;
    for (const char *player : {"player 3 left", "player 4 left", "player 5 left", "player 6 left"})
        EXPECT_NE(log.find(player), std::string::npos) << player << "\n" << log;
    EXPECT_NE(log.find("left (sent a batch of"), std::string::npos) << log;
    EXPECT_NE(log.find("messages in a second"), std::string::npos) << log;

    // Each saw the other's aircraft and the server's boat.
    for (const TChild *client : {&first, &second}) {
        const std::string out = client->Out();
        EXPECT_GE(Field(out, "network: client", "seen"), 1) << out;
        EXPECT_GE(Field(out, "network: client", "objects"), 1) << out;
    }
    // The hunter's gun hit, and the slow one went down.
    EXPECT_GT(Field(second.Out(), "mission: ", "hits"), 0) << second.Out();
    EXPECT_GE(Field(first.Out(), "network: client", "deaths"), 1) << first.Out() << server.Out();
}

// A game hosted from the menu's host page (its first map, Atoll, chosen; START clicked with the
// pointer), joined by a second game with "-connect": the host flies in its own game and sees the
// player who joined, who gets the host's world.
TEST_F(NetworkGame, AGameHostedFromTheHostPageTakesAPlayerWhoJoins)
{
    if (std::system("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs xdotool (tools/setup.sh installs it)";
    TChild host(Dir, "host", {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-log", "-page", "27",
                              "-port", "0", "-frames", "900"});
    ASSERT_TRUE(WaitForText(Dir / "log.txt", "Loading HUD", 60)) << host.Err();
    const TToolRun search = RunTool(Dir, "timeout 20 xdotool search --sync --pid " + std::to_string(host.Pid));
    ASSERT_EQ(search.Status, 0) << search.Err;
    const std::string window = SplitLines(search.Out).at(0);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    // START at virtual (-140, -226) of the 800 x 600 window; the menu's cursor sits 0.1 below the
    // pointer.
    const int x = int(std::lround((-140.0 / 512 + 1) * 400)), y = int(std::lround((0.9 + 226.0 / 384) * 300));
    ASSERT_EQ(RunTool(Dir, "xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y)).Status, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ASSERT_EQ(RunTool(Dir, "xdotool mousedown 1").Status, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(RunTool(Dir, "xdotool mouseup 1").Status, 0);
    ASSERT_TRUE(WaitForText(host.OutFile, "listening on port ", 30)) << host.Out() << host.Err();
    std::smatch port;
    const std::string hosting = host.Out();
    ASSERT_TRUE(std::regex_search(hosting, port, std::regex("listening on port ([0-9]+)")));

    TChild joiner(Dir, "joiner", {(Dir / "zephrona").string(), "-nowait", "-windowed", "-batch", "-connect",
                                  "127.0.0.1:" + port[1].str(), "-name", "Joiner", "-frames", "300"});
    EXPECT_EQ(joiner.Wait(90), 0) << joiner.Err();
    EXPECT_EQ(host.Wait(90), 0) << host.Err();

    const std::string hostOut = host.Out(), joinerOut = joiner.Out();
    EXPECT_NE(hostOut.find("Atoll.ses"), std::string::npos) << hostOut;
    EXPECT_NE(hostOut.find("joined from 127.0.0.1"), std::string::npos) << hostOut;
    EXPECT_NE(hostOut.find(" as Joiner"), std::string::npos) << hostOut;
    EXPECT_GE(Field(hostOut, "network: host", "seen"), 1) << hostOut;
    // The atoll's islands, ships, sites and aircraft, and the host's aircraft.
    EXPECT_GE(Field(joinerOut, "network: client", "objects"), 20) << joinerOut;
    EXPECT_GE(Field(joinerOut, "network: client", "seen"), 1) << joinerOut;
}

} // namespace
