#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace quillwave {

// A worker's bounded store of candidate rows on the finer grids, keyed by grid and index.
//
// The fourteen searches of a frame start from one coarse index, so their finer levels meet
// many of the same candidates again; a row depends on nothing but its frequency, so it is
// computed once and reused. When the store is full a row that has not been used for a while
// makes room (the clock policy); the rows of the level being measured are never the ones.
// Small enough to stay near the core: a row read from far away costs about what computing it does.
class RowCache {
public:
    // Rows of `rowDoubles` doubles, at most `capacity` of them (at least two levels' worth).
    // Empties the store.
    void configure(std::int32_t rowDoubles, int capacity);
    void clear();

    // A new level: the rows it finds or inserts stay until the next one begins.
    void beginLevel() { ++level_; }

    // The row of candidate `index` on the grid of `multiplier` times the coarse steps, with
    // its frequency; nullptr when it is not here.
    const double* find(std::int32_t multiplier, std::int32_t index, double& frequency);
    // Room for a new row under that key (not here yet); the caller fills it.
    double* insert(std::int32_t multiplier, std::int32_t index, double frequency);

private:
    static constexpr std::int32_t kNoSlot = -1;

    struct Slot {
        std::uint64_t key = 0;
        double frequency = 0;
        std::uint32_t level = 0; // the level that last used it
        bool used = false;       // used since the clock hand last passed
        bool filled = false;
    };

    static std::uint64_t keyOf(std::int32_t multiplier, std::int32_t index)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(multiplier)) << 32) |
               static_cast<std::uint32_t>(index);
    }
    std::size_t bucketOf(std::uint64_t key) const;
    std::size_t findBucket(std::uint64_t key) const;
    void erase(std::uint64_t key);
    double* rowOf(std::int32_t slot)
    {
        return rows_.get() + static_cast<std::size_t>(slot) * static_cast<std::size_t>(rowDoubles_);
    }

    std::int32_t rowDoubles_ = 0;
    int capacity_ = 0;
    int hand_ = 0;
    std::uint32_t level_ = 1;
    std::vector<Slot> slots_;
    // Open addressing, linear probing: each bucket holds a slot number or kNoSlot.
    std::vector<std::int32_t> buckets_;
    std::unique_ptr<double[]> rows_;
};

} // namespace quillwave
