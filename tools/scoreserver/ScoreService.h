#pragma once
// The score server's work, apart from its sockets: answering the three requests the game makes on
// "/cgi/version.pl", checking and keeping submissions, and the world table as HTML pages.
//
//   version check   "?version&prg=Zephrona"         -> "OK|Zephrona|1|<time>|<ticket>|"
//   submission      "?hs&prg=Zephrona&inf=<record>" -> "OK|stored|" or "ERROR|<reason>|"
//   world table     "?prg=Zephrona&show&type=0"     -> the best scores as HTML; "&page=N" for the next ones
//
// The ticket is the fifth field of the version reply; the game echoes it as "p" in the record, so a
// submission is only taken after a version check, and each ticket only once. Handle may be called
// from many threads at once.

#include "menu/HighScore.h"
#include "tools/scoreserver/ScoreStore.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TReply {
    int         Status = 200;
    std::string ContentType = "text/plain; charset=utf-8";
    std::string Body;
    std::string Log;   // a line for the server's log (each submission, taken or refused); often empty
};

// What the table takes. The defaults suit a public server.
struct TScoreRules {
    char         Key = HighScoreKey;
    bool         Closed = false;         // no tickets and no scores: the table is only shown
    int          PerHour = 30;           // scores taken from one address in an hour; 0 for no limit
    long long    MaxScore = 10000000;    // anything higher is refused (a kill earns 300 or 500)
    int          PageSize = 100;         // places on one page of the table
    std::int64_t TicketLife = 600;       // seconds a version check's ticket stays good
};

constexpr std::size_t MaxNameBytes = 64;   // of a name or a country, as the game sends them (a byte a letter)

// The query of a request target split at "&": each part a key with an optional "=" value.
std::map<std::string, std::string> ParseQuery(const std::string &target);

// The fields of a decoded submission record ("type=0|name=...|z=" plus "0" padding), or an error.
// Throws std::runtime_error with the reason for a record that does not have the game's form.
std::map<std::string, std::string> ParseRecord(const std::string &record);

// What the per-address limits count by: an IPv4 address as it is, an IPv6 address by its /64
// network (what one subscriber gets), an IPv4 address mapped into IPv6 as the IPv4 address. Text
// that is no address comes back as it is.
std::string ClientKey(const std::string &address);

class TScoreService {
public:
    // Opens (or makes, or imports) the table at Storage; throws std::runtime_error as TScoreStore does.
    TScoreService(const std::string &storage, TScoreRules rules = {});

    // The reply to one GET of Target (path and query) from the address Client at time Now.
    TReply Handle(const std::string &target, std::int64_t now, const std::string &client = "127.0.0.1");

    std::vector<TScoreEntry> Entries() { return Store.Entries(); }   // in submission order

    const TScoreRules Rules;
    TScoreStore       Store;

private:
    TReply Version(std::int64_t now, const std::string &client);
    TReply Submit(const std::string &inf, std::int64_t now, const std::string &client);
    TReply Table(const std::string &page);
};
