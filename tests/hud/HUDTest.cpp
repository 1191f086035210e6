// The in-flight display on a real GL context with the pictures and fonts of the built game's archive:
// the bars, the indicator panel and the radar where and how the player sees them at 800 x 600 and on
// wider windows, the radar's blips, the fades, the script's indicator, the flight symbols, the mission
// timer, and the crosshair's reticle and depth sampling with the object list's depth test.

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/Png.h"
#include "core/Timer.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "hud/Crosshair.h"
#include "hud/HUD.h"
#include "hud/Out2D.h"
#include "hud/Radar.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"
#include "sim/ScreenFade.h"
#include "sim/Weapons.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"
#include "tools/modelgen/ModelBuilder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace {

// A unit that stands still.
class TPost : public TGameObject {
public:
    TPost(float x, float y, int side, float health = 100, int category = 0)
    {
        Position = VectorSet4(x, y, 0, 0);
        MaxHealth = 100;
        Health = health;
        Side = side;
        Category = TObjectCategory(category);
        OnRadar = 1;
        Targetable = 1;
    }
    void Update(int) override {}
    void Draw() override {}
};

using TPixelTest = std::function<bool(const std::uint8_t *)>;

bool IsRed(const std::uint8_t *p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; }
bool IsGreen(const std::uint8_t *p) { return p[0] < 60 && p[1] > 200 && p[2] < 60; }
bool IsYellow(const std::uint8_t *p) { return p[0] > 200 && p[1] > 200 && p[2] < 60; }
bool IsWhite(const std::uint8_t *p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }
bool IsOrange(const std::uint8_t *p) { return p[0] > 200 && p[1] > 100 && p[1] < 160 && p[2] < 60; }
bool IsLit(const std::uint8_t *p) { return p[0] + p[1] + p[2] > 30; }

// The box (left, top, right, bottom; rows from the top) of the pixels inside the area that pass
// Test; all -1 when none does.
std::array<int, 4> Ink(const TScreen &s, const TPixelTest &test, int x0 = 0, int y0 = 0, int x1 = 799, int y1 = 599)
{
    std::array<int, 4> box{-1, -1, -1, -1};
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (!test(s.at(x, y)))
                continue;
            box = box[0] < 0 ? std::array<int, 4>{x, y, x, y}
                             : std::array<int, 4>{std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                                                  std::max(box[3], y)};
        }
    return box;
}

int Count(const TScreen &s, const TPixelTest &test, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            n += test(s.at(x, y)) ? 1 : 0;
    return n;
}

void Clear(float grey)
{
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The window, the game's data, the 2D output and the texture library; the HUD laid out for a window
// of the size each test asks for, drawn into the lower left corner of the 800 x 600 test window.
class HudTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenTestWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        if (!Extractor)
            UseGameData(ZEPHRONA_GAME_DIR "/");
        if (!TextureLib)
            TextureLib = new TTextureLib();
        if (!Out2D)
            Out2D = new TOut2D();
        Saved = {PixelSizeX, PixelSizeY, ScreenWidth, ScreenHeight};
        UseWindow(800, 600);
        GameClock = 0;
        PlayerAircraft = nullptr;
        ViewModelView = ViewProjection = MatrixIdentity();
        Clear(0);
    }
    void TearDown() override
    {
        Hud.reset();
        Crosshair = nullptr;
        PlayerAircraft = nullptr;
        GameClock = 0;
        ViewModelView = ViewProjection = MatrixIdentity();
        if (OpenTestWindow()) {
            PixelSizeX = Saved.Sx;
            PixelSizeY = Saved.Sy;
            ScreenWidth = Saved.W;
            ScreenHeight = Saved.H;
            UseWindow(800, 600);
        }
    }

    // Lays the 2D drawing out for a window of Width x Height.
    static void UseWindow(int width, int height)
    {
        Viewport[0] = Viewport[1] = 0;
        Viewport[2] = width;
        Viewport[3] = height;
        PixelSizeX = 2.0f / float(width);
        PixelSizeY = 2.0f / float(height);
        ScreenWidth = width;
        ScreenHeight = height;
        glViewport(0, 0, width, height);
    }

    THUD &MakeHud()
    {
        Hud = std::make_unique<THUD>();
        return *Hud;
    }

    struct {
        float Sx, Sy;
        int   W, H;
    } Saved{};
    std::unique_ptr<THUD> Hud;
};

