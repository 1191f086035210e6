#include "script/Script.h"

#include "core/App.h"
#include "core/Text.h"
#include "data/Extractor.h"
#include "script/GameVars.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr std::size_t StorageSize(TValueType type)
{
    return type == TValueType::Bool ? 1 : type == TValueType::Text ? TextStorageSize : 4;
}

// The names of the object types, by value.
constexpr std::string_view ObjectTypeNames[] = {
    "OBJECT_BUILDING", "OBJECT_AIRCRAFTCARRIER", "OBJECT_CRAFTBOMBER", "OBJECT_SHIP", "OBJECT_EMPTY",
    "OBJECT_CRAFTINTERCEPTOR", "OBJECT_SHIP_DESTROYER", "OBJECT_SHIP_BOAT", "OBJECT_DEAD_SU25",
    "OBJECT_TORPEDO", "OBJECT_CHECKPOINT", "OBJECT_COOL_SAM", "OBJECT_SUBMARINE", "OBJECT_BATTLE_SHIP",
    "OBJECT_CRAFTAVAX", "OBJECT_SUPERSUBMARINE", "OBJECT_SHILKA",
};
static_assert(std::size(ObjectTypeNames) == 17);

bool MadeOf(const std::string &text, std::string_view characters)
{
    return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

// What a token is when it cannot be a variable's name: "Keyword", "Command", ...; empty when it can.
// A declared name must never shadow a word or symbol the compiler reads by its text, or be skipped
// as a comment.
std::string_view ReservedKind(const std::string &name)
{
    static const std::unordered_map<std::string_view, std::string_view> reserved = {
        {"int", "Keyword"},  {"float", "Keyword"}, {"bool", "Keyword"},  {"if", "Keyword"},
        {"endif", "Keyword"}, {"then", "Keyword"}, {"and", "Keyword"},   {"or", "Keyword"},
        {"not", "Keyword"},  {"true", "Keyword"},  {"false", "Keyword"}, {"{", "Bracket"},
        {"}", "Bracket"},    {"=", "Operator"},    {"<", "Operator"},    {">", "Operator"},
        {"<=", "Operator"},  {">=", "Operator"},   {"<>", "Operator"},   {"+=", "Operator"},
        {"-=", "Operator"},  {"*=", "Operator"},   {"/=", "Operator"},
    };
    if (name[0] == '$')
        return "Constant";
    if (name.compare(0, 2, "//") == 0 || name == "\r")
        return "Comment";
    if (const auto found = reserved.find(name); found != reserved.end())
        return found->second;
    if (CommandOpcode(name) >= 0)
        return "Command";
    return {};
}

} // namespace

TScript::TScript() : TScript(AppDir + "Data\\Tables\\Script.ptb") {}

TScript::TScript(const std::string &tableFileName)
    : DataArea(new std::uint8_t[ScriptDataAreaSize]()), Parser(tableFileName)
{
}

std::string TScript::TextAt(const void *ref)
{
    const char *text = static_cast<const char *>(ref);
    return std::string(text, strnlen(text, TextStorageSize - 1));
}

const TScriptVariable *TScript::FindVariable(const std::string &name) const
{
    const auto found = NameIndex.find(name);
    return found == NameIndex.end() ? nullptr : &Variables[std::size_t(found->second)];
}

// ---- Tokens -------------------------------------------------------------------------------------

void TScript::Fail(const std::string &message) const { throw TScriptError(message, Stream ? Stream->Pos : 0); }

void TScript::NextToken() { Token = Parser.GetToken(*Stream); }

// Comments, line breaks and empty tokens between statements. At the end of the file the parser
// answers empty tokens for ever: there the empty token is the end.
void TScript::SkipComments()
{
    while (Token.compare(0, 2, "//") == 0 || Token == "\r" || (Token.empty() && Stream->Pos < Stream->Size()))
        NextToken();
}

// ---- Variables ----------------------------------------------------------------------------------

void *TScript::Carve(std::size_t size, std::size_t alignment)
{
    const std::size_t at = (DataTop + alignment - 1) / alignment * alignment;
    if (at > ScriptDataAreaSize || ScriptDataAreaSize - at < size)
        Fail("Script is too big: its data area of " + std::to_string(ScriptDataAreaSize) + " bytes is full");
    DataTop = at + size;
    return DataArea.get() + at;
}

