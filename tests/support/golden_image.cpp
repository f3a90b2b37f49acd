#include "tests/support/golden_image.h"

#include <cstdlib>

#include "platform/paths.h"
#include "platform/raster/pixel.h"
#include "tests/support/temp_dir.h"

namespace qmtest {

RgbImage ToRgb(const plat::raster::Surface& surface, int width, int height) {
    RgbImage image{width, height, {}};
    image.rgb.reserve(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            plat::raster::Argb c = plat::raster::Unpack(surface.Format(), surface.At(x, y));
            image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
        }
    return image;
}

::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& relativePath) {
    const char* source = std::getenv("QM_SOURCE_DIR");
    const std::string golden = std::string(source ? source : SourceDir().c_str()) + "/" + relativePath;
    const char* refresh = std::getenv("QM_REFRESH_GOLDEN");
    if (refresh && std::string(refresh) == "1") {
        plat::CreateDirectories(golden.substr(0, golden.find_last_of('/')));
        if (!WritePng(golden, actual)) return ::testing::AssertionFailure() << "cannot write " << golden;
        return ::testing::AssertionSuccess() << "rewrote " << golden;
    }
    RgbImage expected;
    if (!ReadPng(golden, &expected))
        return ::testing::AssertionFailure() << golden << " is missing: run with QM_REFRESH_GOLDEN=1";
    std::string name = relativePath.substr(relativePath.find_last_of('/') + 1);
    name = name.substr(0, name.find_last_of('.')) + ".actual.png";
    if (expected.width != actual.width || expected.height != actual.height) {
        WritePng(name, actual);
        return ::testing::AssertionFailure()
               << "the picture is " << actual.width << " x " << actual.height << ", " << golden << " is "
               << expected.width << " x " << expected.height << "; this run's picture: " << name;
    }
    size_t differing = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3)
        if (actual.rgb[i] != expected.rgb[i] || actual.rgb[i + 1] != expected.rgb[i + 1] ||
            actual.rgb[i + 2] != expected.rgb[i + 2])
            ++differing;
    if (differing == 0) return ::testing::AssertionSuccess();
    WritePng(name, actual);
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << golden << "; this run's picture: " << name;
}

}  // namespace qmtest
