#pragma once
// The network state message of a game object: a fixed head that every class shares, then the class's
// own fields. A server sends one per object about twenty times a second; a client applies it to the
// object with the same id. Every class has its code and an exact size:
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

#include <cstdint>

class TGameObject;
class TObjectsControl;

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

// Writes the head of Object's message for class Code (its size from StateSize).
void WriteStateHead(TByteWriter &w, const TGameObject &object, std::uint16_t code, bool withHealth = true);
// Reads a head written for class Code into Object. False (and Object untouched) when the message is
// not one of that class: a wrong code, a wrong size, or fewer bytes than the size says.
bool ReadStateHead(TByteReader &r, TGameObject &object, std::uint16_t code, bool withHealth = true);

// The unit tail. Reading resolves the target's Id in Objects (none when it names nothing there).
void WriteUnitTail(TByteWriter &w, const TGameObject &object);
void ReadUnitTail(TByteReader &r, TGameObject &object, const TObjectsControl *objects);

// A 16-bit unsigned value rounded from F and clamped to 0..65535.
std::uint16_t Round16(float f);
