#include "tools/dpg/DpgWriter.h"

#include "data/Extractor.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void PutU32(std::uint8_t *p, std::uint64_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

bool SameIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(x) == std::toupper(y); });
}

} // namespace

std::vector<std::uint8_t> BuildDpg(const std::vector<TDpgFile> &files)
{
    std::uint64_t total = DpgHeaderSize + files.size() * DpgEntrySize;
    for (const TDpgFile &file : files)
        total += file.Bytes.size();
    if (total > 0xFFFFFFFFull)
        throw std::runtime_error("The archive would be larger than 4 GiB");
    std::vector<std::uint8_t> out(DpgHeaderSize + files.size() * DpgEntrySize);
    PutU32(out.data() + 1, files.size());
    std::uint64_t offset = out.size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TDpgFile &file = files[i];
        if (file.Name.empty() || file.Name.size() >= DpgNameSize || file.Name.find('\0') != std::string::npos)
            throw std::runtime_error("The name \"" + file.Name + "\" does not fit an archive entry (1 to 255 bytes)");
        std::uint8_t *entry = out.data() + DpgHeaderSize + i * DpgEntrySize;
        std::memcpy(entry, file.Name.data(), file.Name.size());
        PutU32(entry + 260, offset);
        PutU32(entry + 264, file.Bytes.size());
        offset += file.Bytes.size();
    }
    for (const TDpgFile &file : files)
        out.insert(out.end(), file.Bytes.begin(), file.Bytes.end());
    return out;
}

std::vector<TDpgFile> CollectTree(const std::string &dir)
{
    const fs::path root(dir);
    if (!fs::is_directory(root))
        throw std::runtime_error("\"" + dir + "\" is not a folder");
    // Names are relative to the game folder: packing the "Data" folder itself keeps its name in front.
    const fs::path top = fs::canonical(root);
    const fs::path base = SameIgnoringCase(top.filename().string(), "Data") ? top.parent_path() : top;
    std::vector<TDpgFile> files;
    for (const fs::directory_entry &item : fs::recursive_directory_iterator(top)) {
        if (!item.is_regular_file())
            continue;
        std::string name = fs::relative(item.path(), base).string();
        std::replace(name.begin(), name.end(), '/', '\\');
        std::ifstream in(item.path(), std::ios::binary);
        if (!in)
            throw std::runtime_error("Cannot read \"" + item.path().string() + "\"");
        files.push_back({name, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    std::sort(files.begin(), files.end(), [](const TDpgFile &a, const TDpgFile &b) { return a.Name < b.Name; });
    return files;
}
