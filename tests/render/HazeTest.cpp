// The heat haze and the bloom on a real GL context: without frame buffers they do nothing; with them
// a scene goes through their off-screen targets to the window, displaced or glowing as asked.

#include "core/App.h"
#include "core/View.h"
#include "render/GLExt.h"
#include "render/Haze.h"
#include "tests/hud/GLWindow.h"
#include "tests/render/RenderTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

class HazeTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenRenderWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        SavedShaders = ShadersAvailable;
        SavedFrameBuffers = FBOAvailable;
        Viewport[0] = 0;
        Viewport[1] = 0;
        Viewport[2] = 800;
        Viewport[3] = 600;
        Window();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_FOG);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        // Whatever the suites before left behind: no program, plain texturing, no clipping.
        UseNone();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_CLIP_PLANE0);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glAlphaFunc(GL_GREATER, 0.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    void TearDown() override
    {
        if (!OpenTestWindow())
            return;
        ShadersAvailable = SavedShaders;
        FBOAvailable = SavedFrameBuffers;
        glEnable(GL_DEPTH_TEST);
    }

    static std::string Folder() { return AppDir + "Data\\Shaders\\"; }

    static void Window() { glViewport(0, 0, 800, 600); }

    static void Identity()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    static void Rect(float x0, float y0, float x1, float y1, float r, float g, float b)
    {
        glColor4f(r, g, b, 1);
        glBegin(GL_QUADS);
        glVertex2f(x0, y0);
        glVertex2f(x1, y0);
        glVertex2f(x1, y1);
        glVertex2f(x0, y1);
        glEnd();
    }

    // An 8 x 8 board of distinct colours over the whole target: any shift of a few pixels shows.
    static void Board()
    {
        glDisable(GL_TEXTURE_2D);
        Identity();
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i)
                Rect(-1 + i * 0.25f, -1 + j * 0.25f, -0.75f + i * 0.25f, -0.75f + j * 0.25f, float(i) / 7,
                     float(j) / 7, float((i + j) % 2));
    }

    static bool NearCellEdge(int x, int y) { return std::abs((x + 50) % 100 - 50) < 3 || std::abs((y + 37) % 75 - 37) < 3; }

    // Pixels away from the board's cell edges that differ by more than Tolerance in a channel.
    static int Differences(const TScreen &a, const TScreen &b, int tolerance, bool skipEdges)
    {
        int count = 0;
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x) {
                if (skipEdges && NearCellEdge(x, y))
                    continue;
                for (int c = 0; c < 3; ++c)
                    if (std::abs(a.at(x, y)[c] - b.at(x, y)[c]) > tolerance) {
                        ++count;
                        break;
                    }
            }
        return count;
    }

    static GLint Bound(GLenum what)
    {
        GLint v = -1;
        glGetIntegerv(what, &v);
        return v;
    }

    static void ExpectWindowBound()
    {
        EXPECT_EQ(Bound(GL_FRAMEBUFFER_BINDING_EXT), 0);
        EXPECT_EQ(Bound(GL_DRAW_BUFFER), GL_BACK);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 600);
    }

    // The board drawn through a haze whose distortion image is cleared to Grey (r, g).
    static TScreen ThroughHaze(THaze &haze, float r, float g)
    {
        haze.BeginScene();
        glViewport(0, 0, 1024, 1024);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Board();
        haze.BeginNoise();
        glClearColor(r, g, 0.5f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
        haze.End();
        glClear(GL_COLOR_BUFFER_BIT);
        haze.Apply();
        return ReadScreen();
    }

    static TScreen Direct()
    {
        Window();
        glClear(GL_COLOR_BUFFER_BIT);
        Board();
        return ReadScreen();
    }

    bool SavedShaders = false, SavedFrameBuffers = false;
};

TEST_F(HazeTest, WithoutFrameBuffersEverythingIsHarmless)
{
    FBOAvailable = false;
    THaze haze(Folder());
    TBloom bloom(Folder());
    EXPECT_EQ(haze.Scene.FrameBuffer, 0u);
    EXPECT_EQ(haze.Distortion.ColorTexture, 0u);
    EXPECT_EQ(bloom.Scene.FrameBuffer, 0u);
    EXPECT_EQ(bloom.Small.FrameBuffer, 0u);

    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    haze.BeginScene();
    haze.BeginNoise();
    haze.Apply();
    haze.End();
    bloom.BeginScene();
    bloom.Apply();
    haze.Scene.Create(true);
    haze.Scene.BindForRender();
    haze.Scene.Unbind();
    haze.Scene.BindTexture();
    bloom.Small.Create(256);
    bloom.Small.BindForRender();
    bloom.Small.Unbind();
    EXPECT_EQ(haze.Scene.FrameBuffer, 0u);
    EXPECT_EQ(bloom.Small.FrameBuffer, 0u);
    ExpectWindowBound();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Nothing was drawn over the window either.
    EXPECT_EQ(ReadScreen().at(400, 300)[2], 153);
}

