// The 2D output on a real GL context: fonts from the game's archive, text, images and rectangles.

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Png.h"
#include "hud/Out2D.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

TEST(Out2DFaces, SpecifiedFacesMapToFreeFonts)
{
    const struct {
        const char *Face;
        bool Bold;
        const char *File;
    } cases[] = {
        {"Arial", false, "LiberationSans-Regular.ttf"}, {"Arial", true, "LiberationSans-Bold.ttf"},
        {"arial black", false, "DejaVuSans-Bold.ttf"},  {"Courier", false, "LiberationMono-Regular.ttf"},
        {"Courier", true, "LiberationMono-Bold.ttf"},   {"Perfo", false, "LiberationSans-Bold.ttf"},
        {"Comic Sans", false, "LiberationSans-Regular.ttf"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Face);
        EXPECT_EQ(FontFileForFace(c.Face, c.Bold), c.File);
    }
}

TEST(Out2DFaces, PointsBecomePixelsAtTheWindowsDotsPerInch)
{
    EXPECT_EQ(FontPixelHeight(8), 11);
    EXPECT_EQ(FontPixelHeight(11), 15);
    EXPECT_EQ(FontPixelHeight(18), 24);
    EXPECT_EQ(FontPixelHeight(28), 37);
}

class Out2DTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenTestWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        static const bool data = (UseGameData(ZEPHRONA_GAME_DIR "/"), true);
        (void)data;
        static TTextureLib library;
        TextureLib = &library;
        static TOut2D *out = new TOut2D();
        Out2D = out;
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // The box around every pixel brighter than black: left, top, right, bottom (inclusive); -1s when none.
    static std::array<int, 4> Ink(const TScreen &s)
    {
        std::array<int, 4> box{-1, -1, -1, -1};
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                const std::uint8_t *p = s.at(x, y);
                if (p[0] + p[1] + p[2] == 0)
                    continue;
                if (box[0] < 0) {
                    box = {x, y, x, y};
                    continue;
                }
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
            }
        return box;
    }
};

TEST_F(Out2DTest, BuildsTheProgramsSixFontsFirst)
{
    ASSERT_GE(Out2D->FontCount, 6);
    const int sizes[6] = {11, 13, 14, 18, 10, 8};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Out2D->Fonts[std::size_t(i)].Face, "Arial Black");
        EXPECT_EQ(Out2D->Fonts[std::size_t(i)].Size, sizes[i]);
        EXPECT_EQ(Out2D->Fonts[std::size_t(i)].PixelHeight, FontPixelHeight(sizes[i]));
    }
    // The same face, size and weight share their lists; another weight gets its own.
    const unsigned arial = Out2D->CreateFont("Arial", 10, false);
    EXPECT_EQ(Out2D->CreateFont("Arial", 10, false), arial);
    EXPECT_NE(Out2D->CreateFont("Arial", 10, true), arial);
    EXPECT_EQ(Out2D->CreateFont("Arial Black", 18, false), Out2D->Fonts[3].ListBase);
}

TEST_F(Out2DTest, ExtentMeasuresTheSelectedFont)
{
    const unsigned small = Out2D->CreateFont("Arial", 10, false), big = Out2D->CreateFont("Arial", 28, false);
    Out2D->SelectFont(small);
    const TPoint ww = Out2D->TextExtent("WWW"), ii = Out2D->TextExtent("iii");
    EXPECT_GT(ww.x, ii.x);
    EXPECT_EQ(ww.y, Out2D->Font(small)->Ascent + Out2D->Font(small)->Descent);
    EXPECT_EQ(Out2D->TextExtent("WWWiii").x, ww.x + ii.x);
    EXPECT_EQ(Out2D->TextExtent("").x, 0);
    // Windows-1251: a Cyrillic capital has a glyph; the unassigned byte and control bytes draw nothing.
    EXPECT_GT(Out2D->TextExtent("\xC0").x, 0);
    EXPECT_EQ(Out2D->TextExtent("\x98").x, 0);
    EXPECT_EQ(Out2D->TextExtent("\x01\x1F").x, 0);
    // The platform's measuring hook goes through the same font.
    EXPECT_EQ(TextExtent("WWW"), ww);
    Out2D->SelectFont(big);
    EXPECT_GT(Out2D->TextExtent("WWW").x, ww.x * 2);
    Out2D->SelectFont(12345);   // no such font: the selection stays
    EXPECT_EQ(Out2D->Selected, big);
}

