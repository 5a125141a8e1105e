#pragma once
#include <bit>
#include <cstdint>
#include <vector>

#include "analysis/frame_geometry.h"

namespace quillwave {

static_assert(std::endian::native == std::endian::little,
              "records are written straight from memory as little-endian words");

// One 64-byte record of the parameter file: words 2v and 2v + 1 hold voice v's level and
// frequency (0.1 Hz); word 15 carries the frame rate in the terminator only.
struct FrameRecord {
    std::int32_t words[16] = {};
};
static_assert(sizeof(FrameRecord) == 64);

inline constexpr int kTerminatorRateWord = 15;

// The records of one job, laid out as in the file: room for every frame of the longest
// accepted input plus the terminator.
class OutputRecords {
public:
    OutputRecords() : records_(kMaxFrames + 1) {}

    void clear();

    FrameRecord& operator[](std::int32_t frame) { return records_[static_cast<std::size_t>(frame)]; }
    const FrameRecord& operator[](std::int32_t frame) const { return records_[static_cast<std::size_t>(frame)]; }

    void setVoice(std::int32_t frame, int voice, std::int32_t level, std::int32_t frequencyE1)
    {
        FrameRecord& r = (*this)[frame];
        r.words[2 * voice] = level;
        r.words[2 * voice + 1] = frequencyE1;
    }

    const void* data() const { return records_.data(); }
    static constexpr std::int32_t capacity() { return kMaxFrames + 1; }

private:
    std::vector<FrameRecord> records_;
};

} // namespace quillwave
