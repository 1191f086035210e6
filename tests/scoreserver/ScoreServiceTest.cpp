// The score table itself, without sockets: its answers, what it takes and refuses and why, its
// pages, and the database it keeps them in (made new, or imported from an old score file).

#include "core/Text.h"
#include "data/Config.h"
#include "menu/HighScore.h"
#include "tests/TestUtil.h"
#include "tools/scoreserver/ScoreService.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace fs = std::filesystem;

namespace {

// The fifth field of a version reply: the ticket a submission must carry.
std::string Ticket(TScoreService &service, std::int64_t now, const std::string &client = "127.0.0.1")
{
    return VersionReplyValue(service.Handle("/cgi/version.pl?version&prg=Zephrona", now, client).Body);
}

std::string Submission(const std::string &record) { return "/cgi/version.pl?hs&prg=Zephrona&inf=" + EncodeConfigLine(record); }

// A version check and a submission of Score for Name from Client at Now; the reply.
TReply Play(TScoreService &service, const std::string &name, int score, std::int64_t now,
            const std::string &client = "127.0.0.1", const std::string &country = "X")
{
    return service.Handle(Submission(HighScoreRecord(name, score, Ticket(service, now, client), country)), now, client);
}

std::vector<std::string> Names(TScoreService &service)
{
    std::vector<std::string> names;
    for (const TScoreEntry &e : service.Entries())
        names.push_back(e.Name);
    return names;
}

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
    const fs::path storage = dir.Path / "scores.db";
    {
        TScoreRules rules;
        rules.MaxScore = 50000;
        TScoreService service(storage.string(), rules);
        const TReply version = service.Handle("/cgi/version.pl?version&prg=Zephrona", 1000);
        EXPECT_EQ(version.Body.compare(0, 3, "OK|"), 0);
        EXPECT_TRUE(version.Log.empty());
        const std::string ticket = VersionReplyValue(version.Body);
        EXPECT_EQ(ticket.size(), 16u);
        // "Ёж" and "Россия" in Windows-1251 come out as UTF-8, in the table and in the log.
        const std::string record = HighScoreRecord("\xA8\xE6", 4200, ticket, "\xD0\xEE\xF1\xF1\xE8\xFF");
        const TReply taken = service.Handle(Submission(record), 1001, "192.0.2.5");
        EXPECT_EQ(taken.Body, "OK|stored|");
        EXPECT_EQ(taken.Log, "1970-01-01T00:16:41Z 192.0.2.5 accepted score 4200 name \"\xD0\x81\xD0\xB6\" country "
                             "\"\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F\"");
        EXPECT_EQ(service.Handle(Submission(record), 1002).Body, "ERROR|no version check before this score|");

        const struct {
            std::string Record, Error;
        } refused[] = {
            {HighScoreRecord("Bo", 1, "nope", "X"), "no version check before this score"},
            {"type=1|name=Bo|score=1|key=R|p=" + Ticket(service, 1003) + "|add=X|z=", "unknown table type"},
            {"type=0|name=Bo|score=1|key=Q|p=" + Ticket(service, 1003) + "|add=X|z=", "wrong key"},
            {HighScoreRecord("Bo", -5, Ticket(service, 1003), "X"), "the score is not a number"},
            {HighScoreRecord("Bo", 50001, Ticket(service, 1003), "X"), "the score is above the table's ceiling"},
            {HighScoreRecord("", 5, Ticket(service, 1003), "X"), "the name or the country is empty or too long"},
            {HighScoreRecord("   ", 5, Ticket(service, 1003), "X"), "the name or the country is empty or too long"},
            {HighScoreRecord("B\x01o", 5, Ticket(service, 1003), "X"), "the name or the country is not printable text"},
            {HighScoreRecord("Bo", 5, Ticket(service, 1003), "X\tY"), "the name or the country is not printable text"},
            {HighScoreRecord("Bo", 5, Ticket(service, 1003), "X\x7F"), "the name or the country is not printable text"},
            {HighScoreRecord("B\x98", 5, Ticket(service, 1003), "X"), "the name or the country is not printable text"},
        };
        for (const auto &r : refused) {
            std::string record = r.Record;
            while (record.size() % 5)
                record += '0';
            SCOPED_TRACE(record);
            const TReply reply = service.Handle(Submission(record), 1004, "192.0.2.6");
            EXPECT_EQ(reply.Body, "ERROR|" + r.Error + "|");
            EXPECT_EQ(reply.Log.find("1970-01-01T00:16:44Z 192.0.2.6 refused (" + r.Error + ")"), 0u) << reply.Log;
        }
        // The score at the ceiling is taken; the log shows a control byte in a name escaped.
        EXPECT_EQ(Play(service, "Max", 50000, 1005).Body, "OK|stored|");
        EXPECT_NE(service.Handle(Submission(HighScoreRecord("B\x01o", 5, Ticket(service, 1006), "X")), 1006).Log.find(
                      "name \"B\\x01o\""),
                  std::string::npos);
        // A ticket older than ten minutes is no good.
        EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Bo", 1, Ticket(service, 2000), "X")), 2601).Body,
                  "ERROR|no version check before this score|");
        EXPECT_EQ(service.Handle("/cgi/version.pl?version&prg=Other", 1).Body, "ERROR|unknown program|");
        EXPECT_EQ(service.Handle("/index.html", 1).Status, 404);
    }

    // A new server reads the kept scores; the table is best first, its texts made safe for HTML.
    TScoreService again(storage.string());
    const std::vector<TScoreEntry> kept = again.Entries();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Name, "\xD0\x81\xD0\xB6");
    EXPECT_EQ(kept[0].Country, "\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F");
    EXPECT_EQ(kept[0].Score, 4200);
    EXPECT_EQ(kept[0].Time, 1001);
    EXPECT_EQ(Play(again, "<b>", 9000, 3001, "127.0.0.1", "A&B").Body, "OK|stored|");
    const TReply table = again.Handle("/cgi/version.pl?prg=Zephrona&show&type=0", 3002);
    EXPECT_EQ(table.ContentType, "text/html; charset=utf-8");
    const std::size_t first = table.Body.find("&lt;b&gt;"), second = table.Body.find("4200");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(table.Body.find("A&amp;B"), std::string::npos);
    EXPECT_LT(first, second);
}

