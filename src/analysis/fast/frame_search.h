#pragma once
#include <cstdint>
#include <vector>

#include "analysis/component_store.h"
#include "analysis/fast/fast_job.h"

namespace quillwave {

// What the shortcuts of the search saved, counted by candidate measurements and searches.
struct ReuseCounts {
    std::int64_t measured = 0;         // candidates measured in all
    std::int64_t estimated = 0;        // amplitudes settled by a bounded estimate
    std::int64_t undecided = 0;        // amplitudes the estimate left open, computed exactly
    std::int64_t winners = 0;          // last winners whose phase the estimate left open
    std::int64_t computedRows = 0;     // measured exactly with rows (estimates switched off)
    std::int64_t skippedSyntheses = 0; // zero-amplitude components not synthesised
    std::int64_t syntheses = 0;        // components synthesised
    std::int64_t searches = 0;         // frame searches run
    std::int64_t skippedSearches = 0;  // frame searches whose samples had not changed

    ReuseCounts& operator+=(const ReuseCounts& o);
};

// One worker's frame search: the steps and the results of the reference search. The
// candidates' amplitudes, and the last winner's phase, are settled by bounded estimates where
// the bound allows, and computed exactly where it does not.
class FrameSearcher {
public:
    // Sizes the buffers for the job's frame length.
    void configure(const FastJob& job);

    // Finds and stores the 14 components of `voice` in `frame`, whose samples start at
    // residual[start]; `coarseIndex` is the frame's coarse scan result. Subtracts slots 0..12
    // from the residual as it goes, as the reference search does.
    void searchFrame(const FastJob& job, std::int32_t* residual, std::int32_t start, std::int32_t coarseIndex,
                     ComponentStore& store, int voice, std::int32_t frame);

    // One component from the frame samples held now.
    Component refine(const FastJob& job, std::int32_t coarseIndex, const Ladder& ladder);

    // Holds residual[start .. start + m - 1] as the samples to correlate.
    void loadSamples(const std::int32_t* residual, std::int32_t start, std::int32_t frameLength);

    ReuseCounts counts;

private:
    // The exact correlation sums with one candidate, computed through a row of its own.
    void exactSums(const FastJob& job, double step, double& re, double& im) const;

    std::int32_t frameLength_ = 0;
    std::vector<double> samples_;
    double absoluteSum_ = 0;
    // Rows computed for one level only.
    std::vector<double> spareRows_;
};

} // namespace quillwave
