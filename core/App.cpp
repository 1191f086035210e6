#include "core/App.h"
#include "core/Text.h"

#include <algorithm>
#include <charconv>
#include <sstream>

std::string  AppDir;
bool         QuitRequested = false;
bool         RestartRequested = false;
bool         MenuActive = true;
bool         NetworkGame = false;
bool         NetworkHost = false;
int          Language = 0;
bool         FastLoad = false;
int          FrameTime = 0;
std::int64_t LastTick = 0;
TPoint       WindowSize;
TPoint       ScreenCenter;
TPoint       CursorScreenPos;
TPoint       CursorClientPos;
TPoint       MouseReference;
bool LogEnabled = false, ShowFps = false, FixedFps = false, LeftTop = false, NeedCursorPosition = false;
bool ResizeSeen = false;

namespace {

struct TSwitchHelp {
    const char *Keyword;
    const char *Value;
    const char *Meaning;
};

constexpr TSwitchHelp SwitchHelp[] = {
    {"-log", "", "write the start-up trace to log.txt beside the game"},
    {"-fps", "", "show frames per second in a corner; on quitting, print the average"},
    {"-profile", "", "on quitting, print where a mission frame's time went (each step waits for the driver)"},
    {"-fixedfps", "", "run every frame with a fixed 25 ms step"},
    {"-fastload", "", "do not preload the model catalogue when a mission loads"},
    {"-eng", "", "English texts"},
    {"-rus", "", "Russian texts"},
    {"-lefttop", "", "place the window at the top-left corner of the screen"},
    {"-needcursorposition", "", "show the crosshair's aim point in the window title"},
    {"-windowed", "", "play in a window whatever the configuration says"},
    {"-nowait", "", "skip the 2 second wait at start-up"},
    {"-frames", "N", "quit after N frames, as the Exit page would"},
    {"-screenshot", "FILE", "when quitting, write the last frame shown to FILE as PNG"},
    {"-shots", "FRAME:FILE,...", "write the frame shown after FRAME frames (counted as -frames counts) to FILE as PNG, for each pair, and go on; with a mission, print its line \"shot FRAME: mission: ...\" then"},
    {"-batch", "", "never show a message box: its text goes to standard error and the answer is Abort"},
    {"-map", "FILE", "start the mission FILE (relative to the game folder) without the menu"},
    {"-page", "N", "open the menu on page N (for testing pages that missions lead to)"},
    {"-record", "FILE", "record every frame's input and frame time to FILE, to play the same run again"},
    {"-replay", "FILE", "play the run recorded in FILE: its input instead of the keyboard, mouse and pad"},
    {"-server", "MAP", "host the multiplayer map MAP (a name in Data/Maps/MP, e.g. Atoll.ses) as a dedicated server: no window, no sound, no aircraft; runs until SIGINT or SIGTERM"},
    {"-connect", "HOST[:PORT]", "join the network game at HOST (port 26100 unless given; [ADDRESS]:PORT for IPv6)"},
    {"-port", "N", "the TCP port a hosted game listens on (26100 unless given; 0 picks a free one)"},
    {"-name", "NAME", "the name other players see (the current player's name unless given)"},
    {"-help", "", "print this list and exit"},
};

// A switch's value that must be a whole number of 0 or more.
int WholeNumber(const std::string &keyword, const std::string &text, const std::string &what)
{
    int n = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 0)
        throw TCommandLineError("Switch " + keyword + " needs " + what + ", not \"" + text + "\"");
    return n;
}

