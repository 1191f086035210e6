// The extension loader and the GLSL programs on Mesa under Xvfb, with the built game's data.

#include "render/GLExt.h"
#include "render/Shaders.h"

#include "assets/VertexBuffers.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "tests/TestUtil.h"
#include "tests/hud/GLWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Counts the program switches while forwarding them to the driver.
int Switches = 0;
PFNGLUSEPROGRAMOBJECTARBPROC RealUseProgram = nullptr;
void APIENTRY CountingUseProgram(GLhandleARB program)
{
    ++Switches;
    RealUseProgram(program);
}

class ShadersTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenTestWindow())
            GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
        InitGLExtensions();   // cheap, and no other test's leftovers in the flags
        UseGameData(ZEPHRONA_GAME_DIR "/");
        Config = nullptr;
        GameClock = 0;
        EyePosition = TVector4();
        UseNone();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override
    {
        UseNone();
        Config = nullptr;
        LogFile = nullptr;
        GameClock = 0;
        if (Extractor)
            Extractor->SetPath(AppDir);
    }

    static std::string Game(const std::string &name) { return AppDir + "Data\\Shaders\\" + name; }

    static GLint CurrentGLProgram()
    {
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        return program;
    }

    static float UniformFloat(unsigned program, int location)
    {
        static const auto get = reinterpret_cast<PFNGLGETUNIFORMFVARBPROC>(GLProcAddress("glGetUniformfvARB"));
        float value = -1;
        get(program, location, &value);
        return value;
    }
    static int UniformInt(unsigned program, int location)
    {
        static const auto get = reinterpret_cast<PFNGLGETUNIFORMIVARBPROC>(GLProcAddress("glGetUniformivARB"));
        int value = -1;
        get(program, location, &value);
        return value;
    }

    static inline TTempDir LogDir{"shaders-log"};
};

} // namespace

TEST_F(ShadersTest, LoaderLogsTheDriverAndFindsEveryFamilyOnMesa)
{
    VBOAvailable = FBOAvailable = ShadersAvailable = false;
    {
        TLOgFile log((LogDir.Path / "log.txt").string(), true);
        LogFile = &log;
        InitGLExtensions();
        LogFile = nullptr;
    }
    EXPECT_TRUE(VBOAvailable);
    EXPECT_TRUE(FBOAvailable);
    EXPECT_TRUE(ShadersAvailable);
    EXPECT_FALSE(GLVendor.empty());
    EXPECT_EQ(GLVendor, UpperCase(GLVendor));

    const std::vector<std::string> lines = SplitLines(ReadAll(LogDir.Path / "log.txt"));
    ASSERT_GE(lines.size(), 4u);
    const char *labels[] = {"Gl Vendor: ", "Gl Renderer: ", "Gl Version: ", "Gl Ext String: "};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].rfind(labels[i], 0), 0u) << lines[i];
        EXPECT_EQ(lines[i], UpperCase(lines[i]).replace(0, std::string(labels[i]).size(), labels[i]));
    }
    EXPECT_EQ(lines[0], "Gl Vendor: " + GLVendor);
    EXPECT_NE(lines[3].find("GL_ARB_SHADING_LANGUAGE_100"), std::string::npos);

    for (const void *entry : {(const void *)GLExt::glBindBufferARB, (const void *)GLExt::glBindFramebufferEXT,
                              (const void *)GLExt::glCheckFramebufferStatusEXT, (const void *)GLExt::glCreateProgramObjectARB,
                              (const void *)GLExt::glUniform3fARB, (const void *)GLExt::glActiveTextureARB,
                              (const void *)GLExt::glClientActiveTextureARB})
        EXPECT_NE(entry, nullptr);
}

