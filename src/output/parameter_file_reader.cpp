#include "output/parameter_file_reader.h"

#include <cstring>

#include "analysis/frame_geometry.h"
#include "platform/files.h"

namespace quillwave {
namespace {

constexpr std::int64_t kRecordBytes = sizeof(FrameRecord);
// The longest accepted input gives kMaxFrames frame records; nothing longer is ever written.
constexpr std::int64_t kMaxFileBytes = kRecordBytes * (kMaxFrames + 1);

bool isFrameRate(std::int32_t fps) { return fps == 15 || fps == 20 || fps == 30 || fps == 60; }

bool looksLikeWave(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

ParameterFileRead fault(ParameterFileFault kind, std::int64_t size, std::int32_t frame = 0, int word = 0,
                        std::int32_t value = 0)
{
    ParameterFileRead r;
    r.fault = kind;
    r.size = size;
    r.frame = frame;
    r.word = word;
    r.value = value;
    return r;
}

ParameterFileRead checkLayout(std::span<const std::uint8_t> bytes)
{
    using F = ParameterFileFault;
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (size > kMaxFileBytes)
        return fault(F::TooLarge, size);
    if (size < 2 * kRecordBytes)
        return fault(F::TooShort, size);
    if (size % kRecordBytes != 0)
        return fault(F::OddSize, size);

    const auto frameCount = static_cast<std::int32_t>(size / kRecordBytes - 1);
    ParameterFileRead r;
    r.size = size;
    r.file.frames.resize(static_cast<std::size_t>(frameCount));
    std::memcpy(r.file.frames.data(), bytes.data(), static_cast<std::size_t>(frameCount) * kRecordBytes);
    FrameRecord terminator;
    std::memcpy(&terminator, bytes.data() + frameCount * kRecordBytes, kRecordBytes);

    for (int w = 0; w < kTerminatorRateWord; ++w)
        if (terminator.words[w] != 0)
            return fault(F::BadTerminator, size, frameCount, w, terminator.words[w]);
    if (!isFrameRate(terminator.words[kTerminatorRateWord]))
        return fault(F::BadFrameRate, size, frameCount, kTerminatorRateWord, terminator.words[kTerminatorRateWord]);
    r.file.framesPerSecond = terminator.words[kTerminatorRateWord];

    for (std::int32_t f = 0; f < frameCount; ++f) {
        const FrameRecord& record = r.file.frames[static_cast<std::size_t>(f)];
        for (int w = 2 * kVoiceCount; w < 16; ++w)
            if (record.words[w] != 0)
                return fault(F::ReservedWord, size, f, w, record.words[w]);
        for (int v = 0; v < kVoiceCount; ++v)
            if (record.words[2 * v] < 0)
                return fault(F::NegativeLevel, size, f, v, record.words[2 * v]);
    }
    return r;
}

} // namespace

ParameterFileRead parseParameterFile(std::span<const std::uint8_t> bytes)
{
    ParameterFileRead r = checkLayout(bytes);
    // A recording in place of its parameter file is the likeliest mistake: say so plainly.
    if (!r.ok() && looksLikeWave(bytes))
        return fault(ParameterFileFault::WaveFile, r.size);
    return r;
}

ParameterFileRead readParameterFile(const std::string& path)
{
    using platform::OpenStatus;
    platform::InputFile file(path);
    switch (file.status()) {
    case OpenStatus::NotFound:
        return fault(ParameterFileFault::NotFound, 0);
    case OpenStatus::CannotOpen:
        return fault(ParameterFileFault::CannotOpen, 0);
    case OpenStatus::TooLarge:
        return fault(ParameterFileFault::TooLarge, file.length());
    case OpenStatus::Opened:
        break;
    }
    // Only the first bytes of an oversized file are needed to tell a recording from junk.
    const std::int64_t length = file.length();
    const std::size_t wanted = static_cast<std::size_t>(length > kMaxFileBytes ? 12 : length);
    std::vector<std::uint8_t> bytes(wanted);
    if (file.readUpTo(bytes.data(), wanted) != wanted)
        return fault(ParameterFileFault::ReadError, length);
    if (length > kMaxFileBytes)
        return fault(looksLikeWave(bytes) ? ParameterFileFault::WaveFile : ParameterFileFault::TooLarge, length);
    return parseParameterFile(bytes);
}

std::string describeFault(const ParameterFileRead& r)
{
    using F = ParameterFileFault;
    const std::string size = std::to_string(r.size);
    const std::string frame = std::to_string(r.frame);
    const std::string value = std::to_string(r.value);
    switch (r.fault) {
    case F::None:
        return {};
    case F::NotFound:
        return "no such file";
    case F::CannotOpen:
        return "cannot be opened as a file (a directory, a device or no permission)";
    case F::ReadError:
        return "read error";
    case F::TooLarge:
        return "not a parameter file: " + size + " bytes is more than the longest recording gives (" +
               std::to_string(kMaxFileBytes) + ")";
    case F::TooShort:
        return "not a parameter file: " + size + " bytes, fewer than one frame record and the terminator (128)";
    case F::OddSize:
        return "not a parameter file: " + size + " bytes is not a whole number of 64-byte records";
    case F::WaveFile:
        return "a WAVE recording, not a parameter file (convert it first)";
    case F::BadTerminator:
        return "bad terminator record: word " + std::to_string(r.word) + " is " + value + ", not 0";
    case F::BadFrameRate:
        return "bad terminator record: frame rate " + value + ", not 15, 20, 30 or 60";
    case F::ReservedWord:
        return "frame " + frame + ": reserved word " + std::to_string(r.word) + " is " + value + ", not 0";
    case F::NegativeLevel:
        return "frame " + frame + ": voice " + std::to_string(r.word) + " has a negative level (" + value + ")";
    }
    return "not a parameter file";
}

} // namespace quillwave
