// The effects, textures and sounds the units share: made from the game's own archive in their order
// with their log lines, from a modder's data that lacks or damages a file, and without a window; the
// emitters made from them; and the mission runner that makes them too.

#include "tests/script/ScriptTestUtil.h"

#include "assets/DPSEffect.h"
#include "assets/TextureLib.h"
#include "core/App.h"
#include "core/Log.h"
#include "data/Extractor.h"
#include "sim/Templates.h"
#include "sound/SoundLib.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::string>;

// The data tree the content build stages, and the game folder it packs into Data.dpg.
const fs::path StagedData = fs::path(ZEPHRONA_STAGE_DIR) / "Data";
const fs::path GameDir = fs::path(ZEPHRONA_STAGE_DIR).parent_path() / "game";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The game path written as a script author might: lower case, forward slashes.
std::string Loosely(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return Lower(path);
}

class TemplatesTest : public ::testing::Test {
protected:
    TemplatesTest()
        : Dir("templates-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())),
          SavedAppDir(AppDir)
    {
        static const bool imagesReady = (ilInit(), true);
        (void)imagesReady;
        Sprites = &Particles;
        Log = std::make_unique<TLOgFile>((Dir.Path / "log.txt").string(), true);
        LogFile = Log.get();
    }
    ~TemplatesTest() override
    {
        FreeUnitTemplates();   // before the sound library that owns the samples
        LogFile = nullptr;
        SoundLib = nullptr;
        TextureLib = nullptr;
        Extractor = nullptr;
        Sprites = nullptr;
        AppDir = SavedAppDir;
    }

    // The game folder Folder as the game opens it: its Data.dpg when it has one, loose files below it.
    void UseGame(const fs::path &folder)
    {
        AppDir = folder.string() + "/";
        Archive = std::make_unique<TExtractor>();
        if (fs::exists(folder / "Data.dpg"))
            Archive->LoadFromFile(AppDir + "Data.dpg");
        Archive->SetPath(AppDir);
        Extractor = Archive.get();
    }
    void UseTextures() { TextureLib = &Textures; }
    void UseSound()
    {
        Sound.reset();   // closing a library closes the audio output, so the old one goes first
        Sound = std::make_unique<TSoundLib>();
        SoundLib = Sound.get();
    }
    // A modder's game folder of loose files: the game's effects and sounds less the files named.
    fs::path ModderGame(const std::set<std::string> &leftOut)
    {
        const fs::path game = Dir.Path / "game";
        for (const char *folder : {"Effects", "Sounds"})
            for (const fs::directory_entry &entry : fs::recursive_directory_iterator(StagedData / folder)) {
                const fs::path relative = fs::relative(entry.path(), StagedData);
                if (!entry.is_regular_file() || leftOut.count(relative.filename().string()))
                    continue;
                fs::create_directories(game / "Data" / relative.parent_path());
                fs::copy_file(entry.path(), game / "Data" / relative);
            }
        return game;
    }
    TLines LogLines() const { return SplitLines(ReadAll(Dir.Path / "log.txt")); }

    const TTempDir                Dir;
    const std::string             SavedAppDir;
    TSprites                      Particles;
    TTextureLib                   Textures;
    std::unique_ptr<TSoundLib>    Sound;
    std::unique_ptr<TExtractor>   Archive;
    std::unique_ptr<TLOgFile>     Log;
};

TEST_F(TemplatesTest, TheGameDataMakesEveryEffectTextureAndSoundInOrder)
{
    UseGame(GameDir);
    UseTextures();
    UseSound();
    CreateUnitTemplates(true);

    // The data library logs each file it finds: the shared files are read effects first, then the
    // textures, then the sounds, each in its listed order, after the one line of the step.
    std::vector<std::string> expected;
    for (const auto *list : {&EffectTemplateFiles(), &SharedTextureFiles(), &SharedSoundFiles()})
        for (const std::string &file : *list)
            expected.push_back(AppDir + file);
    const std::set<std::string> shared(expected.begin(), expected.end());
    const TLines log = LogLines();
    ASSERT_EQ(std::count(log.begin(), log.end(), "Loading Effects"), 1);
    const auto step = std::find(log.begin(), log.end(), "Loading Effects");
    std::vector<std::string> found;
    for (auto line = step; line != log.end(); ++line) {
        EXPECT_EQ(Lower(*line).find("not found"), std::string::npos) << *line;
        EXPECT_EQ(Lower(*line).find("notfound"), std::string::npos) << *line;
        const std::string prefix = "Extractor.FileFound ";
        if (line->rfind(prefix, 0) != 0)
            continue;
        const std::string path = line->substr(prefix.size());
        if (shared.count(path) && (found.empty() || found.back() != path))
            found.push_back(path);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(EffectTemplateFiles().size(), 20u);
    EXPECT_EQ(SharedTextureFiles().size(), 12u);
    EXPECT_EQ(SharedSoundFiles().size(), 22u);

    // Every effect, found whatever the letter case and slashes, with its particle textures loaded
    // through the library from the effects' folder; none of them is listed with the particle control.
    for (const std::string &file : EffectTemplateFiles()) {
        const TEmitter *templ = FindEffectTemplate(file);
        ASSERT_NE(templ, nullptr) << file;
        EXPECT_EQ(FindEffectTemplate(Loosely(file)), templ) << file;
        EXPECT_FLOAT_EQ(templ->Block->Scale, 1.0f) << file;
        ASSERT_FALSE(templ->Records->empty()) << file;
        for (const TEmitterRecord &record : *templ->Records)
            EXPECT_EQ(Textures.Items[std::size_t(record.Texture)].Name.rfind(AppDir + "Data\\Effects\\", 0), 0u) << file;
    }
    EXPECT_TRUE(Particles.Blocks.empty());

    // The shared textures after the effects', with the trilinear filter pair.
    int previous = -1;
    for (const std::string &file : SharedTextureFiles()) {
        const int handle = SharedTexture(file);
        EXPECT_GT(handle, previous) << file;
        previous = handle;
        EXPECT_EQ(SharedTexture(Loosely(file)), handle) << file;
        const TTexture &texture = Textures.Items[std::size_t(handle)];
        EXPECT_EQ(texture.Name, AppDir + file);
        EXPECT_EQ(texture.MinFilter, TextureLinearMipmapLinear) << file;
        EXPECT_EQ(texture.MagFilter, TextureLinear) << file;
        EXPECT_GT(texture.Width, 0) << file;
    }

    // The samples under the names every later request for the same sound uses, so none is read twice.
    ASSERT_EQ(Sound->Samples.size(), SharedSoundFiles().size());
    for (std::size_t i = 0; i < SharedSoundFiles().size(); ++i) {
        const std::string &file = SharedSoundFiles()[i];
        EXPECT_EQ(Sound->Samples[i].FileName, AppDir + file);
        ASSERT_NE(SharedSample(file), nullptr) << file;
        EXPECT_EQ(SharedSample(Loosely(file)), SharedSample(file)) << file;
        EXPECT_EQ(Sound->LoadSample(AppDir + file, false), SharedSample(file)) << file;
    }
    EXPECT_EQ(Sound->Samples.size(), SharedSoundFiles().size());
}

TEST_F(TemplatesTest, WithoutAWindowNoTextureIsTouchedAndEmittersCopyTheirTemplate)
{
    UseGame(GameDir);
    UseTextures();   // a library exists, but no window: nothing may be loaded into it
    CreateUnitTemplates(false);

    EXPECT_EQ(Textures.Count, 0);
    for (const std::string &file : SharedTextureFiles())
        EXPECT_EQ(SharedTexture(file), 0) << file;
    for (const std::string &file : EffectTemplateFiles()) {
        const TEmitter *templ = FindEffectTemplate(file);
        ASSERT_NE(templ, nullptr) << file;
        for (const TEmitterRecord &record : *templ->Records)
            EXPECT_EQ(record.Texture, 0) << file;
    }
    EXPECT_EQ(SharedSample("Data\\Sounds\\Gun.wav"), nullptr) << "no sound library, no samples";

    // An instance shares the template's baked effect, at its own scale, in its own listed block;
    // it spawns there while the template stays empty.
    const TEmitter *templ = FindEffectTemplate("Data\\Effects\\Smoke Fire.dps");
    std::unique_ptr<TPointEmitter> smoke = MakeEmitter<TPointEmitter>("data/effects/SMOKE FIRE.dps", 2.5f);
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->Params, templ->Params);
    EXPECT_EQ(smoke->Records, templ->Records);
    EXPECT_FLOAT_EQ(smoke->Block->Scale, 2.5f);
    EXPECT_EQ(Particles.Blocks, std::vector<TSpriteBlock *>{smoke->Block.get()});
    for (int i = 0; i < 40; ++i)
        smoke->Update(25, VectorSet4(10, 20, 30, 1), false);
    EXPECT_FALSE(smoke->Block->Particles.empty());
    EXPECT_TRUE(templ->Block->Particles.empty());

    // An effect that is not shared is read from the data; one the data lacks gives none.
    std::unique_ptr<TEmitter> laser = MakeEmitter("Data\\Effects\\Laser_Shoot.dps", 1.0f);
    ASSERT_NE(laser, nullptr);
    EXPECT_EQ(FindEffectTemplate("Data\\Effects\\Laser_Shoot.dps"), nullptr);
    EXPECT_EQ(MakeEmitter("Data\\Effects\\No Such Effect.dps", 1.0f), nullptr);

    // An instance outlives the templates it came from.
    FreeUnitTemplates();
    EXPECT_EQ(FindEffectTemplate("Data\\Effects\\Smoke Fire.dps"), nullptr);
    smoke->Update(25, VectorSet4(10, 20, 30, 1), false);
    EXPECT_FALSE(smoke->Block->Particles.empty());
}

TEST_F(TemplatesTest, DataLackingAnEffectAndASoundStillMakesTheRestAndLogsThem)
{
    UseGame(ModderGame({"Smoke Fall.dps", "BigGun.wav"}));
    UseSound();
    ASSERT_NO_THROW(CreateUnitTemplates(false));

    const std::string effect = AppDir + "Data\\Effects\\Smoke Fall.dps";
    const std::string sound = AppDir + "Data\\Sounds\\BigGun.wav";
    TLines notFound;
    for (const std::string &line : LogLines())
        if (line.find("not found") != std::string::npos)
            notFound.push_back(line);
    EXPECT_EQ(notFound, (TLines{"File not found: \"" + effect + "\"", "File not found: \"" + sound + "\""}));

    for (const std::string &file : EffectTemplateFiles())
        EXPECT_EQ(FindEffectTemplate(file) == nullptr, file == "Data\\Effects\\Smoke Fall.dps") << file;
    EXPECT_EQ(MakeEmitter("Data\\Effects\\Smoke Fall.dps", 1.0f), nullptr);

    std::vector<std::string> samples;
    for (const TSampleEntry &entry : Sound->Samples)
        samples.push_back(entry.FileName);
    std::vector<std::string> expected;
    for (const std::string &file : SharedSoundFiles())
        if (file != "Data\\Sounds\\BigGun.wav")
            expected.push_back(AppDir + file);
    EXPECT_EQ(samples, expected) << "the missing sound is not asked of the sound library";
    EXPECT_EQ(SharedSample("Data\\Sounds\\BigGun.wav"), nullptr);
    EXPECT_NE(SharedSample("Data\\Sounds\\Gun.wav"), nullptr);
}

TEST_F(TemplatesTest, ADamagedFileStopsWithTheLoadersErrorAndKeepsTheTemplatesMadeBefore)
{
    const struct {
        const char *File;
        const char *Error;
    } cases[] = {
        {"Data/Effects/Missile.dps", "is damaged"},
        {"Data/Sounds/Gun.wav", "File not loaded: "},
    };
    for (const auto &c : cases) {
        FreeUnitTemplates();
        SoundLib = nullptr;
        Sound.reset();
        UseGame(ModderGame({}));
        CreateUnitTemplates(false);   // effects only: there is no sound library yet
        const TEmitter *before = FindEffectTemplate("Data\\Effects\\Simple White Smoke.dps");
        ASSERT_NE(before, nullptr);

        const fs::path damaged = Dir.Path / "game" / c.File;
        const std::string bytes = ReadAll(damaged);
        WriteText(damaged, bytes.substr(0, 40));
        UseSound();
        try {
            CreateUnitTemplates(false);
            ADD_FAILURE() << c.File << " was taken";
        } catch (const std::exception &e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(c.Error), std::string::npos) << what;
            EXPECT_NE(what.find(fs::path(c.File).filename().string()), std::string::npos) << what;
        }
        EXPECT_EQ(FindEffectTemplate("Data\\Effects\\Simple White Smoke.dps"), before) << c.File;
        EXPECT_EQ(SharedSample("Data\\Sounds\\Explosion_Small.WAV"), nullptr) << c.File;
        FreeUnitTemplates();
        fs::remove_all(Dir.Path / "game");
    }
}

TEST_F(TemplatesTest, TheMissionRunnerPlaysInTheGameFolderAsBefore)
{
    // With the game's own data the runner loads every effect first; what it prints is unchanged.
    WriteText(Dir.Path / "Mission.ses", "int once 0\n{\nif once = $0 then\n"
                                        "CreateObject OBJECT_EMPTY AI_GROUP2 AI_SIDE_ENEMY $40 $0,0 $0,0 $0,0 $0,0 "
                                        "$0,0 Post\nMessage Ready\nonce = $1\nendif\n}\n");
    const TToolRun run = RunTool(Dir.Path, scripttest::ToolsDir + "/missionrun Mission.ses --seconds 2 --game " +
                                               GameDir.string());
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(SplitLines(run.Out), (TLines{"message: Ready", "t=1 g2=1/1:100%", "t=2 g2=1/1:100%", "result: running"}));
    EXPECT_EQ(run.Err, "");
}

} // namespace
