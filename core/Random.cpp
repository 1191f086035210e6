#include "core/Random.h"

std::uint32_t RandSeed = 0;

void Randomize(std::uint64_t counter) { RandSeed = std::uint32_t(counter ^ (counter >> 32)); }

int Random(int range)
{
    RandSeed = RandSeed * 134775813u + 1u;
    if (range <= 0)
        return 0;
    return int((std::uint64_t(RandSeed) * std::uint32_t(range)) >> 32);
}
