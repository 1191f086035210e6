#include "sound/Music.h"

#include "sound/SoundLib.h"

FSOUND_SAMPLE *MenuMusic = nullptr;
int            MenuMusicChannel = -1;
FSOUND_SAMPLE *GameMusic = nullptr;
int            GameMusicChannel = -1;

namespace {

void KeepPlaying(FSOUND_SAMPLE *music, int &channel, int volume)
{
    if (!music)
        return;
    if (!SoundLib->IsPlaying(channel))
        channel = SoundLib->Play2D(music, volume);
    SoundLib->SetVolume(channel, volume);
}

} // namespace

void MusicFrame(bool menuActive, int musicVolume)
{
    if (!SoundLib)
        return;
    if (menuActive) {
        KeepPlaying(MenuMusic, MenuMusicChannel, musicVolume);
        if (GameMusic && SoundLib->IsPlaying(GameMusicChannel))
            SoundLib->Stop(GameMusicChannel);
    } else {
        if (SoundLib->IsPlaying(MenuMusicChannel))
            SoundLib->Stop(MenuMusicChannel);
        KeepPlaying(GameMusic, GameMusicChannel, musicVolume);
    }
}
