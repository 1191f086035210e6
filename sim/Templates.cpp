#include "sim/Templates.h"
