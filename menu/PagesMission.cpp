// The campaign flow and the pages of a mission: story, loading, weapon choice, pause, stage
// complete, game over and the final screen.

#include "menu/Pages.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "hud/Out2D.h"
#include "render/Environment.h"
#include "sim/Player.h"
#include "sim/Weapons.h"
#include "sound/SoundLib.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

int LoadPicture(const std::string &path)
{
    if (!TextureLib || !DataFileExists(path)) {
        LogWrite("Menu picture missing: " + path);
        return -1;
    }
    try {
        return TextureLib->Load(path, GL_LINEAR, GL_LINEAR);
    } catch (const std::exception &e) {
        LogWrite("Menu picture unreadable: " + path + ": " + e.what());
        return -1;
    }
}

int LoadMenuPicture(const std::string &name) { return LoadPicture(AppDir + "Data\\Menu\\" + name); }

// The mission's images beside its script: "Level3.ses" gives "Level3_number.png" and, through the
// locale, "Level3_text.png".
std::string MissionImage(const std::string &mission, const std::string &suffix)
{
    std::string stem = mission;
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > stem.find_last_of("\\/") + 1)
        stem.erase(dot);
    return stem + suffix;
}

template <class TPage> TPage *MenuPageOf(int index)
{
    return Menu ? dynamic_cast<TPage *>(Menu->Pages[std::size_t(index)].get()) : nullptr;
}

void GoTo(int page, bool atOnce)
{
    if (atOnce)
        Menu->ShowPage(page);
    else
        Menu->SetPage(page);
}

} // namespace

// ---- The campaign flow --------------------------------------------------------------------------

TGamePlayer *CurrentGamePlayer()
{
    if (!Config || Config->CurrentPlayer < 0 || Config->CurrentPlayer >= Config->PlayerCount ||
        Config->CurrentPlayer >= int(Config->Players.size()))
        return nullptr;
    return &Config->Players[std::size_t(Config->CurrentPlayer)];
}

std::string LevelPath(const std::string &level) { return AppDir + "Data\\Maps\\" + level; }

void StartCampaign()
{
    TGamePlayer *player = CurrentGamePlayer();
    if (!player) {
        Menu->SetPage(PagePlayers);   // a game belongs to a player: choose one first
        return;
    }
    player->Score = 0;
    player->FirstScreen = "Data\\Menu\\" + Translate("Story.png", 0);
    player->LastScreen = "Data\\Menu\\" + Translate("Final.png", 0);
    player->Campaign = true;
    player->ShowScore = true;
    player->Level = "Level1.ses";
    Menu->SetPage(PageStory);
}

void StartModSet(const TModSet &set)
{
    TGamePlayer *player = CurrentGamePlayer();
    if (!player) {
        Menu->SetPage(PagePlayers);
        return;
    }
    player->Score = 0;
    player->FirstScreen = "Data\\" + set.FirstScreen;
    player->LastScreen = "Data\\" + set.LastScreen;
    player->Campaign = false;
    player->ShowScore = set.ShowScore;
    player->Level = set.FirstLevel;
    Menu->SetPage(PageStory);
}

void LoadMission(const std::string &mission, bool nextLevel, bool atOnce)
{
    if (auto *load = MenuPageOf<TLoadPage>(PageLoad))
        load->Request(mission, nextLevel);
    GoTo(PageLoad, atOnce);
}

void FinishStage(bool atOnce)
{
    const TGamePlayer *player = CurrentGamePlayer();
    if (!player || player->Level.empty()) {
        // The last mission was won: the final screen, then the country for the high score.
        ReleaseAllKeys();
        GameKind = 0;
        GoTo(PageFinal, atOnce);
        return;
    }
    LoadMission(LevelPath(player->Level), true, atOnce);
}

// ---- Pause --------------------------------------------------------------------------------------

TPausePage::TPausePage() : TQuestionPage("Are you sure", "you want", "to exit to main menu?") {}

void TPausePage::OnYes()
{
    if (LeaveNetworkGame)
        LeaveNetworkGame();
    Menu->SetPage(PageMain);
}

void TPausePage::OnNo()
{
    if (GameKind == 2)
        MenuActive = false;   // the mission goes on where it stopped
    else
        Menu->SetPage(PageMain);   // no mission to go back to
}

// ---- Stage complete -----------------------------------------------------------------------------

