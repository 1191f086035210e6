#include "assets/AssetDevice.h"

namespace {

// Uploads nothing and draws nothing: what a program without a window gets.
class TNullAssetDevice final : public TAssetDevice {
public:
    std::uint32_t CreateTexture(const void *, int, int, int, int, int) override { return 0; }
    void BindTexture(std::uint32_t) override {}
    void DeleteTextures(const std::vector<std::uint32_t> &) override {}
    bool OffersVertexBuffers() override { return false; }
    unsigned CreateVertexBuffer(const void *, std::size_t) override { return 0; }
    void BindVertexBuffer(unsigned) override {}
    void DeleteVertexBuffer(unsigned) override {}
    void DrawMesh(const TMesh &, const TMatrix4 &) override {}
    void DrawNormals(const TOTMModel &) override {}
    void PushTransform(const TMatrix4 &) override {}
    void PopTransform() override {}
    void SetColor(float, float, float, float) override {}
    void SetDepthWrites(bool) override {}
    void SetAdditive(bool) override {}
    void SetLighting(bool) override {}
    void DrawBounds(const TModel &) override {}
    void DrawSprites(const std::vector<TSpriteBlock *> &, int) override {}
};

TNullAssetDevice NullDevice;
TAssetDevice    *Installed = &NullDevice;

} // namespace

TAssetDevice &AssetDevice() { return *Installed; }

void SetAssetDevice(TAssetDevice *device) { Installed = device ? device : &NullDevice; }
