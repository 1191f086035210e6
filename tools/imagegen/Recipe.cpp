#include "tools/imagegen/Recipe.h"

#include <fstream>
#include <stdexcept>

std::vector<TRecipeLine> ReadRecipeLines(const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("Cannot open the recipe \"" + path + "\"");
    std::vector<TRecipeLine> lines;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const std::size_t blank = line.find_first_of(" \t");
        lines.push_back({line.substr(0, blank), blank == std::string::npos ? std::string() : Trim(line.substr(blank)),
                         path + ":" + std::to_string(number)});
    }
    return lines;
}
