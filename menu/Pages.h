#pragma once
// The menu pages. Each draws its panel and widgets every frame and moves to other pages through
// Menu->SetPage. The pages that need a mission (pause, stage complete, loading, game over, story,
// final, weapons and the network pages) are not built yet: their slots stay empty and nothing leads
// to them.

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

class TMainPage : public TMenuPage {
public:
    TMainPage();
    void Show() override;
    void Frame(int dt, float cursorX, float cursorY) override;

    TButton                 Resume, Start, Options, HighScore, Credits, Players, Exit, Lan, Logo;
    std::vector<TModButton> Mods;
    TCheatCode              Cheat;
    int                     LogoTexture = -1;

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
    TChangeBox Camera, Distance, Effects, Effects3D, Invert, Brightness, Reflections;
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

class TCountryPage : public TMenuPage {
public:
    TCountryPage();
    void Show() override { Confirmed = false; }
    void Frame(int dt, float cursorX, float cursorY) override;
    TTextEntry Entry;
    TButton    Ok;
    bool       Confirmed = false;   // one high-score entry per visit
};
