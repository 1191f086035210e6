// The menu framework and its pages on a real GL context: the first page, transitions, clicks,
// hover, key capture, text entry and the pages' exits.

#include "core/Log.h"
#include "core/Png.h"
#include "core/Text.h"
#include "tests/TestUtil.h"
#include "tests/menu/MenuFixture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace fs = std::filesystem;

namespace {

// How a picture of the menu shows one caption. The caption is drawn alone on a cleared screen, in
// its font and colour at its place (centred on virtual X, Y), as the menu draws captions; its
// glyph pixels are then looked for in the picture: Missing are glyph pixels the picture lacks,
// Extra are pixels of the caption's colour in its box where the caption has none.
struct TCaptionMatch {
    int Ink = 0, Missing = 0, Extra = 0;
    bool Shown() const { return Ink > 30 && Missing * 20 <= Ink && Extra * 20 <= Ink; }
    bool Absent() const { return Missing * 3 > Ink; }
};

std::ostream &operator<<(std::ostream &out, const TCaptionMatch &m)
{
    return out << m.Ink << " caption pixels, " << m.Missing << " missing, " << m.Extra << " extra";
}

TCaptionMatch MatchCaption(const TScreen &picture, const std::string &utf8, unsigned font, float x, float y, TRGB color,
                           TAlign align = TAlign::Centre)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawMenuText(Cp1251FromUtf8(utf8), font, x, y, align, color);
    const TScreen alone = ReadScreen();
    const int want[3] = {int(std::lround(color.r * 255)), int(std::lround(color.g * 255)), int(std::lround(color.b * 255))};
    auto ofColor = [&](const std::uint8_t *p) {
        return std::abs(p[0] - want[0]) <= 2 && std::abs(p[1] - want[1]) <= 2 && std::abs(p[2] - want[2]) <= 2;
    };
    int x0 = alone.w, y0 = alone.h, x1 = -1, y1 = -1;
    for (int py = 0; py < alone.h; ++py)
        for (int px = 0; px < alone.w; ++px)
            if (ofColor(alone.at(px, py))) {
                x0 = std::min(x0, px);
                y0 = std::min(y0, py);
                x1 = std::max(x1, px);
                y1 = std::max(y1, py);
            }
    TCaptionMatch match;
    for (int py = std::max(0, y0 - 2); py <= std::min(alone.h - 1, y1 + 2); ++py)
        for (int px = std::max(0, x0 - 2); px <= std::min(alone.w - 1, x1 + 2); ++px) {
            const bool ink = ofColor(alone.at(px, py)), shown = ofColor(picture.at(px, py));
            match.Ink += ink;
            match.Missing += ink && !shown;
            match.Extra += !ink && shown;
        }
    return match;
}

// A caption that belongs to one page, in English and in Russian (UTF-8), with its font and place.
struct TPageCaption {
    int         Page;
    bool        Big;   // the title font, else the menu font
    float       X, Y;
    const char *English, *Russian;   // null: a picture page, without a caption of its own
    TRGB        Color = TitleColor;
    TAlign      Align = TAlign::Centre;
};

