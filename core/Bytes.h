#pragma once
// The one bounded reader and matching writer of little-endian binary data: the archive directory, the
// tokenizer table, models, effects and network messages all go through these.
//
// The reader never reads past its end. Two ways to meet a short or damaged input:
// - with a prefix, a read that does not fit throws Prefix + "the file ends inside " + field, so a
//   loader says which file and which field is damaged;
// - without one (a message reader), a read that does not fit returns zero, and the sticky Overflow
//   flag says afterwards that the message was short: no read after the first failure succeeds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The 32-bit little-endian value stored at P (four readable bytes).
std::uint32_t LoadU32(const std::uint8_t *p);
// Stores V at P as four little-endian bytes.
void StoreU32(std::uint8_t *p, std::uint32_t v);

class TByteReader {
public:
    // A reader that throws on a fault, each message starting with Prefix (e.g. "Model "X.otm" is
    // damaged: "). An empty prefix still throws, with the bare message.
    TByteReader(const std::uint8_t *data, std::size_t size, std::string prefix);
    TByteReader(const std::vector<std::uint8_t> &data, std::string prefix)
        : TByteReader(data.data(), data.size(), std::move(prefix)) {}
    // A reader that never throws: a read that does not fit sets Overflow and gives zero.
    TByteReader(const std::uint8_t *data, std::size_t size);
    explicit TByteReader(const std::vector<std::uint8_t> &data) : TByteReader(data.data(), data.size()) {}

    std::int32_t  Int(std::string_view field = {});    // 4 bytes, little-endian
    std::uint32_t UInt(std::string_view field = {});   // 4 bytes, little-endian
    std::int16_t  Short(std::string_view field = {});  // 2 bytes, little-endian
    std::uint8_t  Byte(std::string_view field = {});
    float         Float(std::string_view field = {});  // 4 bytes, IEEE little-endian
    // Bytes up to and including a zero byte; the zero is not part of the result.
    std::string   ZString(std::string_view field = {});
    // An int32 length and that many bytes. A length below 0 or beyond the data is a fault.
    std::string   String(std::string_view field = {});
    // Copies N bytes into Destination (zeros on a fault in the non-throwing mode).
    void          Bytes(void *destination, std::size_t n, std::string_view field = {});
    void          Skip(std::size_t n, std::string_view field = {});
    // True when N more bytes are left; otherwise a fault. Counts come from files, so N is 64-bit:
    // a huge count times a record size must not wrap round.
    bool          Need(std::uint64_t n, std::string_view field = {});

    std::size_t Left() const { return Size - Pos; }
    std::size_t Position() const { return Pos; }
    bool        AtEnd() const { return Pos == Size; }
    bool        Overflow() const { return Overflowed; }
    const std::uint8_t *Data() const { return Begin; }

    // Throws Prefix + What (in either mode: a loader's own check of a value it read).
    [[noreturn]] void Fail(const std::string &what) const;

private:
    const std::uint8_t *Begin;
    std::size_t         Size;
    std::size_t         Pos = 0;
    std::string         Prefix;
    bool                Throws;
    bool                Overflowed = false;
};

class TByteWriter {
public:
    void Int(std::int32_t v) { UInt(std::uint32_t(v)); }
    void UInt(std::uint32_t v);
    void Short(std::int16_t v);
    void Byte(std::uint8_t v) { Out.push_back(v); }
    void Float(float v);
    void ZString(std::string_view text);   // the bytes and a zero
    void String(std::string_view text);    // an int32 length and the bytes
    void Bytes(const void *data, std::size_t n);
    // Overwrites four bytes at Offset (a count or size filled in afterwards).
    void PatchUInt(std::size_t offset, std::uint32_t v);

    std::size_t Size() const { return Out.size(); }
    std::vector<std::uint8_t> Out;
};
