#include "sim/Seams.h"

TShaderSeam    *ShaderSeam = nullptr;
TCrosshairSeam *CrosshairSeam = nullptr;
TNetworkSeam   *NetworkSeam = nullptr;
TWaterSeam     *WaterSeam = nullptr;
