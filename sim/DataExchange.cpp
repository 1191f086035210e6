#include "sim/DataExchange.h"

#include "core/App.h"
#include "core/Log.h"
#include "core/Random.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Locale.h"
#include "sim/Aircraft.h"
#include "sim/Cameras.h"
#include "sim/GameObjects.h"
#include "sim/Ground.h"
#include "sim/ScreenFade.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Ships.h"
#include "sim/Statics.h"
#include "sim/Units.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace {

constexpr int MessageTime = 5000;   // ms every script message stays up

// Locale sections of the script's texts.
constexpr int SectionNotices = 3;    // "New target", "Target complete", "Target failed"
constexpr int SectionMessages = 4;   // the keys of "Message"
constexpr int SectionTasks = 5;      // the keys of "AddTask"

constexpr int TaskNew = 0, TaskComplete = 1, TaskFailed = 2;

// The object types of "CreateObject" and "CreateStaticDead".
enum TObjectType : int {
    BuildingType = 0, CarrierType, BomberType, ShipType, EmptyObjectType, InterceptorType, DestroyerType, BoatType,
    DeadSu25Type, TorpedoType, CheckPointType, CoolSamType, SubmarineType, BattleShipType, AvaxType,
    SuperSubmarineType, ShilkaType
};
constexpr int DestroyerWreckType = DestroyerType;   // "CreateStaticDead" places a destroyer's hull
constexpr int BomberWreckType = DeadSu25Type;       // and a bomber's wreck

constexpr float IslandHealth = 1000000.0f;      // ten times its full health: nothing sinks an island
constexpr float IslandMaxHealth = 100000.0f;

std::string Upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

int IntArg(const TScriptCommand &c, int i) { return TScript::IntAt(c.Args[i]); }
float FloatArg(const TScriptCommand &c, int i) { return TScript::FloatAt(c.Args[i]); }
bool BoolArg(const TScriptCommand &c, int i) { return TScript::BoolAt(c.Args[i]); }
std::string TextArg(const TScriptCommand &c, int i) { return TScript::TextAt(c.Args[i]); }

[[noreturn]] void NoCheckPoint() { throw std::runtime_error("Script Error: CheckPoint not found"); }

std::string MusicPath(const std::string &name) { return AppDir + "Data\\Music\\" + name; }
bool IsNoMusic(const std::string &name) { return Upper(name) == "NULL"; }

int SoundVolume() { return Config ? Config->SoundVolume : 100; }

// Plays a sound of the game's data at a world position; a sound the data lacks is logged and skipped,
// as a missing voice or jingle must not end the mission.
void PlayAt(const std::string &path, const TVector3 &position, float minDistance, float maxDistance)
{
    if (!SoundLib)
        return;
    if (!DataFileExists(path)) {
        LogWrite("Sound not found: " + path);
        return;
    }
    SoundLib->Play3D(SoundLib->LoadSample(path, false), position, minDistance, maxDistance, SoundVolume());
}

// The object of a "CreateObject" type; null for the types that make nothing (the wreck-only types
// and any number outside the table).
TGameObject *MakeObject(TObjectsControl &objects, int type, int side, const TVector3 &position,
                        const TVector3 &angles, const std::string &text)
{
    TGameObject *object = nullptr;
    switch (type) {
    case BuildingType:
        object = new TBuildingStatic(objects, "Data\\Models\\Buildings\\" + text, position, angles);
        break;
    case CarrierType:
        object = new TCarrier(objects, position, TVector3{});   // a carrier always lies square
        break;
    case BomberType:
        object = new TCraftSu25(objects, position, angles);
        break;
    case ShipType:
        object = new TTransport(objects, position, side, angles, text);
        break;
    case EmptyObjectType:
        object = new TEmptyObject(objects, position, angles.x, angles.y);
        break;
    case InterceptorType:
        object = new TCraftGAS1(objects, position, angles);
        break;
    case DestroyerType:
        object = new TDestroyer(objects, position, side, angles);
        break;
    case BoatType:
        object = new TBoat(objects, position, side, angles);
        break;
    case TorpedoType:
        object = new TTorpedo(objects, position, angles);
        break;
    case CoolSamType:
        object = new TCoolSam(objects, position, side, angles);
        break;
    case SubmarineType:
        object = new TSubmarine(objects, position, angles);
        break;
    case BattleShipType:
        object = new TBattleShip(objects, position, side, angles);
        break;
    case AvaxType:
        object = new TCraftAvax(objects, position, angles);
        break;
    case SuperSubmarineType:
        object = new TSuperSubmarine(objects, position, angles);
        break;
    case ShilkaType:
        object = new TShilka(objects, position, side, angles);
        break;
    default:   // DeadSu25Type, CheckPointType and unknown numbers
        return nullptr;
    }
    return object;
}

