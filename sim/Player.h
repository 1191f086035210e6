#pragma once
// The player's aircraft: a small point-mass flight model steered by the mouse, the pad and the
// keys (or by the autopilot while a script takes control away), its four weapons, the chase camera,
// the moving control surfaces and battle-damaged skins it is drawn with, its engine flames and
// smoke, the collision probes that keep it out of ships and islands, and the landing and re-arming
// on the carrier. One aircraft exists for the whole run; each mission resets it.
//
// It is a unit like any other for the queries of a mission (enemies target it, missiles home on it,
// it travels over the network), but it never sits in an object list: PlayerAircraft points at it.
// The mission it flies in is the object list its last Reset was given; when that mission's script
// exchange goes, the aircraft leaves the mission (LeaveMission) and flies alone until the next Reset.

#include "sim/Cameras.h"
#include "sim/Command.h"
#include "sim/Units.h"

#include <array>
#include <memory>
#include <string>

class TEmitter;
class TModel;
class TWeapon;
struct TScreenFade;

// The shader programs of the aircraft, as handed to the shader seam: its skin, and the shield it
// wears while the ion gun is chosen.
constexpr int PlayerShaderProgram = 1;
constexpr int ShieldShaderProgram = 2;

// How many degrees a pixel of mouse movement turns the aircraft, in the units of the steering rules
// (pitch: offset / 100 x sensitivity a step; bank: offset / 50 x sensitivity).
extern int MouseSensitivity;   // 7

// The player aircraft's weapons, by their place in TGamer::Weapons.
enum TWeaponSlot : int {
    GunSlot = 0,             // the machine gun, the primary fire
    GroundMissileSlot = 1,   // air-to-ground missiles
    SpecialSlot = 2,         // the special weapon chosen before the mission
    AirMissileSlot = 3,      // air-to-air missiles
    WeaponSlotCount
};

// The carrier's points in the world: where a take-off starts and ends, where the camera stands
// while the aircraft waits on deck, and the two landing gates ("Land_end" is passed first).
struct TCarrierPoints {
    TVector4 Start, End, Camera, LandEnd, LandBegin;
};

// A new carrier hands its points over: the player aircraft takes them at once, and an aircraft made
// later takes the newest carrier's points when it is created.
void HandCarrierPoints(const TCarrierPoints &points);
// The points the newest carrier handed over; false when no carrier has been made yet.
bool NewestCarrierPoints(TCarrierPoints &points);
// A new mission has no carrier until one is made in it.
void ForgetCarrierPoints();

// The flight model: a point that flies along its heading and pitch at a speed that follows the
// throttle within the acceleration limit.
class TCraft {
public:
    TCraft(float maxSpeed = 20, float acceleration = 5);

    // One step of Ms milliseconds: heading and pitch change by the given degrees (the pitch held
    // within PitchHigh..PitchLow), the speed by Throttle held within the acceleration of the step and
    // then within MinSpeed..MaxSpeed; the craft moves (never above MaxAltitude) and is pulled back
    // to MaxRange from the origin. The fourth value is not used.
    void Update(int ms, float headingChange, float pitchChange, float unused, float throttle);

    // Pitch: -90 is level flight, above it the nose is down; the limits are 60 degrees either side.
    static constexpr float PitchHigh = -30, PitchLow = -150;
    static constexpr float MaxAltitude = 1500;
    static constexpr float MaxRange = 50000;

    TVector4 Position;
    TVector4 Angles;          // [0] pitch, [1] heading (degrees); the rest is carried along
    float    Speed = 0;
    float    MinSpeed = 10;
    float    MaxSpeed = 20;
    float    Acceleration = 5;   // the largest speed change a second
};

// The player aircraft.
class TGamer : public TUnit {
public:
    // Loads the models, skins, effects and probes; the craft stays slow (top speed 20) until the
    // first Reset. Takes the newest carrier's points when one was made before it.
    TGamer();
    ~TGamer() override;

    // Makes the aircraft ready for a new mission (or network game) flown in Objects: a new Id from
    // it, full health and ammunition, fresh weapons of the special-weapon choice, the statistics
    // cleared, the craft at (100, 100, 100) flying level due north at its minimum speed. Logs
    // "Gamer Ready". The take-off clock is the caller's.
    void Reset(TObjectsControl &objects);
    // Parks the craft at (100, 100, 100) facing south at speed 10, the dynamic camera reset.
    void Park();
    // Moves the craft and the aircraft to Point (a carrier point), keeping its angles.
    void PlaceAt(const TVector4 &point);
    // Starts the re-arming on the carrier: health and the ammunition of the gun and both missile
    // weapons flow back in over the next frames.
    void Land();
    // Forgets the mission of Objects (its list is about to go): no target, no weapons, no collision
    // until the next Reset. Another list is left alone.
    void LeaveMission(const TObjectsControl *objects);

    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    // The weapon slot the secondary fire uses for SelectedWeapon (0 air-to-air, 1 air-to-ground,
    // 2 special).
    static TWeaponSlot SecondarySlot(int selected);
    // The next weapon after Selected: 0, 1, 2, 0..., skipping air-to-ground in a network game.
    static int NextWeapon(int selected, bool networkGame);
    // The body skin for the health: 0 clean, 1..4 the four damage pictures.
    static int BodySkin(float health, float maxHealth);
    // Whether the control surfaces show their damaged skin.
    static bool ControlSurfacesDamaged(float health, float maxHealth);