TEST(ShaderText, CapabilitiesVendorDefinesAndSourceLines)
{
    const std::string all = "GL_ARB_MULTITEXTURE GL_ARB_VERTEX_BUFFER_OBJECT GL_EXT_FRAMEBUFFER_OBJECT "
                            "GL_ARB_SHADING_LANGUAGE_100 GL_ARB_VERTEX_PROGRAM GL_ARB_FRAGMENT_PROGRAM";
    auto without = [&](const std::string &name) {
        std::string s = all;
        return s.erase(s.find(name), name.size());
    };
    struct Case {
        std::string Extensions;
        bool Vbo, Fbo, Shaders;
    } cases[] = {
        {all, true, true, true},
        {without("GL_ARB_VERTEX_BUFFER_OBJECT"), false, true, true},
        {without("GL_EXT_FRAMEBUFFER_OBJECT"), true, false, true},
        {without("GL_ARB_SHADING_LANGUAGE_100"), true, true, false},
        {without("GL_ARB_VERTEX_PROGRAM"), true, true, false},
        {without("GL_ARB_FRAGMENT_PROGRAM"), true, true, false},
        {"", false, false, false},
        // The loader upper-cases the driver's string first; the names are matched as written.
        {"gl_arb_vertex_buffer_object gl_ext_framebuffer_object", false, false, false},
        // A longer name that merely starts the same is another extension.
        {"GL_EXT_FRAMEBUFFER_OBJECT_SRGB GL_ARB_VERTEX_BUFFER_OBJECT_RGB32", false, false, false},
    };
    for (const Case &c : cases) {
        const TGLCapabilities caps = CapabilitiesFromExtensions(c.Extensions);
        EXPECT_EQ(caps.VertexBuffers, c.Vbo) << c.Extensions;
        EXPECT_EQ(caps.FrameBuffers, c.Fbo) << c.Extensions;
        EXPECT_EQ(caps.Shaders, c.Shaders) << c.Extensions;
    }

    const std::pair<const char *, const char *> vendors[] = {
        {"ATI Technologies Inc.", "#define VENDOR_ATI"},
        {"NVIDIA Corporation", "#define VENDOR_NVIDIA"},
        {"nvidia CORPORATION", "#define VENDOR_NVIDIA"},
        {"NVIDIA", "#define VENDOR_UNKNOWN"},
        {"Mesa", "#define VENDOR_UNKNOWN"},
        {"", "#define VENDOR_UNKNOWN"},
    };
    for (const auto &[vendor, define] : vendors)
        EXPECT_EQ(VendorDefine(UpperCase(vendor)), define) << vendor;

    EXPECT_EQ(ShaderSourceText("X", "a\r\nb\nc\rd\n"), "#define VENDOR_UNKNOWN\r\na\r\nb\r\nc\r\nd");
    EXPECT_EQ(ShaderSourceText("NVIDIA CORPORATION", "\n\nx"), "#define VENDOR_NVIDIA\r\n\r\n\r\nx");
    EXPECT_EQ(ShaderSourceText("X", ""), "#define VENDOR_UNKNOWN");
}

