#include "tests/content/BuiltData.h"

#include <map>
#include <memory>

const std::string GameDir = std::string(ZEPHRONA_GAME_DIR) + "/";

TExtractor &BuiltArchive()
{
    static TExtractor *archive = [] {
        auto *opened = new TExtractor;
        opened->LoadFromFile(GameDir + "Data.dpg");
        opened->SetPath(GameDir);
        return opened;
    }();
    return *archive;
}

std::vector<std::uint8_t> BuiltFile(const std::string &gamePath) { return TMemFile(GameDir + gamePath, &BuiltArchive()).Data; }

const TOTMModel &BuiltModel(const std::string &gamePath)
{
    static std::map<std::string, std::unique_ptr<TOTMModel>> models;
    std::unique_ptr<TOTMModel> &slot = models[gamePath];
    if (!slot) {
        slot = std::make_unique<TOTMModel>();
        slot->Parse(BuiltFile(gamePath), gamePath);
    }
    return *slot;
}

const TLocale &RussianLocale()
{
    static const TLocale *locale = new TLocale(GameDir + "Data\\Locale.txt", &BuiltArchive(), 1);
    return *locale;
}
