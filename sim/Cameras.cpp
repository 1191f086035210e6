#include "sim/Cameras.h"

#include "assets/Model.h"
#include "core/Random.h"
#include "core/View.h"
#include "data/Config.h"

#include <algorithm>
#include <cmath>
#include <numbers>

TCamera        *CurrentCamera = nullptr;
TDynamicCamera *DynamicCamera = nullptr;
TCameraShaking *CameraShaking = nullptr;

namespace {

constexpr float Degrees = std::numbers::pi_v<float> / 180.0f;

// The dynamic view never dips below this height, so it does not look at the sea from underneath.
constexpr float LowestView = 5.0f;

// How long the camera stays on a missile's target once the missile has reached it.
constexpr int TargetShowTime = 1000;

// The small view's far draw distance per view-range option: unlimited, high, medium, low. Objects
// start to fade at nine tenths of it, as they do in flight (10000 and 9000).
constexpr float SmallViewRange[4] = {1e7f, 4500, 3000, 1500};
constexpr float FadeStartShare = 0.9f;

float SubjectRadius(const TGameObject &object)
{
    return object.Model ? object.Model->Radius : DefaultSubjectRadius;
}

} // namespace

// ---- The camera ---------------------------------------------------------------------------------

TCamera::TCamera()
{
    Collision.Radius = 2.0f;
    Collision.Points.resize(1);
    Collision.PointCount = 1;
}

void TCamera::Apply(const TObjectsControl *objects)
{
    Place(objects);
    Publish();
}

void TCamera::Publish()
{
    // Particles turn their quads by -yaw about z and -pitch about x, which faces them to this eye
    // when yaw and pitch are the camera's heading and pitch.
    CurrentCamera = this;
    ViewModelView = ModelView;
    EyePosition = VectorSet4(Position.x, Position.y, Position.z, 1);
    CameraYaw = Heading;
    CameraPitch = Pitch;
}

TView TCamera::MakeView(const TMatrix4 &modelView, float aspect, float farDistance, float fadeStart) const
{
    TView view;
    view.Valid = true;
    view.Eye = VectorSet4(Position.x, Position.y, Position.z, 1);
    view.Yaw = Heading;
    view.Pitch = Pitch;
    view.ModelView = modelView;
    view.Projection = ViewFrustum(aspect);
    view.Aspect = aspect;
    view.FarDistance = farDistance;
    view.FadeStart = fadeStart;
    for (int i = 0; i < 4; ++i)
        view.Corners[i] = Corners[i];
    return view;
}

void TCamera::Place(const TObjectsControl *objects)
{
    // The turn, as the graphics library would build it from the identity: pitch about x, then -roll
    // about y, then heading about z, each multiplied on the right. Kept as row vectors use it: a point
    // is turned by heading first and by pitch last.
    TMatrix4 rotation = MatrixIdentity();
    MatrixRotateX(rotation, Pitch * Degrees);
    MatrixRotateY(rotation, -Roll * Degrees);
    MatrixRotateZ(rotation, Heading * Degrees);

    // An eye inside a ship or a building would show its inside: the collision query moves it clear
    // before the view is placed.
    if (objects) {
        Collision.Centre = Position;
        Collision.Points[0].Position = Position;
        if (objects->Collide(Collision, false)) {
            Position.x += Collision.PushOut.x;
            Position.y += Collision.PushOut.y;
            Position.z += Collision.PushOut.z;
        }
    }

    TMatrix4 translation = MatrixIdentity();
    MatrixSetTranslation(translation, VectorSet3(-Position.x, -Position.y, -Position.z));
    ModelView = MatrixMultiply(translation, rotation);

    // The camera's right and up axes in the world are the first two rows of the turn as the graphics
    // library holds it, which are elements 0, 4, 8 and 1, 5, 9 of the stored matrix.
    const TVector3 r = VectorSet3(ModelView[0], ModelView[4], ModelView[8]);
    const TVector3 u = VectorSet3(ModelView[1], ModelView[5], ModelView[9]);
    Corners[0] = VectorSet4(-r.x - u.x, -r.y - u.y, -r.z - u.z, 0);
    Corners[1] = VectorSet4(r.x - u.x, r.y - u.y, r.z - u.z, 0);
    Corners[2] = VectorSet4(r.x + u.x, r.y + u.y, r.z + u.z, 0);
    Corners[3] = VectorSet4(-r.x + u.x, -r.y + u.y, -r.z + u.z, 0);
}

// ---- The dynamic camera -------------------------------------------------------------------------

void TDynamicCamera::Reset()
{
    Mode = 0;
    Clock = 0;
    Subject = nullptr;
    Objects = nullptr;
}

bool TDynamicCamera::Exists(const TGameObject *object) const
{
    return object && Objects && Objects->Contains(object);
}

bool TDynamicCamera::Focus(TGameObject *object, int mode, int duration)
{
    if (!object)
        return false;
    // While idle or on a softer view, a building that is (or was last) shown holds the camera against
    // everything but a missile launch; the object view, mode 3 and the missile ride give way only to
    // a missile launch.
    if (Mode == 0 || Mode == 2) {
        if (mode != 4 && Exists(Subject) && Subject->IsStatic == 1)
            return false;
    } else if (Mode == 1 || Mode == 3 || Mode == 4) {
        if (mode != 4)
            return false;
    }
    Subject = object;
    Mode = mode;
    Clock = duration;
    return true;
}

