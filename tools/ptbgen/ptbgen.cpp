// ptbgen: builds a tokenizer table (".ptb") from a readable lexer description, and shows the tokens
// that a table cuts from a file.
//
//   ptbgen DESCRIPTION OUT.ptb      build the table
//   ptbgen --tokens TABLE.ptb INPUT print the tokens of INPUT, one per line
//
// A description is a list of states, the first being where tokenizing starts:
//
//   state NAME
//       BYTES... : ACTION -> NEXT
//
// BYTES are 'c' (one character), 'a'-'z' (a range), 0x41 or 0x00-0x20 (byte values), the names space,
// tab, cr and lf, and "other" for every byte that no other rule of the state names. Each byte gets
// exactly one rule in each state. ACTION is what happens to the byte: skip (dropped), clear (the token
// so far is dropped too), append (added to the token), emit (the token so far is complete; the byte is
// swallowed and the next token starts empty) or emit-keep (complete, and its text starts the next
// token as well). "#" starts a comment.

#include "core/Bytes.h"
#include "data/Extractor.h"
#include "script/Parser.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TRule {
    std::vector<std::string> Bytes;
    TParserAction            Action;
    std::string              Next;
    std::string              Where;
};

struct TStateSource {
    std::string        Name;
    std::string        Where;
    std::vector<TRule> Rules;
};

[[noreturn]] void Fail(const std::string &where, const std::string &message)
{
    throw std::runtime_error(where + ": " + message);
}

TParserAction ActionNamed(const std::string &name, const std::string &where)
{
    static const std::map<std::string, TParserAction> actions = {
        {"skip", TParserAction::Skip},     {"clear", TParserAction::Clear},
        {"append", TParserAction::Append}, {"emit", TParserAction::Emit},
        {"emit-keep", TParserAction::EmitKeep},
    };
    const auto found = actions.find(name);
    if (found == actions.end())
        Fail(where, "unknown action \"" + name + "\"; use skip, clear, append, emit or emit-keep");
    return found->second;
}

// One byte written as 'c' or 0xNN; -1 if the text is neither.
int ByteValue(const std::string &text)
{
    if (text.size() == 3 && text[0] == '\'' && text[2] == '\'')
        return static_cast<unsigned char>(text[1]);
    if (text.size() == 4 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::size_t used = 0;
        try {
            const int value = std::stoi(text.substr(2), &used, 16);
            return used == 2 ? value : -1;
        } catch (const std::exception &) {
            return -1;
        }
    }
    return -1;
}

// The bytes one item names: a byte, a range or a name.
std::vector<int> BytesOf(const std::string &item, const std::string &where)
{
    static const std::map<std::string, int> names = {{"space", 32}, {"tab", 9}, {"cr", 13}, {"lf", 10}};
    if (const auto named = names.find(item); named != names.end())
        return {named->second};
    if (const int single = ByteValue(item); single >= 0)
        return {single};
    // In 'a'-'z' the dash follows the first literal, which may itself be '-'.
    const std::size_t dash = item[0] == '\'' ? 3 : item.find('-');
    if (dash != std::string::npos && dash < item.size() && item[dash] == '-') {
        const int first = ByteValue(item.substr(0, dash)), last = ByteValue(item.substr(dash + 1));
        if (first >= 0 && last >= first) {
            std::vector<int> bytes;
            for (int b = first; b <= last; ++b)
                bytes.push_back(b);
            return bytes;
        }
    }
    Fail(where, "\"" + item + "\" names no bytes; write 'c', 'a'-'z', 0x41, 0x00-0x20, space, tab, cr, lf or other");
}

std::vector<TStateSource> ReadDescription(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open \"" + path + "\"");
    std::vector<TStateSource> states;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number);
        std::istringstream words(line);
        std::vector<std::string> items;
        for (std::string word; words >> word && word[0] != '#';)
            items.push_back(word);
        if (items.empty())
            continue;
        if (items[0] == "state") {
            if (items.size() != 2)
                Fail(where, "write \"state NAME\"");
            for (const TStateSource &s : states)
                if (s.Name == items[1])
                    Fail(where, "state \"" + items[1] + "\" is already described at " + s.Where);
            states.push_back({items[1], where, {}});
            continue;
        }
        if (states.empty())
            Fail(where, "a rule before the first \"state\"");
        const std::size_t n = items.size();
        if (n < 5 || items[n - 4] != ":" || items[n - 2] != "->")
            Fail(where, "write a rule as \"BYTES... : ACTION -> NEXT\"");
        TRule rule{{items.begin(), items.end() - 4}, ActionNamed(items[n - 3], where), items[n - 1], where};
        states.back().Rules.push_back(std::move(rule));
    }
    if (states.empty())
        throw std::runtime_error(path + ": describes no state");
    return states;
}

