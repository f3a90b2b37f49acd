#include "sound/bink_movie.h"

#include <algorithm>
#include <cstring>

#include "core/app_state.h"
#include "graphics/direct3d.h"
#include "graphics/direct_draw.h"
#include "graphics/math3d.h"
#include "graphics/texture_resource.h"
#include "sound/movie_fit.h"
#include "sound/movie_reader.h"

namespace {

int32_t g_openMovies = 0;

}  // namespace

int32_t RoundUpPow2(int32_t n) {
    int32_t side = 2;
    while (side < n && side < MAX_MOVIE_TEXTURE) side *= 2;
    return side;
}

bool IsMovieOpen() {
    return g_openMovies > 0;
}

int32_t GetOpenMovieCount() {
    return g_openMovies;
}

CBinkMovie::CBinkMovie(uint32_t targetWidth, uint32_t targetHeight)
    : m_targetWidth(targetWidth), m_targetHeight(targetHeight) {}

CBinkMovie::~CBinkMovie() {
    Close();
}

bool CBinkMovie::Open(const char* path, const char* keyText) {
    if (m_open || !path) return false;
    std::unique_ptr<plat::MediaInput> file = plat::OpenFileInput(path);
    if (!file) return false;
    const std::vector<uint8_t> key = keyText ? MovieKey(keyText) : std::vector<uint8_t>{};
    auto reader = std::make_unique<CMovieReader>(std::move(file), key);

    // The texture format the display offers.
    CDirect3D* d3d = g_pDirect3D;
    int32_t format = 0;
    plat::raster::PixelFormat pixels = plat::raster::PixelFormat::kRgb565;
    if (g_pDirectDraw && d3d) {
        const int32_t mode = g_pDirectDraw->GetPixelKind();
        if (mode == kPixel565 && (d3d->GetFormatFlags() & kHasR5G6B5)) {
            format = kTexR5G6B5;
        } else if (mode == kPixel555 && (d3d->GetFormatFlags() & kHasX1R5G5B5)) {
            format = kTexX1R5G5B5;
            pixels = plat::raster::PixelFormat::kRgb555;
        }
    }
    if (!m_playback.Open(std::move(reader), pixels, MAX_MOVIE_TEXTURE, MAX_MOVIE_TEXTURE)) return false;
    if (!format) {
        m_playback.Close();
        return false;
    }
    const int32_t w = m_playback.Width(), h = m_playback.Height();
    m_textureWidth = RoundUpPow2(w);
    m_textureHeight = RoundUpPow2(h);
    m_textureFormat = format;
    m_textureId = d3d->CreateTexture(0, m_textureWidth, m_textureHeight, format);
    if (!m_textureId) {
        m_playback.Close();
        return false;
    }

    const plat::raster::Rect r = FitMovie(w, h, int32_t(m_targetWidth), int32_t(m_targetHeight));
    const float u = float(w) / float(m_textureWidth), v = float(h) / float(m_textureHeight);
    const int32_t xs[4] = {r.left, r.right, r.right, r.left};
    const int32_t ys[4] = {r.top, r.top, r.bottom, r.bottom};
    const float us[4] = {0.0f, u, u, 0.0f}, vs[4] = {0.0f, 0.0f, v, v};
    for (int i = 0; i < 4; ++i)
        m_quad[i] = {float(d3d->ScreenToWorldX(xs[i])),
                     float(d3d->ScreenToWorldY(ys[i])),
                     0.0f,
                     0,
                     0xFFFFFFFFu,
                     0,
                     us[i],
                     vs[i]};

    m_open = m_playing = true;
    m_paused = false;
    m_frameCopied = false;
    ++g_openMovies;
    return true;
}

void CBinkMovie::Advance() {
    if (!m_open || !m_playing) return;
    // A movie pauses while the program's window is inactive.
    if (g_active == m_paused) {
        m_paused = !g_active;
        m_playback.SetPaused(m_paused);
    }
    if (m_paused) return;
    if (m_playback.Advance()) m_frameCopied = false;
    if (m_playback.AtLastFrame()) m_playing = false;
}

void CBinkMovie::DrawFrame() {
    if (!m_open) return;
    CDirect3D* d3d = g_pDirect3D;
    CTextureResource* texture = d3d ? d3d->GetTexture(m_textureId) : nullptr;
    if (!texture || !m_playback.HasFrame()) return;
    if (!m_frameCopied) {
        plat::LockInfo lock;
        if (!texture->Lock(&lock) || !lock.bits) return;
        m_playback.CopyFrame(lock);
        texture->Unlock();
        m_frameCopied = true;
    }
    Matrix identity;
    SetIdentityMatrix(&identity);
    d3d->SetWorldTransform(identity);
    d3d->SetBlendMode(0);
    d3d->SetTexture(0, texture);
    static const uint16_t kIndices[6] = {0, 1, 2, 2, 3, 0};
    d3d->DrawIndexed(m_quad, 4, kIndices, 6);
}

void CBinkMovie::Close() {
    if (!m_open) return;
    m_playback.Close();
    if (g_pDirect3D && m_textureId) g_pDirect3D->ReleaseTexture(m_textureId);
    m_textureId = 0;
    m_open = m_playing = m_paused = false;
    --g_openMovies;
}