const TPageCaption PageCaptions[] = {
    {PageMain, false, 0, 238, "Welcome", "Добро пожаловать"},
    {PageExit, false, 0, 60, "to quit the game?", "выйти из игры?"},
    {PageOptions, true, 0, 222, "OPTIONS", "НАСТРОЙКИ"},
    {PageView, true, 0, 222, "GRAPHICS", "ГРАФИКА"},
    {PageSound, true, 0, 222, "SOUND", "ЗВУК"},
    {PageControls, true, 0, 258, "CONTROLS", "УПРАВЛЕНИЕ"},
    {PagePlayers, true, 0, 228, "PLAYERS", "ИГРОКИ"},
    {PageCreatePlayer, true, 0, 210, "ENTER NICK NAME", "ВВЕДИТЕ ИМЯ"},
    {PageDelete, false, 0, 60, "to delete this player?", "удалить этого игрока?"},
    {PageHighScore, true, 0, 230, "HIGH SCORE", "РЕКОРДЫ"},
    {PageClear, false, 0, 60, "to clear highscore table?", "очистить таблицу рекордов?"},
    {PageHelp, true, 0, 236, "CREDITS", "АВТОРЫ"},
    {PageRestart, false, 0, 60, "to restart the game?", "перезапустить игру?"},
    {PageCountry, true, 0, 210, "ENTER COUNTRY", "ВВЕДИТЕ СТРАНУ"},
    {PageSendHighScore, false, 0, 140, "Send your score", "Отправить ваш счёт"},
    {PageConnection, true, 0, 50, "Connection", "Соединение..."},
    {PageConnectionFail, false, 0, 140, "Connection Failed", "Ошибка соединения"},
    {PageGame, true, 0, 228, "GAME", "ИГРА"},
    {PagePause, false, 0, 60, "to exit to main menu?", "выйти в главное меню?"},
    // The debriefing spells its English right; its Russian lines are found under the string
    // table's old keys ("Grate job!", "AIRCRAFTS").
    {PageStageComplete, true, 0, 132, "Great job!", "Отличная работа!", HighlightColor},
    {PageStageComplete, false, -216, 56, "AIRCRAFT", "САМОЛЁТЫ", TitleColor, TAlign::Left},
    {PageLose, true, 0, 100, "Game Over", "Игра окончена", CaretColor},
    {PageWeapons, false, 140, -282, "BACK", "НАЗАД", LimeColor},
    {PageServers, false, -170, -226, "HOST", "СОЗДАТЬ", LimeColor},
    {PageHost, false, 140, -226, "BACK", "НАЗАД", LimeColor},
    {PageLoad, false, 0, 0, nullptr, nullptr},
    {PageStory, false, 0, 0, nullptr, nullptr},
    {PageFinal, false, 0, 0, nullptr, nullptr},
    {PageWait, false, 0, 0, nullptr, nullptr},
};

TEST_F(MenuTest, FirstRunOpensCreatePlayerWhoseBackWaitsForAPlayer)
{
    StartMenu({});
    EXPECT_EQ(MenuPage, PageCreatePlayer);
    EXPECT_EQ(Config->CurrentPlayer, 0);
    auto &create = Page<TCreatePlayerPage>(PageCreatePlayer);
    EXPECT_EQ(create.Entry.Text, "Anonymous");
    // BACK is there, dimmed, and neither lights up under the cursor nor acts.
    Point(create.Back.Rect.Left + 12, create.Back.Rect.Top - 3);   // the cursor's lines clear of the caption
    Frame();
    const TScreen shown = ReadScreen();
    EXPECT_FALSE(create.Back.Hovered);
    const TCaptionMatch back = MatchCaption(shown, "BACK", MenuFont, create.Back.Rect.CentreX(), create.Back.Rect.CentreY(), DimColor);
    EXPECT_TRUE(back.Shown()) << back;
    Click(create.Back.Rect);
    Wait(600);
    EXPECT_EQ(MenuPage, PageCreatePlayer);
    EXPECT_FALSE(Menu->TransitionActive);
    Press(VkReturn);   // "Anonymous" becomes the first player
    Wait(600);
    ASSERT_EQ(Config->PlayerCount, 1);
    Menu->ShowPage(PageCreatePlayer);
    Click(create.Back.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageMain);
}

TEST_F(MenuTest, TypingANameCreatesThePlayerOnce)
{
    StartMenu({});
    auto &create = Page<TCreatePlayerPage>(PageCreatePlayer);
    for (int i = 0; i < 9; ++i)
        Press(VkBackspace);
    EXPECT_EQ(create.Entry.Text, "");
    Press(VkBackspace);   // nothing left to remove
    Type("  ACE");
    // A held key types once.
    Down['7'] = true;
    Wait(200);
    Down['7'] = false;
    Frame();
    Type(" ");
    EXPECT_EQ(create.Entry.Text, "  ACE7 ");
    Press(VkReturn);
    Press(VkReturn);   // confirmed again during the transition: still one player
    Click(create.Ok.Rect);
    Wait(600);
    EXPECT_EQ(MenuPage, PageMain);
    ASSERT_EQ(Config->PlayerCount, 1);
    EXPECT_EQ(Config->Players[0].Name, "ACE7");
    EXPECT_EQ(Config->CurrentPlayer, 0);
}

TEST_F(MenuTest, ABlankNameCreatesNoPlayer)
{
    StartMenu({"Ace"});
    Menu->ShowPage(PageCreatePlayer);
    auto &create = Page<TCreatePlayerPage>(PageCreatePlayer);
    create.Entry.Text = "   ";
    Press(VkReturn);
    Wait(600);
    EXPECT_EQ(MenuPage, PageCreatePlayer);
    EXPECT_EQ(Config->PlayerCount, 1);
}

