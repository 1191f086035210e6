#include "core/Splash.h"

#include "core/App.h"
#include "data/Extractor.h"

#include <IL/il.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <stdexcept>

unsigned LoadSplashTexture(const std::string &path)
{
    const TMemFile file(path, Extractor);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadL(IL_PNG, file.Data.data(), ILuint(file.Size())) || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        ilDeleteImages(1, &image);
        throw std::runtime_error("Cannot read the PNG image \"" + path + "\"");
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), GL_RGBA,
                      GL_UNSIGNED_BYTE, ilGetData());
    ilDeleteImages(1, &image);
    return texture;
}

void DrawSplash(unsigned texture)
{
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
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
