// A whole sortie flown by the real game from a recording that the test writes itself: the take-off
// from the carrier, a turn, a kill with the gun, a missile lock and launch, and a landing that
// re-arms; one replay with screenshots at each step, and the same end when the mission runner flies
// the recording without a window.
//
// The recording is a scripted pilot: every frame's held keys and the cursor's offset from the
// window's centre (the mouse's motion in a mission frame). The pilot plans its inputs ahead with a
// copy of the aircraft's steering and flight rules, so it knows where the aircraft will be on every
// frame and places the targets of the mission where its path meets them.

#include "data/Config.h"
#include "tests/TestUtil.h"
#include "tests/render/FlightHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int FrameMs = PilotFrameMs;
constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// The carrier, far from the origin so that every position in the script is positive.
constexpr float CarrierX = 10000, CarrierY = 10000;
// Its deck points as its model places them, relative to the ship: where the take-off starts, and
// the two landing gates (passed within 25, "Land_end" first).
constexpr float StartX = -6, StartY = -105, StartZ = 22;
constexpr float LandEndX = -8, LandEndY = -120, LandBeginX = -20, LandBeginY = -20;
constexpr float GateRadius = 25;

// The take-off: the aircraft runs on full power and takes no input for its first 2.5 seconds.
constexpr int TakeOffFrames = 2500 / FrameMs;

// Where the gun's target meets the aircraft: this far ahead of the nose, on the line through the
// middle of the screen, which every weapon aims along. In level flight the chase camera looks along
// the nose from this much above the aircraft.
constexpr float AimDistance = 700;
constexpr float CameraHeight = 10;

// The health the script leaves the aircraft with after the take-off; only the carrier gives it back.
constexpr int WoundedHealth = 400;

struct TPoint2 {
    float X = 0, Y = 0;
};

float WrapDegrees(float a)
{
    a = std::fmod(a + 180.0f, 360.0f);
    if (a < 0)
        a += 360.0f;
    return a - 180.0f;
}

// The pilot's picture of the aircraft: its steering and flight rules, in the aircraft's own float
// arithmetic, so that the plan and the flight agree to the last digits.
struct TAircraftModel {
    float X = CarrierX + StartX, Y = CarrierY + StartY, Z = StartZ;
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

    TPoint2 Nose() const { return {std::sin(Heading * Degrees), std::cos(Heading * Degrees)}; }
};

// A straight line to fly along: through (X, Y) on Heading.
struct TLeg {
    float X, Y, Heading;
};

// The sortie as planned: each frame's controls, where the aircraft is after it, the frames of the
// steps, and where the targets start.
struct TSortie {
    std::vector<TControls> Frames;
    std::vector<TAircraftModel> Track;
    int TurnFrame = 0;          // half-way through the first turn, banked hard
    int GunFrame = 0;           // the gun's target sits on the aim point
    int SecondaryFrom = 0, SecondaryTo = 0;
    int LandEndFrame = -1, LandBeginFrame = -1;
    TPoint2 GunTarget, MissileTarget;   // where the two enemy aircraft start (flying south)
};

// The distance an enemy early-warning aircraft has flown after Frames frames: from a standstill, 10
// faster each second up to 100.
float TargetTravel(int frames)
{
    float speed = 0, travelled = 0;
    for (int i = 0; i < frames; ++i) {
        speed = std::min(speed + 10 * float(FrameMs) / 1000.0f, 100.0f);
        travelled += speed * float(FrameMs) / 1000.0f;
    }
    return travelled;
}

