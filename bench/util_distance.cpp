// The table square root against the library one, and the string helpers on a
// typical item name.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/util.h"

namespace {

std::vector<float> Inputs() {
    std::vector<float> v;
    for (int i = 1; i <= 4096; ++i) v.push_back(float(i) * 37.25f);
    return v;
}

void BM_FastSqrt(benchmark::State& state) {
    const std::vector<float> in = Inputs();
    InitSqrtTable();
    for (auto _ : state) {
        float sum = 0;
        for (float x : in) sum += FastSqrt(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(in.size()));
}
BENCHMARK(BM_FastSqrt);

void BM_StdSqrt(benchmark::State& state) {
    const std::vector<float> in = Inputs();
    for (auto _ : state) {
        float sum = 0;
        for (float x : in) sum += std::sqrt(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(in.size()));
}
BENCHMARK(BM_StdSqrt);

void BM_TruncateWithEllipsis(benchmark::State& state) {
    const char* name = "\x93\xFA\x96\x7B\x8C\xEA Legendary Sword of the Northern Wind +7";
    char out[64];
    for (auto _ : state) {
        TruncateWithEllipsis(name, 34, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_TruncateWithEllipsis);

}  // namespace
