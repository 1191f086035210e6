#include "data/Locale.h"

#include "core/Text.h"
#include "data/Extractor.h"

#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class LocaleTest : public testing::Test {
protected:

    TLocale Make(const std::string &utf8Lines, int language)
    {
        std::ofstream(Path, std::ios::binary) << Cp1251FromUtf8(utf8Lines);
        return TLocale(Path, nullptr, language);
    }

    TTempDir Temp{"locale"};
    const std::string Path = (Temp.Path / "Locale.txt").string();
};

const std::string Table = "[0] images\r\nLogo.png\r\nLogo_rus.png\r\n"
                          "[1] menu\r\nStart Game\r\nНачать игру\r\nStart Game\r\nВторой перевод\r\nExit\r\nВыход\r\n"
                          "[2] questions\r\nYES\r\nДА\r\n";

} // namespace

TEST_F(LocaleTest, RussianLookupRules)
{
    const TLocale locale = Make(Table, 1);
    ASSERT_EQ(locale.Sections.size(), 3u);
    EXPECT_EQ(locale.Sections[1].Name, "[1] menu");
    struct Case {
        const char *text;
        int section;
        std::string expected;
    } cases[] = {
        {"Start Game", 1, Cp1251FromUtf8("Начать игру")},   // the first of two equal keys wins
        {"start game", 1, Cp1251FromUtf8("Начать игру")},   // ASCII letter case does not matter
        {"START GAME", 1, Cp1251FromUtf8("Начать игру")},
        {"Start Game ", 1, "Start Game "},                 // a trailing blank does not match
        {"Start", 1, "Start"},
        {"Start Game", 2, "Start Game"},                   // another section's text is not translated
        {"Logo.png", 0, "Logo_rus.png"},
        {"YES", 2, Cp1251FromUtf8("ДА")},
        {"YES", 7, "YES"},                                 // a section the table lacks
        {"YES", -1, "YES"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(locale.Translate(c.text, c.section), c.expected);
    }
}

TEST_F(LocaleTest, EnglishLooksNothingUp)
{
    const TLocale locale = Make(Table, 0);
    EXPECT_EQ(locale.Translate("Start Game", 1), "Start Game");
    EXPECT_EQ(locale.Translate("Logo.png", 0), "Logo.png");
}

TEST_F(LocaleTest, TableSavedWithLinuxLineEndsReadsTheSame)
{
    std::string lfOnly = Table;
    for (std::size_t at; (at = lfOnly.find("\r\n")) != std::string::npos;)
        lfOnly.erase(at, 1);
    const TLocale locale = Make(lfOnly, 1);
    ASSERT_EQ(locale.Sections.size(), 3u);
    EXPECT_EQ(locale.Sections[1].Name, "[1] menu");
    EXPECT_EQ(locale.Sections[1].Items.size(), 3u);
    EXPECT_EQ(locale.Translate("Exit", 1), Cp1251FromUtf8("Выход"));
    EXPECT_EQ(locale.Translate("YES", 2), Cp1251FromUtf8("ДА"));
}

TEST_F(LocaleTest, MalformedTablesLoseOnlyTheBrokenPairs)
{
    // A pair before the first section, and an English line left without its translation at the end.
    const TLocale locale = Make("Stray\r\nБродяга\r\n[0]\r\nLogo.png\r\nLogo_rus.png\r\nDangling", 1);
    ASSERT_EQ(locale.Sections.size(), 1u);
    ASSERT_EQ(locale.Sections[0].Items.size(), 1u);
    EXPECT_EQ(locale.Translate("Logo.png", 0), "Logo_rus.png");
    EXPECT_EQ(locale.Translate("Dangling", 0), "Dangling");
}

TEST_F(LocaleTest, MissingTableIsNamed)
{
    try {
        TLocale locale(Path + ".missing", nullptr, 1);
        ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "File not found: \"" + Path + ".missing\"");
    }
}
