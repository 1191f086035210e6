#pragma once
// Game text is Windows-1251 bytes; the screen, the terminal and the sources speak UTF-8.

#include <string>
#include <string_view>
#include <vector>

// Every byte becomes its character; the one unassigned byte becomes U+FFFD.
std::string Utf8FromCp1251(std::string_view text);
// Characters without a Windows-1251 byte, and malformed UTF-8, become "?".
std::string Cp1251FromUtf8(std::string_view text);
// The characters of UTF-8 text; a malformed byte becomes U+FFFD.
std::u32string Utf8CodePoints(std::string_view text);

// Numbers in the game's text files use the comma as decimal separator, whatever the C locale says.

// General format with up to 15 significant digits: no trailing zeros or separator, and the exponent
// form ("1,5E-6", "1E20") only below 0,00001 or from 1E15 on. So 0.5 is "0,5".
std::string FloatToText(double value);
// Parses optional blanks, a sign, digits with at most one comma, and an optional exponent
// ("E-6"); false for anything else, including a point as separator.
bool TextToFloat(std::string_view text, double &value);
// Parses optional leading blanks, a sign and decimal digits that fit 32 bits; false otherwise.
bool TextToInt(std::string_view text, int &value);

// ASCII letters in upper case; every other byte (Windows-1251 letters included) as it is.
std::string UpperCase(std::string_view text);
// The words of Text: runs of bytes other than blanks, tabs and line ends.
std::vector<std::string> SplitBlanks(std::string_view text);
