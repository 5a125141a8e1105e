#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/work_pool.h"

namespace quillwave {

struct FileBlock {
    std::string message;           // empty on success
    std::uint8_t* block = nullptr; // fileLength + extra bytes, the extra ones zero
    std::int64_t fileLength = 0;
};

// Reads a whole file into one pool block followed by `extra` zero bytes. The block and the
// length are also valid after a short read ("読込エラー").
FileBlock readWholeFile(WorkPool& pool, const std::string& path, std::size_t extra);

// Creates or replaces `path` with `length` bytes; never leaves a partial file.
std::string writeWholeFile(const void* data, std::size_t length, const std::string& path);

} // namespace quillwave
