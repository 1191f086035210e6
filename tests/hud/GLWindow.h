#pragma once
// One real window with a GL context for a test program (Mesa under Xvfb), and reading back what was
// drawn. Shared by the HUD and menu tests.

#include <cstdint>
#include <string>
#include <vector>

// Opens the window once per process, 800 x 600 with the pixel sizes the game derives from it,
// DevIL started and the viewport set; false without an X display.
bool OpenTestWindow();

struct TScreen {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgb;   // rows top first
    const std::uint8_t *at(int x, int y) const { return &rgb[(std::size_t(y) * w + x) * 3]; }
};

// The back buffer as it stands.
TScreen ReadScreen();

// Opens the archive of the built game folder (the content build's Data.dpg) as the global
// Extractor, with AppDir set to Dir (which must end in "/").
void UseGameData(const std::string &dir);
