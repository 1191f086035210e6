#pragma once
// What the render tests share: the Mesa window with the extension loader run, the built game's
// archive and the texture and model libraries, made once per test program; and the game's drawing
// state put back whatever an earlier test left behind.

// False without an X display (the caller skips).
bool OpenRenderWindow();

// Client arrays, depth test and writes, the default blend and alpha test, no program, texture unit 0,
// no lighting, fog or clip plane, white, the game clock at 0, and the whole 800 x 600 window as the
// viewport.
void ResetRenderState();
