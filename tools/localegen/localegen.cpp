// localegen: turns the string table's UTF-8 source into the game's "Locale.txt" (Windows-1251, lines
// ending in CR LF).
//
//   localegen SOURCE [MORE...] OUT
//
// Source format: "[N] title" opens section N (sections numbered from 0, in order); inside a section
// each English text is followed by its Russian translation on the next line. Blank lines and lines
// starting with "#" separate pairs and are not written. Further sources (the missions' own texts)
// reopen sections of the first by number and add their pairs to the end of those sections.

#include "core/Text.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string UpperAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// The Windows-1251 bytes of a UTF-8 line; throws when a character has no such byte.
std::string ToCp1251(const std::string &utf8, const std::string &where)
{
    const std::string bytes = Cp1251FromUtf8(utf8);
    if (Utf8FromCp1251(bytes) != utf8)
        throw std::runtime_error(where + ": a character has no Windows-1251 byte, or the line is not UTF-8");
    return bytes;
}

struct TSection {
    std::string Title;                  // the "[N] title" line
    std::vector<std::string> Lines;     // English, Russian, English, Russian...
    std::set<std::string> Keys;         // the English texts, upper-cased, to catch duplicates
};

// Reads one source into the sections. The first source opens its sections in order from 0; a further
// source (the missions' own texts, say) reopens sections the first one has, by number, and adds to them.
void Read(const std::string &sourcePath, std::vector<TSection> &sections, bool first)
{
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open \"" + sourcePath + "\"");
    std::string pendingEnglish, pendingWhere;
    std::size_t current = SIZE_MAX;   // the section being read
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string where = sourcePath + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') {
            if (!pendingEnglish.empty())
                throw std::runtime_error(pendingWhere + ": \"" + pendingEnglish + "\" has no translation");
            continue;
        }
        if (line[0] == '[') {
            if (!pendingEnglish.empty())
                throw std::runtime_error(pendingWhere + ": \"" + pendingEnglish + "\" has no translation");
            if (first) {
                const std::string expected = "[" + std::to_string(sections.size()) + "]";
                if (line.compare(0, expected.size(), expected) != 0)
                    throw std::runtime_error(where + ": sections must be numbered in order; expected " + expected);
                sections.push_back({ToCp1251(line, where), {}, {}});
                current = sections.size() - 1;
            } else {
                std::size_t n = 0, i = 1;
                while (i < line.size() && line[i] >= '0' && line[i] <= '9' && n < 1000)
                    n = n * 10 + std::size_t(line[i++] - '0');
                if (i == 1 || i >= line.size() || line[i] != ']' || n >= sections.size())
                    throw std::runtime_error(where + ": \"" + line + "\" names no section of the main table");
                current = n;
            }
            continue;
        }
        if (current == SIZE_MAX)
            throw std::runtime_error(where + ": text before the first section");
        if (pendingEnglish.empty()) {
            if (!sections[current].Keys.insert(UpperAscii(line)).second)
                throw std::runtime_error(where + ": \"" + line + "\" is already translated in this section");
            pendingEnglish = line;
            pendingWhere = where;
        } else {
            pendingEnglish.clear();
        }
        sections[current].Lines.push_back(ToCp1251(line, where));
    }
    if (!pendingEnglish.empty())
        throw std::runtime_error(pendingWhere + ": \"" + pendingEnglish + "\" has no translation");
}

std::string Convert(const std::vector<std::string> &sources)
{
    std::vector<TSection> sections;
    for (std::size_t i = 0; i < sources.size(); ++i)
        Read(sources[i], sections, i == 0);
    std::string out;
    for (const TSection &section : sections) {
        out += section.Title + "\r\n";
        for (const std::string &line : section.Lines)
            out += line + "\r\n";
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-help")) {
        std::puts("usage: localegen SOURCE [MORE...] OUT\n"
                  "Writes the string table SOURCE (UTF-8: \"[N] title\" section lines, then pairs of lines:\n"
                  "English text, Russian text; blank lines and # comments between pairs) as the game's\n"
                  "Locale.txt in Windows-1251 with CR LF line ends. Each further source reopens sections of\n"
                  "the first by their \"[N]\" lines and adds its pairs to them.");
        return 0;
    }
    if (argc < 3) {
        std::fputs("usage: localegen SOURCE [MORE...] OUT (try --help)\n", stderr);
        return 2;
    }
    try {
        const std::string text = Convert(std::vector<std::string>(argv + 1, argv + argc - 1));
        const std::string target = argv[argc - 1];
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            throw std::runtime_error("Cannot write \"" + target + "\"");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "localegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
