// The texture library's cache and refusals, without a window: none of these paths reaches GL.

#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "data/Extractor.h"
#include "tests/assets/TestFiles.h"

#include <IL/il.h>
#include <gtest/gtest.h>

namespace {

class TextureLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        static const bool started = (ilInit(), true);
        (void)started;
        LogFile = new TLOgFile((Dir.Path / "log.txt").string(), true);
        Extractor = nullptr;
    }
    void TearDown() override
    {
        delete LogFile;
        LogFile = nullptr;
    }
    std::string Name(const std::string &file) const { return (Dir.Path / file).string(); }

    TTempDir    Dir{"texlib"};
    TTextureLib Library;
};

} // namespace

TEST_F(TextureLibrary, CachesByNameAndFilterPairAndGrowsByTen)
{
    // Missing images still get a handle, which binds texture 0; no GL is touched.
    const int a = Library.Load(Name("a.png"), TextureLinearMipmapLinear, TextureLinear);
    EXPECT_EQ(Library.Load(Name("a.png"), TextureLinearMipmapLinear, TextureLinear), a);
    EXPECT_EQ(Library.Items[std::size_t(a)].RefCount, 2);
    const int nearest = Library.Load(Name("a.png"), TextureNearest, TextureNearest);
    const int otherCase = Library.Load(Name("A.png"), TextureLinearMipmapLinear, TextureLinear);
    EXPECT_NE(nearest, a);
    EXPECT_NE(otherCase, a);
    EXPECT_EQ(Library.Items[std::size_t(a)].GLName, 0u);
    const std::string log = ReadAll(Dir.Path / "log.txt");
    EXPECT_EQ(log.substr(0, log.find('\r')), "File not found:" + Name("a.png"));

    EXPECT_EQ(Library.Capacity, 10);
    for (int i = 0; i < 8; ++i)
        Library.Load(Name("t" + std::to_string(i) + ".png"), TextureLinear, TextureLinear);
    EXPECT_EQ(Library.Count, 11);
    EXPECT_EQ(Library.Capacity, 20);
    EXPECT_EQ(Library.Items.size(), 20u);

    // A slot given back by every user is the next one taken.
    Library.Release(nearest);
    EXPECT_EQ(Library.Items[std::size_t(nearest)].RefCount, 0);
    Library.Release(a);
    EXPECT_EQ(Library.Items[std::size_t(a)].RefCount, 1);
    EXPECT_EQ(Library.Load(Name("new.png"), TextureLinear, TextureLinear), nearest);
    EXPECT_EQ(Library.Items[std::size_t(nearest)].Name, Name("new.png"));
    EXPECT_EQ(Library.Count, 11);
}

TEST_F(TextureLibrary, OnlyTrueColourPngsAreRead)
{
    struct TCase {
        int Channels;
        std::string Message;
    } const cases[] = {
        {1, "PNG format only support 24 bits(3 byte) & 32 bits(4 byte), and not support 1"},
        {2, "PNG format only support 24 bits(3 byte) & 32 bits(4 byte), and not support 2"},
    };
    for (const TCase &c : cases) {
        const std::string name = Name("grey" + std::to_string(c.Channels) + ".png");
        WriteTestPng(name, 4, 4, c.Channels, Solid(4, 4, std::vector<std::uint8_t>(std::size_t(c.Channels), 128)));
        try {
            Library.Load(name, TextureLinearMipmapLinear, TextureLinear);
            ADD_FAILURE() << "accepted " << c.Channels << " channels";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
        // The slot stays taken, without a texture.
        EXPECT_EQ(Library.Items[std::size_t(Library.Count - 1)].Name, name);
        EXPECT_EQ(Library.Items[std::size_t(Library.Count - 1)].GLName, 0u);
    }
    WriteText(Name("fake.png"), "not a picture");
    EXPECT_THROW(Library.Load(Name("fake.png"), TextureLinear, TextureLinear), std::runtime_error);
    // Other endings load nothing and say nothing.
    WriteText(Name("readme.txt"), "text");
    const int text = Library.Load(Name("readme.txt"), TextureLinear, TextureLinear);
    EXPECT_EQ(Library.Items[std::size_t(text)].GLName, 0u);
}

TEST_F(TextureLibrary, DamagedAnimationListsAreRefused)
{
    struct TCase {
        std::string Text, Message;
    } const cases[] = {
        {"0\r\n2\r\na.png\r\nb.png\r\n", "the frame time must be a whole number of at least 1, not \"0\""},
        {"100\r\nmany\r\n", "the frame count must be a whole number of at least 1, not \"many\""},
        {"100\r\n", "the frame count must be a whole number of at least 1, not \"\""},
        {"100\r\n3\r\na.png\r\nb.png\r\n", "it names 2 of its 3 frames"},
    };
    int file = 0;
    for (const TCase &c : cases) {
        const std::string name = Name("fire" + std::to_string(++file) + ".ant");
        WriteText(name, c.Text);
        try {
            Library.Load(name, TextureLinear, TextureLinear);
            ADD_FAILURE() << c.Text;
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), "Animated texture \"" + name + "\" is damaged: " + c.Message);
        }
    }
}

TEST(TextureAnimation, FrameFollowsTheGameClock)
{
    // 100 ms a frame, 4 frames: 1250 mod 400 = 50 shows frame 0; 1399 mod 400 = 199 shows frame 1.
    EXPECT_EQ(AnimationFrame(1250, 100, 400), 0);
    EXPECT_EQ(AnimationFrame(1399, 100, 400), 1);
    EXPECT_EQ(AnimationFrame(399, 100, 400), 3);
    EXPECT_EQ(AnimationFrame(400, 100, 400), 0);
}

using TextureRefusalDeathTest = TextureLibrary;

TEST_F(TextureRefusalDeathTest, OtherImageFormatsAbortThroughTheErrorBox)
{
    BatchMode = true;   // the box answers Abort at once
    const std::pair<const char *, const char *> cases[] = {
        {"sky.bmp", "BMP not supported: "}, {"sky.JPG", "JPEG not supported: "}, {"sky.tga", "TGA not supported: "}};
    for (const auto &[file, message] : cases)
        EXPECT_EXIT(Library.Load(Name(file), TextureLinear, TextureLinear), testing::ExitedWithCode(ExitAborted),
                    std::string(message) + Name(file));
}
