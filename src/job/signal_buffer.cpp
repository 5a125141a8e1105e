#include "job/signal_buffer.h"

#include <cstring>

#include "analysis/frame_geometry.h"
#include "job/wave_input.h"

namespace quillwave {
namespace {

std::int32_t readS16(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

std::size_t usedBytes(std::int32_t sampleFrames)
{
    return (static_cast<std::size_t>(sampleFrames) + 2 * kPadSamples) * sizeof(std::int32_t);
}

} // namespace

std::size_t signalBlockBytes(std::int32_t sampleFrames)
{
    return static_cast<std::size_t>(sampleFrames) * 4 + kSignalSlack;
}

void fillSignal(const std::uint8_t* block, const WaveFormat& format, std::int32_t* residual)
{
    const std::int32_t n = format.sampleFrames;
    std::memset(residual, 0, kPadSamples * sizeof(std::int32_t));
    const std::uint8_t* data = block + format.dataStart;
    std::int32_t* out = residual + kPadSamples;
    if (format.channelCount == 1) {
        for (std::int32_t i = 0; i < n; ++i)
            out[i] = readS16(data + 2 * static_cast<std::size_t>(i)) * 256;
    } else {
        for (std::int32_t i = 0; i < n; ++i) {
            const std::uint8_t* frame = data + 4 * static_cast<std::size_t>(i);
            out[i] = (readS16(frame) + readS16(frame + 2)) * 128;
        }
    }
    std::memset(out + n, 0, kPadSamples * sizeof(std::int32_t));
}

void savePristine(const std::int32_t* residual, std::int32_t* pristine, std::int32_t sampleFrames)
{
    std::memcpy(pristine, residual, usedBytes(sampleFrames));
}

void restoreResidual(const std::int32_t* pristine, std::int32_t* residual, std::int32_t sampleFrames)
{
    std::memcpy(residual, pristine, usedBytes(sampleFrames));
}

} // namespace quillwave
