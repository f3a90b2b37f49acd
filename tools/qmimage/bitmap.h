// Plain uncompressed BMP pictures for the image tool: 24- and 32-bit in, 24-bit out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

bool ReadBmp(const std::string& path, RgbPicture& out, std::string& error);
bool WriteBmp(const std::string& path, const RgbPicture& picture);
