#pragma once
// The front end: a fixed set of 29 pages drawn over a full-screen background, the menu's own mouse
// cursor, page transitions, the menu fonts and button sounds. The frame loop runs TMenu::Frame every
// frame while MenuActive is true.

#include "sound/FSound.h"

#include <array>
#include <cstdint>
#include <functional>
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
    // Advances the loading counter by N and redraws the loading screen (the loading page with its
    // bar while that page loads a mission, else the wait image), swapping buffers when asked. For
    // the world loader between its steps.
    void LoadingStep(int n, bool swap);
    // The backdrop over the whole window: the 4:3 picture scaled to cover it, the parts beyond the
    // window cut off (at the bottom of a wide window, at both sides of a narrow one), never stretched.
    void DrawBackground() const;

    float CursorX = 0, CursorY = 0;   // normalised device units, recomputed every frame
    int   BackgroundTexture = -1, CursorInTexture = -1, CursorOutTexture = -1, CursorZoomTexture = -1,
          CursorRotateTexture = -1, WaitTexture = -1;
    std::array<std::unique_ptr<TMenuPage>, MenuPageCount> Pages;   // null: the page is not built
    bool  TransitionActive = false;
    int   TransitionTime = 0;   // ms into the transition
    int   TargetPage = 0;
    int   LoadingCount = 0, LoadingTotal = 0;
    std::int64_t Clock = 0;     // ms of menu frames run; turns the rotating cursor
    // The end of the mission flown last has been answered with its page. Cleared whenever the menu
    // starts a mission; a mission started elsewhere (the "-map" switch) finds it clear.
    bool  MissionEndHandled = false;

private:
    // A mission that ended since the menu last ran (the script won or lost it, or the player died)
    // gets its page: stage complete, or straight on when the player skips the score, or game over.
    void CheckMissionEnd();
    void DrawCursor();
};

extern TMenu *Menu;   // created at start-up after the HUD

extern int         MenuPage;       // index of the current page
extern int         GameKind;       // 0 no mission loaded, 1 loaded and waiting for the weapon choice, 2 running or paused
extern std::string Country;        // entered on the country page (Windows-1251)
extern bool        WidgetHovered;  // some widget under the cursor this frame: the cursor shows "in"
extern bool        LanEnabled;     // shows the LAN button; the menu turns it on when it is made
extern int         MenuFrameCount; // menu frames run, so that widgets know whether they were on screen last frame

// The menu fonts ("Perfo" at 17, 28, 11 and 8 points, scaled by UiScale): display-list bases.
extern unsigned MenuFont, MenuBigFont, MenuSmallFont, MenuTinyFont;

extern FSOUND_SAMPLE *OnButtonSound;   // "Data\Sounds\OnButton.WAV": the cursor moves onto a widget
extern FSOUND_SAMPLE *ClickSound;      // "Data\Sounds\Click.WAV"

// Plays a one-shot menu sound at the configured sound volume; nothing without a sound library.
void PlayMenuSound(FSOUND_SAMPLE *sample);

// Lets go of every latched key, mouse and pad button, so that what was held in flight does not act
// on the page that follows.
void ReleaseAllKeys();

// One multiplayer server of the servers page: the three lines of its entry in "Servers.txt" (in
// file order: what the network layer needs to reach it, the first one shown as its name).
struct TServerEntry {
    std::array<std::string, 3> Texts;
    int          Flag = 0;    // 0: read from "Servers.txt"
    std::int64_t Stamp = 0;   // the game clock when it was added or last seen again
};

// The network layer's entries to a network game, installed by it once it exists; while a hook is
// empty its page says that network games are not available yet.
// JoinNetworkGame: starts the client side for Server (network game on, not the host, the client map
// loaded); true when it is under way: the menu then shows the wait page until the game starts.
extern std::function<bool(const TServerEntry &server)> JoinNetworkGame;
// HostNetworkGame: hosts a network game on Map (the game path AppDir + "Data\Maps\MP\" + name):
// network game and host on, the map loaded. True when it runs: the menu then hands the frame to the
// mission (GameKind 2, MenuActive off).
extern std::function<bool(const std::string &map)> HostNetworkGame;
// LeaveNetworkGame: ends the network game being played or joined, if any (leaving a mission from
// the pause page, or giving up waiting for a server).
extern std::function<void()> LeaveNetworkGame;
