// dpg: packs, lists, extracts and checks "Data.dpg" archives with the game's own reader.

#include "data/Extractor.h"
#include "tools/dpg/DpgWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *Usage =
    "usage: dpg pack DIR OUT       pack every file below DIR (the game folder or its Data folder) into OUT\n"
    "       dpg list FILE          print each entry's name and size\n"
    "       dpg extract FILE DIR   write every entry below DIR\n"
    "       dpg verify FILE        check the directory and read every entry\n";

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
    for (int i = 0; i < archive.Count(); ++i) {
        const fs::path target = SafeOutputPath(dir, archive.Directory[std::size_t(i)].StoredName);
        fs::create_directories(target.parent_path());
        WriteFile(target.string(), archive.ReadFile(i));
    }
    std::printf("%d files extracted into %s\n", archive.Count(), dir.c_str());
    return 0;
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
    std::printf("%s: %d files, %llu bytes, OK\n", file.c_str(), archive.Count(), static_cast<unsigned long long>(bytes));
    return 0;
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
