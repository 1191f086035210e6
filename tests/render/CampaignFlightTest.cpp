// The first campaign mission, "Data\Maps\Level1.ses", flown and won in the real game from a recording
// that the test writes itself: the take-off from the carrier, the three rings, a gun pass on each of
// the supply ships at the atoll, and the landing over the carrier's deck that ends the mission with
// the next level handed on. Screenshots at each step.
//
// The recording is a scripted pilot: every frame's held keys and the cursor's offset from the
// window's centre. The pilot reads the mission script for where the rings, ships and carrier are, and
// plans its inputs ahead with a copy of the aircraft's steering and flight rules, so it knows where
// the aircraft is on every frame. It puts its targets in the middle of the screen: the gun aims at
// the point under the screen centre when the game has a crosshair, and 2000 ahead of the nose when it
// has none; a gentle dive along a ship's length straight at its middle serves both.

#include "core/Recording.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "tests/GameRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int FrameMs = 25;   // the frame time of -fixedfps
constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// The carrier's deck points as its model places them, relative to the ship: where the take-off
// starts, and its two landing gates, passed within 25 ("Land_end" over the stern first, then
// "Land_begin" mid-deck).
constexpr float StartX = -6, StartY = -105, StartZ = 22;
constexpr float LandEndX = -8, LandEndY = -120, LandBeginX = -20, LandBeginY = -20;
constexpr float GateRadius = 25;

// What the mission counts as a ring passed, and how long it takes from the landing to the next level.
constexpr float RingRadius = 150;
constexpr int EndFrames = 8000 / FrameMs + 120;

// The take-off: the aircraft runs on full power and takes no input for its first 2.5 seconds.
constexpr int TakeOffFrames = 2500 / FrameMs;

// The gun pass: a dive of this many degrees straight at the middle of the ship, firing while the
// ship is between these distances; the distance of the gun's aim point without a crosshair lies
// between them.
constexpr float DiveAngle = 15;
constexpr float DiveStart = 2600, FireFrom = 2400, FireTo = 1650;
constexpr float AimHeight = 11;      // the middle of a transport's hull above the water
constexpr float PassSpeed = 200;     // slow enough for many rounds on the target

struct TPoint3 {
    float X = 0, Y = 0, Z = 0;
};

float WrapDegrees(float a)
{
    a = std::fmod(a + 180.0f, 360.0f);
    if (a < 0)
        a += 360.0f;
    return a - 180.0f;
}

float HeadingTo(float dx, float dy) { return std::atan2(dx, dy) / Degrees; }

// ---- The mission as the script lays it out -----------------------------------------------------

struct TShip {
    TPoint3 At;
    float Heading = 0;
};

struct TMissionLayout {
    TPoint3 Carrier;
    std::vector<TPoint3> Checkpoints;   // in the order the script places them: the rings, then the deck gate
    std::vector<TShip> Ships;
};

float ScriptNumber(std::string token)
{
    // "$-120,5": a constant with the decimal comma.
    if (!token.empty() && token[0] == '$')
        token.erase(0, 1);
    std::replace(token.begin(), token.end(), ',', '.');
    return std::stof(token);
}

TMissionLayout ReadLayout(const std::string &script)
{
    TMissionLayout layout;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.size() >= 11 && w[0] == "CreateObject" && w[1] == "OBJECT_AIRCRAFTCARRIER")
            layout.Carrier = {ScriptNumber(w[5]), ScriptNumber(w[6]), ScriptNumber(w[7])};
        else if (w.size() >= 11 && w[0] == "CreateObject" && w[1] == "OBJECT_SHIP")
            layout.Ships.push_back({{ScriptNumber(w[5]), ScriptNumber(w[6]), ScriptNumber(w[7])}, ScriptNumber(w[9])});
        else if (w.size() >= 9 && w[0] == "CreateStaticDead" && w[1] == "OBJECT_CHECKPOINT")
            layout.Checkpoints.push_back({ScriptNumber(w[3]), ScriptNumber(w[4]), ScriptNumber(w[5])});
    }
    return layout;
}

// ---- The pilot ----------------------------------------------------------------------------------

