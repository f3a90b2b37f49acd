#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

#include "core/util.h"

namespace {

TEST(UtilGeometryTest, FastSqrtStaysWithinTheTablePrecision) {
    InitSqrtTable();
    for (float v : {1e-6f, 0.01f, 0.5f, 1.0f, 2.0f, 3.0f, 25.0f, 99.0f, 1000.0f, 12345.6f, 1e8f, 3e12f}) {
        SCOPED_TRACE(v);
        EXPECT_NEAR(FastSqrt(v), std::sqrt(v), std::sqrt(v) * 0.005f);
    }
    EXPECT_EQ(FastSqrt(0.0f), 0.0f);
    EXPECT_EQ(FastSqrt(-4.0f), 0.0f);
    EXPECT_EQ(FastSqrt(NAN), 0.0f);
}

// The root by the table, with the table entry computed here from the library square root.
float ReferenceFastSqrt(float value) {
    uint32_t bits = std::bit_cast<uint32_t>(value);
    uint32_t i = (bits >> 16) & 0xFF;
    float key = std::bit_cast<float>((i << 16) | (i < 128 ? 0x40000000u : 0x3F800000u) | 0x8000u);
    uint32_t entry =
        (std::bit_cast<uint32_t>(std::sqrt(key)) & 0x7FFFFFu) + (i < 128 ? 0x1F800000u : 0x20000000u);
    return std::bit_cast<float>(((bits >> 1) & 0x3F800000u) + entry);
}

TEST(UtilGeometryTest, EveryTableEntryMatchesTheLibraryRoot) {
    for (uint32_t i = 0; i < 256; ++i) {
        for (uint32_t exponent : {100u, 126u, 127u, 128u, 150u}) {
            // Exponent parity comes from the entry's high bit.
            uint32_t e = (exponent & ~1u) | (i >> 7);
            float value = std::bit_cast<float>(e << 23 | (i & 0x7F) << 16 | 0x1234u);
            ASSERT_EQ(std::bit_cast<uint32_t>(FastSqrt(value)),
                      std::bit_cast<uint32_t>(ReferenceFastSqrt(value)))
                << "entry " << i << " value " << value;
        }
    }
}

TEST(UtilGeometryTest, Distances) {
    EXPECT_NEAR(GetDistance(0, 0, 3, 4), 5.0f, 0.03f);
    EXPECT_NEAR(GetDistance(-3000, 100, 0, 4100), 5000.0f, 25.0f);
    EXPECT_EQ(GetDistance(7, 7, 7, 7), 0.0f);
    EXPECT_NEAR(GetDistance3D(1, 2, 3, 4, 6, 15), 13.0f, 0.07f);
    EXPECT_EQ(GetDistance3D(1, 2, 3, 1, 2, 3), 0.0f);
    // y counts twice: sqrt(2*2 + 2*1*1).
    EXPECT_NEAR(GetWeightedDistance(0, 0, 2, 1, 2.0f), std::sqrt(6.0f), 0.015f);
    EXPECT_EQ(GetWeightedDistance(5, 5, 5, 5, 2.0f), 0.0f);
}

TEST(UtilGeometryTest, AnglesAndDirections) {
    struct Case {
        float dx, dy;
        float angle;
        int direction;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {10, 0, 0, 4},
        {10, 10, 45, 6},
        {0, 10, 90, 8},
        {-10, 10, 135, 10},
        {-10, 0, 180, 12},
        {-10, -10, 225, 14},
        {0, -10, 270, 0},
        {10, -10, 315, 2},
        // The sector bounds are not symmetric: slightly up is still "right".
        {10, -2, 348.69f, 4},
        {10, -3, 343.30f, 2},
        {10, 5, 26.57f, 4},
        {10, 6, 30.96f, 6},
        {10, 17, 59.53f, 6},
        {10, 18, 60.95f, 8},
        {10, -37, 285.12f, 2},
        {10, -38, 284.74f, 0},
        {-10, 2, 168.69f, 12},
        {-10, -18, 240.95f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.dx << ", " << c.dy << ")");
        // Away from the origin, so that only the difference matters.
        EXPECT_NEAR(GetAngle(100, 200, 100 + c.dx, 200 + c.dy), c.angle, 0.01f);
        EXPECT_EQ(GetDirection(100, 200, 100 + c.dx, 200 + c.dy), c.direction);
    }
}

TEST(UtilGeometryTest, LinesPointsAndRectangles) {
    float slope = -1, offset = -1;
    LineThroughPoints(1, 3, 3, 7, slope, offset);
    EXPECT_FLOAT_EQ(slope, 2.0f);
    EXPECT_FLOAT_EQ(offset, 1.0f);
    LineThroughPoints(4, 3, 4, 9, slope, offset);
    EXPECT_FLOAT_EQ(slope, 0.0f);
    EXPECT_FLOAT_EQ(offset, 3.0f);

    FPoint mid = MidPoint(-2, 4, 6, 10);
    EXPECT_FLOAT_EQ(mid.x, 2.0f);
    EXPECT_FLOAT_EQ(mid.y, 7.0f);

    struct RectCase {
        float a[4], b[4];
        bool overlap;
    };
    const RectCase rects[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, true},
        {{0, 0, 10, 10}, {2, 2, 3, 3}, true},  // one inside the other
        {{0, 0, 10, 10}, {11, 0, 20, 10}, false},
        {{0, 0, 10, 10}, {0, 11, 10, 20}, false},
        {{0, 0, 10, 10}, {10, 10, 20, 20}, true},  // corners touch
        {{10, 10, 0, 0}, {15, 15, 5, 5}, true},    // corners given the other way round
        {{10, 10, 0, 0}, {-1, -1, -5, -5}, false},
    };
    for (const RectCase& r : rects) {
        EXPECT_EQ(RectsOverlap(r.a[0], r.a[1], r.a[2], r.a[3], r.b[0], r.b[1], r.b[2], r.b[3]), r.overlap);
        EXPECT_EQ(RectsOverlap(r.b[0], r.b[1], r.b[2], r.b[3], r.a[0], r.a[1], r.a[2], r.a[3]), r.overlap);
    }

