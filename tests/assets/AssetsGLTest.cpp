// Textures and models on a real GL context (Mesa under Xvfb): uploads, binding and drawing.

#define GL_GLEXT_PROTOTYPES 1
#include "assets/AssetsGL.h"
#include "assets/AssetDevice.h"
#include "assets/DPSEffect.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "tests/assets/TestFiles.h"
#include "tools/dpg/DpgWriter.h"
#include "tools/modelgen/ModelBuilder.h"

#include <IL/il.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace fs = std::filesystem;

namespace {

constexpr int Size = 64;   // the drawing area, in pixels

// One window for the whole test program, opened by the first test that needs it.
bool OpenWindow()
{
    static const bool open = [] {
        if (!std::getenv("DISPLAY"))
            return false;
        BatchMode = true;
        if (!CreateGLWindow(Size, Size, false, "assets test", 32))
            return false;
        InstallGLAssets();
        ilInit();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        return true;
    }();
    return open;
}

class GLTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        Extractor = nullptr;
        TextureLib = &Library;
        GameClock = 0;
    }
    void TearDown() override
    {
        TextureLib = nullptr;
        Extractor = nullptr;
        GameClock = 0;
        VBOAvailable = false;
    }
    std::string Name(const std::string &file) const { return (Dir.Path / file).string(); }

    // The RGB texels of level 0 of a texture of that size, rows as uploaded.
    static std::vector<std::uint8_t> Texels(unsigned texture, int width, int height)
    {
        std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }

    static GLint Bound()
    {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }

    TTempDir    Dir{"assets-gl"};
    TTextureLib Library;
};

std::array<std::uint8_t, 3> Pixel(int x, int y)
{
    std::array<std::uint8_t, 3> p{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p.data());
    return p;
}

