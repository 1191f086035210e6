// The ship models, read from the built "Data.dpg" and parsed by the game's own model loader: every
// file the ship classes load is there with its texture, carries the points the game looks up where
// they belong, sinks out of sight in its wreck, and stays within the triangle budget.

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "tests/content/BuiltData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Ships = "Data\\Models\\Ships\\";

// The team-painted ships and whether they have lower-detail variants.
const std::pair<const char *, bool> SidedShips[] = {
    {"Destroyer", true}, {"Boat", false}, {"BattleShip", true}, {"Cargo", true}, {"Tanker", true}};
const std::pair<const char *, bool> SingleShips[] = {
    {"Submarine", false}, {"SuperSubmarine", true}, {"Torpedo", false}, {"Carrier", true}};

std::vector<std::string> MainModels()
{
    std::vector<std::string> names;
    for (const auto &[ship, lods] : SidedShips)
        for (const char *side : {"0", "1"})
            names.push_back(Ships + ship + "\\Main_" + side + ".otm");
    for (const auto &[ship, lods] : SingleShips)
        names.push_back(Ships + ship + "\\Main.otm");
    return names;
}

std::vector<std::string> DeadModels()
{
    std::vector<std::string> names;
    for (const auto &[ship, lods] : SidedShips)
        for (const char *side : {"0", "1"})
            names.push_back(Ships + ship + "\\Dead_" + side + ".otm");
    for (const auto &[ship, lods] : SingleShips)
        names.push_back(Ships + ship + "\\Dead.otm");
    return names;
}

std::vector<std::string> LodModels()
{
    std::vector<std::string> names;
    for (const auto &[ship, lods] : SidedShips)
        if (lods)
            for (const char *side : {"0", "1"})
                names.push_back(Ships + ship + "\\Main_" + side + ".otm");
    for (const auto &[ship, lods] : SingleShips)
        if (lods)
            names.push_back(Ships + ship + "\\Main.otm");
    return names;
}

std::string Lod(const std::string &name, int slot)
{
    return name.substr(0, name.size() - 4) + "_lod" + std::to_string(slot) + ".otm";
}

// The effect scale the wreck gives a point or mesh by its name, as the death sequence reads it; 0
// for names it ignores. Positions are 1-based as the death sequence counts them.
float DecodedScale(const std::string &name, bool item)
{
    auto at = [&](std::size_t from, const char *word) { return name.compare(from - 1, std::strlen(word), word) == 0; };
    if (at(1, "Smoke"))
        return at(7, "Very") ? (at(11, "Small") ? 0.25f : 4.0f) : at(6, "Small") ? 0.5f : at(6, "Large") ? 2.0f : 1.0f;
    if (at(1, "Fire"))
        return at(6, "Very") ? (at(10, "Small") ? 0.25f : 4.0f) : at(5, "Small") ? 0.5f : at(5, "Large") ? 2.0f : 1.0f;
    if (at(1, "Explosion"))
        return at(11, "Very") ? (at(15, "Small") ? 0.25f : 4.0f)
                              : at(10, "Small") ? 0.5f : at(10, "Large") ? 2.0f : item ? 1.5f : 1.0f;
    return 0;
}

// The world position of every vertex of the hull's meshes (not the thrown pieces) at normalized time T.
std::vector<TVector3> Posed(const TOTMModel &model, float t)
{
    std::vector<TVector3> out;
    for (const TMesh &mesh : model.Meshes) {
        if (mesh.Name == "Collision" || DecodedScale(mesh.Name, true) > 0)
            continue;
        const TMatrix4 transform = KeyTransform(mesh.Keys, NormalizedSample(t, model.FrameCount));
        for (const TVector4 &v : mesh.Vertices)
            out.push_back(MatrixTransformPoint(v, transform));
    }
    return out;
}

// How far below P the first visible surface lies, looking straight down; a large value when nothing
// is under it.
float DropBelow(const TOTMModel &model, const TVector3 &p)
{
    float best = 1e9f;
    for (const TMesh &mesh : model.Meshes) {
        if (mesh.Name == "Collision")
            continue;
        for (const auto &f : mesh.Faces) {
            const TVector4 &a = mesh.Vertices[std::size_t(f[0])], &b = mesh.Vertices[std::size_t(f[1])],
                           &c = mesh.Vertices[std::size_t(f[2])];
            const float d = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            if (std::fabs(d) < 1e-9f)
                continue;
            const float u = ((p.x - a.x) * (c.y - a.y) - (c.x - a.x) * (p.y - a.y)) / d;
            const float v = ((b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y)) / d;
            if (u < 0 || v < 0 || u + v > 1)
                continue;
            const float z = a.z + u * (b.z - a.z) + v * (c.z - a.z);
            if (z <= p.z + 0.05f)
                best = std::min(best, p.z - z);
        }
    }
    return best;
}

