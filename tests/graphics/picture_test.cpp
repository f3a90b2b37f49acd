#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/dib.h"
#include "graphics_fixture.h"
#include "platform/bmp_file.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Rgb {
    uint8_t r, g, b;
};

// A 24-bit BMP, rows stored bottom-up (or top-down with a negative height).
Bytes Bmp24(int w, int h, const std::vector<Rgb>& topDown, bool storeTopDown = false) {
    plat::RgbPicture picture;
    picture.width = w;
    picture.height = h;
    for (const Rgb& c : topDown) picture.pixels.push_back(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
    return plat::EncodeBmp(picture, storeTopDown);
}

// A 16-bit BMP (rows bottom-up, padded to 4 bytes). Without masks the pixels
// are 5-5-5; with them the masks follow a 40-byte header, or lie inside a
// larger one.
Bytes Bmp16(int w, int h, const std::vector<uint16_t>& topDown, const std::vector<uint32_t>& masks = {},
            uint32_t headerSize = 40) {
    const uint32_t stride = (uint32_t(w) * 2 + 3) & ~3u;
    const uint32_t extra = !masks.empty() && headerSize == 40 ? 12 : 0;
    const uint32_t offset = 14 + headerSize + extra;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + stride * h);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, headerSize);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, 16);
    Put32(b, masks.empty() ? 0 : 3);
    for (int i = 0; i < 5; ++i) Put32(b, 0);
    for (uint32_t m : masks) Put32(b, m);
    while (b.size() < offset) b.push_back(0);
    for (int row = 0; row < h; ++row) {
        for (int x = 0; x < w; ++x) Put16(b, topDown[size_t(h - 1 - row) * w + x]);
        for (uint32_t pad = uint32_t(w) * 2; pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

Bytes Tga32(int w, int h, const std::vector<uint32_t>& argb, uint8_t type = 2, uint8_t depth = 32,
            uint8_t mapType = 0) {
    Bytes b = {2, mapType, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(b, uint32_t(w));
    Put16(b, uint32_t(h));
    b.push_back(depth);
    b.push_back(0x28);
    b.push_back('i');
    b.push_back('d');
    for (uint32_t p : argb) {
        b.push_back(uint8_t(p));
        b.push_back(uint8_t(p >> 8));
        b.push_back(uint8_t(p >> 16));
        b.push_back(uint8_t(p >> 24));
    }
    return b;
}

Bytes Raw16(uint32_t w, uint32_t h, const std::vector<uint16_t>& pixels, bool alphaByte) {
    Bytes b;
    Put32(b, w);
    Put32(b, h);
    if (alphaByte) b.push_back(1);
    for (uint16_t p : pixels) Put16(b, p);
    return b;
}

const std::vector<Rgb> kFour = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

TEST(Dib, ConvertsA24BitBmpByPixelKind) {
    const Bytes bmp = Bmp24(2, 2, kFour);
    struct Case {
        int kind;
        uint16_t red, green, blue;
    };
    const Case cases[] = {{1, 0x7C00, 0x03E0, 0x001F},
                          {5, 0x7C00, 0x03E0, 0x001F},
                          {2, 0xF800, 0x07E0, 0x001F},
                          {3, 0x001F, 0x07E0, 0xF800},
                          {4, 0xFF00, 0xF0F0, 0xF00F}};
    for (const Case& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.LoadFromMemory(bmp.data(), bmp.size(), false));
        EXPECT_FALSE(dib.Is16Bit());
        ASSERT_TRUE(dib.ConvertTo16(c.kind));
        EXPECT_EQ(dib.GetImageSize(), 8u);
        // Rows come out as the picture shows them, top row first.
        EXPECT_EQ(dib.GetVisualRow(0)[0], c.red) << c.kind;
        EXPECT_EQ(dib.GetVisualRow(0)[1], c.green);
        EXPECT_EQ(dib.GetVisualRow(1)[0], c.blue);
    }
    CDib topDown;
    const Bytes td = Bmp24(2, 2, kFour, true);
    ASSERT_TRUE(topDown.LoadFromMemory(td.data(), td.size(), false));
    topDown.ConvertTo16(2);
    EXPECT_EQ(topDown.GetVisualRow(1)[1], 0xFFFF);
    // Kinds without a layout leave the picture unconverted.
    CDib other;
    other.LoadFromMemory(bmp.data(), bmp.size(), false);
    EXPECT_FALSE(other.ConvertTo16(9));
}

TEST(Dib, Converts16BitBmpFromItsOwnLayout) {
    // Red, green, blue / white, black, red in a picture of odd width (padded rows).
    const std::vector<uint16_t> p555 = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x7C00};
    const std::vector<uint16_t> p565 = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF800};
    const std::vector<uint32_t> masks565 = {0xF800, 0x07E0, 0x001F};
    const struct {
        const char* form;
        Bytes bmp;
    } cases[] = {
        {"5-5-5", Bmp16(3, 2, p555)},
        {"masks after the header", Bmp16(3, 2, p565, masks565)},
        {"masks inside a large header", Bmp16(3, 2, p565, masks565, 124)},
    };
    for (const auto& c : cases) {
        CDib dib;
        ASSERT_TRUE(dib.LoadFromMemory(c.bmp.data(), c.bmp.size(), false)) << c.form;
        ASSERT_TRUE(dib.ConvertTo16(kPixel565)) << c.form;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(dib.GetVisualRow(y)[x], p565[size_t(y) * 3 + x]) << c.form << " " << x << "," << y;
    }
}

