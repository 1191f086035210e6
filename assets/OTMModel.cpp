#include "assets/OTMModel.h"

#include <unordered_map>

#include "assets/AssetDevice.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/Bytes.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Extractor.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "model arrays are copied as stored");
static_assert(sizeof(std::array<int, 3>) == 12 && sizeof(std::array<float, 2>) == 8);

namespace {

std::string MeshLabel(int index, const std::string &name)
{
    return "mesh " + std::to_string(index) + (name.empty() ? std::string() : " (\"" + name + "\")");
}

// VertexCount triples of floats into the first three lanes.
void ReadTriples(TByteReader &in, std::vector<TVector4> &out, int count, const std::string &field)
{
    in.Need(std::uint64_t(count) * 12, field);
    out.resize(std::size_t(count));
    for (TVector4 &v : out) {
        float xyz[3];
        in.Bytes(xyz, 12, field);
        v = VectorSet4(xyz[0], xyz[1], xyz[2], 0);
    }
}

template <typename T>
void ReadBlock(TByteReader &in, std::vector<T> &out, int count, const std::string &field)
{
    in.Need(std::uint64_t(count) * sizeof(T), field);
    out.resize(std::size_t(count));
    in.Bytes(out.data(), out.size() * sizeof(T), field);
}

void CheckIndices(const TByteReader &in, const std::vector<std::array<int, 3>> &faces, int limit,
                  const std::string &mesh, const char *what)
{
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (const int index : faces[f])
            if (index < 0 || index >= limit)
                in.Fail("face " + std::to_string(f) + " of " + mesh + " uses " + what + " " + std::to_string(index) +
                        ", but the mesh has " + std::to_string(limit));
}

int ReadCount(TByteReader &in, const std::string &what, const std::string &owner)
{
    const int count = in.Int("the " + what + " of " + owner);
    if (count < 0)
        in.Fail(owner + " has a negative " + what + " (" + std::to_string(count) + ")");
    return count;
}

TMesh ReadMesh(TByteReader &in, int index, int version, int frameCount)
{
    TMesh mesh;
    if (version > 1)
        mesh.Name = in.ZString("the name of mesh " + std::to_string(index));
    const std::string label = MeshLabel(index, mesh.Name);
    mesh.VertexCount = ReadCount(in, "vertex count", label);
    mesh.FaceCount = ReadCount(in, "face count", label);
    mesh.TexCoordCount = ReadCount(in, "texture coordinate count", label);
    ReadTriples(in, mesh.Vertices, mesh.VertexCount, "the vertices of " + label);
    ReadTriples(in, mesh.Normals, mesh.VertexCount, "the normals of " + label);
    ReadBlock(in, mesh.Faces, mesh.FaceCount, "the faces of " + label);
    ReadBlock(in, mesh.TexCoords, mesh.TexCoordCount, "the texture coordinates of " + label);
    ReadBlock(in, mesh.TexFaces, mesh.FaceCount, "the texture faces of " + label);
    in.Need(std::uint64_t(frameCount) * 28, "the keys of " + label);
    mesh.Keys.resize(std::size_t(frameCount));
    for (TModelKey &key : mesh.Keys) {
        float v[7];
        in.Bytes(v, 28, "the keys of " + label);
        key.Position = VectorSet4(v[0], v[1], v[2], 0);
        key.Rotation = VectorSet4(v[3], v[4], v[5], v[6]);
    }
    CheckIndices(in, mesh.Faces, mesh.VertexCount, label, "vertex");
    CheckIndices(in, mesh.TexFaces, mesh.TexCoordCount, label, "texture coordinate");
    for (TVector4 &n : mesh.Normals)
        n = VectorNormalizeSafe(n);
    return mesh;
}

} // namespace

