#pragma once
#include <cstdint>

#include "analysis/oscillator_table.h"

namespace quillwave {

// The 32-bit phase step per sample of a candidate frequency (2^32 = one turn).
std::uint32_t coarsePhaseIncrement(double frequency, std::int32_t sampleRate);

// The peak amplitude (residual sample units) that the two 32-bit correlation sums stand for.
std::int32_t coarseAmplitudeFromSums(std::int32_t re, std::int32_t im, std::int32_t frameLength);

// The fixed-point correlation of the packed frame with one candidate, as a peak amplitude
// in residual sample units.
std::int32_t coarseAmplitude(const std::uint32_t* packed, std::int32_t pairCount, std::int32_t frameLength,
                             std::uint32_t phaseIncrement, const OscillatorTable& table);

// The index (0..1050) of the coarse candidate that correlates most strongly with the packed
// frame; the lowest index wins a tie. `packed` is indexed by position (FrameBuffers).
std::int32_t coarseScan(const std::uint32_t* packed, std::int32_t pairCount, std::int32_t frameLength,
                        std::int32_t sampleRate, const OscillatorTable& table);

} // namespace quillwave
