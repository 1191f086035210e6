// The scene environment on a real GL context with the game's own data: what it builds, which screen
// effects a frame uses, and what one mission frame's update does (the world, the player, Escape and
// the camera key).

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
#include "sim/Tracers.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

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
    for (int i = 0; i < 79; ++i)
        Environment->Update(25);
    // The eye is where the aircraft was when the frame began.
    const TVector4 before = gamer->Position;
    Environment->Update(25);
    EXPECT_EQ(GameClock - clock, 80 * 25);
    EXPECT_EQ(Environment->LastDelta, 25);
    EXPECT_FLOAT_EQ(EyePosition.x, before.x);
    EXPECT_FLOAT_EQ(EyePosition.y, before.y);
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
    Environment->Update(25);
    EXPECT_TRUE(MenuActive);
    EXPECT_EQ(escapes, 1);
    EXPECT_FALSE(Keys->IsDown(27)) << "the key was consumed";
    Environment->Update(25);
    EXPECT_EQ(escapes, 1);
    Environment->OnEscape = nullptr;

    Config->CameraMode = 0;
    const int key = Keys->Bindings[KP_CHANGECAMERA][0];
    ASSERT_GE(key, 0);
    Press(key);
    Environment->Update(25);
    EXPECT_EQ(Config->CameraMode, 1);
    Environment->Update(25);
    EXPECT_EQ(Config->CameraMode, 1) << "one press, one toggle";
    Press(key);
    Environment->Update(25);
    EXPECT_EQ(Config->CameraMode, 0);
    MenuActive = false;
}
