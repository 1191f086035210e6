#include "data/DataFiles.h"

#include "core/Files.h"
#include "core/Text.h"
#include "data/Extractor.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

// Upper-cased with "\" for "/": the archive's way of comparing paths.
std::string PathKey(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return UpperCase(path);
}

} // namespace

std::vector<std::string> ListDataFiles(const std::string &folder, const std::string &extension)
{
    const std::string wantedEnd = UpperCase(extension);
    std::map<std::string, std::string> found;   // upper-cased name -> the name as listed
    auto add = [&](const std::string &name) {
        const std::string key = UpperCase(name);
        if (key.empty() || (!wantedEnd.empty() && key.size() <= wantedEnd.size()))
            return;
        if (key.compare(key.size() - wantedEnd.size(), wantedEnd.size(), wantedEnd) != 0)
            return;
        found.emplace(key, name);   // the first spelling stays
    };

    // Loose files first, so that they win. Two loose spellings of one name: the first in byte
    // order, the one a lookup in another letter case opens.
    std::vector<std::string> loose;
    std::error_code error;
    for (std::filesystem::directory_iterator it(DiskPath(folder), error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error))
            loose.push_back(it->path().filename().string());
    std::sort(loose.begin(), loose.end());
    for (const std::string &name : loose)
        add(name);

    if (Extractor) {
        std::string prefix = PathKey(folder);
        if (!prefix.empty() && prefix.back() != '\\')
            prefix += '\\';
        const std::string base = PathKey(Extractor->BasePath);
        if (prefix.compare(0, base.size(), base) == 0) {
            prefix.erase(0, base.size());   // entry names are stored after the base path
            for (const TDpgEntry &entry : Extractor->Directory)
                if (entry.Name.size() > prefix.size() && entry.Name.compare(0, prefix.size(), prefix) == 0 &&
                    entry.Name.find('\\', prefix.size()) == std::string::npos)
                    add(entry.StoredName.substr(prefix.size()));
        }
    }

    std::vector<std::string> names;
    names.reserve(found.size());
    for (const auto &[key, name] : found)
        names.push_back(name);
    return names;
}