TEST(Dib, SavedFrameReadsBackAsTheSamePicture) {
    qmtest::TempDir dir;
    const struct {
        plat::raster::PixelFormat format;
        int kind;
    } cases[] = {{plat::raster::PixelFormat::kRgb555, kPixel555},
                 {plat::raster::PixelFormat::kRgb565, kPixel565},
                 {plat::raster::PixelFormat::kBgr565, kPixel565RedLow}};
    for (const auto& c : cases) {
        plat::raster::Surface frame(3, 2, c.format);
        const uint16_t values[6] = {0x001F, 0x07E0, 0x7C00, 0xF800, 0x1234, 0x0001};
        for (int i = 0; i < 6; ++i)
            frame.At(i % 3, i / 3) = values[i] & (c.kind == kPixel555 ? 0x7FFF : 0xFFFF);
        const std::string path = dir.Path() + "/frame.bmp";
        ASSERT_TRUE(plat::SaveFrameBmp(frame, path));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(plat::ReadWholeFile(path, bytes));
        CDib dib;
        ASSERT_TRUE(dib.LoadFromMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(dib.ConvertTo16(c.kind));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(dib.GetVisualRow(y)[x], frame.At(x, y)) << c.kind;
    }
}

TEST(Dib, ReadsTgaAsFourBitChannels) {
    const Bytes tga = Tga32(2, 1, {0xFFFF0000, 0x80123456});
    CDib dib;
    ASSERT_TRUE(dib.LoadFromMemory(tga.data(), tga.size(), true));
    EXPECT_EQ(dib.GetPixels()[0], 0xFF00);
    EXPECT_EQ(dib.GetPixels()[1], 0x8135);
    EXPECT_TRUE(dib.HasAlpha());
    // A run-length picture is read as if it were not compressed.
    const Bytes rle = Tga32(1, 1, {0xFFFFFFFF}, 10);
    ASSERT_TRUE(dib.LoadFromMemory(rle.data(), rle.size(), true));
    EXPECT_FALSE(dib.HasAlpha());
}

TEST(Dib, RawAndPackForms) {
    const Bytes raw = Raw16(2, 1, {0x1234, 0x5678}, true);
    CDib dib;
    ASSERT_TRUE(dib.LoadFromMemory(raw.data(), raw.size(), true, true));
    EXPECT_EQ(dib.GetWidth(), 2);
    EXPECT_EQ(dib.GetPixels()[1], 0x5678);
    EXPECT_TRUE(dib.ConvertTo16(2));  // already 16-bit: unchanged
    EXPECT_EQ(dib.GetPixels()[0], 0x1234);
    const Bytes packBmp = Raw16(1, 1, {0x4321}, false);
    ASSERT_TRUE(dib.LoadFromMemory(packBmp.data(), packBmp.size(), false, true));
    EXPECT_EQ(dib.GetPixels()[0], 0x4321);
}

TEST(Dib, RefusesPicturesThatDoNotFitTheirData) {
    Bytes bmp = Bmp24(4, 4, std::vector<Rgb>(16, Rgb{1, 2, 3}));
    auto patched = [&](size_t at, uint32_t v) {
        Bytes b = bmp;
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
        b[at + 2] = uint8_t(v >> 16);
        b[at + 3] = uint8_t(v >> 24);
        return b;
    };
    Bytes notBm = bmp;
    notBm[0] = 'X';
    Bytes bitCount = bmp;
    bitCount[28] = 7;
    Bytes colours8 = bmp;
    colours8[28] = 8;  // 8 bits: 256 colours that the file does not hold
    const std::vector<Bytes> bad = {
        Bytes(bmp.begin(), bmp.begin() + 20),  // header cut short
        Bytes(bmp.begin(), bmp.end() - 5),     // last row cut short
        patched(14, 4000),                     // header size beyond the file
        patched(18, 0x7FFFFFFF),               // width
        patched(22, 0),                        // height
        patched(46, 1000),                     // colour table larger than allowed
        patched(30, 1),                        // run-length compression
        bitCount,
        colours8,
        notBm,
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        CDib dib;
        EXPECT_FALSE(dib.LoadFromMemory(bad[i].data(), bad[i].size(), false)) << i;
        EXPECT_EQ(dib.GetPixels(), nullptr);
    }
    CDib dib;
    EXPECT_FALSE(dib.LoadFromMemory(notBm.data(), notBm.size(), false));
    EXPECT_EQ(dib.GetStatus(), CDib::kNotBmp);

    const Bytes goodTga = Tga32(2, 2, {1, 2, 3, 4});
    const std::vector<Bytes> badTga = {
        Tga32(2, 2, {1, 2, 3, 4}, 2, 32, 1),  // colour map
        Tga32(2, 2, {1, 2, 3, 4}, 1),         // image type
        Tga32(2, 2, {1, 2, 3, 4}, 2, 24),     // depth
        Bytes(goodTga.begin(), goodTga.end() - 1),
        Bytes(goodTga.begin(), goodTga.begin() + 10),
    };
    for (size_t i = 0; i < badTga.size(); ++i)
        EXPECT_FALSE(dib.LoadFromMemory(badTga[i].data(), badTga[i].size(), true)) << i;

    const std::vector<Bytes> badRaw = {
        Raw16(3, 1, {1, 2}, true),                // short
        Raw16(0xFFFFFFFF, 0xFFFFFFFF, {}, true),  // absurd size
        Raw16(0, 5, {}, true),
        Bytes{1, 0, 0},
    };
    for (size_t i = 0; i < badRaw.size(); ++i)
        EXPECT_FALSE(dib.LoadFromMemory(badRaw[i].data(), badRaw[i].size(), true, true)) << i;
}

class PictureFileTest : public GraphicsFixture {
protected:
    qmtest::TempDir m_dir;
};

TEST_F(PictureFileTest, LoadBitmapFillsTheSurface) {
    ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
    const std::string path = m_dir.WriteFile("pic.bmp", Bmp24(2, 2, kFour));
    CSurfaceResource* s = m_dd->GetSurface(m_dd->CreateSurface(4, 4, 0));
    ASSERT_TRUE(s->LoadBitmap(path.c_str()));
    EXPECT_EQ(s->GetOrigin(), 1);
    const auto& p = s->Surface()->Pixels();
    EXPECT_EQ(p.At(0, 0), 0xF800);
    EXPECT_EQ(p.At(1, 1), 0xFFFF);
    // A raw copy beside the file (name + "2") is preferred.
    m_dir.WriteFile("pic.bmp2", Raw16(1, 1, {0x0123}, true));
    ASSERT_TRUE(s->LoadBitmap(path.c_str()));
    EXPECT_EQ(p.At(0, 0), 0x0123);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(PictureFileTest, TooLargeOrBrokenPicturesLeaveTheSurfaceAlone) {
    ASSERT_EQ(BringUp(800, 600, false, false), plat::kOk);
    CSurfaceResource* s = m_dd->GetSurface(m_dd->CreateSurface(320, 240, 0));
    s->FillSurface(0x5555, nullptr);
    const std::string big = m_dir.WriteFile("big.bmp", Bmp24(640, 480, std::vector<Rgb>(640 * 480, Rgb{})));
    EXPECT_FALSE(s->LoadBitmap(big.c_str()));
    EXPECT_EQ(s->Surface()->Pixels().At(0, 0), 0x5555);
    Bytes broken = Bmp24(2, 2, kFour);
    broken.resize(broken.size() - 3);
    const std::string bad = m_dir.WriteFile("bad.bmp", broken);
    EXPECT_FALSE(s->LoadBitmap(bad.c_str()));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);  // the broken file's box (the large one is merely refused)
    EXPECT_NE(m_boxes.Boxes()[0].text.find("bad.bmp]"), std::string::npos);
    EXPECT_FALSE(s->LoadBitmap((m_dir.Path() + "/missing.bmp").c_str()));
    EXPECT_NE(m_boxes.Boxes().back().text.find("missing.bmp]"), std::string::npos);
    EXPECT_EQ(s->Surface()->Pixels().At(0, 0), 0x5555);
    CDib raw;
    const std::string rawPath = m_dir.WriteFile("short.raw", Raw16(4, 4, {1, 2}, true));
    EXPECT_FALSE(raw.LoadRawFile(rawPath.c_str()));
    EXPECT_NE(m_boxes.Boxes().back().text.find("Cannot open file  ["), std::string::npos);
}

}  // namespace