TSortie PlanSortie()
{
    TSortie s;
    TAircraftModel a;
    for (int i = 0; i < TakeOffFrames; ++i) {
        a.TakeOff();
        s.Frames.push_back({});
        s.Track.push_back(a);
    }

    // Out to the north off the bow, a right turn onto a line south past the carrier's starboard
    // side, the fight on that line, then a right turn back onto the carrier's landing line.
    const TLeg south{CarrierX + 710, CarrierY, 180};
    const TLeg landing{CarrierX + (LandEndX + LandBeginX) / 2, CarrierY, 0};
    const TLeg *leg = &south;

    bool turning = true;
    int settled = -1;
    for (int frame = TakeOffFrames; frame < 3000; ++frame) {
        TControls c;
        // Steering: hold the line, closing in on it at up to 40 degrees, banking in proportion to
        // the heading still to turn.
        const float h = leg->Heading * Degrees;
        const float right = (a.X - leg->X) * std::cos(h) - (a.Y - leg->Y) * std::sin(h);
        const float wanted = leg->Heading - std::clamp(right * 0.1f, -40.0f, 40.0f);
        const float error = WrapDegrees(wanted - a.Heading);
        const float bank = std::clamp(error * 2.0f, -60.0f, 60.0f);
        c.Dx = int(std::lround((bank - a.Bank) / 0.14f));

        if (leg == &south) {
            if (turning && std::fabs(WrapDegrees(a.Heading - 90)) < 1 && s.TurnFrame == 0)
                s.TurnFrame = frame;
            if (turning && std::fabs(right) < 5 && std::fabs(WrapDegrees(a.Heading - 180)) < 0.5f) {
                turning = false;
                settled = frame;
            }
            if (settled >= 0) {
                // Three presses of "change weapon" go round the secondary weapons back to the
                // missiles.
                const int t = frame - settled;
                c.ChangeWeapon = t < 12 && t % 4 == 0;
                // The gun's target: slow down behind it, fire a burst as the aim point reaches it.
                s.GunFrame = settled + 70;
                const int g = frame - s.GunFrame;
                c.Brake = g >= -40 && g < 10;
                c.Fire = g >= -10 && g < 10;
                // The missile: the lock on the second aircraft starts once the first is down; the
                // secondary fire is held until the lock completes and the missile leaves.
                s.SecondaryFrom = s.GunFrame + 15;
                s.SecondaryTo = s.GunFrame + 110;
                c.Secondary = frame >= s.SecondaryFrom && frame < s.SecondaryTo;
                // Then full power for half a second, for the way home.
                c.Forward = frame >= s.SecondaryTo && frame < s.SecondaryTo + 20;
                if (frame >= s.SecondaryTo + 10 && a.Y < CarrierY - 1300)
                    leg = &landing;
            }
        }
        a.Steer(c.Dx, c.Dy, c.Forward, c.Brake);
        s.Frames.push_back(c);
        s.Track.push_back(a);

        const float toEnd = std::hypot(a.X - (CarrierX + LandEndX), a.Y - (CarrierY + LandEndY));
        const float toBegin = std::hypot(a.X - (CarrierX + LandBeginX), a.Y - (CarrierY + LandBeginY));
        if (leg == &landing && s.LandEndFrame < 0 && toEnd < GateRadius - 10)
            s.LandEndFrame = frame;
        if (s.LandEndFrame >= 0 && s.LandBeginFrame < 0 && toBegin < GateRadius - 10)
            s.LandBeginFrame = frame;
        if (s.LandBeginFrame >= 0 && frame > s.LandBeginFrame + 60)
            break;
    }

    // The targets fly south from a standstill; each is where it must be at the gun's frame: the
    // first on the aim point, the second further ahead and a little to the side, inside the
    // missiles' reach.
    const TAircraftModel &at = s.Track[std::size_t(s.GunFrame)];
    const TPoint2 nose = at.Nose();
    const float travel = TargetTravel(s.GunFrame + 1);
    s.GunTarget = {at.X + nose.X * AimDistance, at.Y + nose.Y * AimDistance + travel};
    s.MissileTarget = {at.X + nose.X * 2200 - 60, at.Y + nose.Y * 2200 + travel};
    return s;
}

std::string Number(float v)
{
    // The script's floats take a decimal comma.
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(v));
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return "$" + s;
}

