#include "graphics/span_image_format.h"

#include <cstring>

#include "graphics/pixel_ops.h"

namespace {

constexpr uint32_t kFrameRecordBytes = 30;  // 14 kept bytes, width, height, run count, offset
constexpr uint32_t kRunBytes = 12;

template <class Picture>
bool Fail(Picture& out, std::string* error, const char* why) {
    out.Clear();
    if (error) *error = why;
    return false;
}

bool ValidSide(uint32_t v) {
    return v <= uint32_t(MAX_SPAN_PICTURE_SIDE);
}

bool RunInside(const SpanRun& r, int32_t width, int32_t height) {
    return r.length >= 0 && r.x >= 0 && r.y >= 0 && r.y < height && int64_t(r.x) + r.length <= width;
}

bool ReadPalette(CByteSource& src, int displayKind, std::vector<uint16_t>& palette) {
    palette.assign(256, 0);
    for (auto& e : palette) {
        if (!src.ReadU16(e)) return false;
        e = ConvertPaletteEntry(e, displayKind);
    }
    return true;
}

void AppendBytes(std::vector<uint16_t>& block, uint32_t& size, const void* data, size_t n) {
    block.resize((size + n + 1) / 2);
    std::memcpy(reinterpret_cast<uint8_t*>(block.data()) + size, data, n);
    size += uint32_t(n);
}

// Runs of one grid row-major picture; keep(i) says whether pixel i is drawn.
template <class Keep, class Emit>
void CutRuns(int32_t width, int32_t height, Keep keep, std::vector<SpanRun>& runs, Emit emit) {
    for (int32_t y = 0; y < height; ++y) {
        int32_t x = 0;
        while (x < width) {
            while (x < width && !keep(size_t(y) * width + x)) ++x;
            int32_t start = x;
            while (x < width && keep(size_t(y) * width + x)) ++x;
            if (x > start) {
                runs.push_back({start, y, x - start});
                emit(size_t(y) * width + start, size_t(x - start));
            }
        }
    }
}

}  // namespace

bool ReadSpanPicture(CByteSource& src, int kind, uint8_t alpha, int displayKind, SpanPicture& out,
                     std::string* error) {
    out.Clear();
    uint32_t width = 0, height = 0, count = 0, dataSize = 0;
    if (!src.ReadU16(out.header) || !src.ReadU32(width) || !src.ReadU32(height))
        return Fail(out, error, "short header");
    if (!ValidSide(width) || !ValidSide(height)) return Fail(out, error, "picture size out of range");
    out.width = int32_t(width);
    out.height = int32_t(height);
    uint32_t size = 10;
    const bool indexed = kind == PIXEL_KIND_INDEXED;
    if (indexed) {
        if (!ReadPalette(src, displayKind, out.palette)) return Fail(out, error, "short palette");
        size += 512;
    }
    if (!src.ReadU32(count)) return Fail(out, error, "short run count");
    size += 4;
    if (count == 0) {
        out.bytesRead = size;
        return true;
    }
    if (!src.ReadU32(dataSize)) return Fail(out, error, "short data size");
    size += 4;
    if (uint64_t(count) * kRunBytes > src.Remaining()) return Fail(out, error, "run count exceeds the data");
    if (dataSize > src.Remaining()) return Fail(out, error, "pixel data size exceeds the data");

    const uint32_t bpp = indexed ? 1 : 2;
    out.dataSize = dataSize;
    out.pixels.assign((size_t(dataSize) + 1) / 2, 0);
    out.spans.resize(count);
    uint64_t offset = 0;
    for (SpanRun& run : out.spans) {
        if (!src.ReadI32(run.x) || !src.ReadI32(run.y) || !src.ReadI32(run.length))
            return Fail(out, error, "short run");
        size += kRunBytes;
        if (!RunInside(run, out.width, out.height)) return Fail(out, error, "run outside the picture");
        const uint64_t bytes = uint64_t(run.length) * bpp;
        if (offset + bytes > dataSize) return Fail(out, error, "run pixels exceed the pixel data size");
        if (!src.ReadExact(out.PixelBytes() + offset, size_t(bytes)))
            return Fail(out, error, "short run pixels");
        if (!indexed) ConvertStoredPixels(out.pixels.data() + offset / 2, size_t(run.length), kind, alpha);
        offset += bytes;
        size += uint32_t(bytes);
    }
    out.bytesRead = size;
    return true;
}

std::vector<uint8_t> WriteSpanPicture(const SpanPicture& picture, bool indexed) {
    CByteWriter w;
    w.U16(picture.header);
    w.U32(uint32_t(picture.width));
    w.U32(uint32_t(picture.height));
    if (indexed)
        for (size_t i = 0; i < 256; ++i) w.U16(i < picture.palette.size() ? picture.palette[i] : 0);
    w.U32(uint32_t(picture.spans.size()));
    if (picture.spans.empty()) return w.Take();
    w.U32(picture.dataSize);
    const uint32_t bpp = indexed ? 1 : 2;
    size_t offset = 0;
    for (const SpanRun& run : picture.spans) {
        w.I32(run.x);
        w.I32(run.y);
        w.I32(run.length);
        size_t bytes = size_t(run.length) * bpp;
        w.Bytes(picture.PixelBytes() + offset, bytes);
        offset += bytes;
    }
    return w.Take();
}

