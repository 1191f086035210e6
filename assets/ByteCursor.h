#pragma once
// A bounded read cursor over the bytes of one binary file. Every read names the field it is for, so
// a file that ends early is refused with a message that says where, never read past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TByteCursor {
public:
    // Faults are reported as Prefix + what is wrong, e.g. "Model "X.otm" is damaged: ".
    TByteCursor(const std::vector<std::uint8_t> &data, std::string prefix);

    std::int32_t Int(const std::string &field);      // 4 bytes, little-endian
    float        Float(const std::string &field);    // 4 bytes, IEEE little-endian
    // Bytes up to and including a zero byte; the zero is not part of the result.
    std::string  ZString(const std::string &field);
    // Copies N bytes into Destination.
    void         Bytes(void *destination, std::size_t n, const std::string &field);
    // Throws unless N more bytes are left. Counts come from the file, so N is 64-bit: a huge count
    // times a record size must not wrap round.
    void         Need(std::uint64_t n, const std::string &field) const;

    std::size_t Left() const { return Data.size() - Pos; }

    // Throws Prefix + What.
    [[noreturn]] void Fail(const std::string &what) const;

    const std::vector<std::uint8_t> &Data;
    std::size_t                      Pos = 0;
    const std::string                Prefix;
};