TEST_F(HazeTest, TargetsAreMadeAndTheWindowStaysBound)
{
    if (!FBOAvailable)
        GTEST_SKIP() << "the driver offers no frame buffers";
    THaze haze(Folder());
    TBloom bloom(Folder());
    ExpectWindowBound();
    EXPECT_NE(haze.Scene.FrameBuffer, 0u);
    EXPECT_NE(haze.Distortion.FrameBuffer, 0u);
    EXPECT_NE(haze.Scene.ColorTexture, haze.Distortion.ColorTexture);
    EXPECT_TRUE(haze.Scene.HasDepth);
    EXPECT_EQ(bloom.Small.Size, 256);

    // Each target is complete.
    for (TFrameBuffer *target : {&haze.Scene, &haze.Distortion}) {
        target->BindForRender();
        EXPECT_EQ(GLExt::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
        EXPECT_EQ(Bound(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0_EXT);
    }

    // The two haze targets share one depth buffer: what the scene put in front hides the
    // distortion drawn behind it.
    haze.BeginScene();
    glViewport(0, 0, 1024, 1024);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    Identity();
    Rect(-1, -1, 0, 1, 0, 0, 1);   // the left half at depth 0.5
    haze.BeginNoise();
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);             // all of it, farther away
    glColor4f(1, 0, 0, 1);
    glVertex3f(-1, -1, 0.5f);
    glVertex3f(1, -1, 0.5f);
    glVertex3f(1, 1, 0.5f);
    glVertex3f(-1, 1, 0.5f);
    glEnd();
    glDisable(GL_DEPTH_TEST);
    std::uint8_t left[4] = {}, right[4] = {};
    glReadPixels(100, 512, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
    glReadPixels(900, 512, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(right[0], 255);

    bloom.Small.BindForRender();
    EXPECT_EQ(GLExt::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
    haze.End();
    ExpectWindowBound();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(HazeTest, GreyDistortionLeavesTheSceneUnmoved)
{
    if (!FBOAvailable)
        GTEST_SKIP() << "the driver offers no frame buffers";
    THaze haze(Folder());
    // With the haze program, and without it (the scene is then copied as it is).
    for (bool shaders : {true, false}) {
        SCOPED_TRACE(shaders ? "haze program" : "fixed pipeline");
        ShadersAvailable = shaders && SavedShaders;
        const TScreen hazed = ThroughHaze(haze, 0.5f, 0.5f);
        ExpectWindowBound();
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        EXPECT_EQ(active, GL_TEXTURE0_ARB);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(Differences(hazed, Direct(), 2, true), 0);
    }
}

TEST_F(HazeTest, DistortionMovesTheScene)
{
    if (!FBOAvailable)
        GTEST_SKIP() << "the driver offers no frame buffers";
    THaze haze(Folder());
    if (!THaze::Shader || !THaze::Shader->IsUsable())
        GTEST_SKIP() << "no haze program";
    const TScreen moved = ThroughHaze(haze, 1.0f, 0.5f);
    const TScreen direct = Direct();
    // A push to one side shifts every vertical cell edge: a band of pixels along each changes.
    EXPECT_GT(Differences(moved, direct, 30, false), 7 * 600 * 3);
}

TEST_F(HazeTest, BloomBrightensHighlightsAndLeavesDarkAreasDark)
{
    if (!FBOAvailable)
        GTEST_SKIP() << "the driver offers no frame buffers";
    TBloom bloom(Folder());
    auto scene = [] {
        glDisable(GL_TEXTURE_2D);
        Identity();
        Rect(-1, -1, 1, 1, 0.05f, 0.05f, 0.05f);
        Rect(-0.1f, -0.1f, 0.1f, 0.1f, 0.8f, 0.8f, 0.8f);
    };
    auto pixelsOver = [](const TScreen &s, int level) {
        int n = 0;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x)
                n += s.at(x, y)[0] > level;
        return n;
    };
    Window();
    scene();
    const TScreen direct = ReadScreen();

    for (bool shaders : {false, true}) {
        SCOPED_TRACE(shaders ? "bloom program" : "fixed pipeline");
        ShadersAvailable = shaders && SavedShaders;
        if (shaders && !(TBloom::Shader && TBloom::Shader->IsUsable()))
            GTEST_SKIP() << "no bloom program";
        bloom.BeginScene();
        glViewport(0, 0, 1024, 1024);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene();
        bloom.Apply();
        const TScreen s = ReadScreen();
        ExpectWindowBound();
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        glDisable(GL_DEPTH_TEST);

        EXPECT_NEAR(s.at(10, 10)[0], direct.at(10, 10)[0], 2) << "dark ground stays dark";
        EXPECT_NEAR(s.at(790, 590)[0], direct.at(790, 590)[0], 2);
        if (!shaders) {
            // The scene alone reaches the window.
            EXPECT_NEAR(s.at(400, 300)[0], direct.at(400, 300)[0], 2);
            EXPECT_NEAR(pixelsOver(s, 60), pixelsOver(direct, 60), 200);
        } else {
            EXPECT_GT(s.at(400, 300)[0], direct.at(400, 300)[0] + 40) << "the spot is brighter";
            EXPECT_EQ(pixelsOver(direct, 230), 0);
            EXPECT_GT(pixelsOver(s, 230), 3000) << "all over, not at one pixel";
        }
    }
}

} // namespace
