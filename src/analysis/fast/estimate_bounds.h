#pragma once
#include <cstdint>

namespace quillwave {

// Bounds on the fast engine's estimates. An estimate replaces an exact sum only where its
// bound shows that every value it could stand for gives the same integer result; elsewhere
// the exact sum is computed. So the bounds must never be too small, and they are generous.

// How far an estimated correlation sum (KernelSet::estimateCorrelations, re or im) can lie
// from the exact one (candidateRows and correlateRows, the reference's arithmetic), for a
// frame of `frameLength` samples whose absolute values add up to `absoluteSum` and candidates
// whose angle steps are at most `largestStep`.
double correlationEstimateBound(double absoluteSum, std::int32_t frameLength, double largestStep);

// The amplitude (as amplitudeFromSums gives it) of every pair of sums within `bound` of
// (re, im), or -1 when they do not all give the same.
std::int32_t settledAmplitude(double re, double im, double bound, std::int32_t frameLength);

// The phase (as measurementFromSums gives it) of every pair of sums within `bound` of
// (re, im), or -1 when they do not all give the same.
std::int32_t settledPhase(double re, double im, double bound);

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
