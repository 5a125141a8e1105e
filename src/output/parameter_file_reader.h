#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/frame_record.h"

namespace quillwave {

// A parameter file as read back: its frame records (the terminator is not one of them) and
// the frame rate the terminator carries.
struct ParameterFile {
    std::int32_t framesPerSecond = 60;
    std::vector<FrameRecord> frames;

    std::int32_t frameCount() const { return static_cast<std::int32_t>(frames.size()); }
    std::int32_t level(std::int32_t frame, int voice) const { return frames[static_cast<std::size_t>(frame)].words[2 * voice]; }
    // Tenths of a hertz.
    std::int32_t frequencyE1(std::int32_t frame, int voice) const
    {
        return frames[static_cast<std::size_t>(frame)].words[2 * voice + 1];
    }
    double seconds() const { return static_cast<double>(frameCount()) / framesPerSecond; }
};

// Why a file is not a parameter file; the window words these its own way.
enum class ParameterFileFault {
    None,
    NotFound,
    CannotOpen,     // a directory, a FIFO, no permission
    ReadError,
    TooLarge,       // more frame records than the longest accepted input gives
    TooShort,       // fewer than 128 bytes: one frame record and the terminator
    OddSize,        // not a whole number of 64-byte records
    WaveFile,       // a recording given where its parameter file was meant
    BadTerminator,  // words 0 to 14 of the last record not zero
    BadFrameRate,   // word 15 of the last record not 15, 20, 30 or 60
    ReservedWord,   // word 12 to 15 of a frame record not zero
    NegativeLevel,
};

struct ParameterFileRead {
    ParameterFileFault fault = ParameterFileFault::None;
    std::int64_t size = 0;  // bytes of the file
    std::int32_t frame = 0; // where the fault lies, for the record faults
    int word = 0;
    std::int32_t value = 0;
    ParameterFile file;     // filled only without a fault

    bool ok() const { return fault == ParameterFileFault::None; }
};

// Checks the whole layout: every record is looked at before the file is accepted.
ParameterFileRead parseParameterFile(std::span<const std::uint8_t> bytes);

// Reads and checks a file; never blocks on a FIFO or a device.
ParameterFileRead readParameterFile(const std::string& path);

// What is wrong, in one English phrase without the file name (empty when nothing is).
std::string describeFault(const ParameterFileRead& read);

} // namespace quillwave
