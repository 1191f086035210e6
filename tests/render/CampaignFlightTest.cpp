// The campaign's first missions flown and won in the real game. The test pilot flies each mission in
// the simulation, deciding every frame from the world as it stands (the take-off, the rings, passes
// on the enemies the radar shows, the landing on the carrier); the game replays what it flew once,
// on screen, with screenshots at the steps worth a look. At every shot the game's mission line is
// the one the pilot's flight had at that frame: the replay flies what the pilot flew.

#include "data/Config.h"
#include "tests/render/FlightHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The take-off: the aircraft runs on full power and takes no input for its first 2.5 seconds.
constexpr int TakeOffFrames = 2500 / PilotFrameMs;

// The checkpoint ring: bright green, unlike the sea and the sky.
bool RingGreen(int r, int g, int b) { return g > 120 && g > r + 50 && g > b + 20; }
// The gun's tracers: near white, and whiter where they overlap.
bool TracerBright(int r, int g, int b) { return r > 200 && g > 220 && b > 200; }

class CampaignFlight : public FlightRun {
protected:
    // The pilot's flight of Level (a player on that level, as the menu would start it) and its
    // recording, written to Recording.
    TPilotFlight Fly(const std::string &level, const fs::path &recording)
    {
        TConfig config = LightSettings();
        config.PlayerCount = 1;
        config.CurrentPlayer = 0;
        config.Players[0].Name = "Pilot";
        config.Players[0].Level = level;
        SaveSettings(config);

        TPilotMission mission;
        mission.GameDir = Dir.string();
        mission.Map = "Data/Maps/" + level;
        mission.Start = Probe(mission.Map, 20240917, mission.Centre);
        mission.Settings = config;
        const TPilotFlight flight = FlyMission(mission);
        if (flight.Failure.empty())
            WriteFlight(recording, mission.Start, mission.Centre, flight.Frames);
        return flight;
    }

    // Each shot's mission line in the replay is the pilot's at that frame.
    static void ExpectTheFlightsLines(const TFlightReplay &replay, const TPilotFlight &flight,
                                      const std::vector<TShotAt> &shots)
    {
        for (const TShotAt &shot : shots)
            EXPECT_EQ(replay.Lines.at(shot.Name), flight.LineAt(shot.Frame)) << shot.Name << " at frame " << shot.Frame;
    }

    // A whole mission won: the game's last line, and the next level saved for the player.
    void ExpectWon(const TFlightReplay &replay, const TPilotFlight &flight, const std::string &next)
    {
        EXPECT_EQ(replay.Final, flight.Lines.back().second);
        EXPECT_EQ(replay.Final.rfind("mission: won ", 0), 0u) << replay.Final;
        EXPECT_EQ(replay.Final.find(":new"), std::string::npos) << "a task left open: " << replay.Final;
        EXPECT_EQ(replay.Final.find(":failed"), std::string::npos) << replay.Final;
        TConfig saved;
        saved.Load((Dir / "Config.cfg").string());
        EXPECT_EQ(saved.Players[0].Level, next);
    }
};

TEST_F(CampaignFlight, TheFirstMissionIsFlownAndWonAndHandsOnTheNextLevel)
{
    const fs::path recording = Dir / "level1.rec";
    const TPilotFlight flight = Fly("Level1.ses", recording);
    ASSERT_EQ(flight.Failure, "");
    // Three rings, and the deck gate's checkpoint at the landing.
    ASSERT_GE(flight.Checkpoints.size(), 3u);
    ASSERT_FALSE(flight.GunBursts.empty());
    ASSERT_FALSE(flight.SternGates.empty());

    const std::vector<TShotAt> shots = {
        {TakeOffFrames + 40, "level1-1-takeoff"},
        {flight.Checkpoints[0] - 10, "level1-2-first-ring"},
        {flight.GunBursts[0] + 8, "level1-3-gun-pass"},
        {flight.SternGates.back() - 60, "level1-4-approach"},
        {int(flight.Frames.size()), "level1-5-won"},
    };
    const TFlightReplay replay = Replay(recording, shots);
    ExpectTheFlightsLines(replay, flight, shots);

    // Airborne off the bow, heading for the first ring; the first task set.
    EXPECT_EQ(replay.Lines.at("level1-1-takeoff"),
              "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new");

    // Just short of the first ring: it stands in the middle of the picture, green against the sea
    // and the sky (the HUD's own green is elsewhere).
    EXPECT_GT(CountPixels(Shot("level1-2-first-ring"), 300, 150, 500, 450, RingGreen), 500);

    // The first gun pass: the rings are behind, the ships are the task now, and the gun's tracers
    // run from the nose up to the ship in the middle of the screen (over the sea below the
    // crosshair nothing else is white).
    const std::string &diving = replay.Lines.at("level1-3-gun-pass");
    EXPECT_EQ(diving.rfind("mission: running health=1000 ", 0), 0u) << diving;
    EXPECT_NE(diving.find("tasks=0:complete,1:new"), std::string::npos) << diving;
    EXPECT_GT(CountPixels(Shot("level1-3-gun-pass"), 370, 345, 430, 480, TracerBright), 150);
    EXPECT_LT(CountPixels(Shot("level1-1-takeoff"), 370, 345, 430, 480, TracerBright), 20);

    // Lined up low behind the carrier, the stern ring ahead: every ship sunk, and the landing the
    // task now.
    const std::string &approach = replay.Lines.at("level1-4-approach");
    EXPECT_NE(approach.find(" ship_kills=3 "), std::string::npos) << approach;
    EXPECT_NE(approach.find("tasks=0:complete,1:complete,2:new"), std::string::npos) << approach;

    // Over both gates: the mission is won, and the player's next level is the second one, with the
    // ships' score.
    EXPECT_EQ(replay.Final.rfind("mission: won health=1000 air_kills=0 ship_kills=3 ", 0), 0u) << replay.Final;
    ExpectWon(replay, flight, "Level2.ses");
    TConfig saved;
    saved.Load((Dir / "Config.cfg").string());
    EXPECT_EQ(saved.Players[0].Score, 3 * 500);
}

