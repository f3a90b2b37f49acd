// Drawing a 64 x 96 span picture (5-6-5, with transparent parts) into an
// 800 x 600 5-6-5 frame, 10,000 times a run: through our frame blitter and
// through SDL2's colour-keyed surface blit of the same pixels.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "core/byte_source.h"
#include "graphics/blitters.h"
#include "graphics/image_resource.h"
#include "graphics/span_image_format.h"

namespace {

constexpr int kW = 64, kH = 96, kScreenW = 800, kScreenH = 600, kDraws = 10000;
constexpr uint16_t kKey = 0xF81F;

// A figure: an ellipse with a hole and a ragged edge, transparent outside.
std::vector<uint16_t> Figure() {
    std::vector<uint16_t> px(kW * kH, kKey);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double dx = (x - 31.5) / 30.0, dy = (y - 47.5) / 46.0, d = dx * dx + dy * dy;
            const bool hole = (x - 32) * (x - 32) + (y - 30) * (y - 30) < 36;
            if (d < 1.0 - 0.05 * ((x * 7 + y * 3) % 5) && !hole)
                px[y * kW + x] = uint16_t((x * 997 + y * 131) | 1);
        }
    return px;
}

// The frame blitter of a multi-frame picture holding the figure as its one frame.
void BM_BlitFrame(benchmark::State& state) {
    const auto grid = Figure();
    FramePicture frames;
    AddFrame(frames, grid.data(), kW, kH, kKey);
    const auto bytes = WriteFramePicture(frames);
    CMemorySource source(bytes);
    CImageResource image;
    image.Load(source, 2, false);
    std::vector<uint16_t> screen(kScreenW * kScreenH, 0);
    const plat::LockInfo target{reinterpret_cast<uint8_t*>(screen.data()), kScreenW * 2, kScreenW, kScreenH};
    const CImageResource::FrameDraw draw;
    for (auto _ : state) {
        for (int i = 0; i < kDraws; ++i)
            image.DrawFrame(0, target, 100 + (i & 255), 200 + (i & 127), nullptr, draw);
        benchmark::DoNotOptimize(screen.data());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_BlitFrame)->Unit(benchmark::kMillisecond);

void BM_SdlColorKeyBlit(benchmark::State& state) {
    auto grid = Figure();
    SDL_Surface* src =
        SDL_CreateRGBSurfaceWithFormatFrom(grid.data(), kW, kH, 16, kW * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_SetColorKey(src, SDL_TRUE, kKey);
    for (auto _ : state) {
        for (int i = 0; i < kDraws; ++i) {
            SDL_Rect at{100 + (i & 255), 200 + (i & 127), kW, kH};
            SDL_BlitSurface(src, nullptr, dst, &at);
        }
        benchmark::DoNotOptimize(dst->pixels);
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlColorKeyBlit)->Unit(benchmark::kMillisecond);

}  // namespace
