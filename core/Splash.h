#pragma once
// The splash logo shown while the game loads. The texture library takes over image loading when it
// lands; until then this small loader reads the logo through the archive.

#include <string>

// Loads a PNG from the game path as a mipmapped texture (trilinear minification, linear
// magnification). Throws "File not found: "path"" when it is missing.
unsigned LoadSplashTexture(const std::string &path);

// Clears the screen and draws the logo, 512 x 64 pixels, at the centre.
void DrawSplash(unsigned texture);