// ---- Bars and panel -------------------------------------------------------------------------

TEST(HudBarColour, GreenAboveHalfYellowAboveAQuarterRedBelow)
{
    const struct {
        float Fraction;
        TBarColour Colour;
    } cases[] = {{1, {0, 1, 0}}, {0.51f, {0, 1, 0}}, {0.5f, {1, 1, 0}}, {0.26f, {1, 1, 0}}, {0.25f, {1, 0, 0}},
                 {0, {1, 0, 0}}};
    for (const auto &c : cases)
        EXPECT_EQ(BarColour(c.Fraction), c.Colour) << c.Fraction;
}

TEST_F(HudTest, BarsFillTheTroughInTheirColourAt800x600)
{
    // A plain white fill instead of the grid, so that the bar's length can be measured to the pixel.
    TTempDir dir("hud-bars");
    const std::string white = (dir.Path / "White.png").string();
    ASSERT_TRUE(WritePng(white, 256, 16, std::vector<std::uint8_t>(256 * 16 * 4, 255)));
    THUD &hud = MakeHud();
    hud.GridTexture = TextureLib->Load(white, GL_NEAREST, GL_NEAREST);

    const struct {
        float Fraction;
        TPixelTest Colour;
        int MinWidth, MaxWidth;   // 143 pixels for a full bar
    } cases[] = {
        {1, IsGreen, 143, 143}, {0.5f, IsYellow, 71, 72},   {0.3f, IsYellow, 42, 43}, {0.25f, IsRed, 35, 36},
        {2, IsGreen, 143, 143}, {0, IsLit, 0, 0},          {-1, IsLit, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Fraction);
        Clear(0);
        Begin2D();
        // The armour bar's place: 225 pixels from the right edge, 26 down from the top.
        hud.DrawBar(1, c.Fraction, 1 - 26 * PixelSizeY, 1 - 225 * PixelSizeX);
        const TScreen s = ReadScreen();
        const auto box = Ink(s, IsLit);
        if (c.MaxWidth == 0) {
            EXPECT_EQ(box[0], -1) << "an empty bar draws nothing";
            continue;
        }
        EXPECT_EQ(box[0], 575);
        EXPECT_EQ(box[1], 26);
        EXPECT_EQ(box[3], 41) << "16 pixels high";
        EXPECT_GE(box[2] - box[0] + 1, c.MinWidth);
        EXPECT_LE(box[2] - box[0] + 1, c.MaxWidth);
        EXPECT_TRUE(c.Colour(s.at(box[0] + 2, 33)));
    }
}

TEST_F(HudTest, ArmourAndSpecialWeaponBarsOnThePanel)
{
    THUD &hud = MakeHud();
    TObjectsControl objects;
    ModelLib = nullptr;
    TGamer gamer;
    PlayerAircraft = &gamer;
    gamer.Reset(objects);
    gamer.Health = gamer.MaxHealth / 2;
    TWeapon &special = *gamer.Weapons[2];
    // A row through the middle of each trough, from the trough's left end.
    const auto barRow = [](const TScreen &s, int row, const TPixelTest &test) { return Ink(s, test, 575, row, 799, row); };

    // Half health: a yellow bar half as long as the trough. The loaded special weapon blinks.
    hud.Draw(1);
    TScreen s = ReadScreen();
    auto armour = barRow(s, 33, IsYellow);
    EXPECT_EQ(armour[0], 575);
    EXPECT_NEAR(armour[2], 575 + 71, 3);
    EXPECT_GE(barRow(s, 85, IsGreen)[2], 575 + 136) << "loaded: a full bar in the blink's on phase";

    GameClock = 400;
    Clear(0);
    hud.Draw(1);
    s = ReadScreen();
    EXPECT_EQ(barRow(s, 85, IsGreen)[0], -1) << "and none in its off phase";

    // Reloading with a quarter of the time gone: a quarter of the bar, red.
    special.Ammo = 0;
    special.ReloadClock = special.ReloadTime * 3 / 4;
    Clear(0);
    hud.Draw(1);
    s = ReadScreen();
    const auto reload = barRow(s, 85, IsRed);
    EXPECT_EQ(reload[0], 575);
    EXPECT_NEAR(reload[2], 575 + 35, 3);
    PlayerAircraft = nullptr;
}

