#include "platform/display.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "platform/bmp_file.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/window_native.h"

namespace plat {

void ConvertToRgb565(const raster::Surface& frame, raster::Surface& out) {
    if (out.Width() != frame.Width() || out.Height() != frame.Height() ||
        out.Format() != raster::PixelFormat::kRgb565)
        out.Reset(frame.Width(), frame.Height(), raster::PixelFormat::kRgb565);
    for (int y = 0; y < frame.Height(); ++y) {
        const uint16_t* s = frame.Row(y);
        uint16_t* d = out.Row(y);
        if (frame.Format() == raster::PixelFormat::kRgb565) {
            std::memcpy(d, s, size_t(frame.Width()) * 2);
        } else {
            for (int x = 0; x < frame.Width(); ++x) d[x] = raster::ToRgb565(frame.Format(), s[x]);
        }
    }
}

bool SaveFrameBmp(const raster::Surface& frame, std::string_view path) {
    if (!frame.Valid()) return false;
    RgbPicture picture;
    picture.width = frame.Width();
    picture.height = frame.Height();
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const uint16_t* s = frame.Row(y);
        uint32_t* d = picture.pixels.data() + size_t(y) * size_t(picture.width);
        for (int x = 0; x < picture.width; ++x) {
            raster::Argb c = raster::Unpack(frame.Format(), s[x]);
            d[x] = uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
        }
    }
    return WriteBmp(path, picture);
}

PresentPacer::PresentPacer(Clock clock, Sleep sleep) : m_clock(std::move(clock)), m_sleep(std::move(sleep)) {}

void PresentPacer::Reset(int refreshRate, bool vsync) {
    m_period = 1000000 / uint64_t(refreshRate > 0 ? refreshRate : 60);
    m_pacing = !vsync;
    m_started = false;
    m_due = m_probeStart = 0;
    m_probed = 0;
}

void PresentPacer::WaitUntilDue() {
    if (!m_started) return;
    const uint64_t now = m_clock();
    if (now < m_due) m_sleep(m_due - now);
}

void PresentPacer::AdvanceDue(uint64_t now) {
    // One period after the frame was due, so that sleeping a little long
    // does not slow the rate down; no burst of frames after a late one.
    const int64_t late = int64_t(now) - int64_t(m_due);
    m_due = m_started && late < int64_t(m_period) ? m_due + m_period : now + m_period;
    m_started = true;
}

void PresentPacer::BeforePresent() {
    if (m_pacing) WaitUntilDue();
}

void PresentPacer::AfterPresent() {
    const uint64_t now = m_clock();
    if (!m_pacing && (!m_started || ++m_probed == kProbeFrames)) {
        // A run of frames shown at more than twice the refresh rate: the
        // vertical sync does not wait, so the pacing takes over for good.
        if (m_started && now - m_probeStart < uint64_t(kProbeFrames) * m_period / 2) m_pacing = true;
        m_probeStart = now;
        m_probed = 0;
    }
    AdvanceDue(now);
}

void PresentPacer::SkipFrame() {
    WaitUntilDue();
    AdvanceDue(m_clock());
}

bool ShownFrame::NeedsShowing(const raster::Surface& frame, uint32_t nowMs) const {
    return !m_valid || nowMs - m_shownAt >= kRefreshMs || frame.Width() != m_frame.Width() ||
           frame.Height() != m_frame.Height() || frame.Format() != m_frame.Format() ||
           std::memcmp(frame.Bits(), m_frame.Bits(), size_t(frame.Pitch()) * size_t(frame.Height())) != 0;
}

void ShownFrame::Shown(const raster::Surface& frame, uint32_t nowMs) {
    if (m_frame.Width() != frame.Width() || m_frame.Height() != frame.Height() ||
        m_frame.Format() != frame.Format())
        m_frame.Reset(frame.Width(), frame.Height(), frame.Format());
    std::memcpy(m_frame.Bits(), frame.Bits(), size_t(frame.Pitch()) * size_t(frame.Height()));
    m_valid = true;
    m_shownAt = nowMs;
}