// The carrier's reload marker: where the player lands to re-arm. It stands with the carrier for the
// whole mission, held though it belongs to no group.
void PlaceReloadMarker(TObjectsControl &objects, const TVector3 &position, int side)
{
    auto *marker = new TDeadStaticObject(objects, AppDir + ReloadMarkerModel, position, 0, 0);
    marker->Marker = 1;
    marker->Unlit = 1;
    StampObject(*marker, {.Side = side,
                          .Health = 0,
                          .MaxHealth = 1.0f,
                          .Name = "Reload string",
                          .Targetable = 0,
                          .Held = true});
    objects.Add(marker);
}

// "CreateObject": makes the object of the type, puts it in the world and in the group. A type
// that makes nothing, a group outside 0..39 and a mission without a world change nothing.
void CreateObject(TScriptDataExchange &exchange, const TScriptCommand &c)
{
    const int type = IntArg(c, 0), group = IntArg(c, 1), side = IntArg(c, 2);
    if (!exchange.Objects)
        return;
    if (group < 0 || group >= ScriptGroupCount) {
        LogWrite("Script: CreateObject into group " + std::to_string(group) + " refused, groups are 0.." +
                 std::to_string(ScriptGroupCount - 1));
        return;
    }
    TObjectsControl &objects = *exchange.Objects;
    const TVector3 position = VectorSet3(FloatArg(c, 4), FloatArg(c, 5), FloatArg(c, 6));
    const TVector3 angles = VectorSet3(FloatArg(c, 7), FloatArg(c, 8), 0);
    const std::string text = TextArg(c, 9);
    TGameObject *object = MakeObject(objects, type, side, position, angles, text);
    if (!object)
        return;
    objects.Add(object);
    // Every unit the script makes is a target but the empty marker, stands on the ground or the sea
    // but the aircraft, and is held by its group.
    const float health = float(IntArg(c, 3));
    const bool aircraft = type == BomberType || type == InterceptorType || type == AvaxType;
    StampObject(*object, {.Side = side,
                          .Health = health,
                          .MaxHealth = health,
                          .Name = text,
                          .OnRadar = 1,
                          .Targetable = std::uint8_t(type == EmptyObjectType ? 0 : 1),
                          .IsGround = std::uint8_t(aircraft ? 0 : 1),
                          .Category = type == BuildingType ? std::optional(TObjectCategory::Building) : std::nullopt,
                          .Held = true});
    exchange.AddToGroup(group, object);
    if (type == CarrierType)
        PlaceReloadMarker(objects, position, side);
}

// "CreateIsland": an island of "Data\Maps\Islands\", neutral scenery in no group.
void CreateIsland(TObjectsControl &objects, const TScriptCommand &c)
{
    const std::string name = TextArg(c, 3);
    // Neutral, and an island, by its class.
    auto *island = new TIsland(objects, VectorSet3(FloatArg(c, 0), FloatArg(c, 1), FloatArg(c, 2)), name);
    StampObject(*island, {.Health = IslandHealth,
                          .MaxHealth = IslandMaxHealth,
                          .Name = "Island: " + name,
                          .OnRadar = 0,
                          .Targetable = 0,
                          .Held = false});
    objects.Add(island);
}

