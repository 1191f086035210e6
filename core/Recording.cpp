#include "core/Recording.h"

#include "core/App.h"
#include "core/Bytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>

TFrameInput FrameInput;

TPadState PadState() { return FrameInput.Pad; }
bool IsRussianKeyboard() { return FrameInput.RussianLayout; }

bool TFrameInput::KeyDown(int code) const
{
    return code >= 0 && code < KeyCodeCount && (Keys[std::size_t(code / 8)] >> (code % 8) & 1) != 0;
}

void TFrameInput::SetKey(int code, bool down)
{
    if (code < 0 || code >= KeyCodeCount)
        return;
    const auto bit = std::uint8_t(1u << (code % 8));
    std::uint8_t &byte = Keys[std::size_t(code / 8)];
    byte = down ? std::uint8_t(byte | bit) : std::uint8_t(byte & ~bit);
}

TPadState ApplyPadResponse(const TPadState &raw, float deadZone, float sensitivity)
{
    TPadState pad = raw;
    if (!raw.Connected)
        return {};
    // One round zone rather than one per axis: a stick pushed diagonally answers like one pushed
    // straight, and a pad that drifts a little off centre in any direction reads still.
    const float zone = std::clamp(deadZone, 0.0f, 0.95f);
    const float length = std::hypot(raw.StickX, raw.StickY);
    if (!(length > zone)) {
        pad.StickX = pad.StickY = 0;
        return pad;
    }
    // Sticks with square gates report more than 1 in the corners: full deflection is 1 every way.
    const float scale = (std::min(length, 1.0f) - zone) / (1 - zone) / length * sensitivity;
    pad.StickX = raw.StickX * scale;
    pad.StickY = raw.StickY * scale;
    return pad;
}

TFrameInput SampleDevices(int measured, float padDeadZone, float padSensitivity)
{
    TFrameInput input;
    input.Measured = measured;
    for (int code = 0; code < KeyCodeCount; ++code)
        input.SetKey(code, KeyDown(code));
    input.CursorScreen = GetCursor();
    input.CursorClient = GetCursorClient();
    input.Pad = ApplyPadResponse(ReadPad(), padDeadZone, padSensitivity);
    input.Focus = HasFocus();
    input.RussianLayout = RussianLayoutActive();
    return input;
}

void TMouseScale::Apply(TFrameInput &input, TPoint centre, int percent)
{
    const float x = float(input.CursorScreen.x - centre.x) * float(percent) / 100 + CarryX;
    const float y = float(input.CursorScreen.y - centre.y) * float(percent) / 100 + CarryY;
    const int dx = int(std::trunc(x)), dy = int(std::trunc(y));
    CarryX = x - float(dx);
    CarryY = y - float(dy);
    const TPoint shift{centre.x + dx - input.CursorScreen.x, centre.y + dy - input.CursorScreen.y};
    input.CursorScreen = {input.CursorScreen.x + shift.x, input.CursorScreen.y + shift.y};
    input.CursorClient = {input.CursorClient.x + shift.x, input.CursorClient.y + shift.y};
}

// ---- The file -------------------------------------------------------------------------------------

namespace {

constexpr char Magic[4] = {'Z', 'R', 'E', 'C'};
constexpr std::uint8_t FrameTag = 'F', EndTag = 'E';
constexpr std::size_t FrameSize = 1 + 4 + 4 + std::tuple_size_v<decltype(TFrameInput::Keys)> + 4 * 4 + 1 + 4 * 4 + 1 + 4;
constexpr std::size_t EndSize = 1 + 4 + 4;
constexpr std::uint8_t FlagFocus = 1, FlagRussian = 2;

constexpr std::array<std::uint32_t, 256> CrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

// Appends the CRC-32 of everything written so far.
void Seal(TByteWriter &out) { out.UInt(Crc32(out.Out.data(), out.Out.size())); }

// The end record in a fixed buffer: the crash handler may not allocate.
void FillEnd(std::uint8_t (&bytes)[EndSize], std::uint32_t frameCount)
{
    bytes[0] = EndTag;
    StoreU32(bytes + 1, frameCount);
    StoreU32(bytes + 5, Crc32(bytes, 5));
}

bool WriteAll(int file, const std::uint8_t *data, std::size_t n)
{
    while (n > 0) {
        const ssize_t written = ::write(file, data, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        n -= std::size_t(written);
    }
    return true;
}

// ---- Closing the recording of a crash ----

volatile std::sig_atomic_t CrashFile = -1;
volatile std::uint32_t CrashFrames = 0;
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTERM, SIGINT, SIGHUP};
struct sigaction PreviousActions[std::size(FatalSignals)];

void CloseOnSignal(int signal)
{
    const int file = CrashFile;
    if (file >= 0) {
        CrashFile = -1;
        std::uint8_t end[EndSize];
        FillEnd(end, CrashFrames);
        WriteAll(file, end, EndSize);
    }
    // The signal now does what it did before the recording began: usually end the program.
    for (std::size_t i = 0; i < std::size(FatalSignals); ++i)
        if (FatalSignals[i] == signal)
            sigaction(signal, &PreviousActions[i], nullptr);
    std::raise(signal);
}

void InstallCrashHandler(int file)
{
    CrashFile = file;
    struct sigaction action {};
    action.sa_handler = CloseOnSignal;
    action.sa_flags = SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(FatalSignals); ++i)
        sigaction(FatalSignals[i], &action, &PreviousActions[i]);
}