TEST_F(MenuTest, AClickDuringATransitionActsOnTheOldPage)
{
    StartMenu();
    auto &main = Page<TMainPage>(PageMain);
    Click(main.Options.Rect);
    Wait(200);
    EXPECT_EQ(MenuPage, PageMain);
    EXPECT_TRUE(Menu->TransitionActive);
    Click(main.HighScore.Rect);   // still the main page: the transition restarts towards the table
    Wait(400);
    EXPECT_EQ(MenuPage, PageMain);
    Wait(150);
    EXPECT_EQ(MenuPage, PageHighScore);
    EXPECT_FALSE(Menu->TransitionActive);
}

TEST_F(MenuTest, AHeldButtonClicksOnce)
{
    StartMenu();
    Menu->ShowPage(PageSound);
    Frame();
    auto &sound = Page<TSoundPage>(PageSound);
    PointAt(sound.Music.Right.Rect);
    Frame();
    Down[VkLeftButton] = true;
    Wait(300);
    Down[VkLeftButton] = false;
    Frame();
    EXPECT_EQ(Config->MusicVolume, 0);   // one step from 100, wrapping round to 0
    Click(sound.Music.Right.Rect);
    EXPECT_EQ(Config->MusicVolume, 10);
    Click(sound.Sound.Left.Rect);
    EXPECT_EQ(Config->SoundVolume, 90);
}

TEST_F(MenuTest, MovingOntoAButtonPlaysTheHoverSoundOnce)
{
    StartMenu();
    const TButton &options = Page<TMainPage>(PageMain).Options;
    PointAt(options.Rect);
    Frame();
    EXPECT_TRUE(options.Entered);
    EXPECT_TRUE(WidgetHovered);
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_FALSE(options.Entered);
        EXPECT_TRUE(options.Hovered);
    }
    Point(0, 300);
    Frame();
    EXPECT_FALSE(options.Hovered);
    EXPECT_FALSE(WidgetHovered);
    PointAt(options.Rect);
    Frame();
    EXPECT_TRUE(options.Entered);
}

// "Resume Game" needs the saved level's file: the main page asks for it once per visit, not every
// frame, and what a visit found stands until the next one.
TEST_F(MenuTest, MainPageLooksForTheSavedLevelOncePerVisit)
{
    StartMenu({"Ace"});
    Config->Players[0].Level = "Saved.ses";
    TLOgFile log((GameDir() / "menu-log.txt").string(), true);
    LogFile = &log;
    const struct TDetach {
        ~TDetach() { LogFile = nullptr; }
    } detach;
    auto lookups = [&] {
        int count = 0;
        for (const std::string &line : SplitLines(ReadAll(GameDir() / "menu-log.txt")))
            count += line.find("Data\\Maps\\Saved.ses") != std::string::npos;
        return count;
    };
    auto &main = Page<TMainPage>(PageMain);
    Menu->ShowPage(PageMain);
    Wait(500);
    EXPECT_EQ(lookups(), 1);
    EXPECT_FLOAT_EQ(main.Start.Rect.CentreY(), 150) << "no saved level: the column starts with Start Game";

    WriteText(GameDir() / "Data" / "Maps" / "Saved.ses", "");
    Wait(200);
    EXPECT_EQ(lookups(), 1);
    EXPECT_FLOAT_EQ(main.Start.Rect.CentreY(), 150);

    Click(main.Options.Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageOptions);
    Click(Page<TOptionsPage>(PageOptions).Back.Rect);
    Wait(550);
    ASSERT_EQ(MenuPage, PageMain);
    Wait(500);
    EXPECT_EQ(lookups(), 2);
    EXPECT_FLOAT_EQ(main.Resume.Rect.CentreY(), 150) << "the next visit finds the level and offers to resume";
    EXPECT_FLOAT_EQ(main.Start.Rect.CentreY(), 98);
}

