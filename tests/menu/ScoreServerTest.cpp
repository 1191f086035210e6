// The score server: its answers, what it takes and refuses, its table, and the tool itself.

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
