#include "sim/Statics.h"

#include "assets/AssetDevice.h"
#include "assets/ModelLib.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "sim/Templates.h"
#include "sim/UnitState.h"

namespace {

// The marker's three flags after the head: both marker classes send the same record.
void WriteMarkerFlags(TByteWriter &w, const TGameObject &object)
{
    w.Byte(object.OnRadar);
    w.Byte(object.Targetable);
    w.Byte(object.BlinkOnRadar);
}

void ReadMarkerFlags(TByteReader &r, TGameObject &object)
{
    object.OnRadar = r.Byte();
    object.Targetable = r.Byte();
    object.BlinkOnRadar = r.Byte();
}

} // namespace

TEmptyObject::TEmptyObject(TObjectsControl &objects, const TVector3 &position, float pitch, float heading)
{
    Id = objects.NewId();
    Position = VectorSet4(position.x, position.y, position.z, 0);
    Rotation = VectorSet4(pitch, heading, 0, 0);
    IsStatic = 1;
}

void TEmptyObject::WriteState(TByteWriter &w)
{
    WriteStateHead(w, *this, ClassEmptyObject);
    WriteMarkerFlags(w, *this);
}

void TEmptyObject::ReadState(TByteReader &r)
{
    if (ReadStateHead(r, *this, ClassEmptyObject))
        ReadMarkerFlags(r, *this);
}

TDeadStaticObject::TDeadStaticObject(TObjectsControl &objects, const std::string &modelPath,
                                     const TVector3 &position, float pitch, float heading)
    : TUnit(objects), ModelPath(modelPath)
{
    Position = VectorSet4(position.x, position.y, position.z, 0);
    Rotation = VectorSet4(pitch, heading, 0, 0);
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
    TAssetDevice &device = AssetDevice();
    if (Unlit)
        device.SetLighting(false);
    DrawModel(DistanceFade(distance));
    if (Unlit)
        device.SetLighting(true);
}

void TDeadStaticObject::WriteState(TByteWriter &w)
{
    WriteStateHead(w, *this, ClassDeadStaticObject);
    WriteMarkerFlags(w, *this);
}

void TDeadStaticObject::ReadState(TByteReader &r)
{
    if (ReadStateHead(r, *this, ClassDeadStaticObject))
        ReadMarkerFlags(r, *this);
}
