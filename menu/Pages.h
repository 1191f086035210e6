#pragma once
// The menu pages. Each draws its panel and widgets every frame and moves to other pages through
// Menu->SetPage (or Menu->ShowPage where no transition leads).

#include "data/Config.h"
#include "menu/Menu.h"
#include "menu/Widgets.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// Creates the pages that exist into their slots.
void CreateMenuPages(std::array<std::unique_ptr<TMenuPage>, MenuPageCount> &pages);

// A wide menu button centred on (X, Y), its caption translated from section Section.
TButton MenuButton(float x, float y, const std::string &caption, int section = 1, float width = 300);

// The click sound that follows every button that acts.
void Clicked();
// Escape was pressed (and is taken).
bool EscapePressed();

// ---- The campaign flow --------------------------------------------------------------------------
//
// A player's level is the next mission's script relative to "Data\Maps\", as the mission script's
// NextLevel names it ("Level2.ses"), both for the campaign and for add-on map sets; the first and
// last screens are paths below the game folder ("Data\Menu\Story.png").

// The chosen player, or null when none is.
TGamePlayer *CurrentGamePlayer();
// The game path of a level: AppDir + "Data\Maps\" + Level.
std::string LevelPath(const std::string &level);
// "Start Game": the chosen player's game starts over with the campaign, at the story page.
void StartCampaign();
// An add-on map set's button: its own game starts like the campaign, with the set's screens and
// first level, no high-score entry, the score shown as the set says.
void StartModSet(const TModSet &set);
// Goes to the loading page, which loads Mission (a game path) when it runs. NextLevel: the mission
// is the campaign's next level, and a missing file ends the campaign instead of failing. AtOnce:
// the page is shown at once, not after a transition.
void LoadMission(const std::string &mission, bool nextLevel, bool atOnce = false);
// After a won mission ("Next" on the stage-complete page, or at once for a player who skips the
// score): the next level's loading page, or after the last one the final page.
void FinishStage(bool atOnce);

class TMainPage : public TMenuPage {
public:
    TMainPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;

    TButton                 Resume, Start, Options, HighScore, Credits, Players, Exit, Lan, Logo;
    std::vector<TModButton> Mods;
    TCheatCode              Cheat;
    int                     LogoTexture = -1;
    std::string             Notice;   // why the last mission could not be loaded; cleared by the next choice

private:
    // The current player's saved level, looked up once per visit: "Resume Game" needs it there.
    std::string CheckedLevel;
    bool        SavedLevelFound = false;
    int         LastFrame = -2;   // the menu frame the page was last drawn in
};

// The yes/no pages: three lines of question, the first button acts, the second or Escape goes back.
class TQuestionPage : public TMenuPage {
public:
    TQuestionPage(const std::string &line1, const std::string &line2, const std::string &line3,
                  const std::string &yes = "YES", const std::string &no = "BACK");
    void Frame(int dt, float cursorX, float cursorY) override;
    virtual void OnYes() = 0;
    virtual void OnNo() = 0;

    std::string Lines[3];
    TButton     Yes, No;
};

class TExitPage : public TQuestionPage {
public:
    TExitPage();
    void OnYes() override;
    void OnNo() override;
};

class TDeletePage : public TQuestionPage {
public:
    TDeletePage();
    void Show() override { Deleted = false; }
    void OnYes() override;
    void OnNo() override;
    bool Deleted = false;   // one player per visit, however often YES is clicked in the transition
};

class TClearPage : public TQuestionPage {
public:
    TClearPage();
    void OnYes() override;
    void OnNo() override;
};

class TRestartPage : public TQuestionPage {
public:
    TRestartPage();
    void OnYes() override;
    void OnNo() override;
};

class TSendHighScorePage : public TQuestionPage {
public:
    TSendHighScorePage();
    void OnYes() override;
    void OnNo() override;
};

class TConnectionFailPage : public TQuestionPage {
public:
    TConnectionFailPage();
    void OnYes() override;
    void OnNo() override;
};

class TConnectionPage : public TMenuPage {
public:
    void Frame(int dt, float cursorX, float cursorY) override;
};

// No completed transition leads here: reaching it ends the program.
class TLastPage : public TMenuPage {
public:
    void Frame(int dt, float cursorX, float cursorY) override;
};

class TOptionsPage : public TMenuPage {
public:
    TOptionsPage();
    void Frame(int dt, float cursorX, float cursorY) override;
    TButton Graphics, Sound, Controls, Game, Back;
};

// Graphics: the window settings wait for a restart; the others are stored at once on "APPLY".
class TViewPage : public TMenuPage {
public:
    TViewPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    TChangeBox Resolution, ColorDepth, Shaders, FullScreen, Haze, Shadow;
    TButton    Apply, Back;
    bool       HasShaders = false, HasFramebuffers = false;
};

class TSoundPage : public TMenuPage {
public:
    TSoundPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    TChangeBox Music, Sound;
    TButton    Back;
};

class TControlsPage : public TMenuPage {
public:
    TControlsPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    std::vector<TKeyEdit> Fields;
    // The mouse and pad settings of the key state, changed there at once.
    TChangeBox            MouseSensitivity, PadSensitivity, PadDeadZone;
    TButton               Default, Back;
};

class TGamePage : public TMenuPage {
public:
    TGamePage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    // The boxes' values into the configuration.
    void Store() const;
    TChangeBox Camera, Distance, Effects, Effects3D, Invert, Brightness, Reflections, Difficulty;
    TButton    Back;
};