// The mission: the carrier (its own guns kept quiet, so that every kill is the pilot's), the
// take-off, the two enemy aircraft; after the take-off the aircraft is left wounded. Task 0 is the
// gun's kill, task 1 the missile's, task 2 the health back at full (only the carrier refills it).
std::string Mission(const TSortie &s)
{
    return "int once 0\nint wounded 0\nint gun 0\nint missile 0\nint landed 0\n"
           "{\n"
           "if once = $0 then\n"
           "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 " + Number(CarrierX) + " " +
           Number(CarrierY) + " $0,0 $0,0 $0,0 Base\n"
           "EnableGroupWeapon AI_GROUP0 $false\n"
           "CreatePlayer\n"
           "CreateObject OBJECT_CRAFTAVAX AI_GROUP1 AI_SIDE_ENEMY $100 " + Number(s.GunTarget.X) + " " +
           Number(s.GunTarget.Y) + " " + Number(StartZ + CameraHeight) + " $0,0 $180,0 Gun\n"
           "CreateObject OBJECT_CRAFTAVAX AI_GROUP2 AI_SIDE_ENEMY $100 " + Number(s.MissileTarget.X) + " " +
           Number(s.MissileTarget.Y) + " " + Number(StartZ) + " $0,0 $180,0 Missile\n"
           "AddTask Gun TASK_0\n"
           "AddTask Missile TASK_1\n"
           "AddTask Land TASK_2\n"
           "once = $1\n"
           "endif\n"
           "}\n"
           "{\n"
           "Sleep $3000\n"
           "G_PLAYER_HEALTH = " + Number(WoundedHealth) + "\n"
           "wounded = $1\n"
           "Sleep $10000000\n"
           "}\n"
           "{\n"
           "if G_AI_GROUP1_COUNT = $0 and gun = $0 then\n"
           "TaskComplete TASK_0\n"
           "gun = $1\n"
           "endif\n"
           "if G_AI_GROUP2_COUNT = $0 and missile = $0 then\n"
           "TaskComplete TASK_1\n"
           "missile = $1\n"
           "endif\n"
           "if wounded = $1 and G_PLAYER_HEALTH >= $1000,0 and landed = $0 then\n"
           "TaskComplete TASK_2\n"
           "landed = $1\n"
           "endif\n"
           "}\n";
}

class FlightReplay : public FlightRun {
protected:
    void SetUp() override
    {
        FlightRun::SetUp();
        if (IsSkipped())
            return;
        SaveSettings(LightSettings());
        Sortie = PlanSortie();
        ASSERT_GT(Sortie.LandBeginFrame, 0) << "the pilot's plan misses the landing gates";
        WriteText(Dir / "Flight.ses", Mission(Sortie));
    }

    TSortie Sortie;
};

double Brightness(const TTestImage &image, int x0, int y0, int x1, int y1)
{
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t *p = image.At(x, y);
            sum += p[0] + p[1] + p[2];
        }
    return sum / double(3 * (x1 - x0) * (y1 - y0));
}

// The missile's smoke trail: cyan.
bool Smoke(int r, int g, int b) { return g > 190 && b > 190 && r < 150; }

// The light conditions of the two tops of the picture: in level flight the sky fills both, banked
// to the right the sea rises into the right one.
struct TCorners {
    double Left, Right;
};
// (Below the HUD's message list and indicator panel, beside its pitch tape.)
TCorners TopCorners(const TTestImage &image) { return {Brightness(image, 0, 130, 200, 250), Brightness(image, 630, 130, 800, 250)}; }

