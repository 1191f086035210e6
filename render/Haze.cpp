#include "render/Haze.h"

#include "core/View.h"
#include "render/GLExt.h"

#include <memory>

THazeShader  *THaze::Shader = nullptr;
TBloomShader *TBloom::Shader = nullptr;

namespace {

constexpr int TargetSize = 1024;
constexpr int SmallSize = 256;

// The depth buffer every haze target with depth shares, and how many targets hold it.
unsigned SharedDepth = 0;
int      SharedDepthUsers = 0;

unsigned AcquireSharedDepth()
{
    if (SharedDepth == 0) {
        GLuint name = 0;
        GLExt::glGenRenderbuffersEXT(1, &name);
        GLExt::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, name);
        GLExt::glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, TargetSize, TargetSize);
        GLExt::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
        SharedDepth = name;
    }
    ++SharedDepthUsers;
    return SharedDepth;
}

void ReleaseSharedDepth()
{
    if (--SharedDepthUsers > 0 || SharedDepth == 0)
        return;
    GLuint name = SharedDepth;
    GLExt::glDeleteRenderbuffersEXT(1, &name);
    SharedDepth = 0;
}

// A new frame buffer, bound, with a Size x Size colour texture attached.
void MakeTarget(int size, unsigned &frameBuffer, unsigned &colorTexture)
{
    GLuint fb = 0, texture = 0;
    GLExt::glGenFramebuffersEXT(1, &fb);
    GLExt::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fb);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLExt::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    frameBuffer = fb;
    colorTexture = texture;
}

void FreeTarget(unsigned &frameBuffer, unsigned &colorTexture)
{
    if (frameBuffer != 0 && GLExt::glDeleteFramebuffersEXT) {
        GLuint fb = frameBuffer;
        GLExt::glDeleteFramebuffersEXT(1, &fb);
    }
    if (colorTexture != 0) {
        GLuint texture = colorTexture;
        glDeleteTextures(1, &texture);
    }
    frameBuffer = colorTexture = 0;
}

void RenderInto(unsigned frameBuffer)
{
    GLExt::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, frameBuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
}

void RenderIntoWindow()
{
    GLExt::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
}

void IdentityMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The whole target, with the image's corners on the target's corners.
void FullScreenQuad()
{
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
}

void ActiveUnit(GLenum unit) { GLExt::glActiveTextureARB(unit); }

// A program built once for the whole run and kept until exit: the GL context may be gone by the
// time static objects are destroyed.
template <typename TProgram>
TProgram *BuildShared(const std::string &folder, const std::string &name)
{
    auto program = std::make_unique<TProgram>();
    program->Create(folder + name + ".fs", folder + name + ".vs");
    return program.release();
}

} // namespace

// ---- Haze targets ---------------------------------------------------------------------------------

TRenderTarget::~TRenderTarget() { FreeTarget(FrameBuffer, ColorTexture); }

void TRenderTarget::BindForRender()
{
    if (FBOAvailable && FrameBuffer != 0)
        RenderInto(FrameBuffer);
}

void TRenderTarget::Unbind()
{
    if (!FBOAvailable || FrameBuffer == 0)
        return;
    RenderIntoWindow();
    glBindTexture(GL_TEXTURE_2D, ColorTexture);
}

void TRenderTarget::BindTexture()
{
    if (FBOAvailable && FrameBuffer != 0)
        glBindTexture(GL_TEXTURE_2D, ColorTexture);
}

TFrameBuffer::~TFrameBuffer()
{
    // The base frees the target itself afterwards.
    if (FrameBuffer != 0 && HasDepth)
        ReleaseSharedDepth();
}

void TFrameBuffer::Create(bool depth)
{
    if (!FBOAvailable || FrameBuffer != 0)
        return;
    HasDepth = depth;
    MakeTarget(TargetSize, FrameBuffer, ColorTexture);
    if (depth)
        GLExt::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                            AcquireSharedDepth());
}

// ---- Haze -----------------------------------------------------------------------------------------

THaze::THaze(const std::string &shaderFolder)
{
    if (!FBOAvailable)
        return;
    // Both targets share the depth buffer: the heat sources drawn into the distortion after the
    // scene are hidden by the scene's objects, and the sea's ripple by the mirrored world.
    Scene.Create(true);
    Distortion.Create(true);
    Scene.Unbind();
    if (!Shader)
        Shader = BuildShared<THazeShader>(shaderFolder, "Haze");
}

void THaze::BeginScene() { Scene.BindForRender(); }

void THaze::BeginNoise() { Distortion.BindForRender(); }

void THaze::End()
{
    if (!FBOAvailable || Distortion.FrameBuffer == 0)
        return;
    Distortion.Unbind();
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
}

void THaze::Apply()
{
    if (!FBOAvailable || Scene.FrameBuffer == 0)
        return;
    ActiveUnit(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    Scene.BindTexture();
    const bool shaded = Shader && Shader->Use();
    // Without the program, modulating by the distortion would only darken the picture: the scene
    // goes through unmoved instead.
    if (shaded) {
        ActiveUnit(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        Distortion.BindTexture();
        ActiveUnit(GL_TEXTURE0_ARB);
    }
    IdentityMatrices();
    FullScreenQuad();
    if (shaded)
        Shader->Stop();
    ActiveUnit(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    ActiveUnit(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
}

// ---- Bloom ----------------------------------------------------------------------------------------

void TBloomFrameBuffer::Create(int size)
{
    if (!FBOAvailable || FrameBuffer != 0)
        return;
    Size = size;
    MakeTarget(size, FrameBuffer, ColorTexture);
}

TBloom::TBloom(const std::string &shaderFolder)
{
    if (!FBOAvailable)
        return;
    Scene.Create(TargetSize);
    Small.Create(SmallSize);
    Scene.Unbind();
    if (!Shader)
        Shader = BuildShared<TBloomShader>(shaderFolder, "Bloom");
}

void TBloom::BeginScene() { Scene.BindForRender(); }

void TBloom::Apply()
{
    if (!FBOAvailable || Scene.FrameBuffer == 0 || Small.FrameBuffer == 0)
        return;
    glDisable(GL_DEPTH_TEST);

    // Down-sample the scene to a quarter of its size, nearest texel, with the fixed pipeline.
    UseNone();
    Small.BindForRender();
    ActiveUnit(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    Scene.BindTexture();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    IdentityMatrices();
    glViewport(0, 0, Small.Size, Small.Size);
    FullScreenQuad();

    // The scene with its smoothly up-sampled highlights, to the window.
    Scene.Unbind();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    IdentityMatrices();
    glViewport(Viewport[0], Viewport[1], Viewport[2], Viewport[3]);
    glEnable(GL_TEXTURE_2D);
    Scene.BindTexture();
    const bool shaded = Shader && Shader->Use();
    // Without the program the highlights would multiply the scene instead of adding to it: the scene
    // alone goes to the window.
    if (shaded) {
        ActiveUnit(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        Small.BindTexture();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        ActiveUnit(GL_TEXTURE0_ARB);
    }
    FullScreenQuad();
    UseNone();
    ActiveUnit(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    ActiveUnit(GL_TEXTURE0_ARB);
    glEnable(GL_DEPTH_TEST);
}
