#include "data/Locale.h"

#include "core/Text.h"
#include "data/Extractor.h"

TLocale *Locale = nullptr;

TLocale::TLocale(const std::string &fileName, TExtractor *archive, int language) : Language(language)
{
    TTextFile file(fileName, archive);
    while (!file.Eof()) {
        std::string line = file.ReadLine();
        if (!line.empty() && line[0] == '[') {
            Sections.push_back({line, {}});
            continue;
        }
        // An English line needs a section before it and its translation after it; a pair that
        // breaks either rule is dropped rather than ending the game.
        if (file.Eof() || Sections.empty()) {
            if (!file.Eof())
                file.ReadLine();
            continue;
        }
        std::string translation = file.ReadLine();
        Sections.back().Items.push_back({UpperCase(line), std::move(translation), line.size()});
    }
}

std::string TLocale::Translate(const std::string &text, int section) const
{
    if (Language != 1 || section < 0 || section >= int(Sections.size()))
        return text;
    const std::string key = UpperCase(text);
    for (const TLocaleSubItem &item : Sections[std::size_t(section)].Items)
        if (item.KeyLength == key.size() && item.Key == key)
            return item.Translation;
    return text;
}

std::string Translate(const std::string &text, int section)
{
    return Locale ? Locale->Translate(text, section) : text;
}
