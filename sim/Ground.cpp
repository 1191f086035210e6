#include "sim/Ground.h"

#include "assets/AssetDevice.h"
#include "assets/Model.h"
#include "core/View.h"
#include "sim/Player.h"
#include "sim/UnitState.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The reach of the island grid: the collision sphere, and a metre to spare for rounding.
constexpr float ShoreReach = CollisionSphereRadius + 1.0f;

TVector4 At(const TVector3 &p) { return VectorSet4(p.x, p.y, p.z, 0); }

// The death check every standing unit here shares. While the unit is not Dead but its health is
// gone: health is kept at 0, it leaves the radar, stops firing and drops its target, and its wreck
// sequence plays at its place; once the sequence has finished the unit is Dead. True while dying
// (and once Dead), when the unit must do nothing else.
bool DeathCheck(TGameObject &unit, TDeadAnimation &death, int dt)
{
    if (unit.Dead)
        return true;
    if (unit.Health > 0)
        return false;
    unit.Health = 0;
    unit.OnRadar = 0;
    unit.WeaponEnabled = 0;
    unit.Target = nullptr;
    death.Angles = unit.Rotation;
    if (death.Update(dt, unit.Position))
        unit.Dead = 1;
    return true;
}

// Draws Unit's model only nearer than the far draw distance, fading out towards it.
float BuildingAlpha(const TGameObject &unit)
{
    const float distance = VectorDistance(unit.Position, EyePosition);
    return distance < FarDrawDistance ? DistanceFade(distance) : 0.0f;
}

} // namespace

// ---- Air-defence sites --------------------------------------------------------------------------

TSite::TSite(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles,
             const std::string &modelPath, const std::string &deadModelPath, const TTurretConfig &turret,
             bool launcher)
    : TUnit(objects, {.Position = position, .Rotation = angles, .Side = side}), Death(deadModelPath, &objects)
{
    Model = LoadUnitModel(modelPath);
    GunIndex = Model ? Model->FindPoint("Gun") : -1;
    if (GunIndex >= 0) {
        const TVector4 mount = PointWorld(GunIndex);
        Turret = launcher ? std::make_unique<TGunMissile>(objects, mount, this, side, turret)
                          : std::make_unique<TGun>(objects, mount, this, side, turret);
    }
}

TSite::~TSite() = default;

void TSite::Update(int dt)
{
    if (DeathCheck(*this, Death, dt) || !Turret)
        return;
    // The turret fights for whichever side the site is on now (a script or the server may change it).
    Turret->Side = Side;
    Turret->Place(PointWorld(GunIndex));
    if (WeaponEnabled == 1)
        Turret->Update(dt);
}

void TSite::Draw()
{
    if (Health <= 0) {
        Death.Draw();
        return;
    }
    DrawModel();
    if (Turret)
        Turret->Draw();
}

TCoolSam::TCoolSam(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles)
    : TSite(objects, position, side, angles, "Data\\Models\\Buildings\\SAM\\Main.otm",
            "Data\\Models\\Buildings\\SAM\\Dead.otm", Turrets::SamLauncher, true)
{
}

void TCoolSam::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassCoolSam))
        return;
    io.Byte(OnRadar);
    io.Byte(Targetable);
    io.Byte(WeaponEnabled);
    io.Byte(BlinkOnRadar);
}

TShilka::TShilka(TObjectsControl &objects, const TVector3 &position, int side, const TVector3 &angles)
    : TSite(objects, position, side, angles, "Data\\Models\\Buildings\\Shilka\\Main.otm",
            "Data\\Models\\Buildings\\Shilka\\Dead.otm", Turrets::ShilkaGun, false)
{
    IsStatic = 1;
}

void TShilka::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassShilka))
        return;
    io.UnitTail(*this, &Objects);
    DescribeMount(io, Turret.get());
}

// ---- Buildings ----------------------------------------------------------------------------------

TBuilding::TBuilding(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position,
                     const TVector3 &angles)
    : TUnit(objects, {.Position = position, .Rotation = angles, .IsStatic = 1})
{
    Model = LoadUnitModel(modelPath);
}

