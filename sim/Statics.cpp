#include "sim/Statics.h"

#include "assets/AssetDevice.h"
#include "assets/ModelLib.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/UnitState.h"

namespace {

// The marker's message: the head for Code and three flags; both marker classes send the same
// record under their own codes.
void DescribeMarker(TStateIO &io, TGameObject &object, std::uint16_t code)
{
    if (!io.Head(object, code))
        return;
    io.Byte(object.OnRadar);
    io.Byte(object.Targetable);
    io.Byte(object.BlinkOnRadar);
}

} // namespace

TEmptyObject::TEmptyObject(TObjectsControl &objects, const TVector3 &position, float pitch, float heading)
{
    StampObject(*this, {.IdFrom = &objects,
                        .Position = position,
                        .Rotation = VectorSet3(pitch, heading, 0),
                        .IsStatic = 1});
}

void TEmptyObject::DescribeState(TStateIO &io) { DescribeMarker(io, *this, ClassEmptyObject); }

TDeadStaticObject::TDeadStaticObject(TObjectsControl &objects, const std::string &modelPath,
                                     const TVector3 &position, float pitch, float heading)
    : TUnit(objects, {.Position = position, .Rotation = VectorSet3(pitch, heading, 0)}), ModelPath(modelPath)
{
    if (ModelLib && DataFileExists(modelPath))
        Model = ModelLib->Load(modelPath);
    if (!Model)
        return;
    // Every point named "SimpleFire" ("SimpleFire", "SimpleFire_2", ...) carries a fire.
    for (int i = 0; i < Model->GetPointCount(); ++i)
        if (Model->GetPointName(i).starts_with("SimpleFire")) {
            TFire fire;
            fire.Index = i;
            fire.Emitter = MakeEmitter(WreckFireEffect, 1.0f);
            Fires.push_back(std::move(fire));
        }
}

TDeadStaticObject::~TDeadStaticObject() = default;

void TDeadStaticObject::Update(int dt)
{
    for (TFire &fire : Fires)
        if (fire.Emitter)
            fire.Emitter->Update(dt, PointWorld(fire.Index), false);
}

void TDeadStaticObject::Draw()
{
    const float distance = VectorDistance(Position, EyePosition);
    if (!Model || !(distance < FarDrawDistance))
        return;
    if (Unlit)
        SwitchLighting(false);
    DrawModel(DistanceFade(distance));
    if (Unlit)
        SwitchLighting(true);
}

void TDeadStaticObject::DescribeState(TStateIO &io) { DescribeMarker(io, *this, ClassDeadStaticObject); }
