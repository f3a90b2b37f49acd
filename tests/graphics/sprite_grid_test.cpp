#include "graphics/sprite_grid.h"

#include <gtest/gtest.h>

#include "picture_helpers.h"

namespace {

using qmtest::SheetUnit;

TEST(SpriteGridTest, UnitAcrossTwoTileColumns) {
    SpriteGrid g;
    ASSERT_TRUE(BuildSpriteGrid(SheetUnit(200, 10, 100, 40), 2, 1, g));
    EXPECT_EQ(g.columns, 2);
    EXPECT_EQ(g.rows, 1);
    ASSERT_EQ(g.TileCount(), 2);
    EXPECT_FLOAT_EQ(g.tiles[0].u, 0.78125f);
    EXPECT_EQ(g.tiles[0].width, 56);
    EXPECT_FLOAT_EQ(g.tiles[1].u, 0.0f);
    EXPECT_EQ(g.tiles[1].width, 44);
    EXPECT_FLOAT_EQ(g.tiles[0].v, 10.0f / 256);
    EXPECT_FLOAT_EQ(g.tiles[0].dv, 40.0f / 256);
    EXPECT_EQ(g.tiles[0].height, 40);
    EXPECT_EQ(g.tiles[1].height, 40);
}

TEST(SpriteGridTest, TwoByTwoGrid) {
    SpriteGrid g;
    ASSERT_TRUE(BuildSpriteGrid(SheetUnit(250, 500, 300, 100), 3, 3, g));
    EXPECT_EQ(g.columns, 3);  // 250..549: tile columns 0, 1, 2
    EXPECT_EQ(g.rows, 2);     // 500..599: tile rows 1, 2
    EXPECT_EQ(g.firstColumn, 0);
    EXPECT_EQ(g.firstRow, 1);
    const int widths[] = {6, 256, 38}, heights[] = {12, 88};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(g.tiles[size_t(3 * r + c)].width, widths[c]) << r << c;
            EXPECT_EQ(g.tiles[size_t(3 * r + c)].height, heights[r]) << r << c;
        }
}

TEST(SpriteGridTest, UnitsOutsideTheirSheetAreRefused) {
    SpriteGrid g;
    EXPECT_FALSE(BuildSpriteGrid(SheetUnit(200, 0, 100, 10), 1, 1, g));  // past the only column
    EXPECT_FALSE(BuildSpriteGrid(SheetUnit(0, 250, 10, 10), 1, 1, g));
    EXPECT_FALSE(BuildSpriteGrid(SheetUnit(-1, 0, 10, 10), 1, 1, g));
    EXPECT_FALSE(BuildSpriteGrid(SheetUnit(0, 0, 0, 10), 1, 1, g));
    EXPECT_FALSE(BuildSpriteGrid(SheetUnit(0, 0, 10, 10), 0, 0, g));
    EXPECT_TRUE(g.tiles.empty());
    EXPECT_TRUE(BuildSpriteGrid(SheetUnit(0, 0, 256, 256), 1, 1, g));
}

TEST(SpriteGridTest, ShadowParameters) {
    DtxUnit u = SheetUnit(0, 30, 10, 21);
    u.anchorX = -5;
    u.anchorY = -20;
    u.shadowAnchorX = -2;
    u.shadowAnchorY = -1;
    u.shadowAngle = 90;
    u.shadowLength = 19;
    SpriteShadowParams p = MakeShadowParams(u, 4);
    EXPECT_FLOAT_EQ(p.baseOffset, 4 + 21 - 1);
    EXPECT_NEAR(p.dirX, 0.0f, 1e-6);
    EXPECT_NEAR(p.dirY, -1.0f, 1e-6);
    EXPECT_EQ(p.offsetX, 3);
    EXPECT_EQ(p.offsetY, 19);
    EXPECT_FLOAT_EQ(p.lengthFactor, 2.0f);  // (19 + 21) / 20

    u.height = 1;  // no division by zero
    EXPECT_FLOAT_EQ(MakeShadowParams(u, 0).lengthFactor, 20.0f);
}

