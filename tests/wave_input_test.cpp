#include <gtest/gtest.h>

#include <cstring>

#include "analysis/frame_geometry.h"
#include "analysis/signal_buffer.h"
#include "job/wave_input.h"
#include "platform/messages.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

using test::makeWave;
using test::putTag;
using test::putU16;
using test::putU32;
using test::WaveSpec;

// The file as the reader hands it over: the bytes and 4096 zeros after them.
ParsedWave parse(std::vector<std::uint8_t> bytes, std::int64_t fileLength = -1)
{
    const std::int64_t length = fileLength >= 0 ? fileLength : static_cast<std::int64_t>(bytes.size());
    bytes.resize(bytes.size() + kReadSlack, 0);
    return parseWave(bytes.data(), length);
}

std::vector<std::uint8_t> fmtChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                   std::uint32_t size = 16)
{
    std::vector<std::uint8_t> out;
    putTag(out, "fmt ");
    putU32(out, size);
    putU16(out, tag);
    putU16(out, channels);
    putU32(out, rate);
    putU32(out, rate * channels * bits / 8);
    putU16(out, static_cast<std::uint16_t>(channels * bits / 8));
    putU16(out, bits);
    out.resize(8 + size, 0);
    return out;
}

std::vector<std::uint8_t> chunk(const char tag[4], std::uint32_t declared, std::size_t actualBytes)
{
    std::vector<std::uint8_t> out;
    putTag(out, tag);
    putU32(out, declared);
    out.resize(8 + actualBytes, 0x11);
    return out;
}

