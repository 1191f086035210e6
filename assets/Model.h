#pragma once
// The abstract model every 3D object is drawn through: rigidly animated meshes, named mount points,
// bounds and up to two lower-detail replacements. Models come only from the model library, which
// owns them for the whole run. The draw calls sample the keys here and hand each mesh to the
// installed asset device ("assets/AssetDevice.h"); without the GL device they draw nothing.

#include "core/Maths.h"
#include "core/View.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>


struct TModelPoint {
    std::string Name;
    TVector4    Position;   // w is 0
};

struct TModelKey {
    TVector4 Position;      // w ignored
    TVector4 Rotation;      // quaternion x, y, z, w
};

class TModel;

struct TModelLOD {
    float   Distance = 0;      // beyond this distance the replacement is drawn
    TModel *Model = nullptr;   // owned by the model library
};

// The two keys around a moment of an animation and how far between them it lies.
struct TKeySample {
    int   K0 = 0, K1 = 0;
    float F = 0;
};

// Clock time: the keys follow each other every 1000 div FramesPerSecond ms and the last key blends
// into the first. FramesPerSecond and FrameCount must be at least 1 (the loaders ensure it).
TKeySample ClockSample(std::int64_t clock, int framesPerSecond, int frameCount);
// Normalized time 0..1 over the whole track; past 0.9999 the last key holds, so it never wraps.
// Times below 0 (and NaN) count as 0.
TKeySample NormalizedSample(float t, int frameCount);
// Blends two rotations along the shorter arc; the result is not renormalized.
TVector4 QuaternionLerp(const TVector4 &q0, const TVector4 &q1, float f);
// The rotation of quaternion Q in the upper 3x3 block and Position at 12, 13, 14, laid out as
// glMultMatrixf takes it.
TMatrix4 QuaternionToMatrix(const TVector4 &q, const TVector3 &position);
// The transform of a key track at a sample: positions blended linearly, rotations by QuaternionLerp.
TMatrix4 KeyTransform(const std::vector<TModelKey> &keys, const TKeySample &sample);

class TModel {
public:
    TModel() = default;
    virtual ~TModel() = default;
    TModel(const TModel &) = delete;
    TModel &operator=(const TModel &) = delete;

    // Fills the model from a file below "Data\Models\", read through the archive. Throws on a
    // missing or damaged file.
    virtual void LoadFromFile(const std::string &fileName) = 0;
    // Debug: a line from every vertex along its normal, without the key transform.
    virtual void DrawNormals() = 0;
    // Debug: the box outline in red, lifted 0.4 in y.
    virtual void DrawBounds();
    virtual int FindMesh(const std::string &name) const = 0;   // first exact match, else -1
    // The mesh origin after its key transform. T <= -1 samples the game clock, otherwise T is
    // normalized time.
    virtual void GetMeshPosition(int mesh, TVector3 &position, float t) = 0;
    virtual int GetMeshCount() const { return MeshCount; }
    virtual std::string GetMeshName(int mesh) const = 0;       // empty outside the mesh range
    virtual void SetMeshVisible(int mesh, bool visible) = 0;   // ignored outside the mesh range
    // Every visible mesh at game-clock time; binds the model's texture first when asked.
    virtual void Draw(bool bindTexture) = 0;
    // Binds the texture and draws every visible mesh at normalized time T.
    virtual void DrawAt(float t) = 0;
    // Binds the texture and draws one mesh at normalized time T, visible or not.
    virtual void DrawMeshAt(int mesh, float t) = 0;
    // The corners of triangle Index of the collision mesh, in model coordinates and without the
    // mesh's key transform. False, with nothing written, when the model has no collision mesh or
    // Index lies outside its triangles.
    virtual bool GetCollisionTriangle(int /*index*/, TVector3 & /*a*/, TVector3 & /*b*/, TVector3 & /*c*/) const
    {
        return false;
    }

    int FindPoint(const std::string &name) const;   // first exact match, else -1
    std::string GetPointName(int index) const;      // empty outside the point range
    TVector4 GetPoint(int index) const;             // zero outside the point range
    int GetPointCount() const { return PointCount; }
    void SetLOD(int slot, TModel *model, float distance);
    // The LOD-1 model beyond its distance, else the LOD-0 model beyond its distance, else this one.
    TModel *SelectLOD(float distance);
    // Draw / DrawAt on the model that SelectLOD picks for the distance from the eye to Position.
    void DrawLOD(const TVector3 &position, bool bindTexture);
    void DrawLODAt(const TVector3 &position, float t);

    // The box corners in their fixed order: (minX, maxY, minZ), (minX, minY, minZ), (maxX, minY, minZ),
    // (maxX, maxY, minZ), then the same four at maxZ.
    std::array<TVector4, 8>  Bounds{};
    float                    Phase = 0;    // normalized time of the key after the one drawn last
    float                    Radius = 0;   // about the model origin, not about Center
    TVector4                 Center;       // mean of the corners
    std::vector<TModelPoint> Points;
    int                      PointCount = 0;
    std::array<TModelLOD, 2> LODs{};
    int                      FramesPerSecond = 0;
    int                      FrameCount = 0;
    int                      MeshCount = 0;
    int                      CollisionMesh = -1;   // the last mesh named "Collision", -1 when none

protected:
    // Sets the corners from the extremes, then Center and Radius.
    void SetBounds(const TVector3 &min, const TVector3 &max);
};
