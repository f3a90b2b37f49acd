#include "graphics/screenshot.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "graphics/pixel_ops.h"
#include "platform/paths.h"

std::string ScreenshotPath(const std::string& folder, const plat::LocalTime& t,
                           const std::function<bool(const std::string&)>& exists) {
    char base[256];
    std::snprintf(base, sizeof base, "./%s/ZIDE_%d_%d_%d_%d_%d_%d", folder.c_str(), t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    std::string path = std::string(base) + ".jpg";
    for (int n = 2; exists && exists(path) && n < 1000; ++n)
        path = std::string(base) + "-" + std::to_string(n) + ".jpg";
    return path;
}

int ScreenshotQuality(int option) {
    if (option == 0) return 75;
    return option < 1 ? 1 : option > 100 ? 100 : option;
}

bool ScreenToBgrBottomUp(const PixelTarget& screen, int kind, std::vector<uint8_t>& out, int& padBytes) {
    if (!screen.bits || screen.width <= 0 || screen.height <= 0 || !HasColorArithmetic(kind)) return false;
    const size_t row = size_t(screen.width) * 3;
    padBytes = int((4 - row % 4) % 4);
    const size_t stride = row + size_t(padBytes);
    out.assign(stride * size_t(screen.height), 0);
    for (int32_t y = 0; y < screen.height; ++y) {
        const uint16_t* src = PixelRow(screen, y);
        uint8_t* dst = out.data() + stride * size_t(screen.height - 1 - y);
        for (int32_t x = 0; x < screen.width; ++x) {
            const PixelChannels c = SplitPixel(src[x], kind);
            dst[3 * x] = uint8_t(c.b << 3);
            dst[3 * x + 1] = uint8_t(c.gMax == 63 ? c.g << 2 : c.g << 3);
            dst[3 * x + 2] = uint8_t(c.r << 3);
        }
    }
    return true;
}

namespace {

// The library's error handler ends the process by default; this one jumps back
// so that a failed encoding is an ordinary false result.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Encodes into memory; the buffer belongs to the caller (free) also on failure.
bool EncodeJpeg(const uint8_t* bgr, int width, int height, size_t stride, int quality, unsigned char** buffer,
                unsigned long* size) {
    jpeg_compress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = OnJpegError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // Bottom-up: the first picture row is the buffer's last.
        JSAMPROW row = const_cast<JSAMPROW>(bgr + stride * size_t(height - 1 - int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool WriteJpegBgrBottomUp(const std::string& path, const uint8_t* bgr, int width, int height, int padBytes,
                          int quality) {
    if (!bgr || width <= 0 || height <= 0 || padBytes < 0) return false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const size_t stride = size_t(width) * 3 + size_t(padBytes);
    bool ok = EncodeJpeg(bgr, width, height, stride, ScreenshotQuality(quality), &buffer, &size);
    ok = ok && buffer && size > 0 && plat::WriteFileAtomic(path, buffer, size);
    std::free(buffer);
    return ok;
}
