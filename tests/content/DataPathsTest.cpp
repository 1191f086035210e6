// Every data file the game's code names is in the built archive, found the way the game finds it;
// every model in it loads with its texture beside it; and the preload list names every model.

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "data/Locale.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

class DataPaths : public testing::Test {
protected:
    static bool Has(const std::string &path) { return BuiltArchive().FindFile(GameDir + path) >= 0; }
    static std::vector<std::uint8_t> Read(const std::string &path) { return BuiltFile(path); }
};

struct TListedPath {
    std::string Path;   // braces removed: the English name
    std::string Head, Localised, Tail;   // around the braced part; Localised empty when there is none
    bool Later = false;
    int Line = 0;
};

std::vector<TListedPath> ReadList()
{
    std::ifstream file(ZEPHRONA_DATA_PATHS);
    std::vector<TListedPath> list;
    bool later = false, sectioned = false;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line == "[required]" || line == "[expected later]") {
            later = line == "[expected later]";
            sectioned = true;
            continue;
        }
        if (!sectioned)
            throw std::runtime_error("DataPaths.txt line " + std::to_string(number) + ": a path before any section");
        TListedPath entry;
        entry.Later = later;
        entry.Line = number;
        const std::size_t open = line.find('{'), close = line.find('}');
        if (open != std::string::npos && close != std::string::npos && open < close) {
            entry.Head = line.substr(0, open);
            entry.Localised = line.substr(open + 1, close - open - 1);
            entry.Tail = line.substr(close + 1);
            entry.Path = entry.Head + entry.Localised + entry.Tail;
        } else {
            entry.Path = line;
        }
        list.push_back(entry);
    }
    if (list.empty())
        throw std::runtime_error("DataPaths.txt names no path");
    return list;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TEST_F(DataPaths, EveryNamedFileIsInTheArchive)
{
    std::vector<std::string> missing, later;
    for (const TListedPath &entry : ReadList()) {
        std::vector<std::string> wanted = {entry.Path};
        if (!entry.Localised.empty()) {
            const std::string translation = RussianLocale().Translate(entry.Localised, 0);
            if (translation == entry.Localised)
                (entry.Later ? later : missing).push_back(entry.Path + " (no Russian name in section 0 of the locale)");
            else
                wanted.push_back(entry.Head + translation + entry.Tail);
        }
        for (const std::string &path : wanted)
            if (!Has(path))
                (entry.Later ? later : missing).push_back(path + " (line " + std::to_string(entry.Line) + ")");
    }
    for (const std::string &path : later)
        std::cout << "expected later, not in the archive yet: " << path << "\n";
    RecordProperty("ExpectedLaterMissing", int(later.size()));
    std::string report;
    for (const std::string &path : missing)
        report += "\n  " + path;
    EXPECT_TRUE(missing.empty()) << missing.size() << " files the game names are not in the archive:" << report;
}

TEST_F(DataPaths, EveryModelLoadsWithItsTexture)
{
    int models = 0;
    for (const TDpgEntry &entry : BuiltArchive().Directory) {
        if (!EndsWith(entry.Name, ".OTM"))
            continue;
        SCOPED_TRACE(entry.StoredName);
        ++models;
        TOTMModel model;
        EXPECT_NO_THROW(model.Parse(Read(entry.StoredName), entry.StoredName));
        EXPECT_TRUE(Has(OTMTextureName(entry.StoredName)));
        // A far variant stands in for a model the game loads by the plain name.
        for (const char *lod : {"_LOD0.OTM", "_LOD1.OTM"})
            if (EndsWith(entry.Name, lod)) {
                EXPECT_TRUE(Has(entry.StoredName.substr(0, entry.StoredName.size() - 9) + ".otm"));
            }
    }
    EXPECT_GT(models, 0);
}

TEST_F(DataPaths, PreloadListNamesEveryModelOnceWithWindowsLineEnds)
{
    const std::vector<std::uint8_t> bytes = Read("Data\\Models\\Models.txt");
    const std::string text(bytes.begin(), bytes.end());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

    std::set<std::string> listed;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "a line without CR LF at " << start;
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        SCOPED_TRACE(line);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('/'), std::string::npos);   // the game's paths use backslashes
        EXPECT_TRUE(Has("Data\\Models\\" + line));
        EXPECT_EQ(Upper(line).find("_LOD"), std::string::npos);   // the library attaches those itself
        EXPECT_TRUE(listed.insert(Upper(line)).second) << "listed twice";
    }
    // The game preloads what it keeps below "Data\Models\".
    for (const TDpgEntry &entry : BuiltArchive().Directory) {
        const std::string prefix = "DATA\\MODELS\\";
        if (entry.Name.rfind(prefix, 0) != 0 || !EndsWith(entry.Name, ".OTM") || EndsWith(entry.Name, "_LOD0.OTM") ||
            EndsWith(entry.Name, "_LOD1.OTM"))
            continue;
        EXPECT_TRUE(listed.count(entry.Name.substr(prefix.size()))) << entry.StoredName << " is not in Models.txt";
    }
}
