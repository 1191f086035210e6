#include "core/View.h"

std::int64_t GameClock = 0;
TVector4     EyePosition;
float        CameraYaw = 0, CameraPitch = 0;
int          Viewport[4] = {0, 0, 0, 0};
TMatrix4     ViewModelView = MatrixIdentity();
TMatrix4     ViewProjection = MatrixIdentity();
