#pragma once
// Trimming for the generators' text readers. Inline, so that a generator that links no image
// library (the sound generator) can use it too.

#include <string>

// Without leading and trailing blanks, tabs and carriage returns.
inline std::string Trim(const std::string &text)
{
    const auto b = text.find_first_not_of(" \t\r");
    const auto e = text.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
}
