#include "tools/scoreserver/ScoreStore.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Marks the database as this game's score table, so that the server never adds its tables to
// some other program's database it was pointed at by mistake.
constexpr int ApplicationId = 0x5A455048;   // "ZEPH"
constexpr int SchemaVersion = 1;
constexpr std::int64_t Hour = 3600;

const char *const Schema = R"(
CREATE TABLE IF NOT EXISTS scores(
    id      INTEGER PRIMARY KEY,
    score   INTEGER NOT NULL,
    name    TEXT NOT NULL,
    country TEXT NOT NULL,
    time    INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS scores_by_place ON scores(score DESC, id);
CREATE TABLE IF NOT EXISTS tickets(
    id      INTEGER PRIMARY KEY,
    ticket  TEXT NOT NULL UNIQUE,
    address TEXT NOT NULL,
    issued  INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS tickets_by_age ON tickets(issued);
CREATE INDEX IF NOT EXISTS tickets_by_address ON tickets(address, id);
CREATE TABLE IF NOT EXISTS recent(
    address TEXT NOT NULL,
    time    INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS recent_by_address ON recent(address, time);
CREATE INDEX IF NOT EXISTS recent_by_age ON recent(time);
)";

[[noreturn]] void Fail(sqlite3 *db, const std::string &what)
{
    throw std::runtime_error(what + ": " + sqlite3_errmsg(db));
}

void Exec(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db, "The score database failed");
}

class TStatement {
public:
    TStatement(sqlite3 *db, const char *sql) : Db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &S, nullptr) != SQLITE_OK)
            Fail(db, "The score database failed");
    }
    ~TStatement() { sqlite3_finalize(S); }
    TStatement(const TStatement &) = delete;
    TStatement &operator=(const TStatement &) = delete;

    TStatement &Bind(int index, long long value)
    {
        sqlite3_bind_int64(S, index, value);
        return *this;
    }
    TStatement &Bind(int index, const std::string &value)
    {
        sqlite3_bind_text(S, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // True for a row, false when done.
    bool Step()
    {
        const int result = sqlite3_step(S);
        if (result == SQLITE_ROW)
            return true;
        if (result != SQLITE_DONE)
            Fail(Db, "The score database failed");
        return false;
    }
    long long Int(int column) { return sqlite3_column_int64(S, column); }
    std::string Text(int column)
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(S, column));
        return text ? std::string(text, std::size_t(sqlite3_column_bytes(S, column))) : std::string();
    }

private:
    sqlite3 *Db;
    sqlite3_stmt *S = nullptr;
};

