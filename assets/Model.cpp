#include "assets/Model.h"

#include "assets/AssetDevice.h"

#include <algorithm>
#include <cmath>

TKeySample ClockSample(std::int64_t clock, int framesPerSecond, int frameCount)
{
    // Whole keys and the fraction come from integer arithmetic, so a long-running clock keeps its
    // precision; the values equal trunc and frac of clock / duration.
    const std::int64_t duration = 1000 / framesPerSecond;
    std::int64_t key = clock / duration, rest = clock % duration;
    if (rest < 0) {
        rest += duration;
        --key;
    }
    TKeySample s;
    s.K0 = int(((key % frameCount) + frameCount) % frameCount);
    s.K1 = (s.K0 + 1) % frameCount;
    s.F = float(rest) / float(duration);
    return s;
}

TKeySample NormalizedSample(float t, int frameCount)
{
    if (!(t >= 0))
        t = 0;
    if (t > 0.9999f)
        t = 0.9999f;
    const float p = float(frameCount) * t;
    const float whole = std::trunc(p);
    TKeySample s;
    s.K0 = int(whole) % frameCount;
    s.K1 = (s.K0 + 1) % frameCount;
    if (s.K1 < s.K0)
        s.K1 = s.K0;
    s.F = p - whole;
    return s;
}

TVector4 QuaternionLerp(const TVector4 &q0, const TVector4 &q1, float f)
{
    const float dot = q0.x * q1.x + q0.y * q1.y + q0.z * q1.z + q0.w * q1.w;
    if (dot < 0)
        return VectorSet4(q0.x - f * (q1.x + q0.x), q0.y - f * (q1.y + q0.y), q0.z - f * (q1.z + q0.z),
                          q0.w - f * (q1.w + q0.w));
    return VectorSet4(q0.x + f * (q1.x - q0.x), q0.y + f * (q1.y - q0.y), q0.z + f * (q1.z - q0.z),
                      q0.w + f * (q1.w - q0.w));
}

TMatrix4 QuaternionToMatrix(const TVector4 &q, const TVector3 &position)
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    TMatrix4 m;
    m[0] = 1 - 2 * (y * y + z * z);
    m[1] = 2 * x * y - 2 * w * z;
    m[2] = 2 * x * z + 2 * w * y;
    m[4] = 2 * x * y + 2 * w * z;
    m[5] = 1 - 2 * (x * x + z * z);
    m[6] = 2 * y * z - 2 * w * x;
    m[8] = 2 * x * z - 2 * w * y;
    m[9] = 2 * y * z + 2 * w * x;
    m[10] = 1 - 2 * (x * x + y * y);
    m[12] = position.x;
    m[13] = position.y;
    m[14] = position.z;
    m[15] = 1;
    return m;
}

TMatrix4 KeyTransform(const std::vector<TModelKey> &keys, const TKeySample &sample)
{
    const TModelKey &a = keys[std::size_t(sample.K0)], &b = keys[std::size_t(sample.K1)];
    const float f = sample.F;
    const TVector3 position = VectorSet3(a.Position.x + (b.Position.x - a.Position.x) * f,
                                         a.Position.y + (b.Position.y - a.Position.y) * f,
                                         a.Position.z + (b.Position.z - a.Position.z) * f);
    return QuaternionToMatrix(QuaternionLerp(a.Rotation, b.Rotation, f), position);
}

void TModel::DrawBounds() { AssetDevice().DrawBounds(*this); }

int TModel::FindPoint(const std::string &name) const
{
    for (int i = 0; i < PointCount; ++i)
        if (Points[std::size_t(i)].Name == name)
            return i;
    return -1;
}

std::string TModel::GetPointName(int index) const
{
    return index >= 0 && index < PointCount ? Points[std::size_t(index)].Name : std::string();
}

TVector4 TModel::GetPoint(int index) const
{
    return index >= 0 && index < PointCount ? Points[std::size_t(index)].Position : TVector4();
}

void TModel::SetLOD(int slot, TModel *model, float distance)
{
    if (slot < 0 || slot > 1)
        return;
    LODs[std::size_t(slot)].Model = model;
    LODs[std::size_t(slot)].Distance = distance;
}

TModel *TModel::SelectLOD(float distance)
{
    if (LODs[1].Model && distance > LODs[1].Distance)
        return LODs[1].Model;
    if (LODs[0].Model && distance > LODs[0].Distance)
        return LODs[0].Model;
    return this;
}

void TModel::DrawLOD(const TVector3 &position, bool bindTexture)
{
    SelectLOD(VectorDistance(EyePosition, position))->Draw(bindTexture);
}

void TModel::DrawLODAt(const TVector3 &position, float t)
{
    SelectLOD(VectorDistance(EyePosition, position))->DrawAt(t);
}

void TModel::SetBounds(const TVector3 &min, const TVector3 &max)
{
    Bounds[0] = VectorSet4(min.x, max.y, min.z, 0);
    Bounds[1] = VectorSet4(min.x, min.y, min.z, 0);
    Bounds[2] = VectorSet4(max.x, min.y, min.z, 0);
    Bounds[3] = VectorSet4(max.x, max.y, min.z, 0);
    Bounds[4] = VectorSet4(min.x, max.y, max.z, 0);
    Bounds[5] = VectorSet4(min.x, min.y, max.z, 0);
    Bounds[6] = VectorSet4(max.x, min.y, max.z, 0);
    Bounds[7] = VectorSet4(max.x, max.y, max.z, 0);
    TVector4 sum;
    Radius = 0;
    for (const TVector4 &corner : Bounds) {
        sum.x += corner.x;
        sum.y += corner.y;
        sum.z += corner.z;
        Radius = std::max(Radius, VectorDistance(TVector3(), corner));
    }
    Center = VectorScale(sum, 0.125f);
}
