#include "assets/VertexBuffers.h"

#include "assets/AssetDevice.h"

bool VBOAvailable = false;

bool DetectVertexBuffers()
{
    VBOAvailable = AssetDevice().OffersVertexBuffers();
    return VBOAvailable;
}

unsigned CreateVertexBuffer(const void *data, std::size_t size) { return AssetDevice().CreateVertexBuffer(data, size); }

void BindVertexBuffer(unsigned buffer) { AssetDevice().BindVertexBuffer(buffer); }

unsigned CreateIndexBuffer(const void *data, std::size_t size) { return AssetDevice().CreateIndexBuffer(data, size); }

void DeleteVertexBuffer(unsigned buffer) { AssetDevice().DeleteVertexBuffer(buffer); }
