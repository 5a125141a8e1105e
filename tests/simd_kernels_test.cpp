// The vector forms of the trig primitive and the width choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/fast/kernel_set.h"
#include "analysis/fast/simd_width.h"
#include "analysis/trig.h"

namespace quillwave {
namespace {

// Angles as the analysis meets them: running sums far past one turn (up to the ~3350 rad of
// the longest frames), the quarter turns, tiny and negative values, and a count that leaves
// a part vector at the end.
std::vector<double> testAngles()
{
    std::vector<double> angles{0.0, -0.0, 1e-300, -2.5, 3.1415926535898, 6.2831853071796, 1.5707963267949, 3350.0};
    double a = 0;
    for (int i = 0; i < 3203; ++i) {
        angles.push_back(a);
        a = a + 1.0471975511965976 * 1.0000001;
    }
    return angles;
}

TEST(SimdTrig, EveryWidthGivesTheScalarPrimitivesBits)
{
    const std::vector<double> angles = testAngles();
    const auto count = static_cast<std::int32_t>(angles.size());
    for (const SimdWidth width : availableSimdWidths()) {
        const KernelSet& k = kernelsFor(width);
        std::vector<double> sines(angles.size());
        std::vector<double> cosines(angles.size());
        std::vector<double> sineOnly(angles.size());
        k.sinCos(angles.data(), count, sines.data(), cosines.data());
        k.sine(angles.data(), count, sineOnly.data());
        for (std::size_t i = 0; i < angles.size(); ++i) {
            const SinCos expected = sinCos(angles[i]);
            // Bit patterns, so that a -0 for a +0 shows too.
            ASSERT_EQ(std::bit_cast<std::uint64_t>(sines[i]), std::bit_cast<std::uint64_t>(expected.sin))
                << simdWidthName(width) << " sin of " << angles[i];
            ASSERT_EQ(std::bit_cast<std::uint64_t>(cosines[i]), std::bit_cast<std::uint64_t>(expected.cos))
                << simdWidthName(width) << " cos of " << angles[i];
            ASSERT_EQ(std::bit_cast<std::uint64_t>(sineOnly[i]), std::bit_cast<std::uint64_t>(sine(angles[i])))
                << simdWidthName(width) << " sine of " << angles[i];
        }
    }
}

TEST(SimdWidthChoice, EnvironmentForcesANarrowerWidthButNeverAWiderOne)
{
    const char* saved = std::getenv("QUILLWAVE_SIMD");
    const std::string before = saved != nullptr ? saved : "";
    const SimdWidth widest = supportedSimdWidth();

    for (const SimdWidth width : {SimdWidth::Scalar, SimdWidth::Avx2, SimdWidth::Avx512}) {
        setenv("QUILLWAVE_SIMD", simdWidthName(width), 1);
        EXPECT_EQ(chooseSimdWidth(), std::min(width, widest)) << simdWidthName(width);
    }
    setenv("QUILLWAVE_SIMD", "sse9", 1);
    EXPECT_EQ(chooseSimdWidth(), widest) << "an unknown name changes nothing";
    unsetenv("QUILLWAVE_SIMD");
    EXPECT_EQ(chooseSimdWidth(), widest);
    EXPECT_EQ(availableSimdWidths().back(), widest);
    EXPECT_EQ(availableSimdWidths().front(), SimdWidth::Scalar);

    if (saved != nullptr)
        setenv("QUILLWAVE_SIMD", before.c_str(), 1);
}

} // namespace
} // namespace quillwave
