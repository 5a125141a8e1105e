#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace quillwave {

// A worker's bounded store of candidate rows on the finer grids, keyed by grid and index.
//
// The fourteen searches of a frame start from one coarse index, so their finer levels meet
// many of the same candidates again; a row depends on nothing but its frequency, so it is
// computed once and reused. When the store is full it is emptied and starts over.
class RowCache {
public:
    // Rows of `rowDoubles` doubles, at most `capacity` of them. Empties the store.
    void configure(std::int32_t rowDoubles, int capacity);
    void clear();

    int freeRows() const { return capacity_ - used_; }

    // The row of candidate `index` on the grid of `multiplier` times the coarse steps, with
    // its frequency; nullptr when it is not here.
    const double* find(std::int32_t multiplier, std::int32_t index, double& frequency) const;
    // Room for a new row under that key (freeRows() must be above 0); the caller fills it.
    double* insert(std::int32_t multiplier, std::int32_t index, double frequency);

    std::int64_t hits() const { return hits_; }
    std::int64_t misses() const { return misses_; }

private:
    struct Entry {
        std::uint64_t key;
        std::uint32_t generation;
        std::int32_t slot;
    };

    static std::uint64_t keyOf(std::int32_t multiplier, std::int32_t index)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(multiplier)) << 32) |
               static_cast<std::uint32_t>(index);
    }
    std::size_t bucketOf(std::uint64_t key) const;

    std::int32_t rowDoubles_ = 0;
    int capacity_ = 0;
    int used_ = 0;
    // Emptying bumps the generation instead of touching every entry.
    std::uint32_t generation_ = 1;
    std::vector<Entry> table_;
    std::vector<double> frequencies_;
    std::unique_ptr<double[]> rows_;
    mutable std::int64_t hits_ = 0;
    mutable std::int64_t misses_ = 0;
};

} // namespace quillwave
