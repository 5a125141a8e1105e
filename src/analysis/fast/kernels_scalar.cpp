// The fast engine's kernels for baseline x86-64, one lane. CMake gives this file its instruction set.
#include "analysis/fast/kernel_set.h"
#include "analysis/fast/lanes_scalar.h"

namespace quillwave::fast::scalar {

constexpr SimdWidth kWidth = SimdWidth::Scalar;
#include "analysis/fast/kernels.inl"

} // namespace quillwave::fast::scalar