// "CreateStaticObject": scenery of "Data\Models\" that cannot be targeted, in no group.
void CreateStaticObject(TObjectsControl &objects, const TScriptCommand &c)
{
    const float health = float(IntArg(c, 0));
    auto *building = new TBuilding(objects, "Data\\Models\\" + TextArg(c, 7),
                                   VectorSet3(FloatArg(c, 1), FloatArg(c, 2), FloatArg(c, 3)),
                                   VectorSet3(FloatArg(c, 4), FloatArg(c, 5), 0));
    StampObject(*building, {.Side = -1,
                            .Health = health,
                            .MaxHealth = health,
                            .Name = TextArg(c, 6),
                            .OnRadar = 0,
                            .Targetable = 0,
                            .Category = TObjectCategory::Ordinary,
                            .Held = false});
    objects.Add(building);
}

// The exchange of the mission being played: the one made last, while it lives.
TScriptDataExchange *Newest = nullptr;

// The player aircraft's clocks on the carrier.
constexpr int TakeOffTime = 2500;   // ms of full power without control from the carrier
constexpr int HoldTime = 5000;      // ms the aircraft waits on deck after a reload

} // namespace

TScriptDataExchange::TScriptDataExchange(TObjectsControl *objects, std::string tableFileName)
    : Objects(objects), TableFileName(std::move(tableFileName))
{
    Newest = this;
}

TScriptDataExchange *CurrentExchange() { return Newest; }

TScriptDataExchange::~TScriptDataExchange()
{
    // The mission's objects go with it: the player aircraft must not keep flying among them.
    if (TGamer *gamer = PlayerGamer())
        gamer->LeaveMission(Objects);
    if (Newest == this)
        Newest = nullptr;
}

void TScriptDataExchange::LoadScript(const std::string &fileName)
{
    SpawnPoints.clear();
    Mission.Script.reset();
    auto script = TableFileName.empty() ? std::make_unique<TScript>() : std::make_unique<TScript>(TableFileName);
    script->Handler = this;
    script->Load(fileName);   // a compile error leaves Mission.Script empty: nothing half-compiled runs
    Mission.Script = std::move(script);
    if (ScriptBindings.TimerEnable)
        *ScriptBindings.TimerEnable = false;
    if (Messanger)
        Messanger->Clear();
    // A black screen until the script fades in, and no indicator of the last mission's script.
    if (Fade)
        Fade->In = -1;
    if (HudSeam)
        HudSeam->SetIndicator(nullptr, std::string());
}

void TScriptDataExchange::Update(int dt)
{
    RefreshGroups();
    if (Mission.Script)
        Mission.Script->Update(dt);
}

bool TScriptDataExchange::AddToGroup(int group, TGameObject *object)
{
    TAIGroup *g = Group(group);
    if (!g || !object)
        return false;
    g->Units.push_back(object);
    ++g->UnitCount;
    ++g->AliveCount;
    Mission.GroupAliveCount[group] = g->AliveCount;
    return true;
}

void TScriptDataExchange::RefreshGroups()
{
    for (int i = 0; i < ScriptGroupCount; ++i) {
        TAIGroup &group = Groups[i];
        int alive = 0;
        double health = 0, fullHealth = 0;
        for (TGameObject *&unit : group.Units) {
            if (!unit)
                continue;
            if (unit->Dead == 0 && unit->Health > 0) {
                ++alive;
                health += unit->Health;
                fullHealth += unit->MaxHealth;
            } else {
                --unit->RefCount;
                unit = nullptr;
            }
        }
        group.AliveCount = alive;
        group.HealthPercent = fullHealth > 0 ? std::max(0, int(std::lround(health / fullHealth * 100))) : 0;
        Mission.GroupAliveCount[i] = group.AliveCount;
        Mission.GroupHealth[i] = group.HealthPercent;
    }
}

