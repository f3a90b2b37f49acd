// Plain uncompressed BMP pictures: the frame dump, the tools and the tests
// read and write them here. 24- and 32-bit pictures are read; 24-bit ones are
// written.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct RgbPicture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};

// The 24-bit BMP file of a picture, rows stored bottom-up (top-down, with a
// negative height, when asked).
std::vector<uint8_t> EncodeBmp(const RgbPicture& picture, bool topDown = false);
// Reads an uncompressed 24- or 32-bit picture, bottom-up or top-down; false
// with the reason for anything else, a short file included.
bool DecodeBmp(const uint8_t* bytes, size_t size, RgbPicture& out, std::string& error);

bool ReadBmp(const std::string& path, RgbPicture& out, std::string& error);
// Writes the 24-bit file (replaced atomically). False on failure.
bool WriteBmp(std::string_view path, const RgbPicture& picture);

}  // namespace plat