int VisibleFaces(const TOTMModel &model)
{
    int faces = 0;
    for (const TMesh &mesh : model.Meshes)
        if (mesh.Name != "Collision")
            faces += mesh.FaceCount;
    return faces;
}

// Every ship file read once from the built archive.
class ShipModels : public ::testing::Test {
protected:
    static std::vector<std::uint8_t> Bytes(const std::string &name) { return BuiltFile(name); }
    static const TOTMModel &Model(const std::string &name) { return BuiltModel(name); }
    static TVector3 Point(const std::string &model, const std::string &point)
    {
        const TOTMModel &m = Model(model);
        const int index = m.FindPoint(point);
        EXPECT_GE(index, 0) << model << " has no point \"" << point << "\"";
        return m.GetPoint(index);
    }
};

TEST_F(ShipModels, EveryModelLoadsWithItsTexture)
{
    std::vector<std::string> all = MainModels();
    const std::vector<std::string> dead = DeadModels();
    all.insert(all.end(), dead.begin(), dead.end());
    all.push_back(Ships + "Destroyer\\Dead.otm");
    for (const std::string &name : LodModels())
        for (const int slot : {0, 1})
            all.push_back(Lod(name, slot));
    for (const std::string &name : all) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(Model(name));
        EXPECT_GT(Model(name).MeshCount, 0);
        // An 8-bit RGB or RGBA PNG with power-of-two sides, as the texture library builds mipmaps from.
        const std::vector<std::uint8_t> png = Bytes(OTMTextureName(name));
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
        const auto be32 = [&](std::size_t at) { return std::uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
        const std::uint32_t width = be32(16), height = be32(20);
        EXPECT_TRUE(width >= 64 && (width & (width - 1)) == 0) << width;
        EXPECT_TRUE(height >= 64 && (height & (height - 1)) == 0) << height;
        EXPECT_EQ(png[24], 8);
        EXPECT_TRUE(png[25] == 2 || png[25] == 6);
    }
    // The two sides wear different paint.
    for (const auto &[ship, lods] : SidedShips)
        EXPECT_NE(Bytes(Ships + ship + "\\Main_0.png"), Bytes(Ships + ship + "\\Main_1.png")) << ship;
}

TEST_F(ShipModels, TurretRingsCarryTheirMountPointsOnTheRightSide)
{
    // Side: -1 port (x < 0), +1 starboard, 0 on the centre line; End: +1 forward half, -1 aft half, 0 either.
    struct TMount { const char *Ship, *Point; int Side, End; };
    const TMount mounts[] = {
        {"Destroyer", "Gun_1", 0, 1},        {"Destroyer", "Gun_2", 0, 1},         {"Destroyer", "Gun_3", 0, -1},
        {"Destroyer", "MachineGun_1", -1, 0}, {"Destroyer", "MachineGun_2", 1, 0},  {"Boat", "MachineGun_1", 0, 1},
        {"BattleShip", "Gun_1", 0, 1},       {"BattleShip", "Gun_2", 0, 1},        {"BattleShip", "Gun_3", 0, -1},
        {"BattleShip", "Gun_4", 0, -1},      {"BattleShip", "Gun_5", 0, 0},        {"BattleShip", "MiniGun_1", -1, 0},
        {"BattleShip", "MiniGun_2", 1, 0},   {"BattleShip", "MiniGun_3", 1, 0},    {"BattleShip", "MiniGun_4", -1, 0},
        {"BattleShip", "MachineGun_1", 0, 1}, {"BattleShip", "MachineGun_2", 0, -1}};
    for (const TMount &mount : mounts)
        for (const char *side : {"0", "1"}) {
            const std::string name = Ships + mount.Ship + "\\Main_" + side + ".otm";
            SCOPED_TRACE(name + " " + mount.Point);
            const TVector3 p = Point(name, mount.Point);
            EXPECT_GT(p.z, 1.0f);
            EXPECT_LT(DropBelow(Model(name), p), 0.1f) << "nothing to stand on";
            if (mount.Side != 0) {
                EXPECT_GT(p.x * float(mount.Side), 1.0f);
            } else {
                EXPECT_LT(std::fabs(p.x), 0.5f);
            }
            if (mount.End != 0) {
                EXPECT_GT(p.y * float(mount.End), 5.0f);
            }
        }
    // The battleship's forward machine gun is ahead of the after one; the submarines' launch points
    // sit on their hatches.
    EXPECT_GT(Point(Ships + "BattleShip\\Main_0.otm", "MachineGun_1").y, Point(Ships + "BattleShip\\Main_0.otm", "MachineGun_2").y);
    for (const char *sub : {"Submarine", "SuperSubmarine"})
        for (const char *point : {"Missile_1", "Missile_2"}) {
            const std::string name = Ships + sub + "\\Main.otm";
            SCOPED_TRACE(name + " " + point);
            EXPECT_LT(DropBelow(Model(name), Point(name, point)), 0.1f);
        }
}

