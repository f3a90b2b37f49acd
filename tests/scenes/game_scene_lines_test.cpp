#include "scenes/game_scene_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config.h"
#include "tests/support/data_fixtures.h"

namespace {

TEST(GameSceneLinesTest, VersionLineShowsHundredthsAndTheBoundedServerText) {
    COptions options;
    const char* text = "World A";
    std::memcpy(options.m_block + OPT_TEXT_1, text, std::strlen(text));
    EXPECT_EQ(FormatVersionLine(1234, options), "Client v12.34 World A");
    EXPECT_EQ(FormatVersionLine(103, options), "Client v1.03 World A");
    // A text that fills its 256 bytes without an end is cut at 255.
    std::memset(options.m_block + OPT_TEXT_1, 'w', 300);
    EXPECT_EQ(FormatVersionLine(100, options), "Client v1.00 " + std::string(255, 'w'));
}

TEST(GameSceneLinesTest, ClockHasNoLeadingZerosAndTheFrameRateOnlyWhenGiven) {
    qmtest::ScopedTextTables tables({{0, {"", "/", " ", ":", ""}}});
    EXPECT_EQ(FormatClockLine(3, 7, 9, 5, nullptr), "[3/7 9:5]");
    const std::string fps = FormatFrameRateLine(29.96f, false);
    EXPECT_EQ(fps, "FPS : 30.0");
    EXPECT_EQ(FormatClockLine(12, 31, 23, 59, fps.c_str()), "FPS : 30.0[12/31 23:59]");
    EXPECT_EQ(FormatFrameRateLine(12.5f, true), "FPS : 12.5 FrameSkip");
}

}  // namespace
