// The campaign as a whole, and the add-on map sets beside it. The fifteen missions lead one to the
// next and the last one ends the game; each one is won once its enemies are gone and the player is
// wherever it wants him (the mission rewritten so: every enemy made without health, every distance
// from the player read as 0); between them they use every command of the language and make every
// kind of unit. An add-on set names its button, its pictures and its first mission, keeps no score,
// and its missions lead on to the one that ends the set.

#include "core/App.h"
#include "data/Extractor.h"
#include "script/Script.h"
#include "tests/TestUtil.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path MapSources = fs::path(ZEPHRONA_SOURCE_DIR) / "content" / "maps";
const std::string ToolsDir = ZEPHRONA_TOOLS_DIR;
constexpr int CampaignLength = 15;

std::string LevelFile(int number) { return "Level" + std::to_string(number) + ".ses"; }
std::string Quoted(const fs::path &path) { return "'" + path.string() + "'"; }
std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}
std::string Joined(const std::vector<std::string> &items, const std::string &between = ", ")
{
    std::string text;
    for (const std::string &item : items)
        text += (text.empty() ? "" : between) + item;
    return text;
}
bool InArchive(const std::string &gamePath) { return BuiltArchive().FindFile(GameDir + gamePath) >= 0; }

// What a mission holds, as the game's own compiler reads it: every command wherever it stands,
// whether or not a run ever gets to it. Lines are the source lines the commands stand on.
struct TMissionFacts {
    std::string                Error;   // the compiler's message and where; empty when it compiled
    std::set<int>              Opcodes;
    std::set<std::string>      NextLevels, Music, Sounds;
    std::set<int>              ObjectTypes, DeadTypes;   // of CreateObject and CreateStaticDead
    std::vector<int>           LiveEnemies;              // enemies made with health
    std::vector<int>           PlayerDistances;          // DistancePlayerToGroup/ToCheckPoint
    std::map<std::string, int> TypeNames;                // every OBJECT_ constant the compiler knows
    bool Has(int opcode) const { return Opcodes.count(opcode) > 0; }
};

TMissionFacts Compile(const fs::path &file)
{
    AppDir = GameDir;
    Extractor = &BuiltArchive();
    const std::string source = ReadAll(file);
    const auto lineAt = [&source](std::size_t offset) {
        return 1 + int(std::count(source.begin(), source.begin() + std::ptrdiff_t(std::min(offset, source.size())), '\n'));
    };
    TMissionFacts facts;
    TScript script;
    try {
        script.Load(file.string());
    } catch (const TScriptError &e) {
        facts.Error = std::string(e.what()) + " (line " + std::to_string(lineAt(e.Offset > 0 ? e.Offset - 1 : 0)) + ")";
        return facts;
    }
    for (const TScriptVariable &v : script.Variables)
        if (v.Name.rfind("OBJECT_", 0) == 0)
            facts.TypeNames[v.Name] = TScript::IntAt(v.Storage);
    const int enemySide = TScript::IntAt(script.FindVariable("AI_SIDE_ENEMY")->Storage);
    for (const TScriptBlock &block : script.Blocks)
        for (const TScriptCommand &c : block.Commands) {
            facts.Opcodes.insert(c.Opcode);
            const int line = lineAt(c.SourceOffset);
            switch (c.Opcode) {
            case OpNextLevel: facts.NextLevels.insert(TScript::TextAt(c.Args[0])); break;
            case OpSetMusic: facts.Music.insert(TScript::TextAt(c.Args[0])); break;
            case OpPlaySound: facts.Sounds.insert(Upper(TScript::TextAt(c.Args[0]))); break;
            case OpCreateStaticDead: facts.DeadTypes.insert(TScript::IntAt(c.Args[0])); break;
            case OpCreateObject:
                facts.ObjectTypes.insert(TScript::IntAt(c.Args[0]));
                if (TScript::IntAt(c.Args[2]) == enemySide && TScript::IntAt(c.Args[3]) != 0)
                    facts.LiveEnemies.push_back(line);
                break;
            case OpDistancePlayerToGroup:
            case OpDistancePlayerToCheckPoint: facts.PlayerDistances.push_back(line); break;
            default: break;
            }
        }
    return facts;
}

