// A program built from every headless library of the game, linked with the null platform and the
// null audio output: that it needs no window, GL or audio library at run time is what the layering
// test checks. It compiles a mission script, reads the archive and plays a sound into nothing.

#include "core/App.h"
#include "core/Platform.h"
#include "data/Extractor.h"
#include "script/MissionState.h"
#include "sim/Seams.h"
#include "sound/SoundLib.h"

#include <cstdio>

int main()
{
    TMissionState mission;
    TSoundLib sound;
    std::printf("window %d, focus %d, shaders %d, sound channels %d\n", CreateGLWindow(8, 8, false, "probe", 32) ? 1 : 0,
                HasFocus() ? 1 : 0, ShaderSeam ? 1 : 0, sound.Play2D(nullptr, 255));
    return 0;
}
