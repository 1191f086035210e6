#include "tests/assets/TestFiles.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void Append(std::vector<std::uint8_t> &out, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(std::uint32_t(v) >> (8 * i)));
}

void Append(std::vector<std::uint8_t> &out, float f)
{
    std::int32_t bits;
    std::memcpy(&bits, &f, 4);
    Append(out, bits);
}

void Append(std::vector<std::uint8_t> &out, const std::string &name)
{
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

void Append(std::vector<std::uint8_t> &out, const TVector3 &v)
{
    Append(out, v.x);
    Append(out, v.y);
    Append(out, v.z);
}

void PngToMemory(png_structp png, png_bytep data, png_size_t size)
{
    auto *out = static_cast<std::vector<std::uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

} // namespace

std::vector<std::uint8_t> RawOtm(int version, int frameCount, int framesPerSecond, const std::vector<TRawMesh> &meshes,
                                 const std::vector<TRawPoint> &points)
{
    std::vector<std::uint8_t> out;
    Append(out, std::int32_t(version));
    Append(out, std::int32_t(meshes.size()));
    Append(out, std::int32_t(frameCount));
    Append(out, std::int32_t(framesPerSecond));
    for (const TRawMesh &m : meshes) {
        if (version > 1)
            Append(out, m.Name);
        Append(out, std::int32_t(m.Vertices.size()));
        Append(out, std::int32_t(m.Faces.size()));
        Append(out, std::int32_t(m.TexCoords.size()));
        for (const TVector3 &v : m.Vertices)
            Append(out, v);
        for (const TVector3 &n : m.Normals)
            Append(out, n);
        for (const auto &f : m.Faces)
            for (const int i : f)
                Append(out, std::int32_t(i));
        for (const auto &t : m.TexCoords)
            for (const float f : t)
                Append(out, f);
        for (const auto &f : m.TexFaces)
            for (const int i : f)
                Append(out, std::int32_t(i));
        for (const auto &k : m.Keys)
            for (const float f : k)
                Append(out, f);
    }
    Append(out, std::int32_t(points.size()));
    for (const TRawPoint &p : points) {
        Append(out, p.Name);
        Append(out, p.Position);
    }
    return out;
}

TRawMesh RawTriangle(const std::string &name, TVector3 a, TVector3 b, TVector3 c, int frameCount)
{
    TRawMesh m;
    m.Name = name;
    m.Vertices = {a, b, c};
    m.Normals = {VectorSet3(0, 0, 2), VectorSet3(0, 0, 2), VectorSet3(0, 0, 2)};
    m.Faces = {{0, 1, 2}};
    m.TexCoords = {{0, 0}, {1, 0}, {0, 1}};
    m.TexFaces = {{0, 1, 2}};
    for (int k = 0; k < frameCount; ++k)
        m.Keys.push_back({float(k), 0, 0, 0, 0, 0, 1});
    return m;
}

void PutInt(std::vector<std::uint8_t> &bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + std::size_t(i)) = std::uint8_t(std::uint32_t(value) >> (8 * i));
}

std::vector<std::uint8_t> TestPngBytes(int width, int height, int channels, const std::vector<std::uint8_t> &pixels)
{
    static constexpr int Types[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                    PNG_COLOR_TYPE_RGB_ALPHA};
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot encode the test PNG");
    }
    png_set_write_fn(png, &out, PngToMemory, nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, Types[channels - 1], PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void WriteTestPng(const fs::path &path, int width, int height, int channels, const std::vector<std::uint8_t> &pixels)
{
    WriteBytes(path, TestPngBytes(width, height, channels, pixels));
}

std::vector<std::uint8_t> Solid(int width, int height, std::vector<std::uint8_t> pixel)
{
    std::vector<std::uint8_t> image;
    for (int i = 0; i < width * height; ++i)
        image.insert(image.end(), pixel.begin(), pixel.end());
    return image;
}