TEST_F(MenuTest, KeyFieldsCaptureByTheSlotRule)
{
    StartMenu();
    Menu->ShowPage(PageControls);
    Frame();
    auto &controls = Page<TControlsPage>(PageControls);
    TKeyEdit &accelerate = controls.Fields[KP_FORWARD];
    ASSERT_EQ(Keys->Bindings[KP_FORWARD], (std::array<int, 2>{87, 87}));
    Click(accelerate.Field.Rect);
    EXPECT_TRUE(accelerate.Capturing);
    Wait(300);
    EXPECT_TRUE(accelerate.Capturing);
    Press('U');
    EXPECT_FALSE(accelerate.Capturing);
    EXPECT_EQ(Keys->Bindings[KP_FORWARD], (std::array<int, 2>{87, 85}));
    Click(accelerate.Field.Rect);
    Press('Y');
    EXPECT_EQ(Keys->Bindings[KP_FORWARD], (std::array<int, 2>{85, 89}));

    // The left button binds only over the field itself.
    Click(accelerate.Field.Rect);
    Click(CentredRect(0, 240, 10, 10));
    EXPECT_TRUE(accelerate.Capturing);
    Click(accelerate.Field.Rect);
    EXPECT_FALSE(accelerate.Capturing);
    EXPECT_EQ(Keys->Bindings[KP_FORWARD], (std::array<int, 2>{89, 1}));

    // A pad's button is captured like a key.
    Click(accelerate.Field.Rect);
    Press(VkPadA);
    EXPECT_EQ(Keys->Bindings[KP_FORWARD], (std::array<int, 2>{1, VkPadA}));

    // One capture at a time; "DEFAULT" puts every action back.
    Click(accelerate.Field.Rect);
    Click(controls.Fields[KP_BACKWARD].Field.Rect);
    EXPECT_FALSE(accelerate.Capturing);
    EXPECT_TRUE(controls.Fields[KP_BACKWARD].Capturing);
    Click(controls.Default.Rect);
    EXPECT_FALSE(controls.Fields[KP_BACKWARD].Capturing);
    // W, S, the left and right mouse buttons, Q, Tab and C; the fire actions also on the pad's
    // right and left triggers.
    const std::array<int, 2> defaults[] = {{87, 87}, {83, 83}, {1, VkPadRightTrigger}, {2, VkPadLeftTrigger},
                                           {81, 81}, {9, 9},   {67, 67}};
    ASSERT_EQ(KeyActionCount, int(std::size(defaults)));
    for (int action = 0; action < KeyActionCount; ++action)
        EXPECT_EQ(Keys->Bindings[std::size_t(action)], defaults[action]) << action;
    EXPECT_EQ(BoundKeysText(Keys->Bindings[KP_PRIMARY]), "Mouse Left, JOY10");
}

// The mouse and pad settings: each box shows the key state's value, changes it at once, and
// "DEFAULT" puts it back; a hand-edited value between two steps shows as the nearest one.
TEST_F(MenuTest, ControlsPageSettingsChangeTheKeyStateAtOnce)
{
    Keys->MouseSensitivity = 137;
    Keys->PadDeadZone = 50;
    StartMenu();
    Menu->ShowPage(PageControls);
    Frame();
    auto &controls = Page<TControlsPage>(PageControls);
    EXPECT_EQ(controls.MouseSensitivity.Items.front(), "10%");
    EXPECT_EQ(controls.MouseSensitivity.Items.back(), "300%");
    EXPECT_EQ(controls.MouseSensitivity.Items[std::size_t(controls.MouseSensitivity.Index)], "140%");
    EXPECT_EQ(controls.PadSensitivity.Items[std::size_t(controls.PadSensitivity.Index)], "100%");
    EXPECT_EQ(controls.PadDeadZone.Items[std::size_t(controls.PadDeadZone.Index)], "50%");
    EXPECT_EQ(Keys->MouseSensitivity, 137) << "showing the page changes nothing";

    Click(controls.MouseSensitivity.Right.Rect);
    EXPECT_EQ(Keys->MouseSensitivity, 150);
    Click(controls.PadSensitivity.Left.Rect);
    EXPECT_EQ(Keys->PadSensitivity, 90);
    Click(controls.PadDeadZone.Right.Rect);   // past the last value: round to the first
    EXPECT_EQ(Keys->PadDeadZone, 0);
    Click(controls.PadDeadZone.Value.Rect);
    EXPECT_EQ(Keys->PadDeadZone, 5);
    EXPECT_NE(Keys->BindingsText().find("MOUSE_SENSITIVITY=150\r\nPAD_SENSITIVITY=90\r\nPAD_DEADZONE=5\r\n"), std::string::npos);

    Wait(600);
    Click(controls.Default.Rect);
    EXPECT_EQ(Keys->MouseSensitivity, 100);
    EXPECT_EQ(Keys->PadSensitivity, 100);
    EXPECT_EQ(Keys->PadDeadZone, 20);
    EXPECT_EQ(controls.PadDeadZone.Items[std::size_t(controls.PadDeadZone.Index)], "20%");
}