void TOTMModel::Parse(const std::vector<std::uint8_t> &bytes, const std::string &fileName)
{
    TByteReader in(bytes, "Model \"" + fileName + "\" is damaged: ");
    Version = in.Int("the header");
    MeshCount = in.Int("the header");
    FrameCount = in.Int("the header");
    FramesPerSecond = in.Int("the header");
    if (MeshCount < 0)
        in.Fail("the mesh count is negative (" + std::to_string(MeshCount) + ")");
    if (FrameCount < 1)
        in.Fail("the frame count is " + std::to_string(FrameCount) + "; a model needs at least 1 frame");
    // The key duration is 1000 div the rate in whole milliseconds: above 1000 it would be 0.
    if (FramesPerSecond < 1 || FramesPerSecond > 1000)
        in.Fail("the frame rate is " + std::to_string(FramesPerSecond) + " frames per second; it must be 1 to 1000");

    CollisionMesh = -1;
    Meshes.clear();
    Meshes.reserve(std::min<std::size_t>(std::size_t(MeshCount), in.Left() / 12));
    for (int i = 0; i < MeshCount; ++i) {
        Meshes.push_back(ReadMesh(in, i, Version, FrameCount));
        if (Meshes.back().Name == "Collision") {
            Meshes.back().Visible = false;
            CollisionMesh = i;
        }
    }

    PointCount = in.Int("the point count");
    if (PointCount < 0)
        in.Fail("the point count is negative (" + std::to_string(PointCount) + ")");
    Points.clear();
    Points.reserve(std::min<std::size_t>(std::size_t(PointCount), in.Left() / 13));
    for (int i = 0; i < PointCount; ++i) {
        TModelPoint point;
        point.Name = in.ZString("the name of point " + std::to_string(i));
        const std::string field = "the position of point " + std::to_string(i) + " (\"" + point.Name + "\")";
        point.Position.x = in.Float(field);
        point.Position.y = in.Float(field);
        point.Position.z = in.Float(field);
        Points.push_back(std::move(point));
    }

    // The box starts at the origin, so it always contains it.
    TVector3 min, max;
    for (const TMesh &mesh : Meshes)
        for (const TVector4 &v : mesh.Vertices) {
            min = VectorSet3(std::min(min.x, v.x), std::min(min.y, v.y), std::min(min.z, v.z));
            max = VectorSet3(std::max(max.x, v.x), std::max(max.y, v.y), std::max(max.z, v.z));
        }
    SetBounds(min, max);
}

void TOTMModel::LoadFromFile(const std::string &fileName)
{
    {
        const TMemFile file(fileName, Extractor);
        Parse(file.Data, fileName);
    }
    if (TextureLib)
        Texture = TextureLib->Load(OTMTextureName(fileName), TextureLinearMipmapLinear, TextureLinear);
    if (VBOAvailable)
        BuildBuffers();
}

TMeshBuffers IndexedVertices(const TMesh &mesh)
{
    TMeshBuffers out;
    out.Indices.reserve(std::size_t(mesh.FaceCount) * 3);
    // A corner is a vertex (with its normal) and a texture coordinate: the same pair seen again
    // reuses its slot.
    std::unordered_map<std::uint64_t, std::uint32_t> slots;
    slots.reserve(std::size_t(mesh.FaceCount) * 2);
    for (std::size_t f = 0; f < mesh.Faces.size(); ++f)
        for (int corner = 0; corner < 3; ++corner) {
            const int vertex = mesh.Faces[f][std::size_t(corner)], tex = mesh.TexFaces[f][std::size_t(corner)];
            const std::uint64_t key = (std::uint64_t(std::uint32_t(vertex)) << 32) | std::uint32_t(tex);
            const auto [at, fresh] = slots.try_emplace(key, std::uint32_t(slots.size()));
            if (fresh) {
                const TVector4 &v = mesh.Vertices[std::size_t(vertex)];
                const TVector4 &n = mesh.Normals[std::size_t(vertex)];
                const auto &uv = mesh.TexCoords[std::size_t(tex)];
                out.Vertices.insert(out.Vertices.end(), {v.x, v.y, v.z, v.w, n.x, n.y, n.z, n.w, uv[0], uv[1]});
            }
            out.Indices.push_back(at->second);
        }
    return out;
}

void TOTMModel::BuildBuffers()
{
    for (TMesh &mesh : Meshes) {
        if (mesh.FaceCount == 0)
            continue;
        const TMeshBuffers data = IndexedVertices(mesh);
        mesh.Buffer = CreateVertexBuffer(data.Vertices.data(), data.Vertices.size() * sizeof(float));
        mesh.IndexBuffer = CreateIndexBuffer(data.Indices.data(), data.Indices.size() * sizeof(std::uint32_t));
        mesh.IndexCount = mesh.IndexBuffer ? int(data.Indices.size()) : 0;
    }
}

