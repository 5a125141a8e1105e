#include "analysis/component_store.h"

#include <algorithm>

namespace quillwave {

namespace {
constexpr std::size_t kPlaneSize = static_cast<std::size_t>(kMaxFrames) * kStoreRowLength;
}

ComponentStore::ComponentStore()
    : amplitude_(kPlaneSize), frequencyE4_(kPlaneSize), phase16_(kPlaneSize)
{
}

void ComponentStore::reset()
{
    std::fill(amplitude_.begin(), amplitude_.end(), 0);
    std::fill(frequencyE4_.begin(), frequencyE4_.end(), 0);
    std::fill(phase16_.begin(), phase16_.end(), 0);
}

} // namespace quillwave
