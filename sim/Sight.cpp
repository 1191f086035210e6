#include "sim/Sight.h"

#include "assets/Model.h"
#include "sim/GameObjects.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Möller and Trumbore: the distance along the ray to triangle A, B, C (either face), or a negative
// value when the ray misses it.
float RayTriangle(const TVector3 &o, const TVector3 &d, const TVector3 &a, const TVector3 &b, const TVector3 &c)
{
    const TVector3 e1 = VectorSubtract(b, a), e2 = VectorSubtract(c, a);
    const TVector3 p = VectorCross(d, e2);
    const float det = VectorDot(e1, p);
    if (std::fabs(det) < 1e-9f)
        return -1;
    const float inv = 1 / det;
    const TVector3 t = VectorSubtract(o, a);
    const float u = VectorDot(t, p) * inv;
    if (u < 0 || u > 1)
        return -1;
    const TVector3 q = VectorCross(t, e1);
    const float v = VectorDot(d, q) * inv;
    if (v < 0 || u + v > 1)
        return -1;
    return VectorDot(e2, q) * inv;
}

// The distance along the ray to the box Min..Max, or a negative value when it misses.
float RayBox(const TVector3 &o, const TVector3 &d, const TVector3 &lo, const TVector3 &hi)
{
    float near = 0, far = std::numeric_limits<float>::max();
    const float origin[3] = {o.x, o.y, o.z}, dir[3] = {d.x, d.y, d.z};
    const float mins[3] = {lo.x, lo.y, lo.z}, maxs[3] = {hi.x, hi.y, hi.z};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(dir[i]) < 1e-12f) {
            if (origin[i] < mins[i] || origin[i] > maxs[i])
                return -1;
            continue;
        }
        float t0 = (mins[i] - origin[i]) / dir[i], t1 = (maxs[i] - origin[i]) / dir[i];
        if (t0 > t1)
            std::swap(t0, t1);
        near = std::max(near, t0);
        far = std::min(far, t1);
        if (near > far)
            return -1;
    }
    return near;
}

// Whether the ray passes within Radius of Centre before Limit.
bool RayNearSphere(const TVector3 &o, const TVector3 &d, const TVector3 &centre, float radius, float limit)
{
    const TVector3 oc = VectorSubtract(centre, o);
    const float along = VectorDot(oc, d);
    if (along < -radius || along > limit + radius)
        return false;
    const float d2 = VectorDot(oc, oc) - along * along;
    return d2 <= radius * radius;
}

// The world point P in the model's own frame (the object's placement is a turn and a move).
TVector3 IntoModel(const TMatrix4 &m, const TVector3 &p)
{
    const TVector3 v = VectorSubtract(p, VectorSet3(m.m[12], m.m[13], m.m[14]));
    return VectorSet3(v.x * m.m[0] + v.y * m.m[1] + v.z * m.m[2], v.x * m.m[4] + v.y * m.m[5] + v.z * m.m[6],
                      v.x * m.m[8] + v.y * m.m[9] + v.z * m.m[10]);
}

TVector3 DirectionIntoModel(const TMatrix4 &m, const TVector3 &v)
{
    return VectorSet3(v.x * m.m[0] + v.y * m.m[1] + v.z * m.m[2], v.x * m.m[4] + v.y * m.m[5] + v.z * m.m[6],
                      v.x * m.m[8] + v.y * m.m[9] + v.z * m.m[10]);
}

// The nearest hit on one object within Best; Best is lowered when it is nearer.
void CastAt(const TGameObject &object, const TVector3 &o, const TVector3 &d, float &best)
{
    const TModel *model = object.Model;
    if (!model)
        return;
    const TVector3 position = VectorSet3(object.Position.x, object.Position.y, object.Position.z);
    if (!RayNearSphere(o, d, position, model->Radius, best))
        return;
    // The class's own triangles (an island's shore) are in the world already, and they are all of
    // its surface: an island stands as its shore lies, whatever its angles say, so its collision
    // mesh turned by them would be a surface nobody sees or hits.
    if (!object.WorldTriangles().empty()) {
        for (const TWorldTriangle &t : object.WorldTriangles()) {
            const float hit = RayTriangle(o, d, t.Vertices[0], t.Vertices[1], t.Vertices[2]);
            if (hit >= 0 && hit < best)
                best = hit;
        }
        return;
    }
    const TMatrix4 m = ObjectMatrix(object);
    const TVector3 mo = IntoModel(m, o), md = DirectionIntoModel(m, d);
    TVector3 a, b, c;
    bool any = false;
    for (int t = 0; model->GetCollisionTriangle(t, a, b, c); ++t) {
        any = true;
        const float hit = RayTriangle(mo, md, a, b, c);
        if (hit >= 0 && hit < best)
            best = hit;
    }
    if (any)
        return;
    // Without a collision mesh the model's box stands in for it.
    TVector3 lo = model->Bounds[0], hi = model->Bounds[0];
    for (const TVector4 &corner : model->Bounds) {
        lo = VectorSet3(std::min(lo.x, corner.x), std::min(lo.y, corner.y), std::min(lo.z, corner.z));
        hi = VectorSet3(std::max(hi.x, corner.x), std::max(hi.y, corner.y), std::max(hi.z, corner.z));
    }
    const float hit = RayBox(mo, md, lo, hi);
    if (hit >= 0 && hit < best)
        best = hit;
}

} // namespace

