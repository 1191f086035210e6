#pragma once
// Small effects drawn by several units that belong to none of them: for now the spinning muzzle
// flame of the fighters' guns. Start-up makes the one instance once the model library exists.

#include "core/Maths.h"

class TModel;

class TMisc {
public:
    // Loads the flame model ("Data\Models\Misc\Minigun_Flame.otm"); without a model library or the
    // file there is no flame and DrawFlame draws nothing.
    TMisc();
    // With a flame model of the caller's (null for none).
    explicit TMisc(TModel *flame) : Flame(flame) {}

    // Draws the flame at Point of the current transform (a gun's mount point inside the shooter's
    // model transform), spun about y by the game clock so that it flickers, without depth writes.
    void DrawFlame(const TVector3 &point) const;

    TModel *Flame = nullptr;
};

// The run's instance; null until start-up makes it, and callers check.
extern TMisc *Misc;
