#include "sim/Misc.h"

#include "assets/AssetDevice.h"
#include "assets/Model.h"
#include "core/View.h"
#include "sim/Units.h"

#include <numbers>

TMisc *Misc = nullptr;

TMisc::TMisc() : Flame(LoadUnitModel("Data\\Models\\Misc\\Minigun_Flame.otm")) {}

void TMisc::DrawFlame(const TVector3 &point) const
{
    if (!Flame)
        return;
    // Spin first, then move to the point: one degree per millisecond of game time.
    constexpr float degrees = std::numbers::pi_v<float> / 180.0f;
    const float spin = -float(GameClock % 360) * degrees;
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, point);
    MatrixRotateY(m, spin);
    TAssetDevice &device = AssetDevice();
    device.PushTransform(m);
    // A flame must not hide what lies behind its transparent edges.
    device.SetDepthWrites(false);
    Flame->Draw(true);
    device.SetDepthWrites(true);
    device.PopTransform();
}
