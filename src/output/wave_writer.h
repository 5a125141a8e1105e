#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace quillwave {

// A canonical 16-bit PCM RIFF/WAVE file: the RIFF header, a 16-byte "fmt " chunk and the
// "data" chunk holding the interleaved samples, little-endian. Even data sizes need no pad byte.
std::vector<std::uint8_t> encodeWave(std::span<const std::int16_t> interleaved, int channels, int sampleRate);

} // namespace quillwave
