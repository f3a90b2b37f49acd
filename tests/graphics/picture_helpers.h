// Small helpers the picture tests share: sheet units and decoded JPEG files.
#pragma once
#include <cstdio>
#include <string>
#include <vector>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "graphics/dtx_format.h"
#include "platform/paths.h"

namespace qmtest {

// A unit at (x, y) of the sheet with its texture coordinates set from its position.
inline DtxUnit SheetUnit(int32_t x, int32_t y, int32_t w, int32_t h, int16_t anchorX = 0,
                         int16_t anchorY = 0) {
    DtxUnit u;
    u.x = x;
    u.y = y;
    u.width = w;
    u.height = h;
    u.anchorX = anchorX;
    u.anchorY = anchorY;
    SetUnitTexCoords(u);
    return u;
}

struct DecodedJpeg {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom

    // Red, green and blue of pixel (x, y).
    std::vector<int> At(int x, int y) const {
        const uint8_t* p = rgb.data() + (size_t(y) * width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

inline bool DecodeJpeg(const std::string& path, DecodedJpeg& out) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) return false;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    out.rgb.resize(size_t(out.width) * out.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + size_t(cinfo.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace qmtest
