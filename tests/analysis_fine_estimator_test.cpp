#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/fine_estimator.h"
#include "analysis/frequency_grid.h"

namespace quillwave {
namespace {

// A frame in the reversed layout the estimator reads: position m - n holds sample n.
std::vector<double> reversedFrame(const std::vector<double>& samples)
{
    const std::size_t m = samples.size();
    std::vector<double> reversed(m + 1);
    for (std::size_t n = 0; n < m; ++n)
        reversed[m - n] = samples[n];
    return reversed;
}

std::vector<double> cosineFrame(std::int32_t m, std::int32_t sampleRate, double frequency, double amplitude,
                                double phase)
{
    std::vector<double> samples(static_cast<std::size_t>(m));
    for (std::int32_t n = 0; n < m; ++n)
        samples[static_cast<std::size_t>(n)] = amplitude * std::cos(2 * M_PI * frequency * n / sampleRate + phase);
    return samples;
}

// The phase a cosine of phase phi is re-created from: a quarter turn ahead, as a sine.
std::int32_t sinePhase16(double phi)
{
    const double turns = (phi + M_PI / 2) / (2 * M_PI);
    return static_cast<std::int32_t>(std::lround((turns - std::floor(turns)) * 65536)) & 65535;
}

TEST(FineEstimator, ZeroFrameGivesTheLowestCandidate)
{
    const std::vector<double> reversed(801, 0.0);
    for (const Ladder* ladder : {&kSlot0Ladder, &kChainLadder}) {
        // Negative indices of the first window are skipped; 0 wins every all-zero level.
        EXPECT_EQ(refineComponent(reversed.data(), 800, 48000, 0, *ladder), (Component{0, 550000, 32768}));
    }
}

TEST(FineEstimator, MeasuresACosineOnWholePeriodsExactly)
{
    // 1200 Hz makes 20 whole periods of an 800-sample frame at 48000 Hz, so the mirror
    // frequency cancels and the measurement is the cosine's own amplitude and phase.
    for (const double phi : {0.3, 2.5, -2.0, -0.7}) { // both signs of the real sum
        const auto reversed = reversedFrame(cosineFrame(800, 48000, 1200.0, 1000000, phi));
        const Measurement m = evaluateCandidate(reversed.data(), 800, 48000, 1200.0);
        EXPECT_NEAR(m.amplitude, 1000000, 1) << phi;
        EXPECT_NEAR(m.phase, sinePhase16(phi), 1) << phi;
    }
}

TEST(FineEstimator, ZeroRealSumGivesHalfATurn)
{
    // A lone sample at n = 0 reads cos(0) = 1 only; with the sample 0 the sums are zero.
    std::vector<double> samples(735, 0.0);
    EXPECT_EQ(evaluateCandidate(reversedFrame(samples).data(), 735, 44100, 440.0), (Measurement{0, 32768}));
    samples[0] = -1000;
    EXPECT_EQ(evaluateCandidate(reversedFrame(samples).data(), 735, 44100, 440.0).phase, 49152)
        << "a negative real sum is a cosine half a turn on, re-created as a sine";
}

TEST(FineEstimator, RefinesACosineToItsFrequencyAmplitudeAndPhase)
{
    const std::int32_t coarse = 650; // the coarse candidate just below 1200 Hz
    ASSERT_LT(gridFrequency(gridRatio(1024), coarse), 1200.0);
    ASSERT_GT(gridFrequency(gridRatio(1024), coarse + 1), 1200.0);
    // A long frame, so that the mirror frequency hardly pulls the peak away from 1200 Hz.
    const std::int32_t m = 3200;
    const double phi = 1.1;
    const auto samples = cosineFrame(m, 48000, 1200.0, 1000000, phi);
    const auto reversed = reversedFrame(samples);

    for (const Ladder* ladder : {&kSlot0Ladder, &kChainLadder}) {
        const Component c = refineComponent(reversed.data(), m, 48000, coarse, *ladder);
        // Near the peak the truncated amplitude is flat and a tie keeps the lower frequency,
        // so the frequency may lie a little low, and the phase with it.
        EXPECT_NEAR(c.frequencyE4, 12000000, 1000);
        EXPECT_NEAR(c.amplitude, 1000000, 2);
        EXPECT_NEAR(c.phase16, sinePhase16(phi), 64);

        // Subtracting the stored component as a sine removes the cosine it was found from.
        std::vector<std::int32_t> residual(samples.size());
        for (std::size_t n = 0; n < residual.size(); ++n)
            residual[n] = static_cast<std::int32_t>(std::lround(samples[n]));
        subtractComponent(residual.data(), 0, m, 48000, c);
        for (const std::int32_t left : residual)
            ASSERT_LT(std::abs(left), 10000);
    }
}

TEST(FineEstimator, NeverGoesAbove8000Hz)
{
    const auto reversed = reversedFrame(cosineFrame(800, 48000, 8100.0, 1000000, 0.0));
    for (const Ladder* ladder : {&kSlot0Ladder, &kChainLadder}) {
        const Component c = refineComponent(reversed.data(), 800, 48000, 1050, *ladder);
        EXPECT_LE(c.frequencyE4, 80000000);
        EXPECT_GT(c.frequencyE4, 79000000);
    }
}

TEST(FineEstimator, ChainLadderReachesFourCoarseStepsAway)
{
    // From centre 500, a tone on coarse candidate 503 is within the chain's first window
    // but beyond the 1.33 steps that slot 0's finer ladder can travel.
    const double ratio = gridRatio(kCoarseStepsPerSpan);
    const double f = gridFrequency(ratio, 503);
    const auto reversed = reversedFrame(cosineFrame(3200, 48000, f, 1000000, 0.2));
    const Component chain = refineComponent(reversed.data(), 3200, 48000, 500, kChainLadder);
    EXPECT_NEAR(chain.frequencyE4, f * 10000, f * 10000 * 1e-4);
    EXPECT_NEAR(chain.amplitude, 1000000, 5000);

    const Component slot0 = refineComponent(reversed.data(), 3200, 48000, 500, kSlot0Ladder);
    EXPECT_LT(slot0.frequencyE4, gridFrequency(ratio, 502) * 10000);
}

} // namespace
} // namespace quillwave
