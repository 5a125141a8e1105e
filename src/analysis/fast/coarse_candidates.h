#pragma once
#include <cstdint>
#include <vector>

#include "analysis/fast/kernel_set.h"
#include "analysis/oscillator_table.h"

namespace quillwave {

// The coarse scan with everything that depends only on the candidate done once per job:
// each admissible candidate's table entries, sample by sample, as 16-bit cosine and sine
// rows. A frame is then correlated with plain 16-bit products (high halves kept) and
// widened integer sums, which are exact in any order.
class CoarseCandidates {
public:
    // Builds the rows for this sample rate and frame length; keeps them when nothing changed.
    void build(const OscillatorTable& table, std::int32_t sampleRate, std::int32_t frameLength);

    std::int32_t paddedLength() const { return paddedLength_; }
    std::size_t bytes() const { return (cosines_.size() + sines_.size()) * sizeof(std::int16_t); }

    // Writes the 16-bit form of the frame residual[start .. start + m - 1] into `frame`
    // (paddedLength() values, zero past the frame).
    void packFrame(const std::int32_t* residual, std::int32_t start, std::int16_t* frame) const;

    // The coarse index of each of `count` packed frames (at most kMaxCoarseFrames): the
    // strongest candidate, the lowest index on a tie.
    void scan(const KernelSet& kernels, const std::int16_t* const* frames, int count, std::int32_t* indices) const;

private:
    std::int32_t sampleRate_ = 0;
    std::int32_t frameLength_ = 0;
    std::int32_t paddedLength_ = 0;
    std::int32_t candidates_ = 0;
    std::vector<std::int16_t> cosines_;
    std::vector<std::int16_t> sines_;
};

} // namespace quillwave