TEST_F(ShadersTest, EveryProgramOfTheGameBuilds)
{
    TLOgFile log((LogDir.Path / "build.txt").string(), true);
    LogFile = &log;
    struct Program {
        std::string Name;
        std::unique_ptr<TShaderObject> Object;
        std::string Fragment, Vertex;
    };
    Program programs[] = {
        {"Objects", std::make_unique<TObjectsShader>(), Game("Objects.fs"), Game("Objects.vs")},
        {"clouds", std::make_unique<TCloudsShader>(), Game("clouds.fs"), Game("clouds.vs")},
        {"MegaBomb", std::make_unique<TMegaBombShader>(), Game("MegaBomb.fs"), Game("MegaBomb.vs")},
        {"Player", std::make_unique<TPlayerShader>(), Game("Player\\Player.fs"), Game("Player\\Player.vs")},
        {"Shield", std::make_unique<TShieldShader>(), Game("Player\\Shield.fs"), Game("Player\\Shield.vs")},
        {"Haze", std::make_unique<THazeShader>(), Game("Haze.fs"), Game("Haze.vs")},
        {"Water", std::make_unique<TWaterShader>(), Game("Water.fs"), Game("Water.vs")},
        {"Bloom", std::make_unique<TBloomShader>(), Game("Bloom.fs"), Game("Bloom.vs")},
    };
    for (Program &p : programs) {
        ASSERT_NO_THROW(p.Object->Create(p.Fragment, p.Vertex)) << p.Name;
        EXPECT_TRUE(p.Object->HasFragment && p.Object->HasVertex) << p.Name;
        EXPECT_TRUE(p.Object->Valid) << p.Name;
        EXPECT_TRUE(p.Object->Use()) << p.Name;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << p.Name << ": every uniform set with its own type";
    }

    // The uniforms that carry the programs' inputs are really read by the sources (a misspelt name
    // would silently give -1).
    auto &objects = static_cast<TObjectsShader &>(*programs[0].Object);
    auto &clouds = static_cast<TCloudsShader &>(*programs[1].Object);
    auto &bomb = static_cast<TMegaBombShader &>(*programs[2].Object);
    auto &player = static_cast<TPlayerShader &>(*programs[3].Object);
    auto &shield = static_cast<TShieldShader &>(*programs[4].Object);
    auto &haze = static_cast<THazeShader &>(*programs[5].Object);
    auto &water = static_cast<TWaterShader &>(*programs[6].Object);
    auto &bloom = static_cast<TBloomShader &>(*programs[7].Object);
    const std::pair<const char *, int> used[] = {
        {"Lighting", objects.LightingLocation},   {"clouds Shift", clouds.ShiftLocation},
        {"clouds Eye", clouds.EyeLocation},        {"bomb texture1", bomb.Texture1Location},
        {"bomb texture2", bomb.Texture2Location},  {"bomb scale", bomb.ScaleLocation},
        {"player view", player.ViewLocation},      {"shield view", shield.ViewLocation},
        {"shield Shift", shield.ShiftLocation},    {"haze texture", haze.TextureLocation},
        {"haze noise", haze.NoiseLocation},        {"water texture1", water.Texture1Location},
        {"water texture2", water.Texture2Location}, {"water scale", water.ScaleLocation},
        {"water Eye", water.EyeLocation},          {"bloom texture", bloom.TextureLocation},
        {"bloom bloom", bloom.BloomLocation},
    };
    for (const auto &[name, location] : used)
        EXPECT_GE(location, 0) << name;

    // Lighting and clipping switches set while the program is current, with no type error.
    ASSERT_TRUE(objects.Use());
    objects.SetLighting(false);
    EXPECT_FLOAT_EQ(UniformFloat(objects.Program, objects.LightingLocation), 0.0f);
    objects.SetClipping(true);
    EXPECT_TRUE(objects.Clipping);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    clouds.Use();
    clouds.SetShift(0.25f);
    EXPECT_FLOAT_EQ(UniformFloat(clouds.Program, clouds.ShiftLocation), 0.25f);

    const std::string text = ReadAll(LogDir.Path / "build.txt");
    EXPECT_NE(text.find("Make Shaders. " + Game("Player\\Shield.vs")), std::string::npos);
    EXPECT_NE(text.find("Link Shaders."), std::string::npos);
}

