// The mission-script compiler and interpreter, driven by small scripts on disk and the game's own
// tokenizer table.

#include "ScriptTestUtil.h"

#include "core/App.h"
#include "core/Random.h"
#include "script/GameVars.h"
#include "script/Script.h"

#include <gtest/gtest.h>

#include <climits>

using namespace scripttest;

namespace {

class ScriptTest : public testing::Test {
protected:
    ScriptTest() : Dir("lang"), Script(StagedTable) {}

    void SetUp() override
    {
        ScriptStandIns = TScriptStandIns();
        ResetScriptBindings();
        PlayerWeaponDisabled = PlayerControlDisabled = AllObjectsDisabled = false;
        FrameTime = 25;
    }

    // Compiles Source; the compiler's message, or "compiled".
    std::string CompileError(const std::string &source)
    {
        try {
            Script.Load(Dir.Write("Test.ses", source));
        } catch (const TScriptError &e) {
            return e.what();
        }
        return "compiled";
    }

    void Load(const std::string &source) { ASSERT_EQ(CompileError(source), "compiled"); }

    void Frames(int count, int dt = 25)
    {
        for (int i = 0; i < count; ++i) {
            FrameTime = dt;
            Script.Update(dt);
        }
    }

    const TScriptVariable &Var(const std::string &name)
    {
        const TScriptVariable *v = Script.FindVariable(name);
        if (!v)
            throw std::runtime_error("no variable " + name);
        return *v;
    }
    int Int(const std::string &name) { return TScript::IntAt(Var(name).Storage); }
    float Float(const std::string &name) { return TScript::FloatAt(Var(name).Storage); }
    bool Bool(const std::string &name) { return TScript::BoolAt(Var(name).Storage); }

    // The message a run of one frame raises, or "ran".
    std::string RunError()
    {
        try {
            Frames(1);
        } catch (const std::runtime_error &e) {
            return e.what();
        }
        return "ran";
    }

    TScriptDir Dir;
    TScript  Script;
};

// A file of the declarations and one block of the statements.
std::string OneBlock(const std::string &declarations, const std::string &statements)
{
    return declarations + "\n{\n" + statements + "\n}\n";
}

} // namespace

TEST_F(ScriptTest, ABlockRunsAgainEveryFrame)
{
    Load(OneBlock("int a 5", "a += $2"));
    Frames(1);
    EXPECT_EQ(Int("a"), 7);
    Frames(1);
    EXPECT_EQ(Int("a"), 9);
}

TEST_F(ScriptTest, SleepSuspendsTheBlockForWholeFrames)
{
    // One frame starts the sleep, 40 frames of 25 ms count it down, the next runs the addition.
    Load("int a 0 int b 0\n{\nSleep $1000\na += $1\n}\n{\nb += $1\n}\n");
    const std::pair<int, int> checks[] = {{1, 0}, {41, 0}, {42, 1}, {83, 1}, {84, 2}, {126, 3}};
    int run = 0;
    for (const auto &[frame, a] : checks) {
        Frames(frame - run);
        run = frame;
        SCOPED_TRACE("frame " + std::to_string(frame));
        EXPECT_EQ(Int("a"), a);
        EXPECT_EQ(Int("b"), frame);   // a sleeping block holds up no other block
    }
}

TEST_F(ScriptTest, ConditionsCombineLeftToRightWithoutPrecedence)
{
    const std::pair<const char *, bool> cases[] = {
        {"not a = $1 or b = $2", true},          // (not true) or true
        {"a = $1 and b = $3 or b = $2", true},   // ((a = 1) and (b = 3)) or (b = 2)
        {"a = $2 or b = $2 and a = $3", false},  // ((a = 2) or (b = 2)) and (a = 3): no precedence
        {"", false},                             // no term at all
        {"not a = $1", false},
        {"a < b and b > a and a <= $1 and b >= $2 and a <> b", true},
        {"a >= b or b <= a or a = b", false},
        {"n < a", true},                         // signed ints
        {"c < t and not t < c and c = $false", true},   // bools as bytes, false below true
        {"f = $1,5 and f < $1,75 and f > $-0,5", true},
    };
    for (const auto &[condition, expected] : cases) {
        SCOPED_TRACE(condition);
        Load(OneBlock("int a 1 int b 2 int n -5 bool c false bool t true float f 1,5 bool r false",
                      std::string("if ") + condition + " then\nr = $true\nendif"));
        Frames(1);
        EXPECT_EQ(Bool("r"), expected);
    }
}

