#pragma once
// The two music streams the frame loop keeps going: the menu's and the mission's. Each is an
// ordinary looping sample played flat on its own channel.

#include "sound/FSound.h"

extern FSOUND_SAMPLE *MenuMusic;         // "Data\Music\Menu.ogg", loaded by the menu; null until then
extern int            MenuMusicChannel;  // -1 when not playing
extern FSOUND_SAMPLE *GameMusic;         // chosen by the mission script; null for none
extern int            GameMusicChannel;  // -1 when not playing

// The music step of one frame, through the global SoundLib (nothing without one). In the menu the
// menu music is started when it is not playing and the mission music stopped; in a mission the
// menu music is stopped and the mission music started. The playing one gets MusicVolume (0..100)
// every frame; at 0 it is never started.
void MusicFrame(bool menuActive, int musicVolume);
