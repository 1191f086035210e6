#include "tests/render/FlightHarness.h"

#include "core/Recording.h"

#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

TConfig FlightRun::LightSettings()
{
    TConfig config;
    config.Shaders = false;
    config.Reflections = 0;
    config.CameraView = false;
    config.Resolution = 0;
    config.FullScreen = false;
    return config;
}

void FlightRun::SaveSettings(const TConfig &config) { ASSERT_TRUE(config.Save((Dir / "Config.cfg").string())); }

TRun FlightRun::Game(std::vector<std::string> args, int seconds)
{
    args.insert(args.begin(), {"-nowait", "-windowed", "-batch", "-fixedfps"});
    return Run(args, true, seconds);
}

TRecordingStart FlightRun::Probe(const std::string &map, std::uint32_t seed, TPoint &centre)
{
    const fs::path probe = Dir / "probe.rec";
    const TRun run = Game({"-map", map, "-frames", "4", "-record", probe.string()}, 120);
    EXPECT_EQ(run.Status, 0) << run.Stderr;
    const TReplay replay(probe.string());
    EXPECT_EQ(replay.Frames.size(), 4u);
    if (replay.Frames.empty())
        return {};
    // From the second frame on the cursor was parked in the middle of the window.
    const TFrameInput &last = replay.Frames.back();
    EXPECT_EQ(last.CursorClient.x, PilotWindowWidth / 2);
    EXPECT_EQ(last.CursorClient.y, PilotWindowHeight / 2);
    centre = last.CursorScreen;
    TRecordingStart start = replay.Start;
    start.Seed = seed;
    start.Map = map;
    start.Page = -1;
    return start;
}

void FlightRun::WriteFlight(const fs::path &file, const TRecordingStart &start, TPoint centre,
                            const std::vector<TControls> &frames)
{
    std::vector<std::uint8_t> bytes = EncodeRecordingHeader(start);
    for (const TControls &c : frames) {
        const std::vector<std::uint8_t> frame = EncodeRecordedFrame(ControlsInput(c, centre));
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    const std::vector<std::uint8_t> end = EncodeRecordingEnd(std::uint32_t(frames.size()));
    bytes.insert(bytes.end(), end.begin(), end.end());
    WriteBytes(file, bytes);
}

TFlightReplay FlightRun::Replay(const fs::path &recording, const std::vector<TShotAt> &shots, int seconds)
{
    std::string list;
    for (const TShotAt &shot : shots)
        list += (list.empty() ? "" : ",") + std::to_string(shot.Frame) + ":" + ShotFile(shot.Name).string();
    std::vector<std::string> args = {"-replay", recording.string()};
    if (!list.empty())
        args.insert(args.end(), {"-shots", list});
    TFlightReplay replay;
    replay.Run = Game(args, seconds);
    EXPECT_EQ(replay.Run.Status, 0) << replay.Run.Stderr;

    // "shot FRAME: mission: ..." at each shot, the run's own "mission: ..." last.
    std::map<int, std::string> byFrame;
    for (const std::string &line : SplitLines(replay.Run.Stdout)) {
        if (line.rfind("mission: ", 0) == 0)
            replay.Final = line;
        const std::size_t colon = line.find(": mission: ");
        if (line.rfind("shot ", 0) == 0 && colon != std::string::npos)
            byFrame[std::atoi(line.c_str() + 5)] = line.substr(colon + 2);
    }
    const char *keep = std::getenv("ZEPHRONA_KEEP_SHOTS");
    for (const TShotAt &shot : shots) {
        replay.Lines[shot.Name] = byFrame[shot.Frame];
        if (keep && fs::exists(ShotFile(shot.Name)))
            fs::copy_file(ShotFile(shot.Name), fs::path(keep) / ShotFile(shot.Name).filename(),
                          fs::copy_options::overwrite_existing);
    }
    return replay;
}