std::vector<std::uint8_t> Picture()
{
    std::vector<std::uint8_t> rgb(std::size_t(Size) * Size * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Size, Size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// An orthographic view down the z axis onto the square -2..2, on black, without lighting.
void StartPicture()
{
    glViewport(0, 0, Size, Size);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}

// A square plate facing the viewer, one key per frame moving it along x by 1 from x = -1.
void SavePlate(const std::string &path, int frames, std::vector<std::uint8_t> colour)
{
    TModelBuilder model(frames, 10);
    TMeshBuilder &plate = model.AddMesh("Plate");
    plate.Box(VectorSet3(-0.5f, -0.5f, -0.1f), VectorSet3(0.5f, 0.5f, 0.1f));
    for (int k = 0; k < frames; ++k)
        plate.SetKey(k, VectorSet3(-1.0f + float(k), 0, 0));
    model.Save(path);
    WriteTestPng(fs::path(path).replace_extension(".png"), 4, 4, 3, Solid(4, 4, colour));
}

} // namespace

TEST_F(GLTest, EachFilterPairGetsItsOwnTexture)
{
    WriteTestPng(Name("red.png"), 4, 2, 4, Solid(4, 2, {255, 0, 0, 255}));
    const int a = Library.Load(Name("red.png"), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    const int again = Library.Load(Name("red.png"), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    const int nearest = Library.Load(Name("red.png"), GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(again, a);
    ASSERT_NE(nearest, a);
    const TTexture &ta = Library.Items[std::size_t(a)], &tn = Library.Items[std::size_t(nearest)];
    EXPECT_NE(ta.GLName, 0u);
    EXPECT_NE(tn.GLName, 0u);
    EXPECT_NE(ta.GLName, tn.GLName);
    EXPECT_EQ(ta.Width, 4);
    EXPECT_EQ(ta.Height, 2);
    EXPECT_EQ(ta.MemorySize, 32);
    for (const auto &[texture, min, mag] : {std::tuple{ta.GLName, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
                                            std::tuple{tn.GLName, GL_NEAREST, GL_NEAREST}}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, mag);
    }
    Library.Bind(nearest);
    EXPECT_EQ(Bound(), GLint(tn.GLName));
    Library.Bind(-1);
    EXPECT_EQ(Bound(), 0);
    Library.Bind(Library.Count);
    EXPECT_EQ(Bound(), 0);
}

TEST_F(GLTest, LooseFileOverridesTheArchiveAndRowsArriveTopFirst)
{
    // 2 x 2 RGB: rows of 6 bytes, which a 4-byte row alignment would skew.
    const std::vector<std::uint8_t> archived = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    TExtractor archive;
    WriteBytes(Dir.Path / "Data.dpg", BuildDpg({{"Data\\Textures\\Pattern.png", TestPngBytes(2, 2, 3, archived)}}));
    archive.LoadFromFile(Name("Data.dpg"));
    archive.SetPath(Dir.Path.string() + "/");
    Extractor = &archive;
    const std::string name = Dir.Path.string() + "/Data\\Textures\\Pattern.png";

    const int fromArchive = Library.Load(name, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    EXPECT_EQ(Texels(Library.Items[std::size_t(fromArchive)].GLName, 2, 2), archived);

    const std::vector<std::uint8_t> loose = Solid(2, 2, {0, 200, 0});
    WriteTestPng(Dir.Path / "Data" / "Textures" / "Pattern.png", 2, 2, 3, loose);
    const int fromDisk = Library.Load(name, GL_NEAREST, GL_LINEAR);
    EXPECT_EQ(Texels(Library.Items[std::size_t(fromDisk)].GLName, 2, 2), loose);
}

TEST_F(GLTest, AnimatedTextureBindsTheFrameOfTheGameClock)
{
    const std::uint8_t shades[4] = {10, 80, 150, 220};
    for (int i = 0; i < 4; ++i) {
        const int side = i == 3 ? 8 : 4;   // the last frame gives the size
        WriteTestPng(Dir.Path / "Fire" / ("f" + std::to_string(i) + ".png"), side, side, 3, Solid(side, side, {shades[i], 0, 0}));
    }
    WriteText(Dir.Path / "Fire" / "Fire.ant", "100\r\n4\r\nf0.png\r\nf1.png\r\nf2.png\r\nf3.png\r\n");
    const int fire = Library.Load(Name("Fire/Fire.ant"), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    const TTexture &t = Library.Items[std::size_t(fire)];
    EXPECT_TRUE(t.Animated);
    EXPECT_EQ(t.FrameTime, 100);
    EXPECT_EQ(t.FrameCount, 4);
    EXPECT_EQ(t.TotalTime, 400);
    EXPECT_EQ(t.Width, 8);
    EXPECT_EQ(t.MemorySize, 256);
    ASSERT_EQ(t.Frames.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Texels(t.Frames[std::size_t(i)], i == 3 ? 8 : 4, i == 3 ? 8 : 4)[0], shades[i]) << i;

    const std::pair<std::int64_t, int> moments[] = {{0, 0}, {1250, 0}, {1399, 1}, {1400, 2}, {399, 3}};
    for (const auto &[clock, frame] : moments) {
        GameClock = clock;
        Library.Bind(fire);
        EXPECT_EQ(Bound(), GLint(t.Frames[std::size_t(frame)])) << clock;
    }
}

TEST_F(GLTest, ModelsDrawFromTheirBuffersLikeImmediateMode)
{
    ASSERT_TRUE(DetectVertexBuffers());
    SavePlate(Name("Plate.otm"), 4, {40, 200, 90});
    TOTMModel plate;
    plate.LoadFromFile(Name("Plate.otm"));
    EXPECT_EQ(Library.Items[std::size_t(plate.Texture)].Name, Name("Plate.png"));
    const TMesh &mesh = plate.Meshes[0];
    ASSERT_NE(mesh.Buffer, 0u);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.Buffer);
    GLint bytes = 0;
    glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &bytes);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    EXPECT_EQ(bytes, GLint(IndexedVertices(mesh).Vertices.size() * sizeof(float)));
    ASSERT_NE(mesh.IndexBuffer, 0u);
    EXPECT_EQ(mesh.IndexCount, 3 * mesh.FaceCount);

    // At t = 0.3 the plate is between key 1 (x = 0) and key 2 (x = 1): centred at x = 0.2.
    StartPicture();
    plate.DrawAt(0.3f);
    EXPECT_FLOAT_EQ(plate.Phase, 0.5f);
    GLint arrayBuffer = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &arrayBuffer);
    EXPECT_EQ(arrayBuffer, 0);   // later client arrays point into memory again
    const int centre = Size / 2 + int(0.2f * Size / 4);
    EXPECT_EQ(Pixel(centre, Size / 2), (std::array<std::uint8_t, 3>{40, 200, 90}));
    EXPECT_EQ(Pixel(4, Size / 2), (std::array<std::uint8_t, 3>{0, 0, 0}));

    // Clock-driven draws, twice over, keep using the buffers: 100 ms keys, so at 350 ms key 3 is
    // blending into key 0 and the plate is at x = 0.5.
    GameClock = 350;
    std::vector<std::uint8_t> fromBuffer;
    for (int pass = 0; pass < 2; ++pass) {
        StartPicture();
        plate.Draw(true);
        EXPECT_TRUE(VBOAvailable) << pass;
        EXPECT_FLOAT_EQ(plate.Phase, 0) << pass;
        EXPECT_EQ(Pixel(Size / 2 + Size / 8, Size / 2), (std::array<std::uint8_t, 3>{40, 200, 90})) << pass;
        if (pass == 0)
            fromBuffer = Picture();
        else
            EXPECT_EQ(Picture(), fromBuffer);
    }
    // Models loaded later still get their buffers.
    SavePlate(Name("Late.otm"), 1, {200, 200, 200});
    TOTMModel late;
    late.LoadFromFile(Name("Late.otm"));
    EXPECT_NE(late.Meshes[0].Buffer, 0u);

    // Immediate mode draws the same picture.
    VBOAvailable = false;
    StartPicture();
    plate.Draw(true);
    EXPECT_EQ(Picture(), fromBuffer);
    StartPicture();
    late.DrawAt(0.7f);
    EXPECT_FLOAT_EQ(late.Phase, 0);   // one key: always that key
    EXPECT_EQ(Pixel(Size / 2 - Size / 4, Size / 2), (std::array<std::uint8_t, 3>{200, 200, 200}));
}

TEST_F(GLTest, HiddenMeshesAreSkippedExceptByDrawMeshAt)
{
    SavePlate(Name("Plate.otm"), 1, {250, 250, 0});
    TOTMModel plate;
    plate.LoadFromFile(Name("Plate.otm"));
    plate.SetMeshVisible(0, false);
    plate.SetMeshVisible(5, true);   // no such mesh: nothing happens
    StartPicture();
    plate.DrawAt(0);
    EXPECT_EQ(Pixel(Size / 4, Size / 2), (std::array<std::uint8_t, 3>{0, 0, 0}));
    plate.DrawMeshAt(0, 0);
    EXPECT_EQ(Pixel(Size / 4, Size / 2), (std::array<std::uint8_t, 3>{250, 250, 0}));
}

TEST_F(GLTest, ParticlesFaceTheCameraAsTheirOwnTransformsWouldPlaceThem)
{
    // Two textures and both blends, spun and sized differently, seen from a turned, tilted camera:
    // the batched drawing must put every quad where a matrix per particle puts it.
    WriteTestPng(Name("Red.png"), 4, 4, 4, Solid(4, 4, {250, 40, 40, 200}));
    WriteTestPng(Name("Blue.png"), 4, 4, 4, Solid(4, 4, {40, 60, 250, 160}));
    const int red = Library.Load(Name("Red.png"), GL_LINEAR, GL_LINEAR);
    const int blue = Library.Load(Name("Blue.png"), GL_LINEAR, GL_LINEAR);
    TEmitterRecord plain, additive;
    additive.Additive = 1;
    TSpriteBlock block;
    block.Scale = 0.8f;
    const struct {
        int Texture;
        const TEmitterRecord *Record;
        float X, Y, Z, Size, Angle;
    } particles[] = {
        {red, &plain, -0.8f, 0.2f, 0, 0.5f, 0},     {red, &plain, 0.6f, -0.5f, 0.3f, 0.4f, 30},
        {blue, &additive, 0.1f, 0.4f, -0.2f, 0.6f, 75}, {blue, &plain, -0.3f, -0.9f, 0.1f, 0.3f, 200},
        {red, &additive, 0.9f, 0.9f, 0, 0.35f, -45},
    };
    for (const auto &p : particles) {
        TParticle particle;
        particle.Texture = p.Texture;
        particle.Record = p.Record;
        particle.Position = VectorSet4(p.X, p.Y, p.Z, 0);
        particle.Size = p.Size;
        particle.Angle = p.Angle;
        block.Particles.push_back(particle);
    }
    CameraYaw = 35;
    CameraPitch = -60;

    // The view looks at the scene from low down, so every axis of a quad shows on the screen.
    const auto startView = [] {
        StartPicture();
        glRotatef(-65, 1, 0, 0);
        glRotatef(20, 0, 0, 1);
        glEnable(GL_BLEND);
    };
    startView();
    AssetDevice().DrawSprites({&block}, 0);
    const std::vector<std::uint8_t> batched = Picture();

    startView();
    glDepthMask(GL_FALSE);
    for (const TParticle &p : block.Particles) {
        glBlendFunc(GL_SRC_ALPHA, p.Record->Additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        Library.Bind(p.Texture);
        glColor4fv(p.Color);
        glPushMatrix();
        glTranslatef(p.Position.x, p.Position.y, p.Position.z);
        glRotatef(-CameraYaw, 0, 0, 1);
        glRotatef(-CameraPitch, 1, 0, 0);
        glRotatef(p.Angle, 0, 0, 1);
        const float h = p.Size * block.Scale;
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1);
        glVertex2f(-h, -h);
        glTexCoord2f(0, 0);
        glVertex2f(h, -h);
        glTexCoord2f(1, 0);
        glVertex2f(h, h);
        glTexCoord2f(1, 1);
        glVertex2f(-h, h);
        glEnd();
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const std::vector<std::uint8_t> reference = Picture();
    CameraYaw = CameraPitch = 0;
    glDisable(GL_BLEND);

    // Rounding may move an edge pixel; nothing more.
    int lit = 0, differ = 0;
    for (std::size_t i = 0; i < reference.size(); i += 3) {
        lit += reference[i] + reference[i + 1] + reference[i + 2] > 30;
        differ += std::abs(int(reference[i]) - int(batched[i])) + std::abs(int(reference[i + 2]) - int(batched[i + 2])) > 12;
    }
    EXPECT_GT(lit, 300);
    EXPECT_LE(differ, lit / 50) << "of " << lit << " lit pixels";
}