// The panel in the top right corner and the radar's frame in the bottom left keep their size in
// pixels, and the radar's ring stays round and inside its frame, on 4:3, 16:10 and 16:9 windows.
TEST_F(HudTest, PanelAndRadarKeepTheirPlaceAndShapeOnWideWindows)
{
    const struct {
        int W, H;
    } windows[] = {{800, 600}, {800, 500}, {800, 450}, {640, 360}};
    TTempDir dir("hud-wide");
    const std::string clear = (dir.Path / "Clear.png").string();
    ASSERT_TRUE(WritePng(clear, 4, 4, std::vector<std::uint8_t>(4 * 4 * 4, 0)));
    const int clearFrame = TextureLib->Load(clear, GL_NEAREST, GL_NEAREST);
    std::array<int, 4> panelAt4To3{};
    for (const auto &w : windows) {
        SCOPED_TRACE(std::to_string(w.W) + "x" + std::to_string(w.H));
        UseWindow(w.W, w.H);
        THUD &hud = MakeHud();
        Clear(0);
        hud.Draw(1);
        const TScreen s = ReadScreen();
        const int top = 600 - w.H;   // the window's top row in the test window
        // The panel picture's box, from the window's top right corner.
        auto panel = Ink(s, IsLit, w.W / 2, top, w.W - 1, top + w.H / 2);
        panel = {w.W - 1 - panel[0], panel[1] - top, w.W - 1 - panel[2], panel[3] - top};
        if (w.H == 600) {
            panelAt4To3 = panel;
            EXPECT_LE(panel[0], 255) << "256 pixels wide";
            EXPECT_GE(panel[0], 240);
            EXPECT_EQ(panel[1], 0) << "at the top";
            EXPECT_EQ(panel[2], 0) << "at the right edge";
            EXPECT_LE(panel[3], 127) << "128 pixels high";
            EXPECT_GE(panel[3], 100);
        }
        EXPECT_EQ(panel, panelAt4To3);

        // The scope's ring alone, with a clear frame picture: 72 pixels round the scope's centre (83,
        // 91.5 up) both ways.
        hud.RadarTexture = clearFrame;
        Clear(0);
        hud.Draw(1);
        const auto ring = Ink(ReadScreen(), IsWhite, 0, 600 - 175, 255, 599);
        EXPECT_NEAR(ring[2] - ring[0], 144, 2) << "across";
        EXPECT_NEAR(ring[3] - ring[1], 144, 2) << "up";
        EXPECT_NEAR((ring[0] + ring[2]) / 2.0, 83, 1);
        EXPECT_NEAR((ring[1] + ring[3]) / 2.0, 600 - 91.5, 1);
        EXPECT_GE(ring[0], 0);
        EXPECT_GE(ring[1], 600 - 175) << "inside the frame's visible 175 rows";
    }
}

// ---- Radar blips ----------------------------------------------------------------------------

TEST(HudRadarPlace, BlipsTurnWithTheNoseAndStopAtTheRim)
{
    TPost player(1000, 1000, 0);
    const struct {
        float Heading, Dx, Dy;
        float X, Y;
    } cases[] = {
        {0, 0, 2250, 0, 36},     // dead ahead: straight up
        {0, 2250, 0, 36, 0},     // east of a northbound nose: to the right
        {0, 0, -2250, 0, -36},   // behind: straight down
        {0, 0, 9000, 0, 72},     // twice the range: on the rim
        {90, 4500, 0, 0, 72},    // flying east, east is ahead
        {90, 0, -2250, 36, 0},   // and south is to the right
        {180, 0, 2250, 0, -36},  // flying south, north is behind
    };
    for (const auto &c : cases) {
        player.Rotation.y = c.Heading;
        TPost object(1000 + c.Dx, 1000 + c.Dy, 1);
        const TBlipOffset offset = RadarBlipOffset(player, object, 4500, 72);
        EXPECT_NEAR(offset.x, c.X, 1e-3f) << c.Heading << " " << c.Dx << " " << c.Dy;
        EXPECT_NEAR(offset.y, c.Y, 1e-3f) << c.Heading << " " << c.Dx << " " << c.Dy;
    }
}

