#include "analysis/fast/row_cache.h"

#include <algorithm>

namespace quillwave {

void RowCache::configure(std::int32_t rowDoubles, int capacity)
{
    if (rowDoubles != rowDoubles_ || capacity != capacity_) {
        rowDoubles_ = rowDoubles;
        capacity_ = capacity;
        std::size_t buckets = 16;
        while (buckets < 2 * static_cast<std::size_t>(capacity))
            buckets *= 2;
        buckets_.assign(buckets, kNoSlot);
        slots_.assign(static_cast<std::size_t>(capacity), Slot{});
        rows_ = std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(capacity) *
                                                         static_cast<std::size_t>(rowDoubles));
    }
    clear();
}

void RowCache::clear()
{
    std::fill(buckets_.begin(), buckets_.end(), kNoSlot);
    std::fill(slots_.begin(), slots_.end(), Slot{});
    hand_ = 0;
}

std::size_t RowCache::bucketOf(std::uint64_t key) const
{
    // Fibonacci hashing spreads neighbouring indices over the table.
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (buckets_.size() - 1);
}

// The bucket holding `key`, or the empty bucket where it would go.
std::size_t RowCache::findBucket(std::uint64_t key) const
{
    std::size_t b = bucketOf(key);
    while (buckets_[b] != kNoSlot && slots_[static_cast<std::size_t>(buckets_[b])].key != key)
        b = (b + 1) & (buckets_.size() - 1);
    return b;
}

void RowCache::erase(std::uint64_t key)
{
    std::size_t hole = findBucket(key);
    if (buckets_[hole] == kNoSlot)
        return;
    buckets_[hole] = kNoSlot;
    // Shift later members of the probe run back so that no lookup stops short at the hole.
    const std::size_t mask = buckets_.size() - 1;
    for (std::size_t b = (hole + 1) & mask; buckets_[b] != kNoSlot; b = (b + 1) & mask) {
        const std::size_t home = bucketOf(slots_[static_cast<std::size_t>(buckets_[b])].key);
        // Movable when its home does not lie cyclically in (hole, b].
        if (((b - home) & mask) >= ((b - hole) & mask)) {
            buckets_[hole] = buckets_[b];
            buckets_[b] = kNoSlot;
            hole = b;
        }
    }
}

const double* RowCache::find(std::int32_t multiplier, std::int32_t index, double& frequency)
{
    const std::size_t b = findBucket(keyOf(multiplier, index));
    if (buckets_[b] == kNoSlot)
        return nullptr;
    const std::int32_t slot = buckets_[b];
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    s.used = true;
    s.level = level_;
    frequency = s.frequency;
    return rowOf(slot);
}

double* RowCache::insert(std::int32_t multiplier, std::int32_t index, double frequency)
{
    // The clock: pass over rows used since the hand last came by (and this level's rows),
    // take the first other one.
    std::int32_t slot = kNoSlot;
    while (slot == kNoSlot) {
        Slot& s = slots_[static_cast<std::size_t>(hand_)];
        if (!s.filled || (!s.used && s.level != level_))
            slot = hand_;
        else
            s.used = false;
        hand_ = hand_ + 1 == capacity_ ? 0 : hand_ + 1;
    }
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.filled)
        erase(s.key);
    const std::uint64_t key = keyOf(multiplier, index);
    s = Slot{key, frequency, level_, true, true};
    buckets_[findBucket(key)] = slot;
    return rowOf(slot);
}

} // namespace quillwave
