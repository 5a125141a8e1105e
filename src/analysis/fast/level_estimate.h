#pragma once
#include <cstdint>

namespace quillwave {

// How far the level estimate's sum for one voice (KernelSet::levelEstimate) can lie from
// the exact sum (KernelSet::levelSums, the reference's arithmetic): the estimated sines' error
// against the primitive's over every sample, weighted by the amplitudes, plus what rounding
// can do differently in the two sums. Generous on purpose.
//   amplitudeSum: the voice's amplitudes added up;
//   largestStep, largestStart: the largest angle step and start angle among its components.
double levelEstimateBound(double amplitudeSum, double largestStep, double largestStart, int slotCount,
                          std::int32_t sampleCount);

// The level every sum within `bound` of `estimate` gives, or -1 when they do not all agree:
// then the exact sum must decide.
std::int32_t settledLevel(double estimate, double bound);

} // namespace quillwave
