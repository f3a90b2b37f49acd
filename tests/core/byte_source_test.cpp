#include "core/byte_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(ByteSourceTest, NumbersReadBackAsWritten) {
    CByteWriter w;
    w.U8(0xAB);
    w.U16(0x1234);
    w.I16(-2);
    w.U32(0xDEADBEEF);
    w.I32(-70000);
    w.F32(1.5f);
    w.U8(0x01);
    w.U8(0x02);
    const std::vector<uint8_t> bytes = w.Take();
    ASSERT_EQ(bytes.size(), 19u);
    EXPECT_EQ(bytes[1], 0x34);  // low byte first
    EXPECT_EQ(LoadU32Le(&bytes[5]), 0xDEADBEEFu);

    CMemorySource in(bytes);
    uint8_t u8 = 0;
    uint16_t u16 = 0, be = 0;
    int16_t i16 = 0;
    uint32_t u32 = 0;
    int32_t i32 = 0;
    float f = 0;
    EXPECT_TRUE(in.ReadU8(u8) && in.ReadU16(u16) && in.ReadI16(i16) && in.ReadU32(u32) && in.ReadI32(i32) &&
                in.ReadF32(f) && in.ReadU16Be(be));
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u32, 0xDEADBEEFu);
    EXPECT_EQ(i32, -70000);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(be, 0x0102);  // high byte first
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.ReadU8(u8));
}

TEST(ByteSourceTest, ShortDataAndCountsThatCannotFitAreRefused) {
    const std::vector<uint8_t> bytes(10, 0x7F);
    CMemorySource in(bytes);
    uint32_t v = 0;
    EXPECT_TRUE(in.Skip(7));
    EXPECT_FALSE(in.ReadU32(v));  // three bytes left

    CMemorySource counts(bytes);
    EXPECT_TRUE(counts.FitsCount(5, 2));
    EXPECT_FALSE(counts.FitsCount(6, 2));
    EXPECT_FALSE(counts.FitsCount(UINT64_MAX, 4));  // no overflow of count x size
    EXPECT_TRUE(counts.FitsCount(UINT64_MAX, 0));
    EXPECT_FALSE(counts.Skip(11));
    EXPECT_EQ(counts.Remaining(), 10u);  // a refused skip moves nothing

    // Take hands out bytes in place, and nothing when they are not all there.
    EXPECT_EQ(counts.Take(4), bytes.data());
    EXPECT_EQ(counts.Take(7), nullptr);
    EXPECT_EQ(counts.Position(), 4u);
    EXPECT_EQ(counts.Take(6), bytes.data() + 4);
}

}  // namespace