std::vector<std::uint8_t> riff(std::initializer_list<std::vector<std::uint8_t>> chunks)
{
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    putU32(out, 0);
    putTag(out, "WAVE");
    for (const auto& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

std::vector<std::uint8_t> monoData(std::size_t bytes) { return chunk("data", static_cast<std::uint32_t>(bytes), bytes); }

struct ParseCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* message; // "" = accepted
    std::int32_t sampleFrames = 0;
};

TEST(ParseWave, ChecksInOrderWithTheirMessages)
{
    using namespace messages;
    const auto pcm = fmtChunk(1, 1, 44100, 16);
    std::vector<std::uint8_t> waveAtZero = riff({pcm, monoData(8)});
    std::memcpy(waveAtZero.data(), "WAVE", 4);
    std::memcpy(waveAtZero.data() + 8, "EVAW", 4);
    std::vector<std::uint8_t> waveAtOddOffset;
    putTag(waveAtOddOffset, "RIFF");
    waveAtOddOffset.push_back(0);
    putTag(waveAtOddOffset, "WAVE");
    for (const auto& c : {pcm, monoData(8)})
        waveAtOddOffset.insert(waveAtOddOffset.end(), c.begin(), c.end());
    // A fmt size that sends the walk to "data" far past the scanned area: not found, no wrap.
    std::vector<std::uint8_t> hugeFmt = riff({pcm, monoData(8)});
    hugeFmt[16] = 0xF8;
    hugeFmt[17] = hugeFmt[18] = hugeFmt[19] = 0xFF;

    const ParseCase cases[] = {
        {"canonical mono", riff({pcm, monoData(10)}), "", 5},
        {"fifteen bytes", std::vector<std::uint8_t>(15, 0), kCannotHandle},
        {"no WAVE", std::vector<std::uint8_t>(64, 'x'), kCannotHandle},
        {"WAVE only at offset 0", waveAtZero, kCannotHandle},
        {"WAVE at offset 5", waveAtOddOffset, "", 4},
        {"no fmt", riff({monoData(8)}), kCannotHandle},
        {"data before fmt", riff({monoData(8), pcm}), kCannotHandle},
        {"fmt behind a chunk reaching offset 1024", riff({chunk("LIST", 1000, 1000), pcm, monoData(8)}), kCannotHandle},
        {"fmt header just before 1024", riff({chunk("LIST", 1000 - 12 - 9, 1000 - 12 - 9), pcm, monoData(8)}), "", 4},
        {"odd chunk with pad byte before fmt", riff({chunk("LIST", 3, 4), pcm, monoData(8)}), kCannotHandle},
        {"chunk size near 2^32 before fmt", riff({chunk("JUNK", 0xFFFFFFF8u, 4), pcm, monoData(8)}), kCannotHandle},
        {"fmt size near 2^32", hugeFmt, kCannotHandle},
        {"extensible format", riff({fmtChunk(0xFFFE, 1, 44100, 16), monoData(8)}), kCannotHandle},
        {"three channels", riff({fmtChunk(1, 3, 44100, 16), monoData(12)}), kCannotHandle},
        {"24-bit", riff({fmtChunk(1, 1, 44100, 24), monoData(12)}), kCannotHandle},
        {"fmt of size 0 reads the next header", riff({fmtChunk(1, 1, 44100, 16, 0), monoData(8)}), kCannotHandle},
        {"fmt of size 14 reads bits from the next bytes", riff({fmtChunk(1, 1, 44100, 16, 14), monoData(8)}), kCannotHandle},
        {"declared more than present", riff({pcm, chunk("data", 100, 99)}), kBadDataLength},
        {"length checked before rate", riff({fmtChunk(1, 1, 22050, 8), chunk("data", 100, 10)}), kBadDataLength},
        {"8-bit at 44100", riff({fmtChunk(1, 1, 44100, 8), monoData(8)}), kNot16Bit},
        {"8-bit at 22050: rate first", riff({fmtChunk(1, 1, 22050, 8), monoData(8)}), kBadRate},
        {"32000 Hz", riff({fmtChunk(1, 2, 32000, 16), monoData(8)}), kBadRate},
        {"48000 Hz stereo", riff({fmtChunk(1, 2, 48000, 16), monoData(16)}), "", 4},
        {"empty data", riff({pcm, monoData(0)}), "", 0},
        {"odd mono byte ignored", riff({pcm, monoData(7)}), "", 3},
        {"incomplete stereo frame ignored", riff({fmtChunk(1, 2, 44100, 16), monoData(10)}), "", 2},
        {"further chunks after data ignored", riff({pcm, monoData(6), chunk("LIST", 4, 4)}), "", 3},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedWave result = parse(c.bytes);
        EXPECT_EQ(result.message, c.message);
        if (result.message.empty()) {
            EXPECT_EQ(result.format.sampleFrames, c.sampleFrames);
        }
    }
}

TEST(ParseWave, LengthLimitIsExactlySixHundredSeconds)
{
    // Only the header is examined, so a block holding the header can stand for a long file.
    for (std::uint32_t rate : {44100u, 48000u}) {
        for (std::uint16_t channels : {std::uint16_t{1}, std::uint16_t{2}}) {
            const std::int64_t limitFrames = static_cast<std::int64_t>(rate) * 600;
            for (std::int64_t frames : {limitFrames, limitFrames + 1}) {
                const std::uint32_t bytes = static_cast<std::uint32_t>(frames * 2 * channels);
                const std::vector<std::uint8_t> header = riff({fmtChunk(1, channels, rate, 16), chunk("data", bytes, 0)});
                const ParsedWave result = parse(header, static_cast<std::int64_t>(header.size()) + bytes);
                if (frames == limitFrames) {
                    EXPECT_EQ(result.message, "") << rate << " " << channels;
                    EXPECT_EQ(result.format.sampleFrames, limitFrames);
                } else {
                    EXPECT_EQ(result.message, messages::kTooLong) << rate << " " << channels;
                }
            }
        }
    }
}

TEST(SignalBuffer, ScalesMixesAndPads)
{
    struct Case {
        std::uint16_t channels;
        std::vector<std::int16_t> samples;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {1, {32767, -32768, 0, 1, -1}, {8388352, -8388608, 0, 256, -256}},
        {2, {32767, 32767, 32767, -32768, -32768, -32768, 1, 0}, {8388352, -128, -8388608, 128}},
    };
    for (const Case& c : cases) {
        WaveSpec waveSpec;
        waveSpec.channels = c.channels;
        waveSpec.samples = c.samples;
        std::vector<std::uint8_t> file = makeWave(waveSpec);
        const std::int64_t length = static_cast<std::int64_t>(file.size());
        file.resize(file.size() + kReadSlack);
        const ParsedWave parsed = parseWave(file.data(), length);
        ASSERT_EQ(parsed.message, "");
        const std::int32_t n = parsed.format.sampleFrames;
        ASSERT_EQ(n, static_cast<std::int32_t>(c.expected.size()));

        std::vector<std::int32_t> residual(signalBlockBytes(n) / 4, 0x5A5A5A5A);
        fillSignal(file.data(), parsed.format, residual.data());
        for (int i = 0; i < kPadSamples; ++i) {
            ASSERT_EQ(residual[static_cast<std::size_t>(i)], 0);
            ASSERT_EQ(residual[static_cast<std::size_t>(kPadSamples + n + i)], 0);
        }
        for (std::int32_t i = 0; i < n; ++i)
            EXPECT_EQ(residual[static_cast<std::size_t>(kPadSamples + i)], c.expected[static_cast<std::size_t>(i)]);
        // Beyond the used part nothing is written.
        EXPECT_EQ(residual[static_cast<std::size_t>(2 * kPadSamples + n)], 0x5A5A5A5A);

        std::vector<std::int32_t> pristine(residual.size(), 7);
        savePristine(residual.data(), pristine.data(), n);
        residual[kPadSamples] = 12345;
        restoreResidual(pristine.data(), residual.data(), n);
        EXPECT_EQ(residual[kPadSamples], c.expected[0]);
        EXPECT_EQ(pristine[static_cast<std::size_t>(2 * kPadSamples + n)], 7);
    }
}

} // namespace
} // namespace quillwave
