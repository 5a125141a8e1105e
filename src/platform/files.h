#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillwave::platform {

enum class OpenStatus {
    Opened,
    NotFound,   // the file is missing but its folder exists
    CannotOpen, // anything else: no folder, no permission, not a regular file, name too long
    TooLarge,   // 2 GiB or more: lengths are 32-bit counts
};

// A regular file opened for reading. Never blocks on a FIFO or a device: those are refused.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    OpenStatus status() const { return status_; }
    std::int64_t length() const { return length_; }
    // Reads up to `bytes` bytes; returns how many arrived before end of file or an error.
    std::size_t readUpTo(void* buffer, std::size_t bytes);

private:
    int fd_ = -1;
    OpenStatus status_ = OpenStatus::CannotOpen;
    std::int64_t length_ = 0;
};

enum class ReplaceStatus {
    Written,
    CannotCreate, // the new file could not be created: nothing was touched
    WriteFailed,  // writing failed after creation: the old file, if any, is intact
};

// Writes `data` to a temporary file beside `path` (beside the target of a symbolic link)
// and renames it into place, so no reader ever sees a partial file. An existing file keeps
// its permissions.
ReplaceStatus replaceFile(const std::string& path, const void* data, std::size_t length);

} // namespace quillwave::platform