std::vector<TParserState> BuildTable(const std::vector<TStateSource> &states)
{
    std::map<std::string, int> numbers;
    for (std::size_t i = 0; i < states.size(); ++i)
        numbers[states[i].Name] = int(i);
    std::vector<TParserState> table(states.size());
    for (std::size_t s = 0; s < states.size(); ++s) {
        std::array<std::string, 256> ruleOf;   // where each byte got its rule
        const TRule *other = nullptr;
        for (const TRule &rule : states[s].Rules) {
            const auto next = numbers.find(rule.Next);
            if (next == numbers.end())
                Fail(rule.Where, "no state is named \"" + rule.Next + "\"");
            for (const std::string &item : rule.Bytes) {
                if (item == "other") {
                    if (other)
                        Fail(rule.Where, "\"other\" already has its rule at " + other->Where);
                    other = &rule;
                    continue;
                }
                for (int b : BytesOf(item, rule.Where)) {
                    if (!ruleOf[std::size_t(b)].empty())
                        Fail(rule.Where, "byte " + std::to_string(b) + " already has its rule at " + ruleOf[std::size_t(b)]);
                    ruleOf[std::size_t(b)] = rule.Where;
                    table[s][std::size_t(b)] = {next->second, std::int32_t(rule.Action)};
                }
            }
        }
        for (int b = 0; b < 256; ++b) {
            if (!ruleOf[std::size_t(b)].empty())
                continue;
            if (!other)
                Fail(states[s].Where, "state \"" + states[s].Name + "\" has no rule for byte " + std::to_string(b) +
                                          "; give it one, or an \"other\" rule");
            table[s][std::size_t(b)] = {numbers.at(other->Next), std::int32_t(other->Action)};
        }
    }
    return table;
}

void WriteTable(const std::vector<TParserState> &table, const std::string &path)
{
    TByteWriter bytes;
    bytes.Int(std::int32_t(table.size()));
    for (const TParserState &state : table)
        for (const TParserTransition &t : state) {
            bytes.Int(t.Next);
            bytes.Int(t.Action);
        }
    std::ofstream out(path, std::ios::binary);
    if (!out.write(reinterpret_cast<const char *>(bytes.Out.data()), std::streamsize(bytes.Size())) || !out.flush())
        throw std::runtime_error("Cannot write \"" + path + "\"");
}

// Prints the tokens as the script compiler sees them: it skips empty tokens inside the file, and
// the file ends at the first empty token once every byte has been read.
void PrintTokens(const std::string &tablePath, const std::string &inputPath)
{
    TTextParser parser(tablePath);
    TArchiveStream input(inputPath, nullptr);
    for (;;) {
        const std::string token = parser.GetToken(input);
        if (token.empty()) {
            if (input.Pos >= input.Size())
                break;
            continue;
        }
        std::fwrite(token.data(), 1, token.size(), stdout);
        std::fputc('\n', stdout);
    }
}

void Usage(std::FILE *to)
{
    std::fputs("usage: ptbgen DESCRIPTION OUT.ptb       build a tokenizer table from a lexer description\n"
               "       ptbgen --tokens TABLE.ptb INPUT  print the tokens of INPUT, one per line, as the\n"
               "                                        script compiler receives them\n",
               to);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            Usage(stdout);
            return 0;
        }
        if (args.size() == 3 && args[0] == "--tokens") {
            PrintTokens(args[1], args[2]);
            return 0;
        }
        if (args.size() == 2 && args[0][0] != '-') {
            WriteTable(BuildTable(ReadDescription(args[0])), args[1]);
            return 0;
        }
        Usage(stderr);
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ptbgen: %s\n", e.what());
        return 1;
    }
}
