#pragma once
// Deterministic tileable value noise, fractal sums of it, and the integer hashes behind it, for
// generated textures.

#include <cstdint>

// Smooth value noise on a lattice of Period cells (the result tiles with that period), 0..1.
float ValueNoise(float x, float y, int period, std::uint32_t seed);
// Octaves of value noise, each twice the frequency and Gain times the amplitude of the last, 0..1.
float FractalNoise(float x, float y, int period, int octaves, float gain, std::uint32_t seed);
// Fractal noise 0..1 with features about Scale units wide, each octave half the last, on a lattice
// of Period cells: far larger than any texture, so that it never visibly repeats.
float Noise(float x, float y, float scale, std::uint32_t seed, int octaves = 4, int period = 4096);

// Integer hashes for things that vary a little from one piece to the next (bricks, bags, stars...):
// the same arguments give the same bits on every machine.
// Mixes the bits of H, so that neighbouring inputs give unrelated outputs.
std::uint32_t Scramble(std::uint32_t h);
// A hash of the cell (X, Y).
std::uint32_t HashCell(int x, int y, std::uint32_t seed);
// A hash of the number A.
std::uint32_t HashInt(std::int32_t a, std::uint32_t seed = 0);
// The low 16 or 24 bits of a hash as a fraction, 0 and 1 included.
inline float Unit16(std::uint32_t h) { return float(h & 0xFFFF) / 65535.0f; }
inline float Unit24(std::uint32_t h) { return float(h & 0xFFFFFF) / float(0xFFFFFF); }
