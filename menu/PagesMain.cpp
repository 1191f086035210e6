// The main page, the yes/no pages and the pages that only show a word.

#include "menu/Pages.h"

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "data/Keys.h"
#include "data/Locale.h"
#include "menu/HighScore.h"

#include <GL/gl.h>

namespace {

constexpr float ButtonStep = 52;   // virtual units between the centres of stacked buttons

} // namespace

void Clicked() { PlayMenuSound(ClickSound); }

bool EscapePressed()
{
    if (!Keys || !Keys->IsDown(VkEscape))
        return false;
    Keys->Release(VkEscape);
    return true;
}

TButton MenuButton(float x, float y, const std::string &caption, int section, float width)
{
    return TButton(CentredRect(x, y, width, 40), Translate(caption, section), MenuFont, MenuArt.ButtonIn, MenuArt.ButtonOut);
}

// ---- Main page ----------------------------------------------------------------------------------

TMainPage::TMainPage()
    : Resume(MenuButton(0, 0, "Resume Game")), Start(MenuButton(0, 0, "Start Game")), Options(MenuButton(0, 0, "Options")),
      HighScore(MenuButton(0, 0, "High Score")), Credits(MenuButton(0, 0, "Credits")), Players(MenuButton(0, 0, "Players")),
      Exit(MenuButton(0, 0, "Exit")), Lan(MenuButton(0, 0, "LAN"))
{
    LogoTexture = TextureLib->Load(AppDir + "Data\\Menu\\" + Translate("Logo.png", 0), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    Logo = TButton(TVRect{236, -368, 492, -336}, "", MenuFont, LogoTexture, LogoTexture);
    float y = 170;
    for (const std::string &path : FindModSets()) {
        if (Mods.size() >= 8)
            break;   // room for eight sets beside the main column
        try {
            Mods.emplace_back(ReadModSet(path), CentredRect(362, y, 240, 40));
            y -= ButtonStep;
        } catch (const std::exception &e) {
            LogWrite(std::string("Add-on map set skipped: ") + e.what());
        }
    }
}

void TMainPage::Show() { LastFrame = -2; }

void TMainPage::Frame(int, float cursorX, float cursorY)
{
    const TGamePlayer *player = CurrentGamePlayer();
    // Whether the saved level is there is asked once per visit, not every frame: a page that was
    // not on screen last frame is a new visit. A player switched meanwhile names another level.
    const std::string level = player && !player->Level.empty() ? LevelPath(player->Level) : std::string();
    if (LastFrame != MenuFrameCount - 1 || level != CheckedLevel) {
        CheckedLevel = level;
        SavedLevelFound = !level.empty() && DataFileExists(level);
    }
    LastFrame = MenuFrameCount;
    const bool resumable = GameKind != 0 || SavedLevelFound;
    std::vector<TButton *> column;
    if (resumable)
        column.push_back(&Resume);
    column.insert(column.end(), {&Start, &Options, &HighScore, &Credits, &Players, &Exit});
    if (LanEnabled)
        column.push_back(&Lan);

    const float top = 150, bottom = top - ButtonStep * float(column.size() - 1);
    DrawPanel(TVRect{-190, bottom - 44, 190, 268});
    DrawMenuText(Translate("Welcome", 1), MenuFont, 0, 238, TAlign::Centre, TitleColor);
    if (player)
        DrawMenuText(player->Name, MenuBigFont, 0, 204, TAlign::Centre, LimeColor);
    if (!Notice.empty())
        DrawMenuText(Notice, MenuFont, 0, bottom - 70, TAlign::Centre, CaretColor);
    for (std::size_t i = 0; i < column.size(); ++i) {
        column[i]->Rect = CentredRect(0, top - ButtonStep * float(i), 300, 40);
        if (!column[i]->Frame(cursorX, cursorY))
            continue;
        TButton *b = column[i];
        Clicked();
        Notice.clear();
        if (b == &Resume) {
            if (GameKind == 2)
                MenuActive = false;   // back to the mission where it was left
            else if (GameKind == 1)
                Menu->SetPage(PageWeapons);
            else
                LoadMission(CheckedLevel, false);
        } else if (b == &Start) {
            StartCampaign();
        } else if (b == &Options) {
            Menu->SetPage(PageOptions);
        } else if (b == &HighScore) {
            Menu->SetPage(PageHighScore);
        } else if (b == &Credits) {
            Menu->SetPage(PageHelp);
        } else if (b == &Players) {
            Menu->SetPage(PagePlayers);
        } else if (b == &Exit) {
            Menu->SetPage(PageExit);
        } else if (b == &Lan) {
            Menu->SetPage(PageServers);
        }
    }
    for (TModButton &mod : Mods)
        if (mod.Frame(cursorX, cursorY)) {
            Clicked();
            Notice.clear();
            StartModSet(mod.Set);
        }
    if (Logo.Frame(cursorX, cursorY)) {
        Clicked();
        ShellOpen("website.url");
    }
    // A level-select code starts its campaign mission; the last code has no use here.
    const int code = Cheat.Update();
    if (code >= 0 && code < LevelCodeCount - 1) {
        if (TGamePlayer *chosen = CurrentGamePlayer()) {
            chosen->Campaign = true;
            chosen->ShowScore = true;
        }
        Notice.clear();
        LoadMission(LevelPath("Level" + std::to_string(code + 1) + ".ses"), false);
    }
}

// ---- Yes/no pages -------------------------------------------------------------------------------

TQuestionPage::TQuestionPage(const std::string &line1, const std::string &line2, const std::string &line3,
                             const std::string &yes, const std::string &no)
    : Lines{Translate(line1, 2), Translate(line2, 2), Translate(line3, 2)}, Yes(MenuButton(-120, -40, yes, 2, 220)),
      No(MenuButton(120, -40, no, 2, 220))
{
}

void TQuestionPage::Frame(int, float cursorX, float cursorY)
{
    DrawPanel(TVRect{-270, -100, 270, 190});
    for (int i = 0; i < 3; ++i)
        DrawMenuText(Lines[i], MenuFont, 0, 140 - 40 * float(i), TAlign::Centre, TitleColor);
    if (Yes.Frame(cursorX, cursorY)) {
        Clicked();
        OnYes();
    }
    if (No.Frame(cursorX, cursorY) || EscapePressed()) {
        Clicked();
        OnNo();
    }
}

TExitPage::TExitPage() : TQuestionPage("Are you sure", "you want", "to quit the game?") {}

void TExitPage::OnYes()
{
    QuitRequested = true;
    Menu->SetPage(PageLast);   // never completes: the program ends after this frame
}

void TExitPage::OnNo() { Menu->SetPage(PageMain); }

TDeletePage::TDeletePage() : TQuestionPage("Are you sure", "you want", "to delete this player?") {}

void TDeletePage::OnYes()
{
    // Only the chosen player is deleted: with none chosen (a damaged settings file reads as none),
    // YES deletes nobody.
    if (!Deleted && Config->CurrentPlayer >= 0 && Config->CurrentPlayer < Config->PlayerCount) {
        const int current = Config->CurrentPlayer;
        for (int i = current; i + 1 < Config->PlayerCount; ++i)
            Config->Players[std::size_t(i)] = Config->Players[std::size_t(i + 1)];
        --Config->PlayerCount;
        Config->Players[std::size_t(Config->PlayerCount)] = TGamePlayer();
        Config->CurrentPlayer = std::clamp(current, 0, std::max(0, Config->PlayerCount - 1));
        Deleted = true;
    }
    Menu->SetPage(PagePlayers);
}

void TDeletePage::OnNo() { Menu->SetPage(PagePlayers); }

TClearPage::TClearPage() : TQuestionPage("Are you sure", "you want", "to clear highscore table?") {}

void TClearPage::OnYes()
{
    for (THighScore &entry : Config->HighScores)
        entry = {Translate("Anonymous", 1), "0"};
    Menu->SetPage(PageHighScore);
}

void TClearPage::OnNo() { Menu->SetPage(PageHighScore); }

TRestartPage::TRestartPage() : TQuestionPage("Are you sure", "you want", "to restart the game?") {}

void TRestartPage::OnYes()
{
    Config->Resolution = Config->PendingResolution;
    Config->FullScreen = Config->PendingFullScreen;
    QuitRequested = true;
    RestartRequested = true;
}

void TRestartPage::OnNo() { Menu->SetPage(PageView); }

TSendHighScorePage::TSendHighScorePage() : TQuestionPage("Send your score", "to the world's", "highscore page?", "YES", "NO")
{
}

void TSendHighScorePage::OnYes() { SendHighScore(); }
void TSendHighScorePage::OnNo() { Menu->SetPage(PageMain); }

TConnectionFailPage::TConnectionFailPage() : TQuestionPage("Connection Failed", "Retry?", "", "YES", "NO") {}

void TConnectionFailPage::OnYes() { SendHighScore(); }
void TConnectionFailPage::OnNo() { Menu->SetPage(PageMain); }

void TConnectionPage::Frame(int, float, float)
{
    DrawPanel(TVRect{-240, -10, 240, 110});
    DrawMenuText(Translate("Connection", 2), MenuBigFont, 0, 50, TAlign::Centre, TitleColor);
}

void TLastPage::Frame(int, float, float) { QuitRequested = true; }

// ---- The page table -----------------------------------------------------------------------------

void CreateMenuPages(std::array<std::unique_ptr<TMenuPage>, MenuPageCount> &pages)
{
    pages[PageMain] = std::make_unique<TMainPage>();
    pages[PageExit] = std::make_unique<TExitPage>();
    pages[PageOptions] = std::make_unique<TOptionsPage>();
    pages[PageView] = std::make_unique<TViewPage>();
    pages[PageSound] = std::make_unique<TSoundPage>();
    pages[PageControls] = std::make_unique<TControlsPage>();
    pages[PagePlayers] = std::make_unique<TPlayersPage>();
    pages[PageCreatePlayer] = std::make_unique<TCreatePlayerPage>();
    pages[PageDelete] = std::make_unique<TDeletePage>();
    pages[PageHighScore] = std::make_unique<THighScorePage>();
    pages[PageClear] = std::make_unique<TClearPage>();
    pages[PageHelp] = std::make_unique<THelpPage>();
    pages[PageLast] = std::make_unique<TLastPage>();
    pages[PageRestart] = std::make_unique<TRestartPage>();
    pages[PageCountry] = std::make_unique<TCountryPage>();
    pages[PageSendHighScore] = std::make_unique<TSendHighScorePage>();
    pages[PageConnection] = std::make_unique<TConnectionPage>();
    pages[PageConnectionFail] = std::make_unique<TConnectionFailPage>();
    pages[PageGame] = std::make_unique<TGamePage>();
    pages[PagePause] = std::make_unique<TPausePage>();
    pages[PageStageComplete] = std::make_unique<TStageCompletePage>();
    pages[PageLoad] = std::make_unique<TLoadPage>();
    pages[PageLose] = std::make_unique<TLosePage>();
    pages[PageStory] = std::make_unique<TStoryPage>();
    pages[PageFinal] = std::make_unique<TFinalPage>();
    pages[PageWeapons] = std::make_unique<TWeaponsPage>();
    pages[PageServers] = std::make_unique<TServersPage>();
    pages[PageHost] = std::make_unique<THostPage>();
    pages[PageWait] = std::make_unique<TWaitPage>();
}
