// The 8-bit and 16-bit span pictures of the program.
//
// CImageFileResource: one picture (interface, minimap and map-object
// pictures), an entry of the image cache, drawn with Draw and DrawMirrored.
// CImageResource: a multi-frame picture (animation and sprite frames) kept by
// its owner and drawn frame by frame with the frame blitters.
//
// Both convert their pixels to the display's format once, at load; drawing is
// then a copy of the runs into locked 16-bit memory.
#pragma once
#include <cstdint>
#include <string>

#include "core/resource_cache.h"
#include "graphics/blitters.h"
#include "graphics/span_image_format.h"
#include "platform/draw_device.h"

class CFileResource;
class CSurfaceResource;

// The display's pixel kind for surfaces (2 while there is no display).
int32_t GetDisplayPixelKind();
// The colour spans never draw: the image manager's, or the display's default.
uint16_t GetTransparentColor();
// The destination memory of a lock.
inline PixelTarget TargetOf(const plat::LockInfo& lock) {
    return {lock.bits, lock.pitch, lock.width, lock.height};
}
// The clip rectangle of a draw call on a destination, limited to the screen.
ClipRect FormClipRect(const plat::raster::Rect* clip, const PixelTarget& target);

class CImageFileResource : public CCachedResource {
public:
    // An empty picture; with a name it loads the file at once (kind, alpha 128).
    explicit CImageFileResource(const char* fileName = nullptr, int32_t kind = 2);
    ~CImageFileResource() override;

    // Opens the file (pack first) and reads one picture from it.
    bool LoadFromFile(const char* fileName, int32_t kind, uint8_t alpha);
    // Reads one picture from the stream's position; the stream stays after it.
    // A picture that does not check out leaves the image empty and not loaded.
    bool LoadImage(CFileResource* stream, int32_t kind, uint8_t alpha);
    bool LoadImage(CByteSource& source, int32_t kind, uint8_t alpha);

    // Reloads a discarded picture from its file.
    bool Restore() override;
    // Frees the picture's data. A picture read from a stream has no file to come
    // back from and is never discarded.
    bool Discard() override;
    int32_t GetSize() override { return int32_t(m_size); }
    bool IsDiscarded() override { return m_discarded; }

    // Draws onto the surface, which is locked for the call. A null clip means
    // the whole surface. Only opacity 255 copies runs as they are.
    bool Draw(CSurfaceResource* surface, int32_t x, int32_t y, const plat::raster::Rect* clip,
              int32_t opacity);
    bool DrawMirrored(CSurfaceResource* surface, int32_t x, int32_t y, const plat::raster::Rect* clip,
                      int32_t opacity);
    // The same onto memory the caller has locked.
    bool DrawTo(const plat::LockInfo& lock, int32_t x, int32_t y, const plat::raster::Rect* clip,
                int32_t opacity, bool mirrored);

    int32_t GetWidth() const { return m_picture.width; }
    int32_t GetHeight() const { return m_picture.height; }
    int32_t GetKind() const { return m_kind; }
    bool IsLoaded() const { return m_loaded; }
    uint16_t GetHeaderWord() const { return m_picture.header; }
    const SpanPicture& Picture() const { return m_picture; }
    const std::string& GetFileName() const { return m_fileName; }

    int32_t m_originX = 0, m_originY = 0;  // added to the drawing position
    bool m_highlight = false;
    uint8_t m_secondSwitch = 0;
    bool m_tint = false;
    float m_tintFactors[3] = {1.0f, 1.0f, 1.0f};  // red, green, blue; read while m_tint is set
    uint32_t m_extraWord = 0;
    uint32_t m_surfaceId = 0;  // a surface made from this picture; destroyed with it

private:
    void Free();
    // Locks the surface for one draw.
    bool DrawLocked(CSurfaceResource* surface, int32_t x, int32_t y, const plat::raster::Rect* clip,
                    int32_t opacity, bool mirrored);

    SpanPicture m_picture;
    int32_t m_kind = 2;
    bool m_loaded = true;
    uint32_t m_size = 0;
    bool m_discarded = false;
    std::string m_fileName;
};

// A multi-frame picture.
class CImageResource {
public:
    CImageResource();
    virtual ~CImageResource();
    CImageResource(const CImageResource&) = delete;
    CImageResource& operator=(const CImageResource&) = delete;

