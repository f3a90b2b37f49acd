// Small PNG files for golden-image tests: 8-bit RGB, not interlaced.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
    bool operator==(const RgbImage&) const = default;
};

// Writes the image (atomically); false on failure.
bool WritePng(const std::string& path, const RgbImage& image);
// Reads an 8-bit RGB, non-interlaced PNG; false for anything else or a damaged file.
bool ReadPng(const std::string& path, RgbImage* image);

}  // namespace qmtest
