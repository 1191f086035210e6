// Flight recordings on disk: what is written reads back the same, a damaged or cut-short file is
// refused with a message naming it, a game that stops abruptly still leaves a playable recording;
// and the pad's stick response.

#include "core/Bytes.h"
#include "core/Recording.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const TRecordingStart SomeStart{0xDEADBEEFu, 20, "Data\\Maps\\Level3.ses",
                                "KP_FORWARD=87\r\nKP_FORWARD=256\r\nPAD_DEADZONE=15\r\n", 2};

// Frames with something in every field: keys at both ends of the keyboard and the pad, the cursor
// off the window, a pad pushed past full deflection, each flag on and off, a frame held by Enter.
std::vector<TFrameInput> SomeFrames()
{
    std::vector<TFrameInput> frames(3);
    frames[0].Measured = 16;
    frames[0].Step = 16;
    for (int code : {1, 87, VkPadFirst, KeyCodeCount - 1})
        frames[0].SetKey(code, true);
    frames[0].CursorScreen = {-40, 1300};
    frames[0].CursorClient = {-240, 1000};
    frames[1].Measured = 200;
    frames[1].Step = 0;
    frames[1].Focus = false;
    frames[1].RussianLayout = true;
    frames[1].Pad = {true, -1.5f, 0.25f, 0.0f, 1.0f};
    frames[2].Measured = 1;
    frames[2].Step = 25;
    frames[2].SetKey(0, true);
    frames[2].SetKey(255, true);
    return frames;
}

fs::path Write(const fs::path &path, const std::vector<TFrameInput> &frames, const TRecordingStart &start = SomeStart)
{
    TRecordWriter writer(path.string());
    writer.Begin(start);
    for (const TFrameInput &frame : frames)
        writer.Frame(frame);
    EXPECT_TRUE(writer.Finish());
    return path;
}

std::vector<std::uint8_t> Bytes(const fs::path &path)
{
    const std::string text = ReadAll(path);
    return {text.begin(), text.end()};
}

std::string Refusal(const fs::path &path)
{
    try {
        TReplay replay(path.string());
    } catch (const TRecordingError &e) {
        return e.what();
    }
    return "accepted with no complaint";
}

TEST(Recording, FramesAndStartReadBackAsWritten)
{
    const TTempDir dir("recording");
    const std::vector<TFrameInput> frames = SomeFrames();
    TReplay replay(Write(dir.Path / "flight.rec", frames).string());
    EXPECT_EQ(replay.Start, SomeStart);
    ASSERT_EQ(replay.Frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const TFrameInput *frame = replay.Next();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(*frame, frames[i]);
    }
    EXPECT_EQ(replay.Next(), nullptr) << "the run ends with its recording";
    EXPECT_TRUE(replay.Frames[0].KeyDown(VkPadFirst) && replay.Frames[0].KeyDown(KeyCodeCount - 1));
    EXPECT_FALSE(replay.Frames[0].KeyDown(2) || replay.Frames[0].KeyDown(KeyCodeCount) || replay.Frames[0].KeyDown(-1));

    // A run that ended before its first frame still makes a recording to play: of nothing.
    TReplay empty(Write(dir.Path / "empty.rec", {}, TRecordingStart{}).string());
    EXPECT_EQ(empty.Start, TRecordingStart{});
    EXPECT_EQ(empty.Next(), nullptr);
}

TEST(Recording, AFirstVersionRecordingWithoutTheDifficultyPlaysOnNormal)
{
    // The header as the first version wrote it: no difficulty after the bindings.
    const TTempDir dir("recording-v1");
    const std::vector<std::uint8_t> current = Bytes(Write(dir.Path / "now.rec", {SomeFrames()[0]}));
    const std::size_t header = EncodeRecordingHeader(SomeStart).size();
    TByteWriter old;
    old.Bytes(current.data(), 4);   // the magic
    old.UInt(1);
    old.UInt(SomeStart.Seed);
    old.Int(SomeStart.Page);
    old.String(SomeStart.Map);
    old.String(SomeStart.Bindings);
    old.UInt(Crc32(old.Out.data(), old.Out.size()));
    old.Out.insert(old.Out.end(), current.begin() + std::ptrdiff_t(header), current.end());
    WriteBytes(dir.Path / "old.rec", old.Out);
    const TReplay replay((dir.Path / "old.rec").string());
    EXPECT_EQ(replay.Start.Difficulty, 1);
    EXPECT_EQ(replay.Start.Map, SomeStart.Map);
    EXPECT_EQ(replay.Start.Bindings, SomeStart.Bindings);
    EXPECT_EQ(replay.Frames.size(), 1u);

    // A difficulty the game does not have is a damaged header.
    TRecordingStart odd = SomeStart;
    odd.Difficulty = 7;
    Write(dir.Path / "odd.rec", {SomeFrames()[0]}, odd);
    try {
        TReplay refused((dir.Path / "odd.rec").string());
        ADD_FAILURE() << "a recording on difficulty 7 was read";
    } catch (const TRecordingError &e) {
        EXPECT_NE(std::string(e.what()).find("odd.rec\" is damaged: its header names difficulty 7"), std::string::npos)
            << e.what();
    }
}

