#include "core/Files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of Dir whose name matches Name ignoring case; empty when none does.
std::string FindIgnoringCase(const std::string &dir, const std::string &name)
{
    std::error_code ec;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, name))
            matches.push_back(std::move(entry));
    }
    if (matches.empty())
        return {};
    return *std::min_element(matches.begin(), matches.end());
}

} // namespace

std::string ExecutablePath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string ExecutableDir()
{
    std::string dir = fs::path(ExecutablePath()).parent_path().string();
    return dir.empty() ? std::string("./") : dir + "/";
}

std::string DiskPath(std::string_view gamePath)
{
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec))
        return path;

    // Walk the components, keeping each one that exists as written and matching the others.
    std::string result;
    std::size_t pos = 0;
    if (path[0] == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        std::size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        std::string part = path.substr(pos, next - pos);
        if (!part.empty() && part != "." && part != "..") {
            const std::string candidate = result + part;
            if (!fs::exists(candidate, ec)) {
                const std::string found = FindIgnoringCase(result, part);
                if (!found.empty())
                    part = found;
            }
        }
        result += part;
        if (next < path.size())
            result += '/';
        pos = next + 1;
    }
    return result;
}

bool FileExists(std::string_view gamePath)
{
    std::error_code ec;
    return fs::is_regular_file(DiskPath(gamePath), ec);
}

std::string AbsolutePath(const std::string &diskPath)
{
    std::error_code ec;
    const fs::path abs = fs::absolute(diskPath, ec);
    return ec ? diskPath : abs.string();
}