void RemoveCrashHandler()
{
    CrashFile = -1;
    for (std::size_t i = 0; i < std::size(FatalSignals); ++i)
        sigaction(FatalSignals[i], &PreviousActions[i], nullptr);
}

// ---- Reading ----

std::string Quoted(const std::string &name) { return "The recording \"" + name + "\" "; }

[[noreturn]] void Damaged(const std::string &name, const std::string &what)
{
    throw TRecordingError(Quoted(name) + "is damaged: " + what);
}

[[noreturn]] void CutShort(const std::string &name, std::size_t frames)
{
    throw TRecordingError(Quoted(name) + "is cut short after " + std::to_string(frames) +
                          " frames: it does not end as a finished recording does");
}

bool Finite(float v) { return std::isfinite(v); }

// A frame's values as the game can have produced them; anything else is damage (or a forged file,
// which must not hand the game a step of a million milliseconds).
bool Plausible(const TFrameInput &f, std::uint8_t connected, std::uint8_t flags)
{
    const std::uint8_t spareBits = std::uint8_t(0xFFu << (KeyCodeCount % 8));
    return f.Measured >= 1 && f.Measured <= 1000000 && f.Step >= 0 && f.Step <= MaxFrameStep && connected <= 1 &&
           (flags & ~(FlagFocus | FlagRussian)) == 0 && (KeyCodeCount % 8 == 0 || (f.Keys.back() & spareBits) == 0) &&
           Finite(f.Pad.StickX) && Finite(f.Pad.StickY) && std::abs(f.Pad.StickX) <= 100 && std::abs(f.Pad.StickY) <= 100 &&
           f.Pad.TriggerLeft >= 0 && f.Pad.TriggerLeft <= 1 && f.Pad.TriggerRight >= 0 && f.Pad.TriggerRight <= 1;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t *data, std::size_t n)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i)
        c = CrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> EncodeRecordingHeader(const TRecordingStart &start)
{
    TByteWriter out;
    out.Bytes(Magic, sizeof Magic);
    out.UInt(RecordingVersion);
    out.UInt(start.Seed);
    out.Int(start.Page);
    out.String(start.Map);
    out.String(start.Bindings);
    out.Int(start.Difficulty);
    Seal(out);
    return out.Out;
}

std::vector<std::uint8_t> EncodeRecordedFrame(const TFrameInput &frame)
{
    TByteWriter out;
    out.Byte(FrameTag);
    out.Int(frame.Measured);
    out.Int(frame.Step);
    out.Bytes(frame.Keys.data(), frame.Keys.size());
    out.Int(frame.CursorScreen.x);
    out.Int(frame.CursorScreen.y);
    out.Int(frame.CursorClient.x);
    out.Int(frame.CursorClient.y);
    out.Byte(frame.Pad.Connected ? 1 : 0);
    out.Float(frame.Pad.StickX);
    out.Float(frame.Pad.StickY);
    out.Float(frame.Pad.TriggerLeft);
    out.Float(frame.Pad.TriggerRight);
    out.Byte(std::uint8_t((frame.Focus ? FlagFocus : 0) | (frame.RussianLayout ? FlagRussian : 0)));
    Seal(out);
    return out.Out;
}

std::vector<std::uint8_t> EncodeRecordingEnd(std::uint32_t frameCount)
{
    std::uint8_t bytes[EndSize];
    FillEnd(bytes, frameCount);
    return {std::begin(bytes), std::end(bytes)};
}

// ---- TRecordWriter ------------------------------------------------------------------------------

TRecordWriter::TRecordWriter(std::string fileName) : FileName(std::move(fileName))
{
    File = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (File < 0)
        throw TRecordingError("Cannot write the recording \"" + FileName + "\": " + std::strerror(errno));
}

TRecordWriter::~TRecordWriter() { Finish(); }

void TRecordWriter::Put(const std::vector<std::uint8_t> &bytes)
{
    if (File < 0 || Failed)
        return;
    if (!WriteAll(File, bytes.data(), bytes.size()))
        Failed = true;
}

