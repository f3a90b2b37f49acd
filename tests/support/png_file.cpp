#include "tests/support/png_file.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

namespace qmtest {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
    Put32(out, uint32_t(crc));
}

int Paeth(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

}  // namespace

bool WritePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 || image.rgb.size() != size_t(image.width) * image.height * 3)
        return false;
    const size_t stride = size_t(image.width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), image.rgb.begin() + ptrdiff_t(size_t(y) * stride),
                   image.rgb.begin() + ptrdiff_t(size_t(y + 1) * stride));
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<uint8_t> out(kSignature, kSignature + 8);
    std::vector<uint8_t> header;
    Put32(header, uint32_t(image.width));
    Put32(header, uint32_t(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return plat::WriteFileAtomic(path, out.data(), out.size());
}

bool ReadPng(const std::string& path, RgbImage* image) {
    std::vector<uint8_t> file;
    if (!plat::ReadWholeFile(path, file) || file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0)
        return false;
    int width = 0, height = 0;
    std::vector<uint8_t> packed;
    size_t pos = 8;
    bool ended = false;
    while (pos + 12 <= file.size() && !ended) {
        uint32_t len = Get32(&file[pos]);
        if (len > file.size() - pos - 12) return false;
        const uint8_t* type = &file[pos + 4];
        const uint8_t* data = &file[pos + 8];
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (len != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
            width = int(Get32(data));
            height = int(Get32(data + 4));
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), data, data + len);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        pos += 12 + len;
    }
    if (!ended || width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    const size_t stride = size_t(width) * 3;
    std::vector<uint8_t> raw((stride + 1) * size_t(height));
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    image->width = width;
    image->height = height;
    image->rgb.assign(stride * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t filter = raw[size_t(y) * (stride + 1)];
        const uint8_t* src = &raw[size_t(y) * (stride + 1) + 1];
        uint8_t* row = &image->rgb[size_t(y) * stride];
        const uint8_t* up = y > 0 ? row - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            int a = i >= 3 ? row[i - 3] : 0, b = up ? up[i] : 0, c = (up && i >= 3) ? up[i - 3] : 0;
            int v = src[i];
            switch (filter) {
                case 0:
                    break;
                case 1:
                    v += a;
                    break;
                case 2:
                    v += b;
                    break;
                case 3:
                    v += (a + b) / 2;
                    break;
                case 4:
                    v += Paeth(a, b, c);
                    break;
                default:
                    return false;
            }
            row[i] = uint8_t(v);
        }
    }
    return true;
}

}  // namespace qmtest