TEST_F(ShipModels, WakePointsLieOnTheWaterline)
{
    for (const std::string &name : MainModels()) {
        SCOPED_TRACE(name);
        const TOTMModel &model = Model(name);
        const int expected = name.find("Torpedo") != std::string::npos ? 2 : 5;
        for (int i = 1; i <= expected; ++i) {
            const TVector3 p = Point(name, "Water_" + std::to_string(i));
            EXPECT_NEAR(p.z, 0.0f, 0.01f);
            EXPECT_TRUE(p.x >= model.Bounds[1].x - 1 && p.x <= model.Bounds[7].x + 1 && p.y >= model.Bounds[1].y - 1 &&
                        p.y <= model.Bounds[7].y + 1);
        }
        EXPECT_GE(model.CollisionMesh, 0);
    }
}

TEST_F(ShipModels, CarrierGatesTheLandingAndLaunchOnItsDeck)
{
    const std::string name = Ships + "Carrier\\Main.otm";
    const TOTMModel &carrier = Model(name);
    const TVector3 start = Point(name, "Start"), end = Point(name, "End"), camera = Point(name, "Camera");
    const TVector3 landEnd = Point(name, "Land_end"), landBegin = Point(name, "Land_begin");
    // All four on the flight deck, about 20 m above the water; the aircraft sits just above it.
    for (const TVector3 &p : {start, end, landEnd, landBegin}) {
        EXPECT_LT(DropBelow(carrier, p), 3.0f);
        EXPECT_NEAR(p.z - DropBelow(carrier, p), 20.0f, 0.1f);
    }
    // Take-off runs along +y from Start; a landing from astern passes Land_end before Land_begin,
    // two distinct gates of 25 m, both over the deck.
    EXPECT_GT(end.y - start.y, 150.0f);
    EXPECT_LT(landEnd.y, landBegin.y);
    EXPECT_GT(std::hypot(landBegin.x - landEnd.x, landBegin.y - landEnd.y), 60.0f);
    // The launch camera looks at heading 104 and pitch -75 (15 degrees down): it must see the start point.
    const float heading = 104 * 3.14159265f / 180, down = 15 * 3.14159265f / 180;
    const TVector3 look = VectorSet3(std::sin(heading) * std::cos(down), std::cos(heading) * std::cos(down), -std::sin(down));
    const TVector3 toStart = VectorSubtract(start, camera);
    const float along = VectorDot(toStart, look);
    EXPECT_GT(along, 20.0f);
    EXPECT_LT(VectorLength(VectorSubtract(toStart, VectorScale(look, along))), 12.0f);
    EXPECT_GT(DropBelow(carrier, camera), 30.0f) << "the camera hangs over the water";
    // No collision triangle within the push-out reach (10 m) of an aircraft on the deck.
    const TMesh &collision = carrier.Meshes[std::size_t(carrier.CollisionMesh)];
    for (const TVector4 &v : collision.Vertices)
        for (const TVector3 &p : {start, end})
            EXPECT_GT(VectorDistance(v, p), 10.0f);
    for (const auto &f : collision.Faces)
        for (const int i : f)
            EXPECT_LT(collision.Vertices[std::size_t(i)].z, 19.0f + (collision.Vertices[std::size_t(i)].x > 20 ? 30 : 0));
    for (const char *gun : {"Gun_1", "Gun_2"})
        EXPECT_LT(DropBelow(carrier, Point(name, gun)), 0.1f) << gun;
}

