// The renderer's inner loops over runs of pixels, in one place: each has a
// scalar form, kept as the reference, and forms for SSE2 (every x86-64
// processor) and AVX2, chosen once at run time. Every form gives exactly
// what the scalar one gives.
#pragma once
#include <cstdint>

#include "platform/raster/pixel.h"

namespace plat::raster {

enum class SimdLevel : uint8_t { kScalar, kSse2, kAvx2 };

// The best level this processor runs (what the spans use unless told otherwise).
SimdLevel DetectedSimdLevel();
// The level the spans use now; tests set a lower one to compare the forms.
SimdLevel ActiveSimdLevel();
void SetSimdLevel(SimdLevel level);

// What a run of sprite texels needs, fixed for a triangle: A4R4G4B4 texels
// modulated by a constant diffuse colour, tested by alpha and colour key,
// then alpha-blended (or copied) onto a 5-6-5 or 5-5-5 target.
struct SpriteRunState {
    Argb diffuse;
    bool blend = false;
    // The alpha test as a range of passing values, or of failing ones when inverted.
    int passLow = 0, passHigh = 255;
    bool passInverted = false;
    bool keyOn = false;
    uint16_t keyLow = 0, keyHigh = 0;
};

// One run: texel i of texels shades pixel i of row, for n pixels.
struct SpriteRunRef {
    uint16_t* row;
    const uint16_t* texels;
    int n;
};

// Draws the runs, which must not overlap one another. kRgb565 or kRgb555 only.
void SpriteRuns(const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs, int count);
void SpriteRunsAt(SimdLevel level, const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs,
                  int count);

// Copies n pixels, leaving those whose source value lies in [low, high].
void KeyedRun(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high);
void KeyedRunAt(SimdLevel level, uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high);

}  // namespace plat::raster
