#pragma once
// One lane: the fallback for CPUs without AVX2, built for baseline x86-64. It calls the
// trig primitive itself, so it is the yardstick the vector widths are tested against.
#include <cmath>
#include <emmintrin.h>
#include <cstdint>

#include "analysis/fixed_point.h"
#include "analysis/trig.h"

namespace quillwave::fast::scalar {

struct Lanes {
    static constexpr int kCount = 1;
    using V = double;

    static V load(const double* p) { return *p; }
    static void store(double* p, V v) { *p = v; }
    static V broadcast(double x) { return x; }
    static V add(V a, V b) { return a + b; }
    static V mul(V a, V b) { return a * b; }
    static V sub(V a, V b) { return a - b; }
    // a x b + c, fused where the width has it. Only estimates use it: their bounds allow for
    // a rounding after the product, which fusing only leaves out.
    static V mulAdd(V a, V b, V c) { return a * b + c; }
    static V abs(V a) { return std::fabs(a); }

    static void sinCos(V angle, V& sines, V& cosines)
    {
        const SinCos r = quillwave::sinCos(angle);
        sines = r.sin;
        cosines = r.cos;
    }
    static V sine(V angle) { return quillwave::sine(angle); }

    static void storeCosSinPairs(double* p, V cosines, V sines)
    {
        p[0] = cosines;
        p[1] = sines;
    }

    static void subtractInts(std::int32_t* samples, V values) { *samples = wrappingSubtract(*samples, truncToInt32(values)); }
    static void addInts(std::int32_t* samples, V values)
    {
        *samples = static_cast<std::int32_t>(static_cast<std::uint32_t>(*samples) +
                                             static_cast<std::uint32_t>(truncToInt32(values)));
    }
};

// The coarse scan has no 16-bit lanes here: it runs sample by sample.
struct WordLanes {
    static constexpr int kCount = 1;
};

} // namespace quillwave::fast::scalar
