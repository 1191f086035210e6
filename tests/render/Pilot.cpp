#include "tests/render/Pilot.h"

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "core/App.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "script/GameVars.h"
#include "script/Messanger.h"
#include "sim/Aircraft.h"
#include "sim/Cameras.h"
#include "sim/Command.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/Weapons.h"
#include "sim/World.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// The steering rules as the aircraft applies them: a pixel of cursor offset banks and pitches by
// these many degrees in a frame, and the bank eases back towards level by a little every frame.
const float BankPerPixel = float(MouseSensitivity) / 50.0f;
const float PitchPerPixel = float(MouseSensitivity) / 100.0f;
constexpr float BankReturn = 0.05f, BankLimit = 60;
constexpr int   MaxDx = 350, MaxDy = 250;   // the cursor stays inside the window
constexpr float CruiseSpeed = 400;
// The tightest turn (full bank) has this radius at any speed; the pilot keeps some room beyond it.
constexpr float TurnRoom = 450;

// Heights: the least the pilot flies at over the sea or an island, except over the deck.
constexpr float SafeHeight = 70;

// A gun pass on a ship: from this far out and this high, a shallow dive on the ship at a slow
// speed, firing whenever the crosshair is on an enemy, broken off this close or this low.
constexpr float RunIn = 2800, RunHeight = 550, DiveSpeed = 250;
constexpr float BreakDistance = 450, BreakHeight = 60;
constexpr int   BreakFrames = 40;

// The landing: out to this far behind the stern on the line through both gates, then along it.
constexpr float LandingSetup = 2500, LandingSetupHeight = 300;
constexpr float LandingSlowFrom = 800, LandingSpeed = 200;
constexpr int   ClimbOutFrames = 120;
// Below this health the pilot goes back to the carrier to be repaired.
constexpr float RepairHealth = 400;

float WrapDegrees(float a)
{
    a = std::fmod(a + 180.0f, 360.0f);
    if (a < 0)
        a += 360.0f;
    return a - 180.0f;
}

float HeadingTo(float dx, float dy) { return std::atan2(dx, dy) / Degrees; }

TVector3 Point(const TVector4 &p) { return VectorSet3(p.x, p.y, p.z); }

// The pilot's eyes and hands: every frame it reads the world as the last tick left it and decides
// the next frame's input.
class TMissionPilot {
public:
    TMissionPilot(TWorld &world, TGamer &gamer) : World(world), Gamer(gamer) {}

    TControls Decide()
    {
        Controls = TControls();
        TrackedBefore = Tracking;
        Tracking = false;
        if (Gamer.TakeOffClock > 0 || Gamer.HoldClock > 0 || Gamer.Health <= 0) {
            Mode = "deck";
            return Controls;
        }
        if (ClimbOut > 0) {
            --ClimbOut;
            Mode = "climb-out";
            Step(Heading(), PitchFor(LandingSetupHeight, 15), 1.5f, CruiseSpeed);
            return Controls;
        }
        TGameObject *checkpoint = LiveCheckpoint();
        if (checkpoint && !AtTheGates(Point(checkpoint->Position))) {
            Mode = "checkpoint";
            FlyThrough(Point(checkpoint->Position));
            return Controls;
        }
        TGameObject *enemy = checkpoint || Gamer.Health < RepairHealth ? nullptr : Enemy();
        if (enemy) {
            Attack(*enemy);
        } else if (Gamer.HasCarrier) {
            Land();
        } else {
            Mode = "circle";
            Step(Heading() + 10, PitchFor(LandingSetupHeight, 15), 1.5f, CruiseSpeed);
        }
        return Controls;
    }

    std::string Mode;

private:
    // ---- The aircraft --------------------------------------------------------------------------

    float X() const { return Gamer.Craft.Position.x; }
    float Y() const { return Gamer.Craft.Position.y; }
    float Z() const { return Gamer.Craft.Position.z; }
    float Heading() const { return Gamer.Craft.Angles.y; }
    float Pitch() const { return Gamer.Craft.Angles.x; }
    float Speed() const { return Gamer.Craft.Speed; }
    TVector3 Here() const { return Point(Gamer.Craft.Position); }

