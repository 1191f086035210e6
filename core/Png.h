#pragma once
// PNG output for screenshots and the content tools.

#include <cstdint>
#include <string>
#include <vector>

// Writes Width x Height RGBA pixels, top row first. Returns false if the file could not be written.
bool WritePng(const std::string &path, int width, int height, const std::vector<std::uint8_t> &rgba);
