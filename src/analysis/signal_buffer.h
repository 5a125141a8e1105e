#pragma once
#include <cstddef>
#include <cstdint>

namespace quillwave {

inline constexpr std::size_t kSignalSlack = 1048576;

// The padded signal: 16384 zeros, the samples on a 24-bit scale, 16384 zeros. `residual`
// is worked on by the analysis; `pristine` is the untouched copy it is restored from.
struct SignalBuffer {
    std::int32_t* residual = nullptr;
    std::int32_t* pristine = nullptr;
    std::int32_t sampleFrames = 0;
};

// Bytes of each of the two blocks.
std::size_t signalBlockBytes(std::int32_t sampleFrames);

void savePristine(const std::int32_t* residual, std::int32_t* pristine, std::int32_t sampleFrames);
void restoreResidual(const std::int32_t* pristine, std::int32_t* residual, std::int32_t sampleFrames);

} // namespace quillwave
