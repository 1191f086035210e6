#pragma once
// The game's millisecond clock: the sum of the mission frame times. Only the scene update advances
// it; until a mission runs it stays 0. Animated textures and model key frames are sampled from it.

#include <cstdint>

extern std::int64_t GameClock;
