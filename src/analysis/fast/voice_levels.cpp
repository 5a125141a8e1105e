#include "analysis/fast/voice_levels.h"

#include <algorithm>

#include "analysis/fast/estimate_bounds.h"
#include "analysis/level_pass.h"

namespace quillwave {

void measureLevels(const KernelSet& kernels, const Shortcuts& shortcuts, const LevelChain* chains, int count,
                   std::int32_t* levels, LevelCounts& counts)
{
    const int lanes = kernels.levelLanes;
    int slots = 0;
    for (int l = 0; l < count; ++l)
        slots = std::max(slots, chains[l].count);
    if (slots == 0) {
        for (int l = 0; l < count; ++l)
            levels[l] = levelFromSum(0.0);
        counts.silent += count;
        return;
    }

    // [slot][lane]; a lane past its chain's end, or past `count`, synthesises zeros.
    double amplitudes[kSlotsPerVoice * kLanePadding];
    double steps[kSlotsPerVoice * kLanePadding];
    double angles[kSlotsPerVoice * kLanePadding];
    double amplitudeSum[kLanePadding] = {};
    double largestStep[kLanePadding] = {};
    double largestStart[kLanePadding] = {};
    for (int s = 0; s < slots; ++s) {
        for (int l = 0; l < lanes; ++l) {
            const std::size_t at = static_cast<std::size_t>(s * lanes + l);
            amplitudes[at] = 0.0;
            steps[at] = 0.0;
            angles[at] = 0.0;
            if (l < count && s < chains[l].count) {
                const Component& c = chains[l].components[s];
                const SynthesisAngles a = levelAngles(c);
                amplitudes[at] = c.amplitude;
                steps[at] = a.step;
                angles[at] = a.start;
                amplitudeSum[l] += c.amplitude;
                largestStep[l] = std::max(largestStep[l], a.step);
                largestStart[l] = std::max(largestStart[l], a.start);
            }
        }
    }

    double sums[kLanePadding];
    bool open = true;
    if (shortcuts.estimateLevels) {
        kernels.levelEstimate(amplitudes, steps, angles, slots, kLevelSamples, sums);
        open = false;
        for (int l = 0; l < count; ++l) {
            levels[l] = settledLevel(sums[l],
                                     levelEstimateBound(amplitudeSum[l], largestStep[l], largestStart[l], slots,
                                                        kLevelSamples));
            open = open || levels[l] < 0;
        }
    }
    if (!open) {
        counts.estimated += count;
        return;
    }
    // Rare with the estimate on: a sum within the bound of a level boundary.
    kernels.levelSums(amplitudes, steps, angles, slots, kLevelSamples, sums);
    for (int l = 0; l < count; ++l) {
        if (shortcuts.estimateLevels && levels[l] >= 0) {
            ++counts.estimated;
            continue;
        }
        levels[l] = levelFromSum(sums[l]);
        ++counts.computed;
    }
}

} // namespace quillwave
