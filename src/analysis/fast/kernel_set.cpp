#include "analysis/fast/kernel_set.h"

namespace quillwave {
namespace fast {
namespace scalar { extern const KernelSet kKernels; }
namespace avx2 { extern const KernelSet kKernels; }
namespace avx512 { extern const KernelSet kKernels; }
} // namespace fast

const KernelSet& kernelsFor(SimdWidth width)
{
    switch (width) {
    case SimdWidth::Avx512:
        return fast::avx512::kKernels;
    case SimdWidth::Avx2:
        return fast::avx2::kKernels;
    case SimdWidth::Scalar:
        break;
    }
    return fast::scalar::kKernels;
}

} // namespace quillwave