// The pairs of "-shots": "FRAME:FILE", separated by commas.
std::vector<TShot> ShotList(const std::string &text)
{
    std::vector<TShot> shots;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        const std::string pair = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const std::size_t colon = pair.find(':');
        if (colon == std::string::npos)
            throw TCommandLineError("Switch -shots needs FRAME:FILE pairs separated by commas, not \"" + pair + "\"");
        TShot shot;
        shot.Frame = WholeNumber("-shots", pair.substr(0, colon), "a whole number of frames before each colon");
        shot.File = pair.substr(colon + 1);
        if (shot.File.empty())
            throw TCommandLineError("Switch -shots needs a file name after \"" + pair + "\"");
        shots.push_back(std::move(shot));
        if (comma == std::string::npos)
            return shots;
        from = comma + 1;
    }
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string> &args)
{
    TCommandLine cmd;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::vector<std::string> words = SplitBlanks(args[i]);
        for (std::size_t w = 0; w < words.size(); ++w) {
            const std::string &word = words[w];
            // A switch's value is the next word of the same argument, or else the next argument
            // whole, blanks and all.
            auto value = [&]() -> std::string {
                if (w + 1 < words.size())
                    return words[++w];
                if (i + 1 >= args.size())
                    throw TCommandLineError("Switch " + word + " needs a value");
                return args[++i];
            };
            if (word == "-log") cmd.LogEnabled = true;
            else if (word == "-fps") cmd.ShowFps = true;
            else if (word == "-profile") cmd.Profile = true;
            else if (word == "-fixedfps") cmd.FixedFps = true;
            else if (word == "-fastload") cmd.FastLoad = true;
            else if (word == "-eng") cmd.Language = 0;
            else if (word == "-rus") cmd.Language = 1;
            else if (word == "-lefttop") cmd.LeftTop = true;
            else if (word == "-needcursorposition") cmd.NeedCursorPosition = true;
            else if (word == "-windowed") cmd.Windowed = true;
            else if (word == "-nowait") cmd.NoWait = true;
            else if (word == "-batch") cmd.Batch = true;
            else if (word == "-help" || word == "--help") cmd.Help = true;
            else if (word == "-screenshot") cmd.Screenshot = value();
            else if (word == "-shots") {
                const std::vector<TShot> shots = ShotList(value());
                cmd.Shots.insert(cmd.Shots.end(), shots.begin(), shots.end());
            }
            else if (word == "-map") cmd.Map = value();
            else if (word == "-record" || word == "-replay") {
                std::string file = value();
                if (file.empty())
                    throw TCommandLineError("Switch " + word + " needs a file name");
                (word == "-record" ? cmd.Record : cmd.Replay) = std::move(file);
            }
            else if (word == "-server") {
                cmd.Server = value();
                if (cmd.Server.empty())
                    throw TCommandLineError("Switch -server needs a map name");
            }
            else if (word == "-connect") {
                cmd.Connect = value();
                if (cmd.Connect.empty())
                    throw TCommandLineError("Switch -connect needs HOST or HOST:PORT");
            }
            else if (word == "-name") cmd.Name = value();
            else if (word == "-port") {
                const int port = WholeNumber(word, value(), "a port number");
                if (port > 65535)
                    throw TCommandLineError("Switch -port needs a port number up to 65535");
                cmd.Port = port;
            }
            else if (word == "-frames")
                cmd.Frames = WholeNumber(word, value(), "a whole number of frames");
            else if (word == "-page")
                cmd.Page = WholeNumber(word, value(), "a page number");
            else
                throw TCommandLineError("Unknown switch \"" + word + "\" (try -help)");
        }
    }
    if (!cmd.Server.empty() && (!cmd.Connect.empty() || !cmd.Map.empty() || !cmd.Replay.empty() || !cmd.Record.empty()))
        throw TCommandLineError("Switch -server runs a dedicated server: leave out -connect, -map, -record and -replay");
    if (!cmd.Connect.empty() && !cmd.Map.empty())
        throw TCommandLineError("Switch -connect plays the server's map: leave out -map");
    if (!cmd.Replay.empty()) {
        if (!cmd.Record.empty())
            throw TCommandLineError("Switches -record and -replay cannot be used together");
        if (!cmd.Map.empty() || cmd.Page >= 0)
            throw TCommandLineError("Switch -replay starts where the recording started: leave out -map and -page");
    }
    return cmd;
}

std::string CommandLineHelp()
{
    std::string text = "Usage: zephrona [switches]\n";
    for (const TSwitchHelp &s : SwitchHelp) {
        std::string left = std::string(s.Keyword) + (*s.Value ? std::string(" ") + s.Value : "");
        left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
        text += "  " + left + s.Meaning + "\n";
    }
    return text;
}

std::string RestartArguments(bool logEnabled, bool showFps, bool fixedFps, bool fastLoad, int language,
                             bool leftTop, bool needCursorPosition)
{
    std::string args;
    if (logEnabled) args += "-log ";
    if (showFps) args += "-fps ";
    if (fixedFps) args += "-fixedfps ";
    if (fastLoad) args += "-fastload ";
    if (language == 0) args += "-eng ";
    if (language == 1) args += "-rus ";
    if (leftTop) args += "-lefttop ";
    if (needCursorPosition) args += "-needcursorposition ";
    return args;
}

TPoint ResolutionSize(int index, int desktopWidth, int desktopHeight)
{
    switch (index) {
    case 0: return {800, 600};
    case 1: return {1024, 768};
    case 2: return {1280, 1024};
    case 3: return {desktopWidth / 2 * 2, desktopHeight / 2 * 2};
    case 4: return {320, 200};
    case 5: return {640, 480};
    default: return {800, 600};
    }
}

TPoint WindowPosition(bool leftTop, TPoint desktop, TPoint window)
{
    if (leftTop)
        return {0, 0};
    return {(desktop.x - window.x) / 2, (desktop.y - window.y) / 2};
}

void ApplyResize(int width, int height, TPoint corner)
{
    ScreenCenter = {width / 2, height / 2};
    if (!ResizeSeen && width > 0 && height > 0) {
        ResizeSeen = true;
        PixelSizeX = 2.0f / float(width);
        PixelSizeY = 2.0f / float(height);
        // The virtual 1024 x 768 screen of the menu keeps its shape on any window: it fills the
        // height of a wide window (and the width of a narrow one), centred, so that one virtual unit
        // is as many pixels across as up.
        UiScale = std::min(float(width) / 1024.0f, float(height) / 768.0f);
        VirtualPixelX = UiScale * PixelSizeX;
        VirtualPixelY = UiScale * PixelSizeY;
        ScreenWidth = width;
        ScreenHeight = height;
    }
    ScreenCenter.x += corner.x;
    ScreenCenter.y += corner.y;
}

int MeasuredFrameTime(std::int64_t now, std::int64_t last)
{
    const std::int64_t elapsed = now - last;
    return elapsed < 1 ? 1 : elapsed > 1000000 ? 1000000 : int(elapsed);
}

int FixedStepSleep(int measured, bool fixedStep)
{
    return fixedStep && measured < MaxFrameStep ? MaxFrameStep - measured : 0;
}

int GameFrameTime(int measured, bool fixedStep, bool enterDown)
{
    int step = measured;
    if (fixedStep && step < MaxFrameStep)
        step = MaxFrameStep;
    step = std::min(step, MaxFrameStep);
    return enterDown ? 0 : step;
}
