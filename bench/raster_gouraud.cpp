// A full 800 x 600 screen of Gouraud-shaded, alpha-blended triangles: the grid
// of 32-pixel cells the darkness overlay draws every frame (white texture
// modulated by the vertex colours, source alpha against its inverse), with the
// specialised spans and with the general pipeline.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/bench_device.h"

using namespace plat::raster;

namespace {

constexpr int kW = 800, kH = 600, kCell = 32;

void DrawGrid(benchmark::State& state, bool fast) {
    Surface dst(kW, kH, PixelFormat::kRgb565), white(64, 64, PixelFormat::kArgb4444);
    Fill(white, white.Bounds(), 0xFFFF);
    std::mt19937 rng(3);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) dst.At(x, y) = uint16_t(rng());
    const int cols = kW / kCell + 1, rows = kH / kCell + 2;
    std::vector<ScreenVertex> v;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const uint32_t alpha = rng() % 256;
            v.push_back({float(c * kCell), float(r * kCell), 0, 1, alpha << 24, 0, 0, 0});
        }
    std::vector<uint16_t> idx;
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < cols; ++c) {
            const uint16_t a = uint16_t(r * cols + c), b = uint16_t(a + cols);
            idx.insert(idx.end(), {a, uint16_t(a + 1), b, uint16_t(a + 1), uint16_t(b + 1), b});
        }
    Device3D dev;
    bench::SetUpSpriteDevice(dev, dst, &white, BlendFactor::kBothSrcAlpha, BlendFactor::kBothSrcAlpha);
    dev.SetFastPathsEnabled(fast);
    for (auto _ : state) {
        dev.DrawIndexed(v.data(), int(v.size()), idx.data(), int(idx.size()));
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_GouraudGridFast(benchmark::State& state) {
    DrawGrid(state, true);
}
BENCHMARK(BM_GouraudGridFast);

void BM_GouraudGridGeneral(benchmark::State& state) {
    DrawGrid(state, false);
}
BENCHMARK(BM_GouraudGridGeneral);

}  // namespace
