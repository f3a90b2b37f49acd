#include "tools/qmimage/bitmap.h"

#include "graphics/byte_source.h"
#include "platform/paths.h"

bool ReadBmp(const std::string& path, RgbPicture& out, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    CMemorySource src(bytes);
    uint16_t magic = 0, planes = 0, bits = 0;
    uint32_t fileSize, reserved, dataOffset, headerSize, compression;
    int32_t width = 0, height = 0;
    if (!src.ReadU16(magic) || magic != 0x4D42 || !src.ReadU32(fileSize) || !src.ReadU32(reserved) ||
        !src.ReadU32(dataOffset) || !src.ReadU32(headerSize) || !src.ReadI32(width) || !src.ReadI32(height) ||
        !src.ReadU16(planes) || !src.ReadU16(bits) || !src.ReadU32(compression)) {
        error = path + " is not a BMP picture";
        return false;
    }
    if ((bits != 24 && bits != 32) || (compression != 0 && compression != 3) || width <= 0 || height == 0 ||
        width > 16384 || height > 16384 || height < -16384) {
        error = path + ": only uncompressed 24- and 32-bit pictures are read";
        return false;
    }
    const bool bottomUp = height > 0;
    const int32_t h = bottomUp ? height : -height;
    const size_t stride = (size_t(width) * (bits / 8) + 3) & ~size_t(3);
    if (dataOffset > bytes.size() || stride * size_t(h) > bytes.size() - dataOffset) {
        error = path + ": pixel data is short";
        return false;
    }
    out.width = width;
    out.height = h;
    out.pixels.resize(size_t(width) * h);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = bytes.data() + dataOffset + stride * size_t(bottomUp ? h - 1 - y : y);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * (bits / 8);
            out.pixels[size_t(y) * width + x] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    return true;
}

bool WriteBmp(const std::string& path, const RgbPicture& picture) {
    const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
    const uint32_t dataSize = uint32_t(stride * picture.height);
    CByteWriter w;
    w.U16(0x4D42);
    w.U32(54 + dataSize);
    w.U32(0);
    w.U32(54);
    w.U32(40);
    w.I32(picture.width);
    w.I32(picture.height);
    w.U16(1);
    w.U16(24);
    w.U32(0);
    w.U32(dataSize);
    w.U32(2835);
    w.U32(2835);
    w.U32(0);
    w.U32(0);
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            uint32_t c = picture.pixels[size_t(y) * picture.width + x];
            w.U8(uint8_t(c));
            w.U8(uint8_t(c >> 8));
            w.U8(uint8_t(c >> 16));
        }
        for (size_t i = size_t(picture.width) * 3; i < stride; ++i) w.U8(0);
    }
    return plat::WriteFileAtomic(path, w.Data().data(), w.Data().size());
}
