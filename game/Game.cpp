#include "game/Game.h"
#include "game/Network.h"

#include "core/Files.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/KeyCodes.h"
#include "core/Recording.h"
#include "core/Text.h"
#include "assets/AssetsGL.h"
#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Crosshair.h"
#include "hud/HUD.h"
#include "hud/Out2D.h"
#include "menu/Menu.h"
#include "render/Environment.h"
#include "render/GLExt.h"
#include "render/GLState.h"
#include "render/Splash.h"
#include "render/Water.h"
#include "script/GameVars.h"
#include "sim/DataExchange.h"
#include "sim/Weapons.h"
#include "sim/Cameras.h"
#include "sim/Misc.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Templates.h"
#include "sim/Tracers.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"

#include <IL/il.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

namespace {


// Services are created once and live for the whole process; none is destroyed explicitly.
void StartServices(const TCommandLine &cmd)
{
    ResizeHandler = [](int width, int height) { ApplyResize(width, height, WindowCorner()); };
    // Numbers in text use the game's own comma conversions; the C locale stays for the libraries.
    SetTimerResolution1ms();

    LogEnabled = cmd.LogEnabled;
    ShowFps = cmd.ShowFps;
    FixedFps = cmd.FixedFps;
    LeftTop = cmd.LeftTop;
    NeedCursorPosition = cmd.NeedCursorPosition;
    FastLoad = cmd.FastLoad;
    Language = cmd.Language;

    AppDir = ExecutableDir();
    LogFile = new TLOgFile(AppDir + "log.txt", LogEnabled);
    LogWrite("Loading Archive");
    OpenGameArchive(AppDir);
    Locale = new TLocale(AppDir + "Data\\Locale.txt", Extractor, Language);
    Config = new TConfig();
    LogWrite("Loading Config");
    if (FileExists(AppDir + "Config.cfg"))
        Config->Load(AppDir + "Config.cfg");

    const std::uint64_t counter = HighResolutionCounter();
    Randomize(counter ? counter : std::uint64_t(TickCount()));
    QuitRequested = false;
}

// Opens the window; false when it could not be created (the reason has been shown).
bool OpenWindow(const TCommandLine &cmd)
{
    const TPoint desktop{ScreenWidthMetric(), ScreenHeightMetric()};
    WindowSize = ResolutionSize(Config->Resolution, desktop.x, desktop.y);
    LogWrite("Creating Window");
    const std::string title = Translate("Zephrona: Sky Rampart", 1);
    if (!CreateGLWindow(WindowSize.x, WindowSize.y, Config->FullScreen && !cmd.Windowed, title, Config->ColorBits))
        return false;
    LogWrite("Window created.");
    FocusWindow();
    ForegroundWindow();
    ShowMouseCursor(false);

    const TPoint position = WindowPosition(LeftTop, desktop, WindowSize);
    ScreenCenter.x += position.x;
    ScreenCenter.y += position.y;
    const TPoint client = ClientRect();
    Viewport[0] = 0;
    Viewport[1] = 0;
    Viewport[2] = client.x;
    Viewport[3] = client.y;
    if (!WindowFullScreen)
        MoveWindowTo(position.x, position.y, WindowSize.x, WindowSize.y);
    return true;
}

void InitGraphics()
{
    // The asset libraries draw through the GL device from here on.
    InstallGLAssets();
    LogWrite("Init GL Ext");
    InitGLExtensions();
    LogWrite("Init IL");
    ilInit();
    MouseReference = ScreenCenter;

    InitRenderState();

    LogWrite("Loading TexLib");
    TextureLib = new TTextureLib();
    LogWrite("Loading MdlLib");
    ModelLib = new TModelLib();
    LogWrite("Loading Out2D");
    Out2D = new TOut2D();

    LogWrite("Loading IMage");
    DrawSplash(LoadSplashLogo(AppDir + "Data\\Menu\\" + Translate("Logo.png", 0)));
    SwapBuffersNow();
}

void StartGameServices(const TCommandLine &cmd, const TReplay *replay)
{
    SoundLib = new TSoundLib();
    // The crosshair: every weapon aims at the world point under the middle of the screen.
    Crosshair = new TCrosshair();
    LogWrite("Loading Controls");
    Keys = new TKeys(AppDir + "keys.cfg");
    // The key state reads the frame's input, which the frame loop fills from the devices or the
    // recording; a replay plays with the bindings and settings it was recorded with.
    Keys->Poll = Keys->PadPoll = [](int code) { return FrameInput.KeyDown(code); };
    if (replay) {
        Keys->UseBindings(replay->Start.Bindings);
        Config->Difficulty = replay->Start.Difficulty;
    }
    LogWrite("Create effects control");
    LogWrite("Create effects control");
    Sprites = new TSprites();
    LogWrite("Create billboards control");
    Billboards = new TBillboards();
    LogWrite("Create noise control");
    Noise = new TNoise();
    WaterSeam = new TWaterDisturbance();
    LogWrite("Loading Environment");
    // The shared effects, textures and sounds, the shaders, the player aircraft, the cameras, the
    // world map, the sea, the sky and the screen effects: everything a mission is drawn with.
    Environment = new TEnvironment();
    Environment->Profile.Measure = cmd.Profile;
    LogWrite("Loading Misc");
    Misc = new TMisc();
    LogWrite("Loading HUD");
    HUD = new THUD();
    HudSeam = HUD;
    HUD->Fade = &Environment->World.World.Fade;
    LogWrite(Cp1251FromUtf8("Загружаются меню"));
    Menu = new TMenu();
    // Escape in flight asks whether to leave for the main menu; the mission waits meanwhile.
    Environment->OnEscape = [] { Menu->ShowPage(PagePause); };
    InstallNetworkMenu(cmd);
    if (cmd.Page >= 0)
        Menu->ShowPage(cmd.Page);
    FinishRenderStartup();
    LastTick = TickCount();
    LogWrite(Cp1251FromUtf8("Запуск игры"));
}

// The game path of a mission named on the command line: an absolute path as it is, otherwise a
// path in the game folder (a loose file beside the game or an archive entry), either slash.
std::string MissionFile(const std::string &map)
{
    if (!map.empty() && map[0] == '/')
        return map;
    std::string path = map;
    std::replace(path.begin(), path.end(), '/', '\\');
    return AppDir + path;
}

// Loads the mission of "-map" at once and starts flying it; false (the reason on standard error)
// when it cannot be loaded.
bool StartMapMission(const std::string &map)
{
    Environment->World.Progress = [] { Menu->LoadingStep(1, true); };
    try {
        Environment->StartMission(MissionFile(map));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "Cannot start the mission \"%s\": %s\n", map.c_str(), Utf8FromCp1251(e.what()).c_str());
        return false;
    }
    MenuActive = false;
    GameKind = 2;
    return true;
}