class TPlayersPage : public TMenuPage {
public:
    TPlayersPage();
    void Frame(int dt, float cursorX, float cursorY) override;
    std::array<TButton, 6> Names;
    TButton                Create, Delete, Back;
};

class TCreatePlayerPage : public TMenuPage {
public:
    TCreatePlayerPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    TTextEntry Entry;
    TButton    Ok, Back;
    bool       Created = false;   // one player per visit, however often it is confirmed in the transition
};

class THighScorePage : public TMenuPage {
public:
    THighScorePage();
    void Frame(int dt, float cursorX, float cursorY) override;
    TButton Clear, World, Back;
};

class THelpPage : public TMenuPage {
public:
    THelpPage();
    void Frame(int dt, float cursorX, float cursorY) override;
    std::vector<TTextWindow> Panels;
    int                      Current = 0;
    TButton                  Prev, Next, Back;
};

// ---- The pages of a mission --------------------------------------------------------------------

// Escape in flight: YES leaves the mission paused for the main page ("Resume Game" continues it);
// BACK or Escape returns to the mission.
class TPausePage : public TQuestionPage {
public:
    TPausePage();
    void OnYes() override;
    void OnNo() override;
};

// The mission's statistics and the player's score after a win; "Next" goes on.
class TStageCompletePage : public TMenuPage {
public:
    TStageCompletePage();
    void Frame(int dt, float cursorX, float cursorY) override;
    // 100 x hits / shots rounded, a shot count of 0 taken as 1.
    static int Accuracy(int shots, int hits);
    int     PanelTexture = -1;
    TButton Next;
};

// The loading screen: the picture, the mission's number and title, the bar. A requested load runs
// inside the page's first frame, then the weapons page follows.
class TLoadPage : public TMenuPage {
public:
    TLoadPage();
    void Request(const std::string &mission, bool nextLevel);
    void Frame(int dt, float cursorX, float cursorY) override;
    // The picture with the mission's images and the bar as the menu's loading count stands.
    void DrawScreen() const;

    static constexpr int BarSteps = 6;   // the world loader's steps
    std::string Mission;                 // the requested or last loaded mission (game path)
    bool        Pending = false, NextLevel = false;
    bool        Loading = false;         // inside the load: the loader's steps redraw this page
    int         PictureTexture = -1, EmptyTexture = -1, FullTexture = -1, ReadyTexture = -1;
    int         NumberTexture = -1, TitleTexture = -1;   // of the mission requested; -1: none

private:
    void Load();
    void Failed(const std::string &reason);
};

// Game over: RESTART loads the same mission again, EXIT leaves the game for the country page.
class TLosePage : public TMenuPage {
public:
    TLosePage();
    void Frame(int dt, float cursorX, float cursorY) override;
    TButton Restart, Exit;
};

// A full-screen picture that a click leaves: the story before the first mission and the final
// screen after the last.
class TPicturePage : public TMenuPage {
public:
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    virtual std::string Picture() const = 0;   // game path of the picture
    virtual void OnClick() = 0;
    int  Texture = -1;   // -1: the picture is missing
    bool Left = false;   // one click per visit
};

class TStoryPage : public TPicturePage {
public:
    std::string Picture() const override;
    void OnClick() override;
};

class TFinalPage : public TPicturePage {
public:
    std::string Picture() const override;
    void OnClick() override;
};

// The special weapon for the mission loaded: four buttons of which one is chosen, with the chosen
// weapon's card; START flies the mission.
class TWeaponsPage : public TMenuPage {
public:
    TWeaponsPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;
    std::array<TCheckButton, 4> Weapons;
    std::array<int, 4>          CardTextures{-1, -1, -1, -1};
    int                         HeadingTexture = -1;
    int                         Chosen = 0;
    TButton                     Start, Back;
    FSOUND_SAMPLE              *StartSound = nullptr;   // "Data\Sounds\begin.wav"
};

// ---- The network pages --------------------------------------------------------------------------

// Reads "Servers.txt": every group of three lines is a server; an incomplete last group is left out.
// A missing file gives no servers.
std::vector<TServerEntry> ReadServerFile(const std::string &fileName);

class TServersPage : public TMenuPage {
public:
    TServersPage();
    void Frame(int dt, float cursorX, float cursorY) override;
    // Adds a server; one whose three texts equal an entry's only refreshes that entry's time stamp.
    void AddServer(const TServerEntry &server);

    std::vector<TServerEntry> Servers;
    std::vector<TButton>      Names;     // one per server shown
    int                       Chosen = -1;
    int                       HeadingTexture = -1;
    std::string               Notice;    // what the last JOIN could not do
    TButton                   Host, Join, Back;
};

class THostPage : public TMenuPage {
public:
    THostPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;

    std::vector<std::string> Maps;       // names of "Data\Maps\MP\*.ses"
    std::vector<TButton>     Names;
    int                      Chosen = -1;
    int                      HeadingTexture = -1;
    std::string              Notice;
    TButton                  Start, Back;
};

// The wait picture while a network game gets ready; the network layer leaves it when the game
// starts, Escape when it does not.
class TWaitPage : public TMenuPage {
public:
    void Frame(int dt, float cursorX, float cursorY) override;
};

class TCountryPage : public TMenuPage {
public:
    TCountryPage();
    void Show() override { Confirmed = false; }
    void Frame(int dt, float cursorX, float cursorY) override;
    TTextEntry Entry;
    TButton    Ok;
    bool       Confirmed = false;   // one high-score entry per visit
};