TEST_F(ScriptTest, EachTermJoinsByTheLinkOfTheTermBeforeIt)
{
    // With a = 1 and b = 2, each result depends on the right link: reading the term's own link
    // instead of the one before it (the last term's is never set, so it reads as "or") turns every
    // false case true; swapping the meaning of the link turns the true one false.
    const std::pair<const char *, bool> cases[] = {
        {"a = $1 and b = $5", false},                      // true and false
        {"a = $5 or b = $2", true},                        // false or true
        {"a = $1 or b = $2 and a = $5", false},            // (true or true) and false
        {"a = $1 and b = $5 or a = $5", false},            // (true and false) or false
        {"not a = $1 or b = $5 and a = $1", false},        // ((not true) or false) and true
        {"a = $1 and b = $5 or a = $1 and b = $5", false}, // ((true and false) or true) and false
    };
    for (const auto &[condition, expected] : cases) {
        SCOPED_TRACE(condition);
        Load(OneBlock("int a 1 int b 2 bool r false", std::string("if ") + condition + " then\nr = $true\nendif"));
        Frames(1);
        EXPECT_EQ(Bool("r"), expected);
    }
}

TEST_F(ScriptTest, AFalseConditionSkipsToItsOwnEndif)
{
    struct Case {
        const char *what;
        const char *statements;
        int         frames, b, c;
    };
    const Case cases[] = {
        {"nested ifs are skipped whole", "if a = $0 then\nif a = $1 then\nb += $1\nendif\nb += $1\nendif\nc += $1", 1, 0, 1},
        {"an if without terms is false", "if then\nb += $1\nendif\nc += $1", 1, 0, 1},
        {"a true if runs on", "if a = $1 then\nb += $1\nendif\nc += $1", 1, 1, 1},
        // The counts match but the endif comes first: skipping stops at the end of the block.
        {"no endif after the if", "c += $1\nendif\nif a = $0 then\nb += $1", 2, 0, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Load(OneBlock("int a 1 int b 0 int c 0", c.statements));
        Frames(c.frames);
        EXPECT_EQ(Int("b"), c.b);
        EXPECT_EQ(Int("c"), c.c);
    }
}

TEST_F(ScriptTest, ArithmeticWrapsTruncatesAndKeepsItsTypes)
{
    struct Case {
        const char *declarations, *statement;
        int         expected;
    };
    const Case ints[] = {
        {"int a 2147483647", "a += $1", INT_MIN},
        {"int a -2147483648", "a -= $1", INT_MAX},
        {"int a 65536", "a *= a", 0},
        {"int a -7", "a /= $2", -3},
        {"int a 7", "a /= $-2", -3},
        {"int a -2147483648", "a /= $-1", INT_MIN},
        {"int a 3 int b 9", "a = b", 9},
    };
    for (const Case &c : ints) {
        SCOPED_TRACE(c.statement);
        Load(OneBlock(c.declarations, c.statement));
        Frames(1);
        EXPECT_EQ(Int("a"), c.expected);
    }
    Load(OneBlock("float f 1,5 float g 0,1 bool b false", "f *= $1,5\ng += $0,2\nb = $true"));
    Frames(1);
    EXPECT_EQ(Float("f"), 2.25f);
    EXPECT_EQ(Float("g"), float(static_cast<long double>(0.1f) + static_cast<long double>(0.2f)));
    EXPECT_TRUE(Bool("b"));
}

TEST_F(ScriptTest, RunTimeErrorsComeWhenTheStatementRuns)
{
    const std::pair<const char *, const char *> cases[] = {
        {"b += $true", "Not for boolean"},
        {"b -= b", "Not for boolean"},
        {"b *= $false", "Not for boolean"},
        {"b /= $true", "Not for boolean"},
        {"a /= $0", "Division by zero"},
        {"a /= z", "Division by zero"},
    };
    for (const auto &[statement, message] : cases) {
        SCOPED_TRACE(statement);
        Load(OneBlock("bool b true int a 1 int z 0", std::string("a += $1\n") + statement));
        EXPECT_EQ(RunError(), message);
        EXPECT_EQ(Int("a"), 2);   // the statements before it ran
        EXPECT_TRUE(Bool("b"));
        EXPECT_EQ(Script.RunningBlock, 0);
        EXPECT_EQ(Script.Blocks[0].Pc, 1);
    }
}

TEST_F(ScriptTest, LoadMapHaltsItsBlockAndEveryLaterOne)
{
    Load("int a 0 int b 0 int c 0\n{\na += $1\n}\n{\nb += $1\nLoadMap Level2.ses\nb += $10\n}\n{\nc += $1\n}\n");
    Frames(3);
    EXPECT_EQ(Int("a"), 3);
    EXPECT_EQ(Int("b"), 1);
    EXPECT_EQ(Int("c"), 0);
    EXPECT_EQ(Script.Blocks[1].Pc, 1);
}

TEST_F(ScriptTest, PredefinedNamesComeInTheirOrderAndBoundOnesAreTheGameFields)
{
    Load("{\n}\n");
    const auto &v = Script.Variables;
    ASSERT_GE(v.size(), 128u);
    EXPECT_EQ(v[0].Name, "AI_GROUP_PLAYER");
    EXPECT_EQ(TScript::IntAt(v[0].Storage), -1);
    for (int i = 0; i < ScriptGroupCount; ++i) {
        SCOPED_TRACE("group " + std::to_string(i));
        const std::size_t at = 1 + 3 * std::size_t(i);
        EXPECT_EQ(v[at].Name, "G_AI_GROUP" + std::to_string(i) + "_COUNT");
        EXPECT_EQ(v[at].Storage, ScriptBindings.GroupAliveCount[i]);
        EXPECT_EQ(v[at + 1].Name, "G_AI_GROUP" + std::to_string(i) + "_HEALTH");
        EXPECT_EQ(v[at + 1].Storage, ScriptBindings.GroupHealth[i]);
        EXPECT_EQ(v[at + 2].Name, "AI_GROUP" + std::to_string(i));
        EXPECT_EQ(TScript::IntAt(v[at + 2].Storage), i);
    }
    const std::vector<std::pair<std::string, void *>> bound = {
        {"G_PLAYER_HEALTH", ScriptBindings.PlayerHealth},
        {"G_PLAYER_WEAPON_DISABLED", &PlayerWeaponDisabled},
        {"G_PLAYER_CONTROL_DISABLED", &PlayerControlDisabled},
        {"G_ALL_OBJECTS_DISABLE", &AllObjectsDisabled},
        {"G_TIMER_ENABLE", ScriptBindings.TimerEnable},
        {"G_TIMER_TIME", ScriptBindings.TimerTime},
        {"G_DELTA_TIME", &FrameTime},
    };
    for (std::size_t i = 0; i < bound.size(); ++i) {
        EXPECT_EQ(v[121 + i].Name, bound[i].first);
        EXPECT_EQ(v[121 + i].Storage, bound[i].second);
    }
    const std::vector<std::pair<std::string, int>> constants = {
        {"AI_SIDE_FRIEND", 0}, {"AI_SIDE_ENEMY", 1}, {"OBJECT_BUILDING", 0}, {"OBJECT_AIRCRAFTCARRIER", 1},
        {"OBJECT_CRAFTBOMBER", 2}, {"OBJECT_SHIP", 3}, {"OBJECT_EMPTY", 4}, {"OBJECT_CRAFTINTERCEPTOR", 5},
        {"OBJECT_SHIP_DESTROYER", 6}, {"OBJECT_SHIP_BOAT", 7}, {"OBJECT_DEAD_SU25", 8}, {"OBJECT_TORPEDO", 9},
        {"OBJECT_CHECKPOINT", 10}, {"OBJECT_COOL_SAM", 11}, {"OBJECT_SUBMARINE", 12}, {"OBJECT_BATTLE_SHIP", 13},
        {"OBJECT_CRAFTAVAX", 14}, {"OBJECT_SUPERSUBMARINE", 15}, {"OBJECT_SHILKA", 16}, {"TASK_0", 0},
        {"TASK_1", 1}, {"TASK_2", 2}, {"TASK_3", 3}, {"TASK_4", 4}, {"TASK_5", 5}, {"CS_NONE", 0},
        {"CS_LOOKINTIME", 1}, {"CS_LOOKATTARGET", 2},
    };
    ASSERT_EQ(v.size(), 128 + constants.size());
    for (std::size_t i = 0; i < constants.size(); ++i) {
        EXPECT_EQ(v[128 + i].Name, constants[i].first);
        EXPECT_EQ(TScript::IntAt(v[128 + i].Storage), constants[i].second);
    }
}

TEST_F(ScriptTest, ScriptsReadAndWriteTheGameThroughBoundVariables)
{
    TTimer sceneTimer;   // the owner points the binding at its own field before the map loads
    ScriptBindings.TimerTime = &sceneTimer.Remaining;
    *ScriptBindings.GroupAliveCount[3] = 2;
    Load("int G_TIMER_TIME 60000 bool G_TIMER_ENABLE true int d 0 int side 0 bool seen false\n{\n"
         "d = G_DELTA_TIME\nG_PLAYER_WEAPON_DISABLED = $true\nAI_SIDE_ENEMY = $7\nside = AI_SIDE_ENEMY\n"
         "if G_AI_GROUP3_COUNT = $2 then\nseen = $true\nG_TIMER_TIME -= $1000\nendif\n}\n");
    EXPECT_EQ(sceneTimer.Remaining, 60000);
    EXPECT_TRUE(ScriptStandIns.Timer.Enabled);
    Frames(1, 17);
    EXPECT_EQ(Int("d"), 17);
    EXPECT_TRUE(PlayerWeaponDisabled);
    EXPECT_EQ(Int("side"), 7);
    EXPECT_TRUE(Bool("seen"));
    EXPECT_EQ(sceneTimer.Remaining, 59000);
}

TEST_F(ScriptTest, ConstantsTakeTheirTypeFromTheirText)
{
    Load(OneBlock("int i 0 int j 0 int k 0 float f 0 bool b false", "i = $-3\nj = $05\nk = $5\nf = $1,5\nb = $true"));
    Frames(1);
    EXPECT_EQ(Int("i"), -3);
    EXPECT_EQ(Int("j"), 5);
    EXPECT_EQ(Int("k"), 5);
    EXPECT_EQ(Float("f"), 1.5f);
    EXPECT_TRUE(Bool("b"));
    EXPECT_NE(Var("$05").Storage, Var("$5").Storage);   // one entry per spelling
    EXPECT_EQ(Var("$1,5").VarType, TValueType::Float);
}

TEST_F(ScriptTest, CompileErrorsGiveTheirExactTexts)
{
    const std::string name40(40, 'n'), name41(41, 'n');
    const std::string text255(255, 't'), text256(256, 't');
    const std::pair<std::string, std::string> cases[] = {
        {OneBlock("int a 1", "if a = $1 then\nif a = $2 then\nendif"), "Count of \"if\" <> count of \"endif\" "},
        {OneBlock("int a 1", "endif"), "Count of \"if\" <> count of \"endif\" "},
        {OneBlock("int x 1 float x 1,0", ""), "Variable \"x\" exists, but her type other."},
        {OneBlock("float f 0", "f = $1.5"), "Unknown type. Const \"$1.5\""},
        {OneBlock("int a 0", "a = $"), "Unknown type. Const \"$\""},
        {OneBlock("int a 0", "a = $1-2"), "Const \"$1-2\" is not a valid integer"},
        {OneBlock("int a 0", "a = $99999999999"), "Const \"$99999999999\" is not a valid integer"},
        {OneBlock("float f 0", "f = $1,2,3"), "Const \"$1,2,3\" is not a valid float"},
        {OneBlock("int " + name41 + " 1", ""), "Very long variable name \"" + name41 + "\""},
        {OneBlock("int " + name40 + " 1", name40 + " += $1"), "compiled"},
        {OneBlock("int a 0", "a = b"), "Unknown variable \"b\""},
        {OneBlock("int a 0", "Slep $5"), "Unknown identeficator: \"Slep\""},
        {OneBlock("int a 0", "if a == $1 then\nendif"), "Unknown operator: \"==\""},
        {OneBlock("int a 0", "if a = $1 xor a = $2 then\nendif"),
         "Unknown logical operator: \"xor\", must be \"or\" or \"and\"."},
        {OneBlock("int a 0", "if a = $true then\nendif"), "incomp types \"a\" and \"$true\""},
        {OneBlock("int a 0", "a =+ $1"), "Unknown operator \"=+\" for variable \"a\""},
        {OneBlock("int a 0", "a += $1,5"), "incomp variables \"a\" and \"$1,5\""},
        {OneBlock("string s x", ""), "Unknown value \"string\", must be variable type."},
        {OneBlock("bool b yes", ""), "Unknown value \"yes\", must be boolean."},
        {OneBlock("int a 1,5", ""), "Unknown value \"1,5\", must be integer."},
        {OneBlock("float f 1.5", ""), "Unknown value \"1.5\", must be floating."},
        {"", "Unknown value \"\", must be variable type."},
        {"int a 0\n", "Unknown value \"\", must be variable type."},
        {"// no comments among the declarations\n{\n}\n",
         "Unknown value \"// no comments among the declarations\", must be variable type."},
        {OneBlock("float f 0", "Sleep f"), "Variable \"f\" must be integer(int)"},
        {OneBlock("int a 0", "mp_AddSpawnPoint a $1,0 $2,0"), "variable \"a\" must be floating(float)"},
        {OneBlock("int a 0", "ShowOnRadar AI_GROUP1 a"), "Variable \"a\" must be boolean(bool)"},
        {OneBlock("int a 0", "RandomInt $10 $1"), "Constant \"$1\" cannot receive the result of \"RandomInt\""},
        {OneBlock("int a 0", "DistancePlayerToGroup AI_GROUP1 $0,0"),
         "Constant \"$0,0\" cannot receive the result of \"DistancePlayerToGroup\""},
        {OneBlock("", "CenterMessage " + text255), "compiled"},
        {OneBlock("", "CenterMessage " + text256),
         "Text argument of \"CenterMessage\" is longer than 255 characters: \"" + text256.substr(0, 40) + "...\""},
        {OneBlock("int a 0", "") + "a += $1\n", "must be block begin \"{\", founded \"a\""},
        {OneBlock("int a 0", "") + "}\n", "must be block begin \"{\", founded \"}\""},
        {"int a 0\n{\na += $2", "The script ends in the middle of a statement"},
        {"int a 0\n{\nMessage Hello\n}\n{\n// the last block may end with the file", "compiled"},
        {"int a 0\n{\n}", "compiled"},
    };
    for (const auto &[source, message] : cases) {
        SCOPED_TRACE(source.substr(0, 120));
        EXPECT_EQ(CompileError(source), message);
    }
}

TEST_F(ScriptTest, OnlyNamesCanBeDeclared)
{
    const std::pair<std::string, std::string> cases[] = {
        {"bool $true false", "Constant \"$true\" cannot be a variable name"},
        {"int $5 7", "Constant \"$5\" cannot be a variable name"},
        {"float $ 0", "Constant \"$\" cannot be a variable name"},
        {"int if 0", "Keyword \"if\" cannot be a variable name"},
        {"int int 0", "Keyword \"int\" cannot be a variable name"},
        {"int then 0", "Keyword \"then\" cannot be a variable name"},
        {"bool not true", "Keyword \"not\" cannot be a variable name"},
        {"bool true false", "Keyword \"true\" cannot be a variable name"},
        {"int Sleep 0", "Command \"Sleep\" cannot be a variable name"},
        {"float += 0", "Operator \"+=\" cannot be a variable name"},
        {"int } 0", "Bracket \"}\" cannot be a variable name"},
        {"int // counter\n0", "Comment \"// counter\" cannot be a variable name"},
        {"int \"\" 0", "Variable name is missing after \"int\""},
        // Names compare exactly: another letter case is another name.
        {"int If 0 int sleep 0 bool True false int G_TIMER_TIME 0 int a$ 0", "compiled"},
    };
    for (const auto &[declarations, message] : cases) {
        SCOPED_TRACE(declarations);
        EXPECT_EQ(CompileError(OneBlock(declarations, "")), message);
    }
    EXPECT_EQ(CompileError("int a 0 bool\n"), "Variable name is missing after \"bool\"");
}

TEST_F(ScriptTest, ConstantsCannotBeAssigned)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a = $1\n$1 = $2", "Constant \"$1\" cannot receive a value"},   // already entered
        {"$true = $false", "Constant \"$true\" cannot receive a value"},   // not yet entered
        {"$1,5 += $1,0", "Constant \"$1,5\" cannot receive a value"},
        {"$x = $1", "Constant \"$x\" cannot receive a value"},
        {"AI_SIDE_ENEMY = $7", "compiled"},   // a predefined constant is a variable like any other
    };
    for (const auto &[statements, message] : cases) {
        SCOPED_TRACE(statements);
        EXPECT_EQ(CompileError(OneBlock("int a 0", statements)), message);
    }
}

