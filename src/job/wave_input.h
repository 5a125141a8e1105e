#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillwave {

inline constexpr std::size_t kScanLimit = 1024;
inline constexpr std::size_t kReadSlack = 4096;

// The accepted "fmt " and "data" values of an input.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channelCount = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::int32_t blockSize = 0;
    std::size_t dataStart = 0; // offset of the first sample byte in the file block
    std::int32_t dataBytes = 0;
    std::int32_t sampleFrames = 0;
};

// Walks RIFF chunk headers from `position` (an offset in the block) until one carries
// `identifier`. Chunk sizes are taken as declared, without a pad byte. Only headers that
// start before `limit` are examined; found leaves `position` at that header.
bool findChunk(const std::uint8_t* block, std::size_t& position, std::size_t limit,
               const char identifier[4]);

struct ParsedWave {
    std::string message; // empty when the file is accepted
    WaveFormat format;
};

// Validates the file block (the file followed by kReadSlack zero bytes). The checks run in
// a fixed order and the first failing one decides the message.
ParsedWave parseWave(const std::uint8_t* block, std::int64_t fileLength);

// Writes the used part (sampleFrames + 32768 samples) of `residual` from the file block.
void fillSignal(const std::uint8_t* block, const WaveFormat& format, std::int32_t* residual);

} // namespace quillwave
