#include "analysis/fast/search_ledger.h"

#include <cstdlib>

namespace quillwave {

void SearchLedger::reset(const FrameGeometry& geometry)
{
    frameCount_ = geometry.frameCount;
    changedAt_.assign(static_cast<std::size_t>(kVoiceCount) * static_cast<std::size_t>(frameCount_), -1);
    const std::int32_t m = geometry.frameLength;
    for (int v = 0; v < kVoiceCount; ++v)
        for (int u = 0; u < kVoiceCount; ++u)
            for (int d = -1; d <= 1; ++d) {
                // Spans of m samples starting at the two voices' offsets, d frames apart.
                const std::int32_t apart = d * m + staggerOffset(geometry, u) - staggerOffset(geometry, v);
                overlaps_[static_cast<std::size_t>(v)][static_cast<std::size_t>(u)][static_cast<std::size_t>(d + 1)] =
                    std::abs(apart) < m;
            }
}

bool SearchLedger::unchangedSince(int voice, std::int32_t frame, int step) const
{
    const int previous = step - kVoiceCount;
    if (previous < 0)
        return false;
    for (int u = 0; u < kVoiceCount; ++u) {
        if (u == voice)
            continue;
        for (int d = -1; d <= 1; ++d) {
            const std::int32_t g = frame + d;
            if (g < 0 || g >= frameCount_ ||
                !overlaps_[static_cast<std::size_t>(voice)][static_cast<std::size_t>(u)][static_cast<std::size_t>(d + 1)])
                continue;
            if (changedAt_[static_cast<std::size_t>(u) * static_cast<std::size_t>(frameCount_) +
                           static_cast<std::size_t>(g)] > previous)
                return false;
        }
    }
    return true;
}

void SearchLedger::record(int voice, std::int32_t frame, int step, const Component* before, const Component* after)
{
    for (int s = 0; s < kSlotsPerVoice; ++s) {
        if (!sameSynthesis(before[s], after[s])) {
            changedAt_[static_cast<std::size_t>(voice) * static_cast<std::size_t>(frameCount_) +
                       static_cast<std::size_t>(frame)] = step;
            return;
        }
    }
}

} // namespace quillwave