float CastRay(const TObjectsControl *objects, const TVector3 &origin, const TVector3 &direction, float maxDistance,
              const TGameObject *skip)
{
    float best = maxDistance;
    // The sea.
    if (direction.z < 0 && origin.z >= 0) {
        const float t = -origin.z / direction.z;
        if (t < best)
            best = t;
    }
    if (!objects)
        return best;
    for (const TGameObject *object : objects->Objects)
        if (object != skip && object->Dead == 0)
            CastAt(*object, origin, direction, best);
    return best;
}

bool CentreRay(const TView &view, TVector3 &origin, TVector3 &direction)
{
    if (!view.Valid)
        return false;
    origin = VectorSet3(view.Eye.x, view.Eye.y, view.Eye.z);
    // The model-view turns the world into the eye's frame, which looks down its -z: the third
    // column of the turn, negated, is the world direction of the middle of the picture. A shake
    // moves the eye, not the direction.
    const TMatrix4 &m = view.ModelView;
    TVector3 d = VectorSet3(-m.m[2], -m.m[6], -m.m[10]);
    const float length = std::sqrt(VectorDot(d, d));
    if (!(length > 0))
        return false;
    direction = VectorSet3(d.x / length, d.y / length, d.z / length);
    // The shake's offset: the model-view's translation, turned back, gives the eye it sees from.
    const TVector3 t = VectorSet3(m.m[12], m.m[13], m.m[14]);
    origin = VectorSet3(-(t.x * m.m[0] + t.y * m.m[1] + t.z * m.m[2]), -(t.x * m.m[4] + t.y * m.m[5] + t.z * m.m[6]),
                        -(t.x * m.m[8] + t.y * m.m[9] + t.z * m.m[10]));
    return true;
}

TVector3 SightPoint(const TObjectsControl *objects, const TView &view, const TGameObject *skip)
{
    TVector3 o, d;
    if (!CentreRay(view, o, d))
        return {};
    float t = CastRay(objects, o, d, SightRange, skip);
    // A point on a surface lies on the edge of its object's box: the aim is taken a little inside,
    // where what is hit contains it.
    if (t < SightRange)
        t += SightDepth;
    return VectorSet3(o.x + d.x * t, o.y + d.y * t, o.z + d.z * t);
}

void UpdateSightVisibility(TObjectsControl &objects, const TView &view)
{
    if (!view.Valid)
        return;
    TVector3 eye, unused;
    CentreRay(view, eye, unused);
    // Row vectors go to clip space through ModelView x Projection; transposed, it turns columns.
    const TMatrix4 viewProjection = MatrixTranspose(MatrixMultiply(view.ModelView, view.Projection));
    for (TGameObject *object : objects.Objects) {
        if (!object->Model)
            continue;
        // Only what lies on the ground or the sea must be seen to be aimed at (the air-to-ground
        // missiles' lock); aircraft are seen wherever they are.
        if (!object->IsGround) {
            object->Visible = 1;
            continue;
        }
        object->Visible = 0;
        // Behind the eye, or off the picture.
        const TVector4 clip = MatrixTransformVector4(
            viewProjection,
            VectorSet4(object->ViewCentre.x, object->ViewCentre.y, object->ViewCentre.z, 1));
        if (clip.w <= 0 || std::fabs(clip.x) > clip.w || std::fabs(clip.y) > clip.w)
            continue;
        const TVector3 centre = VectorSet3(object->ViewCentre.x, object->ViewCentre.y, object->ViewCentre.z);
        TVector3 d = VectorSubtract(centre, eye);
        const float distance = std::sqrt(VectorDot(d, d));
        if (!(distance > 0)) {
            object->Visible = 1;
            continue;
        }
        if (distance > view.FarDistance + object->Model->Radius)
            continue;
        d = VectorSet3(d.x / distance, d.y / distance, d.z / distance);
        const float t = CastRay(&objects, eye, d, distance + object->Model->Radius);
        const TVector3 seen = VectorSet3(eye.x + d.x * t, eye.y + d.y * t, eye.z + d.z * t);
        object->Visible = VectorDistance(seen, object->Position) < object->Model->Radius ? 1 : 0;
    }
}
