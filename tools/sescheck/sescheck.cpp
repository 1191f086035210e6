// sescheck: a mission author's check of a ".ses" script, compiled exactly as the game compiles it.
//
//   sescheck [--game DIR] FILE
//   sescheck [--game DIR] [--commands] --run N --dt MS FILE
//
// The first form compiles FILE and exits 0, or prints the compiler's message as the first line of
// standard error, then where in the file it stopped, and exits 1. With --run the script then runs N
// frames of MS milliseconds and every variable the file declares is printed as "name = value"
// (floats with the comma). Commands that act on the game do nothing here; --commands lists each one
// as it runs. The tokenizer table comes from the game folder: DIR, else the "game" folder beside the
// tools, else the tool's own folder. FILE is a path on disk, or a path inside the game's data
// ("Data\Maps\Level1.ses").

#include "core/App.h"
#include "core/Files.h"
#include "core/Text.h"
#include "data/Extractor.h"
#include "script/GameVars.h"
#include "script/Script.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int ExitBadScript = 1;
constexpr int ExitBadUsage = 2;

struct TOptions {
    std::string GameDir;
    std::string File;
    bool        Run = false;
    bool        ListCommands = false;
    int         Frames = 0;
    int         FrameMs = 25;
};

void Usage(std::FILE *to)
{
    std::fputs("usage: sescheck [--game DIR] FILE\n"
               "       sescheck [--game DIR] [--commands] --run N --dt MS FILE\n"
               "Compiles the mission script FILE as the game does; with --run also runs N frames of MS\n"
               "milliseconds and prints every declared variable as \"name = value\". --commands lists the\n"
               "commands that would act on the game as they run. DIR is the game folder (Data.dpg or a\n"
               "loose Data tree).\n",
               to);
}

bool ParseCount(const std::string &text, int &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// Throws std::invalid_argument for a bad command line.
TOptions ParseArguments(const std::vector<std::string> &args)
{
    TOptions options;
    bool frameMsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--game" && hasValue) {
            options.GameDir = args[++i];
        } else if (arg == "--run" && hasValue) {
            if (!ParseCount(args[++i], options.Frames))
                throw std::invalid_argument("--run needs a number of frames");
            options.Run = true;
        } else if (arg == "--dt" && hasValue) {
            if (!ParseCount(args[++i], options.FrameMs))
                throw std::invalid_argument("--dt needs a frame time in milliseconds");
            frameMsGiven = true;
        } else if (arg == "--commands") {
            options.ListCommands = true;
        } else if (!arg.empty() && arg[0] == '-' && arg.size() > 1) {
            throw std::invalid_argument("unknown option \"" + arg + "\"");
        } else if (options.File.empty()) {
            options.File = arg;
        } else {
            throw std::invalid_argument("only one script at a time");
        }
    }
    if (options.File.empty())
        throw std::invalid_argument("no script given");
    if (options.Run != frameMsGiven)
        throw std::invalid_argument("--run and --dt go together");
    if ((options.ListCommands) && !options.Run)
        throw std::invalid_argument("--commands needs --run");
    return options;
}

std::string GameFolder(const TOptions &options)
{
    if (!options.GameDir.empty())
        return options.GameDir.back() == '/' ? options.GameDir : options.GameDir + "/";
    const std::string beside = ExecutableDir() + "../game/";
    if (FileExists(beside + "Data.dpg") || FileExists(beside + "Data\\Tables\\Script.ptb"))
        return beside;
    return ExecutableDir();
}