    struct OffCase {
        int left, top, right, bottom;
        bool far;
    };
    const OffCase offs[] = {
        {0, 0, 800, 600, false},   {-2000, 0, -1001, 10, true}, {-2000, 0, -1000, 10, false},
        {1800, 0, 1900, 10, true}, {1799, 0, 1900, 10, false},  {0, -2000, 10, -1001, true},
        {0, 1600, 10, 1700, true}, {0, 1599, 10, 1700, false},
    };
    for (const OffCase& o : offs) {
        EXPECT_EQ(IsFarOffScreen(o.left, o.top, o.right, o.bottom), o.far)
            << o.left << "," << o.top << "," << o.right << "," << o.bottom;
    }
}

TEST(UtilGeometryTest, RandomSignGivesBothSigns) {
    std::srand(1);
    bool seen[2] = {false, false};
    for (int i = 0; i < 200; ++i) {
        int s = RandomSign();
        ASSERT_TRUE(s == 1 || s == -1);
        seen[s > 0] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

TEST(UtilPixelTest, ColoursByIndex) {
    const uint32_t expected[8] = {0x0000FF, 0xFF0000, 0xFFFFFF, 0x000000,
                                  0x004080, 0x00FFFF, 0x8000FF, 0x808080};
    for (int i = 0; i < 8; ++i) {
        uint32_t colour = 0x12345678;
        SetColorByIndex(colour, i);
        EXPECT_EQ(colour, expected[i]) << "index " << i;
    }
    for (int i : {-1, 8, 100}) {
        uint32_t colour = 0x12345678;
        SetColorByIndex(colour, i);
        EXPECT_EQ(colour, 0x12345678u) << "index " << i;
    }
}

TEST(UtilPixelTest, PixelConversions) {
    struct Case {
        uint32_t rgb;
        uint16_t p565, p555;
    };
    const Case cases[] = {
        {0xFFFFFF, 0xFFFF, 0x7FFF}, {0xFF0000, 0xF800, 0x7C00}, {0x00FF00, 0x07E0, 0x03E0},
        {0x0000FF, 0x001F, 0x001F}, {0x000000, 0x0000, 0x0000}, {0x070307, 0x0000, 0x0000},
        {0x808080, 0x8410, 0x4210},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.rgb);
        EXPECT_EQ(Rgb888To565(c.rgb), c.p565);
        EXPECT_EQ(Rgb888To555(c.rgb), c.p555);
        EXPECT_EQ(Rgb565To555(c.p565), c.p555);
    }

    auto grey565 = [](int g) { return uint16_t(g << 11 | std::min(2 * g, 63) << 5 | g); };
    auto grey555 = [](int g) { return uint16_t(g << 10 | g << 5 | g); };
    // White: 0.3*31 + 0.59*31 + 0.1*31 + 0.01 = 30.7.
    EXPECT_EQ(GreyPixel565(0xFFFF), grey565(30));
    EXPECT_EQ(GreyPixel565(0x0000), grey565(0));
    EXPECT_EQ(GreyPixel565(0x001F), grey565(9));   // low field only: 9.31
    EXPECT_EQ(GreyPixel565(0x07C0), grey565(18));  // top five bits of the middle field: 18.30
    EXPECT_EQ(GreyPixel565(0x0020), grey565(0));   // the middle field's lowest bit does not count
    EXPECT_EQ(GreyPixel565(0xF800), grey565(3));   // top field only: 3.11
    EXPECT_EQ(GreyPixel555(0x7FFF), grey555(30));
    EXPECT_EQ(GreyPixel555(0x03E0), grey555(18));
    EXPECT_EQ(GreyPixel555(0x001F), grey555(9));
}

}  // namespace
