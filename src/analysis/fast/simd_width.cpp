#include "analysis/fast/simd_width.h"

#include <cstdlib>

namespace quillwave {

SimdWidth supportedSimdWidth()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
        return SimdWidth::Avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return SimdWidth::Avx2;
    return SimdWidth::Scalar;
}

std::vector<SimdWidth> availableSimdWidths()
{
    std::vector<SimdWidth> widths{SimdWidth::Scalar};
    const SimdWidth widest = supportedSimdWidth();
    if (widest >= SimdWidth::Avx2)
        widths.push_back(SimdWidth::Avx2);
    if (widest >= SimdWidth::Avx512)
        widths.push_back(SimdWidth::Avx512);
    return widths;
}

const char* simdWidthName(SimdWidth width)
{
    switch (width) {
    case SimdWidth::Avx512:
        return "avx512";
    case SimdWidth::Avx2:
        return "avx2";
    case SimdWidth::Scalar:
        break;
    }
    return "scalar";
}

bool parseSimdWidth(const std::string& name, SimdWidth& width)
{
    for (const SimdWidth w : {SimdWidth::Scalar, SimdWidth::Avx2, SimdWidth::Avx512}) {
        if (name == simdWidthName(w)) {
            width = w;
            return true;
        }
    }
    return false;
}

SimdWidth chooseSimdWidth()
{
    const SimdWidth widest = supportedSimdWidth();
    const char* forced = std::getenv("QUILLWAVE_SIMD");
    SimdWidth width = widest;
    // A width the CPU lacks would crash on its first instruction, so it is capped.
    if (forced != nullptr && parseSimdWidth(forced, width) && width > widest)
        width = widest;
    return width;
}

} // namespace quillwave