// The mission as the test plays it: every enemy made without health, so that it is gone at once,
// and every distance from the player to a group or the checkpoint read as 0, so that the player is
// wherever the mission wants him.
std::string TestVariant(const std::string &source)
{
    std::string variant = std::regex_replace(
        source, std::regex(R"((\bCreateObject[ \t]+\S+[ \t]+\S+[ \t]+AI_SIDE_ENEMY[ \t]+)\S+)"), "$1$$0");
    variant = std::regex_replace(variant, std::regex(R"(\bDistancePlayerToCheckPoint[ \t]+(\S+))"), "$1 = $$0,0");
    return std::regex_replace(variant, std::regex(R"(\bDistancePlayerToGroup[ \t]+\S+[ \t]+(\S+))"), "$1 = $$0,0");
}

// An add-on set's ".mod": its keys upper-cased, as the main page reads them (lines of KEY = VALUE,
// empty lines and lines starting with "/" skipped).
std::map<std::string, std::string> ReadMod(const fs::path &file)
{
    const auto trimmed = [](const std::string &text) {
        const std::size_t first = text.find_first_not_of(" \t\r");
        return first == std::string::npos ? std::string()
                                           : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    };
    std::map<std::string, std::string> keys;
    for (const std::string &raw : SplitLines(ReadAll(file))) {
        const std::string line = trimmed(raw);
        const std::size_t eq = line.find('=');
        if (line.empty() || line[0] == '/' || eq == std::string::npos)
            continue;
        keys[Upper(trimmed(line.substr(0, eq)))] = trimmed(line.substr(eq + 1));
    }
    return keys;
}