// "FILE:LINE: " and the line's text, for the byte at Offset.
std::string Place(const std::string &shownName, const std::vector<std::uint8_t> &bytes, std::size_t offset)
{
    // Offset is just past the delimiter that ended the last token: step back onto that delimiter.
    const std::size_t at = std::min(offset > 0 ? offset - 1 : 0, bytes.size());
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < at; ++i)
        if (bytes[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    std::size_t lineEnd = lineStart;
    while (lineEnd < bytes.size() && bytes[lineEnd] != '\n' && bytes[lineEnd] != '\r')
        ++lineEnd;
    return shownName + ":" + std::to_string(line) + ": " +
           std::string(bytes.begin() + std::ptrdiff_t(lineStart), bytes.begin() + std::ptrdiff_t(lineEnd));
}

// The shortest text that reads back as the same float, with the game's comma.
std::string FloatText(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    double shortest = 0;
    if (!TextToFloat(text, shortest))   // "inf", "nan": no digits to read
        return FloatToText(value);
    return FloatToText(shortest);
}

std::string ValueText(const TScriptVariable &v)
{
    switch (v.VarType) {
    case TValueType::Int: return std::to_string(TScript::IntAt(v.Storage));
    case TValueType::Bool: return TScript::BoolAt(v.Storage) ? "true" : "false";
    case TValueType::Float: return FloatText(TScript::FloatAt(v.Storage));
    default: return TScript::TextAt(v.Storage);
    }
}

// Lists the commands that would act on the game, with their arguments' current values.
class TCommandLister : public TScriptCommandHandler {
public:
    void Execute(const TScriptCommand &command) override
    {
        const TCommandInfo &info = Commands[std::size_t(command.Opcode)];
        std::string line = "frame " + std::to_string(Frame) + ": " + std::string(info.Name);
        for (int i = 0; i < info.ArgCount; ++i) {
            switch (info.Args[i]) {
            case TArgKind::Int: line += " " + std::to_string(TScript::IntAt(command.Args[i])); break;
            case TArgKind::Float: line += " " + FloatText(TScript::FloatAt(command.Args[i])); break;
            case TArgKind::Bool: line += TScript::BoolAt(command.Args[i]) ? " true" : " false"; break;
            case TArgKind::Text: line += " \"" + TScript::TextAt(command.Args[i]) + "\""; break;
            default: line += " (out)"; break;
            }
        }
        std::printf("%s\n", line.c_str());
    }
    int Frame = 0;
};

int Check(const TOptions &options)
{
    AppDir = GameFolder(options);
    OpenGameArchive(AppDir);
    // A file on disk first, then an entry of the game's data; named as given when it is neither.
    const bool inData = !FileExists(options.File) &&
                        (FileExists(AppDir + options.File) || Extractor->FindFile(AppDir + options.File) >= 0);
    const std::string path = inData ? AppDir + options.File : options.File;

    TScript script;
    TCommandLister lister;
    if (options.ListCommands)
        script.Handler = &lister;
    try {
        script.Load(path);
    } catch (const TScriptError &e) {
        const TSimpleFile file(path, Extractor);
        std::fprintf(stderr, "%s\n%s\n", e.what(), Place(options.File, file.Data, e.Offset).c_str());
        return ExitBadScript;
    }
    if (!options.Run)
        return 0;

    int frame = 1;
    try {
        for (; frame <= options.Frames; ++frame) {
            lister.Frame = frame;
            FrameTime = options.FrameMs;
            script.Update(options.FrameMs);
            ScriptStandIns.Timer.Update(options.FrameMs);
        }
    } catch (const std::exception &e) {
        std::string where = "frame " + std::to_string(frame);
        if (script.RunningBlock >= 0) {
            const TScriptBlock &block = script.Blocks[std::size_t(script.RunningBlock)];
            const TSimpleFile file(path, Extractor);
            where = Place(options.File, file.Data, block.Commands[std::size_t(block.Pc)].SourceOffset) + "\n" +
                    where + ", block " + std::to_string(script.RunningBlock + 1);
        }
        std::fprintf(stderr, "%s\n%s\n", e.what(), where.c_str());
        return ExitBadScript;
    }
    for (int index : script.Declared) {
        const TScriptVariable &v = script.Variables[std::size_t(index)];
        std::printf("%s = %s\n", v.Name.c_str(), ValueText(v).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        Usage(stdout);
        return 0;
    }
    TOptions options;
    try {
        options = ParseArguments(args);
    } catch (const std::invalid_argument &e) {
        std::fprintf(stderr, "sescheck: %s\n", e.what());
        Usage(stderr);
        return ExitBadUsage;
    }
    try {
        return Check(options);
    } catch (const std::exception &e) {
        // A missing script or table: the message alone, as the game would show it.
        std::fprintf(stderr, "%s\n", e.what());
        return ExitBadScript;
    }
}
