#include "tests/hud/GLWindow.h"

#include "assets/AssetsGL.h"
#include "core/App.h"
#include "core/Platform.h"
#include "data/Extractor.h"

#include <IL/il.h>
#include <GL/gl.h>

#include <cstdlib>

bool OpenTestWindow()
{
    static const bool open = [] {
        if (!std::getenv("DISPLAY"))
            return false;
        BatchMode = true;
        ResizeHandler = [](int width, int height) { ApplyResize(width, height, WindowCorner()); };
        if (!CreateGLWindow(800, 600, false, "Zephrona test", 32))
            return false;
        InstallGLAssets();
        ilInit();
        Viewport[0] = 0;
        Viewport[1] = 0;
        Viewport[2] = 800;
        Viewport[3] = 600;
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        return true;
    }();
    return open;
}

TScreen ReadScreen()
{
    TScreen s;
    s.w = 800;
    s.h = 600;
    std::vector<std::uint8_t> rows(std::size_t(s.w) * s.h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, s.w, s.h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    s.rgb.resize(rows.size());
    for (int y = 0; y < s.h; ++y)
        std::copy_n(rows.begin() + std::ptrdiff_t(s.h - 1 - y) * s.w * 3, s.w * 3, s.rgb.begin() + std::ptrdiff_t(y) * s.w * 3);
    return s;
}

void UseGameData(const std::string &dir)
{
    AppDir = dir;
    static TExtractor archive;
    archive.LoadFromFile(dir + "Data.dpg");
    archive.SetPath(dir);
    Extractor = &archive;
}
