// The sea, its ripple cycle and the splash decals: the bookkeeping without a window, the drawing on a
// real GL context with the built game's textures and programs.

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Png.h"
#include "core/View.h"
#include "render/GLExt.h"
#include "render/Water.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

// ---- The ripple cycle ---------------------------------------------------------------------------

TEST(WaterRipple, NoisePairsTakeTurnsEveryFourSeconds)
{
    const struct {
        std::int64_t Clock;
        int          First, Second;
        float        Scale;
    } cases[] = {
        {0, 1, 2, 0},           {2000, 1, 2, 0.5f},     {3999, 1, 2, 0.99975f}, {4000, 2, 3, 0},
        {8000, 3, 1, 0},        {11999, 3, 1, 0.99975f}, {12000, 1, 2, 0},      {12000 * 50 + 5000, 2, 3, 0.25f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Clock);
        const TWater::TRipple r = TWater::RippleAt(c.Clock);
        EXPECT_EQ(r.First, c.First);
        EXPECT_EQ(r.Second, c.Second);
        EXPECT_FLOAT_EQ(r.Scale, c.Scale);
    }
}

// ---- Decal bookkeeping --------------------------------------------------------------------------

const float White[4] = {1, 1, 1, 1};

TEST(WaterNoise, DecalGrowsWhileItFades)
{
    TNoise noise;
    TWaterNoiseBlock *block = nullptr;
    noise.Add(VectorSet3(10, 20, 35), 1000, block, White, 10);
    const TWaterNoise &d = block->Items.at(0);
    EXPECT_EQ(d.Position.z, 0) << "decals lie on the sea";
    EXPECT_EQ(d.Fade, 1);
    EXPECT_EQ(TNoise::HalfSize(d), 0) << "a new splash starts as a point";

    noise.Update(500);
    ASSERT_EQ(block->Items.size(), 1u);
    EXPECT_FLOAT_EQ(block->Items[0].Fade, 0.5f);
    EXPECT_FLOAT_EQ(TNoise::HalfSize(block->Items[0]), 5);
}

TEST(WaterNoise, DecalsAreDroppedWithLessThanOneMillisecondLeft)
{
    TNoise noise;
    TWaterNoiseBlock *block = nullptr;
    for (int life : {100, 500, 300, 999})
        noise.Add(VectorSet3(float(life), 0, 0), life, block, White, 1);
    noise.Update(300);
    // 100 and 300 are gone; the survivors keep their own ages whatever order the swap left.
    ASSERT_EQ(block->Items.size(), 2u);
    std::array<int, 2> remaining{block->Items[0].Remaining, block->Items[1].Remaining};
    std::sort(remaining.begin(), remaining.end());
    EXPECT_EQ(remaining, (std::array<int, 2>{200, 699}));

    noise.Update(199);
    EXPECT_EQ(block->Items.size(), 2u) << "1 ms left is still alive";
    noise.Update(1);
    ASSERT_EQ(block->Items.size(), 1u);
    EXPECT_EQ(block->Items[0].Life, 999);

    // A decal without a life is gone at the next update instead of fading by 0/0.
    noise.Add(VectorSet3(0, 0, 0), 0, block, White, 1);
    noise.Update(1);
    ASSERT_EQ(block->Items.size(), 1u);
    EXPECT_EQ(block->Items[0].Life, 999);
}

