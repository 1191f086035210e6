// audiogen: makes the game's sounds from the readable sources in content/audio.
//
//   audiogen sfx RECIPE OUTDIR [NAME...]    every effect of the recipe (or only the named ones)
//   audiogen speech RECIPE OUTDIR ESPEAK     the radio lines, spoken by the eSpeak NG at ESPEAK
//   audiogen music SCORE OUT.ogg             one looping music track
//   audiogen levels FILE...                  peak and RMS of sound files, for balancing the mix
//
// The same sources always give the same bytes: every random choice comes from a fixed seed.

#include "tools/audiogen/AudioFile.h"
#include "tools/audiogen/Music.h"
#include "tools/audiogen/Sfx.h"
#include "tools/audiogen/Speech.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char *Usage =
    "usage: audiogen sfx RECIPE OUTDIR [NAME...]   render the effects of a recipe into OUTDIR\n"
    "       audiogen speech RECIPE OUTDIR ESPEAK    speak the radio lines with the eSpeak NG program ESPEAK\n"
    "       audiogen music SCORE OUT.ogg            render one looping music track\n"
    "       audiogen levels FILE...                 print peak and RMS (dBFS) of sound files\n"
    "Effects and speech are written as 16-bit mono WAV, music as stereo Ogg Vorbis.\n";

int MakeEffects(const std::string &recipePath, const std::string &outDir, const std::vector<std::string> &only)
{
    const TRecipeReader recipe(recipePath);
    const std::vector<TSfx> sounds = ReadSfxRecipe(recipe);
    for (const std::string &name : only)
        if (std::none_of(sounds.begin(), sounds.end(), [&](const TSfx &s) { return s.Name == name; }))
            throw std::runtime_error("The recipe \"" + recipePath + "\" makes no sound \"" + name + "\"");
    for (const TSfx &sfx : sounds)
        if (only.empty() || std::find(only.begin(), only.end(), sfx.Name) != only.end())
            WriteWav(outDir + "/" + sfx.Name, RenderSfx(sfx), 1, sfx.Rate);
    return 0;
}

int MakeSpeech(const std::string &recipePath, const std::string &outDir, const std::string &espeak)
{
    const TRecipeReader recipe(recipePath);
    for (const TSpeechLine &line : ReadSpeechRecipe(recipe)) {
        int rate = 0;
        const std::vector<double> voice = SpeakLine(line, espeak, outDir, rate);
        WriteWav(outDir + "/" + line.Name, RadioVoice(voice, rate, dsp::HashText(line.Name)), 1, rate);
    }
    return 0;
}

int MakeMusic(const std::string &scorePath, const std::string &outPath)
{
    const TRecipeReader score(scorePath);
    const TSong song = ReadSong(score);
    WriteOggVorbis(outPath, RenderSong(song), 2, song.Rate, song.Quality);
    return 0;
}

int PrintLevels(const std::vector<std::string> &paths)
{
    std::printf("%-28s %8s %9s %9s\n", "file", "seconds", "peak dB", "RMS dB");
    for (const std::string &path : paths) {
        const TSoundData sound = ReadSoundFile(path);
        const std::string name = path.substr(path.find_last_of('/') + 1);
        std::printf("%-28s %8.2f %9.1f %9.1f\n", name.c_str(), double(sound.Samples.size()) / sound.Rate,
                    dsp::GainToDb(dsp::Peak(sound.Samples)), dsp::GainToDb(dsp::Rms(sound.Samples)));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(Usage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    try {
        const std::string &command = args[0];
        if (command == "sfx" && args.size() >= 3)
            return MakeEffects(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
        if (command == "speech" && args.size() == 4)
            return MakeSpeech(args[1], args[2], args[3]);
        if (command == "music" && args.size() == 3)
            return MakeMusic(args[1], args[2]);
        if (command == "levels" && args.size() >= 2)
            return PrintLevels(std::vector<std::string>(args.begin() + 1, args.end()));
        std::fputs(Usage, stderr);
        return 2;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "audiogen: %s\n", error.what());
        return 1;
    }
}
