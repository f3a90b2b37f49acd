// Presentation of finished 16-bit frames. The real display shows them in the
// main window (or a window of its own while there is none) through one
// streaming RGB565 texture; the recording display only
// keeps them. Either way the last presented frame can be read back, and the
// setting QM_FRAME_DUMP=<file.bmp> writes it to a picture file (at most once a
// second) for looking at.
#pragma once
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

// Converts any 16-bit frame to an RGB565 copy.
void ConvertToRgb565(const raster::Surface& frame, raster::Surface& out);
// Writes a 16-bit frame as a 24-bit BMP file (atomically). False on failure.
bool SaveFrameBmp(const raster::Surface& frame, std::string_view path);

}  // namespace plat
