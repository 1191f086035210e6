#include "sim/UnitState.h"

#include "sim/GameObjects.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint16_t Sizes[22] = {0,   320, 315, 320, 304, 312, 316, 305, 305, 436, 340,
                                     556, 322, 322, 340, 316, 320, 340, 312, 324, 306, 322};

constexpr std::size_t NameField = 256;   // the length byte and the characters

} // namespace

std::uint16_t StateSize(std::uint16_t code) { return code < 22 ? Sizes[code] : 0; }

std::uint16_t Round16(float f)
{
    if (!(f > 0))
        return 0;
    return std::uint16_t(std::min(std::lround(double(f)), 65535L));
}

bool TStateIO::Refuse()
{
    Refused = true;
    return false;
}

bool TStateIO::Head(TGameObject &object, std::uint16_t code, bool withHealth)
{
    if (!Live())
        return false;
    if (Reader && Reader->Left() < 4)
        return Refuse();
    std::uint16_t size = StateSize(code), got = code;
    U16(size);
    U16(got);
    // Another class, or a message cut short: leave the object as it is.
    if (Reader && (got != code || size != StateSize(code) || Reader->Left() + 4 < size)) {
        Reader->Skip(std::min<std::size_t>(Reader->Left(), size >= 4 ? size - 4u : 0u));
        return Refuse();
    }
    HeadCode = code;
    U16(object.Id);
    Name(object.Name);
    Vector4(object.Position);
    Vector4(object.Rotation);
    Int(object.Side);
    if (withHealth) {
        Round16(object.Health);
        Round16(object.MaxHealth);
    }
    return true;
}

void TStateIO::UnitTail(TGameObject &object, const TObjectsControl *objects)
{
    Target(object.Target, objects);
    Byte(object.OnRadar);
    Int(object.Order);
    Float(object.OrderData);
    Byte(object.Targetable);
    Byte(object.WeaponEnabled);
    Byte(object.BlinkOnRadar);
}

void TStateIO::Byte(std::uint8_t &v)
{
    if (!Live())
        return;
    if (Reader)
        v = Reader->Byte();
    else
        Writer->Byte(v);
}

void TStateIO::U16(std::uint16_t &v)
{
    if (!Live())
        return;
    if (Reader)
        v = std::uint16_t(Reader->Short());
    else
        Writer->Short(std::int16_t(v));
}

void TStateIO::Int(std::int32_t &v)
{
    if (!Live())
        return;
    if (Reader)
        v = Reader->Int();
    else
        Writer->Int(v);
}

void TStateIO::Float(float &v)
{
    if (!Live())
        return;
    if (Reader)
        v = Reader->Float();
    else
        Writer->Float(v);
}

void TStateIO::Round16(float &v)
{
    std::uint16_t sent = ::Round16(v);
    U16(sent);
    if (Reading())
        v = float(sent);
}

void TStateIO::SmallInt(int &v, int min, int max)
{
    auto sent = std::uint8_t(v);
    Byte(sent);
    if (Reading())
        v = std::clamp(int(sent), min, max);
}

void TStateIO::Flag(std::uint8_t &v)
{
    Byte(v);
    if (Reading())
        v = v ? 1 : 0;
}

void TStateIO::Vector3(TVector3 &v)
{
    Float(v.x);
    Float(v.y);
    Float(v.z);
}

void TStateIO::Vector4(TVector4 &v)
{
    Vector3(v);
    Float(v.w);
}

void TStateIO::Name(std::string &name)
{
    if (!Live())
        return;
    std::uint8_t field[NameField] = {};
    if (Reader) {
        Reader->Bytes(field, sizeof field);
        name.assign(reinterpret_cast<const char *>(field + 1), field[0]);
    } else {
        const std::size_t length = std::min(name.size(), NameField - 1);
        field[0] = std::uint8_t(length);
        std::copy_n(name.data(), length, field + 1);
        Writer->Bytes(field, sizeof field);
    }
}

void TStateIO::Target(TGameObject *&target, const TObjectsControl *objects)
{
    std::uint16_t id = target ? target->Id : 0;
    U16(id);
    if (Reading())
        target = id != 0 && objects ? objects->FindById(id) : nullptr;
}

void TStateIO::Blank(std::size_t n)
{
    if (!Live())
        return;
    if (Reader)
        Reader->Skip(n);
    else
        Writer->Out.insert(Writer->Out.end(), n, 0);
}