    // The cursor offsets that bring the bank and the pitch to the wanted ones in this frame, as far
    // as the window allows.
    int BankInput(float wanted) const
    {
        wanted = std::clamp(wanted, -BankLimit, BankLimit);
        const float returned = wanted > BankReturn ? wanted + BankReturn : wanted < -BankReturn ? wanted - BankReturn : wanted;
        return std::clamp(int(std::lround((returned - Gamer.Bank) / BankPerPixel)), -MaxDx, MaxDx);
    }
    int PitchInput(float wanted, float maxStep) const
    {
        const float change = std::clamp(std::clamp(wanted, TCraft::PitchLow, TCraft::PitchHigh) - Pitch(), -maxStep, maxStep);
        return std::clamp(int(std::lround(change / PitchPerPixel)), -MaxDy, MaxDy);
    }

    // The bank that turns onto Heading, in proportion to the turn still to make.
    float BankFor(float heading) const { return std::clamp(WrapDegrees(heading - Heading()) * 3.0f, -BankLimit, BankLimit); }
    // The pitch that climbs or sinks towards Altitude at up to MaxClimb degrees.
    float PitchFor(float altitude, float maxClimb) const
    {
        return -90 - std::clamp((altitude - Z()) * 0.2f, -maxClimb, maxClimb);
    }
    // The heading that holds the line through Through along Heading, closing in on it at up to 40
    // degrees.
    float LineHeading(const TVector3 &through, float heading) const
    {
        const float h = heading * Degrees;
        const float right = (X() - through.x) * std::cos(h) - (Y() - through.y) * std::sin(h);
        return heading - std::clamp(right * 0.2f, -40.0f, 40.0f);
    }

    // The ground (an island, or the sea) under the aircraft and on its way ahead.
    float GroundAhead() const
    {
        const TObjectsControl *objects = World.Objects.get();
        const float h = Heading() * Degrees;
        float ground = 0;
        for (float ahead : {0.0f, 250.0f, 500.0f, 800.0f, 1200.0f})
            ground = std::max(ground, TerrainHeight(objects, X() + std::sin(h) * ahead, Y() + std::cos(h) * ahead));
        return ground;
    }

    // One frame's hands: onto Heading and Pitch (the pitch changing by at most MaxPitchStep), at
    // Speed. Floor is the least height over the ground it lets the aircraft sink to.
    void Step(float heading, float pitch, float maxPitchStep, float speed, float floor = SafeHeight)
    {
        StepBanked(BankFor(heading), pitch, maxPitchStep, speed, floor);
    }
    void StepBanked(float bank, float pitch, float maxPitchStep, float speed, float floor = SafeHeight)
    {
        const float ground = GroundAhead();
        if (Z() < ground + floor && pitch > -90)
            pitch = -90 - std::min(20.0f, (ground + floor - Z()) * 0.3f);
        Controls.Dx = BankInput(bank);
        Controls.Dy = PitchInput(pitch, maxPitchStep);
        Controls.Forward = speed > CruiseSpeed && Speed() < speed;
        Controls.Brake = speed < CruiseSpeed && Speed() > speed;
    }

    // Keeping the nose on a moving point: a firm turn onto its bearing, and the turn its bearing
    // itself makes every frame (a crossing target's), so that the nose does not trail behind it.
    void Track(const TVector3 &p, float pitch, float speed, float floor)
    {
        const float bearing = HeadingTo(p.x - X(), p.y - Y());
        const float drift = TrackedBefore ? WrapDegrees(bearing - LastBearing) : 0.0f;
        LastBearing = bearing;
        Tracking = true;
        const float turnPerBank = std::max(Speed(), 1.0f) / 250.0f / 60.0f;   // degrees a frame for a degree of bank
        StepBanked(std::clamp(WrapDegrees(bearing - Heading()) * 8.0f + drift / turnPerBank, -BankLimit, BankLimit), pitch,
                   2.0f, speed, floor);
    }

    // Whether Point lies inside the circle of the tightest turn towards it: then turning cannot
    // reach it, and the aircraft flies on straight until it can.
    bool InsideTurn(const TVector3 &p) const
    {
        const float h = Heading() * Degrees;
        const float side = WrapDegrees(HeadingTo(p.x - X(), p.y - Y()) - Heading()) >= 0 ? 1.0f : -1.0f;
        const float cx = X() + side * std::cos(h) * TurnRoom, cy = Y() - side * std::sin(h) * TurnRoom;
        return std::hypot(p.x - cx, p.y - cy) < TurnRoom;
    }

