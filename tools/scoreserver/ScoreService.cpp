#include "tools/scoreserver/ScoreService.h"

#include "core/Text.h"
#include "data/Config.h"

#include <arpa/inet.h>
#include <sys/random.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <stdexcept>

namespace {

const std::vector<std::string> RecordKeys = {"type", "name", "score", "key", "p", "add", "z"};
constexpr const char *PlainText = "text/plain; charset=utf-8";

TReply Text(int status, const std::string &body, const std::string &log = {})
{
    return {status, PlainText, body, log};
}

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

std::string Date(std::int64_t time, const char *format)
{
    const std::time_t t = std::time_t(time);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, format, &parts);
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

// Windows-1251 text a player could have typed: no control bytes, no unassigned byte.
bool Printable(const std::string &text)
{
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == 0x98)
            return false;
    }
    return true;
}

// Submitted text in a log line: UTF-8, control bytes and quotes escaped, cut short when long.
std::string LogText(const std::string &cp1251)
{
    std::string text = Utf8FromCp1251(cp1251.substr(0, 80));
    std::string out = "\"";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(b));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + (cp1251.size() > 80 ? "...\"" : "\"");
}

// A ticket nobody can guess from the ones handed out before it.
std::string NewTicket()
{
    unsigned long long value = 0;
    for (std::size_t got = 0; got < sizeof value;) {
        const ssize_t n = getrandom(reinterpret_cast<char *>(&value) + got, sizeof value - got, 0);
        if (n > 0)
            got += std::size_t(n);
        else if (errno != EINTR)
            throw std::runtime_error(std::string("no random numbers: ") + std::strerror(errno));
    }
    char ticket[17];
    std::snprintf(ticket, sizeof ticket, "%016llX", value);
    return ticket;
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

std::string ClientKey(const std::string &address)
{
    char text[INET6_ADDRSTRLEN];
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return inet_ntop(AF_INET, &v4, text, sizeof text);
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return address;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, v6.s6_addr + 12, 4);
        return inet_ntop(AF_INET, &v4, text, sizeof text);
    }
    std::memset(v6.s6_addr + 8, 0, 8);
    return std::string(inet_ntop(AF_INET6, &v6, text, sizeof text)) + "/64";
}

TScoreService::TScoreService(const std::string &storage, TScoreRules rules) : Rules(rules), Store(storage) {}

TReply TScoreService::Handle(const std::string &target, std::int64_t now, const std::string &client)
{
    const std::string path = target.substr(0, target.find('?'));
    const std::map<std::string, std::string> query = ParseQuery(target);
    const auto program = query.find("prg");
    if (path != "/cgi/version.pl" || program == query.end())
        return Text(404, "ERROR|no such page|");
    if (program->second != ScoreProgram)
        return Text(200, "ERROR|unknown program|");
    if (query.count("version"))
        return Version(now, client);
    if (query.count("hs")) {
        const auto inf = query.find("inf");
        return Submit(inf == query.end() ? std::string() : inf->second, now, client);
    }
    if (query.count("show")) {
        const auto page = query.find("page");
        return Table(page == query.end() ? std::string() : page->second);
    }
    return Text(400, "ERROR|unknown request|");
}

TReply TScoreService::Version(std::int64_t now, const std::string &client)
{
    if (Rules.Closed)
        return Text(200, "CLOSED|the table takes no scores now|");
    try {
        const std::string ticket = NewTicket();
        Store.AddTicket(ticket, ClientKey(client), now, Rules.TicketLife);
        return Text(200, std::string("OK|") + ScoreProgram + "|1|" + std::to_string(now) + "|" + ticket + "|");
    } catch (const std::exception &e) {
        return Text(500, "ERROR|the table cannot be reached now|",
                    Date(now, "%Y-%m-%dT%H:%M:%SZ ") + client + " version check failed: " + e.what());
    }
}

