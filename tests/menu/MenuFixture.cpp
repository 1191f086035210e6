#include "tests/menu/MenuFixture.h"

#include "data/Extractor.h"
#include "render/GLExt.h"
#include "sound/Music.h"
#include "sound/SoundLib.h"

#include <unistd.h>

#include <cmath>

namespace fs = std::filesystem;

namespace {

// A game folder for this test program, removed when the program ends.
struct TGameFolder {
    TGameFolder() : Path(fs::temp_directory_path() / ("zephrona-menu-" + std::to_string(::getpid())))
    {
        fs::remove_all(Path);
        fs::create_directories(Path);
        std::error_code linked;
        fs::create_hard_link(fs::path(ZEPHRONA_GAME_DIR) / "Data.dpg", Path / "Data.dpg", linked);
        if (linked)
            fs::copy(fs::path(ZEPHRONA_GAME_DIR) / "Data.dpg", Path / "Data.dpg");
    }
    ~TGameFolder()
    {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
    const fs::path Path;
};

} // namespace

fs::path MenuTest::GameDir()
{
    static const TGameFolder folder;
    return folder.Path;
}

void MenuTest::SetUp()
{
    if (!OpenTestWindow())
        GTEST_SKIP() << "needs an X display (the test command runs the suite under Xvfb)";
    // The game loads the extensions right after making its window; the graphics page reads the
    // flags the loader sets.
    static const bool extensions = (InitGLExtensions(), true);
    (void)extensions;
    static const bool data = (UseGameData(GameDir().string() + "/"), true);
    (void)data;
    for (const char *file : {"Config.cfg", "keys.cfg"})
        fs::remove(GameDir() / file);
    fs::remove_all(GameDir() / "Data");
    static TTextureLib library;
    TextureLib = &library;
    static TOut2D *out = new TOut2D();
    Out2D = out;
    SoundLib = nullptr;
    QuitRequested = RestartRequested = false;
    GameKind = 0;
    Country.clear();
    Keys = new TKeys((GameDir() / "keys.cfg").string());
    Keys->Poll = Keys->PadPoll = [this](int vk) { return vk >= 0 && vk < KeyCodeCount && Down[std::size_t(vk)]; };
    CursorClientPos = {0, 0};
}

void MenuTest::TearDown()
{
    MenuObject.reset();
    delete Keys;
    Keys = nullptr;
    delete Config;
    Config = nullptr;
    delete Locale;
    Locale = nullptr;
}

void MenuTest::StartMenu(std::vector<std::string> players, int language, const std::function<void(TConfig &)> &settings)
{
    Locale = new TLocale(AppDir + "Data\\Locale.txt", Extractor, language);
    Config = new TConfig();
    if (settings)
        settings(*Config);
    for (const std::string &name : players) {
        Config->Players[std::size_t(Config->PlayerCount)].Name = name;
        ++Config->PlayerCount;
    }
    MenuObject = std::make_unique<TMenu>();
    Frame();
}

void MenuTest::Frame(int dt)
{
    Keys->Update();
    MusicFrame(true, Config->MusicVolume);   // nothing without a sound library
    Menu->Frame(dt);
}

void MenuTest::Wait(int ms)
{
    for (int t = 0; t < ms; t += 25)
        Frame(25);
}

void MenuTest::Point(float x, float y)
{
    // The menu puts its cursor 0.1 below the pointer.
    CursorClientPos = {int(std::lround((VX(x) + 1) / PixelSizeX)), int(std::lround((0.9f - VY(y)) / PixelSizeY))};
}

void MenuTest::Click(const TVRect &r)
{
    PointAt(r);
    Frame();
    Down[1] = true;
    Frame();
    Down[1] = false;
    Frame();
}

void MenuTest::Press(int vk)
{
    Down[std::size_t(vk)] = true;
    Frame();
    Down[std::size_t(vk)] = false;
    Frame();
}

void MenuTest::Type(const std::string &keys)
{
    for (char c : keys)
        Press(static_cast<unsigned char>(c));
}
