#pragma once
// The scripted markers of a mission: the empty position marker, and the static wreck or decoration
// that also serves as the checkpoint and the carrier's reload marker. Neither moves nor fights.

#include "sim/Units.h"

#include <memory>
#include <string>
#include <vector>

class TObjectsControl;

// A position for scripts to refer to (a rally point, a place to send a group): no model, draws
// nothing, does nothing.
class TEmptyObject : public TGameObject {
public:
    // Takes its Id from Objects; Rotation is (pitch, heading, 0) in degrees.
    TEmptyObject(TObjectsControl &objects, const TVector3 &position, float pitch, float heading);
    void Update(int) override {}
    void Draw() override {}
    void DescribeState(TStateIO &io) override;
};

// A scripted wreck or decoration that keeps its model: the wrecks of "CreateStaticDead", the
// checkpoint and the carrier's reload marker. Its model's "SimpleFire" points burn for as long as it
// stands; it is drawn nearer than the far draw distance, fading out towards it.
class TDeadStaticObject : public TUnit {
public:
    // ModelPath is a full path (AppDir + "Data\Models\..."); it is loaded through the model library
    // when there is one and the data has the file, otherwise the object has no model. A damaged
    // model file throws.
    TDeadStaticObject(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position, float pitch,
                      float heading);
    ~TDeadStaticObject() override;
    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    // One fire at a "SimpleFire" point of the model.
    struct TFire {
        int Index = -1;
        std::unique_ptr<TEmitter> Emitter;   // null when the data lacks the effect
    };

    std::string ModelPath;       // as asked for, even when no model was loaded
    std::uint8_t Marker = 0;     // a marker (checkpoint, reload point) rather than a wreck
    std::uint8_t Unlit = 0;      // drawn with lighting off
    std::vector<TFire> Fires;
};

// The model of the checkpoint marker, relative to the game folder.
inline constexpr const char *CheckPointModel = "Data\\Models\\Misc\\Checkpoint.otm";
// The model of the carrier's reload marker, relative to the game folder.
inline constexpr const char *ReloadMarkerModel = "Data\\Models\\Misc\\Reload.otm";
// The effect of a wreck's fires, relative to the game folder.
inline constexpr const char *WreckFireEffect = "Data\\Effects\\Simple_Fire.dps";
