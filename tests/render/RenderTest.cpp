#include "tests/render/RenderTest.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "render/GLExt.h"
#include "render/GLState.h"
#include "render/Shaders.h"
#include "tests/hud/GLWindow.h"

#include <GL/gl.h>

bool OpenRenderWindow()
{
    if (!OpenTestWindow())
        return false;
    static const bool ready = [] {
        InitGLExtensions();
        return true;
    }();
    (void)ready;
    if (!Extractor)
        UseGameData(ZEPHRONA_GAME_DIR "/");
    if (!TextureLib)
        TextureLib = new TTextureLib();
    if (!ModelLib)
        ModelLib = new TModelLib();
    return true;
}

void ResetRenderState()
{
    InitRenderState();
    UseNone();
    if (GLExt::glActiveTextureARB) {
        GLExt::glActiveTextureARB(GL_TEXTURE1);
        glDisable(GL_TEXTURE_2D);
        GLExt::glActiveTextureARB(GL_TEXTURE0);
    }
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CLIP_PLANE0);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColor4f(1, 1, 1, 1);
    GameClock = 0;
    Viewport[0] = Viewport[1] = 0;
    Viewport[2] = 800;
    Viewport[3] = 600;
    glViewport(0, 0, 800, 600);
}