// Returns the index of Name's entry, entering it with fresh storage when it is new. One look-up
// in the name index, so that a script of a million names compiles in proportion to its size.
std::size_t TScript::EnterIndex(const std::string &name, TValueType type)
{
    if (name.size() > MaxVariableName)
        Fail("Very long variable name \"" + name + "\"");
    const auto [entry, added] = NameIndex.try_emplace(name, int(Variables.size()));
    const std::size_t index = std::size_t(entry->second);
    if (!added) {
        if (Variables[index].VarType != type)
            Fail("Variable \"" + name + "\" exists, but her type other.");
        return index;
    }
    try {
        const std::size_t size = StorageSize(type);
        Variables.push_back({name, type, Carve(size, size == 4 ? 4 : 1)});
    } catch (...) {
        NameIndex.erase(entry);   // the index never names an entry that is not there
        throw;
    }
    return index;
}

void *TScript::Enter(const std::string &name, TValueType type) { return Variables[EnterIndex(name, type)].Storage; }

void TScript::AddBound(const std::string &name, TValueType type, void *field)
{
    NameIndex.emplace(name, int(Variables.size()));
    Variables.push_back({name, type, field});
}

void TScript::AddConstant(const std::string &name, std::int32_t value) { IntAt(Enter(name, TValueType::Int)) = value; }

void TScript::EnterPredefined()
{
    AddConstant("AI_GROUP_PLAYER", -1);
    for (int i = 0; i < ScriptGroupCount; ++i) {
        const std::string group = std::to_string(i);
        AddBound("G_AI_GROUP" + group + "_COUNT", TValueType::Int, ScriptBindings.GroupAliveCount[i]);
        AddBound("G_AI_GROUP" + group + "_HEALTH", TValueType::Int, ScriptBindings.GroupHealth[i]);
        AddConstant("AI_GROUP" + group, i);
    }
    AddBound("G_PLAYER_HEALTH", TValueType::Float, ScriptBindings.PlayerHealth);
    AddBound("G_PLAYER_WEAPON_DISABLED", TValueType::Bool, ScriptBindings.PlayerWeaponDisabled);
    AddBound("G_PLAYER_CONTROL_DISABLED", TValueType::Bool, ScriptBindings.PlayerControlDisabled);
    AddBound("G_ALL_OBJECTS_DISABLE", TValueType::Bool, ScriptBindings.AllObjectsDisable);
    AddBound("G_TIMER_ENABLE", TValueType::Bool, ScriptBindings.TimerEnable);
    AddBound("G_TIMER_TIME", TValueType::Int, ScriptBindings.TimerTime);
    AddBound("G_DELTA_TIME", TValueType::Int, ScriptBindings.DeltaTime);
    AddConstant("AI_SIDE_FRIEND", 0);
    AddConstant("AI_SIDE_ENEMY", 1);
    for (std::size_t i = 0; i < std::size(ObjectTypeNames); ++i)
        AddConstant(std::string(ObjectTypeNames[i]), std::int32_t(i));
    for (int i = 0; i <= 5; ++i)
        AddConstant("TASK_" + std::to_string(i), i);
    AddConstant("CS_NONE", 0);
    AddConstant("CS_LOOKINTIME", 1);
    AddConstant("CS_LOOKATTARGET", 2);
}

// The entry a statement or an operand may name: the hidden text variables stay out of sight.
const TScriptVariable *TScript::FindVisible(const std::string &name) const
{
    const TScriptVariable *v = FindVariable(name);
    return v && v->VarType != TValueType::Text ? v : nullptr;
}

// operand -> variable-name | "$" constant
TScript::TOperand TScript::Operand(const std::string &token)
{
    if (const TScriptVariable *v = FindVisible(token))
        return {v->Storage, v->VarType};
    if (token.empty() && Stream->Pos >= Stream->Size())
        Fail("The script ends in the middle of a statement");
    if (token.empty() || token[0] != '$')
        Fail("Unknown variable \"" + token + "\"");
    const std::string text = token.substr(1);
    if (text == "true" || text == "false") {
        void *storage = Enter(token, TValueType::Bool);
        SetBool(storage, text == "true");
        return {storage, TValueType::Bool};
    }
    if (MadeOf(text, "-0123456789")) {
        int value = 0;
        if (!TextToInt(text, value))
            Fail("Const \"" + token + "\" is not a valid integer");
        void *storage = Enter(token, TValueType::Int);
        IntAt(storage) = value;
        return {storage, TValueType::Int};
    }
    if (MadeOf(text, "-0123456789,")) {
        double value = 0;
        if (!TextToFloat(text, value))
            Fail("Const \"" + token + "\" is not a valid float");
        void *storage = Enter(token, TValueType::Float);
        FloatAt(storage) = float(value);
        return {storage, TValueType::Float};
    }
    Fail("Unknown type. Const \"" + token + "\"");
}

// ---- Compiler -----------------------------------------------------------------------------------

