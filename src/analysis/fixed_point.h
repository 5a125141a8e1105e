#pragma once
#include <cstdint>
#include <limits>

namespace quillwave {

// Conversion to a 32-bit integer, cutting toward zero, the way the conversion instruction
// does it: a value outside the int32 range (or NaN) gives INT32_MIN instead of undefined
// behaviour. Only a residual driven far outside the 24-bit range of the input gets there.
inline std::int32_t truncToInt32(double x)
{
    if (x > -2147483649.0 && x < 2147483648.0)
        return static_cast<std::int32_t>(x);
    return std::numeric_limits<std::int32_t>::min();
}

// Residual samples are 32-bit registers: a subtraction that leaves the range wraps.
inline std::int32_t wrappingSubtract(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

} // namespace quillwave