TEST_F(ScriptTest, ACompileErrorTellsWhereItStopped)
{
    const std::string source = "int a 0\n{\na += $1\nSlep $5\na += $2\n}\n";
    try {
        Script.Load(Dir.Write("Where.ses", source));
        FAIL() << "compiled";
    } catch (const TScriptError &e) {
        EXPECT_EQ(e.Offset, source.find("Slep") + 5);
    }
}

TEST_F(ScriptTest, ALoadStartsAfreshAfterAFailedOne)
{
    // The failed file stops with "$2" still unread in the tokenizer.
    EXPECT_EQ(CompileError("int a 0\n{\na += $2"), "The script ends in the middle of a statement");
    Load(OneBlock("int b 1", "b += $1"));
    Frames(1);
    EXPECT_EQ(Int("b"), 2);
    EXPECT_EQ(Script.FindVariable("a"), nullptr);
    EXPECT_EQ(Script.Blocks.size(), 1u);
}

TEST_F(ScriptTest, TextArgumentsAreHiddenVariablesNoOperandCanName)
{
    Load(OneBlock("", "Message First\nCenterMessage \"Two words\"\nSetMusic NULL"));
    EXPECT_EQ(TScript::TextAt(Var("0").Storage), "First");
    EXPECT_EQ(TScript::TextAt(Var("1").Storage), "Two words");
    EXPECT_EQ(TScript::TextAt(Script.Blocks[0].Commands[2].Args[0]), "NULL");
    EXPECT_EQ(CompileError(OneBlock("int a 0", "Message x\na = 0")), "Unknown variable \"0\"");
    EXPECT_EQ(CompileError(OneBlock("int a 0", "Message x\n0 = a")), "Unknown identeficator: \"0\"");
    EXPECT_EQ(CompileError(OneBlock("int 0 5", "Message x")), "Variable \"0\" exists, but her type other.");
}

