#include "data/Extractor.h"

#include "core/Files.h"
#include "core/Log.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

TExtractor *Extractor = nullptr;

namespace {

std::uint32_t ReadU32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::string UpperAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// Upper-cased with "\" for "/", so that a path written either way finds its entry.
std::string MatchKey(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '\\');
    return UpperAscii(std::move(text));
}

[[noreturn]] void Damaged(const std::string &archive, const std::string &what)
{
    throw std::runtime_error("Archive \"" + archive + "\" is damaged: " + what);
}

// Reads a loose file whole; false if it cannot be opened or read.
bool ReadLooseFile(const std::string &diskPath, std::vector<std::uint8_t> &data)
{
    std::ifstream in(diskPath, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    data.resize(std::size_t(size));
    return size == 0 || bool(in.read(reinterpret_cast<char *>(data.data()), size));
}

} // namespace

std::vector<TDpgEntry> ParseDpgDirectory(const std::vector<std::uint8_t> &head, std::uint64_t fileSize,
                                         const std::string &archiveName)
{
    if (head.size() < DpgHeaderSize || fileSize < DpgHeaderSize)
        Damaged(archiveName, "it is too short to hold a header");
    const std::uint32_t count = ReadU32(head.data() + 1);
    const std::uint64_t directoryEnd = DpgHeaderSize + std::uint64_t(count) * DpgEntrySize;
    if (directoryEnd > fileSize || directoryEnd > head.size())
        Damaged(archiveName, "its directory of " + std::to_string(count) + " entries runs past the end of the file");
    std::vector<TDpgEntry> entries(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t *raw = head.data() + DpgHeaderSize + std::size_t(i) * DpgEntrySize;
        const auto *name = static_cast<const std::uint8_t *>(std::memchr(raw, 0, DpgNameSize));
        if (!name)
            Damaged(archiveName, "the name of entry " + std::to_string(i) + " has no terminating zero");
        TDpgEntry &entry = entries[i];
        entry.StoredName.assign(reinterpret_cast<const char *>(raw), std::size_t(name - raw));
        entry.Name = entry.StoredName;
        entry.Reserved = ReadU32(raw + 256);
        entry.Offset = ReadU32(raw + 260);
        entry.Size = ReadU32(raw + 264);
        if (std::uint64_t(entry.Offset) + entry.Size > fileSize)
            Damaged(archiveName, "entry \"" + entry.Name + "\" reaches past the end of the file");
    }
    return entries;
}

TExtractor::~TExtractor() { Close(); }

void TExtractor::Close()
{
    if (Handle)
        std::fclose(Handle);
    Handle = nullptr;
    Directory.clear();
    ArchivePath.clear();
}

