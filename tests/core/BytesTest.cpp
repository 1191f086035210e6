// The one byte reader and writer of the binary formats and the network messages.

#include "core/Bytes.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(Bytes, ReadsLittleEndianFieldsAsLaidOut)
{
    // Written by hand: int32 -2, uint32 0x12345678, int16 -300, byte 7, float 1.5, "ab\0",
    // then an int32-length string "xyz".
    const std::vector<std::uint8_t> bytes = {0xFE, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xD4, 0xFE, 0x07,
                                             0x00, 0x00, 0xC0, 0x3F, 'a',  'b',  0x00, 0x03, 0x00, 0x00, 0x00,
                                             'x',  'y',  'z'};
    TByteReader in(bytes, "Test: ");
    EXPECT_EQ(in.Int("a"), -2);
    EXPECT_EQ(in.UInt("b"), 0x12345678u);
    EXPECT_EQ(in.Short("c"), -300);
    EXPECT_EQ(in.Byte("d"), 7);
    EXPECT_EQ(in.Float("e"), 1.5f);
    EXPECT_EQ(in.ZString("f"), "ab");
    EXPECT_EQ(in.String("g"), "xyz");
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.Overflow());

    TByteWriter out;
    out.Int(-2);
    out.UInt(0x12345678u);
    out.Short(-300);
    out.Byte(7);
    out.Float(1.5f);
    out.ZString("ab");
    out.String("xyz");
    EXPECT_EQ(out.Out, bytes);
}

TEST(Bytes, AThrowingReaderNamesTheFieldItCouldNotRead)
{
    // An int32 of 9 and two bytes that are no string's end.
    const std::vector<std::uint8_t> bytes = {9, 0, 0, 0, 2, 3};
    const auto fault = [&](auto read) -> std::string {
        TByteReader in(bytes, "Model \"X.otm\" is damaged: ");
        try {
            read(in);
        } catch (const std::runtime_error &e) {
            return e.what();
        }
        return "read";
    };
    EXPECT_EQ(fault([](TByteReader &in) { in.Int("count"); in.Int("size"); }),
              "Model \"X.otm\" is damaged: the file ends inside size");
    EXPECT_EQ(fault([](TByteReader &in) { in.Skip(4); in.ZString("the name"); }),
              "Model \"X.otm\" is damaged: the name has no terminating zero");
    EXPECT_EQ(fault([](TByteReader &in) { in.String("the name"); }),
              "Model \"X.otm\" is damaged: the file ends inside the name");
    // A count that would wrap a 64-bit size is still just too big.
    EXPECT_EQ(fault([](TByteReader &in) { in.Need(~std::uint64_t(0), "the faces"); }),
              "Model \"X.otm\" is damaged: the file ends inside the faces");
    EXPECT_EQ(fault([](TByteReader &in) { in.Int(); in.Short(); }), "read");
}

TEST(Bytes, AMessageReaderStopsAtItsEndAndStaysStopped)
{
    // A message of 6 bytes read as three int32s: the second is short, and so is everything after it,
    // even a read that would fit in what was left.
    const std::vector<std::uint8_t> bytes = {5, 0, 0, 0, 9, 9};
    TByteReader in(bytes);
    EXPECT_EQ(in.Int(), 5);
    EXPECT_FALSE(in.Overflow());
    EXPECT_EQ(in.Int(), 0);
    EXPECT_TRUE(in.Overflow());
    EXPECT_EQ(in.Byte(), 0);
    EXPECT_EQ(in.Left(), 0u);
    std::uint8_t copy[3] = {1, 1, 1};
    in.Bytes(copy, 3);
    EXPECT_EQ(copy[0] + copy[1] + copy[2], 0);
    EXPECT_TRUE(in.Overflow());

    // A negative string length is a short message too, never a huge allocation.
    const std::vector<std::uint8_t> lying = {0xFF, 0xFF, 0xFF, 0xFF, 'a'};
    TByteReader text(lying);
    EXPECT_EQ(text.String(), "");
    EXPECT_TRUE(text.Overflow());
    // An empty message reads as nothing.
    TByteReader empty(nullptr, 0);
    EXPECT_EQ(empty.ZString(), "");
    EXPECT_TRUE(empty.Overflow());
}

TEST(Bytes, APatchedCountLandsWhereItWasLeft)
{
    TByteWriter out;
    out.UInt(0);
    out.Byte(1);
    out.PatchUInt(0, 0xA1B2C3D4u);
    out.PatchUInt(3, 7);   // would run past the end: ignored
    EXPECT_EQ(out.Out, (std::vector<std::uint8_t>{0xD4, 0xC3, 0xB2, 0xA1, 1}));
}