    // Reads the picture from the stream's position. False (and an empty
    // picture) when it does not check out.
    bool Load(CFileResource* stream, int32_t kind, bool palettised);
    bool Load(CByteSource& source, int32_t kind, bool palettised);

    // The frame blitters. The destination is locked by the caller; its lock
    // gives the memory. A bad frame index is reported and draws nothing.
    // A palettised picture is drawn by BlitFrameIndexed with the same arguments.
    void BlitFrame(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                   const plat::raster::Rect* clip, int32_t opacity, bool blendHalf, bool grey,
                   bool flipVertical, const uint16_t* palette, bool glow, bool wash, float washWeight,
                   const uint8_t* washColor);
    void BlitFrameMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                           const plat::raster::Rect* clip, int32_t opacity, bool blendHalf, bool grey,
                           bool flipVertical, const uint16_t* palette, bool glow, bool wash, float washWeight,
                           const uint8_t* washColor);
    void BlitFrameIndexed(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                          const plat::raster::Rect* clip, int32_t opacity, bool blendHalf, bool grey,
                          bool flipVertical, const uint16_t* palette, bool glow, bool wash, float washWeight,
                          const uint8_t* washColor);
    void BlitFrameIndexedMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                  const plat::raster::Rect* clip, int32_t opacity, bool blendHalf, bool grey,
                                  bool flipVertical, const uint16_t* palette, bool glow, bool wash,
                                  float washWeight, const uint8_t* washColor);
    // The frame's silhouette in white on a locked texture.
    bool BlitFrameSolid(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                        const plat::raster::Rect* clip);
    bool BlitFrameSolidMirrored(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                                const plat::raster::Rect* clip);
    // The frame's shadow: hard (black pixels) or, with the soft-shadow option,
    // a half-transparent quad through the image manager's work texture.
    bool BlitFrameShadow(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                         const plat::raster::Rect* clip, int32_t opacity);
    bool BlitFrameShadowMirrored(int32_t frame, CSurfaceResource* dest, int32_t x, int32_t y,
                                 const plat::raster::Rect* clip, int32_t opacity);

    // Everything a frame draw takes besides the frame, position and clip.
    struct FrameDraw {
        int32_t opacity = 255;
        bool blendHalf = false, grey = false, flipVertical = false, mirrored = false;
        const uint16_t* palette = nullptr;  // null: the picture's own
        bool glow = false, wash = false;
        float washWeight = 0.0f;
        const uint8_t* washColor = nullptr;
    };
    // The frame blitter onto locked memory; false only for a bad frame index.
    bool DrawFrame(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                   const plat::raster::Rect* clip, const FrameDraw& draw);
    bool DrawShadow(int32_t frame, const plat::LockInfo& dest, int32_t x, int32_t y,
                    const plat::raster::Rect* clip, bool mirrored);

    int32_t GetFrameCount() const { return int32_t(m_picture.frames.size()); }
    // Width, height and the four signed 16-bit values at the start of a frame
    // record; 0 outside the frames.
    int32_t GetFrameWidth(int32_t frame) const;
    int32_t GetFrameHeight(int32_t frame) const;
    int16_t GetFrameValue(int32_t frame, int32_t which) const;
    int32_t GetKind() const { return m_kind; }
    bool IsPalettised() const { return m_picture.Palettised(); }
    const FramePicture& Picture() const { return m_picture; }
    const std::string& GetFileName() const { return m_fileName; }

    bool m_outline = false;
    bool m_tint = false;
    float m_tintFactors[3] = {0.0f, 0.0f, 0.0f};

private:
    // Reports a bad frame index with the message of text table 9, row.
    bool CheckFrame(int32_t frame, int32_t row) const;
    void DrawFrameUnchecked(int32_t frame, const PixelTarget& target, int32_t x, int32_t y,
                            const plat::raster::Rect* clip, const FrameDraw& draw);
    bool DrawSoftShadow(int32_t frame, int32_t x, int32_t y, const plat::raster::Rect* clip,
                        const PixelTarget& target, bool mirrored);

    FramePicture m_picture;
    int32_t m_kind = 2;
    std::string m_fileName;
};
