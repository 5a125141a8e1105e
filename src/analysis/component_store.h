#pragma once
#include <cstdint>
#include <vector>

#include "analysis/frame_geometry.h"

namespace quillwave {

inline constexpr int kStoreRowLength = 128;

// One sinusoid of one voice in one frame.
struct Component {
    std::int32_t amplitude = 0;   // peak, in residual sample units; 0 = absent
    std::int32_t frequencyE4 = 0; // 1/10000 Hz
    std::int32_t phase16 = 0;     // 1/65536 turn, at the frame's first sample

    friend bool operator==(const Component&, const Component&) = default;
};

inline constexpr int componentIndex(int voice, int slot) { return voice * kSlotsPerVoice + slot; }

// Every component found: three planes of kMaxFrames rows of 128 columns, allocated once
// and reused by every job.
class ComponentStore {
public:
    ComponentStore();

    void reset();

    Component componentAt(std::int32_t frame, int voice, int slot) const
    {
        const std::size_t i = cell(frame, componentIndex(voice, slot));
        return {amplitude_[i], frequencyE4_[i], phase16_[i]};
    }
    void storeComponent(std::int32_t frame, int voice, int slot, const Component& c)
    {
        const std::size_t i = cell(frame, componentIndex(voice, slot));
        amplitude_[i] = c.amplitude;
        frequencyE4_[i] = c.frequencyE4;
        phase16_[i] = c.phase16;
    }

    static constexpr std::int32_t rowCount() { return kMaxFrames; }

private:
    static std::size_t cell(std::int32_t frame, int column)
    {
        return static_cast<std::size_t>(frame) * kStoreRowLength + static_cast<std::size_t>(column);
    }

    std::vector<std::int32_t> amplitude_;
    std::vector<std::int32_t> frequencyE4_;
    std::vector<std::int32_t> phase16_;
};

} // namespace quillwave
