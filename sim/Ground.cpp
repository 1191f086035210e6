#include "sim/Ground.h"
