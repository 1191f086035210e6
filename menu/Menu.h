#pragma once
// The front end: a fixed set of 29 pages drawn over a full-screen background, the menu's own mouse
// cursor, page transitions, the menu fonts and button sounds. The frame loop runs TMenu::Frame every
// frame while MenuActive is true.

#include "sound/FSound.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// The pages, by index.
constexpr int PageMain = 0, PageExit = 1, PageOptions = 2, PageView = 3, PageSound = 4, PageControls = 5,
              PagePlayers = 6, PageCreatePlayer = 7, PageDelete = 8, PageHighScore = 9, PageClear = 10,
              PageHelp = 11, PageLast = 12, PageRestart = 13, PagePause = 14, PageStageComplete = 15,
              PageLoad = 16, PageLose = 17, PageStory = 18, PageFinal = 19, PageCountry = 20,
              PageSendHighScore = 21, PageConnection = 22, PageConnectionFail = 23, PageWeapons = 24,
              PageGame = 25, PageServers = 26, PageHost = 27, PageWait = 28;
constexpr int MenuPageCount = 29;

constexpr int TransitionLength = 500;   // ms from SetPage to the page change

class TMenuPage {
public:
    virtual ~TMenuPage() = default;
    // Updates and draws the page and reacts to input. Dt in ms; the cursor in normalised device units.
    virtual void Frame(int dt, float cursorX, float cursorY) = 0;
    // Called when another page hands over to this one, or when it is shown at once.
    virtual void Show() {}
};

class TMenu {
public:
    // Loads the background, cursor and wait images, the fonts, the button sounds and the menu music
    // (when the data has it), creates every page and chooses the first one: the create-player page
    // when there is no player (current player 0), else the main page. Needs the GL context, the
    // texture library, the 2D output, the sound library, the key state and the configuration.
    TMenu();
    ~TMenu();
    TMenu(const TMenu &) = delete;
    TMenu &operator=(const TMenu &) = delete;

    // One menu frame: background, the current page, the transition, the cursor; then the latched
    // mouse buttons are released so that one physical click acts in one frame only.
    void Frame(int dt);
    // Starts a transition to Page: the current page stays live for TransitionLength ms more. A new
    // SetPage during a transition restarts it towards the new target.
    void SetPage(int page);
    // Shows Page at once, ending any transition (for work that blocks the frame loop).
    void ShowPage(int page);
    // Advances the loading counter by N and draws the wait image over the whole screen, swapping
    // buffers when asked. For the world loader between its steps.
    void LoadingStep(int n, bool swap);

    float CursorX = 0, CursorY = 0;   // normalised device units, recomputed every frame
    int   BackgroundTexture = -1, CursorInTexture = -1, CursorOutTexture = -1, CursorZoomTexture = -1,
          CursorRotateTexture = -1, WaitTexture = -1;
    std::array<std::unique_ptr<TMenuPage>, MenuPageCount> Pages;   // null: the page is not built
    bool  TransitionActive = false;
    int   TransitionTime = 0;   // ms into the transition
    int   TargetPage = 0;
    int   LoadingCount = 0, LoadingTotal = 0;
    std::int64_t Clock = 0;     // ms of menu frames run; turns the rotating cursor

private:
    void DrawCursor();
};

extern TMenu *Menu;   // created at start-up after the HUD

extern int         MenuPage;       // index of the current page
extern int         GameKind;       // 0 no mission loaded, 1 loaded and waiting for the weapon choice, 2 running or paused
extern std::string Country;        // entered on the country page (Windows-1251)
extern bool        WidgetHovered;  // some widget under the cursor this frame: the cursor shows "in"
extern bool        LanEnabled;     // shows the LAN button; off unless something turns it on
extern int         MenuFrameCount; // menu frames run, so that widgets know whether they were on screen last frame

// The menu fonts ("Perfo" at 17, 28, 11 and 8 points, scaled by UiScale): display-list bases.
extern unsigned MenuFont, MenuBigFont, MenuSmallFont, MenuTinyFont;

extern FSOUND_SAMPLE *OnButtonSound;   // "Data\Sounds\OnButton.WAV": the cursor moves onto a widget
extern FSOUND_SAMPLE *ClickSound;      // "Data\Sounds\Click.WAV"

// Plays a one-shot menu sound at the configured sound volume; nothing without a sound library.
void PlayMenuSound(FSOUND_SAMPLE *sample);
