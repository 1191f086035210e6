// The aircraft, turrets, player aircraft and small models, read from the built "Data.dpg" and parsed
// by the game's own model loader: every file the game loads is there with its skin and within the
// triangle budget, carries the points the game looks up where they belong, and its moving parts and
// wrecks move the way the game's phases expect.

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "tests/TestUtil.h"
#include "tests/content/BuiltData.h"

#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string Models = "Data\\Models\\";

struct TImage {
    int Width = 0, Height = 0;
    bool Alpha = false;
    std::vector<std::uint8_t> Rgba;

    float Brightness() const
    {
        double sum = 0;
        for (std::size_t i = 0; i < Rgba.size(); i += 4)
            sum += Rgba[i] + Rgba[i + 1] + Rgba[i + 2];
        return float(sum / double(Rgba.size() / 4 * 3 * 255));
    }
};

TImage Decode(const std::vector<std::uint8_t> &bytes)
{
    TImage image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return image;
    image.Alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_RGBA;
    image.Rgba.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.Rgba.data(), 0, nullptr)) {
        image.Width = int(png.width);
        image.Height = int(png.height);
    }
    return image;
}

TVector3 Posed(const TOTMModel &model, const TMesh &mesh, std::size_t vertex, float t)
{
    return MatrixTransformPoint(mesh.Vertices[vertex], KeyTransform(mesh.Keys, NormalizedSample(t, model.FrameCount)));
}

// The vertex of Mesh furthest along Direction in the pose at time T.
std::size_t Extreme(const TOTMModel &model, const TMesh &mesh, float t, const TVector3 &direction)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < mesh.Vertices.size(); ++i)
        if (VectorDot(Posed(model, mesh, i, t), direction) > VectorDot(Posed(model, mesh, best, t), direction))
            best = i;
    return best;
}

// The nearest vertex to P, and whether any vertex lies in the path of a jet leaving P along -y (within
// Radius of its line, up to Depth behind it).
float Nearest(const TOTMModel &model, const TVector3 &p)
{
    float best = 1e9f;
    for (const TMesh &mesh : model.Meshes)
        for (std::size_t i = 0; i < mesh.Vertices.size(); ++i)
            best = std::min(best, VectorDistance(Posed(model, mesh, i, 0), p));
    return best;
}

bool Blocked(const TOTMModel &model, const TVector3 &p, float radius, float depth)
{
    for (const TMesh &mesh : model.Meshes)
        for (std::size_t i = 0; i < mesh.Vertices.size(); ++i) {
            const TVector3 v = Posed(model, mesh, i, 0);
            if (p.y - v.y > 0.05f && p.y - v.y < depth && std::hypot(v.x - p.x, v.z - p.z) < radius)
                return true;
        }
    return false;
}

int VisibleFaces(const TOTMModel &model)
{
    int faces = 0;
    for (const TMesh &mesh : model.Meshes)
        if (mesh.Name != "Collision")
            faces += mesh.FaceCount;
    return faces;
}

bool Burns(const std::string &name)
{
    return name.starts_with("Fire") || name.starts_with("Smoke") || name.starts_with("Explosion");
}

class CraftModels : public ::testing::Test {
protected:
    static std::vector<std::uint8_t> Bytes(const std::string &name) { return BuiltFile(name); }
    static const TOTMModel &Model(const std::string &name) { return BuiltModel(Models + name); }
    static TVector3 Point(const std::string &model, const std::string &point)
    {
        const int index = Model(model).FindPoint(point);
        EXPECT_GE(index, 0) << model << " has no point \"" << point << "\"";
        return Model(model).GetPoint(index);
    }
    static const TMesh &Mesh(const std::string &model, const std::string &mesh)
    {
        const int index = Model(model).FindMesh(mesh);
        EXPECT_GE(index, 0) << model << " has no mesh \"" << mesh << "\"";
        return Model(model).Meshes[std::size_t(std::max(index, 0))];
    }
};

