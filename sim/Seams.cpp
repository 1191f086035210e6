#include "sim/Seams.h"

TShaderSeam    *ShaderSeam = nullptr;
TCrosshairSeam *CrosshairSeam = nullptr;
TNetworkSeam   *NetworkSeam = nullptr;
THudSeam       *HudSeam = nullptr;
TWaterSeam     *WaterSeam = nullptr;
