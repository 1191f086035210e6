#pragma once
// One mission: its script exchange, its object list, the player aircraft that fly in it, the
// player's statistics, its fades and countdown timer, and the views it is seen through. One Tick
// advances all of it by a frame from the pilots' commands; the game, the headless mission runner
// and the dedicated server all call it, and nothing else moves the world. Drawing takes the views
// the tick worked out and changes nothing here.
//
// The world owns the mission timer: while a world exists, "G_TIMER_ENABLE" and "G_TIMER_TIME" of
// every script compiled point at its Timer (so make the world before compiling any script), and its
// destructor points them back at their stand-ins. The same holds for the statistics: while the world
// lives, MissionStatistics counts into its own.

#include "core/Timer.h"
#include "core/View.h"
#include "sim/Command.h"
#include "sim/ScreenFade.h"
#include "sim/Units.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TGamer;
class TObjectsControl;
class TScriptDataExchange;

class TWorld {
public:
    // TableFileName is the tokenizer table missions compile with; empty for the game's own.
    explicit TWorld(std::string tableFileName = {});
    ~TWorld();
    TWorld(const TWorld &) = delete;
    TWorld &operator=(const TWorld &) = delete;

    // Frees the previous mission (the player aircraft let go of it, then its exchange with the
    // script, then its objects), and resets everything a mission keeps: the timer off, the
    // statistics, the fades, the views and the dynamic camera's subject. Then makes a new exchange
    // that compiles FileName and a fresh object list, and readies the player aircraft for it. A
    // compile error passes to the caller and leaves no mission loaded.
    void LoadMission(const std::string &fileName);
    // Frees the mission, if any.
    void Unload();
    bool Loaded() const { return Exchange != nullptr; }

    // The player aircraft that fly in this world, the local pilot's first; not owned. Each is reset
    // into every mission loaded after it is added.
    void AddPlayer(TGamer *player);
    void RemovePlayer(TGamer *player);
    const std::vector<TGamer *> &Players() const { return PlayerList; }
    // The local pilot's aircraft (the first added), or null.
    TGamer *LocalPlayer() const { return PlayerList.empty() ? nullptr : PlayerList.front(); }

    // One mission frame of Dt ms, in this order: the game clock; the exchange (group figures, then
    // the script); the objects unless "G_ALL_OBJECTS_DISABLE" is set, their aim points and boxes;
    // the tracers (Billboards) and particles (Sprites) when the run has them; the timer; each player
    // aircraft flown by its command (Commands[i] for Players()[i]; a missing one is the empty
    // command); the dynamic camera and the shake; the fades; a fallen player's end of the mission;
    // the views, the sight point and what is in sight; then the network game's step. Without a
    // mission the objects are skipped and the rest still runs. Script errors pass to the caller.
    void Tick(int dt, std::span<const TPlayerCommand> commands);
    // Tick with nobody at the controls.
    void Update(int dt) { Tick(dt, {}); }

    // How the mission stands, as one line: "mission: won|lost|running health=H air_kills=A
    // ship_kills=S shots=N hits=M tasks=0:new,1:complete,2:failed" (H the local player's health).
    std::string Summary() const;

    // The picture the main view and the small view are drawn into: its width over its height.
    float Aspect = 4.0f / 3.0f;

    TTimer Timer;
    TPlayerStatistics Statistics;
    TScreenFade       Fade;
    // The local player's views as the last tick worked them out: the chase view, the same seen
    // through the shake (the one drawn), and the dynamic camera's small view. The simulation aims and
    // locks through the steady view, so a shaken picture never changes how a mission plays.
    TView MainView, ShakenView, SmallView;
    std::unique_ptr<TScriptDataExchange> Exchange;
    std::unique_ptr<TObjectsControl>     Objects;
    // In a network game a fallen aircraft does not end the mission: this decides what happens to
    // it instead (the network layer brings it back). Empty: the mission is lost.
    std::function<void(TGamer &)> OnPlayerDied;

private:
    float ShakeHealth = -1;   // the local aircraft's health at the last tick, for the hit shake
    void WorkOutViews();

    std::string TableFileName;
    std::vector<TGamer *> PlayerList;
};