TAIGroup *TScriptDataExchange::Group(int group)
{
    if (group < 0 || group >= ScriptGroupCount) {
        LogWrite("Script: group " + std::to_string(group) + " refused, groups are 0.." +
                 std::to_string(ScriptGroupCount - 1));
        return nullptr;
    }
    return &Groups[group];
}

void TScriptDataExchange::OrderGroup(int group, int targetGroup, int order)
{
    TAIGroup *g = Group(group);
    if (!g)
        return;
    if (targetGroup == PlayerGroup) {
        if (!PlayerAircraft)
            return;
        for (TGameObject *unit : g->Units)
            if (unit) {
                unit->Target = PlayerAircraft;
                unit->Order = order;
            }
        return;
    }
    const TAIGroup *t = Group(targetGroup);
    if (!t || t->AliveCount < 1)
        return;
    for (TGameObject *unit : g->Units) {
        if (!unit)
            continue;
        TGameObject *nearest = nullptr;
        float best = 0;
        for (TGameObject *candidate : t->Units) {
            if (!candidate || !(candidate->Health > 0))
                continue;
            const float d = VectorDistance(unit->Position, candidate->Position);
            if (!nearest || d < best) {
                nearest = candidate;
                best = d;
            }
        }
        unit->Target = nearest;
        unit->Order = order;
    }
}

void TScriptDataExchange::SetGroupFlag(int group, std::uint8_t TGameObject::*flag, bool value)
{
    if (TAIGroup *g = Group(group))
        for (TGameObject *unit : g->Units)
            if (unit && unit->Dead == 0)
                unit->*flag = value ? 1 : 0;
}

float TScriptDataExchange::DistanceToGroup(const TVector3 &from, int group) const
{
    if (group < 0 || group >= ScriptGroupCount)
        return NoDistance;
    double sum = 0;
    int count = 0;
    for (const TGameObject *unit : Groups[group].Units)
        if (unit && unit->Dead == 0) {
            sum += VectorDistance(from, unit->Position);
            ++count;
        }
    return count > 0 ? float(sum / count) : NoDistance;
}

void TScriptDataExchange::ShowMessage(const std::string &text, bool centred, float r, float g, float b)
{
    if (Messanger)
        Messanger->Add(text, centred, r, g, b, MessageTime);
}

void TScriptDataExchange::SetTaskState(int task, int state, const char *message, float r, float g, float b)
{
    if (task < 0 || task >= TaskCount()) {
        LogWrite("Script: task " + std::to_string(task) + " refused, the mission has " +
                 std::to_string(TaskCount()) + " tasks");
        return;
    }
    Tasks[std::size_t(task)].State = state;
    ShowMessage(Translate(message, SectionNotices), false, r, g, b);
}

void TScriptDataExchange::EndMission(TMissionResult result, const std::string *nextMap)
{
    // The first end stands: a block that runs on before the menu takes over must not score twice.
    if (Result != TMissionResult::Running)
        return;
    Result = result;
    MenuActive = true;
    if (result != TMissionResult::Won)
        return;
    NextMap = nextMap ? *nextMap : std::string();
    if (!Config || Config->CurrentPlayer < 0 || Config->CurrentPlayer >= Config->PlayerCount ||
        Config->CurrentPlayer >= int(Config->Players.size()))
        return;
    TGamePlayer &player = Config->Players[std::size_t(Config->CurrentPlayer)];
    player.Score += MissionStatistics->AircraftKills * AircraftKillScore + MissionStatistics->ShipKills * ShipKillScore;
    player.Level = NextMap;
    if (nextMap && !Config->Save(AppDir + "Config.cfg"))
        LogWrite("Cannot save the settings to " + AppDir + "Config.cfg");
}