TEST_F(ScriptTest, AFullDataAreaIsAnErrorNotAnOverrun)
{
    std::string statements;
    for (int i = 0; i < 16400; ++i)   // 257 bytes each: more than 4 MiB
        statements += "Message m\n";
    EXPECT_EQ(CompileError(OneBlock("", statements)), "Script is too big: its data area of 4194304 bytes is full");
    EXPECT_LE(Script.DataTop, ScriptDataAreaSize);
}

namespace {

// Records what the script hands to the game.
class TRecorder : public TScriptCommandHandler {
public:
    void Prepare(const TScriptCommand &command) override { Prepared.push_back(command.Opcode); }
    void Execute(const TScriptCommand &command) override
    {
        Ran.push_back(command);
        if (command.Opcode == OpDistancePlayerToGroup)
            TScript::FloatAt(command.Args[1]) = 123.5f;
    }
    std::vector<std::int32_t>   Prepared;
    std::vector<TScriptCommand> Ran;
};

} // namespace

TEST_F(ScriptTest, EveryCommandCompilesWithItsArgumentKinds)
{
    // Each command with operands of the kinds it takes; LoadMap last, as it halts the block.
    std::string statements;
    std::vector<int> handedOver;
    for (int op = OpDisablePlayer; op < OpcodeCount; ++op) {
        if (op == OpLoadMap)
            continue;
        const TCommandInfo &info = Commands[std::size_t(op)];
        statements += std::string(info.Name);
        for (int i = 0; i < info.ArgCount; ++i) {
            switch (info.Args[i]) {
            case TArgKind::Int: statements += " $0"; break;
            case TArgKind::IntOut: statements += " i"; break;
            case TArgKind::Float: statements += " $1,0"; break;
            case TArgKind::FloatOut: statements += " f"; break;
            case TArgKind::Bool: statements += " $true"; break;
            case TArgKind::BoolOut: statements += " b"; break;
            case TArgKind::Text: statements += " Text" + std::to_string(i); break;
            }
        }
        statements += "\n";
        const bool inside = op == OpSleep || op == OpRandomInt || op == OpRandomFloat || op == OpDisablePlayer ||
                            op == OpEnablePlayer || op == OpBlackScreen || op == OpPlayerDead;
        if (!inside)
            handedOver.push_back(op);
    }
    statements += "LoadMap Next.ses\n";
    TRecorder recorder;
    Script.Handler = &recorder;
    Load(OneBlock("int i 0 float f 0 bool b false", statements));
    ASSERT_EQ(Script.Blocks.size(), 1u);
    const auto &commands = Script.Blocks[0].Commands;
    ASSERT_EQ(commands.size(), std::size_t(OpcodeCount - OpDisablePlayer));
    EXPECT_EQ(recorder.Prepared.size(), commands.size());
    Frames(1);
    std::vector<int> ran;
    for (const TScriptCommand &c : recorder.Ran)
        ran.push_back(c.Opcode);
    EXPECT_EQ(ran, handedOver);
    EXPECT_EQ(commands.back().Opcode, OpLoadMap);
}

