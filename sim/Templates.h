#pragma once
// The shared templates of the units and weapons: one loaded emitter per effect file, the tracer and
// misc textures, the mega-bomb textures and the sound samples. They are made once per run, in a fixed
// order with their log lines, by the part of the scene environment that needs no window (the game's
// start-up and the headless mission runner share it); textures are loaded only when a window exists.
// Units make their emitters from these templates instead of reading effect files again.

#include "assets/DPSEffect.h"
#include "core/App.h"
#include "data/Extractor.h"

#include <memory>
#include <string>

// Paths here are relative to the game folder ("Data\Effects\Explosion 2.dps"); AppDir is put in front.

// The template emitter for an effect (such as "Data\Effects\Explosion 2.dps"), or null
// when the templates do not hold it (not made, or not one of the shared effects).
const TEmitter *FindEffectTemplate(const std::string &gamePath);

// A new emitter of kind TKind for the effect at GamePath with Scale: from the shared template when
// there is one, otherwise read from the data; null when the data lacks the file.
template <class TKind = TEmitter> std::unique_ptr<TKind> MakeEmitter(const std::string &gamePath, float scale)
{
    if (const TEmitter *templ = FindEffectTemplate(gamePath))
        return TEmitter::CreateFrom<TKind>(*templ, scale);
    if (!DataFileExists(AppDir + gamePath))
        return nullptr;
    return std::make_unique<TKind>(AppDir + gamePath, scale);
}

// The texture handle of a shared texture (a game path such as "Data\Textures\Trasser.png"): the one
// the templates loaded, else 0.
int SharedTexture(const std::string &gamePath);