// A ticket is good for ten minutes: at exactly 600 seconds after its version check it is still
// taken, and a version check at that moment does not throw it away; a second later it is refused.
TEST(ScoreService, ATicketIsGoodUpToExactlyItsExpiry)
{
    const TTempDir dir("scoreexpiry");
    TScoreService service((dir.Path / "scores.db").string());
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
    EXPECT_EQ(Names(service), (std::vector<std::string>{"Ace", "Bob"}));
}

// One address cannot hoard tickets to push other players' out: past its own limit its oldest go.
TEST(ScoreService, OneAddressCannotCrowdOutOthersTickets)
{
    const TTempDir dir("scoretickets");
    TScoreService service((dir.Path / "scores.db").string());
    const std::string honest = Ticket(service, 100, "192.0.2.1");
    const std::string first = Ticket(service, 100, "198.51.100.9");
    for (int i = 0; i < TScoreStore::MaxTicketsPerAddress; ++i)
        Ticket(service, 101, "198.51.100.9");
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Hog", 1, first, "X")), 102, "198.51.100.9").Body,
              "ERROR|no version check before this score|");
    EXPECT_EQ(service.Handle(Submission(HighScoreRecord("Ace", 2, honest, "X")), 102, "192.0.2.1").Body, "OK|stored|");
}

TEST(ScoreService, AClosedTableRefusesTheVersionCheck)
{
    const TTempDir dir("scoreclosed");
    TScoreRules rules;
    rules.Closed = true;
    TScoreService service((dir.Path / "scores.db").string(), rules);
    const std::string reply = service.Handle("/cgi/version.pl?version&prg=Zephrona", 1).Body;
    EXPECT_NE(reply.compare(0, 2, "OK"), 0);
}

