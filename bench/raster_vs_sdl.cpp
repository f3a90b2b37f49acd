// Our renderer against SDL2's own blitter on the same pixels:
//  - a clipped, source-colour-keyed RGB565 -> RGB565 copy of 256 x 256;
//  - a 256 x 256 textured, alpha-blended quad (A4R4G4B4 texture onto RGB565)
//    against SDL_BlitSurface of a blended ARGB4444 surface onto RGB565.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <random>

#include "bench/bench_device.h"

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

void BM_OurBlendedQuad(benchmark::State& state) {
    Surface tex(kSize, kSize, PixelFormat::kArgb4444), dst(kTargetW, kTargetH, PixelFormat::kRgb565);
    for (int y = 0; y < kSize; ++y) FillRandom(tex.Row(y), kSize, y, 0x8000);
    Device3D dev;
    bench::SetUpSpriteDevice(dev, dst, &tex);
    const float x = 100.5f, y = 100.5f;
    ScreenVertex v[4] = {{x, y, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                         {x + kSize, y, 0, 1, 0xFFFFFFFF, 0, 1, 0},
                         {x + kSize, y + kSize, 0, 1, 0xFFFFFFFF, 0, 1, 1},
                         {x, y + kSize, 0, 1, 0xFFFFFFFF, 0, 0, 1}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    dev.SetFastPathsEnabled(state.range(0) != 0);
    for (auto _ : state) {
        dev.DrawIndexed(v, 4, idx, 6);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_OurBlendedQuad)->Arg(1)->Arg(0);

void BM_SdlBlendedSurface(benchmark::State& state) {
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 16, SDL_PIXELFORMAT_ARGB4444);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kTargetW, kTargetH, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < kSize; ++y)
        FillRandom(reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(src->pixels) + y * src->pitch), kSize, y,
                   0x8000);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    SDL_Rect dr{101, 101, kSize, kSize};
    for (auto _ : state) {
        SDL_Rect d = dr;
        SDL_BlitSurface(src, nullptr, dst, &d);
        benchmark::DoNotOptimize(dst->pixels);
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlBlendedSurface);

}  // namespace
