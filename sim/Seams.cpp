#include "sim/Seams.h"

#include "assets/AssetDevice.h"

TShaderSeam    *ShaderSeam = nullptr;
TNetworkSeam   *NetworkSeam = nullptr;
THudSeam       *HudSeam = nullptr;
TWaterSeam     *WaterSeam = nullptr;

void SwitchLighting(bool on)
{
    AssetDevice().SetLighting(on);
    if (ShaderSeam)
        ShaderSeam->SetLighting(on);
}
