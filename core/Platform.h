#pragma once
// The window, its OpenGL context and every operating-system call the game makes. This module is the
// only one that includes SDL: the rest of the game calls these plain functions.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct TPoint {
    int x = 0, y = 0;
    bool operator==(const TPoint &) const = default;
};

// ---- Window state -------------------------------------------------------------------------------

extern void *MainWindow;   // the window (an SDL_Window); null when none
extern void *MainRC;       // the OpenGL context; null when none
extern bool  WindowFullScreen; // the window took the display in full-screen mode

// Installed by start-up before the window exists; called with the client size on creation and on
// every resize.
extern std::function<void(int width, int height)> ResizeHandler;

extern float PixelSizeX, PixelSizeY;       // one pixel in normalised device units: 2 / width, 2 / height
extern float VirtualPixelX, VirtualPixelY; // one unit of the menu's virtual 1024 x 768 screen, square on
                                           // any window (1/512, 1/384 at 4:3)
extern int   ScreenWidth, ScreenHeight;    // client size in pixels, as first created
extern float UiScale;                      // pixels per virtual unit: width / 1024 at 4:3, the
                                           // smaller of width / 1024 and height / 768 on others

// Opens the game window with a compatibility OpenGL context (double buffer, depth 24, stencil 8, an
// accumulation buffer where offered). A refused full-screen mode is reported and the window opens at
// the same size. On failure the reason has been shown in an "Error" box and the result is false.
bool CreateGLWindow(int width, int height, bool fullScreen, std::string_view title, int colourBits);

// Restores the display, releases the context and closes the window; failures are reported and the
// tear-down carries on.
void KillGLWindow();

// Drains the window's event queue: a quit or close sets QuitRequested, a resize calls ResizeHandler.
// Keyboard, mouse and pad are polled, not read from events.
void PumpMessage();

// ---- Message boxes ------------------------------------------------------------------------------

// In batch mode no box is ever shown: the text goes to standard error and the answer is Abort.
// Boxes also fall back to standard error when there is no display.
extern bool BatchMode;

enum class TBoxAnswer { Abort, Retry, Ignore };

// A modal "Error" box with the text and an OK button. Text is game text (Windows-1251).
void ShowErrorMessage(std::string_view text);
// A modal "Error" box with Abort, Retry and Ignore.
TBoxAnswer AskAbortRetryIgnore(std::string_view text);

// ---- Thin operating-system layer ----------------------------------------------------------------

int  ScreenWidthMetric();            // desktop width in pixels; 0 without a display
int  ScreenHeightMetric();           // desktop height in pixels; 0 without a display
void ShowMouseCursor(bool show);
void SetCursor(int x, int y);        // screen coordinates

// ---- Input devices ------------------------------------------------------------------------------
// The frame loop reads the devices once at the start of each frame into that frame's input (see
// core/Recording.h), which a flight recording keeps and a replay gives back. Everything else reads
// the frame's input: the key state, the cursor globals of core/App.h, PadState, IsRussianKeyboard.

// A key or mouse button (Windows virtual-key code 0..255; 1, 2, 4 the mouse buttons) or a pad
// button (256..265, see core/KeyCodes.h) held now.
bool KeyDown(int vk);
bool RussianLayoutActive();          // the key at the A position yields a Cyrillic letter now
TPoint GetCursor();                  // screen coordinates
TPoint GetCursorClient();            // relative to the window's client area
bool HasFocus();                     // the window has the keyboard focus

// The first game controller: the left stick (right and down positive) and the triggers (0..1).
// Not connected without a pad.
struct TPadState {
    bool  Connected = false;
    float StickX = 0, StickY = 0;
    float TriggerLeft = 0, TriggerRight = 0;
    bool operator==(const TPadState &) const = default;
};
// The pad as it is now, the stick -1..1 on each axis before any dead zone.
TPadState ReadPad();
// Opens a pad plugged in since the last call and lets go of one pulled out, so a pad works whenever
// it is plugged in. PumpMessage calls it.
void RefreshPads();

// This frame's values, as the frame loop sampled them (defined with the frame input, whatever the
// platform): the pad with the stick after the player's dead zone and sensitivity (-1..1 at the
// default sensitivity, up to the sensitivity's multiple above it), and the keyboard layout.
TPadState PadState();
bool IsRussianKeyboard();

void FocusWindow();
void ForegroundWindow();
TPoint TextExtent(std::string_view text);   // in the 2D output's current font
void SwapBuffersNow();
// The address of a GL entry point of the current context, by name; null without a window. A made-up
// name may still give an address: whether an extension is there is read from the extension string.
void *GLProcAddress(const char *name);
bool ShellOpen(std::string_view path);      // a document, URL or ".url" shortcut; false if it failed
bool ShellOpenShow(std::string_view path);
bool ShellRun(std::string_view program, std::string_view arguments); // starts a program, blanks split the arguments
TPoint WindowCorner();               // top-left corner of the window's client area on the screen
TPoint ClientRect();                 // right edge (the width) and height of the client area in pixels
void MoveWindowTo(int x, int y, int width, int height);
void SetTitle(std::string_view text); // game text (Windows-1251)
void SleepMs(int ms);
void SetTimerResolution1ms();        // nothing to do on this platform
std::int64_t TickCount();            // milliseconds since start-up
std::uint64_t HighResolutionCounter(); // 0 when there is none

// The 2D text output registers how it measures text; until then every text measures 0 x 0.
extern std::function<TPoint(std::string_view)> TextMeasure;

// When on, every swap first keeps a copy of the frame being shown, for WriteShownFrame.
void KeepShownFrames(bool keep);
// Writes the frame most recently swapped to the screen as PNG; false if none was kept or the
// file could not be written.
bool WriteShownFrame(const std::string &path);
