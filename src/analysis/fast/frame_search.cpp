#include "analysis/fast/frame_search.h"

#include <cmath>

#include "analysis/analysis_passes.h"
#include "analysis/fast/estimate_bounds.h"
#include "analysis/frequency_grid.h"

namespace quillwave {

ReuseCounts& ReuseCounts::operator+=(const ReuseCounts& o)
{
    measured += o.measured;
    estimated += o.estimated;
    undecided += o.undecided;
    winners += o.winners;
    computedRows += o.computedRows;
    skippedSyntheses += o.skippedSyntheses;
    syntheses += o.syntheses;
    searches += o.searches;
    skippedSearches += o.skippedSearches;
    return *this;
}

void FrameSearcher::configure(const FastJob& job)
{
    if (job.frameLength == frameLength_)
        return;
    frameLength_ = job.frameLength;
    samples_.assign(static_cast<std::size_t>(padToLanes(frameLength_)), 0.0);
    spareRows_.assign(static_cast<std::size_t>(kMaxLevelCandidates) *
                          static_cast<std::size_t>(candidateRowDoubles(frameLength_)),
                      0.0);
}

void FrameSearcher::loadSamples(const std::int32_t* residual, std::int32_t start, std::int32_t frameLength)
{
    double absoluteSum = 0;
    for (std::int32_t n = 0; n < frameLength; ++n) {
        const double x = residual[start + n];
        samples_[static_cast<std::size_t>(n)] = x;
        absoluteSum += std::fabs(x);
    }
    // Rounded up a little: the bound must not come out short.
    absoluteSum_ = absoluteSum * (1 + 1e-12);
}

void FrameSearcher::exactSums(const FastJob& job, double step, double& re, double& im) const
{
    double* row = const_cast<double*>(spareRows_.data());
    job.kernels->candidateRows(&step, 1, job.frameLength, &row);
    const double* rows[1] = {row};
    job.kernels->correlateRows(rows, 1, samples_.data(), job.frameLength, &re, &im);
}

Component FrameSearcher::refine(const FastJob& job, std::int32_t coarseIndex, const Ladder& ladder)
{
    const std::int32_t m = job.frameLength;
    const std::size_t rowDoubles = static_cast<std::size_t>(candidateRowDoubles(m));
    // Every candidate lies at or below the ceiling, so this step bounds theirs.
    const double bound =
        correlationEstimateBound(absoluteSum_, m, candidateStep(kFrequencyCeiling, job.sampleRate));
    double bestFrequency = 0.0;
    std::int32_t bestAmplitude = -1;
    double bestStep = 0.0;
    // The winner's sums, when they are exact; else its phase is computed at the end.
    bool bestExact = false;
    double bestRe = 0.0;
    double bestIm = 0.0;
    std::int32_t centre = ladder.multipliers[0] * coarseIndex;
    for (const std::int32_t multiplier : ladder.multipliers) {
        const double ratio = job.ratios[static_cast<std::size_t>(multiplierRank(multiplier))];

        // The level's admissible candidates in index order.
        const LevelCandidates level = levelCandidates(centre, ratio);
        const std::int32_t* indices = level.indices;
        const double* frequencies = level.frequencies;
        const int count = level.count;
        double steps[kMaxLevelCandidates];
        for (int k = 0; k < count; ++k)
            steps[k] = candidateStep(frequencies[k], job.sampleRate);
        counts.measured += count;

        // Their sums, estimated or exact; and their amplitudes, always exact.
        double re[kMaxLevelCandidates];
        double im[kMaxLevelCandidates];
        bool exact[kMaxLevelCandidates];
        std::int32_t amplitudes[kMaxLevelCandidates];
        if (job.shortcuts.estimateCorrelations) {
            job.kernels->estimateCorrelations(steps, count, samples_.data(), m, re, im);
            for (int k = 0; k < count; ++k) {
                amplitudes[k] = settledAmplitude(re[k], im[k], bound, m);
                exact[k] = amplitudes[k] < 0;
                if (exact[k]) {
                    // Too near a boundary for the estimate to settle.
                    exactSums(job, steps[k], re[k], im[k]);
                    amplitudes[k] = amplitudeFromSums(re[k], im[k], m);
                    ++counts.undecided;
                } else {
                    ++counts.estimated;
                }
            }
        } else {
            double* rows[kMaxLevelCandidates];
            for (int k = 0; k < count; ++k)
                rows[k] = spareRows_.data() + static_cast<std::size_t>(k) * rowDoubles;
            job.kernels->candidateRows(steps, count, m, rows);
            job.kernels->correlateRows(rows, count, samples_.data(), m, re, im);
            counts.computedRows += count;
            for (int k = 0; k < count; ++k) {
                exact[k] = true;
                amplitudes[k] = amplitudeFromSums(re[k], im[k], m);
            }
        }

        bestAmplitude = -1;
        std::int32_t bestIndex = centre; // always replaced: the centre itself is admissible
        for (int k = 0; k < count; ++k) {
            if (amplitudes[k] > bestAmplitude) {
                bestAmplitude = amplitudes[k];
                bestIndex = indices[k];
                bestFrequency = frequencies[k];
                bestStep = steps[k];
                bestExact = exact[k];
                bestRe = re[k];
                bestIm = im[k];
            }
        }
        centre = 4 * bestIndex; // the same frequency on the next, finer grid
    }
    // The phase kept is the last level's winner's: settled by its estimate where the bound
    // allows, else decided by its exact sums.
    std::int32_t phase = bestExact ? measurementFromSums(bestRe, bestIm, m).phase : settledPhase(bestRe, bestIm, bound);
    if (phase < 0) {
        exactSums(job, bestStep, bestRe, bestIm);
        phase = measurementFromSums(bestRe, bestIm, m).phase;
        ++counts.winners;
    }
    return {bestAmplitude, frequencyE4Of(bestFrequency), phase};
}

void FrameSearcher::searchFrame(const FastJob& job, std::int32_t* residual, std::int32_t start,
                                std::int32_t coarseIndex, ComponentStore& store, int voice, std::int32_t frame)
{
    const std::int32_t m = job.frameLength;
    loadSamples(residual, start, m);
    Component found = refine(job, coarseIndex, kSlot0Ladder);
    store.storeComponent(frame, voice, 0, found);
    for (int slot = 1; slot < kSlotsPerVoice; ++slot) {
        // A silent component changes nothing: no synthesis, and the samples stay as they are.
        if (found.amplitude != 0 || !job.shortcuts.skipSilentSyntheses) {
            const SynthesisAngles angles = subtractionAngles(found, job.sampleRate);
            job.kernels->synthesize(residual + start, m, found.amplitude, angles.step, angles.start, false);
            loadSamples(residual, start, m);
            ++counts.syntheses;
        } else {
            ++counts.skippedSyntheses;
        }
        found = refine(job, coarseIndex, kChainLadder);
        store.storeComponent(frame, voice, slot, found);
    }
}

} // namespace quillwave
