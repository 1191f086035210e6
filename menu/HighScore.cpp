#include "menu/HighScore.h"

#include "core/App.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "menu/Http.h"
#include "menu/Menu.h"

#include <exception>

std::string ScoreServerAddress()
{
    std::string base;
    try {
        TTextFile file(AppDir + "Data\\Menu\\ScoreServer.txt", Extractor);
        base = file.ReadNonEmptyLine();
    } catch (const std::exception &) {
        // No address file: the default serves a score server run on this machine.
    }
    if (base.empty())
        base = DefaultScoreServer;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string VersionCheckAddress(const std::string &base)
{
    return base + "/cgi/version.pl?version&prg=" + ScoreProgram;
}

std::string SubmissionAddress(const std::string &base, const std::string &encodedRecord)
{
    return base + "/cgi/version.pl?hs&prg=" + ScoreProgram + "&inf=" + encodedRecord;
}

std::string WorldTableAddress(const std::string &base)
{
    return base + "/cgi/version.pl?prg=" + ScoreProgram + "&show&type=0";
}

std::string TakeReplyField(std::string &reply)
{
    const std::size_t bar = reply.find('|');
    std::string field = reply.substr(0, bar);
    reply = bar == std::string::npos ? std::string() : reply.substr(bar + 1);
    return field;
}

std::string VersionReplyValue(std::string reply)
{
    std::string field;
    for (int i = 0; i < 5; ++i)
        field = TakeReplyField(reply);
    return field;
}

std::string HighScoreRecord(const std::string &name, int score, const std::string &p, const std::string &country)
{
    std::string record = "type=0|name=" + name + "|score=" + std::to_string(score) + "|key=" + HighScoreKey + "|p=" +
                         p + "|add=" + country + "|z=";
    while (record.size() % 5 != 0)
        record += '0';
    return record;
}

void SendHighScore()
{
    Menu->ShowPage(PageConnection);
    Menu->Frame(1);
    SwapBuffersNow();

    const std::string base = ScoreServerAddress();
    std::string reply;
    if (!HttpGet(VersionCheckAddress(base), reply))
        reply.clear();
    if (reply.compare(0, 2, "OK") != 0) {
        Menu->ShowPage(PageConnectionFail);
        return;
    }
    std::string name;
    int score = 0;
    if (Config->CurrentPlayer >= 0 && Config->CurrentPlayer < Config->PlayerCount) {
        name = Config->Players[std::size_t(Config->CurrentPlayer)].Name;
        score = Config->Players[std::size_t(Config->CurrentPlayer)].Score;
    }
    const std::string record = HighScoreRecord(name, score, VersionReplyValue(reply), Country);
    Menu->ShowPage(PageMain);
    std::string ignored;
    if (!HttpGet(SubmissionAddress(base, EncodeConfigLine(record)), ignored))
        Menu->ShowPage(PageConnectionFail);
}

void ViewWorldHighScore() { ShellOpen(WorldTableAddress(ScoreServerAddress())); }
