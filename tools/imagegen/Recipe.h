#pragma once
// The line format of the image recipes under content/: "key value" lines, "#" to the end of a line
// is a comment, blank lines are skipped.

#include "tools/imagegen/Trim.h"

#include <string>
#include <vector>

struct TRecipeLine {
    std::string Key;
    std::string Value;   // the rest of the line, trimmed
    std::string Where;   // "path:line", for messages
};

// Throws std::runtime_error when the file cannot be opened.
std::vector<TRecipeLine> ReadRecipeLines(const std::string &path);