// The pilot's picture of the aircraft: its steering and flight rules, in the aircraft's own float
// arithmetic, so that the plan and the flight agree to the last digits.
struct TAircraftModel {
    float X = 0, Y = 0, Z = 0;
    float Pitch = -90, Heading = 0, Speed = 10, Bank = 0;
    static constexpr float MinSpeed = 90, MaxSpeed = 800, Acceleration = 400;
    static constexpr float Sensitivity = 7;

    void Fly(float headingChange, float pitchChange, float throttle)
    {
        const float dt = float(FrameMs) / 1000.0f;
        Pitch = std::clamp(Pitch + pitchChange, -150.0f, -30.0f);
        Heading = WrapDegrees(Heading + headingChange);
        const float step = dt * Acceleration;
        Speed = std::clamp(Speed + std::clamp(throttle, -step, step), MinSpeed, MaxSpeed);
        const float heading = Heading * Degrees, climb = (Pitch + 90) * Degrees;
        X += std::sin(heading) * dt * Speed;
        Y += std::cos(heading) * dt * Speed;
        Z = std::min(Z - std::sin(climb) * dt * Speed, 1500.0f);
    }

    // A frame on deck: full power, no control.
    void TakeOff() { Fly(0, 0, 500); }

    // A frame of flight with the cursor Dx, Dy pixels off the centre.
    void Steer(int dx, int dy, bool forward, bool brake)
    {
        const float pitchChange = float(dy) / 100.0f * Sensitivity;
        Bank += float(dx) / 50.0f * Sensitivity;
        if (Bank > 0.05f)
            Bank -= 0.05f;
        else if (Bank < -0.05f)
            Bank += 0.05f;
        else
            Bank = 0;
        Bank = std::clamp(Bank, -60.0f, 60.0f);
        const float headingChange = Speed * (Bank / 250) / 60;
        float throttle = Speed >= 400 ? -50.0f : 50.0f;
        if (forward)
            throttle = 200;
        if (brake)
            throttle = -200;
        Fly(headingChange, pitchChange, throttle);
    }

    float DistanceTo(const TPoint3 &p) const { return std::hypot(p.X - X, p.Y - Y, p.Z - Z); }
};

// One frame of the pilot's hands.
struct TControls {
    int  Dx = 0, Dy = 0;
    bool Forward = false, Brake = false, Fire = false;
};

// The flight as planned: each frame's controls, where the aircraft is after it, and the frames of
// the steps worth a look.
struct TFlight {
    std::vector<TControls> Frames;
    std::vector<TAircraftModel> Track;
    std::vector<int> RingFrames;       // the first frame each ring counts
    std::vector<int> FireFrames;       // the first frame of each gun pass's fire
    std::vector<int> PassEndFrames;    // the last frame of each pass's fire
    int SternFrame = -1, DeckFrame = -1;
    std::string Failure;               // empty when the whole plan came together
};

class TPilot {
public:
    explicit TPilot(const TMissionLayout &layout) : Layout(layout)
    {
        A.X = layout.Carrier.X + StartX;
        A.Y = layout.Carrier.Y + StartY;
        A.Z = StartZ;
    }

    TFlight Plan()
    {
        for (int i = 0; i < TakeOffFrames; ++i) {
            A.TakeOff();
            Record({});
        }
        const int rings = int(Layout.Checkpoints.size()) - 1;   // the last one is the deck gate
        for (int i = 0; i < rings && Flight.Failure.empty(); ++i)
            FlyThrough(Layout.Checkpoints[std::size_t(i)]);
        for (const TShip &ship : Layout.Ships)
            if (Flight.Failure.empty())
                Attack(ship);
        if (Flight.Failure.empty())
            Land();
        return Flight;
    }

private:
    int Frame() const { return int(Flight.Frames.size()); }

    void Record(const TControls &c)
    {
        Flight.Frames.push_back(c);
        Flight.Track.push_back(A);
    }

    // The cursor offsets that bring the bank and the pitch towards the wanted ones, a limited step
    // a frame, within the window.
    int BankInput(float wanted) const
    {
        wanted = std::clamp(wanted, -60.0f, 60.0f);
        const float returned = wanted > 0.05f ? wanted + 0.05f : wanted < -0.05f ? wanted - 0.05f : wanted;
        return std::clamp(int(std::lround((returned - A.Bank) / 0.14f)), -350, 350);
    }
    int PitchInput(float wanted, float maxStep) const
    {
        const float change = std::clamp(std::clamp(wanted, -150.0f, -30.0f) - A.Pitch, -maxStep, maxStep);
        return std::clamp(int(std::lround(change / 0.07f)), -250, 250);
    }

