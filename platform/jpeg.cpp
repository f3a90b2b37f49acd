#include "platform/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace plat {

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
bool Encode(const uint8_t* bgr, int width, int height, size_t stride, int quality, unsigned char** buffer,
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

bool EncodeJpegBgrBottomUp(const uint8_t* bgr, int width, int height, size_t stride, int quality,
                           std::vector<uint8_t>& out) {
    out.clear();
    if (!bgr || width <= 0 || height <= 0 || stride < size_t(width) * 3) return false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = Encode(bgr, width, height, stride, quality, &buffer, &size) && buffer && size > 0;
    if (ok) out.assign(buffer, buffer + size);
    std::free(buffer);
    return ok;
}

}  // namespace plat