TEST(WaterNoise, CallersKeepTheirOwnBlocksUntilClear)
{
    TNoise noise, other;
    TWaterNoiseBlock *a = nullptr, *b = nullptr, *stranger = nullptr;
    noise.Add(VectorSet3(0, 0, 0), 100, a, White, 1);
    noise.Add(VectorSet3(0, 0, 0), 100, a, White, 1);
    noise.Add(VectorSet3(0, 0, 0), 100, b, White, 1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->Items.size(), 2u);
    EXPECT_EQ(b->Items.size(), 1u);
    EXPECT_EQ(noise.Blocks.size(), 2u);

    // A block of another control is not one of ours: a new block takes the decal.
    other.Add(VectorSet3(0, 0, 0), 100, stranger, White, 1);
    TWaterNoiseBlock *const before = stranger;
    noise.Add(VectorSet3(0, 0, 0), 100, stranger, White, 1);
    EXPECT_NE(stranger, before);
    EXPECT_EQ(before->Items.size(), 1u);
    EXPECT_EQ(noise.Blocks.size(), 3u);

    noise.Clear();
    EXPECT_TRUE(noise.Blocks.empty());
    // After a new mission the old reference is a stranger too.
    noise.Add(VectorSet3(0, 0, 0), 100, a, White, 1);
    ASSERT_EQ(noise.Blocks.size(), 1u);
    EXPECT_EQ(noise.Blocks[0].get(), a);
    EXPECT_EQ(a->Items.size(), 1u);
}

TEST(WaterNoise, DisturbancesLeaveFoamInTheirOwnBlock)
{
    TWaterDisturbance sea;
    Noise = nullptr;
    sea.Disturb(VectorSet3(1, 2, 3), 2000, 50);   // nothing to draw on: nothing happens

    TNoise noise;
    Noise = &noise;
    sea.Disturb(VectorSet3(1, 2, 3), 2000, 50);
    sea.Disturb(VectorSet3(4, 5, 6), 1000, 200);
    ASSERT_EQ(noise.Blocks.size(), 1u);
    const auto &items = noise.Blocks[0]->Items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Life, 2000);
    EXPECT_EQ(items[0].Size, 50);
    EXPECT_EQ(items[0].Position.x, 1);
    EXPECT_EQ(items[0].Position.z, 0);
    EXPECT_EQ(items[1].Life, 1000);
    EXPECT_EQ(items[1].Size, 200);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(items[0].Color[i], TWaterDisturbance::FoamColor[i]);

    noise.Clear();
    sea.Disturb(VectorSet3(0, 0, 0), 1000, 20);
    ASSERT_EQ(noise.Blocks.size(), 1u);
    EXPECT_EQ(noise.Blocks[0]->Items.size(), 1u);
    Noise = nullptr;
}

// ---- Drawing ------------------------------------------------------------------------------------

class WaterDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenRenderWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        GameClock = 0;
        glViewport(0, 0, 800, 600);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_FOG);
        glDisable(GL_LIGHTING);
        // Whatever the suites before left behind: no program, plain texturing, no clipping.
        UseNone();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_CLIP_PLANE0);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glAlphaFunc(GL_GREATER, 0.0f);
    }

    void TearDown() override { glMatrixMode(GL_MODELVIEW); }

    // A camera 100 units above the origin looking straight down, the x axis to the right.
    static void LookDown()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.4, 0.4, -0.3, 0.3, 1, 20000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -100);
    }

    // One unit per pixel, the origin at the window's centre.
    static void PixelPlane()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-400, 400, -300, 300, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    static void FlatQuad(float z, float r, float g, float b)
    {
        glDisable(GL_TEXTURE_2D);
        glColor4f(r, g, b, 1);
        glBegin(GL_QUADS);
        glVertex3f(-50, -50, z);
        glVertex3f(50, -50, z);
        glVertex3f(50, 50, z);
        glVertex3f(-50, 50, z);
        glEnd();
    }

    static int Brightness(const TScreen &s, int x, int y) { return s.at(x, y)[0] + s.at(x, y)[1] + s.at(x, y)[2]; }
};

