#pragma once
// The screen effects drawn through off-screen targets: the heat haze and the ripple of the sea's
// reflection (a scene image displaced by a distortion image), and the bloom (the scene plus its
// down-sampled, smoothly up-sampled highlights). The targets are fixed at 1024 x 1024 whatever the
// window size. Without frame buffers no target is made and every call does nothing.

#include "render/Shaders.h"

#include <string>

// An off-screen colour target: what is drawn while it is bound lands in its texture.
class TRenderTarget {
public:
    TRenderTarget() = default;
    ~TRenderTarget();   // frees the frame buffer and its texture
    TRenderTarget(const TRenderTarget &) = delete;
    TRenderTarget &operator=(const TRenderTarget &) = delete;

    // Draws (and reads) into the target from now on.
    void BindForRender();
    // Back to the window's back buffer, with the target's image bound as the current texture.
    void Unbind();
    // The target's image on GL_TEXTURE_2D of the active unit.
    void BindTexture();

    unsigned FrameBuffer = 0, ColorTexture = 0;
};

// A 1024 x 1024 colour target. Every haze target that asks for depth uses the same depth buffer,
// so a distortion pass drawn after a scene pass is hidden by the scene's objects.
class TFrameBuffer : public TRenderTarget {
public:
    ~TFrameBuffer();   // lets go of the shared depth buffer

    // Makes the target and leaves it bound for drawing. Nothing without frame buffers.
    void Create(bool depth);

    bool HasDepth = false;
};

class THaze {
public:
    // Makes both targets (the window stays bound) and, for the first haze of the run, the haze
    // program "Haze.fs" / "Haze.vs" from ShaderFolder (a full path ending in a backslash).
    explicit THaze(const std::string &shaderFolder);

    void BeginScene();   // draw the scene into Scene
    void BeginNoise();   // draw the displacement into Distortion (grey 0.5 moves nothing)
    void End();          // back to the window and its viewport
    // Draws Scene displaced by Distortion as one full-screen quad into whatever is bound. Without
    // the haze program the scene is copied unmoved.
    void Apply();

    // The haze program shared by every haze; null until the first haze with frame buffers.
    static THazeShader *Shader;

    TFrameBuffer Scene, Distortion;
};

// A square colour target without depth.
class TBloomFrameBuffer : public TRenderTarget {
public:
    // Makes a Size x Size target and leaves it bound for drawing. Nothing without frame buffers.
    void Create(int size);

    int Size = 0;
};

class TBloom {
public:
    // Makes Scene (1024) and Small (256), the window stays bound, and for the first bloom of the
    // run the bloom program "Bloom.fs" / "Bloom.vs" from ShaderFolder.
    explicit TBloom(const std::string &shaderFolder);

    void BeginScene();   // draw the scene into Scene
    // Down-samples Scene into Small, then draws Scene with Small's highlights over it to the window
    // (cleared first, window viewport). Without the bloom program the scene is copied plainly.
    void Apply();

    // The bloom program shared by every bloom; null until the first bloom with frame buffers.
    static TBloomShader *Shader;

    TBloomFrameBuffer Scene, Small;
};
