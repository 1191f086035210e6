#include "sim/GameObjects.h"

#include "core/App.h"

// ---- Projectiles ------------------------------------------------------------------------------

TGameObject *TObjectsControl::LaunchMissile(const TVector3 &, const TVector3 &, float, float, float, float,
                                            TGameObject *, int, int, std::int32_t, bool forced)
{
    // On a multiplayer client only the server's message makes a projectile.
    if (NetworkGame && !NetworkHost && !forced)
        return nullptr;
    // The missile class joins the game with the aircraft weapons; until then nothing is launched.
    return nullptr;
}

TGameObject *TObjectsControl::LaunchBomb(const TVector3 &, const TVector3 &, float, float, float, TGameObject *, int,
                                         bool forced)
{
    if (NetworkGame && !NetworkHost && !forced)
        return nullptr;
    // The bomb class joins the game with the aircraft weapons; until then nothing is dropped.
    return nullptr;
}
