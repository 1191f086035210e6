// The model tool as a modder runs it: inspecting, importing and rendering models.

#include "assets/OTMModel.h"
#include "tests/assets/TestFiles.h"
#include "tools/modelgen/ModelBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

constexpr int Background[3] = {96, 128, 160};   // the tool's fixed backdrop

bool IsBackground(const std::uint8_t *p)
{
    return std::abs(p[0] - Background[0]) < 3 && std::abs(p[1] - Background[1]) < 3 && std::abs(p[2] - Background[2]) < 3;
}

class OtmTool : public testing::Test {
protected:
    // Runs "otmtool ARGS"; returns the exit status, with standard output and error in Out and Err.
    int Run(const std::string &args)
    {
        const std::string command = std::string(ZEPHRONA_TOOLS_DIR) + "/otmtool " + args + " >" +
                                    (Dir.Path / "out").string() + " 2>" + (Dir.Path / "err").string();
        const int status = std::system(command.c_str());
        Out = ReadAll(Dir.Path / "out");
        Err = ReadAll(Dir.Path / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string File(const std::string &name) const { return (Dir.Path / name).string(); }

    TTempDir    Dir{"otmtool"};
    std::string Out, Err;
};

// A red hull with a white flag that moves from one side to the other over four keys.
TModelBuilder Boat()
{
    TModelBuilder model(4, 10);
    model.AddMesh("Hull").Box(VectorSet3(-1, -3, 0), VectorSet3(1, 3, 1), {0, 0, 0.5f, 1});
    TMeshBuilder &flag = model.AddMesh("Flag");
    flag.Box(VectorSet3(-0.5f, -0.5f, 0), VectorSet3(0.5f, 0.5f, 1), {0.5f, 0, 1, 1});
    for (int k = 0; k < 4; ++k)
        flag.SetKey(k, VectorSet3(-3.0f + 2.0f * float(k), 0, 1));
    model.AddMesh("Collision").Box(VectorSet3(-1, -3, 0), VectorSet3(1, 3, 2));
    model.AddPoint("Engine_1", VectorSet3(0, -3, 0.5f));
    return model;
}

// Left half red, right half white.
void WriteBoatTexture(const std::string &path)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pixels.insert(pixels.end(), x < 4 ? std::initializer_list<std::uint8_t>{220, 30, 30}
                                              : std::initializer_list<std::uint8_t>{255, 255, 255});
    WriteTestPng(path, 8, 8, 3, pixels);
}

} // namespace

TEST_F(OtmTool, InfoListsMeshesPointsBoundsAndFrames)
{
    Boat().Save(File("Boat.otm"));
    ASSERT_EQ(Run("info " + File("Boat.otm")), 0) << Err;
    EXPECT_EQ(Out, "Version: 2\n"
                   "Frames: 4 at 10 per second\n"
                   "Meshes: 3\n"
                   "  0 \"Hull\": 24 vertices, 12 faces, 24 texture coordinates\n"
                   "  1 \"Flag\": 24 vertices, 12 faces, 24 texture coordinates\n"
                   "  2 \"Collision\": 24 vertices, 12 faces, 24 texture coordinates, collision\n"
                   "Points: 1\n"
                   "  0 \"Engine_1\": 0.000 -3.000 0.500\n"
                   "Bounds: -1.000 -3.000 0.000 to 1.000 3.000 2.000\n"
                   "Center: 0.000 0.000 1.000\n"
                   "Radius: 3.742\n");

    WriteBytes(File("Short.otm"), {2, 0, 0, 0});
    EXPECT_EQ(Run("info " + File("Short.otm")), 1);
    EXPECT_EQ(Err, "otmtool: Model \"" + File("Short.otm") + "\" is damaged: the file ends inside the header\n");
    EXPECT_EQ(Run("info " + File("None.otm")), 1);
    EXPECT_EQ(Err, "otmtool: File not found: \"" + File("None.otm") + "\"\n");
    EXPECT_EQ(Run("explode " + File("Boat.otm")), 2);
}

