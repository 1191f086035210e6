#include "tools/imagegen/GenMath.h"

TColor ChromeRamp(float t)
{
    const TColor top{0.80f, 0.90f, 1.00f}, high{1.0f, 1.0f, 1.0f}, horizon{0.10f, 0.22f, 0.42f}, low{0.45f, 0.70f, 0.98f},
        bottom{0.85f, 0.95f, 1.0f};
    if (t < 0.45f)
        return Mix(top, high, t / 0.45f);
    if (t < 0.52f)
        return Mix(high, horizon, (t - 0.45f) / 0.07f);
    if (t < 0.8f)
        return Mix(horizon, low, (t - 0.52f) / 0.28f);
    return Mix(low, bottom, (t - 0.8f) / 0.2f);
}
