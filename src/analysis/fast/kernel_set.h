#pragma once
#include <cstdint>

#include "analysis/fast/simd_width.h"
#include "analysis/frame_geometry.h"
#include "analysis/frequency_grid.h"

namespace quillwave {

// A level of the fine search measures at most nine candidates.
inline constexpr int kMaxLevelCandidates = kLevelWidth;
// Vector loops run over whole vectors of the widest width; buffers they write are padded
// to this many elements so the last vector stays inside.
inline constexpr std::int32_t kLanePadding = 8;

inline constexpr std::int32_t padToLanes(std::int32_t count)
{
    return (count + kLanePadding - 1) / kLanePadding * kLanePadding;
}

// Doubles in a candidate row of a frame of `length` samples: (cos, sin) of every angle.
inline constexpr std::int32_t candidateRowDoubles(std::int32_t length) { return 2 * padToLanes(length); }

// The coarse scan's 16-bit correlation: multiply keeping the high halves, widened sums.
// `cosines` and `sines` hold `candidates` rows of `paddedLength` values (a multiple of 32,
// zero beyond the frame); each frame holds `paddedLength` samples, zero beyond the frame.
struct CoarseSumsInput {
    const std::int16_t* cosines;
    const std::int16_t* sines;
    std::int32_t candidates;
    std::int32_t paddedLength;
};
inline constexpr int kMaxCoarseFrames = 4;

// The correlation estimate takes an exact sine and cosine afresh this often.
inline constexpr std::int32_t kCorrelationReseed = 128;
// The level estimate takes an exact sine and cosine afresh this often.
inline constexpr std::int32_t kLevelReseed = 512;

// The vector kernels of the fast engine at one width. Every kernel but the estimates gives
// the same bits at every width: lanes run side by side over independent sums or element-wise
// work, and no sum is ever split or reordered. The estimates differ from width to width
// within their bounds, and only ever settle what every value within the bound agrees on.
struct KernelSet {
    SimdWidth width;

    // The trig primitive over arrays (sinCos and sine of analysis/trig.h).
    void (*sinCos)(const double* angles, std::int32_t count, double* sines, double* cosines);
    void (*sine)(const double* angles, std::int32_t count, double* sines);

    // For each of `count` (at most nine) angle steps, the row of (cos, sin) pairs of the angles
    // 0, step, step + step, ... (carried by addition), `length` of them; rows hold
    // candidateRowDoubles(length) doubles.
    void (*candidateRows)(const double* steps, int count, std::int32_t length, double* const* rows);

    // The correlation sums of `samples` with each of `count` (at most nine) rows: re with the
    // cosines, im with the sines, summed sample by sample from the first.
    void (*correlateRows)(const double* const* rows, int count, const double* samples, std::int32_t length,
                          double* re, double* im);

    // samples[i] -= trunc(sine(angle_i) x amplitude) (+= when `add`), wrapping, for the angles
    // angle, angle + step, ... carried by addition.
    void (*synthesize)(std::int32_t* samples, std::int32_t length, double amplitude, double step, double angle,
                       bool add);

    // Lanes are independent voices: for each sample n, the sum over slots (in order) of
    // sine(angle) x amplitude, then the running sum of its absolute value. amplitudes, steps
    // and angles are [slot][lane] with `lanes` lanes; angles are advanced in place.
    void (*levelSums)(const double* amplitudes, const double* steps, double* angles, int slotCount,
                      std::int32_t sampleCount, double* sums);
    // The same sums estimated (angles left as they are); see levelEstimateBound.
    void (*levelEstimate)(const double* amplitudes, const double* steps, const double* angles, int slotCount,
                          std::int32_t sampleCount, double* sums);
    int levelLanes;

    // re[f * candidates + c], im[...] for up to kMaxCoarseFrames frames.
    void (*coarseSums)(const CoarseSumsInput& input, const std::int16_t* const* frames, int frameCount,
                       std::int32_t* re, std::int32_t* im);

    // Estimates of what candidateRows and correlateRows would give for these steps, without
    // the rows; see correlationEstimateBound.
    void (*estimateCorrelations)(const double* steps, int count, const double* samples, std::int32_t length,
                                 double* re, double* im);
};

const KernelSet& kernelsFor(SimdWidth width);

} // namespace quillwave
