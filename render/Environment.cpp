#include "render/Environment.h"

#include "assets/DPSEffect.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "render/GLExt.h"
#include "render/Haze.h"
#include "render/Lights.h"
#include "render/Shaders.h"
#include "render/Sky.h"
#include "render/TracerDraw.h"
#include "render/Water.h"
#include "sim/Cameras.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sim/Weapons.h"
#include "sound/SoundLib.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <span>

TEnvironment *Environment = nullptr;

// The simulation switches its programs by number (objects, the player's skin, the shield, the mega
// bomb); the scene owns the programs.
class TSceneShaderSeam : public TShaderSeam {
public:
    explicit TSceneShaderSeam(TEnvironment &owner) : Owner(owner) {}

    bool Use(int program) override
    {
        TShaderObject *shader = Program(program);
        return shader && shader->Use();
    }
    void Stop() override { UseNone(); }
    void SetLighting(bool on) override
    {
        if (Owner.ObjectsShader)
            Owner.ObjectsShader->SetLighting(on);
    }

private:
    TShaderObject *Program(int program) const
    {
        switch (program) {
        case ObjectsShaderProgram: return Owner.ObjectsShader.get();
        case PlayerShaderProgram: return Owner.PlayerShader.get();
        case ShieldShaderProgram: return Owner.ShieldShader.get();
        case MegaBombShaderProgram: return Owner.MegaBombShader.get();
        default: return nullptr;
        }
    }

    TEnvironment &Owner;
};

namespace {

constexpr float FogColour[4] = {0.125f, 0.4f, 0.6f, 1.0f};
constexpr int   EscapeKey = 27;
constexpr int   EffectBufferSize = 1024;   // the haze and bloom targets, whatever the window

std::string ShaderPath(const std::string &name) { return AppDir + "Data\\Shaders\\" + name; }

// The listener follows the player aircraft.
TVector3 ListenerPlace;

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void WindowViewport() { glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]); }

void IdentityMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

float WindowAspect() { return Viewport[3] > 0 ? float(Viewport[2]) / float(Viewport[3]) : 4.0f / 3.0f; }

// A failure while drawing one step of the world is written to the log and the frame goes on.
template <class TStep> void Guarded(const char *step, TStep &&draw)
{
    try {
        draw();
    } catch (const std::exception &e) {
        LogWrite("DrawScene");
        LogWrite(std::string(step) + " " + e.what());
    }
}

} // namespace

std::string TFrameProfile::Line() const
{
    const double n = Frames > 0 ? Frames : 1;
    char text[256];
    std::snprintf(text, sizeof text,
                  "update=%.2f reflection=%.2f sea=%.2f main=%.2f haze=%.2f bloom=%.2f small=%.2f hud=%.2f",
                  Update / n, Reflection / n, Sea / n, Main / n, Haze / n, Bloom / n, Small / n, Hud / n);
    return text;
}

TEnvironment::TEnvironment()
{
    LogWrite("Create light");
    Lights = new TLightsControl();
    // The effects, textures and sounds every unit and weapon shares.
    CreateUnitTemplates(true);
    MegaBombShader = std::make_unique<TMegaBombShader>();
    MegaBombShader->Create(ShaderPath("MegaBomb.fs"), ShaderPath("MegaBomb.vs"));
    ObjectsShader = std::make_unique<TObjectsShader>();
    ObjectsShader->Create(ShaderPath("Objects.fs"), ShaderPath("Objects.vs"));
    static TCloudsShader clouds;
    clouds.Create(ShaderPath("clouds.fs"), ShaderPath("clouds.vs"));
    CloudsShader = &clouds;
    ShaderSeamImpl = std::make_unique<TSceneShaderSeam>(*this);
    ShaderSeam = ShaderSeamImpl.get();

    // The one player aircraft of the run (it logs "Create gamer"), with its skin and shield.
    PlayerShader = std::make_unique<TPlayerShader>();
    PlayerShader->Create(ShaderPath("Player\\Player.fs"), ShaderPath("Player\\Player.vs"));
    ShieldShader = std::make_unique<TShieldShader>();
    ShieldShader->Create(ShaderPath("Player\\Shield.fs"), ShaderPath("Player\\Shield.vs"));
    TGamer *gamer = CreatePlayerAircraft();
    World.World.AddPlayer(gamer);
    LogWrite("Create dynamic camera");
    DynamicCamera = new TDynamicCamera();
    LogWrite("Create camera effects");
    CameraShaking = new TCameraShaking(5.0f);
    LogWrite("Create lighting");
    Lights->SetSun(DefaultSun());
    LogWrite("Create ingame timer");
    World.World.Timer.Enabled = false;   // the world map's timer, stopped until a script starts it
    LogWrite("Create world control");
    LogWrite("Create haze");
    Haze[0] = std::make_unique<THaze>(AppDir + "Data\\Shaders\\");
    Haze[1] = std::make_unique<THaze>(AppDir + "Data\\Shaders\\");
    LogWrite("Create bloom");
    Bloom = std::make_unique<TBloom>(AppDir + "Data\\Shaders\\");
    LogWrite("Create Water");
    Water = std::make_unique<TWater>(AppDir + "Data\\Shaders\\", AppDir + "Data\\Textures\\");
    // The world map made its sky with itself; each mission load makes a fresh one.
    LogWrite("Create sky");

    if (Noise)
        Noise->Texture = SharedTexture("Data\\Textures\\Water_Noise.png");
    InstallTracerDrawer();
    if (SoundLib) {
        ListenerPlace = gamer->Position;
        SoundLib->ListenerSource = &ListenerPlace;
    }
}

