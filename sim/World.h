#pragma once
// One mission's world without a window: the script exchange, the object list, the ageing of the
// run's tracers and particles, and the mission countdown timer, advanced by one update per frame.
// The game's scene runs this same update and draws around it; the headless mission runner runs it
// alone.
//
// The world owns the mission timer: while a world exists, "G_TIMER_ENABLE" and "G_TIMER_TIME" of
// every script compiled point at its Timer (so make the world before compiling any script), and its
// destructor points them back at their stand-ins.

#include "core/Timer.h"

#include <memory>
#include <string>

class TObjectsControl;
class TScriptDataExchange;

class TWorld {
public:
    // TableFileName is the tokenizer table missions compile with; empty for the game's own.
    explicit TWorld(std::string tableFileName = {});
    ~TWorld();
    TWorld(const TWorld &) = delete;
    TWorld &operator=(const TWorld &) = delete;

    // Frees the previous mission (its exchange with the script, then its objects), switches the timer
    // off, makes a new exchange that compiles FileName, then a fresh object list. A compile error
    // passes to the caller and leaves no mission loaded.
    void LoadMission(const std::string &fileName);
    // Frees the mission, if any.
    void Unload();
    bool Loaded() const { return Exchange != nullptr; }

    // One mission frame of Dt ms: the game clock, the exchange (group figures, then the script), the
    // objects unless "G_ALL_OBJECTS_DISABLE" is set, their aim points and boxes, the tracer pool (Billboards) and the particles
    // (Sprites) when the run has them, then the timer. Without a mission the objects are skipped and
    // the rest still runs. Script errors pass to the caller.
    void Update(int dt);

    TTimer Timer;
    std::unique_ptr<TScriptDataExchange> Exchange;
    std::unique_ptr<TObjectsControl>     Objects;

private:
    std::string TableFileName;
};