TEST_F(ShadersTest, UseSwitchesOnceAndSetsUniformsEveryTime)
{
    TWaterShader water;
    TBloomShader bloom;
    water.Create(Game("Water.fs"), Game("Water.vs"));
    bloom.Create(Game("Bloom.fs"), Game("Bloom.vs"));
    ASSERT_TRUE(water.Valid && bloom.Valid);

    RealUseProgram = GLExt::glUseProgramObjectARB;
    GLExt::glUseProgramObjectARB = CountingUseProgram;
    Switches = 0;
    GameClock = 5000;
    EyePosition = VectorSet4(10, 20, 30, 0);
    EXPECT_TRUE(water.Use());
    EXPECT_EQ(CurrentProgram, &water);
    EXPECT_EQ(CurrentGLProgram(), GLint(water.Program));
    EXPECT_FLOAT_EQ(UniformFloat(water.Program, water.ScaleLocation), 0.25f);

    GameClock = 11999;
    EXPECT_TRUE(water.Use());
    EXPECT_EQ(Switches, 1);
    EXPECT_FLOAT_EQ(UniformFloat(water.Program, water.ScaleLocation), 0.99975f);
    EXPECT_EQ(UniformInt(water.Program, water.Texture2Location), 1);

    EXPECT_TRUE(bloom.Use());
    EXPECT_EQ(Switches, 2);
    EXPECT_EQ(CurrentGLProgram(), GLint(bloom.Program));
    bloom.Stop();
    EXPECT_EQ(Switches, 3);
    EXPECT_EQ(CurrentProgram, nullptr);
    EXPECT_EQ(CurrentGLProgram(), 0);
    bloom.Stop();   // nothing current: nothing to do
    EXPECT_EQ(Switches, 3);
    GLExt::glUseProgramObjectARB = RealUseProgram;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShadersTest, ShadersOptionOffMeansTheFixedPipeline)
{
    TConfig config;
    Config = &config;
    TObjectsShader built;
    built.Create(Game("Objects.fs"), Game("Objects.vs"));
    ASSERT_TRUE(built.Valid);

    config.Shaders = false;
    TObjectsShader never;
    never.Create(Game("Objects.fs"), Game("Objects.vs"));
    EXPECT_FALSE(never.Valid);
    EXPECT_EQ(never.Program, 0u);

    EXPECT_FALSE(built.Use());
    EXPECT_FALSE(built.IsUsable());
    EXPECT_EQ(CurrentProgram, nullptr);
    built.SetLighting(false);
    built.SetClipping(true);   // still remembered for later
    built.Stop();
    EXPECT_EQ(CurrentGLProgram(), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Switched back on, the program is usable again and takes the remembered clipping.
    config.Shaders = true;
    ASSERT_TRUE(built.Use());
    EXPECT_TRUE(built.Clipping);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // A program left current when the option goes off is still unbound by Stop.
    config.Shaders = false;
    built.Stop();
    EXPECT_EQ(CurrentGLProgram(), 0);
    EXPECT_EQ(CurrentProgram, nullptr);
}

TEST_F(ShadersTest, LooseFilesCompileErrorsAndMissingStages)
{
    TTempDir game("shaders-game");
    const std::string dir = game.Path.string() + "/";
    Extractor->SetPath(dir);
    // The vendor line goes in front of the source: this one only compiles when it is there.
    WriteText(game.Path / "Data" / "Shaders" / "Vendor.fs",
              "#ifdef VENDOR_UNKNOWN\r\nvoid main() { gl_FragColor = vec4(1.0); }\r\n#endif\r\n");
    WriteText(game.Path / "Data" / "Shaders" / "Plain.vs", "void main() { gl_Position = ftransform(); }\n");
    WriteText(game.Path / "Data" / "Shaders" / "Broken.fs", "void main() { gl_FragColor = vec4(1.0) }\n");

    TShaderObject vendor;
    vendor.Create(dir + "Data\\Shaders\\Vendor.fs", dir + "Data\\Shaders\\Plain.vs");
    EXPECT_TRUE(vendor.Valid);

    TShaderObject onlyVertex;
    onlyVertex.Create(dir + "Data\\Shaders\\Missing.fs", dir + "Data\\Shaders\\Plain.vs");
    EXPECT_FALSE(onlyVertex.HasFragment);
    EXPECT_TRUE(onlyVertex.HasVertex);
    EXPECT_TRUE(onlyVertex.Valid);

    for (const auto &[fragment, vertex] : {std::pair<std::string, std::string>{dir + "Data\\Shaders\\Missing.fs", dir + "Data\\Shaders\\Missing.vs"},
                                           std::pair<std::string, std::string>{"", ""}}) {
        TShaderObject nothing;
        nothing.Create(fragment, vertex);
        EXPECT_FALSE(nothing.HasFragment || nothing.HasVertex) << fragment;
        EXPECT_FALSE(nothing.Valid) << "a program with no stages is never used: " << fragment;
        EXPECT_FALSE(nothing.Use());
    }

    const std::string broken = dir + "Data\\Shaders\\Broken.fs";
    TShaderObject bad;
    try {
        bad.Create(broken, dir + "Data\\Shaders\\Plain.vs");
        ADD_FAILURE() << "a stage that does not compile must throw";
    } catch (const std::runtime_error &e) {
        const std::string message = e.what();
        const std::string head = broken + " contains errors!\n";
        EXPECT_EQ(message.rfind(head, 0), 0u) << message;
        EXPECT_GT(message.size(), head.size()) << "the compiler's message follows";
    }
    EXPECT_FALSE(bad.Valid);
    EXPECT_FALSE(bad.Use());
}

namespace {

// A texture of W x H RGB texels, nearest filtering.
unsigned MakeTexture(int w, int h, const std::vector<std::uint8_t> &rgb)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

// Scene on unit 0, second image on unit 1 (with a shader), one full-window quad with identity
// matrices.
TScreen Composite(TShaderObject *shader, unsigned scene, unsigned second)
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Without a shader the fixed pipeline would modulate by unit 1: only the scene is shown then.
    if (shader) {
        GLExt::glActiveTextureARB(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, second);
    }
    GLExt::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, scene);
    glColor4f(1, 1, 1, 1);
    if (shader) {
        EXPECT_TRUE(shader->Use());
    }
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(-1, -1);
    glTexCoord2f(1, 0), glVertex2f(1, -1);
    glTexCoord2f(1, 1), glVertex2f(1, 1);
    glTexCoord2f(0, 1), glVertex2f(-1, 1);
    glEnd();
    UseNone();
    GLExt::glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    GLExt::glActiveTextureARB(GL_TEXTURE0_ARB);
    return ReadScreen();
}

} // namespace

