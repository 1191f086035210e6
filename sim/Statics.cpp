#include "sim/Statics.h"

#include "assets/ModelLib.h"
#include "data/Extractor.h"

TEmptyObject::TEmptyObject(TObjectsControl &objects, const TVector3 &position, float pitch, float heading)
{
    Id = objects.NewId();
    Position = VectorSet4(position.x, position.y, position.z, 0);
    Rotation = VectorSet4(pitch, heading, 0, 0);
    IsStatic = 1;
}

TDeadStaticObject::TDeadStaticObject(TObjectsControl &objects, const std::string &modelPath,
                                     const TVector3 &position, float pitch, float heading)
    : ModelPath(modelPath)
{
    Id = objects.NewId();
    Position = VectorSet4(position.x, position.y, position.z, 0);
    Rotation = VectorSet4(pitch, heading, 0, 0);
    if (ModelLib && DataFileExists(modelPath))
        Model = ModelLib->Load(modelPath);
}
