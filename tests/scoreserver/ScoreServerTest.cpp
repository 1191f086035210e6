// The score server: its answers, what it takes and refuses, its table, and the tool itself.

#include "core/Text.h"
#include "data/Config.h"
#include "menu/HighScore.h"
#include "menu/Http.h"
#include "tests/TestUtil.h"
#include "tests/menu/Child.h"
#include "tools/scoreserver/ScoreService.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// The fifth field of a version reply: the ticket a submission must carry.
std::string Ticket(TScoreService &service, std::int64_t now)
{
    return VersionReplyValue(service.Handle("/cgi/version.pl?version&prg=Zephrona", now).Body);
}

std::string Submission(const std::string &record) { return "/cgi/version.pl?hs&prg=Zephrona&inf=" + EncodeConfigLine(record); }

TEST(ScoreService, QueriesSplitIntoKeysAndValues)
{
    const auto query = ParseQuery("/cgi/version.pl?hs&prg=Zephrona&inf=AB%2BC&empty=");
    EXPECT_EQ(query.size(), 4u);
    EXPECT_EQ(query.at("hs"), "");
    EXPECT_EQ(query.at("prg"), "Zephrona");
    EXPECT_EQ(query.at("inf"), "AB+C");
    EXPECT_TRUE(ParseQuery("/cgi/version.pl").empty());
}

TEST(ScoreService, RecordsOfAnyOtherFormAreRefused)
{
    EXPECT_EQ(ParseRecord("type=0|name=Ace|score=1|key=R|p=x|add=No|z=00").at("add"), "No");
    const struct {
        const char *Record, *Error;
    } cases[] = {
        {"type=0|name=Ace|score=1|key=R|p=x|add=No|00000", "the record does not end with \"|z=\" and its padding"},
        {"type=0|name=Ace|score=1|key=R|p=x|add=No|z=000", "the record is not padded to a multiple of 5"},
        {"type=0|name=Ace|score=1|key=R|p=x|z=0000", "the record has 6 fields, not 7"},
        {"type=0|name=Ace|score=1|key=R|add=x|p=No|z=00", "field 5 is not \"p=\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Record);
        try {
            ParseRecord(c.Record);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), c.Error);
        }
    }
}

TEST(ScoreService, TakesOneScorePerVersionCheckAndKeepsIt)
{
    const TTempDir dir("scoreservice");
    const fs::path storage = dir.Path / "scores.txt";
    {
        TScoreService service(storage.string(), HighScoreKey, false);
        const TReply version = service.Handle("/cgi/version.pl?version&prg=Zephrona", 1000);
        EXPECT_EQ(version.Body.compare(0, 3, "OK|"), 0);
        const std::string ticket = VersionReplyValue(version.Body);
        EXPECT_EQ(ticket.size(), 16u);
        // "Ёж" and "Россия" in Windows-1251 come out as UTF-8.
        const std::string record = HighScoreRecord("\xA8\xE6", 4200, ticket, "\xD0\xEE\xF1\xF1\xE8\xFF");
        EXPECT_EQ(service.Handle(Submission(record), 1001).Body, "OK|stored|");
        EXPECT_EQ(service.Handle(Submission(record), 1002).Body, "ERROR|no version check before this score|");

        const struct {
            std::string Record, Error;
        } refused[] = {
            {HighScoreRecord("Bo", 1, "nope", "X"), "no version check before this score"},
            {"type=1|name=Bo|score=1|key=R|p=" + Ticket(service, 1003) + "|add=X|z=", "unknown table type"},
            {"type=0|name=Bo|score=1|key=Q|p=" + Ticket(service, 1003) + "|add=X|z=", "wrong key"},
            {HighScoreRecord("Bo", -5, Ticket(service, 1003), "X"), "the score is not a number"},
            {HighScoreRecord("", 5, Ticket(service, 1003), "X"), "the name or the country is empty or too long"},
        };
        for (const auto &r : refused) {
            std::string record = r.Record;
            while (record.size() % 5)
                record += '0';
            SCOPED_TRACE(record);
            EXPECT_EQ(service.Handle(Submission(record), 1004).Body, "ERROR|" + r.Error + "|");
        }
        // A ticket older than ten minutes is no good.
        EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Bo", 1, Ticket(service, 2000), "X")), 2601).Body,
                  "ERROR|no version check before this score|");
        EXPECT_EQ(service.Handle("/cgi/version.pl?version&prg=Other", 1).Body, "ERROR|unknown program|");
        EXPECT_EQ(service.Handle("/index.html", 1).Status, 404);
    }
    EXPECT_EQ(SplitLines(ReadAll(storage)), (std::vector<std::string>{"4200\t\xD0\x81\xD0\xB6\t\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F\t1001"}));

    // A new server reads the kept scores; the table is best first, its texts made safe for HTML.
    TScoreService again(storage.string(), HighScoreKey, false);
    ASSERT_EQ(again.Entries.size(), 1u);
    EXPECT_EQ(again.Handle(Submission(HighScoreRecord("<b>", 9000, Ticket(again, 3000), "A&B")), 3001).Body, "OK|stored|");
    const TReply table = again.Handle("/cgi/version.pl?prg=Zephrona&show&type=0", 3002);
    EXPECT_EQ(table.ContentType, "text/html; charset=utf-8");
    const std::size_t first = table.Body.find("&lt;b&gt;"), second = table.Body.find("4200");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(table.Body.find("A&amp;B"), std::string::npos);
    EXPECT_LT(first, second);
}