    // Straight at Point: turning towards it and climbing or sinking along the line to it.
    void FlyTo(const TVector3 &p, float speed, float maxClimb, float floor = SafeHeight)
    {
        const float dh = std::hypot(p.x - X(), p.y - Y());
        const float heading = InsideTurn(p) ? Heading() : HeadingTo(p.x - X(), p.y - Y());
        const float climb = std::clamp(std::atan2(p.z - Z(), std::max(dh, 1.0f)) / Degrees, -maxClimb, maxClimb);
        Step(heading, -90 - climb, 2.0f, speed, floor);
    }

    // ---- The mission ---------------------------------------------------------------------------

    TGameObject *LiveCheckpoint() const
    {
        const TScriptDataExchange *exchange = World.Exchange.get();
        if (!exchange || !exchange->CheckPoint || exchange->CheckPointDeleted || !World.Objects ||
            !World.Objects->Contains(exchange->CheckPoint))
            return nullptr;
        return exchange->CheckPoint;
    }

    // A checkpoint in the carrier's landing gates asks for a landing, not a fly-through.
    bool AtTheGates(const TVector3 &p) const
    {
        if (!Gamer.HasCarrier)
            return false;
        for (const TVector4 &gate : {Gamer.Carrier.LandEnd, Gamer.Carrier.LandBegin})
            if (std::hypot(p.x - gate.x, p.y - gate.y) < 60)
                return true;
        return false;
    }

    static bool Live(const TGameObject *o) { return o && !o->Dead && o->Health > 0; }

    // Whether Object is an enemy unit the radar shows, one the weapons can strike.
    bool EnemyOnRadar(const TGameObject *o) const
    {
        using enum TObjectCategory;
        return Live(o) && o->Side == 1 && o->OnRadar && o->Targetable == 1 && o->Category != Missile &&
               o->Category != Bomb && o->Category != CheckPoint;
    }

    // The enemy being attacked while it lives and shows, else the nearest one.
    TGameObject *Enemy()
    {
        const TObjectsControl *objects = World.Objects.get();
        if (!objects)
            return nullptr;
        if (Target && objects->Contains(Target) && EnemyOnRadar(Target))
            return Target;
        TGameObject *nearest = nullptr;
        float best = 0;
        for (TGameObject *o : objects->Objects) {
            if (!EnemyOnRadar(o))
                continue;
            const float d = VectorDistance(Point(o->Position), Here());
            if (!nearest || d < best) {
                nearest = o;
                best = d;
            }
        }
        if (nearest != Target) {
            Target = nearest;
            Phase = TPhase::Position;
        }
        return nearest;
    }

    // Straight through Point, fast while it is far.
    void FlyThrough(const TVector3 &p)
    {
        const float dh = std::hypot(p.x - X(), p.y - Y());
        FlyTo(p, dh > 2500 ? 800.0f : CruiseSpeed, 40, std::min(SafeHeight, p.z - 20));
    }

    // ---- Weapons -------------------------------------------------------------------------------

    TWeapon *Weapon(TWeaponSlot slot) const { return Gamer.Weapons[std::size_t(slot)].get(); }

    bool OnTarget() const { return Live(Gamer.CurrentTarget) && Gamer.CurrentTarget->Side == 1; }

    // The guns while the crosshair is on an enemy; the secondary weapon for the kind of target (the
    // missiles of its kind, or the special weapon once those are spent), a missile as soon as its
    // lock is complete.
    void UseWeapons(const TGameObject &target)
    {
        Controls.Fire = OnTarget();
        const int kind = target.IsGround ? 1 : 0;
        const TWeapon *missiles = Weapon(TGamer::SecondarySlot(kind));
        const int wanted = missiles && missiles->Ammo >= 1 ? kind : 2;
        if (Gamer.SelectedWeapon != wanted) {
            Controls.ChangeWeapon = !Last.ChangeWeapon;
            return;
        }
        TWeapon *secondary = Weapon(TGamer::SecondarySlot(wanted));
        if (auto *missile = dynamic_cast<TMissileWeapon *>(secondary)) {
            const bool locked = Live(missile->LockTarget) && missile->LockTime >= TMissileWeapon::LockDuration;
            Controls.Secondary = locked && missile->Ammo >= 1 && !Last.Secondary && !MissileOnItsWay(missile->LockTarget);
        } else if (dynamic_cast<TMachineGun *>(secondary) || dynamic_cast<TLaserGun *>(secondary)) {
            Controls.Secondary = OnTarget();
        }
    }

