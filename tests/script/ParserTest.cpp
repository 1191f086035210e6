// The table-driven tokenizer: actions, the token that comes one call late, the log, hostile tables,
// and the game's own table.

#include "ScriptTestUtil.h"

#include "core/Log.h"
#include "data/Extractor.h"
#include "script/Parser.h"

#include <gtest/gtest.h>

#include <functional>

using namespace scripttest;

namespace {

void PutWord(std::vector<std::uint8_t> &bytes, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(std::uint8_t(std::uint32_t(value) >> (8 * i)));
}

// A table file of Count states whose transitions Rule gives.
std::vector<std::uint8_t> TableBytes(int count, const std::function<TParserTransition(int state, int byte)> &rule)
{
    std::vector<std::uint8_t> bytes;
    PutWord(bytes, count);
    for (int s = 0; s < count; ++s)
        for (int b = 0; b < 256; ++b) {
            const TParserTransition t = rule(s, b);
            PutWord(bytes, t.Next);
            PutWord(bytes, t.Action);
        }
    return bytes;
}

// One state: every byte appended, except the bytes Special gives an action of its own.
std::vector<std::uint8_t> OneStateTable(std::vector<std::pair<char, int>> special)
{
    return TableBytes(1, [&](int, int byte) {
        for (const auto &[c, action] : special)
            if (byte == static_cast<unsigned char>(c))
                return TParserTransition{0, action};
        return TParserTransition{0, 2};
    });
}

// The tokens of successive calls, Calls of them.
std::vector<std::string> Tokens(TTextParser &parser, const TScriptDir &dir, const std::string &input, int calls)
{
    TArchiveStream stream(dir.Write("input.txt", input), nullptr);
    std::vector<std::string> tokens;
    for (int i = 0; i < calls; ++i)
        tokens.push_back(parser.GetToken(stream));
    return tokens;
}

std::string Refusal(const std::vector<std::uint8_t> &bytes)
{
    try {
        TTextParser parser(bytes, "Bad.ptb");
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "accepted";
}

} // namespace

TEST(TextParser, ActionsCutTheStreamAsTheTableSays)
{
    struct Case {
        const char                       *what;
        std::vector<std::pair<char, int>> special;
        std::string                       input;
        std::vector<std::string>          tokens;
    };
    const Case cases[] = {
        {"no delimiter: the whole stream, one call late", {}, "abc", {"", "abc", ""}},
        {"action 4 emits and starts afresh", {{';', 4}}, "ab;cd;", {"ab", "cd", ""}},
        {"action 3 keeps the text for the next token", {{';', 3}}, "ab;cd;", {"ab", "abcd"}},
        {"action 1 drops the token so far", {{';', 4}, {'#', 1}}, "ab#cd;e", {"cd", "", "e", ""}},
        {"action 0 drops the byte only", {{';', 4}, {'x', 0}}, "axb;", {"ab", ""}},
        {"an unknown action drops the byte only", {{';', 4}, {'x', 77}}, "axb;", {"ab", ""}},
        {"an empty stream gives an empty token at once", {{';', 4}}, "", {"", ""}},
    };
    const TScriptDir dir("actions");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TTextParser parser(OneStateTable(c.special), "Test.ptb");
        EXPECT_EQ(Tokens(parser, dir, c.input, int(c.tokens.size())), c.tokens);
    }
}

TEST(TextParser, StateAndBufferCarryOverBetweenCalls)
{
    // State 0 reads words; '"' enters state 1, where blanks are appended until the closing quote.
    const auto table = TableBytes(2, [](int state, int byte) {
        if (byte == '"')
            return TParserTransition{1 - state, state == 0 ? 0 : 4};
        if (byte == ' ' && state == 0)
            return TParserTransition{0, 4};
        return TParserTransition{state, 2};
    });
    TTextParser parser(table, "Quotes.ptb");
    const TScriptDir dir("state");
    EXPECT_EQ(Tokens(parser, dir, "say \"two words\" end ", 4), (std::vector<std::string>{"say", "two words", "", "end"}));
    EXPECT_EQ(parser.State, 0);
    EXPECT_EQ(parser.Buffer, "");
}

TEST(TextParser, TheEndOfAStreamStartsTheNextOneAfresh)
{
    // A stream that ends inside a quote must not leave the next stream inside it.
    const auto table = TableBytes(2, [](int state, int byte) {
        if (byte == '"')
            return TParserTransition{1 - state, state == 0 ? 0 : 4};
        if (byte == ' ' && state == 0)
            return TParserTransition{0, 4};
        return TParserTransition{state, 2};
    });
    TTextParser parser(table, "Quotes.ptb");
    const TScriptDir dir("afresh");
    EXPECT_EQ(Tokens(parser, dir, "\"open", 2), (std::vector<std::string>{"", "open"}));
    EXPECT_EQ(Tokens(parser, dir, "a b ", 2), (std::vector<std::string>{"a", "b"}));
}

