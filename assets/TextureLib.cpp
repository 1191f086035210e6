#include "assets/TextureLib.h"

#include "assets/AssetDevice.h"
#include "core/Files.h"
#include "core/Log.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Extractor.h"

#include <IL/il.h>

#include <algorithm>
#include <stdexcept>

TTextureLib *TextureLib = nullptr;

namespace {

std::string Ending(const std::string &name, std::size_t n)
{
    return UpperCase(name.size() >= n ? std::string_view(name).substr(name.size() - n) : std::string_view(name));
}

// Owns one DevIL image name for the length of a load, so that no path leaks it.
class TILImage {
public:
    TILImage()
    {
        ilGenImages(1, &Id);
        ilBindImage(Id);
    }
    ~TILImage() { ilDeleteImages(1, &Id); }
    TILImage(const TILImage &) = delete;
    TILImage &operator=(const TILImage &) = delete;

private:
    ILuint Id = 0;
};

// A whole number of at least 1 on its own line of an ".ANT" file.
int AntNumber(TTextFile &file, const std::string &name, const char *what)
{
    const std::string line = file.Eof() ? std::string() : file.ReadTrimmedLine();
    const bool digits = !line.empty() && line.size() <= 9 &&
                        std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int value = digits ? std::stoi(line) : 0;
    if (value < 1)
        throw std::runtime_error("Animated texture \"" + name + "\" is damaged: the " + what +
                                 " must be a whole number of at least 1, not \"" + line + "\"");
    return value;
}

} // namespace

std::uint32_t CreateTexture(const void *pixels, int width, int height, int format, int minFilter, int magFilter)
{
    return AssetDevice().CreateTexture(pixels, width, height, format, minFilter, magFilter);
}

TImageTexture LoadImageTexture(const std::string &name, int minFilter, int magFilter)
{
    const std::string ending = Ending(name, 4);
    if (ending == ".BMP" || ending == ".JPG" || ending == ".TGA") {
        const std::string kind = ending == ".BMP" ? "BMP" : ending == ".JPG" ? "JPEG" : "TGA";
        ErrorBox(true, kind + " not supported: " + name);
        return {};
    }
    if (ending != ".PNG")
        return {};

    // A loose file overrides the archive's copy.
    const int index = Extractor ? Extractor->FindFile(name) : -1;
    const bool loose = FileExists(name);
    if (index < 0 && !loose) {
        LogWrite("File not found:" + name);
        return {};
    }
    TILImage image;
    bool decoded = false;
    if (index >= 0 && !loose) {
        const std::vector<std::uint8_t> bytes = Extractor->ReadFile(index);
        decoded = ilLoadL(IL_PNG, bytes.data(), ILuint(bytes.size()));
    } else {
        decoded = ilLoad(IL_PNG, DiskPath(name).c_str());
    }
    if (!decoded)
        throw std::runtime_error("Cannot read the PNG image \"" + name + "\"");

    TImageTexture result;
    result.Width = ilGetInteger(IL_IMAGE_WIDTH);
    result.Height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int bytesPerPixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    if (bytesPerPixel != 3 && bytesPerPixel != 4)
        throw std::runtime_error("PNG format only support 24 bits(3 byte) & 32 bits(4 byte), and not support " +
                                 std::to_string(bytesPerPixel));
    result.GLName = CreateTexture(ilGetData(), result.Width, result.Height, bytesPerPixel == 3 ? PixelsRGB : PixelsRGBA,
                                  minFilter, magFilter);
    return result;
}

int AnimationFrame(std::int64_t clock, int frameTime, int totalTime)
{
    return int(((clock % totalTime) + totalTime) % totalTime / frameTime);
}

TTextureLib::TTextureLib() { Items.resize(std::size_t(Capacity)); }

int TTextureLib::Load(const std::string &name, int minFilter, int magFilter)
{
    for (int i = 0; i < Count; ++i) {
        TTexture &t = Items[std::size_t(i)];
        if (t.RefCount > 0 && t.Name == name && t.MinFilter == minFilter && t.MagFilter == magFilter) {
            ++t.RefCount;
            return i;
        }
    }
    int slot = 0;
    while (slot < Count && Items[std::size_t(slot)].RefCount != 0)
        ++slot;
    if (slot == Count && ++Count > Capacity) {
        Capacity += 10;
        Items.resize(std::size_t(Capacity));
    }
    TTexture &t = Items[std::size_t(slot)];
    t = TTexture();
    t.RefCount = 1;
    t.Name = name;
    t.MinFilter = minFilter;
    t.MagFilter = magFilter;

    if (Ending(name, 4) != ".ANT") {
        const TImageTexture image = LoadImageTexture(name, minFilter, magFilter);
        t.GLName = image.GLName;
        t.Width = image.Width;
        t.Height = image.Height;
    } else {
        t.Animated = true;
        TTextFile file(name, Extractor);
        const int frameTime = AntNumber(file, name, "frame time");
        const int frameCount = AntNumber(file, name, "frame count");
        std::vector<std::string> frames;
        while (int(frames.size()) < frameCount && !file.Eof())
            frames.push_back(file.ReadTrimmedLine());
        if (int(frames.size()) < frameCount)
            throw std::runtime_error("Animated texture \"" + name + "\" is damaged: it names " +
                                     std::to_string(frames.size()) + " of its " + std::to_string(frameCount) + " frames");
        t.FrameTime = frameTime;
        t.FrameCount = frameCount;
        t.TotalTime = frameTime * frameCount;
        t.Frames.assign(std::size_t(frameCount), 0);
        const std::string folder = name.substr(0, name.find_last_of("\\/") + 1);
        for (int i = 0; i < frameCount; ++i) {
            const TImageTexture image = LoadImageTexture(folder + frames[std::size_t(i)], minFilter, magFilter);
            t.Frames[std::size_t(i)] = image.GLName;
            t.Width = image.Width;
            t.Height = image.Height;
        }
    }
    t.MemorySize = t.Width * t.Height * 4;
    return slot;
}

void TTextureLib::Bind(int handle) const
{
    if (handle < 0 || handle >= Count) {
        AssetDevice().BindTexture(0);
        return;
    }
    const TTexture &t = Items[std::size_t(handle)];
    if (t.Animated && t.TotalTime > 0)
        AssetDevice().BindTexture(t.Frames[std::size_t(AnimationFrame(GameClock, t.FrameTime, t.TotalTime))]);
    else
        AssetDevice().BindTexture(t.GLName);
}

void TTextureLib::Release(int handle)
{
    if (handle < 0 || handle >= Count || Items[std::size_t(handle)].RefCount == 0)
        return;
    TTexture &t = Items[std::size_t(handle)];
    if (--t.RefCount > 0)
        return;
    std::vector<std::uint32_t> names = t.Frames;
    names.push_back(t.GLName);
    std::erase(names, 0u);
    if (!names.empty())
        AssetDevice().DeleteTextures(names);
    t = TTexture();
}