void TBuilding::Draw() { DrawModel(BuildingAlpha(*this)); }

std::string BuildingWreckPath(const std::string &modelPath)
{
    static const std::string main = "Main.otm", dead = "Dead.otm";
    std::string path = modelPath;
    for (std::size_t at = path.find(main); at != std::string::npos; at = path.find(main, at + dead.size()))
        path.replace(at, main.size(), dead);
    return path;
}

TBuildingStatic::TBuildingStatic(TObjectsControl &objects, const std::string &modelPath, const TVector3 &position,
                                 const TVector3 &angles)
    : TUnit(objects, {.Position = position, .Rotation = angles, .IsStatic = 1}), ModelPath(modelPath),
      Death(BuildingWreckPath(modelPath), &objects)
{
    Model = LoadUnitModel(modelPath);
}

void TBuildingStatic::Update(int dt)
{
    if (Dead)
        return;
    // The collapse starts the first frame the health is gone. Health brought to exactly 0 counts:
    // damage comes in whole amounts, and a building left standing at 0 would be neither a target
    // nor a wreck, and would never leave the world.
    if (!Collapsing && Health <= 0) {
        Collapsing = true;
        WreckClock = BuildingWreckTime;
        Health = 0;
        OnRadar = 0;
    }
    if (!Collapsing)
        return;
    Death.Angles = Rotation;
    Death.Update(dt, Position);
    WreckClock -= dt;
    if (WreckClock <= 0) {
        WreckClock = 0;
        Dead = 1;
    }
}

void TBuildingStatic::Draw()
{
    if (Health <= 0)
        Death.Draw();
    else
        DrawModel(BuildingAlpha(*this));
}

void TBuildingStatic::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassBuildingStatic))
        return;
    io.Byte(OnRadar);
    io.Byte(Targetable);
    io.Int(Category);
    io.Int(WreckClock);
    if (io.Reading() && WreckClock > 0)
        Collapsing = true;
}

// ---- Islands ------------------------------------------------------------------------------------

namespace {

// No grid is finer than this many cells a side, and a triangle that would be filed in more cells
// than MaxCellsPerTriangle is offered for every point instead: the grid stays small whatever the
// mesh, and the answers stay the same.
constexpr int MaxCellsPerSide = 128;
constexpr long MaxCellsPerTriangle = 256;

bool Finite(const TWorldTriangle &t)
{
    for (const TVector4 &v : t.Vertices)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return false;
    return true;
}

} // namespace