namespace {

// The debriefing panel: its heading band takes the top 112 rows of the 512 x 512 picture, then come
// five rows 76 apart from row 120, drawn one texel per virtual unit.
constexpr float ScorePanelTop = 290;
float ScoreRowY(int row) { return ScorePanelTop - 120 - 76 * float(row) - 38; }

// The debriefing's words are found in the string table under its long-standing keys, which the
// translations are matched on; the English page shows them spelled right.
std::string Debriefing(const char *key, const char *english)
{
    const std::string text = Translate(key, 1);
    return text == key ? english : text;
}

} // namespace

TStageCompletePage::TStageCompletePage() : Next(MenuButton(0, ScorePanelTop - 512 - 44, "Next"))
{
    PanelTexture = LoadMenuPicture(Translate("Score.png", 0));
}

int TStageCompletePage::Accuracy(int shots, int hits)
{
    if (shots == 0)
        shots = 1;
    return int(std::lround(100.0 * double(hits) / double(shots)));
}

void TStageCompletePage::Frame(int, float cursorX, float cursorY)
{
    const TVRect panel{-256, ScorePanelTop - 512, 256, ScorePanelTop};
    if (PanelTexture >= 0)
        DrawImageIn(PanelTexture, panel);
    else
        DrawPanel(panel);
    const TPlayerStatistics &s = *MissionStatistics;
    const TGamePlayer *player = CurrentGamePlayer();
    constexpr float left = -216, middle = 40, right = 216;
    DrawMenuText(Debriefing("Grate job!", "Great job!"), MenuBigFont, 0, ScoreRowY(0), TAlign::Centre, HighlightColor);
    DrawMenuText(Debriefing("AIRCRAFTS", "AIRCRAFT"), MenuFont, left, ScoreRowY(1), TAlign::Left, TitleColor);
    DrawMenuText("300x", MenuFont, middle, ScoreRowY(1), TAlign::Left, DimColor);
    DrawMenuText(std::to_string(s.AircraftKills), MenuBigFont, right, ScoreRowY(1), TAlign::Right, LimeColor);
    DrawMenuText(Translate("SHIPS", 1), MenuFont, left, ScoreRowY(2), TAlign::Left, TitleColor);
    DrawMenuText("500x", MenuFont, middle, ScoreRowY(2), TAlign::Left, DimColor);
    DrawMenuText(std::to_string(s.ShipKills), MenuBigFont, right, ScoreRowY(2), TAlign::Right, LimeColor);
    DrawMenuText(Translate("ACCURACY", 1) + ": " + std::to_string(Accuracy(s.Shots, s.Hits)) + "%", MenuFont, left,
                 ScoreRowY(3), TAlign::Left, TitleColor);
    DrawMenuText(Translate("SCORE", 1), MenuFont, left, ScoreRowY(4), TAlign::Left, TitleColor);
    DrawMenuText(std::to_string(player ? player->Score : 0), MenuBigFont, right, ScoreRowY(4), TAlign::Right,
                 HighlightColor);
    if (Next.Frame(cursorX, cursorY)) {
        Clicked();
        FinishStage(false);
    }
}

// ---- Loading ------------------------------------------------------------------------------------

namespace {

// Places on the loading picture (a 1024 x 768 screen, rows from the top) left free for the game.
constexpr TVRect NumberPlace{112 - 512, 384 - 576, 368 - 512, 384 - 448};
constexpr TVRect TitlePlace{384 - 512, 384 - 576, 896 - 512, 384 - 448};
constexpr TVRect BarPlace{256 - 512, 384 - 672, 768 - 512, 384 - 640};

} // namespace

TLoadPage::TLoadPage()
{
    PictureTexture = LoadMenuPicture(Translate("Loading.png", 0));
    EmptyTexture = LoadMenuPicture("Loading_Empty.png");
    FullTexture = LoadMenuPicture("Loading_Full.png");
    ReadyTexture = LoadMenuPicture("Loading_Ready.png");
}

void TLoadPage::Request(const std::string &mission, bool nextLevel)
{
    Mission = mission;
    NextLevel = nextLevel;
    Pending = true;
    NumberTexture = TitleTexture = -1;
    // The images of a mission that is not there are not looked for: the load will say so.
    if (!mission.empty() && DataFileExists(mission)) {
        const std::string number = MissionImage(mission, "_number.png"), title = MissionImage(mission, Translate("_text.png", 0));
        if (DataFileExists(number))
            NumberTexture = LoadPicture(number);
        if (DataFileExists(title))
            TitleTexture = LoadPicture(title);
    }
}

