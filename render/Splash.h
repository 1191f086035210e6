#pragma once
// The splash logo shown while the game loads.

#include <string>

// The texture-library handle of the logo image (mipmapped, linear filtering).
int LoadSplashLogo(const std::string &fileName);

// Clears the screen and draws the texture-library texture Handle, 512 x 64 pixels, at the centre.
void DrawSplash(int handle);