    // Banks in proportion to the heading still to turn.
    float BankFor(float heading) const { return std::clamp(WrapDegrees(heading - A.Heading) * 3.0f, -60.0f, 60.0f); }
    // The heading that holds a line through (X, Y) on Heading, closing in on it at up to 40 degrees.
    float LineHeading(float x, float y, float heading) const
    {
        const float h = heading * Degrees;
        const float right = (A.X - x) * std::cos(h) - (A.Y - y) * std::sin(h);
        return heading - std::clamp(right * 0.2f, -40.0f, 40.0f);
    }
    // The pitch that climbs or sinks towards Altitude, at up to MaxClimb degrees.
    float PitchFor(float altitude, float maxClimb) const
    {
        return -90 - std::clamp((altitude - A.Z) * 0.2f, -maxClimb, maxClimb);
    }

    void Step(float heading, float pitch, float maxPitchStep, float speed, bool fire = false)
    {
        TControls c;
        c.Dx = BankInput(BankFor(heading));
        c.Dy = PitchInput(pitch, maxPitchStep);
        c.Forward = speed > 400 && A.Speed < speed;
        c.Brake = speed < 400 && A.Speed > speed;
        c.Fire = fire;
        A.Steer(c.Dx, c.Dy, c.Forward, c.Brake);
        Record(c);
    }

    bool OutOfTime(int since, int frames, const std::string &what)
    {
        if (Frame() - since < frames)
            return false;
        Flight.Failure = what + " not done in " + std::to_string(frames) + " frames";
        return true;
    }

    // Straight at the ring's middle, at the ring's height, fast while it is far; on through the ring
    // once the mission counts it, until it falls behind.
    void FlyThrough(const TPoint3 &ring)
    {
        const int start = Frame();
        bool counted = false;
        float last = A.DistanceTo(ring);
        while (!counted || A.DistanceTo(ring) < last) {
            if (OutOfTime(start, 4000, "a ring"))
                return;
            last = A.DistanceTo(ring);
            const float far = std::hypot(ring.X - A.X, ring.Y - A.Y);
            Step(HeadingTo(ring.X - A.X, ring.Y - A.Y), PitchFor(ring.Z, 25), 1.5f, far > 2500 ? 800 : 400);
            // The script sees the aircraft where the frame before left it: the ring counts in the next one.
            if (!counted && A.DistanceTo(ring) < RingRadius) {
                counted = true;
                Flight.RingFrames.push_back(Frame());
            }
        }
    }

