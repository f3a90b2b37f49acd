#include "platform/bmp_file.h"

#include "platform/paths.h"

namespace plat {

namespace {

constexpr size_t kHeaderSize = 54;  // file header and the 40-byte info header

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

uint32_t Get16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t Get32(const uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const RgbPicture& picture, bool topDown) {
    const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
    const size_t dataSize = stride * size_t(picture.height);
    std::vector<uint8_t> out(kHeaderSize + dataSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, uint32_t(kHeaderSize));
    Put32(out, 14, 40);
    Put32(out, 18, uint32_t(picture.width));
    Put32(out, 22, topDown ? uint32_t(-picture.height) : uint32_t(picture.height));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, uint32_t(dataSize));
    for (int32_t y = 0; y < picture.height; ++y) {
        uint8_t* d = out.data() + kHeaderSize + stride * size_t(topDown ? y : picture.height - 1 - y);
        const uint32_t* s = picture.pixels.data() + size_t(y) * size_t(picture.width);
        for (int32_t x = 0; x < picture.width; ++x) {
            d[x * 3] = uint8_t(s[x]);
            d[x * 3 + 1] = uint8_t(s[x] >> 8);
            d[x * 3 + 2] = uint8_t(s[x] >> 16);
        }
    }
    return out;
}

bool DecodeBmp(const uint8_t* bytes, size_t size, RgbPicture& out, std::string& error) {
    if (!bytes || size < kHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        error = "not a BMP picture";
        return false;
    }
    const uint32_t dataOffset = Get32(bytes + 10);
    const int32_t width = int32_t(Get32(bytes + 18));
    const int32_t height = int32_t(Get32(bytes + 22));
    const uint32_t bits = Get16(bytes + 28);
    const uint32_t compression = Get32(bytes + 30);
    if ((bits != 24 && bits != 32) || (compression != 0 && compression != 3) || width <= 0 || height == 0 ||
        width > 16384 || height > 16384 || height < -16384) {
        error = "only uncompressed 24- and 32-bit pictures are read";
        return false;
    }
    const bool bottomUp = height > 0;
    const int32_t h = bottomUp ? height : -height;
    const size_t stride = (size_t(width) * (bits / 8) + 3) & ~size_t(3);
    if (dataOffset > size || stride * size_t(h) > size - dataOffset) {
        error = "pixel data is short";
        return false;
    }
    out.width = width;
    out.height = h;
    out.pixels.resize(size_t(width) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = bytes + dataOffset + stride * size_t(bottomUp ? h - 1 - y : y);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * (bits / 8);
            out.pixels[size_t(y) * size_t(width) + size_t(x)] =
                (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    return true;
}

bool ReadBmp(const std::string& path, RgbPicture& out, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    if (!DecodeBmp(bytes.data(), bytes.size(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WriteBmp(std::string_view path, const RgbPicture& picture) {
    const std::vector<uint8_t> bytes = EncodeBmp(picture);
    return WriteFileAtomic(path, bytes.data(), bytes.size());
}

}  // namespace plat
