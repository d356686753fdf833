#include "intercom/BitArray.h"

#include <gtest/gtest.h>

using vexilor::CBitArray;

TEST(BitArray, BitsLiveLeastSignificantFirst)
{
    CBitArray bits(20);
    bits.set(0);
    bits.set(9);
    bits.set(19);
    ASSERT_EQ(bits.byteCount(), 3u);
    EXPECT_EQ(bits.data()[0], 0x01);
    EXPECT_EQ(bits.data()[1], 0x02);
    EXPECT_EQ(bits.data()[2], 0x08);
    EXPECT_EQ(bits.countSet(), 3u);
}

TEST(BitArray, AccessOutsideTheCountIsIgnored)
{
    CBitArray none;
    none.set(3);
    EXPECT_FALSE(none.test(3));
    EXPECT_FALSE(none.hasStorage());

    CBitArray bits(10);
    bits.set(10);
    bits.set(15);
    EXPECT_FALSE(bits.test(10));
    EXPECT_EQ(bits.countSet(), 0u);
    bits.grow(16);
    EXPECT_FALSE(bits.test(15)) << "bits past the old count must come up clear";
}

TEST(BitArray, GrowKeepsBitsAndNeverShrinks)
{
    CBitArray bits(5);
    bits.set(4);
    bits.grow(100);
    EXPECT_EQ(bits.count(), 100u);
    EXPECT_TRUE(bits.test(4));
    bits.grow(50);
    EXPECT_EQ(bits.count(), 100u);
    bits.setSize(100);
    EXPECT_FALSE(bits.test(4)) << "setSize starts over";
    CBitArray empty;
    empty.grow(1);
    EXPECT_TRUE(empty.hasStorage());
}

TEST(BitArray, SetRangeIsClippedToTheCount)
{
    struct Case { std::uint32_t count, start, n, expected; };
    const Case cases[] = {
        {64, 3, 50, 50}, {64, 60, 10, 4}, {64, 64, 5, 0}, {17, 0, 17, 17}, {17, 8, 0xFFFFFFFF, 9},
    };
    for (const Case& c : cases) {
        CBitArray bits(c.count);
        bits.setRange(c.start, c.n);
        EXPECT_EQ(bits.countSet(), c.expected) << c.start << "+" << c.n;
        if (c.expected > 0) {
            EXPECT_EQ(bits.nextSet(0), std::int64_t(c.start));
            EXPECT_FALSE(bits.test(c.start + c.expected));
        }
    }
}

TEST(BitArray, NextSetFindsEachBitThenMinusOne)
{
    CBitArray bits(300);
    bits.set(0);
    bits.set(77);
    bits.set(299);
    EXPECT_EQ(bits.nextSet(0), 0);
    EXPECT_EQ(bits.nextSet(1), 77);
    EXPECT_EQ(bits.nextSet(78), 299);
    EXPECT_EQ(bits.nextSet(300), -1);
    EXPECT_EQ(CBitArray().nextSet(0), -1);
}

TEST(BitArray, EqualityNeedsStorageOnBothSides)
{
    CBitArray a(12), b(12), c(13);
    a.set(11);
    b.set(11);
    c.set(11);
    EXPECT_TRUE(a.equals(b));
    EXPECT_FALSE(a.equals(c));
    EXPECT_FALSE(CBitArray().equals(CBitArray())) << "two empty arrays are not equal";
    CBitArray copy(a);
    EXPECT_TRUE(copy.equals(a));
}

TEST(BitArray, LoadBytesTakesOnlyTheCountedBits)
{
    const std::uint8_t buffer[] = {0xFF, 0xFF};
    CBitArray bits(11);
    bits.loadBytes(buffer);
    EXPECT_EQ(bits.countSet(), 11u);
    EXPECT_EQ(bits.data()[1], 0x07);
}
