#include "data/Extractor.h"
#include "tools/dpg/DpgWriter.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string &text) { return {text.begin(), text.end()}; }

void PutU32(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(v >> (8 * i));
}

class ArchiveTest : public testing::Test {
protected:

    // An archive in the test folder, opened with the folder as its base path.
    void OpenArchive(const std::vector<TDpgFile> &files)
    {
        WriteBytes(Dir / "Data.dpg", BuildDpg(files));
        Archive.LoadFromFile(Base + "Data.dpg");
        Archive.SetPath(Base);
    }

    std::string Refusal(const std::vector<std::uint8_t> &image)
    {
        WriteBytes(Dir / "Bad.dpg", image);
        TExtractor archive;
        try {
            archive.LoadFromFile(Base + "Bad.dpg");
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(archive.Count(), 0);
            return e.what();
        }
        return "accepted";
    }

    TTempDir Temp{"archive"};
    const fs::path &Dir = Temp.Path;
    const std::string Base = Dir.string() + "/";
    TExtractor Archive;
};

} // namespace

TEST_F(ArchiveTest, EntriesAreFoundIgnoringLetterCaseAndReadWhole)
{
    OpenArchive({{"Data\\Menu\\Logo.png", Bytes("logo bytes")},
                 {"Data\\Maps\\Level1.ses", Bytes("first")},
                 {"DATA\\MAPS\\LEVEL1.SES", Bytes("second")}});
    EXPECT_EQ(Archive.Count(), 3);
    EXPECT_EQ(Archive.Directory[0].StoredName, "Data\\Menu\\Logo.png");
    EXPECT_EQ(Archive.Directory[0].Name, "DATA\\MENU\\LOGO.PNG");

    const int logo = Archive.FindFile(Base + "data\\menu\\logo.png");
    ASSERT_EQ(logo, 0);
    EXPECT_EQ(Archive.ReadFile(logo), Bytes("logo bytes"));
    EXPECT_EQ(Archive.FileSize(logo), 10u);
    EXPECT_EQ(Archive.FindFile(Base + "Data/Menu/Logo.png"), 0);
    EXPECT_EQ(Archive.FindFile(Base + "Data\\Maps\\level1.ses"), 1);   // the first of two equal names wins
    EXPECT_EQ(Archive.FindFile(Base + "Data\\Menu\\Logo.pn"), -1);
    EXPECT_EQ(Archive.FindFile("Data\\Menu\\Logo.png"), -1);           // the base path is part of the name

    for (int bad : {-1, 3, 1000}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(
            try { Archive.ReadFile(bad); } catch (const std::runtime_error &e) {
                EXPECT_STREQ(e.what(), "File Index in DPG archive out of range");
                throw;
            },
            std::runtime_error);
        EXPECT_THROW(Archive.FileSize(bad), std::runtime_error);
    }
}

TEST_F(ArchiveTest, LooseFileOverridesTheArchiveAndMissingFilesAreNamed)
{
    OpenArchive({{"Data\\Menu\\Logo.png", Bytes("packed")}, {"Data\\Only.txt", Bytes("archive only")}});
    WriteBytes(Dir / "Data" / "Menu" / "logo.PNG", Bytes("loose"));
    EXPECT_EQ(TSimpleFile(Base + "Data\\Menu\\Logo.png", &Archive).Data, Bytes("loose"));
    EXPECT_EQ(TSimpleFile(Base + "Data\\Only.txt", &Archive).Data, Bytes("archive only"));
    WriteBytes(Dir / "Data" / "Loose.txt", Bytes("disk only"));
    EXPECT_EQ(TSimpleFile(Base + "Data\\Loose.txt", nullptr).Data, Bytes("disk only"));
    try {
        TSimpleFile(Base + "Data\\Missing.txt", &Archive);
        ADD_FAILURE() << "opened";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "File not found: \"" + Base + "Data\\Missing.txt\"");
    }
}

TEST_F(ArchiveTest, ArchiveThatShrankAfterOpeningIsAnError)
{
    OpenArchive({{"Data\\A.bin", std::vector<std::uint8_t>(1000, 7)}});
    fs::resize_file(Dir / "Data.dpg", fs::file_size(Dir / "Data.dpg") - 10);
    try {
        Archive.ReadFile(0);
        ADD_FAILURE() << "read";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot read \"DATA\\A.BIN\" from the archive \"" + Base + "Data.dpg\": the file ends early");
    }
}

TEST_F(ArchiveTest, DamagedArchivesAreRefusedBeforeAnythingIsRead)
{
    const std::vector<std::uint8_t> good = BuildDpg({{"Data\\A.txt", Bytes("hello")}, {"Data\\B.txt", Bytes("world")}});
    const std::string name = "Archive \"" + Base + "Bad.dpg\" is damaged: ";
    struct Case {
        const char *what;
        std::vector<std::uint8_t> image;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, name + "it is too short to hold a header"});
    cases.push_back({"cut header", {0, 1, 0}, name + "it is too short to hold a header"});
    {
        auto image = good;
        image.resize(DpgHeaderSize + DpgEntrySize + 10);
        cases.push_back({"cut directory", image, name + "its directory of 2 entries runs past the end of the file"});
    }
    {
        auto image = good;
        PutU32(image, 1, 0xFFFFFFFFu);
        cases.push_back({"absurd count", image, name + "its directory of 4294967295 entries runs past the end of the file"});
    }
    {
        auto image = good;
        std::memset(image.data() + DpgHeaderSize + DpgEntrySize, 'x', DpgNameSize);
        cases.push_back({"name without its zero", image, name + "the name of entry 1 has no terminating zero"});
    }
    {
        auto image = good;
        PutU32(image, DpgHeaderSize + DpgEntrySize + 264, 6);   // one byte too many
        cases.push_back({"size past the end", image, name + "entry \"Data\\B.txt\" reaches past the end of the file"});
    }
    {
        auto image = good;
        PutU32(image, DpgHeaderSize + 260, 0xFFFFFFF0u);
        cases.push_back({"offset past the end", image, name + "entry \"Data\\A.txt\" reaches past the end of the file"});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Refusal(c.image), c.message);
    }
    EXPECT_EQ(Refusal(BuildDpg({})), "accepted");   // an empty archive is fine
}

