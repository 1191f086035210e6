// Drawing the tracer pool on a real GL context: plain lines of their width in pixels, ribbons that
// face the eye with their fade and texture scroll, additive blending that leaves the scene's state
// as it was, and ribbons seen end-on.

#include "core/View.h"
#include "render/Shaders.h"
#include "render/TracerDraw.h"
#include "sim/Tracers.h"
#include "tests/hud/GLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace {

TTrasser Tracer(TVector3 start, TVector3 finish, int texture, float width)
{
    TTrasser t;
    t.Start = VectorSet4(start.x, start.y, start.z, 0);
    t.Finish = VectorSet4(finish.x, finish.y, finish.z, 0);
    t.Texture = texture;
    t.Width = width;
    t.Life = t.Remaining = 400;
    return t;
}

bool Finite(const TVector3 &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

TEST(TracerCorners, TheRibbonFacesTheEyeAndIsTwiceItsWidthAcross)
{
    const TTrasser t = Tracer(VectorSet3(200, 300, 0), VectorSet3(600, 300, 0), 0, 20);
    TVector3 c[4];
    TracerCorners(t, VectorSet3(400, 300, 1000), c);
    const TVector3 expected[4] = {VectorSet3(200, 320, 0), VectorSet3(200, 280, 0), VectorSet3(600, 280, 0),
                                  VectorSet3(600, 320, 0)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(c[i].x, expected[i].x, 1e-3f) << i;
        EXPECT_NEAR(c[i].y, expected[i].y, 1e-3f) << i;
        EXPECT_NEAR(c[i].z, expected[i].z, 1e-3f) << i;
    }
}

TEST(TracerCorners, SeenEndOnOrWithoutLengthTheRibbonStaysFiniteAndFullWidth)
{
    const struct {
        const char *Name;
        TVector3    Start, Finish, Eye;
    } cases[] = {
        {"eye beyond the finish", VectorSet3(0, 0, 0), VectorSet3(0, 100, 0), VectorSet3(0, 500, 0)},
        {"eye behind the start", VectorSet3(10, 20, 30), VectorSet3(110, 120, 130), VectorSet3(-90, -80, -70)},
        {"eye on the start", VectorSet3(5, 5, 5), VectorSet3(5, 5, 50), VectorSet3(5, 5, 5)},
        {"falling straight down at the eye", VectorSet3(0, 0, 1000), VectorSet3(0, 0, 900), VectorSet3(0, 0, 0)},
        {"no length", VectorSet3(7, 8, 9), VectorSet3(7, 8, 9), VectorSet3(100, 0, 0)},
        {"far away, almost end-on", VectorSet3(0, 0, 0), VectorSet3(0, 50000, 0), VectorSet3(0.0001f, -50000, 0)},
    };
    for (const auto &c : cases) {
        TTrasser t = Tracer(c.Start, c.Finish, 0, 3);
        TVector3 corners[4];
        TracerCorners(t, c.Eye, corners);
        for (const TVector3 &p : corners)
            EXPECT_TRUE(Finite(p)) << c.Name;
        const TVector3 side = VectorSubtract(corners[0], c.Start);
        EXPECT_NEAR(VectorLength(side), 3, 1e-3f) << c.Name;
        EXPECT_NEAR(VectorDot(side, VectorSubtract(c.Finish, c.Start)), 0, 1e-2f) << c.Name << ": square to the tracer";
        EXPECT_NEAR(VectorDistance(corners[3], c.Finish), 3, 1e-3f) << c.Name;
    }
}

class TracerDraw : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenTestWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        // Pixel units: x right, y up, as the screen reads back bottom row last.
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 0, 600, -2000, 2000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        UseNone();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_TRUE);
        Billboards = &Pool;
    }
    void TearDown() override
    {
        Billboards = nullptr;
        BillboardsDrawer = nullptr;
        EyePosition = TVector4();
    }

    static void Clear(float grey)
    {
        glClearColor(grey, grey, grey, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The rows of column X (screen rows, top first) whose green passes Min.
    static std::vector<int> LitRows(const TScreen &s, int x, int min)
    {
        std::vector<int> rows;
        for (int y = 0; y < s.h; ++y)
            if (s.at(x, y)[1] > min)
                rows.push_back(y);
        return rows;
    }

    TBillboards Pool;
};

TEST_F(TracerDraw, ANegativeTextureIsAPlainLineOfWidthPixels)
{
    for (const float width : {1.0f, 3.0f, 6.0f}) {
        Clear(0);
        TTrasser t = Tracer(VectorSet3(100, 300.5f, 0), VectorSet3(700, 300.5f, 0), -1, width);
        t.Color[0] = 0;
        t.Color[2] = 0;
        glDisable(GL_TEXTURE_2D);
        DrawTracer(t, VectorSet3(400, 300, 1000));
        const TScreen s = ReadScreen();
        for (const int x : {150, 400, 650}) {
            const std::vector<int> rows = LitRows(s, x, 200);
            ASSERT_EQ(int(rows.size()), int(width)) << "width " << width << " at x " << x;
            EXPECT_EQ(rows.back() - rows.front() + 1, int(width)) << "one solid stroke";
        }
        float lineWidth = 0;
        glGetFloatv(GL_LINE_WIDTH, &lineWidth);
        EXPECT_EQ(lineWidth, 1.0f);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    }
}

TEST_F(TracerDraw, HalfWayThroughItsLifeAFadingScrollingRibbonIsHalfAlphaWithItsTextureHalfWayOn)
{
    const float colour[4] = {1, 0.5f, 0.25f, 0.8f};
    Pool.Add(VectorSet3(200, 300, 0), VectorSet3(600, 300, 0), colour, true, true, 0, 20, 400);
    Pool.Update(200);
    ASSERT_EQ(Pool.Count(), 1);
    const TTrasser &t = Pool.Items[0];

    // What GL is handed: the corners with their colour and texture coordinates.
    std::vector<GLfloat> feedback(4096);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    DrawTracer(t, VectorSet3(400, 300, 1000));
    const GLint used = glRenderMode(GL_RENDER);
    ASSERT_GT(used, 0);

    std::set<std::pair<float, float>> coords;
    int vertices = 0;
    for (GLint i = 0; i < used;) {
        ASSERT_EQ(feedback[std::size_t(i)], float(GL_POLYGON_TOKEN));
        const int n = int(feedback[std::size_t(i) + 1]);
        i += 2;
        for (int v = 0; v < n; ++v, i += 11, ++vertices) {
            const GLfloat *p = &feedback[std::size_t(i)];
            EXPECT_NEAR(p[3], 1.0f, 1e-3f);
            EXPECT_NEAR(p[4], 0.5f, 1e-3f);
            EXPECT_NEAR(p[5], 0.25f, 1e-3f);
            EXPECT_NEAR(p[6], 0.4f, 1e-3f) << "alpha 0.8 at half life";
            coords.insert({p[7], p[8]});
        }
    }
    EXPECT_GE(vertices, 4);
    EXPECT_EQ(coords, (std::set<std::pair<float, float>>{{0, 0.5f}, {1, 0.5f}, {1, 1.5f}, {0, 1.5f}}));
}

TEST_F(TracerDraw, ThePoolAddsItsLightWithoutWritingDepthAndPutsTheSceneStateBack)
{
    InstallTracerDrawer();
    EyePosition = VectorSet4(400, 300, 1000, 1);
    const float green[4] = {0, 1, 0, 1};
    Pool.Add(VectorSet3(100, 300.5f, 0), VectorSet3(700, 300.5f, 0), green, true, false, -1, 5, 400);
    Pool.Update(200);   // half alpha
    Clear(0.25f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glClearDepth(1);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);

    Pool.Draw();

    const TScreen s = ReadScreen();
    // Added: 0.25 + 0.5 = 0.75; mixed it would have been 0.5 + 0.125.
    EXPECT_NEAR(s.at(400, 299)[1], 191, 3);
    EXPECT_NEAR(s.at(400, 299)[0], 64, 3);
    float depth = 0;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f) << "no depth written";

    GLint src = 0, dst = 0;
    GLboolean mask = GL_FALSE;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(mask, GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
}

} // namespace
