#include "analysis/coarse_scan.h"

#include <cmath>

#include "analysis/fixed_point.h"
#include "analysis/frequency_grid.h"

namespace quillwave {

std::uint32_t coarsePhaseIncrement(double frequency, std::int32_t sampleRate)
{
    // Below 2^32 for every admissible frequency, so the cut toward zero is defined.
    return static_cast<std::uint32_t>(frequency * 65536 / sampleRate * 65536 + 0.5);
}

std::int32_t coarseAmplitude(const std::uint32_t* packed, std::int32_t pairCount, std::int32_t frameLength,
                             std::uint32_t phaseIncrement, const OscillatorTable& table)
{
    const std::int32_t w = 2 * pairCount;
    std::uint32_t phase = 0;
    std::int32_t re = 0;
    std::int32_t im = 0;
    for (std::int32_t i = 0; i < w; ++i) {
        const std::uint32_t e = table[phase >> 16];
        const auto v = static_cast<std::int16_t>(packed[w + 1 - i]);
        // Exact 32-bit products, upper halves kept by an arithmetic shift (floor).
        re += (v * tableCosine(e)) >> 16;
        im += (v * tableSine(e)) >> 16;
        phase += phaseIncrement;
    }
    return coarseAmplitudeFromSums(re, im, frameLength);
}

std::int32_t coarseAmplitudeFromSums(std::int32_t re, std::int32_t im, std::int32_t frameLength)
{
    const double r = re;
    const double q = im;
    return truncToInt32(std::sqrt(r * r + q * q) * 2048 / frameLength);
}

std::int32_t coarseScan(const std::uint32_t* packed, std::int32_t pairCount, std::int32_t frameLength,
                        std::int32_t sampleRate, const OscillatorTable& table)
{
    const double ratio = gridRatio(kCoarseStepsPerSpan);
    std::int32_t best = -1;
    std::int32_t bestIndex = 0;
    for (std::int32_t c = 0; c < kCoarseCandidates; ++c) {
        const double f = gridFrequency(ratio, c);
        if (f > kFrequencyCeiling)
            continue;
        const std::int32_t amplitude =
            coarseAmplitude(packed, pairCount, frameLength, coarsePhaseIncrement(f, sampleRate), table);
        if (amplitude > best) {
            best = amplitude;
            bestIndex = c;
        }
    }
    return bestIndex;
}

} // namespace quillwave