void TExtractor::LoadFromFile(const std::string &path)
{
    LogWrite("Extractor.LoadFromFile " + path);
    if (Handle) {
        Close();
        BasePath.clear();
    }
    const std::string disk = DiskPath(path);
    std::FILE *file = std::fopen(disk.c_str(), "rb");
    if (!file)
        throw std::runtime_error("Cannot open the archive \"" + path + "\"");
    std::error_code ec;
    const std::uint64_t fileSize = std::filesystem::file_size(disk, ec);
    // The header tells the directory's size; read just that much before trusting any of it.
    std::vector<std::uint8_t> head(DpgHeaderSize);
    std::vector<TDpgEntry> entries;
    try {
        if (ec || std::fread(head.data(), 1, head.size(), file) != head.size())
            Damaged(path, "it is too short to hold a header");
        const std::uint64_t directoryEnd = DpgHeaderSize + std::uint64_t(ReadU32(head.data() + 1)) * DpgEntrySize;
        if (directoryEnd <= fileSize) {
            head.resize(std::size_t(directoryEnd));
            if (std::fread(head.data() + DpgHeaderSize, 1, head.size() - DpgHeaderSize, file) != head.size() - DpgHeaderSize)
                Damaged(path, "its directory cannot be read");
        }
        entries = ParseDpgDirectory(head, fileSize, path);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    Handle = file;
    ArchivePath = path;
    LogWrite("Extractor.FileList:");
    for (TDpgEntry &entry : entries) {
        LogWrite("  " + entry.StoredName);
        entry.Name = MatchKey(entry.StoredName);
    }
    Directory = std::move(entries);
}

void TExtractor::SetPath(const std::string &path)
{
    BasePath = UpperAscii(path);
    LogWrite("Extractor.SetPath " + path);
}

int TExtractor::FindFile(const std::string &fullPath)
{
    const std::string wanted = MatchKey(fullPath), base = MatchKey(BasePath);
    for (std::size_t i = 0; i < Directory.size(); ++i)
        if (wanted.size() == base.size() + Directory[i].Name.size() && wanted.compare(0, base.size(), base) == 0 &&
            wanted.compare(base.size(), std::string::npos, Directory[i].Name) == 0) {
            LogWrite("Extractor.FileFound " + fullPath);
            return int(i);
        }
    LogWrite("Extractor.FileNotFound " + fullPath);
    return -1;
}

std::uint32_t TExtractor::FileSize(int index) const
{
    if (index < 0 || index >= Count())
        throw std::runtime_error("File Index in DPG archive out of range");
    return Directory[std::size_t(index)].Size;
}

std::vector<std::uint8_t> TExtractor::ReadFile(int index)
{
    if (index < 0 || index >= Count())
        throw std::runtime_error("File Index in DPG archive out of range");
    const TDpgEntry &entry = Directory[std::size_t(index)];
    std::vector<std::uint8_t> data(entry.Size);
    // The archive may have changed on disk since its directory was read: a short read is an error,
    // never a block of stale or missing bytes.
    if (std::fseek(Handle, long(entry.Offset), SEEK_SET) != 0 ||
        std::fread(data.data(), 1, data.size(), Handle) != data.size())
        throw std::runtime_error("Cannot read \"" + entry.Name + "\" from the archive \"" + ArchivePath +
                                 "\": the file ends early");
    return data;
}

TSimpleFile::TSimpleFile(const std::string &fullPath, TExtractor *archive) : Path(fullPath)
{
    const int index = archive ? archive->FindFile(fullPath) : -1;
    const bool loose = FileExists(fullPath);
    if (index >= 0 && !loose) {
        Data = archive->ReadFile(index);
        return;
    }
    if (!loose) {
        const std::string message = "File not found: \"" + fullPath + "\"";
        LogWrite(message);
        throw std::runtime_error(message);
    }
    if (!ReadLooseFile(DiskPath(fullPath), Data))
        throw std::runtime_error("Cannot read the file \"" + fullPath + "\"");
}

void TSimpleFile::CheckNotAtEnd() const
{
    if (Eof())
        throw std::runtime_error("Riched End Of File");
}

std::string TrimText(const std::string &text)
{
    auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string TTextFile::ReadLine()
{
    CheckNotAtEnd();
    const auto begin = Data.begin() + std::ptrdiff_t(Pos);
    const auto end = std::find(begin, Data.end(), std::uint8_t(13));
    std::string line(begin, end);
    Pos = std::size_t(end - Data.begin());
    if (end != Data.end())
        Pos = std::min(Pos + 2, Data.size());   // the carriage return and the line feed after it
    return line;
}

std::string TTextFile::ReadTrimmedLine() { return TrimText(ReadLine()); }

std::string TTextFile::ReadNonEmptyLine()
{
    std::string line;
    while (line.empty() && !Eof())
        line = ReadTrimmedLine();
    return line;
}

std::string TTextFile::ReadValue()
{
    const std::string line = ReadNonEmptyLine();
    const std::size_t equals = line.find('=');
    const std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
    return TrimText(value.substr(0, 255));
}

std::int32_t TIntegerFile::ReadInt()
{
    CheckNotAtEnd();
    if (Data.size() - Pos < 4)
        throw std::runtime_error("Riched End Of File");
    const std::int32_t value = std::int32_t(ReadU32(Data.data() + Pos));
    Pos += 4;
    return value;
}

void TMemFile::ReadBytes(void *destination, std::size_t n)
{
    if (n == 0)
        return;
    CheckNotAtEnd();
    if (Data.size() - Pos < n)
        throw std::runtime_error("Riched End Of File");
    std::memcpy(destination, Data.data() + Pos, n);
    Pos += n;
}

std::size_t TArchiveStream::Read(void *destination, std::size_t n)
{
    if (Eof())
        return 0;
    n = std::min(n, Data.size() - Pos);
    std::memcpy(destination, Data.data() + Pos, n);
    Pos += n;
    return n;
}

std::int64_t TArchiveStream::Seek(std::int64_t offset, int origin)
{
    const std::int64_t size = std::int64_t(Data.size());
    std::int64_t position = origin == 0 ? offset : origin == 1 ? std::int64_t(Pos) + offset : size - offset;
    position = std::clamp<std::int64_t>(position, 0, size);
    Pos = std::size_t(position);
    return position;
}
