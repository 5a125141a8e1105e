#include "platform/file_io.h"

#include <cstring>

#include "platform/files.h"
#include "platform/messages.h"

namespace quillwave {

FileBlock readWholeFile(WorkPool& pool, const std::string& path, std::size_t extra)
{
    using platform::OpenStatus;
    platform::InputFile file(path);
    switch (file.status()) {
    case OpenStatus::NotFound:
        return {messages::kNotFound};
    case OpenStatus::CannotOpen:
        return {messages::kCannotOpen};
    case OpenStatus::TooLarge:
        return {messages::kCannotHandle};
    case OpenStatus::Opened:
        break;
    }

    FileBlock result;
    result.fileLength = file.length();
    const std::size_t length = static_cast<std::size_t>(result.fileLength);
    result.block = static_cast<std::uint8_t*>(pool.poolAlloc(length + extra));
    if (result.block == nullptr)
        return {messages::kNoMemory};
    const std::size_t got = file.readUpTo(result.block, length);
    if (got < length)
        result.message = messages::kReadError;
    // The tail after the bytes that arrived is zero, after a short read too.
    std::memset(result.block + got, 0, length - got + extra);
    return result;
}

std::string writeWholeFile(const void* data, std::size_t length, const std::string& path)
{
    switch (platform::replaceFile(path, data, length)) {
    case platform::ReplaceStatus::Written:
        return {};
    case platform::ReplaceStatus::CannotCreate:
        return messages::kCannotCreate;
    case platform::ReplaceStatus::WriteFailed:
        return messages::kWriteError;
    }
    return messages::kWriteError;
}

} // namespace quillwave