TEST(HudRadarPlace, WhatTheRadarShows)
{
    const struct {
        const char *What;
        float Health;
        int Category;
        int OnRadar;
        bool Shown;
    } cases[] = {
        {"a live unit", 10, 0, 1, true},           {"a dead unit", 0, 0, 1, false},
        {"a unit below zero", -5, 0, 1, false},     {"a checkpoint at health 0", 0, 4, 1, true},
        {"a bomb", 10, 2, 1, false},                {"a missile", 10, 1, 1, true},
        {"a unit kept off the radar", 10, 0, 0, false},
    };
    for (const auto &c : cases) {
        TPost object(0, 0, 1, c.Health, c.Category);
        object.OnRadar = std::uint8_t(c.OnRadar);
        EXPECT_EQ(ShowsOnRadar(object), c.Shown) << c.What;
    }
}

// The blips on the screen: foes red diamonds, friends green round dots, neutral units white squares,
// missiles one pixel; the dead vanish while a checkpoint stays.
TEST_F(HudTest, BlipsOnTheScopeByColourShapeAndSize)
{
    TRadar radar;
    TObjectsControl objects;
    TPost player(0, 0, 0);
    objects.Add(new TPost(0, 9000, 1));                    // far ahead: on the rim, top
    objects.Add(new TPost(2250, 0, 0));                    // a friend to the right
    objects.Add(new TPost(-2250, 0, 1, 0));                // a dead foe to the left
    objects.Add(new TPost(0, -2250, 0, 0, 4));             // a checkpoint behind, at health 0
    objects.Add(new TPost(-2250, 2250, -1));               // a neutral unit ahead to the left
    objects.Add(new TPost(2250, 2250, 1, 10, 1));          // a missile ahead to the right
    objects.Add(new TPost(2250, -2250, 1, 10, 2));         // a bomb behind to the right
    radar.Objects = &objects;
    radar.Player = &player;
    Begin2D();
    radar.Draw(4500, 72 * PixelSizeY, 91.5f * PixelSizeY - 1, 83 * PixelSizeX - 1);
    const TScreen s = ReadScreen();
    // The scope's centre pixel: column 83, row 508 from the top; 36 pixels is half the radius.
    const int cx = 83, cy = 508;
    const int half = 36;   // (2250, 2250) lies 36 pixels right (or left) and up

    // The foe on the rim: a diamond 7 pixels across, without the square's corners.
    EXPECT_TRUE(IsRed(s.at(cx, cy - 72)));
    EXPECT_TRUE(IsRed(s.at(cx - 3, cy - 72)) && IsRed(s.at(cx + 3, cy - 72)));
    EXPECT_TRUE(IsRed(s.at(cx, cy - 72 - 3)) && IsRed(s.at(cx, cy - 72 + 3)));
    EXPECT_FALSE(IsRed(s.at(cx + 2, cy - 72 + 2)));

    // The friend: a round dot 5 pixels across.
    EXPECT_TRUE(IsGreen(s.at(cx + 36, cy)));
    EXPECT_TRUE(IsGreen(s.at(cx + 36 + 2, cy + 1)) && IsGreen(s.at(cx + 36 - 2, cy - 1)));
    EXPECT_FALSE(IsGreen(s.at(cx + 36 + 2, cy + 2)));
    EXPECT_FALSE(IsGreen(s.at(cx + 36 + 3, cy)));

    EXPECT_EQ(Count(s, IsRed, cx - 42, cy - 6, cx - 30, cy + 6), 0) << "the dead foe is gone";
    EXPECT_EQ(Count(s, IsGreen, cx - 6, cy + 30, cx + 6, cy + 42), 21) << "the checkpoint stays";

    // The neutral unit: a white 5 x 5 square, corners included.
    EXPECT_EQ(Count(s, IsWhite, cx - half - 2, cy - half - 2, cx - half + 2, cy - half + 2), 25);

    // The missile: one pixel.
    EXPECT_EQ(Count(s, IsRed, cx + half - 4, cy - half - 4, cx + half + 4, cy - half + 4), 1);
    // The bomb: nothing.
    EXPECT_EQ(Count(s, IsLit, cx + half - 4, cy + half - 4, cx + half + 4, cy + half + 4), 0);
}