TEST_F(WaterDrawTest, SurfaceIsBlendedOverWhatLiesBelowWithoutDepth)
{
    TWater water(AppDir + "Data\\Shaders\\", AppDir + "Data\\Textures\\");
    ASSERT_GE(water.SurfaceTexture, 0);
    LookDown();
    water.Draw();
    TScreen s = ReadScreen();
    const std::uint8_t *p = s.at(400, 300);
    EXPECT_GT(p[2], 20) << "the sea shows where the quad is";
    EXPECT_GT(p[2], p[0]) << "and it is blue-green, not grey";
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);

    // The surface itself wrote no depth: something below the sea drawn afterwards still shows.
    FlatQuad(-10, 1, 0, 0);
    s = ReadScreen();
    EXPECT_EQ(s.at(400, 300)[0], 255);
}

TEST_F(WaterDrawTest, DepthPassHidesWhatLiesBelowTheSea)
{
    TWater water(AppDir + "Data\\Shaders\\", AppDir + "Data\\Textures\\");
    LookDown();
    water.DrawDepth();
    TScreen s = ReadScreen();
    EXPECT_EQ(Brightness(s, 400, 300), 0) << "the depth pass draws no colour";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);

    FlatQuad(-10, 1, 0, 0);   // below the sea: hidden
    s = ReadScreen();
    EXPECT_EQ(Brightness(s, 400, 300), 0);
    FlatQuad(10, 0, 1, 0);    // above it: seen
    s = ReadScreen();
    EXPECT_EQ(s.at(400, 300)[1], 255);
}

TEST_F(WaterDrawTest, RipplePassDrawsAndPutsTheTextureUnitsBack)
{
    TWater water(AppDir + "Data\\Shaders\\", AppDir + "Data\\Textures\\");
    ASSERT_GE(water.Noise3, 0);
    ASSERT_NE(GLExt::glActiveTextureARB, nullptr);
    LookDown();
    GameClock = 11999;
    water.DrawDistortion();
    const TScreen s = ReadScreen();
    EXPECT_GT(Brightness(s, 400, 300), 0);
    if (water.Shader.IsUsable()) {
        // The ripple program keeps the pattern near grey 0.5.
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(s.at(400, 300)[c], 128, 64);
    }

    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    GLExt::glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLExt::glActiveTextureARB(GL_TEXTURE0_ARB);
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_EQ(CurrentProgram, nullptr) << "the ripple program does not stay current";
}

TEST_F(WaterDrawTest, DecalAtHalfLifeIsHalfItsSizeAndHalfItsAlpha)
{
    // A plain white decal image, so what reaches the screen is the decal's colour and alpha alone.
    TTempDir dir("water-decal");
    const std::string file = (dir.Path / "white.png").string();
    ASSERT_TRUE(WritePng(file, 16, 16, std::vector<std::uint8_t>(16 * 16 * 4, 255)));
    TNoise noise;
    noise.Texture = TextureLib->Load(file, GL_NEAREST, GL_NEAREST);
    TWaterNoiseBlock *block = nullptr;
    noise.Add(VectorSet3(0, 0, 0), 1000, block, White, 10);
    noise.Update(500);

    PixelPlane();
    glDisable(GL_DEPTH_TEST);
    noise.Draw();
    const TScreen s = ReadScreen();

    // The lit pixels: a 10 x 10 square around the centre, at half brightness (additive on black).
    int left = s.w, right = -1, top = s.h, bottom = -1;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (Brightness(s, x, y) > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_EQ(right - left + 1, 10);
    EXPECT_EQ(bottom - top + 1, 10);
    EXPECT_NEAR(left, 395, 1);
    EXPECT_NEAR(top, 295, 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(s.at(400, 300)[c], 128, 2);

    // Depth writes and the usual blending are back.
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);

    // Decals add up: a second one on top of the first doubles the light.
    TWaterNoiseBlock *other = nullptr;
    noise.Add(VectorSet3(0, 0, 0), 1000, other, White, 10);
    other->Items[0].Fade = 0.5f;
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    noise.Draw();
    glEnable(GL_DEPTH_TEST);
    EXPECT_NEAR(ReadScreen().at(400, 300)[0], 255, 2);
}

} // namespace
