#include "analysis/frame_buffers.h"

#include "analysis/fixed_point.h"

namespace quillwave {

void buildWindow(FrameBuffers& buffers, std::int32_t frameLength)
{
    for (std::int32_t i = 0; i < frameLength; ++i)
        buffers.window[static_cast<std::size_t>(i)] = 1.0;
}

std::int16_t packSample(std::int32_t sample)
{
    // In 64 bits so that samples near the int32 limits round without overflowing.
    const std::int64_t j = sample;
    const std::int64_t v = j >= 0 ? (j + 256) >> 9 : -((256 - j) >> 9);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

void prepareFrame(FrameBuffers& buffers, const std::int32_t* residual, std::int32_t start,
                  std::int32_t frameLength)
{
    const std::int32_t m = frameLength;
    for (std::int32_t i = 0; i < m; ++i) {
        const double x = static_cast<double>(residual[start + i]) * buffers.window[static_cast<std::size_t>(i)];
        buffers.windowed[static_cast<std::size_t>(i)] = x;
        buffers.reversed[static_cast<std::size_t>(m - i)] = x;
    }
    buffers.windowed[static_cast<std::size_t>(m)] = 0;

    const std::int32_t w = 2 * pairCount(m);
    for (std::int32_t i = 0; i < w; ++i) {
        const std::int32_t j = truncToInt32(buffers.windowed[static_cast<std::size_t>(i)]);
        buffers.packed[static_cast<std::size_t>(w + 1 - i)] = packedWord(packSample(j));
    }
}

void refreshReversed(FrameBuffers& buffers, const std::int32_t* residual, std::int32_t start,
                     std::int32_t frameLength)
{
    for (std::int32_t i = 0; i < frameLength; ++i)
        buffers.reversed[static_cast<std::size_t>(frameLength - i)] = static_cast<double>(residual[start + i]);
}

} // namespace quillwave