// The window title of "-needcursorposition": the aim point, each coordinate rounded to a whole
// number, joined by single blanks.
std::string AimPointTitle(const TVector4 &aim)
{
    const auto whole = [](float v) { return std::isfinite(v) ? std::llround(std::clamp(v, -1e15f, 1e15f)) : 0LL; };
    char text[96];
    std::snprintf(text, sizeof text, "%lld %lld %lld", whole(aim.x), whole(aim.y), whole(aim.z));
    return text;
}

// The HUD over the mission frame, timed with the scene's steps when profiling.
void RunHud(int dt)
{
    if (!Environment->Profile.Measure) {
        HudFrame(dt);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    HudFrame(dt);
    glFinish();
    Environment->Profile.Hud += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The frame counter of "-fps": frames a second over the last second, from the time each frame took
// to update and draw (a fixed step's waiting left out, so it tells what the machine can draw).
class TFpsCounter {
public:
    void Add(std::chrono::steady_clock::time_point end, double workMs)
    {
        Frames.push_back({end, workMs});
        while (!Frames.empty() && end - Frames.front().End > std::chrono::seconds(1))
            Frames.pop_front();
        ++Total;
        TotalWork += workMs;
    }
    double Fps() const
    {
        double work = 0;
        for (const TFrame &f : Frames)
            work += f.Work;
        return work > 0 ? double(Frames.size()) * 1000.0 / work : 0;
    }
    double AverageFps() const { return TotalWork > 0 ? Total * 1000.0 / TotalWork : 0; }

private:
    struct TFrame {
        std::chrono::steady_clock::time_point End;
        double Work;
    };
    std::deque<TFrame> Frames;
    long   Total = 0;
    double TotalWork = 0;
};

void DrawFps(double fps)
{
    static const unsigned font = Out2D->CreateFont("Arial Black", 10, false);
    Begin2D();
    glDisable(GL_FOG);
    glColor4f(1, 1, 0.3f, 1);
    char text[32];
    std::snprintf(text, sizeof text, "FPS %.0f", fps);
    Out2D->DrawText(text, font, -0.98f, 0.94f);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_DEPTH_TEST);
}

// The frame loop. Each frame's input comes from the devices, or from the recording being replayed
// (its frame times too); when recording, it is written as it is read.
// The screenshots of "-shots", taken in the order of their frames as the run reaches them.
class TShotTaker {
public:
    explicit TShotTaker(const TCommandLine &cmd) : Shots(cmd.Shots), Mission(!cmd.Map.empty() || !cmd.Connect.empty())
    {
        std::stable_sort(Shots.begin(), Shots.end(), [](const TShot &a, const TShot &b) { return a.Frame < b.Frame; });
    }

    // Writes every shot due once FramesRun frames have run: the frame shown last, and the mission's
    // line as it stands.
    void Take(int framesRun)
    {
        for (; Next < Shots.size() && Shots[Next].Frame <= framesRun; ++Next) {
            const TShot &shot = Shots[Next];
            if (!WriteShownFrame(shot.File)) {
                std::fprintf(stderr, "Cannot write the screenshot \"%s\"\n", shot.File.c_str());
                Failed = true;
            }
            if (Mission) {
                std::printf("shot %d: %s\n", shot.Frame, Environment->World.World.Summary().c_str());
                std::fflush(stdout);
            }
        }
    }

    // After the run: false (with the reason on standard error) when a shot was not written, or
    // the run ended before a shot's frame.
    bool Finish(int framesRun)
    {
        for (; Next < Shots.size(); ++Next) {
            std::fprintf(stderr, "The run ended after %d frames, before the shot of frame %d (\"%s\")\n", framesRun,
                         Shots[Next].Frame, Shots[Next].File.c_str());
            Failed = true;
        }
        return !Failed;
    }

private:
    std::vector<TShot> Shots;
    bool Mission;
    std::size_t Next = 0;
    bool Failed = false;
};

// The frame loop. Each frame's input comes from the devices, or from the recording being replayed
// (its frame times too); when recording, it is written as it is read. Returns how many frames ran.
int RunFrames(const TCommandLine &cmd, TReplay *replay, TRecordWriter *recorder, TFpsCounter &fps, TShotTaker &shots)
{
    int framesRun = 0;
    TMouseScale mouseScale;
    while (!QuitRequested) {
        shots.Take(framesRun);
        if (cmd.Frames >= 0 && framesRun >= cmd.Frames) {
            QuitRequested = true;   // as the Exit page does
            break;
        }

        PumpMessage();
        const bool fixedStep = FixedFps || NetworkGame;
        if (replay) {
            const TFrameInput *recorded = replay->Next();
            if (!recorded) {
                QuitRequested = true;   // the recorded run ended here
                break;
            }
            // Played at the pace it was recorded, for whoever watches.
            SleepMs(int(LastTick + recorded->Measured - TickCount()));
            LastTick = TickCount();
            FrameInput = *recorded;
        } else {
            const std::int64_t now = TickCount();
            const int measured = MeasuredFrameTime(now, LastTick);
            LastTick = now;
            SleepMs(FixedStepSleep(measured, fixedStep));
            FrameInput = SampleDevices(measured, float(Keys->PadDeadZone) / 100, float(Keys->PadSensitivity) / 100);
            if (MenuActive)
                mouseScale.Reset();
            else
                mouseScale.Apply(FrameInput, ScreenCenter, Keys->MouseSensitivity);
        }
        ++framesRun;
        Keys->Update();
        if (!replay)
            FrameInput.Step = GameFrameTime(FrameInput.Measured, fixedStep, Keys->IsDown(VkReturn));
        FrameTime = FrameInput.Step;
        if (recorder)
            recorder->Frame(FrameInput);
        if (NeedCursorPosition)
            SetTitle(AimPointTitle(Crosshair->Aim));

        if (!FrameInput.Focus && !NetworkGame) {
            if (!replay)
                SleepMs(500);
            continue;
        }
        CursorScreenPos = FrameInput.CursorScreen;
        CursorClientPos = FrameInput.CursorClient;
        const auto workStart = std::chrono::steady_clock::now();

        // A network game goes on behind the menu, and a client starts flying when its server has
        // placed its aircraft.
        NetworkFrame(FrameTime);
        if (MenuActive) {
            MusicFrame(true, Config->MusicVolume);
            Menu->Frame(FrameTime);
        } else {
            if (!replay)
                SetCursor(ScreenCenter.x, ScreenCenter.y);
            MusicFrame(false, Config->MusicVolume);
            // A mission frame: the environment's update moves the world and touches no GL, the
            // scene's draw changes no simulation state; the HUD draws over it.
            Environment->HandleKeys();
            Environment->Update(FrameTime, Environment->Command());
            Environment->DrawScene();
            RunHud(FrameTime);
        }
        if (ShowFps)
            DrawFps(fps.Fps());
        SwapBuffersNow();
        const auto workEnd = std::chrono::steady_clock::now();
        fps.Add(workEnd, std::chrono::duration<double, std::milli>(workEnd - workStart).count());
    }
    shots.Take(framesRun);
    return framesRun;
}

} // namespace

