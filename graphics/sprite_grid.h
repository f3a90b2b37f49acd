// The geometry of a sprite: a sheet unit cut along the 256-pixel tile grid into
// textured quads, placed on the screen with its anchor, mirrored or not, and its
// shadow projected along the unit's shadow direction or simply offset.
// All positions here are screen pixels; the sprite converts them to world units.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/dtx_format.h"

struct SpriteTile {
    float u = 0, v = 0, du = 0, dv = 0;  // texture coordinates inside the tile
    int32_t width = 0, height = 0;       // pixels
};

struct SpriteGrid {
    uint8_t columns = 0, rows = 0;
    std::vector<SpriteTile> tiles;  // tile t = columns * row + column
    // The first tile of the sheet the unit covers.
    int32_t firstColumn = 0, firstRow = 0;

    int TileCount() const { return int(tiles.size()); }
};

// Cuts the unit along the tile grid. False when the unit is empty, does not lie
// inside the sheet's sheetColumns x sheetRows tiles, or needs more than 255 tiles.
bool BuildSpriteGrid(const DtxUnit& unit, uint32_t sheetColumns, uint32_t sheetRows, SpriteGrid& grid);

struct SpriteShadowParams {
    float baseOffset = 0;    // pixels from the top to the shadow's base line
    float lengthFactor = 0;  // stretch of the projected shadow
    float dirX = 0, dirY = 0;
    int32_t offsetX = 0, offsetY = 0;  // shadow anchor minus anchor
};

// firstUnitY: y of the sheet's first unit, which fixes the base line of every unit's shadow.
SpriteShadowParams MakeShadowParams(const DtxUnit& unit, int32_t firstUnitY);

// A quad in screen pixels: corners top-left, top-right, bottom-right, bottom-left.
struct ScreenQuad {
    int32_t x[4] = {}, y[4] = {};
    float u[4] = {}, v[4] = {};
};

enum : uint8_t {
    SPRITE_SHADOW_PROJECTED = 0,
    SPRITE_SHADOW_OFFSET = 1,
    SPRITE_POSITION_ONLY = 99,  // move the quads; texture coordinates and shadow stay
};

// Lays the tiles out from the sprite's top-left corner (sx, sy). extraW and
// extraH are the pixels added to the whole sprite (spread over the tiles).
// Fills, per tile, the sprite quad and (by mode) the shadow quad. With mode 99
// only the sprite quads' positions are written.
void LayoutSprite(const SpriteGrid& grid, const SpriteShadowParams& shadow, bool mirrored, int32_t sx,
                  int32_t sy, int32_t extraW, int32_t extraH, uint8_t mode, std::vector<ScreenQuad>& sprite,
                  std::vector<ScreenQuad>& shadowQuads);
