#include "data/Extractor.h"

#include "core/Bytes.h"
#include "core/Files.h"
#include "core/Log.h"
#include "core/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

TExtractor *Extractor = nullptr;

TExtractor *OpenGameArchive(const std::string &appDir)
{
    Extractor = new TExtractor();
    if (FileExists(appDir + "Data.dpg"))
        Extractor->LoadFromFile(appDir + "Data.dpg");
    Extractor->SetPath(appDir);
    return Extractor;
}

bool DataFileExists(const std::string &path) { return (Extractor && Extractor->FindFile(path) >= 0) || FileExists(path); }

namespace {

// Upper-cased with "\" for "/", so that a path written either way finds its entry.
std::string MatchKey(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '\\');
    return UpperCase(text);
}

std::string DamagedPrefix(const std::string &archive) { return "Archive \"" + archive + "\" is damaged: "; }

[[noreturn]] void Damaged(const std::string &archive, const std::string &what)
{
    throw std::runtime_error(DamagedPrefix(archive) + what);
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
    TByteReader header(head, DamagedPrefix(archiveName));
    header.Byte("the leading byte");
    const std::uint32_t count = header.UInt("the entry count");
    const std::uint64_t directoryEnd = DpgHeaderSize + std::uint64_t(count) * DpgEntrySize;
    if (directoryEnd > fileSize || directoryEnd > head.size())
        header.Fail("its directory of " + std::to_string(count) + " entries runs past the end of the file");
    std::vector<TDpgEntry> entries(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        TDpgEntry &entry = entries[i];
        const std::uint8_t *raw = head.data() + header.Position();
        header.Skip(DpgEntrySize, "entry " + number);
        // Each entry on its own reader: no field can spill into the next entry.
        TByteReader field(raw, DpgEntrySize, DamagedPrefix(archiveName));
        if (!std::memchr(raw, 0, DpgNameSize))
            field.Fail("the name of entry " + number + " has no terminating zero");
        entry.StoredName = field.ZString("the name of entry " + number);
        entry.Name = entry.StoredName;
        field.Skip(DpgNameSize - entry.StoredName.size() - 1, "the name of entry " + number);
        entry.Reserved = field.UInt("the reserved field of entry " + number);
        entry.Offset = field.UInt("the data offset of entry " + number);
        entry.Size = field.UInt("the data size of entry " + number);
        const std::uint64_t end = std::uint64_t(entry.Offset) + entry.Size;
        if (end > 0xFFFFFFFFull)
            field.Fail("entry \"" + entry.Name + "\" has a data offset (" + std::to_string(entry.Offset) + ") and size (" +
                       std::to_string(entry.Size) + ") that wrap past 4 GiB");
        if (end > fileSize)
            field.Fail("entry \"" + entry.Name + "\" reaches past the end of the file");
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
        const std::uint64_t directoryEnd = DpgHeaderSize + std::uint64_t(LoadU32(head.data() + 1)) * DpgEntrySize;
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
    BasePath = UpperCase(path);
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

bool ReplaceFileSafely(const std::string &diskPath, const std::string &bytes)
{
    const std::string temp = diskPath + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    // On the disk before it replaces the old file: a crash from here on leaves one whole file or the other.
    const bool written = done == bytes.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(temp.c_str(), diskPath.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with its folder; a failure here loses nothing already saved.
    const std::string folder = std::filesystem::path(diskPath).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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
    const auto end = std::find_if(begin, Data.end(), [](std::uint8_t c) { return c == 13 || c == 10; });
    std::string line(begin, end);
    Pos = std::size_t(end - Data.begin());
    if (end != Data.end()) {
        // CR LF is one line end; a lone CR or a lone LF is one too.
        const bool pair = *end == 13 && Pos + 1 < Data.size() && Data[Pos + 1] == 10;
        Pos += pair ? 2 : 1;
    }
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
    const std::int32_t value = std::int32_t(LoadU32(Data.data() + Pos));
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
