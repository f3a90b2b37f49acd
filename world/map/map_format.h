// The map's file layouts and grid sizes.
//
// ".Z5M" (the unpacked bytes of "NNNN.Z5M.ZIP"), little-endian:
//   u8 header byte; u32 width, u32 height (cells, 1-65,535 each);
//   u16 definition count D; u16 placed object count P;
//   P x (object record, i32 x, i32 y);
//   block records anywhere, found through the offset table;
//   the offset table: the last (blocks across x blocks down x 4) bytes, one u32
//   file offset per block, row by row.
// Block record: u16 width, u16 height (cells: 13, or what is left at the
// right and lower edges); u16 picture width, u16 picture height, i32 picture
// x, i32 picture y; u16 ground object count G and G x (u16 cell x, u16 cell y,
// u32 definition); u16 object count O and O x (object record, i32 x, i32 y);
// width x height cells of (u16 ground, u16, u16 attributes, u16), row by row.
// Object record: u8 kind, then
//   0: u16 definition, u16 animation, u16 motion, u16 facing;
//   1, 3: an embedded picture whose header word is the definition
//         (1: 16-bit pixels, 3: palettised);
//   2, 4: u16 definition, u16 base definition, then the base's embedded
//         picture (2: 16-bit, 3: palettised).
//
// ".PPD": u16 header word; u32 width, u32 height (blocks); per block, row by
// row: u32 portal count N, N x (u16 cell x, u16 cell y, u32 neighbour count M,
// M x (u16 cell x, u16 cell y)).
#pragma once
#include <cstdint>

// A tile is 24 x 12 map units, a cell 4 x 4 tiles, a block 13 x 13 cells.
inline constexpr int32_t MAP_TILE_W = 24;
inline constexpr int32_t MAP_TILE_H = 12;
inline constexpr int32_t MAP_CELL_W = 96;
inline constexpr int32_t MAP_CELL_H = 48;
inline constexpr int32_t MAP_TILES_PER_CELL = 4;
inline constexpr int32_t MAP_BLOCK_CELLS = 13;
inline constexpr int32_t MAP_BLOCK_W = MAP_CELL_W * MAP_BLOCK_CELLS;  // 1,248 map units
inline constexpr int32_t MAP_BLOCK_H = MAP_CELL_H * MAP_BLOCK_CELLS;  // 624 map units
inline constexpr uint32_t MAP_MAX_CELLS = 65535;                      // largest width or height
// The largest unpacked map file taken; a compressed file that announces more
// is refused before it is inflated. Memory for a map stays within a small
// multiple of its file: blocks are made as they load.
inline constexpr uint32_t MAP_MAX_FILE_BYTES = 256u << 20;
// A placed object lies within this many map units of the origin on either axis; the
// largest map is about 6.3 million units across, so anything farther is damage.
inline constexpr int32_t MAP_MAX_PLACED_COORD = 1 << 24;

// Object record kinds, also the kinds of the object definitions.
enum MapObjectKind : int32_t {
    MAP_OBJ_NONE = -1,
    MAP_OBJ_ANIMATION = 0,
    MAP_OBJ_IMAGE = 1,     // 16-bit picture
    MAP_OBJ_VARIANT = 2,   // draws the 16-bit picture of its base
    MAP_OBJ_IMAGE8 = 3,    // palettised picture
    MAP_OBJ_VARIANT8 = 4,  // draws the palettised picture of its base
};
inline bool IsMapImageKind(int32_t kind) {
    return kind == MAP_OBJ_IMAGE || kind == MAP_OBJ_IMAGE8;
}
inline bool IsMapVariantKind(int32_t kind) {
    return kind == MAP_OBJ_VARIANT || kind == MAP_OBJ_VARIANT8;
}

// Cell attribute bits.
enum : uint16_t {
    CELL_BLOCKED = 0x0002,     // cannot be walked
    CELL_FOOTSTEP_0 = 0x0200,  // footsteps of the stage's kind 0
    CELL_FOOTSTEP_1 = 0x1000,  // footsteps of the stage's kind 1
    CELL_NO_DROP = 0x2000,     // no item may be dropped here
};

// Sizes of the fixed parts of the layouts.
inline constexpr uint32_t MAP_HEADER_SIZE = 13;
inline constexpr uint32_t MAP_FILE_CELL_SIZE = 8;
inline constexpr uint32_t MAP_BLOCK_HEADER_SIZE = 16;
