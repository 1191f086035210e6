#pragma once
// The score server's work, apart from its sockets: answering the three requests the game makes on
// "/cgi/version.pl", checking and keeping submissions, and the world table as an HTML page.
//
//   version check   "?version&prg=Zephrona"        -> "OK|Zephrona|1|<time>|<ticket>|"
//   submission      "?hs&prg=Zephrona&inf=<record>" -> "OK|stored|" or "ERROR|<reason>|"
//   world table     "?prg=Zephrona&show&type=0"     -> the table as HTML
//
// The ticket is the fifth field of the version reply; the game echoes it as "p" in the record, so a
// submission is only taken after a version check, and each ticket only once.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

struct TScoreEntry {
    std::string   Name;      // UTF-8
    long long     Score = 0;
    std::string   Country;   // UTF-8
    std::int64_t  Time = 0;  // seconds since 1970
};

struct TReply {
    int         Status = 200;
    std::string ContentType = "text/plain; charset=utf-8";
    std::string Body;
};

// The query of a request target split at "&": each part a key with an optional "=" value.
std::map<std::string, std::string> ParseQuery(const std::string &target);

// The fields of a decoded submission record ("type=0|name=...|z=" plus "0" padding), or an error.
// Throws std::runtime_error with the reason for a record that does not have the game's form.
std::map<std::string, std::string> ParseRecord(const std::string &record);

class TScoreService {
public:
    // Reads the entries kept in StorageFile (tab-separated: score, name, country, time; a missing
    // file is an empty table). Throws std::runtime_error when the file cannot be read or written.
    TScoreService(std::string storageFile, char key, bool closed);

    // The reply to one GET of Target (path and query) at time Now.
    TReply Handle(const std::string &target, std::int64_t now);

    std::vector<TScoreEntry> Entries;   // in submission order
    std::string              LastError; // the reason the last submission was refused

private:
    TReply Version(std::int64_t now);
    TReply Submit(const std::string &inf, std::int64_t now);
    TReply Table() const;

    std::string StorageFile;
    char        Key;
    bool        Closed;
    std::map<std::string, std::int64_t> Tickets;   // issued and not yet used, with their time of issue
    std::mt19937_64 Random{std::random_device{}()};
};
