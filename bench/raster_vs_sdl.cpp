// Our renderer against SDL2's own blitter on the same pixels:
//  - a clipped, source-colour-keyed RGB565 -> RGB565 copy of 256 x 256;
//  - a 256 x 256 textured, alpha-blended quad (A4R4G4B4 texture onto RGB565)
//    against SDL_BlitSurface of a blended ARGB4444 surface onto RGB565.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <random>

#include "bench/bench_device.h"
#include "bench/side_by_side.h"

using namespace plat::raster;

namespace {

constexpr int kSize = 256;
constexpr int kTargetW = 800, kTargetH = 600;

void FillRandom(uint16_t* p, size_t n, uint32_t seed, uint16_t key, uint16_t forceMask = 0) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) {
        uint16_t v = uint16_t(rng()) | forceMask;
        // About a quarter of the pixels carry the key.
        p[i] = (rng() & 3) == 0 ? key : v;
    }
}

constexpr uint16_t kKey = 0xF81F;

void BM_OurKeyedBlit(benchmark::State& state) {
    Surface src(kSize, kSize, PixelFormat::kRgb565), dst(kTargetW, kTargetH, PixelFormat::kRgb565);
    for (int y = 0; y < kSize; ++y) FillRandom(src.Row(y), kSize, y, kKey);
    src.SetColorKey(kKey, kKey);
    // Clipped on the left by 16 columns, like a sprite at the screen edge.
    Rect dr{-16, 100, -16 + kSize, 100 + kSize};
    for (auto _ : state) {
        Blit(dst, dr, src, src.Bounds(), kBlitSourceKey);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * (kSize - 16) * kSize);
}
BENCHMARK(BM_OurKeyedBlit);

void BM_SdlKeyedBlit(benchmark::State& state) {
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kTargetW, kTargetH, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < kSize; ++y)
        FillRandom(reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(src->pixels) + y * src->pitch), kSize, y,
                   kKey);
    SDL_SetColorKey(src, SDL_TRUE, kKey);
    SDL_Rect dr{-16, 100, kSize, kSize};
    for (auto _ : state) {
        SDL_Rect d = dr;
        SDL_BlitSurface(src, nullptr, dst, &d);
        benchmark::DoNotOptimize(dst->pixels);
    }
    state.SetItemsProcessed(state.iterations() * (kSize - 16) * kSize);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlKeyedBlit);

// A 256 x 256 A4R4G4B4 texture on a blended, alpha-tested quad through the
// device (its specialised spans, or the general pipeline).
class OurBlendedQuad {
public:
    explicit OurBlendedQuad(bool fastPaths)
        : m_tex(kSize, kSize, PixelFormat::kArgb4444), m_dst(kTargetW, kTargetH, PixelFormat::kRgb565) {
        for (int y = 0; y < kSize; ++y) FillRandom(m_tex.Row(y), kSize, y, 0x8000);
        bench::SetUpSpriteDevice(m_dev, m_dst, &m_tex);
        m_dev.SetFastPathsEnabled(fastPaths);
    }
    void Run() {
        const float x = 100.5f, y = 100.5f;
        const ScreenVertex v[4] = {{x, y, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                                   {x + kSize, y, 0, 1, 0xFFFFFFFF, 0, 1, 0},
                                   {x + kSize, y + kSize, 0, 1, 0xFFFFFFFF, 0, 1, 1},
                                   {x, y + kSize, 0, 1, 0xFFFFFFFF, 0, 0, 1}};
        const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
        m_dev.DrawIndexed(v, 4, idx, 6);
        benchmark::DoNotOptimize(m_dst.Bits());
    }

private:
    Surface m_tex, m_dst;
    Device3D m_dev;
};

// SDL_BlitSurface of a blended ARGB4444 surface of the same texels onto RGB565.
class SdlBlendedSurface {
public:
    SdlBlendedSurface()
        : m_src(SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 16, SDL_PIXELFORMAT_ARGB4444)),
          m_dst(SDL_CreateRGBSurfaceWithFormat(0, kTargetW, kTargetH, 16, SDL_PIXELFORMAT_RGB565)) {
        for (int y = 0; y < kSize; ++y)
            FillRandom(reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(m_src->pixels) + y * m_src->pitch),
                       kSize, y, 0x8000);
        SDL_SetSurfaceBlendMode(m_src, SDL_BLENDMODE_BLEND);
    }
    ~SdlBlendedSurface() {
        SDL_FreeSurface(m_src);
        SDL_FreeSurface(m_dst);
    }
    SdlBlendedSurface(const SdlBlendedSurface&) = delete;
    SdlBlendedSurface& operator=(const SdlBlendedSurface&) = delete;
    void Run() {
        SDL_Rect d{101, 101, kSize, kSize};
        SDL_BlitSurface(m_src, nullptr, m_dst, &d);
        benchmark::DoNotOptimize(m_dst->pixels);
    }

private:
    SDL_Surface* m_src;
    SDL_Surface* m_dst;
};

void BM_OurBlendedQuad(benchmark::State& state) {
    OurBlendedQuad ours(state.range(0) != 0);
    for (auto _ : state) ours.Run();
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_OurBlendedQuad)->Arg(1)->Arg(0);

void BM_SdlBlendedSurface(benchmark::State& state) {
    SdlBlendedSurface sdl;
    for (auto _ : state) sdl.Run();
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_SdlBlendedSurface);

// Both side by side; the counter ratio is ours (specialised spans) over SDL's.
void BM_BlendedQuadRatio(benchmark::State& state) {
    OurBlendedQuad ours(true);
    SdlBlendedSurface sdl;
    bench::SideBySide(
        state, [&] { ours.Run(); }, [&] { sdl.Run(); }, "quad", "sdl");
}
BENCHMARK(BM_BlendedQuadRatio)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
