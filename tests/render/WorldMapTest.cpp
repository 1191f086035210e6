// The world map with the built game's data: loading a mission (the loading screen's steps, the
// tracers of the last mission gone, a reload replacing the mission, a script that does not compile),
// its frame update, and the sun switched on around the objects it draws.

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "render/Lights.h"
#include "render/WorldMap.h"
#include "script/Script.h"
#include "sim/DataExchange.h"
#include "sim/GameObjects.h"
#include "sim/Tracers.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LightsControl, ApplySwitchesTheSunOnOnceAndDisableSwitchesEverythingOff)
{
    if (!OpenTestWindow())
        GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    TLightsControl lights;

    // Without a sun only lighting itself goes on.
    lights.Apply();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(lights.Used, 0);

    lights.SetSun(DefaultSun());
    EXPECT_TRUE(lights.SunEnabled);
    lights.Apply();
    lights.Apply();   // the second apply switches the first one's light off before using it again
    EXPECT_EQ(lights.Used, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    float ambient[4], diffuse[4], position[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(ambient[0], 0.7f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(position[0], -65000);
    EXPECT_FLOAT_EQ(position[2], 120000);
    EXPECT_FLOAT_EQ(position[3], 0) << "the sun is a direction";

    lights.Disable();
    EXPECT_EQ(lights.Used, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
}

// Remembers whether lighting was on while it was drawn.
class TLitProbe : public TGameObject {
public:
    void Update(int) override {}
    void Draw() override
    {
        ++Draws;
        LitWhenDrawn = glIsEnabled(GL_LIGHTING);
    }
    static inline int  Draws = 0;
    static inline bool LitWhenDrawn = false;
};

class WorldMap : public testing::Test {
protected:
    WorldMap() : Dir("worldmap-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name())) {}

    void SetUp() override
    {
        if (!OpenRenderWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        ResetRenderState();
        FastLoad = true;
        Billboards = &Pool;
        Map = std::make_unique<TWorldMap>();
        Map->Progress = [this] { ++Steps; };
    }
    void TearDown() override
    {
        Map.reset();
        Billboards = nullptr;
        Lights = nullptr;
        FastLoad = false;
        GameClock = 0;
    }

    std::string Mission(const std::string &name, const std::string &source) const
    {
        WriteText(Dir.Path / name, source);
        return (Dir.Path / name).string();
    }
    int Variable(const std::string &name) const
    {
        const TScriptVariable *v = Map->Exchange()->Mission.Script->FindVariable(name);
        return v ? TScript::IntAt(v->Storage) : -1;
    }

    TTempDir                   Dir;
    TBillboards                Pool;
    std::unique_ptr<TWorldMap> Map;
    int                        Steps = 0;
};

TEST_F(WorldMap, LoadingAMissionStepsTheLoadingScreenSixTimesAndDropsTheLastMissionsTracers)
{
    const float white[4] = {1, 1, 1, 1};
    Pool.Add(VectorSet3(0, 0, 0), VectorSet3(0, 100, 0), white, false, false, -1, 1, 1000);
    Map->World.Timer.Enabled = true;
    // The first load preloads the model catalogue (into a library of its own: an earlier test may
    // have loaded it into the shared one).
    FastLoad = false;
    TModelLib models;
    TModelLib *const shared = ModelLib;
    ModelLib = &models;

    Map->LoadMap(Mission("First.ses", "int first 1\n{\nfirst = $2\n}\n"));

    ModelLib = shared;
    EXPECT_TRUE(Map->Loaded);
    EXPECT_EQ(Steps, 6);
    EXPECT_EQ(Pool.Count(), 0);
    EXPECT_FALSE(Map->World.Timer.Enabled);
    EXPECT_GT(models.Count, 2) << "the catalogue was loaded besides the sky";
    ASSERT_NE(Map->Exchange(), nullptr);
    ASSERT_NE(Map->Objects(), nullptr);
    ASSERT_NE(Map->Sky, nullptr);
    EXPECT_NE(Map->Sky->Dome, nullptr);
    EXPECT_EQ(Variable("first"), 1);

    // A frame runs the script and moves the clouds on.
    Map->Update(1000);
    EXPECT_EQ(Variable("first"), 2);
    EXPECT_NEAR(Map->Sky->Shift, 0.01f, 1e-6f);
    EXPECT_EQ(GameClock, 1000);
}

TEST_F(WorldMap, ReloadingReplacesTheMissionAndTheSky)
{
    Map->LoadMap(Mission("First.ses", "int first 1\n{\n}\n"));
    Map->Update(5000);
    Steps = 0;

    Map->LoadMap(Mission("Second.ses", "int second 7\n{\n}\n"));

    EXPECT_TRUE(Map->Loaded);
    EXPECT_EQ(Steps, 6);
    EXPECT_EQ(Variable("first"), -1);
    EXPECT_EQ(Variable("second"), 7);
    EXPECT_EQ(Map->Sky->Shift, 0.0f) << "a fresh sky";
}

TEST_F(WorldMap, AScriptThatDoesNotCompileThrowsAndLeavesNoMapLoaded)
{
    Map->LoadMap(Mission("Good.ses", "int x 0\n{\n}\n"));
    Steps = 0;

    EXPECT_THROW(Map->LoadMap(Mission("Bad.ses", "int x 0\n{\nx = $1,5\n}\n")), TScriptError);

    EXPECT_FALSE(Map->Loaded);
    EXPECT_EQ(Map->Exchange(), nullptr);
    EXPECT_EQ(Map->Objects(), nullptr);
    EXPECT_EQ(Steps, 1) << "only the step before the script";
    Map->Update(25);   // the frame still runs without a mission
    Map->Draw();
}

TEST_F(WorldMap, TheObjectsAreDrawnLitAndTheLightsGoOffAfterwards)
{
    TLightsControl lights;
    lights.SetSun(DefaultSun());
    Lights = &lights;
    Map->LoadMap(Mission("Lit.ses", "int x 0\n{\n}\n"));
    Map->Objects()->Add(new TLitProbe);
    TLitProbe::Draws = 0;

    Map->Draw();

    EXPECT_EQ(TLitProbe::Draws, 1);
    EXPECT_TRUE(TLitProbe::LitWhenDrawn);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(lights.Used, 0);
}

// An aircraft that counts its draws.
class TAircraftProbe : public TLitProbe {
public:
    TTargetClass TargetClass() override { return TTargetClass::Aircraft; }
    void Draw() override { ++OwnDraws; }
    int OwnDraws = 0;
};

TEST_F(WorldMap, WhatLiesWhollyOutsideTheViewIsNotDrawn)
{
    Map->LoadMap(Mission("View.ses", "int x 0\n{\n}\n"));
    TModel *model = ModelLib->Load(AppDir + "Data\\Models\\Crafts\\Su25\\Main.otm");
    ASSERT_NE(model, nullptr);
    const float r = model->Radius;
    ASSERT_GT(r, 1);
    // The default GL view: the eye at the origin looking down -z, 90 degrees across.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 20000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const struct {
        const char *What;
        float X, Z;
        bool Dead, Drawn;
    } cases[] = {
        {"ahead", 0, -500, false, true},
        {"behind", 0, 500, false, false},
        {"far to the side", 5000, -500, false, false},
        {"its edge just inside the view", 500 + 0.9f * r, -500, false, true},
        {"beyond the far plane", 0, -20000 - 2 * r, false, false},
        {"a wreck behind (its fall may carry it anywhere)", 0, 500, true, true},
    };
    std::vector<TAircraftProbe *> probes;
    for (const auto &c : cases) {
        auto *probe = new TAircraftProbe;
        probe->Model = model;
        probe->Position = VectorSet4(c.X, 0, c.Z, 0);
        probe->Health = c.Dead ? 0 : 100;
        Map->Objects()->Add(probe);
        probes.push_back(probe);
    }
    Map->Draw();
    for (std::size_t i = 0; i < probes.size(); ++i)
        EXPECT_EQ(probes[i]->OwnDraws, cases[i].Drawn ? 1 : 0) << cases[i].What;
    EXPECT_EQ(ObjectInView, nullptr) << "only the world map's own pass is culled";
}

} // namespace
