// The object list's launchers of missiles and bombs.

#include "sim/Aircraft.h"
#include "sim/GameObjects.h"

#include "core/App.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Locale.h"
#include "script/Messanger.h"
#include "sound/SoundLib.h"

namespace {

constexpr int SectionFlight = 3;        // the locale's in-flight words
constexpr int MissileWarningTime = 3000;   // ms the warning stays in the middle of the screen

// A missile on its way to the player: the warning in the middle of the screen and its alarm.
void WarnPlayer()
{
    if (Messanger)
        Messanger->Add(Translate("MISSILE", SectionFlight), true, 1, 0, 0, MissileWarningTime);
    const std::string alarm = AppDir + "Data\\Sounds\\Missile_warning.wav";
    if (SoundLib && DataFileExists(alarm))
        SoundLib->Play2D(SoundLib->LoadSample(alarm, false), Config ? Config->SoundVolume : 100);
}

} // namespace

TGameObject *TObjectsControl::LaunchMissile(const TVector3 &start, const TVector3 &direction, float damage,
                                            float launchSpeed, float topSpeed, float health, TGameObject *target,
                                            int side, int lifetime, std::int32_t extra, bool forced)
{
    // On a multiplayer client only the server's message makes a projectile.
    if (IsNetworkClient() && !forced)
        return nullptr;
    auto *missile = new TAirToAirRocket(*this, start, direction);
    missile->DamageValue = damage;
    missile->LaunchSpeed = launchSpeed;
    missile->TopSpeed = topSpeed;
    missile->Lifetime = lifetime;
    missile->Extra = extra;
    missile->Speed = launchSpeed;
    // Its category, radar blip and name are the missile's own.
    StampObject(*missile, {.Side = side, .Health = health, .MaxHealth = health, .Targetable = 0});
    missile->Target = target;
    Add(missile);
    PlaySoundAt("Data\\Sounds\\Shoot_Missile.wav", start, 100, 400);
    if (target && target == PlayerAircraft)
        WarnPlayer();
    return missile;
}

TGameObject *TObjectsControl::LaunchBomb(const TVector3 &start, const TVector3 &direction, float forwardSpeed,
                                         float damage, float health, TGameObject *target, int side, bool forced)
{
    if (IsNetworkClient() && !forced)
        return nullptr;
    auto *bomb = new TBomb(*this, start, direction);
    bomb->ForwardSpeed = forwardSpeed;
    bomb->DamageValue = damage;
    // Its category and name are the bomb's own; a bomb is never on the radar.
    StampObject(*bomb, {.Side = side, .Health = health, .MaxHealth = health, .OnRadar = 0, .Targetable = 0});
    bomb->Target = target;
    Add(bomb);
    PlaySoundAt("Data\\Sounds\\Shoot_bomb.WAV", start, 100, 400);
    return bomb;
}