std::vector<fs::path> ModSets()
{
    std::vector<fs::path> found;
    for (const fs::directory_entry &entry : fs::directory_iterator(MapSources))
        if (entry.is_regular_file() && Upper(entry.path().extension().string()) == ".MOD")
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

// The missions of an add-on set in the order they are played: from its first mission along each
// one's NextLevel, as far as the files go.
std::vector<std::string> SetMissions(const fs::path &mod)
{
    std::vector<std::string> chain;
    std::string next = ReadMod(mod)["FIRSTLEVEL"];
    while (!next.empty() && fs::is_regular_file(MapSources / next) && chain.size() < 10 &&
           std::find(chain.begin(), chain.end(), next) == chain.end()) {
        chain.push_back(next);
        const TMissionFacts facts = Compile(MapSources / next);
        next = facts.NextLevels.size() == 1 ? *facts.NextLevels.begin() : std::string();
    }
    return chain;
}

TEST(CampaignContent, EachMissionLeadsToTheNextAndTheLastEndsTheGame)
{
    for (int n = 1; n <= CampaignLength; ++n) {
        const std::string name = LevelFile(n);
        SCOPED_TRACE(name);
        const fs::path file = MapSources / name;
        if (!fs::is_regular_file(file)) {
            ADD_FAILURE() << name << " is missing";
            continue;
        }
        const TMissionFacts facts = Compile(file);
        if (!facts.Error.empty()) {
            ADD_FAILURE() << "does not compile: " << facts.Error;
            continue;
        }
        if (n < CampaignLength) {
            EXPECT_EQ(facts.NextLevels, std::set<std::string>{LevelFile(n + 1)});
            EXPECT_FALSE(facts.Has(OpEndGame)) << "only the last mission ends the game";
        } else {
            EXPECT_TRUE(facts.NextLevels.empty()) << "the last mission leads to " << *facts.NextLevels.begin();
            EXPECT_TRUE(facts.Has(OpEndGame)) << "the last mission must end the game";
        }
        // A win is heard and has its music; a mission that can be lost says so with its sound. Only
        // these two sounds play, and the music is a track of the game (or none).
        EXPECT_TRUE(facts.Sounds.count("WIN.WAV")) << "no win sound";
        EXPECT_TRUE(facts.Music.count("Victory.ogg")) << "no victory music";
        if (facts.Has(OpGameOver)) {
            EXPECT_TRUE(facts.Sounds.count("LOSE.WAV")) << "a mission lost in silence";
        }
        for (const std::string &sound : facts.Sounds)
            EXPECT_TRUE(sound == "WIN.WAV" || sound == "LOSE.WAV") << "PlaySound " << sound << " plays nothing";
        for (const std::string &track : facts.Music)
            EXPECT_TRUE(Upper(track) == "NULL" || InArchive("Data\\Music\\" + track)) << "no music " << track;
    }
}

TEST(CampaignContent, EveryMissionIsWonWithItsEnemiesGoneAndThePlayerWhereItWantsHim)
{
    struct TWin {
        std::string File, Result;
    };
    std::vector<TWin> wins;
    for (int n = 1; n <= CampaignLength; ++n)
        wins.push_back({LevelFile(n), n < CampaignLength ? "result: won next=" + LevelFile(n + 1) : "result: won end"});
    for (const fs::path &mod : ModSets()) {
        const std::vector<std::string> set = SetMissions(mod);
        for (std::size_t i = 0; i < set.size(); ++i)
            wins.push_back({set[i], i + 1 < set.size() ? "result: won next=" + set[i + 1] : "result: won end"});
    }

    const TTempDir dir("campaignwin");
    for (const TWin &win : wins) {
        SCOPED_TRACE(win.File);
        const fs::path source = MapSources / win.File;
        if (!fs::is_regular_file(source)) {
            ADD_FAILURE() << win.File << " is missing";
            continue;
        }
        const fs::path variant = dir.Path / win.File;
        WriteText(variant, TestVariant(ReadAll(source)));
        const TToolRun run = RunTool(dir.Path, ToolsDir + "/missionrun " + Quoted(variant) + " --seconds 1200 --game " +
                                                   Quoted(ZEPHRONA_GAME_DIR));
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<std::string> lines = SplitLines(run.Out);
        ASSERT_FALSE(lines.empty());
        if (lines.back() == win.Result)
            continue;
        // Why not: what the rewrite left standing, and how the run ended.
        const TMissionFacts facts = Compile(variant);
        std::string detail = facts.Error.empty() ? "" : "the test variant does not compile: " + facts.Error + "\n";
        for (const int line : facts.LiveEnemies)
            detail += "line " + std::to_string(line) + ": an enemy made with health the rewrite did not reach\n";
        for (const int line : facts.PlayerDistances)
            detail += "line " + std::to_string(line) + ": a distance from the player the rewrite did not reach\n";
        const std::size_t shown = std::min<std::size_t>(lines.size(), 12);
        ADD_FAILURE() << "expected \"" << win.Result << "\", got \"" << lines.back() << "\"\n"
                      << detail << "the end of the run:\n"
                      << Joined(std::vector<std::string>(lines.end() - std::ptrdiff_t(shown), lines.end()), "\n");
    }
}

TEST(CampaignContent, TheCampaignUsesEveryCommandAndEveryKindOfUnit)
{
    std::set<int> opcodes, objectTypes, deadTypes;
    std::map<std::string, int> typeNames;
    for (int n = 1; n <= CampaignLength; ++n) {
        const fs::path file = MapSources / LevelFile(n);
        if (!fs::is_regular_file(file))
            continue;
        const TMissionFacts facts = Compile(file);
        opcodes.insert(facts.Opcodes.begin(), facts.Opcodes.end());
        objectTypes.insert(facts.ObjectTypes.begin(), facts.ObjectTypes.end());
        deadTypes.insert(facts.DeadTypes.begin(), facts.DeadTypes.end());
        if (facts.Error.empty())
            typeNames = facts.TypeNames;
    }
    ASSERT_FALSE(typeNames.empty()) << "no mission of the campaign compiles";

    std::vector<std::string> unused;
    for (int op = OpDisablePlayer; op < OpcodeCount; ++op)
        if (!opcodes.count(op))
            unused.push_back(std::string(Commands[std::size_t(op)].Name));
    EXPECT_TRUE(unused.empty()) << "commands no mission uses: " << Joined(unused);

    // Every unit made as a unit, but the wreck and the checkpoint, which only lie there dead, like
    // the wrecked destroyer.
    const std::set<std::string> onlyDead = {"OBJECT_DEAD_SU25", "OBJECT_CHECKPOINT"};
    std::vector<std::string> unmade, unlaid;
    for (const auto &[name, type] : typeNames) {
        if (!onlyDead.count(name) && !objectTypes.count(type))
            unmade.push_back(name);
        if ((onlyDead.count(name) || name == "OBJECT_SHIP_DESTROYER") && !deadTypes.count(type))
            unlaid.push_back(name);
    }
    EXPECT_TRUE(unmade.empty()) << "no CreateObject makes " << Joined(unmade);
    EXPECT_TRUE(unlaid.empty()) << "no CreateStaticDead lays " << Joined(unlaid);
}

TEST(CampaignContent, EveryAddOnSetNamesItsPicturesKeepsNoScoreAndEndsItsMissions)
{
    const std::vector<fs::path> mods = ModSets();
    EXPECT_FALSE(mods.empty()) << "no add-on map set in " << MapSources;
    for (const fs::path &mod : mods) {
        SCOPED_TRACE(mod.filename().string());
        std::map<std::string, std::string> keys = ReadMod(mod);
        std::vector<std::string> missing;
        for (const char *key :
             {"BUTTONNAME", "BUTTONMOUSEIN", "BUTTONMOUSEOUT", "FIRSTSCREEN", "LASTSCREEN", "FIRSTLEVEL", "SHOWSCORE"})
            if (keys[key].empty())
                missing.push_back(key);
        EXPECT_TRUE(missing.empty()) << "keys without a value: " << Joined(missing);
        EXPECT_EQ(Upper(keys["SHOWSCORE"]), "FALSE");
        for (const char *picture : {"BUTTONMOUSEIN", "BUTTONMOUSEOUT", "FIRSTSCREEN", "LASTSCREEN"})
            if (!keys[picture].empty()) {
                EXPECT_TRUE(InArchive("Data\\" + keys[picture])) << picture << " " << keys[picture] << " is not in the archive";
            }
        // The main page finds the set in the archive.
        EXPECT_TRUE(InArchive("Data\\Maps\\" + mod.filename().string())) << "the set is not in the archive";

        const std::string first = keys["FIRSTLEVEL"];
        if (first.empty())
            continue;
        EXPECT_TRUE(fs::is_regular_file(MapSources / first)) << "no first mission " << first;
        EXPECT_TRUE(InArchive("Data\\Maps\\" + first)) << first << " is not in the archive";
        const std::vector<std::string> set = SetMissions(mod);
        EXPECT_EQ(set.size(), 3u) << "the set plays " << Joined(set);
        for (std::size_t i = 0; i < set.size(); ++i) {
            SCOPED_TRACE(set[i]);
            const TMissionFacts facts = Compile(MapSources / set[i]);
            EXPECT_EQ(facts.Error, "");
            if (i + 1 < set.size()) {
                EXPECT_FALSE(facts.Has(OpEndGame)) << "the set ends before its last mission";
            } else {
                EXPECT_TRUE(facts.NextLevels.empty()) << "the last mission leads on to " << Joined(std::vector<std::string>(facts.NextLevels.begin(), facts.NextLevels.end()));
                EXPECT_TRUE(facts.Has(OpEndGame)) << "the last mission must end the set";
            }
        }
    }
}

} // namespace