    // A gun pass along the ship's length: out to a point well behind it on that line, onto the line
    // at the dive's height, then the dive straight at the hull's middle with the gun firing.
    void Attack(const TShip &ship)
    {
        const TPoint3 aim{ship.At.X, ship.At.Y, ship.At.Z + AimHeight};
        const float diveH = DiveStart * std::cos(DiveAngle * Degrees);
        const float entry = aim.Z + DiveStart * std::sin(DiveAngle * Degrees);
        // Along the ship, in the direction the aircraft already goes.
        float heading = ship.Heading;
        if (std::fabs(WrapDegrees(HeadingTo(aim.X - A.X, aim.Y - A.Y) - heading)) > 90)
            heading = WrapDegrees(heading + 180);
        const float ux = std::sin(heading * Degrees), uy = std::cos(heading * Degrees);
        const TPoint3 setup{aim.X - ux * (diveH + 3000), aim.Y - uy * (diveH + 3000), entry};

        enum { Setup, Line, Dive, PullUp } mode = Setup;
        const int start = Frame();
        int pullUp = 0;
        bool firing = false;
        while (true) {
            if (OutOfTime(start, 6000, "a gun pass"))
                return;
            const float along = (aim.X - A.X) * ux + (aim.Y - A.Y) * uy;
            const float right = (A.X - aim.X) * uy - (A.Y - aim.Y) * ux;
            const float off = std::fabs(WrapDegrees(heading - A.Heading));
            if (mode == Setup && ((along > diveH + 1500 && std::fabs(right) < 400 && off < 60) ||
                                  std::hypot(setup.X - A.X, setup.Y - A.Y) < 400))
                mode = Line;
            if (mode == Line && along <= diveH) {
                // Lined up, or round again. The dive itself still steers onto the hull's middle.
                const bool lined = std::fabs(right) < 8 && off < 1 && std::fabs(A.Z - entry) < 8;
                mode = lined ? Dive : Setup;
            }
            if (mode == Setup) {
                Step(HeadingTo(setup.X - A.X, setup.Y - A.Y), PitchFor(entry, 25), 1.5f,
                     std::hypot(setup.X - A.X, setup.Y - A.Y) > 2500 ? 800 : 400);
            } else if (mode == Line) {
                Step(LineHeading(aim.X, aim.Y, heading), PitchFor(entry, 10), 1.0f, along > diveH + 500 ? 400 : PassSpeed);
            } else if (mode == Dive) {
                const float distance = A.DistanceTo(aim);
                const float dive = std::atan2(A.Z - aim.Z, std::hypot(aim.X - A.X, aim.Y - A.Y)) / Degrees;
                const bool fire = distance <= FireFrom && distance >= FireTo;
                if (fire && !firing)
                    Flight.FireFrames.push_back(Frame());
                if (!fire && firing)
                    Flight.PassEndFrames.push_back(Frame() - 1);
                firing = fire;
                Step(LineHeading(aim.X, aim.Y, heading), -90 + dive, 1.0f, PassSpeed, fire);
                if (distance < FireTo)
                    mode = PullUp;
            } else {
                Step(heading, -100, 1.0f, 400);
                if (++pullUp > 80)
                    return;
            }
        }
    }

    // Out to a point far south of the stern on the line through both gates, then along it low over
    // the deck, through the stern ring and the deck ring.
    void Land()
    {
        const TPoint3 &deck = Layout.Checkpoints.back();
        const TPoint3 stern{Layout.Carrier.X + LandEndX, Layout.Carrier.Y + LandEndY, deck.Z};
        const float heading = HeadingTo(deck.X - stern.X, deck.Y - stern.Y);
        const float ux = std::sin(heading * Degrees), uy = std::cos(heading * Degrees);
        const TPoint3 setup{stern.X - ux * 3500, stern.Y - uy * 3500, 300};

        enum { Setup, Line, Landed } mode = Setup;
        const int start = Frame();
        int after = 0;
        while (true) {
            if (OutOfTime(start, 8000, "the landing"))
                return;
            const float along = (stern.X - A.X) * ux + (stern.Y - A.Y) * uy;
            const float right = (A.X - stern.X) * uy - (A.Y - stern.Y) * ux;
            if (mode == Setup && ((along > 2500 && std::fabs(right) < 300 &&
                                   std::fabs(WrapDegrees(heading - A.Heading)) < 30) ||
                                  std::hypot(setup.X - A.X, setup.Y - A.Y) < 300))
                mode = Line;
            if (mode == Setup) {
                const float far = std::hypot(setup.X - A.X, setup.Y - A.Y);
                Step(HeadingTo(setup.X - A.X, setup.Y - A.Y), PitchFor(setup.Z, 20), 1.5f, far > 2500 ? 800 : 400);
            } else if (mode == Line) {
                Step(LineHeading(stern.X, stern.Y, heading), PitchFor(deck.Z, 10), 1.0f, along > 800 ? 400 : PassSpeed);
                // Each gate as the script measures it: from where the frame before left the aircraft.
                const TAircraftModel &before = Flight.Track[Flight.Track.size() - 2];
                if (Flight.SternFrame < 0 && before.DistanceTo(stern) < GateRadius)
                    Flight.SternFrame = Frame() - 1;
                if (Flight.SternFrame >= 0 && before.DistanceTo(deck) < GateRadius) {
                    Flight.DeckFrame = Frame() - 1;
                    mode = Landed;
                }
                if (along < -200 && mode != Landed)
                    mode = Setup;   // missed: round again
            } else {
                Step(heading, PitchFor(150, 8), 1.0f, 400);
                if (++after > EndFrames)
                    return;
            }
        }
    }

