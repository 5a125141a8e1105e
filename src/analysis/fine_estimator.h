#pragma once
#include <array>
#include <cstdint>

#include "analysis/component_store.h"
#include "analysis/fixed_point.h"

namespace quillwave {

inline constexpr int kLadderLevels = 6;

// The grids of a refinement, as multiples of the coarse grid's 1024 steps per seven octaves.
// Level 0 is centred on the coarse index scaled onto its grid; each later level is four
// times finer and centred on the previous winner.
struct Ladder {
    std::array<std::int32_t, kLadderLevels> multipliers;
};

// Slot 0 starts a quarter of a coarse step fine; the chain starts on the coarse grid itself.
inline constexpr Ladder kSlot0Ladder{{4, 16, 64, 256, 1024, 4096}};
inline constexpr Ladder kChainLadder{{1, 4, 16, 64, 256, 1024}};

struct Measurement {
    std::int32_t amplitude = 0; // residual sample units
    std::int32_t phase = 0;     // 1/65536 turn, of a sine at the frame's first sample

    friend bool operator==(const Measurement&, const Measurement&) = default;
};

// The angle step per sample of a candidate frequency (Hz).
inline double candidateStep(double frequency, std::int32_t sampleRate) { return 6.2831853071796 * frequency / sampleRate; }

// A found frequency (Hz) as the component stores it: 1/10000 Hz, rounded to nearest.
inline std::int32_t frequencyE4Of(double frequency) { return truncToInt32(frequency * 10000 + 0.5); }

// The amplitude that the correlation sums stand for (residual sample units).
std::int32_t amplitudeFromSums(double re, double im, std::int32_t frameLength);

// The phase that the correlation sums stand for, in 1/65536 of a turn, before it is cut to
// an integer and wrapped into 0..65535.
double phaseBeforeCut(double re, double im);

// The amplitude and phase that the correlation sums stand for: re with the cosines, im with
// the sines, as accumulated (im not yet negated).
Measurement measurementFromSums(double re, double im, std::int32_t frameLength);

// The exact correlation of the frame with one frequency (Hz). `reversed` is indexed by
// position: reversed[m - n] is frame sample n.
Measurement evaluateCandidate(const double* reversed, std::int32_t frameLength, std::int32_t sampleRate,
                              double frequency);

// Refines a coarse index into one component over the ladder's six levels of nine
// candidates; a tie keeps the lower frequency.
Component refineComponent(const double* reversed, std::int32_t frameLength, std::int32_t sampleRate,
                          std::int32_t coarseIndex, const Ladder& ladder);

} // namespace quillwave