TEST_F(HudTest, MarkedBlipsBlinkOrange)
{
    TRadar radar;
    TObjectsControl objects;
    TPost player(0, 0, 0);
    TPost *marked = new TPost(0, 2250, 1);
    marked->BlinkOnRadar = 1;
    objects.Add(marked);
    radar.Objects = &objects;
    radar.Player = &player;
    for (const auto &[clock, orange] : {std::pair{200, false}, std::pair{600, true}, std::pair{1200, false}}) {
        GameClock = clock;
        Clear(0);
        Begin2D();
        radar.Draw(4500, 72 * PixelSizeY, 91.5f * PixelSizeY - 1, 83 * PixelSizeX - 1);
        const TScreen s = ReadScreen();
        const std::uint8_t *blip = s.at(83, 508 - 36);
        EXPECT_EQ(IsOrange(blip), orange) << clock;
        EXPECT_EQ(IsRed(blip), !orange) << clock;
    }
}

// ---- Fades ----------------------------------------------------------------------------------

TEST_F(HudTest, FadesCoverTheSceneAsTheMissionsClocksRun)
{
    THUD &hud = MakeHud();
    TScreenFade fade;
    hud.Fade = &fade;
    // The middle of a white scene, which the HUD leaves alone when no one flies; each frame the
    // mission's tick runs the fade's clocks, then the HUD draws.
    const auto grey = [&](int frames, int dt) {
        for (int i = 0; i < frames; ++i) {
            fade.Tick(dt);
            Clear(1);
            hud.Draw(dt);
        }
        const TScreen s = ReadScreen();
        return int(s.at(400, 300)[0]);
    };
    fade.Out = 2000;
    EXPECT_NEAR(grey(40, 25), 128, 3) << "half way after a second";
    EXPECT_EQ(grey(40, 25), 0) << "black after two seconds";
    EXPECT_EQ(grey(100, 25), 0) << "and black it stays";

    fade.In = 2000;
    EXPECT_NEAR(grey(40, 25), 128, 3);
    EXPECT_EQ(grey(40, 25), 255) << "the scene is back after two seconds";

    // A step that jumps past the end ends black too.
    fade.Out = 2000;
    EXPECT_EQ(grey(1, 2500), 0);

    // Without the mission's fades nothing covers the scene.
    hud.Fade = nullptr;
    EXPECT_EQ(grey(1, 25), 255);
}

// ---- The script's indicator -----------------------------------------------------------------

TEST_F(HudTest, IndicatorShowsTheScriptsVariableUnderThePanel)
{
    THUD &hud = MakeHud();
    int hostages = 42;
    hud.SetIndicator(&hostages, "Hostages");
    const auto band = [&] {
        Clear(0);
        hud.Draw(1);
        return ReadScreen();
    };
    // The band under the panel: 256 pixels wide, rows 130..182.
    TScreen s = band();
    EXPECT_GT(Count(s, [](const std::uint8_t *p) { return p[1] > 200 && p[0] > 100 && p[0] < 200; }, 544, 130, 799, 152),
              20)
        << "the label, light green";
    const int fortyTwo = Count(s, IsWhite, 544, 153, 799, 182);
    EXPECT_GT(fortyTwo, 20) << "the value, white";
    EXPECT_EQ(Count(s, IsLit, 0, 130, 543, 182), 0) << "nothing beside the band";

    hostages = 1111;   // the script changes its variable: the HUD shows the new value at once
    s = band();
    EXPECT_NE(Count(s, IsWhite, 544, 153, 799, 182), fortyTwo);

    hud.SetIndicator(nullptr, "");
    s = band();
    EXPECT_EQ(Count(s, IsLit, 544, 130, 799, 182), 0);
}

TEST_F(HudTest, ALongLabelStaysOnTheScreen)
{
    THUD &hud = MakeHud();
    int value = 3;
    hud.SetIndicator(&value, "Enemy transports that must not reach the harbour before dawn");
    hud.Draw(1);
    const TScreen s = ReadScreen();
    const auto label = Ink(s, IsLit, 544, 131, 799, 152);
    EXPECT_LE(label[2], 797) << "cut short before the right edge";
}

// ---- Flight symbols -------------------------------------------------------------------------

class HudFlightTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        if (IsSkipped())
            return;
        ModelLib = nullptr;
        Gamer = std::make_unique<TGamer>();
        PlayerAircraft = Gamer.get();
        Gamer->Reset(Objects);
        Crosshair = &Cross;
    }
    void TearDown() override
    {
        PlayerAircraft = nullptr;
        Gamer.reset();
        HudTest::TearDown();
    }

    TObjectsControl          Objects;
    std::unique_ptr<TGamer>  Gamer;
    TCrosshair               Cross;
};

TEST_F(HudFlightTest, GunReticleTurnsRedOverATargetWithItsHealthBar)
{
    THUD &hud = MakeHud();
    const auto reticle = [](const TScreen &s, const TPixelTest &test) { return Count(s, test, 340, 240, 455, 360); };
    hud.Draw(1);
    TScreen s = ReadScreen();
    EXPECT_GT(reticle(s, IsWhite), 50);
    EXPECT_EQ(reticle(s, IsRed), 0);

    TPost *target = new TPost(0, 0, 1);
    Objects.Add(target);
    Gamer->CurrentTarget = target;
    // The middle of pixel (200, 300): the bar's lines run through the middles of rows 274 and 273.
    Cross.TargetX = -0.5f + 0.5f * PixelSizeX;
    Cross.TargetY = 0.5f * PixelSizeY;
    const struct {
        float Health;
        TPixelTest Colour;
        int Length;
    } cases[] = {{100, IsGreen, 46}, {50, IsYellow, 23}, {20, IsRed, 9}, {0, IsLit, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Health);
        target->Health = c.Health;
        Clear(0);
        hud.Draw(1);
        s = ReadScreen();
        EXPECT_GT(reticle(s, IsRed), 50) << "the gun reticle over a target";
        const auto bar = Ink(s, c.Colour, 170, 268, 230, 276);
        if (c.Length == 0) {
            EXPECT_EQ(Count(s, [](const std::uint8_t *p) { return IsGreen(p) || IsYellow(p) || IsRed(p); }, 170, 268, 230,
                            276),
                      0);
            continue;
        }
        EXPECT_EQ(bar[0], 200 - 23);
        EXPECT_NEAR(bar[2] - bar[0] + 1, c.Length, 1);
        EXPECT_EQ(bar[3] - bar[1], 1) << "two lines";
    }

    // A target that has left the mission is forgotten: no bar, a white reticle.
    Objects.Remove(target);
    Clear(0);
    hud.Draw(1);
    s = ReadScreen();
    EXPECT_EQ(reticle(s, IsRed), 0);
}

TEST_F(HudFlightTest, WeaponReadoutsByColour)
{
    THUD &hud = MakeHud();
    GameClock = 10000;
    // The readouts' places: the gun's left of the centre, the missiles' and the special weapon's right.
    const auto gunText = [](const TScreen &s, const TPixelTest &test) { return Count(s, test, 272, 412, 399, 430); };
    const auto airText = [](const TScreen &s, const TPixelTest &test) { return Count(s, test, 498, 447, 640, 463); };
    const auto specialText = [](const TScreen &s, const TPixelTest &test) { return Count(s, test, 498, 431, 640, 446); };

    Gamer->SelectedWeapon = 0;
    hud.Draw(1);
    TScreen s = ReadScreen();
    EXPECT_GT(gunText(s, IsGreen), 10) << "the gun, idle";
    EXPECT_GT(airText(s, IsGreen), 10) << "the selected air-to-air missiles";
    EXPECT_GT(specialText(s, IsWhite), 10) << "the special weapon, not selected";
    EXPECT_EQ(specialText(s, IsGreen), 0);

    Gamer->Weapons[0]->LastShot = GameClock - 50;
    Gamer->SelectedWeapon = 2;
    Gamer->Weapons[2]->LastShot = GameClock - 10;
    Clear(0);
    hud.Draw(1);
    s = ReadScreen();
    EXPECT_GT(gunText(s, IsRed), 10) << "the gun, just fired";
    EXPECT_GT(airText(s, IsWhite), 10);
    EXPECT_EQ(airText(s, IsGreen), 0);
    EXPECT_GT(specialText(s, IsRed), 10) << "the selected special weapon, just fired";

    // While the aircraft waits on the deck no flight symbols are drawn.
    Gamer->TakeOffClock = 1000;
    Clear(0);
    hud.Draw(1);
    s = ReadScreen();
    EXPECT_EQ(Count(s, IsLit, 272, 236, 640, 463), 0);
}

