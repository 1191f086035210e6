#pragma once
// The shared templates of the units and weapons: one loaded emitter per effect file, the tracer and
// misc textures, the mega-bomb textures and the sound samples. They are made once per run, in a fixed
// order with their log lines, by the part of the scene environment that needs no window (the game's
// start-up and the headless mission runner share it); textures are loaded only when a window exists.
// Units make their emitters from these templates instead of reading effect files again.

#include "assets/DPSEffect.h"
#include "core/App.h"
#include "data/Extractor.h"
#include "sound/FSound.h"

#include <memory>
#include <string>
#include <vector>

// Paths here are relative to the game folder ("Data\Effects\Explosion 2.dps"); AppDir is put in front.

// The shared files, as game paths, in the order the templates are made: the effects; the tracer
// textures, the misc textures and the six mega-bomb pictures; the sounds, the six speech samples last.
const std::vector<std::string> &EffectTemplateFiles();
const std::vector<std::string> &SharedTextureFiles();
const std::vector<std::string> &SharedSoundFiles();

// Makes the templates of the run, replacing any made before: logs "Loading Effects" and loads one
// emitter of scale 1.0 per effect; then, when Textures is set (a window exists) and there is a
// texture library, the shared textures with trilinear minification; then, when there is a sound
// library, the samples as one-shots under their game paths with AppDir in front (the names every
// later LoadSample of the same sound uses). Without Textures nothing goes near the texture library,
// not even the effects' own particle textures (their records keep handle 0).
// A file the data lacks is logged as "File not found: "<path>"" and left out: the units go without
// that effect or sound. A damaged file throws the loader's own error, and the templates made
// before the call stay.
// The template emitters are not listed with Sprites: they never spawn, and serve only as sources.
void CreateUnitTemplates(bool textures);
// Forgets the templates (their samples belong to the sound library: free these first when a test
// closes its sound library).
void FreeUnitTemplates();

// The lookups below ignore letter case and take "/" for "\", as the archive does.

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

// The sample of a shared sound (such as "Data\Sounds\Gun.wav") that the templates loaded, else null.
FSOUND_SAMPLE *SharedSample(const std::string &gamePath);
