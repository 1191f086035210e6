#pragma once
// The game's one random generator, shared by scripts, units and effects.

#include <cstdint>

extern std::uint32_t RandSeed;

// Seeds the generator once at start-up (from the high-resolution counter or the tick count).
void Randomize(std::uint64_t counter);

// A uniform integer in 0 .. range - 1; 0 for a range of 0 or less. Steps the seed as
// seed := seed x 134775813 + 1 and answers the high 32 bits of seed x range.
int Random(int range);
