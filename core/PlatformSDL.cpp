// The window, its OpenGL context, input and the shell over SDL2: the platform of the game itself.

#include "core/Platform.h"

#include "core/App.h"
#include "core/Files.h"
#include "core/Png.h"
#include "core/Text.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <vector>


namespace {

SDL_Window *Window() { return static_cast<SDL_Window *>(MainWindow); }

bool VideoUp = false;

// The video subsystem starts on first use: the desktop metrics need it before the window exists.
bool InitVideo()
{
    if (!VideoUp) {
        // A real display or none: without one the window cannot be created, rather than being
        // drawn off screen where nobody sees it. SDL_VIDEODRIVER still chooses when it is set.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
        VideoUp = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    return VideoUp;
}

TBoxAnswer ShowBox(std::string_view text, bool withChoice)
{
    const std::string utf8 = Utf8FromCp1251(text);
    if (!BatchMode) {
        static const SDL_MessageBoxButtonData choice[] = {
            {0, int(TBoxAnswer::Abort), "Abort"},
            {0, int(TBoxAnswer::Retry), "Retry"},
            {0, int(TBoxAnswer::Ignore), "Ignore"},
        };
        static const SDL_MessageBoxButtonData ok[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, int(TBoxAnswer::Ignore), "OK"},
        };
        SDL_MessageBoxData box{};
        box.flags = SDL_MESSAGEBOX_ERROR;
        box.window = Window();
        box.title = "Error";
        box.message = utf8.c_str();
        box.numbuttons = withChoice ? 3 : 1;
        box.buttons = withChoice ? choice : ok;
        int pressed = -1;
        if (SDL_ShowMessageBox(&box, &pressed) == 0)
            // A box closed without a choice carries on, as Ignore would.
            return pressed < 0 ? TBoxAnswer::Ignore : TBoxAnswer(pressed);
    }
    // No box can be shown: the text goes to standard error and the answer is Abort.
    std::fprintf(stderr, "Error: %s\n", utf8.c_str());
    std::fflush(stderr);
    return TBoxAnswer::Abort;
}

// Sets the requested framebuffer: double buffer, depth 24, stencil 8, colour by the configured depth.
void RequestPixelFormat(int colourBits, bool accumulation)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const bool low = colourBits <= 16;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, low ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, low ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, low ? 5 : 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    const int accum = accumulation ? 16 : 0;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
}

bool FullScreenModeExists(int width, int height)
{
    SDL_DisplayMode want{}, found{};
    want.w = width;
    want.h = height;
    return SDL_GetClosestDisplayMode(0, &want, &found) && found.w == width && found.h == height;
}

bool KeepFrames = false;
std::vector<std::uint8_t> ShownFrame;
int ShownWidth = 0, ShownHeight = 0;

// Reads the back buffer before it is swapped to the screen, rows turned top first.
void KeepFrame()
{
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(Window(), &width, &height);
    if (width <= 0 || height <= 0)
        return;
    std::vector<std::uint8_t> rows(std::size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    ShownFrame.resize(rows.size());
    const std::size_t stride = std::size_t(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(rows.data() + stride * (height - 1 - y), stride, ShownFrame.data() + stride * y);
    ShownWidth = width;
    ShownHeight = height;
}

// The URL of a Windows Internet Shortcut (".url" file: an INI file with "URL=" in it).
std::string ShortcutUrl(const std::string &diskPath)
{
    std::FILE *file = std::fopen(diskPath.c_str(), "rb");
    if (!file)
        return {};
    std::string url;
    char line[4096];
    while (url.empty() && std::fgets(line, sizeof line, file)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        if (text.size() > 4 && SDL_strncasecmp(text.c_str(), "URL=", 4) == 0)
            url = text.substr(4);
    }
    std::fclose(file);
    return url;
}

} // namespace

bool CreateGLWindow(int width, int height, bool fullScreen, std::string_view title, int colourBits)
{
    if (!InitVideo()) {
        ShowErrorMessage("Failed to register the window class!");
        return false;
    }
    if (fullScreen && !FullScreenModeExists(width, height)) {
        ShowErrorMessage("Unable to switch to fullscreen!");
        fullScreen = false;
    }
    const std::string utf8Title = Utf8FromCp1251(title);
    // Try with an accumulation buffer first; a display that offers none still gets a window.
    SDL_Window *window = nullptr;
    for (bool accumulation : {true, false}) {
        RequestPixelFormat(colourBits, accumulation);
        window = SDL_CreateWindow(utf8Title.c_str(), 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window)
            break;
    }
    if (!window) {
        KillGLWindow();
        ShowErrorMessage("Unable to create window!");
        return false;
    }
    MainWindow = window;
    if (fullScreen) {
        SDL_DisplayMode mode{};
        mode.w = width;
        mode.h = height;
        if (SDL_SetWindowDisplayMode(window, &mode) != 0 || SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
            ShowErrorMessage("Unable to switch to fullscreen!");
            SDL_SetWindowFullscreen(window, 0);
        } else {
            WindowFullScreen = true;
        }
    }
    MainRC = SDL_GL_CreateContext(window);
    if (!MainRC) {
        KillGLWindow();
        ShowErrorMessage("Unable to create an OpenGL rendering context");
        return false;
    }
    if (SDL_GL_MakeCurrent(window, MainRC) != 0) {
        KillGLWindow();
        ShowErrorMessage("Unable to activate OpenGL rendering context");
        return false;
    }
    SDL_ShowWindow(window);
    ForegroundWindow();
    FocusWindow();
    if (ResizeHandler)
        ResizeHandler(width, height);
    return true;
}

void KillGLWindow()
{
    if (Window())
        SDL_SetWindowFullscreen(Window(), 0);
    WindowFullScreen = false;
    SleepMs(1000);
    SDL_ShowCursor(SDL_ENABLE);
    if (MainRC) {
        if (SDL_GL_MakeCurrent(Window(), nullptr) != 0)
            ShowErrorMessage("Release of DC and RC failed!");
        SDL_GL_DeleteContext(MainRC);
        MainRC = nullptr;
    }
    if (Window()) {
        SDL_DestroyWindow(Window());
        MainWindow = nullptr;
    }
    if (VideoUp) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        VideoUp = false;
    }
}

