#include "graphics/span_image_format.h"

#include <gtest/gtest.h>

#include "graphics/pixel_ops.h"

namespace {

constexpr uint16_t kKey = 0xF81F;

// A 4 x 3 picture: row 0 has one run of 3, row 1 two runs of 1, row 2 is empty.
std::vector<uint16_t> SmallGrid() {
    return {0x1234, 0xFFFF, 0x07E0, kKey,  //
            0xF800, kKey,   0x001F, kKey,  //
            kKey,   kKey,   kKey,   kKey};
}

std::vector<uint8_t> Bytes(const SpanPicture& p, bool indexed) {
    return WriteSpanPicture(p, indexed);
}

TEST(SpanPictureTest, RoundTripKeepsRunsAndPixels) {
    auto grid = SmallGrid();
    SpanPicture written = MakeSpanPicture(grid.data(), 4, 3, kKey);
    written.header = 0xBEEF;
    ASSERT_EQ(written.spans.size(), 3u);
    EXPECT_EQ(written.spans[0], (SpanRun{0, 0, 3}));
    EXPECT_EQ(written.spans[2], (SpanRun{2, 1, 1}));

    auto bytes = Bytes(written, false);
    bytes.push_back(0x77);  // whatever follows in the stream stays unread
    CMemorySource src(bytes);
    SpanPicture read;
    ASSERT_TRUE(ReadSpanPicture(src, PIXEL_KIND_565, 128, PIXEL_KIND_565, read));
    EXPECT_EQ(read.header, 0xBEEF);
    EXPECT_EQ(read.width, 4);
    EXPECT_EQ(read.height, 3);
    EXPECT_EQ(read.spans, written.spans);
    EXPECT_EQ(read.dataSize, 10u);
    EXPECT_EQ(read.bytesRead, bytes.size() - 1);
    EXPECT_EQ(src.Remaining(), 1u);
    EXPECT_EQ(std::vector<uint16_t>(read.pixels.begin(), read.pixels.end()),
              (std::vector<uint16_t>{0x1234, 0xFFFF, 0x07E0, 0xF800, 0x001F}));
}

TEST(SpanPictureTest, SixteenBitKindsConvertEveryPixel) {
    // An odd-length run checks that the last pixel of a pair-wise conversion is done too.
    std::vector<uint16_t> grid = {0xFFFF, 0xF800, 0x07E0, 0x0000, 0x001F};
    auto bytes = Bytes(MakeSpanPicture(grid.data(), 5, 1, kKey), false);
    struct Case {
        int kind;
        std::vector<uint16_t> want;
    } cases[] = {
        {PIXEL_KIND_565, {0xFFFF, 0xF800, 0x07E0, 0x0000, 0x001F}},
        {PIXEL_KIND_555, {0x7FFF, 0x7C00, 0x03E0, 0x0000, 0x001F}},
        {PIXEL_KIND_BGR565, {0xFFFF, 0x001F, 0x07E0, 0x0000, 0xF800}},
        {PIXEL_KIND_4444, {0x8FFF, 0x8F00, 0x80F0, 0x8000, 0x800F}},
    };
    for (const Case& c : cases) {
        CMemorySource src(bytes);
        SpanPicture read;
        ASSERT_TRUE(ReadSpanPicture(src, c.kind, 128, PIXEL_KIND_565, read)) << c.kind;
        EXPECT_EQ(std::vector<uint16_t>(read.pixels.begin(), read.pixels.end()), c.want) << "kind " << c.kind;
    }
}

TEST(SpanPictureTest, IndexedPictureConvertsItsPaletteToTheDisplay) {
    std::vector<uint16_t> palette(256, 0);
    palette[1] = 0xFFFF;
    palette[2] = 0xF800;
    palette[3] = 0x07E0;
    std::vector<uint8_t> grid = {1, 0, 2, 3};
    auto bytes = Bytes(MakeIndexedSpanPicture(grid.data(), 2, 2, 0, palette), true);

    CMemorySource src(bytes);
    SpanPicture read;
    ASSERT_TRUE(ReadSpanPicture(src, PIXEL_KIND_INDEXED, 128, PIXEL_KIND_555, read));
    ASSERT_EQ(read.palette.size(), 256u);
    EXPECT_EQ(read.palette[1], 0x7FFF);
    EXPECT_EQ(read.palette[2], 0x7C00);
    EXPECT_EQ(read.palette[3], 0x03E0);
    ASSERT_EQ(read.spans.size(), 2u);
    EXPECT_EQ(read.spans[1], (SpanRun{0, 1, 2}));
    EXPECT_EQ(read.dataSize, 3u);
    EXPECT_EQ(read.PixelBytes()[0], 1);
    EXPECT_EQ(read.PixelBytes()[1], 2);
    EXPECT_EQ(read.PixelBytes()[2], 3);
}

TEST(SpanPictureTest, NoRunsIsAnEmptyPictureOfItsSize) {
    SpanPicture p;
    p.width = 30;
    p.height = 20;
    auto bytes = Bytes(p, false);
    EXPECT_EQ(bytes.size(), 14u);
    CMemorySource src(bytes);
    SpanPicture read;
    ASSERT_TRUE(ReadSpanPicture(src, PIXEL_KIND_565, 128, PIXEL_KIND_565, read));
    EXPECT_EQ(read.width, 30);
    EXPECT_EQ(read.height, 20);
    EXPECT_TRUE(read.spans.empty());
    EXPECT_EQ(read.bytesRead, 14u);
}

// One 32-bit field of a good file replaced by a bad value.
struct Patch {
    const char* what;
    size_t at;
    uint32_t value;
};

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

TEST(SpanPictureTest, CorruptFilesAreRefusedAndLeaveNothing) {
    auto grid = SmallGrid();
    const auto good = Bytes(MakeSpanPicture(grid.data(), 4, 3, kKey), false);
    // Layout: header 0, width 2, height 6, count 10, data size 14, first run at 18 (x, y, length), pixels
    // at 30.
    const Patch cases[] = {
        {"width beyond the limit", 2, 0x7FFFFFFF},     {"run count far beyond the data", 10, 0x40000000},
        {"data size beyond the data", 14, 0xFFFFFFF0}, {"data size smaller than the runs", 14, 4},
        {"negative length", 26, 0xFFFFFFFF},           {"length beyond the data", 26, 0x10000000},
        {"run wider than the picture", 26, 5},         {"run below the picture", 22, 3},
        {"run left of the picture", 18, 0xFFFFFFFE},
    };
    for (const Patch& c : cases) {
        auto bad = good;
        PutU32(bad, c.at, c.value);
        CMemorySource src(bad);
        SpanPicture read;
        std::string error;
        EXPECT_FALSE(ReadSpanPicture(src, PIXEL_KIND_565, 128, PIXEL_KIND_565, read, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(read.spans.empty() && read.pixels.empty() && read.width == 0) << c.what;
    }
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        CMemorySource src(good.data(), n);
        SpanPicture read;
        EXPECT_FALSE(ReadSpanPicture(src, PIXEL_KIND_565, 128, PIXEL_KIND_565, read)) << n;
        EXPECT_TRUE(read.spans.empty());
    }
}

FramePicture TwoFrames() {
    FramePicture p;
    std::vector<uint16_t> a = {0xFFFF, kKey, 0xF800, 0x07E0};  // 2 x 2
    std::vector<uint16_t> b = {kKey, kKey, 0x001F};            // 3 x 1
    AddFrame(p, a.data(), 2, 2, kKey);
    AddFrame(p, b.data(), 3, 1, kKey);
    p.frames[1].SetHeadValue(0, -7);
    p.frames[1].SetHeadValue(3, 12);
    return p;
}

TEST(FramePictureTest, RoundTripAndKindOneConversion) {
    const auto bytes = WriteFramePicture(TwoFrames());
    for (int kind : {PIXEL_KIND_565, PIXEL_KIND_555}) {
        CMemorySource src(bytes);
        FramePicture read;
        ASSERT_TRUE(ReadFramePicture(src, kind, false, kind, read));
        EXPECT_EQ(src.Remaining(), 0u);
        ASSERT_EQ(read.frames.size(), 2u);
        EXPECT_EQ(read.frames[0].spans, (std::vector<SpanRun>{{0, 0, 1}, {0, 1, 2}}));
        EXPECT_EQ(read.frames[1].dataOffset, 6u);
        EXPECT_EQ(read.frames[1].HeadValue(0), -7);
        EXPECT_EQ(read.frames[1].HeadValue(3), 12);
        EXPECT_EQ(read.frames[1].width, 3);
        const std::vector<uint16_t> want565 = {0xFFFF, 0xF800, 0x07E0, 0x001F};
        const std::vector<uint16_t> want555 = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
        EXPECT_EQ(std::vector<uint16_t>(read.pixels.begin(), read.pixels.end()),
                  kind == PIXEL_KIND_555 ? want555 : want565);
    }
}

TEST(FramePictureTest, PalettisedFramesKeepTheirIndices) {
    FramePicture p;
    p.palette.assign(256, 0);
    p.palette[5] = 0xF800;
    std::vector<uint8_t> grid = {5, 0, 0, 5, 9};
    AddIndexedFrame(p, grid.data(), 5, 1, 0);
    const auto bytes = WriteFramePicture(p);
    CMemorySource src(bytes);
    FramePicture read;
    ASSERT_TRUE(ReadFramePicture(src, PIXEL_KIND_555, true, PIXEL_KIND_555, read));
    EXPECT_EQ(read.palette[5], 0x7C00);
    ASSERT_EQ(read.frames[0].spans.size(), 2u);
    EXPECT_EQ(read.dataSize, 3u);
    EXPECT_EQ(read.PixelBytes()[2], 9);
}

TEST(FramePictureTest, CorruptFramesAreRefused) {
    const auto good = WriteFramePicture(TwoFrames());
    // Frame 0 record at 4: 14 kept bytes, width 18, height 22, runs 26, offset 30, runs at 34.
    const Patch cases[] = {
        {"frame count beyond the data", 0, 0x08000000},
        {"run count beyond the data", 26, 0x01000000},
        {"offset past the pixel block", 30, 100},
        {"odd offset of 16-bit pixels", 30, 1},
        {"run outside its frame", 34, 2},
        {"height beyond the limit", 22, 0x80000000},
    };
    for (const Patch& c : cases) {
        auto bad = good;
        PutU32(bad, c.at, c.value);
        CMemorySource src(bad);
        FramePicture read;
        EXPECT_FALSE(ReadFramePicture(src, PIXEL_KIND_565, false, PIXEL_KIND_565, read)) << c.what;
        EXPECT_TRUE(read.frames.empty() && read.pixels.empty()) << c.what;
    }
    for (size_t n = 0; n < good.size(); ++n) {
        CMemorySource src(good.data(), n);
        FramePicture read;
        EXPECT_FALSE(ReadFramePicture(src, PIXEL_KIND_565, false, PIXEL_KIND_565, read)) << n;
    }

    // A frame without runs may point at the end of the pixel block, not past it.
    for (uint32_t past : {0u, 2u}) {
        FramePicture p = TwoFrames();
        const std::vector<uint16_t> clear = {kKey, kKey};
        AddFrame(p, clear.data(), 2, 1, kKey);
        ASSERT_TRUE(p.frames.back().spans.empty());
        p.frames.back().dataOffset = p.dataSize + past;
        const auto bytes = WriteFramePicture(p);
        CMemorySource src(bytes);
        FramePicture read;
        EXPECT_EQ(ReadFramePicture(src, PIXEL_KIND_565, false, PIXEL_KIND_565, read), past == 0) << past;
    }
}

}  // namespace
