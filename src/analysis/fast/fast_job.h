#pragma once
#include <array>
#include <cstdint>

#include "analysis/fast/kernel_set.h"
#include "analysis/fine_estimator.h"

namespace quillwave {

// The grids of the search: 1024 x 4^k steps per seven octaves, k = 0 .. 6.
inline constexpr int kGridRanks = 7;

// The exact shortcuts of the fast engine. All are on in use; each can be switched off to
// measure what it saves (the output is the same either way).
struct Shortcuts {
    bool estimateCorrelations = true;  // amplitudes settled by bounded estimates
    bool skipSilentSyntheses = true;   // zero-amplitude components never synthesised
    bool skipUnchangedSearches = true; // a frame whose samples have not changed keeps its result
    bool estimateLevels = true;        // a level settled by a bounded estimate, else computed
};

// What every worker of the fast engine reads during a job; fixed before the passes start.
struct FastJob {
    Shortcuts shortcuts;
    const KernelSet* kernels = nullptr;
    std::int32_t sampleRate = 44100;
    std::int32_t frameLength = 735;
    // gridRatio of multiplier 4^k times the coarse steps, k = 0 .. 6 (1 .. 4096).
    std::array<double, kGridRanks> ratios{};
};

// The position of a ladder multiplier (a power of four, 1 .. 4096) in FastJob::ratios.
inline int multiplierRank(std::int32_t multiplier)
{
    int rank = 0;
    while (multiplier > 1) {
        multiplier /= 4;
        ++rank;
    }
    return rank;
}

} // namespace quillwave
