// The platform of programs that have no window by design (the headless tools, the mission runner,
// the tests that need no display): no window, no input, no shell. Boxes write their text to standard
// error and answer Abort, as in batch mode, so nothing ever waits for a user.

#include "core/Platform.h"

#include "core/Text.h"

#include <cstdio>

namespace {

TBoxAnswer ReportBox(std::string_view text)
{
    std::fprintf(stderr, "Error: %s\n", Utf8FromCp1251(text).c_str());
    std::fflush(stderr);
    return TBoxAnswer::Abort;
}

} // namespace

bool CreateGLWindow(int, int, bool, std::string_view, int)
{
    ShowErrorMessage("Failed to register the window class!");
    return false;
}

void KillGLWindow() {}
void PumpMessage() {}
void ShowErrorMessage(std::string_view text) { ReportBox(text); }
TBoxAnswer AskAbortRetryIgnore(std::string_view text) { return ReportBox(text); }
int ScreenWidthMetric() { return 0; }
int ScreenHeightMetric() { return 0; }
bool RussianLayoutActive() { return false; }
bool KeyDown(int) { return false; }
void ShowMouseCursor(bool) {}
void SetCursor(int, int) {}
TPoint GetCursor() { return {}; }
TPoint GetCursorClient() { return {}; }
TPadState ReadPad() { return {}; }
void RefreshPads() {}
void FocusWindow() {}
void ForegroundWindow() {}
bool HasFocus() { return false; }
void SwapBuffersNow() {}
void *GLProcAddress(const char *) { return nullptr; }
bool ShellOpen(std::string_view) { return false; }
bool ShellOpenShow(std::string_view) { return false; }
TPoint WindowCorner() { return {}; }
TPoint ClientRect() { return {}; }
void MoveWindowTo(int, int, int, int) {}
void SetTitle(std::string_view) {}
void KeepShownFrames(bool) {}
bool WriteShownFrame(const std::string &) { return false; }
