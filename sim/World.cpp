#include "sim/World.h"

#include "assets/DPSEffect.h"
#include "core/App.h"
#include "core/View.h"
#include "script/GameVars.h"
#include "sim/Cameras.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Sight.h"
#include "sim/Tracers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

TWorld::TWorld(std::string tableFileName) : TableFileName(std::move(tableFileName))
{
    ScriptBindings.TimerEnable = &Timer.Enabled;
    ScriptBindings.TimerTime = &Timer.Remaining;
    MissionStatistics = &Statistics;
}

TWorld::~TWorld()
{
    Unload();
    for (TGamer *player : PlayerList)
        if (player->Fade == &Fade)
            player->Fade = nullptr;
    ScriptBindings.TimerEnable = &ScriptStandIns.Timer.Enabled;
    ScriptBindings.TimerTime = &ScriptStandIns.Timer.Remaining;
    if (MissionStatistics == &Statistics)
        MissionStatistics = &PlayerStatistics;
}

void TWorld::Unload()
{
    // The aircraft let go of the objects first, then the exchange goes (its groups and checkpoint
    // only point into the object list), then the objects.
    for (TGamer *player : PlayerList)
        player->LeaveMission(Objects.get());
    if (DynamicCamera && DynamicCamera->Objects == Objects.get())
        DynamicCamera->Reset();
    Exchange.reset();
    Objects.reset();
}

void TWorld::AddPlayer(TGamer *player)
{
    if (!player || std::find(PlayerList.begin(), PlayerList.end(), player) != PlayerList.end())
        return;
    PlayerList.push_back(player);
    player->Fade = &Fade;
}

void TWorld::RemovePlayer(TGamer *player)
{
    const auto at = std::find(PlayerList.begin(), PlayerList.end(), player);
    if (at == PlayerList.end())
        return;
    player->LeaveMission(Objects.get());
    if (player->Fade == &Fade)
        player->Fade = nullptr;
    PlayerList.erase(at);
}

void TWorld::LoadMission(const std::string &fileName)
{
    Unload();
    // Everything a mission keeps starts afresh here.
    MissionStatistics = &Statistics;
    Statistics = TPlayerStatistics();
    Fade = TScreenFade();
    Timer.Enabled = false;
    MainView = ShakenView = TView();
    SmallView = TView();
    ShakeHealth = -1;
    if (CameraShaking)
        CameraShaking->Offset = TVector4();
    if (DynamicCamera)
        DynamicCamera->Reset();
    ForgetCarrierPoints();
    for (TGamer *player : PlayerList)
        player->HasCarrier = false;

    // The script's switches over the player and the world start off, whatever the last mission
    // left: a mission lost while it held the weapons or froze the world must not pass that on to
    // the next one. A script's declarations set them again as it is loaded.
    for (bool *flag : {ScriptBindings.PlayerWeaponDisabled, ScriptBindings.PlayerControlDisabled,
                       ScriptBindings.AllObjectsDisable})
        if (flag)
            *flag = false;

    auto exchange = std::make_unique<TScriptDataExchange>(nullptr, TableFileName);
    exchange->Fade = &Fade;
    exchange->LoadScript(fileName);
    Exchange = std::move(exchange);
    Objects = std::make_unique<TObjectsControl>();
    Exchange->Objects = Objects.get();
    for (TGamer *player : PlayerList) {
        player->Reset(*Objects);
        player->SightValid = false;
    }
    if (DynamicCamera)
        DynamicCamera->Objects = Objects.get();
}

