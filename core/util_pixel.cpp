// Colours and 16-bit pixel conversions.
#include <algorithm>

#include "core/util.h"

void SetColorByIndex(uint32_t& colour, int index) {
    static const uint8_t kColours[8][3] = {
        {255, 0, 0},  {0, 0, 255},   {255, 255, 255}, {0, 0, 0},
        {128, 64, 0}, {255, 255, 0}, {255, 0, 128},   {128, 128, 128},
    };
    if (index < 0 || index >= 8) return;
    const uint8_t* c = kColours[index];
    colour = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16;
}

uint16_t Rgb888To565(uint32_t rgb) {
    uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
}

uint16_t Rgb888To555(uint32_t rgb) {
    uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return uint16_t((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
}

uint16_t Rgb565To555(uint16_t pixel) {
    return uint16_t(((pixel >> 1) & 0x7FE0) | (pixel & 0x1F));
}

namespace {

int GreyLevel(int low, int middle, int top) {
    return int(0.3f * float(low) + 0.59f * float(middle) + 0.1f * float(top) + 0.01f);
}

}  // namespace

uint16_t GreyPixel565(uint16_t pixel) {
    int grey = GreyLevel(pixel & 0x1F, (pixel >> 6) & 0x1F, (pixel >> 11) & 0x1F);
    int five = std::min(grey, 31), six = std::min(grey * 2, 63);
    return uint16_t(five << 11 | six << 5 | five);
}

uint16_t GreyPixel555(uint16_t pixel) {
    int grey = std::min(GreyLevel(pixel & 0x1F, (pixel >> 5) & 0x1F, (pixel >> 10) & 0x1F), 31);
    return uint16_t(grey << 10 | grey << 5 | grey);
}