// At most PerHour scores an hour from one address; an IPv6 subscriber's /64 counts as one address,
// and an IPv4 address is the same one when it comes mapped into IPv6.
TEST(ScoreService, ScoresPerAddressAreLimitedPerHour)
{
    EXPECT_EQ(ClientKey("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(ClientKey("::ffff:192.0.2.1"), "192.0.2.1");
    EXPECT_EQ(ClientKey("192.0.2.1"), "192.0.2.1");

    const TTempDir dir("scorehourly");
    TScoreRules rules;
    rules.PerHour = 2;
    TScoreService service((dir.Path / "scores.db").string(), rules);
    const std::string tooMany = "ERROR|too many scores from this address in the last hour|";
    EXPECT_EQ(Play(service, "A1", 1, 0, "192.0.2.1").Body, "OK|stored|");
    EXPECT_EQ(Play(service, "A2", 1, 10, "::ffff:192.0.2.1").Body, "OK|stored|");
    const TReply third = Play(service, "A3", 1, 100, "192.0.2.1");
    EXPECT_EQ(third.Body, tooMany);
    EXPECT_NE(third.Log.find("192.0.2.1 refused (too many scores"), std::string::npos) << third.Log;
    EXPECT_EQ(Play(service, "B1", 1, 100, "192.0.2.2").Body, "OK|stored|");
    // An hour after the first, one more fits.
    EXPECT_EQ(Play(service, "A4", 1, 3599, "192.0.2.1").Body, tooMany);
    EXPECT_EQ(Play(service, "A5", 1, 3600, "192.0.2.1").Body, "OK|stored|");
    EXPECT_EQ(Play(service, "A6", 1, 3601, "192.0.2.1").Body, tooMany);

    EXPECT_EQ(Play(service, "V1", 1, 0, "2001:db8:1:2::1").Body, "OK|stored|");
    EXPECT_EQ(Play(service, "V2", 1, 0, "2001:db8:1:2:ffff::9").Body, "OK|stored|");
    EXPECT_EQ(Play(service, "V3", 1, 0, "2001:db8:1:2::77").Body, tooMany);
    EXPECT_EQ(Play(service, "W1", 1, 0, "2001:db8:1:3::1").Body, "OK|stored|");
    EXPECT_EQ(Names(service), (std::vector<std::string>{"A1", "A2", "B1", "A5", "V1", "V2", "W1"}));
}

// Pages of PageSize places, best first, equal scores in the order they came; links lead to the
// pages on either side.
TEST(ScoreService, TheTableComesInPages)
{
    const TTempDir dir("scorepages");
    TScoreRules rules;
    rules.PageSize = 2;
    rules.PerHour = 0;
    TScoreService service((dir.Path / "scores.db").string(), rules);
    const std::pair<const char *, int> played[] = {{"Cid", 300}, {"Ace", 900}, {"Dan", 300}, {"Bob", 500}, {"Eve", 100}};
    for (const auto &[name, score] : played)
        ASSERT_EQ(Play(service, name, score, 50).Body, "OK|stored|");
    const char *table = "/cgi/version.pl?prg=Zephrona&show&type=0";
    const std::string better = "<a href=\"?prg=Zephrona&amp;show&amp;type=0&amp;page=";
    const struct {
        std::string Query;
        std::vector<std::string> Places;   // "place name" in page order
        int Before, After;                 // the pages linked, 0 for none
    } pages[] = {
        {"", {"1</td><td>Ace", "2</td><td>Bob"}, 0, 2},
        {"&page=1", {"1</td><td>Ace", "2</td><td>Bob"}, 0, 2},
        {"&page=2", {"3</td><td>Cid", "4</td><td>Dan"}, 1, 3},
        {"&page=3", {"5</td><td>Eve"}, 2, 0},
        {"&page=9", {}, 8, 0},
        {"&page=x", {"1</td><td>Ace", "2</td><td>Bob"}, 0, 2},
        {"&page=-2", {"1</td><td>Ace", "2</td><td>Bob"}, 0, 2},
        {"&page=99999999999999999999", {"1</td><td>Ace", "2</td><td>Bob"}, 0, 2},
    };
    for (const auto &p : pages) {
        SCOPED_TRACE(p.Query);
        const std::string html = service.Handle(table + p.Query, 60).Body;
        std::size_t at = 0;
        for (const std::string &place : p.Places) {
            at = html.find("<td class=\"n\">" + place + "<", at);
            EXPECT_NE(at, std::string::npos) << place;
        }
        std::size_t rows = 0;
        for (std::size_t row = html.find("<tr><td class=\"n\">"); row != std::string::npos;
             row = html.find("<tr><td class=\"n\">", row + 1))
            ++rows;
        EXPECT_EQ(rows, p.Places.size());
        EXPECT_EQ(html.find(better + std::to_string(p.Before) + "\">") != std::string::npos, p.Before > 0);
        EXPECT_EQ(html.find(better + std::to_string(p.After) + "\">") != std::string::npos, p.After > 0);
        EXPECT_EQ(html.find("No scores on this page.") != std::string::npos, p.Places.empty());
    }
}

// The old storage file (score, name, country and time between tabs) becomes the database on the
// first start; the text stays as ".imported", and later starts leave both alone.
TEST(ScoreStore, AnOldScoreFileIsImportedOnceAndKept)
{
    const TTempDir dir("scoreimport");
    const fs::path storage = dir.Path / "scores.txt";
    // Besides scores: an empty line, a line of something else, and a last line a kill cut short.
    const std::string old = "4200\t\xD0\x81\xD0\xB6\t\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F\t1001\n"
                            "\n"
                            "9000\t<b>\tA&B\t1700000000\r\n"
                            "garbage\n"
                            "300\tCid\t\t1700000001\n"
                            "5\tDa";
    WriteText(storage, old);
    {
        TScoreService service(storage.string());
        EXPECT_EQ(service.Store.ImportNote,
                  "imported 3 scores from the old score file \"" + storage.string() + "\", kept as \"" + storage.string() +
                      ".imported\"; 2 lines in it were not scores and were left out");
        const std::vector<TScoreEntry> entries = service.Entries();
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[0].Name, "\xD0\x81\xD0\xB6");
        EXPECT_EQ(entries[0].Time, 1001);
        EXPECT_EQ(entries[1].Country, "A&B");
        EXPECT_EQ(entries[2].Score, 300);
        EXPECT_EQ(entries[2].Country, "");
        EXPECT_EQ(Play(service, "New", 10, 2000000000).Body, "OK|stored|");
    }
    EXPECT_EQ(ReadAll(storage).compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
    EXPECT_EQ(ReadAll(dir.Path / "scores.txt.imported"), old);
    EXPECT_FALSE(fs::exists(dir.Path / "scores.txt.importing"));

    TScoreService again(storage.string());
    EXPECT_EQ(again.Store.ImportNote, "");
    EXPECT_EQ(Names(again), (std::vector<std::string>{"\xD0\x81\xD0\xB6", "<b>", "Cid", "New"}));
}

// The text is never lost, not even when earlier texts were kept under the first name: a start
// stopped after keeping the text uses its name again, some other file there is left alone.
TEST(ScoreStore, AnImportKeepsEveryOldTextFile)
{
    const TTempDir dir("scorekeep");
    const fs::path storage = dir.Path / "scores.txt";
    WriteText(dir.Path / "scores.txt.imported", "1\tolder\tX\t5\n");
    WriteText(storage, "2\tnewer\tX\t6\n");
    fs::create_hard_link(storage, dir.Path / "scores.txt.imported.2");   // an import stopped before its end
    {
        TScoreStore store(storage.string());
        EXPECT_NE(store.ImportNote.find("kept as \"" + storage.string() + ".imported.2\""), std::string::npos)
            << store.ImportNote;
        ASSERT_EQ(store.Entries().size(), 1u);
    }
    EXPECT_EQ(ReadAll(dir.Path / "scores.txt.imported"), "1\tolder\tX\t5\n");
    EXPECT_EQ(ReadAll(dir.Path / "scores.txt.imported.2"), "2\tnewer\tX\t6\n");
    EXPECT_FALSE(fs::exists(dir.Path / "scores.txt.imported.3"));
}

// Pointed at a file that holds no scores, the server refuses to start and changes nothing.
TEST(ScoreStore, FilesThatAreNotScoresAreLeftAsTheyAre)
{
    const TTempDir dir("scorenot");
    const fs::path other = dir.Path / "other.db";
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE users(name TEXT); INSERT INTO users VALUES('root');", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    WriteText(dir.Path / "notes.txt", "buy milk\nfix the radar\n");
    WriteBytes(dir.Path / "image.bin", {'1', '\t', 'a', '\t', 'b', '\t', '2', '\n', 0, 0xFF});
    const struct {
        const char *File, *Error;
    } cases[] = {
        {"other.db", "is a database of some other program"},
        {"notes.txt", "is neither a score database nor an old score file"},
        {"image.bin", "is neither a score database nor an old score file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.File);
        const fs::path path = dir.Path / c.File;
        const std::string before = ReadAll(path);
        try {
            TScoreStore store(path.string());
            ADD_FAILURE() << "opened";
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find(c.Error), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_FALSE(fs::exists(path.string() + ".imported"));
        EXPECT_FALSE(fs::exists(path.string() + ".importing"));
    }
}

} // namespace
