// Isometric coordinates of the field. A tile is 24 map units wide and 12 high
// and shows as a diamond of 24 x 12 pixels; tile (tx, ty) lies at
//     screen x = (tx + ty) * 12 - camera x + view x
//     screen y = (ty - tx) * 6 + base y - camera y + view y.
// CIsoView holds the map's camera, base and view offsets and its two masks and
// does the conversions both ways; the map owns one and the animated objects,
// characters, cursor and effects convert through it.
#pragma once
#include <cstdint>

struct IsoPoint {
    int32_t x = 0, y = 0;
    bool operator==(const IsoPoint&) const = default;
};

// Mask values: which neighbour a pixel of a cell belongs to.
enum : uint8_t {
    ISO_MASK_UP = 0,     // (tx, ty - 1)
    ISO_MASK_RIGHT = 1,  // (tx + 1, ty)
    ISO_MASK_LEFT = 2,   // (tx - 1, ty)
    ISO_MASK_DOWN = 3,   // (tx, ty + 1)
    ISO_MASK_SELF = 4,   // any other value keeps the tile
};

inline constexpr int32_t ISO_TILE_W = 24;
inline constexpr int32_t ISO_TILE_H = 12;
inline constexpr int32_t ISO_BLOCK_W = 96;  // 4 x 4 tiles
inline constexpr int32_t ISO_BLOCK_H = 48;

class CIsoView {
public:
    CIsoView();

    // Tile (tx, ty) to its screen point.
    IsoPoint TileToScreen(int32_t tx, int32_t ty) const;
    // Block (bx, by) of 4 x 4 tiles to its screen point.
    IsoPoint BlockToScreen(int32_t bx, int32_t by) const;
    // A map position (map units) to the screen: exact tile multiples by the
    // tile rule, other positions in floating point, truncated.
    IsoPoint MapToScreen(int32_t mapX, int32_t mapY) const;
    // Floating-point placement with scale factors a and b (1.0 and 0.5 give
    // MapToScreen's point).
    void MapToScreenF(float mapX, float mapY, float a, float b, float* sx, float* sy) const;
    // The tile under a screen point: the 24 x 12 rectangle grid, corrected by
    // the tile mask.
    IsoPoint ScreenToTile(int32_t sx, int32_t sy) const;
    // The block of 4 x 4 tiles under a screen point, corrected by the block mask.
    IsoPoint ScreenToBlock(int32_t sx, int32_t sy) const;

    int32_t m_cameraX = 0, m_cameraY = 0;
    int32_t m_baseY = 0;
    int32_t m_viewX = 0, m_viewY = 0;
    // Cell masks, row by row (row * width + column).
    uint8_t m_tileMask[ISO_TILE_W * ISO_TILE_H];
    uint8_t m_blockMask[ISO_BLOCK_W * ISO_BLOCK_H];
};

// Fills a width x height mask with the diamond that touches the middle of each
// side: the four corners outside it name the neighbours (up-left corner 0,
// up-right 1, down-left 2, down-right 3), the diamond itself ISO_MASK_SELF.
void MakeDiamondMask(uint8_t* mask, int32_t width, int32_t height);
