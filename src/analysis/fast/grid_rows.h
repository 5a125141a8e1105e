#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/fast/kernel_set.h"

namespace quillwave {

// The candidate rows of one whole frequency grid, shared by every frame of a job.
//
// A candidate's (cos, sin) row depends only on its frequency and the frame length, never on
// the data. The coarse grid (met by every chain's first level) and the grid four times finer
// (met by slot 0's first level and every chain's second) recur in every frame, so their rows
// are kept for the job. A row is computed the first time a frame needs it; the rows stay
// valid for later jobs with the same sample rate and frame length.
class GridRows {
public:
    // Prepares the grid of `stepsPerSpan` steps for frames of `frameLength` samples. Keeps the
    // rows already computed when nothing changed.
    void reset(std::int32_t stepsPerSpan, std::int32_t sampleRate, std::int32_t frameLength);

    // Gives the memory back; the next reset starts afresh.
    void release();

    std::int32_t stepsPerSpan() const { return stepsPerSpan_; }
    // Indices 0 .. admissibleCount() - 1 lie at or below the frequency ceiling.
    std::int32_t admissibleCount() const { return static_cast<std::int32_t>(frequencies_.size()); }
    double frequency(std::int32_t index) const { return frequencies_[static_cast<std::size_t>(index)]; }

    // The row of an admissible index, computed now if no frame has needed it yet. When another
    // thread is computing it at this moment, this one computes its own copy into `scratch`
    // (candidateRowDoubles of the frame length) instead of waiting.
    const double* row(std::int32_t index, const KernelSet& kernels, double* scratch);

    // Rows computed so far (what the table saves is measured from it).
    std::int64_t computedRows() const { return computed_.load(std::memory_order_relaxed); }
    std::size_t bytes() const { return storageSize_ * sizeof(double); }

private:
    enum : std::uint8_t { kEmpty, kFilling, kReady };

    std::int32_t stepsPerSpan_ = 0;
    std::int32_t sampleRate_ = 0;
    std::int32_t frameLength_ = 0;
    std::int32_t rowDoubles_ = 0;
    std::vector<double> frequencies_;
    std::unique_ptr<std::atomic<std::uint8_t>[]> states_;
    // Left uninitialised: only the rows that frames need ever get written, and so mapped.
    std::unique_ptr<double[]> storage_;
    std::size_t storageSize_ = 0;
    std::atomic<std::int64_t> computed_{0};
};

} // namespace quillwave