// Names and countries are taken up to 64 bytes as the game sends them (Windows-1251, one byte a
// letter); an empty name is refused, an empty country is not (the country page may be left blank).
// Asked over HTTP, as the game asks.
TEST(ScoreServerTool, NamesAndCountriesUpTo64BytesAreTaken)
{
    const TTempDir dir("scorelimits");
    TScoreServer server(dir.Path, dir.Path / "scores.txt");
    ASSERT_FALSE(server.Base.empty()) << server.Child.Err();
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
    std::vector<std::string> kept;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.Name.size()) + " byte name, " + std::to_string(c.Country.size()) + " byte country");
        std::string reply;
        ASSERT_TRUE(HttpGet(VersionCheckAddress(server.Base), reply));
        const std::string record = HighScoreRecord(c.Name, 10, VersionReplyValue(reply), c.Country);
        ASSERT_TRUE(HttpGet(SubmissionAddress(server.Base, EncodeConfigLine(record)), reply));
        EXPECT_EQ(reply, c.Taken ? "OK|stored|" : "ERROR|the name or the country is empty or too long|");
        if (c.Taken)
            kept.push_back("10\t" + Utf8FromCp1251(c.Name) + "\t" + Utf8FromCp1251(c.Country));
    }
    // What was taken is kept whole; "Ж" is D0 96 in UTF-8.
    std::vector<std::string> stored;
    for (const std::string &line : SplitLines(ReadAll(dir.Path / "scores.txt")))
        stored.push_back(line.substr(0, line.rfind('\t')));
    EXPECT_EQ(stored, kept);
    std::string utf8;
    for (int i = 0; i < 64; ++i)
        utf8 += "\xD0\x96";
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.back(), "10\t" + utf8 + "\t" + utf8);
}

// A ticket is good for ten minutes: at exactly 600 seconds after its version check it is still
// taken, and a version check at that moment does not throw it away; a second later it is refused.
TEST(ScoreService, ATicketIsGoodUpToExactlyItsExpiry)
{
    const TTempDir dir("scoreexpiry");
    TScoreService service((dir.Path / "scores.txt").string(), HighScoreKey, false);
    const std::string atExpiry = Ticket(service, 5000);
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Ace", 1, atExpiry, "X")), 5600).Body, "OK|stored|");

    const std::string kept = Ticket(service, 7000);
    Ticket(service, 7600);   // another player's version check, at the first ticket's last second
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Bob", 2, kept, "X")), 7600).Body, "OK|stored|");

    const std::string late = Ticket(service, 9000);
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Cid", 3, late, "X")), 9601).Body,
              "ERROR|no version check before this score|");
    const std::string purged = Ticket(service, 11000);
    Ticket(service, 11601);   // a version check a second after expiry forgets it
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Dan", 4, purged, "X")), 11601).Body,
              "ERROR|no version check before this score|");
    EXPECT_EQ(SplitLines(ReadAll(dir.Path / "scores.txt")).size(), 2u);
}

TEST(ScoreService, AClosedTableRefusesTheVersionCheck)
{
    const TTempDir dir("scoreclosed");
    TScoreService service((dir.Path / "scores.txt").string(), HighScoreKey, true);
    const std::string reply = service.Handle("/cgi/version.pl?version&prg=Zephrona", 1).Body;
    EXPECT_NE(reply.compare(0, 2, "OK"), 0);
}

TEST(ScoreServerTool, ServesOverHttpAndExplainsItsArguments)
{
    const TTempDir dir("scoretool");
    TToolRun run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver --help");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("usage: scoreserver PORT STORAGE"), std::string::npos);
    run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver 70000 s.txt");
    EXPECT_EQ(run.Status, 2);
    run = RunTool(dir.Path, ZEPHRONA_TOOLS_DIR "/scoreserver 0 /no/such/folder/s.txt");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Cannot write the score file"), std::string::npos) << run.Err;

    TScoreServer server(dir.Path, dir.Path / "scores.txt");
    ASSERT_EQ(server.Base.compare(0, 17, "http://127.0.0.1:"), 0) << server.Child.Out();
    std::string reply;
    ASSERT_TRUE(HttpGet(VersionCheckAddress(server.Base), reply));
    EXPECT_EQ(reply.compare(0, 12, "OK|Zephrona|"), 0);
    EXPECT_FALSE(HttpGet(server.Base + "/other", reply));   // 404 is a failure for the game
    kill(server.Child.Pid, SIGTERM);
    EXPECT_EQ(server.Child.Wait(5), 0);
}

} // namespace
