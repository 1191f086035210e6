#pragma once
// Game text is Windows-1251 bytes; the screen, the terminal and the sources speak UTF-8.

#include <string>
#include <string_view>

// Every byte becomes its character; the one unassigned byte becomes U+FFFD.
std::string Utf8FromCp1251(std::string_view text);
// Characters without a Windows-1251 byte, and malformed UTF-8, become "?".
std::string Cp1251FromUtf8(std::string_view text);