std::string OTMTextureName(const std::string &modelName)
{
    std::string name = modelName;
    for (std::size_t i = 0; i + 4 <= name.size(); ++i) {
        if (UpperCase(std::string_view(name).substr(i, 4)) == ".OTM")
            name.replace(i, 4, ".png");
    }
    return name;
}

namespace {

void BindModelTexture(int texture)
{
    if (TextureLib)
        TextureLib->Bind(texture);
}

} // namespace

void TOTMModel::DrawNormals() { AssetDevice().DrawNormals(*this); }

int TOTMModel::FindMesh(const std::string &name) const
{
    for (std::size_t i = 0; i < Meshes.size(); ++i)
        if (Meshes[i].Name == name)
            return int(i);
    return -1;
}

void TOTMModel::GetMeshPosition(int mesh, TVector3 &position, float t)
{
    position = TVector3();
    if (mesh < 0 || mesh >= MeshCount)
        return;
    const TKeySample s = t <= -1 ? ClockSample(GameClock, FramesPerSecond, FrameCount) : NormalizedSample(t, FrameCount);
    const TMatrix4 m = KeyTransform(Meshes[std::size_t(mesh)].Keys, s);
    position = VectorSet3(m[12], m[13], m[14]);
}

std::string TOTMModel::GetMeshName(int mesh) const
{
    return mesh >= 0 && mesh < MeshCount ? Meshes[std::size_t(mesh)].Name : std::string();
}

void TOTMModel::SetMeshVisible(int mesh, bool visible)
{
    if (mesh >= 0 && mesh < MeshCount)
        Meshes[std::size_t(mesh)].Visible = visible;
}

void TOTMModel::Draw(bool bindTexture)
{
    if (FrameCount < 1)
        return;   // never loaded
    if (bindTexture)
        BindModelTexture(Texture);
    const TKeySample s = ClockSample(GameClock, FramesPerSecond, FrameCount);
    Phase = float(s.K1) / float(FrameCount);
    for (const TMesh &mesh : Meshes)
        if (mesh.Visible)
            AssetDevice().DrawMesh(mesh, KeyTransform(mesh.Keys, s));
}

void TOTMModel::DrawAt(float t)
{
    if (FrameCount < 1)
        return;
    BindModelTexture(Texture);
    const TKeySample s = NormalizedSample(t, FrameCount);
    Phase = float(s.K1) / float(FrameCount);
    for (const TMesh &mesh : Meshes)
        if (mesh.Visible)
            AssetDevice().DrawMesh(mesh, KeyTransform(mesh.Keys, s));
}

void TOTMModel::DrawMeshAt(int mesh, float t)
{
    if (FrameCount < 1 || mesh < 0 || mesh >= MeshCount)
        return;
    BindModelTexture(Texture);
    const TKeySample s = NormalizedSample(t, FrameCount);
    Phase = float(s.K1) / float(FrameCount);
    AssetDevice().DrawMesh(Meshes[std::size_t(mesh)], KeyTransform(Meshes[std::size_t(mesh)].Keys, s));
}

TMesh *TOTMModel::GetCollisionMesh()
{
    return CollisionMesh >= 0 && CollisionMesh < MeshCount ? &Meshes[std::size_t(CollisionMesh)] : nullptr;
}

bool TOTMModel::GetCollisionTriangle(int index, TVector3 &a, TVector3 &b, TVector3 &c) const
{
    if (CollisionMesh < 0 || std::size_t(CollisionMesh) >= Meshes.size())
        return false;
    const TMesh &mesh = Meshes[std::size_t(CollisionMesh)];
    if (index < 0 || std::size_t(index) >= mesh.Faces.size())
        return false;
    // Face indices were checked against the vertex count when the file was read.
    const std::array<int, 3> &face = mesh.Faces[std::size_t(index)];
    a = mesh.Vertices[std::size_t(face[0])];
    b = mesh.Vertices[std::size_t(face[1])];
    c = mesh.Vertices[std::size_t(face[2])];
    return true;
}
