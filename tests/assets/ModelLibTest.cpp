// The model library over a real archive and loose files, without a window: with no texture
// library and no vertex buffers, loading a model makes no GL call.

#include "assets/ModelLib.h"
#include "assets/OTMModel.h"
#include "assets/TextureLib.h"
#include "assets/VertexBuffers.h"
#include "core/App.h"
#include "core/Log.h"
#include "data/Extractor.h"
#include "tests/assets/TestFiles.h"
#include "tools/dpg/DpgWriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

namespace {

// A model whose one (flat) triangle reaches out to (Size, 0, 0), so its radius is Size.
std::vector<std::uint8_t> ModelOfSize(float size)
{
    return RawOtm(2, 1, 10, {RawTriangle("M", {}, {size, 0, 0}, {size / 2, 0, 0}, 1)}, {});
}

class ModelLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        SavedAppDir = AppDir;
        AppDir = Dir.Path.string() + "/";
        LogFile = new TLOgFile((Dir.Path / "log.txt").string(), true);
        Extractor = &Archive;
        TextureLib = nullptr;
        VBOAvailable = false;
    }
    void TearDown() override
    {
        Extractor = nullptr;
        delete LogFile;
        LogFile = nullptr;
        AppDir = SavedAppDir;
    }

    void OpenArchive(const std::vector<TDpgFile> &files)
    {
        WriteBytes(Dir.Path / "Data.dpg", BuildDpg(files));
        Archive.LoadFromFile(AppDir + "Data.dpg");
        Archive.SetPath(AppDir);
    }

    // The log without the archive's own lines.
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadAll(Dir.Path / "log.txt"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind("Extractor.", 0) != 0 && line.rfind("  Data\\", 0) != 0)
                lines.push_back(line);
        }
        return lines;
    }

    TTempDir    Dir{"modellib"};
    TExtractor  Archive;
    TModelLib   Library;
    std::string SavedAppDir;
};

} // namespace

TEST_F(ModelLibrary, LoadsOnceAndAttachesBothLODsFromArchiveAndDisk)
{
    OpenArchive({{"Data\\Models\\Ships\\Boat.otm", ModelOfSize(3)}, {"Data\\Models\\Ships\\Boat_lod1.otm", ModelOfSize(1)}});
    WriteBytes(Dir.Path / "Data" / "Models" / "Ships" / "Boat_lod0.otm", ModelOfSize(2));
    const std::string name = AppDir + "Data\\Models\\Ships\\Boat.otm";

    TModel *boat = Library.Load(name);
    ASSERT_NE(boat, nullptr);
    EXPECT_EQ(Library.Load(name, true), boat);
    EXPECT_FLOAT_EQ(boat->Radius, 3);
    TModel *lod0 = boat->LODs[0].Model, *lod1 = boat->LODs[1].Model;
    ASSERT_NE(lod0, nullptr);
    ASSERT_NE(lod1, nullptr);
    EXPECT_FLOAT_EQ(lod0->Radius, 2);
    EXPECT_FLOAT_EQ(lod1->Radius, 1);
    EXPECT_FLOAT_EQ(boat->LODs[0].Distance, 30);
    EXPECT_FLOAT_EQ(boat->LODs[1].Distance, 30);
    EXPECT_EQ(boat->SelectLOD(31), lod1);
    EXPECT_EQ(Library.Load(AppDir + "Data\\Models\\Ships\\Boat_lod0.otm"), lod0);   // cached under its own name
    EXPECT_EQ(Library.Count, 3);
    EXPECT_EQ(dynamic_cast<TOTMModel *>(boat)->Texture, -1);   // no texture library in this test

    const std::vector<std::string> expected = {
        "Loading Model: " + name,
        "  Loading LOD0:" + AppDir + "Data\\Models\\Ships\\Boat_lod0.otm",
        "Loading Model: " + AppDir + "Data\\Models\\Ships\\Boat_lod0.otm",
        "  Loading LOD1:" + AppDir + "Data\\Models\\Ships\\Boat_lod1.otm",
        "Loading Model: " + AppDir + "Data\\Models\\Ships\\Boat_lod1.otm",
    };
    EXPECT_EQ(Log(), expected);
}