void TScript::Load(const std::string &fileName)
{
    std::fill_n(DataArea.get(), DataTop, std::uint8_t(0));
    DataTop = 0;
    Variables.clear();
    NameIndex.clear();
    Declared.clear();
    Blocks.clear();
    RunningBlock = -1;
    EnterPredefined();

    TArchiveStream stream(fileName, Extractor);
    stream.Seek(0, 0);
    // A file whose compilation stopped early leaves its unread text in the parser; it must not be
    // glued to the first token of this one.
    Parser.Reset();
    Stream = &stream;
    try {
        CompileDeclarations();
        // file -> declarations block { block }
        while (Token == "{") {
            CompileBlock();
            if (Token.empty())
                break;   // the block ended with the file: a token still pending there is never read
            NextToken();
            SkipComments();
        }
        // Anything else after a block would silently drop the rest of the file.
        if (!Token.empty())
            Fail("must be block begin \"{\", founded \"" + Token + "\"");
    } catch (...) {
        Stream = nullptr;
        throw;
    }
    Stream = nullptr;
}

// declarations -> { ("int" | "float" | "bool") name value }, up to the first "{"
void TScript::CompileDeclarations()
{
    HiddenTextCount = 0;
    std::vector<bool> declaredAlready;   // by variable index
    NextToken();
    while (Token != "{") {
        TValueType type;
        if (Token == "int")
            type = TValueType::Int;
        else if (Token == "float")
            type = TValueType::Float;
        else if (Token == "bool")
            type = TValueType::Bool;
        else
            Fail("Unknown value \"" + Token + "\", must be variable type.");
        const std::string typeWord = Token;
        NextToken();
        const std::string name = Token;
        if (name.empty())
            Fail("Variable name is missing after \"" + typeWord + "\"");
        if (const std::string_view kind = ReservedKind(name); !kind.empty())
            Fail(std::string(kind) + " \"" + name + "\" cannot be a variable name");
        const std::size_t index = EnterIndex(name, type);
        void *storage = Variables[index].Storage;
        NextToken();
        if (type == TValueType::Int) {
            int value = 0;
            if (!TextToInt(Token, value))
                Fail("Unknown value \"" + Token + "\", must be integer.");
            IntAt(storage) = value;
        } else if (type == TValueType::Float) {
            double value = 0;
            if (!TextToFloat(Token, value))
                Fail("Unknown value \"" + Token + "\", must be floating.");
            FloatAt(storage) = float(value);
        } else {
            if (Token != "true" && Token != "false")
                Fail("Unknown value \"" + Token + "\", must be boolean.");
            SetBool(storage, Token == "true");
        }
        // A name declared again keeps its first place in the list.
        if (index >= declaredAlready.size())
            declaredAlready.resize(Variables.size());
        if (!declaredAlready[index]) {
            declaredAlready[index] = true;
            Declared.push_back(int(index));
        }
        NextToken();
    }
}

// block -> "{" { statement } ("}" | end of file)
// statement -> "if" condition | "endif" | command-name arguments | variable-name assignment
void TScript::CompileBlock()
{
    SkipComments();
    if (Token != "{")
        Fail("must be block begin \"{\", founded \"" + Token + "\"");
    NextToken();
    SkipComments();
    Blocks.emplace_back();
    int ifBalance = 0;
    while (Token != "}" && !Token.empty()) {
        TScriptCommand command;
        command.SourceOffset = std::uint32_t(Stream->Pos);
        if (Token == "if") {
            command.Opcode = OpIf;
            CompileCondition(command);
            ++ifBalance;
        } else if (Token == "endif") {
            command.Opcode = OpEndIf;
            --ifBalance;
        } else if (const int opcode = CommandOpcode(Token); opcode >= 0) {
            command.Opcode = opcode;
            CompileCommand(command);
        } else if (Token[0] == '$') {
            // A constant is shared by every use of its text: assigning to it would change them all.
            Fail("Constant \"" + Token + "\" cannot receive a value");
        } else if (FindVisible(Token)) {
            command.Opcode = OpAssign;
            CompileAssignment(command);
        } else {
            Fail("Unknown identeficator: \"" + Token + "\"");
        }
        Blocks.back().Commands.push_back(command);
        if (Handler)
            Handler->Prepare(command);
        NextToken();
        SkipComments();
    }
    if (ifBalance != 0)
        Fail("Count of \"if\" <> count of \"endif\" ");
}

