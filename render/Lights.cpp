#include "render/Lights.h"

#include <GL/gl.h>

TLightsControl *Lights = nullptr;

void TLightsControl::SetSun(const TLight &sun)
{
    Sun = sun;
    SunEnabled = true;
}

void TLightsControl::Apply()
{
    Disable();
    glEnable(GL_LIGHTING);
    // Lit surfaces take their material from the current colour, as the objects' program does: the
    // sun's ambient lights them fully, and an object fading out with distance fades lit too (the
    // fixed pipeline would otherwise take the alpha from a material nobody sets).
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    if (SunEnabled) {
        const GLenum light = GLenum(GL_LIGHT0 + Used);
        glLightfv(light, GL_POSITION, Sun.Position);
        glLightfv(light, GL_AMBIENT, Sun.Ambient);
        glLightfv(light, GL_DIFFUSE, Sun.Diffuse);
        glLightfv(light, GL_SPECULAR, Sun.Specular);
        glEnable(light);
        ++Used;
    }
}

void TLightsControl::Disable()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    for (int i = 0; i < Used; ++i)
        glDisable(GLenum(GL_LIGHT0 + i));
    Used = 0;
}

TLight DefaultSun()
{
    return TLight{{-65000, 65000, 120000, 0}, {0.7f, 0.7f, 0.7f, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
}
