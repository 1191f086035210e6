#include "sim/GameObjects.h"

#include "assets/Model.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/View.h"
#include "sim/ObjectGrid.h"
#include "sim/Seams.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

TGameObject *PlayerAircraft = nullptr;
bool (*ObjectInView)(const TGameObject &object) = nullptr;

void TGameObject::WriteState(TByteWriter &message)
{
    [[maybe_unused]] const std::size_t start = message.Size();
    TStateIO io(message);
    DescribeState(io);
    assert(io.Code() == 0 || message.Size() - start == StateSize(io.Code()));
}

void TGameObject::ReadState(TByteReader &message)
{
    TStateIO io(message);
    DescribeState(io);
}

void StampObject(TGameObject &object, const TObjectStamp &stamp)
{
    if (stamp.IdFrom)
        object.Id = stamp.IdFrom->NewId();
    if (stamp.Position)
        object.Position = VectorSet4(stamp.Position->x, stamp.Position->y, stamp.Position->z, 0);
    if (stamp.Rotation)
        object.Rotation = VectorSet4(stamp.Rotation->x, stamp.Rotation->y, stamp.Rotation->z, 0);
    if (stamp.Side)
        object.Side = *stamp.Side;
    if (stamp.Health)
        object.SetHealth(*stamp.Health);
    if (stamp.MaxHealth)
        object.MaxHealth = *stamp.MaxHealth;
    if (stamp.Name)
        object.Name = stamp.Name->substr(0, MaxObjectNameLength);
    if (stamp.OnRadar)
        object.OnRadar = *stamp.OnRadar;
    if (stamp.Targetable)
        object.Targetable = *stamp.Targetable;
    if (stamp.IsGround)
        object.IsGround = *stamp.IsGround;
    if (stamp.IsStatic)
        object.IsStatic = *stamp.IsStatic;
    if (stamp.Category)
        object.Category = *stamp.Category;
    if (stamp.Held) {
        object.Dead = 0;
        object.RefCount = *stamp.Held ? 1 : 0;
    }
}

// ---- Projection -------------------------------------------------------------------------------

TVector3 ProjectToScreen(const TVector3 &p)
{
    // The matrices are kept as the graphics library takes them; transposed they act on column vectors.
    const TMatrix4 c = MatrixMultiply(MatrixTranspose(ViewProjection), MatrixTranspose(ViewModelView));
    const TVector4 clip = MatrixTransformVector4(c, VectorSet4(p.x, p.y, p.z, 1));
    return VectorSet3(clip.x / clip.w, clip.y / clip.w, clip.z / clip.w);
}

TMatrix4 ObjectMatrix(const TGameObject &object)
{
    constexpr float degrees = std::numbers::pi_v<float> / 180.0f;
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, object.Position);
    MatrixRotateZ(m, -object.Rotation.y * degrees);
    MatrixRotateX(m, -(object.Rotation.x - object.LevelPitch) * degrees);
    return m;
}

// ---- Sphere against triangle ------------------------------------------------------------------