TEST_F(MenuTest, YesNoPagesActOnTheFirstButtonAndGoBackOnTheSecondOrEscape)
{
    StartMenu({"Ann", "Bob", "Cid"});
    // Escape on every yes/no page is its second button.
    const struct {
        int Page, Back;
    } questions[] = {{PageExit, PageMain},          {PageDelete, PagePlayers},        {PageClear, PageHighScore},
                     {PageRestart, PageView},       {PageSendHighScore, PageMain},    {PageConnectionFail, PageMain},
                     {PagePause, PageMain}};
    for (const auto &q : questions) {
        SCOPED_TRACE(q.Page);
        Menu->ShowPage(q.Page);
        Press(VkEscape);
        Wait(550);
        EXPECT_EQ(MenuPage, q.Back);
    }
    EXPECT_FALSE(QuitRequested);
    EXPECT_FALSE(RestartRequested);
    EXPECT_EQ(Config->PlayerCount, 3);
    // The pause page goes back to the mission when there is one.
    GameKind = 2;
    MenuActive = true;
    Menu->ShowPage(PagePause);
    Press(VkEscape);
    EXPECT_FALSE(MenuActive);
    EXPECT_EQ(MenuPage, PagePause);
    EXPECT_FALSE(Menu->TransitionActive);
    GameKind = 0;
    MenuActive = true;

    Menu->ShowPage(PageExit);
    Menu->ShowPage(PageExit);
    Click(Page<TExitPage>(PageExit).Yes.Rect);
    EXPECT_TRUE(QuitRequested);
    QuitRequested = false;

    // Deleting the current last player makes the new last one current; a second YES in the
    // transition deletes nobody else.
    Config->CurrentPlayer = 2;
    Menu->ShowPage(PageDelete);
    Click(Page<TDeletePage>(PageDelete).Yes.Rect);
    Click(Page<TDeletePage>(PageDelete).Yes.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PagePlayers);
    ASSERT_EQ(Config->PlayerCount, 2);
    EXPECT_EQ(Config->Players[0].Name, "Ann");
    EXPECT_EQ(Config->Players[1].Name, "Bob");
    EXPECT_EQ(Config->CurrentPlayer, 1);

    // With no player chosen, YES deletes nobody.
    Config->CurrentPlayer = NoPlayer;
    Menu->ShowPage(PageDelete);
    Click(Page<TDeletePage>(PageDelete).Yes.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PagePlayers);
    EXPECT_EQ(Config->PlayerCount, 2);
    EXPECT_EQ(Config->CurrentPlayer, NoPlayer);

    Config->HighScores[0] = {"Ace", "900"};
    Menu->ShowPage(PageClear);
    Click(Page<TClearPage>(PageClear).No.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageHighScore);
    EXPECT_EQ(Config->HighScores[0].Score, "900");
    Menu->ShowPage(PageClear);
    Click(Page<TClearPage>(PageClear).Yes.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageHighScore);
    for (const THighScore &entry : Config->HighScores) {
        EXPECT_EQ(entry.Name, "Anonymous");
        EXPECT_EQ(entry.Score, "0");
    }
}

TEST_F(MenuTest, PlayersPageOffersWhatTheTableAllows)
{
    StartMenu({"A1", "A2", "A3", "A4", "A5", "A6"});
    // A seventh player has no slot, whatever is typed on the create-player page.
    Menu->ShowPage(PageCreatePlayer);
    Type("SEVEN");
    Press(VkReturn);
    Wait(550);
    EXPECT_EQ(MenuPage, PageCreatePlayer);
    EXPECT_EQ(Config->PlayerCount, 6);
    Menu->ShowPage(PagePlayers);
    Frame();
    auto &players = Page<TPlayersPage>(PagePlayers);
    Click(players.Names[3].Rect);
    EXPECT_EQ(Config->CurrentPlayer, 3);
    // With six players the column starts with DELETE: CREATE is not offered.
    EXPECT_GT(players.Delete.Rect.Top, players.Back.Rect.Top);
    Click(players.Delete.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageDelete);
    Click(Page<TDeletePage>(PageDelete).Yes.Rect);
    Wait(550);
    EXPECT_EQ(Config->PlayerCount, 5);
    EXPECT_EQ(Config->Players[3].Name, "A5");
    Click(players.Create.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageCreatePlayer);
}

