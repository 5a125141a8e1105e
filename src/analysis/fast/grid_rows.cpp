#include "analysis/fast/grid_rows.h"

#include "analysis/fine_estimator.h"
#include "analysis/frequency_grid.h"

namespace quillwave {

void GridRows::reset(std::int32_t stepsPerSpan, std::int32_t sampleRate, std::int32_t frameLength)
{
    if (stepsPerSpan == stepsPerSpan_ && sampleRate == sampleRate_ && frameLength == frameLength_)
        return;
    stepsPerSpan_ = stepsPerSpan;
    sampleRate_ = sampleRate;
    frameLength_ = frameLength;
    rowDoubles_ = candidateRowDoubles(frameLength);

    // The frequencies grow with the index, so the admissible ones are a prefix; an index past
    // it is measured (or skipped) the way any other candidate is.
    frequencies_.clear();
    const double ratio = gridRatio(stepsPerSpan);
    for (std::int32_t index = 0;; ++index) {
        const double f = gridFrequency(ratio, index);
        if (f > kFrequencyCeiling)
            break;
        frequencies_.push_back(f);
    }
    const std::size_t rows = frequencies_.size();
    states_ = std::make_unique<std::atomic<std::uint8_t>[]>(rows);
    for (std::size_t i = 0; i < rows; ++i)
        states_[i].store(kEmpty, std::memory_order_relaxed);
    storageSize_ = rows * static_cast<std::size_t>(rowDoubles_);
    storage_ = std::make_unique_for_overwrite<double[]>(storageSize_);
    computed_.store(0, std::memory_order_relaxed);
}

void GridRows::release()
{
    stepsPerSpan_ = 0;
    sampleRate_ = 0;
    frameLength_ = 0;
    frequencies_ = {};
    states_.reset();
    storage_.reset();
    storageSize_ = 0;
}

const double* GridRows::row(std::int32_t index, const KernelSet& kernels, double* scratch)
{
    const auto i = static_cast<std::size_t>(index);
    double* own = storage_.get() + i * static_cast<std::size_t>(rowDoubles_);
    std::uint8_t state = states_[i].load(std::memory_order_acquire);
    if (state == kReady)
        return own;
    const double step = candidateStep(frequencies_[i], sampleRate_);
    if (state == kEmpty && states_[i].compare_exchange_strong(state, kFilling, std::memory_order_acq_rel)) {
        kernels.candidateRows(&step, 1, frameLength_, &own);
        computed_.fetch_add(1, std::memory_order_relaxed);
        states_[i].store(kReady, std::memory_order_release);
        return own;
    }
    if (state == kReady)
        return own;
    kernels.candidateRows(&step, 1, frameLength_, &scratch);
    return scratch;
}

} // namespace quillwave
