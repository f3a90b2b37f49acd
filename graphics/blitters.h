// Software drawing of span pictures into locked 16-bit memory: clipping,
// transparency, mirroring, vertical flip, outline, grey, tint, half blend,
// palettes with glow and wash, silhouettes and shadows, and plain rectangles.
// The image classes hand their spans and a locked destination to these.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/pixel_ops.h"
#include "graphics/span_image_format.h"
#include "platform/draw_device.h"

// Locked destination memory (16-bit pixels, pitch in bytes) and clip
// rectangles (right and bottom exclusive) are the display's own types.
using PixelTarget = plat::LockInfo;
using ClipRect = plat::raster::Rect;

inline uint16_t* PixelRow(const PixelTarget& target, int32_t y) {
    return reinterpret_cast<uint16_t*>(target.bits + ptrdiff_t(y) * target.pitch);
}

// The clip rectangle of a draw call: the whole destination when none is given;
// negative left and top count as 0; right and bottom are limited to the screen
// and to the destination's own size.
ClipRect MakeClipRect(const ClipRect* clip, const PixelTarget& target, int32_t screenWidth,
                      int32_t screenHeight);

// One set of runs with their pixels one after another.
struct SpanImageView {
    int32_t width = 0, height = 0;
    const SpanRun* runs = nullptr;
    size_t runCount = 0;
    const uint8_t* pixels = nullptr;  // pixels of the first run
    bool indexed = false;             // 8-bit palette indices instead of 16-bit pixels
};

SpanImageView ViewOf(const SpanPicture& picture);
SpanImageView ViewOf(const FramePicture& picture, size_t frame);

// How 16-bit runs are drawn. The first rule that applies: grey, highlight
// (brightened, then tinted when tint is on), tint, half blend, then the plain
// copy (opacity 255) or blend by opacity. The last pixel of a run (in stored
// order) is never drawn when it is the transparent colour; with half blend it
// is not drawn at all.
struct SpanStyle {
    int kind = PIXEL_KIND_565;  // the picture's pixel kind
    uint16_t transparent = 0xF81F;
    int opacity = 255;
    bool mirrored = false;      // left to right
    bool flipVertical = false;  // upside down around the frame's middle row
    bool outline = false;       // a one-pixel white halo around the runs
    bool grey = false;
    bool highlight = false;
    bool tint = false;
    bool blendHalf = false;
    float tintFactors[3] = {1.0f, 1.0f, 1.0f};  // red, green, blue
};

void BlitSpans(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
               int32_t y, const SpanStyle& style);

// Palettised runs: every index is written as its palette entry (transparency
// comes only from the runs). With the wash on, each written pixel is mixed with
// a rippling colour.
struct IndexedStyle {
    int kind = PIXEL_KIND_565;  // layout of the palette entries
    bool mirrored = false;
    bool flipVertical = false;
    bool outline = false;
    bool wash = false;
    float washWeight = 0.0f;             // -1 takes half the glow phase
    float glowPhase = 1.0f;              // GlowPhase of the time of the call
    const uint8_t* washColor = nullptr;  // red, green, blue bytes; null = white
    uint32_t timeMs = 0;                 // timeGetTime of the call
};

void BlitSpansIndexed(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                      int32_t y, const uint16_t* palette, const IndexedStyle& style);

// The glow phase: 1.0 at multiples of 2,000 ms, rising to 2.0 at 1,000 ms after them and falling back.
float GlowPhase(uint32_t ms);

// The working palette of a palettised draw: the source palette, then glow, tint and grey in this order.
void PrepareIndexedPalette(const uint16_t* source, uint16_t* out, int kind, bool glow, float phase, bool tint,
                           const float tintFactors[3], bool grey);

// Fills [max(x, left), min(x + length, right)) x [max(y, top), min(y + rows, bottom)).
bool FillSpan(uint16_t* pixels, int32_t pixelsPerRow, const ClipRect& clip, int32_t x, int32_t y,
              int32_t length, int32_t rows, uint16_t colour);

// The picture's silhouette in white.
void BlitSpansSolid(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                    int32_t y, bool mirrored);

// Shadows. Runs on even rows cast a shadow half as tall as the picture, meeting
// it at its bottom row and leaning one pixel right per row above it.
void BlitHardShadow(const PixelTarget& target, const ClipRect& clip, const SpanImageView& image, int32_t x,
                    int32_t y, bool mirrored);

// The soft shadow's silhouette drawn (white, opaque 4-4-4-4) into the square work
// texture, scaled down when larger than its side, and the quad that shows it:
// screen corners (x + minS, y + minT)-(x + maxS, y + maxT) and texture
// coordinates (0, 0)-(u, v).
struct SoftShadowQuad {
    int32_t minS = 0, maxS = 0, minT = 0, maxT = 0;
    float u = 0.0f, v = 0.0f;
};
// False when the shadow is empty (nothing to draw); the texture is then untouched.
bool RenderSoftShadow(const PixelTarget& work, int32_t side, const ClipRect& clip, const SpanImageView& image,
                      int32_t x, int32_t y, bool mirrored, SoftShadowQuad& quad);

// Rectangles of the display: corners below 0 become 0 and corners at or past the
// target's size become the size - 1; drawn only when both extents are positive.
// The fill covers x2 - x1 columns and y2 - y1 rows from (x1, y1); the outline is
// the border of (x1, y1)-(x2, y2), both corners included.
void FillRectPixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    uint16_t colour);
void DrawRectOutlinePixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint16_t colour);
// A one-pixel line from (x1, y1) to (x2, y2), both ends included, each step of
// the longer axis one pixel, the other axis rounded; pixels outside the
// target are left out (however far outside the ends lie).
void DrawLinePixels(const PixelTarget& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    uint16_t colour);