TEST_F(ScriptTest, CommandsGetReferencesToTheirOperands)
{
    TRecorder recorder;
    Script.Handler = &recorder;
    Load(OneBlock("float d 0,0 int g 3",
                  "CreateObject OBJECT_SHIP g AI_SIDE_ENEMY $100 $1,0 $2,5 $-3,0 $0,0 $90,0 \"Cargo ship\"\n"
                  "DistancePlayerToGroup AI_GROUP1 d\nSleep $0\nRandomInt $10 g\nLoadMap Level2.ses"));
    Frames(1);
    ASSERT_EQ(recorder.Ran.size(), 2u);
    const TScriptCommand &create = recorder.Ran[0];
    EXPECT_EQ(create.Opcode, OpCreateObject);
    EXPECT_EQ(create.ArgCount, 10);
    EXPECT_EQ(TScript::IntAt(create.Args[0]), 3);
    EXPECT_EQ(create.Args[1], Var("g").Storage);   // the variable itself, not a copy
    EXPECT_EQ(TScript::IntAt(create.Args[2]), 1);
    EXPECT_EQ(TScript::IntAt(create.Args[3]), 100);
    EXPECT_EQ(TScript::FloatAt(create.Args[5]), 2.5f);
    EXPECT_EQ(TScript::FloatAt(create.Args[6]), -3.0f);
    EXPECT_EQ(TScript::TextAt(create.Args[9]), "Cargo ship");
    EXPECT_EQ(recorder.Ran[1].Opcode, OpDistancePlayerToGroup);
    EXPECT_EQ(Float("d"), 123.5f);
}