// command -> name argument... (the kinds of Commands[opcode])
void TScript::CompileCommand(TScriptCommand &command)
{
    const TCommandInfo &info = Commands[std::size_t(command.Opcode)];
    command.ArgCount = info.ArgCount;
    for (int i = 0; i < info.ArgCount; ++i) {
        NextToken();
        const TArgKind kind = info.Args[i];
        if (kind == TArgKind::Text) {
            void *storage = Enter(std::to_string(HiddenTextCount++), TValueType::Text);
            if (Token.size() > MaxTextArgument)
                Fail("Text argument of \"" + std::string(info.Name) + "\" is longer than " +
                     std::to_string(MaxTextArgument) + " characters: \"" + Token.substr(0, 40) + "...\"");
            std::memcpy(storage, Token.c_str(), Token.size() + 1);
            command.Args[i] = storage;
            continue;
        }
        const TOperand operand = Operand(Token);
        const bool out = kind == TArgKind::IntOut || kind == TArgKind::FloatOut || kind == TArgKind::BoolOut;
        if ((kind == TArgKind::Int || kind == TArgKind::IntOut) && operand.Type != TValueType::Int)
            Fail("Variable \"" + Token + "\" must be integer(int)");
        if ((kind == TArgKind::Float || kind == TArgKind::FloatOut) && operand.Type != TValueType::Float)
            Fail("variable \"" + Token + "\" must be floating(float)");
        if ((kind == TArgKind::Bool || kind == TArgKind::BoolOut) && operand.Type != TValueType::Bool)
            Fail("Variable \"" + Token + "\" must be boolean(bool)");
        // A constant is shared by every use of its text: a result written there would change them all.
        if (out && Token[0] == '$')
            Fail("Constant \"" + Token + "\" cannot receive the result of \"" + std::string(info.Name) + "\"");
        command.Args[i] = operand.Storage;
    }
}

// condition -> { ["not"] operand comparison operand ("and" | "or") } ... "then"
void TScript::CompileCondition(TScriptCommand &command)
{
    static const std::unordered_map<std::string, TComparison> comparisons = {
        {"=", TComparison::Equal},         {"<", TComparison::Less},
        {">", TComparison::Greater},       {"<=", TComparison::LessEqual},
        {">=", TComparison::GreaterEqual}, {"<>", TComparison::NotEqual},
    };
    // The terms are collected first, so that constants entered on the way do not split them.
    std::vector<TConditionTerm> terms;
    NextToken();
    while (Token != "then") {
        TConditionTerm term;
        if (Token == "not") {
            term.Negate = 1;
            NextToken();
        }
        const std::string left = Token;
        const TOperand l = Operand(left);
        term.Left = l.Storage;
        term.TermType = l.Type;
        NextToken();
        const auto comparison = comparisons.find(Token);
        if (comparison == comparisons.end())
            Fail("Unknown operator: \"" + Token + "\"");
        term.Comparison = comparison->second;
        NextToken();
        const std::string right = Token;
        const TOperand r = Operand(right);
        if (r.Type != l.Type)
            Fail("incomp types \"" + left + "\" and \"" + right + "\"");
        term.Right = r.Storage;
        NextToken();
        if (Token == "and" || Token == "or") {
            term.Link = Token == "and" ? 1 : 0;
            NextToken();
        } else if (Token != "then") {
            Fail("Unknown logical operator: \"" + Token + "\", must be \"or\" or \"and\".");
        }
        terms.push_back(term);
    }
    void *area = Carve(terms.size() * sizeof(TConditionTerm), alignof(TConditionTerm));
    if (!terms.empty())
        std::memcpy(area, terms.data(), terms.size() * sizeof(TConditionTerm));
    command.Args[0] = area;
    command.ArgCount = std::int32_t(terms.size());
}

// assignment -> variable ("=" | "+=" | "-=" | "*=" | "/=") operand
void TScript::CompileAssignment(TScriptCommand &command)
{
    static const std::unordered_map<std::string, TAssignOp> operators = {
        {"=", TAssignOp::Set},       {"+=", TAssignOp::Add},    {"-=", TAssignOp::Subtract},
        {"*=", TAssignOp::Multiply}, {"/=", TAssignOp::Divide},
    };
    const std::string target = Token;
    const TScriptVariable &t = *FindVisible(target);
    TAssignment assignment;
    assignment.Target = t.Storage;
    assignment.AssignType = t.VarType;
    NextToken();
    const auto op = operators.find(Token);
    if (op == operators.end())
        Fail("Unknown operator \"" + Token + "\" for variable \"" + target + "\"");
    assignment.AssignOp = op->second;
    NextToken();
    const std::string source = Token;
    const TOperand s = Operand(source);
    if (s.Type != assignment.AssignType)
        Fail("incomp variables \"" + target + "\" and \"" + source + "\"");
    assignment.Source = s.Storage;
    void *record = Carve(sizeof(TAssignment), alignof(TAssignment));
    std::memcpy(record, &assignment, sizeof assignment);
    command.Args[0] = record;
    command.ArgCount = 1;
}
