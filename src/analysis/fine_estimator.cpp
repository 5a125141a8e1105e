#include "analysis/fine_estimator.h"

#include <cmath>

#include "analysis/fixed_point.h"
#include "analysis/frequency_grid.h"
#include "analysis/trig.h"

namespace quillwave {

Measurement evaluateCandidate(const double* reversed, std::int32_t frameLength, std::int32_t sampleRate,
                              double frequency)
{
    const std::int32_t m = frameLength;
    const double omega = candidateStep(frequency, sampleRate);
    double re = 0;
    double im = 0;
    double angle = 0;
    for (std::int32_t j = m; j >= 1; --j) {
        const double x = reversed[j];
        const SinCos sc = sinCos(angle);
        re = re + sc.cos * x;
        im = im + sc.sin * x;
        angle = angle + omega; // carried by addition, never n * omega: the bits depend on it
    }
    return measurementFromSums(re, im, m);
}

std::int32_t amplitudeFromSums(double re, double im, std::int32_t frameLength)
{
    return truncToInt32(2 * std::sqrt(re * re + im * im) / frameLength);
}

double phaseBeforeCut(double re, double im)
{
    im = -im;
    // A zero real sum stands for a quarter turn instead of dividing by zero.
    const double ratio = re == 0 ? 4294967295.0 : im / re;
    const double offset = re < 0 ? 16384 : 49152;
    // Into the quadrant, plus a quarter turn: the cosine found is re-created as a sine.
    return std::atan(ratio) / 3.1415926535898 / 2 * 65536 + 65536.5 - offset;
}

Measurement measurementFromSums(double re, double im, std::int32_t frameLength)
{
    Measurement result;
    result.amplitude = amplitudeFromSums(re, im, frameLength);
    result.phase = truncToInt32(phaseBeforeCut(re, im)) & 65535;
    return result;
}

Component refineComponent(const double* reversed, std::int32_t frameLength, std::int32_t sampleRate,
                          std::int32_t coarseIndex, const Ladder& ladder)
{
    double bestFrequency = 0.0;
    std::int32_t bestAmplitude = -1;
    std::int32_t bestPhase = 0;
    std::int32_t centre = ladder.multipliers[0] * coarseIndex;
    for (const std::int32_t multiplier : ladder.multipliers) {
        const double ratio = gridRatio(multiplier * kCoarseStepsPerSpan);
        bestAmplitude = -1;
        std::int32_t bestIndex = centre; // always replaced: the centre itself is admissible
        const LevelCandidates level = levelCandidates(centre, ratio);
        for (int k = 0; k < level.count; ++k) {
            const std::int32_t n = level.indices[k];
            const double f = level.frequencies[k];
            const Measurement m = evaluateCandidate(reversed, frameLength, sampleRate, f);
            if (m.amplitude > bestAmplitude) {
                bestAmplitude = m.amplitude;
                bestIndex = n;
                bestPhase = m.phase;
                bestFrequency = f;
            }
        }
        centre = 4 * bestIndex; // the same frequency on the next, finer grid
    }
    return {bestAmplitude, frequencyE4Of(bestFrequency), bestPhase};
}

} // namespace quillwave
