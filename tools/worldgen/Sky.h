#pragma once
// The clear sky, "Models/Sky/Clear_Sky/" below the staging tree's "Data" folder: the dome with its
// sun and horizon gradient, the cloud layer that the clouds shader scrolls, and the cloud height map.

#include <string>

void WriteSky(const std::string &data);
