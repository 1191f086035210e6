#pragma once
// The network state message of a game object: a fixed head that every class shares, then the class's
// own fields. A server sends one per object about twenty times a second; a client applies it to the
// object with the same id. Each class describes its message once (TGameObject::DescribeState, run
// through a TStateIO): the same description writes the message and reads it back, so the two
// directions cannot drift apart. Every class has its code and an exact size:
//
//   code class               size  after the head (offset 302)
//    1   TCraftSu25          320   unit tail, bomb clock (int32)
//    2   TCraftAvax          315   target id, OnRadar, Order, OrderData, Targetable, BlinkOnRadar
//    3   TCraftGAS1          320   unit tail, muzzle-flash clock (int32)
//    4   TIsland             304   (no health in the head: it ends at 298) Category (int32), OnRadar, Targetable
//    5   TBuildingStatic     312   OnRadar, Targetable, Category (int32), wreck clock (int32)
//    6   TCarrier            316   unit tail
//    7   TEmptyObject        305   OnRadar, Targetable, BlinkOnRadar
//    8   TDeadStaticObject   305   OnRadar, Targetable, BlinkOnRadar
//    9   TDestroyer          436   unit tail, 5 turrets
//   10   TBoat               340   unit tail, 1 turret
//   11   TBattleShip         556   unit tail, 10 turrets (the missile launcher is not sent)
//   12   TSubmarine          322   unit tail, time since the last launch (int32), Hidden, launch point
//   13   TSuperSubmarine     322   as the submarine
//   14   TShilka             340   unit tail, 1 turret
//   15   TTransport          316   unit tail
//   16   TTorpedo            320   unit tail, death clock (int32)
//   17   TBallisticMissile   340   unit tail, velocity (3 floats), age (int32), end clock (int32), damage
//   18   TGamer              312   target id (16 bits), speed (float), weapon, OnRadar, Targetable, landing stage
//   19   TBomb               324   unit tail, explosion clock (int32), forward speed (float)
//   20   TCoolSam            306   OnRadar, Targetable, WeaponEnabled, BlinkOnRadar
//   21   TAirToAirRocket     322   unit tail, lifetime left (int32), speed (16 bits)
//
// The head: total size (16 bits), class code (16), Id (16), Name (a length byte and 255 characters),
// Position (4 floats), Rotation (4 floats), Side (int32), Health and MaxHealth (16 bits each, rounded
// and clamped to 0..65535). The unit tail (14 bytes at 302): the target's Id (16 bits, 0 for none),
// OnRadar, Order (int32), OrderData (float), Targetable, WeaponEnabled, BlinkOnRadar. A turret
// (24 bytes): yaw, elevation (floats), reload clock, muzzle-flash clock, shots left in the burst,
// pause clock (int32 each). Integers are little-endian.

#include "core/Bytes.h"

#include <concepts>
#include <cstdint>
#include <string>
#include <type_traits>

class TGameObject;
class TObjectsControl;
struct TVector3;
struct TVector4;

enum TClassCode : std::uint16_t {
    ClassCraftSu25 = 1, ClassCraftAvax, ClassCraftGAS1, ClassIsland, ClassBuildingStatic, ClassCarrier,
    ClassEmptyObject, ClassDeadStaticObject, ClassDestroyer, ClassBoat, ClassBattleShip, ClassSubmarine,
    ClassSuperSubmarine, ClassShilka, ClassTransport, ClassTorpedo, ClassBallisticMissile, ClassGamer, ClassBomb,
    ClassCoolSam, ClassAirToAirRocket
};

// The message size of each class code (0 for codes outside 1..21).
std::uint16_t StateSize(std::uint16_t code);

constexpr std::size_t StateHeadSize = 302;       // with health
constexpr std::size_t StateHeadSizeIsland = 298; // without
constexpr std::size_t StateUnitTailSize = 14;
constexpr std::size_t StateTurretSize = 24;

// A 16-bit unsigned value rounded from F and clamped to 0..65535.
std::uint16_t Round16(float f);

// One run of a state message description, in one direction. Writing, each field call appends the
// field's value to the writer; reading, it takes the value from the reader into the same field. A
// description starts with Head and stops when Head refuses the message:
//
//     void TThing::DescribeState(TStateIO &io)
//     {
//         if (!io.Head(*this, ClassThing))
//             return;
//         io.UnitTail(*this, &Objects);
//         io.Int(Clock);
//     }
class TStateIO {
public:
    explicit TStateIO(TByteWriter &writer) : Writer(&writer) {}
    explicit TStateIO(TByteReader &reader) : Reader(&reader) {}

    // Whether this run applies a received message (false while writing, and once the head of the
    // message was refused). What a class does with the values it has read goes under this.
    bool Reading() const { return Reader && !Refused; }
    // The class code of the head described, 0 before it.
    std::uint16_t Code() const { return HeadCode; }

    // The head for class Code; WithHealth false leaves Health and MaxHealth out. Reading, a message
    // of another class, of another size than the class's, or shorter than its size is refused: the
    // object is left as it was, the reader is moved past what the message claims to hold, the
    // result is false and every further call does nothing.
    [[nodiscard]] bool Head(TGameObject &object, std::uint16_t code, bool withHealth = true);
    // The unit tail: the target's Id (resolved in Objects when read; none when Objects is null or
    // holds no such Id), OnRadar, Order, OrderData, Targetable, WeaponEnabled, BlinkOnRadar.
    void UnitTail(TGameObject &object, const TObjectsControl *objects);

    void Byte(std::uint8_t &v);
    void U16(std::uint16_t &v);
    void Int(std::int32_t &v);
    // An enumeration kept as a 32-bit integer.
    template <class E>
        requires std::is_enum_v<E> && std::same_as<std::underlying_type_t<E>, std::int32_t>
    void Int(E &v)
    {
        auto raw = static_cast<std::int32_t>(v);
        Int(raw);
        if (Reading())
            v = static_cast<E>(raw);
    }
    void Float(float &v);
    // A float sent as 16 bits unsigned, rounded and clamped (Round16); read back as that whole number.
    void Round16(float &v);
    // An int sent as one byte; read back held within Min..Max.
    void SmallInt(int &v, int min, int max);
    // A flag sent as it is; any value but 0 reads back as 1.
    void Flag(std::uint8_t &v);
    void Vector3(TVector3 &v);   // x, y, z
    void Vector4(TVector4 &v);   // x, y, z, w
    // A name in its fixed field: a length byte and 255 characters (longer names are cut).
    void Name(std::string &name);
    // The Id of Target (0 for none); read, the object of that Id in Objects, or none.
    void Target(TGameObject *&target, const TObjectsControl *objects);
    // N bytes that carry nothing here: zeros when written, passed over when read.
    void Blank(std::size_t n);

private:
    bool Live() const { return !Refused; }
    bool Refuse();

    TByteWriter  *Writer = nullptr;
    TByteReader  *Reader = nullptr;
    bool          Refused = false;
    std::uint16_t HeadCode = 0;
};