void TDynamicCamera::Tick(int dt)
{
    if (Clock > 0)
        Clock -= dt;
    // A clock that lands exactly on 0 ends the view too: a view left running with no time would hold
    // off every later request but a missile launch for the rest of the mission.
    if (Clock <= 0) {
        Clock = 0;
        Mode = 0;
    }
    if (Mode == 4 && (!Exists(Subject) || Subject->Health <= 0))
        Mode = 0;
}

void TDynamicCamera::Render(const TObjectsControl *objects, const TPlayerView &player)
{
    Place(objects, player);
    View.Publish();
    FarDrawDistance = FarDistance;
    FadeStartDistance = FadeStart;
}

void TDynamicCamera::Place(const TObjectsControl *objects, const TPlayerView &player)
{
    Objects = objects;
    if (Mode != 0 && Mode != 3 && !Exists(Subject)) {
        Mode = 0;
        Subject = nullptr;
    }

    if (Mode == 4) {
        // Just ahead of the missile, looking where it flies.
        const float r = SubjectRadius(*Subject);
        const float h = Subject->Rotation.y * Degrees;
        View.Position.x = Subject->Position.x + 2 * r * std::sin(h);
        View.Position.y = Subject->Position.y + 2 * r * std::cos(h);
        // The camera counts -90 as level, like the player's flight model; an object counts its own
        // LevelPitch as level (0 for a projectile, whose pitch grows as it dives).
        const float dive = Subject->Rotation.x - Subject->LevelPitch;
        View.Position.z = std::max(Subject->Position.z - r * std::sin(dive * Degrees), LowestView);
        View.Pitch = dive - 90;
        View.Heading = Subject->Rotation.y;
        View.Roll = Subject->Rotation.z;
        // Arrived: the view turns to the target for a moment, placed below as an object view.
        TGameObject *target = Subject->Target;
        if (Exists(target) && VectorDistance(View.Position, target->Position) < SubjectRadius(*target)) {
            Subject = target;
            Mode = 1;
            Clock = TargetShowTime;
        }
    }

    if (Mode == 1 || Mode == 2) {
        // Close behind the object as the player would see it.
        const float r = SubjectRadius(*Subject);
        const float h = player.Heading * Degrees;
        View.Position.x = Subject->Position.x - 2 * r * std::sin(h);
        View.Position.y = Subject->Position.y - 2 * r * std::cos(h);
        View.Position.z = std::max(Subject->Position.z + r * std::sin((player.Pitch + 90) * Degrees), LowestView);
        View.Pitch = player.Pitch;
        View.Heading = player.Heading;
        View.Roll = player.Bank;
    } else if (Mode != 4) {
        // The rear view from the cockpit.
        View.Position = player.Cockpit;
        View.Pitch = -(player.Pitch + 180);
        View.Heading = player.Heading + 180;
        View.Roll = -player.Bank;
    }

    View.Place(objects);

    int range = Config ? Config->ViewDistance : 1;
    if (range < 0 || range > 3)
        range = 1;
    FarDistance = SmallViewRange[range];
    FadeStart = SmallViewRange[range] * FadeStartShare;
}

// ---- The shake ----------------------------------------------------------------------------------

void TCameraShaking::Tick(int dt)
{
    const float length = VectorLength(Offset);
    if (dt <= 0 || !(length > 1e-7f))
        return;
    const float step = float(dt) / 1000.0f * DecayRate;
    if (step >= length)
        Offset = TVector4();
    else
        Offset = VectorScale(Offset, 1 - step / length);
}

TMatrix4 TCameraShaking::Apply(const TMatrix4 &modelView) const
{
    TMatrix4 shift = MatrixIdentity();
    MatrixSetTranslation(shift, Offset);
    return MatrixMultiply(shift, modelView);
}

void TCameraShaking::Shake(float amount)
{
    if (!(amount > 0) || !std::isfinite(amount))
        return;
    // A direction spread evenly over the sphere: the height uniform in -1..1, the bearing uniform.
    const float z = float(Roll(20001) - 10000) / 10000.0f;
    const float bearing = float(Roll(36000)) / 36000.0f * 2 * std::numbers::pi_v<float>;
    const float flat = std::sqrt(std::max(0.0f, 1 - z * z));
    const float size = amount * Strength / 50.0f;
    Offset.x += size * flat * std::cos(bearing);
    Offset.y += size * flat * std::sin(bearing);
    Offset.z += size * z;
}

int TCameraShaking::Roll(int range)
{
    Seed = Seed * 134775813u + 1u;
    return int((std::uint64_t(Seed) * std::uint64_t(range)) >> 32);
}

void ShakeNear(const TVector3 &where, float amount)
{
    if (!CameraShaking || !PlayerAircraft || !(amount > 0))
        return;
    const float reach = 30 * amount;
    const float distance = VectorDistance(where, PlayerAircraft->Position);
    if (distance < reach)
        CameraShaking->Shake(amount * (1 - distance / reach));
}

float HitShake(float lost)
{
    if (!(lost > 0))
        return 0;
    // A round of an enemy's gun (25) gives a nudge, a missile (200) a jolt.
    return std::min(10 + lost / 4, 80.0f);
}
