// Presentation of finished 16-bit frames. The real display shows them in the
// main window (or a window of its own while there is none) through one
// streaming RGB565 texture, at most one a display refresh (with vertical sync
// where the display offers it); the recording display only
// keeps them. Either way the last presented frame can be read back, and the
// setting QM_FRAME_DUMP=<file.bmp> writes it to a picture file (at most once a
// second) for looking at.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/raster/surface.h"

namespace plat {

class Display {
public:
    virtual ~Display() = default;
    // Prepares the output for frames of width x height (full screen or in the
    // main window). False when no output can be made.
    virtual bool Open(int width, int height, bool fullScreen) = 0;
    virtual void Close() = 0;
    // Shows the frame (any 16-bit layout; converted to RGB565). False when it
    // could not be shown.
    virtual bool Present(const raster::Surface& frame) = 0;
    // The last presented frame in RGB565, or null before the first.
    virtual const raster::Surface* LastFrame() const = 0;
    virtual int PresentCount() const = 0;
};

// The display the program presents through (the SDL one unless replaced).
Display& GetDisplay();
// Replaces the display (tests install a RecordingDisplay); returns the old one.
std::unique_ptr<Display> SetDisplay(std::unique_ptr<Display> display);

std::unique_ptr<Display> CreateSdlDisplay();

class RecordingDisplay : public Display {
public:
    bool Open(int width, int height, bool fullScreen) override;
    void Close() override { m_open = false; }
    bool Present(const raster::Surface& frame) override;
    const raster::Surface* LastFrame() const override { return m_count ? &m_last : nullptr; }
    int PresentCount() const override { return m_count; }

    bool IsOpen() const { return m_open; }
    bool FullScreen() const { return m_fullScreen; }
    int OpenWidth() const { return m_width; }
    int OpenHeight() const { return m_height; }
    // Makes the next n presents fail.
    void FailPresents(int n) { m_failures = n; }

private:
    bool m_open = false, m_fullScreen = false;
    int m_width = 0, m_height = 0, m_count = 0, m_failures = 0;
    raster::Surface m_last;
};

// Keeps a window from showing more frames than the display does. Where the
// renderer waits for the vertical blank in its present, it does nothing;
// where it does not (no vertical sync, or one that returns at once, as on a
// virtual X server), each present waits until a refresh period has passed
// since the one before. Frames that come slower than the display are never
// held back. Times are microseconds of the clock given.
class PresentPacer {
public:
    using Clock = std::function<uint64_t()>;
    using Sleep = std::function<void(uint64_t micros)>;
    // Presents that show whether the vertical sync really waits.
    static constexpr int kProbeFrames = 16;

    PresentPacer(Clock clock, Sleep sleep);
    // The display's refresh rate; 0 or less (unknown) counts as 60 Hz. The
    // renderer's claim that it waits for the vertical blank.
    void Reset(int refreshRate, bool vsync);
    // Waits, when pacing, until the frame may be shown.
    void BeforePresent();
    // Notes that a frame has been shown.
    void AfterPresent();
    // A frame that is not shown (nothing changed) takes the time showing it
    // would have taken, whoever does the waiting otherwise.
    void SkipFrame();

    uint64_t Period() const { return m_period; }
    bool Pacing() const { return m_pacing; }

private:
    void WaitUntilDue();
    // The next frame is due a period after this one was; a frame later than
    // a whole period starts the count afresh.
    void AdvanceDue(uint64_t now);

    Clock m_clock;
    Sleep m_sleep;
    uint64_t m_period = 1000000 / 60;
    bool m_pacing = true;
    bool m_started = false;  // a frame has passed since Reset
    uint64_t m_due = 0;      // when the next frame may be shown
    // Trusting the vertical sync: when the current run of kProbeFrames began.
    uint64_t m_probeStart = 0;
    int m_probed = 0;
};

// Whether a frame has to be shown: one that differs from the frame on the
// screen, the first after the window's contents were lost (uncovered,
// resized) and, to be safe, one at least a second after the last shown. A
// still picture is then not sent to the screen again every frame.
class ShownFrame {
public:
    static constexpr uint32_t kRefreshMs = 1000;

    bool NeedsShowing(const raster::Surface& frame, uint32_t nowMs) const;
    void Shown(const raster::Surface& frame, uint32_t nowMs);
    // The screen no longer shows the frame.
    void Invalidate() { m_valid = false; }

private:
    raster::Surface m_frame;
    bool m_valid = false;
    uint32_t m_shownAt = 0;
};

// Converts any 16-bit frame to an RGB565 copy.
void ConvertToRgb565(const raster::Surface& frame, raster::Surface& out);
// Writes a 16-bit frame as a 24-bit BMP file (atomically). False on failure.
bool SaveFrameBmp(const raster::Surface& frame, std::string_view path);

}  // namespace plat
