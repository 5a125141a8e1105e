#include "analysis/fast/frame_search.h"

#include <algorithm>

#include "analysis/analysis_passes.h"
#include "analysis/frequency_grid.h"

namespace quillwave {
namespace {

// About this many bytes of rows per worker, so that they stay near the core: a frame's
// fourteen searches meet a couple of hundred rows of the finer grids, most of them again
// within a few slots.
constexpr std::size_t kRowCacheBytes = 4u << 20;
constexpr int kMinCachedRows = 128;
constexpr int kMaxCachedRows = 512;

} // namespace

ReuseCounts& ReuseCounts::operator+=(const ReuseCounts& o)
{
    measured += o.measured;
    gridRows += o.gridRows;
    cachedRows += o.cachedRows;
    computedRows += o.computedRows;
    skippedSyntheses += o.skippedSyntheses;
    syntheses += o.syntheses;
    searches += o.searches;
    skippedSearches += o.skippedSearches;
    return *this;
}

namespace {

int cacheRows(std::int32_t frameLength)
{
    const std::size_t rowBytes = static_cast<std::size_t>(candidateRowDoubles(frameLength)) * sizeof(double);
    return static_cast<int>(
        std::clamp<std::size_t>(kRowCacheBytes / rowBytes, kMinCachedRows, kMaxCachedRows));
}

} // namespace

std::size_t FrameSearcher::cacheBytes(std::int32_t frameLength)
{
    return static_cast<std::size_t>(cacheRows(frameLength)) *
           static_cast<std::size_t>(candidateRowDoubles(frameLength)) * sizeof(double);
}

void FrameSearcher::configure(const FastJob& job)
{
    if (job.frameLength == frameLength_)
        return;
    frameLength_ = job.frameLength;
    const std::int32_t rowDoubles = candidateRowDoubles(frameLength_);
    cache_.configure(rowDoubles, cacheRows(frameLength_));
    samples_.assign(static_cast<std::size_t>(padToLanes(frameLength_)), 0.0);
    spareRows_.assign(static_cast<std::size_t>(kMaxLevelCandidates) * static_cast<std::size_t>(rowDoubles), 0.0);
}

void FrameSearcher::loadSamples(const std::int32_t* residual, std::int32_t start, std::int32_t frameLength)
{
    for (std::int32_t n = 0; n < frameLength; ++n)
        samples_[static_cast<std::size_t>(n)] = static_cast<double>(residual[start + n]);
}

Component FrameSearcher::refine(const FastJob& job, std::int32_t coarseIndex, const Ladder& ladder)
{
    const std::int32_t m = job.frameLength;
    const std::size_t rowDoubles = static_cast<std::size_t>(candidateRowDoubles(m));
    double bestFrequency = 0.0;
    std::int32_t bestAmplitude = -1;
    std::int32_t bestPhase = 0;
    std::int32_t centre = ladder.multipliers[0] * coarseIndex;
    for (const std::int32_t multiplier : ladder.multipliers) {
        const auto rank = static_cast<std::size_t>(multiplierRank(multiplier));
        GridRows* grid = job.grids[rank];
        const double ratio = job.ratios[rank];
        const bool cached = grid == nullptr && job.shortcuts.rowCache;
        if (cached)
            cache_.beginLevel();

        // The level's candidates in index order, each with its row; the missing rows are
        // computed together, then all rows are correlated together.
        std::int32_t indices[kMaxLevelCandidates];
        double frequencies[kMaxLevelCandidates];
        const double* rows[kMaxLevelCandidates];
        double* missingRows[kMaxLevelCandidates];
        double missingSteps[kMaxLevelCandidates];
        int count = 0;
        int missing = 0;
        int spare = 0;
        auto spareRow = [&] { return spareRows_.data() + static_cast<std::size_t>(spare++) * rowDoubles; };
        for (std::int32_t n = centre - 4; n <= centre + 4; ++n) {
            if (n < 0)
                continue;
            double f = 0.0;
            const double* row = nullptr;
            if (grid != nullptr && n < grid->admissibleCount()) {
                f = grid->frequency(n);
                row = grid->row(n, *job.kernels, spareRow());
                ++counts.gridRows;
            } else if (cached && (row = cache_.find(multiplier, n, f)) != nullptr) {
                ++counts.cachedRows;
            } else {
                f = gridFrequency(ratio, n);
                if (f > kFrequencyCeiling)
                    continue;
                double* fresh = cached ? cache_.insert(multiplier, n, f) : spareRow();
                missingRows[missing] = fresh;
                missingSteps[missing] = candidateStep(f, job.sampleRate);
                ++missing;
                row = fresh;
                ++counts.computedRows;
            }
            indices[count] = n;
            frequencies[count] = f;
            rows[count] = row;
            ++count;
        }
        if (missing > 0)
            job.kernels->candidateRows(missingSteps, missing, m, missingRows);
        double re[kMaxLevelCandidates];
        double im[kMaxLevelCandidates];
        job.kernels->correlateRows(rows, count, samples_.data(), m, re, im);
        counts.measured += count;

        bestAmplitude = -1;
        std::int32_t bestIndex = centre; // always replaced: the centre itself is admissible
        for (int k = 0; k < count; ++k) {
            const Measurement measured = measurementFromSums(re[k], im[k], m);
            if (measured.amplitude > bestAmplitude) {
                bestAmplitude = measured.amplitude;
                bestIndex = indices[k];
                bestPhase = measured.phase;
                bestFrequency = frequencies[k];
            }
        }
        centre = 4 * bestIndex; // the same frequency on the next, finer grid
    }
    return {bestAmplitude, frequencyE4Of(bestFrequency), bestPhase};
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