TEST_F(MenuTest, GraphicsApplyLeavesTheWindowSettingsToTheRestart)
{
    StartMenu();
    Menu->ShowPage(PageView);
    Frame();
    auto &view = Page<TViewPage>(PageView);
    // Every size of the table, the desktop's own by its size.
    const std::string desktop = std::to_string(ScreenWidthMetric() / 2 * 2) + "x" + std::to_string(ScreenHeightMetric() / 2 * 2);
    EXPECT_EQ(view.Resolution.Items,
              (std::vector<std::string>{"800x600", "1024x768", "1280x1024", desktop, "320x200", "640x480"}));
    EXPECT_TRUE(view.HasShaders) << "Mesa offers shader objects";
    EXPECT_TRUE(view.Shaders.Enabled);
    Click(view.Resolution.Right.Rect);
    Click(view.FullScreen.Value.Rect);
    Click(view.ColorDepth.Left.Rect);
    Click(view.Shadow.Left.Rect);
    Wait(600);
    EXPECT_EQ(Config->PendingResolution, 0);   // nothing stored before "APPLY"
    Click(view.Apply.Rect);
    EXPECT_EQ(Config->PendingResolution, 1);
    EXPECT_FALSE(Config->PendingFullScreen);
    EXPECT_EQ(Config->Resolution, 0);
    EXPECT_TRUE(Config->FullScreen);
    EXPECT_EQ(Config->ColorBits, 16);
    EXPECT_TRUE(Config->Shadows);
    Wait(550);
    ASSERT_EQ(MenuPage, PageRestart);
    Click(Page<TRestartPage>(PageRestart).No.Rect);
    Wait(550);
    EXPECT_EQ(MenuPage, PageView);
    EXPECT_EQ(view.Resolution.Index, 1);   // the page shows the choice waiting for the restart
    Menu->ShowPage(PageRestart);
    Click(Page<TRestartPage>(PageRestart).Yes.Rect);
    EXPECT_TRUE(QuitRequested);
    EXPECT_TRUE(RestartRequested);
    EXPECT_EQ(Config->Resolution, 1);
    EXPECT_FALSE(Config->FullScreen);
}

// A window size beyond the first three (the desktop's, 320 x 200, 640 x 480) is shown as it is and
// stays through "APPLY".
TEST_F(MenuTest, GraphicsApplyKeepsEveryWindowSize)
{
    for (int index : {3, 4, 5}) {
        SCOPED_TRACE(index);
        StartMenu({"Ace"}, 0, [&](TConfig &c) { c.Resolution = index; });
        Menu->ShowPage(PageView);
        Frame();
        auto &view = Page<TViewPage>(PageView);
        EXPECT_EQ(view.Resolution.Index, index);
        Click(view.Apply.Rect);
        EXPECT_EQ(Config->PendingResolution, index);
        MenuObject.reset();
        delete Config;
        Config = nullptr;
        delete Locale;
        Locale = nullptr;
    }
}

TEST_F(MenuTest, GameOptionsAreStoredOnLeaving)
{
    StartMenu();
    Menu->ShowPage(PageGame);
    Frame();
    auto &game = Page<TGamePage>(PageGame);
    Click(game.Invert.Right.Rect);
    Click(game.Brightness.Right.Rect);
    Click(game.Brightness.Right.Rect);
    Click(game.Distance.Left.Rect);
    Click(game.Difficulty.Right.Rect);   // from normal to hard
    Wait(600);   // the box's own transition ends on the same page, which keeps its choices
    EXPECT_EQ(game.Invert.Index, 0);
    EXPECT_FALSE(Config->InvertMouse);
    Click(game.Back.Rect);
    EXPECT_TRUE(Config->InvertMouse);
    EXPECT_FLOAT_EQ(Config->Brightness, 2.0f / 55);
    EXPECT_EQ(Config->ViewDistance, 0);
    EXPECT_EQ(Config->Difficulty, 2);
    EXPECT_EQ(game.Difficulty.Items[2], "HARD");
    EXPECT_EQ(game.Brightness.Items[2], "22");
    Wait(550);
    EXPECT_EQ(MenuPage, PageOptions);
}