void TLoadPage::DrawScreen() const
{
    if (PictureTexture >= 0)
        DrawScreenPicture(PictureTexture);
    // The number's picture is half as wide as the title's and as high: both one texel per unit.
    if (NumberTexture >= 0)
        DrawImageIn(NumberTexture, NumberPlace);
    if (TitleTexture >= 0)
        DrawImageIn(TitleTexture, TitlePlace);
    const int total = std::max(1, Menu ? Menu->LoadingTotal : BarSteps);
    const int count = std::clamp(Menu ? Menu->LoadingCount : 0, 0, total + 1);
    if (count > total && ReadyTexture >= 0) {
        DrawImageIn(ReadyTexture, BarPlace);
        return;
    }
    if (EmptyTexture >= 0)
        DrawImageIn(EmptyTexture, BarPlace);
    if (FullTexture >= 0 && count > 0 && Out2D) {
        // The lit track revealed from the left as far as the load has come.
        const float share = float(std::min(count, total)) / float(total);
        const float right = BarPlace.Left + (BarPlace.Right - BarPlace.Left) * share;
        glColor4f(1, 1, 1, 1);
        Out2D->DrawImage(FullTexture, VX(BarPlace.Left), VY(BarPlace.Top), VX(right), VY(BarPlace.Bottom), 0, 0, share, 1);
    }
}

void TLoadPage::Frame(int, float, float)
{
    if (Pending) {
        Pending = false;
        Load();
        return;
    }
    // Nothing asked to be loaded (the page was opened on its own): nothing to wait for here.
    DrawScreen();
    if (!Menu->TransitionActive)
        Menu->ShowPage(PageMain);
}

void TLoadPage::Load()
{
    Menu->LoadingTotal = BarSteps;
    Menu->LoadingCount = 0;
    Loading = true;
    DrawScreen();
    SwapBuffersNow();

    if (Mission.empty() || !DataFileExists(Mission)) {
        Loading = false;
        if (NextLevel) {
            // The campaign's next mission is not there (yet): the campaign ends here, as after its
            // last mission; the saved level stays for when it comes.
            LogWrite("The next mission is missing: " + Mission + "; the campaign ends here");
            ReleaseAllKeys();
            GameKind = 0;
            Menu->ShowPage(PageFinal);
            return;
        }
        Failed("File not found: \"" + Mission + "\"");
        return;
    }
    if (!Environment) {
        Loading = false;
        Failed("no scene to fly it in");
        return;
    }
    try {
        Environment->World.Progress = [] {
            if (Menu)
                Menu->LoadingStep(1, true);
        };
        // Loads the map and the script and puts the player aircraft at the mission's start.
        Environment->StartMission(Mission);
    } catch (const std::exception &e) {
        Loading = false;
        Failed(e.what());
        return;
    }
    Loading = false;
    Menu->MissionEndHandled = false;

    // The finished bar, then the frame darkened: the picture fades behind the weapon choice.
    Menu->LoadingCount = std::max(Menu->LoadingCount, Menu->LoadingTotal) + 1;
    Begin2D();
    Menu->DrawBackground();
    DrawScreen();
    DarkenScreen();
    GameKind = 1;
    Menu->ShowPage(PageWeapons);
}

void TLoadPage::Failed(const std::string &reason)
{
    // Said in the log and on the main page; whatever mission was loaded before is gone or stale.
    LogWrite("Cannot load the mission " + Mission + ": " + reason);
    GameKind = 0;
    Menu->ShowPage(PageMain);
    if (auto *main = MenuPageOf<TMainPage>(PageMain))
        main->Notice = Translate("The mission could not be loaded", 1);
}

// ---- Game over ----------------------------------------------------------------------------------

TLosePage::TLosePage() : Restart(MenuButton(0, 20, "RESTART")), Exit(MenuButton(0, -32, "EXIT")) {}

void TLosePage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-220, -76, 220, 160});
    DrawMenuText(Translate("Game Over", 1), MenuBigFont, 0, 100, TAlign::Centre, CaretColor);
    if (Restart.Frame(cursorX, cursorY)) {
        Clicked();
        const auto *load = MenuPageOf<TLoadPage>(PageLoad);
        LoadMission(load ? load->Mission : std::string(), false);
    }
    if (Exit.Frame(cursorX, cursorY)) {
        Clicked();
        MenuActive = true;
        GameKind = 0;
        Menu->SetPage(PageCountry);
    }
}

