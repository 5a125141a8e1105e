#pragma once
// Double-precision lanes for the AVX2 kernels. Only the kernels' own translation unit,
// built with the AVX2 flags, includes this.
#include <cstdint>
#include <immintrin.h>
#include <sleef.h>

namespace quillwave::fast::avx2 {

struct Lanes {
    static constexpr int kCount = 4;
    using V = __m256d;

    static V load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, V v) { _mm256_storeu_pd(p, v); }
    static V broadcast(double x) { return _mm256_set1_pd(x); }
    static V add(V a, V b) { return _mm256_add_pd(a, b); }
    static V mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static V sub(V a, V b) { return _mm256_sub_pd(a, b); }
    // a x b + c, fused where the width has it. Only estimates use it: their bounds allow for
    // a rounding after the product, which fusing only leaves out.
    static V mulAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    static V abs(V a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }

    // The trig primitive's vector forms: the same SLEEF functions, the same bits per lane.
    static void sinCos(V angle, V& sines, V& cosines)
    {
        const Sleef___m256d_2 r = Sleef_finz_sincosd4_u10avx2(angle);
        sines = r.x;
        cosines = r.y;
    }
    static V sine(V angle) { return Sleef_finz_sind4_u10avx2(angle); }

    // (cos, sin) pairs in lane order, the layout of a candidate row.
    static void storeCosSinPairs(double* p, V cosines, V sines)
    {
        const V even = _mm256_unpacklo_pd(cosines, sines); // c0 s0 c2 s2
        const V odd = _mm256_unpackhi_pd(cosines, sines);  // c1 s1 c3 s3
        _mm256_storeu_pd(p, _mm256_permute2f128_pd(even, odd, 0x20));
        _mm256_storeu_pd(p + 4, _mm256_permute2f128_pd(even, odd, 0x31));
    }

    static void subtractInts(std::int32_t* samples, V values)
    {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(samples), _mm_sub_epi32(s, _mm256_cvttpd_epi32(values)));
    }
    static void addInts(std::int32_t* samples, V values)
    {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(samples), _mm_add_epi32(s, _mm256_cvttpd_epi32(values)));
    }
};

// 16-bit lanes for the coarse scan: products keep their high halves, pairs of them are
// widened into 32-bit sums. Integer sums, so any order gives the same result.
struct WordLanes {
    static constexpr int kCount = 16;
    using I = __m256i;

    static I zero() { return _mm256_setzero_si256(); }
    static I load(const std::int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    // floor(a x b / 65536) per 16-bit lane: the arithmetic shift of the exact product.
    static I mulHigh(I a, I b) { return _mm256_mulhi_epi16(a, b); }
    // Adjacent 16-bit lanes summed into 32-bit lanes.
    static I widenPairs(I a) { return _mm256_madd_epi16(a, _mm256_set1_epi16(1)); }
    static I add(I a, I b) { return _mm256_add_epi32(a, b); }
    static std::int32_t total(I a)
    {
        const __m128i s = _mm_add_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
        const __m128i t = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
        return _mm_cvtsi128_si32(_mm_add_epi32(t, _mm_shuffle_epi32(t, 0xB1)));
    }
};

} // namespace quillwave::fast::avx2
