#pragma once
// Double-precision lanes for the AVX-512F kernels. Only the kernels' own translation unit,
// built with the AVX-512 flags, includes this.
#include <cstdint>
#include <immintrin.h>
#include <sleef.h>

namespace quillwave::fast::avx512 {

struct Lanes {
    static constexpr int kCount = 8;
    using V = __m512d;

    static V load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, V v) { _mm512_storeu_pd(p, v); }
    static V broadcast(double x) { return _mm512_set1_pd(x); }
    static V add(V a, V b) { return _mm512_add_pd(a, b); }
    static V mul(V a, V b) { return _mm512_mul_pd(a, b); }
    static V sub(V a, V b) { return _mm512_sub_pd(a, b); }
    // a x b + c, fused where the width has it. Only estimates use it: their bounds allow for
    // a rounding after the product, which fusing only leaves out.
    static V mulAdd(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    static V abs(V a) { return _mm512_abs_pd(a); }

    // The trig primitive's vector forms: the same SLEEF functions, the same bits per lane.
    static void sinCos(V angle, V& sines, V& cosines)
    {
        const Sleef___m512d_2 r = Sleef_finz_sincosd8_u10avx512f(angle);
        sines = r.x;
        cosines = r.y;
    }
    static V sine(V angle) { return Sleef_finz_sind8_u10avx512f(angle); }

    // (cos, sin) pairs in lane order, the layout of a candidate row.
    static void storeCosSinPairs(double* p, V cosines, V sines)
    {
        const __m512i low = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
        const __m512i high = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
        _mm512_storeu_pd(p, _mm512_permutex2var_pd(cosines, low, sines));
        _mm512_storeu_pd(p + 8, _mm512_permutex2var_pd(cosines, high, sines));
    }

    // samples[i] -= (or +=) values[i], wrapping.
    static void subtractInts(std::int32_t* samples, V values)
    {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples), _mm256_sub_epi32(s, _mm512_cvttpd_epi32(values)));
    }
    static void addInts(std::int32_t* samples, V values)
    {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples), _mm256_add_epi32(s, _mm512_cvttpd_epi32(values)));
    }
};

// 16-bit lanes for the coarse scan: products keep their high halves, pairs of them are
// widened into 32-bit sums. Integer sums, so any order gives the same result.
struct WordLanes {
    static constexpr int kCount = 32;
    using I = __m512i;

    static I zero() { return _mm512_setzero_si512(); }
    static I load(const std::int16_t* p) { return _mm512_loadu_si512(p); }
    // floor(a x b / 65536) per 16-bit lane: the arithmetic shift of the exact product.
    static I mulHigh(I a, I b) { return _mm512_mulhi_epi16(a, b); }
    // Adjacent 16-bit lanes summed into 32-bit lanes.
    static I widenPairs(I a) { return _mm512_madd_epi16(a, _mm512_set1_epi16(1)); }
    static I add(I a, I b) { return _mm512_add_epi32(a, b); }
    static std::int32_t total(I a)
    {
        return _mm512_reduce_add_epi32(a);
    }
};

} // namespace quillwave::fast::avx512
