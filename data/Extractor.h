#pragma once
// The data archive "Data.dpg" and the file objects every loader reads through. A file object loads a
// whole file into memory when it is made: from the archive, or from the disk when the archive lacks
// the file or a loose file of the same path overrides it.
//
// Archive layout (little-endian):
//   offset 0    1 byte      not interpreted
//   offset 1    u32         count of entries
//   offset 5    268 x count directory entries:
//                 0   256 bytes  name relative to the game folder ("Data\Menu\Logo.png"), zero-terminated
//                 256 u32        not interpreted
//                 260 u32        absolute offset of the data
//                 264 u32        size of the data
//   then        the file data, stored as plain bytes
// An entry's data must end inside the file, and offset + size must not pass 4 GiB.

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

constexpr std::size_t DpgHeaderSize = 5;
constexpr std::size_t DpgEntrySize = 268;
constexpr std::size_t DpgNameSize = 256;

struct TDpgEntry {
    std::string   Name;           // upper-cased (ASCII letters only), "/" read as "\", once the archive is open
    std::string   StoredName;     // as stored in the archive
    std::uint32_t Reserved = 0;
    std::uint32_t Offset = 0;     // from the start of the archive
    std::uint32_t Size = 0;
};

// Parses and checks an archive's directory from its first bytes. FileSize is the archive's whole
// size: every entry must lie inside it. Names are returned as stored. Throws std::runtime_error
// naming ArchiveName and the fault for a directory that cannot be trusted.
std::vector<TDpgEntry> ParseDpgDirectory(const std::vector<std::uint8_t> &head, std::uint64_t fileSize,
                                         const std::string &archiveName);

class TExtractor {
public:
    TExtractor() = default;
    ~TExtractor();
    TExtractor(const TExtractor &) = delete;
    TExtractor &operator=(const TExtractor &) = delete;

    // Opens the archive (closing one already open) and reads its directory. A damaged archive is
    // refused with an exception and leaves no archive open.
    void LoadFromFile(const std::string &path);
    // The upper-cased prefix put in front of every entry name when matching.
    void SetPath(const std::string &path);
    // The first entry whose name, after the base path, equals FullPath ignoring letter case (and
    // taking "/" for "\"); -1 if none.
    int FindFile(const std::string &fullPath);
    // The entry's bytes. Throws "File Index in DPG archive out of range" for a bad index.
    std::vector<std::uint8_t> ReadFile(int index);
    std::uint32_t FileSize(int index) const;
    int Count() const { return int(Directory.size()); }

    std::string            BasePath;
    std::vector<TDpgEntry> Directory;
    std::string            ArchivePath;

private:
    void Close();
    std::FILE *Handle = nullptr;
};

// The archive of the run, created at start-up; never null after that.
extern TExtractor *Extractor;

// Makes the archive of the run for the game folder AppDir (with its trailing "/"): "Data.dpg" there
// when it exists, matched against names below AppDir. Sets Extractor and returns it; a damaged
// archive throws.
TExtractor *OpenGameArchive(const std::string &appDir);

// True when the game path (AppDir + "Data\...") names a data file: an entry of the archive of the
// run, or a loose file on disk.
bool DataFileExists(const std::string &path);

// The whole bytes of one data file. Reading past the end throws "Riched End Of File".
class TSimpleFile {
public:
    // Opens FullPath from Archive (may be null) or the disk. Throws "File not found: "FullPath"".
    TSimpleFile(const std::string &fullPath, TExtractor *archive);
    virtual ~TSimpleFile() = default;

    bool Eof() const { return Pos >= Data.size(); }
    std::size_t Size() const { return Data.size(); }

    std::string               Path;
    std::vector<std::uint8_t> Data;
    std::size_t               Pos = 0;   // the cursor: next byte to read

protected:
    void CheckNotAtEnd() const;
};

class TTextFile : public TSimpleFile {
public:
    using TSimpleFile::TSimpleFile;
    // Bytes up to the next line end: CR LF, a lone LF or a lone CR (files edited anywhere read the
    // same). The line end is skipped; a last line without one is returned whole.
    std::string ReadLine();
    // ReadLine without leading and trailing blanks and control characters.
    std::string ReadTrimmedLine();
    // The next trimmed line that is not empty; empty only at the end of the file.
    std::string ReadNonEmptyLine();
    // The next non-empty line's text after its first "=" (the whole line if it has none), at most
    // 255 characters, trimmed.
    std::string ReadValue();
};

class TIntegerFile : public TSimpleFile {
public:
    using TSimpleFile::TSimpleFile;
    std::int32_t ReadInt();   // the next 4 bytes, little-endian
};

class TMemFile : public TSimpleFile {
public:
    using TSimpleFile::TSimpleFile;
    // Copies the next N bytes. Throws "Riched End Of File" at the end, and also when fewer than N
    // bytes are left, rather than reading past the buffer.
    void ReadBytes(void *destination, std::size_t n);
};

// A byte stream over a data file, for libraries that read through callbacks.
class TArchiveStream : public TSimpleFile {
public:
    using TSimpleFile::TSimpleFile;
    // Copies up to N bytes; returns how many (0 at the end).
    std::size_t Read(void *destination, std::size_t n);
    // Origin 0: from the start; 1: from the cursor; 2: Size - Offset. The position is kept within
    // 0..Size. Returns the new position.
    std::int64_t Seek(std::int64_t offset, int origin);
};

// Replaces the file at DiskPath with Bytes: they are written to DiskPath + ".tmp", flushed to the
// disk and renamed over the old file, so a kill or a full disk mid-save leaves one whole file or
// the other, never half of one. False on failure, with the old file kept and no temporary left.
bool ReplaceFileSafely(const std::string &diskPath, const std::string &bytes);

// Trims leading and trailing blanks and control characters (bytes up to 32).
std::string TrimText(const std::string &text);
