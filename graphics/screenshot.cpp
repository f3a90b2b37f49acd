#include "graphics/screenshot.h"

#include <cstdio>

#include "graphics/pixel_ops.h"
#include "platform/jpeg.h"
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

bool WriteJpegBgrBottomUp(const std::string& path, const uint8_t* bgr, int width, int height, int padBytes,
                          int quality) {
    if (!bgr || width <= 0 || height <= 0 || padBytes < 0) return false;
    const size_t stride = size_t(width) * 3 + size_t(padBytes);
    std::vector<uint8_t> encoded;
    return plat::EncodeJpegBgrBottomUp(bgr, width, height, stride, ScreenshotQuality(quality), encoded) &&
           plat::WriteFileAtomic(path, encoded.data(), encoded.size());
}
