#pragma once
#include <algorithm>
#include <cstdint>

namespace quillwave {

// Sizes the batches of frame units that run in parallel between two progress checks, so
// that a check comes about every 100 ms: often enough for the window and the cancel, rarely
// enough that the workers stay busy. The size never changes a result, only when the checks come.
class BatchSizer {
public:
    static constexpr double kTargetSeconds = 0.1;

    explicit BatchSizer(std::int32_t firstSize) : size_(std::max<std::int32_t>(1, firstSize)) {}

    std::int32_t size() const { return size_; }

    // A batch of `units` took `seconds`: aim the next one at the target, changing by at most
    // a factor of four at a time so one odd batch cannot swing it far.
    void record(std::int32_t units, double seconds)
    {
        if (units <= 0 || seconds <= 0)
            return;
        const double wanted = units * kTargetSeconds / seconds;
        const double bounded = std::clamp(wanted, size_ / 4.0, size_ * 4.0);
        size_ = static_cast<std::int32_t>(std::clamp(bounded, 1.0, 1.0e6));
    }

private:
    std::int32_t size_;
};

} // namespace quillwave