void TScriptDataExchange::PlacePlayer(int takeOffClock)
{
    // Putting the aircraft back at its start resets the mission's statistics.
    *MissionStatistics = TPlayerStatistics();
    TGamer *gamer = PlayerGamer();
    if (!gamer || !Objects)
        return;
    gamer->TakeOffClock = takeOffClock;
    gamer->Reset(*Objects);
    if (gamer->HasCarrier)
        gamer->PlaceAt(gamer->Carrier.Start);
}

void TScriptDataExchange::PlaceCheckPoint(const TScriptCommand &c)
{
    // A checkpoint the script still holds and that is still in the world moves; otherwise a new
    // marker is made and becomes the checkpoint. Either way the script holds it; its health is left
    // as it is.
    TGameObject *marker = nullptr;
    if (CheckPoint && !CheckPointDeleted && Objects && Objects->Contains(CheckPoint))
        marker = CheckPoint;
    const TVector3 position = VectorSet3(FloatArg(c, 2), FloatArg(c, 3), FloatArg(c, 4));
    TObjectStamp stamp{.Side = IntArg(c, 1), .MaxHealth = 1.0f, .Name = TextArg(c, 7), .Targetable = 0, .Held = true};
    if (marker) {
        stamp.Position = position;
        stamp.Rotation = VectorSet3(FloatArg(c, 5), FloatArg(c, 6), 0);
    } else {
        if (!Objects)   // no world to put it in
            return;
        auto *made = new TDeadStaticObject(*Objects, AppDir + CheckPointModel, position, FloatArg(c, 5),
                                           FloatArg(c, 6));
        made->Marker = 1;
        made->Unlit = 1;
        stamp.OnRadar = 1;
        stamp.Category = TObjectCategory::CheckPoint;
        Objects->Add(made);
        marker = made;
        CheckPoint = made;
        CheckPointDeleted = false;
    }
    StampObject(*marker, stamp);
}

void TScriptDataExchange::PlaceWreck(const TScriptCommand &c)
{
    // The two wrecks a script can place: a destroyer's hull and a bomber's. Any other type makes
    // nothing and changes nothing.
    const char *model = nullptr;
    if (IntArg(c, 0) == DestroyerWreckType)
        model = "Data\\Models\\Ships\\Destroyer\\Dead.otm";
    else if (IntArg(c, 0) == BomberWreckType)
        model = "Data\\Models\\Dead\\Su25\\Dead.otm";
    if (!model || !Objects)
        return;
    auto *wreck = new TDeadStaticObject(*Objects, AppDir + model, VectorSet3(FloatArg(c, 2), FloatArg(c, 3), FloatArg(c, 4)),
                                        FloatArg(c, 5), FloatArg(c, 6));
    // Held for the whole mission (a wreck belongs to no group that would release it); no health.
    StampObject(*wreck, {.Side = IntArg(c, 1),
                         .MaxHealth = 1.0f,
                         .Name = TextArg(c, 7),
                         .OnRadar = 0,
                         .Targetable = 0,
                         .Held = true});
    Objects->Add(wreck);
}

void TScriptDataExchange::Prepare(const TScriptCommand &c)
{
    // The music of a mission is loaded with it, so a missing file is reported when the map loads.
    if (c.Opcode == OpSetMusic && SoundLib) {
        const std::string name = TextArg(c, 0);
        if (!IsNoMusic(name))
            SoundLib->LoadSample(MusicPath(name), true);
    }
}

