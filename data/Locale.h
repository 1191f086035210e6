#pragma once
// Translations of the game's English texts. With Russian selected, an English text is looked up in
// its section of "Data\Locale.txt" (pairs of lines: English, then Russian in Windows-1251); otherwise
// texts are used as written.

#include <string>
#include <vector>

class TExtractor;

struct TLocaleSubItem {
    std::string Key;          // the English text upper-cased (ASCII letters only)
    std::string Translation;  // the line as written
    std::size_t KeyLength = 0;
};

struct TLocaleItem {
    std::string                 Name;    // the header line, brackets included
    std::vector<TLocaleSubItem> Items;
};

class TLocale {
public:
    // Reads the whole table. Throws "File not found: "path"" when it is missing.
    TLocale(const std::string &fileName, TExtractor *archive, int language);

    // The Russian text for Text in Section when the language is Russian and the section has it
    // (matched ignoring ASCII letter case, exact length); otherwise Text itself.
    std::string Translate(const std::string &text, int section) const;

    std::vector<TLocaleItem> Sections;
    int                      Language = 0;
};

// The locale of the run, created at start-up.
extern TLocale *Locale;

// Translate through the run's locale; the text unchanged before the locale exists.
std::string Translate(const std::string &text, int section);
