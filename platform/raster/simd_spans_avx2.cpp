// The AVX2 forms of the spans, built with AVX2 enabled for this file alone
// and called only where the processor has it.
#include <immintrin.h>

#include "platform/raster/simd_kernels.h"

namespace plat::raster {

namespace {

struct Avx2Lanes {
    using Reg = __m256i;
    static constexpr int kLanes = 16;
    static constexpr int kAllLanes = -1;  // every bit of the byte mask
    static Reg Load(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static void Store(uint16_t* p, Reg v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static Reg Set1(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Add(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Mullo(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg Min(Reg a, Reg b) { return _mm256_min_epi16(a, b); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg AndNot(Reg a, Reg b) { return _mm256_andnot_si256(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg Xor(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
    static Reg CmpEq(Reg a, Reg b) { return _mm256_cmpeq_epi16(a, b); }
    static Reg CmpGt(Reg a, Reg b) { return _mm256_cmpgt_epi16(a, b); }
    static Reg CmpLt(Reg a, Reg b) { return _mm256_cmpgt_epi16(b, a); }
    static int MoveMask(Reg v) { return _mm256_movemask_epi8(v); }
    template <int kBits>
    static Reg Srli(Reg v) {
        return _mm256_srli_epi16(v, kBits);
    }
    template <int kBits>
    static Reg Slli(Reg v) {
        return _mm256_slli_epi16(v, kBits);
    }
};

}  // namespace

void SpriteRunsAvx2(const SpriteRunState& st, PixelFormat target, const SpriteRunRef* runs, int count) {
    SpriteRunsBy<Avx2Lanes>(st, target, runs, count);
}

void KeyedRunAvx2(uint16_t* dst, const uint16_t* src, int n, uint16_t low, uint16_t high) {
    KeyedRunLanes<Avx2Lanes>(dst, src, n, low, high);
}

}  // namespace plat::raster
