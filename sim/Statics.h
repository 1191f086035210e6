#pragma once
// The scripted markers of a mission: the empty position marker, and the static wreck or decoration
// that also serves as the checkpoint marker. Neither moves nor fights.

#include "sim/GameObjects.h"

#include <string>

class TObjectsControl;

// A position for scripts to refer to (a rally point, a place to send a group): no model, draws
// nothing, does nothing.
class TEmptyObject : public TGameObject {
public:
    // Takes its Id from Objects; Rotation is (pitch, heading, 0) in degrees.
    TEmptyObject(TObjectsControl &objects, const TVector3 &position, float pitch, float heading);
    void Update(int) override {}
    void Draw() override {}
};

// A scripted wreck or decoration that keeps its model: the wrecks of "CreateStaticDead", the
// checkpoint and the carrier's reload marker.
class TDeadStaticObject : public TGameObject {
public:
    // ModelPath is a game path (AppDir + "Data\Models\..."); it is loaded through the model library
    // when there is one and the data has the file, otherwise the object has no model. A damaged
    // model file throws.
    TDeadStaticObject(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position, float pitch,
                      float heading);
    // A wreck has no behaviour of its own; its fires and its drawing come with the renderer.
    void Update(int) override {}
    void Draw() override {}

    std::string ModelPath;       // as asked for, even when no model was loaded
    std::uint8_t Marker = 0;     // a marker (checkpoint, reload point) rather than a wreck
    std::uint8_t Unlit = 0;      // drawn with the marker shader, lighting off
};

// The model of the checkpoint marker, relative to the game folder.
inline constexpr const char *CheckPointModel = "Data\\Models\\Misc\\Checkpoint.otm";
