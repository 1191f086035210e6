// The scene environment on a real GL context with the game's own data: what it builds, which screen
// effects a frame uses, what one mission frame's update does (the world and the player flown by the
// pilot's command), Escape and the camera key before it, and that drawing a frame changes nothing
// it draws from.

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Keys.h"
#include "render/Environment.h"
#include "render/GLExt.h"
#include "render/Lights.h"
#include "render/Shaders.h"
#include "render/Water.h"
#include "sim/Player.h"
#include "sim/Seams.h"
#include "sim/Sight.h"
#include "sim/Tracers.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// One environment for the whole test program, as the game has one for its run.
class EnvironmentFixture : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!OpenRenderWindow())
            return;
        static TConfig config;
        Config = &config;
        if (!Sprites)
            Sprites = new TSprites();
        if (!Billboards)
            Billboards = new TBillboards();
        if (!Noise)
            Noise = new TNoise();
        static TTempDir keysDir("environment-keys");
        static TKeys keys((keysDir.Path / "keys.cfg").string());
        keys.Poll = [](int code) { return Pressed.count(code) > 0; };
        keys.PadPoll = [](int) { return false; };
        Keys = &keys;
        static TTempDir missionDir("environment-mission");
        MissionFile = (missionDir.Path / "Flight.ses").string();
        WriteText(MissionFile, "int once 0\n{\nif once = $0 then\n"
                               "CreateObject OBJECT_AIRCRAFTCARRIER AI_GROUP0 AI_SIDE_FRIEND $5000 $1000,0 $2000,0 "
                               "$0,0 $0,0 $0,0 Base\nCreatePlayer\nonce = $1\nendif\n}\n");
        Environment = new TEnvironment();
    }

    void SetUp() override
    {
        if (!Environment)
            GTEST_SKIP() << "needs an X display";
        Pressed.clear();
        Keys->Update();
    }

    // One press: the key is seen up, then down, as two polls of the frame loop see it.
    static void Press(int code)
    {
        Keys->Update();
        Pressed.insert(code);
        Keys->Update();
        Pressed.erase(code);
    }

    static inline std::set<int> Pressed;
    static inline std::string   MissionFile;
};

} // namespace

TEST(EnvironmentEffects, HazeAndBloomNeedFrameBuffersShadersAndTheirOptions)
{
    TConfig config;
    TConfig *saved = Config;
    Config = &config;
    const bool fbo = FBOAvailable, shaders = ShadersAvailable;
    const struct {
        bool Fbo, Shaders, ShadersOption, Haze, Bloom, WantHaze, WantBloom;
    } cases[] = {
        {true, true, true, true, true, true, true},      {true, true, true, true, false, true, false},
        {true, true, true, false, true, false, true},    {false, true, true, true, true, false, false},
        {true, false, true, true, true, false, false},   {true, true, false, true, true, false, false},
    };
    for (const auto &c : cases) {
        FBOAvailable = c.Fbo;
        ShadersAvailable = c.Shaders;
        config.Shaders = c.ShadersOption;
        config.Haze = c.Haze;
        config.Bloom = c.Bloom;
        EXPECT_EQ(TEnvironment::HazeActive(), c.WantHaze);
        EXPECT_EQ(TEnvironment::BloomActive(), c.WantBloom);
    }
    FBOAvailable = fbo;
    ShadersAvailable = shaders;
    Config = saved;
}

TEST_F(EnvironmentFixture, BuildsTheSceneAndInstallsItsParts)
{
    EXPECT_NE(Lights, nullptr);
    EXPECT_TRUE(Lights->SunEnabled);
    EXPECT_NE(PlayerGamer(), nullptr);
    EXPECT_NE(DynamicCamera, nullptr);
    EXPECT_NE(CameraShaking, nullptr);
    EXPECT_NE(Environment->Water, nullptr);
    EXPECT_NE(Environment->World.Sky, nullptr);
    EXPECT_NE(ShaderSeam, nullptr);
    EXPECT_NE(BillboardsDrawer, nullptr);
    EXPECT_GT(Noise->Texture, 0) << "the splash decals' texture";
    // The simulation's program numbers reach the scene's programs.
    if (ShadersAvailable) {
        EXPECT_TRUE(ShaderSeam->Use(ObjectsShaderProgram));
        EXPECT_EQ(CurrentProgram, Environment->ObjectsShader.get());
        ShaderSeam->Stop();
        EXPECT_EQ(CurrentProgram, nullptr);
    }
    EXPECT_FALSE(ShaderSeam->Use(99));
}

