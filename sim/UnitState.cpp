#include "sim/UnitState.h"

#include "sim/GameObjects.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint16_t Sizes[22] = {0,   320, 315, 320, 304, 312, 316, 305, 305, 436, 340,
                                     556, 322, 322, 340, 316, 320, 340, 312, 324, 306, 322};

void WriteVector(TByteWriter &w, const TVector4 &v)
{
    w.Float(v.x);
    w.Float(v.y);
    w.Float(v.z);
    w.Float(v.w);
}

TVector4 ReadVector(TByteReader &r)
{
    TVector4 v;
    v.x = r.Float();
    v.y = r.Float();
    v.z = r.Float();
    v.w = r.Float();
    return v;
}

} // namespace

std::uint16_t StateSize(std::uint16_t code) { return code < 22 ? Sizes[code] : 0; }

std::uint16_t Round16(float f)
{
    if (!(f > 0))
        return 0;
    return std::uint16_t(std::min(std::lround(double(f)), 65535L));
}

void WriteStateHead(TByteWriter &w, const TGameObject &object, std::uint16_t code, bool withHealth)
{
    w.Short(std::int16_t(StateSize(code)));
    w.Short(std::int16_t(code));
    w.Short(std::int16_t(object.Id));
    const std::size_t length = std::min<std::size_t>(object.Name.size(), 255);
    std::uint8_t name[256] = {};
    name[0] = std::uint8_t(length);
    std::copy_n(object.Name.data(), length, name + 1);
    w.Bytes(name, sizeof name);
    WriteVector(w, object.Position);
    WriteVector(w, object.Rotation);
    w.Int(object.Side);
    if (withHealth) {
        w.Short(std::int16_t(Round16(object.Health)));
        w.Short(std::int16_t(Round16(object.MaxHealth)));
    }
}

bool ReadStateHead(TByteReader &r, TGameObject &object, std::uint16_t code, bool withHealth)
{
    const std::size_t start = r.Position();
    if (r.Left() < 4)
        return false;
    const std::uint16_t size = std::uint16_t(r.Short());
    const std::uint16_t got = std::uint16_t(r.Short());
    // Wrong class or a message cut short: leave the object as it is.
    if (got != code || size != StateSize(code) || r.Left() + 4 < size) {
        r.Skip(std::min<std::size_t>(r.Left(), size >= 4 ? size - 4u : 0u));
        return false;
    }
    (void)start;
    object.Id = std::uint16_t(r.Short());
    std::uint8_t name[256];
    r.Bytes(name, sizeof name);
    object.Name.assign(reinterpret_cast<const char *>(name + 1), name[0]);
    object.Position = ReadVector(r);
    object.Rotation = ReadVector(r);
    object.Side = r.Int();
    if (withHealth) {
        object.Health = float(std::uint16_t(r.Short()));
        object.MaxHealth = float(std::uint16_t(r.Short()));
    }
    return true;
}

void WriteUnitTail(TByteWriter &w, const TGameObject &object)
{
    w.Short(std::int16_t(object.Target ? object.Target->Id : 0));
    w.Byte(object.OnRadar);
    w.Int(object.Order);
    w.Float(object.OrderData);
    w.Byte(object.Targetable);
    w.Byte(object.WeaponEnabled);
    w.Byte(object.BlinkOnRadar);
}

void ReadUnitTail(TByteReader &r, TGameObject &object, const TObjectsControl *objects)
{
    const std::uint16_t target = std::uint16_t(r.Short());
    object.Target = target != 0 && objects ? objects->FindById(target) : nullptr;
    object.OnRadar = r.Byte();
    object.Order = r.Int();
    object.OrderData = r.Float();
    object.Targetable = r.Byte();
    object.WeaponEnabled = r.Byte();
    object.BlinkOnRadar = r.Byte();
}
