#include "graphics/dtx_format.h"

#include <gtest/gtest.h>

#include "picture_helpers.h"

namespace {

// A unit with an anchor and a shadow angle to see them read back.
DtxUnit Unit(int32_t x, int32_t y, int32_t w, int32_t h) {
    DtxUnit u = qmtest::SheetUnit(x, y, w, h, -3);
    u.shadowAngle = 45;
    return u;
}

TEST(DtxFormatTest, SheetHeaderOfVersionsTwoToFour) {
    const std::vector<DtxUnit> units = {Unit(0, 0, 10, 20), Unit(200, 10, 100, 40)};
    const std::vector<uint16_t> tiles(2 * 65536, 0xF0F0);
    for (uint8_t version : std::initializer_list<uint8_t>{2, 3, 4}) {
        auto bytes = WriteDtxSheet(version, units, 512, 300, tiles);
        CMemorySource src(bytes);
        DtxHeader h;
        ASSERT_TRUE(ReadDtxHeader(src, h)) << int(version);
        EXPECT_EQ(h.version, version);
        EXPECT_TRUE(h.sheet);
        EXPECT_EQ(h.kind, 0);
        ASSERT_EQ(h.units.size(), 2u);
        EXPECT_EQ(h.units[1].x, 200);
        EXPECT_FLOAT_EQ(h.units[1].u, 0.78125f);
        EXPECT_FLOAT_EQ(h.units[1].v, 10.0f / 256);
        EXPECT_EQ(h.units[1].anchorX, -3);
        EXPECT_EQ(h.units[1].shadowAngle, 45);
        EXPECT_EQ(h.columns, 2u);
        EXPECT_EQ(h.rows, 1u);
        EXPECT_EQ(src.Remaining(), 2u * DTX_TILE_BYTES);
    }
}

TEST(DtxFormatTest, PictureKindsAndTheOldSwitch) {
    FramePicture pic;
    std::vector<uint16_t> px = {1, 2};
    AddFrame(pic, px.data(), 2, 1, 0xF81F);
    struct Case {
        uint8_t version, kind, wantKind;
    } cases[] = {{3, 1, 1}, {3, 2, 2}, {2, 2, 1}};
    for (const Case& c : cases) {
        auto bytes = WriteDtxPicture(c.version, c.kind, pic);
        CMemorySource src(bytes);
        DtxHeader h;
        ASSERT_TRUE(ReadDtxHeader(src, h));
        EXPECT_FALSE(h.sheet);
        EXPECT_EQ(h.kind, c.wantKind);
        FramePicture back;
        EXPECT_TRUE(ReadFramePicture(src, 2, false, 2, back));
        EXPECT_EQ(back.frames.size(), 1u);
    }
}

TEST(DtxFormatTest, SheetOf300PixelsHasOneTile) {
    auto bytes =
        WriteDtxSheet(4, {}, 300, 300, std::vector<uint16_t>(4 * 65536, 0));  // more data than one tile
    CMemorySource src(bytes);
    DtxHeader h;
    ASSERT_TRUE(ReadDtxHeader(src, h));
    EXPECT_EQ(h.TileCount(), 1u);
}

TEST(DtxFormatTest, BadSheetsAreRefused) {
    struct Case {
        const char* what;
        uint32_t width, height;
        size_t tiles;
        size_t cut;  // bytes dropped from the end
    } cases[] = {
        {"256 tiles", 4096, 4096, 0, 0},
        {"a grid whose 8-bit product would wrap", 256 * 16, 256 * 17, 0, 0},
        {"huge sizes", 0xFFFFFFFF, 0xFFFFFFFF, 0, 0},
        {"short tile data", 512, 256, 2, 1},
        {"missing second tile", 512, 256, 1, 0},
    };
    for (const Case& c : cases) {
        auto bytes =
            WriteDtxSheet(4, {Unit(0, 0, 1, 1)}, c.width, c.height, std::vector<uint16_t>(c.tiles * 65536));
        bytes.resize(bytes.size() - c.cut);
        CMemorySource src(bytes);
        DtxHeader h;
        std::string error;
        EXPECT_FALSE(ReadDtxHeader(src, h, &error)) << c.what;
        EXPECT_TRUE(h.units.empty()) << c.what;
    }
    // A unit table cut short.
    auto bytes = WriteDtxSheet(4, {Unit(0, 0, 1, 1), Unit(0, 0, 1, 1)}, 0, 0, {});
    for (size_t n = 0; n < bytes.size(); ++n) {
        CMemorySource src(bytes.data(), n);
        DtxHeader h;
        EXPECT_FALSE(ReadDtxHeader(src, h)) << n;
    }
}

}  // namespace
