// The two span-image layouts, read and written.
//
// A span picture is a list of horizontal runs (x, y, length) whose pixels follow
// one another in run order: 16-bit pixels (stored 5-6-5) or 8-bit indices into a
// 256-entry palette. Transparent pixels are simply not in any run.
//
// Single picture (the interface, minimap and map-object pictures), little-endian:
//   u16 header word, u32 width, u32 height,
//   [indexed only: 256 x u16 palette],
//   u32 run count N; when N > 0: u32 pixel data size D, then N times
//   (u32 x, u32 y, u32 length L, then L pixels).
// Multi-frame picture (animation and sprite frames):
//   u32 frame count F, [palettised only: 256 x u16 palette],
//   F frame records: 14 bytes kept as they are (three u32 and a u16; the first
//   four 16-bit values serve as per-frame offsets), u32 width, u32 height,
//   u32 run count S, u32 offset of the frame's pixels in the pixel block, then
//   S x (u32 x, u32 y, u32 length);
//   u32 pixel data size D and the D bytes of the pixel block.
//
// The readers check every count and size against the data that remains before
// they allocate, and check after reading that every run lies inside its picture
// and its pixels (and every frame's offset) inside the pixel block; on any
// failure the output is empty.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_source.h"

struct SpanRun {
    int32_t x = 0, y = 0, length = 0;
    bool operator==(const SpanRun&) const = default;
};

// The largest picture side the readers accept.
constexpr int32_t MAX_SPAN_PICTURE_SIDE = 16384;

struct SpanPicture {
    uint16_t header = 0;
    int32_t width = 0, height = 0;
    std::vector<uint16_t> palette;  // 256 entries when indexed, else empty
    std::vector<SpanRun> spans;
    std::vector<uint16_t> pixels;  // pixel block; indexed pictures use it as bytes
    uint32_t dataSize = 0;         // bytes of the pixel block
    uint32_t bytesRead = 0;        // bytes the reader consumed

    const uint8_t* PixelBytes() const { return reinterpret_cast<const uint8_t*>(pixels.data()); }
    uint8_t* PixelBytes() { return reinterpret_cast<uint8_t*>(pixels.data()); }
    void Clear() { *this = SpanPicture(); }
};

// Reads a single picture. kind 6 reads a palette and 8-bit indices; kinds 1, 3
// and 4 convert the stored 5-6-5 pixels (4 with the given alpha), other kinds
// keep them. The palette is converted to the display's kind.
bool ReadSpanPicture(CByteSource& src, int kind, uint8_t alpha, int displayKind, SpanPicture& out,
                     std::string* error = nullptr);

// Writes a single picture as stored (5-6-5 pixels, or indices with the palette when
// indexed). The pixel block must hold the runs' pixels in run order.
std::vector<uint8_t> WriteSpanPicture(const SpanPicture& picture, bool indexed);

struct FrameRecord {
    std::array<uint8_t, 14> head{};  // kept as read
    int32_t width = 0, height = 0;
    uint32_t dataOffset = 0;  // byte offset of the frame's pixels in the pixel block
    std::vector<SpanRun> spans;

    // The i-th signed 16-bit value (0 to 3) at the start of the record.
    int16_t HeadValue(int i) const { return int16_t(LoadU16Le(&head[size_t(2 * i)])); }
    void SetHeadValue(int i, int16_t v) { StoreU16Le(&head[size_t(2 * i)], uint16_t(v)); }
};

struct FramePicture {
    std::vector<uint16_t> palette;  // 256 entries when palettised
    std::vector<FrameRecord> frames;
    std::vector<uint16_t> pixels;  // pixel block; palettised pictures use it as bytes
    uint32_t dataSize = 0;

    bool Palettised() const { return !palette.empty(); }
    const uint8_t* PixelBytes() const { return reinterpret_cast<const uint8_t*>(pixels.data()); }
    uint8_t* PixelBytes() { return reinterpret_cast<uint8_t*>(pixels.data()); }
    void Clear() { *this = FramePicture(); }
};

// Reads a multi-frame picture. Kind 1 converts the 16-bit pixels of an
// unpalettised picture to 5-5-5 and kind 3 to red-low 5-6-5; the palette is
// converted to the display's kind.
bool ReadFramePicture(CByteSource& src, int kind, bool palettised, int displayKind, FramePicture& out,
                      std::string* error = nullptr);

// Writes a multi-frame picture as stored; palettised when it has a palette.
std::vector<uint8_t> WriteFramePicture(const FramePicture& picture);

// Builders for the writers and tests: runs cut from a full width x height grid,
// leaving out every pixel equal to the transparent value (16-bit) or index
// (8-bit; -1 keeps every pixel).
SpanPicture MakeSpanPicture(const uint16_t* grid, int32_t width, int32_t height, uint16_t transparent);
SpanPicture MakeIndexedSpanPicture(const uint8_t* grid, int32_t width, int32_t height, int transparentIndex,
                                   const std::vector<uint16_t>& palette);
// Appends a frame; the picture is palettised when it has a palette.
void AddFrame(FramePicture& picture, const uint16_t* grid, int32_t width, int32_t height,
              uint16_t transparent);
void AddIndexedFrame(FramePicture& picture, const uint8_t* grid, int32_t width, int32_t height,
                     int transparentIndex);
