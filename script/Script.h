#pragma once
// The mission-script language: a compiler from a ".ses" file to typed variables and blocks of
// commands, and the interpreter that runs every block a little each frame. Operands are variables or
// "$" constants; commands take them by reference, so a command can read and write script variables,
// and the predefined game variables refer to the game fields themselves (script/GameVars.h).

#include "script/Commands.h"
#include "script/Parser.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

class TArchiveStream;

enum class TValueType : std::uint8_t {
    Int = 0,     // 32-bit signed, wraps around
    Bool = 1,    // one byte: 0 false, 1 true
    Float = 2,   // 32-bit single
    Text = 3,    // 257 bytes of zero-terminated text: only the hidden variables of text arguments
};

constexpr std::size_t ScriptDataAreaSize = 4 * 1024 * 1024;
constexpr std::size_t MaxVariableName = 40;
constexpr std::size_t MaxTextArgument = 255;
constexpr std::size_t TextStorageSize = MaxTextArgument + 2;

struct TScriptVariable {
    std::string Name;
    TValueType  VarType = TValueType::Int;
    void       *Storage = nullptr;   // in the data area, or the game field of a bound variable
};

// One statement. Args refer to operand storage in source order; for "if" Args[0] points at ArgCount
// condition terms lying one after another, for an assignment at its TAssignment.
struct TScriptCommand {
    std::int32_t  Opcode = 0;
    void         *Args[MaxCommandArgs] = {};
    std::int32_t  ArgCount = 0;
    std::uint32_t SourceOffset = 0;   // where in the file the statement's first token ended
};

struct TScriptBlock {
    std::int32_t                Pc = 0;          // the next command to run
    std::vector<TScriptCommand> Commands;
    std::int32_t                SleepTime = 0;   // ms still to wait
    std::int32_t CommandCount() const { return std::int32_t(Commands.size()); }
};

enum class TComparison : std::int32_t { Equal, Less, Greater, LessEqual, GreaterEqual, NotEqual };
enum class TAssignOp : std::int32_t { Set, Add, Subtract, Multiply, Divide };

struct TConditionTerm {
    std::uint8_t Negate = 0;   // 1 after "not"
    void        *Left = nullptr;
    void        *Right = nullptr;
    TComparison  Comparison = TComparison::Equal;
    TValueType   TermType = TValueType::Int;
    std::uint8_t Link = 0;     // 1: "and" follows, 0: "or" follows; unused on the last term
};

struct TAssignment {
    void      *Target = nullptr;
    void      *Source = nullptr;
    TValueType AssignType = TValueType::Int;
    TAssignOp  AssignOp = TAssignOp::Set;
};

// A compile error. The message is the compiler's text; Offset tells where in the file it stopped
// (the byte after the token that failed).
struct TScriptError : std::runtime_error {
    TScriptError(const std::string &message, std::size_t offset) : std::runtime_error(message), Offset(offset) {}
    std::size_t Offset;
};

// The game's side of the commands that act on the game. The script data exchange implements it;
// without a handler those commands do nothing.
class TScriptCommandHandler {
public:
    virtual ~TScriptCommandHandler() = default;
    // Called once per command when it has compiled (a command may check its data here).
    virtual void Prepare(const TScriptCommand &) {}
    // Carries the command out. Its arguments are read and written with the accessors of TScript.
    virtual void Execute(const TScriptCommand &command) = 0;
};

class TScript {
public:
    // The tokenizer reads the table AppDir + "Data\Tables\Script.ptb".
    TScript();
    explicit TScript(const std::string &tableFileName);
    TScript(const TScript &) = delete;
    TScript &operator=(const TScript &) = delete;

    // Compiles the file (read through the archive, or the disk). Throws TScriptError with the
    // compiler's message at the first error; the script must not be run then.
    void Load(const std::string &fileName);
    // Runs the blocks for one frame of Dt ms. Run-time errors propagate to the caller.
    void Update(int dt);

    // The entry of Name, or null.
    const TScriptVariable *FindVariable(const std::string &name) const;

    // Access to the storage an argument refers to.
    static std::int32_t &IntAt(void *ref) { return *static_cast<std::int32_t *>(ref); }
    static float &FloatAt(void *ref) { return *static_cast<float *>(ref); }
    static bool BoolAt(const void *ref) { return *static_cast<const std::uint8_t *>(ref) != 0; }
    static void SetBool(void *ref, bool value) { *static_cast<std::uint8_t *>(ref) = value ? 1 : 0; }
    static std::string TextAt(const void *ref);

    std::unique_ptr<std::uint8_t[]> DataArea;   // every variable, constant, term and assignment
    std::size_t                     DataTop = 0;
    std::vector<TScriptVariable>    Variables;
    TTextParser                     Parser;
    std::vector<TScriptBlock>       Blocks;
    std::vector<int>                Declared;        // the file's declarations, by first appearance
    TScriptCommandHandler          *Handler = nullptr;
    int                             RunningBlock = -1;   // the block being run, for error reports

private:
    struct TOperand {
        void      *Storage;
        TValueType Type;
    };

    [[noreturn]] void Fail(const std::string &message) const;
    void NextToken();
    void SkipComments();
    void *Carve(std::size_t size, std::size_t alignment);
    std::size_t EnterIndex(const std::string &name, TValueType type);
    void *Enter(const std::string &name, TValueType type);
    void AddBound(const std::string &name, TValueType type, void *field);
    void AddConstant(const std::string &name, std::int32_t value);
    void EnterPredefined();
    const TScriptVariable *FindVisible(const std::string &name) const;
    TOperand Operand(const std::string &token);
    void CompileDeclarations();
    void CompileBlock();
    void CompileCommand(TScriptCommand &command);
    void CompileCondition(TScriptCommand &command);
    void CompileAssignment(TScriptCommand &command);
    bool RunBlock(TScriptBlock &block);
    static bool Evaluate(const TScriptCommand &command);
    static void Assign(const TAssignment &assignment);

    std::unordered_map<std::string, int> NameIndex;
    TArchiveStream *Stream = nullptr;   // the file being compiled
    std::string     Token;
    int             HiddenTextCount = 0;
};
