#include "render/Sky.h"

#include "assets/ModelLib.h"
#include "assets/TextureLib.h"
#include "render/Shaders.h"

#include <GL/gl.h>

#include <cmath>

TCloudsShader *CloudsShader = nullptr;
float SkyShift = 0;

namespace {

// One ring of quads round the z axis from z = 0 to z = Height, Bottom colour below and Top above.
void DrawRing(float radius, float height, const float bottom[4], const float top[4])
{
    const float step = 2.0f * float(M_PI) / float(TSky::BandQuads);
    glBegin(GL_QUADS);
    for (int i = 0; i < TSky::BandQuads; ++i) {
        const float a = step * float(i), b = step * float(i + 1);
        const float x0 = radius * std::cos(a), y0 = radius * std::sin(a);
        const float x1 = radius * std::cos(b), y1 = radius * std::sin(b);
        glColor4fv(bottom);
        glVertex3f(x0, y0, 0);
        glColor4fv(top);
        glVertex3f(x0, y0, height);
        glVertex3f(x1, y1, height);
        glColor4fv(bottom);
        glVertex3f(x1, y1, 0);
    }
    glEnd();
}

} // namespace

TSky::TSky(const std::string &skyFolder)
{
    if (ModelLib) {
        Dome = ModelLib->Load(skyFolder + "sky.otm");
        Clouds = ModelLib->Load(skyFolder + "clouds.otm");
    }
    if (TextureLib)
        HeightMap = TextureLib->Load(skyFolder + "height.png", TextureLinearMipmapLinear, TextureLinear);
}

float TSky::WrapShift(float shift, float step)
{
    shift += step;
    // A long pause (a step of more than a whole width) still lands inside 0..1.
    while (shift > 1)
        shift -= 1;
    return shift;
}

void TSky::Update(int dt)
{
    Shift = WrapShift(Shift, float(dt) * Speed / 1000.0f);
    SkyShift = Shift;
}

void TSky::DrawClouds(const TVector3 &centre)
{
    if (!Clouds)
        return;
    if (CloudsShader && CloudsShader->Use()) {
        CloudsShader->SetShift(Shift);
        Clouds->DrawLOD(centre, true);
        CloudsShader->Stop();
    } else {
        Clouds->DrawLOD(centre, true);
    }
}

void TSky::Draw(const TVector3 &centre)
{
    const bool fog = glIsEnabled(GL_FOG);
    glPushMatrix();
    glTranslatef(centre.x, centre.y, centre.z);
    glScalef(2, 2, 2);
    // The dome lies far beyond the fog's end: fogged, it would vanish into one flat colour.
    glDisable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    // The dome is opaque: blending it would read every pixel behind it for nothing.
    const bool blend = glIsEnabled(GL_BLEND), alphaTest = glIsEnabled(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    if (Dome)
        Dome->DrawLOD(centre, true);
    if (blend)
        glEnable(GL_BLEND);
    if (alphaTest)
        glEnable(GL_ALPHA_TEST);
    DrawClouds(centre);

    glDisable(GL_TEXTURE_2D);
    const float clear[4] = {FogColor[0], FogColor[1], FogColor[2], 0};
    DrawRing(BandRadius, BandHeight, FogColor, FogColor);
    glTranslatef(0, 0, BandHeight);
    DrawRing(BandRadius, FadeHeight, FogColor, clear);

    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    if (fog)
        glEnable(GL_FOG);
    glPopMatrix();
}
