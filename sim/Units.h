#pragma once
// What every computer-controlled unit shares: its place in the mission's object list, the death
// sequence of a destroyed unit (the wreck model with its smoke, fire, explosions and the final blast
// or splash), the gun turrets that ships and ground sites carry, and the small services units call
// (damage that a multiplayer client leaves to its server, sounds at a place, tracers, the sea).

#include "assets/DPSEffect.h"
#include "sim/AI.h"
#include "sim/GameObjects.h"

#include <memory>
#include <string>
#include <vector>

class TModel;

// The player's statistics of a mission: shots and hits of the player's weapons, and the kills of
// the player's side (by the player's weapons, and by friendly bombs) by the victim's TargetClass.
// The score of a won mission and the stage-complete page read these kills.
struct TPlayerStatistics {
    int AircraftKills = 0, ShipKills = 0, Shots = 0, Hits = 0;
};
// The statistics being counted: those of the mission being flown (its world points here while it
// lives), otherwise PlayerStatistics, which counts for what runs without a mission.
extern TPlayerStatistics *MissionStatistics;
extern TPlayerStatistics  PlayerStatistics;
// The one kill counter: counts Victim in MissionStatistics by its TargetClass.
void CountPlayerKill(const TGameObject &victim);

// Whether this program is a client of a network game: then only the server deals damage.
bool IsNetworkClient();

// Paths below are relative to the game folder ("Data\..."); AppDir is put in front.

// Plays the sound of the game's data at a world place with the configured volume; a sound the data
// lacks, or a program without sound, plays nothing.
// The difficulty's hand in what the enemies do to a player's aircraft. Easy: a third of the hit rolls
// that strike it miss after all, and it takes 0.6 of the damage. Hard: one roll in ten that missed it
// strikes after all, and it takes 1.25 times the damage. Normal changes nothing and draws no random
// number of its own, so a mission on normal plays as it always did.
constexpr float EasyDamage = 0.6f, HardDamage = 1.25f;
float DamageToPlayer(float amount);
// Hit: what the enemy's hit roll against Target gave.
bool HitRollAgainst(const TGameObject *target, bool hit);

void PlaySoundAt(const std::string &gamePath, const TVector3 &position, float minDistance, float maxDistance);

// A tracer from Start to Finish with the texture of the game's data (see Templates.h for the shared
// ones); nothing without a tracer pool.
void AddTracer(const TVector3 &start, const TVector3 &finish, const std::string &texture, float width, int life,
               const float color[4] = nullptr);

// Disturbs the sea at At; nothing without a sea.
void DisturbWater(const TVector3 &at, float strength, float size);

// A model of the game's data through the model library (path relative to the game folder, e.g.
// "Data\Models\Guns\Gun.otm"); null when there is no library or the data lacks the file. A damaged
// model file throws.
TModel *LoadUnitModel(const std::string &gamePath);

// A unit of a mission: every class of ships, aircraft, projectiles, turrets and ground sites.
class TUnit : public TGameObject {
public:
    // Takes an Id from Objects, then the fields of Stamp; the unit keeps Objects for its queries
    // (targets, collision).
    explicit TUnit(TObjectsControl &objects, TObjectStamp stamp = {});

    TObjectsControl &Objects;

protected:
    // Drops a target that has left the world; whether a target remains.
    bool KeepTarget();
    // Wraps the heading into -180..180.
    void WrapHeading();
    // Victim loses Amount of health through SetHealth, unless this is a network client; a player's
    // aircraft loses it as the difficulty has it (DamageToPlayer).
    static void Damage(TGameObject *victim, float amount);
    // The world position of the model point Index under the unit's transform (Position for -1).
    TVector4 PointWorld(int index) const;
    // Draws the unit's model at its place with its angles and the given alpha.
    void DrawModel(float alpha = 1) const;
    // The alpha of the unit at its distance from the eye (aircraft and buildings fade out).
    float Fade() const;
};

// The transform of a model at Position with the angles (pitch, heading, roll) in degrees: translate,
// rotate -heading about z, pitch about x, roll about y.
TMatrix4 UnitMatrix(const TVector4 &position, const TVector4 &angles);

// The death sequence of a destroyed unit.
class TDeadAnimation {
public:
    // One effect at a named point or item of the wreck model.
    struct TEntry {
        std::unique_ptr<TEmitter> Emitter;
        int         Index = -1;    // the point or item of the dead model
        float       Scale = 1;
        std::string Sound;         // played once, empty for none
        float       Shake = 0;     // how hard the blast shakes the player's view nearby
        bool        Played = false;
        TVector4    Position;      // world position of this frame
    };