TEST(Recording, DamagedOrCutShortFilesAreRefusedNamingThem)
{
    const TTempDir dir("recording-damage");
    const std::vector<std::uint8_t> good = Bytes(Write(dir.Path / "good.rec", {SomeFrames()[0], SomeFrames()[1]}));
    const std::size_t header = EncodeRecordingHeader(SomeStart).size();
    const std::size_t frame = EncodeRecordedFrame(TFrameInput{}).size();
    const std::size_t end = good.size() - 9;   // where the end record starts
    ASSERT_EQ(end, header + 2 * frame);

    auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(size)); };
    auto flip = [&](std::size_t at) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] ^= 0x40;
        return bytes;
    };
    auto withEnd = [&](std::vector<std::uint8_t> tail) {
        std::vector<std::uint8_t> bytes = cut(end);
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    std::vector<std::uint8_t> otherVersion = good;
    StoreU32(otherVersion.data() + 4, 3);
    TFrameInput forged;
    forged.Step = 1000;   // with a good check: made by hand, not by the game
    std::vector<std::uint8_t> forgedFile = cut(header);
    for (std::uint8_t b : EncodeRecordedFrame(forged))
        forgedFile.push_back(b);
    for (std::uint8_t b : EncodeRecordingEnd(1))
        forgedFile.push_back(b);
    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);

    const struct {
        const char *What;
        std::vector<std::uint8_t> Bytes;
        std::string Message;   // after the file's name
    } cases[] = {
        {"empty", {}, " is not a flight recording of this game"},
        {"a picture", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, " is not a flight recording of this game"},
        {"cut in the magic", cut(3), " is not a flight recording of this game"},
        {"another version", otherVersion, " has format version 3; this game plays versions 1 to 2"},
        {"cut in the header", cut(header - 10), " is damaged: it ends inside its header"},
        {"map changed", flip(20), " is damaged: its header fails its check"},
        {"seed changed", flip(8), " is damaged: its header fails its check"},
        {"frame 2 changed", flip(header + frame + 30), " is damaged: frame 2 fails its check"},
        {"cut in frame 2", cut(header + frame + 40), " is cut short after 1 frames: it does not end as a finished recording does"},
        {"no end", cut(end), " is cut short after 2 frames: it does not end as a finished recording does"},
        {"cut in the end", cut(end + 5), " is cut short after 2 frames: it does not end as a finished recording does"},
        {"end changed", flip(end + 2), " is damaged: its end fails its check"},
        {"end miscounts", withEnd(EncodeRecordingEnd(3)), " is damaged: its end counts 3 frames, but it holds 2"},
        {"stranger record", withEnd({'X', 0, 0, 0, 0, 0, 0, 0, 0}), " is damaged: frame 3 is not a frame"},
        {"more after the end", trailing, " is damaged: more follows its end"},
        {"forged step", forgedFile, " is damaged: frame 1 holds values the game cannot have read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        const fs::path path = dir.Path / "my flight.rec";
        WriteBytes(path, c.Bytes);
        const bool notOurs = c.Message.rfind(" is not", 0) == 0;
        EXPECT_EQ(Refusal(path), (notOurs ? "\"" : "The recording \"") + path.string() + "\"" + c.Message);
    }
    EXPECT_EQ(Refusal(dir.Path / "missing.rec"), "Cannot read the recording \"" + (dir.Path / "missing.rec").string() + "\"");
}