TEST(SpriteGridTest, LayoutPlacesTilesAndMirrorsTheirOrder) {
    SpriteGrid g;
    ASSERT_TRUE(BuildSpriteGrid(SheetUnit(200, 10, 100, 40), 2, 1, g));
    SpriteShadowParams shadow = MakeShadowParams(SheetUnit(200, 10, 100, 40), 0);
    std::vector<ScreenQuad> q, s;
    LayoutSprite(g, shadow, false, 100, 50, 0, 0, SPRITE_SHADOW_OFFSET, q, s);
    EXPECT_EQ(q[0].x[0], 100);
    EXPECT_EQ(q[0].x[1], 156);
    EXPECT_EQ(q[1].x[0], 156);
    EXPECT_EQ(q[1].x[2], 200);
    EXPECT_EQ(q[0].y[0], 50);
    EXPECT_EQ(q[0].y[3], 90);
    EXPECT_FLOAT_EQ(q[0].u[0], 0.78125f);
    EXPECT_FLOAT_EQ(q[0].u[1], 1.0f);
    // Offset shadow: the same quads 10 right and 5 down.
    EXPECT_EQ(s[1].x[0], 166);
    EXPECT_EQ(s[1].x[1], 210);
    EXPECT_EQ(s[1].y[0], 55);
    EXPECT_EQ(s[1].y[2], 95);
    EXPECT_FLOAT_EQ(s[1].u[1], q[1].u[1]);

    // Mirrored: the right tile column comes first and every u range is turned around.
    LayoutSprite(g, shadow, true, 100, 50, 0, 0, SPRITE_SHADOW_OFFSET, q, s);
    EXPECT_EQ(q[1].x[0], 100);
    EXPECT_EQ(q[1].x[1], 144);
    EXPECT_EQ(q[0].x[0], 144);
    EXPECT_EQ(q[0].x[1], 200);
    EXPECT_FLOAT_EQ(q[0].u[0], 1.0f);
    EXPECT_FLOAT_EQ(q[0].u[1], 0.78125f);
    EXPECT_FLOAT_EQ(q[1].u[0], 44.0f / 256);
    EXPECT_FLOAT_EQ(q[1].u[1], 0.0f);
}

TEST(SpriteGridTest, ProjectedShadowAndPositionOnly) {
    DtxUnit u = SheetUnit(0, 0, 10, 11);
    u.shadowAngle = 0;  // straight to the right
    u.shadowLength = -1;
    SpriteGrid g;
    ASSERT_TRUE(BuildSpriteGrid(u, 1, 1, g));
    SpriteShadowParams p = MakeShadowParams(u, 0);  // base line = row 10, factor 1
    std::vector<ScreenQuad> q, s;
    LayoutSprite(g, p, false, 20, 30, 0, 0, SPRITE_SHADOW_PROJECTED, q, s);
    // Top edge (10 above the base) leans 10 right on the base row; the bottom edge 1 left of it.
    EXPECT_EQ(s[0].x[0], int32_t(20 + 10 - 0.5f));
    EXPECT_EQ(s[0].x[1], int32_t(30 + 10 - 0.5f));
    EXPECT_EQ(s[0].y[0], int32_t(40 - 0.5f));
    EXPECT_EQ(s[0].x[3], int32_t(20 - 1 - 0.5f));
    EXPECT_EQ(s[0].y[3], int32_t(40 - 0.5f));

    // Mode 99 moves the sprite only.
    std::vector<ScreenQuad> q2 = q, s2 = s;
    q2[0].u[0] = 0.5f;
    LayoutSprite(g, p, false, 120, 30, 0, 0, SPRITE_POSITION_ONLY, q2, s2);
    EXPECT_EQ(q2[0].x[0], 120);
    EXPECT_FLOAT_EQ(q2[0].u[0], 0.5f);
    EXPECT_EQ(s2[0].x[0], s[0].x[0]);

    // A given size spreads its extra pixels over the tiles.
    LayoutSprite(g, p, false, 0, 0, 6, 4, SPRITE_SHADOW_PROJECTED, q, s);
    EXPECT_EQ(q[0].x[1], 16);
    EXPECT_EQ(q[0].y[2], 15);
}

}  // namespace
