#include "render/Splash.h"

#include "assets/TextureLib.h"
#include "core/App.h"

#include <GL/gl.h>

int LoadSplashLogo(const std::string &fileName) { return TextureLib->Load(fileName, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR); }

void DrawSplash(int handle)
{
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
    glEnable(GL_TEXTURE_2D);
    TextureLib->Bind(handle);
    glColor4f(1, 1, 1, 1);
    // Image rows come top row first, so t = 0 is the top edge.
    const float x = 256 * PixelSizeX, y = 32 * PixelSizeY;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-x, y);
    glTexCoord2f(1, 0);
    glVertex2f(x, y);
    glTexCoord2f(1, 1);
    glVertex2f(x, -y);
    glTexCoord2f(0, 1);
    glVertex2f(-x, -y);
    glEnd();
}
