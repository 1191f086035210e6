#include "tools/dpg/DpgWriter.h"

#include "core/Bytes.h"
#include "core/Text.h"
#include "data/Extractor.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string &a, const std::string &b) { return UpperCase(a) == UpperCase(b); }

} // namespace

std::vector<std::uint8_t> BuildDpg(const std::vector<TDpgFile> &files)
{
    std::uint64_t total = DpgHeaderSize + std::uint64_t(files.size()) * DpgEntrySize;
    for (const TDpgFile &file : files)
        total += file.Bytes.size();
    if (total > 0xFFFFFFFFull)
        throw std::runtime_error("The archive would be larger than 4 GiB");
    TByteWriter out;
    out.Out.reserve(std::size_t(total));
    out.Byte(0);   // the leading byte, not interpreted
    out.UInt(std::uint32_t(files.size()));
    std::uint32_t offset = std::uint32_t(DpgHeaderSize + files.size() * DpgEntrySize);
    for (const TDpgFile &file : files) {
        if (file.Name.empty() || file.Name.size() >= DpgNameSize || file.Name.find('\0') != std::string::npos)
            throw std::runtime_error("The name \"" + file.Name + "\" does not fit an archive entry (1 to 255 bytes)");
        out.Bytes(file.Name.data(), file.Name.size());
        out.Out.resize(out.Size() + DpgNameSize - file.Name.size(), 0);   // the terminating zero and padding
        out.UInt(0);                                                      // not interpreted
        out.UInt(offset);
        out.UInt(std::uint32_t(file.Bytes.size()));
        offset += std::uint32_t(file.Bytes.size());   // cannot wrap: the total fits 32 bits
    }
    for (const TDpgFile &file : files)
        out.Bytes(file.Bytes.data(), file.Bytes.size());
    return std::move(out.Out);
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
