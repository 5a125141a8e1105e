// The fast engine's bounded estimates: each must stay within its bound of the exact value, so
// that what it settles is what the reference computes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/fast/kernel_set.h"
#include "analysis/fine_estimator.h"
#include "analysis/frequency_grid.h"
#include "analysis/fast/estimate_bounds.h"
#include "analysis/fast/voice_levels.h"
#include "analysis/level_pass.h"

namespace quillwave {
namespace {

// Voices as the search leaves them: up to 14 components of any loudness, frequency and phase.
std::vector<VoiceChain> randomChains(int count)
{
    std::vector<VoiceChain> chains(static_cast<std::size_t>(count));
    std::uint32_t x = 2024;
    const auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    for (VoiceChain& chain : chains) {
        const int used = 1 + static_cast<int>(next() % kSlotsPerVoice);
        for (int s = 0; s < used; ++s)
            chain[static_cast<std::size_t>(s)] = {static_cast<std::int32_t>(next() % 8000000),
                                                  550000 + static_cast<std::int32_t>(next() % 79450001),
                                                  static_cast<std::int32_t>(next() % 65536)};
    }
    return chains;
}

// Frames from silence to full scale at every frame length, against nine candidates anywhere
// on the grid up to the ceiling.
TEST(CorrelationEstimate, StaysWithinItsBoundOfTheExactSumsAtEveryWidth)
{
    std::uint32_t x = 77;
    const auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    for (const std::int32_t m : {735, 800, 1470, 2205, 3200}) {
        const int rate = m % 735 == 0 ? 44100 : 48000;
        for (const double loudness : {0.0, 3e3, 8388607.0}) {
            std::vector<double> samples(static_cast<std::size_t>(padToLanes(m)), 0.0);
            double absoluteSum = 0;
            for (std::int32_t n = 0; n < m; ++n) {
                const double tone = std::sin(0.37 * n) * 0.6 + std::sin(0.011 * n) * 0.3;
                samples[static_cast<std::size_t>(n)] =
                    std::trunc(loudness * (tone + (static_cast<double>(next() % 2001) - 1000) / 10000));
                absoluteSum += std::fabs(samples[static_cast<std::size_t>(n)]);
            }
            double steps[kMaxLevelCandidates];
            for (double& step : steps)
                step = candidateStep(55.0 + (kFrequencyCeiling - 55.0) * (next() % 100000) / 99999.0, rate);
            const double bound = correlationEstimateBound(absoluteSum, m, candidateStep(kFrequencyCeiling, rate));
            for (const SimdWidth width : availableSimdWidths()) {
                const KernelSet& k = kernelsFor(width);
                double re[kMaxLevelCandidates];
                double im[kMaxLevelCandidates];
                k.estimateCorrelations(steps, kMaxLevelCandidates, samples.data(), m, re, im);
                std::vector<double> rowsData(static_cast<std::size_t>(kMaxLevelCandidates) *
                                             static_cast<std::size_t>(candidateRowDoubles(m)));
                double* rows[kMaxLevelCandidates];
                for (int c = 0; c < kMaxLevelCandidates; ++c)
                    rows[c] = rowsData.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(candidateRowDoubles(m));
                k.candidateRows(steps, kMaxLevelCandidates, m, rows);
                double exactRe[kMaxLevelCandidates];
                double exactIm[kMaxLevelCandidates];
                k.correlateRows(rows, kMaxLevelCandidates, samples.data(), m, exactRe, exactIm);
                for (int c = 0; c < kMaxLevelCandidates; ++c) {
                    SCOPED_TRACE(std::string(simdWidthName(width)) + ", m " + std::to_string(m));
                    // Far inside the bound: coming near it would mean a flaw in the reckoning.
                    EXPECT_LE(std::fabs(re[c] - exactRe[c]), bound / 8);
                    EXPECT_LE(std::fabs(im[c] - exactIm[c]), bound / 8);
                    const Measurement exact = measurementFromSums(exactRe[c], exactIm[c], m);
                    const std::int32_t amplitude = settledAmplitude(re[c], im[c], bound, m);
                    if (amplitude >= 0) {
                        EXPECT_EQ(amplitude, exact.amplitude);
                    }
                    const std::int32_t phase = settledPhase(re[c], im[c], bound);
                    if (phase >= 0) {
                        EXPECT_EQ(phase, exact.phase);
                    }
                }
            }
        }
    }
}

// Sums near the axes, where the phase's quadrant turns on the sign of the real sum, and a
// box that straddles a phase boundary: the estimate must leave those open.
TEST(CorrelationEstimate, LeavesOpenWhatTheBoxDoesNotDecide)
{
    EXPECT_EQ(settledPhase(0.5, 1e6, 1.0), -1) << "the real sum's sign is open";
    EXPECT_EQ(settledPhase(-2e6, 0.0, 1.0), measurementFromSums(-2e6, 0.0, 735).phase);
    EXPECT_EQ(settledPhase(2e6, 0.0, 1.0), measurementFromSums(2e6, 0.0, 735).phase);
    // A ratio whose phase lies just past a whole number: a bound that reaches back over it
    // leaves it open, a tight one settles it.
    const double re = 1e9;
    double im = 0;
    while (phaseBeforeCut(re, im) - std::floor(phaseBeforeCut(re, im)) > 1e-3)
        im += 1e3;
    EXPECT_EQ(settledPhase(re, im, 1e3), -1);
    EXPECT_EQ(settledPhase(re, im, 1e-3), measurementFromSums(re, im, 735).phase);
    // Amplitude 1000.5 settles with a bound of a sum unit; exactly 1000 never does.
    EXPECT_EQ(settledAmplitude(735.0 * 1000.5 / 2, 0.0, 1.0, 735), 1000);
    EXPECT_EQ(settledAmplitude(735.0 * 1000 / 2, 0.0, 1e-6, 735), -1);
}

TEST(LevelEstimate, StaysWithinItsBoundOfTheExactSumAtEveryWidth)
{
    const std::vector<VoiceChain> chains = randomChains(64);
    for (const SimdWidth width : availableSimdWidths()) {
        const KernelSet& k = kernelsFor(width);
        const int lanes = k.levelLanes;
        double worst = 0;
        for (std::size_t first = 0; first < chains.size(); first += static_cast<std::size_t>(lanes)) {
            double amplitudes[kSlotsPerVoice * kLanePadding] = {};
            double steps[kSlotsPerVoice * kLanePadding] = {};
            double angles[kSlotsPerVoice * kLanePadding] = {};
            double amplitudeSum[kLanePadding] = {};
            double largestStep[kLanePadding] = {};
            double largestStart[kLanePadding] = {};
            for (int l = 0; l < lanes; ++l) {
                for (int s = 0; s < kSlotsPerVoice; ++s) {
                    const Component& c = chains[first + static_cast<std::size_t>(l)][static_cast<std::size_t>(s)];
                    const SynthesisAngles a = levelAngles(c);
                    amplitudes[s * lanes + l] = c.amplitude;
                    steps[s * lanes + l] = a.step;
                    angles[s * lanes + l] = a.start;
                    amplitudeSum[l] += c.amplitude;
                    largestStep[l] = std::max(largestStep[l], a.step);
                    largestStart[l] = std::max(largestStart[l], a.start);
                }
            }
            double estimates[kLanePadding];
            double exact[kLanePadding];
            k.levelEstimate(amplitudes, steps, angles, kSlotsPerVoice, kLevelSamples, estimates);
            k.levelSums(amplitudes, steps, angles, kSlotsPerVoice, kLevelSamples, exact);
            for (int l = 0; l < lanes; ++l) {
                const double bound =
                    levelEstimateBound(amplitudeSum[l], largestStep[l], largestStart[l], kSlotsPerVoice, kLevelSamples);
                ASSERT_LE(std::fabs(estimates[l] - exact[l]), bound) << simdWidthName(width) << ", voice " << first + l;
                worst = std::max(worst, std::fabs(estimates[l] - exact[l]) / bound);
                const std::int32_t settled = settledLevel(estimates[l], bound);
                if (settled >= 0) {
                    EXPECT_EQ(settled, levelFromSum(exact[l]));
                }
            }
        }
        // The bound is generous; an estimate coming anywhere near it would mean a flaw in it.
        EXPECT_LT(worst, 0.25) << simdWidthName(width);
    }
}

TEST(LevelEstimate, MeasuredLevelsAreTheReferences)
{
    std::vector<VoiceChain> chains = randomChains(16);
    // The level examples: one component at 1000 Hz, the same at 600 Hz, a cancelling pair.
    chains.push_back({Component{1000000, 10000000, 0}});
    chains.push_back({Component{1000000, 6000000, 0}});
    chains.push_back({Component{1000000, 10000000, 0}, Component{1000000, 10000000, 32768}});
    // A constant: its sum lands exactly on a level boundary, which no estimate can settle.
    chains.push_back({Component{1000000, 0, 16384}});
    LevelBuffer buffer = makeLevelBuffer();
    std::vector<std::int32_t> expected;
    for (const VoiceChain& chain : chains)
        expected.push_back(measureVoiceLevel(chain, buffer));
    ASSERT_EQ(expected[16], 636440);
    ASSERT_EQ(expected[17], 636617);
    ASSERT_EQ(expected[18], 0);
    ASSERT_EQ(expected[19], 1000000);

    for (const SimdWidth width : availableSimdWidths()) {
        const KernelSet& k = kernelsFor(width);
        for (const bool estimate : {true, false}) {
            Shortcuts shortcuts;
            shortcuts.estimateLevels = estimate;
            LevelCounts counts;
            for (std::size_t first = 0; first < chains.size(); first += static_cast<std::size_t>(k.levelLanes)) {
                const int count = static_cast<int>(std::min<std::size_t>(k.levelLanes, chains.size() - first));
                LevelChain lane[kLanePadding];
                std::int32_t levels[kLanePadding];
                for (int l = 0; l < count; ++l) {
                    const VoiceChain& chain = chains[first + static_cast<std::size_t>(l)];
                    int used = 0;
                    while (used < kSlotsPerVoice && chain[static_cast<std::size_t>(used)].amplitude != 0)
                        ++used;
                    lane[l] = {chain.data(), used};
                }
                measureLevels(k, shortcuts, lane, count, levels, counts);
                for (int l = 0; l < count; ++l)
                    EXPECT_EQ(levels[l], expected[first + static_cast<std::size_t>(l)])
                        << simdWidthName(width) << ", voice " << first + l << (estimate ? ", estimated" : "");
            }
            EXPECT_EQ(counts.estimated + counts.computed + counts.silent, static_cast<std::int64_t>(chains.size()));
            if (estimate) {
                EXPECT_EQ(counts.computed, 1) << simdWidthName(width) << ": only the constant is left open";
            }
        }
    }
}

} // namespace
} // namespace quillwave