TEST_F(EnvironmentFixture, AMissionFrameMovesTheWorldAndThePlayer)
{
    Environment->StartMission(MissionFile);
    ASSERT_NE(Environment->World.Objects(), nullptr);
    EXPECT_EQ(DynamicCamera->Objects, Environment->World.Objects());
    TGamer *gamer = PlayerGamer();
    ASSERT_NE(gamer, nullptr);
    const std::int64_t clock = GameClock;
    MenuActive = false;
    for (int i = 0; i < 80; ++i)
        Environment->Update(25, TPlayerCommand());
    EXPECT_EQ(GameClock - clock, 80 * 25);
    EXPECT_EQ(Environment->LastDelta, 25);
    // The frame's view is published for what reads it: on deck, the carrier's camera watching.
    const TView &view = Environment->World.World.MainView;
    ASSERT_TRUE(view.Valid);
    EXPECT_FLOAT_EQ(EyePosition.x, gamer->Camera.Position.x);
    EXPECT_FLOAT_EQ(EyePosition.y, gamer->Camera.Position.y);
    EXPECT_FLOAT_EQ(view.Eye.z, gamer->Camera.Position.z);
    EXPECT_FLOAT_EQ(gamer->Camera.Position.x, gamer->Carrier.Camera.x);
    // The script put the aircraft on the carrier's deck, far from where a reset leaves it.
    EXPECT_GT(VectorDistance(gamer->Position, VectorSet3(100, 100, 100)), 500);
    EXPECT_FALSE(MenuActive);
    // A frame of it draws without leaving an error behind.
    Environment->DrawScene();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(EnvironmentFixture, EscapeHandsTheFrameToTheMenuAndTheCameraKeyToggles)
{
    Environment->StartMission(MissionFile);
    MenuActive = false;
    int escapes = 0;
    Environment->OnEscape = [&escapes] { ++escapes; };
    Press(27);
    Environment->HandleKeys();
    EXPECT_TRUE(MenuActive);
    EXPECT_EQ(escapes, 1);
    EXPECT_FALSE(Keys->IsDown(27)) << "the key was consumed";
    Environment->HandleKeys();
    EXPECT_EQ(escapes, 1);
    Environment->OnEscape = nullptr;

    Config->CameraMode = 0;
    const int key = Keys->Bindings[KP_CHANGECAMERA][0];
    ASSERT_GE(key, 0);
    Press(key);
    Environment->HandleKeys();
    EXPECT_EQ(Config->CameraMode, 1);
    Environment->HandleKeys();
    EXPECT_EQ(Config->CameraMode, 1) << "one press, one toggle";
    Press(key);
    Environment->HandleKeys();
    EXPECT_EQ(Config->CameraMode, 0);
    MenuActive = false;
}

TEST_F(EnvironmentFixture, DrawingAFrameTwiceGivesTheSamePictureWithTheSightPointUnderItsMiddle)
{
    Environment->StartMission(MissionFile);
    MenuActive = false;
    Config->CameraView = true;
    // The take-off, a climb, then the nose down towards the sea.
    for (int i = 0; i < 100; ++i)
        Environment->Update(25, TPlayerCommand());
    TPlayerCommand steer;
    const struct {
        float SteerY;
        int   Frames;
    } legs[] = {{-20, 20}, {0, 40}, {20, 50}};
    for (const auto &leg : legs) {
        steer.SteerY = leg.SteerY;
        for (int i = 0; i < leg.Frames; ++i)
            Environment->Update(25, steer);
    }
    const TGamer &gamer = *PlayerGamer();
    ASSERT_EQ(gamer.TakeOffClock, 0);
    ASSERT_GT(gamer.Health, 0);
    const TView view = Environment->World.World.MainView;
    const TVector4 position = gamer.Position;
    const std::int64_t clock = GameClock;

    const struct {
        bool Effects;
    } cases[] = {{false}, {true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Effects ? "with the heat haze and the bloom" : "without screen effects");
        Config->Haze = Config->Bloom = c.Effects;
        Environment->DrawScene();
        const TScreen first = ReadScreen();
        float depth[4] = {};   // the four pixels around the middle of the picture
        glReadPixels(399, 299, 2, 2, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
        Environment->DrawScene();
        const TScreen second = ReadScreen();
        int differ = 0;
        for (std::size_t i = 0; i < first.rgb.size(); i += 3)
            differ += std::equal(&first.rgb[i], &first.rgb[i] + 3, &second.rgb[i]) ? 0 : 1;
        EXPECT_EQ(differ, 0) << "pixels that changed between the two draws";
        EXPECT_EQ(GameClock, clock);
        EXPECT_FLOAT_EQ(gamer.Position.y, position.y);
        EXPECT_EQ(std::memcmp(Environment->World.World.MainView.ModelView.m, view.ModelView.m, sizeof view.ModelView.m), 0);
        if (c.Effects)
            continue;
        // The depth drawn under the middle of the picture is as far along the middle's ray as the
        // sight point of the view drawn (the near and far planes are 1 and 20000; along the
        // middle's ray the depth is the distance, which the four pixels around it straddle).
        TVector3 eye, direction;
        ASSERT_TRUE(CentreRay(view, eye, direction));
        const float sight = VectorDistance(SightPoint(Environment->World.Objects(), view, &gamer), eye);
        ASSERT_LT(sight, 5000) << "the middle of the picture shows the sea";
        double drawn = 0;
        for (const float d : depth) {
            const double n = 1, f = 20000, ndc = 2.0 * d - 1;
            drawn += 2 * f * n / ((f + n) - ndc * (f - n)) / 4;
        }
        EXPECT_NEAR(drawn, sight, 2.0);
    }
    Config->Haze = Config->Bloom = false;
}