    // Loads the wreck model (relative to the game folder) and makes an entry for each of its points and items whose
    // name asks for smoke, fire or an explosion. Objects is where the falling wreck collides.
    TDeadAnimation(const std::string &deadModelPath, TObjectsControl *objects);
    ~TDeadAnimation();

    // The effect, scale and sound that a point or item name asks for; false for any other name.
    // Items use the falling smoke and fire effects and a larger plain explosion.
    static bool EntryFor(const std::string &name, bool item, std::string &effect, float &scale, std::string &sound);

    // Clock 0, active, not exploded, every emitter restarted.
    void Start();
    // Advances the sequence by Dt ms at the unit's Position; true once it has finished (after
    // 10000 ms).
    bool Update(int dt, const TVector4 &position);
    // The wreck model while active and within the first 5000 ms.
    void Draw() const;

    TVector4 Position, Angles;   // the wreck's place; Angles are copied from the unit each frame
    TModel  *Model = nullptr;
    int      HitIndex = -1;
    std::vector<TEntry> Points, Items;
    std::unique_ptr<TEmitter> Explosion;   // the big blast at "Hit", scale 6
    int  Clock = 0;
    bool Active = false, Exploded = false, Started = false;
    TObjectsControl *Objects = nullptr;
    bool     BlastFired = false;
    TVector4 BlastPosition;

private:
    // The big explosion at At; the "Hit" point is used up.
    void Blast(const TVector4 &at);
};

// One gun turret configuration (the turret table).
struct TTurretConfig {
    const char *Model = "";        // relative to the game folder
    const char *Sound = "";        // fire sound, empty for the missile launchers
    bool  AttacksAir = false, AttacksSurface = false;
    float TurnRate = 0;            // degrees per second, yaw and pitch
    float Damage = 0;
    int   ReloadTime = 0;          // ms
    int   HitDivisor = 1;
    int   RangeFactor = 0;
    float Range = 0;
    int   BurstLength = 0, BurstPause = 0;
    float YawMin = 0, YawMax = 0, YawStart = 0, PitchMax = 0;
    float Health = 1000;
};

// A gun turret on a ship or a site: finds its own targets, aims with its controller and fires. It is
// owned by its carrier, not listed in the world.
class TGun : public TUnit {
public:
    TGun(TObjectsControl &objects, const TVector3 &position, TGameObject *owner, int side, const TTurretConfig &config);
    ~TGun() override;

    void Update(int dt) override;
    void Draw() override;
    // One shot at the target.
    virtual void Fire();

    // Places the turret at its mount for this frame (the carrier's transform applied to the point).
    void Place(const TVector4 &world) { Position = world; }

    // The heading the turret looks along in the world: its yaw plus the carrier's heading.
    float WorldYaw() const;
    // The turret's model placement (the model's front looks back along its yaw).
    TMatrix4 TurretMatrix() const;
    // Wraps the yaw, keeps it in the sector (stopping at the nearer edge) and clamps the elevation.
    void KeepInSector();

    // The turret record of the carrier's state message (StateTurretSize bytes).
    void DescribeTurret(TStateIO &io);

    struct TMuzzle {
        std::unique_ptr<TEmitter> Emitter;
        int Begin = -1, End = -1;
    };

    void  *FireSound = nullptr;    // the sample, null for none
    std::string FireSoundPath;
    bool   AttacksAir = false, AttacksSurface = false;
    float  TurnRate[2] = {0, 0};
    float  DamageValue = 0;
    int    ReloadTime = 0;
    int    HitDivisor = 1;
    int    RangeFactor = 0;
    float  Range = 0;
    int    BurstLength = 0, BurstLeft = 0, BurstPause = 0, PauseClock = 0;
    float  YawMin = 0, YawMax = 0, PitchMin = 0, PitchMax = 0, YawStart = 0;
    const float *OwnerHeading = nullptr;
    TGameObject *Owner = nullptr;
    std::vector<TMuzzle> Muzzles;
    TAIGun AI;
    int    ReloadClock = 0;
    int    FlashClock = 0;
};

// The turret record of a mount in a carrier's state message: Gun's, or zeros for a mount without a
// turret.
void DescribeMount(TStateIO &io, TGun *gun);

// A missile launcher: fires homing missiles instead of shells.
class TGunMissile : public TGun {
public:
    using TGun::TGun;
    void Fire() override;
};

// The turret table.
namespace Turrets {
extern const TTurretConfig DestroyerGunFront, DestroyerGunRear, MachineGunLeft, MachineGunRight, BattleShipHeavyFront,
    BattleShipHeavyRear, BattleShipLightLeft, BattleShipLightRight, BattleShipMachineGunFront,
    BattleShipMachineGunRear, BattleShipLauncher, SamLauncher, ShilkaGun, CarrierMachineGun;
}
