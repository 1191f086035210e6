#pragma once
// The plain model format, files ending ".otm": one texture per model, named after the file.
//
// File layout, little-endian int32 and float32, no gaps, read in sequence:
//   header      Version, MeshCount, FrameCount, FramesPerSecond (int32 each)
//   MeshCount x Name (zero-terminated, only when Version > 1)
//               VertexCount, FaceCount, TexCoordCount (int32 each)
//               Vertices  VertexCount x (x, y, z)
//               Normals   VertexCount x (x, y, z)
//               Faces     FaceCount x 3 vertex indices (int32)
//               TexCoords TexCoordCount x (u, v)
//               TexFaces  FaceCount x 3 texture-coordinate indices (int32)
//               Keys      FrameCount x position (x, y, z), rotation quaternion (x, y, z, w)
//   PointCount (int32), then PointCount x name (zero-terminated), x, y, z
// Trailing bytes are ignored.

#include "assets/Model.h"

#include <cstdint>
#include <string>
#include <vector>

struct TMesh {
    std::string                        Name;
    bool                               Visible = true;
    int                                VertexCount = 0, FaceCount = 0, TexCoordCount = 0;
    std::vector<TVector4>              Vertices;   // w = 0
    std::vector<TVector4>              Normals;    // unit length after loading (zero ones stay zero)
    std::vector<std::array<int, 3>>    Faces;      // vertex indices
    std::vector<std::array<float, 2>>  TexCoords;  // u, v; v = 0 is the image's top row
    std::vector<std::array<int, 3>>    TexFaces;   // texture-coordinate indices, one triple per face
    std::vector<TModelKey>             Keys;       // FrameCount keys
    unsigned                           Buffer = 0;      // interleaved vertex buffer, 0 when none
    unsigned                           IndexBuffer = 0; // three indices into Buffer per face, 0 when none
    int                                IndexCount = 0;
};

// Bytes of one vertex in a mesh's buffer: position (16), normal (16), texture coordinate (8).
constexpr int OTMVertexStride = 40;

class TOTMModel : public TModel {
public:
    // Reads the file through the archive, then loads the texture (when the texture library exists)
    // and builds the vertex buffers (when VBOAvailable is set).
    void LoadFromFile(const std::string &fileName) override;
    // Fills the model from the bytes of an ".otm" file, with no GL call: meshes, keys, points,
    // bounds, centre and radius. FileName only names the file in errors. Refuses a file the game
    // cannot use (negative counts, indices outside their arrays, a file shorter than its counts,
    // no frames, a frame rate outside 1..1000) with "Model "FileName" is damaged: ...".
    void Parse(const std::vector<std::uint8_t> &bytes, const std::string &fileName);
    // One buffer per mesh with 3 x FaceCount vertices of OTMVertexStride bytes, in face order, made
    // by the installed asset device (names stay 0 without the GL device).
    void BuildBuffers();

    void DrawNormals() override;
    int FindMesh(const std::string &name) const override;
    void GetMeshPosition(int mesh, TVector3 &position, float t) override;
    std::string GetMeshName(int mesh) const override;
    void SetMeshVisible(int mesh, bool visible) override;
    // The pose of the game clock; from the mesh buffers while VBOAvailable is set.
    void Draw(bool bindTexture) override;
    void DrawAt(float t) override;
    void DrawMeshAt(int mesh, float t) override;

    // The mesh named "Collision", or null.
    TMesh *GetCollisionMesh();
    bool GetCollisionTriangle(int index, TVector3 &a, TVector3 &b, TVector3 &c) const override;

    int                Version = 0;
    std::vector<TMesh> Meshes;
    int                Texture = -1;   // texture-library handle; -1 when no library was there to load it
};

// The buffer contents of one mesh, as BuildBuffers uploads them: every distinct corner (a vertex
// with its texture coordinate) once, interleaved, and three indices into them per face, so the
// driver transforms a vertex shared by several faces once.
struct TMeshBuffers {
    std::vector<float>         Vertices;   // OTMVertexStride bytes per corner
    std::vector<std::uint32_t> Indices;
};
TMeshBuffers IndexedVertices(const TMesh &mesh);

// The model's texture: the file name with every ".otm" (in any letter case) turned into ".png".
std::string OTMTextureName(const std::string &modelName);
