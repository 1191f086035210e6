#include "sim/Ships.h"