TEST_F(Out2DTest, TextDrawsFromItsBaselineInTheCurrentColour)
{
    const unsigned font = Out2D->CreateFont("Arial Black", 18, false);
    Out2D->SelectFont(font);
    const TPoint extent = Out2D->TextExtent("HELLO");
    glColor4f(1, 0, 0, 1);
    Out2D->DrawText("HELLO", font, -0.5f, 0.0f);   // pixel (200, 300)
    const TScreen s = ReadScreen();
    const std::array<int, 4> box = Ink(s);
    ASSERT_GE(box[0], 0) << "nothing drawn";
    EXPECT_NEAR(box[0], 200, 3);
    EXPECT_NEAR(box[2], 200 + extent.x, 4);
    // Capitals stand on the baseline: ink ends just above row 300 and rises by about the cap height.
    EXPECT_NEAR(box[3], 299, 1);
    EXPECT_NEAR(300 - box[1], Out2D->Font(font)->PixelHeight * 0.73, 3);
    for (int y = box[1]; y <= box[3]; ++y)
        for (int x = box[0]; x <= box[2]; ++x) {
            const std::uint8_t *p = s.at(x, y);
            if (p[0] + p[1] + p[2] > 0) {
                ASSERT_TRUE(p[0] == 255 && p[1] == 0 && p[2] == 0) << "not the current colour at " << x << "," << y;
            }
        }
}

TEST_F(Out2DTest, CyrillicAndOffScreenTextStillDraw)
{
    const unsigned font = Out2D->CreateFont("Perfo", 22, false);
    glColor4f(1, 1, 1, 1);
    Out2D->DrawText("\xC7\xC5\xD4\xD0\xCE\xCD\xC0", font, -0.9f, 0.5f);   // "ЗЕФРОНА"
    std::array<int, 4> box = Ink(ReadScreen());
    EXPECT_NEAR(box[0], 40, 4);
    EXPECT_GT(box[2] - box[0], 100);

    // A text that starts left of the window shows its right part.
    glClear(GL_COLOR_BUFFER_BIT);
    Out2D->SelectFont(font);
    const int width = Out2D->TextExtent("WWWWWWWWWW").x;
    Out2D->DrawText("WWWWWWWWWW", font, -1.0f - 100 * PixelSizeX, 0.0f);
    box = Ink(ReadScreen());
    ASSERT_GE(box[0], 0) << "the whole text was dropped";
    EXPECT_LE(box[0], 2);
    EXPECT_NEAR(box[2], width - 100, 4);
}

TEST_F(Out2DTest, ImageCornersGetTheirTextureCornersAndRectsFill)
{
    // Top row red, green; bottom row blue, white.
    const TTempDir dir("out2d");
    const std::vector<std::uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const std::string name = (dir.Path / "corners.png").string();
    ASSERT_TRUE(WritePng(name, 2, 2, pixels));
    const int texture = TextureLib->Load(name, GL_NEAREST, GL_NEAREST);
    glColor4f(1, 1, 1, 1);
    Out2D->DrawImage(texture, -1, 1, 0, 0);   // the top-left quarter of the window, upright
    glColor4f(1, 1, 0, 1);
    Out2D->DrawRect(0, 0, 1, -1);             // the bottom-right quarter in yellow
    const TScreen s = ReadScreen();
    const struct {
        int x, y;
        std::uint8_t r, g, b;
    } expected[] = {
        {10, 10, 255, 0, 0}, {390, 10, 0, 255, 0}, {10, 290, 0, 0, 255}, {390, 290, 255, 255, 255},
        {600, 450, 255, 255, 0}, {600, 150, 0, 0, 0}, {200, 450, 0, 0, 0},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(std::to_string(e.x) + "," + std::to_string(e.y));
        EXPECT_EQ(s.at(e.x, e.y)[0], e.r);
        EXPECT_EQ(s.at(e.x, e.y)[1], e.g);
        EXPECT_EQ(s.at(e.x, e.y)[2], e.b);
    }
}

} // namespace