void TTriangleGrid::Build(std::span<const TWorldTriangle> triangles, float reach)
{
    *this = TTriangleGrid();
    struct TBox {
        float MinX, MinY, MaxX, MaxY;
        bool  Filed;
    };
    std::vector<TBox> boxes(triangles.size());
    constexpr float inf = std::numeric_limits<float>::infinity();
    float minX = inf, minY = inf, maxX = -inf, maxY = -inf;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const TWorldTriangle &t = triangles[i];
        TBox &box = boxes[i];
        box.Filed = Finite(t);
        if (!box.Filed)
            continue;
        box.MinX = std::min({t.Vertices[0].x, t.Vertices[1].x, t.Vertices[2].x}) - reach;
        box.MaxX = std::max({t.Vertices[0].x, t.Vertices[1].x, t.Vertices[2].x}) + reach;
        box.MinY = std::min({t.Vertices[0].y, t.Vertices[1].y, t.Vertices[2].y}) - reach;
        box.MaxY = std::max({t.Vertices[0].y, t.Vertices[1].y, t.Vertices[2].y}) + reach;
        minX = std::min(minX, box.MinX);
        minY = std::min(minY, box.MinY);
        maxX = std::max(maxX, box.MaxX);
        maxY = std::max(maxY, box.MaxY);
    }

    // About as many cells as triangles, square, and none smaller than the reach.
    const float width = maxX - minX, height = maxY - minY;
    const int side = std::clamp(int(std::ceil(std::sqrt(double(triangles.size())))), 1, MaxCellsPerSide);
    CellSize = std::max(std::max(width, height) / float(side), reach);
    OriginX = minX;
    OriginY = minY;
    const bool usable = std::isfinite(width) && std::isfinite(height) && std::isfinite(CellSize) && CellSize > 0;
    if (usable) {
        Columns = int(Cell(maxX, OriginX)) + 1;
        Rows = int(Cell(maxY, OriginY)) + 1;
    }
    if (!usable || Columns < 1 || Rows < 1 || Columns > MaxCellsPerSide + 2 || Rows > MaxCellsPerSide + 2) {
        Columns = Rows = 0;
        for (std::size_t i = 0; i < triangles.size(); ++i)
            Everywhere.push_back(std::uint32_t(i));
        return;
    }

    // The cells of each box; the same Cell arithmetic as the look-up, so a point inside a box always
    // lands in one of its cells.
    auto range = [&](const TBox &box, int &c0, int &c1, int &r0, int &r1) {
        c0 = int(Cell(box.MinX, OriginX));
        c1 = int(Cell(box.MaxX, OriginX));
        r0 = int(Cell(box.MinY, OriginY));
        r1 = int(Cell(box.MaxY, OriginY));
    };
    std::vector<std::uint32_t> counts(std::size_t(Columns) * std::size_t(Rows), 0);
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        TBox &box = boxes[i];
        if (box.Filed) {
            int c0, c1, r0, r1;
            range(box, c0, c1, r0, r1);
            box.Filed = long(c1 - c0 + 1) * long(r1 - r0 + 1) <= MaxCellsPerTriangle;
            if (box.Filed)
                for (int r = r0; r <= r1; ++r)
                    for (int c = c0; c <= c1; ++c)
                        ++counts[std::size_t(r) * std::size_t(Columns) + std::size_t(c)];
        }
        if (!box.Filed)
            Everywhere.push_back(std::uint32_t(i));
    }
    CellStart.assign(counts.size() + 1, 0);
    for (std::size_t c = 0; c < counts.size(); ++c)
        CellStart[c + 1] = CellStart[c] + counts[c];
    CellTriangles.resize(CellStart.back());
    std::vector<std::uint32_t> next(CellStart.begin(), CellStart.end() - 1);
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        if (!boxes[i].Filed)
            continue;
        int c0, c1, r0, r1;
        range(boxes[i], c0, c1, r0, r1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                CellTriangles[next[std::size_t(r) * std::size_t(Columns) + std::size_t(c)]++] = std::uint32_t(i);
    }
}

void TTriangleGrid::Near(const TVector3 &point, std::vector<std::uint32_t> &indices) const
{
    indices.insert(indices.end(), Everywhere.begin(), Everywhere.end());
    if (Columns == 0)
        return;
    const float column = Cell(point.x, OriginX), row = Cell(point.y, OriginY);
    // Off the grid (or not a number): no filed triangle can be reached from there.
    if (!(column >= 0 && column < float(Columns) && row >= 0 && row < float(Rows)))
        return;
    const std::size_t cell = std::size_t(row) * std::size_t(Columns) + std::size_t(column);
    indices.insert(indices.end(), CellTriangles.begin() + CellStart[cell], CellTriangles.begin() + CellStart[cell + 1]);
}

TIsland::TIsland(TObjectsControl &objects, const TVector3 &position, const std::string &name, const TVector3 &angles)
    : TUnit(objects, {.Position = position,
                      .Rotation = angles,
                      .Side = -1,
                      .IsStatic = 1,
                      .Category = TObjectCategory::Island})
{
    Model = LoadUnitModel("Data\\Maps\\Islands\\" + name);
    BuildShore();
}