    // Whether one of the aircraft's own missiles is already flying at Target.
    bool MissileOnItsWay(const TGameObject *target) const
    {
        for (const TGameObject *o : World.Objects->Objects)
            if (const auto *rocket = dynamic_cast<const TAirToAirRocket *>(o);
                rocket && rocket->OnKill && !rocket->Ending && rocket->Target == target)
                return true;
        return false;
    }

    // ---- Attacks -------------------------------------------------------------------------------

    enum class TPhase { Position, Dive, Break, Extend };

    void Attack(TGameObject &target)
    {
        if (target.IsGround)
            GunPass(target);
        else
            Dogfight(target);
        UseWeapons(target);
    }

    // Passes on a ship: out to the run-in, a shallow dive with the crosshair on it, a break
    // upwards, out again and round for the next pass.
    // Where to point the nose at Target: the crosshair looks along the nose from the chase camera,
    // a little above the aircraft, so the nose points that much below the middle of the target; and
    // a moving target is met where it will be when the shots go (two frames on).
    TVector3 AimAt(const TGameObject &target)
    {
        const TVector3 centre = Point(target.ViewCentre);
        TVector3 step = VectorSet3(0, 0, 0);
        if (&target == Seen)
            step = VectorSubtract(centre, SeenAt);
        Seen = &target;
        SeenAt = centre;
        return VectorSet3(centre.x + 2 * step.x, centre.y + 2 * step.y, centre.z + 2 * step.z - 10);
    }

    void GunPass(const TGameObject &target)
    {
        const TVector3 aim = AimAt(target);
        const float dh = std::hypot(aim.x - X(), aim.y - Y());
        const float off = WrapDegrees(HeadingTo(aim.x - X(), aim.y - Y()) - Heading());
        const float height = RunHeight + GroundAhead();
        if (Phase == TPhase::Position && std::fabs(off) < 8 && dh < RunIn + 300 && dh > BreakDistance * 2)
            Phase = TPhase::Dive;
        if (Phase == TPhase::Position && dh < RunIn - 1000 && std::fabs(off) > 30)
            Phase = TPhase::Extend;
        if (Phase == TPhase::Dive &&
            (VectorDistance(aim, Here()) < BreakDistance || Z() < BreakHeight || std::fabs(off) > 50)) {
            Phase = TPhase::Break;
            PhaseClock = BreakFrames;
        }
        if (Phase == TPhase::Break && --PhaseClock <= 0)
            Phase = TPhase::Extend;
        if (Phase == TPhase::Extend && dh > RunIn + 600)
            Phase = TPhase::Position;

        switch (Phase) {
        case TPhase::Position:
            Mode = "gun pass: run-in";
            Step(InsideTurn(aim) ? Heading() : HeadingTo(aim.x - X(), aim.y - Y()), PitchFor(height, 25), 1.5f,
                 dh > RunIn + 2000 ? 800.0f : CruiseSpeed);
            break;
        case TPhase::Dive: {
            Mode = "gun pass: dive";
            const float dive = std::atan2(Z() - aim.z, std::max(dh, 1.0f)) / Degrees;
            Track(aim, -90 + std::min(dive, 45.0f), DiveSpeed, 0);
            break;
        }
        case TPhase::Break:
            Mode = "gun pass: break";
            Step(Heading(), -110, 2.0f, CruiseSpeed);
            break;
        case TPhase::Extend:
            Mode = "gun pass: extend";
            Step(Heading(), PitchFor(height, 25), 1.5f, CruiseSpeed);
            break;
        }
    }

    // After an aircraft: straight at it at its height, closing fast while it is far and at its
    // own speed near, past it and round again when too close.
    void Dogfight(const TGameObject &target)
    {
        const TVector3 aim = AimAt(target);
        const float d = VectorDistance(aim, Here());
        if (Phase == TPhase::Dive)
            Phase = TPhase::Position;
        if (Phase == TPhase::Position && d < 150) {
            Phase = TPhase::Extend;
            PhaseClock = BreakFrames;
        }
        if (Phase == TPhase::Extend && --PhaseClock <= 0)
            Phase = TPhase::Position;
        if (Phase == TPhase::Extend) {
            Mode = "dogfight: extend";
            Step(Heading(), -100, 2.0f, CruiseSpeed);
            return;
        }
        Mode = "dogfight: pursuit";
        const float speed = d > 1500 ? 800.0f : std::clamp(target.OrderData + 50, 150.0f, 800.0f);
        const float climb = std::atan2(aim.z - Z(), std::max(std::hypot(aim.x - X(), aim.y - Y()), 1.0f)) / Degrees;
        if (InsideTurn(aim))
            FlyTo(aim, speed, 45);
        else
            Track(aim, -90 - std::clamp(climb, -45.0f, 45.0f), speed, SafeHeight);
    }