TEST_F(OtmTool, ImportsObjGroupsAsMeshesAndEmptyGroupsAsPoints)
{
    WriteText(File("plane.obj"), "# exported\n"
                                 "mtllib plane.mtl\n"
                                 "o Body\n"
                                 "v 0 0 0\nv 2 0 0\nv 2 0 1\nv 0 0 1\n"
                                 "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                 "vn 0 -1 0\n"
                                 "usemtl skin\ns off\n"
                                 "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
                                 "g Wing\n"
                                 "v 0 1 0\nv 1 1 0\nv 0 2 0\n"
                                 "f -3 -2 -1\n"
                                 "o Engine_1\n"
                                 "v 1 5 2\n");
    WriteText(File("plane.points"), "# name x y z\nMissile_1 3 4 5\n\n");
    ASSERT_EQ(Run("from-obj " + File("plane.obj") + " " + File("plane.otm") + " --y-up --points " +
                  File("plane.points")),
              0)
        << Err;
    EXPECT_EQ(Out, File("plane.otm") + ": 2 meshes, 2 points, radius 3.000\n");

    TOTMModel model;
    const std::string bytes = ReadAll(File("plane.otm"));
    model.Parse(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), "plane.otm");
    ASSERT_EQ(model.MeshCount, 2);
    const TMesh &body = model.Meshes[0], &wing = model.Meshes[1];
    EXPECT_EQ(body.Name, "Body");
    EXPECT_EQ(body.FaceCount, 2);   // the quad as a fan
    EXPECT_EQ(body.VertexCount, 4);
    // y up in the file becomes z up: (2, 0, 1) turns into (2, -1, 0), the normal (0, -1, 0) into (0, 0, -1).
    EXPECT_EQ(body.Vertices[2].x, 2);
    EXPECT_EQ(body.Vertices[2].y, -1);
    EXPECT_EQ(body.Vertices[2].z, 0);
    EXPECT_EQ(body.Normals[0].z, -1);
    EXPECT_EQ(body.TexCoords[0][1], 1);   // OBJ counts v from the bottom of the image
    EXPECT_EQ(body.TexCoords[2][1], 0);
    EXPECT_EQ(wing.Name, "Wing");
    EXPECT_EQ(wing.TexCoordCount, 1);     // no coordinates given: all corners at (0, 0)
    EXPECT_FLOAT_EQ(wing.Normals[0].y, -1);   // smoothed from the face: +z of the file, -y of the game
    ASSERT_EQ(model.PointCount, 2);
    EXPECT_EQ(model.GetPointName(0), "Engine_1");
    EXPECT_EQ(model.GetPoint(0).y, -2);
    EXPECT_EQ(model.GetPoint(0).z, 5);
    EXPECT_EQ(model.GetPointName(1), "Missile_1");
    EXPECT_EQ(model.GetPoint(1).y, -5);

    WriteText(File("bad.obj"), "v 0 0 0\nv 1 0 0\nf 1 2 9\n");
    EXPECT_EQ(Run("from-obj " + File("bad.obj") + " " + File("bad.otm")), 1);
    EXPECT_EQ(Err, "otmtool: " + File("bad.obj") + " line 3: vertex 9 does not exist (2 so far)\n");
    EXPECT_FALSE(fs::exists(File("bad.otm")));
}

TEST_F(OtmTool, RenderShowsTheModelLitTexturedAndPosed)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
    Boat().Save(File("Boat.otm"));
    WriteBoatTexture(File("Boat.png"));
    ASSERT_EQ(Run("render " + File("Boat.otm") + " " + File("start.png") + " --size 160x120"), 0) << Err;
    ASSERT_EQ(Run("render " + File("Boat.otm") + " " + File("end.png") + " --size 160x120 --time 1"), 0) << Err;
    ASSERT_EQ(Run("render " + File("Boat.otm") + " " + File("plain.png") + " --size 160x120 --immediate"), 0) << Err;
    const TTestImage start = LoadTestPng(File("start.png")), end = LoadTestPng(File("end.png")),
                     plain = LoadTestPng(File("plain.png"));
    ASSERT_EQ(start.Width, 160);
    ASSERT_EQ(start.Height, 120);

    int model = 0, red = 0, white = 0, moved = 0, differs = 0;
    for (int y = 0; y < start.Height; ++y)
        for (int x = 0; x < start.Width; ++x) {
            const std::uint8_t *p = start.At(x, y);
            if (!IsBackground(p)) {
                ++model;
                red += p[0] > 2 * p[1] + 20 && p[0] > 2 * p[2] + 20;
                white += p[0] > 150 && std::abs(p[0] - p[1]) < 12 && std::abs(p[0] - p[2]) < 12;
            }
            moved += IsBackground(p) != IsBackground(end.At(x, y));
            for (int c = 0; c < 3; ++c)
                differs += std::abs(p[c] - plain.At(x, y)[c]) > 2;
        }
    // The model fills a good part of the picture and leaves its edges free.
    EXPECT_GT(model, start.Width * start.Height / 8);
    for (const auto &[x, y] : {std::pair{0, 0}, {159, 0}, {0, 119}, {159, 119}})
        EXPECT_TRUE(IsBackground(start.At(x, y))) << x << "," << y;
    EXPECT_GT(red, model / 3);       // the hull's half of the texture
    EXPECT_GT(white, 50);            // the flag's half
    EXPECT_GT(moved, 200);           // the flag travels along x
    EXPECT_LT(differs, 50);          // buffers and immediate mode draw the same picture
}