TReply TScoreService::Submit(const std::string &inf, std::int64_t now, const std::string &client)
{
    const std::string stamp = Date(now, "%Y-%m-%dT%H:%M:%SZ ") + client;
    std::map<std::string, std::string> fields;
    auto refuse = [&](const std::string &reason) {
        std::string log = stamp + " refused (" + reason + ")";
        if (!fields.empty())
            log += " score " + LogText(fields["score"]) + " name " + LogText(fields["name"]) + " country " +
                   LogText(fields["add"]);
        return Text(200, "ERROR|" + reason + "|", log);
    };
    if (Rules.Closed)
        return refuse("the table takes no scores now");
    try {
        fields = ParseRecord(DecodeConfigLine(inf));
    } catch (const std::exception &e) {
        return refuse(e.what());
    }
    if (fields["type"] != "0")
        return refuse("unknown table type");
    if (fields["key"] != std::string(1, Rules.Key))
        return refuse("wrong key");
    const std::string &score = fields["score"];
    if (score.empty() || score.size() > 12 || score.find_first_not_of("0123456789") != std::string::npos)
        return refuse("the score is not a number");
    if (std::stoll(score) > Rules.MaxScore)
        return refuse("the score is above the table's ceiling");
    const std::string &name = fields["name"], &country = fields["add"];
    if (name.find_first_not_of(' ') == std::string::npos || name.size() > MaxNameBytes || country.size() > MaxNameBytes)
        return refuse("the name or the country is empty or too long");
    if (!Printable(name) || !Printable(country))
        return refuse("the name or the country is not printable text");

    TScoreEntry entry;
    entry.Name = Utf8FromCp1251(name);
    entry.Country = Utf8FromCp1251(country);
    entry.Score = std::stoll(score);
    entry.Time = now;
    try {
        switch (Store.Submit(entry, fields["p"], ClientKey(client), now, Rules.TicketLife, Rules.PerHour)) {
        case TScoreStore::TSubmitResult::NoTicket: return refuse("no version check before this score");
        case TScoreStore::TSubmitResult::TooMany: return refuse("too many scores from this address in the last hour");
        case TScoreStore::TSubmitResult::Stored: break;
        }
    } catch (const std::exception &e) {
        TReply reply = refuse("the score could not be kept");
        reply.Log += std::string(": ") + e.what();
        return reply;
    }
    return Text(200, "OK|stored|",
                stamp + " accepted score " + score + " name " + LogText(name) + " country " + LogText(country));
}

TReply TScoreService::Table(const std::string &pageText)
{
    // Page numbers that are no number, or absurdly far, show the first page.
    long long page = 1;
    if (!pageText.empty() && pageText.size() <= 9 && pageText.find_first_not_of("0123456789") == std::string::npos)
        page = std::max(1LL, std::stoll(pageText));
    const long long first = (page - 1) * Rules.PageSize;
    std::vector<TScoreEntry> rows;
    try {
        rows = Store.Ranked(first, Rules.PageSize + 1);   // one more tells whether a next page exists
    } catch (const std::exception &e) {
        return Text(500, "ERROR|the table cannot be read now|", std::string("table failed: ") + e.what());
    }
    const bool more = rows.size() > std::size_t(Rules.PageSize);
    if (more)
        rows.pop_back();

    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Zephrona: Sky Rampart - World high score</title>\n"
            "<style>body{background:#06121a;color:#b8f545;font-family:sans-serif;text-align:center}"
            "h1{color:#dcefff;letter-spacing:.2em}table{margin:auto;border-collapse:collapse;min-width:40em}"
            "th{color:#ffcc4d;border-bottom:2px solid #b8f545;padding:.4em 1em}"
            "td{padding:.3em 1em;border-bottom:1px solid #20403a}td.n{text-align:right}"
            "p.pages a{color:#ffcc4d;margin:0 1em}</style></head>\n"
            "<body><h1>ZEPHRONA: SKY RAMPART</h1><h2>World high score</h2>\n"
            "<table><tr><th>Place</th><th>Name</th><th>Country</th><th>Score</th><th>Date</th></tr>\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
        html << "<tr><td class=\"n\">" << first + (long long)i + 1 << "</td><td>" << Html(rows[i].Name) << "</td><td>"
             << Html(rows[i].Country) << "</td><td class=\"n\">" << rows[i].Score << "</td><td>"
             << Date(rows[i].Time, "%Y-%m-%d") << "</td></tr>\n";
    if (rows.empty())
        html << "<tr><td colspan=\"5\">" << (page == 1 ? "No scores yet." : "No scores on this page.") << "</td></tr>\n";
    html << "</table>\n";
    if (page > 1 || more) {
        // Relative to the page's own address, so the links also work behind a proxy that moves it.
        const std::string link = std::string("?prg=") + ScoreProgram + "&amp;show&amp;type=0&amp;page=";
        html << "<p class=\"pages\">";
        if (page > 1)
            html << "<a href=\"" << link << page - 1 << "\">&lsaquo; better scores</a>";
        if (more)
            html << "<a href=\"" << link << page + 1 << "\">lower scores &rsaquo;</a>";
        html << "</p>\n";
    }
    html << "</body></html>\n";
    return {200, "text/html; charset=utf-8", html.str(), {}};
}