// Level 2 and Level 3: the rings, the enemies the radar shows sunk with the gun and the missiles, the
// landing; a few shots along the way, the game's line at each the pilot's, the mission won and the
// next level handed on.
TEST_F(CampaignFlight, TheSecondMissionIsFlownAndWon)
{
    const fs::path recording = Dir / "level2.rec";
    const TPilotFlight flight = Fly("Level2.ses", recording);
    ASSERT_EQ(flight.Failure, "");
    ASSERT_FALSE(flight.Checkpoints.empty());
    ASSERT_FALSE(flight.SternGates.empty());

    const std::vector<TShotAt> shots = {
        {TakeOffFrames + 40, "level2-1-takeoff"},
        {flight.Checkpoints[0] - 10, "level2-2-first-ring"},
        {flight.SternGates.back() - 60, "level2-3-approach"},
        {int(flight.Frames.size()), "level2-4-won"},
    };
    const TFlightReplay replay = Replay(recording, shots);
    ExpectTheFlightsLines(replay, flight, shots);
    EXPECT_EQ(replay.Lines.at("level2-1-takeoff"),
              "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new");
    EXPECT_GT(CountPixels(Shot("level2-2-first-ring"), 300, 150, 500, 450, RingGreen), 500);
    // The raiders at the Twins and their destroyer sunk, the landing the task now.
    const std::string &approach = replay.Lines.at("level2-3-approach");
    EXPECT_NE(approach.find(" ship_kills=4 "), std::string::npos) << approach;
    EXPECT_NE(approach.find("tasks=0:complete,1:complete,2:complete,3:new"), std::string::npos) << approach;
    ExpectWon(replay, flight, "Level3.ses");

    // The flight with its missile locks, flown again without a window through the same tick in a
    // picture of the recorded size: it ends the same.
    const TToolRun headless =
        RunTool(Dir, std::string(ZEPHRONA_TOOLS_DIR) + "/missionrun --replay " + recording.string() + " --game .");
    EXPECT_EQ(headless.Status, 0) << headless.Err;
    const std::vector<std::string> lines = SplitLines(headless.Out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), replay.Final);
}

TEST_F(CampaignFlight, TheThirdMissionIsFlownAndWon)
{
    const fs::path recording = Dir / "level3.rec";
    const TPilotFlight flight = Fly("Level3.ses", recording);
    ASSERT_EQ(flight.Failure, "");
    ASSERT_FALSE(flight.Checkpoints.empty());
    ASSERT_FALSE(flight.GunBursts.empty());
    ASSERT_FALSE(flight.SternGates.empty());

    const std::vector<TShotAt> shots = {
        {TakeOffFrames + 40, "level3-1-takeoff"},
        {flight.GunBursts[0] + 8, "level3-2-gun-pass"},
        {flight.SternGates.back() - 60, "level3-3-approach"},
        {int(flight.Frames.size()), "level3-4-won"},
    };
    const TFlightReplay replay = Replay(recording, shots);
    ExpectTheFlightsLines(replay, flight, shots);
    EXPECT_EQ(replay.Lines.at("level3-1-takeoff"),
              "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new");
    EXPECT_NE(replay.Lines.at("level3-2-gun-pass").find("tasks=0:complete,1:new"), std::string::npos)
        << replay.Lines.at("level3-2-gun-pass");
    EXPECT_GT(CountPixels(Shot("level3-2-gun-pass"), 370, 345, 430, 480, TracerBright), 150);
    // Every boat stopped before it reached the fleet: the boats at the Atoll and the wave.
    const std::string &approach = replay.Lines.at("level3-3-approach");
    EXPECT_NE(approach.find(" ship_kills=8 "), std::string::npos) << approach;
    EXPECT_NE(approach.find("tasks=0:complete,1:complete,2:complete,3:new"), std::string::npos) << approach;
    ExpectWon(replay, flight, "Level4.ses");
}

} // namespace
