#include "sim/Misc.h"