    const TMissionLayout &Layout;
    TAircraftModel A;
    TFlight Flight;
};

// ---- The runs -----------------------------------------------------------------------------------

class CampaignFlight : public GameRun {
protected:
    void SetUp() override
    {
        GameRun::SetUp();
        if (IsSkipped())
            return;
        // A player on the first level, and a light drawing set-up: the replays draw many frames.
        TConfig config;
        config.Shaders = false;
        config.Reflections = 0;
        config.CameraView = false;
        config.Resolution = 0;
        config.FullScreen = false;
        config.PlayerCount = 1;
        config.CurrentPlayer = 0;
        config.Players[0].Name = "Pilot";
        config.Players[0].Level = "Level1.ses";
        ASSERT_TRUE(config.Save((Dir / "Config.cfg").string()));

        Layout = ReadLayout(ReadAll(fs::path(ZEPHRONA_SOURCE_DIR) / "content" / "maps" / "Level1.ses"));
        ASSERT_EQ(Layout.Checkpoints.size(), 4u) << "three rings and the deck gate";
        ASSERT_FALSE(Layout.Ships.empty());
        // The mission's deck ring must lie in the carrier's own gate, or the carrier would not re-arm
        // the aircraft that the mission counts as landed.
        const TPoint3 &deck = Layout.Checkpoints.back();
        ASSERT_LT(std::hypot(deck.X - (Layout.Carrier.X + LandBeginX), deck.Y - (Layout.Carrier.Y + LandBeginY)),
                  GateRadius);
        Flight = TPilot(Layout).Plan();
        ASSERT_EQ(Flight.Failure, "") << "the pilot's plan does not come together";
    }

    TRun Game(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-nowait", "-windowed", "-batch", "-fixedfps"});
        return Run(args, true, 900);
    }

    // A few frames of the mission flown by hand (nobody touching anything): its recording tells
    // where the game parks the cursor and the bindings it plays with.
    TRecordingStart Probe(TPoint &centre)
    {
        const fs::path probe = Dir / "probe.rec";
        const TRun run = Game({"-map", "Data/Maps/Level1.ses", "-frames", "4", "-record", probe.string()});
        EXPECT_EQ(run.Status, 0) << run.Stderr;
        const TReplay replay(probe.string());
        EXPECT_EQ(replay.Frames.size(), 4u);
        if (replay.Frames.empty())
            return {};
        const TFrameInput &last = replay.Frames.back();
        EXPECT_EQ(last.CursorClient.x, 400);
        EXPECT_EQ(last.CursorClient.y, 300);
        centre = last.CursorScreen;
        return replay.Start;
    }

    void WriteRecording(const fs::path &file)
    {
        TPoint centre;
        TRecordingStart start = Probe(centre);
        start.Seed = 20240917;
        start.Map = "Data/Maps/Level1.ses";
        start.Page = -1;
        std::vector<std::uint8_t> bytes = EncodeRecordingHeader(start);
        for (const TControls &c : Flight.Frames) {
            TFrameInput in;
            in.Measured = 1;
            in.Step = FrameMs;
            in.CursorClient = {400 + c.Dx, 300 + c.Dy};
            in.CursorScreen = {centre.x + c.Dx, centre.y + c.Dy};
            in.SetKey(KeyActions[KP_FORWARD].Default, c.Forward);
            in.SetKey(KeyActions[KP_BACKWARD].Default, c.Brake);
            in.SetKey(KeyActions[KP_PRIMARY].Default, c.Fire);
            const std::vector<std::uint8_t> frame = EncodeRecordedFrame(in);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
        }
        const std::vector<std::uint8_t> end = EncodeRecordingEnd(std::uint32_t(Flight.Frames.size()));
        bytes.insert(bytes.end(), end.begin(), end.end());
        WriteBytes(file, bytes);
    }

