// Drawing a 64 x 96 span picture (5-6-5, with transparent parts) into an
// 800 x 600 5-6-5 frame, 10,000 times a run: through our frame blitter and
// through SDL2's colour-keyed surface blit of the same pixels.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/side_by_side.h"
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
class OurFrameBlit {
public:
    OurFrameBlit() : m_grid(Figure()), m_screen(kScreenW * kScreenH, 0) {
        FramePicture frames;
        AddFrame(frames, m_grid.data(), kW, kH, kKey);
        const auto bytes = WriteFramePicture(frames);
        CMemorySource source(bytes);
        m_image.Load(source, 2, false);
    }
    void Run() {
        const plat::LockInfo target{reinterpret_cast<uint8_t*>(m_screen.data()), kScreenW * 2, kScreenW,
                                    kScreenH};
        const CImageResource::FrameDraw draw;
        for (int i = 0; i < kDraws; ++i)
            m_image.DrawFrame(0, target, 100 + (i & 255), 200 + (i & 127), nullptr, draw);
        benchmark::DoNotOptimize(m_screen.data());
    }

private:
    std::vector<uint16_t> m_grid;
    CImageResource m_image;
    std::vector<uint16_t> m_screen;
};

// SDL2's colour-keyed surface blit of the same pixels.
class SdlColorKeyBlit {
public:
    SdlColorKeyBlit()
        : m_grid(Figure()),
          m_src(
              SDL_CreateRGBSurfaceWithFormatFrom(m_grid.data(), kW, kH, 16, kW * 2, SDL_PIXELFORMAT_RGB565)),
          m_dst(SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565)) {
        SDL_SetColorKey(m_src, SDL_TRUE, kKey);
    }
    ~SdlColorKeyBlit() {
        SDL_FreeSurface(m_src);
        SDL_FreeSurface(m_dst);
    }
    SdlColorKeyBlit(const SdlColorKeyBlit&) = delete;
    SdlColorKeyBlit& operator=(const SdlColorKeyBlit&) = delete;
    void Run() {
        for (int i = 0; i < kDraws; ++i) {
            SDL_Rect at{100 + (i & 255), 200 + (i & 127), kW, kH};
            SDL_BlitSurface(m_src, nullptr, m_dst, &at);
        }
        benchmark::DoNotOptimize(m_dst->pixels);
    }

private:
    std::vector<uint16_t> m_grid;
    SDL_Surface* m_src;
    SDL_Surface* m_dst;
};

void BM_BlitFrame(benchmark::State& state) {
    OurFrameBlit ours;
    for (auto _ : state) ours.Run();
    state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_BlitFrame)->Unit(benchmark::kMillisecond);

void BM_SdlColorKeyBlit(benchmark::State& state) {
    SdlColorKeyBlit sdl;
    for (auto _ : state) sdl.Run();
    state.SetItemsProcessed(state.iterations() * kDraws);
}
BENCHMARK(BM_SdlColorKeyBlit)->Unit(benchmark::kMillisecond);

// Both side by side; the counter ratio is ours over SDL's.
void BM_BlitFrameRatio(benchmark::State& state) {
    OurFrameBlit ours;
    SdlColorKeyBlit sdl;
    bench::SideBySide(
        state, [&] { ours.Run(); }, [&] { sdl.Run(); }, "blit_frame", "sdl");
}
BENCHMARK(BM_BlitFrameRatio)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
