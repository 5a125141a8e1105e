#pragma once
#include <string>
#include <vector>

namespace quillwave {

// The vector units the fast engine can run its kernels on. Every width gives the same bits;
// a wider one only does more lanes per instruction.
enum class SimdWidth { Scalar, Avx2, Avx512 };

// The widest width this CPU runs (AVX-512 needs F, BW, DQ and VL; AVX2 needs FMA too).
SimdWidth supportedSimdWidth();

// Every width this CPU runs, narrowest first.
std::vector<SimdWidth> availableSimdWidths();

// "scalar", "avx2", "avx512".
const char* simdWidthName(SimdWidth width);

// Parses a name as simdWidthName writes it; false when it names no width.
bool parseSimdWidth(const std::string& name, SimdWidth& width);

// The width a new fast engine runs at: QUILLWAVE_SIMD (scalar, avx2 or avx512) forces one,
// capped at what the CPU runs; otherwise the widest supported.
SimdWidth chooseSimdWidth();

} // namespace quillwave