const std::vector<std::string> Turrets = {"Gun", "MachineGun", "BSBigGun", "BSGun", "BSMachineGun", "BSMissile", "SamGun", "ShilkaGun"};
const std::vector<std::string> PlayerParts = {"Break", "Engine", "Height", "Eleron", "Direction", "Front", "Gun"};
const std::vector<std::string> Wrecks = {"Crafts\\Su25\\DeadInSky0.otm", "Crafts\\Su25\\DeadInSky1.otm", "Crafts\\Su25\\DeadInSky2.otm",
                                         "Crafts\\GAS1\\DeadInSky0.otm", "Crafts\\GAS1\\DeadInSky1.otm", "Crafts\\GAS1\\DeadInSky2.otm",
                                         "Crafts\\Avax\\DeadInSky.otm",  "Player\\Dead.otm"};

TEST_F(CraftModels, EveryModelLoadsWithItsSkinWithinTheBudget)
{
    std::vector<std::pair<std::string, int>> models = {
        {"Crafts\\Su25\\Main.otm", 1500}, {"Crafts\\Avax\\Main.otm", 1500}, {"Crafts\\GAS1\\Main.otm", 1500},
        {"Dead\\Su25\\Dead.otm", 1500},   {"Player\\Air.otm", 1400},        {"Misc\\Bomb.otm", 600},
        {"Misc\\Bomb2.otm", 400},         {"Misc\\Checkpoint.otm", 800},    {"Misc\\Reload.otm", 1000},
        {"Misc\\Rocket.otm", 400},        {"Misc\\Sub_Missile.otm", 400},   {"Misc\\Minigun_Flame.otm", 50},
        {"Misc\\MegaBomb_Explosion.otm", 1500}};
    for (const std::string &wreck : Wrecks)
        models.push_back({wreck, 1500});
    for (const char *craft : {"Su25", "Avax", "GAS1"})
        for (const char *lod : {"_lod0", "_lod1"})
            models.push_back({std::string("Crafts\\") + craft + "\\Main" + lod + ".otm", 1000});
    for (const std::string &turret : Turrets)
        models.push_back({"Guns\\" + turret + ".otm", 1500});
    int player = 0;
    for (const std::string &part : PlayerParts) {
        models.push_back({"Player\\" + part + ".otm", 300});
        player += VisibleFaces(Model("Player\\" + part + ".otm"));
    }
    for (const auto &[name, budget] : models) {
        SCOPED_TRACE(name);
        const TOTMModel &model = Model(name);
        EXPECT_GT(VisibleFaces(model), 0);
        EXPECT_LE(VisibleFaces(model), budget);
        const TImage skin = Decode(Bytes(Models + OTMTextureName(name)));
        EXPECT_TRUE(skin.Width >= 64 && (skin.Width & (skin.Width - 1)) == 0) << skin.Width;
        EXPECT_TRUE(skin.Height >= 64 && (skin.Height & (skin.Height - 1)) == 0) << skin.Height;
    }
    // The whole player aircraft, body and moving parts together.
    EXPECT_LE(player + VisibleFaces(Model("Player\\Air.otm")), 1800);
}

