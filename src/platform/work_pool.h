#pragma once
#include <array>
#include <cstddef>

namespace quillwave {

// The job's variable-size memory: blocks are handed out, remembered, and released only all
// together, so every exit path of a job frees everything with one call.
class WorkPool {
public:
    static constexpr int kSlotCount = 256;

    WorkPool() = default;
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;
    ~WorkPool() { poolFreeAll(); }

    // An uninitialised block, or nullptr when refused. A refused request still takes a
    // slot. Zero bytes releases everything, like poolFreeAll.
    void* poolAlloc(std::size_t bytes);
    void poolFreeAll();

    int count() const { return count_; }
    int liveBlocks() const;

    // Tests: refuse every request from the n-th (counted from 0 since the last release).
    void refuseFrom(int n) { refuseFrom_ = n; }

private:
    std::array<void*, kSlotCount> slots_{};
    int count_ = 0;
    int refuseFrom_ = -1;
};

} // namespace quillwave