TEST_F(ShipModels, WrecksCarryTheirEffectsAndSinkOutOfSight)
{
    for (const std::string &name : DeadModels()) {
        SCOPED_TRACE(name);
        const TOTMModel &wreck = Model(name);
        EXPECT_GE(wreck.FindPoint("Hit"), 0);
        std::map<std::string, int> kinds;
        auto check = [&](const std::string &entry, bool item) {
            const float scale = DecodedScale(entry, item);
            if (scale == 0)
                return;
            kinds[entry.substr(0, entry[0] == 'E' ? 9 : entry[0] == 'S' ? 5 : 4)]++;
            // A size word in the name must sit where the wreck reads it.
            const bool sized = entry.find("Small") != std::string::npos || entry.find("Large") != std::string::npos;
            EXPECT_TRUE(!sized || (scale != 1.0f && scale != 1.5f)) << entry << " reads as the default size";
        };
        for (const TModelPoint &p : wreck.Points)
            check(p.Name, false);
        for (const TMesh &m : wreck.Meshes)
            check(m.Name, true);
        EXPECT_GE(kinds["Explosion"], 1);
        EXPECT_GE(kinds["Smoke"], 1);
        EXPECT_GE(kinds["Fire"], 1);

        // Afloat when it starts, the whole ship under water by the time the wreck stops being drawn.
        float top = -1e9f;
        for (const TVector3 &v : Posed(wreck, 0))
            top = std::max(top, v.z);
        EXPECT_GT(top, 0.5f);
        for (const TVector3 &v : Posed(wreck, 1))
            ASSERT_LT(v.z, 0.0f);
        // Thrown pieces (their effects ride on them) have come down into the water.
        for (const TMesh &m : wreck.Meshes) {
            if (DecodedScale(m.Name, true) > 0) {
                EXPECT_LE(KeyTransform(m.Keys, NormalizedSample(1, wreck.FrameCount))[14], 0.0f) << m.Name << " left in the air";
            }
        }
    }
}

TEST_F(ShipModels, StaticWreckBurnsWhereItShowsAboveTheWater)
{
    const TOTMModel &wreck = Model(Ships + "Destroyer\\Dead.otm");
    const std::vector<TVector3> posed = Posed(wreck, 0);
    float top = -1e9f, bottom = 1e9f;
    for (const TVector3 &v : posed) {
        top = std::max(top, v.z);
        bottom = std::min(bottom, v.z);
    }
    EXPECT_GT(top, 5.0f);
    EXPECT_LT(bottom, -5.0f);
    EXPECT_GE(wreck.FindPoint("SimpleFire"), 0);
    int fires = 0;
    for (const TModelPoint &p : wreck.Points) {
        if (p.Name.rfind("SimpleFire", 0) != 0)
            continue;
        ++fires;
        SCOPED_TRACE(p.Name);
        EXPECT_GE(p.Position.z, 0.0f);
        // On the water (burning oil), or on the wreck itself.
        float nearest = 1e9f;
        for (const TVector3 &v : posed)
            nearest = std::min(nearest, VectorDistance(v, p.Position));
        EXPECT_TRUE(p.Position.z < 1.0f || nearest < 5.0f) << "burns in the air, " << nearest << " m from the wreck";
    }
    EXPECT_GE(fires, 2);
}

TEST_F(ShipModels, LowerDetailVariantsShrinkWithinTheBudget)
{
    for (const std::string &name : MainModels()) {
        SCOPED_TRACE(name);
        EXPECT_LE(VisibleFaces(Model(name)), 3000);
    }
    for (const std::string &name : LodModels()) {
        SCOPED_TRACE(name);
        const int full = VisibleFaces(Model(name)), lod0 = VisibleFaces(Model(Lod(name, 0))), lod1 = VisibleFaces(Model(Lod(name, 1)));
        EXPECT_LT(lod0, full * 3 / 4);
        EXPECT_LT(lod1, lod0);
        // Seen from afar in the same place: the same size.
        EXPECT_NEAR(Model(Lod(name, 1)).Radius, Model(name).Radius, Model(name).Radius * 0.05f);
    }
}

TEST(ShipGenerator, RebuildsTheSameBytes)
{
    const fs::path out = fs::temp_directory_path() / "ship_content_test_stage";
    fs::remove_all(out);
    const std::string command = std::string(ZEPHRONA_TOOLS_DIR) + "/shipgen " + out.string() +
                                " /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path staged = fs::path(ZEPHRONA_STAGE_DIR) / "Data";
    int files = 0;
    for (const auto &entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path twin = staged / fs::relative(entry.path(), out);
        SCOPED_TRACE(twin.string());
        std::ifstream a(entry.path(), std::ios::binary), b(twin, std::ios::binary);
        ASSERT_TRUE(b.good()) << "written by shipgen but not staged by the build";
        EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
    }
    EXPECT_GT(files, 0);
    fs::remove_all(out);
}

} // namespace
