#include "assets/ByteCursor.h"

#include <cstring>
#include <stdexcept>

TByteCursor::TByteCursor(const std::vector<std::uint8_t> &data, std::string prefix)
    : Data(data), Prefix(std::move(prefix))
{
}

void TByteCursor::Fail(const std::string &what) const { throw std::runtime_error(Prefix + what); }

void TByteCursor::Need(std::uint64_t n, const std::string &field) const
{
    if (n > Left())
        Fail("the file ends inside " + field);
}

void TByteCursor::Bytes(void *destination, std::size_t n, const std::string &field)
{
    Need(n, field);
    if (n)
        std::memcpy(destination, Data.data() + Pos, n);
    Pos += n;
}

std::int32_t TByteCursor::Int(const std::string &field)
{
    Need(4, field);
    const std::uint8_t *p = Data.data() + Pos;
    Pos += 4;
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[3]) << 24);
}

float TByteCursor::Float(const std::string &field)
{
    const std::uint32_t bits = std::uint32_t(Int(field));
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::string TByteCursor::ZString(const std::string &field)
{
    const auto *begin = Data.data() + Pos;
    const auto *zero = static_cast<const std::uint8_t *>(std::memchr(begin, 0, Left()));
    if (!zero)
        Fail(field + " has no terminating zero");
    std::string text(reinterpret_cast<const char *>(begin), std::size_t(zero - begin));
    Pos += text.size() + 1;
    return text;
}
