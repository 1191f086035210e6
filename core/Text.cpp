#include "core/Text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Unicode code points of the Windows-1251 bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
constexpr std::array<char16_t, 128> Cp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at Pos; a malformed byte decodes as U+FFFD and moves on by one.
char32_t NextCodePoint(std::string_view s, std::size_t &pos)
{
    const auto b = static_cast<unsigned char>(s[pos]);
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || pos + extra >= s.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const auto t = static_cast<unsigned char>(s[pos + i]);
        if ((t & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = (c << 6) | (t & 0x3F);
    }
    pos += extra + 1;
    return c;
}

} // namespace

std::string Utf8FromCp1251(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else
            AppendUtf8(out, Cp1251High[b - 0x80] ? Cp1251High[b - 0x80] : 0xFFFD);
    }
    return out;
}

std::u32string Utf8CodePoints(std::string_view text)
{
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size();)
        out += NextCodePoint(text, pos);
    return out;
}

std::string Cp1251FromUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = NextCodePoint(text, pos);
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < Cp1251High.size(); ++i)
            if (Cp1251High[i] == c) {
                byte = char(0x80 + i);
                break;
            }
        out += byte;
    }
    return out;
}

std::string FloatToText(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);   // 15 significant digits, rounded once
    const std::string scientific = buffer;
    const std::size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    std::string digits;
    for (char c : scientific.substr(0, e))
        if (c >= '0' && c <= '9')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const std::string sign = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        std::string text = sign + digits.substr(0, 1);
        if (digits.size() > 1)
            text += "," + digits.substr(1);
        return text + "E" + std::to_string(exponent);
    }
    if (exponent < 0)
        return sign + "0," + std::string(std::size_t(-exponent - 1), '0') + digits;
    const std::size_t whole = std::size_t(exponent) + 1;
    if (digits.size() <= whole)
        return sign + digits + std::string(whole - digits.size(), '0');
    return sign + digits.substr(0, whole) + "," + digits.substr(whole);
}

bool TextToFloat(std::string_view text, double &value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::string plain;   // the same number written the C way, for strtod
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    bool digits = false, comma = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            plain += c;
            digits = true;
        } else if (c == ',' && !comma) {
            plain += '.';
            comma = true;
        } else {
            break;
        }
    }
    if (!digits)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        bool expDigits = false;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            plain += text[i];
            expDigits = true;
        }
        if (!expDigits)
            return false;
    }
    if (i != text.size())
        return false;
    value = std::strtod(plain.c_str(), nullptr);   // only digits, sign, "." and "e": locale-proof
    return true;
}

bool TextToInt(std::string_view text, int &value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    long long result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
        if (result > 2147483648LL)
            return false;
    }
    result = negative ? -result : result;
    if (result > 2147483647LL)
        return false;
    value = int(result);
    return true;
}

std::string UpperCase(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return upper;
}

std::vector<std::string> SplitBlanks(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (i < text.size()) {
        while (i < text.size() && blank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !blank(text[i]))
            ++i;
        if (i > start)
            words.emplace_back(text.substr(start, i - start));
    }
    return words;
}
