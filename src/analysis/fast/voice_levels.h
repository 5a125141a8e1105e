#pragma once
#include <cstdint>

#include "analysis/component_store.h"
#include "analysis/fast/fast_job.h"
#include "analysis/fast/kernel_set.h"

namespace quillwave {

// A voice's components for its level: the non-silent ones, in slot order (a silent one adds
// only zeros to the synthesis).
struct LevelChain {
    const Component* components;
    int count;
};

struct LevelCounts {
    std::int64_t estimated = 0; // levels the bounded estimate settled
    std::int64_t computed = 0;  // levels computed in full
    std::int64_t silent = 0;    // voices without a non-silent component: level 0 at once
};

// The levels of up to one vector's lanes of voices (the kernels' levelLanes), as the
// reference's measureVoiceLevel gives them. The chains are best of alike length: the longest
// sets the work for all. With the estimate on, a level the estimate's bound settles is taken
// from it; the others are computed in full.
void measureLevels(const KernelSet& kernels, const Shortcuts& shortcuts, const LevelChain* chains, int count,
                   std::int32_t* levels, LevelCounts& counts);

} // namespace quillwave
