#pragma once
// Signals for the analysis tests, built straight in residual units (a 16-bit sample x 256).
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/frame_geometry.h"
#include "analysis/signal_buffer.h"

namespace quillwave::test {

struct Tone {
    double frequency;  // Hz
    double amplitude;  // residual units
    double phase = 0;  // radians, of a sine at sample 0
};

// Rounded sum of sines, sample i at time i / sampleRate.
inline std::vector<std::int32_t> toneSignal(int count, int sampleRate, const std::vector<Tone>& tones)
{
    std::vector<std::int32_t> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        double v = 0;
        for (const Tone& t : tones)
            v += t.amplitude * std::sin(2 * M_PI * t.frequency * i / sampleRate + t.phase);
        out[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(v));
    }
    return out;
}

// The padded residual and pristine blocks of a job, holding `samples`.
class PaddedSignal {
public:
    explicit PaddedSignal(const std::vector<std::int32_t>& samples)
        : residual_(samples.size() + 2 * kPadSamples + kSignalSlack / 4), pristine_(residual_.size())
    {
        std::copy(samples.begin(), samples.end(), residual_.begin() + kPadSamples);
        pristine_ = residual_;
        buffer.residual = residual_.data();
        buffer.pristine = pristine_.data();
        buffer.sampleFrames = static_cast<std::int32_t>(samples.size());
    }
    PaddedSignal(const PaddedSignal&) = delete;
    PaddedSignal& operator=(const PaddedSignal&) = delete;

    SignalBuffer buffer;
    std::int32_t* residual() { return residual_.data(); }
    const std::vector<std::int32_t>& residualVector() const { return residual_; }
    const std::vector<std::int32_t>& pristineVector() const { return pristine_; }

private:
    std::vector<std::int32_t> residual_;
    std::vector<std::int32_t> pristine_;
};

} // namespace quillwave::test
