// Golden pictures: a frame compared pixel for pixel with a PNG kept in the
// repository. QM_REFRESH_GOLDEN=1 rewrites the PNG instead (look at it before
// committing). A picture that differs is written to <name>.actual.png in the
// test's working folder.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/raster/surface.h"
#include "tests/support/png_file.h"

namespace qmtest {

// The top-left width x height pixels of a 16-bit surface as RGB.
RgbImage ToRgb(const plat::raster::Surface& surface, int width, int height);

// Compares the picture with the golden PNG at the path below the repository
// root ("tests/graphics/golden/text_styles.png").
::testing::AssertionResult MatchesGolden(const RgbImage& actual, const std::string& relativePath);

}  // namespace qmtest