TEST_F(ArchiveTest, ReopeningReplacesTheDirectory)
{
    OpenArchive({{"Data\\A.txt", Bytes("a")}});
    WriteBytes(Dir / "Other.dpg", BuildDpg({{"Data\\B.txt", Bytes("b")}, {"Data\\C.txt", Bytes("c")}}));
    Archive.LoadFromFile(Base + "Other.dpg");
    EXPECT_EQ(Archive.Count(), 2);
    EXPECT_EQ(Archive.BasePath, "");
    Archive.SetPath(Base);
    EXPECT_EQ(Archive.FindFile(Base + "Data\\A.txt"), -1);
    EXPECT_EQ(Archive.ReadFile(Archive.FindFile(Base + "Data\\C.txt")), Bytes("c"));
}

class FileObjectTest : public ArchiveTest {
protected:
    template <class T> T Open(const std::string &content)
    {
        OpenArchive({{"Data\\F", Bytes(content)}});
        return T(Base + "Data\\F", &Archive);
    }
};

TEST_F(FileObjectTest, TextLinesEndOnlyAtCarriageReturn)
{
    TTextFile file = Open<TTextFile>("first\r\n  second \t\r\nthird\nstill third");
    EXPECT_EQ(file.ReadLine(), "first");
    EXPECT_EQ(file.ReadLine(), "  second \t");
    EXPECT_EQ(file.ReadLine(), "third\nstill third");   // a final line without a break comes whole
    EXPECT_TRUE(file.Eof());
    try {
        file.ReadLine();
        ADD_FAILURE() << "read past the end";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Riched End Of File");
    }
}

TEST_F(FileObjectTest, TrimmedNonEmptyLinesAndValues)
{
    TTextFile file = Open<TTextFile>("\r\n   \r\n\tName\x01 \r\n  Speed =  12  \r\nNo equals here\r\nA=b=c\r\n\r\n \r\n");
    EXPECT_EQ(file.ReadNonEmptyLine(), "Name");
    EXPECT_EQ(file.ReadValue(), "12");
    EXPECT_EQ(file.ReadValue(), "No equals here");
    EXPECT_EQ(file.ReadValue(), "b=c");
    EXPECT_EQ(file.ReadNonEmptyLine(), "");   // only blank lines left: empty at the end
    EXPECT_TRUE(file.Eof());

    TTextFile lone = Open<TTextFile>("x\r");   // a carriage return at the very end
    EXPECT_EQ(lone.ReadLine(), "x");
    EXPECT_TRUE(lone.Eof());

    TTextFile longValue = Open<TTextFile>("Key=" + std::string(300, 'v'));
    EXPECT_EQ(longValue.ReadValue(), std::string(255, 'v'));   // at most 255 characters after the "="
}

TEST_F(FileObjectTest, IntegersAndBlocksNeverReadPastTheEnd)
{
    TIntegerFile ints = Open<TIntegerFile>(std::string("\x01\x00\x00\x00\xFE\xFF\xFF\xFF\x07\x00", 10));
    EXPECT_EQ(ints.ReadInt(), 1);
    EXPECT_EQ(ints.ReadInt(), -2);
    EXPECT_THROW(ints.ReadInt(), std::runtime_error);   // two bytes left: not an integer

    TMemFile mem = Open<TMemFile>("abcdef");
    char block[8] = {};
    mem.ReadBytes(block, 4);
    EXPECT_EQ(std::string(block, 4), "abcd");
    EXPECT_THROW(mem.ReadBytes(block, 3), std::runtime_error);
    mem.ReadBytes(block, 2);
    EXPECT_EQ(std::string(block, 2), "ef");
    try {
        mem.ReadBytes(block, 1);
        ADD_FAILURE() << "read past the end";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Riched End Of File");
    }
}

TEST_F(FileObjectTest, StreamReadsAndSeeks)
{
    TArchiveStream stream = Open<TArchiveStream>("0123456789");
    char block[16] = {};
    EXPECT_EQ(stream.Read(block, 4), 4u);
    EXPECT_EQ(std::string(block, 4), "0123");
    EXPECT_EQ(stream.Seek(2, 1), 6);
    EXPECT_EQ(stream.Read(block, 16), 4u);
    EXPECT_EQ(std::string(block, 4), "6789");
    EXPECT_EQ(stream.Read(block, 16), 0u);
    EXPECT_EQ(stream.Seek(3, 2), 7);    // from the end: size - offset
    EXPECT_EQ(stream.Seek(1, 0), 1);
    EXPECT_EQ(stream.Seek(-5, 1), 0);   // kept inside the file
    EXPECT_EQ(stream.Seek(50, 0), 10);
    EXPECT_EQ(stream.Read(block, 1), 0u);
}
