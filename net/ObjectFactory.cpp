#include "net/ObjectFactory.h"

#include "core/App.h"
#include "core/Bytes.h"
#include "sim/Aircraft.h"
#include "sim/Ground.h"
#include "sim/Player.h"
#include "sim/Ships.h"
#include "sim/Statics.h"
#include "sim/UnitState.h"

#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>

namespace {

// Where a state message keeps what a constructor needs.
constexpr std::size_t NameOffset = 6, PositionOffset = 262, RotationOffset = 278, SideOffset = 294;
constexpr std::size_t ClassFieldsOffset = 302;

const std::string_view IslandPrefix = "Island: ";
// An island's state carries no health: it gets what a script's island has, more than anything deals.
constexpr float IslandHealth = 1000000, IslandMaxHealth = 100000;
const std::string_view ReloadMarkerName = "Reload string";

struct THead {
    std::uint16_t Code = 0;
    std::string   Name;
    TVector3      Position, Rotation;
    int           Side = 0;
};

THead ReadHead(std::span<const std::uint8_t> state)
{
    TByteReader r(state.data(), state.size());
    THead head;
    r.Skip(2);
    head.Code = std::uint16_t(r.Short());
    r.Skip(NameOffset - 4);
    const std::uint8_t length = r.Byte();
    head.Name.resize(length);
    r.Bytes(head.Name.data(), length);
    r.Skip(PositionOffset - (NameOffset + 1 + length));
    const auto vector = [&r] {
        TVector3 v;
        v.x = r.Float();
        v.y = r.Float();
        v.z = r.Float();
        r.Float();
        return v;
    };
    head.Position = vector();
    head.Rotation = vector();
    head.Side = r.Int();
    return head;
}

// Whether Name may go into a data path: a file name or a folder below the place it is looked for,
// never above it or elsewhere.
bool SafeModelName(std::string_view name)
{
    if (name.empty() || name.front() == '\\' || name.find("..") != std::string_view::npos)
        return false;
    for (const char c : name)
        if (c == '/' || c == ':' || static_cast<unsigned char>(c) < 32)
            return false;
    return true;
}

// A wreck or marker: the message does not say which model it wears. The carrier's reload marker
// goes by its name and the checkpoint is the one on the radar; other wrecks stay without a model.
TGameObject *MakeDeadStatic(TObjectsControl &objects, const THead &head, std::span<const std::uint8_t> state)
{
    const bool onRadar = state[ClassFieldsOffset] != 0;
    std::string model;
    if (head.Name == ReloadMarkerName)
        model = AppDir + ReloadMarkerModel;
    else if (onRadar)
        model = AppDir + CheckPointModel;
    auto *object = new TDeadStaticObject(objects, model, head.Position, head.Rotation.x, head.Rotation.y);
    if (!model.empty()) {
        object->Marker = 1;
        object->Unlit = 1;
        if (onRadar)
            object->Category = TObjectCategory::CheckPoint;
    }
    return object;
}

} // namespace

TGameObject *NewRemoteGamer(TObjectsControl &objects)
{
    auto *gamer = new TGamer();
    gamer->Remote = true;
    gamer->Id = objects.NewId();
    return gamer;
}

TGameObject *MakeStateObject(TObjectsControl &objects, std::span<const std::uint8_t> state,
                             const std::function<TGameObject *(TObjectsControl &)> &newAircraft)
{
    const THead head = ReadHead(state);
    const TVector3 &at = head.Position, &angles = head.Rotation;
    switch (head.Code) {
    case ClassCraftSu25: return new TCraftSu25(objects, at, angles);
    case ClassCraftAvax: return new TCraftAvax(objects, at, angles);
    case ClassCraftGAS1: return new TCraftGAS1(objects, at, angles);
    case ClassIsland: {
        // The script names an island "Island: " + its model's name.
        std::string_view name = head.Name;
        if (name.starts_with(IslandPrefix))
            name.remove_prefix(IslandPrefix.size());
        if (!SafeModelName(name))
            return nullptr;
        auto *island = new TIsland(objects, at, std::string(name), angles);
        island->Health = IslandHealth;
        island->MaxHealth = IslandMaxHealth;
        return island;
    }
    case ClassBuildingStatic:
        // The script's text is both the building's name and its model below the buildings' folder.
        if (!SafeModelName(head.Name))
            return nullptr;
        return new TBuildingStatic(objects, "Data\\Models\\Buildings\\" + head.Name, at, angles);
    case ClassCarrier: return new TCarrier(objects, at, angles);
    case ClassEmptyObject: return new TEmptyObject(objects, at, angles.x, angles.y);
    case ClassDeadStaticObject: return MakeDeadStatic(objects, head, state);
    case ClassDestroyer: return new TDestroyer(objects, at, head.Side, angles);
    case ClassBoat: return new TBoat(objects, at, head.Side, angles);
    case ClassBattleShip: return new TBattleShip(objects, at, head.Side, angles);
    case ClassSubmarine: return new TSubmarine(objects, at, angles);
    case ClassSuperSubmarine: return new TSuperSubmarine(objects, at, angles);
    case ClassShilka: return new TShilka(objects, at, head.Side, angles);
    case ClassTransport:
        // A merchant's name is its model folder, as the script gave it.
        if (!SafeModelName(head.Name))
            return nullptr;
        return new TTransport(objects, at, head.Side, angles, head.Name);
    case ClassTorpedo: return new TTorpedo(objects, at, angles);
    case ClassBallisticMissile: return new TBallisticMissile(objects, at, nullptr, head.Side);
    case ClassGamer: return newAircraft ? newAircraft(objects) : NewRemoteGamer(objects);
    case ClassBomb: return new TBomb(objects, at, angles);
    case ClassCoolSam: return new TCoolSam(objects, at, head.Side, angles);
    case ClassAirToAirRocket: return new TAirToAirRocket(objects, at, angles);
    default: return nullptr;
    }
}

std::uint16_t StateClassOf(const TGameObject &object)
{
    static const std::unordered_map<std::type_index, std::uint16_t> codes = {
        {typeid(TCraftSu25), ClassCraftSu25},
        {typeid(TCraftAvax), ClassCraftAvax},
        {typeid(TCraftGAS1), ClassCraftGAS1},
        {typeid(TIsland), ClassIsland},
        {typeid(TBuildingStatic), ClassBuildingStatic},
        {typeid(TCarrier), ClassCarrier},
        {typeid(TEmptyObject), ClassEmptyObject},
        {typeid(TDeadStaticObject), ClassDeadStaticObject},
        {typeid(TDestroyer), ClassDestroyer},
        {typeid(TBoat), ClassBoat},
        {typeid(TBattleShip), ClassBattleShip},
        {typeid(TSubmarine), ClassSubmarine},
        {typeid(TSuperSubmarine), ClassSuperSubmarine},
        {typeid(TShilka), ClassShilka},
        {typeid(TTransport), ClassTransport},
        {typeid(TTorpedo), ClassTorpedo},
        {typeid(TBallisticMissile), ClassBallisticMissile},
        {typeid(TGamer), ClassGamer},
        {typeid(TBomb), ClassBomb},
        {typeid(TCoolSam), ClassCoolSam},
        {typeid(TAirToAirRocket), ClassAirToAirRocket},
    };
    const auto found = codes.find(typeid(object));
    return found == codes.end() ? 0 : found->second;
}
