#pragma once
// Reading the hand-written audio sources: line-based text where words are separated by blanks and
// a "#" at the start of a word starts a comment (inside a word it is a sharp, as in "f#4"). Every error names the file and the line, so a modder can find it.

#include "tools/audiogen/Dsp.h"

#include <string>
#include <vector>

struct TRecipeLine {
    int                      Number = 0;
    std::vector<std::string> Words;
    std::string              Rest;   // the line after its first word, trimmed (for free text)
};

class TRecipeReader {
public:
    // Reads and splits the whole file; throws "Cannot open ..." when it cannot be read.
    explicit TRecipeReader(const std::string &path);

    const std::string              &Path() const { return FilePath; }
    const std::vector<TRecipeLine> &Lines() const { return AllLines; }

    // Throws "<path>:<line>: <message>".
    [[noreturn]] void Fail(const TRecipeLine &line, const std::string &message) const;
    // Checks that the line has between Least and Most words after its key.
    void   ExpectArgs(const TRecipeLine &line, std::size_t least, std::size_t most) const;
    double Number(const TRecipeLine &line, std::size_t index) const;
    int    Integer(const TRecipeLine &line, std::size_t index) const;
    // Words from Index on as breakpoints "time:value"; a single plain number is a constant.
    dsp::TEnvelope Envelope(const TRecipeLine &line, std::size_t index, bool geometric) const;
    // Parses a decimal number; false when Text is not one from end to end.
    static bool ParseDouble(const std::string &text, double &value);

private:
    std::string              FilePath;
    std::vector<TRecipeLine> AllLines;
};
