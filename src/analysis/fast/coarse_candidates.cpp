#include "analysis/fast/coarse_candidates.h"

#include "analysis/coarse_scan.h"
#include "analysis/frame_buffers.h"
#include "analysis/frequency_grid.h"

namespace quillwave {

void CoarseCandidates::build(const OscillatorTable& table, std::int32_t sampleRate, std::int32_t frameLength)
{
    if (sampleRate == sampleRate_ && frameLength == frameLength_)
        return;
    sampleRate_ = sampleRate;
    frameLength_ = frameLength;
    // Every sample of the frame plus the zero that completes an odd one, then zeros up to
    // whole 16-bit vectors of the widest width.
    const std::int32_t used = 2 * pairCount(frameLength);
    paddedLength_ = (used + 31) / 32 * 32;

    // The frequencies grow with the index: the admissible candidates are a prefix.
    const double ratio = gridRatio(kCoarseStepsPerSpan);
    std::vector<std::uint32_t> increments;
    for (std::int32_t c = 0; c < kCoarseCandidates; ++c) {
        const double f = gridFrequency(ratio, c);
        if (f > kFrequencyCeiling)
            break;
        increments.push_back(coarsePhaseIncrement(f, sampleRate));
    }
    candidates_ = static_cast<std::int32_t>(increments.size());
    cosines_.assign(static_cast<std::size_t>(candidates_) * static_cast<std::size_t>(paddedLength_), 0);
    sines_.assign(cosines_.size(), 0);
    for (std::int32_t c = 0; c < candidates_; ++c) {
        std::int16_t* cosRow = cosines_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(paddedLength_);
        std::int16_t* sinRow = sines_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(paddedLength_);
        std::uint32_t phase = 0;
        for (std::int32_t i = 0; i < used; ++i) {
            const std::uint32_t e = table[phase >> 16];
            cosRow[i] = tableCosine(e);
            sinRow[i] = tableSine(e);
            phase += increments[static_cast<std::size_t>(c)];
        }
    }
}

void CoarseCandidates::packFrame(const std::int32_t* residual, std::int32_t start, std::int16_t* frame) const
{
    // The window is rectangular, so the windowed sample cut back to an integer is the sample.
    for (std::int32_t i = 0; i < frameLength_; ++i)
        frame[i] = packSample(residual[start + i]);
    for (std::int32_t i = frameLength_; i < paddedLength_; ++i)
        frame[i] = 0;
}

void CoarseCandidates::scan(const KernelSet& kernels, const std::int16_t* const* frames, int count,
                            std::int32_t* indices) const
{
    thread_local std::vector<std::int32_t> re;
    thread_local std::vector<std::int32_t> im;
    const std::size_t sums = static_cast<std::size_t>(kMaxCoarseFrames) * static_cast<std::size_t>(candidates_);
    re.resize(sums);
    im.resize(sums);
    const CoarseSumsInput input{cosines_.data(), sines_.data(), candidates_, paddedLength_};
    kernels.coarseSums(input, frames, count, re.data(), im.data());
    for (int f = 0; f < count; ++f) {
        std::int32_t best = -1;
        std::int32_t bestIndex = 0;
        for (std::int32_t c = 0; c < candidates_; ++c) {
            const std::size_t k = static_cast<std::size_t>(f) * static_cast<std::size_t>(candidates_) +
                                  static_cast<std::size_t>(c);
            const std::int32_t amplitude = coarseAmplitudeFromSums(re[k], im[k], frameLength_);
            if (amplitude > best) {
                best = amplitude;
                bestIndex = c;
            }
        }
        indices[f] = bestIndex;
    }
}

} // namespace quillwave