TEST_F(ShadersTest, HazeMovesNothingOnGreyAndBloomBrightensOnlyHighlights)
{
    THazeShader haze;
    TBloomShader bloom;
    haze.Create(Game("Haze.fs"), Game("Haze.vs"));
    bloom.Create(Game("Bloom.fs"), Game("Bloom.vs"));
    ASSERT_TRUE(haze.Valid && bloom.Valid);

    // A chequer of 16 x 16 distinct texels: any displacement shows.
    std::vector<std::uint8_t> chequer;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            chequer.insert(chequer.end(), {std::uint8_t(x * 16), std::uint8_t(y * 16), std::uint8_t((x + y) % 2 * 200)});
    const unsigned scene = MakeTexture(16, 16, chequer);
    const unsigned grey = MakeTexture(1, 1, {128, 128, 128});
    const unsigned push = MakeTexture(1, 1, {255, 128, 128});
    const TScreen plain = Composite(nullptr, scene, 0);
    EXPECT_EQ(Composite(&haze, scene, grey).rgb, plain.rgb);
    EXPECT_NE(Composite(&haze, scene, push).rgb, plain.rgb);

    const unsigned halves = MakeTexture(2, 1, {40, 40, 40, 230, 230, 230});
    const TScreen bloomed = Composite(&bloom, halves, halves);
    EXPECT_EQ(bloomed.at(100, 300)[0], 40);   // dark: unchanged
    EXPECT_EQ(bloomed.at(700, 300)[0], 255);  // bright: lifted
    const GLuint names[] = {scene, grey, push, halves};
    glDeleteTextures(4, names);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