    // ---- The landing ---------------------------------------------------------------------------

    void Land()
    {
        const TVector3 stern = Point(Gamer.Carrier.LandEnd), deck = Point(Gamer.Carrier.LandBegin);
        const float gateHeight = std::max({stern.z, deck.z, 35.0f});
        const float heading = HeadingTo(deck.x - stern.x, deck.y - stern.y);
        const float ux = std::sin(heading * Degrees), uy = std::cos(heading * Degrees);
        const TVector3 setup = VectorSet3(stern.x - ux * LandingSetup, stern.y - uy * LandingSetup, LandingSetupHeight);
        const float along = (stern.x - X()) * ux + (stern.y - Y()) * uy;
        const float right = (X() - stern.x) * uy - (Y() - stern.y) * ux;
        if (!Lined && ((along > LandingSetup - 1000 && std::fabs(right) < 300 &&
                        std::fabs(WrapDegrees(heading - Heading())) < 30) ||
                       std::hypot(setup.x - X(), setup.y - Y()) < 300))
            Lined = true;
        if (Lined && along < -200 && Gamer.LandingStage == 0)
            Lined = false;   // missed: round again
        if (!Lined) {
            Mode = "landing: out to the line";
            const float far = std::hypot(setup.x - X(), setup.y - Y());
            FlyTo(setup, far > 2500 ? 800.0f : CruiseSpeed, 20);
            return;
        }
        Mode = "landing: on the line";
        Step(LineHeading(stern, heading), PitchFor(gateHeight, 10), 1.0f, along > LandingSlowFrom ? CruiseSpeed : LandingSpeed,
             0);
    }

public:
    // After the tick: a landing the carrier counted sends the aircraft up and away before anything
    // else.
    void Landed()
    {
        Lined = false;
        ClimbOut = ClimbOutFrames;
    }
    void Remember(const TControls &c) { Last = c; }

private:
    TWorld &World;
    TGamer &Gamer;
    TControls Controls, Last;
    TGameObject *Target = nullptr;
    const TGameObject *Seen = nullptr;   // the target aimed at last frame, and where it was
    TVector3 SeenAt;
    bool Tracking = false, TrackedBefore = false;   // the nose kept on a point this frame, and the last
    float LastBearing = 0;
    TPhase Phase = TPhase::Position;
    int PhaseClock = 0;
    bool Lined = false;
    int ClimbOut = 0;
};

// What the flight's observer watches of the world after each tick.
struct TWatch {
    const TGameObject *Checkpoint = nullptr;
    bool CheckpointLive = false;
    TVector4 CheckpointAt;
    int GunAmmo = -1, MissileAmmo = -1;
    int LastShot = -1000;
    int LandingStage = 0;
};

int AmmoOf(const TGamer &g, TWeaponSlot slot)
{
    const TWeapon *w = g.Weapons[std::size_t(slot)].get();
    return w ? w->Ammo : -1;
}

TWatch Watch(const TWorld &world, const TGamer &gamer)
{
    TWatch w;
    if (const TScriptDataExchange *e = world.Exchange.get(); e && e->CheckPoint) {
        w.Checkpoint = e->CheckPoint;
        w.CheckpointLive = !e->CheckPointDeleted && world.Objects && world.Objects->Contains(e->CheckPoint);
        if (w.CheckpointLive)
            w.CheckpointAt = e->CheckPoint->Position;
    }
    w.GunAmmo = AmmoOf(gamer, GunSlot);
    w.MissileAmmo = AmmoOf(gamer, AirMissileSlot) + AmmoOf(gamer, GroundMissileSlot);
    w.LandingStage = gamer.LandingStage;
    return w;
}

std::string WithSlash(const std::string &dir) { return !dir.empty() && dir.back() == '/' ? dir : dir + "/"; }

