#pragma once
#include <cstdint>
#include <vector>

#include "analysis/component_store.h"
#include "analysis/fast/fast_job.h"
#include "analysis/fast/row_cache.h"

namespace quillwave {

// What the reuse of candidate rows saved, counted by candidate measurements.
struct ReuseCounts {
    std::int64_t measured = 0;     // candidates measured in all
    std::int64_t gridRows = 0;     // rows read from the whole-grid tables
    std::int64_t cachedRows = 0;   // rows found in the worker's row cache
    std::int64_t computedRows = 0; // rows computed for the measurement
    std::int64_t skippedSyntheses = 0; // zero-amplitude components not synthesised
    std::int64_t syntheses = 0;        // components synthesised
    std::int64_t searches = 0;         // frame searches run
    std::int64_t skippedSearches = 0;  // frame searches whose samples had not changed

    ReuseCounts& operator+=(const ReuseCounts& o);
};

// One worker's frame search: the same steps and arithmetic as the reference search, with
// the candidate rows reused and the sums taken several candidates at a time.
class FrameSearcher {
public:
    // Sizes the buffers and the row cache for the job's frame length.
    void configure(const FastJob& job);
    // The most the row cache holds for frames of this length.
    static std::size_t cacheBytes(std::int32_t frameLength);

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
    RowCache cache_;
    std::int32_t frameLength_ = 0;
    std::vector<double> samples_;
    // Rows a level computes without keeping (a whole-grid row being filled by another thread).
    std::vector<double> spareRows_;
};

} // namespace quillwave
