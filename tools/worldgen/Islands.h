#pragma once
// The islands of the sea, "Maps/Islands/<name>.otm" below the staging tree's "Data" folder.

#include <string>

void WriteIslands(const std::string &data);
