#include "tools/worldgen/ModelList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

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

std::vector<std::string> ListModels(const std::string &modelsFolder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    std::error_code error;
    for (fs::recursive_directory_iterator it(modelsFolder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file())
            continue;
        const std::string extension = Upper(it->path().extension().string());
        const std::string stem = Upper(it->path().stem().string());
        if ((extension != ".OTM" && extension != ".OTM2") || EndsWith(stem, "_LOD0") || EndsWith(stem, "_LOD1"))
            continue;
        std::string line = fs::relative(it->path(), modelsFolder).generic_string();
        std::replace(line.begin(), line.end(), '/', '\\');
        lines.push_back(line);
    }
    if (error)
        throw std::runtime_error("Cannot read the folder \"" + modelsFolder + "\": " + error.message());
    std::sort(lines.begin(), lines.end());
    return lines;
}

void WriteModelList(const std::string &modelsFolder, const std::string &output)
{
    const std::vector<std::string> lines = ListModels(modelsFolder);
    if (lines.empty())
        throw std::runtime_error("No model below \"" + modelsFolder + "\"");
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    std::ofstream file(output, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        throw std::runtime_error("Cannot write \"" + output + "\"");
}
