// The fast engine's kernels for AVX2. CMake gives this file its instruction set.
#include "analysis/fast/kernel_set.h"
#include "analysis/fast/lanes_avx2.h"

namespace quillwave::fast::avx2 {

constexpr SimdWidth kWidth = SimdWidth::Avx2;
#include "analysis/fast/kernels.inl"

} // namespace quillwave::fast::avx2