void TIsland::BuildShore()
{
    Triangles.clear();
    ShorePosition = Position;
    if (Model) {
        const TVector3 offset = Position;
        auto moved = [&](const TVector3 &v) { return VectorSet4(v.x + offset.x, v.y + offset.y, v.z + offset.z, 0); };
        TVector3 a, b, c;
        for (int t = 0; Model->GetCollisionTriangle(t, a, b, c); ++t) {
            TWorldTriangle triangle;
            triangle.Vertices[0] = moved(a);
            triangle.Vertices[1] = moved(b);
            triangle.Vertices[2] = moved(c);
            triangle.Normal = At(TriangleNormal(triangle.Vertices[2], triangle.Vertices[1], triangle.Vertices[0]));
            Triangles.push_back(triangle);
        }
    }
    Grid.Build(Triangles, ShoreReach);
}

bool TIsland::TrianglesNear(const TVector3 &point, std::vector<std::uint32_t> &indices) const
{
    Grid.Near(point, indices);
    return true;
}

void TIsland::Draw()
{
    if (!Model)
        return;
    // Moved but never turned, like the shore.
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, Position);
    TAssetDevice &device = AssetDevice();
    device.SetColor(1, 1, 1, 1);
    device.PushTransform(m);
    Model->DrawLOD(Position, true);
    device.PopTransform();
}

void TIsland::DescribeState(TStateIO &io)
{
    // An island's head carries no health.
    if (!io.Head(*this, ClassIsland, false))
        return;
    io.Int(Category);
    io.Byte(OnRadar);
    io.Byte(Targetable);
    // An island does not move; should a message place it elsewhere, its shore goes with it.
    if (io.Reading() &&
        (Position.x != ShorePosition.x || Position.y != ShorePosition.y || Position.z != ShorePosition.z))
        BuildShore();
}

// ---- The carrier --------------------------------------------------------------------------------

TCarrier::TCarrier(TObjectsControl &objects, const TVector3 &position, const TVector3 &angles)
    : TUnit(objects, {.Position = position, .Rotation = angles}),
      Death("Data\\Models\\Ships\\Carrier\\Dead.otm", &objects)
{
    Model = LoadUnitModel("Data\\Models\\Ships\\Carrier\\Main.otm");

    // The player aircraft's points: the carrier's position plus the model point, not turned.
    auto point = [&](const char *name) {
        const TVector4 p = Model ? Model->GetPoint(Model->FindPoint(name)) : TVector4();
        return VectorSet4(Position.x + p.x, Position.y + p.y, Position.z + p.z, 0);
    };
    StartPoint = point("Start");
    EndPoint = point("End");
    CameraPoint = point("Camera");
    LandEndPoint = point("Land_end");
    LandBeginPoint = point("Land_begin");
    // The player aircraft takes them as its take-off start and end, its camera while the take-off
    // or hold clock runs, and its two landing gates ("Land_end" is passed first, then
    // "Land_begin"); an aircraft made later takes the newest carrier's.
    HandCarrierPoints({StartPoint, EndPoint, CameraPoint, LandEndPoint, LandBeginPoint});

    static const char *const guns[2] = {"Gun_1", "Gun_2"};
    for (int i = 0; i < 2; ++i) {
        GunIndex[i] = Model ? Model->FindPoint(guns[i]) : -1;
        if (GunIndex[i] >= 0)
            Guns[i] = std::make_unique<TGun>(objects, PointWorld(GunIndex[i]), this, Side, Turrets::CarrierMachineGun);
    }
}

TCarrier::~TCarrier() = default;

void TCarrier::Update(int dt)
{
    if (DeathCheck(*this, Death, dt))
        return;
    for (int i = 0; i < 2; ++i) {
        if (!Guns[i])
            continue;
        Guns[i]->Side = Side;
        Guns[i]->Place(PointWorld(GunIndex[i]));
        if (WeaponEnabled == 1)
            Guns[i]->Update(dt);
    }
}

void TCarrier::Draw()
{
    if (Health <= 0) {
        Death.Draw();
        return;
    }
    DrawModel();
    for (const auto &gun : Guns)
        if (gun)
            gun->Draw();
}

void TCarrier::DescribeState(TStateIO &io)
{
    if (!io.Head(*this, ClassCarrier))
        return;
    io.UnitTail(*this, &Objects);
}
