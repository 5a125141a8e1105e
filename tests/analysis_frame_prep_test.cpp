#include <gtest/gtest.h>

#include <cmath>

#include "analysis/frame_buffers.h"
#include "analysis/oscillator_table.h"
#include "analysis/trig.h"

namespace quillwave {
namespace {

TEST(TrigPrimitive, StaysAccurateOnUnreducedRunningAngles)
{
    // The engines never reduce their angles; the longest frames reach about 3350 radians.
    for (double a = -7.0; a < 3400.0; a += 0.7731) {
        const SinCos sc = sinCos(a);
        EXPECT_NEAR(sc.sin, std::sin(a), 1e-15) << a;
        EXPECT_NEAR(sc.cos, std::cos(a), 1e-15) << a;
        EXPECT_NEAR(sine(a), std::sin(a), 1e-15) << a;
    }
    EXPECT_EQ(sinCos(0.0).sin, 0.0);
    EXPECT_EQ(sinCos(0.0).cos, 1.0);
}

TEST(OscillatorTable, HoldsRoundedQ15SineAndCosine)
{
    OscillatorTable table;
    buildOscillatorTable(table);

    struct Quarter {
        std::uint32_t index;
        std::int16_t sine;
        std::int16_t cosine;
    };
    for (const Quarter& q : {Quarter{0, 0, 32767}, Quarter{16384, 32767, 0}, Quarter{32768, 0, -32767},
                             Quarter{49152, -32767, 0}}) {
        EXPECT_EQ(tableSine(table[q.index]), q.sine) << q.index;
        EXPECT_EQ(tableCosine(table[q.index]), q.cosine) << q.index;
    }
    EXPECT_EQ(table[0], 32767u);
    EXPECT_EQ(table[32768], 32769u) << "cosine -32767 as an unsigned 16-bit pattern, sine 0";

    // No entry lies near a rounding boundary, so any accurate sine gives every entry.
    for (std::uint32_t i = 0; i < kOscillatorSize; ++i) {
        const double angle = i * 6.2831853071796 / 65536;
        ASSERT_EQ(tableSine(table[i]), std::lround(std::sin(angle) * 32767)) << i;
        ASSERT_EQ(tableCosine(table[i]), std::lround(std::cos(angle) * 32767)) << i;
    }
}

TEST(FramePreparation, PacksASampleAsItsNearest512thWithHalvesAwayFromZero)
{
    struct Case {
        std::int32_t sample;
        std::int16_t packed;
    };
    const Case cases[] = {
        {0, 0},          {255, 0},         {-255, 0},       {256, 1},         {-256, -1},
        {767, 1},        {768, 2},         {-767, -1},      {-768, -2},       {8388352, 16384},
        {-8388608, -16384}, {16776960, -32768}, // beyond 24 bits the 16-bit value wraps
        {2147483647, 0}, {-2147483647 - 1, 0},  // the int32 limits round without overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(packSample(c.sample), c.packed) << c.sample;
    EXPECT_EQ(packedWord(packSample(256)), 65537u);
    EXPECT_EQ(packedWord(packSample(-256)), 0xFFFFFFFFu);
    EXPECT_EQ(packedWord(packSample(8388352)), 0x40004000u);
}

// Frame sample i of a residual that starts the frame at index 5 is 1000 x (i + 1) - 300000.
class PreparedFrame : public ::testing::TestWithParam<std::int32_t> {
protected:
    static std::int32_t sample(std::int32_t i) { return 1000 * (i + 1) - 300000; }

    void prepare(std::int32_t m)
    {
        residual.assign(static_cast<std::size_t>(m) + 10, 77777777);
        for (std::int32_t i = 0; i < m; ++i)
            residual[static_cast<std::size_t>(5 + i)] = sample(i);
        std::fill(buffers.packed.begin(), buffers.packed.end(), 0xDEADBEEFu);
        buildWindow(buffers, m);
        prepareFrame(buffers, residual.data(), 5, m);
    }

    std::vector<std::int32_t> residual;
    FrameBuffers buffers;
};

TEST_P(PreparedFrame, ReversesAndPacksTheFrameByPosition)
{
    const std::int32_t m = GetParam();
    prepare(m);
    const std::int32_t w = 2 * pairCount(m);
    EXPECT_EQ(w, m + (m % 2));

    EXPECT_EQ(buffers.windowed[0], sample(0));
    EXPECT_EQ(buffers.windowed[static_cast<std::size_t>(m)], 0.0);
    for (std::int32_t n = 0; n < m; ++n)
        ASSERT_EQ(buffers.reversed[static_cast<std::size_t>(m - n)], sample(n)) << n;
    for (std::int32_t i = 0; i < m; ++i)
        ASSERT_EQ(buffers.packed[static_cast<std::size_t>(w + 1 - i)], packedWord(packSample(sample(i)))) << i;
    if (w > m) {
        EXPECT_EQ(buffers.packed[2], 0u) << "an odd frame is completed by a zero sample";
    }

    // The chain refreshes only the reversed form.
    residual[5] = 123;
    refreshReversed(buffers, residual.data(), 5, m);
    EXPECT_EQ(buffers.reversed[static_cast<std::size_t>(m)], 123.0);
    EXPECT_EQ(buffers.windowed[0], sample(0));
    EXPECT_EQ(buffers.packed[static_cast<std::size_t>(w + 1)], packedWord(packSample(sample(0))));
}

INSTANTIATE_TEST_SUITE_P(FrameLengths, PreparedFrame, ::testing::Values(735, 800, 2205, 3200));

} // namespace
} // namespace quillwave
