// ptbgen and sescheck, run as a modder runs them.

#include "ScriptTestUtil.h"

#include <gtest/gtest.h>



using namespace scripttest;

namespace {

using TRun = TToolRun;

// Runs a tool in the folder with its arguments and collects its output.
TRun RunTool(const TScriptDir &dir, const std::string &tool, const std::string &args)
{
    return ::RunTool(dir.Path, ToolsDir + "/" + tool + " " + args);
}

std::string FirstLine(const std::string &text) { return text.substr(0, text.find('\n')); }

} // namespace

TEST(PtbGen, BuildsTheStagedTableFromTheLexerDescription)
{
    const TScriptDir dir("ptbgen");
    const std::string table = (dir.Path / "Script.ptb").string();
    const TRun run = RunTool(dir, "ptbgen", std::string(ZEPHRONA_SOURCE_DIR) + "/content/tables/Script.lex " + table);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string built = ReadAll(table);
    EXPECT_EQ(built, ReadAll(StagedTable));   // the same description always gives the same bytes
    EXPECT_EQ((built.size() - 4) % 2048, 0u);
}

TEST(PtbGen, ShowsTheTokensTheCompilerReceives)
{
    const TScriptDir dir("tokens");
    const std::string input = dir.Write("Level.ses", "int a 5\r\n{ // go\r\n  a += $-1,5\r\n  Message \"Two words\"\r\n}\r\nlate");
    const TRun run = RunTool(dir, "ptbgen", "--tokens " + StagedTable + " " + input);
    ASSERT_EQ(run.Status, 0) << run.Err;
    // The last token has no delimiter after it, so it never arrives.
    EXPECT_EQ(run.Out, "int\na\n5\n{\n// go\na\n+=\n$-1,5\nMessage\nTwo words\n}\n");
}

TEST(PtbGen, RefusesFaultyDescriptionsNamingTheLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"state s\n  other : push -> s\n",
         "d.lex:2: unknown action \"push\"; use skip, clear, append, emit or emit-keep"},
        {"state s\n  other : append -> t\n", "d.lex:2: no state is named \"t\""},
        {"state s\n  'a'-'z' : append -> s\n  'q' : emit -> s\n  other : skip -> s\n",
         "d.lex:3: byte 113 already has its rule at d.lex:2"},
        {"state s\n  0x00-0xfe : append -> s\n", "d.lex:1: state \"s\" has no rule for byte 255; give it one, or an \"other\" rule"},
        {"state s\n  other : skip -> s\nstate s\n", "d.lex:3: state \"s\" is already described at d.lex:1"},
        {"  other : skip -> s\n", "d.lex:1: a rule before the first \"state\""},
        {"state s\n  'ab' : skip -> s\n",
         "d.lex:2: \"'ab'\" names no bytes; write 'c', 'a'-'z', 0x41, 0x00-0x20, space, tab, cr, lf or other"},
        {"state s\n  other skip -> s\n", "d.lex:2: write a rule as \"BYTES... : ACTION -> NEXT\""},
        {"# nothing\n", "d.lex: describes no state"},
    };
    const TScriptDir dir("faulty");
    for (const auto &[description, message] : cases) {
        SCOPED_TRACE(description);
        dir.Write("d.lex", description);
        const TRun run = RunTool(dir, "ptbgen", "d.lex d.ptb");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, "ptbgen: " + message + "\n");
    }
}

TEST(PtbGen, DescriptionsCanUseEveryAction)
{
    const TScriptDir dir("every");
    dir.Write("d.lex", "state s   # start\n"
                       "  space tab cr lf : emit -> s\n"
                       "  '-'-'/' 0x3A : emit-keep -> s\n"
                       "  '#' : clear -> s\n"
                       "  '!' : skip -> s\n"
                       "  other : append -> s\n");
    ASSERT_EQ(RunTool(dir, "ptbgen", "d.lex d.ptb").Status, 0);
    dir.Write("in.txt", "ab!c x#y u.v ");
    const TRun run = RunTool(dir, "ptbgen", "--tokens d.ptb in.txt");
    EXPECT_EQ(run.Out, "abc\ny\nu\nuv\n");
}

TEST(SesCheck, CompilesAScriptOrTellsWhyAndWhere)
{
    const TScriptDir dir("sescheck");
    const std::string game = "--game " + std::string(ZEPHRONA_STAGE_DIR) + " ";
    const std::string good = dir.Write("Good.ses", "int a 5\n{\n  a += $2\n}\n");
    TRun run = RunTool(dir, "sescheck", game + good);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out + run.Err, "");

    const std::string bad = dir.Write("Bad.ses", "int a 5\n{\n  a += $2\n  Sleep a\n  Slep $5\n}\n");
    run = RunTool(dir, "sescheck", game + bad);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "Unknown identeficator: \"Slep\"\n" + bad + ":5:   Slep $5\n");

    run = RunTool(dir, "sescheck", game + (dir.Path / "Missing.ses").string());
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(FirstLine(run.Err), "File not found: \"" + (dir.Path / "Missing.ses").string() + "\"");

    EXPECT_EQ(RunTool(dir, "sescheck", game).Status, 2);
    EXPECT_EQ(RunTool(dir, "sescheck", game + "--run 3 " + good).Status, 2);
    EXPECT_EQ(RunTool(dir, "sescheck", "--help").Status, 0);
}

TEST(SesCheck, RunsFramesAndPrintsTheDeclaredVariables)
{
    const TScriptDir dir("run");
    const std::string game = "--game " + std::string(ZEPHRONA_STAGE_DIR) + " ";
    const std::string script = dir.Write(
        "Run.ses", "int a 0 float f 0,5 bool done false int G_TIMER_TIME 1000 bool G_TIMER_ENABLE true int a 1\n"
                   "{\n  a += $1\n  f += $0,1\n  if G_TIMER_TIME = $0 then\n    done = $true\n  endif\n}\n"
                   "{\n  Sleep $100\n  Message Hello\n}\n");
    TRun run = RunTool(dir, "sescheck", game + "--run 41 --dt 25 " + script);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "a = 42\nf = 4,599998\ndone = true\nG_TIMER_TIME = 0\nG_TIMER_ENABLE = true\n");

    run = RunTool(dir, "sescheck", game + "--commands --run 10 --dt 25 " + script);
    EXPECT_EQ(FirstLine(run.Out), "frame 6: Message \"Hello\"");

    const std::string failing = dir.Write("Fail.ses", "bool b false\n{\n  Sleep $50\n  b += $true\n}\n");
    run = RunTool(dir, "sescheck", game + "--run 9 --dt 25 " + failing);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "Not for boolean\n" + failing + ":4:   b += $true\nframe 4, block 1\n");
}
