#include "core/Bytes.h"

#include <cstring>
#include <stdexcept>

std::uint32_t LoadU32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void StoreU32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

TByteReader::TByteReader(const std::uint8_t *data, std::size_t size, std::string prefix)
    : Begin(data), Size(data ? size : 0), Prefix(std::move(prefix)), Throws(true)
{
}

TByteReader::TByteReader(const std::uint8_t *data, std::size_t size)
    : Begin(data), Size(data ? size : 0), Throws(false)
{
}

void TByteReader::Fail(const std::string &what) const { throw std::runtime_error(Prefix + what); }

bool TByteReader::Need(std::uint64_t n, std::string_view field)
{
    if (!Overflowed && n <= Left())
        return true;
    if (Throws)
        Fail("the file ends inside " + std::string(field));
    Overflowed = true;
    Pos = Size;   // sticky: nothing after the first short read succeeds
    return false;
}

void TByteReader::Bytes(void *destination, std::size_t n, std::string_view field)
{
    if (!Need(n, field)) {
        if (n)
            std::memset(destination, 0, n);
        return;
    }
    if (n)
        std::memcpy(destination, Begin + Pos, n);
    Pos += n;
}

void TByteReader::Skip(std::size_t n, std::string_view field)
{
    if (Need(n, field))
        Pos += n;
}

std::uint32_t TByteReader::UInt(std::string_view field)
{
    if (!Need(4, field))
        return 0;
    const std::uint32_t v = LoadU32(Begin + Pos);
    Pos += 4;
    return v;
}

std::int32_t TByteReader::Int(std::string_view field) { return std::int32_t(UInt(field)); }

std::int16_t TByteReader::Short(std::string_view field)
{
    if (!Need(2, field))
        return 0;
    const auto v = std::uint16_t(Begin[Pos] | Begin[Pos + 1] << 8);
    Pos += 2;
    return std::int16_t(v);
}

std::uint8_t TByteReader::Byte(std::string_view field)
{
    if (!Need(1, field))
        return 0;
    return Begin[Pos++];
}

float TByteReader::Float(std::string_view field)
{
    const std::uint32_t bits = UInt(field);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::string TByteReader::ZString(std::string_view field)
{
    if (Overflowed)
        return {};
    const auto *begin = Begin + Pos;
    const auto *zero = Left() ? static_cast<const std::uint8_t *>(std::memchr(begin, 0, Left())) : nullptr;
    if (!zero) {
        if (Throws)
            Fail(std::string(field) + " has no terminating zero");
        Overflowed = true;
        Pos = Size;
        return {};
    }
    std::string text(reinterpret_cast<const char *>(begin), std::size_t(zero - begin));
    Pos += text.size() + 1;
    return text;
}

std::string TByteReader::String(std::string_view field)
{
    const std::int32_t length = Int(std::string(field) + " length");
    if (Overflowed)
        return {};
    if (length < 0) {
        if (Throws)
            Fail(std::string(field) + " has a negative length");
        Overflowed = true;
        Pos = Size;
        return {};
    }
    if (!Need(std::uint64_t(length), field))
        return {};
    std::string text(reinterpret_cast<const char *>(Begin + Pos), std::size_t(length));
    Pos += std::size_t(length);
    return text;
}

void TByteWriter::UInt(std::uint32_t v)
{
    const std::size_t at = Out.size();
    Out.resize(at + 4);
    StoreU32(Out.data() + at, v);
}

void TByteWriter::Short(std::int16_t v)
{
    Out.push_back(std::uint8_t(std::uint16_t(v)));
    Out.push_back(std::uint8_t(std::uint16_t(v) >> 8));
}

void TByteWriter::Float(float v)
{
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    UInt(bits);
}

void TByteWriter::ZString(std::string_view text)
{
    Bytes(text.data(), text.size());
    Out.push_back(0);
}

void TByteWriter::String(std::string_view text)
{
    Int(std::int32_t(text.size()));
    Bytes(text.data(), text.size());
}

void TByteWriter::Bytes(const void *data, std::size_t n)
{
    const auto *p = static_cast<const std::uint8_t *>(data);
    Out.insert(Out.end(), p, p + n);
}

void TByteWriter::PatchUInt(std::size_t offset, std::uint32_t v)
{
    if (offset + 4 <= Out.size())
        StoreU32(Out.data() + offset, v);
}
