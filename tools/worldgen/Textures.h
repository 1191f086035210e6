#pragma once
// The shared textures of "Textures/" below the staging tree's "Data" folder: the sea surface and
// its three ripple patterns, the splash decal, the water fountain, the tracers and the reload marker.

#include <string>

void WriteTextures(const std::string &data);
