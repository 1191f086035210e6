#include "assets/GameClock.h"

std::int64_t GameClock = 0;
