#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "analysis/component_store.h"
#include "analysis/frame_geometry.h"

namespace quillwave {

// Remembers, for every voice and frame, the step (pass x 6 + voice) at which a search last
// changed what that voice synthesises there.
//
// A search reads only its frame of the residual: the pristine signal minus the other voices'
// components that overlap the frame. When none of those has changed since the previous
// search of the same voice and frame, the samples are the very same, and so would be the
// result: the search can be skipped. Silence settles after the first pass this way, and so
// does any frame whose voices have stopped moving.
class SearchLedger {
public:
    void reset(const FrameGeometry& geometry);

    // True when the search of `voice` in `frame` at `step` would read exactly what its search
    // one pass earlier read.
    bool unchangedSince(int voice, std::int32_t frame, int step) const;

    // After the search of `voice` in `frame` at `step`: notes whether its chain synthesises
    // anything different now.
    void record(int voice, std::int32_t frame, int step, const Component* before, const Component* after);

    // A silent component synthesises nothing, whatever its frequency and phase.
    static bool sameSynthesis(const Component& a, const Component& b)
    {
        return a == b || (a.amplitude == 0 && b.amplitude == 0);
    }

private:
    std::int32_t frameCount_ = 0;
    // changedAt_[voice * frameCount + frame]; -1 before any change.
    std::vector<std::int32_t> changedAt_;
    // For a voice v and another voice u, the frame offsets d (-1, 0, 1) whose frame g + d of u
    // overlaps frame g of v; the stagger decides which.
    std::array<std::array<std::array<bool, 3>, kVoiceCount>, kVoiceCount> overlaps_{};
};

} // namespace quillwave
