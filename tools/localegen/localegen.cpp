// localegen: turns the string table's UTF-8 source into the game's "Locale.txt" (Windows-1251, lines
// ending in CR LF).
//
//   localegen SOURCE OUT
//
// Source format: "[N] title" opens section N (sections numbered from 0, in order); inside a section
// each English text is followed by its Russian translation on the next line. Blank lines and lines
// starting with "#" separate pairs and are not written.

#include "core/Text.h"

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

std::string Convert(const std::string &sourcePath)
{
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open \"" + sourcePath + "\"");
    std::string out, pendingEnglish, pendingWhere;
    int sections = 0;
    std::set<std::string> keys;   // English texts of the current section, to catch duplicates
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
            const std::string expected = "[" + std::to_string(sections) + "]";
            if (line.compare(0, expected.size(), expected) != 0)
                throw std::runtime_error(where + ": sections must be numbered in order; expected " + expected);
            ++sections;
            keys.clear();
            out += ToCp1251(line, where) + "\r\n";
            continue;
        }
        if (sections == 0)
            throw std::runtime_error(where + ": text before the first section");
        if (pendingEnglish.empty()) {
            if (!keys.insert(UpperAscii(line)).second)
                throw std::runtime_error(where + ": \"" + line + "\" is already translated in this section");
            pendingEnglish = line;
            pendingWhere = where;
            out += ToCp1251(line, where) + "\r\n";
        } else {
            out += ToCp1251(line, where) + "\r\n";
            pendingEnglish.clear();
        }
    }
    if (!pendingEnglish.empty())
        throw std::runtime_error(pendingWhere + ": \"" + pendingEnglish + "\" has no translation");
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-help")) {
        std::puts("usage: localegen SOURCE OUT\n"
                  "Writes the string table SOURCE (UTF-8: \"[N] title\" section lines, then pairs of lines:\n"
                  "English text, Russian text; blank lines and # comments between pairs) as the game's\n"
                  "Locale.txt in Windows-1251 with CR LF line ends.");
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: localegen SOURCE OUT (try --help)\n", stderr);
        return 2;
    }
    try {
        const std::string text = Convert(argv[1]);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            throw std::runtime_error(std::string("Cannot write \"") + argv[2] + "\"");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "localegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
