#include "graphics/pixel_ops.h"

#include <cstring>

void ConvertStoredPixels(uint16_t* pixels, size_t n, int kind, uint8_t alpha) {
    size_t i = 0;
    if (kind == PIXEL_KIND_555 || kind == PIXEL_KIND_4444) {
        const uint32_t a = (uint32_t(alpha) << 8) * 0x00010001u;
        for (; i + 1 < n; i += 2) {
            uint32_t w;
            std::memcpy(&w, pixels + i, 4);
            if (kind == PIXEL_KIND_555)
                w = ((w >> 1) & 0x7FE07FE0u) | (w & 0x001F001Fu);
            else
                w = ((((w >> 2) & 0x01E001E0u) | (w & 0x001E001Eu)) >> 1) | ((w >> 4) & 0x0F000F00u) | a;
            std::memcpy(pixels + i, &w, 4);
        }
    } else if (kind != PIXEL_KIND_BGR565) {
        return;  // stays 5-6-5
    }
    for (; i < n; ++i) pixels[i] = ConvertStoredPixel(pixels[i], kind, alpha);
}
