#pragma once
// The seam between the asset libraries and the graphics library. Loading, caching, key-frame
// sampling and the particle simulation (zassets) never call GL: every upload and every draw goes
// through the device installed here. Until one is installed the null device is in use: it uploads
// nothing (texture and buffer names are 0) and draws nothing, so programs without a window (the
// script checker, the mission runner, the model generators) load models, textures and effects
// like the game does. Programs that draw install the GL device of zassetsgl at start-up
// (InstallGLAssets in "assets/AssetsGL.h").

#include "core/Maths.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TModel;
class TOTMModel;
struct TMesh;
struct TSpriteBlock;

class TAssetDevice {
public:
    virtual ~TAssetDevice() = default;

    // ---- Textures (GL enum values for formats and filters) ----
    // A new mipmapped texture from tightly packed rows of GL_RGB, GL_RGBA or GL_BGRA_EXT pixels; its
    // name, or 0 when nothing was uploaded.
    virtual std::uint32_t CreateTexture(const void *pixels, int width, int height, int format, int minFilter,
                                        int magFilter) = 0;
    // Binds a texture name (0: none) to GL_TEXTURE_2D of the active unit.
    virtual void BindTexture(std::uint32_t texture) = 0;
    virtual void DeleteTextures(const std::vector<std::uint32_t> &textures) = 0;

    // ---- Vertex buffers ----
    // Whether the context offers GL_ARB_vertex_buffer_object.
    virtual bool OffersVertexBuffers() = 0;
    // A new static array buffer holding Size bytes of Data, left unbound; 0 when none was made.
    virtual unsigned CreateVertexBuffer(const void *data, std::size_t size) = 0;
    virtual void BindVertexBuffer(unsigned buffer) = 0;   // 0: client arrays read plain memory again
    // An element buffer of 32-bit indices; a device without one answers 0 (meshes then draw their
    // vertex buffer face corner by face corner, which the index order gives anyway).
    virtual unsigned CreateIndexBuffer(const void *, std::size_t) { return 0; }
    virtual void DeleteVertexBuffer(unsigned buffer) = 0;

    // ---- Models (the caller has set up the model matrix and bound the texture) ----
    // One mesh with its key transform multiplied on: from its buffer while VBOAvailable is set and
    // it has one, otherwise in immediate mode.
    virtual void DrawMesh(const TMesh &mesh, const TMatrix4 &transform) = 0;
    virtual void DrawNormals(const TOTMModel &model) = 0;   // debug lines along every vertex normal
    virtual void DrawBounds(const TModel &model) = 0;       // debug box outline in red

    // ---- Object drawing (the units place and tint their models through these) ----
    // Multiplies M (the layout of core/Maths.h, as glMultMatrixf takes it) onto the model-view
    // matrix after saving it; PopTransform restores the saved one.
    virtual void PushTransform(const TMatrix4 &m) = 0;
    virtual void PopTransform() = 0;
    // The current colour, alpha included, that lit and unlit models are drawn with.
    virtual void SetColor(float r, float g, float b, float a) = 0;
    // Depth writes on or off (flames and glows are drawn without them).
    virtual void SetDepthWrites(bool on) = 0;
    // Additive blending (source alpha, one) on, or the usual alpha blending back.
    virtual void SetAdditive(bool on) = 0;
    // Lighting on or off.
    virtual void SetLighting(bool on) = 0;

    // ---- Particles ----
    // Every particle of the layer in the blocks, as camera-facing quads (TSprites::DrawAll).
    virtual void DrawSprites(const std::vector<TSpriteBlock *> &blocks, int layer) = 0;
};

// The device in use; the null device until another is installed. Never fails.
TAssetDevice &AssetDevice();
// Makes Device (not owned, alive for the rest of the run) the device in use; null puts the null
// device back.
void SetAssetDevice(TAssetDevice *device);
