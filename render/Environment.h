#pragma once
// The scene environment: everything a flying mission needs besides its objects. It loads the
// effects, textures and sounds the units share, builds the shader programs, the player aircraft,
// the cameras, the lights, the world map, the sea, the sky and the screen effects, once per run.
// Each mission frame the game calls Update (the world moves; no GL) and then DrawScene (the frame
// is drawn; no simulation state changes).

#include "core/View.h"
#include "render/WorldMap.h"
#include "sim/Command.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class TBloom;
class THaze;
class TWater;
class TObjectsShader;
class TMegaBombShader;
class TPlayerShader;
class TShieldShader;
class TSceneShaderSeam;

// Where the time of the last drawn frames went, in milliseconds summed over the frames measured.
// Only measured while Measure is set (each stage then waits for the driver to finish, which costs
// a little, so a normal run does not).
struct TFrameProfile {
    bool   Measure = false;
    int    Frames = 0;
    double Update = 0, Reflection = 0, Sea = 0, Main = 0, Haze = 0, Bloom = 0, Small = 0, Hud = 0;
    // One line: "update=U reflection=R sea=S main=M haze=H bloom=B small=P hud=D" (ms per frame).
    std::string Line() const;
};

class TEnvironment {
public:
    // Builds everything in order, each step with its log line. Needs the GL context, the texture,
    // model and sound libraries and the particle and tracer controls.
    TEnvironment();
    ~TEnvironment();
    TEnvironment(const TEnvironment &) = delete;
    TEnvironment &operator=(const TEnvironment &) = delete;

    // Loads Mission through the world map (the splash decals cleared too), resets the player
    // aircraft for it and points the dynamic camera at its objects. A script error passes to the
    // caller and leaves no mission loaded.
    void StartMission(const std::string &mission);

    // One mission frame of Dt ms: the world's tick with the local pilot's Command (the world, the
    // player, the cameras, the views), then the sea's decals. Touches no GL.
    void Update(int dt, const TPlayerCommand &command);
    // Draws the frame: fog, the sea's reflection, the sea, the world, the heat haze, the bloom and
    // the small camera, in that order.
    void DrawScene();
    // The world map's objects, and with DrawObjects the player, the particles of layer 0 and the
    // tracers.
    void DrawWorld(bool drawObjects);

    // Whether this frame draws through the haze, and through the bloom: frame buffers and shaders
    // offered, the shaders option on and that effect's option on.
    static bool HazeActive();
    static bool BloomActive();

    int       LastDelta = 0;
    TWorldMap World;
    std::unique_ptr<TWater> Water;
    std::unique_ptr<THaze>  Haze[2];
    std::unique_ptr<TBloom> Bloom;
    std::unique_ptr<TObjectsShader>  ObjectsShader;
    std::unique_ptr<TMegaBombShader> MegaBombShader;
    std::unique_ptr<TPlayerShader>   PlayerShader;
    std::unique_ptr<TShieldShader>   ShieldShader;
    TFrameProfile Profile;
    // What Escape does besides handing the frame to the menu (the menu forgets its pending choice).
    std::function<void()> OnEscape;
    // Before a mission frame: Escape hands the frame to the menu, the camera key switches the chase
    // camera's roll.
    void HandleKeys();
    // The local pilot's command of this frame, from the frame's input as the key state, the cursor
    // and the pad read it.
    TPlayerCommand Command() const;
    // The view drawn last (the main view once the scene is drawn).
    TView DrawnView;

private:
    // Loads View's matrices and publishes it for the code that draws.
    void ApplyView(const TView &view);
    // The player's view of this frame: into the screen effects' 1024 x 1024 buffer or the window,
    // depth test on, View's matrices.
    void BeginMainView(const TView &view, bool intoEffects);
    void DrawSkies(const TVector3 &centre);
    void DrawReflection(const TView &view);
    void DrawSmallView(const TView &view);
    // The splash decals on the sea, then the sea plane into the depth buffer, so what lies below
    // the surface is hidden from the world drawn next.
    void DrawSeaMarks();
    void Stage(double &into);

    std::unique_ptr<TSceneShaderSeam> ShaderSeamImpl;
    std::chrono::steady_clock::time_point StageStart;
};

// The scene environment of the run; null until start-up makes it.
extern TEnvironment *Environment;
