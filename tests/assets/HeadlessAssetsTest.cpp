// The asset library in a program that draws nothing. This test program links zassets with the null
// platform and no GL, window or audio library, as the mission runner and the script checker do:
// models, textures and effects must load, animate and run here as in the game, and drawing must be
// a harmless no-op.

#include "assets/DPSEffect.h"
#include "assets/ModelLib.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/App.h"
#include "core/View.h"
#include "data/Extractor.h"
#include "tests/assets/TestFiles.h"
#include "tools/dpstool/EffectText.h"
#include "tools/modelgen/ModelBuilder.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class HeadlessAssets : public testing::Test {
protected:
    void SetUp() override
    {
        static const bool started = (ilInit(), true);
        (void)started;
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        Extractor = nullptr;
        TextureLib = &Textures;
        ModelLib = &Models;
        Sprites = &Particles;
        GameClock = 0;
    }
    void TearDown() override
    {
        TextureLib = nullptr;
        ModelLib = nullptr;
        Sprites = nullptr;
        VBOAvailable = false;
        GameClock = 0;
        AppDir = SavedAppDir;
    }

    TTempDir    Dir{"headless-assets"};
    TTextureLib Textures;
    TModelLib   Models;
    TSprites    Particles;
    std::string SavedAppDir;
};

} // namespace

TEST(HeadlessProgram, MapsNoWindowGLOrAudioLibrary)
{
    std::ifstream maps("/proc/self/maps");
    ASSERT_TRUE(maps) << "no /proc/self/maps";
    for (std::string line; std::getline(maps, line);) {
        const std::size_t slash = line.find_last_of('/');
        const std::string file = slash == std::string::npos ? std::string() : line.substr(slash + 1);
        for (const char *library : {"libGL.", "libGLX", "libGLU", "libOpenGL", "libEGL", "libSDL2", "libopenal"})
            EXPECT_NE(file.rfind(library, 0), 0u) << line;
    }
}

TEST_F(HeadlessAssets, ModelWithTextureAndLODLoadsAnimatesAndDrawsNothing)
{
    // A plate that moves along x over four keys, with its texture and a lower-detail file beside it.
    TModelBuilder plate(4, 10);
    TMeshBuilder &mesh = plate.AddMesh("Plate");
    mesh.Box(VectorSet3(-0.5f, -0.5f, -0.1f), VectorSet3(0.5f, 0.5f, 0.1f));
    for (int k = 0; k < 4; ++k)
        mesh.SetKey(k, VectorSet3(float(k), 0, 0));
    plate.AddPoint("Gun", VectorSet3(0, 1, 0));
    fs::create_directories(Dir.Path / "Data" / "Models");
    plate.Save((Dir.Path / "Data" / "Models" / "Plate.otm").string());
    TModelBuilder(1, 10).Save((Dir.Path / "Data" / "Models" / "Plate_lod1.otm").string());
    WriteTestPng(Dir.Path / "Data" / "Models" / "Plate.png", 8, 4, 4, Solid(8, 4, {10, 20, 30, 255}));

    EXPECT_FALSE(DetectVertexBuffers());   // nothing offers buffers without the GL device
    VBOAvailable = true;                   // and even when told to, nothing is uploaded
    const std::string name = AppDir + "Data\\Models\\Plate.otm";
    auto *model = dynamic_cast<TOTMModel *>(ModelLib->Load(name));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Meshes[0].Buffer, 0u);
    ASSERT_NE(model->LODs[1].Model, nullptr);
    EXPECT_EQ(model->FindPoint("Gun"), 0);

    // The texture is decoded (its size is known) but not uploaded.
    const TTexture &texture = Textures.Items[std::size_t(model->Texture)];
    EXPECT_EQ(texture.Name, AppDir + "Data\\Models\\Plate.png");
    EXPECT_EQ(texture.Width, 8);
    EXPECT_EQ(texture.Height, 4);
    EXPECT_EQ(texture.GLName, 0u);

    // Drawing does nothing but the animation still runs: Phase and mesh positions follow the keys.
    model->DrawAt(0.3f);
    EXPECT_FLOAT_EQ(model->Phase, 0.5f);
    GameClock = 250;
    model->Draw(true);
    EXPECT_FLOAT_EQ(model->Phase, 0.75f);
    EXPECT_TRUE(VBOAvailable);    // drawing leaves the flag alone
    TVector3 position;
    model->GetMeshPosition(0, position, -1);
    EXPECT_FLOAT_EQ(position.x, 2.5f);
    model->DrawMeshAt(0, 1);
    model->DrawLOD(VectorSet3(1000, 0, 0), true);
    model->DrawBounds();
    model->DrawNormals();
    Textures.Bind(model->Texture);
    Textures.Release(model->Texture);
    EXPECT_EQ(texture.RefCount, 0);
}

TEST_F(HeadlessAssets, GameEffectRunsItsParticlesAndDrawsNothing)
{
    std::ifstream source(ZEPHRONA_EFFECTS_DIR "/Explosion 2.effect");
    ASSERT_TRUE(source) << "no effect source";
    std::stringstream text;
    text << source.rdbuf();
    const std::vector<std::uint8_t> bytes = WriteDps(ParseEffectText(text.str(), "Explosion 2.effect"));
    const fs::path file = Dir.Path / "Explosion 2.dps";
    WriteBytes(file, bytes);

    TEmitter emitter(file.string(), 1.0f);
    ASSERT_EQ(Particles.Blocks.size(), 1u);
    for (int t = 0; t < 400; t += 25) {
        emitter.Update(25, VectorSet4(0, 0, 10, 1), false);
        Particles.UpdateAll(25);
    }
    EXPECT_FALSE(emitter.Block->Particles.empty());
    EXPECT_EQ(emitter.Age, 400);
    Particles.DrawAll(0);
    Particles.DrawAll(1);
}