TEST_F(MenuTest, CountryEntryAddsTheScoreOnceAndSavesTheSettings)
{
    StartMenu({"Ace"});
    Config->Players[0].Score = 1500;
    Menu->ShowPage(PageCountry);
    Type("NORWAY");
    Press(VkReturn);
    Press(VkReturn);
    Wait(550);
    EXPECT_EQ(MenuPage, PageSendHighScore);
    EXPECT_EQ(Country, "NORWAY");
    EXPECT_EQ(Config->HighScores[0].Name, "Ace");
    EXPECT_EQ(Config->HighScores[0].Score, "1500");
    EXPECT_EQ(Config->HighScores[1].Score, "0");
    TConfig saved;
    saved.Load((GameDir() / "Config.cfg").string());
    EXPECT_EQ(saved.HighScores[0].Score, "1500");

    // An add-on map set keeps no high score.
    Config->Players[0].Campaign = false;
    Menu->ShowPage(PageCountry);
    Wait(550);
    EXPECT_EQ(MenuPage, PageMain);
    EXPECT_EQ(Config->HighScores[1].Score, "0");
}

// Every text of the Russian menu is translated: no Latin letters are left in captions, labels,
// values, titles or questions (key names and the resolutions stay as they are).
TEST_F(MenuTest, TheRussianMenuIsComplete)
{
    StartMenu({"Ace"}, 1);
    std::vector<std::string> texts;
    auto add = [&](const TButton &b) { texts.push_back(b.Caption); };
    auto box = [&](const TChangeBox &b, bool items) {
        texts.push_back(b.Label);
        if (items)
            texts.insert(texts.end(), b.Items.begin(), b.Items.end());
    };
    auto &main = Page<TMainPage>(PageMain);
    for (const TButton *b : {&main.Resume, &main.Start, &main.Options, &main.HighScore, &main.Credits, &main.Players,
                             &main.Exit, &main.Lan})
        add(*b);
    auto &options = Page<TOptionsPage>(PageOptions);
    for (const TButton *b : {&options.Graphics, &options.Sound, &options.Controls, &options.Game, &options.Back})
        add(*b);
    auto &view = Page<TViewPage>(PageView);
    box(view.Resolution, false);
    for (const TChangeBox *b : {&view.ColorDepth, &view.Shaders, &view.FullScreen, &view.Haze, &view.Shadow})
        box(*b, true);
    add(view.Apply);
    auto &game = Page<TGamePage>(PageGame);
    for (const TChangeBox *b : {&game.Camera, &game.Distance, &game.Effects, &game.Effects3D, &game.Invert, &game.Brightness,
                                &game.Reflections, &game.Difficulty})
        box(*b, true);
    add(Page<TControlsPage>(PageControls).Default);
    for (const TKeyAction &action : KeyActions)
        texts.push_back(Translate(std::string(action.MenuLabel), 1));
    for (int code : {-1, 1, 2, 4, 32, 37, 38, 39, 40, 200})
        texts.push_back(Translate(TKeys::KeyName(code), 1));
    auto &players = Page<TPlayersPage>(PagePlayers);
    add(players.Create);
    add(players.Delete);
    add(Page<TCreatePlayerPage>(PageCreatePlayer).Ok);
    EXPECT_EQ(Page<TCreatePlayerPage>(PageCreatePlayer).Entry.Text, Cp1251FromUtf8("Аноним"));
    auto &score = Page<THighScorePage>(PageHighScore);
    add(score.Clear);
    add(score.World);
    auto &help = Page<THelpPage>(PageHelp);
    for (const TButton *b : {&help.Prev, &help.Next, &help.Back})
        add(*b);
    for (int page : {PageExit, PageDelete, PageClear, PageRestart, PageSendHighScore, PageConnectionFail}) {
        auto &question = Page<TQuestionPage>(page);
        texts.insert(texts.end(), std::begin(question.Lines), std::end(question.Lines));
        add(question.Yes);
        add(question.No);
    }
    for (const char *title : {"Welcome", "OPTIONS", "GRAPHICS", "SOUND", "CONTROLS", "GAME", "PLAYERS", "ENTER NICK NAME",
                              "HIGH SCORE", "Place", "Name", "Score", "CREDITS", "ENTER COUNTRY", "MUSIC"})
        texts.push_back(Translate(title, 1));
    texts.push_back(Translate("Connection", 2));
    // The pages of a mission and the network pages.
    add(Page<TStageCompletePage>(PageStageComplete).Next);
    add(Page<TLosePage>(PageLose).Restart);
    add(Page<TLosePage>(PageLose).Exit);
    add(Page<TWeaponsPage>(PageWeapons).Start);
    add(Page<TWeaponsPage>(PageWeapons).Back);
    auto &servers = Page<TServersPage>(PageServers);
    for (const TButton *b : {&servers.Host, &servers.Join, &servers.Back})
        add(*b);
    add(Page<THostPage>(PageHost).Start);
    auto &pause = Page<TQuestionPage>(PagePause);
    texts.insert(texts.end(), std::begin(pause.Lines), std::end(pause.Lines));
    add(pause.Yes);
    add(pause.No);
    for (const char *text : {"Grate job!", "AIRCRAFTS", "SHIPS", "ACCURACY", "SCORE", "Game Over", "Click to continue",
                             "The mission could not be loaded", "No servers", "No multiplayer maps",
                             "Network games come in a later version", "The network game could not be started"})
        texts.push_back(Translate(text, 1));
    for (const std::string &text : texts) {
        SCOPED_TRACE(Utf8FromCp1251(text));
        EXPECT_EQ(std::count_if(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }), 0);
    }
}

