#include "platform/display.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
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

namespace {

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
        SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN : 0);
        if (!fullScreen) SDL_SetWindowSize(window, width, height);
        if (!m_renderer) {
            m_renderer = SDL_CreateRenderer(window, -1, 0);
            if (!m_renderer) m_renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
            if (!m_renderer) return false;
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
        if (SDL_UpdateTexture(m_texture, nullptr, m_last.Bits(), m_last.Pitch()) != 0) return false;
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
        SDL_RenderPresent(m_renderer);
        return true;
    }

    const raster::Surface* LastFrame() const override { return m_count ? &m_last : nullptr; }
    int PresentCount() const override { return m_count; }

private:
    void DestroyRenderer() {
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
