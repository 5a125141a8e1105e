#include "output/wave_writer.h"

namespace quillwave {
namespace {

void putU16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char tag[4]) { out.insert(out.end(), tag, tag + 4); }

} // namespace

std::vector<std::uint8_t> encodeWave(std::span<const std::int16_t> interleaved, int channels, int sampleRate)
{
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    const auto blockAlign = static_cast<std::uint32_t>(channels) * 2;
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putU32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, static_cast<std::uint32_t>(channels));
    putU32(out, rate);
    putU32(out, rate * blockAlign);
    putU16(out, blockAlign);
    putU16(out, 16);
    putTag(out, "data");
    putU32(out, dataBytes);
    for (std::int16_t s : interleaved)
        putU16(out, static_cast<std::uint16_t>(s));
    return out;
}

} // namespace quillwave
