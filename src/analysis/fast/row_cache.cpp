#include "analysis/fast/row_cache.h"

namespace quillwave {

void RowCache::configure(std::int32_t rowDoubles, int capacity)
{
    if (rowDoubles != rowDoubles_ || capacity != capacity_) {
        rowDoubles_ = rowDoubles;
        capacity_ = capacity;
        std::size_t buckets = 16;
        while (buckets < 2 * static_cast<std::size_t>(capacity))
            buckets *= 2;
        table_.assign(buckets, Entry{0, 0, 0});
        frequencies_.assign(static_cast<std::size_t>(capacity), 0.0);
        rows_ = std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(capacity) *
                                                         static_cast<std::size_t>(rowDoubles));
        generation_ = 0;
    }
    clear();
}

void RowCache::clear()
{
    used_ = 0;
    if (++generation_ == 0) {
        for (Entry& e : table_)
            e.generation = 0;
        generation_ = 1;
    }
}

std::size_t RowCache::bucketOf(std::uint64_t key) const
{
    // Fibonacci hashing spreads neighbouring indices over the table.
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (table_.size() - 1);
}

const double* RowCache::find(std::int32_t multiplier, std::int32_t index, double& frequency) const
{
    const std::uint64_t key = keyOf(multiplier, index);
    for (std::size_t b = bucketOf(key);; b = (b + 1) & (table_.size() - 1)) {
        const Entry& e = table_[b];
        if (e.generation != generation_) {
            ++misses_;
            return nullptr;
        }
        if (e.key == key) {
            ++hits_;
            frequency = frequencies_[static_cast<std::size_t>(e.slot)];
            return rows_.get() + static_cast<std::size_t>(e.slot) * static_cast<std::size_t>(rowDoubles_);
        }
    }
}

double* RowCache::insert(std::int32_t multiplier, std::int32_t index, double frequency)
{
    const std::uint64_t key = keyOf(multiplier, index);
    std::size_t b = bucketOf(key);
    while (table_[b].generation == generation_)
        b = (b + 1) & (table_.size() - 1);
    const int slot = used_++;
    table_[b] = Entry{key, generation_, slot};
    frequencies_[static_cast<std::size_t>(slot)] = frequency;
    return rows_.get() + static_cast<std::size_t>(slot) * static_cast<std::size_t>(rowDoubles_);
}

} // namespace quillwave
