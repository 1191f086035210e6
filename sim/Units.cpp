#include "sim/Units.h"
