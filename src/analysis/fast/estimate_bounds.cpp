#include "analysis/fast/estimate_bounds.h"

#include <algorithm>
#include <cmath>

#include "analysis/fast/kernel_set.h"
#include "analysis/fixed_point.h"
#include "analysis/fine_estimator.h"
#include "analysis/level_pass.h"

namespace quillwave {
namespace {

constexpr double kRounding = 0x1p-53; // half an ulp of 1: the relative rounding error
// What the trig primitive may be off from the true sine or cosine: its documented bound is
// one ulp (2^-53 for values near 1); allowed here four and a half times over.
constexpr double kPrimitiveError = 1e-15;

// The rotation both estimates carry, restarted from the primitive every `reseed` samples:
// how far it can be from the true unit vector of its angle. The start is off by the
// primitive's error, and each step adds the error of the rotation's own cosine and sine and
// the rounding of the complex product.
double rotationError(double reseed)
{
    return std::sqrt(2.0) * kPrimitiveError + reseed * (std::sqrt(2.0) * kPrimitiveError + 3 * kRounding) * 1.001;
}

} // namespace

double correlationEstimateBound(double absoluteSum, std::int32_t frameLength, double largestStep)
{
    const double m = frameLength;
    const double reseed = kCorrelationReseed;
    // At a restart the cosine (and sine) comes from the primitive, and the next one from a
    // rotation of it by the primitive's cosine and sine of the step.
    const double start = kPrimitiveError;
    const double second = 2 * std::sqrt(2.0) * kPrimitiveError + 3 * kRounding;
    // The three-term recurrence passes a start error on at most n + 1 times over after n
    // steps (|U(n)| <= n + 1 for the Chebyshev polynomials of the second kind), and each step
    // adds, at most, twice its coefficient's error and three roundings, passed on likewise.
    const double perStep = 2 * kPrimitiveError + 3 * kRounding * 1.01;
    const double recurrence = (reseed + 1) * (start + second) + perStep * reseed * (reseed + 1) / 2;
    // The recurrence follows the exact angle while the running angle collects its roundings,
    // half an ulp a step, since the last restart.
    const double largestAngle = m * largestStep * 1.01 + 1;
    const double drift = reseed * largestAngle * kRounding;
    // Against the primitive's cosine (or sine) of the running angle.
    const double fromPrimitive = recurrence + drift + kPrimitiveError;
    // Each product and each addition rounds in both sums; the running sum never exceeds the
    // absolute sum (a little more, by the cosines' error).
    const double products = absoluteSum * (fromPrimitive + 2 * kRounding * (1 + fromPrimitive));
    const double additions = 2 * kRounding * m * absoluteSum * 1.01;
    // Doubled, for whatever this reckoning has missed.
    return 2 * (products + additions) + 1e-9;
}

std::int32_t settledAmplitude(double re, double im, double bound, std::int32_t frameLength)
{
    // The amplitude grows with |re| and |im|, in floating point too (every operation rounds
    // monotonically), so the box's nearest and farthest corners decide. Widened a little so
    // that their own rounding cannot shrink the box.
    const double widen = bound + (std::fabs(re) + std::fabs(im)) * 4 * kRounding;
    const double nearRe = std::max(0.0, std::fabs(re) - widen);
    const double nearIm = std::max(0.0, std::fabs(im) - widen);
    const std::int32_t low = amplitudeFromSums(nearRe, nearIm, frameLength);
    const std::int32_t high = amplitudeFromSums(std::fabs(re) + widen, std::fabs(im) + widen, frameLength);
    return low == high ? low : -1;
}

std::int32_t settledPhase(double re, double im, double bound)
{
    const double widen = bound + (std::fabs(re) + std::fabs(im)) * 4 * kRounding;
    // With the real sum's sign open, so is the quadrant.
    if (std::fabs(re) <= widen)
        return -1;
    // The phase grows with the ratio of the sums, which over the box is largest and smallest
    // at its corners (for a fixed sign of the real sum it moves one way with each sum). A
    // last small widening covers the arctangent's own rounding.
    double low = 1e300;
    double high = -1e300;
    for (const double r : {re - widen, re + widen}) {
        for (const double i : {im - widen, im + widen}) {
            const double phase = phaseBeforeCut(r, i);
            low = std::min(low, phase);
            high = std::max(high, phase);
        }
    }
    const std::int32_t first = truncToInt32(low - 1e-9);
    return first == truncToInt32(high + 1e-9) ? (first & 65535) : -1;
}

double levelEstimateBound(double amplitudeSum, double largestStep, double largestStart, int slotCount,
                          std::int32_t sampleCount)
{
    const double n = sampleCount;
    const double reseed = kLevelReseed;
    const double rotation = rotationError(reseed);
    // The running angle's collected rounding since the restart, at most half an ulp a step.
    const double largestAngle = (largestStart + n * largestStep) * 1.01 + 1;
    const double drift = reseed * largestAngle * kRounding;
    // Sine by first order in the drift: the neglected term, and the two roundings.
    const double sineError = rotation * (1 + drift) + drift * drift / 2 + 3 * kRounding;
    // Against the primitive's value rather than the true sine.
    const double fromPrimitive = sineError + kPrimitiveError;
    // Per sample: each product and each of the slot additions rounds in both computations;
    // over the samples, each addition of the running sum does (its size at most n times the
    // amplitude sum).
    const double perSample = amplitudeSum * (fromPrimitive + 2 * kRounding * (1 + fromPrimitive) +
                                             2 * slotCount * kRounding * 1.01);
    const double accumulation = 2 * kRounding * n * n * amplitudeSum * 1.01;
    // Doubled, for whatever this reckoning has missed.
    return 2 * (n * perSample + accumulation) + 1e-6;
}

std::int32_t settledLevel(double estimate, double bound)
{
    // The level is the sum divided and cut toward zero: monotonic, so the ends decide. The
    // ends' own rounding is covered by widening a little further.
    const double widen = bound + std::fabs(estimate) * 4 * kRounding;
    const std::int32_t low = levelFromSum(estimate - widen);
    const std::int32_t high = levelFromSum(estimate + widen);
    return low == high ? low : -1;
}

} // namespace quillwave
