#include "core/View.h"

std::int64_t GameClock = 0;
TVector4     EyePosition;
float        CameraYaw = 0, CameraPitch = 0;
int          Viewport[4] = {0, 0, 0, 0};
TMatrix4     ViewModelView = MatrixIdentity();
TMatrix4     ViewProjection = MatrixIdentity();
float        FarDrawDistance = 10000;
float        FadeStartDistance = 9000;

float DistanceFade(float distance)
{
    if (distance <= FadeStartDistance)
        return 1;
    if (distance >= FarDrawDistance)
        return 0;
    return (FarDrawDistance - distance) / (FarDrawDistance - FadeStartDistance);
}