void TWorld::Tick(int dt, std::span<const TPlayerCommand> commands)
{
    // The simulation reads the main view of the last frame (the objects' places on the screen, the
    // missiles' lock), whatever a draw left in the published view since.
    PublishView(MainView);

    GameClock += dt;
    if (Exchange)
        Exchange->Update(dt);
    const bool disabled = ScriptBindings.AllObjectsDisable ? *ScriptBindings.AllObjectsDisable : AllObjectsDisabled;
    if (Objects && !disabled)
        Objects->Update(dt);
    // Aim points and bounding boxes follow the objects every frame, with or without a window: guns
    // aim at a target's centre and missiles strike inside its box.
    if (Objects)
        Objects->UpdateProjection();
    // Shots and smoke age whether or not anything draws them, so a run without a window keeps no
    // more of them than the game does.
    if (Billboards)
        Billboards->Update(dt);
    if (Sprites)
        Sprites->UpdateAll(dt);
    Timer.Update(dt);

    // Where the local pilot aims: the ray through the middle of the last frame's view, among the
    // objects where they are now.
    if (TGamer *local = LocalPlayer(); local && !local->Remote && MainView.Valid) {
        local->SightPoint = SightPoint(Objects.get(), MainView, local);
        local->SightValid = true;
    }
    for (std::size_t i = 0; i < PlayerList.size(); ++i) {
        TGamer *player = PlayerList[i];
        player->Pilot.Take(i < commands.size() ? commands[i] : TPlayerCommand());
        player->Update(dt);
    }
    // A hit on the local player's aircraft jolts its view.
    if (TGamer *local = LocalPlayer(); local && !local->Remote) {
        if (CameraShaking && ShakeHealth > 0 && local->Health < ShakeHealth)
            CameraShaking->Shake(HitShake(ShakeHealth - local->Health));
        ShakeHealth = local->Health;
    }
    if (DynamicCamera)
        DynamicCamera->Tick(dt);
    if (CameraShaking)
        CameraShaking->Tick(dt);
    Fade.Tick(dt);

    // A fallen player: the mission is lost as a script's "GameOver" loses it (the menu takes over,
    // the program goes on), unless the network game brings the aircraft back.
    for (TGamer *player : PlayerList) {
        if (!player->Died)
            continue;
        player->Died = false;
        if (OnPlayerDied)
            OnPlayerDied(*player);
        else if (Exchange)
            Exchange->EndMission(TMissionResult::Lost, nullptr);
        else
            MenuActive = true;
    }

    WorkOutViews();
    if (NetworkSeam)
        NetworkSeam->Tick(dt);
}

void TWorld::WorkOutViews()
{
    TGamer *local = LocalPlayer();
    if (!local || local->Remote) {
        MainView = ShakenView = TView();
        SmallView = TView();
        return;
    }
    const float aspect = Aspect > 0 ? Aspect : 4.0f / 3.0f;
    // The chase camera, kept out of solid objects, seen through the shake.
    local->Camera.Place(Objects.get());
    MainView = local->Camera.MakeView(local->Camera.ModelView, aspect, local->ViewFar, local->ViewFade);
    ShakenView = CameraShaking ? local->Camera.MakeView(CameraShaking->Apply(local->Camera.ModelView), aspect,
                                                        local->ViewFar, local->ViewFade)
                               : MainView;
    // The small view: the dynamic camera on what it follows, or looking back from the cockpit.
    if (DynamicCamera) {
        DynamicCamera->Place(Objects.get(), local->View());
        SmallView = DynamicCamera->View.MakeView(DynamicCamera->View.ModelView, 1.6f, DynamicCamera->FarDistance,
                                                 DynamicCamera->FadeStart);
    }
    // What the scenery hides from this view.
    PublishView(MainView);
    CurrentCamera = &local->Camera;
    if (Objects)
        UpdateSightVisibility(*Objects, MainView);
}

std::string TWorld::Summary() const
{
    const char *result = "running";
    if (Exchange && Exchange->Result == TMissionResult::Won)
        result = "won";
    else if (Exchange && Exchange->Result == TMissionResult::Lost)
        result = "lost";
    const TGamer *gamer = LocalPlayer();
    const long health = gamer ? std::lround(std::max(0.0f, gamer->Health)) : 0;
    std::string tasks;
    static const char *const states[] = {"new", "complete", "failed"};
    for (int i = 0; Exchange && i < Exchange->TaskCount(); ++i) {
        const int state = Exchange->Tasks[std::size_t(i)].State;
        tasks += (i ? "," : "") + std::to_string(i) + ":" + states[state >= 0 && state <= 2 ? state : 0];
    }
    char line[256];
    std::snprintf(line, sizeof line, "mission: %s health=%ld air_kills=%d ship_kills=%d shots=%d hits=%d tasks=", result,
                  health, Statistics.AircraftKills, Statistics.ShipKills, Statistics.Shots, Statistics.Hits);
    return line + tasks;
}
