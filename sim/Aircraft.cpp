#include "sim/Aircraft.h"