int RunGame(const TCommandLine &cmd)
{
    // A recording to play is read and checked whole before anything starts, and a recording to make
    // is created: a damaged file or an unwritable place ends the run before a window opens.
    std::unique_ptr<TReplay> replay;
    if (!cmd.Replay.empty())
        replay = std::make_unique<TReplay>(cmd.Replay);
    std::unique_ptr<TRecordWriter> recorder;
    if (!cmd.Record.empty())
        recorder = std::make_unique<TRecordWriter>(cmd.Record);
    // A replay starts where the recording started.
    TCommandLine run = cmd;
    if (replay) {
        run.Map = replay->Start.Map;
        run.Page = replay->Start.Page;
    }

    if (!run.NoWait)
        SleepMs(2000);   // lets an instance that restarted this one finish exiting
    StartServices(run);
    // The generator's state once seeded is where a recording says the run's randomness starts; a
    // replay puts the recorded one there instead, so every draw after it comes out as it did.
    const std::uint32_t startSeed = RandSeed;
    if (replay)
        RandSeed = replay->Start.Seed;
    if (!run.Screenshot.empty() || !run.Shots.empty())
        KeepShownFrames(true);
    if (!OpenWindow(run))
        return ExitNoWindow;
    InitGraphics();
    StartGameServices(run, replay.get());

    if (!run.Map.empty() && !StartMapMission(run.Map)) {
        KillGLWindow();
        return ExitFailure;
    }
    if (!run.Connect.empty()) {
        if (!JoinGame(run.Connect, run.Name)) {
            KillGLWindow();
            return ExitFailure;
        }
        Menu->ShowPage(PageWait);
    }
    if (recorder)
        recorder->Begin(TRecordingStart{startSeed, run.Page, run.Map, Keys->BindingsText(), Config->Difficulty});
    TFpsCounter fps;
    TShotTaker shots(run);
    const int framesRun = RunFrames(run, replay.get(), recorder.get(), fps, shots);
    if (!run.Map.empty() || !run.Connect.empty())
        std::printf("%s\n", Environment->World.World.Summary().c_str());
    if (NetGame)
        std::printf("%s\n", NetworkSummary().c_str());
    StopNetworkGame();
    if (ShowFps)
        std::printf("frames: fps=%.1f\n", fps.AverageFps());
    if (run.Profile)
        std::printf("profile: %s\n", Environment->Profile.Line().c_str());
    std::fflush(stdout);

    int status = shots.Finish(framesRun) ? ExitOk : ExitFailure;
    if (recorder && !recorder->Finish()) {
        std::fprintf(stderr, "Cannot write the recording \"%s\": writing failed after %u frames, and it cannot be played\n",
                     recorder->FileName.c_str(), unsigned(recorder->FrameCount));
        status = ExitFailure;
    }
    // A replay plays with the recorded bindings: the player's own stay as they are.
    if (!replay && !Keys->Save())
        std::fprintf(stderr, "Cannot save the key bindings to \"%skeys.cfg\"\n", AppDir.c_str());
    if (!Config->Save(AppDir + "Config.cfg")) {
        std::fprintf(stderr, "Cannot save the settings to \"%sConfig.cfg\"\n", AppDir.c_str());
        status = ExitFailure;
    }
    KillGLWindow();
    if (!run.Screenshot.empty() && !WriteShownFrame(run.Screenshot)) {
        std::fprintf(stderr, "Cannot write the screenshot \"%s\"\n", run.Screenshot.c_str());
        status = ExitFailure;
    }
    ShellOpen("play.url");
    // A replay that reaches the restart question shows it being answered, but starts no game.
    if (RestartRequested && !replay)
        ShellRun(ExecutablePath(), RestartArguments(LogEnabled, ShowFps, FixedFps, FastLoad, Language, LeftTop,
                                                    NeedCursorPosition));
    return status;
}
