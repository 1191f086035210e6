#pragma once
// The texture library: image file name plus filter pair in, small integer handle out. Handles index
// Items; a handle is bound with Bind, which also steps animated textures (".ANT" lists) by the game
// clock. Only PNG images (24 or 32 bits per pixel) are read, through DevIL (ilInit must have run),
// and every texture gets a full mip chain from GLU.
//
// An ".ANT" file is text: line 1 the frame time in milliseconds, line 2 the frame count, then one
// image name per frame, relative to the folder of the ".ANT" file.
//
// The library's bookkeeping and the decoding need no window; uploading, binding and deleting go
// through the installed asset device ("assets/AssetDevice.h"), so without the GL device every
// texture keeps GL name 0 and binding does nothing.

#include <cstdint>
#include <string>
#include <vector>

// The GL enum values of the filters and pixel layouts that the asset code passes on, for code that
// includes no GL header. Callers with GL headers pass GL_LINEAR and the rest as usual.
constexpr int TextureNearest = 0x2600;             // GL_NEAREST
constexpr int TextureLinear = 0x2601;              // GL_LINEAR
constexpr int TextureLinearMipmapLinear = 0x2703;  // GL_LINEAR_MIPMAP_LINEAR
constexpr int PixelsRGB = 0x1907;                  // GL_RGB
constexpr int PixelsRGBA = 0x1908;                 // GL_RGBA
constexpr int PixelsBGRA = 0x80E1;                 // GL_BGRA_EXT

struct TTexture {
    std::string                Name;             // as requested
    std::uint32_t              GLName = 0;       // 0 when loading failed
    int                        MinFilter = 0;    // part of the cache key
    int                        MagFilter = 0;    // part of the cache key
    int                        Width = 0, Height = 0;   // of the last frame for animations
    int                        MemorySize = 0;   // Width x Height x 4
    int                        RefCount = 0;     // requests served; 0 marks a free slot
    bool                       Animated = false; // the name ended in ".ANT"
    std::vector<std::uint32_t> Frames;           // GL textures of the animation frames
    int                        FrameCount = 0;
    int                        TotalTime = 0;    // FrameTime x FrameCount, ms
    int                        FrameTime = 0;    // ms per frame
};

class TTextureLib {
public:
    TTextureLib();

    // The handle of Name loaded with this filter pair (GL enums); a second request for the same
    // name and pair returns the same handle. A missing image logs "File not found:" + name and
    // still returns a handle, bound as texture 0. BMP, JPEG and TGA names are refused through the
    // error box. Throws for an image that is not 24 or 32 bits per pixel, a PNG that cannot be
    // decoded and a damaged ".ANT" file; the slot then stays taken with no texture.
    int Load(const std::string &name, int minFilter, int magFilter);
    // Binds the texture, or the frame of an animation that the game clock shows, to GL_TEXTURE_2D
    // of the active unit. A handle that Load did not give binds texture 0.
    void Bind(int handle) const;
    // Gives back one request. When none is left the GL textures are deleted and the slot is free
    // for the next new texture.
    void Release(int handle);

    std::vector<TTexture> Items;      // Capacity slots
    int                   Count = 0;  // slots in use or once used
    int                   Capacity = 10;
};

// The library of the run, created at start-up after the GL context and DevIL.
extern TTextureLib *TextureLib;

struct TImageTexture {
    std::uint32_t GLName = 0;
    int           Width = 0, Height = 0;
};

// Loads one PNG image as a mipmapped texture, from the archive or from a loose file (which wins).
// See TTextureLib::Load for what it refuses and how.
TImageTexture LoadImageTexture(const std::string &name, int minFilter, int magFilter);

// A new mipmapped GL texture from tightly packed pixels in GL_RGB, GL_RGBA or GL_BGRA_EXT, made by
// the installed asset device (0 with the null device).
std::uint32_t CreateTexture(const void *pixels, int width, int height, int format, int minFilter, int magFilter);

// The frame of an animation that the clock shows: (clock mod total time) div frame time.
int AnimationFrame(std::int64_t clock, int frameTime, int totalTime);