TEST_F(CraftModels, AircraftCarryTheirMountsWhereTheyBelong)
{
    const std::string bomber = "Crafts\\Su25\\Main.otm", avax = "Crafts\\Avax\\Main.otm", fighter = "Crafts\\GAS1\\Main.otm";
    // Engines at the nozzles: on the aircraft's rear part, at a surface, with nothing in the jet's way.
    for (const auto &[model, engines] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {bomber, {"Engine_1", "Engine_2"}}, {avax, {"Engine_1", "Engine_2", "Engine_3", "Engine_4"}}, {fighter, {"Engine"}}}) {
        SCOPED_TRACE(model);
        const TOTMModel &m = Model(model);
        for (const std::string &engine : engines) {
            const TVector3 p = Point(model, engine);
            EXPECT_LT(p.y, m.Bounds[0].y - 0.4f * (m.Bounds[0].y - m.Bounds[1].y)) << engine;
            EXPECT_LT(Nearest(m, p), 0.6f) << engine;
            EXPECT_FALSE(Blocked(m, p, 0.4f, 4)) << engine;
        }
    }
    EXPECT_LT(Point(bomber, "Engine_1").x, 0);
    EXPECT_GT(Point(bomber, "Engine_2").x, 0);
    EXPECT_LT(Point(fighter, "Engine").y, Model(fighter).Bounds[1].y + 0.5f);   // at the very tail
    EXPECT_GT(Point(fighter, "Gun_1").y, Model(fighter).Center.y);
    EXPECT_LT(Point(fighter, "Rocket_1").x, -2);
    EXPECT_GT(Point(fighter, "Rocket_2").x, 2);
    EXPECT_LT(Point(fighter, "Rocket_2").z, 0);   // under the wing
    // Lower-detail copies for distant aircraft, each lighter than the one before.
    for (const std::string &model : {bomber, avax, fighter}) {
        const std::string stem = model.substr(0, model.size() - 4);
        const int lod0 = VisibleFaces(Model(stem + "_lod0.otm")), lod1 = VisibleFaces(Model(stem + "_lod1.otm"));
        EXPECT_LT(lod0, VisibleFaces(Model(model)) * 3 / 4) << model;
        EXPECT_LT(lod1, lod0 * 3 / 4) << model;
    }
    // The three types differ at a glance: the early-warning aircraft is twice the others' length.
    const auto length = [&](const std::string &m) { return Model(m).Bounds[0].y - Model(m).Bounds[1].y; };
    EXPECT_NEAR(length(bomber), 16, 1.5f);
    EXPECT_NEAR(length(fighter), 16, 1.5f);
    EXPECT_GT(length(avax), 30);
}

TEST_F(CraftModels, WrecksFallBurnAndMeetTheirFinalBlast)
{
    for (const std::string &name : Wrecks) {
        SCOPED_TRACE(name);
        const TOTMModel &model = Model(name);
        EXPECT_GT(model.FrameCount, 10);
        int burning = 0;
        for (const TMesh &mesh : model.Meshes)
            burning += Burns(mesh.Name);
        EXPECT_GT(burning, 0) << "no piece trails fire or smoke";
        // The main piece drops well below where the aircraft died, and at 4.5 s of the 5 s fall
        // the "Hit" point, where the game fires the last explosion, sits on it.
        const TMesh &piece = model.Meshes[0];
        const float t = 4500.0f / 5000.0f;
        EXPECT_LT(Posed(model, piece, 0, t).z, Posed(model, piece, 0, 0).z - 50);
        const TVector3 hit = Point(name, "Hit");
        float nearest = 1e9f;
        for (std::size_t i = 0; i < piece.Vertices.size(); ++i)
            nearest = std::min(nearest, VectorDistance(Posed(model, piece, i, t), hit));
        EXPECT_LT(nearest, model.Radius);
    }
    const TOTMModel &ground = Model("Dead\\Su25\\Dead.otm");
    EXPECT_GE(ground.FindPoint("SimpleFire"), 0);
    EXPECT_GT(ground.Bounds[0].z, -2.0f);   // lying on the ground, not sunk into it
    EXPECT_LT(ground.Bounds[4].z, 6.0f);
}

TEST_F(CraftModels, TurretsRaiseEveryBarrelOverItsMuzzlePair)
{
    const std::map<std::string, int> barrels = {{"Gun", 1},          {"MachineGun", 2}, {"BSBigGun", 3}, {"BSGun", 2},
                                                {"BSMachineGun", 4}, {"BSMissile", 4},  {"SamGun", 4},   {"ShilkaGun", 4}};
    for (const auto &[turret, count] : barrels) {
        SCOPED_TRACE(turret);
        const std::string name = "Guns\\" + turret + ".otm";
        const TOTMModel &model = Model(name);
        EXPECT_EQ(model.FindPoint("Fire_begin_" + std::to_string(count + 1)), -1);
        for (int i = 1; i <= count; ++i) {
            const TVector3 begin = Point(name, "Fire_begin_" + std::to_string(i)), end = Point(name, "Fire_end_" + std::to_string(i));
            EXPECT_LT(end.y, begin.y - 0.4f) << "barrels point along -y";
            // The part of the model at the muzzle: level at time 0.5, raised at 0.5 - 40/180 as the
            // game asks for a 40 degree elevation.
            float best = 1e9f;
            const TMesh *barrel = nullptr;
            std::size_t tip = 0;
            for (const TMesh &mesh : model.Meshes)
                for (std::size_t v = 0; v < mesh.Vertices.size(); ++v)
                    if (const float d = VectorDistance(Posed(model, mesh, v, 0.5f), end); d < best) {
                        best = d;
                        barrel = &mesh;
                        tip = v;
                    }
            ASSERT_NE(barrel, nullptr);
            EXPECT_LT(best, 0.8f) << "no barrel at muzzle " << i;
            const float rise = Posed(model, *barrel, tip, 0.5f - 40.0f / 180).z - Posed(model, *barrel, tip, 0.5f).z;
            EXPECT_GT(rise, 0.3f * (begin.y - end.y)) << "muzzle " << i;
        }
    }
}

