// The sky on a real GL context with the built game's data: the cloud drift and its wrap, and what a
// camera at sea level looking at the horizon sees of the dome and the horizon band.

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "render/GLExt.h"
#include "render/GLState.h"
#include "render/Shaders.h"
#include "render/Sky.h"
#include "render/WorldMap.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

TEST(SkyShift, AddsTheStepAndWrapsPastOne)
{
    const struct {
        float Shift, Step, Expected;
    } cases[] = {
        {0.0f, 0.25f, 0.25f},
        {1.0f, 0.001f, 0.001f},    // 1.0 + e becomes e
        {0.995f, 0.01f, 0.005f},
        {1.0f, 0.0f, 1.0f},        // exactly 1 is not above 1
        {0.5f, 2.25f, 0.75f},      // a very long pause still lands inside 0..1
    };
    for (const auto &c : cases)
        EXPECT_NEAR(TSky::WrapShift(c.Shift, c.Step), c.Expected, 1e-5f) << c.Shift << " + " << c.Step;
}

class SkyDraw : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenRenderWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        CloudsShader = nullptr;
        ResetRenderState();
    }
    void TearDown() override { glDisable(GL_FOG); }

    // A camera at sea level at the origin looking north (+y) with z up, 60 degrees high, as the game's.
    static void LookNorth()
    {
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        const double top = std::tan(30.0 * M_PI / 180.0);
        glFrustum(-top * 800.0 / 600.0, top * 800.0 / 600.0, -top, top, 1.0, 20000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(-90, 1, 0, 0);
        EyePosition = VectorSet4(0, 0, 0, 0);
    }
};

TEST_F(SkyDraw, TheCloudsDriftAHundredthOfTheirWidthPerSecondAndTheHudSeesIt)
{
    TSky sky(AppDir + TWorldMap::SkyFolder);
    EXPECT_NE(sky.Dome, nullptr);
    EXPECT_NE(sky.Clouds, nullptr);
    sky.Update(1000);
    EXPECT_NEAR(sky.Shift, 0.01f, 1e-6f);
    EXPECT_FLOAT_EQ(SkyShift, sky.Shift);
    sky.Shift = 0.995f;
    sky.Update(1000);
    EXPECT_NEAR(sky.Shift, 0.005f, 1e-5f);
    EXPECT_FLOAT_EQ(SkyShift, sky.Shift);
}

TEST_F(SkyDraw, TheDomeShowsAboveAndTheFogColouredBandSitsOnTheHorizon)
{
    TSky sky(AppDir + TWorldMap::SkyFolder);
    LookNorth();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    // A red fog that ends close by: the sky must not be fogged, and the fog must be on again after.
    const float red[4] = {1, 0, 0, 1};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, red);
    glFogf(GL_FOG_START, 10);
    glFogf(GL_FOG_END, 100);
    glEnable(GL_FOG);
    glDisable(GL_TEXTURE_2D);

    sky.Draw(VectorSet3(0, 0, 0));

    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "the colour is white again";

    const TScreen s = ReadScreen();
    // High up, 20 to 28 degrees above the horizon: the dome's blue (or a cloud's white or grey over it).
    for (int y : {10, 40, 80})
        for (int x : {100, 400, 700}) {
            const std::uint8_t *p = s.at(x, y);
            EXPECT_GE(p[2], p[0]) << x << "," << y << " is bluer than red: no fog on the dome";
            EXPECT_GT(p[2], 120) << x << "," << y;
            EXPECT_FALSE(std::abs(p[0] - 32) <= 3 && std::abs(p[1] - 102) <= 3 && std::abs(p[2] - 153) <= 3)
                << x << "," << y << " is sky, not the horizon colour";
        }
    // From the horizon up to 3 degrees (the band reaches 3.3): exactly the fog colour, while the dome
    // behind already turns paler there.
    for (int y = 272; y <= 296; ++y)
        for (int x : {50, 250, 400, 550, 750}) {
            const std::uint8_t *p = s.at(x, y);
            EXPECT_NEAR(p[0], 32, 2) << x << "," << y;
            EXPECT_NEAR(p[1], 102, 2) << x << "," << y;
            EXPECT_NEAR(p[2], 153, 2) << x << "," << y;
        }
}

} // namespace