// ---- Story and final screen ---------------------------------------------------------------------

void TPicturePage::Show()
{
    Left = false;
    Texture = LoadPicture(AppDir + Picture());
}

void TPicturePage::Frame(int, float, float)
{
    if (Texture >= 0)
        DrawScreenPicture(Texture);
    else
        DrawMenuText(Translate("Click to continue", 1), MenuFont, 0, -330, TAlign::Centre, LimeColor);
    if (!Left && Keys && Keys->IsDown(VkLeftButton)) {
        Left = true;
        Clicked();
        OnClick();
    }
}

std::string TStoryPage::Picture() const
{
    const TGamePlayer *player = CurrentGamePlayer();
    return player && !player->FirstScreen.empty() ? player->FirstScreen : "Data\\Menu\\" + Translate("Story.png", 0);
}

void TStoryPage::OnClick()
{
    const TGamePlayer *player = CurrentGamePlayer();
    LoadMission(player ? LevelPath(player->Level) : std::string(), false);
}

std::string TFinalPage::Picture() const
{
    const TGamePlayer *player = CurrentGamePlayer();
    return player && !player->LastScreen.empty() ? player->LastScreen : "Data\\Menu\\" + Translate("Final.png", 0);
}

void TFinalPage::OnClick() { Menu->SetPage(PageCountry); }

// ---- Weapon choice ------------------------------------------------------------------------------

namespace {

constexpr float WeaponButtonSize = 112, WeaponButtonY = 100, WeaponButtonStep = 150;

} // namespace

TWeaponsPage::TWeaponsPage() : Start(MenuButton(-140, -282, "START", 1, 250)), Back(MenuButton(140, -282, "BACK", 1, 250))
{
    HeadingTexture = LoadMenuPicture(Translate("Weapons.png", 0));
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i + 1);
        const int plain = LoadMenuPicture("button_weapon" + n + ".png"), chosen = LoadMenuPicture("button_weapon" + n + "_select.png");
        const float x = WeaponButtonStep * (float(i) - 1.5f);
        // Under the cursor a button lights up as the chosen one looks.
        Weapons[std::size_t(i)] = TCheckButton(CentredRect(x, WeaponButtonY, WeaponButtonSize, WeaponButtonSize), chosen, plain,
                                               chosen, chosen);
        CardTextures[std::size_t(i)] = LoadMenuPicture(Translate("Weapon" + n + ".png", 0));
    }
    if (SoundLib) {
        const std::string start = AppDir + "Data\\Sounds\\begin.wav";
        if (DataFileExists(start))
            StartSound = SoundLib->LoadSample(start, false);
    }
    Show();
}

void TWeaponsPage::Show()
{
    // The weapon flown last is offered again.
    if (const TGamer *gamer = PlayerGamer())
        Chosen = std::clamp(gamer->SpecialChoice, 0, 3);
    for (std::size_t i = 0; i < Weapons.size(); ++i)
        Weapons[i].Selected = int(i) == Chosen;
}

void TWeaponsPage::Frame(int, float cursorX, float cursorY)
{
    if (HeadingTexture >= 0)
        DrawImageIn(HeadingTexture, TVRect{-256, 172, 256, 300});
    for (std::size_t i = 0; i < Weapons.size(); ++i)
        if (Weapons[i].Frame(cursorX, cursorY) && Chosen != int(i)) {
            Clicked();
            Chosen = int(i);
            for (std::size_t k = 0; k < Weapons.size(); ++k)
                Weapons[k].Selected = k == i;
        }
    const int card = CardTextures[std::size_t(Chosen)];
    if (card >= 0)
        DrawImageIn(card, TVRect{-256, -228, 256, 28});
    if (Start.Frame(cursorX, cursorY)) {
        if (GameKind != 1) {
            // No mission waits for its weapon (the page was opened on its own).
            Clicked();
            Menu->SetPage(PageMain);
            return;
        }
        if (TGamer *gamer = PlayerGamer())
            gamer->SpecialChoice = Chosen;
        PlayMenuSound(StartSound);
        Clicked();
        GameKind = 2;
        MenuActive = false;
        MenuPage = PageMain;
    }
    if (Back.Frame(cursorX, cursorY)) {
        Clicked();
        Menu->SetPage(PageMain);
    }
}
