#include "hud/Crosshair.h"

#include "assets/Model.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Platform.h"
#include "core/View.h"
#include "render/Environment.h"
#include "render/GLExt.h"
#include "render/Haze.h"
#include "sim/GameObjects.h"
#include "sim/Player.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

TCrosshair *Crosshair = nullptr;

namespace {

// The screen effects draw the main view into targets of this size whatever the window.
constexpr int EffectTargetSize = 1024;

// This frame's view as one matrix: a row vector (x, y, z, 1) times it gives clip coordinates.
void ViewMatrix(double a[16])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += double(ViewModelView.m[4 * r + k]) * double(ViewProjection.m[4 * k + c]);
            a[4 * r + c] = sum;
        }
}

// Inverts A in place by Gauss-Jordan elimination with partial pivoting; false when it is singular.
bool Invert(double a[16])
{
    double inv[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[4 * r + col]) > std::fabs(a[4 * pivot + col]))
                pivot = r;
        if (std::fabs(a[4 * pivot + col]) < 1e-300)
            return false;
        if (pivot != col)
            for (int c = 0; c < 4; ++c) {
                std::swap(a[4 * pivot + c], a[4 * col + c]);
                std::swap(inv[4 * pivot + c], inv[4 * col + c]);
            }
        const double scale = 1 / a[4 * col + col];
        for (int c = 0; c < 4; ++c) {
            a[4 * col + c] *= scale;
            inv[4 * col + c] *= scale;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == col)
                continue;
            const double f = a[4 * r + col];
            if (f == 0)
                continue;
            for (int c = 0; c < 4; ++c) {
                a[4 * r + c] -= f * a[4 * col + c];
                inv[4 * r + c] -= f * inv[4 * col + c];
            }
        }
    }
    std::copy(inv, inv + 16, a);
    return true;
}

TVector4 AsPoint(const TVector3 &v) { return VectorSet4(v.x, v.y, v.z, 0); }

} // namespace

TDepthTarget MainViewDepthTarget()
{
    // The same choice the scene makes when it picks where to draw the main view.
    if (Environment && TEnvironment::HazeActive() && Environment->Haze[0] && Environment->Haze[1])
        return {0, 0, EffectTargetSize, EffectTargetSize, Environment->Haze[0]->Scene.FrameBuffer};
    return {Viewport[0], Viewport[1], Viewport[2], Viewport[3], 0};
}

float ReadDepth(const TDepthTarget &target, int x, int y)
{
    float depth = 1;
    if (target.FrameBuffer != 0 && GLExt::glBindFramebufferEXT)
        GLExt::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.FrameBuffer);
    glReadPixels(target.X + x, target.Y + y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    if (target.FrameBuffer != 0 && GLExt::glBindFramebufferEXT)
        GLExt::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return depth;
}

TVector3 UnProject(const TDepthTarget &target, float x, float y, float depth)
{
    double a[16];
    ViewMatrix(a);
    if (target.Width <= 0 || target.Height <= 0 || !Invert(a))
        return {};
    const double ndc[4] = {2.0 * x / target.Width - 1, 2.0 * y / target.Height - 1, 2.0 * depth - 1, 1};
    double world[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 4; ++k)
            world[c] += ndc[k] * a[4 * k + c];
    if (world[3] == 0)
        return {};
    return VectorSet3(float(world[0] / world[3]), float(world[1] / world[3]), float(world[2] / world[3]));
}

TGameObject *LiveCurrentTarget()
{
    const TGamer *gamer = PlayerGamer();
    if (!gamer || !gamer->CurrentTarget)
        return nullptr;
    // The aircraft only refreshes its target while it is steered: a target it kept through a fade or
    // its own death may have left the list since.
    const TObjectsControl *objects = gamer->Mission();
    return objects && objects->Contains(gamer->CurrentTarget) ? gamer->CurrentTarget : nullptr;
}

TCrosshair::TCrosshair()
{
    if (TextureLib) {
        TargetTexture = TextureLib->Load(AppDir + "Data\\HUD\\target.png", GL_NEAREST, GL_NEAREST);
        TargetingTexture = TextureLib->Load(AppDir + "Data\\HUD\\targeting.png", GL_NEAREST, GL_NEAREST);
    }
}

void TCrosshair::Update()
{
    if (!MainRC)
        return;
    const TDepthTarget target = MainViewDepthTarget();
    if (target.Width <= 0 || target.Height <= 0)
        return;

    // The sample point, kept inside the picture.
    const int px = std::clamp(int((SampleX + 1) / 2 * float(target.Width)), 0, target.Width - 1);
    const int py = std::clamp(int((SampleY + 1) / 2 * float(target.Height)), 0, target.Height - 1);
    Unprojected = UnProject(target, float(px), float(py), ReadDepth(target, px, py));
    Sampled = AsPoint(Unprojected);

    // The middle of the picture: the mission's sight point.
    if (const TGamer *gamer = PlayerGamer(); gamer && gamer->SightValid)
        Aim = AsPoint(gamer->SightPoint);
    const TVector3 reticle = ProjectToScreen(Aim);
    ReticleX = reticle.x;
    ReticleY = reticle.y;

    if (const TGameObject *current = LiveCurrentTarget()) {
        const TVector3 screen = ProjectToScreen(current->ViewCentre);
        TargetX = screen.x;
        TargetY = screen.y;
    }
}

void TCrosshair::Draw() const
{
    const TGameObject *target = LiveCurrentTarget();
    if (!target)
        return;
    const float sx = PixelSizeX, sy = PixelSizeY;
    const float x = TargetX, y = TargetY;
    const float f = target->MaxHealth > 0 ? std::clamp(target->Health / target->MaxHealth, 0.0f, 1.0f) : 0.0f;

    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x - 24 * sx, y + 24 * sy);
    glVertex2f(x + 24 * sx, y + 24 * sy);
    glVertex2f(x + 24 * sx, y + 27 * sy);
    glVertex2f(x - 24 * sx, y + 27 * sy);
    glEnd();
    if (f > 0.5f)
        glColor4f(0, 1, 0, 1);
    else if (f > 0.25f)
        glColor4f(1, 1, 0, 1);
    else
        glColor4f(1, 0, 0, 1);
    if (f > 0) {
        glBegin(GL_LINES);
        for (float row : {25.0f, 26.0f}) {
            glVertex2f(x - 23 * sx, y + row * sy);
            glVertex2f(x + (46 * f - 23) * sx, y + row * sy);
        }
        glEnd();
    }
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}
