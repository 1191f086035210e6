#include "tools/audiogen/Recipe.h"

#include "tools/imagegen/Trim.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// A "#" starts a comment at the start of a line or after a blank; inside a word it is a sharp.
std::size_t CommentStart(const std::string &text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '#' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t'))
            return i;
    return std::string::npos;
}

} // namespace

TRecipeReader::TRecipeReader(const std::string &path) : FilePath(path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("Cannot open \"" + path + "\"");
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        text = Trim(text.substr(0, CommentStart(text)));
        if (text.empty())
            continue;
        TRecipeLine line;
        line.Number = number;
        std::istringstream words(text);
        for (std::string word; words >> word;)
            line.Words.push_back(word);
        const auto gap = text.find_first_of(" \t");
        line.Rest = gap == std::string::npos ? std::string() : Trim(text.substr(gap));
        AllLines.push_back(std::move(line));
    }
}

void TRecipeReader::Fail(const TRecipeLine &line, const std::string &message) const
{
    throw std::runtime_error(FilePath + ":" + std::to_string(line.Number) + ": " + message);
}

void TRecipeReader::ExpectArgs(const TRecipeLine &line, std::size_t least, std::size_t most) const
{
    const std::size_t args = line.Words.size() - 1;
    if (args < least || args > most) {
        const std::string wanted = least == most ? std::to_string(least)
                                                 : std::to_string(least) + " to " + std::to_string(most);
        Fail(line, "\"" + line.Words[0] + "\" takes " + wanted + " values, not " + std::to_string(args));
    }
}

bool TRecipeReader::ParseDouble(const std::string &text, double &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

double TRecipeReader::Number(const TRecipeLine &line, std::size_t index) const
{
    if (index >= line.Words.size())
        Fail(line, "\"" + line.Words[0] + "\" needs a value here");
    double value = 0;
    if (!ParseDouble(line.Words[index], value))
        Fail(line, "\"" + line.Words[index] + "\" is not a number");
    return value;
}

int TRecipeReader::Integer(const TRecipeLine &line, std::size_t index) const
{
    const double value = Number(line, index);
    if (value != std::floor(value) || std::fabs(value) > 1e9)
        Fail(line, "\"" + line.Words[index] + "\" is not a whole number");
    return int(value);
}

dsp::TEnvelope TRecipeReader::Envelope(const TRecipeLine &line, std::size_t index, bool geometric) const
{
    if (index >= line.Words.size())
        Fail(line, "\"" + line.Words[0] + "\" needs at least one value");
    dsp::TEnvelope envelope;
    envelope.Geometric = geometric;
    if (line.Words.size() == index + 1 && line.Words[index].find(':') == std::string::npos) {
        envelope.Points.push_back({0.0, Number(line, index)});
        return envelope;
    }
    for (std::size_t i = index; i < line.Words.size(); ++i) {
        const std::string &word = line.Words[i];
        const auto colon = word.find(':');
        double t = 0, v = 0;
        if (colon == std::string::npos || !ParseDouble(word.substr(0, colon), t) || !ParseDouble(word.substr(colon + 1), v))
            Fail(line, "\"" + word + "\" is not a breakpoint time:value");
        if (t < 0 || (!envelope.Points.empty() && t < envelope.Points.back().first))
            Fail(line, "breakpoint times must not go backwards (\"" + word + "\")");
        envelope.Points.push_back({t, v});
    }
    return envelope;
}
