#pragma once
// Files the asset tests build: raw ".otm" images written field by field (so that a test controls
// every count and index), PNG images of any channel count, and a private temporary folder.

#include "core/Maths.h"
#include "tests/TestUtil.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TRawMesh {
    std::string                       Name;
    std::vector<TVector3>             Vertices, Normals;
    std::vector<std::array<int, 3>>   Faces, TexFaces;
    std::vector<std::array<float, 2>> TexCoords;
    std::vector<std::array<float, 7>> Keys;   // position x, y, z, rotation x, y, z, w
};

struct TRawPoint {
    std::string Name;
    TVector3    Position;
};

// The file image; names are written only when Version > 1.
std::vector<std::uint8_t> RawOtm(int version, int frameCount, int framesPerSecond, const std::vector<TRawMesh> &meshes,
                                 const std::vector<TRawPoint> &points);

// One triangle (vertices A, B, C, normals up, texture corners (0,0), (1,0), (0,1)) with FrameCount
// keys: key k at position (k, 0, 0) with the identity rotation.
TRawMesh RawTriangle(const std::string &name, TVector3 a, TVector3 b, TVector3 c, int frameCount);

void PutInt(std::vector<std::uint8_t> &bytes, std::size_t at, std::int32_t value);

// Writes a PNG of 1 (grey), 2 (grey and alpha), 3 (RGB) or 4 (RGBA) channels, rows top first.
void WriteTestPng(const std::filesystem::path &path, int width, int height, int channels,
                  const std::vector<std::uint8_t> &pixels);
// The bytes of such a PNG.
std::vector<std::uint8_t> TestPngBytes(int width, int height, int channels, const std::vector<std::uint8_t> &pixels);
// A width x height image of one colour (channels as above).
std::vector<std::uint8_t> Solid(int width, int height, std::vector<std::uint8_t> pixel);