    // The replay stopped after Frames frames (-1: all of them): its summary line, and its last frame
    // in Shot.
    std::string Replay(const fs::path &recording, int frames, const std::string &shot)
    {
        std::vector<std::string> args = {"-replay", recording.string(), "-screenshot", (Dir / (shot + ".png")).string()};
        if (frames >= 0)
            args.insert(args.end(), {"-frames", std::to_string(frames)});
        const TRun run = Game(args);
        EXPECT_EQ(run.Status, 0) << shot << ": " << run.Stderr;
        if (const char *keep = std::getenv("ZEPHRONA_KEEP_SHOTS"))
            fs::copy_file(Dir / (shot + ".png"), fs::path(keep) / (shot + ".png"), fs::copy_options::overwrite_existing);
        for (const std::string &line : SplitLines(run.Stdout))
            if (line.rfind("mission: ", 0) == 0)
                return line;
        return {};
    }

    TMissionLayout Layout;
    TFlight Flight;
};

// How many pixels of a rectangle pass a test of their colour.
template <class TTest>
int CountPixels(const TTestImage &image, int x0, int y0, int x1, int y1, TTest test)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t *p = image.At(x, y);
            if (test(int(p[0]), int(p[1]), int(p[2])))
                ++n;
        }
    return n;
}

// The gun's tracer: a white-hot line.
bool Tracer(int r, int g, int b) { return r > 240 && g > 240 && b > 180; }
// The checkpoint ring: bright green, unlike the sea and the sky.
bool RingGreen(int r, int g, int b) { return g > 120 && g > r + 50 && g > b + 20; }

TEST_F(CampaignFlight, TheFirstMissionIsFlownAndWonAndHandsOnTheNextLevel)
{
    ASSERT_EQ(Flight.RingFrames.size(), 3u);
    ASSERT_EQ(Flight.FireFrames.size(), Layout.Ships.size());
    ASSERT_GT(Flight.DeckFrame, Flight.SternFrame);
    const fs::path recording = Dir / "level1.rec";
    WriteRecording(recording);

    // Airborne off the bow, heading for the first ring; the first task set.
    const std::string airborne = Replay(recording, TakeOffFrames + 40, "1-takeoff");
    EXPECT_EQ(airborne, "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new");

    // Just short of the first ring: it stands in the middle of the picture, green against the sea
    // and the sky (the HUD's own green is elsewhere).
    Replay(recording, Flight.RingFrames[0] - 10, "2-first-ring");
    EXPECT_GT(CountPixels(LoadTestPng(Dir / "2-first-ring.png"), 300, 150, 500, 450, RingGreen), 500);

    // The first gun pass: the rings are behind, the ships are the task now, and the gun's tracers
    // run from the nose down to the first ship.
    const std::string diving = Replay(recording, Flight.FireFrames[0] + 45, "3-gun-pass");
    EXPECT_NE(diving.find("mission: running health=1000 "), std::string::npos) << diving;
    EXPECT_NE(diving.find("tasks=0:complete,1:new"), std::string::npos) << diving;
    // Between the nose and the reticle nothing else is white.
    EXPECT_GT(CountPixels(LoadTestPng(Dir / "3-gun-pass.png"), 370, 345, 430, 480, Tracer), 150);
    EXPECT_LT(CountPixels(LoadTestPng(Dir / "1-takeoff.png"), 370, 345, 430, 480, Tracer), 20);

    // Lined up low behind the carrier, the stern ring ahead: every ship sunk by the gun, and the
    // landing the task now.
    const std::string approach = Replay(recording, Flight.SternFrame - 60, "4-approach");
    EXPECT_NE(approach.find(" ship_kills=" + std::to_string(Layout.Ships.size()) + " "), std::string::npos)
        << approach;
    EXPECT_NE(approach.find("tasks=0:complete,1:complete,2:new"), std::string::npos) << approach;

    // Over both gates: the mission is won, and the player's next level is the second one, with the
    // ships' score.
    const std::string won = Replay(recording, -1, "5-won");
    EXPECT_EQ(won.rfind("mission: won health=1000 air_kills=0 ship_kills=" + std::to_string(Layout.Ships.size()) + " ", 0),
              0u)
        << won;
    EXPECT_NE(won.find("tasks=0:complete,1:complete,2:complete"), std::string::npos) << won;
    TConfig saved;
    saved.Load((Dir / "Config.cfg").string());
    EXPECT_EQ(saved.Players[0].Level, "Level2.ses");
    EXPECT_EQ(saved.Players[0].Score, 500 * int(Layout.Ships.size()));
}

} // namespace
