// JPEG encoding of 24-bit pictures (screenshots).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// Encodes width x height pixels of 3 bytes each (blue, green, red), rows
// stride bytes apart and stored first row last, at quality 1..100. False, with
// out empty, when the picture cannot be encoded.
bool EncodeJpegBgrBottomUp(const uint8_t* bgr, int width, int height, size_t stride, int quality,
                           std::vector<uint8_t>& out);

}  // namespace plat
