#include "platform/display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A display on a simulated clock: each frame takes its work time, the
// present waits for the next vertical blank when the sync works, and the
// times the frames were shown are kept.
struct SimulatedDisplay {
    uint64_t now = 0;
    uint64_t slept = 0;
    std::vector<uint64_t> shown;
    plat::PresentPacer pacer{[this] { return now; },
                             [this](uint64_t micros) {
                                 now += micros;
                                 slept += micros;
                             }};

    void Run(int frames, uint64_t work, bool syncWaits, uint64_t blank) {
        for (int i = 0; i < frames; ++i) {
            now += work;
            pacer.BeforePresent();
            if (syncWaits) now = (now / blank + 1) * blank;
            shown.push_back(now);
            pacer.AfterPresent();
        }
    }
    // The shortest gap between two frames shown, from frame `from` on.
    uint64_t ShortestGap(size_t from) const {
        uint64_t gap = UINT64_MAX;
        for (size_t i = std::max<size_t>(from, 1); i < shown.size(); ++i)
            gap = std::min(gap, shown[i] - shown[i - 1]);
        return gap;
    }
};

TEST(PresentPacer, AWindowNeverShowsMoreFramesThanTheDisplay) {
    constexpr uint64_t k60 = 1000000 / 60, k75 = 1000000 / 75;
    constexpr int kProbe = plat::PresentPacer::kProbeFrames;
    struct Case {
        const char* what;
        int refresh;
        bool vsync, syncWaits;
        uint64_t work;
        bool pacing;   // at the end
        bool sleeps;   // the pacer ever waited
        uint64_t gap;  // the shortest gap between frames once settled
    } cases[] = {
        {"no vertical sync, idle frames", 60, false, false, 100, true, true, k60},
        {"refresh rate unknown: 60 Hz", 0, false, false, 100, true, true, k60},
        {"no vertical sync at 75 Hz", 75, false, false, 100, true, true, k75},
        {"no vertical sync, frames slower than the display", 60, false, false, 2 * k60, true, false, 2 * k60},
        {"a sync that waits", 60, true, true, 100, false, false, k60},
        {"a sync that waits, slow frames", 60, true, true, 3 * k60 / 2, false, false, 2 * k60},
        {"a sync that does not wait", 60, true, false, 100, true, true, k60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedDisplay display;
        display.pacer.Reset(c.refresh, c.vsync);
        display.Run(4 * kProbe, c.work, c.syncWaits, display.pacer.Period());
        EXPECT_EQ(display.pacer.Pacing(), c.pacing);
        EXPECT_EQ(display.slept > 0, c.sleeps);
        EXPECT_GE(display.ShortestGap(2 * kProbe), c.gap - 1);
        // Over the settled frames the rate is the display's (or the frames' own, when slower).
        const uint64_t span = display.shown.back() - display.shown[2 * kProbe];
        EXPECT_LE(span, (2 * kProbe - 1) * c.gap + c.gap / 2);
    }
}

TEST(PresentPacer, ALateFrameStartsTheCountAfresh) {
    constexpr uint64_t period = 1000000 / 60;
    SimulatedDisplay display;
    display.pacer.Reset(60, false);
    display.Run(3, 0, false, period);
    display.now += 5 * period;  // a long frame
    display.Run(3, 0, false, period);
    // No burst of frames to make up for it: the next ones come a period apart.
    EXPECT_GE(display.shown[4] - display.shown[3], period);
    EXPECT_GE(display.shown[5] - display.shown[4], period);
}

TEST(PresentPacer, AFrameNotShownTakesAPeriodAsWell) {
    constexpr uint64_t period = 1000000 / 60;
    // A sync that waits does the waiting of the frames it shows; the frames
    // left out must not run the loop flat out.
    for (const bool vsync : {true, false}) {
        SCOPED_TRACE(vsync);
        SimulatedDisplay display;
        display.pacer.Reset(60, vsync);
        display.Run(1, 100, vsync, period);
        const uint64_t start = display.now;
        for (int i = 0; i < 30; ++i) {
            display.now += 100;
            display.pacer.SkipFrame();
        }
        EXPECT_GE(display.now - start, 30 * period - period / 2);
        EXPECT_LE(display.now - start, 30 * period + period / 2);
    }
}

TEST(ShownFrame, OnlyAChangedOrLostPictureIsShownAgain) {
    using plat::raster::PixelFormat;
    plat::raster::Surface picture;
    picture.Reset(4, 3, PixelFormat::kRgb565);
    plat::raster::Surface changed = picture, wider, other;
    changed.At(3, 2) = 0x0001;
    wider.Reset(5, 3, PixelFormat::kRgb565);
    other.Reset(4, 3, PixelFormat::kRgb555);
    plat::ShownFrame shown;
    EXPECT_TRUE(shown.NeedsShowing(picture, 0)) << "nothing shown yet";
    shown.Shown(picture, 100);
    struct Case {
        const char* what;
        const plat::raster::Surface& frame;
        uint32_t now;
        bool show;
    } cases[] = {
        {"the same picture", picture, 200, false},
        {"the same picture just under a second later", picture, 100 + plat::ShownFrame::kRefreshMs - 1,
         false},
        {"the same picture a second later", picture, 100 + plat::ShownFrame::kRefreshMs, true},
        {"one pixel changed", changed, 200, true},
        {"another size", wider, 200, true},
        {"another pixel layout", other, 200, true},
    };
    for (const Case& c : cases) EXPECT_EQ(shown.NeedsShowing(c.frame, c.now), c.show) << c.what;
    shown.Invalidate();
    EXPECT_TRUE(shown.NeedsShowing(picture, 200)) << "the window's contents were lost";
}

}  // namespace