// The flight itself, in this process: the world made and the mission loaded as the mission runner
// does it, then frame after frame the pilot's input through the game's key state and command into
// the tick.
TPilotFlight FlyHere(const TPilotMission &mission)
{
    TPilotFlight flight;
    AppDir = WithSlash(mission.GameDir);
    OpenGameArchive(AppDir);
    TModelLib models;
    ModelLib = &models;
    TSprites sprites;
    Sprites = &sprites;
    TBillboards tracers;
    Billboards = &tracers;
    Randomize(1);
    RandSeed = mission.Start.Seed;
    TMessanger messages(768);
    Messanger = &messages;
    TDynamicCamera dynamicCamera;
    TCameraShaking shaking(5.0f);
    DynamicCamera = &dynamicCamera;
    CameraShaking = &shaking;
    // The game's window: the missiles' lock circle is measured in its pixels.
    ApplyResize(PilotWindowWidth, PilotWindowHeight, TPoint{0, 0});
    // The game's settings, with nobody to score: the game saves the player's next level itself.
    TConfig settings = mission.Settings;
    settings.CurrentPlayer = NoPlayer;
    Config = &settings;

    // The recording's own bindings, through a key state of its own in a scratch folder.
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("pilot-keys-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    TKeys keys((scratch / "keys.cfg").string());
    std::filesystem::remove_all(scratch);
    keys.UseBindings(mission.Start.Bindings);
    keys.Poll = keys.PadPoll = [](int code) { return FrameInput.KeyDown(code); };

    std::string path = mission.Map;
    std::replace(path.begin(), path.end(), '/', '\\');
    path = AppDir + path;

    std::unique_ptr<TGamer> player;
    TWorld world;
    CreateUnitTemplates(false);
    player.reset(CreatePlayerAircraft());
    world.AddPlayer(player.get());
    world.LoadMission(path);
    world.Aspect = float(PilotWindowWidth) / float(PilotWindowHeight);

    std::ofstream trace;
    if (const char *file = std::getenv("ZEPHRONA_PILOT_TRACE"))
        trace.open(file);

    TMissionPilot pilot(world, *player);
    flight.Lines.push_back({0, world.Summary()});
    TWatch before = Watch(world, *player);
    for (int frame = 1; frame <= mission.MaxFrames; ++frame) {
        if (flight.EndFrame >= 0) {
            // The mission is over and the game's menu has taken over: nothing is ticked any more.
            if (frame > flight.EndFrame + mission.AfterEnd)
                break;
            flight.Frames.push_back({});
            continue;
        }
        const TControls controls = pilot.Decide();
        FrameInput = ControlsInput(controls, mission.Centre);
        keys.Update();
        FrameTime = FrameInput.Step;
        const TPlayerCommand command =
            CommandFromInput(&keys, FrameInput.CursorClient, PilotWindowWidth, PilotWindowHeight, FrameInput.Pad, false);
        world.Tick(FrameInput.Step, std::span<const TPlayerCommand>(&command, 1));
        messages.Update(FrameInput.Step);
        flight.Frames.push_back(controls);
        pilot.Remember(controls);

        const std::string line = world.Summary();
        if (line != flight.Lines.back().second)
            flight.Lines.push_back({frame, line});
        const TWatch now = Watch(world, *player);
        if (before.CheckpointLive && (!now.CheckpointLive || now.Checkpoint != before.Checkpoint ||
                                      VectorDistance(now.CheckpointAt, before.CheckpointAt) > 1))
            flight.Checkpoints.push_back(frame);
        if (now.GunAmmo >= 0 && before.GunAmmo >= 0 && now.GunAmmo < before.GunAmmo) {
            if (frame - before.LastShot > 10)
                flight.GunBursts.push_back(frame);
            before.LastShot = frame;
        }
        if (now.MissileAmmo >= 0 && before.MissileAmmo >= 0 && now.MissileAmmo < before.MissileAmmo)
            flight.Launches.push_back(frame);
        if (before.LandingStage == 0 && now.LandingStage == 1)
            flight.SternGates.push_back(frame);
        if (before.LandingStage == 1 && now.LandingStage == 0) {
            flight.Landings.push_back(frame);
            pilot.Landed();
        }
        const int lastShot = before.LastShot;
        before = now;
        before.LastShot = lastShot;

        if (trace.is_open() && frame % 40 == 0)
            trace << frame << " " << pilot.Mode << " at " << std::lround(player->Craft.Position.x) << ","
                  << std::lround(player->Craft.Position.y) << "," << std::lround(player->Craft.Position.z)
                  << " heading " << std::lround(player->Craft.Angles.y) << " speed "
                  << std::lround(player->Craft.Speed) << " | " << line << "\n";
        if (world.Exchange && world.Exchange->Result != TMissionResult::Running)
            flight.EndFrame = frame;
    }
    if (flight.EndFrame < 0) {
        flight.Failure = "the mission was still going on after " + std::to_string(mission.MaxFrames) +
                         " frames, the pilot at \"" + pilot.Mode + "\": " + world.Summary();
    }

    world.Unload();
    world.RemovePlayer(player.get());
    player.reset();
    FreeUnitTemplates();
    Config = nullptr;
    DynamicCamera = nullptr;
    CameraShaking = nullptr;
    Billboards = nullptr;
    Sprites = nullptr;
    Messanger = nullptr;
    ModelLib = nullptr;
    return flight;
}

// The flight as lines of text, from the pilot's process to the test's.
std::string Describe(const TPilotFlight &f)
{
    std::ostringstream out;
    for (const TControls &c : f.Frames)
        out << "F " << c.Dx << " " << c.Dy << " " << (c.Forward ? 1 : 0) + (c.Brake ? 2 : 0) + (c.Fire ? 4 : 0) +
                   (c.Secondary ? 8 : 0) + (c.ChangeWeapon ? 16 : 0) << "\n";
    const std::pair<char, const std::vector<int> *> events[] = {
        {'C', &f.Checkpoints}, {'G', &f.GunBursts}, {'M', &f.Launches}, {'S', &f.SternGates}, {'L', &f.Landings}};
    for (const auto &[tag, frames] : events)
        for (int frame : *frames)
            out << tag << " " << frame << "\n";
    out << "E " << f.EndFrame << "\n";
    for (const auto &[frame, line] : f.Lines)
        out << "T " << frame << " " << line << "\n";
    if (!f.Failure.empty())
        out << "X " << f.Failure << "\n";
    return out.str();
}

TPilotFlight Read(const std::string &text)
{
    TPilotFlight f;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 2)
            continue;
        std::istringstream words(line.substr(2));
        int n = 0;
        switch (line[0]) {
        case 'F': {
            TControls c;
            int bits = 0;
            words >> c.Dx >> c.Dy >> bits;
            c.Forward = bits & 1;
            c.Brake = bits & 2;
            c.Fire = bits & 4;
            c.Secondary = bits & 8;
            c.ChangeWeapon = bits & 16;
            f.Frames.push_back(c);
            break;
        }
        case 'C': words >> n; f.Checkpoints.push_back(n); break;
        case 'G': words >> n; f.GunBursts.push_back(n); break;
        case 'M': words >> n; f.Launches.push_back(n); break;
        case 'S': words >> n; f.SternGates.push_back(n); break;
        case 'L': words >> n; f.Landings.push_back(n); break;
        case 'E': words >> f.EndFrame; break;
        case 'T': {
            words >> n;
            std::string rest;
            std::getline(words, rest);
            f.Lines.push_back({n, rest.empty() ? rest : rest.substr(1)});
            break;
        }
        case 'X': f.Failure = line.substr(2); break;
        default: break;
        }
    }
    return f;
}

} // namespace

std::string TPilotFlight::LineAt(int frame) const
{
    std::string line;
    for (const auto &[from, text] : Lines)
        if (from <= frame)
            line = text;
    return line;
}

TPilotFlight FlyMission(const TPilotMission &mission)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        throw std::runtime_error("no pipe for the pilot");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("the pilot's process could not start");
    if (child == 0) {
        ::close(pipe[0]);
        std::string text;
        try {
            text = Describe(FlyHere(mission));
        } catch (const std::exception &e) {
            text = std::string("X the pilot's flight failed: ") + e.what() + "\n";
        }
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(pipe[1], text.data() + done, text.size() - done);
            if (n <= 0 && errno != EINTR)
                break;
            if (n > 0)
                done += std::size_t(n);
        }
        ::close(pipe[1]);
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, std::size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    TPilotFlight flight = Read(text);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        flight.Failure = "the pilot's process ended abnormally (status " + std::to_string(status) + ")";
    return flight;
}