TEST_F(ModelLibrary, NamesMatchExactlyAndOtherExtensionsGiveNothing)
{
    OpenArchive({{"Data\\Models\\Jet.otm", ModelOfSize(1)}, {"Data\\Models\\Jet.3ds", {1, 2, 3}}});
    TModel *jet = Library.Load(AppDir + "Data\\Models\\Jet.otm");
    // The archive finds the file whatever the case, but the cache does not: a second model.
    TModel *upper = Library.Load(AppDir + "Data\\Models\\JET.OTM");
    ASSERT_NE(jet, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(jet, upper);
    EXPECT_EQ(Library.Load(AppDir + "Data\\Models\\Jet.3ds"), nullptr);
    EXPECT_EQ(Library.Load(AppDir + "Data\\Models\\Jet.3ds"), nullptr);
    EXPECT_EQ(Library.Count, 3);
    EXPECT_EQ(Library.Items[2].Model, nullptr);
    EXPECT_EQ(Log().back(), "Loading Model: " + AppDir + "Data\\Models\\Jet.3ds");
    EXPECT_EQ(Log().size(), 3u);
}

TEST_F(ModelLibrary, MissingAndDamagedFilesThrowAndAreTriedAgain)
{
    OpenArchive({{"Data\\Models\\Bad.otm", {2, 0, 0, 0, 1}}});
    const std::string missing = AppDir + "Data\\Models\\Missing.otm";
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Library.Load(missing);
            ADD_FAILURE() << "loaded a missing model";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), "File not found: \"" + missing + "\"");
        }
    }
    try {
        Library.Load(AppDir + "Data\\Models\\Bad.otm");
        ADD_FAILURE() << "loaded a damaged model";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Model \"" + AppDir + "Data\\Models\\Bad.otm\" is damaged: the file ends inside the header");
    }
    EXPECT_EQ(Library.Count, 0);
    EXPECT_TRUE(Library.Items.empty());
}

TEST_F(ModelLibrary, DamagedLODIsSkippedOnEveryLoad)
{
    std::vector<std::uint8_t> damaged = ModelOfSize(2);
    damaged.resize(damaged.size() - 2);   // cut inside the point count
    OpenArchive({{"Data\\Models\\Jet.otm", ModelOfSize(4)},
                 {"Data\\Models\\Jet_lod0.otm", damaged},
                 {"Data\\Models\\Jet_lod1.otm", ModelOfSize(1)}});
    const std::string name = AppDir + "Data\\Models\\Jet.otm", lod0 = AppDir + "Data\\Models\\Jet_lod0.otm",
                      lod1 = AppDir + "Data\\Models\\Jet_lod1.otm";

    // The first load and the cached one give the same model: without the damaged LOD, with the good one.
    TModel *first = nullptr;
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        TModel *jet = Library.Load(name);
        ASSERT_NE(jet, nullptr);
        if (attempt == 0)
            first = jet;
        EXPECT_EQ(jet, first);
        EXPECT_EQ(jet->LODs[0].Model, nullptr);
        ASSERT_NE(jet->LODs[1].Model, nullptr);
        EXPECT_FLOAT_EQ(jet->LODs[1].Model->Radius, 1);
        EXPECT_EQ(jet->SelectLOD(41), jet->LODs[1].Model);
    }
    const std::vector<std::string> expected = {
        "Loading Model: " + name,
        "  Loading LOD0:" + lod0,
        "Loading Model: " + lod0,
        "  Skipped LOD0: Model \"" + lod0 + "\" is damaged: the file ends inside the point count",
        "  Loading LOD1:" + lod1,
        "Loading Model: " + lod1,
    };
    EXPECT_EQ(Log(), expected);
    // Asked for by its own name, the damaged file is refused as any damaged model is.
    EXPECT_THROW(Library.Load(lod0), std::runtime_error);
    EXPECT_EQ(Library.Count, 2);
}

TEST_F(ModelLibrary, ModelListLoadsEveryLineBelowTheModelsFolder)
{
    OpenArchive({{"Data\\Models\\Models.txt", {}},
                 {"Data\\Models\\Ships\\Boat.otm", ModelOfSize(1)},
                 {"Data\\Models\\Jet.otm", ModelOfSize(2)}});
    WriteText(Dir.Path / "Data" / "Models" / "Models.txt", "Ships\\Boat.otm\r\nJet.otm\r\n");
    ModelLib = &Library;
    LoadModelList();
    ModelLib = nullptr;
    ASSERT_EQ(Library.Count, 2);
    EXPECT_EQ(Library.Items[0].Name, AppDir + "Data\\Models\\Ships\\Boat.otm");
    EXPECT_EQ(Library.Items[1].Name, AppDir + "Data\\Models\\Jet.otm");
    EXPECT_FLOAT_EQ(Library.Items[1].Model->Radius, 2);
}

TEST(ModelLODNames, FirstDotOfTheNameAfterTheGameFolder)
{
    const std::string saved = AppDir;
    AppDir = "/home/me/.games/zephrona-1.2/";
    struct TCase {
        std::string Name, Lod0;
    } const cases[] = {
        {"Data\\Models\\Ship.otm", "Data\\Models\\Ship_lod0.otm"},
        {"Data\\Models\\a.b\\ship.otm", "Data\\Models\\a_lod0.b\\ship.otm"},
        {AppDir + "Data\\Models\\Ship.otm", AppDir + "Data\\Models\\Ship_lod0.otm"},
        {"Data\\Models\\NoExtension", ""},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(LODFileName(c.Name, 0), c.Lod0) << c.Name;
    EXPECT_EQ(LODFileName("Ship.x.otm", 1), "Ship_lod1.x.otm");
    AppDir = saved;
}
