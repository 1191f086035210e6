#include "tools/scoreserver/ScoreService.h"

#include "core/Text.h"
#include "data/Config.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr const char *Program = "Zephrona";
constexpr std::int64_t TicketLife = 600;     // seconds a version check's ticket stays good
constexpr std::size_t MaxTickets = 10000;    // the oldest go first beyond this
constexpr std::size_t MaxText = 64;          // bytes of a name or a country
constexpr std::size_t TableRows = 100;

const std::vector<std::string> RecordKeys = {"type", "name", "score", "key", "p", "add", "z"};

std::string PercentDecode(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

// Tabs and line breaks would break the storage file's lines.
std::string Clean(const std::string &text)
{
    std::string out = text;
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    return out;
}

std::string Html(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Date(std::int64_t time)
{
    const std::time_t t = std::time_t(time);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

} // namespace

std::map<std::string, std::string> ParseQuery(const std::string &target)
{
    std::map<std::string, std::string> query;
    const std::size_t mark = target.find('?');
    if (mark == std::string::npos)
        return query;
    for (const std::string &part : Split(target.substr(mark + 1), '&')) {
        if (part.empty())
            continue;
        const std::size_t eq = part.find('=');
        query[PercentDecode(part.substr(0, eq))] = eq == std::string::npos ? "" : PercentDecode(part.substr(eq + 1));
    }
    return query;
}

std::map<std::string, std::string> ParseRecord(const std::string &record)
{
    const std::size_t end = record.rfind("|z=");
    if (end == std::string::npos || record.find_first_not_of('0', end + 3) != std::string::npos)
        throw std::runtime_error("the record does not end with \"|z=\" and its padding");
    if (record.size() % 5 != 0)
        throw std::runtime_error("the record is not padded to a multiple of 5");
    const std::vector<std::string> parts = Split(record.substr(0, end + 3), '|');
    if (parts.size() != RecordKeys.size())
        throw std::runtime_error("the record has " + std::to_string(parts.size()) + " fields, not 7");
    std::map<std::string, std::string> fields;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t eq = parts[i].find('=');
        if (eq == std::string::npos || parts[i].substr(0, eq) != RecordKeys[i])
            throw std::runtime_error("field " + std::to_string(i + 1) + " is not \"" + RecordKeys[i] + "=\"");
        fields[RecordKeys[i]] = parts[i].substr(eq + 1);
    }
    return fields;
}

TScoreService::TScoreService(std::string storageFile, char key, bool closed)
    : StorageFile(std::move(storageFile)), Key(key), Closed(closed)
{
    std::ifstream in(StorageFile, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> parts = Split(line, '\t');
        if (parts.size() != 4)
            continue;
        TScoreEntry entry;
        entry.Score = std::atoll(parts[0].c_str());
        entry.Name = parts[1];
        entry.Country = parts[2];
        entry.Time = std::atoll(parts[3].c_str());
        Entries.push_back(entry);
    }
    std::ofstream probe(StorageFile, std::ios::binary | std::ios::app);
    if (!probe)
        throw std::runtime_error("Cannot write the score file \"" + StorageFile + "\"");
}

TReply TScoreService::Handle(const std::string &target, std::int64_t now)
{
    const std::string path = target.substr(0, target.find('?'));
    const std::map<std::string, std::string> query = ParseQuery(target);
    const auto program = query.find("prg");
    if (path != "/cgi/version.pl" || program == query.end())
        return {404, "text/plain; charset=utf-8", "ERROR|no such page|"};
    if (program->second != Program)
        return {200, "text/plain; charset=utf-8", "ERROR|unknown program|"};
    if (query.count("version"))
        return Version(now);
    if (query.count("hs")) {
        const auto inf = query.find("inf");
        return Submit(inf == query.end() ? std::string() : inf->second, now);
    }
    if (query.count("show"))
        return Table();
    return {400, "text/plain; charset=utf-8", "ERROR|unknown request|"};
}

TReply TScoreService::Version(std::int64_t now)
{
    if (Closed)
        return {200, "text/plain; charset=utf-8", "CLOSED|the table takes no scores now|"};
    // Forget tickets that are too old, and the oldest when too many are waiting.
    for (auto it = Tickets.begin(); it != Tickets.end();)
        it = now - it->second > TicketLife ? Tickets.erase(it) : std::next(it);
    while (Tickets.size() >= MaxTickets)
        Tickets.erase(std::min_element(Tickets.begin(), Tickets.end(),
                                       [](const auto &a, const auto &b) { return a.second < b.second; }));
    char ticket[17];
    std::snprintf(ticket, sizeof ticket, "%016llX", static_cast<unsigned long long>(Random()));
    Tickets[ticket] = now;
    return {200, "text/plain; charset=utf-8", std::string("OK|") + Program + "|1|" + std::to_string(now) + "|" + ticket + "|"};
}

TReply TScoreService::Submit(const std::string &inf, std::int64_t now)
{
    auto refuse = [this](const std::string &reason) {
        LastError = reason;
        return TReply{200, "text/plain; charset=utf-8", "ERROR|" + reason + "|"};
    };
    if (Closed)
        return refuse("the table takes no scores now");
    std::map<std::string, std::string> fields;
    try {
        fields = ParseRecord(DecodeConfigLine(inf));
    } catch (const std::exception &e) {
        return refuse(e.what());
    }
    if (fields["type"] != "0")
        return refuse("unknown table type");
    if (fields["key"] != std::string(1, Key))
        return refuse("wrong key");
    const auto ticket = Tickets.find(fields["p"]);
    if (ticket == Tickets.end() || now - ticket->second > TicketLife)
        return refuse("no version check before this score");
    const std::string &score = fields["score"];
    if (score.empty() || score.size() > 12 || score.find_first_not_of("0123456789") != std::string::npos)
        return refuse("the score is not a number");
    if (fields["name"].empty() || fields["name"].size() > MaxText || fields["add"].size() > MaxText)
        return refuse("the name or the country is empty or too long");
    Tickets.erase(ticket);

    TScoreEntry entry;
    entry.Name = Clean(Utf8FromCp1251(fields["name"]));
    entry.Country = Clean(Utf8FromCp1251(fields["add"]));
    entry.Score = std::atoll(score.c_str());
    entry.Time = now;
    std::ofstream out(StorageFile, std::ios::binary | std::ios::app);
    out << entry.Score << '\t' << entry.Name << '\t' << entry.Country << '\t' << entry.Time << '\n';
    out.flush();
    if (!out)
        return refuse("the score could not be kept");
    Entries.push_back(entry);
    LastError.clear();
    return {200, "text/plain; charset=utf-8", "OK|stored|"};
}

TReply TScoreService::Table() const
{
    std::vector<TScoreEntry> sorted = Entries;
    std::stable_sort(sorted.begin(), sorted.end(), [](const TScoreEntry &a, const TScoreEntry &b) { return a.Score > b.Score; });
    if (sorted.size() > TableRows)
        sorted.resize(TableRows);
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Zephrona: Sky Rampart - World high score</title>\n"
            "<style>body{background:#06121a;color:#b8f545;font-family:sans-serif;text-align:center}"
            "h1{color:#dcefff;letter-spacing:.2em}table{margin:auto;border-collapse:collapse;min-width:40em}"
            "th{color:#ffcc4d;border-bottom:2px solid #b8f545;padding:.4em 1em}"
            "td{padding:.3em 1em;border-bottom:1px solid #20403a}td.n{text-align:right}</style></head>\n"
            "<body><h1>ZEPHRONA: SKY RAMPART</h1><h2>World high score</h2>\n"
            "<table><tr><th>Place</th><th>Name</th><th>Country</th><th>Score</th><th>Date</th></tr>\n";
    for (std::size_t i = 0; i < sorted.size(); ++i)
        html << "<tr><td class=\"n\">" << i + 1 << "</td><td>" << Html(sorted[i].Name) << "</td><td>"
             << Html(sorted[i].Country) << "</td><td class=\"n\">" << sorted[i].Score << "</td><td>" << Date(sorted[i].Time)
             << "</td></tr>\n";
    if (sorted.empty())
        html << "<tr><td colspan=\"5\">No scores yet.</td></tr>\n";
    html << "</table></body></html>\n";
    return {200, "text/html; charset=utf-8", html.str()};
}