TEST_F(CraftModels, PlayerAircraftPointsSitWhereTheGameLooks)
{
    const std::string air = "Player\\Air.otm";
    const TOTMModel &model = Model(air);
    EXPECT_GT(Point(air, "Fire").y, 3);                       // the cannon's muzzle, well forward
    EXPECT_GT(Point(air, "Cam_1").z, 0.6f);                   // in the cockpit
    EXPECT_LT(Point(air, "Engine_1").x, 0);                   // the left nozzle
    EXPECT_GT(Point(air, "Engine_2").x, 0);
    for (const char *engine : {"Engine_1", "Engine_2"})
        EXPECT_LT(Point(air, engine).y, model.Bounds[1].y);   // just behind the tail, where the jets leave
    EXPECT_GT(Point(air, "Collision03").y, model.Bounds[0].y - 0.5f);   // nose
    EXPECT_LT(Point(air, "Collision08").y, model.Bounds[1].y + 0.5f);   // tail
    EXPECT_LT(Point(air, "Collision09").z, -0.4f);                      // belly
    EXPECT_LT(Point(air, "Collision17").x, -5);                         // wing tips: the contrails' paths
    EXPECT_GT(Point(air, "Collision18").x, 5);
    // The probes are meshes too, keyed at the same places.
    for (const char *probe : {"Collision03", "Collision08", "Collision09", "Collision17", "Collision18"}) {
        TOTMModel &editable = const_cast<TOTMModel &>(model);
        TVector3 at;
        editable.GetMeshPosition(model.FindMesh(probe), at, 0);
        EXPECT_LT(VectorDistance(at, Point(air, probe)), 1e-4f) << probe;
    }
}

TEST_F(CraftModels, PlayerMovingPartsFollowTheGamesPhases)
{
    struct TCase {
        const char *Model, *Mesh;
        TVector3 Pick;        // which vertex: the furthest this way in the pose at time 0.5
        float From, To;       // two phases
        TVector3 Moves;       // the picked vertex moves at least this far along it between them
    };
    const TCase cases[] = {
        {"Eleron", "RightAileron", VectorSet3(0, -1, 0), 0.5f, 0.0f, VectorSet3(0, 0, 0.1f)},     // rolling right lifts the right trailing edge
        {"Eleron", "LeftAileron", VectorSet3(0, -1, 0), 0.5f, 0.0f, VectorSet3(0, 0, -0.1f)},     // and lowers the left
        {"Height", "RightTaileron", VectorSet3(0, -1, 0), 0.5f, 1.0f, VectorSet3(0, 0, 0.3f)},    // pulling up lifts the trailing edges
        {"Height", "LeftTaileron", VectorSet3(0, -1, 0), 0.5f, 1.0f, VectorSet3(0, 0, 0.3f)},
        {"Break", "Break", VectorSet3(0, -1, 0), 0.0f, 1.0f, VectorSet3(0, 0, 1.0f)},             // the brake opens its rear edge upwards
        {"Front", "RightCanard", VectorSet3(0, 1, 0), 0.0f, 1.0f, VectorSet3(0, 0, 0.1f)},
        {"Engine", "RightPetal3", VectorSet3(0, -1, 0), 0.0f, 1.0f, VectorSet3(0, 0, 0.1f)},      // full power opens the nozzle
        {"Direction", "RightRudder", VectorSet3(0, -1, 0), 0.5f, 1.0f, VectorSet3(0.08f, 0, 0)},  // both rudders swing the same way
        {"Direction", "LeftRudder", VectorSet3(0, -1, 0), 0.5f, 1.0f, VectorSet3(0.08f, 0, 0)},
    };
    for (const TCase &c : cases) {
        const std::string name = std::string("Player\\") + c.Model + ".otm";
        SCOPED_TRACE(name + " " + c.Mesh);
        const TOTMModel &model = Model(name);
        const TMesh &mesh = Mesh(name, c.Mesh);
        const std::size_t v = Extreme(model, mesh, 0.5f, c.Pick);
        const TVector3 moved = VectorSubtract(Posed(model, mesh, v, c.To), Posed(model, mesh, v, c.From));
        EXPECT_GE(VectorDot(moved, VectorNormalize(c.Moves)), VectorLength(c.Moves));
    }
    // The cannon turns a whole turn over its phase, so the spin loops without a jump.
    const TOTMModel &gun = Model("Player\\Gun.otm");
    const TMesh &barrels = gun.Meshes[0];
    EXPECT_LT(VectorDistance(Posed(gun, barrels, 0, 0), Posed(gun, barrels, 0, 1)), 1e-3f);
    EXPECT_GT(VectorDistance(Posed(gun, barrels, 0, 0), Posed(gun, barrels, 0, 0.25f)), 0.05f);
}