// The end of a recording is written whatever stops the game: an error unwinding it, or a crash.
TEST(Recording, AGameStoppedAbruptlyLeavesAPlayableRecording)
{
    const TTempDir dir("recording-abrupt");
    const std::vector<TFrameInput> frames = SomeFrames();
    const fs::path unwound = dir.Path / "unwound.rec";
    try {
        TRecordWriter writer(unwound.string());
        writer.Begin(SomeStart);
        writer.Frame(frames[0]);
        writer.Frame(frames[1]);
        throw std::runtime_error("File not found: \"Data\\Maps\\Level2.ses\"");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(TReplay(unwound.string()).Frames, std::vector<TFrameInput>(frames.begin(), frames.begin() + 2));

    const struct {
        const char *Name;
        int Signal;
    } crashes[] = {{"segv.rec", SIGSEGV}, {"abort.rec", SIGABRT}, {"term.rec", SIGTERM}};
    for (const auto &crash : crashes) {
        SCOPED_TRACE(crash.Name);
        const fs::path path = dir.Path / crash.Name;
        EXPECT_EXIT(
            {
                TRecordWriter writer(path.string());
                writer.Begin(SomeStart);
                for (const TFrameInput &frame : frames)
                    writer.Frame(frame);
                std::raise(crash.Signal);
                std::_Exit(0);
            },
            testing::KilledBySignal(crash.Signal), "");
        const TReplay replay(path.string());
        EXPECT_EQ(replay.Start, SomeStart);
        EXPECT_EQ(replay.Frames, frames);
    }

    // A run that never reached its first frame leaves no file; an unwritable place is refused at once.
    const fs::path never = dir.Path / "never.rec";
    TRecordWriter(never.string()).Finish();
    EXPECT_FALSE(fs::exists(never));
    try {
        TRecordWriter writer((dir.Path / "no such folder" / "x.rec").string());
        ADD_FAILURE() << "created";
    } catch (const TRecordingError &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot write the recording \"" + (dir.Path / "no such folder" / "x.rec").string() + "\": ", 0), 0u)
            << e.what();
    }
}

TEST(PadResponse, DeadZoneStretchAndSensitivity)
{
    const struct {
        float X, Y, Zone, Sensitivity;
        float WantX, WantY;
    } cases[] = {
        {0.19f, 0, 0.2f, 1, 0, 0},              // inside the zone: still
        {0.1f, 0.15f, 0.2f, 1, 0, 0},           // inside it diagonally too (0.18 from the centre)
        {0.6f, 0, 0.2f, 1, 0.5f, 0},            // the rest of the travel starts from 0 at the zone's edge
        {0, -1, 0.2f, 1, 0, -1},                // full deflection is 1
        {1, 1, 0.2f, 1, 0.70710678f, 0.70710678f},   // a square gate's corner is full deflection, not more
        {-0.6f, 0, 0.2f, 2, -1, 0},             // sensitivity multiplies after the stretch
        {1, 0, 0.2f, 3, 3, 0},
        {0.5f, 0, 0, 1, 0.5f, 0},               // no zone: as the pad reads
        {0.5f, 0, 2, 1, 0, 0},                  // a zone past the whole travel is kept below it
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.X) + "," + std::to_string(c.Y) + " zone " + std::to_string(c.Zone) + " x" +
                     std::to_string(c.Sensitivity));
        const TPadState pad = ApplyPadResponse({true, c.X, c.Y, 0.25f, 0.75f}, c.Zone, c.Sensitivity);
        EXPECT_TRUE(pad.Connected);
        EXPECT_NEAR(pad.StickX, c.WantX, 1e-5f);
        EXPECT_NEAR(pad.StickY, c.WantY, 1e-5f);
        EXPECT_EQ(pad.TriggerLeft, 0.25f);
        EXPECT_EQ(pad.TriggerRight, 0.75f);
    }
    EXPECT_EQ(ApplyPadResponse({false, 1, 1, 1, 1}, 0.2f, 1), TPadState{}) << "no pad reads nothing";
}

// Mouse sensitivity: the offset from the parked cursor is scaled, screen and client positions
// alike; the leftover of a pixel carries into the next frame, so slow motions still steer.
TEST(MouseScale, MotionFromTheCentreIsScaledAndNothingIsLost)
{
    const TPoint centre{500, 400};   // the window's client corner is at (100, 100)
    auto frame = [](int dx, int dy) {
        TFrameInput input;
        input.CursorScreen = {500 + dx, 400 + dy};
        input.CursorClient = {400 + dx, 300 + dy};
        return input;
    };
    TMouseScale scale;
    TFrameInput input = frame(10, -7);
    scale.Apply(input, centre, 150);
    EXPECT_EQ(input.CursorScreen, (TPoint{515, 390}));   // 15 and -10.5, the half kept
    EXPECT_EQ(input.CursorClient, (TPoint{415, 290}));
    input = frame(0, -1);
    scale.Apply(input, centre, 150);
    EXPECT_EQ(input.CursorScreen, (TPoint{500, 398})) << "-1.5 and the half left over";
    input = frame(4, 0);
    scale.Apply(input, centre, 100);
    EXPECT_EQ(input.CursorScreen, (TPoint{504, 400})) << "100% is the motion itself";

    // At 10%, three pixels a frame move one pixel every fourth frame.
    scale.Reset();
    int moved = 0;
    for (int i = 0; i < 12; ++i) {
        input = frame(3, 0);
        scale.Apply(input, centre, 10);
        moved += input.CursorScreen.x - 500;
        EXPECT_EQ(input.CursorClient.x - 400, input.CursorScreen.x - 500);
    }
    EXPECT_EQ(moved, 3);
}

} // namespace
