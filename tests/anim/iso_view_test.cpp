#include "anim/iso_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

CIsoView OffsetView() {
    CIsoView v;
    v.m_cameraX = 37;
    v.m_cameraY = -19;
    v.m_baseY = 300;
    v.m_viewX = 5;
    v.m_viewY = 11;
    return v;
}

// Whether pixel (sx, sy) lies in the diamond of cell (cx, cy) of a grid whose
// cells are w x h, given the cell's left point (x, y).
bool InDiamond(IsoPoint left, int32_t w, int32_t h, int32_t sx, int32_t sy) {
    const float dx = float(sx) + 0.5f - float(left.x + w / 2);
    const float dy = float(sy) + 0.5f - float(left.y);
    return std::abs(dx) / float(w / 2) + std::abs(dy) / float(h / 2) <= 1.0f;
}

}  // namespace

TEST(IsoViewTest, TileToScreenUsesCameraBaseAndView) {
    const CIsoView v = OffsetView();
    EXPECT_EQ(v.TileToScreen(0, 0), (IsoPoint{-37 + 5, 300 + 19 + 11}));
    EXPECT_EQ(v.TileToScreen(3, 1), (IsoPoint{48 - 37 + 5, -12 + 300 + 19 + 11}));
    EXPECT_EQ(v.BlockToScreen(1, 2), (IsoPoint{144 - 37 + 5, 24 + 300 + 19 + 11}));
}

TEST(IsoViewTest, MapPositionsOnAndOffTheTileGridLieOnOneLine) {
    const CIsoView v = OffsetView();
    // Map (24, 12) is tile (1, 1).
    EXPECT_EQ(v.MapToScreen(24, 12), v.TileToScreen(1, 1));
    EXPECT_EQ(v.MapToScreen(24, 12).x, 24 - 37 + 5);
    // Off the grid the floating-point rule gives the same line through the tiles.
    for (int32_t x = -50; x <= 50; x += 5) {
        for (int32_t y = -30; y <= 30; y += 3) {
            const IsoPoint p = v.MapToScreen(x, y);
            const float fx = float(2 * y + x) * 0.5f - 37 + 5;
            const float fy = float(2 * y - x) * 0.25f + 300 + 19 + 11;
            EXPECT_EQ(p, (IsoPoint{int32_t(fx), int32_t(fy)})) << x << "," << y;
            float sx, sy;
            v.MapToScreenF(float(x), float(y), 1.0f, 0.5f, &sx, &sy);
            EXPECT_EQ((IsoPoint{int32_t(sx), int32_t(sy)}), p) << x << "," << y;
        }
    }
}

TEST(IsoViewTest, EveryPixelFindsTheTileWhoseDiamondHoldsIt) {
    // Both sides of zero, with offsets.
    for (const CIsoView& v : {CIsoView(), OffsetView()}) {
        for (int32_t sy = -150; sy < 150; ++sy) {
            for (int32_t sx = -150; sx < 150; ++sx) {
                const IsoPoint t = v.ScreenToTile(sx, sy);
                ASSERT_TRUE(InDiamond(v.TileToScreen(t.x, t.y), 24, 12, sx, sy))
                    << sx << "," << sy << " -> " << t.x << "," << t.y;
            }
        }
    }
}

TEST(IsoViewTest, TilesRoundTripThroughTheirCentres) {
    const CIsoView v = OffsetView();
    for (int32_t tx = -30; tx <= 30; ++tx)
        for (int32_t ty = -30; ty <= 30; ++ty) {
            const IsoPoint p = v.TileToScreen(tx, ty);
            EXPECT_EQ(v.ScreenToTile(p.x + 12, p.y), (IsoPoint{tx, ty}));
            EXPECT_EQ(v.ScreenToTile(p.x + 1, p.y), (IsoPoint{tx, ty}));
        }
}

TEST(IsoViewTest, BlocksRoundTripAndHoldTheirPixels) {
    const CIsoView v = OffsetView();
    for (int32_t bx = -5; bx <= 5; ++bx)
        for (int32_t by = -5; by <= 5; ++by) {
            const IsoPoint p = v.BlockToScreen(bx, by);
            EXPECT_EQ(v.ScreenToBlock(p.x + 48, p.y), (IsoPoint{bx, by}));
        }
    for (int32_t sy = -200; sy < 200; sy += 3)
        for (int32_t sx = -200; sx < 200; sx += 3) {
            const IsoPoint b = v.ScreenToBlock(sx, sy);
            ASSERT_TRUE(InDiamond(v.BlockToScreen(b.x, b.y), 96, 48, sx, sy)) << sx << "," << sy;
        }
}

TEST(IsoViewTest, EachMaskValueNamesItsNeighbour) {
    struct Case {
        uint8_t value;
        IsoPoint tile;
    };
    const Case cases[] = {{0, {4, 6}}, {1, {5, 7}}, {2, {3, 7}}, {3, {4, 8}}, {4, {4, 7}}, {9, {4, 7}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.value));
        CIsoView v = OffsetView();
        std::memset(v.m_tileMask, c.value, sizeof v.m_tileMask);
        std::memset(v.m_blockMask, c.value, sizeof v.m_blockMask);
        // Every pixel of the cells of tile (4, 7) and block (4, 7), negative neighbours too.
        for (IsoPoint base : {IsoPoint{4, 7}, IsoPoint{-4, -7}}) {
            const IsoPoint expected{c.tile.x - 4 + base.x, c.tile.y - 7 + base.y};
            const IsoPoint tile = v.TileToScreen(base.x, base.y);
            for (int32_t row = 6; row < 12; ++row)
                for (int32_t col = 0; col < 24; ++col)
                    EXPECT_EQ(v.ScreenToTile(tile.x + col, tile.y - 6 + row), expected);
            const IsoPoint block = v.BlockToScreen(base.x, base.y);
            EXPECT_EQ(v.ScreenToBlock(block.x + 10, block.y + 10), expected);
        }
    }
}
