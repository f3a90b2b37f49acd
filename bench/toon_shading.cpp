// The pixel path of toon-shaded models: a 256 x 256 quad with Gouraud diffuse,
// a texture on stage 0 and the shading ramp on stage 1 sampled by the second
// coordinate pair, alpha-blended, with the depth test off (arg 0) and on
// (arg 1: compared and written against a cleared 16-bit depth buffer).
#include <benchmark/benchmark.h>

#include <random>

#include "bench/bench_device.h"

using namespace plat::raster;

namespace {

constexpr int kSize = 256;
constexpr int kTargetW = 800, kTargetH = 600;

void BM_ToonQuad(benchmark::State& state) {
    Surface tex(64, 64, PixelFormat::kArgb4444), ramp(4, 16, PixelFormat::kArgb4444);
    Surface dst(kTargetW, kTargetH, PixelFormat::kRgb565), depth(kTargetW, kTargetH, PixelFormat::kRgb565);
    std::mt19937 rng(1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) tex.At(x, y) = uint16_t(rng()) | 0xF000;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 4; ++x) ramp.At(x, y) = uint16_t(0xF000 | (15 - y) * 0x111);
    Device3D dev;
    bench::SetUpSpriteDevice(dev, dst, &tex);
    dev.SetDepthBuffer(&depth);
    dev.State().cull = CullMode::kNone;
    dev.State().zEnable = state.range(0) != 0;
    StageState& s1 = dev.Stage(1);
    s1.texture = &ramp;
    s1.texCoordIndex = 1;
    s1.addressV = TextureAddress::kClamp;
    s1.colorOp = s1.alphaOp = TextureOp::kModulate;
    s1.colorArg1 = s1.alphaArg1 = TextureArg::kTexture;
    s1.colorArg2 = s1.alphaArg2 = TextureArg::kCurrent;
    // Clip space: a square of 256 pixels in the middle of the target.
    const float hx = float(kSize) / kTargetW, hy = float(kSize) / kTargetH;
    LitVertex2 v[4] = {{-hx, hy, 0.25f, 0xFFFFC080, 0, 0, 0, 0, -0.2f},
                       {hx, hy, 0.5f, 0xFF80C0FF, 0, 1, 0, 0, 0.4f},
                       {hx, -hy, 0.75f, 0xFFFFFFFF, 0, 1, 1, 0, 1.2f},
                       {-hx, -hy, 0.5f, 0xFFC0C0C0, 0, 0, 1, 0, 0.6f}};
    const uint16_t idx[6] = {0, 1, 2, 2, 3, 0};
    for (auto _ : state) {
        dev.Clear(kClearZBuffer, 0, 1.0f);
        dev.DrawIndexed(v, 4, idx, 6);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_ToonQuad)->Arg(0)->Arg(1);

}  // namespace
