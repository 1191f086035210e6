#include "core/Text.h"

#include <gtest/gtest.h>

TEST(Text, RussianStartUpLinesAreWindows1251Bytes)
{
    EXPECT_EQ(Cp1251FromUtf8("Запуск игры"), "\xC7\xE0\xEF\xF3\xF1\xEA \xE8\xE3\xF0\xFB");
    EXPECT_EQ(Cp1251FromUtf8("Загружаются меню"), "\xC7\xE0\xE3\xF0\xF3\xE6\xE0\xFE\xF2\xF1\xFF \xEC\xE5\xED\xFE");
}

TEST(Text, RoundTripsEveryAssignedByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98)
            all += char(b);
    EXPECT_EQ(Cp1251FromUtf8(Utf8FromCp1251(all)), all);
    EXPECT_EQ(Utf8FromCp1251("\xA8\xB8\xB9"), "Ёё№");
}

TEST(Text, UnmappableAndMalformedInputBecomeQuestionMarks)
{
    EXPECT_EQ(Cp1251FromUtf8("a\xE2\x82"), "a??");           // a cut-off sequence
    EXPECT_EQ(Cp1251FromUtf8("\xFF" "b"), "?b");             // not UTF-8 at all
    EXPECT_EQ(Cp1251FromUtf8("日本"), "??");                  // no Windows-1251 byte for these
    EXPECT_EQ(Utf8FromCp1251("\x98"), "\xEF\xBF\xBD");        // the one unassigned byte
}
