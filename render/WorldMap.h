#pragma once
// The world of the mission being flown: its script exchange and object list (a TWorld) and its sky.
// The game keeps one for the whole run; every mission load replaces what it holds.

#include "render/Sky.h"
#include "sim/World.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

class TObjectsControl;
class TScriptDataExchange;

class TWorldMap {
public:
    // The sky folder below the game folder.
    static constexpr const char *SkyFolder = "Data\\Models\\Sky\\Clear_Sky\\";

    // Makes the sky from the game's data (no models without a model library); no mission yet.
    TWorldMap();

    // Drops the mission held, preloads the model catalogue (unless FastLoad), makes a fresh sky,
    // compiles MissionFile into a new exchange and object list and clears the tracers, stepping the
    // loading screen six times on the way. A script error passes to the caller and leaves no mission
    // loaded.
    void LoadMap(const std::string &missionFile);
    // One frame of Dt ms: the world's tick with the pilots' commands, then the clouds drift.
    void Tick(int dt, std::span<const TPlayerCommand> commands);
    void Update(int dt) { Tick(dt, {}); }
    // The mission's objects, lit by the sun.
    void Draw();

    TScriptDataExchange *Exchange() const { return World.Exchange.get(); }
    TObjectsControl     *Objects() const { return World.Objects.get(); }

    TWorld                World;
    std::unique_ptr<TSky> Sky;
    bool                  Loaded = false;
    // One step of the loading screen; the game points it at its loading page. May be empty.
    std::function<void()> Progress;

private:
    void Step();
};
