// dpg: packs, lists, extracts and checks "Data.dpg" archives with the game's own reader.

#include "data/Extractor.h"
#include "tools/dpg/DpgWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *Usage =
    "usage: dpg pack DIR OUT       pack every file below DIR (the game folder or its Data folder) into OUT\n"
    "       dpg list FILE          print each entry's name and size\n"
    "       dpg extract FILE DIR   write every entry below DIR (of entries with the same name, the first:\n"
    "                              the one the game reads)\n"
    "       dpg verify FILE        check the directory, read every entry, and report entries whose data\n"
    "                              overlap the directory or each other\n";

void WriteFile(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

// Opens an archive with the game's reader; the base path is empty so entries match their own names.
void Open(TExtractor &archive, const std::string &path)
{
    archive.LoadFromFile(path);
    archive.SetPath("");
}

// The disk path below Dir for an entry name; refuses names that would land outside Dir.
fs::path SafeOutputPath(const fs::path &dir, const std::string &name)
{
    fs::path out = dir;
    std::string part;
    auto refuse = [&]() -> fs::path { throw std::runtime_error("The entry \"" + name + "\" would be written outside the folder"); };
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') {
            part += name[i];
            continue;
        }
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string::npos)
            return refuse();
        out /= part;
        part.clear();
    }
    return out;
}

int Pack(const std::string &dir, const std::string &out)
{
    const std::vector<TDpgFile> files = CollectTree(dir);
    // Written beside the target and renamed over it, so a failed pack never leaves half an archive.
    const std::string temp = out + ".tmp";
    WriteFile(temp, BuildDpg(files));
    fs::rename(temp, out);
    std::printf("%zu files packed into %s\n", files.size(), out.c_str());
    return 0;
}

int List(const std::string &file)
{
    TExtractor archive;
    Open(archive, file);
    for (const TDpgEntry &entry : archive.Directory)
        std::printf("%s %u\n", entry.StoredName.c_str(), entry.Size);
    return 0;
}

int Extract(const std::string &file, const std::string &dir)
{
    TExtractor archive;
    Open(archive, file);
    // The game reads the first of entries with the same name (ignoring letter case): later ones
    // would overwrite it on the disk with bytes the game never sees, so they are skipped and named.
    std::map<std::string, int> firstOfName;
    int written = 0, skipped = 0;
    for (int i = 0; i < archive.Count(); ++i) {
        const TDpgEntry &entry = archive.Directory[std::size_t(i)];
        const auto [first, fresh] = firstOfName.emplace(entry.Name, i);
        if (!fresh) {
            std::fprintf(stderr, "dpg: skipped entry %d \"%s\": the same name as entry %d, which the game reads\n", i,
                         entry.StoredName.c_str(), first->second);
            ++skipped;
            continue;
        }
        const fs::path target = SafeOutputPath(dir, entry.StoredName);
        fs::create_directories(target.parent_path());
        WriteFile(target.string(), archive.ReadFile(i));
        ++written;
    }
    std::printf("%d files extracted into %s", written, dir.c_str());
    if (skipped)
        std::printf(", %d duplicate %s skipped", skipped, skipped == 1 ? "entry" : "entries");
    std::printf("\n");
    return 0;
}

// Entries whose data share bytes with the directory or with another entry: the game reads them,
// but no packer writes them, and a change to one silently changes the other.
std::vector<std::string> LayoutFaults(const TExtractor &archive)
{
    std::vector<std::string> faults;
    const std::uint64_t directoryEnd = DpgHeaderSize + std::uint64_t(archive.Count()) * DpgEntrySize;
    std::vector<int> order;
    for (int i = 0; i < archive.Count(); ++i) {
        const TDpgEntry &entry = archive.Directory[std::size_t(i)];
        if (entry.Size == 0)
            continue;   // no bytes, nothing to share
        if (entry.Offset < directoryEnd)
            faults.push_back("entry \"" + entry.StoredName + "\" overlaps the directory (its data start at " +
                             std::to_string(entry.Offset) + ", the directory ends at " + std::to_string(directoryEnd) + ")");
        order.push_back(i);
    }
    const auto &dir = archive.Directory;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return dir[std::size_t(a)].Offset < dir[std::size_t(b)].Offset; });
    // Sweeping in offset order, an entry overlaps when it starts before the furthest end seen so far.
    int reach = -1;
    std::uint64_t reachEnd = 0;
    for (int i : order) {
        const TDpgEntry &entry = dir[std::size_t(i)];
        const std::uint64_t end = std::uint64_t(entry.Offset) + entry.Size;
        if (reach >= 0 && entry.Offset < reachEnd)
            faults.push_back("entry \"" + entry.StoredName + "\" overlaps entry \"" + dir[std::size_t(reach)].StoredName + "\"");
        if (reach < 0 || end > reachEnd) {
            reach = i;
            reachEnd = end;
        }
    }
    return faults;
}

int Verify(const std::string &file)
{
    TExtractor archive;
    Open(archive, file);
    std::uint64_t bytes = 0;
    for (int i = 0; i < archive.Count(); ++i) {
        SafeOutputPath("Data", archive.Directory[std::size_t(i)].StoredName);
        bytes += archive.ReadFile(i).size();
    }
    const std::vector<std::string> faults = LayoutFaults(archive);
    for (const std::string &fault : faults)
        std::fprintf(stderr, "dpg: %s: %s\n", file.c_str(), fault.c_str());
    std::printf("%s: %d files, %llu bytes, %s\n", file.c_str(), archive.Count(), static_cast<unsigned long long>(bytes),
                faults.empty() ? "OK" : (std::to_string(faults.size()) + (faults.size() == 1 ? " fault" : " faults")).c_str());
    return faults.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-help" || args[0] == "help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (args.size() == 3 && args[0] == "pack")
            return Pack(args[1], args[2]);
        if (args.size() == 2 && args[0] == "list")
            return List(args[1]);
        if (args.size() == 3 && args[0] == "extract")
            return Extract(args[1], args[2]);
        if (args.size() == 2 && args[0] == "verify")
            return Verify(args[1]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "dpg: %s\n", e.what());
        return 1;
    }
    std::fputs(Usage, stderr);
    return 2;
}
