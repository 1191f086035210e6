#pragma once
// The words of the images, read from the texts file and the level list (see content/hudart/).

#include <map>
#include <string>
#include <vector>

// 0 English, 1 Russian: the index into every text pair, and the file-name suffix of each language.
constexpr int LanguageCount = 2;
constexpr const char *LanguageSuffix[LanguageCount] = {"", "_rus"};

struct TTextEntry {
    std::string Key;
    std::string Text[LanguageCount];
};

class TTexts {
public:
    // Reads the texts file; throws std::runtime_error naming the file and line of a malformed entry.
    explicit TTexts(const std::string &path);

    // The first text of Key in Section; throws when there is none.
    const std::string &Get(const std::string &section, const std::string &key, int language) const;
    // Every text of Key in Section, in file order (empty when there is none).
    std::vector<std::string> All(const std::string &section, const std::string &key, int language) const;
    // The file of a font named by a "font" line; throws when it is not named.
    const std::string &Font(const std::string &name) const;

private:
    std::string Path;
    std::map<std::string, std::string> Fonts;
    std::map<std::string, std::vector<TTextEntry>> Sections;
};

struct TLevel {
    int         Number = 0;
    std::string Title[LanguageCount], Line[LanguageCount];
};

// Reads the level list; throws std::runtime_error naming the file and line of a malformed entry.
std::vector<TLevel> ReadLevels(const std::string &path);

// Splits at "|" and trims blanks around each part.
std::vector<std::string> SplitFields(const std::string &line);
