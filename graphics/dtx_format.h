// The ".DTX" texture-image file, read and written (little-endian):
//   u8 version;
//   version >= 3: u8 kind (0 = a sheet of 256 x 256 tiles, 1 or 2 = an 8-bit
//   multi-frame picture, 2 with a palette); version < 3: u32 sheet switch
//   (non-zero = sheet, 0 = picture of kind 1).
//   A picture: the rest of the file is a multi-frame picture (span_image_format.h).
//   A sheet: u32 unit count (low 16 bits), the 40-byte unit records, u32 width W,
//   u32 height H, then (W >> 8) x (H >> 8) tiles, row by row, each 256 x 256
//   A4R4G4B4 pixels, 512 bytes a row. Versions below 4 mark transparent pixels
//   in magenta instead of alpha.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "graphics/span_image_format.h"

constexpr int32_t DTX_TILE_SIDE = 256;
constexpr uint32_t DTX_TILE_BYTES = 256 * 256 * 2;
constexpr uint32_t DTX_MAX_TILES = 255;
constexpr size_t DTX_UNIT_BYTES = 40;

// A rectangle of the sheet that animations show, with its draw anchor and shadow.
struct DtxUnit {
    uint32_t reserved = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;  // in sheet pixels
    float u = 0.0f, v = 0.0f;  // texture coordinates of the left and top edges inside the first tile
    int16_t anchorX = 0, anchorY = 0;
    int16_t shadowAnchorX = 0, shadowAnchorY = 0;
    int16_t shadowAngle = 0;   // degrees
    int16_t shadowLength = 0;  // pixels
};

struct DtxHeader {
    uint8_t version = 0;
    uint8_t kind = 0;  // 0 sheet, else picture
    bool sheet = false;
    std::vector<DtxUnit> units;
    uint32_t width = 0, height = 0;
    uint32_t columns = 0, rows = 0;  // tiles

    uint32_t TileCount() const { return columns * rows; }
};

// Reads the version and kind; for a sheet also the units and size. Refuses a
// sheet of more than 255 tiles and one whose tile data is not all there. The
// source is left at the picture or at the first tile.
bool ReadDtxHeader(CByteSource& src, DtxHeader& out, std::string* error = nullptr);

// Writers. tilePixels holds the tiles in file order (see SheetToTiles).
std::vector<uint8_t> WriteDtxSheet(uint8_t version, const std::vector<DtxUnit>& units, uint32_t width,
                                   uint32_t height, const std::vector<uint16_t>& tilePixels);
// kind 1 or 2 (2 needs a palettised picture); versions below 3 always write kind 1.
std::vector<uint8_t> WriteDtxPicture(uint8_t version, uint8_t kind, const FramePicture& picture);

// Cuts a width x height sheet (row-major pixels) into tiles in file order; the
// parts beyond whole tiles are dropped.
std::vector<uint16_t> SheetToTiles(const uint16_t* sheet, uint32_t width, uint32_t height);

// A unit record's texture coordinates from its position: the offset inside its first tile / 256.
void SetUnitTexCoords(DtxUnit& unit);
