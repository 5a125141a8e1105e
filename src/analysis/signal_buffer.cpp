#include "analysis/signal_buffer.h"

#include <cstring>

#include "analysis/frame_geometry.h"

namespace quillwave {
namespace {

std::size_t usedBytes(std::int32_t sampleFrames)
{
    return (static_cast<std::size_t>(sampleFrames) + 2 * kPadSamples) * sizeof(std::int32_t);
}

} // namespace

std::size_t signalBlockBytes(std::int32_t sampleFrames)
{
    return static_cast<std::size_t>(sampleFrames) * 4 + kSignalSlack;
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
