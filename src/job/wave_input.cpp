#include "job/wave_input.h"

#include <cstring>

#include "analysis/frame_geometry.h"
#include "platform/messages.h"

namespace quillwave {
namespace {

std::uint16_t readU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t readU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t readS16(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

ParsedWave refuse(const char* message) { return {message, {}}; }

} // namespace

bool findChunk(const std::uint8_t* block, std::size_t& position, std::size_t limit,
               const char identifier[4])
{
    // Positions are 64-bit: a declared size near 2^32 ends the walk instead of wrapping.
    while (position < limit) {
        if (std::memcmp(block + position, identifier, 4) == 0)
            return true;
        const std::uint64_t next = static_cast<std::uint64_t>(position) + readU32(block + position + 4) + 8;
        if (next >= limit)
            return false;
        position = static_cast<std::size_t>(next);
    }
    return false;
}

ParsedWave parseWave(const std::uint8_t* block, std::int64_t fileLength)
{
    using namespace messages;
    const std::size_t scanLength =
        fileLength < static_cast<std::int64_t>(kScanLimit) ? static_cast<std::size_t>(fileLength < 0 ? 0 : fileLength)
                                                           : kScanLimit;
    if (scanLength < 16)
        return refuse(kCannotHandle);
    const std::size_t limit = scanLength;

    std::size_t wave = 4;
    while (wave < scanLength && std::memcmp(block + wave, "WAVE", 4) != 0)
        ++wave;
    if (wave >= scanLength)
        return refuse(kCannotHandle);

    std::size_t fmt = wave + 4;
    if (!findChunk(block, fmt, limit, "fmt "))
        return refuse(kCannotHandle);

    const std::uint64_t afterFmt = static_cast<std::uint64_t>(fmt) + 8 + readU32(block + fmt + 4);
    if (afterFmt >= limit)
        return refuse(kCannotHandle);
    std::size_t data = static_cast<std::size_t>(afterFmt);
    if (!findChunk(block, data, limit, "data"))
        return refuse(kCannotHandle);

    WaveFormat f;
    f.formatTag = readU16(block + fmt + 8);
    f.channelCount = readU16(block + fmt + 10);
    f.sampleRate = readU32(block + fmt + 12);
    f.bitsPerSample = readU16(block + fmt + 22);
    if (f.formatTag != 1 || (f.channelCount != 1 && f.channelCount != 2) ||
        (f.bitsPerSample != 8 && f.bitsPerSample != 16))
        return refuse(kCannotHandle);

    const std::uint32_t declared = readU32(block + data + 4);
    f.dataStart = data + 8;
    const std::int64_t present = fileLength - static_cast<std::int64_t>(f.dataStart);
    if (static_cast<std::int64_t>(declared) > present)
        return refuse(kBadDataLength);
    f.dataBytes = static_cast<std::int32_t>(declared);

    if (f.sampleRate != 44100 && f.sampleRate != 48000)
        return refuse(kBadRate);
    if (f.bitsPerSample != 16)
        return refuse(kNot16Bit);

    f.blockSize = f.channelCount * f.bitsPerSample / 8;
    f.sampleFrames = f.dataBytes / f.blockSize;
    if (static_cast<std::int64_t>(f.sampleFrames) > static_cast<std::int64_t>(f.sampleRate) * kMaxSeconds)
        return refuse(kTooLong);
    return {"", f};
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

} // namespace quillwave
