#include "cli/output_file.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/file_io.h"
#include "platform/messages.h"

namespace quillwave::cli {

bool writeOutputFile(const std::string& path, const void* data, std::size_t length,
                     std::initializer_list<std::string> inputs)
{
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (std::filesystem::equivalent(path, input, ec)) {
            std::cerr << path << ": is an input of this command; name another output" << std::endl;
            return false;
        }
    }
    const std::string message = writeWholeFile(data, length, path);
    if (message.empty())
        return true;
    const char* fault = message == messages::kCannotCreate ? "cannot create the file" : "write error";
    std::cerr << path << ": " << fault << std::endl;
    return false;
}

} // namespace quillwave::cli
