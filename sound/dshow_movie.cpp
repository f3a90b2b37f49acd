#include "sound/dshow_movie.h"

#include <algorithm>
#include <cstring>

#include "graphics/direct_draw.h"
#include "graphics/surface_resource.h"
#include "sound/movie_fit.h"

namespace {

plat::raster::PixelFormat FormatOfKind(int32_t kind) {
    switch (kind) {
        case kPixel555:
            return plat::raster::PixelFormat::kRgb555;
        case kPixel565RedLow:
            return plat::raster::PixelFormat::kBgr565;
        default:
            return plat::raster::PixelFormat::kRgb565;
    }
}

}  // namespace

CDShowMovie::CDShowMovie(int32_t screenWidth, int32_t screenHeight)
    : m_width(screenWidth), m_height(screenHeight) {}

CDShowMovie::~CDShowMovie() {
    Close();
}

bool CDShowMovie::OpenMovieStream(const char* path) {
    Close();
    if (!path || !g_pDirectDraw || m_width <= 0 || m_height <= 0) return false;
    m_path = path;
    const plat::raster::PixelFormat format = FormatOfKind(g_pDirectDraw->GetPixelKind());
    if (!m_playback.Open(plat::OpenFileInput(path), format, m_width, m_height)) return false;
    if (!FitMovieToWidth(m_playback.Width(), m_playback.Height(), m_width, m_height, m_dest, m_source)) {
        Close();
        return false;
    }
    m_surfaceId =
        g_pDirectDraw->CreateSurface(m_width, m_height, plat::kCapsOffscreenPlain | plat::kCapsSystemMemory);
    if (!m_surfaceId || !g_pDirectDraw->GetSurface(m_surfaceId)) {
        Close();
        return false;
    }
    return true;
}

bool CDShowMovie::RenderFrame() {
    CSurfaceResource* surface =
        g_pDirectDraw && m_surfaceId ? g_pDirectDraw->GetSurface(m_surfaceId) : nullptr;
    if (!m_playback.IsOpen() || !surface) {
        Close();
        return false;
    }
    if (m_playback.Advance()) {
        plat::LockInfo lock;
        if (!surface->Lock(&lock) || !lock.bits) {
            Close();
            return false;
        }
        m_playback.CopyFrame(lock);
        surface->Unlock();
    }
    if (m_playback.IsFinished()) {
        Close();
        return false;
    }
    CSurfaceResource* back = g_pDirectDraw->GetRenderSurface();
    if (m_playback.HasFrame() && back && back->Surface())
        BlitWaiting(g_pDirectDraw->Device(), back->Surface(), m_dest, surface->Surface(), m_source, 0);
    return true;
}

void CDShowMovie::Close() {
    m_playback.Close();
    if (m_surfaceId && g_pDirectDraw) g_pDirectDraw->DestroySurface(m_surfaceId);
    m_surfaceId = 0;
}