void TRecordWriter::Begin(const TRecordingStart &start)
{
    Begun = true;
    Put(EncodeRecordingHeader(start));
    if (!Failed && File >= 0)
        InstallCrashHandler(File);
}

void TRecordWriter::Frame(const TFrameInput &frame)
{
    Put(EncodeRecordedFrame(frame));
    if (!Failed)
        CrashFrames = ++FrameCount;
}

bool TRecordWriter::Finish()
{
    if (File < 0)
        return !Failed;
    if (!Begun) {
        // The game ended before its first frame: there is nothing to replay, and an empty file
        // would only be refused later.
        ::close(File);
        File = -1;
        ::unlink(FileName.c_str());
        return true;
    }
    RemoveCrashHandler();
    // A recording whose writes failed stays without its end: replaying it would show a flight that
    // stops where the disk filled up, as if that were where it ended.
    if (!Failed)
        Put(EncodeRecordingEnd(FrameCount));
    if (::close(File) != 0)
        Failed = true;
    File = -1;
    return !Failed;
}

// ---- TReplay ------------------------------------------------------------------------------------

void DecodeRecording(const std::vector<std::uint8_t> &bytes, const std::string &name, TRecordingStart &start,
                     std::vector<TFrameInput> &frames)
{
    if (bytes.size() < sizeof Magic || !std::equal(std::begin(Magic), std::end(Magic), bytes.begin()))
        throw TRecordingError("\"" + name + "\" is not a flight recording of this game");
    TByteReader in(bytes);
    in.Skip(sizeof Magic);
    const std::uint32_t version = in.UInt();
    if (in.Overflow())
        Damaged(name, "it ends inside its header");
    if (version != RecordingVersion && version != 1)
        throw TRecordingError(Quoted(name) + "has format version " + std::to_string(version) +
                              "; this game plays versions 1 to " + std::to_string(RecordingVersion));
    start.Seed = in.UInt();
    start.Page = in.Int();
    start.Map = in.String();
    start.Bindings = in.String();
    start.Difficulty = version >= 2 ? in.Int() : 1;
    const std::size_t headerEnd = in.Position();
    const std::uint32_t check = in.UInt();
    if (in.Overflow())
        Damaged(name, "it ends inside its header");
    if (check != Crc32(bytes.data(), headerEnd))
        Damaged(name, "its header fails its check");
    if (start.Page < -1)
        Damaged(name, "its header names page " + std::to_string(start.Page));
    if (start.Difficulty < 0 || start.Difficulty > 2)
        Damaged(name, "its header names difficulty " + std::to_string(start.Difficulty));

    frames.clear();
    for (;;) {
        const std::size_t at = in.Position();
        if (in.AtEnd())
            CutShort(name, frames.size());
        const std::uint8_t tag = in.Byte();
        const std::string where = "frame " + std::to_string(frames.size() + 1);
        if (tag == EndTag) {
            if (in.Left() < EndSize - 1)
                CutShort(name, frames.size());
            const std::uint32_t count = in.UInt();
            if (in.UInt() != Crc32(bytes.data() + at, EndSize - 4))
                Damaged(name, "its end fails its check");
            if (count != frames.size())
                Damaged(name, "its end counts " + std::to_string(count) + " frames, but it holds " +
                                  std::to_string(frames.size()));
            if (!in.AtEnd())
                Damaged(name, "more follows its end");
            return;
        }
        if (tag != FrameTag)
            Damaged(name, where + " is not a frame");
        if (in.Left() < FrameSize - 1)
            CutShort(name, frames.size());
        TFrameInput f;
        f.Measured = in.Int();
        f.Step = in.Int();
        in.Bytes(f.Keys.data(), f.Keys.size());
        f.CursorScreen.x = in.Int();
        f.CursorScreen.y = in.Int();
        f.CursorClient.x = in.Int();
        f.CursorClient.y = in.Int();
        const std::uint8_t connected = in.Byte();
        f.Pad.Connected = connected != 0;
        f.Pad.StickX = in.Float();
        f.Pad.StickY = in.Float();
        f.Pad.TriggerLeft = in.Float();
        f.Pad.TriggerRight = in.Float();
        const std::uint8_t flags = in.Byte();
        f.Focus = (flags & FlagFocus) != 0;
        f.RussianLayout = (flags & FlagRussian) != 0;
        if (in.UInt() != Crc32(bytes.data() + at, FrameSize - 4))
            Damaged(name, where + " fails its check");
        if (!Plausible(f, connected, flags))
            Damaged(name, where + " holds values the game cannot have read");
        frames.push_back(f);
    }
}

TReplay::TReplay(const std::string &fileName) : FileName(fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw TRecordingError("Cannot read the recording \"" + fileName + "\"");
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw TRecordingError("Cannot read the recording \"" + fileName + "\"");
    DecodeRecording(bytes, fileName, Start, Frames);
}
