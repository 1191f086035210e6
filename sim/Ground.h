#pragma once
// What stands still in a mission: the two air-defence sites (the SAM launcher and the anti-aircraft
// gun), the buildings (scenery and the destructible kind), the islands with their shore for
// collision, and the aircraft carrier the player flies from.

#include "sim/Units.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// ---- Air-defence sites --------------------------------------------------------------------------

// A site with one turret on its "Gun" point and a wreck sequence. Each frame: the death check (once
// its health is gone the wreck plays and the site is Dead when it has finished), then the turret is
// placed on its point and, while the site may fire, updated.
class TSite : public TUnit {
public:
    // ModelPath and DeadModelPath are game paths ("Data\Models\..."). The turret is made only when
    // the model has a "Gun" point.
    TSite(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles,
          const std::string &modelPath, const std::string &deadModelPath, const TTurretConfig &turret,
          bool launcher);
    ~TSite() override;

    void Update(int dt) override;
    void Draw() override;
    TTargetClass TargetClass() override { return TTargetClass::Ground; }

    int  GunIndex = -1;              // the model's "Gun" point
    std::unique_ptr<TGun> Turret;    // null without a "Gun" point
    TDeadAnimation Death;
};

// The SAM site: a missile launcher.
class TCoolSam : public TSite {
public:
    TCoolSam(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles);
    void DescribeState(TStateIO &io) override;
};

// The anti-aircraft gun.
class TShilka : public TSite {
public:
    TShilka(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles);
    void DescribeState(TStateIO &io) override;
};

// ---- Buildings ----------------------------------------------------------------------------------

// Scenery placed by the script (a lighthouse, a pier): no behaviour, drawn fading out with distance.
class TBuilding : public TUnit {
public:
    // ModelPath is a game path ("Data\Models\...").
    TBuilding(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position,
              const TVector3 &angles);
    void Update(int) override {}
    void Draw() override;
    TTargetClass TargetClass() override { return TTargetClass::Ground; }
};

// The wreck model of a building: its model path with every "Main.otm" turned into "Dead.otm".
std::string BuildingWreckPath(const std::string &modelPath);

// A destructible building. Once its health is gone it collapses: the wreck clock runs
// BuildingWreckTime ms with the wreck sequence playing, then the building is Dead.
class TBuildingStatic : public TUnit {
public:
    // ModelPath is a game path ("Data\Models\Buildings\Hangar\Main.otm").
    TBuildingStatic(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position,
                    const TVector3 &angles);
    void Update(int dt) override;
    void Draw() override;
    TTargetClass TargetClass() override { return TTargetClass::Ground; }
    void DescribeState(TStateIO &io) override;

    static constexpr int BuildingWreckTime = 5000;

    std::string ModelPath;
    TDeadAnimation Death;
    std::int32_t WreckClock = 0;   // ms left of the collapse; 0 while standing
    bool Collapsing = false;       // the collapse has started (it never starts twice)
};

// ---- Islands ------------------------------------------------------------------------------------

// A uniform grid in x and y over a list of world triangles, so that collision tries only the
// triangles near a sample point. A triangle is filed in every cell that its bounding box, grown by
// the reach, overlaps; a point then finds every triangle whose grown box holds it. Triangles with a
// corner that is not a finite number, and the few so large they would fill too many cells, are
// offered for every point instead.
class TTriangleGrid {
public:
    // Files Triangles. Reach is how far from a triangle a point may still touch it.
    void Build(std::span<const TWorldTriangle> triangles, float reach);
    // Appends the numbers of the triangles filed where Point lies (unsorted, without repeats).
    void Near(const TVector3 &point, std::vector<std::uint32_t> &indices) const;

    float OriginX = 0, OriginY = 0, CellSize = 1;
    int   Columns = 0, Rows = 0;
    std::vector<std::uint32_t> CellStart;       // Columns x Rows + 1 offsets into CellTriangles
    std::vector<std::uint32_t> CellTriangles;   // by cell, row after row
    std::vector<std::uint32_t> Everywhere;

private:
    // The column (or row) of V, as a float so that the caller can tell a point off the grid.
    float Cell(float v, float origin) const { return std::floor((v - origin) / CellSize); }
};

// An island: its model "Data\Maps\Islands\" + name, and the shore that collision tests, built once
// from the model's collision mesh moved to the island's position (never turned) and filed in a grid.
class TIsland : public TUnit {
public:
    // Angles turn nothing but are kept in Rotation; the shore and the drawing ignore them, so what
    // is seen is what is hit.
    TIsland(TObjectsControl &objects, const TVector3 &position, const std::string &name,
            const TVector3 &angles = {});
    void Update(int) override {}
    void Draw() override;
    void DescribeState(TStateIO &io) override;
    std::span<const TWorldTriangle> WorldTriangles() const override { return Triangles; }
    bool TrianglesNear(const TVector3 &point, std::vector<std::uint32_t> &indices) const override;

    // Builds the shore at the island's current Position.
    void BuildShore();

    std::vector<TWorldTriangle> Triangles;
    TTriangleGrid Grid;
    TVector4 ShorePosition;   // where the shore was built
};

// ---- The carrier --------------------------------------------------------------------------------

// The player's base: it never moves; it keeps the take-off, landing and camera points of the
// player aircraft and defends itself with two machine guns.
class TCarrier : public TUnit {
public:
    TCarrier(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles);
    ~TCarrier() override;
    void Update(int dt) override;
    void Draw() override;
    void DescribeState(TStateIO &io) override;

    // The carrier's position plus each model point (not turned); the position itself where the
    // model lacks the point.
    TVector4 StartPoint, EndPoint, CameraPoint, LandEndPoint, LandBeginPoint;
    int GunIndex[2] = {-1, -1};           // "Gun_1", "Gun_2"
    std::unique_ptr<TGun> Guns[2];        // null where the model lacks the point
    TDeadAnimation Death;
};