    // The craft's angles as the model is turned: (pitch + 90, heading, bank).
    TVector4 BodyAngles() const;
    // A model point in the world (the aircraft's position for -1 or without a model).
    TVector4 PointAt(int index) const;
    // Where the nose points, a unit vector.
    TVector3 NoseDirection() const;
    // What the dynamic camera needs of the aircraft.
    TPlayerView View() const;
    // The mission the aircraft flies in; null before the first Reset and after LeaveMission.
    TObjectsControl *Mission() const { return Flying; }

    static constexpr float FullHealth = 1000;
    static constexpr int   DeathTime = 5000;       // ms of wreck before the mission is lost
    static constexpr int   WeaponSlots = WeaponSlotCount;

    TCamera Camera;                 // the chase camera
    int     DeathClock = DeathTime;
    TCraft  Craft;
    std::array<std::unique_ptr<TWeapon>, WeaponSlots> Weapons;
    int   SpecialChoice = 0;        // 0 gauss gun, 1 laser, 2 ion gun, 3 mega bomb
    int   SelectedWeapon = 0;       // 0 air-to-air, 1 air-to-ground, 2 special
    int   LandingStage = 0;         // 0, 1 past "Land_end", 2 landed
    int   TakeOffClock = 0, HoldClock = 0;   // ms; no control while either runs
    float Throttle = 0;             // the speed request handed to the craft
    float Bank = 0;                 // degrees, -60..60
    bool  AirBrake = false;
    float AirBrakePhase = 0, NozzlePhase = 0.5f, GunPhase = 0;   // animation phases 0..1
    float ThrustLevel = 0;          // speed / 400 x 10; 10 during a take-off or hold
    int   FirePoint = -1, CameraPoint = -1;   // "Fire" and "Cam_1"
    int   EnginePoints[2] = {-1, -1};         // "Engine_1", "Engine_2"
    std::unique_ptr<TEmitter> EngineEmitters[2];
    std::unique_ptr<TEmitter> SmokeEmitter;

    // The moving parts, each drawn at its own phase; null when the data lacks them.
    TModel *AirBrakeModel = nullptr, *EngineModel = nullptr, *ElevatorModel = nullptr, *AileronModel = nullptr,
           *RudderModel = nullptr, *FrontModel = nullptr, *GunModel = nullptr;
    // Texture handles (-1 without a texture library): the control surfaces' two skins and the
    // body's clean and four damaged ones.
    int ControlSkin = -1, ControlSkinDamaged = -1;
    std::array<int, 5> BodySkins{-1, -1, -1, -1, -1};

    // "Collision08", "Collision17", "Collision18", "Collision09", "Collision03"; the second and
    // third (the wing tips) draw the contrails.
    std::array<int, 5> CollisionPoints{-1, -1, -1, -1, -1};
    TCollisionData     Collision;
    TDeadAnimation     DeadAnimation;

    // Still to flow in on the carrier: health, then the ammunition of slots 0, 1 and 3.
    std::array<int, 4> Refill{};
    TGameObject *CurrentTarget = nullptr;   // the object under the crosshair
    TVector3     AimPoint;                  // where the crosshair meets the world this frame
    // Where the ray through the middle of the player's view met the world, as the mission worked it
    // out after the last frame; the aim point and the target follow it.
    TVector3     SightPoint;
    bool         SightValid = false;

    TCarrierPoints Carrier;
    bool           HasCarrier = false;

    // The fades of its mission (set by the mission): no control while a fade-in runs, except during
    // a take-off. Null: no fades.
    const TScreenFade *Fade = nullptr;
    // Who flies it: the frame's command, handed over by the mission before each update.
    TPilot Pilot;
    // An aircraft of another player in a network game: it neither flies nor fires by itself, it
    // shows the state its owner sends.
    bool   Remote = false;
    // Set once when the wreck has fallen (DeathTime after the death); the mission reads it.
    bool   Died = false;
    // The chase camera's draw distances (on deck they follow the view-range option).
    float  ViewFar = 10000, ViewFade = 9000;

private:
    void RemoteStep(int dt);
    void RefillStep(int dt);
    void ControlStep(int dt);
    void Steer(int dt);
    void Sweep(const TVector4 &from);
    void Contrails();
    void DeathStep(int dt);
    void AliveStep(int dt);
    void LandingStep();
    void PlaceCamera();
    void UpdateTarget();
    void RearmDeadAnimation();
    void CopyFromCraft();

    TObjectsControl *Flying = nullptr;
    TVector4 ContrailFrom[2];
    bool     ContrailValid = false;
    bool     MissionLost = false;
};

// The one player aircraft of the run: made with its log line "Create gamer", set as PlayerAircraft
// and bound to the script's "G_PLAYER_HEALTH". A second call returns the same aircraft. The caller
// owns it; when it is freed those two are let go again.
TGamer *CreatePlayerAircraft();
// The player aircraft when PlayerAircraft is one, else null.
TGamer *PlayerGamer();

// The height of the ground under (X, Y): the highest island triangle there, or 0 over the sea.
float TerrainHeight(const TObjectsControl *objects, float x, float y);

// The centre message shown while the autopilot flies (the locale's text).
std::string AutopilotNotice();
