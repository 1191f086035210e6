#include "core/Bytes.h"
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
        StoreU32(image.data() + 1, 0xFFFFFFFFu);
        cases.push_back({"absurd count", image, name + "its directory of 4294967295 entries runs past the end of the file"});
    }
    {
        auto image = good;
        std::memset(image.data() + DpgHeaderSize + DpgEntrySize, 'x', DpgNameSize);
        cases.push_back({"name without its zero", image, name + "the name of entry 1 has no terminating zero"});
    }
    {
        auto image = good;
        StoreU32(image.data() + DpgHeaderSize + DpgEntrySize + 264, 6);   // one byte too many
        cases.push_back({"size past the end", image, name + "entry \"Data\\B.txt\" reaches past the end of the file"});
    }
    {
        auto image = good;
        StoreU32(image.data() + DpgHeaderSize + 260, 0xFFFFFFF0u);
        cases.push_back({"offset past the end", image, name + "entry \"Data\\A.txt\" reaches past the end of the file"});
    }
    {
        // 0xFFFFFFFC + 5 is 1 in 32 bits: inside the file for a reader that lets it wrap.
        auto image = good;
        StoreU32(image.data() + DpgHeaderSize + 260, 0xFFFFFFFCu);
        cases.push_back({"offset and size wrap", image,
                         name + "entry \"Data\\A.txt\" has a data offset (4294967292) and size (5) that wrap past 4 GiB"});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Refusal(c.image), c.message);
    }
    EXPECT_EQ(Refusal(BuildDpg({})), "accepted");   // an empty archive is fine
}

// An archive laid out byte by byte as the format describes it, not as our writer makes it: the
// leading byte and the field at 256 carry values, bytes after a name's zero are not zeros, and the
// data lie out of directory order with a gap between them.
TEST_F(ArchiveTest, HandMadeArchiveReadsAsLaidOut)
{
    std::vector<std::uint8_t> image = {
        0x5A,                     // leading byte
        0x02, 0x00, 0x00, 0x00,   // two entries; the directory ends at 5 + 2 x 268 = 541
    };
    auto entry = [&](const std::string &name, std::vector<std::uint8_t> fields) {
        const std::size_t start = image.size();
        image.insert(image.end(), name.begin(), name.end());
        image.push_back(0);
        image.resize(start + 256, 0xEE);   // ignored after the zero
        image.insert(image.end(), fields.begin(), fields.end());
    };
    entry("Data\\Menu\\Hello.txt", {0xEF, 0xBE, 0xAD, 0xDE,    // 0xDEADBEEF, not interpreted
                                    0x21, 0x02, 0x00, 0x00,    // data at 545
                                    0x05, 0x00, 0x00, 0x00});  // 5 bytes
    entry("data/maps/x.bin", {0x00, 0x00, 0x00, 0x00,
                              0x1D, 0x02, 0x00, 0x00,          // data at 541, right after the directory
                              0x03, 0x00, 0x00, 0x00});        // 3 bytes
    ASSERT_EQ(image.size(), 541u);
    for (const char c : std::string("xyz#Hello"))   // "#" belongs to no entry
        image.push_back(std::uint8_t(c));
    WriteBytes(Dir / "Hand.dpg", image);
    Archive.LoadFromFile(Base + "Hand.dpg");
    Archive.SetPath(Base);

    ASSERT_EQ(Archive.Count(), 2);
    EXPECT_EQ(Archive.Directory[0].StoredName, "Data\\Menu\\Hello.txt");
    EXPECT_EQ(Archive.Directory[0].Name, "DATA\\MENU\\HELLO.TXT");
    EXPECT_EQ(Archive.Directory[0].Reserved, 0xDEADBEEFu);
    EXPECT_EQ(Archive.Directory[0].Offset, 545u);
    EXPECT_EQ(Archive.FileSize(0), 5u);
    EXPECT_EQ(Archive.Directory[1].StoredName, "data/maps/x.bin");
    EXPECT_EQ(Archive.Directory[1].Name, "DATA\\MAPS\\X.BIN");
    EXPECT_EQ(Archive.Directory[1].Offset, 541u);
    EXPECT_EQ(Archive.FileSize(1), 3u);
    EXPECT_EQ(Archive.ReadFile(Archive.FindFile(Base + "Data\\Menu\\Hello.txt")), Bytes("Hello"));
    EXPECT_EQ(Archive.ReadFile(Archive.FindFile(Base + "Data\\Maps\\X.bin")), Bytes("xyz"));
}

// The writer lays an archive out as the format says, byte for byte.
TEST(DpgWriter, OneEntryArchiveBytes)
{
    std::vector<std::uint8_t> expected = {0x00, 0x01, 0x00, 0x00, 0x00, 'A'};   // one entry named "A"
    expected.resize(5 + 256, 0x00);                                             // its zero and padding
    expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x00,                    // the field at 256
                                     0x11, 0x01, 0x00, 0x00,                    // data at 5 + 268 = 273
                                     0x02, 0x00, 0x00, 0x00, 'h', 'i'});        // 2 bytes, then the data
    EXPECT_EQ(BuildDpg({{"A", Bytes("hi")}}), expected);
    EXPECT_EQ(BuildDpg({}), (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));
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

TEST_F(FileObjectTest, LinesEndAtLineFeedCarriageReturnOrBoth)
{
    struct Case {
        const char *what;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "first\r\n  second \t\r\nlast", {"first", "  second \t", "last"}},
        {"LF", "first\n  second \t\nlast", {"first", "  second \t", "last"}},
        {"lone CR keeps the next line whole", "first\rsecond\rlast\r", {"first", "second", "last"}},
        {"mixed", "a\r\nb\nc\rd\n\re", {"a", "b", "c", "d", "", "e"}},
        {"empty lines", "\n\r\n\rx\n", {"", "", "", "x"}},
        {"one line without an end", "only", {"only"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TTextFile file = Open<TTextFile>(c.text);
        std::vector<std::string> lines;
        while (!file.Eof())
            lines.push_back(file.ReadLine());
        EXPECT_EQ(lines, c.lines);
        try {
            file.ReadLine();
            ADD_FAILURE() << "read past the end";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "Riched End Of File");
        }
    }
    // The values of a file edited on Linux read as they do from the one the game ships.
    TTextFile lfOnly = Open<TTextFile>("Speed = 12\nName= Viper\n");
    EXPECT_EQ(lfOnly.ReadValue(), "12");
    EXPECT_EQ(lfOnly.ReadValue(), "Viper");
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