namespace {

uint64_t MonotonicMicros() {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

void SleepMicros(uint64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

// Writes presented frames to the file named by QM_FRAME_DUMP, once a second at most.
void MaybeDumpFrame(const raster::Surface& frame) {
    static const char* path = std::getenv("QM_FRAME_DUMP");
    static uint32_t last = 0;
    static bool first = true;
    if (!path || !*path) return;
    uint32_t now = timeGetTime();
    if (!first && now - last < 1000) return;
    first = false;
    last = now;
    SaveFrameBmp(frame, path);
}

class SdlDisplay : public Display {
public:
    ~SdlDisplay() override { Close(); }

    bool Open(int width, int height, bool fullScreen) override {
        if (width <= 0 || height <= 0) return false;
        if (!m_videoInit) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
            m_videoInit = true;
        }
        SDL_Window* window = detail::NativeMainWindow();
        if (!window) {
            if (!m_ownWindow) {
                m_ownWindow = SDL_CreateWindow("Quillmarrow", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                               width, height, fullScreen ? SDL_WINDOW_FULLSCREEN : 0);
                if (!m_ownWindow) return false;
            }
            window = m_ownWindow;
        }
        if (window != m_window) {
            DestroyRenderer();
            m_window = window;
        }
        if (!m_watching) {
            SDL_AddEventWatch(WatchWindow, this);
            m_watching = true;
        }
        SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN : 0);
        if (!fullScreen) SDL_SetWindowSize(window, width, height);
        if (!m_renderer) {
            // With vertical sync where the display offers it.
            for (Uint32 flags :
                 {Uint32(SDL_RENDERER_PRESENTVSYNC), Uint32(0),
                  Uint32(SDL_RENDERER_SOFTWARE | SDL_RENDERER_PRESENTVSYNC), Uint32(SDL_RENDERER_SOFTWARE)}) {
                m_renderer = SDL_CreateRenderer(window, -1, flags);
                if (m_renderer) break;
            }
            if (!m_renderer) return false;
            SDL_RendererInfo info;
            const bool vsync =
                SDL_GetRendererInfo(m_renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
            SDL_DisplayMode mode;
            const int refresh = SDL_GetWindowDisplayMode(window, &mode) == 0 ? mode.refresh_rate : 0;
            m_pacer.Reset(refresh, vsync);
        }
        if (!m_texture || width != m_width || height != m_height) {
            if (m_texture) SDL_DestroyTexture(m_texture);
            m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                          width, height);
            if (!m_texture) return false;
            m_width = width;
            m_height = height;
            SDL_RenderSetLogicalSize(m_renderer, width, height);
        }
        return true;
    }

    void Close() override {
        if (m_watching) SDL_DelEventWatch(WatchWindow, this);
        m_watching = false;
        DestroyRenderer();
        if (m_ownWindow) SDL_DestroyWindow(m_ownWindow);
        m_ownWindow = nullptr;
        m_window = nullptr;
        if (m_videoInit) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_videoInit = false;
    }

    bool Present(const raster::Surface& frame) override {
        if (!frame.Valid()) return false;
        ConvertToRgb565(frame, m_last);
        ++m_count;
        MaybeDumpFrame(m_last);
        if (!m_texture || frame.Width() != m_width || frame.Height() != m_height) {
            if (!Open(frame.Width(), frame.Height(), false)) return false;
        }
        const uint32_t now = timeGetTime();
        if (m_contentsLost.exchange(false)) m_shown.Invalidate();
        if (!m_shown.NeedsShowing(m_last, now)) {
            m_pacer.SkipFrame();
            return true;
        }
        if (SDL_UpdateTexture(m_texture, nullptr, m_last.Bits(), m_last.Pitch()) != 0) return false;
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
        m_pacer.BeforePresent();
        SDL_RenderPresent(m_renderer);
        m_pacer.AfterPresent();
        m_shown.Shown(m_last, now);
        return true;
    }

    const raster::Surface* LastFrame() const override { return m_count ? &m_last : nullptr; }
    int PresentCount() const override { return m_count; }

private:
    // Notes when the window's contents are lost, so that the next frame is
    // shown even when it did not change.
    static int WatchWindow(void* self, SDL_Event* event) {
        auto* display = static_cast<SdlDisplay*>(self);
        if (event->type != SDL_WINDOWEVENT || !display->m_window ||
            event->window.windowID != SDL_GetWindowID(display->m_window))
            return 0;
        switch (event->window.event) {
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
                display->m_contentsLost = true;
                break;
            default:
                break;
        }
        return 0;
    }

    void DestroyRenderer() {
        m_shown.Invalidate();
        if (m_texture) SDL_DestroyTexture(m_texture);
        if (m_renderer) SDL_DestroyRenderer(m_renderer);
        m_texture = nullptr;
        m_renderer = nullptr;
        m_width = m_height = 0;
    }

    bool m_videoInit = false;
    SDL_Window* m_ownWindow = nullptr;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_width = 0, m_height = 0, m_count = 0;
    raster::Surface m_last;
    PresentPacer m_pacer{MonotonicMicros, SleepMicros};
    ShownFrame m_shown;
    bool m_watching = false;
    std::atomic<bool> m_contentsLost{false};
};

std::unique_ptr<Display>& DisplaySlot() {
    static std::unique_ptr<Display> display;
    return display;
}

}  // namespace

std::unique_ptr<Display> CreateSdlDisplay() {
    return std::make_unique<SdlDisplay>();
}

Display& GetDisplay() {
    auto& slot = DisplaySlot();
    if (!slot) slot = CreateSdlDisplay();
    return *slot;
}

std::unique_ptr<Display> SetDisplay(std::unique_ptr<Display> display) {
    std::unique_ptr<Display> old = std::move(DisplaySlot());
    DisplaySlot() = std::move(display);
    return old;
}

bool RecordingDisplay::Open(int width, int height, bool fullScreen) {
    if (width <= 0 || height <= 0) return false;
    m_open = true;
    m_width = width;
    m_height = height;
    m_fullScreen = fullScreen;
    return true;
}

bool RecordingDisplay::Present(const raster::Surface& frame) {
    if (m_failures > 0) {
        --m_failures;
        return false;
    }
    if (!frame.Valid()) return false;
    ConvertToRgb565(frame, m_last);
    ++m_count;
    MaybeDumpFrame(m_last);
    return true;
}

}  // namespace plat
