#pragma once
// The game's side of the mission script: the forty script groups with their live figures, the task
// list, the checkpoint and the multiplayer spawn points, and the commands that act on the game. One
// exchange is made per mission load; it owns the mission's state (and with it the compiled script)
// and runs the script once per frame after refreshing the group figures.
//
// Unit holds: every unit in a group, and the checkpoint, is held by the script with RefCount 1, so
// the object list does not free it even once it is Dead. A group drops its hold (RefCount - 1, the
// entry emptied) the first frame it sees the unit dead or at zero health.

#include "core/Maths.h"
#include "script/Messanger.h"
#include "script/MissionState.h"
#include "script/Script.h"

#include <string>
#include <vector>

class TGameObject;
class TObjectsControl;
struct TScreenFade;

// One script group. Entries only ever get added during a mission; a dropped unit leaves an empty
// (null) entry behind, so UnitCount does not shrink.
struct TAIGroup {
    std::vector<TGameObject *> Units;
    int AliveCount = 0;      // live units as of this frame's refresh; the script's G_AI_GROUP<i>_COUNT
    int UnitCount = 0;       // the length of Units
    int HealthPercent = 0;   // the live units' health in percent of their full health; G_AI_GROUP<i>_HEALTH
};

// How the mission has ended, as far as the script has said.
enum class TMissionResult { Running, Won, Lost };

// The target group that stands for the player aircraft in the ordering commands.
constexpr int PlayerGroup = -1;

// What a distance command answers when there is nothing to measure to (a group without live units,
// or no player aircraft): farther than anything in the world, so "closer than" tests stay false.
constexpr float NoDistance = 1.0e9f;

class TScriptDataExchange : public TScriptCommandHandler {
public:
    // Objects is the mission's object list (may be null: then nothing counts as in the world, and
    // the commands that make objects make none).
    // TableFileName is the tokenizer table the script compiles with; empty for the game's own.
    explicit TScriptDataExchange(TObjectsControl *objects = nullptr, std::string tableFileName = {});
    ~TScriptDataExchange() override;
    TScriptDataExchange(const TScriptDataExchange &) = delete;
    TScriptDataExchange &operator=(const TScriptDataExchange &) = delete;

    // Empties the spawn points, compiles the mission script and empties the message list. A compile
    // error passes to the caller and leaves no script to run.
    void LoadScript(const std::string &fileName);
    // One mission frame: the group figures, then the script's blocks.
    void Update(int dt);
    // Appends Object to Group (0..39): UnitCount and AliveCount + 1. The caller has already given
    // it its hold (RefCount 1), as the object-making commands do. False, and nothing changed, for a
    // group outside 0..39 or a null object.
    bool AddToGroup(int group, TGameObject *object);

    // The group figures of one frame: counts the live units, drops the dead and destroyed ones and
    // publishes the figures to the script.
    void RefreshGroups();

    // Orders every unit held in Group against TargetGroup (PlayerGroup: the player aircraft), each
    // unit taking the nearest live unit of the target group. Nothing when either number is refused,
    // when the target group had no live unit at this frame's refresh, or when the player aircraft
    // is asked for and does not exist.
    void OrderGroup(int group, int targetGroup, int order);

    // Ends the mission with Result (a win names NextMap, or none for the last mission): the menu
    // takes over (MenuActive) and the front end shows the page of the result; a win scores the
    // mission's kills. The first end stands; later ones change nothing.
    void EndMission(TMissionResult result, const std::string *nextMap);

    // TScriptCommandHandler
    void Prepare(const TScriptCommand &command) override;
    void Execute(const TScriptCommand &command) override;

    TAIGroup                  Groups[ScriptGroupCount];
    std::vector<TMissionTask> Tasks;   // indexed by task number; TaskCount() entries
    TMissionState             Mission; // owns the script and the group figures the script reads
    TObjectsControl          *Objects = nullptr;
    // The mission's fades, which the script starts; null: none.
    TScreenFade              *Fade = nullptr;

    // The current checkpoint, or null. It stays set after DeleteCheckPoint (CheckPointDeleted then
    // tells that the script no longer holds it and it may be gone), so that the next checkpoint
    // made is a new one.
    TGameObject *CheckPoint = nullptr;
    bool         CheckPointDeleted = false;
    TVector4     CheckPointLastPosition;   // where the checkpoint was when it was deleted
    std::vector<TVector4> SpawnPoints;

    // Set by the mission-end commands; the front end reads them once MenuActive is set.
    TMissionResult Result = TMissionResult::Running;
    std::string    NextMap;   // the map name NextLevel gave ("Data\Maps\" relative); empty otherwise

    // A win scores the kills of the mission's statistics (MissionStatistics) at these rates.
    static constexpr int AircraftKillScore = 300;
    static constexpr int ShipKillScore = 500;

    int TaskCount() const { return int(Tasks.size()); }
    TScript *Script() const { return Mission.Script.get(); }

private:
    TAIGroup *Group(int group);
    void SetGroupFlag(int group, std::uint8_t TGameObject::*flag, bool value);
    float DistanceToGroup(const TVector3 &from, int group) const;
    void SetTaskState(int task, int state, const char *message, float r, float g, float b);
    // Resets the player aircraft into this mission at the carrier's start with the take-off clock.
    void PlacePlayer(int takeOffClock);
    void PlaceCheckPoint(const TScriptCommand &command);
    void PlaceWreck(const TScriptCommand &command);
    void ShowMessage(const std::string &text, bool centred, float r, float g, float b);

    std::string TableFileName;
};

// The exchange of the mission being played: the one made last, while it lives; null without one.
TScriptDataExchange *CurrentExchange();
