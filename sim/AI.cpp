#include "sim/AI.h"
