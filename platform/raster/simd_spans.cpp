#include "platform/raster/simd_spans.h"

#include "platform/raster/simd_kernels.h"

namespace plat::raster {

namespace {

SimdLevel Detect() {
#if defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
#endif
    return SimdLevel::kSse2;
}

SimdLevel& Active() {
    static SimdLevel level = DetectedSimdLevel();
    return level;
}

SimdLevel Usable(SimdLevel level) {
    return level <= DetectedSimdLevel() ? level : DetectedSimdLevel();
}

void KeyedRunScalar(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    for (int x = 0; x < n; ++x)
        if (src[x] < low || src[x] > high) dst[x] = src[x];
}

}  // namespace

SimdLevel DetectedSimdLevel() {
    static const SimdLevel level = Detect();
    return level;
}

SimdLevel ActiveSimdLevel() {
    return Active();
}

void SetSimdLevel(SimdLevel level) {
    Active() = Usable(level);
}

void SpriteRunsAt(SimdLevel level, const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs,
                  int count) {
    switch (Usable(level)) {
        case SimdLevel::kAvx2:
            SpriteRunsAvx2(st, target, runs, count);
            return;
        case SimdLevel::kSse2:
            SpriteRunsBy<Sse2Lanes>(st, target, runs, count);
            return;
        case SimdLevel::kScalar:
            break;
    }
    for (int i = 0; i < count; ++i) {
        if (target == PixelFormat::kRgb565)
            SpriteRunScalar<true>(st, runs[i].row, runs[i].texels, runs[i].n);
        else
            SpriteRunScalar<false>(st, runs[i].row, runs[i].texels, runs[i].n);
    }
}

void SpriteRuns(const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs, int count) {
    SpriteRunsAt(Active(), st, target, runs, count);
}

void KeyedRunAt(SimdLevel level, uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    switch (Usable(level)) {
        case SimdLevel::kAvx2:
            KeyedRunAvx2(dst, src, n, low, high);
            return;
        case SimdLevel::kSse2:
            KeyedRunLanes<Sse2Lanes>(dst, src, n, low, high);
            return;
        case SimdLevel::kScalar:
            break;
    }
    KeyedRunScalar(dst, src, n, low, high);
}

void KeyedRun(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    KeyedRunAt(Active(), dst, src, n, low, high);
}

}  // namespace plat::raster
