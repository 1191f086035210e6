#include "core/View.h"

#include <cmath>

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

TMatrix4 ViewFrustum(float aspect)
{
    const double nearPlane = 1.0, farPlane = 20000.0;
    const double top = nearPlane * std::tan(30.0 * 3.14159265358979323846 / 180.0), right = top * aspect;
    const double left = -right, bottom = -top;
    // glFrustum's matrix, stored in the graphics library's column order.
    TMatrix4 m{};
    for (float &v : m.m)
        v = 0;
    m.m[0] = float(2 * nearPlane / (right - left));
    m.m[5] = float(2 * nearPlane / (top - bottom));
    m.m[8] = float((right + left) / (right - left));
    m.m[9] = float((top + bottom) / (top - bottom));
    m.m[10] = float(-(farPlane + nearPlane) / (farPlane - nearPlane));
    m.m[11] = -1;
    m.m[14] = float(-2 * farPlane * nearPlane / (farPlane - nearPlane));
    return m;
}

void PublishView(const TView &view)
{
    if (!view.Valid)
        return;
    EyePosition = view.Eye;
    CameraYaw = view.Yaw;
    CameraPitch = view.Pitch;
    ViewModelView = view.ModelView;
    ViewProjection = view.Projection;
    FarDrawDistance = view.FarDistance;
    FadeStartDistance = view.FadeStart;
}