// A write transaction, rolled back unless committed.
class TTransaction {
public:
    explicit TTransaction(sqlite3 *db) : Db(db) { Exec(db, "BEGIN IMMEDIATE"); }
    ~TTransaction()
    {
        if (!Done)
            sqlite3_exec(Db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit()
    {
        Exec(Db, "COMMIT");
        Done = true;
    }

private:
    sqlite3 *Db;
    bool Done = false;
};

long long PragmaInt(sqlite3 *db, const char *sql)
{
    TStatement s(db, sql);
    return s.Step() ? s.Int(0) : 0;
}

void CreateSchema(sqlite3 *db)
{
    TTransaction t(db);
    Exec(db, Schema);
    Exec(db, ("PRAGMA application_id=" + std::to_string(ApplicationId)).c_str());
    Exec(db, ("PRAGMA user_version=" + std::to_string(SchemaVersion)).c_str());
    t.Commit();
}

// Refuses a database that belongs to some other program, or to a newer score server.
void CheckOwner(sqlite3 *db, const std::string &path)
{
    const long long id = PragmaInt(db, "PRAGMA application_id");
    if (id == 0 && PragmaInt(db, "SELECT count(*) FROM sqlite_master") == 0)
        return;   // new
    if (id != ApplicationId)
        throw std::runtime_error("\"" + path + "\" is a database of some other program; it is left as it is");
    if (PragmaInt(db, "PRAGMA user_version") > SchemaVersion)
        throw std::runtime_error("\"" + path + "\" was made by a newer score server");
}

bool Digits(const std::string &text, std::size_t most)
{
    const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    return text.size() > start && text.size() - start <= most &&
           text.find_first_not_of("0123456789", start) == std::string::npos;
}

// One line of the old storage file: score, name, country and time, separated by tabs.
bool ParseOldLine(std::string line, TScoreEntry &entry)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(line.substr(start, tab - start));
    parts.push_back(line.substr(start));
    if (parts.size() != 4 || !Digits(parts[0], 18) || !Digits(parts[3], 18))
        return false;
    entry.Score = std::stoll(parts[0]);
    entry.Name = parts[1];
    entry.Country = parts[2];
    entry.Time = std::stoll(parts[3]);
    return true;
}

bool SameFile(const std::string &a, const std::string &b)
{
    struct stat sa{}, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void SyncPath(const std::string &path, int flags)
{
    const int fd = open(path.c_str(), flags);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

TScoreStore::TStorageKind TScoreStore::Inspect(const std::string &path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return TStorageKind::Missing;
    if (error)
        throw std::runtime_error("Cannot read the score file \"" + path + "\": " + error.message());
    if (status.type() != fs::file_type::regular)
        throw std::runtime_error("\"" + path + "\" is not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read the score file \"" + path + "\"");
    char head[16] = {};
    in.read(head, sizeof head);
    if (in.gcount() == 0)
        return TStorageKind::Empty;
    if (in.gcount() == 16 && std::string(head, 16) == std::string("SQLite format 3\0", 16))
        return TStorageKind::Database;
    return TStorageKind::Text;
}

TScoreStore::TScoreStore(std::string path) : Path(std::move(path))
{
    if (Inspect(Path) == TStorageKind::Text) {
        std::ifstream in(Path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        Import(text.str());
    }
    Writer = OpenConnection();
    try {
        CheckOwner(Writer, Path);
        {
            TStatement mode(Writer, "PRAGMA journal_mode=WAL");
            if (!mode.Step() || mode.Text(0) != "wal")
                throw std::runtime_error("The score database \"" + Path + "\" cannot be put in WAL mode");
        }
        // Tickets need not reach the disk before their reply; Submit asks for more.
        Exec(Writer, "PRAGMA synchronous=NORMAL");
        CreateSchema(Writer);
    } catch (...) {
        sqlite3_close(Writer);
        throw;
    }
}

TScoreStore::~TScoreStore()
{
    for (sqlite3 *db : Readers)
        sqlite3_close(db);
    // The last connection to close folds the write-ahead log back into the database and removes it.
    sqlite3_close(Writer);
}

sqlite3 *TScoreStore::OpenConnection() const
{
    sqlite3 *db = nullptr;
    const int result = sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (result != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
        sqlite3_close(db);
        throw std::runtime_error("Cannot open the score database \"" + Path + "\": " + why);
    }
    // Another process on the same file (a second server, a backup) may hold it for a moment.
    sqlite3_busy_timeout(db, 10000);
    return db;
}

sqlite3 *TScoreStore::TakeReader()
{
    {
        std::lock_guard<std::mutex> lock(ReadersLock);
        if (!Readers.empty()) {
            sqlite3 *db = Readers.back();
            Readers.pop_back();
            return db;
        }
    }
    return OpenConnection();
}

void TScoreStore::GiveBackReader(sqlite3 *db)
{
    std::lock_guard<std::mutex> lock(ReadersLock);
    Readers.push_back(db);
}

void TScoreStore::Import(const std::string &text)
{
    std::vector<TScoreEntry> entries;
    std::size_t skipped = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        TScoreEntry entry;
        if (ParseOldLine(line, entry))
            entries.push_back(entry);
        else if (!line.empty() && line != "\r")
            ++skipped;   // as the old server did; a kill could cut its last line short
    }
    // Never turn a file that is not a score file into a database.
    if (entries.empty() || text.find('\0') != std::string::npos)
        throw std::runtime_error("\"" + Path +
                                 "\" is neither a score database nor an old score file (score, name, country and time "
                                 "separated by tabs); it is left as it is");

    const std::string temp = Path + ".importing";
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        std::remove((temp + suffix).c_str());
    {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw std::runtime_error("Cannot make the score database \"" + temp + "\": " + why);
        }
        try {
            Exec(db, "PRAGMA synchronous=FULL");
            CreateSchema(db);
            TTransaction t(db);
            for (const TScoreEntry &entry : entries)
                TStatement(db, "INSERT INTO scores(score, name, country, time) VALUES(?1, ?2, ?3, ?4)")
                    .Bind(1, entry.Score).Bind(2, entry.Name).Bind(3, entry.Country).Bind(4, entry.Time).Step();
            t.Commit();
        } catch (...) {
            sqlite3_close(db);
            std::remove(temp.c_str());
            throw;
        }
        sqlite3_close(db);
    }

    // The text stays under a name of its own: a second link to the same file (or a copy where the
    // file system has no links). A name already linked to it is an earlier start that was stopped
    // before it could finish; any other is left alone.
    std::string keep;
    for (int n = 1; keep.empty(); ++n) {
        const std::string name = Path + ".imported" + (n == 1 ? "" : "." + std::to_string(n));
        if (SameFile(name, Path))
            keep = name;
        else if (!fs::exists(name)) {
            if (link(Path.c_str(), name.c_str()) != 0) {
                std::ofstream copy(name, std::ios::binary);
                copy << text;
                copy.close();
                if (!copy) {
                    std::remove(temp.c_str());
                    throw std::runtime_error("Cannot keep the old score file as \"" + name + "\"");
                }
                SyncPath(name, O_RDONLY);
            }
            keep = name;
        }
    }
    // A write-ahead log beside a text file is left from some earlier database: it must not be
    // replayed into the new one.
    for (const char *suffix : {"-wal", "-shm"})
        std::remove((Path + suffix).c_str());
    // Until this rename the old text is still at Path, so a kill anywhere above only means the
    // import runs again on the next start.
    if (std::rename(temp.c_str(), Path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("Cannot put the score database in place of \"" + Path + "\"");
    }
    const fs::path folder = fs::absolute(Path).parent_path();
    SyncPath(folder.string(), O_RDONLY | O_DIRECTORY);

    ImportNote = "imported " + std::to_string(entries.size()) + " scores from the old score file \"" + Path +
                 "\", kept as \"" + keep + "\"";
    if (skipped)
        ImportNote += "; " + std::to_string(skipped) + " lines in it were not scores and were left out";
}

void TScoreStore::AddTicket(const std::string &ticket, const std::string &address, std::int64_t now, std::int64_t ticketLife)
{
    std::lock_guard<std::mutex> lock(WriteLock);
    TTransaction t(Writer);
    TStatement(Writer, "DELETE FROM tickets WHERE issued < ?1").Bind(1, now - ticketLife).Step();
    TStatement(Writer, "INSERT OR REPLACE INTO tickets(ticket, address, issued) VALUES(?1, ?2, ?3)")
        .Bind(1, ticket).Bind(2, address).Bind(3, now).Step();
    const long long id = sqlite3_last_insert_rowid(Writer);
    TStatement(Writer, "DELETE FROM tickets WHERE address = ?1 AND id NOT IN "
                       "(SELECT id FROM tickets WHERE address = ?1 ORDER BY id DESC LIMIT ?2)")
        .Bind(1, address).Bind(2, MaxTicketsPerAddress).Step();
    TStatement(Writer, "DELETE FROM tickets WHERE id <= ?1").Bind(1, id - MaxTickets).Step();
    t.Commit();
}

TScoreStore::TSubmitResult TScoreStore::Submit(const TScoreEntry &entry, const std::string &ticket,
                                               const std::string &address, std::int64_t now, std::int64_t ticketLife,
                                               int perHour)
{
    std::lock_guard<std::mutex> lock(WriteLock);
    // An acknowledged score is on the disk: this commit syncs the log, tickets' commits need not.
    Exec(Writer, "PRAGMA synchronous=FULL");
    struct TRelax {
        sqlite3 *Db;
        ~TRelax() { sqlite3_exec(Db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr); }
    } relax{Writer};

    TTransaction t(Writer);
    {
        TStatement issued(Writer, "SELECT issued FROM tickets WHERE ticket = ?1");
        issued.Bind(1, ticket);
        if (!issued.Step() || now - issued.Int(0) > ticketLife)
            return TSubmitResult::NoTicket;
    }
    if (perHour > 0) {
        TStatement count(Writer, "SELECT count(*) FROM recent WHERE address = ?1 AND time > ?2");
        count.Bind(1, address).Bind(2, now - Hour);
        if (count.Step() && count.Int(0) >= perHour)
            return TSubmitResult::TooMany;
    }
    TStatement(Writer, "DELETE FROM tickets WHERE ticket = ?1").Bind(1, ticket).Step();
    TStatement(Writer, "INSERT INTO scores(score, name, country, time) VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, entry.Score).Bind(2, entry.Name).Bind(3, entry.Country).Bind(4, entry.Time).Step();
    TStatement(Writer, "INSERT INTO recent(address, time) VALUES(?1, ?2)").Bind(1, address).Bind(2, now).Step();
    // Addresses are kept no longer than the limit needs them.
    TStatement(Writer, "DELETE FROM recent WHERE time <= ?1").Bind(1, now - Hour).Step();
    t.Commit();
    return TSubmitResult::Stored;
}

namespace {

std::vector<TScoreEntry> ReadEntries(sqlite3 *db, const char *sql, std::initializer_list<long long> values)
{
    TStatement s(db, sql);
    int index = 0;
    for (long long value : values)
        s.Bind(++index, value);
    std::vector<TScoreEntry> entries;
    while (s.Step()) {
        TScoreEntry entry;
        entry.Score = s.Int(0);
        entry.Name = s.Text(1);
        entry.Country = s.Text(2);
        entry.Time = s.Int(3);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::vector<TScoreEntry> TScoreStore::Ranked(long long first, int count)
{
    sqlite3 *db = TakeReader();
    struct TBack {
        TScoreStore *Store;
        sqlite3 *Db;
        ~TBack() { Store->GiveBackReader(Db); }
    } back{this, db};
    return ReadEntries(db, "SELECT score, name, country, time FROM scores ORDER BY score DESC, id LIMIT ?1 OFFSET ?2",
                       {count, first});
}

std::vector<TScoreEntry> TScoreStore::Entries()
{
    sqlite3 *db = TakeReader();
    struct TBack {
        TScoreStore *Store;
        sqlite3 *Db;
        ~TBack() { Store->GiveBackReader(Db); }
    } back{this, db};
    return ReadEntries(db, "SELECT score, name, country, time FROM scores ORDER BY id", {});
}
