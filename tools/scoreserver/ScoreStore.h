#pragma once
// Where the score server keeps the world table: an SQLite database in WAL mode holding the scores,
// the tickets handed out by version checks, and the recent submissions of each address (for the
// hourly limit). Every submission is one transaction, written to disk before it is acknowledged, so
// a kill at any moment loses at most the one in flight.
//
// The store may be used from many threads at once: writes go one at a time through one connection,
// while each page of the table is read on a connection of its own, beside the writer.
//
// A storage file in the old text form (a line per score: score, name, country and time, separated by
// tabs) is turned into a database on first open. The text stays beside it as FILE.imported.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

struct TScoreEntry {
    std::string   Name;      // UTF-8
    long long     Score = 0;
    std::string   Country;   // UTF-8
    std::int64_t  Time = 0;  // seconds since 1970
};

class TScoreStore {
public:
    enum class TStorageKind { Missing, Empty, Database, Text };
    // What lies at Path now; throws std::runtime_error when it cannot be read.
    static TStorageKind Inspect(const std::string &path);

    // Opens the database at Path, making it when there is none and importing an old text file that
    // lies there. Throws std::runtime_error with the reason when that cannot be done, or when Path is
    // some other file or some other program's database (which it leaves as it is).
    explicit TScoreStore(std::string path);
    ~TScoreStore();
    TScoreStore(const TScoreStore &) = delete;
    TScoreStore &operator=(const TScoreStore &) = delete;

    // What opening did to an old text file, for the log; empty when there was none.
    std::string ImportNote;

    // Keeps Ticket, issued at Now to Address. Tickets older than TicketLife go; so do an address's
    // oldest beyond MaxTicketsPerAddress, and the oldest of all beyond MaxTickets.
    void AddTicket(const std::string &ticket, const std::string &address, std::int64_t now, std::int64_t ticketLife);

    enum class TSubmitResult { Stored, NoTicket, TooMany };
    // In one transaction: checks that Ticket was issued at most TicketLife seconds before Now and that
    // Address has had fewer than PerHour scores taken in the hour up to Now (0: no limit); then uses
    // the ticket up and keeps Entry. Nothing changes unless the result is Stored.
    TSubmitResult Submit(const TScoreEntry &entry, const std::string &ticket, const std::string &address,
                         std::int64_t now, std::int64_t ticketLife, int perHour);

    // Count entries from place First (0 is the best), best first; equal scores in submission order.
    std::vector<TScoreEntry> Ranked(long long first, int count);
    // Every entry in submission order.
    std::vector<TScoreEntry> Entries();

    static constexpr int MaxTicketsPerAddress = 64;
    static constexpr long long MaxTickets = 100000;

private:
    sqlite3 *OpenConnection() const;
    sqlite3 *TakeReader();
    void GiveBackReader(sqlite3 *db);
    void Import(const std::string &text);

    std::string Path;
    std::mutex  WriteLock;   // one writer at a time, waiting in turn rather than in SQLite's back-off
    sqlite3    *Writer = nullptr;
    std::mutex  ReadersLock;
    std::vector<sqlite3 *> Readers;   // idle reading connections
};