TEnvironment::~TEnvironment()
{
    if (ShaderSeam == ShaderSeamImpl.get())
        ShaderSeam = nullptr;
    if (SoundLib && SoundLib->ListenerSource == &ListenerPlace)
        SoundLib->ListenerSource = nullptr;
}

bool TEnvironment::HazeActive() { return FBOAvailable && ShadersAvailable && Config && Config->Shaders && Config->Haze; }

bool TEnvironment::BloomActive() { return FBOAvailable && ShadersAvailable && Config && Config->Shaders && Config->Bloom; }

void TEnvironment::StartMission(const std::string &mission)
{
    // The world lets the aircraft go of the old mission's objects before they are freed, and readies
    // it and the cameras for the new one.
    World.LoadMap(mission);
    if (Noise)
        Noise->Clear();
    LastDelta = 0;
}

void TEnvironment::Update(int dt, const TPlayerCommand &command)
{
    const auto start = std::chrono::steady_clock::now();
    LastDelta = dt;
    if (TGamer *gamer = PlayerGamer())
        ListenerPlace = gamer->Position;
    if (SoundLib)
        SoundLib->UpdateListener();
    // The world's tick: the clock, the script, the objects, the player flown by the command, the
    // cameras, the views; then the clouds drift and the sea's marks fade.
    World.World.Aspect = WindowAspect();
    World.Tick(dt, std::span<const TPlayerCommand>(&command, 1));
    if (Noise)
        Noise->Update(dt);
    if (Profile.Measure)
        Profile.Update += Milliseconds(std::chrono::steady_clock::now() - start);
}

void TEnvironment::HandleKeys()
{
    if (Keys && Keys->IsDown(EscapeKey)) {
        Keys->Release(EscapeKey);
        MenuActive = true;
        if (OnEscape)
            OnEscape();
    }
    if (Keys && Keys->ActionDown(KP_CHANGECAMERA)) {
        Keys->ReleaseAction(KP_CHANGECAMERA);
        if (Config)
            Config->CameraMode = Config->CameraMode == 0 ? 1 : 0;
    }
}

TPlayerCommand TEnvironment::Command() const
{
    return CommandFromInput(Keys, CursorClientPos, ScreenWidth, ScreenHeight, PadState(), Config && Config->InvertMouse);
}

void TEnvironment::ApplyView(const TView &view)
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(view.Projection.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.ModelView.m);
    PublishView(view);
    DrawnView = view;
}

void TEnvironment::BeginMainView(const TView &view, bool intoEffects)
{
    if (intoEffects)
        glViewport(0, 0, EffectBufferSize, EffectBufferSize);
    else
        WindowViewport();
    glEnable(GL_DEPTH_TEST);
    ApplyView(view);
}

void TEnvironment::DrawSkies(const TVector3 &centre)
{
    if (!World.Sky)
        return;
    // The dome reaches below the horizon, so the sky and its mirror image would meet in the same
    // place near the horizon and flicker through each other; each is cut at the sea instead: the
    // mirror image shows only below it, the sky only above.
    const double sea[4] = {0, 0, 1, 0};
    glDepthMask(GL_TRUE);
    glPushMatrix();
    glScalef(1, 1, -1);   // mirrored in the sea
    glClipPlane(GL_CLIP_PLANE0, sea);
    glEnable(GL_CLIP_PLANE0);
    World.Sky->Draw(centre);
    glPopMatrix();
    glPushMatrix();
    glClipPlane(GL_CLIP_PLANE0, sea);
    World.Sky->Draw(centre);
    glDisable(GL_CLIP_PLANE0);
    glPopMatrix();
}

void TEnvironment::DrawReflection(const TView &view)
{
    const TVector3 centre = VectorSet3(view.Eye.x, view.Eye.y, 0);
    DrawSkies(centre);
    glPushMatrix();
    glScalef(1, 1, -1);
    const double sea[4] = {0, 0, 1, 0};
    glClipPlane(GL_CLIP_PLANE0, sea);
    glEnable(GL_CLIP_PLANE0);
    if (ObjectsShader)
        ObjectsShader->SetClipping(true);
    const int reflections = Config ? Config->Reflections : 1;
    if (reflections > 0)
        Guarded("WorldMap.Draw;", [this] { World.Draw(); });
    if (reflections == 2) {
        if (Sprites)
            Sprites->DrawAll(0);
        if (Billboards)
            Billboards->Draw();
    }
    if (ObjectsShader)
        ObjectsShader->SetClipping(false);
    glDisable(GL_CLIP_PLANE0);
    glPopMatrix();
}

