#pragma once
// The menu's backdrop: dusk over the sea with the carrier on the horizon and a pair of fighters, a
// faint tactical grid over it, and the game's title across the top.

#include "tools/imagegen/Canvas.h"

#include <string>

constexpr int SceneWidth = 1024, SceneHeight = 768;   // the screen the menu is laid out on

// The picture without text, opaque, SceneWidth x SceneHeight.
TCanvas DrawScene();
// The title in chrome with the subtitle under it between amber rules, centred, its ink from Top down.
void DrawTitle(TCanvas &canvas, const TFont &titleFont, const TFont &textFont, const std::string &title,
               const std::string &subtitle, int top);
