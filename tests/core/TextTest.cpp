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

TEST(Text, FloatsUseTheCommaAndTheShortestGeneralForm)
{
    struct Case {
        double value;
        const char *text;
    } cases[] = {
        {0, "0"},           {0.5, "0,5"},          {-0.25, "-0,25"},      {1, "1"},
        {100, "100"},       {12.75, "12,75"},      {0.1, "0,1"},          {1.0 / 3, "0,333333333333333"},
        {0.00001, "0,00001"}, {0.0000015, "1,5E-6"}, {1e14, "100000000000000"}, {1e15, "1E15"},
        {123456789012345678.0, "1,23456789012346E17"}, {double(0.1f), "0,100000001490116"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToText(c.value), c.text);
        double back = -1;
        ASSERT_TRUE(TextToFloat(c.text, back));
        EXPECT_DOUBLE_EQ(back, std::stod(std::string(c.text) == "0" ? "0" : [&] {
            std::string t = c.text;
            for (char &ch : t)
                if (ch == ',')
                    ch = '.';
            return t;
        }()));
    }
}

TEST(Text, NumberParsingIsStrict)
{
    double f = 0;
    int i = 0;
    for (const char *bad : {"", " ", "0.5", "1,2,3", "abc", "1e", ",", "5 ", "--1", "1,5x"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(TextToFloat(bad, f));
    }
    EXPECT_TRUE(TextToFloat(" -1,5E2", f));
    EXPECT_EQ(f, -150);
    EXPECT_TRUE(TextToFloat("7", f));
    EXPECT_EQ(f, 7);

    for (const char *bad : {"", "-", "1,5", "12 ", "2147483648", "-2147483649", "0x10", "1e3"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(TextToInt(bad, i));
    }
    EXPECT_TRUE(TextToInt("  -2147483648", i));
    EXPECT_EQ(i, -2147483647 - 1);
    EXPECT_TRUE(TextToInt("+42", i));
    EXPECT_EQ(i, 42);
}