void TEnvironment::Stage(double &into)
{
    if (!Profile.Measure)
        return;
    glFinish();
    const auto now = std::chrono::steady_clock::now();
    into += Milliseconds(now - StageStart);
    StageStart = now;
}

void TEnvironment::DrawScene()
{
    const TView &view = World.World.ShakenView;
    if (!view.Valid)
        return;
    const bool haze = HazeActive() && Haze[0] && Haze[1];
    const bool bloom = BloomActive() && Bloom;
    if (Profile.Measure) {
        glFinish();
        StageStart = std::chrono::steady_clock::now();
        ++Profile.Frames;
    }

    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, FogColour);
    glFogf(GL_FOG_DENSITY, 0.4f);
    glFogf(GL_FOG_START, 10000);
    glFogf(GL_FOG_END, 11000);
    glHint(GL_FOG_HINT, GL_NICEST);
    glEnable(GL_FOG);

    if (haze)
        Haze[1]->BeginScene();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The reflection: the sky and the world mirrored in the sea plane.
    BeginMainView(view, haze);
    DrawReflection(view);
    Stage(Profile.Reflection);

    // The sea over it, then its ripple.
    if (Water)
        Water->Draw();
    if (haze) {
        Haze[1]->BeginNoise();
        glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (Water)
            Water->DrawDistortion();
        Haze[0]->BeginScene();
        glViewport(0, 0, EffectBufferSize, EffectBufferSize);
        IdentityMatrices();
        glDisable(GL_DEPTH_TEST);
        Haze[1]->Apply();
        glClearColor(0, 0, 0, 0);
    }
    Stage(Profile.Sea);

    // The main pass.
    if (haze)
        Haze[0]->BeginScene();
    BeginMainView(view, haze);
    glDepthMask(GL_TRUE);
    DrawSeaMarks();
    glDisable(GL_CLIP_PLANE0);
    DrawWorld(true);
    Stage(Profile.Main);

    // The heat haze: the engines' shimmer and the other heat particles distort the picture.
    if (haze) {
        Haze[0]->BeginNoise();
        glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (Sprites)
            Sprites->DrawAll(1);
        if (bloom) {
            Bloom->BeginScene();
            glViewport(0, 0, EffectBufferSize, EffectBufferSize);
        } else {
            Haze[0]->End();
            WindowViewport();
        }
        IdentityMatrices();
        glDisable(GL_DEPTH_TEST);
        Haze[0]->Apply();
        glClearColor(0, 0, 0, 0);
    }
    Stage(Profile.Haze);
    if (bloom && haze)
        Bloom->Apply();
    Stage(Profile.Bloom);
    WindowViewport();
    glEnable(GL_DEPTH_TEST);

    if (Config && Config->CameraView && World.World.SmallView.Valid)
        DrawSmallView(World.World.SmallView);
    // What is drawn over the scene (the HUD's markers) sees through the main view.
    PublishView(view);
    DrawnView = view;
    Stage(Profile.Small);
    glDisable(GL_FOG);
}

void TEnvironment::DrawSeaMarks()
{
    if (Noise)
        Noise->Draw();
    if (Water)
        Water->DrawDepth();
}

void TEnvironment::DrawSmallView(const TView &view)
{
    // Only the small view's own corner of the depth buffer is cleared: the rest keeps the main
    // view's depth for whatever looks at it after the scene.
    const int smallView[4] = {Viewport[2] - 252, 30, 220, 170};
    glScissor(smallView[0], smallView[1], smallView[2], smallView[3]);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const double sea[4] = {0, 0, 1, 0};
    glClipPlane(GL_CLIP_PLANE0, sea);
    glViewport(smallView[0], smallView[1], smallView[2], smallView[3]);
    glEnable(GL_DEPTH_TEST);
    ApplyView(view);
    DrawSkies(VectorSet3(view.Eye.x, view.Eye.y, 0));
    if (Water)
        Water->Draw();
    DrawSeaMarks();
    DrawWorld(true);
    WindowViewport();
}

void TEnvironment::DrawWorld(bool drawObjects)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0);
    Guarded("WorldMap.Draw;", [this] { World.Draw(); });
    if (drawObjects) {
        if (TGamer *gamer = PlayerGamer()) {
            if (Lights)
                Lights->Apply();
            Guarded("Gamer.Draw;", [gamer] { gamer->Draw(); });
            if (Lights)
                Lights->Disable();
        }
        if (Sprites)
            Sprites->DrawAll(0);
        if (Billboards)
            Billboards->Draw();
    }
    glAlphaFunc(GL_GREATER, 0);
}