TEST_F(CraftModels, PlayerSkinsShareOneLayoutAndBatterStepByStep)
{
    auto skin = [&](const std::string &file) { return Decode(Bytes(Models + "Player\\" + file)); };
    const TImage clean = skin("Air.png");
    ASSERT_GT(clean.Width, 0);
    float last = clean.Brightness();
    for (int level = 1; level <= 4; ++level) {
        const TImage damaged = skin("Damage" + std::to_string(level) + ".png");
        EXPECT_EQ(damaged.Width, clean.Width);
        EXPECT_EQ(damaged.Height, clean.Height);
        EXPECT_LT(damaged.Brightness(), last - 0.005f) << "Damage" << level;
        last = damaged.Brightness();
    }
    EXPECT_LT(skin("Elerons_damaged.png").Brightness(), skin("Elerons.png").Brightness());
    for (const std::string &part : PlayerParts) {
        const TImage own = skin(part + ".png");   // the part's own picture: the same layout, smaller
        EXPECT_EQ(own.Width * clean.Height, own.Height * clean.Width) << part;
    }
}

TEST_F(CraftModels, AdditiveEffectsCarryAlpha)
{
    EXPECT_TRUE(Decode(Bytes(Models + "Misc\\Minigun_Flame.png")).Alpha);
    for (const char *suffix : {"", "2", "3", "4", "5", "6"}) {
        const TImage fire = Decode(Bytes(Models + "Misc\\MegaBomb_Explosion" + suffix + ".png"));
        EXPECT_TRUE(fire.Alpha) << suffix;
        EXPECT_EQ(fire.Width, 256) << suffix;
    }
}

TEST(CraftGenerator, TheSameRunGivesTheSameBytes)
{
    TTempDir dir("craftgen");
    const std::string tool = std::string(ZEPHRONA_TOOLS_DIR) + "/craftgen";
    for (const char *run : {"a", "b"})
        ASSERT_EQ(RunTool(dir.Path, tool + " " + run + " --only turrets").Status, 0);
    const TToolRun list = RunTool(dir.Path, tool + " c --only turrets --list");
    ASSERT_EQ(list.Status, 0);
    const std::vector<std::string> files = SplitLines(list.Out);
    EXPECT_EQ(files.size(), 16u);
    for (const std::string &file : files) {
        EXPECT_FALSE(ReadAll(dir.Path / "a" / file).empty()) << file;
        EXPECT_EQ(ReadAll(dir.Path / "a" / file), ReadAll(dir.Path / "b" / file)) << file;
    }
    EXPECT_NE(RunTool(dir.Path, tool + " d --only boats").Status, 0);
}

} // namespace
