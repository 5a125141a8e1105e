#pragma once
#include <cmath>
#include <cstdint>

namespace quillwave {

// Candidate frequencies lie on logarithmic grids: index N of a grid of S steps per seven
// octaves names 55 x (128^(1/S))^N Hz. The coarse scan uses S = 1024; the fine estimator
// refines on grids four times finer at every level.
inline constexpr int kCoarseCandidates = 2048;
inline constexpr double kBaseFrequency = 55.0;
inline constexpr double kSpanRatio = 128.0;
inline constexpr std::int32_t kCoarseStepsPerSpan = 1024;
inline constexpr double kFrequencyCeiling = 8000.0;

// Both engines compute a frequency with exactly these two powers, so grids that meet
// (index N on S, 4N on 4S) give the same bits.
inline double gridRatio(std::int32_t stepsPerSpan) { return std::pow(kSpanRatio, 1.0 / stepsPerSpan); }
inline double gridFrequency(double ratio, std::int32_t index)
{
    return std::pow(ratio, static_cast<double>(index)) * kBaseFrequency;
}

// One level of the fine search measures the grid indices centre - 4 .. centre + 4 that are
// admissible (not negative, at most 8000 Hz), in rising order.
inline constexpr int kLevelWidth = 9;
struct LevelCandidates {
    int count = 0;
    std::int32_t indices[kLevelWidth];
    double frequencies[kLevelWidth];
};

inline LevelCandidates levelCandidates(std::int32_t centre, double ratio)
{
    LevelCandidates level;
    for (std::int32_t n = centre - 4; n <= centre + 4; ++n) {
        if (n < 0)
            continue;
        const double f = gridFrequency(ratio, n);
        if (f > kFrequencyCeiling)
            continue;
        level.indices[level.count] = n;
        level.frequencies[level.count] = f;
        ++level.count;
    }
    return level;
}

} // namespace quillwave
