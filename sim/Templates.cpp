#include "sim/Templates.h"

#include "assets/TextureLib.h"
#include "core/Log.h"
#include "core/Text.h"
#include "sound/SoundLib.h"

#include <algorithm>
#include <utility>

namespace {

// Game paths are matched as the archive matches them: letter case ignored, "/" taken for "\".
std::string PathKey(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return UpperCase(path);
}

struct TEffectTemplate {
    std::string               Key;
    std::unique_ptr<TEmitter> Emitter;
};

struct TTextureTemplate {
    std::string Key;
    int         Handle = 0;
};

struct TSampleTemplate {
    std::string    Key;
    FSOUND_SAMPLE *Sample = nullptr;
};

// What the units share for the whole run; replaced whole by each CreateUnitTemplates.
struct TTemplates {
    std::vector<TEffectTemplate>  Effects;
    std::vector<TTextureTemplate> Textures;
    std::vector<TSampleTemplate>  Samples;
};

TTemplates &Templates()
{
    static TTemplates templates;
    return templates;
}

std::vector<std::string> UnderFolder(const std::string &folder, std::initializer_list<const char *> names)
{
    std::vector<std::string> paths;
    for (const char *name : names)
        paths.push_back(folder + name);
    return paths;
}

void LogMissing(const std::string &path) { LogWrite("File not found: \"" + path + "\""); }

// A template of the effect at Path (with AppDir): baked once, never listed with the particle
// control, so it neither spawns nor costs the particle pass anything.
std::unique_ptr<TEmitter> LoadEffectTemplate(const std::string &path, bool textures)
{
    std::unique_ptr<TEmitter> emitter;
    if (textures && TextureLib)
        emitter = std::make_unique<TEmitter>(path, 1.0f);   // its particle textures through the library
    else
        emitter = std::make_unique<TEmitter>(BakeEffect(LoadDpsFile(path), {}), 1.0f);
    if (Sprites)
        Sprites->Remove(emitter->Block.get());
    return emitter;
}

} // namespace

const std::vector<std::string> &EffectTemplateFiles()
{
    static const std::vector<std::string> files = UnderFolder(
        "Data\\Effects\\",
        {"Simple White Smoke.dps", "bomb_Explosion.dps", "Missile.dps", "Explosion 2.dps", "Smoke Fire.dps",
         "Simple Black Smoke.dps", "Simple_Fire.dps", "Smoke Fall.dps", "Fire Fall.dps", "Su25_Engine.dps",
         "GAS1_Engine.dps", "MachineGun_Shoot.dps", "Gauss_Shoot.dps", "Player_Engine.dps", "Player_Smoke.dps",
         "Plasma.dps", "Plasma_Explosion.dps", "MegaBomb_Explosion.dps", "Missile_Start.dps", "Missile_Smoke.dps"});
    return files;
}

const std::vector<std::string> &SharedTextureFiles()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> paths = UnderFolder(
            "Data\\Textures\\", {"Trasser.png", "Trasser_Laser.png", "Trasser_White.png",   // tracers
                                 "fountain.png", "reload.png", "Water_Noise.png"});         // misc
        for (const std::string &bomb :
             UnderFolder("Data\\Models\\Misc\\", {"MegaBomb_Explosion.png", "MegaBomb_Explosion2.png",
                                                  "MegaBomb_Explosion3.png", "MegaBomb_Explosion4.png",
                                                  "MegaBomb_Explosion5.png", "MegaBomb_Explosion6.png"}))
            paths.push_back(bomb);
        return paths;
    }();
    return files;
}

const std::vector<std::string> &SharedSoundFiles()
{
    static const std::vector<std::string> files = UnderFolder(
        "Data\\Sounds\\",
        {"Explosion_Small.WAV", "Explosion_Middle.WAV", "Explosion_Large.WAV", "Shoot_bomb.WAV",
         "Shoot_bomb_Explosion.wav", "Missile_warning.wav", "Shoot_Missile.wav", "Gun.wav", "BigGun.wav",
         "MachineGun.wav", "Reloaded.wav", "Win.wav", "Lose.wav", "begin.wav", "submarine.wav", "shilka.wav",
         "Speech1.wav", "Speech2.wav", "Speech3.wav", "Speech4.wav", "Speech5.wav", "Speech6.wav"});
    return files;
}

void CreateUnitTemplates(bool textures)
{
    // Made aside and put in place at the end, so that a damaged file leaves the previous set whole.
    TTemplates made;

    LogWrite("Loading Effects");
    for (const std::string &file : EffectTemplateFiles()) {
        const std::string path = AppDir + file;
        if (!DataFileExists(path)) {
            LogMissing(path);
            continue;
        }
        made.Effects.push_back({PathKey(file), LoadEffectTemplate(path, textures)});
    }

    // A missing picture is the texture library's to report: it logs it and hands out a handle that
    // binds nothing, as for every other texture of the game.
    if (textures && TextureLib)
        for (const std::string &file : SharedTextureFiles())
            made.Textures.push_back(
                {PathKey(file), TextureLib->Load(AppDir + file, TextureLinearMipmapLinear, TextureLinear)});

    if (SoundLib)
        for (const std::string &file : SharedSoundFiles()) {
            const std::string path = AppDir + file;
            // The sound library throws for a loose file it cannot read, which is right for a damaged
            // one; a file that is not there at all only costs its sound.
            if (!DataFileExists(path)) {
                LogMissing(path);
                continue;
            }
            made.Samples.push_back({PathKey(file), SoundLib->LoadSample(path, false)});
        }

    Templates() = std::move(made);
}

void FreeUnitTemplates() { Templates() = TTemplates(); }

const TEmitter *FindEffectTemplate(const std::string &gamePath)
{
    const std::string key = PathKey(gamePath);
    for (const TEffectTemplate &effect : Templates().Effects)
        if (effect.Key == key)
            return effect.Emitter.get();
    return nullptr;
}

int SharedTexture(const std::string &gamePath)
{
    const std::string key = PathKey(gamePath);
    for (const TTextureTemplate &texture : Templates().Textures)
        if (texture.Key == key)
            return texture.Handle;
    return 0;
}

FSOUND_SAMPLE *SharedSample(const std::string &gamePath)
{
    const std::string key = PathKey(gamePath);
    for (const TSampleTemplate &sample : Templates().Samples)
        if (sample.Key == key)
            return sample.Sample;
    return nullptr;
}