void TScriptDataExchange::Execute(const TScriptCommand &c)
{
    switch (c.Opcode) {
    case OpMessage: {
        ShowMessage(Translate(TextArg(c, 0), SectionMessages), false, 0, 0.7f, 0);
        const int voice = Random(6) + 1;
        PlayAt(AppDir + "Data\\Sounds\\Speech" + std::to_string(voice) + ".wav", VectorSet3(1, 1, 1), 500, 2000);
        break;
    }
    case OpCenterMessage:
        // Shown as written, unless the string table has it among the mission texts: a Russian
        // player reads the mission's call-outs in Russian too.
        ShowMessage(Translate(TextArg(c, 0), SectionMessages), true, 1, 0, 0);
        break;
    case OpSetMusic: {
        if (!SoundLib)
            break;
        if (GameMusicChannel >= 0 && SoundLib->IsPlaying(GameMusicChannel))
            SoundLib->Stop(GameMusicChannel);
        const std::string name = TextArg(c, 0);
        GameMusic = IsNoMusic(name) ? nullptr : SoundLib->LoadSample(MusicPath(name), true);
        break;
    }
    case OpSetMusicVolume:
        if (SoundLib && GameMusicChannel >= 0 && SoundLib->IsPlaying(GameMusicChannel)) {
            const int music = Config ? Config->MusicVolume : 100;
            SoundLib->SetVolume(GameMusicChannel, int(std::lround(double(music) * IntArg(c, 0) / 100)));
        }
        break;
    case OpPlaySound: {
        const std::string name = Upper(TextArg(c, 0));
        const char *file = name == "WIN.WAV" ? "Win.wav" : name == "LOSE.WAV" ? "Lose.wav" : nullptr;
        if (file) {
            const TVector3 at = PlayerAircraft ? TVector3(PlayerAircraft->Position) : TVector3{};
            PlayAt(AppDir + "Data\\Sounds\\" + file, at, 100, 400);
        }
        break;
    }

    case OpGameOver:
        EndMission(TMissionResult::Lost, nullptr);
        break;
    case OpNextLevel: {
        const std::string map = TextArg(c, 0);
        EndMission(TMissionResult::Won, &map);
        break;
    }
    case OpEndGame:
        EndMission(TMissionResult::Won, nullptr);
        break;

    case OpAddTask: {
        const int task = IntArg(c, 1);
        if (task < 0) {
            LogWrite("Script: task " + std::to_string(task) + " refused");
            break;
        }
        if (task >= TaskCount())
            Tasks.resize(std::size_t(task) + 1);
        Tasks[std::size_t(task)] = TMissionTask{Translate(TextArg(c, 0), SectionTasks), TaskNew};
        ShowMessage(Translate("New target", SectionNotices), false, 0, 0, 1);
        break;
    }
    case OpTaskComplete:
        SetTaskState(IntArg(c, 0), TaskComplete, "Target complete", 0, 1, 0);
        break;
    case OpTaskFail:
        SetTaskState(IntArg(c, 0), TaskFailed, "Target failed", 1, 0, 0);
        break;

    case OpSetTarget:
        OrderGroup(IntArg(c, 0), IntArg(c, 1), 0);
        break;
    case OpSetMovePoint:
        OrderGroup(IntArg(c, 0), IntArg(c, 1), 1);
        break;
    case OpSetDefend:
        OrderGroup(IntArg(c, 0), IntArg(c, 1), 2);
        break;
    case OpStopMove:
        if (TAIGroup *g = Group(IntArg(c, 0)))
            for (TGameObject *unit : g->Units)
                if (unit)
                    unit->Target = nullptr;
        break;

    case OpShowOnRadar:
        SetGroupFlag(IntArg(c, 0), &TGameObject::OnRadar, BoolArg(c, 1));
        break;
    case OpSetBlinkOnRadar:
        SetGroupFlag(IntArg(c, 0), &TGameObject::BlinkOnRadar, BoolArg(c, 1));
        break;
    case OpSetTargeting:
        SetGroupFlag(IntArg(c, 0), &TGameObject::Targetable, BoolArg(c, 1));
        break;
    case OpEnableGroupWeapon:
        SetGroupFlag(IntArg(c, 0), &TGameObject::WeaponEnabled, BoolArg(c, 1));
        break;

    case OpDistancePlayerToGroup: {
        const int group = IntArg(c, 0);
        TScript::FloatAt(c.Args[1]) = PlayerAircraft ? DistanceToGroup(PlayerAircraft->Position, group) : NoDistance;
        break;
    }
    case OpDistanceGroupToGroup: {
        const int a = IntArg(c, 0), b = IntArg(c, 1);
        float distance = NoDistance;
        if (const TAIGroup *from = Group(a)) {
            const TGameObject *reference = nullptr;
            for (const TGameObject *unit : from->Units)
                if (unit && unit->Dead == 0)
                    reference = unit;
            if (reference && Group(b))
                distance = DistanceToGroup(reference->Position, b);
        }
        TScript::FloatAt(c.Args[2]) = distance;
        break;
    }
    case OpDistancePlayerToCheckPoint: {
        if (!CheckPoint)
            NoCheckPoint();
        const TVector3 at = CheckPointDeleted ? TVector3(CheckPointLastPosition) : TVector3(CheckPoint->Position);
        TScript::FloatAt(c.Args[0]) = PlayerAircraft ? VectorDistance(PlayerAircraft->Position, at) : NoDistance;
        break;
    }
    case OpDeleteCheckPoint:
        if (!CheckPoint)
            NoCheckPoint();
        if (!CheckPointDeleted) {   // the hold is released once; the object may be freed after that
            CheckPoint->Dead = 1;
            --CheckPoint->RefCount;
            CheckPointLastPosition = CheckPoint->Position;
            CheckPointDeleted = true;
        }
        break;
    case OpCreateStaticDead:
        if (IntArg(c, 0) == CheckPointType)
            PlaceCheckPoint(c);
        else
            PlaceWreck(c);
        break;

    case OpIsSideOnRadar: {
        bool seen = false;
        if (Objects)
            for (const TGameObject *object : Objects->Objects)
                if (object && object->Side == IntArg(c, 0) && object->Health > 0 && object->OnRadar) {
                    seen = true;
                    break;
                }
        TScript::SetBool(c.Args[1], seen);
        break;
    }

    case OpMpAddSpawnPoint:
        SpawnPoints.push_back(VectorSet4(FloatArg(c, 0), FloatArg(c, 1), FloatArg(c, 2), 0));
        if (SpawnPoints.size() == 1) {
            // The first spawn point puts the player at its start at once, with no take-off run
            // and no fade.
            if (Fade)
                Fade->In = 0;
            PlacePlayer(0);
        }
        break;
    case OpMpClearSpawnPoints:
        SpawnPoints.clear();
        break;

    case OpCreatePlayer:
        // The take-off from the carrier, faded in from black.
        if (Fade)
            Fade->In = TScreenFade::Time;
        PlacePlayer(TakeOffTime);
        break;
    case OpReloadPlayer:
        // Back on the carrier's deck, parked at its end, behind a fade to black.
        if (Fade) {
            Fade->Out = TScreenFade::Time;
            Fade->In = 0;
        }
        if (TGamer *gamer = PlayerGamer()) {
            gamer->HoldClock = HoldTime;
            gamer->Park();
            if (gamer->HasCarrier)
                gamer->PlaceAt(gamer->Carrier.End);
        }
        break;
    case OpSetCamera: {
        // The small view follows the group's first live unit with the script's mode and time.
        TAIGroup *g = Group(IntArg(c, 0));
        if (!g || !DynamicCamera)
            break;
        for (TGameObject *unit : g->Units)
            if (unit && unit->Dead == 0 && unit->Health > 0) {
                DynamicCamera->Focus(unit, IntArg(c, 1), IntArg(c, 2));
                break;
            }
        break;
    }

    case OpCreateObject:
        CreateObject(*this, c);
        break;
    case OpCreateIsland:
        if (Objects)
            CreateIsland(*Objects, c);
        break;
    case OpCreateStaticObject:
        if (Objects)
            CreateStaticObject(*Objects, c);
        break;

    case OpSetIndicator:
        // The variable itself, not its value now: the HUD shows it as the script changes it.
        if (HudSeam)
            HudSeam->SetIndicator(&TScript::IntAt(c.Args[0]), TextArg(c, 1));
        break;
    default:
        break;
    }
}