TEST(TextParser, EveryTokenGoesToTheLogEmptyOnesIncluded)
{
    const TScriptDir dir("log");
    const std::string logPath = (dir.Path / "log.txt").string();
    LogFile = new TLOgFile(logPath, true);
    TTextParser parser(OneStateTable({{';', 4}}), "Test.ptb");
    Tokens(parser, dir, "ab;cd;", 3);
    delete LogFile;
    LogFile = nullptr;
    EXPECT_EQ(ReadAll(logPath), "ab\r\ncd\r\n\r\n");
}

TEST(TextParser, DamagedTablesAreRefusedAtLoadTime)
{
    auto pointingAt = [](int count, int next) {
        return TableBytes(count, [=](int state, int byte) {
            return TParserTransition{state == count - 1 && byte == 65 ? next : 0, 2};
        });
    };
    auto cut = [](std::vector<std::uint8_t> bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    };
    std::vector<std::uint8_t> hugeCount;
    PutWord(hugeCount, 0x7FFFFFFF);
    PutWord(hugeCount, 0);

    EXPECT_EQ(Refusal(pointingAt(2, 2)), "Tokenizer table \"Bad.ptb\": state 1, byte 65 leads to state 2, outside 0..1");
    EXPECT_EQ(Refusal(pointingAt(3, -1)), "Tokenizer table \"Bad.ptb\": state 2, byte 65 leads to state -1, outside 0..2");
    EXPECT_EQ(Refusal(TableBytes(0, nullptr)), "Tokenizer table \"Bad.ptb\" has 0 states; it needs at least one");
    EXPECT_EQ(Refusal(cut(pointingAt(2, 0), 4 + 2048 + 2047)), "Riched End Of File");
    EXPECT_EQ(Refusal(cut(pointingAt(1, 0), 3)), "Riched End Of File");
    EXPECT_EQ(Refusal(hugeCount), "Riched End Of File");
    EXPECT_EQ(Refusal(pointingAt(2, 1)), "accepted");
}

TEST(TextParser, TheTableFileIsReadThroughTheFileObjects)
{
    const TScriptDir dir("file");
    const auto bytes = OneStateTable({{';', 4}});
    const std::string path = dir.Write("Script.ptb", std::string(bytes.begin(), bytes.end()));
    TTextParser parser(path);
    EXPECT_EQ(parser.StateCount, 1);
    EXPECT_EQ(Tokens(parser, dir, "x;", 1), std::vector<std::string>{"x"});
    try {
        TTextParser missing((dir.Path / "None.ptb").string());
        FAIL() << "a missing table was accepted";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "File not found: \"" + (dir.Path / "None.ptb").string() + "\"");
    }
}

TEST(ScriptTable, CutsEveryKindOfTokenOfTheLanguage)
{
    TTextParser parser(StagedTable);
    const TScriptDir dir("kinds");
    const std::string source =
        "int  a\t-12\r\nfloat f $1,5 bool b $true $false\r\n"
        "{ // first block, \"quoted\" words too\r\n"
        "\tif not a <= $-3 and b <> $true or f >= $-0,25 then\n"
        "  a += $2 a -= a a *= a a /= a f = $1,5 a < a > a\n"
        "  Message \"Enemy ships ahead\" CenterMessage Go/Go\n"
        "  endif\n"
        "}\n";
    const std::vector<std::string> expected = {
        "int", "a", "-12", "float", "f", "$1,5", "bool", "b", "$true", "$false",
        "{", "// first block, \"quoted\" words too",
        "if", "not", "a", "<=", "$-3", "and", "b", "<>", "$true", "or", "f", ">=", "$-0,25", "then",
        "a", "+=", "$2", "a", "-=", "a", "a", "*=", "a", "a", "/=", "a", "f", "=", "$1,5", "a", "<", "a", ">", "a",
        "Message", "Enemy ships ahead", "CenterMessage", "Go/Go",
        "endif", "}",
    };
    TArchiveStream stream(dir.Write("Kinds.ses", source), nullptr);
    std::vector<std::string> tokens;
    for (std::string token = parser.GetToken(stream); !token.empty() || stream.Pos < stream.Size();
         token = parser.GetToken(stream))
        if (!token.empty())
            tokens.push_back(token);
    EXPECT_EQ(tokens, expected);
}
