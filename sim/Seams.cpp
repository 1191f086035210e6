#include "sim/Seams.h"

TShaderSeam    *ShaderSeam = nullptr;
TNetworkSeam   *NetworkSeam = nullptr;
THudSeam       *HudSeam = nullptr;
TWaterSeam     *WaterSeam = nullptr;
