#include "platform/work_pool.h"

#include <cstdlib>

namespace quillwave {

void* WorkPool::poolAlloc(std::size_t bytes)
{
    if (bytes == 0) {
        poolFreeAll();
        return nullptr;
    }
    // A job holds three blocks; a full table refuses rather than overrun it.
    if (count_ >= kSlotCount)
        return nullptr;
    void* block = (refuseFrom_ >= 0 && count_ >= refuseFrom_) ? nullptr : std::malloc(bytes);
    slots_[static_cast<std::size_t>(count_++)] = block;
    return block;
}

void WorkPool::poolFreeAll()
{
    while (count_ > 0) {
        --count_;
        std::free(slots_[static_cast<std::size_t>(count_)]);
        slots_[static_cast<std::size_t>(count_)] = nullptr;
    }
}

int WorkPool::liveBlocks() const
{
    int live = 0;
    for (int i = 0; i < count_; ++i)
        live += slots_[static_cast<std::size_t>(i)] != nullptr;
    return live;
}

} // namespace quillwave