// Every page drawn at 800 x 600, in both languages, for a person to look at: the pictures land in
// the build's test-runs folder. Each shows the backdrop, its panel, lime captions and its own title
// or question in its language.
TEST_F(MenuTest, EveryPageDraws)
{
    for (int language : {0, 1}) {
        StartMenu({"Ace", "Bob"}, language);
        Config->HighScores[0] = {"Ace", "12300"};
        const fs::path dir = fs::path(ZEPHRONA_TEST_DIR) / "menu-pages";
        fs::create_directories(dir);
        for (int page = 0; page < MenuPageCount; ++page) {
            if (!Menu->Pages[std::size_t(page)] || page == PageLast)
                continue;
            SCOPED_TRACE(page);
            Menu->ShowPage(page);
            Point(-470, 350);   // the cursor in a corner, off every button and caption
            Frame();
            const TScreen s = ReadScreen();
            std::vector<std::uint8_t> rgba;
            int lime = 0;
            for (std::size_t i = 0; i < s.rgb.size(); i += 3) {
                rgba.insert(rgba.end(), {s.rgb[i], s.rgb[i + 1], s.rgb[i + 2], 255});
                lime += s.rgb[i + 1] > 200 && s.rgb[i] > 140 && s.rgb[i] < 215 && s.rgb[i + 2] < 110;
            }
            WritePng((dir / ("page" + std::to_string(page) + (language ? "_rus" : "") + ".png")).string(), s.w, s.h, rgba);
            const std::uint8_t *corner = s.at(400, 590);
            EXPECT_GT(corner[0] + corner[1] + corner[2], 0) << "no backdrop";
            const auto caption = std::find_if(std::begin(PageCaptions), std::end(PageCaptions),
                                              [&](const TPageCaption &c) { return c.Page == page; });
            ASSERT_NE(caption, std::end(PageCaptions)) << "no caption known for this page";
            const auto captionsEnd = std::find_if(caption, std::end(PageCaptions),
                                                  [&](const TPageCaption &c) { return c.Page != page; });
            if (!caption->English) {
                // A picture over the whole virtual screen: most of it differs from the backdrop.
                Begin2D();
                Menu->DrawBackground();
                const TScreen backdrop = ReadScreen();
                int differing = 0;
                for (std::size_t i = 0; i < s.rgb.size(); i += 3)
                    differing += std::abs(s.rgb[i] - backdrop.rgb[i]) + std::abs(s.rgb[i + 1] - backdrop.rgb[i + 1]) > 24;
                EXPECT_GT(differing, s.w * s.h / 2) << "no picture";
                continue;
            }
            if (page != PageConnection) {
                EXPECT_GT(lime, 200) << "no captions";
            }
            // The page's own captions, in this language and not in the other.
            for (auto c = caption; c != captionsEnd; ++c) {
                const unsigned font = c->Big ? MenuBigFont : MenuFont;
                const char *shown = language ? c->Russian : c->English;
                const char *other = language ? c->English : c->Russian;
                const TCaptionMatch own = MatchCaption(s, shown, font, c->X, c->Y, c->Color, c->Align);
                EXPECT_TRUE(own.Shown()) << "\"" << shown << "\" is not shown: " << own;
                const TCaptionMatch wrong = MatchCaption(s, other, font, c->X, c->Y, c->Color, c->Align);
                EXPECT_TRUE(wrong.Absent()) << "\"" << other << "\" is shown: " << wrong;
            }
        }
        MenuObject.reset();
        delete Config;
        Config = nullptr;
        delete Locale;
        Locale = nullptr;
    }
}

} // namespace
