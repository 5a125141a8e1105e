#pragma once
#include <cstdint>
#include <vector>

#include "analysis/frame_geometry.h"

namespace quillwave {

// The frame being searched, in the forms the two correlations read. Reused for every frame.
//
// `reversed` and `packed` are indexed by position: the correlation loops count down to 1
// and use their counter as the address. Position m - n of `reversed` holds frame sample n
// (positions 1..m); position W + 1 - i of `packed` holds sample i in both 16-bit halves
// (positions 2..W + 1, W = m rounded up to even). Index 0 (and 1 of `packed`) is unused.
struct FrameBuffers {
    std::vector<double> window = std::vector<double>(kMaxFrameLength);
    std::vector<double> windowed = std::vector<double>(kMaxFrameLength + 1);
    std::vector<double> reversed = std::vector<double>(kMaxFrameLength + 1);
    std::vector<std::uint32_t> packed = std::vector<std::uint32_t>(kMaxFrameLength + 2);
};

// Sample pairs of the coarse scan: an odd frame is completed by one zero sample.
inline std::int32_t pairCount(std::int32_t frameLength) { return (frameLength + 1) / 2; }

// The analysis window: rectangular.
void buildWindow(FrameBuffers& buffers, std::int32_t frameLength);

// A sample divided by 512, rounded to nearest with halves away from zero, as the 16-bit
// value of the coarse scan (wrapping when the sample is beyond the 24-bit range).
std::int16_t packSample(std::int32_t sample);

// Both halves of a packed word hold the same sample, so one 16-bit multiply by a table
// entry gives its cosine and its sine product.
inline std::uint32_t packedWord(std::int16_t value) { return static_cast<std::uint16_t>(value) * 65537u; }

// Fills `windowed`, `reversed` and `packed` from residual[start .. start + m - 1].
void prepareFrame(FrameBuffers& buffers, const std::int32_t* residual, std::int32_t start,
                  std::int32_t frameLength);

// Rewrites only `reversed` from the residual, after a component of the chain has been
// subtracted (no window: it is rectangular, so the values are what prepareFrame gives).
void refreshReversed(FrameBuffers& buffers, const std::int32_t* residual, std::int32_t start,
                     std::int32_t frameLength);

} // namespace quillwave
