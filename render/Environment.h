#pragma once
// The scene environment: everything a flying mission needs besides its objects. It loads the
// effects, textures and sounds the units share, builds the shader programs, the player aircraft,
// the cameras, the lights, the world map, the sea, the sky and the screen effects, once per run.
// Each mission frame the game calls Update (the world moves; no GL) and then DrawScene (the frame
// is drawn; no simulation state changes).

#include "render/WorldMap.h"

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

    // One mission frame of Dt ms: the world, the player, the cameras, decals, then Escape and the
    // camera key. Touches no GL.
    void Update(int dt);
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

private:
    void ApplyPerspective(float aspect);
    void ApplyMainCamera();
    // The player's view of this frame: into the screen effects' 1024 x 1024 buffer or the window,
    // the perspective, depth test on, the camera with its shake.
    void BeginMainView(bool intoEffects);
    void DrawSkies(const TVector3 &centre);
    void DrawReflection();
    void DrawSmallView();
    // The splash decals on the sea, then the sea plane into the depth buffer, so what lies below
    // the surface is hidden from the world drawn next.
    void DrawSeaMarks();
    void Stage(double &into);

    std::unique_ptr<TSceneShaderSeam> ShaderSeamImpl;
    std::chrono::steady_clock::time_point StageStart;
};

// The scene environment of the run; null until start-up makes it.
extern TEnvironment *Environment;