// ---- Mission timer --------------------------------------------------------------------------

TEST_F(HudTest, TimerDrawsItsTimeInRedThroughTheHud)
{
    TTimer timer;
    timer.Remaining = 65432;
    MakeHud();
    Begin2D();
    timer.Draw(-1.0f, 0.95f);
    EXPECT_EQ(Count(ReadScreen(), IsLit, 0, 0, 799, 599), 0) << "off: nothing";

    timer.Enabled = true;
    timer.Draw(-1.0f, 0.95f);
    const TScreen s = ReadScreen();
    const auto text = Ink(s, IsLit);
    EXPECT_EQ(Ink(s, IsRed), text) << "all of it red";
    EXPECT_LE(text[0], 2);
    EXPECT_GE(text[1], 0);
    EXPECT_LE(text[3], 18) << "in the top left corner";
    EXPECT_GT(text[2] - text[0], 40) << "01:05:43";
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "white again";

    Hud.reset();
    EXPECT_EQ(TimerTextOutput, nullptr) << "a HUD that is gone draws nothing";
}

// ---- Crosshair and depth --------------------------------------------------------------------

// A camera at the origin looking down -z (the graphics library's own axes), 60 degrees high, and a
// wall at z = -50 in the middle of the view.
class HudDepthTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        if (IsSkipped())
            return;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        const double top = std::tan(30.0 * 3.14159265358979 / 180.0), right = top * 800.0 / 600.0;
        glFrustum(-right, right, -top, top, 1, 1000);
        glGetFloatv(GL_PROJECTION_MATRIX, ViewProjection.m);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ViewModelView = MatrixIdentity();
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0.5f, 0.5f, 0.5f, 1);
        glBegin(GL_QUADS);
        glVertex3f(-20, -20, -50);
        glVertex3f(20, -20, -50);
        glVertex3f(20, 20, -50);
        glVertex3f(-20, 20, -50);
        glEnd();
        glEnable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override
    {
        ModelLib = nullptr;
        HudTest::TearDown();
    }
};

TEST_F(HudDepthTest, TheReticleShowsTheSightPointOverTheDepthDrawnUnderTheMiddle)
{
    ModelLib = nullptr;
    TGamer gamer;
    PlayerAircraft = &gamer;
    TCrosshair cross;
    // The mission's tick found the wall under the middle of the view: the reticle shows it in the
    // middle of the screen, to the pixel, where the depth drawn under the middle agrees.
    gamer.SightPoint = VectorSet3(0, 0, -50);
    gamer.SightValid = true;
    cross.Update();
    EXPECT_FLOAT_EQ(cross.AimPoint().z, -50);
    EXPECT_NEAR(cross.ReticleX, 0, 1.5f * PixelSizeX);
    EXPECT_NEAR(cross.ReticleY, 0, 1.5f * PixelSizeY);
    EXPECT_NEAR(cross.Position().x, cross.ReticleX, 1e-6f);
    EXPECT_NEAR(cross.Sampled.z, -50, 0.05f);
    EXPECT_NEAR(cross.Sampled.x, 0, 0.1f);
    EXPECT_NEAR(cross.Sampled.y, 0, 0.2f);

    // A sight point at the wall's right edge: the reticle goes with it, the depth sample stays.
    gamer.SightPoint = VectorSet3(20, 0, -50);
    cross.Update();
    const float edge = 20.0f / 50 / (std::tan(30.0f * 3.14159265f / 180) * 800 / 600);
    EXPECT_NEAR(cross.ReticleX, edge, 1.5f * PixelSizeX);
    EXPECT_NEAR(cross.ReticleY, 0, 1.5f * PixelSizeY);
    EXPECT_NEAR(cross.Sampled.z, -50, 0.05f);

    // Past the wall's edge the depth is the far plane's.
    cross.SampleX = 0.9f;
    cross.Update();
    EXPECT_LT(cross.Sampled.z, -900);
    EXPECT_FLOAT_EQ(cross.AimPoint().x, 20) << "the aim point is still the sight point";
    PlayerAircraft = nullptr;
}


} // namespace
