// The fast engine's kernels for AVX-512F (with BW for the 16-bit lanes). CMake gives this file its instruction set.
// GCC 12 takes the deliberately undefined upper input of its AVX-512 conversions for an
// uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "analysis/fast/kernel_set.h"
#include "analysis/fast/lanes_avx512.h"

namespace quillwave::fast::avx512 {

constexpr SimdWidth kWidth = SimdWidth::Avx512;
#include "analysis/fast/kernels.inl"

} // namespace quillwave::fast::avx512
