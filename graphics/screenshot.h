// Screenshots: the frame's 16-bit pixels turned into a bottom-up BGR buffer and
// encoded as a JPEG file named after the local time.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/blitters.h"
#include "platform/local_time.h"

// "./<folder>/ZIDE_<year>_<month>_<day>_<hour>_<minute>_<second>.jpg", numbers
// not padded. When that file exists already (a second shot within the same
// second), "-2", "-3", ... is added before ".jpg".
std::string ScreenshotPath(const std::string& folder, const plat::LocalTime& time,
                           const std::function<bool(const std::string&)>& exists);

// The JPEG quality for the SCREENSHOT_QUALITY option: 75 when it is missing (0),
// otherwise limited to 1..100.
int ScreenshotQuality(int option);

// The screen as 3 bytes a pixel (blue, green, red), the first screen row last,
// each row padded to a multiple of 4 bytes (padBytes). Pixel kinds 1, 2 and 3.
bool ScreenToBgrBottomUp(const PixelTarget& screen, int kind, std::vector<uint8_t>& out, int& padBytes);

// Encodes a bottom-up BGR buffer and writes it to path (replaced atomically).
bool WriteJpegBgrBottomUp(const std::string& path, const uint8_t* bgr, int width, int height, int padBytes,
                          int quality);
