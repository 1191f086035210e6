#include "tools/hudart/Texts.h"

#include "tools/imagegen/Trim.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// The line without a comment: "#" at its start (after blanks) makes it empty.
std::string Content(const std::string &line)
{
    const std::string t = Trim(line);
    return !t.empty() && t[0] == '#' ? std::string() : t;
}

} // namespace

std::vector<std::string> SplitFields(const std::string &line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '|'))
        fields.push_back(Trim(field));
    return fields;
}

TTexts::TTexts(const std::string &path) : Path(path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("Cannot open the texts \"" + path + "\"");
    std::string line, section;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Content(line);
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                throw std::runtime_error(where + "a section header must end with \"]\"");
            section = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        if (line.rfind("font ", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::string name, file;
            words >> name;
            std::getline(words, file);
            if (name.empty() || Trim(file).empty())
                throw std::runtime_error(where + "a font line needs a name and a file");
            Fonts[name] = Trim(file);
            continue;
        }
        const std::vector<std::string> fields = SplitFields(line);
        if (section.empty())
            throw std::runtime_error(where + "a text before the first section");
        if (fields.size() != 3 || fields[0].empty() || fields[1].empty() || fields[2].empty())
            throw std::runtime_error(where + "a text needs \"key | English | Russian\"");
        Sections[section].push_back({fields[0], {fields[1], fields[2]}});
    }
}

const std::string &TTexts::Get(const std::string &section, const std::string &key, int language) const
{
    const auto s = Sections.find(section);
    if (s != Sections.end())
        for (const TTextEntry &entry : s->second)
            if (entry.Key == key)
                return entry.Text[language];
    throw std::runtime_error(Path + ": no text \"" + key + "\" in [" + section + "]");
}

std::vector<std::string> TTexts::All(const std::string &section, const std::string &key, int language) const
{
    std::vector<std::string> texts;
    const auto s = Sections.find(section);
    if (s != Sections.end())
        for (const TTextEntry &entry : s->second)
            if (entry.Key == key)
                texts.push_back(entry.Text[language]);
    return texts;
}

const std::string &TTexts::Font(const std::string &name) const
{
    const auto f = Fonts.find(name);
    if (f == Fonts.end())
        throw std::runtime_error(Path + ": no font named \"" + name + "\"");
    return f->second;
}

std::vector<TLevel> ReadLevels(const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("Cannot open the level list \"" + path + "\"");
    std::vector<TLevel> levels;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Content(line);
        if (line.empty())
            continue;
        const std::vector<std::string> f = SplitFields(line);
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (f.size() != 5)
            throw std::runtime_error(where + "a level needs \"N | title | title | line | line\"");
        TLevel level;
        try {
            std::size_t used = 0;
            level.Number = std::stoi(f[0], &used);
            if (used != f[0].size())
                throw std::invalid_argument(f[0]);
        } catch (const std::exception &) {
            throw std::runtime_error(where + "the level number \"" + f[0] + "\" is not a whole number");
        }
        if (level.Number < 1 || level.Number > 99)
            throw std::runtime_error(where + "the level number must be 1..99");
        level.Title[0] = f[1];
        level.Title[1] = f[2];
        level.Line[0] = f[3];
        level.Line[1] = f[4];
        levels.push_back(level);
    }
    return levels;
}