bool ReadFramePicture(CByteSource& src, int kind, bool palettised, int displayKind, FramePicture& out,
                      std::string* error) {
    out.Clear();
    uint32_t frameCount = 0;
    if (!src.ReadU32(frameCount)) return Fail(out, error, "short frame count");
    if (palettised && !ReadPalette(src, displayKind, out.palette)) return Fail(out, error, "short palette");
    if (uint64_t(frameCount) * kFrameRecordBytes > src.Remaining())
        return Fail(out, error, "frame count exceeds the data");
    out.frames.resize(frameCount);
    for (FrameRecord& f : out.frames) {
        uint32_t width = 0, height = 0;
        int32_t runs = 0;
        if (!src.ReadExact(f.head.data(), f.head.size()) || !src.ReadU32(width) || !src.ReadU32(height) ||
            !src.ReadI32(runs) || !src.ReadU32(f.dataOffset))
            return Fail(out, error, "short frame record");
        if (!ValidSide(width) || !ValidSide(height)) return Fail(out, error, "frame size out of range");
        f.width = int32_t(width);
        f.height = int32_t(height);
        if (runs >= 1) {
            if (uint64_t(runs) * kRunBytes > src.Remaining())
                return Fail(out, error, "run count exceeds the data");
            f.spans.resize(size_t(runs));
            for (SpanRun& r : f.spans)
                if (!src.ReadI32(r.x) || !src.ReadI32(r.y) || !src.ReadI32(r.length))
                    return Fail(out, error, "short run");
        }
    }
    uint32_t dataSize = 0;
    if (!src.ReadU32(dataSize)) return Fail(out, error, "short pixel data size");
    if (dataSize > src.Remaining()) return Fail(out, error, "pixel data size exceeds the data");
    out.dataSize = dataSize;
    out.pixels.assign((size_t(dataSize) + 1) / 2, 0);
    if (dataSize && !src.ReadExact(out.PixelBytes(), dataSize)) return Fail(out, error, "short pixel data");
    if (!palettised && (kind == PIXEL_KIND_555 || kind == PIXEL_KIND_BGR565))
        ConvertStoredPixels(out.pixels.data(), dataSize / 2, kind, 0);

    // Every frame's runs inside the frame and its pixels inside the block.
    const uint64_t bpp = palettised ? 1 : 2;
    for (const FrameRecord& f : out.frames) {
        if (bpp == 2 && (f.dataOffset & 1)) return Fail(out, error, "frame pixels not 16-bit aligned");
        uint64_t end = f.dataOffset;
        for (const SpanRun& r : f.spans) {
            if (!RunInside(r, f.width, f.height)) return Fail(out, error, "run outside its frame");
            end += uint64_t(r.length) * bpp;
        }
        // Also a frame without runs: its offset points into the block.
        if (end > dataSize) return Fail(out, error, "frame pixels exceed the pixel data");
    }
    return true;
}

std::vector<uint8_t> WriteFramePicture(const FramePicture& picture) {
    CByteWriter w;
    w.U32(uint32_t(picture.frames.size()));
    if (picture.Palettised())
        for (size_t i = 0; i < 256; ++i) w.U16(i < picture.palette.size() ? picture.palette[i] : 0);
    for (const FrameRecord& f : picture.frames) {
        w.Bytes(f.head.data(), f.head.size());
        w.U32(uint32_t(f.width));
        w.U32(uint32_t(f.height));
        w.U32(uint32_t(f.spans.size()));
        w.U32(f.dataOffset);
        for (const SpanRun& r : f.spans) {
            w.I32(r.x);
            w.I32(r.y);
            w.I32(r.length);
        }
    }
    w.U32(picture.dataSize);
    w.Bytes(picture.PixelBytes(), picture.dataSize);
    return w.Take();
}

SpanPicture MakeSpanPicture(const uint16_t* grid, int32_t width, int32_t height, uint16_t transparent) {
    SpanPicture p;
    p.width = width;
    p.height = height;
    CutRuns(
        width, height, [&](size_t i) { return grid[i] != transparent; }, p.spans,
        [&](size_t at, size_t n) { AppendBytes(p.pixels, p.dataSize, grid + at, n * 2); });
    return p;
}

SpanPicture MakeIndexedSpanPicture(const uint8_t* grid, int32_t width, int32_t height, int transparentIndex,
                                   const std::vector<uint16_t>& palette) {
    SpanPicture p;
    p.width = width;
    p.height = height;
    p.palette = palette;
    p.palette.resize(256, 0);
    CutRuns(
        width, height, [&](size_t i) { return int(grid[i]) != transparentIndex; }, p.spans,
        [&](size_t at, size_t n) { AppendBytes(p.pixels, p.dataSize, grid + at, n); });
    return p;
}

void AddFrame(FramePicture& picture, const uint16_t* grid, int32_t width, int32_t height,
              uint16_t transparent) {
    FrameRecord f;
    f.width = width;
    f.height = height;
    f.dataOffset = picture.dataSize;
    CutRuns(
        width, height, [&](size_t i) { return grid[i] != transparent; }, f.spans,
        [&](size_t at, size_t n) { AppendBytes(picture.pixels, picture.dataSize, grid + at, n * 2); });
    picture.frames.push_back(std::move(f));
}

void AddIndexedFrame(FramePicture& picture, const uint8_t* grid, int32_t width, int32_t height,
                     int transparentIndex) {
    if (picture.palette.empty()) picture.palette.assign(256, 0);
    FrameRecord f;
    f.width = width;
    f.height = height;
    f.dataOffset = picture.dataSize;
    CutRuns(
        width, height, [&](size_t i) { return int(grid[i]) != transparentIndex; }, f.spans,
        [&](size_t at, size_t n) { AppendBytes(picture.pixels, picture.dataSize, grid + at, n); });
    picture.frames.push_back(std::move(f));
}
