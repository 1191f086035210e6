#pragma once
// Deterministic tileable value noise and fractal sums of it, for generated textures.

#include <cstdint>

// Smooth value noise on a lattice of Period cells (the result tiles with that period), 0..1.
float ValueNoise(float x, float y, int period, std::uint32_t seed);
// Octaves of value noise, each twice the frequency and Gain times the amplitude of the last, 0..1.
float FractalNoise(float x, float y, int period, int octaves, float gain, std::uint32_t seed);
