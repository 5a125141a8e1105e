#include <gtest/gtest.h>

#include "analysis/coarse_scan.h"
#include "analysis/frame_buffers.h"
#include "analysis/frequency_grid.h"
#include "analysis_test_signal.h"

namespace quillwave {
namespace {

class CoarseScan : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        table = new OscillatorTable;
        buildOscillatorTable(*table);
    }
    static void TearDownTestSuite() { delete table; }

    std::int32_t scan(const std::vector<std::int32_t>& frame, std::int32_t sampleRate)
    {
        const auto m = static_cast<std::int32_t>(frame.size());
        buildWindow(buffers, m);
        prepareFrame(buffers, frame.data(), 0, m);
        return coarseScan(buffers.packed.data(), pairCount(m), m, sampleRate, *table);
    }
    std::int32_t amplitudeAt(std::int32_t index, std::int32_t m, std::int32_t sampleRate)
    {
        const double f = gridFrequency(gridRatio(kCoarseStepsPerSpan), index);
        return coarseAmplitude(buffers.packed.data(), pairCount(m), m, coarsePhaseIncrement(f, sampleRate), *table);
    }

    static OscillatorTable* table;
    FrameBuffers buffers;
};
OscillatorTable* CoarseScan::table = nullptr;

TEST_F(CoarseScan, CandidatesStopAt8000HzWithTheseIncrements)
{
    const double ratio = gridRatio(kCoarseStepsPerSpan);
    EXPECT_EQ(ratio, 1.0047495543507072);
    EXPECT_LE(gridFrequency(ratio, 1050), kFrequencyCeiling);
    EXPECT_GT(gridFrequency(ratio, 1051), kFrequencyCeiling);
    EXPECT_NEAR(gridFrequency(ratio, 1024), 7040.0, 1e-9);

    EXPECT_EQ(coarsePhaseIncrement(gridFrequency(ratio, 0), 44100), 5356535u);
    EXPECT_EQ(coarsePhaseIncrement(gridFrequency(ratio, 1050), 44100), 775527690u);
    EXPECT_EQ(coarsePhaseIncrement(gridFrequency(ratio, 0), 48000), 4921317u);
    EXPECT_EQ(coarsePhaseIncrement(gridFrequency(ratio, 1050), 48000), 712516066u);
}

TEST_F(CoarseScan, SilentFrameKeepsTheFirstCandidate)
{
    // Every candidate ties at 0; a "greater or equal" comparison would end on 1050.
    EXPECT_EQ(scan(std::vector<std::int32_t>(735, 0), 44100), 0);
}

TEST_F(CoarseScan, ProductsKeepTheirUpperHalfByFlooring)
{
    // One sample of -1 (packed) meets cosine 32767: -32767 >> 16 is -1, not 0, so the sum
    // is -1 and the amplitude trunc(1 x 2048 / 735) = 2. Truncating division would give 0.
    std::vector<std::int32_t> frame(735, 0);
    frame[0] = -256;
    scan(frame, 44100);
    EXPECT_EQ(amplitudeAt(0, 735, 44100), 2);
}

struct ToneCase {
    std::int32_t sampleRate;
    std::int32_t frameLength;
    std::int32_t index;
};

class CoarseScanTone : public CoarseScan, public ::testing::WithParamInterface<ToneCase> {};

TEST_P(CoarseScanTone, FindsASinusoidOnACandidateWithItsAmplitude)
{
    const ToneCase c = GetParam();
    const double f = gridFrequency(gridRatio(kCoarseStepsPerSpan), c.index);
    const double amplitude = 2000000;
    const auto frame = test::toneSignal(c.frameLength, c.sampleRate, {{f, amplitude, 0.4}});
    EXPECT_EQ(scan(frame, c.sampleRate), c.index) << f << " Hz";
    EXPECT_NEAR(amplitudeAt(c.index, c.frameLength, c.sampleRate), amplitude, amplitude * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Rates, CoarseScanTone,
                         ::testing::Values(ToneCase{44100, 735, 600}, ToneCase{48000, 800, 905},
                                           ToneCase{44100, 2940, 410}, ToneCase{48000, 1600, 1050}));

TEST_F(CoarseScan, AToneAboveTheCeilingShowsOnlyBelowIt)
{
    const auto frame = test::toneSignal(800, 48000, {{9000.0, 2000000}});
    EXPECT_LE(scan(frame, 48000), 1050);
}

} // namespace
} // namespace quillwave