namespace {

// A full turn less the tolerance the inside test allows.
constexpr double FullTurn = 6.283185307116755;

struct TDVec {
    double x, y, z;
};

TDVec Sub(const TVector3 &a, const TVector3 &b)
{
    return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}

double Dot(const TDVec &a, const TDVec &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The angle between A and B, 0 when either is zero. Worked out in double precision: the inside test
// sums three of them against a full turn with a tolerance far below single precision.
double Angle(const TDVec &a, const TDVec &b)
{
    const double lengths = std::sqrt(Dot(a, a)) * std::sqrt(Dot(b, b));
    if (lengths == 0)
        return 0;
    return std::acos(std::clamp(Dot(a, b) / lengths, -1.0, 1.0));
}

// The distance from C to the closest point of the segment A-B.
double SegmentDistance(const TVector3 &c, const TVector3 &a, const TVector3 &b)
{
    const TDVec ab = Sub(b, a), ac = Sub(c, a);
    const double length2 = Dot(ab, ab);
    const double t = length2 > 0 ? std::clamp(Dot(ac, ab) / length2, 0.0, 1.0) : 0.0;
    const TDVec d{ac.x - ab.x * t, ac.y - ab.y * t, ac.z - ab.z * t};
    return std::sqrt(Dot(d, d));
}

} // namespace

bool SphereTouchesTriangle(const TVector3 &c, float r, const TVector3 &a, const TVector3 &b, const TVector3 &c2,
                           const TVector3 &n, TVector4 &pushOut)
{
    const float d = VectorDot(n, c) - VectorDot(n, a);
    if (std::fabs(d) >= r)
        return false;
    // The centre dropped onto the triangle's plane lies inside when the corners go a full turn round it.
    const TVector3 p = VectorSubtract(c, VectorScale(n, d));
    const TDVec pa = Sub(a, p), pb = Sub(b, p), pc = Sub(c2, p);
    bool contact = Angle(pa, pb) + Angle(pb, pc) + Angle(pc, pa) >= FullTurn;
    if (!contact) {
        const double edge = double(r) / 2;
        contact = SegmentDistance(c, a, b) < edge || SegmentDistance(c, b, c2) < edge || SegmentDistance(c, c2, a) < edge;
    }
    if (!contact)
        return false;
    const TVector3 push = VectorScale(n, r - d);
    pushOut = VectorSet4(push.x, push.y, push.z, 0);
    return true;
}

// ---- The object list --------------------------------------------------------------------------

TObjectsControl::TObjectsControl() = default;

TObjectsControl::~TObjectsControl()
{
    if (PlayerAircraft)
        for (TGameObject *object : Objects)
            if (PlayerAircraft->Target == object)
                PlayerAircraft->Target = nullptr;
    for (TGameObject *object : Objects)
        delete object;
}

std::uint16_t TObjectsControl::NewId()
{
    return std::uint16_t(NextId++ & 0xFFFFu);
}

void TObjectsControl::Add(TGameObject *object)
{
    if (!object)
        return;
    object->WeaponEnabled = 1;
    Objects.push_back(object);
    Count = int(Objects.size());
    Members.insert(object);
    if (GridReady())
        Grid->Append(Objects, Count - 1);   // a shot fired during the pass can be found at once
}

void TObjectsControl::FreeAt(int i)
{
    TGameObject *gone = Objects[std::size_t(i)];
    Objects[std::size_t(i)] = Objects.back();
    Objects.pop_back();
    Count = int(Objects.size());
    Members.erase(gone);
    InPass = false;   // list indices moved: the rest of a pass scans the list
    // Nobody keeps aiming at, following or defending an object that no longer exists.
    for (TGameObject *object : Objects)
        if (object->Target == gone)
            object->Target = nullptr;
    if (PlayerAircraft && PlayerAircraft->Target == gone)
        PlayerAircraft->Target = nullptr;
    delete gone;
}

void TObjectsControl::Remove(TGameObject *object)
{
    for (int i = 0; i < Count; ++i)
        if (Objects[std::size_t(i)] == object) {
            FreeAt(i);
            return;
        }
}

TGameObject *TObjectsControl::FindById(std::uint16_t id) const
{
    for (TGameObject *object : Objects)
        if (object->Id == id)
            return object;
    return nullptr;
}

bool TObjectsControl::Contains(const TGameObject *object) const
{
    if (!object)
        return false;
    return object == PlayerAircraft || Members.count(object) != 0;
}

void TObjectsControl::Update(int dt)
{
    // Objects added by an update (shots, wrecks) wait for the next pass.
    if (!Grid)
        Grid = std::make_unique<TObjectGrid>();
    Grid->Build(Objects);
    InPass = true;
    const int count = Count;
    for (int i = 0; i < count && i < Count; ++i) {
        Objects[std::size_t(i)]->Update(dt);
        if (GridReady())
            Grid->Refile(Objects, i);   // units move only themselves
    }
    InPass = false;

    int i = 0;
    while (i < Count) {
        const TGameObject *object = Objects[std::size_t(i)];
        if (object->Dead == 1 && object->RefCount < 1)
            FreeAt(i);   // the last entry moved here: look at this slot again
        else
            ++i;
    }
}

void TObjectsControl::UpdateProjection()
{
    for (TGameObject *object : Objects) {
        if (object->Model) {
            const TMatrix4 m = ObjectMatrix(*object);
            for (int k = 0; k < 8; ++k) {
                const TVector3 corner = MatrixTransformPoint(object->Model->Bounds[std::size_t(k)], m);
                object->BoxCorners[k] = VectorSet4(corner.x, corner.y, corner.z, 0);
            }
            const TVector3 centre = MatrixTransformPoint(object->Model->Center, m);
            object->ViewCentre = VectorSet4(centre.x, centre.y, centre.z, 0);
            const TVector3 screen = ProjectToScreen(centre);
            object->ScreenX = screen.x;
            object->ScreenY = screen.y;
        } else {
            const TVector3 screen = ProjectToScreen(object->Position);
            object->ScreenX = screen.x;
            object->ScreenY = screen.y;
            object->ViewCentre = object->Position;
        }
    }
}

void TObjectsControl::Draw()
{
    const bool shader = ShaderSeam && ShaderSeam->Use(ObjectsShaderProgram);
    for (int i = 0; i < Count; ++i) {
        TGameObject *object = Objects[std::size_t(i)];
        if (!ObjectInView || ObjectInView(*object))
            object->Draw();
    }
    if (shader)
        ShaderSeam->Stop();
}

// ---- Queries ----------------------------------------------------------------------------------

TGameObject *TObjectsControl::FindNearestTarget(bool allowAir, bool allowGround, int side, const TVector3 &position,
                                                float range) const
{
    TGameObject *best = nullptr;
    float bestDistance = range;
    if (PlayerAircraft && PlayerAircraft->Side != side && allowAir) {
        const float d = VectorDistance(PlayerAircraft->Position, position);
        if (d < bestDistance) {
            best = PlayerAircraft;
            bestDistance = d;
        }
    }
    const auto eligible = [&](const TGameObject *object) {
        return object->Targetable == 1 && object->Side != side && object->Health > 0 &&
               ((object->IsGround == 1 && allowGround) || (object->IsGround == 0 && allowAir));
    };
    // During the update pass the grid offers the objects near enough; the nearest wins, and of equals
    // the one earlier in the list, exactly as the scan below decides.
    if (GridReady()) {
        int bestIndex = -1;
        float nearest = bestDistance;
        const bool answered = Grid->ForEachWithin(position.x, position.y, range, [&](int i) {
            const TGameObject *object = Objects[std::size_t(i)];
            if (!eligible(object))
                return;
            const float d = VectorDistance(object->Position, position);
            if (d < nearest || (d == nearest && bestIndex >= 0 && i < bestIndex)) {
                nearest = d;
                bestIndex = i;
            }
        });
        if (answered)
            return bestIndex >= 0 ? Objects[std::size_t(bestIndex)] : best;
    }
    for (TGameObject *object : Objects) {
        if (!eligible(object))
            continue;
        const float d = VectorDistance(object->Position, position);
        if (d < bestDistance) {
            best = object;
            bestDistance = d;
        }
    }
    return best;
}

TGameObject *TObjectsControl::FindContaining(const TVector3 &point) const
{
    // The six faces of the box by corner numbers; each face's normal points into the box.
    static constexpr int faces[6][3] = {{0, 1, 5}, {1, 2, 6}, {2, 3, 7}, {3, 0, 4}, {4, 5, 6}, {0, 3, 2}};
    for (TGameObject *object : Objects) {
        if (!object || object->Dead != 0 || !object->Model || object->Targetable != 1)
            continue;
        const TVector4 *c = object->BoxCorners;
        bool inside = true;
        for (const auto &face : faces) {
            const TVector3 n = TriangleNormal(c[face[0]], c[face[1]], c[face[2]]);
            if (!(PlaneSide(n, c[face[0]], point) < 0)) {
                inside = false;
                break;
            }
        }
        if (inside)
            return object;
    }
    return nullptr;
}

namespace {

// Whether a sample point of Data touches one of Object's own world triangles, trying the triangles
// in their list order and, for each, the points in theirs (the first contact wins, so the order
// decides which push-out is reported). A class with a spatial index names the few triangles near
// each point; the union of those, in list order, gives the same first contact as trying them all,
// since a triangle no point is near cannot be touched.
bool TouchesWorldTriangles(TGameObject &object, TCollisionData &data, int points)
{
    const std::span<const TWorldTriangle> triangles = object.WorldTriangles();
    if (triangles.empty() || points <= 0)
        return false;
    data.PushOut = TVector4();   // a miss leaves it zero, whichever triangles were tried
    auto touches = [&](const TWorldTriangle &triangle) {
        for (int p = 0; p < points; ++p) {
            data.PushOut = TVector4();
            if (SphereTouchesTriangle(data.Points[std::size_t(p)].Position, CollisionSphereRadius,
                                      triangle.Vertices[0], triangle.Vertices[1], triangle.Vertices[2],
                                      triangle.Normal, data.PushOut)) {
                data.HitObject = &object;
                return true;
            }
        }
        return false;
    };

    // Reused between queries: collision runs for every mover every frame.
    thread_local std::vector<std::uint32_t> candidates;
    candidates.clear();
    bool indexed = true;
    for (int p = 0; p < points && indexed; ++p)
        indexed = object.TrianglesNear(data.Points[std::size_t(p)].Position, candidates);
    if (!indexed) {
        for (const TWorldTriangle &triangle : triangles)
            if (touches(triangle))
                return true;
        return false;
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (const std::uint32_t t : candidates)
        if (t < triangles.size() && touches(triangles[t]))
            return true;
    return false;
}

} // namespace

bool TObjectsControl::CollideWith(TGameObject *object, TCollisionData &data, bool islandsOnly, int points) const
{
    using enum TObjectCategory;
    const bool wanted = islandsOnly ? object->Category == Island
                                    : object->Targetable == 1 || object->Category == Island ||
                                          object->Category == Building;
    if (!wanted || object->Health <= 0 || !object->Model)
        return false;
    if (!(VectorDistance(data.Centre, object->Position) < data.Radius + object->Model->Radius))
        return false;

    if (object->Category != Island) {
        const TMatrix4 m = ObjectMatrix(*object);
        TVector3 a, b, c;
        for (int t = 0; object->Model->GetCollisionTriangle(t, a, b, c); ++t) {
            a = MatrixTransformPoint(a, m);
            b = MatrixTransformPoint(b, m);
            c = MatrixTransformPoint(c, m);
            // Wound as drawn (counter-clockwise seen from outside), the reversed order gives the
            // outward normal, as for the islands: contact pushes the body out of the hull.
            const TVector3 n = TriangleNormal(c, b, a);
            for (int p = 0; p < points; ++p) {
                data.PushOut = TVector4();
                if (SphereTouchesTriangle(data.Points[std::size_t(p)].Position, CollisionSphereRadius, a, b, c, n,
                                          data.PushOut)) {
                    data.HitObject = object;
                    return true;
                }
            }
        }
    }
    return TouchesWorldTriangles(*object, data, points);
}

bool TObjectsControl::Collide(TCollisionData &data, bool islandsOnly) const
{
    data.HitObject = nullptr;
    const int points = std::min<int>(data.PointCount, int(data.Points.size()));
    // During the update pass only the objects whose models can reach the body are tried: those
    // filed near it and the few huge ones, in list order, so the first contact is the scan's.
    if (GridReady() && std::isfinite(data.Radius)) {
        std::vector<int> candidates(Grid->Large.begin(), Grid->Large.end());
        const bool answered = Grid->ForEachWithin(data.Centre.x, data.Centre.y, data.Radius + Grid->MaxRadius,
                                                  [&](int i) { candidates.push_back(i); });
        if (answered) {
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
            for (int i : candidates)
                if (CollideWith(Objects[std::size_t(i)], data, islandsOnly, points))
                    return true;
            return false;
        }
    }
    for (TGameObject *object : Objects)
        if (CollideWith(object, data, islandsOnly, points))
            return true;
    return false;
}

void TObjectsControl::DamageObject(TGameObject *object, float amount)
{
    if (object)
        object->Health -= amount;
}