void PumpMessage()
{
    if (!VideoUp)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            QuitRequested = true;
        } else if (event.type == SDL_WINDOWEVENT) {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                QuitRequested = true;
            else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && ResizeHandler)
                ResizeHandler(event.window.data1, event.window.data2);
        }
    }
    RefreshPads();
}

void ShowErrorMessage(std::string_view text) { ShowBox(text, false); }

TBoxAnswer AskAbortRetryIgnore(std::string_view text) { return ShowBox(text, true); }

int ScreenWidthMetric()
{
    SDL_DisplayMode mode{};
    return InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int ScreenHeightMetric()
{
    SDL_DisplayMode mode{};
    return InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

void ShowMouseCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

void SetCursor(int x, int y)
{
    if (Window()) {
        const TPoint corner = WindowCorner();
        SDL_WarpMouseInWindow(Window(), x - corner.x, y - corner.y);
    } else if (VideoUp) {
        SDL_WarpMouseGlobal(x, y);
    }
}

TPoint GetCursor()
{
    TPoint p;
    if (VideoUp)
        SDL_GetGlobalMouseState(&p.x, &p.y);
    return p;
}

TPoint GetCursorClient()
{
    const TPoint screen = GetCursor(), corner = WindowCorner();
    return {screen.x - corner.x, screen.y - corner.y};
}

void FocusWindow()
{
    if (Window())
        SDL_SetWindowInputFocus(Window());
}

void ForegroundWindow()
{
    if (Window())
        SDL_RaiseWindow(Window());
}

void *GLProcAddress(const char *name) { return MainRC ? SDL_GL_GetProcAddress(name) : nullptr; }

bool HasFocus() { return Window() && (SDL_GetWindowFlags(Window()) & SDL_WINDOW_INPUT_FOCUS) != 0; }

void SwapBuffersNow()
{
    if (!Window())
        return;
    if (KeepFrames)
        KeepFrame();
    SDL_GL_SwapWindow(Window());
}

bool ShellOpen(std::string_view path)
{
    std::string target(path);
    if (target.find("://") == std::string::npos) {
        // A document on disk: a missing one is silently ignored; a shortcut opens the address in it.
        const std::string disk = DiskPath(target);
        if (!FileExists(disk))
            return false;
        if (disk.size() > 4 && SDL_strcasecmp(disk.c_str() + disk.size() - 4, ".url") == 0)
            target = ShortcutUrl(disk);
        else
            target = "file://" + AbsolutePath(disk);
        if (target.empty())
            return false;
    }
    return SDL_OpenURL(target.c_str()) == 0;
}

bool ShellOpenShow(std::string_view path) { return ShellOpen(path); }

TPoint WindowCorner()
{
    TPoint p;
    if (Window())
        SDL_GetWindowPosition(Window(), &p.x, &p.y);
    return p;
}

TPoint ClientRect()
{
    TPoint p;
    if (Window())
        SDL_GL_GetDrawableSize(Window(), &p.x, &p.y);
    return p;
}

void MoveWindowTo(int x, int y, int width, int height)
{
    if (!Window())
        return;
    int w = 0, h = 0;
    SDL_GetWindowSize(Window(), &w, &h);
    if (w != width || h != height)
        SDL_SetWindowSize(Window(), width, height);
    SDL_SetWindowPosition(Window(), x, y);
}

void SetTitle(std::string_view text)
{
    if (Window())
        SDL_SetWindowTitle(Window(), Utf8FromCp1251(text).c_str());
}

void KeepShownFrames(bool keep) { KeepFrames = keep; }

bool WriteShownFrame(const std::string &path)
{
    if (ShownFrame.empty())
        return false;
    return WritePng(path, ShownWidth, ShownHeight, ShownFrame);
}
