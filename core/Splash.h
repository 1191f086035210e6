#pragma once
// The splash logo shown while the game loads.

// Clears the screen and draws the texture-library texture Handle, 512 x 64 pixels, at the centre.
void DrawSplash(int handle);