TEST_F(FlightReplay, EachStepOfTheSortieHappensAndTheMissionRunnerEndsTheSame)
{
    const fs::path recording = Dir / "sortie.rec";
    TPoint centre;
    const TRecordingStart start = Probe("Flight.ses", 20240601, centre);
    WriteFlight(recording, start, centre, Sortie.Frames);
    const TFlightReplay replay = Replay(recording, {{TakeOffFrames, "1-takeoff"},
                                                    {Sortie.TurnFrame, "2-turn"},
                                                    {Sortie.GunFrame + 6, "3-gun"},
                                                    {Sortie.SecondaryTo + 6, "4-missile"},
                                                    {int(Sortie.Frames.size()), "5-landed"}});

    // Airborne off the bow, unhurt: nothing fired yet, every task open.
    EXPECT_EQ(replay.Lines.at("1-takeoff"),
              "mission: running health=1000 air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new,1:new,2:new");
    const TTestImage level = Shot("1-takeoff");
    ASSERT_EQ(level.Width, 800);
    // The aircraft itself in the bottom middle of the chase view, grey over the blue sea.
    EXPECT_GT(CountPixels(level, 340, 480, 460, 600, [](int r, int, int b) { return r > 120 && std::abs(r - b) < 40; }),
              1500);
    const TCorners levelCorners = TopCorners(level);
    EXPECT_LT(std::abs(levelCorners.Left - levelCorners.Right), 25) << "the horizon is not level";

    // Half-way round the first turn, banked hard right: the chase camera rolls with the aircraft
    // and the horizon runs up to the right. The script has wounded the aircraft by now.
    EXPECT_EQ(replay.Lines.at("2-turn"), "mission: running health=" + std::to_string(WoundedHealth) +
                                             " air_kills=0 ship_kills=0 shots=0 hits=0 tasks=0:new,1:new,2:new");
    const TCorners turnCorners = TopCorners(Shot("2-turn"));
    EXPECT_GT(turnCorners.Left - turnCorners.Right, 40) << "the horizon does not lean into the turn";

    // The gun: its first round on the slow aircraft brings it down; the tracer runs from the nose
    // to the aim point.
    const std::string &gun = replay.Lines.at("3-gun");
    EXPECT_NE(gun.find(" air_kills=1 "), std::string::npos) << gun;
    EXPECT_NE(gun.find("tasks=0:complete,1:new,2:new"), std::string::npos) << gun;
    EXPECT_EQ(gun.find(" shots=0 "), std::string::npos) << gun;
    EXPECT_EQ(gun.find(" hits=0 "), std::string::npos) << gun;
    const TTestImage gunShot = Shot("3-gun");
    // Over the sea between the nose and the gun reticle nothing else is white.
    EXPECT_GT(CountPixels(gunShot, 380, 370, 430, 480, TracerWhite), 60);
    EXPECT_LT(CountPixels(level, 380, 370, 430, 480, TracerWhite), 20);

    // The missile: locked on the second aircraft after the first went down, launched while the
    // secondary fire was held, and on its way (its smoke trail in the picture, the target still
    // flying).
    const std::string &launched = replay.Lines.at("4-missile");
    EXPECT_NE(launched.find("health=" + std::to_string(WoundedHealth) + " air_kills=1 "), std::string::npos)
        << launched;
    EXPECT_NE(launched.find("tasks=0:complete,1:new,2:new"), std::string::npos) << launched;
    // (The HUD's reticles and pitch tape share the trail's cyan: they are left out.)
    const auto trail = [](const TTestImage &image) {
        return CountPixels(image, 0, 0, 800, 600, Smoke) - CountPixels(image, 270, 170, 530, 430, Smoke) -
               CountPixels(image, 540, 160, 630, 440, Smoke);
    };
    EXPECT_GT(trail(Shot("4-missile")), 1000);
    EXPECT_LT(trail(gunShot), 300);

    // Back over the carrier through both landing gates: the missile found its target, and the
    // deck gave the health back. The run ends there.
    const std::string &landed = replay.Lines.at("5-landed");
    EXPECT_NE(landed.find("mission: running health=1000 "), std::string::npos) << landed;
    EXPECT_NE(landed.find("tasks=0:complete,1:complete,2:complete"), std::string::npos) << landed;
    EXPECT_EQ(replay.Final, landed);

    // The same pilot's commands through the same tick, with nothing drawn, end the same.
    const TToolRun headless =
        RunTool(Dir, std::string(ZEPHRONA_TOOLS_DIR) + "/missionrun --replay " + recording.string() + " --game .");
    EXPECT_EQ(headless.Status, 0) << headless.Err;
    const std::vector<std::string> lines = SplitLines(headless.Out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), landed) << "its summary, after the mission's messages";
}

} // namespace
