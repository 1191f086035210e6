#pragma once
// An asset device for tests that records what is drawn: the transforms pushed, the meshes, and the
// depth-write, blending and lighting switches in order, with the alpha in use at each mesh.

#include "assets/AssetDevice.h"

#include <string>
#include <vector>

class TRecordingDevice : public TAssetDevice {
public:
    std::uint32_t CreateTexture(const void *, int, int, int, int, int) override { return 0; }
    void BindTexture(std::uint32_t) override {}
    void DeleteTextures(const std::vector<std::uint32_t> &) override {}
    bool OffersVertexBuffers() override { return false; }
    unsigned CreateVertexBuffer(const void *, std::size_t) override { return 0; }
    void BindVertexBuffer(unsigned) override {}
    void DeleteVertexBuffer(unsigned) override {}
    void DrawMesh(const TMesh &, const TMatrix4 &) override
    {
        Calls.push_back("mesh");
        AlphaAtMesh = Alpha;
    }
    void DrawNormals(const TOTMModel &) override {}
    void DrawBounds(const TModel &) override {}
    void PushTransform(const TMatrix4 &m) override
    {
        Calls.push_back("push");
        Pushed.push_back(m);
    }
    void PopTransform() override { Calls.push_back("pop"); }
    void SetColor(float, float, float, float a) override { Alpha = a; }
    void SetDepthWrites(bool on) override { Calls.push_back(on ? "depth on" : "depth off"); }
    void SetAdditive(bool on) override { Calls.push_back(on ? "additive on" : "additive off"); }
    void SetLighting(bool on) override { Calls.push_back(on ? "lighting on" : "lighting off"); }
    void DrawSprites(const std::vector<TSpriteBlock *> &, int) override {}

    std::vector<std::string> Calls;
    std::vector<TMatrix4>    Pushed;
    float                    Alpha = 1;
    float                    AlphaAtMesh = -1;
};