TEST_F(ScriptTest, RandomCommandsDrawFromTheGamesGenerator)
{
    auto draw = [](std::uint32_t &seed, std::uint32_t range) {
        seed = seed * 134775813u + 1u;
        return int((std::uint64_t(seed) * range) >> 32);
    };
    std::uint32_t seed = 987654321u;
    const int first = draw(seed, 1000), second = draw(seed, 50), third = draw(seed, 0);
    RandSeed = 987654321u;
    Load(OneBlock("int i -1 float f -1,0 int z -1", "RandomInt $1000 i\nRandomFloat $50 f\nRandomInt $0 z"));
    Frames(1);
    EXPECT_EQ(Int("i"), first);
    EXPECT_EQ(Float("f"), float(second));
    EXPECT_EQ(Int("z"), third);
    EXPECT_EQ(RandSeed, seed);
}

TEST_F(ScriptTest, WithoutAHandlerGameCommandsDoNothing)
{
    Load(OneBlock("int a 0", "CreateObject OBJECT_SHIP AI_GROUP1 AI_SIDE_ENEMY $100 $1,0 $2,5 $-3,0 $0,0 $90,0 Ship\n"
                             "GameOver\na += $1"));
    Frames(2);
    EXPECT_EQ(Int("a"), 2);
}
