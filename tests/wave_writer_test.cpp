#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "job/wave_input.h"
#include "output/wave_writer.h"

namespace quillwave {
namespace {

TEST(WaveWriter, WritesTheCanonicalHeaderAndLittleEndianSamples)
{
    const std::array<std::int16_t, 4> samples{1, -2, 0x1234, -32768};
    const std::vector<std::uint8_t> expected{
        'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E',             // RIFF, 36 + 8 data bytes
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,                       // PCM, two channels
        0x80, 0xBB, 0, 0, 0x00, 0xEE, 0x02, 0, 4, 0, 16, 0,                // 48000 Hz, 192000 B/s
        'd', 'a', 't', 'a', 8, 0, 0, 0,                                    // 8 data bytes
        0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x80};
    EXPECT_EQ(encodeWave(samples, 2, 48000), expected);
}

TEST(WaveWriter, ItsFilesPassTheInputChecks)
{
    const std::vector<std::int16_t> samples(441, 100);
    for (const auto& [channels, rate] : {std::pair{1, 44100}, std::pair{2, 48000}}) {
        std::vector<std::uint8_t> bytes = encodeWave(samples, channels, rate);
        const auto length = static_cast<std::int64_t>(bytes.size());
        bytes.resize(bytes.size() + kReadSlack, 0);
        const ParsedWave parsed = parseWave(bytes.data(), length);
        EXPECT_EQ(parsed.message, "");
        EXPECT_EQ(parsed.format.sampleFrames, 441 / channels);
        EXPECT_EQ(parsed.format.sampleRate, static_cast<std::uint32_t>(rate));
    }
}

} // namespace
} // namespace quillwave
